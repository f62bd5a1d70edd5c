// A set of HID interfaces, each with its ids, value capabilities and failures.
#include "fakes/fake_os.h"
#include <cstdio>
#include <cstring>
#include <cstddef>

FakeHidState FakeHid;

static const HDEVINFO FAKE_DEVICE_SET = (HDEVINFO)(ULONG_PTR)0x5E70;
static const ULONG_PTR FAKE_HID_HANDLE_BASE = 0x100000;
static const ULONG_PTR FAKE_PREPARSED_BASE = 0x200000;

void ResetFakeHid()
{
    FakeHid.Devices.clear();
    FakeHid.ClassDevsFails = false;
    FakeHid.Opens = FakeHid.Closes = 0;
    FakeHid.PreparsedGets = FakeHid.PreparsedFrees = 0;
    FakeHid.SetsCreated = FakeHid.SetsDestroyed = 0;
    FakeHid.DetailSizeFields.clear();
    FakeHid.EnumFailsPastEnd = false;
    FakeHid.EnumIndices.clear();
    FakeHid.MostOpenAtEnum = FakeHid.MostPreparsedAtEnum = 0;
    FakeHid.ValueCapsOffered.clear();
    FakeHid.OffersNotifications = false;
    FakeHid.NotificationsHeld = 0;
}

HANDLE OsRegisterHidNotification(HWND, const GUID *)
{
    if (!FakeHid.OffersNotifications)
        return NULL;
    FakeHid.NotificationsHeld++;
    return (HANDLE)(ULONG_PTR)0x5E71;
}

void OsUnregisterHidNotification(HANDLE notification)
{
    if (notification)
        FakeHid.NotificationsHeld--;
}

FakeHidDevice MakeFakeHidDevice(USHORT vendor, USHORT product, LONG xMax, LONG yMax)
{
    FakeHidDevice d;
    ZeroMemory(&d, sizeof d);
    d.Vendor = vendor;
    d.Product = product;
    d.HasX = d.HasY = true;
    d.XMax = xMax;
    d.YMax = yMax;
    return d;
}

static void FakeHidPath(size_t index, char *path, size_t size)
{
    snprintf(path, size, "\\\\?\\fakehid#%u", (unsigned)index);
}

bool IsFakeHidPath(LPCSTR path, size_t *index)
{
    unsigned i;
    if (sscanf(path, "\\\\?\\fakehid#%u", &i) != 1)
        return false;
    *index = i;
    return true;
}

HANDLE OpenFakeHidDevice(size_t index)
{
    if (index >= FakeHid.Devices.size() || FakeHid.Devices[index].OpenFails) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    FakeHid.Opens++;
    return (HANDLE)(FAKE_HID_HANDLE_BASE + index);
}

static bool FakeHidIndex(HANDLE handle, size_t *index)
{
    ULONG_PTR v = (ULONG_PTR)handle;
    if (v < FAKE_HID_HANDLE_BASE || v >= FAKE_HID_HANDLE_BASE + FakeHid.Devices.size())
        return false;
    *index = v - FAKE_HID_HANDLE_BASE;
    return true;
}

bool CloseFakeHidDevice(HANDLE handle)
{
    size_t index;
    if (!FakeHidIndex(handle, &index))
        return false;
    FakeHid.Closes++;
    return true;
}

void OsHidGetHidGuid(GUID *guid)
{
    static const GUID hid = {0x4d1e55b2, 0xf16f, 0x11cf,
                             {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
    *guid = hid;
}

HDEVINFO OsSetupDiGetClassDevs(const GUID *, DWORD)
{
    if (FakeHid.ClassDevsFails)
        return INVALID_HANDLE_VALUE;
    FakeHid.SetsCreated++;
    return FAKE_DEVICE_SET;
}

BOOL OsSetupDiEnumDeviceInterfaces(HDEVINFO set, const GUID *, DWORD index,
                                   PSP_DEVICE_INTERFACE_DATA data)
{
    if (set != FAKE_DEVICE_SET || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FakeHid.EnumIndices.push_back(index);
    int open = FakeHid.Opens - FakeHid.Closes;
    int held = FakeHid.PreparsedGets - FakeHid.PreparsedFrees;
    if (open > FakeHid.MostOpenAtEnum)
        FakeHid.MostOpenAtEnum = open;
    if (held > FakeHid.MostPreparsedAtEnum)
        FakeHid.MostPreparsedAtEnum = held;
    if (index >= FakeHid.Devices.size()) {
        SetLastError(FakeHid.EnumFailsPastEnd ? ERROR_GEN_FAILURE : ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    if (FakeHid.Devices[index].EnumFails) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    data->Reserved = index;
    data->Flags = SPINT_ACTIVE;
    return TRUE;
}

BOOL OsSetupDiGetDeviceInterfaceDetail(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                       PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                       DWORD detailSize, PDWORD requiredSize)
{
    size_t index = data->Reserved;
    if (set != FAKE_DEVICE_SET || index >= FakeHid.Devices.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char path[64];
    FakeHidPath(index, path, sizeof path);
    DWORD needed = (DWORD)(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) +
                           strlen(path) + 1);
    if (requiredSize)
        *requiredSize = needed;
    if (!detail) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    FakeHid.DetailSizeFields.push_back(detail->cbSize);
    if (FakeHid.Devices[index].DetailFails) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (detailSize < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    strcpy(detail->DevicePath, path);
    return TRUE;
}

BOOL OsSetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    if (set != FAKE_DEVICE_SET)
        return FALSE;
    FakeHid.SetsDestroyed++;
    return TRUE;
}

static bool PreparsedIndex(PHIDP_PREPARSED_DATA data, size_t *index)
{
    ULONG_PTR v = (ULONG_PTR)data;
    if (v < FAKE_PREPARSED_BASE || v >= FAKE_PREPARSED_BASE + FakeHid.Devices.size())
        return false;
    *index = v - FAKE_PREPARSED_BASE;
    return true;
}

BOOLEAN OsHidGetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA *data)
{
    size_t index;
    if (!FakeHidIndex(device, &index) || FakeHid.Devices[index].PreparsedFails)
        return FALSE;
    FakeHid.PreparsedGets++;
    *data = (PHIDP_PREPARSED_DATA)(FAKE_PREPARSED_BASE + index);
    return TRUE;
}

BOOLEAN OsHidFreePreparsedData(PHIDP_PREPARSED_DATA data)
{
    size_t index;
    if (!PreparsedIndex(data, &index))
        return FALSE;
    FakeHid.PreparsedFrees++;
    return TRUE;
}

BOOLEAN OsHidGetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes)
{
    size_t index;
    if (!FakeHidIndex(device, &index) || FakeHid.Devices[index].AttributesFail)
        return FALSE;
    attributes->Size = sizeof *attributes;
    attributes->VendorID = FakeHid.Devices[index].Vendor;
    attributes->ProductID = FakeHid.Devices[index].Product;
    attributes->VersionNumber = 0x0100;
    return TRUE;
}

NTSTATUS OsHidGetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps)
{
    size_t index;
    if (!PreparsedIndex(data, &index))
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    const FakeHidDevice &d = FakeHid.Devices[index];
    if (d.CapsFail)
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    ZeroMemory(caps, sizeof *caps);
    caps->Usage = 0x02;
    caps->UsagePage = 0x0D;
    caps->InputReportByteLength = 8;
    // X, Y and a tip pressure value.
    caps->NumberInputValueCaps = (USHORT)((d.HasX ? 1 : 0) + (d.HasY ? 1 : 0) + 1);
    return HIDP_STATUS_SUCCESS;
}

NTSTATUS OsHidGetSpecificValueCaps(HIDP_REPORT_TYPE type, USAGE usagePage,
                                   USHORT, USAGE usage, PHIDP_VALUE_CAPS caps,
                                   PUSHORT capsLength, PHIDP_PREPARSED_DATA data)
{
    size_t index;
    if (!PreparsedIndex(data, &index))
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    FakeHid.ValueCapsOffered.push_back(*capsLength);
    const FakeHidDevice &d = FakeHid.Devices[index];
    bool found = type == HidP_Input && usagePage == 1 &&
                 ((usage == 0x30 && d.HasX) || (usage == 0x31 && d.HasY));
    if (!found) {
        *capsLength = 0;
        return HIDP_STATUS_USAGE_NOT_FOUND;
    }
    if (*capsLength < 1)
        return HIDP_STATUS_BUFFER_TOO_SMALL;
    ZeroMemory(&caps[0], sizeof caps[0]);
    caps[0].UsagePage = 1;
    caps[0].IsRange = FALSE;
    caps[0].NotRange.Usage = usage;
    caps[0].LogicalMin = 0;
    caps[0].LogicalMax = usage == 0x30 ? d.XMax : d.YMax;
    *capsLength = 1;
    return HIDP_STATUS_SUCCESS;
}
