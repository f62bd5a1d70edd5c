// The scroll action: while a pen button on it is held, the pointer stays
// where it was at the press and the pen's movement turns the mouse wheel
// instead, one notch per SCROLL_TRAVEL_PER_NOTCH of travel (screen pixels in
// absolute mode, the driver's units in relative mode).  Only whole notches
// are sent; what is left of the travel is carried to the next packet.
#ifndef PEN_SCROLL_H
#define PEN_SCROLL_H

#include <windows.h>
#include "shared/tablet_protocol.h"

#define SCROLL_TRAVEL_PER_NOTCH 16
// The most notches one wheel event carries: the window's message holds the
// delta in 16 signed bits.
#define SCROLL_NOTCHES_MAX (32767 / WHEEL_DELTA)

// The pen buttons as holders of the scroll.
#define SCROLL_HOLDER_BUTTON1 1
#define SCROLL_HOLDER_BUTTON2 2

struct PenScrollState {
    LONG Holders;         // the pen buttons held since a press on the scroll;
                          // 0 while no scroll is under way
    LONG Anchored;        // absolute mode: LastX, LastY hold the pen's pixel
    LONG LastX, LastY;    // the pen's last position in screen pixels
    LONG RestX, RestY;    // travel not yet sent as a notch
    LONG Width, Height;   // the pixels the pen's range spans in absolute mode
    LONG Horizontal;      // the system takes horizontal wheel input
};

// UI thread only, as the pen buttons' state.
extern PenScrollState PenScroll;

// The whole notches in *rest plus travel, toward zero; the remainder stays
// in *rest.
LONG TakeWholeNotches(LONG *rest, LONG travel);

// A pen button's press edge on the scroll: the first holder begins a scroll
// at the packet's position, a second joins it.
void BeginPenScroll(LONG holder, const PenPacket &packet);
// A pen button's release edge, whatever its action is by then: a holder
// leaves the scroll, which ends with its last holder.
void LeavePenScroll(LONG holder);
// The packet's movement as wheel input, while a scroll is under way:
// moving down scrolls toward the end, moving right scrolls right.
void ScrollPen(const PenPacket &packet);

#endif
