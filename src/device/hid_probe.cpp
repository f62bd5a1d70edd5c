#include "device/hid_probe.h"

volatile LONG TabletFound;
TabletExtentsState TabletExtents;

bool ProbeTablet() { return TabletFound != 0; }
