#include "input/packet_translation.h"
#include "input/button_actions.h"
#include "input/pen_scroll.h"
#include "input/screen_mapping.h"
#include "input/steady_clicks.h"
#include "os/os.h"
#include "settings/settings_store.h"
#include "shared/stored_values.h"

PenButtonState ButtonState;

unsigned IntegerSquareRoot(unsigned value)
{
    // Bit by bit, from the highest power of four down: exact for every
    // 32-bit value and free of floating point.
    unsigned root = 0;
    unsigned bit = 1u << 30;
    while (bit > value)
        bit >>= 2;
    while (bit != 0) {
        if (value >= root + bit) {
            value -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
        bit >>= 2;
    }
    return root;
}

int CompressDisplacement(int displacement)
{
    // The magnitude in unsigned arithmetic, so that -2147483648 has one too.
    unsigned magnitude = displacement < 0 ? 0u - (unsigned)displacement
                                          : (unsigned)displacement;
    int root = (int)IntegerSquareRoot(magnitude);  // at most 46340 here
    return displacement < 0 ? -root : root;
}

namespace {

// Absolute mode's smoothing strength: 0 off, larger numbers as the largest.
int SmoothingStrength(LONG stored)
{
    return (DWORD)stored > SMOOTHING_MAX ? SMOOTHING_MAX : (int)stored;
}

void MovePointer(int x, int y)
{
    LockSettings();
    LONG absolute = TabletSettings.AbsoluteMode;
    ScreenMapping screen = ScreenTarget;
    int strength = SmoothingStrength(TabletSettings.Smoothing);
    bool steadyClicks = TabletSettings.SteadyClicks != 0;
    UnlockSettings();
    bool steady = absolute && (strength > 0 || steadyClicks);
    if (!steady || x == PEN_NO_POSITION || y == PEN_NO_POSITION) {
        SteadyPointer.ClicksOn = steady && steadyClicks;
        LeaveSteadyPointer();
    }
    if (x == PEN_NO_POSITION || y == PEN_NO_POSITION)
        return;
    if (steady) {
        if (MoveSteadyPointer(screen, strength, steadyClicks, x, y))
            return;
        // The screen's pixels are not known: the pen goes where it is.
        SteadyPointer.ClicksOn = false;
        LeaveSteadyPointer();
    }
    DWORD flags = MOUSEEVENTF_MOVE;
    if (absolute) {
        flags |= MOUSEEVENTF_ABSOLUTE;
        if (screen.OverDesktop) {
            flags |= MOUSEEVENTF_VIRTUALDESK;
            x = MapPenAxis(x, screen.Left, screen.Width, screen.DeskWidth);
            y = MapPenAxis(y, screen.Top, screen.Height, screen.DeskHeight);
        }
    } else {
        x = CompressDisplacement(x);
        y = CompressDisplacement(y);
    }
    OsMouseEvent(flags, (DWORD)x, (DWORD)y, 0, (ULONG_PTR)OsGetMessageExtraInfo());
}

int ReadActionCode(const SHORT *action)
{
    LockSettings();
    SHORT code = *action;
    UnlockSettings();
    return code;
}

bool IsMouseActionCode(int code)
{
    return code >= ACTION_LEFT_CLICK && code <= ACTION_MIDDLE_DRAG;
}

// Acts on a press or release of one pen button; the code is looked up at
// each edge, so a reload while the button is down decides the release.  A
// button that pressed on the scroll leaves it at its release whatever its
// code is by then.
void TrackPenButton(LONG *down, bool pressed, const SHORT *action,
                    LONG scrollHolder, const PenPacket &packet)
{
    if (pressed == (*down != 0))
        return;
    *down = pressed ? 1 : 0;
    int code = ReadActionCode(action);
    if (pressed) {
        if (code == ACTION_SCROLL) {
            BeginPenScroll(scrollHolder, packet);
        } else if (IsMouseActionCode(code)) {
            LandSteadyPress();
            PerformMouseAction(code, ACTION_PHASE_PRESS);
        } else {
            PerformKeyAction(code);
        }
        return;
    }
    LeavePenScroll(scrollHolder);
    if (IsMouseActionCode(code)) {
        PerformMouseAction(code, ACTION_PHASE_RELEASE);
        NoteSteadyRelease();
    }
}

}  // namespace

void HandleTabletPacket(const PenPacket &packet)
{
    if (PenScroll.Holders)
        ScrollPen(packet);
    else
        MovePointer(packet.x, packet.y);
    TrackPenButton(&ButtonState.Button2Down,
                   (packet.status & PEN_STATUS_BUTTON2) != 0,
                   &TabletSettings.Button2Action, SCROLL_HOLDER_BUTTON2, packet);
    TrackPenButton(&ButtonState.Button1Down,
                   (packet.status & PEN_STATUS_BUTTON1) != 0,
                   &TabletSettings.Button1Action, SCROLL_HOLDER_BUTTON1, packet);
}

void ReleasePenButtons()
{
    PenPacket idle;
    ZeroMemory(&idle, sizeof idle);
    idle.x = PEN_NO_POSITION;
    idle.y = PEN_NO_POSITION;
    HandleTabletPacket(idle);
    ReleaseDragLatch();
}
