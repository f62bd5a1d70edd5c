// Finding the tablet among the present HID devices.
#ifndef HID_PROBE_H
#define HID_PROBE_H

#include <windows.h>
#include "device/tablet_protocol.h"

// An enumeration that keeps failing with an error other than "no more items"
// would never end and would grow the pass's table without limit: after this
// many failures in a row the pass counts the enumeration as complete.
#define HID_ENUM_FAILURE_LIMIT 256

struct TabletExtentsState {
    LONG XMax;  // logical maxima of the input report's X and Y; 0 until known
    LONG YMax;
};

extern volatile LONG TabletFound;
extern TabletExtentsState TabletExtents;

// One pass over the HID interfaces; true once the tablet has been seen.
bool ProbeTablet();
// The same pass, true only when the tablet is among the devices now.
bool ProbeTabletPresent();

#endif
