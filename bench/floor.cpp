// The two-thread floor of the benchmark: the least that the program's design
// (a reader thread handing each packet to a window thread) costs.  A reader
// thread arms the driver's event, waits, reads one packet and posts its
// position to a plain window; the window's procedure makes the mouse_event,
// and nothing else.  With a screen named on the command line it maps the
// position onto that screen and moves over the whole desktop, by the
// program's own mapping.  Runs at the program's priorities until the event
// named on its command line is signalled.
//
//   floor.exe STOP-EVENT-NAME [SCREEN]   (SCREEN: all, or a device name)
#include <windows.h>
#include <stdio.h>

#include "input/screen_mapping.h"
#include "shared/screen_layout.h"
#include "shared/tablet_protocol.h"

#define WM_FLOOR_PACKET (WM_APP + 1)
#define FLOOR_WINDOW_CLASS "StylohidBenchFloor"

static struct {
    HANDLE Device;
    HANDLE Event;
    HANDLE Stop;
    HWND Window;
    ScreenMapping Screen;  // planned once, as the program plans it
} Floor;

static bool Request(DWORD code, const void *in, DWORD inSize, void *out, DWORD outSize,
                    DWORD *returned)
{
    DWORD dummy = 0;
    return DeviceIoControl(Floor.Device, code, (void *)in, inSize, out, outSize,
                           returned ? returned : &dummy, NULL) != FALSE;
}

static DWORD WINAPI ReadPackets(LPVOID)
{
    HANDLE waits[2] = {Floor.Event, Floor.Stop};
    DWORD handleValue = (DWORD)(ULONG_PTR)Floor.Event;
    PenPacket packet;
    for (;;) {
        if (!Request(IOCTL_TABLET_SET_EVENT, &handleValue, sizeof handleValue, NULL, 0,
                     NULL))
            break;
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
            break;
        DWORD got = 0;
        if (!Request(IOCTL_TABLET_READ_PACKET, NULL, 0, &packet, sizeof packet, &got))
            break;
        if (got == sizeof packet && (packet.status & PEN_STATUS_IN_RANGE))
            PostMessageA(Floor.Window, WM_FLOOR_PACKET, (WPARAM)(LONG)packet.x,
                         (LPARAM)(LONG)packet.y);
    }
    PostMessageA(Floor.Window, WM_CLOSE, 0, 0);
    return 0;
}

static void MovePointer(LONG x, LONG y)
{
    DWORD flags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    const ScreenMapping &s = Floor.Screen;
    if (s.OverDesktop) {
        flags |= MOUSEEVENTF_VIRTUALDESK;
        x = MapPenAxis(x, s.Left, s.Width, s.DeskWidth);
        y = MapPenAxis(y, s.Top, s.Height, s.DeskHeight);
    }
    mouse_event(flags, (DWORD)x, (DWORD)y, 0, 0);
}

static LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam)
{
    switch (message) {
    case WM_FLOOR_PACKET:
        MovePointer((LONG)wParam, (LONG)lParam);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static bool CreateFloorWindow(HINSTANCE instance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = FloorWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = FLOOR_WINDOW_CLASS;
    if (!RegisterClassA(&wc))
        return false;
    // Hidden, top-level and a pop-up, as the program's main window.
    Floor.Window = CreateWindowA(FLOOR_WINDOW_CLASS, "", WS_POPUP, 0, 0, 0, 0, NULL,
                                 NULL, instance, NULL);
    return Floor.Window != NULL;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: floor STOP-EVENT-NAME [SCREEN]\n");
        return 2;
    }
    if (argc > 2) {
        ScreenLayout layout;
        ReadScreenLayout(&layout);
        Floor.Screen = PlanScreenMapping(layout, argv[2]);
    }
    Floor.Stop = CreateEventA(NULL, TRUE, FALSE, argv[1]);  // opened when it exists
    Floor.Device = CreateFileA(TABLET_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, NULL,
                               OPEN_EXISTING, 0, NULL);
    if (!Floor.Stop || Floor.Device == INVALID_HANDLE_VALUE ||
        !CreateFloorWindow(GetModuleHandleA(NULL))) {
        fprintf(stderr, "floor: cannot open the stop event or the driver, or make the window\n");
        return 1;
    }
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    DWORD on = 1;
    Request(IOCTL_TABLET_ENABLE, &on, sizeof on, NULL, 0, NULL);
    Floor.Event = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE reader = CreateThread(NULL, 0, ReadPackets, NULL, 0, NULL);
    if (!Floor.Event || !reader)
        return 1;
    SetThreadPriority(reader, THREAD_PRIORITY_TIME_CRITICAL);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);

    WaitForSingleObject(reader, 5000);
    DWORD off = 0;
    Request(IOCTL_TABLET_ENABLE, &off, sizeof off, NULL, 0, NULL);
    CloseHandle(reader);
    CloseHandle(Floor.Event);
    CloseHandle(Floor.Device);
    return 0;
}
