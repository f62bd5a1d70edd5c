// A hidden window that stands in for the main window in reader and ring
// tests: it takes every WM_TABLET_PACKET back from the ring and records it,
// and records every WM_CLOSE.
#ifndef READER_WINDOW_H
#define READER_WINDOW_H

#include <windows.h>
#include <vector>
#include "shared/tablet_protocol.h"

struct ReaderWindowRecord {
    std::vector<PenPacket> Packets;  // taken from the ring, in order
    int ForeignPackets;              // WM_TABLET_PACKET the ring refused
    std::vector<WPARAM> CloseWParams;
    std::vector<LPARAM> CloseLParams;
    std::vector<bool> CloseSentByOtherThread;  // sent, not posted, from another thread
};

extern ReaderWindowRecord ReaderWindowLog;

HWND CreateReaderWindow();
// Serves the thread's messages until done() holds or timeoutMs of real time
// pass; returns done().
bool PumpUntil(bool (*done)(void *), void *context, DWORD timeoutMs = 5000);
// Serves messages for a short real time (lets stray posts arrive).
void PumpFor(DWORD ms);

#endif
