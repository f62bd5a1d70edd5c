#include "input/button_actions.h"
#include "input/key_tables.h"
#include "os/os.h"
#include "shared/stored_values.h"

LONG DragLatch;
DWORD DragLatchUp;

namespace {

struct MouseButtonFlags {
    DWORD Down;
    DWORD Up;
};

// Left, right and middle: codes 1..3, 4..6 and 7..9.
const MouseButtonFlags MouseButtons[3] = {
    {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
    {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP},
    {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP},
};

enum MouseActionKind { MOUSE_CLICK, MOUSE_DOUBLE_CLICK, MOUSE_DRAG };

const DWORD KEY_DOWN_FLAGS = KEYEVENTF_EXTENDEDKEY;
const DWORD KEY_UP_FLAGS = KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP;

void SendMouseButton(DWORD flags, ULONG_PTR extra)
{
    OsMouseEvent(flags, 0, 0, 0, extra);
}

void SendKeyAt(int position, DWORD flags)
{
    const KeyTableEntry &key = KeyTable[position];
    OsKeybdEvent(key.First, key.Second, flags, 0);
}

}  // namespace

void PerformMouseAction(int code, LONG phase)
{
    if (code < ACTION_LEFT_CLICK || code > ACTION_MIDDLE_DRAG)
        return;
    const MouseButtonFlags &button = MouseButtons[(code - 1) / 3];
    switch ((code - 1) % 3) {
    case MOUSE_CLICK:
        if (code == ACTION_LEFT_CLICK) {
            DragLatch = 0;
            DragLatchUp = 0;
        }
        SendMouseButton(phase == ACTION_PHASE_PRESS ? button.Down : button.Up,
                        (ULONG_PTR)OsGetMessageExtraInfo());
        break;
    case MOUSE_DOUBLE_CLICK:
        SendMouseButton(button.Down, 0);
        SendMouseButton(button.Up, 0);
        SendMouseButton(button.Down, 0);
        SendMouseButton(button.Up, 0);
        break;
    case MOUSE_DRAG:
        if (DragLatch) {
            DragLatch = 0;
            DragLatchUp = 0;
            SendMouseButton(button.Up, 0);
        } else {
            DragLatch = 1;
            DragLatchUp = button.Up;
            SendMouseButton(button.Down, 0);
        }
        break;
    }
}

void ReleaseDragLatch()
{
    if (!DragLatch)
        return;
    DWORD up = DragLatchUp;
    DragLatch = 0;
    DragLatchUp = 0;
    if (up)
        SendMouseButton(up, 0);
}

void PerformKeyAction(int code)
{
    if (code >= ACTION_FIRST_CHORD && code <= ACTION_CODE_LAST)
        SendKeystroke(code);
}

void SendKeystroke(int code)
{
    if (code < ACTION_FIRST_CHORD || code > ACTION_CODE_LAST)
        return;
    const KeyTableEntry &row = KeyTable[code + KEY_ROW_OFFSET];
    if (code <= ACTION_LAST_CHORD) {
        // The modifier is let go before the key.
        SendKeyAt(row.First, KEY_DOWN_FLAGS);
        SendKeyAt(row.Second, KEY_DOWN_FLAGS);
        SendKeyAt(row.First, KEY_UP_FLAGS);
        SendKeyAt(row.Second, KEY_UP_FLAGS);
    } else {
        OsKeybdEvent(row.First, row.Second, KEY_DOWN_FLAGS, 0);
        OsKeybdEvent(row.First, row.Second, KEY_UP_FLAGS, 0);
    }
}
