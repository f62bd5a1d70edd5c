// The screen the pen covers in absolute mode: the "Screen" list, the
// picture of the monitors with the chosen one marked, the screen's size line
// and "Match the screen's proportions".
#ifndef PANEL_SCREENS_H
#define PANEL_SCREENS_H

#include <windows.h>
#include "shared/stored_values.h"

// Reads the monitors and the stored choice (the shown profile's, when it has
// one) and fills the list.
void SetUpScreenChoice(HWND dialog);

// The size line and the picture follow the list and the orientation.
void ShowChosenScreen(HWND dialog);

// The list back to "Main screen" (Defaults).
void ChooseMainScreen(HWND dialog);

// The value to write when the choice differs from the one opened or last
// applied (into choice, SCREEN_NAME_SIZE); false when it does not.
bool ReadScreenChange(HWND dialog, char *choice);
// The value of the choice shown, changed or not.
void ReadScreenChoice(HWND dialog, char *choice);
// The choice shown is now the stored one.
void NoteScreenApplied(HWND dialog);

// Sets the working area to the largest part of the tablet with the chosen
// screen's proportions, centred on the present area.
void MatchScreenProportions(HWND dialog);

// Paints the picture of the monitors (its WM_DRAWITEM).
void DrawScreenPicture(const DRAWITEMSTRUCT *item);

#endif
