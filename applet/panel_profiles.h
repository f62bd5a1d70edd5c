// The "Profile" list at the top of the applet: the machine's settings or one
// of the user's profiles is shown, and OK and Apply write to it (a profile
// whole, every field's value).  New..., Delete and Programs... with their
// small dialogs, and the running program told of each change.
#ifndef PANEL_PROFILES_H
#define PANEL_PROFILES_H

#include <windows.h>
#include "panel_state.h"

// Fills the list ("Machine settings", then the profiles by name) and
// chooses the one named ("" the machine settings); Panel.Profile follows.
void SetUpProfileList(HWND dialog, const char *select);
// The list's choice into Panel.Profile (CBN_SELCHANGE).
void TakeChosenProfile(HWND dialog);
// Delete and Programs... for a profile; the unplug choice, the machine's
// own, for the machine settings only.
void EnableProfileControls(HWND dialog);

// The shown profile's values over the machine's stored ones (its Screen into
// screen, when it has one).
void ReadProfileOverlay(StoredSettings *stored);
void ReadProfileScreen(char *screen);
// The shown profile's key, made if missing, for setting and querying values.
LONG OpenProfileKeyForWrite(HKEY *key);

// What the fields showed, made so that every field's value counts as
// changed and is written (the unplug choice, the machine's, excepted).
void MakeEveryFieldChanged(const PanelShown *now, PanelShown *opened);

// The name of a new profile, asked in a dialog with the one rule of names;
// false when cancelled.
bool AskProfileName(HWND dialog, char *name);
// Deletes the shown profile once the user agrees; false when he does not
// or it could not be deleted (the reason shown).
bool DeleteShownProfile(HWND dialog);
// The shown profile's programs, edited in a dialog and written on OK.
void EditProfilePrograms(HWND dialog);

// WM_TABLET_PROFILES to the running program, if there is one.
void NotifyProgramOfProfiles();

#endif
