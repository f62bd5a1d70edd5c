// Finds the tablet among the present HID interfaces by its USB ids and reads
// the logical maxima of the Generic Desktop X and Y values of its input
// report, the first of each, as the program's probe does.
#include "tablet_maxima.h"
#include <setupapi.h>
#include <stdlib.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}
#include "device/hid_maxima.h"
#include "device/tablet_protocol.h"

// True when the interface is the tablet and both maxima were read.
static bool ReadInterfaceMaxima(const char *path, LONG *xMax, LONG *yMax)
{
    HANDLE device = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, 0, NULL);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    bool read = false;
    HIDD_ATTRIBUTES attributes;
    attributes.Size = sizeof attributes;
    PHIDP_PREPARSED_DATA preparsed;
    if (HidD_GetAttributes(device, &attributes) &&
        attributes.VendorID == TABLET_VENDOR_ID &&
        attributes.ProductID == TABLET_PRODUCT_ID &&
        HidD_GetPreparsedData(device, &preparsed)) {
        HIDP_CAPS caps;
        read = HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS &&
               ReadHidLogicalMax(preparsed, &caps, HID_USAGE_X, xMax) &&
               ReadHidLogicalMax(preparsed, &caps, HID_USAGE_Y, yMax);
        HidD_FreePreparsedData(preparsed);
    }
    CloseHandle(device);
    return read;
}

BOOL ReadTabletMaxima(LONG *xMax, LONG *yMax)
{
    GUID hidGuid;
    HidD_GetHidGuid(&hidGuid);
    HDEVINFO set = SetupDiGetClassDevsA(&hidGuid, NULL, NULL,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return FALSE;
    bool found = false;
    SP_DEVICE_INTERFACE_DATA data;
    data.cbSize = sizeof data;
    for (DWORD index = 0; !found &&
         SetupDiEnumDeviceInterfaces(set, NULL, &hidGuid, index, &data); index++) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailA(set, &data, NULL, 0, &size, NULL);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
            continue;
        SP_DEVICE_INTERFACE_DETAIL_DATA_A *detail =
            (SP_DEVICE_INTERFACE_DETAIL_DATA_A *)malloc(size);
        if (!detail)
            break;
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (SetupDiGetDeviceInterfaceDetailA(set, &data, detail, size, NULL, NULL))
            found = ReadInterfaceMaxima(detail->DevicePath, xMax, yMax);
        free(detail);
    }
    SetupDiDestroyDeviceInfoList(set);
    return found ? TRUE : FALSE;
}
