// Absolute mode's steady pointer: the pen's position as a pixel of the
// chosen screen, through the smoothing when it is on, and the steady clicks
// when they are on: a press holds the pointer where it landed until the pen
// (steadied) leaves the system's drag rectangle, a second press of a double click
// lands where the first did, and a pixel already sent is not sent again.
#ifndef STEADY_CLICKS_H
#define STEADY_CLICKS_H

#include <windows.h>
#include "input/screen_mapping.h"

struct SteadyPointerState {
    bool ClicksOn;          // steady clicks in force for the packet being handled
    ScreenMapping Screen;   // the plan the pixels below belong to
    bool Sent;              // a pixel was sent, and the pointer is taken to be there
    LONG SentX, SentY;
    LONG PenX, PenY;        // the pen's pixel at the last packet, steadied
    bool Holding;           // a press holds the pointer at Hold
    LONG HoldX, HoldY;
    LONG PressX, PressY;    // the pen's pixel, steadied, at that press
    LONG DragX, DragY;      // how far the pen may stray from Press (SM_CXDRAG, SM_CYDRAG)
    bool Landed;            // a press landed at Land
    LONG LandX, LandY;
    bool Released;          // that press was let go at ReleaseTick
    DWORD ReleaseTick;
};

// UI thread only.
extern SteadyPointerState SteadyPointer;

// Moves the pointer to the pen's position (driver units, 0..65535 an axis)
// on the screen of the plan, smoothed at `strength` (0: not smoothed), with
// the steady clicks when `steadyClicks`.  False, with nothing sent, when
// the plan does not know the screen's pixels.
bool MoveSteadyPointer(const ScreenMapping &screen, int strength, bool steadyClicks,
                       LONG penX, LONG penY);

// The pen left range, or the steady pointer is not in force: the smoothing
// starts afresh and no pixel counts as sent.
void LeaveSteadyPointer();

// At the press edge of a pen button whose action presses a mouse button,
// before the press goes out: lands it where the previous press landed when
// it comes within the double-click time and distance of that one, and holds
// the pointer there.  Nothing while steady clicks are off.
void LandSteadyPress();
// After the release edge of such a button.
void NoteSteadyRelease();

#endif
