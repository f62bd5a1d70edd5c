#include "shared/hid_walk.h"
#include <stdlib.h>
#include "shared/tablet_protocol.h"

bool ReadHidLogicalMax(PHIDP_PREPARSED_DATA preparsed, const HIDP_CAPS *caps,
                       USAGE usage, LONG *max)
{
    USHORT count = caps->NumberInputValueCaps;
    if (count == 0)
        return false;
    HIDP_VALUE_CAPS *values = (HIDP_VALUE_CAPS *)calloc(count, sizeof *values);
    if (!values)
        return false;
    USHORT length = count;
    NTSTATUS status = OsHidGetSpecificValueCaps(HidP_Input, HID_USAGE_PAGE_GENERIC_DESKTOP,
                                                0, usage, values, &length, preparsed);
    bool found = status == HIDP_STATUS_SUCCESS && length > 0;
    if (found)
        *max = values[0].LogicalMax;
    free(values);
    return found;
}

bool IsTabletAttributes(const HIDD_ATTRIBUTES *attributes)
{
    return attributes->VendorID == TABLET_VENDOR_ID &&
           attributes->ProductID == TABLET_PRODUCT_ID;
}

// Hands the interface's device path to visit; true when visit asks to stop.
static bool VisitInterface(HDEVINFO set, DWORD index, SP_DEVICE_INTERFACE_DATA *data,
                           bool (*visit)(DWORD index, const char *path, void *context),
                           void *context)
{
    DWORD size = 0;
    OsSetupDiGetDeviceInterfaceDetail(set, data, NULL, 0, &size);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
        return false;
    SP_DEVICE_INTERFACE_DETAIL_DATA_A *detail =
        (SP_DEVICE_INTERFACE_DETAIL_DATA_A *)malloc(size);
    if (!detail)
        return false;
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    bool done = OsSetupDiGetDeviceInterfaceDetail(set, data, detail, size, NULL) &&
                visit(index, detail->DevicePath, context);
    free(detail);
    return done;
}

bool VisitHidInterfaces(bool (*visit)(DWORD index, const char *path, void *context),
                        void *context, DWORD *error)
{
    GUID hidGuid;
    OsHidGetHidGuid(&hidGuid);
    HDEVINFO set = OsSetupDiGetClassDevs(&hidGuid, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        if (error)
            *error = GetLastError();
        return false;
    }
    DWORD failuresInRow = 0;
    for (DWORD index = 0;; index++) {
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
        if (VisitInterface(set, index, &data, visit, context))
            break;
    }
    OsSetupDiDestroyDeviceInfoList(set);
    return true;
}
