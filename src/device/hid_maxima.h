// Reading a tablet's size from its HID input report, for the programs that
// ship beside the resident one (the applet, the command tool): the logical
// maximum of the first Generic Desktop X or Y input value, as the resident
// program's probe reads it.
#ifndef HID_MAXIMA_H
#define HID_MAXIMA_H

#include <windows.h>
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

#endif
