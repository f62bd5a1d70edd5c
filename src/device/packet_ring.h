// How a pen packet travels from the reader to the main window: the reader
// copies it into a slot of a ring it owns and posts the slot's sequence number
// as lParam of WM_TABLET_PACKET; the main window takes it back with
// TakePostedPacket, which ignores any lParam the reader did not post.
#ifndef PACKET_RING_H
#define PACKET_RING_H

#include <windows.h>
#include "shared/tablet_protocol.h"

// Packets that may be pending at the main window without one being lost.
#define PACKET_RING_SIZE 1024

// The message that carries a posted packet's number to the window.
#define WM_TABLET_PACKET 2025

// Reader thread: posts a copy of the packet to the window as
// WM_TABLET_PACKET (wParam 0); the result is PostMessageA's.
BOOL PostPenPacket(HWND window, const PenPacket *packet);

// UI thread: the packet a WM_TABLET_PACKET carries, or false for a message
// the reader did not post, one already taken, or one whose slot the reader
// has since reused.  lParam is only compared, never dereferenced.
bool TakePostedPacket(LPARAM lParam, PenPacket *packet);

// Forgets every pending packet (tests).
void ResetPacketRing();

#endif
