#include "ui/tray_icon.h"
#include <shellapi.h>
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/reconnect.h"
#include "os/os.h"
#include "res/resource.h"

// The first, 88-byte layout of the record (in the 32-bit build), which every
// shell accepts.
#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "first NOTIFYICONDATAA layout");
#endif

TrayIconState TrayIcon;

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
    return AddTrayIcon(window, TRAY_ICON_ID,
                       LoadIconA(App.Instance, MAKEINTRESOURCEA(IDI_TABLET)),
                       CurrentTrayTip());
}

void HandleTrayTimer(HWND window, WPARAM timerId)
{
    OsKillTimer(window, timerId);
    // A retry that fires after the icon was removed at shutdown would leave
    // an icon behind the ended program.
    if (App.ShutdownStarted)
        return;
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
    // No icon before the tablet is found, nor after the shutdown removed it.
    if (!TrayIcon.Wanted || App.ShutdownStarted)
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
