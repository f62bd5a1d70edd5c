// One pass over the present HID interfaces, looking for the tablet by its
// USB ids and reading the X and Y ranges of its input report.
#include "device/hid_probe.h"
#include <stdlib.h>
#include "os/os.h"

volatile LONG TabletFound;
TabletExtentsState TabletExtents;
// Whether the pass under way has seen the tablet.
static bool SeenThisPass;

#define HID_TABLE_START 8

// What one pass holds for the interface it examines.
struct HidDeviceRecord {
    HANDLE Device;
    PHIDP_PREPARSED_DATA Preparsed;
    HIDD_ATTRIBUTES Attributes;
    HIDP_CAPS Caps;
};

// The logical maximum of the first input value capability with this Generic
// Desktop usage; false when the report has none.
static bool ReadLogicalMax(HidDeviceRecord *record, USAGE usage, LONG *max)
{
    USHORT count = record->Caps.NumberInputValueCaps;
    if (count == 0)
        return false;
    HIDP_VALUE_CAPS *caps = (HIDP_VALUE_CAPS *)calloc(count, sizeof *caps);
    if (!caps)
        return false;
    USHORT length = count;
    NTSTATUS status = OsHidGetSpecificValueCaps(HidP_Input, 1, 0, usage, caps,
                                                &length, record->Preparsed);
    bool found = status == HIDP_STATUS_SUCCESS && length > 0;
    if (found)
        *max = caps[0].LogicalMax;
    free(caps);
    return found;
}

static void ExamineTablet(HidDeviceRecord *record)
{
    InterlockedExchange(&TabletFound, 1);
    SeenThisPass = true;
    if (OsHidGetCaps(record->Preparsed, &record->Caps) != HIDP_STATUS_SUCCESS)
        return;
    // An extent is written only when the report has that value.
    LONG max;
    if (ReadLogicalMax(record, 0x30, &max))
        TabletExtents.XMax = max;
    if (ReadLogicalMax(record, 0x31, &max))
        TabletExtents.YMax = max;
}

static void ExamineInterface(HDEVINFO set, SP_DEVICE_INTERFACE_DATA *data,
                             HidDeviceRecord *record)
{
    DWORD size = 0;
    OsSetupDiGetDeviceInterfaceDetail(set, data, NULL, 0, &size);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
        return;
    SP_DEVICE_INTERFACE_DETAIL_DATA_A *detail =
        (SP_DEVICE_INTERFACE_DETAIL_DATA_A *)malloc(size);
    if (!detail)
        return;
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (OsSetupDiGetDeviceInterfaceDetail(set, data, detail, size, NULL)) {
        record->Device = OsCreateFile(detail->DevicePath,
                                      GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      OPEN_EXISTING, 0);
        if (record->Device != INVALID_HANDLE_VALUE) {
            if (OsHidGetPreparsedData(record->Device, &record->Preparsed)) {
                record->Attributes.Size = sizeof record->Attributes;
                if (OsHidGetAttributes(record->Device, &record->Attributes) &&
                    record->Attributes.ProductID == TABLET_PRODUCT_ID &&
                    record->Attributes.VendorID == TABLET_VENDOR_ID)
                    ExamineTablet(record);
                OsHidFreePreparsedData(record->Preparsed);
            }
            OsCloseHandle(record->Device);
        }
    }
    free(detail);
}

bool ProbeTablet()
{
    SeenThisPass = false;
    GUID hidGuid;
    OsHidGetHidGuid(&hidGuid);
    HDEVINFO set = OsSetupDiGetClassDevs(&hidGuid, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return false;

    DWORD capacity = HID_TABLE_START;
    HidDeviceRecord *table = (HidDeviceRecord *)calloc(capacity, sizeof *table);
    if (!table) {
        OsSetupDiDestroyDeviceInfoList(set);
        return false;
    }
    DWORD failuresInRow = 0;
    for (DWORD index = 0;; index++) {
        if (index >= capacity) {
            HidDeviceRecord *larger =
                (HidDeviceRecord *)realloc(table, 2 * capacity * sizeof *table);
            if (!larger) {
                free(table);
                OsSetupDiDestroyDeviceInfoList(set);
                return false;
            }
            table = larger;
            ZeroMemory(table + capacity, capacity * sizeof *table);
            capacity *= 2;
        }
        SP_DEVICE_INTERFACE_DATA data;
        ZeroMemory(&data, sizeof data);
        data.cbSize = sizeof data;
        if (!OsSetupDiEnumDeviceInterfaces(set, &hidGuid, index, &data)) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS ||
                ++failuresInRow >= HID_ENUM_FAILURE_LIMIT)
                break;
            continue;
        }
        failuresInRow = 0;
        ExamineInterface(set, &data, &table[index]);
    }
    OsSetupDiDestroyDeviceInfoList(set);
    free(table);
    return TabletFound != 0;
}

bool ProbeTabletPresent()
{
    return ProbeTablet() && SeenThisPass;
}
