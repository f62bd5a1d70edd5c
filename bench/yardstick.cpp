// The yardstick of the benchmark: the shortest road from the tablet driver to
// the pointer.  One thread: arm the driver with an event, wait for it, read
// one packet, move the pointer.  Nothing else: no second thread, no window,
// no settings.  Runs at the program's priorities until the event named on
// its command line is signalled.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "shared/tablet_protocol.h"

static bool Request(HANDLE device, DWORD code, const void *in, DWORD inSize,
                    void *out, DWORD outSize, DWORD *returned)
{
    DWORD dummy = 0;
    return DeviceIoControl(device, code, (void *)in, inSize, out, outSize,
                           returned ? returned : &dummy, NULL) != FALSE;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: yardstick STOP-EVENT-NAME\n");
        return 2;
    }
    HANDLE stop = CreateEventA(NULL, TRUE, FALSE, argv[1]);  // opened when it exists
    HANDLE device = CreateFileA(TABLET_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE,
                                0, NULL, OPEN_EXISTING, 0, NULL);
    if (!stop || device == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "yardstick: cannot open the stop event or the driver\n");
        return 1;
    }
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    DWORD on = 1;
    Request(device, IOCTL_TABLET_ENABLE, &on, sizeof on, NULL, 0, NULL);
    HANDLE event = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE waits[2] = {event, stop};
    DWORD handleValue = (DWORD)(ULONG_PTR)event;
    PenPacket packet;
    for (;;) {
        if (!Request(device, IOCTL_TABLET_SET_EVENT, &handleValue,
                     sizeof handleValue, NULL, 0, NULL))
            break;
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
            break;
        DWORD got = 0;
        if (!Request(device, IOCTL_TABLET_READ_PACKET, NULL, 0, &packet,
                     sizeof packet, &got))
            break;
        if (got == sizeof packet && (packet.status & PEN_STATUS_IN_RANGE))
            mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (DWORD)packet.x,
                        (DWORD)packet.y, 0, 0);
    }
    DWORD off = 0;
    Request(device, IOCTL_TABLET_ENABLE, &off, sizeof off, NULL, 0, NULL);
    CloseHandle(event);
    CloseHandle(device);
    return 0;
}
