// A main window of the program's class and template for the tests of
// profiles: MainWindowProc behind it without the start-up's wait, the fake
// driver's channel open, the stored settings loaded and the profiles started
// as the start-up does it.
#ifndef PROFILE_WINDOW_HARNESS_H
#define PROFILE_WINDOW_HARNESS_H

#include <windows.h>
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/profile_switch.h"
#include "device/driver_channel.h"
#include "fakes/fake_os.h"
#include "res/resource.h"
#include "settings/settings_store.h"

inline INT_PTR CALLBACK ProfileWindowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        App.MainWindow = window;
        return TRUE;
    }
    return MainWindowProc(window, message, wParam, lParam);
}

inline HWND StartProfileWindow()
{
    ResetFakeOs();
    ResetTabletSettings();
    ZeroMemory(&ProfileSwitch, sizeof ProfileSwitch);
    App.ShutdownStarted = App.SettingsSaved = App.SettingsLoadAttempted = 0;
    RegisterMainWindowClass(App.Instance);
    HWND window = CreateDialogParamA(App.Instance, MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                     ProfileWindowProc, 0);
    if (!window || !OpenDriverChannel())
        return NULL;
    LoadSettings(&App.SettingsLoadAttempted);
    StartProfiles(window);
    return window;
}

inline void EndProfileWindow(HWND window)
{
    StopProfiles(window);
    DestroyWindow(window);
    UnregisterClassA(MAIN_WINDOW_CLASS, App.Instance);
    CloseDriverChannel();
    MSG msg;
    PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
}

#endif
