// The tablet's settings: the registry values, the in-memory copy the program
// works with, and the settings block handed to the driver.
#ifndef SETTINGS_STORE_H
#define SETTINGS_STORE_H

#include <windows.h>
#include "device/tablet_protocol.h"
#include "settings/stored_values.h"

struct TabletSettingsState {
    LONG AbsoluteMode;    // nonzero: absolute pointer mode
    LONG Orientation;     // 0 landscape, 1 portrait
    LONG Sensitivity;     // relative-mode sensitivity
    SHORT Button1Action;  // ButtonAction of pen button 1 (status 0x20)
    SHORT Button2Action;  // ButtonAction of pen button 2 (status 0x40)
    DriverSettingsBlock Block;
};

extern TabletSettingsState TabletSettings;

// The settings are read on the reader thread at start and on the UI thread
// afterwards: every use of TabletSettings holds this lock, briefly.
void LockSettings();
void UnlockSettings();

void InitSettingsStore();
// Puts the starting values back (program start).
void ResetTabletSettings();

void LoadSettings();
void SaveSettings();
void ReloadButtonSettings();

#endif
