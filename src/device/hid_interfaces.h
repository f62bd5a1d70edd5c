// The present HID interfaces and a tablet's size in its input report, for
// the programs that ship beside the resident one (the applet, the command
// tool), read as the resident program's probe reads them.
#ifndef HID_INTERFACES_H
#define HID_INTERFACES_H

#include <windows.h>
#include <setupapi.h>
#include <stdlib.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#define HID_USAGE_PAGE_GENERIC_DESKTOP 0x01
#define HID_USAGE_X 0x30
#define HID_USAGE_Y 0x31

static inline bool ReadHidLogicalMax(PHIDP_PREPARSED_DATA preparsed,
                                     const HIDP_CAPS *caps, USAGE usage,
                                     LONG *max)
{
    USHORT count = caps->NumberInputValueCaps;
    if (count == 0)
        return false;
    HIDP_VALUE_CAPS *values = (HIDP_VALUE_CAPS *)calloc(count, sizeof *values);
    if (!values)
        return false;
    bool found = HidP_GetSpecificValueCaps(HidP_Input,
                                           HID_USAGE_PAGE_GENERIC_DESKTOP, 0,
                                           usage, values, &count,
                                           preparsed) == HIDP_STATUS_SUCCESS &&
                 count > 0;
    if (found)
        *max = values[0].LogicalMax;
    free(values);
    return found;
}

// Calls visit with the device path of each present HID interface until it
// returns true.  False (and the error) when the interfaces cannot be listed.
static inline bool VisitHidInterfaces(bool (*visit)(const char *path, void *context),
                                      void *context, DWORD *error)
{
    GUID hidGuid;
    HidD_GetHidGuid(&hidGuid);
    HDEVINFO set = SetupDiGetClassDevsA(&hidGuid, NULL, NULL,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        if (error)
            *error = GetLastError();
        return false;
    }
    bool done = false;
    SP_DEVICE_INTERFACE_DATA data;
    data.cbSize = sizeof data;
    for (DWORD index = 0; !done &&
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
            done = visit(detail->DevicePath, context);
        free(detail);
    }
    SetupDiDestroyDeviceInfoList(set);
    return true;
}

#endif
