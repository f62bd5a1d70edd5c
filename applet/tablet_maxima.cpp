// Finds the tablet among the present HID interfaces by its USB ids and reads
// the logical maxima of the Generic Desktop X and Y values of its input
// report, the first of each, as the program's probe does.
#include "tablet_maxima.h"
#include "shared/hid_walk.h"

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
    if (HidD_GetAttributes(device, &attributes) && IsTabletAttributes(&attributes) &&
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

struct MaximaSearch {
    LONG *XMax, *YMax;
    bool Found;
};

static bool VisitForMaxima(DWORD, const char *path, void *context)
{
    MaximaSearch *search = (MaximaSearch *)context;
    search->Found = ReadInterfaceMaxima(path, search->XMax, search->YMax);
    return search->Found;
}

BOOL ReadTabletMaxima(LONG *xMax, LONG *yMax)
{
    MaximaSearch search = {xMax, yMax, false};
    VisitHidInterfaces(VisitForMaxima, &search, NULL);
    return search.Found ? TRUE : FALSE;
}
