// The reader thread's packet loop.  It reaches the window only by posting
// packets; the UI thread stops it through RunFlag and the published
// PacketEvent.  The driver and every timed wait go through src/os; the
// event and its lock are the process's own and stay plain Win32 calls, as
// everywhere in the program (the unit tests run them for real).
#include "device/packet_reader.h"
#include "device/driver_channel.h"
#include "device/packet_ring.h"
#include "os/os.h"

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

void PublishPacketEvent(HANDLE event)
{
    EnterCriticalSection(&PacketReader.EventLock);
    PacketReader.PacketEvent = event;
    if (!PacketReader.StopRequested)
        InterlockedExchange(&PacketReader.RunFlag, 1);
    LeaveCriticalSection(&PacketReader.EventLock);
}

// Under the lock that StopPacketLoop signals under, so the handle it
// signals is never one that is closed or reused.
void ClosePacketEvent(HANDLE event)
{
    EnterCriticalSection(&PacketReader.EventLock);
    PacketReader.PacketEvent = NULL;
    CloseHandle(event);
    LeaveCriticalSection(&PacketReader.EventLock);
}

// A stop that found the channel held by a request of this reader could not
// switch reporting off; the reader does it before it closes the channel.
void SwitchReportingOffAfterStop()
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
static void WaitForPacket(HWND window, HANDLE event, PenPacket *packet)
{
    if (packet->status & PEN_STATUS_IN_RANGE) {
        OsWaitForSingleObject(event, INFINITE);
        return;
    }
    while (OsWaitForSingleObject(event, IDLE_POLL_MS) == WAIT_TIMEOUT) {
        MakeIdlePacket(packet);
        PostPenPacket(window, packet);
    }
}

PacketLoopEnd RunPacketLoop(HWND window, HANDLE event)
{
    // Each read lands here: a short read keeps the bytes of the last one.
    PenPacket packet;
    ZeroMemory(&packet, sizeof packet);
    packet.status = PEN_STATUS_IN_RANGE;
    while (PacketReader.RunFlag) {
        if (!ArmPacketEvent(event))
            return PACKET_LOOP_ARM_FAILED;
        // Arming may reset the event; a stop that signalled it before then
        // has already cleared RunFlag.
        if (!PacketReader.RunFlag)
            return PACKET_LOOP_STOPPED;
        WaitForPacket(window, event, &packet);
        if (!PacketReader.RunFlag)
            return PACKET_LOOP_STOPPED;
        if (!ReadPenPacket(&packet))
            return PACKET_LOOP_READ_FAILED;
        if (!(packet.status & PEN_STATUS_IN_RANGE)) {
            packet.x = PEN_NO_POSITION;
            packet.y = PEN_NO_POSITION;
        }
        PostPenPacket(window, &packet);
    }
    return PACKET_LOOP_STOPPED;
}

void StopPacketLoop()
{
    bool off = EnableReportingWithin(0, STOP_CHANNEL_WAIT_MS);
    EnterCriticalSection(&PacketReader.EventLock);
    PacketReader.StopRequested = 1;
    PacketReader.ReportingLeftOn = !off;
    InterlockedExchange(&PacketReader.RunFlag, 0);
    if (PacketReader.PacketEvent)
        SetEvent(PacketReader.PacketEvent);
    LeaveCriticalSection(&PacketReader.EventLock);
}
