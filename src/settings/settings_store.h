// The tablet's settings: the registry values, the in-memory copy the program
// works with, and the settings block handed to the driver.
#ifndef SETTINGS_STORE_H
#define SETTINGS_STORE_H

#include <windows.h>
#include "shared/tablet_protocol.h"
#include "shared/profiles.h"
#include "shared/stored_values.h"

struct TabletSettingsState {
    LONG AbsoluteMode;    // nonzero: absolute pointer mode
    LONG Orientation;     // 0 landscape, 1 portrait
    LONG Sensitivity;     // relative-mode sensitivity
    SHORT Button1Action;  // ButtonAction of pen button 1 (status 0x20)
    SHORT Button2Action;  // ButtonAction of pen button 2 (status 0x40)
    DriverSettingsBlock Block;
    char Screen[SCREEN_NAME_SIZE];  // the stored Screen choice; "" when missing
    LONG Smoothing;       // 0 off, 1..SMOOTHING_MAX on (larger numbers as stored)
    LONG SteadyClicks;    // nonzero: steady clicks on
};

// The settings in force: the machine settings, or a profile's values laid
// over them (settings/profiles.h).
extern TabletSettingsState TabletSettings;

// One value of the settings key or of a profile, as read: its number, or its
// text for a string setting; missing, or not of its type, it is not present.
struct SettingValue {
    bool Present;
    DWORD Number;
    char Text[SCREEN_NAME_SIZE];
};

// Every value a profile may hold, by its place in SettingValueInfo.
struct SettingValues {
    SettingValue Value[SETTING_VALUE_COUNT];
};

// Reads every setting's value from the open key.
void ReadSettingValues(HKEY key, SettingValues *values);
// Lays the values over the settings: a present value replaces its setting
// and the block's field; a missing one leaves the setting as it is, and the
// block carries that setting; then the working-area step.  Under the lock.
void ApplySettingValues(TabletSettingsState *settings, const SettingValues *values);

// The settings are read on the reader thread as each reader starts, and on
// the UI thread: every use of TabletSettings holds this lock, briefly.  Nothing
// that may block (registry, driver, windows) runs while it is held.
void LockSettings();
void UnlockSettings();

void InitSettingsStore();
// Puts the starting values back (program start).
void ResetTabletSettings();

// Reads the stored values into the machine settings and its block, lays the
// profile in force over them, then hands the block in force to the driver.
// Changes nothing when the key cannot be opened; a value that is missing or
// not a 4-byte REG_DWORD leaves its setting as it is.
// `loaded`, when given, is set once the values are in (in the same step as
// they are copied in) or the key is found missing, before the block goes to
// the driver; a key that exists but cannot be opened leaves it clear.
void LoadSettings(volatile LONG *loaded = NULL);
// Writes the ten values and a chosen Screen of the machine settings (never a
// profile's): at shutdown, at the end of the session, and when the program
// begins to wait for a tablet that went away.
void SaveSettings();
// Whether the stored Reconnect value asks the program to wait for a tablet
// that went away (read afresh at each call; false when missing or 0).
bool ReadReconnectSetting();
// Reads the two pen-button values again into the machine settings; a
// missing one changes nothing.
void ReloadButtonSettings();

// A profile laid over the machine settings (settings/profiles.h chooses and
// switches it), under the settings lock.
struct ProfileOverlayState {
    char InForce[PROFILE_NAME_SIZE];  // "": the machine settings; set on the UI thread
    LONG Generation;                  // changes at each switch
    TabletSettingsState Machine;      // the machine settings while a profile is in force
};

extern ProfileOverlayState ProfileOverlay;

// The machine settings: TabletSettings itself while they are in force.
// Under the lock.
TabletSettingsState *LockedMachineSettings();

// Reads a profile's values; false (none present) when it has no key.
bool ReadProfileValues(const char *name, SettingValues *values);

#endif
