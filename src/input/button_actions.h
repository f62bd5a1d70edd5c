// What a pen button does: mouse clicks, double clicks, drag latches and
// keystrokes, by action code.
#ifndef BUTTON_ACTIONS_H
#define BUTTON_ACTIONS_H

#include <windows.h>

#define ACTION_PHASE_PRESS 1
#define ACTION_PHASE_RELEASE 2

// Set while a drag action holds a mouse button down.  One latch for all
// three drag actions and both pen buttons: a drag action that finds it set
// clears it and lets go of its own mouse button, whichever one the latch
// was set with.  UI thread only.
extern LONG DragLatch;
// The up event of the mouse button that set the latch (0 when it is clear).
extern DWORD DragLatchUp;

// Codes 1..9; phase 1 is a press, any other phase a release.  Other codes
// do nothing.
void PerformMouseAction(int code, LONG phase);
// At a press edge, for every code outside 1..9: codes 10..38 send their
// keys, every other code does nothing.
void PerformKeyAction(int code);
// Sends the chord (10..15) or the single key (16..38) of the code.
void SendKeystroke(int code);
// Clears a set latch and lets go of the mouse button that set it.
void ReleaseDragLatch();

#endif
