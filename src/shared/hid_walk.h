// The walk over the present HID interfaces and the reading of a tablet's
// size from its input report, one way for the resident program's probe,
// the applet and stylohidctl.  The calls go through src/os (the real ones
// outside the unit tests).
#ifndef HID_WALK_H
#define HID_WALK_H

#include "os/os.h"

// An enumeration that keeps failing with an error other than "no more items"
// would never end: after this many failures in a row the walk counts the
// enumeration as complete.
#define HID_ENUM_FAILURE_LIMIT 256

#define HID_USAGE_PAGE_GENERIC_DESKTOP 0x01
#define HID_USAGE_X 0x30
#define HID_USAGE_Y 0x31

// Calls visit with the enumeration index and the device path of each present
// HID interface, in order, until it returns true.  An index that fails to
// enumerate or to give its path is skipped.  False (and the error, when
// error is not NULL) when the interfaces cannot be listed.
bool VisitHidInterfaces(bool (*visit)(DWORD index, const char *path, void *context),
                        void *context, DWORD *error);

// The logical maximum of the first input value with this Generic Desktop
// usage; false when the report has none.
bool ReadHidLogicalMax(PHIDP_PREPARSED_DATA preparsed, const HIDP_CAPS *caps,
                       USAGE usage, LONG *max);

// True for the tablet's USB vendor and product ids.
bool IsTabletAttributes(const HIDD_ATTRIBUTES *attributes);

#endif
