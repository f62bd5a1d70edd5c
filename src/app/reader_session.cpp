// The reader thread's start-up and end.  It talks to the UI thread only by
// the packets of its loop and its READER_CONNECTED, by one error box and by
// its last message (the end of the reader, or WM_CLOSE).  The thread handle
// and the messages to the main window are the process's own and stay plain
// Win32 calls (the unit tests run them for real).
#include "app/reader_session.h"
#include "app/app_state.h"
#include "app/startup.h"
#include "device/driver_channel.h"
#include "device/hid_probe.h"
#include "device/packet_reader.h"
#include "input/screen_mapping.h"
#include "res/resource.h"
#include "settings/settings_store.h"

// The reader's last act.  Normally the program ends with its reader; with
// the Reconnect setting it stays and waits for the tablet to come back.  The
// flag and the generation tell that end from a message anyone could post.
static void AskMainWindowToClose(HWND mainWindow, LONG generation)
{
    InterlockedExchange(&PacketReader.Ending, 1);
    if (ReadReconnectSetting())
        SendMessageA(mainWindow, WM_TABLET_CONNECTION, READER_ENDED, generation);
    else
        SendMessageA(mainWindow, WM_CLOSE, 1, 0);
}

// A driver that refuses the packet event is an error the user is told of;
// a program that waits for the tablet says nothing.  Every other end of the
// loop is silent.
static void ReportPacketLoopEnd(HWND mainWindow, PacketLoopEnd end)
{
    if (end == PACKET_LOOP_ARM_FAILED && !ReadReconnectSetting())
        ShowStringMessage(mainWindow, IDS_CANNOT_START, IDS_ERROR_CAPTION, MB_ICONHAND);
}

DWORD WINAPI PacketReaderMain(LPVOID parameter)
{
    HWND mainWindow = (HWND)parameter;
    LONG generation = PacketReader.Generation;
    if (!OpenDriverChannel()) {
        AskMainWindowToClose(mainWindow, generation);
        return 1;
    }
    if (!EnableReporting(1)) {
        CloseDriverChannel();
        AskMainWindowToClose(mainWindow, generation);
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
        AskMainWindowToClose(mainWindow, generation);
        return 1;
    }
    PublishPacketEvent(event);
    PostMessageA(mainWindow, WM_TABLET_CONNECTION, READER_CONNECTED, generation);
    ReportPacketLoopEnd(mainWindow, RunPacketLoop(mainWindow, event));

    ClosePacketEvent(event);
    SwitchReportingOffAfterStop();
    CloseDriverChannel();
    AskMainWindowToClose(mainWindow, generation);
    return 1;
}

void ReleaseReaderThread()
{
    if (App.ReaderThread) {
        CloseHandle(App.ReaderThread);
        App.ReaderThread = NULL;
    }
}

void StopPacketReader()
{
    StopPacketLoop();
    ReleaseReaderThread();
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
                                    App.MainWindow, 0, NULL);
    if (!App.ReaderThread)
        return false;
    InterlockedExchange(&PacketReader.Running, 1);
    SetThreadPriority(App.ReaderThread, THREAD_PRIORITY_TIME_CRITICAL);
    return true;
}
