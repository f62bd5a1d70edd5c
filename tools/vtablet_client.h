// User-mode side of the virtual tablet: installing its drivers into the
// running Wine prefix and talking to their control channels.  Used by the
// command-line tool vtabletctl.exe and by the end-to-end tests.
#ifndef VTABLET_CLIENT_H
#define VTABLET_CLIENT_H

#include <windows.h>

#include "vtablet_control.h"

// Copies usbtablet.sys from sysFolder (a Windows path ending in a
// backslash) into system32\drivers unless the driver already runs, then
// registers and starts it as service "USBTablet"; true once
// "\\.\USBTabletTest" opens.  Does nothing that is already done.
bool InstallTabletDriver(const char *sysFolder);

// The same for the virtual HID bus: copies vtabbus.sys and vtabhid.sys and
// their INF files from sysFolder, registers the root bus device and its
// driver; true once "\\.\VTabletBus" opens.  Idempotent.
bool InstallTabletBus(const char *sysFolder);

// One request on a control channel (VTABLET_CONTROL_PATH or
// VTABLET_BUS_PATH); the handle is opened and closed around it.
bool SendControl(const char *path, DWORD code, const void *in, DWORD inSize,
                 void *out, DWORD outSize, DWORD *returned);

bool ResetVirtualTablet();
bool QueuePenPackets(const PenPacket *packets, unsigned count);
bool GetVirtualTabletState(VTabletState *state);
// Entries from sequence number first on; returns how many were copied.
unsigned ReadRequestLog(unsigned first, VTabletLogEntry *entries, unsigned max);
bool SetRequestFailure(DWORD code, DWORD skip, DWORD count, DWORD status);
bool RefuseTabletOpen(bool refuse);
bool SetTabletUnplugged(bool unplugged);
// As SetTabletUnplugged, but the armed event is not signalled (a sleep).
bool SetTabletAsleep(bool asleep);

bool PlugHidTablet(const VTabletDeviceSpec *spec);
bool UnplugHidTablet(DWORD serial);
bool CountHidTablets(DWORD *count);
// A spec with the real tablet's ids and the default ranges.
VTabletDeviceSpec DefaultTabletSpec(DWORD serial);

PenPacket MakePenPacket(int x, int y, DWORD status);

#endif
