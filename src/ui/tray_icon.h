// The notification-area icon.
#ifndef TRAY_ICON_H
#define TRAY_ICON_H

#include <windows.h>
#include "settings/stored_values.h"

#define TRAY_ICON_ID 2001
#define TRAY_RETRY_TIMER 1
#define TRAY_RETRY_MS 10000
#define TRAY_TIP "USB Tablet"
#define TRAY_TIP_FIELD 64  /* tip field of the first layout, with its zero */
#define PANEL_COMMAND "control.exe " APPLET_FILE_NAME

BOOL AddTrayIcon(HWND owner, UINT id, HICON icon, LPCSTR tip);
BOOL DeleteTrayIcon(HWND owner, UINT id);
// Changes the tip of the icon that is shown.
BOOL ModifyTrayTip(HWND owner, UINT id, LPCSTR tip);

// WM_TIMER: the retry of a refused add.
void HandleTrayTimer(HWND window, WPARAM timerId);
// WM_TRAY_NOTIFY: a double-click opens the control-panel applet.
void HandleTrayNotify(HWND window, WPARAM wParam, LPARAM lParam);

#endif
