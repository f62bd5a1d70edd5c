// The one channel to the tablet driver's control device "\\.\USBTablet".
// Every request is a synchronous buffered DeviceIoControl on one shared
// handle; each operation returns false, without reaching the driver, while no
// channel is open.  A lock held around each request and around open and
// close keeps a UI-thread request off a handle that the reader is closing.
// The requests the window thread makes (pointer mode, orientation,
// sensitivity, the settings block) wait at most CHANNEL_WAIT_MS for a
// request of the reader that the driver does not answer, then count as
// refused: a hung driver must not freeze the window and keep the program
// from closing.
#ifndef DRIVER_CHANNEL_H
#define DRIVER_CHANNEL_H

#include <windows.h>
#include "shared/tablet_protocol.h"

#define CHANNEL_WAIT_MS 1000

struct DriverChannelState {
    HANDLE Handle;          // NULL: no channel
    CRITICAL_SECTION Lock;  // held for each request, open and close
};

extern DriverChannelState DriverChannel;

void InitDriverChannel();

bool OpenDriverChannel();
void CloseDriverChannel();
bool IsDriverChannelOpen();

bool EnableReporting(DWORD on);
// EnableReporting for the stop and for the check after a sleep: gives up,
// sending nothing, when another request has held the channel for waitMs (a
// driver that never answers it must not keep the program from ending).
bool EnableReportingWithin(DWORD on, DWORD waitMs);
bool ArmPacketEvent(HANDLE event);
bool ReadPenPacket(PenPacket *packet);
// Each false without a request after CHANNEL_WAIT_MS of a held channel.
bool SetAbsoluteMode(DWORD absolute);
bool SetOrientation(DWORD portrait);
bool SetSensitivity(DWORD sensitivity);
bool SendSettingsBlock(const DriverSettingsBlock *block);
// Sends TABLET_EXTENTS_WORD(xMax, yMax).
bool SetExtents(LONG xMax, LONG yMax);

#endif
