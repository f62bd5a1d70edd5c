// The reader ends when the tablet or its driver goes away.  Normally the
// program ends with it; with the Reconnect setting the main window takes the
// reader's last message instead, lets go of what the pen held, saves the
// settings (the new reader loads them again), shows "not connected" and
// probes for the tablet: at once on every HID device change, and every
// RECONNECT_PROBE_MS (the only way where the system has no device-change
// notices, and how a driver that comes back without a device change is
// found).  A tablet found gets a new reader, which makes the start-up's
// requests; a reader that cannot open the driver ends again and the wait
// goes on.
#include "app/reconnect.h"
#include <dbt.h>
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/profile_switch.h"
#include "app/reader_session.h"
#include "device/driver_channel.h"
#include "device/hid_probe.h"
#include "device/packet_reader.h"
#include "input/packet_translation.h"
#include "os/os.h"
#include "settings/settings_store.h"
#include "ui/tray_icon.h"

ReconnectState Reconnect;

void WatchTablet(HWND mainWindow)
{
    if (Reconnect.Notification)
        return;
    GUID hidGuid;
    OsHidGetHidGuid(&hidGuid);
    Reconnect.Notification = OsRegisterHidNotification(mainWindow, &hidGuid);
}

void StopWatchingTablet(HWND mainWindow)
{
    OsKillTimer(mainWindow, RECONNECT_TIMER);
    OsUnregisterHidNotification(Reconnect.Notification);
    Reconnect.Notification = NULL;
}

static void TryReconnect(HWND mainWindow)
{
    if (!Reconnect.Waiting || App.ShutdownStarted || PacketReader.Running)
        return;
    if (!ProbeTabletSeenNow())
        return;
    OsKillTimer(mainWindow, RECONNECT_TIMER);
    if (!StartPacketReader())
        OsSetTimer(mainWindow, RECONNECT_TIMER, RECONNECT_PROBE_MS);
}

// The reader has ended: its event and channel are closed, and it is at its
// last act (the message being handled), so a new one may be started.
static void BeginWaiting(HWND mainWindow)
{
    InterlockedExchange(&PacketReader.Running, 0);
    // No idle packet comes from a reader that ended: let go here of what the
    // pen holds (packets still queued are not handled while waiting).
    ReleasePenButtons();
    ReleaseReaderThread();
    if (!Reconnect.Waiting) {
        InterlockedExchange(&Reconnect.Waiting, 1);
        if (App.SettingsLoadAttempted)
            SaveSettings();
        ModifyTrayTip(mainWindow, TRAY_ICON_ID, TRAY_TIP_NOT_CONNECTED);
    }
    // The next attempt after a pause, so a driver that keeps refusing is
    // not asked again and again.
    OsSetTimer(mainWindow, RECONNECT_TIMER, RECONNECT_PROBE_MS);
}

void HandleReaderConnection(HWND mainWindow, WPARAM state, LPARAM generation)
{
    if (App.ShutdownStarted)
        return;
    if (state == READER_ENDED) {
        // Only the end of the reader that runs now, told by that reader at
        // its last act: acting on a foreign message would start a second
        // reader on the channel of one that still runs.
        if (PacketReader.Running && PacketReader.Ending &&
            generation == PacketReader.Generation)
            BeginWaiting(mainWindow);
        return;
    }
    // Only from the reader that runs now: one that has ended since it
    // posted this says nothing about the tablet.
    if (state == READER_CONNECTED && Reconnect.Waiting && PacketReader.Running &&
        generation == PacketReader.Generation) {
        InterlockedExchange(&Reconnect.Waiting, 0);
        OsKillTimer(mainWindow, RECONNECT_TIMER);
        char tip[TRAY_TIP_FIELD];
        MakeProfileTip(tip, sizeof tip);
        ModifyTrayTip(mainWindow, TRAY_ICON_ID, tip);
    }
}

void HandleDeviceChange(HWND mainWindow, WPARAM event, LPARAM data)
{
    const DEV_BROADCAST_HDR *header = (const DEV_BROADCAST_HDR *)data;
    if ((event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) || !header ||
        header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE || App.ShutdownStarted)
        return;
    if (Reconnect.Waiting) {
        TryReconnect(mainWindow);
        return;
    }
    // The tablet's HID interface gone while its reader runs: a driver that
    // does not fail its requests would otherwise keep the reader waiting.
    if (event == DBT_DEVICEREMOVECOMPLETE && PacketReader.Running &&
        ReadReconnectSetting() && !ProbeTabletSeenNow())
        StopPacketReader();  // its last message starts the wait
}

void HandlePowerBroadcast(HWND mainWindow, WPARAM event)
{
    if ((event != PBT_APMRESUMEAUTOMATIC && event != PBT_APMRESUMESUSPEND &&
         event != PBT_APMRESUMECRITICAL) || App.ShutdownStarted)
        return;
    if (Reconnect.Waiting) {
        TryReconnect(mainWindow);
        return;
    }
    // After a sleep the driver may have lost the tablet without waking the
    // reader: the channel must still answer (reporting is on already).
    if (PacketReader.Running && ReadReconnectSetting() &&
        !EnableReportingWithin(1, STOP_CHANNEL_WAIT_MS))
        StopPacketReader();  // its last message starts the wait
}

void HandleReconnectTimer(HWND mainWindow)
{
    if (!Reconnect.Waiting || App.ShutdownStarted) {
        OsKillTimer(mainWindow, RECONNECT_TIMER);
        return;
    }
    TryReconnect(mainWindow);
}
