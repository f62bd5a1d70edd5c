// The tablet driver's control device, simulated in process.
#include "fakes/fake_os.h"
#include <cstring>

FakeDriverState FakeDriver;
void (*FakeDriverHook)(DWORD code);
static CRITICAL_SECTION DriverLock;
static bool DriverLockReady;

static const HANDLE FAKE_DRIVER_HANDLE = (HANDLE)(ULONG_PTR)0xD00D;

static void LockDriver()
{
    if (!DriverLockReady) {
        InitializeCriticalSection(&DriverLock);
        DriverLockReady = true;
    }
    EnterCriticalSection(&DriverLock);
}

static void UnlockDriver() { LeaveCriticalSection(&DriverLock); }

void ResetFakeDriver()
{
    LockDriver();
    FakeDriver.RefuseOpen = false;
    FakeDriver.Opens = FakeDriver.Closes = 0;
    FakeDriver.IsOpen = false;
    FakeDriver.Log.clear();
    FakeDriver.FailCode = 0;
    FakeDriver.FailNextRequests = 0;
    FakeDriver.Queue.clear();
    ZeroMemory(&FakeDriver.LastRead, sizeof FakeDriver.LastRead);
    FakeDriver.Event = NULL;
    FakeDriver.ShortRead = 0;
    FakeDriverHook = NULL;
    UnlockDriver();
}

void QueueFakePacket(const PenPacket &packet)
{
    LockDriver();
    FakeDriver.Queue.push_back(packet);
    if (FakeDriver.Event)
        SetEvent(FakeDriver.Event);
    UnlockDriver();
}

std::vector<FakeDriverRequest> CopyFakeDriverLog()
{
    LockDriver();
    std::vector<FakeDriverRequest> copy = FakeDriver.Log;
    UnlockDriver();
    return copy;
}

std::vector<FakeDriverRequest> FakeRequestsOfCode(DWORD code)
{
    std::vector<FakeDriverRequest> found;
    for (const FakeDriverRequest &r : CopyFakeDriverLog())
        if (r.Code == code)
            found.push_back(r);
    return found;
}

DWORD FakeRequestValue(const FakeDriverRequest &request)
{
    DWORD value = 0;
    if (request.Input.size() >= sizeof value)
        memcpy(&value, request.Input.data(), sizeof value);
    return value;
}

bool IsFakeHidPath(LPCSTR path, size_t *index);
HANDLE OpenFakeHidDevice(size_t index);
bool CloseFakeHidDevice(HANDLE handle);

HANDLE OsCreateFile(LPCSTR path, DWORD, DWORD, DWORD, DWORD)
{
    size_t hidIndex;
    if (IsFakeHidPath(path, &hidIndex))
        return OpenFakeHidDevice(hidIndex);
    if (strcmp(path, TABLET_DEVICE_PATH) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    LockDriver();
    HANDLE result = FAKE_DRIVER_HANDLE;
    if (FakeDriver.RefuseOpen) {
        result = INVALID_HANDLE_VALUE;
    } else {
        FakeDriver.Opens++;
        FakeDriver.IsOpen = true;
    }
    UnlockDriver();
    if (result == INVALID_HANDLE_VALUE)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return result;
}

BOOL OsCloseHandle(HANDLE handle)
{
    if (handle == FAKE_DRIVER_HANDLE) {
        LockDriver();
        FakeDriver.Closes++;
        FakeDriver.IsOpen = false;
        UnlockDriver();
        return TRUE;
    }
    return CloseFakeHidDevice(handle) ? TRUE : FALSE;
}

BOOL OsDeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize,
                       LPVOID out, DWORD outSize, LPDWORD returned)
{
    if (device != FAKE_DRIVER_HANDLE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (FakeDriverHook)
        FakeDriverHook(code);
    LockDriver();
    FakeDriverRequest request;
    request.Code = code;
    if (in && inSize)
        request.Input.assign((unsigned char *)in, (unsigned char *)in + inSize);
    request.OutputSize = outSize;
    request.HadOutputBuffer = out != NULL;
    FakeDriver.Log.push_back(request);

    bool fail = false;
    if (FakeDriver.FailNextRequests > 0) {
        FakeDriver.FailNextRequests--;
        fail = true;
    } else if (FakeDriver.FailCode && FakeDriver.FailCode == code) {
        fail = true;
    }
    BOOL ok = TRUE;
    if (fail) {
        ok = FALSE;
    } else if (code == IOCTL_TABLET_SET_EVENT && inSize >= sizeof(DWORD)) {
        DWORD value;
        memcpy(&value, in, sizeof value);
        FakeDriver.Event = (HANDLE)(ULONG_PTR)value;
        if (FakeDriver.Queue.empty())
            ResetEvent(FakeDriver.Event);
        else
            SetEvent(FakeDriver.Event);
    } else if (code == IOCTL_TABLET_READ_PACKET) {
        if (!FakeDriver.Queue.empty()) {
            FakeDriver.LastRead = FakeDriver.Queue.front();
            FakeDriver.Queue.erase(FakeDriver.Queue.begin());
        }
        DWORD size = sizeof(PenPacket);
        if (FakeDriver.ShortRead && FakeDriver.ShortRead < size)
            size = FakeDriver.ShortRead;
        if (outSize < size)
            size = outSize;
        if (out)
            memcpy(out, &FakeDriver.LastRead, size);
        if (returned)
            *returned = size;
    }
    UnlockDriver();
    if (!ok)
        SetLastError(ERROR_GEN_FAILURE);
    return ok;
}
