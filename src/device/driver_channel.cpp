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

// Takes the channel's lock unless another request holds it for waitMs.
static bool EnterChannelWithin(DWORD waitMs)
{
    DWORD start = OsGetTickCount();
    while (!TryEnterCriticalSection(&DriverChannel.Lock)) {
        if (OsGetTickCount() - start >= waitMs)
            return false;
        OsSleep(1);
    }
    return true;
}

// A request that gives up, sending nothing, when the channel stays held.
static bool SendRequestWithin(DWORD code, void *in, DWORD inSize, DWORD waitMs)
{
    if (!EnterChannelWithin(waitMs))
        return false;
    bool ok = SendRequestLocked(code, in, inSize, NULL, 0);
    LeaveCriticalSection(&DriverChannel.Lock);
    return ok;
}

static bool SendValueWithin(DWORD code, DWORD value, DWORD waitMs)
{
    return SendRequestWithin(code, &value, sizeof value, waitMs);
}

bool EnableReporting(DWORD on)
{
    return SendRequest(IOCTL_TABLET_ENABLE, &on, sizeof on, NULL, 0);
}

bool EnableReportingWithin(DWORD on, DWORD waitMs)
{
    return SendValueWithin(IOCTL_TABLET_ENABLE, on, waitMs);
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
    return SendValueWithin(IOCTL_TABLET_SET_ABSOLUTE, absolute, CHANNEL_WAIT_MS);
}

bool SetOrientation(DWORD portrait)
{
    return SendValueWithin(IOCTL_TABLET_SET_ORIENTATION, portrait, CHANNEL_WAIT_MS);
}

bool SetSensitivity(DWORD sensitivity)
{
    return SendValueWithin(IOCTL_TABLET_SET_SENSITIVITY, sensitivity, CHANNEL_WAIT_MS);
}

bool SetExtents(LONG xMax, LONG yMax)
{
    DWORD extents = TABLET_EXTENTS_WORD(xMax, yMax);
    return SendRequest(IOCTL_TABLET_SET_EXTENTS, &extents, sizeof extents, NULL, 0);
}

bool SendSettingsBlock(const DriverSettingsBlock *block)
{
    DriverSettingsBlock copy = *block;
    return SendRequestWithin(IOCTL_TABLET_SET_SETTINGS, &copy, sizeof copy,
                             CHANNEL_WAIT_MS);
}
