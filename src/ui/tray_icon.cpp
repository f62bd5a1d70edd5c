#include "ui/tray_icon.h"
#include <shellapi.h>
#include "os/os.h"
#include "res/resource.h"

// The first, 88-byte layout of the record (in the 32-bit build), which every
// shell accepts.
#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "first NOTIFYICONDATAA layout");
#endif

TrayIconState TrayIcon = {0, 0, TRAY_TIP};

// The record in its first layout, naming the icon; nothing else set.
static void PrepareTrayRecord(NOTIFYICONDATAA *data, HWND owner, UINT id)
{
    ZeroMemory(data, sizeof *data);
    data->cbSize = NOTIFYICONDATAA_V1_SIZE;
    data->hWnd = owner;
    data->uID = id;
}

BOOL AddTrayIcon(HWND owner, UINT id, HICON icon, LPCSTR tip)
{
    NOTIFYICONDATAA data;
    PrepareTrayRecord(&data, owner, id);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_NOTIFY;
    data.hIcon = icon;
    // The first layout's tip field holds 64 characters with the zero.
    if (tip)
        lstrcpynA(data.szTip, tip, TRAY_TIP_FIELD);
    else
        data.szTip[0] = '\0';

    BOOL added = OsShellNotifyIcon(NIM_ADD, &data);
    if (!added) {
        // The shell may not be up yet: try again later, keeping the icon.
        OsSetTimer(owner, TRAY_RETRY_TIMER, TRAY_RETRY_MS);
    } else if (icon) {
        DestroyIcon(icon);  // the shell keeps its own copy
    }
    return added;
}

BOOL DeleteTrayIcon(HWND owner, UINT id)
{
    NOTIFYICONDATAA data;
    PrepareTrayRecord(&data, owner, id);
    return OsShellNotifyIcon(NIM_DELETE, &data);
}

BOOL ModifyTrayTip(HWND owner, UINT id, LPCSTR tip)
{
    lstrcpynA(TrayIcon.Tip, tip, TRAY_TIP_FIELD);
    NOTIFYICONDATAA data;
    PrepareTrayRecord(&data, owner, id);
    data.uFlags = NIF_TIP;
    lstrcpynA(data.szTip, tip, TRAY_TIP_FIELD);
    return OsShellNotifyIcon(NIM_MODIFY, &data);
}

BOOL ShowTrayIcon(HWND window)
{
    TrayIcon.Wanted = 1;
    // Known, and let through, before the shell can start again.
    TaskbarCreatedMessage();
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(window, GWLP_HINSTANCE);
    return AddTrayIcon(window, TRAY_ICON_ID,
                       LoadIconA(instance, MAKEINTRESOURCEA(IDI_TABLET)), TrayIcon.Tip);
}

void HandleTrayTimer(HWND window, WPARAM timerId)
{
    OsKillTimer(window, timerId);
    ShowTrayIcon(window);
}

UINT TaskbarCreatedMessage()
{
    if (TrayIcon.TaskbarCreated)
        return TrayIcon.TaskbarCreated;
    TrayIcon.TaskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    // A copy that runs elevated (started by an elevated installer) gets the
    // shell's broadcast only when it lets it through (Vista and later).
    typedef BOOL(WINAPI * ChangeFilterProc)(UINT, DWORD);
    const DWORD FILTER_ADD = 1;  // MSGFLT_ADD
    HMODULE user32 = GetModuleHandleA("user32.dll");
    ChangeFilterProc allow =
        user32 ? (ChangeFilterProc)(void *)GetProcAddress(user32, "ChangeWindowMessageFilter")
               : NULL;
    if (allow && TrayIcon.TaskbarCreated)
        allow(TrayIcon.TaskbarCreated, FILTER_ADD);
    return TrayIcon.TaskbarCreated;
}

void HandleTaskbarCreated(HWND window)
{
    // No icon before the tablet is found (nor, the caller sees to it, after
    // the shutdown removed it).
    if (!TrayIcon.Wanted)
        return;
    // A retry still due would add it twice.  A shell that still shows the
    // icon would refuse the add, and every retry after it: removed first.
    OsKillTimer(window, TRAY_RETRY_TIMER);
    DeleteTrayIcon(window, TRAY_ICON_ID);
    ShowTrayIcon(window);
}

void HandleTrayNotify(HWND, WPARAM, LPARAM lParam)
{
    // Only a left double-click does anything; no menu is shown.
    if (lParam == WM_LBUTTONDBLCLK)
        OsWinExec(PANEL_COMMAND, SW_SHOWNORMAL);
}
