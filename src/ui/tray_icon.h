// The notification-area icon.  It keeps the tip it was last given, and the
// shell tells its owner window of the icon's mouse messages as
// WM_TRAY_NOTIFY.
#ifndef TRAY_ICON_H
#define TRAY_ICON_H

#include <windows.h>
#include "shared/stored_values.h"

#define WM_TRAY_NOTIFY 1124

#define TRAY_ICON_ID 2001
#define TRAY_RETRY_TIMER 1
#define TRAY_RETRY_MS 10000
#define TRAY_TIP "USB Tablet"
#define TRAY_TIP_FIELD 64  /* tip field of the first layout, with its zero */
#define PANEL_COMMAND "control.exe " APPLET_FILE_NAME

struct TrayIconState {
    LONG Wanted;           // the tablet has been found: the icon is to be shown
    UINT TaskbarCreated;   // the shell's registered message; 0 until registered
    char Tip[TRAY_TIP_FIELD];  // the tip last given; TRAY_TIP until one is
};

extern TrayIconState TrayIcon;

BOOL AddTrayIcon(HWND owner, UINT id, HICON icon, LPCSTR tip);
// The program's icon, from the window's module, with the tip last given,
// through AddTrayIcon (a refused add retries): once the tablet is found, at
// each retry, and when the shell starts again.
BOOL ShowTrayIcon(HWND window);
BOOL DeleteTrayIcon(HWND owner, UINT id);
// Changes the tip of the icon that is shown, and keeps it for the icon
// shown later.
BOOL ModifyTrayTip(HWND owner, UINT id, LPCSTR tip);

// WM_TIMER: the retry of a refused add (the caller does not ask for one
// after the shutdown removed the icon).
void HandleTrayTimer(HWND window, WPARAM timerId);
// "TaskbarCreated", broadcast by a shell that has started (again, after a
// crash or an update) without any icon; registered at the first call, which
// also lets it through to a copy that runs elevated.
UINT TaskbarCreatedMessage();
// That message: the icon is shown again, once the tablet has been found.
void HandleTaskbarCreated(HWND window);
// WM_TRAY_NOTIFY: a double-click opens the control-panel applet.
void HandleTrayNotify(HWND window, WPARAM wParam, LPARAM lParam);

#endif
