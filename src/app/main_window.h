// The hidden main window: its class, its dialog procedure and its messages.
#ifndef MAIN_WINDOW_H
#define MAIN_WINDOW_H

#include <windows.h>
// Its class is registered, and the window made, by start-up.
#include "app/startup.h"

#define MAIN_WINDOW_CLASS_STYLE (CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW)

// Each private message of the main window is in the header of its sender:
// WM_TRAY_NOTIFY (1124) in ui/tray_icon.h, WM_TABLET_PACKET (2025) in
// device/packet_ring.h, WM_TABLET_CONNECTION (2030) in app/reader_session.h,
// WM_TABLET_RELOAD (2026) and WM_TABLET_PROFILES (2027), shared with the
// applet, in shared/stored_values.h.

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam);

// The shutdown steps of WM_CLOSE; the second and later calls do nothing.
void ShutDownProgram();

// Writes the settings if the reader's settings load has taken them in (or
// found no key) and this has not written them yet in this run.
void SaveSettingsOnce();

#endif
