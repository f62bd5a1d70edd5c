// The tablet's size as the program sees it: the X and Y logical maxima of
// its HID input report.
#ifndef TABLET_MAXIMA_H
#define TABLET_MAXIMA_H

#include <windows.h>

// FALSE when no tablet is present or its report has no X or no Y.
BOOL ReadTabletMaxima(LONG *xMax, LONG *yMax);

#endif
