// profile: the user's named profiles under HKEY_CURRENT_USER, listed, chosen,
// saved from the stored settings, deleted and tied to programs.  Every
// argument is checked before anything is written; a running program is told
// of each change and takes it up at once.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "ctl_commands.h"
#include "ctl_program.h"
#include "ctl_report.h"
#include "shared/profiles.h"
#include "shared/screen_layout.h"
#include "shared/stored_values.h"

#define PROFILE_USAGE                                                                  \
    "usage: profile list | use NAME|- | save NAME [--from PROFILE] | delete NAME | " \
    "programs NAME [EXE...|-] | auto on|off"
// Room for a value copied from one key to another, and for a Programs list.
#define COPY_DATA_MAX 1024
#define PROGRAMS_DATA_MAX 8192

static int ReportBadName(const char *name)
{
    char text[256];
    snprintf(text, sizeof text, "\"%.80s\" cannot name a profile: %s", name,
             ProfileNameProblem(name));
    return ReportProblem(EXIT_USAGE, text);
}

static int ReportNoProfile(const char *name)
{
    char text[256];
    snprintf(text, sizeof text,
             "there is no profile \"%s\" (stylohidctl profile list lists them)", name);
    return ReportProblem(EXIT_USAGE, text);
}

// The stored name of an existing profile (its case as stored) into found.
static bool FindProfileName(const char *name, char *found)
{
    static char names[PROFILE_COUNT_MAX][PROFILE_NAME_SIZE];
    int count = ListProfileNames(names, PROFILE_COUNT_MAX);
    for (int i = 0; i < count; i++)
        if (CompareProfileNames(names[i], name) == 0) {
            lstrcpynA(found, names[i], PROFILE_NAME_SIZE);
            return true;
        }
    return false;
}

// A name that must be a profile's, and one that exists; EXIT_DONE when so.
static int CheckExistingProfile(const char *name, char *found)
{
    if (ProfileNameProblem(name))
        return ReportBadName(name);
    if (!FindProfileName(name, found))
        return ReportNoProfile(name);
    return EXIT_DONE;
}

// The running program, told to take the profiles up again.
static int TellProgram()
{
    RunningProgram program;
    DWORD error = 0;
    if (FindRunningProgram(&program) &&
        !SendToProgram(program, WM_TABLET_PROFILES, 0, &error))
        return ReportFailure(EXIT_FAILED, "could not reach stylohid", error);
    return EXIT_DONE;
}

static LONG OpenUserKey(HKEY *key)
{
    return RegCreateKeyExA(HKEY_CURRENT_USER, USER_KEY_PATH, 0, NULL,
                           REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE | KEY_SET_VALUE, NULL,
                           key, NULL);
}

static void ReadUserText(const char *name, char *text, DWORD size)
{
    HKEY key;
    text[0] = '\0';
    if (RegOpenKeyExA(HKEY_CURRENT_USER, USER_KEY_PATH, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    ReadTextValue(key, name, text, size);
    RegCloseKey(key);
}

// The Programs list of a profile, ended by two zeros; empty when none.
static void ReadProgramsList(const char *name, char *programs, DWORD size)
{
    ZeroMemory(programs, size);
    char path[MAX_PATH];
    MakeProfileKeyPath(name, path, sizeof path);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    DWORD type = 0, read = size - 2;
    if (RegQueryValueExA(key, VALUE_PROGRAMS, NULL, &type, (BYTE *)programs, &read) !=
            ERROR_SUCCESS || type != REG_MULTI_SZ)
        ZeroMemory(programs, size);
    RegCloseKey(key);
}

static int RunProfileList()
{
    static char names[PROFILE_COUNT_MAX][PROFILE_NAME_SIZE];
    int count = ListProfileNames(names, PROFILE_COUNT_MAX);
    RunningProgram program;
    char inForce[PROFILE_NAME_SIZE] = "";
    bool running = FindRunningProgram(&program);
    if (running)
        ReadUserText(VALUE_PROFILE_IN_FORCE, inForce, sizeof inForce);
    printf("%c %s\n", running && !inForce[0] ? '*' : ' ', MACHINE_SETTINGS_LABEL);
    for (int i = 0; i < count; i++) {
        bool marked = running && CompareProfileNames(names[i], inForce) == 0;
        printf("%c %s", marked ? '*' : ' ', names[i]);
        char programs[PROGRAMS_DATA_MAX];
        ReadProgramsList(names[i], programs, sizeof programs);
        for (const char *p = programs; *p; p += strlen(p) + 1)
            printf("%s%s", p == programs ? " (" : ", ", p);
        printf("%s\n", programs[0] ? ")" : "");
    }
    if (!running)
        printf("(stylohid is not running: no profile is in force)\n");
    return EXIT_DONE;
}

static int RunProfileUse(const char *name)
{
    char found[PROFILE_NAME_SIZE] = "";
    if (strcmp(name, MACHINE_SETTINGS_ARGUMENT) != 0) {
        int checked = CheckExistingProfile(name, found);
        if (checked != EXIT_DONE)
            return checked;
    }
    HKEY key;
    LONG status = OpenUserKey(&key);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(key, VALUE_PROFILE, 0, REG_SZ, (const BYTE *)found,
                                lstrlenA(found) + 1);
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, "could not store the choice", (DWORD)status);
    printf("Profile chosen: %s\n", found[0] ? found : MACHINE_SETTINGS_LABEL);
    return TellProgram();
}

// Each setting's value from one key to the other, as stored where it is of
// its type; one missing there, or of another type, is deleted here.
static LONG CopySettingValues(HKEY from, HKEY to)
{
    for (int i = 0; i < SETTING_VALUE_COUNT; i++) {
        const StoredValueInfo *info = SettingValueInfo(i);
        BYTE data[COPY_DATA_MAX];
        DWORD type = 0, size = sizeof data;
        LONG read = RegQueryValueExA(from, info->Name, NULL, &type, data, &size);
        bool usable = read == ERROR_SUCCESS && type == info->Type &&
                      (type != REG_DWORD || IsFourByteDword(type, size));
        LONG status = usable ? RegSetValueExA(to, info->Name, 0, type, data, size)
                             : RegDeleteValueA(to, info->Name);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return status;
    }
    return ERROR_SUCCESS;
}

static int RunProfileSave(int argc, char **argv)
{
    if (argc != 3 && !(argc == 5 && strcmp(argv[3], "--from") == 0))
        return ReportUsage(PROFILE_USAGE);
    const char *name = argv[2];
    if (ProfileNameProblem(name))
        return ReportBadName(name);
    char source[PROFILE_NAME_SIZE] = "";
    if (argc == 5) {
        int checked = CheckExistingProfile(argv[4], source);
        if (checked != EXIT_DONE)
            return checked;
    }
    HKEY from;
    LONG status;
    if (source[0]) {
        char path[MAX_PATH];
        MakeProfileKeyPath(source, path, sizeof path);
        status = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &from);
    } else {
        status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0,
                               SETTINGS_READ_ACCESS, &from);
    }
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, source[0] ? "could not open the profile"
                                                    : "could not open the settings key",
                             (DWORD)status);
    // An existing profile keeps its own name's case and its programs.
    char stored[PROFILE_NAME_SIZE];
    if (!FindProfileName(name, stored))
        lstrcpynA(stored, name, sizeof stored);
    char path[MAX_PATH];
    MakeProfileKeyPath(stored, path, sizeof path);
    HKEY to;
    status = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                             KEY_QUERY_VALUE | KEY_SET_VALUE, NULL, &to, NULL);
    if (status == ERROR_SUCCESS) {
        status = CopySettingValues(from, to);
        RegCloseKey(to);
    }
    RegCloseKey(from);
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, "could not store the profile", (DWORD)status);
    printf("Profile %s saved from %s%s\n", stored,
           source[0] ? "profile " : "the stored settings", source);
    return TellProgram();
}

static int RunProfileDelete(const char *name)
{
    char found[PROFILE_NAME_SIZE];
    int checked = CheckExistingProfile(name, found);
    if (checked != EXIT_DONE)
        return checked;
    char path[MAX_PATH];
    MakeProfileKeyPath(found, path, sizeof path);
    LONG status = RegDeleteKeyA(HKEY_CURRENT_USER, path);
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, "could not delete the profile", (DWORD)status);
    // A choice of the deleted profile goes with it.
    char chosen[PROFILE_NAME_SIZE];
    ReadUserText(VALUE_PROFILE, chosen, sizeof chosen);
    HKEY key;
    if (CompareProfileNames(chosen, found) == 0 &&
        RegOpenKeyExA(HKEY_CURRENT_USER, USER_KEY_PATH, 0, KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
        RegDeleteValueA(key, VALUE_PROFILE);
        RegCloseKey(key);
    }
    printf("Profile %s deleted\n", found);
    return TellProgram();
}

static int PrintPrograms(const char *name)
{
    char programs[PROGRAMS_DATA_MAX];
    ReadProgramsList(name, programs, sizeof programs);
    for (const char *p = programs; *p; p += strlen(p) + 1)
        printf("%s\n", p);
    return EXIT_DONE;
}

// A program's file name alone: "notepad.exe", not a path.
static bool IsProgramFileName(const char *text)
{
    return text[0] && strcmp(text, "-") != 0 && !strpbrk(text, "\\/:") &&
           strlen(text) < MAX_PATH;
}

static int ReplacePrograms(const char *name, int count, char **programs)
{
    bool clear = count == 1 && strcmp(programs[0], "-") == 0;
    char list[PROGRAMS_DATA_MAX];
    size_t used = 0;
    for (int i = 0; !clear && i < count; i++) {
        if (!IsProgramFileName(programs[i])) {
            char text[256];
            snprintf(text, sizeof text,
                     "\"%.80s\" is not a program's file name (such as notepad.exe, "
                     "without a folder)", programs[i]);
            return ReportProblem(EXIT_USAGE, text);
        }
        size_t length = strlen(programs[i]) + 1;
        if (used + length + 1 > sizeof list)
            return ReportProblem(EXIT_USAGE, "too many programs for one profile");
        memcpy(list + used, programs[i], length);
        used += length;
    }
    list[used++] = '\0';
    char path[MAX_PATH];
    MakeProfileKeyPath(name, path, sizeof path);
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_SET_VALUE, &key);
    if (status == ERROR_SUCCESS) {
        status = clear ? RegDeleteValueA(key, VALUE_PROGRAMS)
                       : RegSetValueExA(key, VALUE_PROGRAMS, 0, REG_MULTI_SZ,
                                        (const BYTE *)list, (DWORD)used);
        if (status == ERROR_FILE_NOT_FOUND)
            status = ERROR_SUCCESS;
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, "could not store the programs", (DWORD)status);
    return TellProgram();
}

static int RunProfilePrograms(int argc, char **argv)
{
    char found[PROFILE_NAME_SIZE];
    int checked = CheckExistingProfile(argv[2], found);
    if (checked != EXIT_DONE)
        return checked;
    if (argc == 3)
        return PrintPrograms(found);
    return ReplacePrograms(found, argc - 3, argv + 3);
}

static int RunProfileAuto(const char *state)
{
    bool on = strcmp(state, "on") == 0;
    if (!on && strcmp(state, "off") != 0)
        return ReportUsage(PROFILE_USAGE);
    HKEY key;
    LONG status = OpenUserKey(&key);
    if (status == ERROR_SUCCESS) {
        DWORD number = on ? 1 : 0;
        status = RegSetValueExA(key, VALUE_AUTO_PROFILES, 0, REG_DWORD,
                                (const BYTE *)&number, sizeof number);
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, "could not store the choice", (DWORD)status);
    printf("Switch by program: %s\n", on ? "on" : "off");
    return TellProgram();
}

int RunProfile(int argc, char **argv)
{
    const char *what = argc >= 2 ? argv[1] : "";
    if (strcmp(what, "list") == 0 && argc == 2)
        return RunProfileList();
    if (strcmp(what, "use") == 0 && argc == 3)
        return RunProfileUse(argv[2]);
    if (strcmp(what, "save") == 0 && argc >= 3)
        return RunProfileSave(argc, argv);
    if (strcmp(what, "delete") == 0 && argc == 3)
        return RunProfileDelete(argv[2]);
    if (strcmp(what, "programs") == 0 && argc >= 3)
        return RunProfilePrograms(argc, argv);
    if (strcmp(what, "auto") == 0 && argc == 3)
        return RunProfileAuto(argv[2]);
    return ReportUsage(PROFILE_USAGE);
}

void PrintProfileStatus(bool running)
{
    static char names[PROFILE_COUNT_MAX][PROFILE_NAME_SIZE];
    int count = ListProfileNames(names, PROFILE_COUNT_MAX);
    if (count == 0)
        return;
    if (running) {
        char inForce[PROFILE_NAME_SIZE];
        ReadUserText(VALUE_PROFILE_IN_FORCE, inForce, sizeof inForce);
        printf("Profile in force: %s\n", inForce[0] ? inForce : MACHINE_SETTINGS_LABEL);
    }
    char chosen[PROFILE_NAME_SIZE];
    ReadUserText(VALUE_PROFILE, chosen, sizeof chosen);
    DWORD automatic = 1, size = sizeof automatic, type = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, USER_KEY_PATH, 0, KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
        if (RegQueryValueExA(key, VALUE_AUTO_PROFILES, NULL, &type, (BYTE *)&automatic,
                             &size) != ERROR_SUCCESS || !IsFourByteDword(type, size))
            automatic = 1;
        RegCloseKey(key);
    }
    printf("Profiles: %d (chosen by hand: %s; switch by program: %s)\n", count,
           chosen[0] ? chosen : MACHINE_SETTINGS_LABEL, automatic ? "on" : "off");
}
