#include "input/packet_translation.h"

PenButtonState ButtonState;

void HandleTabletPacket(const PenPacket &) {}
