// The reader thread.  It talks to the UI thread only by posting packets and
// its READER_CONNECTED, by one error box and by its last message (the end
// of the reader, or WM_CLOSE); the UI thread stops it through RunFlag and
// the published PacketEvent.  The driver and every timed wait
// go through src/os; the event, its lock, the thread handle and the messages
// to the main window are the process's own and stay plain Win32 calls, as
// everywhere in the program (the unit tests run them for real).
#include "device/packet_reader.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "device/driver_channel.h"
#include "device/hid_probe.h"
#include "device/packet_ring.h"
#include "input/screen_mapping.h"
#include "os/os.h"
#include "res/resource.h"
#include "settings/settings_store.h"

PacketReaderState PacketReader;

void InitPacketReader()
{
    PacketReader.RunFlag = 0;
    PacketReader.StopRequested = 0;
    PacketReader.ReportingLeftOn = 0;
    PacketReader.PacketEvent = NULL;
    PacketReader.Running = 0;
    PacketReader.Generation = 0;
    PacketReader.Ending = 0;
    InitializeCriticalSection(&PacketReader.EventLock);
}

// The reader's last act.  Normally the program ends with its reader; with
// the Reconnect setting it stays and waits for the tablet to come back.  The
// flag and the generation tell that end from a message anyone could post.
static void AskMainWindowToClose(LONG generation)
{
    InterlockedExchange(&PacketReader.Ending, 1);
    if (ReadReconnectSetting())
        SendMessageA(App.MainWindow, WM_TABLET_CONNECTION, READER_ENDED, generation);
    else
        SendMessageA(App.MainWindow, WM_CLOSE, 1, 0);
}

// Publishes the event and sets RunFlag, unless a stop came while the start
// steps ran: then the loop is never entered and the reader ends at once.
static void PublishPacketEvent(HANDLE event)
{
    EnterCriticalSection(&PacketReader.EventLock);
    PacketReader.PacketEvent = event;
    if (!PacketReader.StopRequested)
        InterlockedExchange(&PacketReader.RunFlag, 1);
    LeaveCriticalSection(&PacketReader.EventLock);
}

// Under the lock that StopPacketReader signals under, so the handle it
// signals is never one that is closed or reused.
static void ClosePacketEvent(HANDLE event)
{
    EnterCriticalSection(&PacketReader.EventLock);
    PacketReader.PacketEvent = NULL;
    CloseHandle(event);
    LeaveCriticalSection(&PacketReader.EventLock);
}

// A stop that found the channel held by a request of this reader could not
// switch reporting off; the reader does it before it closes the channel.
static void SwitchReportingOffAfterStop()
{
    EnterCriticalSection(&PacketReader.EventLock);
    bool leftOn = PacketReader.StopRequested && PacketReader.ReportingLeftOn;
    LeaveCriticalSection(&PacketReader.EventLock);
    if (leftOn)
        EnableReporting(0);
}

static void MakeIdlePacket(PenPacket *packet)
{
    packet->status = 0;
    packet->x = PEN_NO_POSITION;
    packet->y = PEN_NO_POSITION;
}

// Waits for the driver's signal.  After a packet in range the wait has no
// limit; after one out of range an idle packet goes out every 50 ms until
// the driver signals.
static void WaitForPacket(HANDLE event, PenPacket *packet)
{
    if (packet->status & PEN_STATUS_IN_RANGE) {
        OsWaitForSingleObject(event, INFINITE);
        return;
    }
    while (OsWaitForSingleObject(event, IDLE_POLL_MS) == WAIT_TIMEOUT) {
        MakeIdlePacket(packet);
        PostPenPacket(App.MainWindow, packet);
    }
}

static void RunPacketLoop(HANDLE event)
{
    // Each read lands here: a short read keeps the bytes of the last one.
    PenPacket packet;
    ZeroMemory(&packet, sizeof packet);
    packet.status = PEN_STATUS_IN_RANGE;
    while (PacketReader.RunFlag) {
        if (!ArmPacketEvent(event)) {
            // A program that waits for the tablet says nothing.
            if (!ReadReconnectSetting())
                ShowStringMessage(App.MainWindow, IDS_CANNOT_START,
                                  IDS_ERROR_CAPTION, MB_ICONHAND);
            return;
        }
        // Arming may reset the event; a stop that signalled it before then
        // has already cleared RunFlag.
        if (!PacketReader.RunFlag)
            return;
        WaitForPacket(event, &packet);
        if (!PacketReader.RunFlag)
            return;
        if (!ReadPenPacket(&packet))
            return;
        if (!(packet.status & PEN_STATUS_IN_RANGE)) {
            packet.x = PEN_NO_POSITION;
            packet.y = PEN_NO_POSITION;
        }
        PostPenPacket(App.MainWindow, &packet);
    }
}

DWORD WINAPI PacketReaderMain(LPVOID)
{
    LONG generation = PacketReader.Generation;
    if (!OpenDriverChannel()) {
        AskMainWindowToClose(generation);
        return 1;
    }
    if (!EnableReporting(1)) {
        CloseDriverChannel();
        AskMainWindowToClose(generation);
        return 1;
    }
    SetExtents(TabletExtents.XMax, TabletExtents.YMax);
    // The flag that lets the shutdown save is set by the load itself, once
    // the stored values are in: a save before then would write the starting
    // values over the user's.  It is set before the block goes to the driver,
    // so a driver that never answers does not keep the settings from a save.
    LoadSettings(&App.SettingsLoadAttempted);
    UpdateScreenMapping();

    HANDLE event = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (!event) {
        SwitchReportingOffAfterStop();
        CloseDriverChannel();
        AskMainWindowToClose(generation);
        return 1;
    }
    PublishPacketEvent(event);
    PostMessageA(App.MainWindow, WM_TABLET_CONNECTION, READER_CONNECTED, generation);
    RunPacketLoop(event);

    ClosePacketEvent(event);
    SwitchReportingOffAfterStop();
    CloseDriverChannel();
    AskMainWindowToClose(generation);
    return 1;
}

void StopPacketReader()
{
    bool off = EnableReportingWithin(0, STOP_CHANNEL_WAIT_MS);
    EnterCriticalSection(&PacketReader.EventLock);
    PacketReader.StopRequested = 1;
    PacketReader.ReportingLeftOn = !off;
    InterlockedExchange(&PacketReader.RunFlag, 0);
    if (PacketReader.PacketEvent)
        SetEvent(PacketReader.PacketEvent);
    LeaveCriticalSection(&PacketReader.EventLock);
    if (App.ReaderThread) {
        CloseHandle(App.ReaderThread);
        App.ReaderThread = NULL;
    }
}

bool StartPacketReader()
{
    // The reader before this one has ended (its last message is handled),
    // so nothing reads these while they are put back.
    PacketReader.StopRequested = 0;
    PacketReader.Ending = 0;
    InterlockedExchange(&PacketReader.RunFlag, 0);
    InterlockedIncrement(&PacketReader.Generation);
    App.ReaderThread = CreateThread(NULL, READER_STACK_COMMIT, PacketReaderMain,
                                    NULL, 0, NULL);
    if (!App.ReaderThread)
        return false;
    InterlockedExchange(&PacketReader.Running, 1);
    SetThreadPriority(App.ReaderThread, THREAD_PRIORITY_TIME_CRITICAL);
    return true;
}
