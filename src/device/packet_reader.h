// The time-critical reader thread: opens the driver channel, fetches pen
// packets and posts them to the main window.
#ifndef PACKET_READER_H
#define PACKET_READER_H

#include <windows.h>

#define IDLE_POLL_MS 50
// How long the stop (and the check after a sleep) waits for a driver request
// of the reader to end before it gives up switching reporting on or off.
#define STOP_CHANNEL_WAIT_MS 1000
// The reader's initial stack commitment; the reserve stays the program's.
#define READER_STACK_COMMIT 1024

struct PacketReaderState {
    volatile LONG RunFlag;       // set when the reader's start is done
    volatile LONG StopRequested; // StopPacketReader has run
    volatile LONG ReportingLeftOn; // ...and its EnableReporting(0) did not get through
    HANDLE PacketEvent;          // published for StopPacketReader; NULL when none
    CRITICAL_SECTION EventLock;  // orders signalling against closing the event
    volatile LONG Running;       // a reader was started and its end not yet handled
    volatile LONG Generation;    // counts the readers started
    volatile LONG Ending;        // set by the reader of this generation at its last act
};

extern PacketReaderState PacketReader;

void InitPacketReader();

// Thread routine; returns 1 on every path.  Its last act is a message sent
// (synchronously) to App.MainWindow: WM_TABLET_CONNECTION READER_ENDED with
// its generation when the Reconnect setting is on, else WM_CLOSE (wParam 1).
DWORD WINAPI PacketReaderMain(LPVOID);

// UI thread: creates the reader thread at time-critical priority; the
// handle goes to App.ReaderThread.  Only when no reader runs.
bool StartPacketReader();

// UI thread: reporting off, RunFlag cleared, event signalled, handle released.
// Does not wait for the reader to end, nor longer than STOP_CHANNEL_WAIT_MS
// for a driver request of the reader that does not come back; the reader
// then switches reporting off itself before it closes the channel.
void StopPacketReader();

#endif
