#include "device/driver_channel.h"
#include "os/os.h"

DriverChannelState DriverChannel;

void InitDriverChannel()
{
    DriverChannel.Handle = NULL;
    InitializeCriticalSection(&DriverChannel.Lock);
}

bool OpenDriverChannel()
{
    EnterCriticalSection(&DriverChannel.Lock);
    HANDLE device = OsCreateFile(TABLET_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (device == INVALID_HANDLE_VALUE)
        device = NULL;
    DriverChannel.Handle = device;
    LeaveCriticalSection(&DriverChannel.Lock);
    return device != NULL;
}

void CloseDriverChannel()
{
    EnterCriticalSection(&DriverChannel.Lock);
    if (DriverChannel.Handle) {
        OsCloseHandle(DriverChannel.Handle);
        DriverChannel.Handle = NULL;
    }
    LeaveCriticalSection(&DriverChannel.Lock);
}

bool IsDriverChannelOpen()
{
    EnterCriticalSection(&DriverChannel.Lock);
    bool open = DriverChannel.Handle != NULL;
    LeaveCriticalSection(&DriverChannel.Lock);
    return open;
}

// With the channel's lock held.
static bool SendRequestLocked(DWORD code, void *in, DWORD inSize, void *out,
                              DWORD outSize)
{
    if (!DriverChannel.Handle)
        return false;
    DWORD returned = 0;
    return OsDeviceIoControl(DriverChannel.Handle, code, in, inSize, out, outSize,
                             &returned) != FALSE;
}

static bool SendRequest(DWORD code, void *in, DWORD inSize, void *out,
                        DWORD outSize)
{
    EnterCriticalSection(&DriverChannel.Lock);
    bool ok = SendRequestLocked(code, in, inSize, out, outSize);
    LeaveCriticalSection(&DriverChannel.Lock);
    return ok;
}

static bool SendValue(DWORD code, DWORD value)
{
    return SendRequest(code, &value, sizeof value, NULL, 0);
}

bool EnableReporting(DWORD on) { return SendValue(IOCTL_TABLET_ENABLE, on); }

bool EnableReportingWithin(DWORD on, DWORD waitMs)
{
    DWORD start = OsGetTickCount();
    while (!TryEnterCriticalSection(&DriverChannel.Lock)) {
        if (OsGetTickCount() - start >= waitMs)
            return false;
        OsSleep(1);
    }
    bool ok = SendRequestLocked(IOCTL_TABLET_ENABLE, &on, sizeof on, NULL, 0);
    LeaveCriticalSection(&DriverChannel.Lock);
    return ok;
}

bool ArmPacketEvent(HANDLE event)
{
    DWORD handleValue = (DWORD)(ULONG_PTR)event;
    return SendRequest(IOCTL_TABLET_SET_EVENT, &handleValue, sizeof handleValue,
                       NULL, 0);
}

bool ReadPenPacket(PenPacket *packet)
{
    return SendRequest(IOCTL_TABLET_READ_PACKET, NULL, 0, packet,
                       sizeof *packet);
}

bool SetAbsoluteMode(DWORD absolute)
{
    return SendValue(IOCTL_TABLET_SET_ABSOLUTE, absolute);
}

bool SetOrientation(DWORD portrait)
{
    return SendValue(IOCTL_TABLET_SET_ORIENTATION, portrait);
}

bool SetSensitivity(DWORD sensitivity)
{
    return SendValue(IOCTL_TABLET_SET_SENSITIVITY, sensitivity);
}

DWORD MakeExtentsWord(LONG xMax, LONG yMax)
{
    return TABLET_EXTENTS_WORD(xMax, yMax);
}

bool SetExtents(LONG xMax, LONG yMax)
{
    return SendValue(IOCTL_TABLET_SET_EXTENTS, MakeExtentsWord(xMax, yMax));
}

bool SendSettingsBlock(const DriverSettingsBlock *block)
{
    DriverSettingsBlock copy = *block;
    return SendRequest(IOCTL_TABLET_SET_SETTINGS, &copy, sizeof copy, NULL, 0);
}
