// The real OS boundary: every call goes straight to Windows.  The device
// files and the HID enumeration are in os_win32_devices.cpp.
#include "os/os.h"
#include <dbt.h>

// RegisterDeviceNotificationA is looked up, so that a system without it
// still starts the program (which then probes on a timer instead).
typedef HANDLE(WINAPI *RegisterNotificationProc)(HANDLE, LPVOID, DWORD);
typedef BOOL(WINAPI *UnregisterNotificationProc)(HANDLE);

static FARPROC User32Proc(const char *name)
{
    HMODULE user32 = GetModuleHandleA("USER32");
    return user32 ? GetProcAddress(user32, name) : NULL;
}

HANDLE OsRegisterHidNotification(HWND window, const GUID *hidGuid)
{
    RegisterNotificationProc registerProc =
        (RegisterNotificationProc)(void *)User32Proc("RegisterDeviceNotificationA");
    if (!registerProc)
        return NULL;
    DEV_BROADCAST_DEVICEINTERFACE_A filter;
    ZeroMemory(&filter, sizeof filter);
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = *hidGuid;
    return registerProc(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void OsUnregisterHidNotification(HANDLE notification)
{
    UnregisterNotificationProc unregisterProc =
        (UnregisterNotificationProc)(void *)User32Proc("UnregisterDeviceNotification");
    if (notification && unregisterProc)
        unregisterProc(notification);
}

LONG OsRegOpenKeyEx(HKEY root, LPCSTR path, REGSAM access, PHKEY key)
{
    return RegOpenKeyExA(root, path, 0, access, key);
}

LONG OsRegCreateKeyEx(HKEY root, LPCSTR path, REGSAM access, PHKEY key)
{
    return RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE, access,
                           NULL, key, NULL);
}

LONG OsRegQueryValueEx(HKEY key, LPCSTR name, LPDWORD type, LPBYTE data,
                       LPDWORD size)
{
    return RegQueryValueExA(key, name, NULL, type, data, size);
}

LONG OsRegSetValueEx(HKEY key, LPCSTR name, DWORD type, const BYTE *data,
                     DWORD size)
{
    return RegSetValueExA(key, name, 0, type, data, size);
}

LONG OsRegCloseKey(HKEY key) { return RegCloseKey(key); }

LONG OsRegEnumKey(HKEY key, DWORD index, LPSTR name, DWORD size)
{
    return RegEnumKeyExA(key, index, name, &size, NULL, NULL, NULL, NULL);
}

void OsMouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data, ULONG_PTR extra)
{
    mouse_event(flags, dx, dy, data, extra);
}

void OsKeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra)
{
    keybd_event(vk, scan, flags, extra);
}

LPARAM OsGetMessageExtraInfo() { return GetMessageExtraInfo(); }

BOOL OsShellNotifyIcon(DWORD message, NOTIFYICONDATAA *data)
{
    return Shell_NotifyIconA(message, data);
}

UINT OsWinExec(LPCSTR commandLine, UINT show) { return WinExec(commandLine, show); }

int OsMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}

DWORD OsGetTickCount() { return GetTickCount(); }

LONGLONG OsReadPerformanceCounter()
{
    LARGE_INTEGER count;
    return QueryPerformanceCounter(&count) ? count.QuadPart : 0;
}

LONGLONG OsReadPerformanceFrequency()
{
    LARGE_INTEGER frequency;
    return QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0
               ? frequency.QuadPart : 1;
}

void OsSleep(DWORD ms) { Sleep(ms); }

DWORD OsWaitForSingleObject(HANDLE handle, DWORD ms)
{
    return WaitForSingleObject(handle, ms);
}

UINT_PTR OsSetTimer(HWND window, UINT_PTR id, UINT ms)
{
    return SetTimer(window, id, ms, NULL);
}

BOOL OsKillTimer(HWND window, UINT_PTR id) { return KillTimer(window, id); }
