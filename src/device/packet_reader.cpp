#include "device/packet_reader.h"
#include "app/app_state.h"
#include "device/driver_channel.h"

PacketReaderState PacketReader;

void InitPacketReader()
{
    PacketReader.RunFlag = 0;
    PacketReader.PacketEvent = NULL;
    InitializeCriticalSection(&PacketReader.EventLock);
}

DWORD WINAPI PacketReaderMain(LPVOID)
{
    return 1;
}

void StopPacketReader()
{
    if (IsDriverChannelOpen())
        EnableReporting(0);
    InterlockedExchange(&PacketReader.RunFlag, 0);
    EnterCriticalSection(&PacketReader.EventLock);
    if (PacketReader.PacketEvent)
        SetEvent(PacketReader.PacketEvent);
    LeaveCriticalSection(&PacketReader.EventLock);
    if (App.ReaderThread) {
        CloseHandle(App.ReaderThread);
        App.ReaderThread = NULL;
    }
}
