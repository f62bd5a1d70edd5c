// Pen packets become pointer motion and pen-button actions.
#ifndef PACKET_TRANSLATION_H
#define PACKET_TRANSLATION_H

#include <windows.h>
#include "shared/tablet_protocol.h"

struct PenButtonState {
    LONG Button1Down;  // 1 while pen button 1 is held
    LONG Button2Down;  // 1 while pen button 2 is held
};

extern PenButtonState ButtonState;

// The main window's handling of one WM_TABLET_PACKET: the pointer moves
// first (or, while a pen button holds the scroll, the wheel turns), then pen
// button 2's edge and pen button 1's edge are acted on.
void HandleTabletPacket(const PenPacket &packet);

// The pen's packets have ended (its reader ended, or the program does): the
// release edges that an idle packet gives (a scroll under way ends with
// them), then the mouse button that a drag latch still holds.  Once: what is let go is then up.
void ReleasePenButtons();

// The largest r with r * r <= value.
unsigned IntegerSquareRoot(unsigned value);
// A relative displacement compressed to its signed integer square root.
int CompressDisplacement(int displacement);

#endif
