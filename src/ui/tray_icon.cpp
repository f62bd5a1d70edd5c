#include "ui/tray_icon.h"
#include <shellapi.h>
#include "os/os.h"

BOOL AddTrayIcon(HWND, UINT, HICON, LPCSTR) { return FALSE; }

BOOL DeleteTrayIcon(HWND owner, UINT id)
{
    NOTIFYICONDATAA data;
    ZeroMemory(&data, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = owner;
    data.uID = id;
    return OsShellNotifyIcon(NIM_DELETE, &data);
}

void HandleTrayTimer(HWND, WPARAM) {}

void HandleTrayNotify(HWND, WPARAM, LPARAM) {}
