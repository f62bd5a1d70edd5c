// diagnose: the running program, its settings key, its start at logon and
// its control-panel applet.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "shared/stored_values.h"
#include "shared/run_command.h"
#include "ctl_commands.h"
#include "ctl_program.h"
#include "ctl_report.h"
#include "diagnose.h"

// ---- The running program ---------------------------------------------------

#define PROGRAM_COPIES_MAX 16

struct ProgramCopies {
    int Count;
    DWORD ProcessIds[PROGRAM_COPIES_MAX];
};

static void AddProgramCopy(ProgramCopies *copies, DWORD processId)
{
    for (int i = 0; i < copies->Count; i++)
        if (copies->ProcessIds[i] == processId)
            return;
    if (copies->Count < PROGRAM_COPIES_MAX)
        copies->ProcessIds[copies->Count++] = processId;
}

static BOOL CALLBACK CollectProgramWindow(HWND window, LPARAM data)
{
    char className[64];
    if (GetClassNameA(window, className, sizeof className) &&
        lstrcmpiA(className, MAIN_WINDOW_CLASS) == 0) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        AddProgramCopy((ProgramCopies *)data, processId);
    }
    return TRUE;
}

// Copies found by their main window, then by the program's file name (a copy
// may be ending, or waiting on a message box without its window).
static void FindProgramCopies(ProgramCopies *copies)
{
    EnumWindows(CollectProgramWindow, (LPARAM)copies);
    DWORD processIds[PROGRAM_COPIES_MAX];
    int count = ListProgramProcesses(processIds, PROGRAM_COPIES_MAX);
    for (int i = 0; i < count; i++)
        AddProgramCopy(copies, processIds[i]);
}

// The stored Reconnect value asks the program to stay while the tablet is away.
static bool ReconnectStored()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, SETTINGS_READ_ACCESS, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = 0, number = 0, size = sizeof number;
    bool set = RegQueryValueExA(key, VALUE_RECONNECT, NULL, &type, (BYTE *)&number,
                                &size) == ERROR_SUCCESS &&
               IsFourByteDword(type, size) && number != 0;
    RegCloseKey(key);
    return set;
}

bool CheckProgramRunning()
{
    const char *label = "Program";
    ProgramCopies copies;
    ZeroMemory(&copies, sizeof copies);
    FindProgramCopies(&copies);
    if (copies.Count == 0)
        return PrintCheck(label, false,
                          "%s is not running. Log off and on (it starts at every "
                          "logon) or start it from its folder; its icon appears "
                          "once it has found the tablet. %s", PROGRAM_FILE_NAME,
                          ReconnectStored()
                              ? "It is set to keep running while the tablet is "
                                "unplugged, so it was closed, or did not find the "
                                "tablet within four minutes of its start."
                              : "It ends when the tablet is unplugged; to keep it "
                                "running, tick \"Keep running while the tablet is "
                                "unplugged\" in the control panel.");
    RunningProgram program;
    bool windowFound = FindRunningProgram(&program);
    DWORD first = windowFound ? program.ProcessId : copies.ProcessIds[0];
    if (copies.Count == 1 && !windowFound)
        return PrintCheck(label, false,
                          "%s runs (process id %lu) without a window this command "
                          "can find: in another session or on another desktop "
                          "(another user's copy, or one started as SYSTEM), or it "
                          "is ending or hangs. If it is another user's, that user "
                          "closes it or logs off; otherwise wait a few seconds, "
                          "and if it stays, end it in the Task Manager and start "
                          "it again.",
                          PROGRAM_FILE_NAME, (unsigned long)first);
    if (copies.Count == 1)
        return PrintCheck(label, true, "%s is running (process id %lu).",
                          PROGRAM_FILE_NAME, (unsigned long)first);
    char others[PROGRAM_COPIES_MAX * 16] = "";
    for (int i = 0; i < copies.Count; i++) {
        if (copies.ProcessIds[i] == first)
            continue;
        size_t used = strlen(others);
        snprintf(others + used, sizeof others - used, "%s%lu", used ? ", " : "",
                 (unsigned long)copies.ProcessIds[i]);
    }
    return PrintCheck(label, false,
                      "%s is running more than once (process id %lu, and %s). "
                      "Run stylohidctl close --wait until no copy is left, "
                      "then start the program once.",
                      PROGRAM_FILE_NAME, (unsigned long)first, others);
}

// ---- The settings key ------------------------------------------------------

static void DescribeType(DWORD type, DWORD size, char *text, size_t textSize)
{
    const char *name = RegistryTypeName(type, NULL);
    if (type == REG_DWORD)
        snprintf(text, textSize, "a REG_DWORD of %lu bytes", (unsigned long)size);
    else if (name)
        snprintf(text, textSize, "%s", name);
    else
        snprintf(text, textSize, "of type %lu", (unsigned long)type);
}

// On Windows Vista and later a 32-bit program without a manifest, run by a
// user who may not write the key, has its opens and writes quietly
// redirected to a copy of the key of his own.  The product's programs carry
// manifests that turn this off; a tool started some other way must still see
// the key itself, so it turns the redirection off for its own process
// (nothing outside it changes; on older Windows there is none and the call
// fails harmlessly).
static void StopRegistryRedirection()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_ADJUST_DEFAULT,
                          &token))
        return;
    DWORD enabled = 0, size = 0;
    if (GetTokenInformation(token, TokenVirtualizationEnabled, &enabled,
                            sizeof enabled, &size) && enabled) {
        DWORD off = 0;
        SetTokenInformation(token, TokenVirtualizationEnabled, &off, sizeof off);
    }
    CloseHandle(token);
}

// Where that redirection kept the user's copy: below the user's VirtualStore,
// in the 64-bit view or, for a 32-bit program on 64-bit Windows, in the
// WOW6432Node one.  True with path set when such a copy is there.
static bool FindVirtualStoreCopy(char *path, size_t size)
{
    static const char store[] = "Software\\Classes\\VirtualStore\\MACHINE\\";
    const char *below = SETTINGS_KEY_PATH + strlen("Software\\");
    char candidates[2][MAX_PATH];
    snprintf(candidates[0], MAX_PATH, "%s%s", store, SETTINGS_KEY_PATH);
    snprintf(candidates[1], MAX_PATH, "%sSoftware\\WOW6432Node\\%s", store, below);
    for (const char *candidate : candidates) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, candidate, 0, KEY_QUERY_VALUE, &key) ==
            ERROR_SUCCESS) {
            RegCloseKey(key);
            snprintf(path, size, "HKCU\\%s", candidate);
            return true;
        }
    }
    return false;
}

// The stored values by what the registry gives for each: of the program's
// type and size, missing, or another (by name, with what it is).
struct StoredValueSurvey {
    unsigned Stored;   // of the program's type and size
    unsigned Missing;  // not there
    char Wrong[CHECK_TEXT_MAX / 2];    // the others by name, with what they are
    char Absent[CHECK_TEXT_MAX / 4];   // the missing ones by name
};

static void SurveyStoredValues(HKEY key, StoredValueSurvey *survey)
{
    ZeroMemory(survey, sizeof *survey);
    for (unsigned i = 0; i < STORED_VALUE_COUNT; i++) {
        DWORD type = REG_NONE, number = 0, size = sizeof number;
        LONG read = RegQueryValueExA(key, StoredValues[i].Name, NULL, &type,
                                     (BYTE *)&number, &size);
        if (read == ERROR_SUCCESS && type == StoredValues[i].Type && size == sizeof number) {
            survey->Stored++;
            continue;
        }
        if (read == ERROR_FILE_NOT_FOUND) {
            size_t used = strlen(survey->Absent);
            snprintf(survey->Absent + used, sizeof survey->Absent - used, "%s%s",
                     survey->Missing++ ? ", " : "", StoredValues[i].Name);
            continue;
        }
        char what[64];
        if (read == ERROR_SUCCESS || read == ERROR_MORE_DATA)
            DescribeType(type, size, what, sizeof what);
        else
            snprintf(what, sizeof what, "unreadable");
        size_t used = strlen(survey->Wrong);
        snprintf(survey->Wrong + used, sizeof survey->Wrong - used, "%s%s is %s",
                 used ? ", " : "", StoredValues[i].Name, what);
    }
}

// The line for a key that opens as the program opens it: values of another
// type or size by name with what they are, then the missing ones.
static bool PrintStoredValues(const char *label, const StoredValueSurvey &survey)
{
    if (survey.Stored == STORED_VALUE_COUNT)
        return PrintCheck(label, true,
                          "HKLM\\%s opens as the program opens it; its %u values "
                          "are 4-byte REG_DWORDs.", SETTINGS_KEY_PATH, survey.Stored);
    if (survey.Missing == STORED_VALUE_COUNT)
        return PrintCheck(label, true,
                          "HKLM\\%s opens as the program opens it; no values "
                          "are stored yet: the program starts with its own values "
                          "and stores them when it closes.", SETTINGS_KEY_PATH);
    char problems[CHECK_TEXT_MAX / 2];
    snprintf(problems, sizeof problems, "%s%s%s%s", survey.Wrong,
             survey.Wrong[0] && survey.Absent[0] ? "; " : "", survey.Absent,
             survey.Missing == 0 ? "" : survey.Missing == 1 ? " is missing" : " are missing");
    return PrintCheck(label, false,
                      "in HKLM\\%s, %s; the program takes only 4-byte "
                      "REG_DWORDs, and for any other value keeps the setting it "
                      "has (its starting value at start-up, the value in force "
                      "on a reload). Close the program with stylohidctl close "
                      "--wait (it stores every value again as it ends), start "
                      "it again and check the settings in the control panel.",
                      SETTINGS_KEY_PATH, problems);
}

static bool PrintVirtualStoreCopy(const char *label, const char *copy)
{
    return PrintCheck(label, false,
                      "you have a copy of the settings of your own, %s, "
                      "which Windows made for an older version of the "
                      "program; the program and the control panel use "
                      "HKLM\\%s and no longer see it. Check your settings "
                      "in the control panel, then delete the copy: reg "
                      "delete \"%s\" /f", copy, SETTINGS_KEY_PATH, copy);
}

// The key did not open for reading: missing (fine), or refused.
static bool PrintUnreadableKey(const char *label, LONG result)
{
    if (result == ERROR_FILE_NOT_FOUND)
        return PrintCheck(label, true,
                          "none stored yet (no key HKLM\\%s): the program starts "
                          "with its own values and stores them when it closes.",
                          SETTINGS_KEY_PATH);
    char reason[ERROR_TEXT_MAX];
    DescribeReason((DWORD)result, reason, sizeof reason);
    return PrintCheck(label, false,
                      "the key HKLM\\%s cannot be read (%s). An administrator "
                      "runs stylohidctl grant-settings once.",
                      SETTINGS_KEY_PATH, reason);
}

static bool PrintUnwritableKey(const char *label, LONG result)
{
    char reason[ERROR_TEXT_MAX];
    DescribeReason((DWORD)result, reason, sizeof reason);
    return PrintCheck(label, false,
                      "the program cannot read and set the values of "
                      "HKLM\\%s for you (%s), so your changes are not kept. "
                      "An administrator runs stylohidctl grant-settings "
                      "once.", SETTINGS_KEY_PATH, reason);
}

bool CheckSettingsKey()
{
    const char *label = "Settings";
    StopRegistryRedirection();
    char copy[MAX_PATH + 8];
    if (FindVirtualStoreCopy(copy, sizeof copy))
        return PrintVirtualStoreCopy(label, copy);
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0,
                                SETTINGS_READ_ACCESS, &key);
    if (result != ERROR_SUCCESS)
        return PrintUnreadableKey(label, result);
    StoredValueSurvey survey;
    SurveyStoredValues(key, &survey);
    RegCloseKey(key);

    // The program reads the key as it starts and sets its values as it
    // ends: both for the user who runs this.
    result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0,
                           SETTINGS_READ_ACCESS | SETTINGS_WRITE_ACCESS, &key);
    if (result != ERROR_SUCCESS)
        return PrintUnwritableKey(label, result);
    RegCloseKey(key);
    return PrintStoredValues(label, survey);
}

// ---- The start at logon ----------------------------------------------------

bool CheckLogonStart()
{
    const char *label = "Logon start";
    char file[MAX_PATH], arguments[RUN_ARGUMENTS_SIZE];
    switch (FindRunProgram(file, sizeof file, arguments, sizeof arguments)) {
    case RUN_VALUE_ABSENT:
        return PrintCheck(label, false,
                          "the program does not start at logon: no text value "
                          "\"%s\" under HKLM\\%s. Repair or reinstall the "
                          "package (Add or Remove Programs).",
                          RUN_VALUE_NAME, RUN_KEY_PATH);
    case RUN_PROGRAM_ABSENT:
        return PrintCheck(label, false,
                          "the value \"%s\" under HKLM\\%s starts %s, which does "
                          "not exist. Repair or reinstall the package (Add or "
                          "Remove Programs).", RUN_VALUE_NAME, RUN_KEY_PATH, file);
    case RUN_PROGRAM_PRESENT:
        break;
    }
    return PrintCheck(label, true, "%s starts at every logon (\"%s\" under HKLM\\%s).",
                      file, RUN_VALUE_NAME, RUN_KEY_PATH);
}

// ---- The control-panel applet ----------------------------------------------

// The folder that a 32-bit process on 64-bit Windows sees as the system
// folder is the 32-bit one: its real name, for the user to look in.
static void NameRealSystemFolder(char *folder, UINT size)
{
    typedef BOOL(WINAPI * IsWow64ProcessCall)(HANDLE, PBOOL);
    typedef UINT(WINAPI * GetSystemWow64DirectoryCall)(LPSTR, UINT);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    IsWow64ProcessCall isWow64 =
        (IsWow64ProcessCall)(void *)GetProcAddress(kernel, "IsWow64Process");
    GetSystemWow64DirectoryCall wow64Folder = (GetSystemWow64DirectoryCall)(
        void *)GetProcAddress(kernel, "GetSystemWow64DirectoryA");
    BOOL wow64 = FALSE;
    char name[MAX_PATH];
    if (isWow64 && wow64Folder && isWow64(GetCurrentProcess(), &wow64) && wow64) {
        UINT length = wow64Folder(name, sizeof name);
        if (length > 0 && length < sizeof name)
            lstrcpynA(folder, name, (int)size);
    }
}

// Where control.exe looks for it: the system folder as this program sees it
// (a 32-bit process on 64-bit Windows sees the 32-bit one).
bool CheckApplet()
{
    const char *label = "Applet";
    char folder[MAX_PATH];
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        folder[0] = '\0';
    char path[MAX_PATH + 32];
    snprintf(path, sizeof path, "%s\\%s", folder, APPLET_FILE_NAME);
    DWORD attributes = GetFileAttributesA(path);
    NameRealSystemFolder(folder, sizeof folder);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return PrintCheck(label, true,
                          "%s is in %s, where control.exe finds it; a "
                          "double-click on the tablet's icon opens it.",
                          APPLET_FILE_NAME, folder);
    return PrintCheck(label, false,
                      "%s is not in %s, where control.exe looks for it, so a "
                      "double-click on the tablet's icon opens nothing. Repair "
                      "or reinstall the package (Add or Remove Programs).",
                      APPLET_FILE_NAME, folder);
}
