// The wait for the tablet at start-up.
#ifndef DISCOVERY_WAIT_H
#define DISCOVERY_WAIT_H

#include <windows.h>

#define DISCOVERY_TIMEOUT_MS 240000
#define DISCOVERY_POLL_MS 100

// Probes for the tablet every 100 ms for up to four minutes, serving the
// message queue in between; then shows the icon and starts the reader, or
// tells the user and closes the program.
void WaitForTablet(HWND mainWindow);

// Serves the UI thread's queue without blocking; a WM_QUIT is posted again.
void DrainMessages();

#endif
