#include "device/packet_ring.h"

BOOL PostPenPacket(HWND, const PenPacket *) { return FALSE; }

bool TakePostedPacket(LPARAM, PenPacket *) { return false; }
