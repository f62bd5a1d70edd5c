// The pen trace of the run command: a drawing played through the virtual
// tablet into the sketch pad (sketchpad.exe), with pen button 2 held while
// the pen draws.  The program must be in absolute mode and give pen
// button 2 a left click.
#ifndef DEMO_DRAWING_H
#define DEMO_DRAWING_H

#include <windows.h>

// Plays the drawing into the client area of the sketch pad window, one
// packet every packetMs.  With framePackets > 0 it stops after every
// framePackets packets and at the end, once the program has taken them:
// prints the pointer's position ("x y") and waits for a line on stdin
// before it goes on (end of input: it goes on at once).  False when a
// packet could not be queued.
bool PlayDrawing(HWND pad, DWORD packetMs, int framePackets);

#endif
