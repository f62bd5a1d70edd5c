// Absolute pen positions onto the chosen screen: the driver's 0..65535 is
// spread over that screen's pixels and sent as normalised coordinates of the
// whole virtual desktop.  The plan is made when the layout or the choice
// changes; each packet only applies it.
#ifndef SCREEN_MAPPING_H
#define SCREEN_MAPPING_H

#include <windows.h>
#include "shared/screen_layout.h"

struct ScreenMapping {
    bool OverDesktop;        // false: the position goes out unchanged (main screen)
    LONG Left, Top;          // the screen's first pixel, from the desktop's corner
    LONG Width, Height;      // the screen's size in pixels (0: not known)
    LONG DeskWidth, DeskHeight;  // the virtual desktop's size in pixels; for the
                                 // main screen, the main screen's, which its
                                 // normalised coordinates span
};

// The plan in force, under the settings lock; the main screen at start.
extern ScreenMapping ScreenTarget;

// The plan for a choice ("main", "all" or a device name) in a layout.
ScreenMapping PlanScreenMapping(const ScreenLayout &layout, const char *choice);

// One axis of a pen position: 0 lands on the screen's first pixel, 65535 on
// its last, as a normalised desktop coordinate that the system maps back
// onto that very pixel.
LONG MapPenAxis(LONG pen, LONG first, LONG size, LONG deskSize);
// The pixel of a pen position on an axis of `size` pixels, counted from the
// axis's first, where the system puts the pointer for the absolute move; a
// position beyond the driver's range stays on the edge.
LONG PenPixel(LONG pen, LONG size);
// The normalised coordinate that lands on this pixel of the desktop's axis.
LONG NormalisePixel(LONGLONG pixel, LONG deskSize);

// Reads the monitors and makes ScreenTarget follow them and the stored
// choice: at the settings load, on a reload and when the display changes.
void UpdateScreenMapping();

#endif
