// The reader thread's packet loop: it waits for the driver's signal, fetches
// pen packets and posts them to the window it is given, until it is stopped
// or the driver fails it.  The reader's start-up and end, and what the
// program does about them, are the application's (app/reader_session.h).
#ifndef PACKET_READER_H
#define PACKET_READER_H

#include <windows.h>

#define IDLE_POLL_MS 50
// How long the stop (and the check after a sleep) waits for a driver request
// of the reader to end before it gives up switching reporting on or off.
#define STOP_CHANNEL_WAIT_MS 1000

struct PacketReaderState {
    volatile LONG RunFlag;       // set when the reader's start is done
    volatile LONG StopRequested; // StopPacketLoop has run
    volatile LONG ReportingLeftOn; // ...and its EnableReporting(0) did not get through
    HANDLE PacketEvent;          // published for StopPacketLoop; NULL when none
    CRITICAL_SECTION EventLock;  // orders signalling against closing the event
    volatile LONG Running;       // a reader was started and its end not yet handled
    volatile LONG Generation;    // counts the readers started
    volatile LONG Ending;        // set by the reader of this generation at its last act
};

extern PacketReaderState PacketReader;

void InitPacketReader();

// Why the packet loop ended.
enum PacketLoopEnd {
    PACKET_LOOP_STOPPED,     // RunFlag was cleared
    PACKET_LOOP_ARM_FAILED,  // the driver refused the packet event
    PACKET_LOOP_READ_FAILED  // the driver failed a packet read
};

// Reader thread: publishes the event and sets RunFlag, unless a stop came
// while the start steps ran (then the loop is never entered).
void PublishPacketEvent(HANDLE event);
// Reader thread: fetches packets and posts them to window until RunFlag is
// cleared or the driver fails a request.  While the pen is out of range an
// idle packet goes out every IDLE_POLL_MS.
PacketLoopEnd RunPacketLoop(HWND window, HANDLE event);
// Reader thread: closes the published event.
void ClosePacketEvent(HANDLE event);
// Reader thread, before it closes the channel: switches reporting off when
// the stop could not.
void SwitchReportingOffAfterStop();

// UI thread: reporting off, RunFlag cleared, event signalled.  Does not wait
// for the reader to end, nor longer than STOP_CHANNEL_WAIT_MS for a driver
// request of the reader that does not come back; the reader then switches
// reporting off itself before it closes the channel.
void StopPacketLoop();

#endif
