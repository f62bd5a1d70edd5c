// Pen packets become pointer motion and pen-button actions.
#ifndef PACKET_TRANSLATION_H
#define PACKET_TRANSLATION_H

#include <windows.h>
#include "device/tablet_protocol.h"

struct PenButtonState {
    LONG Button1Down;  // 1 while pen button 1 is held
    LONG Button2Down;  // 1 while pen button 2 is held
};

extern PenButtonState ButtonState;

// The main window's handling of one WM_TABLET_PACKET.
void HandleTabletPacket(const PenPacket &packet);

#endif
