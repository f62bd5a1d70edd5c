// Waiting for a tablet that went away (unplugged, a hub reset, a sleep),
// when the stored Reconnect value asks for it: the program keeps its icon,
// says "not connected" in its tip and starts a new reader once the tablet
// is back.
#ifndef RECONNECT_H
#define RECONNECT_H

#include <windows.h>

#define RECONNECT_TIMER 2
// The probe while waiting; device-change notices start one at once.
#define RECONNECT_PROBE_MS 1000
#define TRAY_TIP_NOT_CONNECTED "USB Tablet (not connected)"

struct ReconnectState {
    volatile LONG Waiting;  // the reader has ended and the tablet is awaited
    HANDLE Notification;    // HID device-change notices, NULL when none
};

extern ReconnectState Reconnect;

// Once the tablet is found at start: device-change notices for the HID
// interface class, whatever the setting (it is read when a change comes).
void WatchTablet(HWND mainWindow);
// At shutdown: no more notices, no more probes.
void StopWatchingTablet(HWND mainWindow);

// WM_TABLET_CONNECTION from the reader.
void HandleReaderConnection(HWND mainWindow, WPARAM state, LPARAM generation);
// WM_DEVICECHANGE.
void HandleDeviceChange(HWND mainWindow, WPARAM event, LPARAM data);
// WM_POWERBROADCAST.
void HandlePowerBroadcast(HWND mainWindow, WPARAM event);
// WM_TIMER of RECONNECT_TIMER.
void HandleReconnectTimer(HWND mainWindow);

#endif
