// The reader thread's start-up and end: it opens the driver channel, makes
// the start-up's requests and loads the settings, runs the packet loop of
// device/packet_reader.h and, at its end, tells the main window.
#ifndef READER_SESSION_H
#define READER_SESSION_H

#include <windows.h>

// From the reader, lParam its generation: wParam READER_CONNECTED (posted
// once its start is done) or READER_ENDED (sent as its last act when the
// program is to wait for the tablet rather than end).
#define WM_TABLET_CONNECTION 2030
#define READER_ENDED     0
#define READER_CONNECTED 1

// The reader's initial stack commitment; the reserve stays the program's.
#define READER_STACK_COMMIT 1024

// Thread routine, started with the main window as its parameter; returns 1
// on every path.  Its last act is a message sent (synchronously) to that
// window: WM_TABLET_CONNECTION READER_ENDED with its generation when the
// Reconnect setting is on, else WM_CLOSE (wParam 1).
DWORD WINAPI PacketReaderMain(LPVOID mainWindow);

// UI thread: creates the reader thread for App.MainWindow at time-critical
// priority; the handle goes to App.ReaderThread.  Only when no reader runs.
bool StartPacketReader();

// UI thread: reporting off, RunFlag cleared, event signalled, handle
// released (StopPacketLoop, then ReleaseReaderThread).  Does not wait for
// the reader to end.
void StopPacketReader();

// UI thread: closes App.ReaderThread, once the reader is stopped or has
// ended; the one place the handle is released.
void ReleaseReaderThread();

#endif
