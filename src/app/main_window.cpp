// The main window's message table and the shutdown on WM_CLOSE.
#include <windows.h>
#include "app/app_state.h"
#include "app/discovery_wait.h"
#include "app/main_window.h"
#include "app/profile_switch.h"
#include "app/reader_session.h"
#include "app/reconnect.h"
#include "device/packet_ring.h"
#include "input/packet_translation.h"
#include "input/screen_mapping.h"
#include "os/os.h"
#include "settings/settings_store.h"
#include "shared/stored_values.h"
#include "ui/commands.h"
#include "ui/tray_icon.h"

void SaveSettingsOnce()
{
    if (!App.SettingsLoadAttempted)
        return;
    if (InterlockedExchange(&App.SettingsSaved, 1))
        return;
    SaveSettings();
}

void ShutDownProgram()
{
    // Set before any step, so a WM_CLOSE delivered while a step waits in a
    // system call finds the shutdown under way.
    if (InterlockedExchange(&App.ShutdownStarted, 1))
        return;
    // From here on no packet is handled: what the pen holds goes up now.
    ReleasePenButtons();
    SaveSettingsOnce();
    StopProfiles(App.MainWindow);
    StopPacketReader();
    StopWatchingTablet(App.MainWindow);
    DeleteTrayIcon(App.MainWindow, TRAY_ICON_ID);
    PostQuitMessage(0);
}

// WM_TIMER: the probe for a tablet that went away, or the retry of a refused
// icon.  A retry that fires after the icon was removed at shutdown would
// leave an icon behind the ended program: it only stops.
static void HandleTimer(HWND window, WPARAM timerId)
{
    if (timerId == RECONNECT_TIMER)
        HandleReconnectTimer(window);
    else if (timerId == FOREGROUND_POLL_TIMER)
        HandleForegroundPoll(window);
    else if (App.ShutdownStarted)
        OsKillTimer(window, timerId);
    else
        HandleTrayTimer(window, timerId);
}

// WM_INITDIALOG.  Only the window's own creation starts the program: the
// window is found by its class name, and a WM_INITDIALOG that another
// program sends later must not start a second wait and a second reader.
static INT_PTR HandleInitDialog(HWND window)
{
    if (InterlockedExchange(&App.StartupBegun, 1))
        return FALSE;
    App.MainWindow = window;
    // The window can be found now: a copy started after this one may look
    // for it (and close it) while this one waits for the tablet.
    ReleaseStartupLock();
    WaitForTablet(window);
    return TRUE;
}

// WM_TABLET_PACKET.  A packet still queued when the reader's end or the
// shutdown let go of the pen's buttons must not press one again.
static void HandlePostedPacket(LPARAM lParam)
{
    PenPacket packet;
    if (TakePostedPacket(lParam, &packet) && !App.ShutdownStarted && !Reconnect.Waiting)
        HandleTabletPacket(packet);
    // A profile's switch that waited for the pen to let go.
    if (ProfileSwitch.Waiting)
        ApplyWaitingSwitch();
}

// WM_TABLET_RELOAD: the stored values taken up again.
static void HandleReload()
{
    LoadSettings();
    ReloadButtonSettings();
    UpdateScreenMapping();
}

// WM_ENDSESSION.  Restart Manager (Windows Installer replacing the program's
// file, in any session) asks the program itself to end: as on WM_CLOSE.  At
// log-off no WM_CLOSE comes and the session's end ends the process: keep
// what the user changed.
static void HandleEndSession(WPARAM ending, LPARAM flags)
{
    if (ending && (flags & ENDSESSION_CLOSEAPP))
        ShutDownProgram();
    else if (ending)
        SaveSettingsOnce();
}

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return HandleInitDialog(window);
    case WM_CLOSE:
        ShutDownProgram();
        return TRUE;
    case WM_COMMAND:
        return HandleCommand(window, LOWORD(wParam));
    case WM_TIMER:
        HandleTimer(window, wParam);
        return FALSE;
    case WM_TABLET_CONNECTION:
        HandleReaderConnection(window, wParam, lParam);
        return FALSE;
    case WM_DEVICECHANGE:
        HandleDeviceChange(window, wParam, lParam);
        return FALSE;
    case WM_POWERBROADCAST:
        HandlePowerBroadcast(window, wParam);
        return FALSE;
    case WM_TRAY_NOTIFY:
        if (!HandleProfileMenuClick(window, lParam))
            HandleTrayNotify(window, wParam, lParam);
        return FALSE;
    case WM_TABLET_PACKET:
        HandlePostedPacket(lParam);
        return FALSE;
    case WM_TABLET_RELOAD:
        HandleReload();
        return FALSE;
    case WM_TABLET_PROFILES:
        HandleProfilesChanged(window);
        return FALSE;
    case WM_DISPLAYCHANGE:
        // A monitor added, removed or moved, or a new resolution.
        UpdateScreenMapping();
        return FALSE;
    case WM_ENDSESSION:
        HandleEndSession(wParam, lParam);
        return FALSE;
    }
    // Registered messages are numbered from 0xC000; 0 is a failed registration.
    // After the shutdown removed the icon, the shell's restart brings none back.
    if (message >= 0xC000 && message == TaskbarCreatedMessage() && !App.ShutdownStarted)
        HandleTaskbarCreated(window);
    return FALSE;
}
