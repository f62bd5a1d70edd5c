// The settings key in HKEY_LOCAL_MACHINE, the in-memory settings and the
// block handed to the driver (with a profile in force, settings/profiles.cpp
// lays it over the machine settings).  Registry and driver calls run outside the
// settings lock; the lock is held only while the settings are copied or
// changed, so a load never shows another thread half-written settings.
#include "settings/settings_store.h"
#include "device/driver_channel.h"
#include "device/hid_probe.h"
#include "os/os.h"
#include "shared/profiles.h"
#include "shared/screen_layout.h"

TabletSettingsState TabletSettings;
ProfileOverlayState ProfileOverlay;
static CRITICAL_SECTION SettingsLock;

void LockSettings() { EnterCriticalSection(&SettingsLock); }
void UnlockSettings() { LeaveCriticalSection(&SettingsLock); }

void InitSettingsStore()
{
    InitializeCriticalSection(&SettingsLock);
    ResetTabletSettings();
}

// The block starts from the same values as the settings, so that a first run
// without a key saves usable pen buttons and the whole tablet as its area.
void ResetTabletSettings()
{
    LockSettings();
    ZeroMemory(&TabletSettings, sizeof TabletSettings);
    TabletSettings.AbsoluteMode = START_ABSOLUTE_MODE;
    TabletSettings.Orientation = START_ORIENTATION;
    TabletSettings.Sensitivity = START_SENSITIVITY;
    TabletSettings.Button1Action = START_BUTTON1_ACTION;
    TabletSettings.Button2Action = START_BUTTON2_ACTION;
    DriverSettingsBlock &block = TabletSettings.Block;
    block.Sensitivity = START_SENSITIVITY;
    block.Landscape = START_ORIENTATION;
    block.Absolute = START_ABSOLUTE_MODE;
    block.WorkingArea = START_WORKING_AREA;
    block.StartX = block.StartY = block.EndX = block.EndY = START_AREA_BOUND;
    block.Button1 = START_BUTTON1_ACTION;
    block.Button2 = START_BUTTON2_ACTION;
    ZeroMemory(&ProfileOverlay, sizeof ProfileOverlay);
    UnlockSettings();
}

// One value as the registry gave it: present only when it is a REG_DWORD of
// exactly four bytes.
struct StoredValue {
    bool Present;
    DWORD Number;
};

static StoredValue ReadStoredValue(HKEY key, const char *name)
{
    StoredValue value = {false, 0};
    DWORD type = REG_NONE;
    DWORD number = 0;
    DWORD size = sizeof number;
    if (OsRegQueryValueEx(key, name, &type, (BYTE *)&number, &size) == ERROR_SUCCESS &&
        IsFourByteDword(type, size)) {
        value.Present = true;
        value.Number = number;
    }
    return value;
}

static void WriteStoredValue(HKEY key, const char *name, DWORD number)
{
    OsRegSetValueEx(key, name, REG_DWORD, (const BYTE *)&number, sizeof number);
}

// Reading asks for reading alone: a user who may read and set the values
// of the machine-wide key, and nothing more, loads them.
static LONG OpenSettingsKey(HKEY *key)
{
    return OsRegOpenKeyEx(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH,
                          SETTINGS_READ_ACCESS, key);
}

// The values read before the pen buttons, in the order they are read: each
// goes into the driver's block, and the first three into the settings
// themselves as well.
#define BLOCK_VALUE_COUNT STORED_BUTTON1

static void StoreBlockValue(TabletSettingsState *settings, int which, DWORD number)
{
    DriverSettingsBlock &block = settings->Block;
    USHORT low = (USHORT)number;
    switch (which) {
    case STORED_ABSOLUTE:
        settings->AbsoluteMode = (LONG)number;
        block.Absolute = low;
        break;
    case STORED_LANDSCAPE:
        settings->Orientation = (LONG)number;
        block.Landscape = low;
        break;
    case STORED_SENSITIVITY:
        settings->Sensitivity = (LONG)number;
        block.Sensitivity = low;
        break;
    case STORED_WORKING_AREA: block.WorkingArea = low; break;
    case STORED_START_X: block.StartX = low; break;
    case STORED_START_Y: block.StartY = low; break;
    case STORED_END_X: block.EndX = low; break;
    case STORED_END_Y: block.EndY = low; break;
    }
}

// What a value that is not stored leaves in force: the setting itself, or
// for the five values that live only in the block, its field.
static DWORD BlockValueInForce(const TabletSettingsState *settings, int which)
{
    const DriverSettingsBlock &block = settings->Block;
    switch (which) {
    case STORED_ABSOLUTE: return (DWORD)settings->AbsoluteMode;
    case STORED_LANDSCAPE: return (DWORD)settings->Orientation;
    case STORED_SENSITIVITY: return (DWORD)settings->Sensitivity;
    case STORED_WORKING_AREA: return block.WorkingArea;
    case STORED_START_X: return block.StartX;
    case STORED_START_Y: return block.StartY;
    case STORED_END_X: return block.EndX;
    default: return block.EndY;
    }
}

// A working-area end against the tablet's maximum on that axis.  A maximum
// of 0 is not known (the tablet not yet found, or its report without that
// value): the stored end is kept rather than destroyed.
static USHORT LimitWorkingAreaEnd(USHORT end, LONG max, bool wholeTablet)
{
    if (max == 0)
        return end;
    if (wholeTablet || (LONG)end > max)
        return (USHORT)max;
    return end;
}

static void ApplyWorkingArea(DriverSettingsBlock *block)
{
    bool wholeTablet = block->WorkingArea == 1;
    block->EndX = LimitWorkingAreaEnd(block->EndX, TabletExtents.XMax, wholeTablet);
    block->EndY = LimitWorkingAreaEnd(block->EndY, TabletExtents.YMax, wholeTablet);
}

static void StoreButton1(TabletSettingsState *settings, DWORD number)
{
    settings->Button1Action = (SHORT)(USHORT)number;
    settings->Block.Button1 = (BYTE)number;
}

static void StoreButton2(TabletSettingsState *settings, DWORD number)
{
    settings->Button2Action = (SHORT)(USHORT)number;
    settings->Block.Button2 = (BYTE)number;
}

// The places of the program settings among the setting values.
#define SETTING_SCREEN (STORED_VALUE_COUNT + PROGRAM_SCREEN)
#define SETTING_SMOOTHING (STORED_VALUE_COUNT + PROGRAM_SMOOTHING)
#define SETTING_STEADY_CLICKS (STORED_VALUE_COUNT + PROGRAM_STEADY_CLICKS)

void ReadSettingValues(HKEY key, SettingValues *values)
{
    ZeroMemory(values, sizeof *values);
    for (int i = 0; i < SETTING_VALUE_COUNT; i++) {
        const StoredValueInfo *info = SettingValueInfo(i);
        SettingValue &value = values->Value[i];
        if (info->Type == REG_SZ) {
            value.Present = ReadTextValue(key, info->Name, value.Text, sizeof value.Text);
        } else {
            StoredValue read = ReadStoredValue(key, info->Name);
            value.Present = read.Present;
            value.Number = read.Number;
        }
    }
}

void ApplySettingValues(TabletSettingsState *settings, const SettingValues *values)
{
    // A value that is missing or unusable leaves its setting as it is (the
    // starting value at program start, the one in force on a reload, the
    // machine's under a profile), and the block carries that setting.  It
    // never takes the number of the value read before it.
    for (int i = 0; i < BLOCK_VALUE_COUNT; i++) {
        const SettingValue &value = values->Value[i];
        StoreBlockValue(settings, i, value.Present ? value.Number
                                                   : BlockValueInForce(settings, i));
    }
    ApplyWorkingArea(&settings->Block);
    if (values->Value[STORED_BUTTON1].Present)
        StoreButton1(settings, values->Value[STORED_BUTTON1].Number);
    if (values->Value[STORED_BUTTON2].Present)
        StoreButton2(settings, values->Value[STORED_BUTTON2].Number);
    if (values->Value[SETTING_SCREEN].Present)
        lstrcpynA(settings->Screen, values->Value[SETTING_SCREEN].Text, sizeof settings->Screen);
    if (values->Value[SETTING_SMOOTHING].Present)
        settings->Smoothing = (LONG)values->Value[SETTING_SMOOTHING].Number;
    if (values->Value[SETTING_STEADY_CLICKS].Present)
        settings->SteadyClicks = (LONG)values->Value[SETTING_STEADY_CLICKS].Number;
}

TabletSettingsState *LockedMachineSettings()
{
    return ProfileOverlay.InForce[0] ? &ProfileOverlay.Machine : &TabletSettings;
}

bool ReadProfileValues(const char *name, SettingValues *values)
{
    ZeroMemory(values, sizeof *values);
    char path[MAX_PATH];
    MakeProfileKeyPath(name, path, sizeof path);
    HKEY key;
    if (OsRegOpenKeyEx(HKEY_CURRENT_USER, path, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    ReadSettingValues(key, values);
    OsRegCloseKey(key);
    return true;
}

// The load's values laid into the machine settings, and the profile in force
// over them (read afresh): the block in force is copied to *block.  `loaded`,
// when given, is set in the same step.
static void LayLoadedValues(const SettingValues *machine, volatile LONG *loaded,
                            DriverSettingsBlock *block)
{
    // The profile's values are read outside the lock; a switch made on the
    // UI thread meanwhile (the start-up load runs on the reader's) has them
    // read again for the profile it put in force.
    for (;;) {
        LockSettings();
        char name[PROFILE_NAME_SIZE];
        lstrcpynA(name, ProfileOverlay.InForce, sizeof name);
        LONG generation = ProfileOverlay.Generation;
        UnlockSettings();
        SettingValues profile;
        ZeroMemory(&profile, sizeof profile);
        if (name[0])
            ReadProfileValues(name, &profile);

        LockSettings();
        if (generation != ProfileOverlay.Generation) {
            UnlockSettings();
            continue;
        }
        ApplySettingValues(LockedMachineSettings(), machine);
        if (name[0]) {
            TabletSettings = ProfileOverlay.Machine;
            ApplySettingValues(&TabletSettings, &profile);
        }
        *block = TabletSettings.Block;
        // Under the lock, so a change made on the UI thread after the values
        // came in is never made while the flag still says they have not.
        if (loaded)
            InterlockedExchange(loaded, 1);
        UnlockSettings();
        return;
    }
}

void LoadSettings(volatile LONG *loaded)
{
    HKEY key;
    LONG opened = OpenSettingsKey(&key);
    SettingValues machine;
    ZeroMemory(&machine, sizeof machine);
    if (opened != ERROR_SUCCESS) {
        // No key: the starting values are what there is to save.  A key that
        // is there but cannot be opened was not read, and must not be
        // overwritten with values that were never loaded from it.
        if (loaded && opened == ERROR_FILE_NOT_FOUND)
            InterlockedExchange(loaded, 1);
        // Without a key, only a profile in force has a block to send: its
        // values over the starting ones.
        LockSettings();
        bool profile = ProfileOverlay.InForce[0] != '\0';
        UnlockSettings();
        if (opened != ERROR_FILE_NOT_FOUND || !profile)
            return;
    } else {
        ReadSettingValues(key, &machine);
        OsRegCloseKey(key);
        // The machine's Screen, missing, is a choice too: the main screen;
        // so are a missing Smoothing and SteadyClicks: both off (read as 0).
        machine.Value[SETTING_SCREEN].Present = true;
        machine.Value[SETTING_SMOOTHING].Present = true;
        machine.Value[SETTING_STEADY_CLICKS].Present = true;
    }

    DriverSettingsBlock block;
    LayLoadedValues(&machine, loaded, &block);
    SendSettingsBlock(&block);
}

void SaveSettings()
{
    // Setting values is the one right asked for; the key is created only
    // where the caller may add keys (an administrator, or a first run before
    // the package made it), otherwise a refused save writes nothing.
    HKEY key;
    if (OsRegCreateKeyEx(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, SETTINGS_WRITE_ACCESS,
                         &key) != ERROR_SUCCESS)
        return;
    LockSettings();
    TabletSettingsState settings = *LockedMachineSettings();
    UnlockSettings();

    const DriverSettingsBlock &block = settings.Block;
    WriteStoredValue(key, VALUE_ABSOLUTE, (DWORD)settings.AbsoluteMode);
    WriteStoredValue(key, VALUE_LANDSCAPE, (DWORD)settings.Orientation);
    WriteStoredValue(key, VALUE_SENSITIVITY, (DWORD)settings.Sensitivity);
    WriteStoredValue(key, VALUE_BUTTON1, block.Button1);
    WriteStoredValue(key, VALUE_BUTTON2, block.Button2);
    WriteStoredValue(key, VALUE_START_X, block.StartX);
    WriteStoredValue(key, VALUE_START_Y, block.StartY);
    WriteStoredValue(key, VALUE_END_X, block.EndX);
    WriteStoredValue(key, VALUE_END_Y, block.EndY);
    WriteStoredValue(key, VALUE_WORKING_AREA, block.WorkingArea);
    // No choice stays no choice: the main screen either way.
    if (settings.Screen[0])
        OsRegSetValueEx(key, VALUE_SCREEN, REG_SZ, (const BYTE *)settings.Screen,
                        lstrlenA(settings.Screen) + 1);
    OsRegCloseKey(key);
}

void ReloadButtonSettings()
{
    HKEY key;
    if (OpenSettingsKey(&key) != ERROR_SUCCESS)
        return;
    StoredValue button1 = ReadStoredValue(key, VALUE_BUTTON1);
    StoredValue button2 = ReadStoredValue(key, VALUE_BUTTON2);
    OsRegCloseKey(key);

    // As in the load: a button whose value is missing keeps its action.  A
    // profile in force has had the machine's buttons laid beneath it by the
    // load.
    LockSettings();
    TabletSettingsState *machine = LockedMachineSettings();
    if (button1.Present)
        StoreButton1(machine, button1.Number);
    if (button2.Present)
        StoreButton2(machine, button2.Number);
    UnlockSettings();
}

bool ReadReconnectSetting()
{
    HKEY key;
    if (OsRegOpenKeyEx(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, SETTINGS_READ_ACCESS, &key) !=
        ERROR_SUCCESS)
        return false;
    StoredValue reconnect = ReadStoredValue(key, VALUE_RECONNECT);
    OsRegCloseKey(key);
    return reconnect.Present && reconnect.Number != 0;
}
