#include "app/discovery_wait.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/profile_switch.h"
#include "app/startup.h"
#include "app/reader_session.h"
#include "app/reconnect.h"
#include "device/hid_probe.h"
#include "os/os.h"
#include "res/resource.h"
#include "ui/tray_icon.h"

void WaitForTablet(HWND mainWindow)
{
    // Elapsed time, not a deadline: start + timeout wraps after 49.7 days of
    // uptime, which would end the wait before its first probe.
    DWORD start = OsGetTickCount();
    bool found = false;
    for (;;) {
        if (OsGetTickCount() - start >= DISCOVERY_TIMEOUT_MS)
            break;
        DrainMessages();
        if (App.ShutdownStarted)
            return;  // a WM_CLOSE was handled in the drain
        OsSleep(DISCOVERY_POLL_MS);
        found = ProbeTablet();
        if (found)
            break;
    }

    if (!found) {
        ShowStringMessage(mainWindow, IDS_NOT_CONNECTED, IDS_ERROR_CAPTION, MB_OK);
        SendMessageA(mainWindow, WM_CLOSE, 1, 0);
        return;
    }

    // The profile in force before the icon shows its name and the reader
    // loads the settings.
    StartProfiles(mainWindow);
    // The icon first: a refused add arms its retry and the start goes on.
    ShowTrayIcon(mainWindow);
    StartPacketReader();
    WatchTablet(mainWindow);
}

void DrainMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the main message loop.
            PostQuitMessage((int)msg.wParam);
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
