// The thin boundary to the world outside the program and to time: the
// driver device, HID enumeration, the settings key in the registry, input
// injection, the shell, the foreground window and the programs behind
// windows, message boxes, the clock, sleeps, timed waits and timers.  The
// executable links os_win32.cpp, which forwards each call unchanged; the
// unit tests link fakes that record the calls and run on a simulated clock
// (the registry's fakes reach the real registry).
#ifndef OS_H
#define OS_H

#include <windows.h>
#include <shellapi.h>
#include <setupapi.h>
// MinGW's HID headers have no C++ linkage guard.
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

// Device files: the driver's control device and the HID interfaces.
HANDLE OsCreateFile(LPCSTR path, DWORD access, DWORD share, DWORD disposition,
                    DWORD flagsAndAttributes);
BOOL OsDeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize,
                       LPVOID out, DWORD outSize, LPDWORD returned);
BOOL OsCloseHandle(HANDLE handle);

// HID enumeration (SETUPAPI and HID.DLL).
void OsHidGetHidGuid(GUID *guid);
HDEVINFO OsSetupDiGetClassDevs(const GUID *guid, DWORD flags);
BOOL OsSetupDiEnumDeviceInterfaces(HDEVINFO set, const GUID *guid, DWORD index,
                                   PSP_DEVICE_INTERFACE_DATA data);
BOOL OsSetupDiGetDeviceInterfaceDetail(HDEVINFO set,
                                       PSP_DEVICE_INTERFACE_DATA data,
                                       PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                       DWORD detailSize, PDWORD requiredSize);
BOOL OsSetupDiDestroyDeviceInfoList(HDEVINFO set);
// Device-change notices for the HID interface class, delivered to the window
// as WM_DEVICECHANGE.  Looked up at run time; NULL when the system has no
// such notices or refuses them.
HANDLE OsRegisterHidNotification(HWND window, const GUID *hidGuid);
void OsUnregisterHidNotification(HANDLE notification);
BOOLEAN OsHidGetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA *data);
BOOLEAN OsHidFreePreparsedData(PHIDP_PREPARSED_DATA data);
BOOLEAN OsHidGetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes);
NTSTATUS OsHidGetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps);
NTSTATUS OsHidGetSpecificValueCaps(HIDP_REPORT_TYPE type, USAGE usagePage,
                                   USHORT linkCollection, USAGE usage,
                                   PHIDP_VALUE_CAPS caps, PUSHORT capsLength,
                                   PHIDP_PREPARSED_DATA data);

// The registry, where the settings key is shared with other programs.
LONG OsRegOpenKeyEx(HKEY root, LPCSTR path, REGSAM access, PHKEY key);
// A non-volatile key with no class and default security, made if missing.
LONG OsRegCreateKeyEx(HKEY root, LPCSTR path, REGSAM access, PHKEY key);
LONG OsRegQueryValueEx(HKEY key, LPCSTR name, LPDWORD type, LPBYTE data,
                       LPDWORD size);
LONG OsRegSetValueEx(HKEY key, LPCSTR name, DWORD type, const BYTE *data,
                     DWORD size);
LONG OsRegCloseKey(HKEY key);
// The name of the key's subkey at index (size: the room for it, with its
// end); ERROR_NO_MORE_ITEMS past the last.
LONG OsRegEnumKey(HKEY key, DWORD index, LPSTR name, DWORD size);

// Synthetic input.
void OsMouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data, ULONG_PTR extra);
void OsKeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra);
LPARAM OsGetMessageExtraInfo();

// The shell, other programs and the user.
BOOL OsShellNotifyIcon(DWORD message, NOTIFYICONDATAA *data);
UINT OsWinExec(LPCSTR commandLine, UINT show);
int OsMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// The other programs of the desktop (os_win32_programs.cpp).  Changes of the
// foreground window are told to `changed` on the calling thread, from its
// message loop, with the window brought to the front (a WinEvent hook, out
// of context, that leaves out the program's own windows); NULL when they
// cannot be watched.
typedef void (*ForegroundChanged)(HWND window);
HANDLE OsWatchForeground(ForegroundChanged changed);
void OsStopWatchingForeground(HANDLE watch);
// The path of the file of the program whose process owns the window; false
// when it cannot be read (a process of another session, or a protected one).
bool OsReadWindowProgram(HWND window, char *path, DWORD size);

// Time.
DWORD OsGetTickCount();
// The high-resolution counter and its counts per second (fixed while the
// system runs; at least 1).
LONGLONG OsReadPerformanceCounter();
LONGLONG OsReadPerformanceFrequency();
void OsSleep(DWORD ms);
DWORD OsWaitForSingleObject(HANDLE handle, DWORD ms);
UINT_PTR OsSetTimer(HWND window, UINT_PTR id, UINT ms);
BOOL OsKillTimer(HWND window, UINT_PTR id);

#endif
