// diagnose: the running program, its settings key, its start at logon and
// its control-panel applet.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "settings/stored_values.h"
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
                          "once it has found the tablet.", PROGRAM_FILE_NAME);
    RunningProgram program;
    bool windowFound = FindRunningProgram(&program);
    DWORD first = windowFound ? program.ProcessId : copies.ProcessIds[0];
    if (copies.Count == 1 && !windowFound)
        return PrintCheck(label, false,
                          "%s runs (process id %lu) without its window, so it is "
                          "ending or hangs. Wait a few seconds; if it stays, end "
                          "it in the Task Manager and start it again.",
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

static const char *const StoredValueNames[] = {
    VALUE_ABSOLUTE, VALUE_LANDSCAPE, VALUE_SENSITIVITY, VALUE_WORKING_AREA,
    VALUE_START_X,  VALUE_START_Y,   VALUE_END_X,       VALUE_END_Y,
    VALUE_BUTTON1,  VALUE_BUTTON2};
#define STORED_VALUE_COUNT (sizeof StoredValueNames / sizeof StoredValueNames[0])

static void DescribeType(DWORD type, DWORD size, char *text, size_t textSize)
{
    static const char *const names[] = {
        "REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD",
        "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ",
        "REG_RESOURCE_LIST", "REG_FULL_RESOURCE_DESCRIPTOR",
        "REG_RESOURCE_REQUIREMENTS_LIST", "REG_QWORD"};
    if (type == REG_DWORD)
        snprintf(text, textSize, "a REG_DWORD of %lu bytes", (unsigned long)size);
    else if (type < sizeof names / sizeof names[0])
        snprintf(text, textSize, "%s", names[type]);
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

bool CheckSettingsKey()
{
    const char *label = "Settings";
    char reason[ERROR_TEXT_MAX];
    StopRegistryRedirection();
    char copy[MAX_PATH + 8];
    if (FindVirtualStoreCopy(copy, sizeof copy))
        return PrintCheck(label, false,
                          "you have a copy of the settings of your own, %s, "
                          "which Windows made for an older version of the "
                          "program; the program and the control panel use "
                          "HKLM\\%s and no longer see it. Check your settings "
                          "in the control panel, then delete the copy: reg "
                          "delete \"%s\" /f", copy, SETTINGS_KEY_PATH, copy);
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0,
                                SETTINGS_READ_ACCESS, &key);
    if (result == ERROR_FILE_NOT_FOUND)
        return PrintCheck(label, true,
                          "none stored yet (no key HKLM\\%s): the program starts "
                          "with its own values and stores them when it closes.",
                          SETTINGS_KEY_PATH);
    if (result != ERROR_SUCCESS) {
        DescribeReason((DWORD)result, reason, sizeof reason);
        return PrintCheck(label, false,
                          "the key HKLM\\%s cannot be read (%s). An administrator "
                          "runs stylohidctl grant-settings once.",
                          SETTINGS_KEY_PATH, reason);
    }
    // Values of another type or size by name with what they are, then the
    // missing ones.
    char wrong[CHECK_TEXT_MAX / 2] = "", absent[CHECK_TEXT_MAX / 4] = "";
    unsigned stored = 0, missing = 0;
    for (unsigned i = 0; i < STORED_VALUE_COUNT; i++) {
        DWORD type = REG_NONE, number = 0, size = sizeof number;
        LONG read = RegQueryValueExA(key, StoredValueNames[i], NULL, &type,
                                     (BYTE *)&number, &size);
        if (read == ERROR_SUCCESS && type == REG_DWORD && size == sizeof number) {
            stored++;
            continue;
        }
        if (read == ERROR_FILE_NOT_FOUND) {
            size_t used = strlen(absent);
            snprintf(absent + used, sizeof absent - used, "%s%s",
                     missing++ ? ", " : "", StoredValueNames[i]);
            continue;
        }
        char what[64];
        if (read == ERROR_SUCCESS || read == ERROR_MORE_DATA)
            DescribeType(type, size, what, sizeof what);
        else
            snprintf(what, sizeof what, "unreadable");
        size_t used = strlen(wrong);
        snprintf(wrong + used, sizeof wrong - used, "%s%s is %s",
                 used ? ", " : "", StoredValueNames[i], what);
    }
    char problems[CHECK_TEXT_MAX / 2];
    snprintf(problems, sizeof problems, "%s%s%s%s", wrong,
             wrong[0] && absent[0] ? "; " : "", absent,
             missing == 0 ? "" : missing == 1 ? " is missing" : " are missing");
    RegCloseKey(key);

    // The program reads the key as it starts and sets its values as it
    // ends: both for the user who runs this.
    result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0,
                           SETTINGS_READ_ACCESS | SETTINGS_WRITE_ACCESS, &key);
    if (result != ERROR_SUCCESS) {
        DescribeReason((DWORD)result, reason, sizeof reason);
        return PrintCheck(label, false,
                          "the program cannot read and set the values of "
                          "HKLM\\%s for you (%s), so your changes are not kept. "
                          "An administrator runs stylohidctl grant-settings "
                          "once.", SETTINGS_KEY_PATH, reason);
    }
    RegCloseKey(key);
    if (stored == STORED_VALUE_COUNT)
        return PrintCheck(label, true,
                          "HKLM\\%s opens as the program opens it; its %u values "
                          "are 4-byte REG_DWORDs.", SETTINGS_KEY_PATH, stored);
    if (missing == STORED_VALUE_COUNT)
        return PrintCheck(label, true,
                          "HKLM\\%s opens as the program opens it; no values "
                          "are stored yet: the program starts with its own values "
                          "and stores them when it closes.", SETTINGS_KEY_PATH);
    return PrintCheck(label, false,
                      "in HKLM\\%s, %s; the program takes only 4-byte "
                      "REG_DWORDs and uses other numbers in their place. Close the program "
                      "with stylohidctl close --wait (it stores every value "
                      "again as it ends), start it again and check the settings "
                      "in the control panel.", SETTINGS_KEY_PATH, problems);
}

// ---- The start at logon ----------------------------------------------------

// The program's file from a command line: the quoted part, or the whole line
// when it names a file, else the line up to its first ".exe".
static void CommandFile(const char *command, char *file, size_t fileSize)
{
    if (command[0] == '"') {
        const char *end = strchr(command + 1, '"');
        size_t length = end ? (size_t)(end - command - 1) : strlen(command + 1);
        snprintf(file, fileSize, "%.*s", (int)length, command + 1);
        return;
    }
    snprintf(file, fileSize, "%s", command);
    if (GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES)
        return;
    const char *exe = command;
    for (const char *p = command; *p; p++)
        if (_strnicmp(p, ".exe", 4) == 0) {
            exe = p + 4;
            break;
        }
    if (exe != command)
        snprintf(file, fileSize, "%.*s", (int)(exe - command), command);
}

bool CheckLogonStart()
{
    const char *label = "Logon start";
    char command[2 * MAX_PATH] = "";
    DWORD type = REG_NONE, size = sizeof command - 1;
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, RUN_KEY_PATH, 0,
                                KEY_QUERY_VALUE, &key);
    if (result == ERROR_SUCCESS) {
        result = RegQueryValueExA(key, RUN_VALUE_NAME, NULL, &type,
                                  (BYTE *)command, &size);
        RegCloseKey(key);
    }
    if (result == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ)
        result = ERROR_INVALID_DATA;
    if (result != ERROR_SUCCESS)
        return PrintCheck(label, false,
                          "the program does not start at logon: no text value "
                          "\"%s\" under HKLM\\%s. Repair or reinstall the "
                          "package (Add or Remove Programs).",
                          RUN_VALUE_NAME, RUN_KEY_PATH);
    command[size < sizeof command ? size : sizeof command - 1] = '\0';
    char expanded[2 * MAX_PATH];
    if (type == REG_EXPAND_SZ &&
        ExpandEnvironmentStringsA(command, expanded, sizeof expanded) - 1 <
            sizeof expanded)
        snprintf(command, sizeof command, "%s", expanded);
    char file[2 * MAX_PATH];
    CommandFile(command, file, sizeof file);
    DWORD attributes = GetFileAttributesA(file);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return PrintCheck(label, false,
                          "the value \"%s\" under HKLM\\%s starts %s, which does "
                          "not exist. Repair or reinstall the package (Add or "
                          "Remove Programs).", RUN_VALUE_NAME, RUN_KEY_PATH, file);
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
