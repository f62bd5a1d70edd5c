// Finding the tablet among the present HID devices.
#ifndef HID_PROBE_H
#define HID_PROBE_H

#include <windows.h>
#include "shared/tablet_protocol.h"
#include "shared/hid_walk.h"  // HID_ENUM_FAILURE_LIMIT: where a failing enumeration ends

struct TabletExtentsState {
    LONG XMax;  // logical maxima of the input report's X and Y; 0 until known
    LONG YMax;
};

extern volatile LONG TabletFound;
extern TabletExtentsState TabletExtents;

// One pass over the HID interfaces; true once the tablet has ever been
// seen, in this pass or an earlier one.
bool ProbeTablet();
// The same pass, true only when the tablet is seen now, in this pass.
bool ProbeTabletSeenNow();

#endif
