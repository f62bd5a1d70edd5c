// The hidden main window: its class, its dialog procedure and its messages.
#ifndef MAIN_WINDOW_H
#define MAIN_WINDOW_H

#include <windows.h>
// Its class is registered, and the window made, by start-up.
#include "app/startup.h"

#define MAIN_WINDOW_CLASS_STYLE (CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW)

// Private messages of the main window.
#define WM_TRAY_NOTIFY    1124
#define WM_TABLET_PACKET  2025
// From the reader, lParam its generation: wParam READER_CONNECTED (posted
// once its start is done) or READER_ENDED (sent as its last act when the
// program is to wait for the tablet rather than end).
#define WM_TABLET_CONNECTION 2030
#define READER_ENDED     0
#define READER_CONNECTED 1
// WM_TABLET_RELOAD (2026) is in settings/stored_values.h, shared with the applet.

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam);

// The shutdown steps of WM_CLOSE; the second and later calls do nothing.
void ShutDownProgram();

// Writes the settings if the reader's settings load has taken them in (or
// found no key) and this has not written them yet in this run.
void SaveSettingsOnce();

#endif
