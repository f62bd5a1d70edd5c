// stylohidctl diagnose: one line per check, in the order a user would look:
// the tablet, its driver, the program, its settings, its start at logon and
// its control-panel applet.
#include <windows.h>
#include <setupapi.h>
#include <tlhelp32.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}
#include <stdarg.h>
#include <stdlib.h>
#include <stdio.h>
#include <string.h>

#include "device/tablet_protocol.h"
#include "settings/stored_values.h"
#include "ctl_commands.h"
#include "ctl_program.h"
#include "ctl_report.h"
#include "diagnose.h"

#define CHECK_LABEL_WIDTH 16
#define CHECK_TEXT_MAX 1024
#define ERROR_TEXT_MAX 256

// HID usages of the tablet's position, on the Generic Desktop page.
#define USAGE_PAGE_GENERIC_DESKTOP 0x01
#define USAGE_X 0x30
#define USAGE_Y 0x31

// Other devices of the tablet's maker named on the tablet's line.
#define OTHER_DEVICES_MAX 8

// The system's text for an error, with its number.
static void DescribeReason(DWORD error, char *text, int size)
{
    DescribeError(error, text, size);
    size_t used = strlen(text);
    snprintf(text + used, size - used, ", error %lu", (unsigned long)error);
}

// Prints one check's line and hands its verdict back.
static bool PrintCheck(const char *label, bool ok, const char *format, ...)
{
    char text[CHECK_TEXT_MAX];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    char heading[CHECK_LABEL_WIDTH + 2];
    snprintf(heading, sizeof heading, "%s:", label);
    printf("%-*s%s %s\n", CHECK_LABEL_WIDTH, heading, ok ? "OK," : "PROBLEM:", text);
    fflush(stdout);
    return ok;
}

// ---- The tablet among the HID devices ----------------------------------

struct TabletSearch {
    int Tablets;        // interfaces with the tablet's vendor and product
    int Opened;         // of those, opened the way the program opens them
    DWORD OpenError;    // why the last of the others did not open
    bool HasX, HasY;    // the last opened tablet's report has X, Y
    LONG XMax, YMax;
    int Others;         // devices of the tablet's vendor with another product
    USHORT OtherProducts[OTHER_DEVICES_MAX];
};

// The logical maximum of the first input value with this Generic Desktop
// usage, as the program reads it.
static bool ReadLogicalMax(PHIDP_PREPARSED_DATA preparsed, const HIDP_CAPS *caps,
                           USAGE usage, LONG *max)
{
    USHORT count = caps->NumberInputValueCaps;
    if (count == 0)
        return false;
    HIDP_VALUE_CAPS *values = (HIDP_VALUE_CAPS *)calloc(count, sizeof *values);
    if (!values)
        return false;
    bool found = HidP_GetSpecificValueCaps(HidP_Input, USAGE_PAGE_GENERIC_DESKTOP,
                                           0, usage, values, &count,
                                           preparsed) == HIDP_STATUS_SUCCESS &&
                 count > 0;
    if (found)
        *max = values[0].LogicalMax;
    free(values);
    return found;
}

static void ExamineTablet(const char *path, TabletSearch *search)
{
    search->Tablets++;
    HANDLE device = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, 0, NULL);
    if (device == INVALID_HANDLE_VALUE) {
        search->OpenError = GetLastError();
        return;
    }
    search->Opened++;
    search->HasX = search->HasY = false;
    PHIDP_PREPARSED_DATA preparsed;
    if (HidD_GetPreparsedData(device, &preparsed)) {
        HIDP_CAPS caps;
        if (HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS) {
            search->HasX = ReadLogicalMax(preparsed, &caps, USAGE_X, &search->XMax);
            search->HasY = ReadLogicalMax(preparsed, &caps, USAGE_Y, &search->YMax);
        }
        HidD_FreePreparsedData(preparsed);
    }
    CloseHandle(device);
}

// Reads the interface's USB ids without asking for access, so that a device
// held by another program is still named.
static void ExamineInterface(const char *path, TabletSearch *search)
{
    HANDLE device = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, 0, NULL);
    if (device == INVALID_HANDLE_VALUE)
        return;
    HIDD_ATTRIBUTES attributes;
    attributes.Size = sizeof attributes;
    BOOL known = HidD_GetAttributes(device, &attributes);
    CloseHandle(device);
    if (!known || attributes.VendorID != TABLET_VENDOR_ID)
        return;
    if (attributes.ProductID == TABLET_PRODUCT_ID)
        ExamineTablet(path, search);
    else if (search->Others < OTHER_DEVICES_MAX)
        search->OtherProducts[search->Others++] = attributes.ProductID;
}

static bool SearchHidDevices(TabletSearch *search, DWORD *error)
{
    GUID hidGuid;
    HidD_GetHidGuid(&hidGuid);
    HDEVINFO set = SetupDiGetClassDevsA(&hidGuid, NULL, NULL,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
    }
    SP_DEVICE_INTERFACE_DATA data;
    data.cbSize = sizeof data;
    for (DWORD index = 0;
         SetupDiEnumDeviceInterfaces(set, NULL, &hidGuid, index, &data); index++) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailA(set, &data, NULL, 0, &size, NULL);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
            continue;
        SP_DEVICE_INTERFACE_DETAIL_DATA_A *detail =
            (SP_DEVICE_INTERFACE_DETAIL_DATA_A *)malloc(size);
        if (!detail)
            break;
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (SetupDiGetDeviceInterfaceDetailA(set, &data, detail, size, NULL, NULL))
            ExamineInterface(detail->DevicePath, search);
        free(detail);
    }
    SetupDiDestroyDeviceInfoList(set);
    return true;
}

bool CheckTabletPresent()
{
    const char *label = "Tablet";
    TabletSearch search;
    ZeroMemory(&search, sizeof search);
    DWORD error = 0;
    char reason[ERROR_TEXT_MAX];
    if (!SearchHidDevices(&search, &error)) {
        DescribeReason(error, reason, sizeof reason);
        return PrintCheck(label, false,
                          "Windows did not list its HID devices (%s). Restart "
                          "Windows and run stylohidctl diagnose again.", reason);
    }
    if (search.Opened > 0 && search.HasX && search.HasY)
        return PrintCheck(label, true,
                          "found among the HID devices (vendor 0x%04X, product "
                          "0x%04X), X up to %ld, Y up to %ld.",
                          TABLET_VENDOR_ID, TABLET_PRODUCT_ID,
                          (long)search.XMax, (long)search.YMax);
    if (search.Opened > 0)
        return PrintCheck(label, false,
                          "found, but its HID report gives no %s range, so the "
                          "program cannot place the pointer. Unplug the tablet, "
                          "reinstall the tablet's own driver and plug it in again.",
                          search.HasX ? "Y" : search.HasY ? "X" : "X and no Y");
    if (search.Tablets > 0) {
        DescribeReason(search.OpenError, reason, sizeof reason);
        return PrintCheck(label, false,
                          "plugged in, but it does not open for reading and "
                          "writing as the program opens it (%s). Close other "
                          "programs that use the tablet, then unplug it and plug "
                          "it in again.", reason);
    }
    char others[OTHER_DEVICES_MAX * 40] = "";
    for (int i = 0; i < search.Others; i++) {
        size_t used = strlen(others);
        snprintf(others + used, sizeof others - used, "%s0x%04X",
                 i == 0 ? "" : i + 1 == search.Others ? " and " : ", ",
                 search.OtherProducts[i]);
    }
    if (search.Others > 0)
        return PrintCheck(label, false,
                          "not found among the HID devices. Windows sees "
                          "another device of the tablet's maker (vendor 0x%04X, "
                          "product %s), which is not this tablet (product "
                          "0x%04X). Plug the tablet in, or try another USB port.",
                          TABLET_VENDOR_ID, others, TABLET_PRODUCT_ID);
    return PrintCheck(label, false,
                      "not found among the HID devices (no device with vendor "
                      "0x%04X, product 0x%04X). Plug the tablet in or try "
                      "another USB port; if Windows still does not list it "
                      "under Human Interface Devices in the Device Manager, "
                      "install the tablet's own driver.",
                      TABLET_VENDOR_ID, TABLET_PRODUCT_ID);
}

// ---- The driver's control device -----------------------------------------

// Opened as the program opens it and closed at once: no request reaches the
// driver, so a running program is not disturbed.
bool CheckControlDevice()
{
    const char *label = "Driver";
    HANDLE device = CreateFileA(TABLET_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (device != INVALID_HANDLE_VALUE) {
        CloseHandle(device);
        return PrintCheck(label, true, "the tablet driver's device %s opens.",
                          TABLET_DEVICE_PATH);
    }
    DWORD error = GetLastError();
    char reason[ERROR_TEXT_MAX];
    DescribeReason(error, reason, sizeof reason);
    // A driver that allows one open at a time refuses a second one while the
    // program holds the device.
    RunningProgram program;
    if ((error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
         error == ERROR_BUSY) && FindRunningProgram(&program))
        return PrintCheck(label, true,
                          "the tablet driver's device %s is there but in use "
                          "(%s), most likely by the running program (process id "
                          "%lu).", TABLET_DEVICE_PATH, reason,
                          (unsigned long)program.ProcessId);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return PrintCheck(label, false,
                          "the tablet driver's device %s does not open (%s): the "
                          "driver is not loaded. Install the tablet's own driver, "
                          "then unplug the tablet and plug it in again (or "
                          "restart Windows).", TABLET_DEVICE_PATH, reason);
    return PrintCheck(label, false,
                      "the tablet driver's device %s does not open (%s). Unplug "
                      "the tablet and plug it in again; if that does not help, "
                      "restart Windows.", TABLET_DEVICE_PATH, reason);
}

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
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, PROGRAM_FILE_NAME) == 0)
            AddProgramCopy(copies, entry.th32ProcessID);
    CloseHandle(snapshot);
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
    DWORD first = FindRunningProgram(&program) ? program.ProcessId
                                               : copies.ProcessIds[0];
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
// redirected to a copy of the key of his own.  That is what the program
// meets; this check must see the key itself, so it turns the redirection
// off for its own process (nothing outside it changes; on older Windows
// there is none and the call fails harmlessly).
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

bool CheckSettingsKey()
{
    const char *label = "Settings";
    char reason[ERROR_TEXT_MAX];
    StopRegistryRedirection();
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0,
                                KEY_QUERY_VALUE, &key);
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

    // The program opens the key for all access; on Windows Vista and later a
    // user who may not gets his settings kept apart from everyone else's.
    result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0,
                           KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS) {
        DescribeReason((DWORD)result, reason, sizeof reason);
        return PrintCheck(label, false,
                          "the program cannot open HKLM\\%s for you as it needs "
                          "to (%s), so it keeps other settings than the control "
                          "panel shows. An administrator runs stylohidctl "
                          "grant-settings once.", SETTINGS_KEY_PATH, reason);
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

int RunDiagnose(int argc, char **argv)
{
    (void)argv;
    if (argc != 1)
        return ReportUsage("diagnose takes no arguments");
    bool ok = true;
    ok = CheckTabletPresent() && ok;
    ok = CheckControlDevice() && ok;
    ok = CheckProgramRunning() && ok;
    ok = CheckSettingsKey() && ok;
    ok = CheckLogonStart() && ok;
    ok = CheckApplet() && ok;
    return ok ? EXIT_DONE : EXIT_PROBLEM_FOUND;
}
