#include "input/pen_scroll.h"
#include "input/screen_mapping.h"
#include "os/os.h"
#include "settings/settings_store.h"

// Windows Vista and later; the headers for XP leave it out.
#ifndef MOUSEEVENTF_HWHEEL
#define MOUSEEVENTF_HWHEEL 0x1000
#endif

PenScrollState PenScroll;

namespace {

// Windows Vista (6.0) and later take MOUSEEVENTF_HWHEEL; XP does not.
LONG HasHorizontalWheel()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwMajorVersion >= 6 ? 1 : 0;
}

bool IsAbsoluteMode()
{
    LockSettings();
    bool absolute = TabletSettings.AbsoluteMode != 0;
    UnlockSettings();
    return absolute;
}

void AnchorPenScroll(const PenPacket &packet)
{
    PenScroll.Anchored = 1;
    PenScroll.LastX = PenPixel(packet.x, PenScroll.Width);
    PenScroll.LastY = PenPixel(packet.y, PenScroll.Height);
}

void SendWheel(DWORD flags, LONG notches)
{
    if (notches != 0)
        OsMouseEvent(flags, 0, 0, (DWORD)(notches * WHEEL_DELTA),
                     (ULONG_PTR)OsGetMessageExtraInfo());
}

}  // namespace

LONG TakeWholeNotches(LONG *rest, LONG travel)
{
    LONGLONG total = (LONGLONG)*rest + travel;
    LONGLONG notches = total / SCROLL_TRAVEL_PER_NOTCH;
    *rest = (LONG)(total % SCROLL_TRAVEL_PER_NOTCH);
    // A jump beyond one event's room is cut to it, not spread over more.
    if (notches > SCROLL_NOTCHES_MAX)
        notches = SCROLL_NOTCHES_MAX;
    if (notches < -SCROLL_NOTCHES_MAX)
        notches = -SCROLL_NOTCHES_MAX;
    return (LONG)notches;
}

void BeginPenScroll(LONG holder, const PenPacket &packet)
{
    if (PenScroll.Holders == 0) {
        ZeroMemory(&PenScroll, sizeof PenScroll);
        LockSettings();
        bool absolute = TabletSettings.AbsoluteMode != 0;
        ScreenMapping screen = ScreenTarget;
        UnlockSettings();
        // The main screen is where the system maps an unchanged position.
        PenScroll.Width = screen.OverDesktop ? screen.Width : GetSystemMetrics(SM_CXSCREEN);
        PenScroll.Height = screen.OverDesktop ? screen.Height : GetSystemMetrics(SM_CYSCREEN);
        PenScroll.Horizontal = HasHorizontalWheel();
        if (absolute && packet.x != PEN_NO_POSITION && packet.y != PEN_NO_POSITION)
            AnchorPenScroll(packet);
    }
    PenScroll.Holders |= holder;
}

void LeavePenScroll(LONG holder)
{
    PenScroll.Holders &= ~holder;
}

void ScrollPen(const PenPacket &packet)
{
    if (packet.x == PEN_NO_POSITION || packet.y == PEN_NO_POSITION)
        return;
    LONG travelX = packet.x, travelY = packet.y;
    if (IsAbsoluteMode()) {
        bool anchored = PenScroll.Anchored != 0;
        LONG lastX = PenScroll.LastX, lastY = PenScroll.LastY;
        AnchorPenScroll(packet);
        // The first position of a scroll begun without one, or after a
        // switch from relative mode, only sets the anchor.
        if (!anchored)
            return;
        travelX = PenScroll.LastX - lastX;
        travelY = PenScroll.LastY - lastY;
    } else {
        PenScroll.Anchored = 0;
    }
    // A wheel turned toward the user (a negative delta) moves toward the end.
    SendWheel(MOUSEEVENTF_WHEEL, -TakeWholeNotches(&PenScroll.RestY, travelY));
    if (PenScroll.Horizontal)
        SendWheel(MOUSEEVENTF_HWHEEL, TakeWholeNotches(&PenScroll.RestX, travelX));
}
