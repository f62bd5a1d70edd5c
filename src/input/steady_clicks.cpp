#include "input/steady_clicks.h"
#include <string.h>
#include "input/pointer_smoothing.h"
#include "os/os.h"
#include "shared/stored_values.h"

SteadyPointerState SteadyPointer;

namespace {

// The smoothing by which the steady clicks judge a press's drag rectangle
// while the pointer itself is not smoothed: the strength at which a pen
// shaking 3 pixels either way holds within a pixel.
const int DRAG_SMOOTHING = SMOOTHING_MAX / 2;

LONG ClampPen(LONG pen)
{
    return pen < 0 ? 0 : pen > 65535 ? 65535 : pen;
}

// The pen's position on an axis of `size` pixels as a point between pixels
// for the smoothing, whose rounding gives PenPixel's pixel for a pen at rest.
double PenPoint(LONG pen, LONG size)
{
    return (double)ClampPen(pen) * size / 65536.0 - 0.5;
}

LONG ClampPixel(LONG pixel, LONG size)
{
    return pixel < 0 ? 0 : pixel >= size ? size - 1 : pixel;
}

LONG Distance(LONG a, LONG b)
{
    return a > b ? a - b : b - a;
}

void SendPixel(LONG x, LONG y)
{
    const ScreenMapping &screen = SteadyPointer.Screen;
    DWORD flags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    if (screen.OverDesktop)
        flags |= MOUSEEVENTF_VIRTUALDESK;
    LONG dx = NormalisePixel(screen.Left + x, screen.DeskWidth);
    LONG dy = NormalisePixel(screen.Top + y, screen.DeskHeight);
    OsMouseEvent(flags, (DWORD)dx, (DWORD)dy, 0, (ULONG_PTR)OsGetMessageExtraInfo());
    SteadyPointer.Sent = true;
    SteadyPointer.SentX = x;
    SteadyPointer.SentY = y;
}

// A held press lets the pointer go once the pen, steadied, is out of the
// drag rectangle around where it was at the press.
void KeepHeldPress(LONG penX, LONG penY, LONG *x, LONG *y)
{
    SteadyPointerState &s = SteadyPointer;
    if (!s.Holding)
        return;
    if (Distance(penX, s.PressX) > s.DragX || Distance(penY, s.PressY) > s.DragY) {
        s.Holding = false;
        return;
    }
    *x = s.HoldX;
    *y = s.HoldY;
}

}  // namespace

bool MoveSteadyPointer(const ScreenMapping &screen, int strength, bool steadyClicks,
                       LONG penX, LONG penY)
{
    if (screen.Width <= 0 || screen.Height <= 0 || screen.DeskWidth <= 0 ||
        screen.DeskHeight <= 0)
        return false;
    SteadyPointerState &s = SteadyPointer;
    if (memcmp(&screen, &s.Screen, sizeof screen) != 0) {
        LeaveSteadyPointer();
        s.Holding = false;
        s.Landed = false;
        s.Screen = screen;
    }
    LONG x = PenPixel(penX, screen.Width);
    LONG y = PenPixel(penY, screen.Height);
    // The pen's pixel, steadied: the pointer's own with smoothing on.  With
    // smoothing off, the steady clicks still judge the drag rectangle by the
    // steadied pen, since a hand's shake is as wide as the rectangle: judged
    // by the raw pen, a tap would become a drag.
    LONG steadyX = x, steadyY = y;
    int filterStrength = strength > 0 ? strength : steadyClicks ? DRAG_SMOOTHING : 0;
    if (filterStrength > 0) {
        double seconds = ReadSmoothingStep(&Smoothing);
        SmoothPosition(&Smoothing, filterStrength, seconds, PenPoint(penX, screen.Width),
                       PenPoint(penY, screen.Height), &steadyX, &steadyY);
        steadyX = ClampPixel(steadyX, screen.Width);
        steadyY = ClampPixel(steadyY, screen.Height);
        if (strength > 0) {
            x = steadyX;
            y = steadyY;
        }
    }
    s.ClicksOn = steadyClicks;
    s.PenX = steadyX;
    s.PenY = steadyY;
    if (steadyClicks) {
        KeepHeldPress(steadyX, steadyY, &x, &y);
        // A still mouse sends nothing: a move to the same pixel while a
        // button is down is a drag to an edit control.
        if (s.Sent && x == s.SentX && y == s.SentY)
            return true;
    }
    SendPixel(x, y);
    return true;
}

void LeaveSteadyPointer()
{
    RestartPointerSmoothing(&Smoothing);
    SteadyPointer.Sent = false;
}

void LandSteadyPress()
{
    SteadyPointerState &s = SteadyPointer;
    if (!s.ClicksOn || !s.Sent)
        return;
    // Where the pointer is (where the pen is, unless the other pen button
    // holds it).
    LONG x = s.SentX, y = s.SentY;
    // Read at each press: the user may change them at any time.
    DWORD doubleClickMs = GetDoubleClickTime();
    LONG nearX = 2 * GetSystemMetrics(SM_CXDOUBLECLK);
    LONG nearY = 2 * GetSystemMetrics(SM_CYDOUBLECLK);
    if (s.Landed && s.Released && OsGetTickCount() - s.ReleaseTick <= doubleClickMs &&
        Distance(x, s.LandX) <= nearX && Distance(y, s.LandY) <= nearY) {
        x = s.LandX;
        y = s.LandY;
        if (x != s.SentX || y != s.SentY)
            SendPixel(x, y);
    }
    s.Holding = true;
    s.PressX = s.PenX;
    s.PressY = s.PenY;
    s.HoldX = x;
    s.HoldY = y;
    s.DragX = GetSystemMetrics(SM_CXDRAG);
    s.DragY = GetSystemMetrics(SM_CYDRAG);
    s.Landed = true;
    s.LandX = x;
    s.LandY = y;
    s.Released = false;
}

void NoteSteadyRelease()
{
    SteadyPointerState &s = SteadyPointer;
    s.Holding = false;
    if (!s.ClicksOn || !s.Landed)
        return;
    s.Released = true;
    s.ReleaseTick = OsGetTickCount();
}
