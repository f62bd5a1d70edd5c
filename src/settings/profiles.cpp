// The user's profiles read from HKEY_CURRENT_USER, the choice among them,
// and the settings in force made of the machine settings and a profile.
#include "settings/profiles.h"
#include <string.h>
#include "device/driver_channel.h"
#include "os/os.h"
#include "shared/screen_layout.h"

// The Programs list, ended by two zeros whatever was stored; one that does
// not fit, or is not a REG_MULTI_SZ, names no program.
static void ReadPrograms(HKEY key, char *programs)
{
    DWORD type = 0, size = PROFILE_PROGRAMS_SIZE - 2;
    ZeroMemory(programs, PROFILE_PROGRAMS_SIZE);
    if (OsRegQueryValueEx(key, VALUE_PROGRAMS, &type, (BYTE *)programs, &size) !=
            ERROR_SUCCESS || type != REG_MULTI_SZ)
        ZeroMemory(programs, PROFILE_PROGRAMS_SIZE);
}

static void ReadUserChoices(ProfileChoices *choices)
{
    choices->Automatic = true;
    HKEY key;
    if (OsRegOpenKeyEx(HKEY_CURRENT_USER, USER_KEY_PATH, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    ReadTextValue(key, VALUE_PROFILE, choices->Chosen, sizeof choices->Chosen);
    DWORD type = 0, number = 1, size = sizeof number;
    if (OsRegQueryValueEx(key, VALUE_AUTO_PROFILES, &type, (BYTE *)&number, &size) ==
            ERROR_SUCCESS && IsFourByteDword(type, size))
        choices->Automatic = number != 0;
    OsRegCloseKey(key);
}

void ReadProfileChoices(ProfileChoices *choices)
{
    static char names[PROFILE_COUNT_MAX][PROFILE_NAME_SIZE];
    choices->Count = ListProfileNames(names, PROFILE_COUNT_MAX);
    for (int i = 0; i < choices->Count; i++) {
        ProfileEntry &entry = choices->Profiles[i];
        lstrcpynA(entry.Name, names[i], sizeof entry.Name);
        char path[MAX_PATH];
        MakeProfileKeyPath(entry.Name, path, sizeof path);
        HKEY key;
        ZeroMemory(entry.Programs, sizeof entry.Programs);
        if (OsRegOpenKeyEx(HKEY_CURRENT_USER, path, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            ReadPrograms(key, entry.Programs);
            OsRegCloseKey(key);
        }
    }
    choices->Chosen[0] = '\0';
    ReadUserChoices(choices);
}

int FindProfile(const ProfileChoices &choices, const char *name)
{
    for (int i = 0; name[0] && i < choices.Count; i++)
        if (CompareProfileNames(choices.Profiles[i].Name, name) == 0)
            return i;
    return PROFILE_MACHINE;
}

int ChooseProfile(const ProfileChoices &choices, const char *program, int present)
{
    if (!program)
        return present;
    if (choices.Automatic)
        for (int i = 0; i < choices.Count; i++)
            if (ProgramsNameFile(choices.Profiles[i].Programs, program))
                return i;
    return FindProfile(choices, choices.Chosen);
}

bool SwitchProfile(const char *name, bool again)
{
    SettingValues values;
    ZeroMemory(&values, sizeof values);
    if (name[0])
        ReadProfileValues(name, &values);

    LockSettings();
    bool same = CompareProfileNames(name, ProfileOverlay.InForce) == 0;
    if (same && !again) {
        UnlockSettings();
        return false;
    }
    if (!ProfileOverlay.InForce[0])
        ProfileOverlay.Machine = TabletSettings;
    // No values (the machine settings): the block only takes the settings
    // in force, as a command left them.
    TabletSettingsState laid = ProfileOverlay.Machine;
    ApplySettingValues(&laid, &values);
    // Laid again unchanged: nothing to send.
    if (same && memcmp(&laid, &TabletSettings, sizeof laid) == 0) {
        UnlockSettings();
        return false;
    }
    TabletSettings = laid;
    lstrcpynA(ProfileOverlay.InForce, name, sizeof ProfileOverlay.InForce);
    ProfileOverlay.Generation++;
    DriverSettingsBlock block = TabletSettings.Block;
    UnlockSettings();

    SendSettingsBlock(&block);
    return true;
}
