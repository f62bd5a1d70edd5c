#include "e2e_support.h"

#include <setupapi.h>
#include <tlhelp32.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}
#include <stdio.h>
#include <string.h>

#include "shared/stored_values.h"

std::string BuildFolder()
{
    // <build>\tests\e2e\<test>.exe
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder = path;
    for (int up = 0; up < 3; up++) {
        size_t slash = folder.find_last_of("\\/");
        if (slash == std::string::npos)
            return "";
        folder.erase(slash);
    }
    return folder + "\\";
}

bool InstallVirtualTablet(bool withBus)
{
    std::string tools = BuildFolder() + "tools\\";
    if (!InstallTabletDriver(tools.c_str())) {
        fprintf(stderr, "the stand-in tablet driver did not start\n");
        return false;
    }
    if (withBus && !InstallTabletBus(tools.c_str())) {
        fprintf(stderr, "the virtual HID bus did not start\n");
        return false;
    }
    return true;
}

bool WaitFor(const std::function<bool()> &done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return done();
        Sleep(10);
    }
}

std::vector<VTabletLogEntry> ReadLogFrom(unsigned first)
{
    std::vector<VTabletLogEntry> log;
    VTabletLogEntry chunk[256];
    for (;;) {
        unsigned n = ReadRequestLog(first, chunk, 256);
        if (n == 0)
            return log;
        log.insert(log.end(), chunk, chunk + n);
        first = chunk[n - 1].Sequence + 1;
    }
}

std::vector<VTabletLogEntry> EntriesOfCode(const std::vector<VTabletLogEntry> &log,
                                           unsigned code)
{
    std::vector<VTabletLogEntry> found;
    for (const VTabletLogEntry &e : log)
        if (e.Code == code)
            found.push_back(e);
    return found;
}

VTabletState TabletState()
{
    VTabletState state;
    memset(&state, 0, sizeof state);
    GetVirtualTabletState(&state);
    return state;
}

DWORD LoggedValue(const VTabletLogEntry &entry)
{
    DWORD value;
    memcpy(&value, entry.Input, sizeof value);
    return value;
}

static bool ReadValueMax(PHIDP_PREPARSED_DATA data, USAGE usage, LONG *max)
{
    HIDP_VALUE_CAPS caps;
    USHORT count = 1;
    if (HidP_GetSpecificValueCaps(HidP_Input, 0x01, 0, usage, &caps, &count, data) !=
            HIDP_STATUS_SUCCESS || count == 0)
        return false;
    *max = caps.LogicalMax;
    return true;
}

// The bus names its tablets' instances with 8 hex digits; Wine's own
// devices have instance ids with '&'.
static bool IsVirtualTabletPath(const std::string &path)
{
    size_t end = path.rfind("#{");
    size_t start = end == std::string::npos ? end : path.rfind('#', end - 1);
    if (start == std::string::npos || end - start - 1 != 8)
        return false;
    return path.find('&', start) > end;
}

std::vector<SeenHid> ListHidDevices()
{
    std::vector<SeenHid> seen;
    GUID hid;
    HidD_GetHidGuid(&hid);
    HDEVINFO set = SetupDiGetClassDevsA(&hid, NULL, NULL,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return seen;
    SP_DEVICE_INTERFACE_DATA iface;
    iface.cbSize = sizeof iface;
    for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set, NULL, &hid, i, &iface); i++) {
        char buffer[1024];
        SP_DEVICE_INTERFACE_DETAIL_DATA_A *detail =
            (SP_DEVICE_INTERFACE_DETAIL_DATA_A *)buffer;
        detail->cbSize = sizeof *detail;
        if (!SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, sizeof buffer,
                                              NULL, NULL))
            continue;
        SeenHid device = {};
        device.Path = detail->DevicePath;
        device.Virtual = IsVirtualTabletPath(device.Path);
        HANDLE h = CreateFileA(detail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               NULL, OPEN_EXISTING, 0, NULL);
        if (h != INVALID_HANDLE_VALUE) {
            HIDD_ATTRIBUTES attributes;
            attributes.Size = sizeof attributes;
            if (HidD_GetAttributes(h, &attributes)) {
                device.VendorId = attributes.VendorID;
                device.ProductId = attributes.ProductID;
            }
            PHIDP_PREPARSED_DATA data;
            if (HidD_GetPreparsedData(h, &data)) {
                device.HasX = ReadValueMax(data, 0x30, &device.XMax);
                device.HasY = ReadValueMax(data, 0x31, &device.YMax);
                HidD_FreePreparsedData(data);
            }
            CloseHandle(h);
        }
        seen.push_back(device);
    }
    SetupDiDestroyDeviceInfoList(set);
    return seen;
}

static bool Matches(const SeenHid &seen, const VTabletDeviceSpec &spec)
{
    bool xy = !(spec.Flags & VTABLET_NO_XY);
    return seen.VendorId == spec.VendorId && seen.ProductId == spec.ProductId &&
           seen.HasX == xy && seen.HasY == xy &&
           (!xy || (seen.XMax == spec.XMax && seen.YMax == spec.YMax));
}

static bool ListedExactly(const std::vector<VTabletDeviceSpec> &specs)
{
    std::vector<SeenHid> seen;
    for (const SeenHid &d : ListHidDevices())
        if (d.Virtual)
            seen.push_back(d);
    if (seen.size() != specs.size())
        return false;
    std::vector<bool> used(seen.size(), false);
    for (const VTabletDeviceSpec &spec : specs) {
        bool found = false;
        for (size_t i = 0; i < seen.size() && !found; i++)
            if (!used[i] && Matches(seen[i], spec))
                used[i] = found = true;
        if (!found)
            return false;
    }
    return true;
}

bool PresentTablets(const std::vector<VTabletDeviceSpec> &specs)
{
    DWORD plugged = 0;
    if (CountHidTablets(&plugged) && plugged == specs.size() && ListedExactly(specs))
        return true;
    if (!UnplugHidTablet(VTABLET_ALL_DEVICES))
        return false;
    if (!WaitFor([] { return ListedExactly({}); }, 30000))
        return false;
    for (const VTabletDeviceSpec &spec : specs)
        if (!PlugHidTablet(&spec))
            return false;
    return WaitFor([&] { return ListedExactly(specs); }, 60000);
}

std::vector<VTabletLogEntry> EntriesOfProcess(const std::vector<VTabletLogEntry> &log,
                                              DWORD processId)
{
    std::vector<VTabletLogEntry> found;
    for (const VTabletLogEntry &e : log)
        if (e.ProcessId == processId)
            found.push_back(e);
    return found;
}

HWND FindMessageBox(const char *caption) { return FindWindowA("#32770", caption); }

std::string MessageBoxText(HWND box)
{
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

ProgramRun StartProgram(DWORD creationFlags)
{
    ProgramRun run;
    memset(&run, 0, sizeof run);
    std::string folder = BuildFolder();
    std::string exe = folder + "stylohid.exe";
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    // Now and then Wine's CreateProcess fails with ERROR_INTERNAL_ERROR
    // (seen about the hundredth of two hundred starts in a row, on a quiet
    // machine too); such a start is said and tried again, twice at most.
    // Any other failure counts at once.
    for (int attempt = 0; attempt < 3; attempt++) {
        run.Started = CreateProcessA(exe.c_str(), NULL, NULL, NULL, FALSE, creationFlags,
                                     NULL, folder.c_str(), &startup, &run.Process) != FALSE;
        DWORD error = run.Started ? 0 : GetLastError();
        if (!run.Started)
            fprintf(stderr, "starting %s failed: %lu\n", exe.c_str(), error);
        if (run.Started || error != ERROR_INTERNAL_ERROR)
            break;
        Sleep(500);
    }
    return run;
}

bool WaitForProgramEnd(ProgramRun &run, DWORD timeoutMs, DWORD *exitCode)
{
    if (!run.Started)
        return false;
    if (WaitForSingleObject(run.Process.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(run.Process.hProcess, exitCode);
    return true;
}

void KillProgram(ProgramRun &run)
{
    if (!run.Started)
        return;
    if (WaitForSingleObject(run.Process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(run.Process.hProcess, 99);
        WaitForSingleObject(run.Process.hProcess, 5000);
    }
    CloseHandle(run.Process.hProcess);
    CloseHandle(run.Process.hThread);
    run.Started = false;
}

HWND FindProgramWindow() { return FindWindowA(MAIN_WINDOW_CLASS, NULL); }

bool WaitForProgramReady(DWORD timeoutMs)
{
    return WaitFor([] { return FindProgramWindow() && TabletState().EventArmed; },
                   timeoutMs);
}

bool CloseProgram(ProgramRun &run, DWORD timeoutMs)
{
    HWND window = FindProgramWindow();
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
    return WaitForProgramEnd(run, timeoutMs, NULL);
}

void EndStrayPrograms()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (_stricmp(entry.szExeFile, "stylohid.exe") != 0)
            continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                                     entry.th32ProcessID);
        if (process) {
            TerminateProcess(process, 98);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

void WriteSetting(const char *name, DWORD value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL, 0,
                        KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof value);
    RegCloseKey(key);
}

bool ReadSetting(const char *name, DWORD *value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = sizeof *value;
    LONG result = RegQueryValueExA(key, name, NULL, &type, (BYTE *)value, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD;
}

// ---- Low-level hooks --------------------------------------------------------

static struct {
    CRITICAL_SECTION Lock;
    HANDLE Thread;
    DWORD ThreadId;
    HANDLE Ready;
    std::vector<SeenMouse> Mouse;
    std::vector<SeenKey> Keys;
} Hooks;

static LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM data)
{
    if (code == HC_ACTION) {
        SeenMouse seen = {message, *(MSLLHOOKSTRUCT *)data};
        EnterCriticalSection(&Hooks.Lock);
        Hooks.Mouse.push_back(seen);
        LeaveCriticalSection(&Hooks.Lock);
    }
    return CallNextHookEx(NULL, code, message, data);
}

static LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM data)
{
    if (code == HC_ACTION) {
        SeenKey seen = {message, *(KBDLLHOOKSTRUCT *)data};
        EnterCriticalSection(&Hooks.Lock);
        Hooks.Keys.push_back(seen);
        LeaveCriticalSection(&Hooks.Lock);
    }
    return CallNextHookEx(NULL, code, message, data);
}

static DWORD WINAPI RunHooks(void *)
{
    HINSTANCE instance = GetModuleHandleA(NULL);
    HHOOK mouse = SetWindowsHookExA(WH_MOUSE_LL, MouseHook, instance, 0);
    HHOOK keyboard = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHook, instance, 0);
    MSG msg;
    PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);  // the thread's queue
    SetEvent(Hooks.Ready);
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    UnhookWindowsHookEx(mouse);
    UnhookWindowsHookEx(keyboard);
    return 0;
}

void StartInputHooks()
{
    InitializeCriticalSection(&Hooks.Lock);
    Hooks.Ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    Hooks.Thread = CreateThread(NULL, 0, RunHooks, NULL, 0, &Hooks.ThreadId);
    WaitForSingleObject(Hooks.Ready, 5000);
}

void StopInputHooks()
{
    if (!Hooks.Thread)
        return;
    PostThreadMessageA(Hooks.ThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(Hooks.Thread, 5000);
    CloseHandle(Hooks.Thread);
    CloseHandle(Hooks.Ready);
    Hooks.Thread = NULL;
    DeleteCriticalSection(&Hooks.Lock);
}

std::vector<SeenMouse> SeenMouseEvents()
{
    EnterCriticalSection(&Hooks.Lock);
    std::vector<SeenMouse> copy = Hooks.Mouse;
    LeaveCriticalSection(&Hooks.Lock);
    return copy;
}

std::vector<SeenKey> SeenKeyEvents()
{
    EnterCriticalSection(&Hooks.Lock);
    std::vector<SeenKey> copy = Hooks.Keys;
    LeaveCriticalSection(&Hooks.Lock);
    return copy;
}

void ClearSeenInput()
{
    EnterCriticalSection(&Hooks.Lock);
    Hooks.Mouse.clear();
    Hooks.Keys.clear();
    LeaveCriticalSection(&Hooks.Lock);
}

