// The applet's side of the stored settings: reading the stored values, writing
// the changed ones, and telling the running program to take them up.
#ifndef PANEL_STORE_H
#define PANEL_STORE_H

#include "panel_state.h"

// The values to write, in the order they are written.
struct PanelChanges {
    int Count;
    int Value[PANEL_VALUE_COUNT];   // PanelValue
    DWORD Number[PANEL_VALUE_COUNT];
    const char *Screen;             // a new Screen choice to write, or NULL
};

// Puts the real calls into every seam that is not replaced.
void ResetPanelSeams();

// Reads the ten values and Reconnect, and the shown profile's over them; one
// that is missing or not a 4-byte REG_DWORD is marked not present.
void ReadStoredSettings(StoredSettings *stored);

// Writes every change as a REG_DWORD, and the Screen choice as a REG_SZ, to
// the settings key or to the shown profile's.  All or nothing: when the key cannot
// be opened or a write is refused, the values already written are put back
// as they were, the registry's error is handed back and the result is false.
bool WriteStoredChanges(const PanelChanges *changes, LONG *error);

// Tells the running program, if there is one, to take up the stored values
// (WM_TABLET_RELOAD), or the profiles when a profile is shown.
void NotifyRunningProgram();

#endif
