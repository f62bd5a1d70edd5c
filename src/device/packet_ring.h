// How a pen packet travels from the reader to the main window: the reader
// copies it into a slot of a ring it owns and posts the slot's sequence number
// as lParam of WM_TABLET_PACKET; the main window takes it back with
// TakePostedPacket, which ignores any lParam the reader did not post.
#ifndef PACKET_RING_H
#define PACKET_RING_H

#include <windows.h>
#include "device/tablet_protocol.h"

#define PACKET_RING_SIZE 1024

// Reader thread: posts a copy of the packet to the window.
BOOL PostPenPacket(HWND window, const PenPacket *packet);

// UI thread: the packet a WM_TABLET_PACKET carries, or false for a message
// the reader did not post.
bool TakePostedPacket(LPARAM lParam, PenPacket *packet);

#endif
