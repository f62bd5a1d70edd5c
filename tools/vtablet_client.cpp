#include "vtablet_client.h"

#include <setupapi.h>
#include <newdev.h>
#include <stdio.h>
#include <string.h>

static const char TabletService[] = "USBTablet";
static const char TabletImage[] = "C:\\windows\\system32\\drivers\\usbtablet.sys";

static bool WaitForDevicePath(const char *path, DWORD timeoutMs)
{
    for (DWORD waited = 0;; waited += 100) {
        HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, 0, NULL);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            return true;
        }
        if (waited >= timeoutMs)
            return false;
        Sleep(100);
    }
}

// A service started right after the prefix booted can fail with 1053 or
// 1055 under Wine: try again for a while.
static bool StartServiceRetrying(SC_HANDLE service)
{
    for (int attempt = 0; attempt < 40; attempt++) {
        SERVICE_STATUS status;
        if (QueryServiceStatus(service, &status) &&
            status.dwCurrentState == SERVICE_RUNNING)
            return true;
        if (StartServiceA(service, 0, NULL))
            return true;
        DWORD error = GetLastError();
        if (error == ERROR_SERVICE_ALREADY_RUNNING)
            return true;
        if (error != ERROR_SERVICE_REQUEST_TIMEOUT &&
            error != ERROR_SERVICE_DATABASE_LOCKED &&
            error != ERROR_SERVICE_START_HANG) {
            fprintf(stderr, "StartService failed: %lu\n", error);
            return false;
        }
        Sleep(500);
    }
    return false;
}

// Copies a file of the build into the prefix.  A copy that fails because
// the driver is loaded leaves the loaded one in place.
static bool CopyIntoFolder(const char *sourceFolder, const char *name,
                           const char *targetFolder)
{
    char source[MAX_PATH], target[MAX_PATH];
    size_t length = strlen(sourceFolder);
    bool separated = length && (sourceFolder[length - 1] == '\\' ||
                                sourceFolder[length - 1] == '/');
    snprintf(source, sizeof source, "%s%s%s", sourceFolder,
             separated ? "" : "\\", name);
    snprintf(target, sizeof target, "%s\\%s", targetFolder, name);
    if (CopyFileA(source, target, FALSE))
        return true;
    if (GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES)
        return true;
    fprintf(stderr, "copying %s to %s failed: %lu\n", source, target,
            GetLastError());
    return false;
}

static bool CopyDriverFile(const char *sourceFolder, const char *name)
{
    char drivers[MAX_PATH];
    GetSystemDirectoryA(drivers, sizeof drivers);
    strncat(drivers, "\\drivers", sizeof drivers - strlen(drivers) - 1);
    CreateDirectoryA(drivers, NULL);
    return CopyIntoFolder(sourceFolder, name, drivers);
}

bool InstallTabletDriver(const char *sysFolder)
{
    if (WaitForDevicePath(VTABLET_CONTROL_PATH, 0))
        return true;
    if (sysFolder && !CopyDriverFile(sysFolder, "usbtablet.sys"))
        return false;
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager) {
        fprintf(stderr, "OpenSCManager failed: %lu\n", GetLastError());
        return false;
    }
    SC_HANDLE service = CreateServiceA(
        manager, TabletService, TabletService, SERVICE_ALL_ACCESS,
        SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
        TabletImage, NULL, NULL, NULL, NULL, NULL);
    if (!service && GetLastError() == ERROR_SERVICE_EXISTS)
        service = OpenServiceA(manager, TabletService, SERVICE_ALL_ACCESS);
    bool ok = service && StartServiceRetrying(service);
    if (!service)
        fprintf(stderr, "CreateService failed: %lu\n", GetLastError());
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return ok && WaitForDevicePath(VTABLET_CONTROL_PATH, 10000);
}

bool SendControl(const char *path, DWORD code, const void *in, DWORD inSize,
                 void *out, DWORD outSize, DWORD *returned)
{
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD count = 0;
    BOOL ok = DeviceIoControl(h, code, const_cast<void *>(in), inSize, out,
                              outSize, &count, NULL);
    CloseHandle(h);
    if (returned)
        *returned = count;
    return ok != FALSE;
}

static bool SendTest(DWORD code, const void *in, DWORD inSize)
{
    return SendControl(VTABLET_CONTROL_PATH, code, in, inSize, NULL, 0, NULL);
}

bool ResetVirtualTablet() { return SendTest(IOCTL_VTABLET_RESET, NULL, 0); }

bool QueuePenPackets(const PenPacket *packets, unsigned count)
{
    return SendTest(IOCTL_VTABLET_QUEUE_PACKETS, packets,
                    (DWORD)(count * sizeof(PenPacket)));
}

bool GetVirtualTabletState(VTabletState *state)
{
    DWORD returned = 0;
    return SendControl(VTABLET_CONTROL_PATH, IOCTL_VTABLET_GET_STATE, NULL, 0,
                       state, sizeof *state, &returned) &&
           returned == sizeof *state;
}

unsigned ReadRequestLog(unsigned first, VTabletLogEntry *entries, unsigned max)
{
    DWORD returned = 0;
    DWORD start = first;
    if (!SendControl(VTABLET_CONTROL_PATH, IOCTL_VTABLET_READ_LOG, &start,
                     sizeof start, entries,
                     (DWORD)(max * sizeof(VTabletLogEntry)), &returned))
        return 0;
    return returned / sizeof(VTabletLogEntry);
}

bool SetRequestFailure(DWORD code, DWORD skip, DWORD count, DWORD status)
{
    VTabletFailRule rule = {code, skip, count, status};
    return SendTest(IOCTL_VTABLET_SET_FAILURE, &rule, sizeof rule);
}

bool RefuseTabletOpen(bool refuse)
{
    DWORD value = refuse;
    return SendTest(IOCTL_VTABLET_REFUSE_OPEN, &value, sizeof value);
}

bool SetTabletUnplugged(bool unplugged)
{
    DWORD value = unplugged;
    return SendTest(IOCTL_VTABLET_UNPLUG, &value, sizeof value);
}

bool SetTabletAsleep(bool asleep)
{
    DWORD value = asleep ? VTABLET_UNPLUG_ASLEEP : 0;
    return SendTest(IOCTL_VTABLET_UNPLUG, &value, sizeof value);
}

bool PlugHidTablet(const VTabletDeviceSpec *spec)
{
    return SendControl(VTABLET_BUS_PATH, IOCTL_VTABLET_BUS_PLUG, spec,
                       sizeof *spec, NULL, 0, NULL);
}

bool UnplugHidTablet(DWORD serial)
{
    return SendControl(VTABLET_BUS_PATH, IOCTL_VTABLET_BUS_UNPLUG, &serial,
                       sizeof serial, NULL, 0, NULL);
}

bool CountHidTablets(DWORD *count)
{
    DWORD returned = 0;
    return SendControl(VTABLET_BUS_PATH, IOCTL_VTABLET_BUS_COUNT, NULL, 0,
                       count, sizeof *count, &returned) &&
           returned == sizeof *count;
}

VTabletDeviceSpec DefaultTabletSpec(DWORD serial)
{
    VTabletDeviceSpec spec;
    memset(&spec, 0, sizeof spec);
    spec.Serial = serial;
    spec.VendorId = VTABLET_VENDOR_ID;
    spec.ProductId = VTABLET_PRODUCT_ID;
    spec.Version = 0x0100;
    spec.XMax = VTABLET_DEFAULT_X_MAX;
    spec.YMax = VTABLET_DEFAULT_Y_MAX;
    return spec;
}

PenPacket MakePenPacket(int x, int y, DWORD status)
{
    PenPacket p;
    memset(&p, 0, sizeof p);
    p.x = x;
    p.y = y;
    p.status = status;
    return p;
}

// The root device that carries the bus, and the hardware id that the INF
// matches.
static const char BusInstance[] = "ROOT\\VTABLETBUS\\0000";
static const char BusHardwareIds[] = "VTABLET\\BUS\0";

static bool RegisterBusDevice()
{
    HDEVINFO set = SetupDiCreateDeviceInfoList(NULL, NULL);
    if (set == INVALID_HANDLE_VALUE)
        return false;
    SP_DEVINFO_DATA device;
    device.cbSize = sizeof device;
    GUID systemClass = {0x4d36e97d, 0xe325, 0x11ce,
                        {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    bool ok;
    if (SetupDiCreateDeviceInfoA(set, BusInstance, &systemClass, NULL, NULL, 0,
                                 &device)) {
        ok = SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                               (const BYTE *)BusHardwareIds,
                                               sizeof BusHardwareIds) &&
             SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device);
        if (!ok)
            fprintf(stderr, "registering the bus device failed: %lu\n",
                    GetLastError());
    } else {
        ok = GetLastError() == ERROR_DEVINST_ALREADY_EXISTS;
        if (!ok)
            fprintf(stderr, "creating the bus device failed: %lu\n", GetLastError());
    }
    SetupDiDestroyDeviceInfoList(set);
    return ok;
}

bool InstallTabletBus(const char *sysFolder)
{
    if (WaitForDevicePath(VTABLET_BUS_PATH, 0))
        return true;
    if (sysFolder && (!CopyDriverFile(sysFolder, "vtabbus.sys") ||
                      !CopyDriverFile(sysFolder, "vtabhid.sys")))
        return false;
    if (!RegisterBusDevice())
        return false;
    char inf[MAX_PATH];
    size_t length = sysFolder ? strlen(sysFolder) : 0;
    bool separated = length && (sysFolder[length - 1] == '\\' ||
                                sysFolder[length - 1] == '/');
    snprintf(inf, sizeof inf, "%s%svtablet.inf", sysFolder ? sysFolder : ".",
             separated ? "" : "\\");
    char fullInf[MAX_PATH];
    GetFullPathNameA(inf, sizeof fullInf, fullInf, NULL);
    BOOL reboot = FALSE;
    if (!UpdateDriverForPlugAndPlayDevicesA(NULL, "VTABLET\\BUS", fullInf,
                                            INSTALLFLAG_FORCE, &reboot)) {
        fprintf(stderr, "installing %s failed: %lu\n", fullInf, GetLastError());
        return false;
    }
    // Wine starts the bus asynchronously, the first time after seconds.
    return WaitForDevicePath(VTABLET_BUS_PATH, 60000);
}
