// vtabletctl: installs the virtual tablet into the running Wine prefix and
// drives it from the command line.  Run without arguments for the usage.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "demo_drawing.h"
#include "sketchpad.h"
#include "vtablet_client.h"
#include "shared/stored_values.h"

#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

static const char Usage[] =
    "usage: vtabletctl COMMAND [ARGS]\n"
    "  install-driver [DIR]      register and start usbtablet.sys (copied from DIR)\n"
    "  install-bus [DIR]         register the virtual HID bus and minidriver\n"
    "  reset                     empty queue, log and failure rules\n"
    "  state                     print the driver's state\n"
    "  log [FIRST]               print the request log\n"
    "  packet X Y STATUS         queue one pen packet\n"
    "  line X0 Y0 X1 Y1 STEPS [STATUS]   queue a stroke (status default 0x80)\n"
    "  circle CX CY R STEPS [STATUS]     queue a circle\n"
    "  button 1|2 [X Y]          queue a press and a release of a pen button\n"
    "  fail CODE SKIP COUNT [STATUS]     fail requests of CODE (COUNT -1: all)\n"
    "  refuse 0|1                refuse opens of \\\\.\\USBTablet\n"
    "  unplug-driver 0|1|2       the control device loses (1) or regains the tablet;\n"
    "                            2: loses it without waking the program, as in a sleep\n"
    "  plug SERIAL [VID PID XMAX YMAX [noxy]]   plug a HID tablet\n"
    "  unplug SERIAL|all         unplug HID tablets\n"
    "  count                     number of plugged HID tablets\n"
    "  hid                       list the HID devices with their X and Y ranges\n"
    "  wait-ready [MS]           wait until a program enabled reporting and armed its event\n"
    "  wait-drained [MS]         wait until every queued packet was read\n"
    "  pointer                   print the pointer's position\n"
    "  demo [STEP]               draw in the sketch pad with pen button 2 held;\n"
    "                            STEP: after every STEP packets print the pointer\n"
    "                            and wait for a line on stdin\n"
    "  close                     ask the running program to close (WM_CLOSE)\n"
    "  reload                    ask the running program to reload its settings\n"
    "  command ID                send the running program WM_COMMAND ID\n"
    "  window CAPTION [close]    print where the visible top-level window with that\n"
    "                            caption is: x y width height of the window, then\n"
    "                            of its client area; close: then post it WM_CLOSE\n"
    "Numbers may be decimal or 0x hex.\n";

static long Number(const char *text) { return strtol(text, NULL, 0); }

static int Fail(const char *what)
{
    fprintf(stderr, "vtabletctl: %s failed (%lu)\n", what, GetLastError());
    return 1;
}

static int Queue(const PenPacket *packets, unsigned count)
{
    return QueuePenPackets(packets, count) ? 0 : Fail("queueing packets");
}

static int QueueLine(int argc, char **argv)
{
    if (argc < 7)
        return fputs(Usage, stderr), 2;
    long x0 = Number(argv[2]), y0 = Number(argv[3]);
    long x1 = Number(argv[4]), y1 = Number(argv[5]);
    long steps = Number(argv[6]);
    DWORD status = argc > 7 ? (DWORD)Number(argv[7]) : PEN_STATUS_IN_RANGE;
    if (steps < 1 || steps > VTABLET_QUEUE_CAPACITY)
        return fputs("steps: 1..1024\n", stderr), 2;
    static PenPacket packets[VTABLET_QUEUE_CAPACITY + 1];
    for (long i = 0; i <= steps; i++)
        packets[i] = MakePenPacket((int)(x0 + (x1 - x0) * i / steps),
                                   (int)(y0 + (y1 - y0) * i / steps), status);
    return Queue(packets, (unsigned)steps + 1);
}

static int QueueCircle(int argc, char **argv)
{
    if (argc < 6)
        return fputs(Usage, stderr), 2;
    double cx = Number(argv[2]), cy = Number(argv[3]), r = Number(argv[4]);
    long steps = Number(argv[5]);
    DWORD status = argc > 6 ? (DWORD)Number(argv[6]) : PEN_STATUS_IN_RANGE;
    if (steps < 3 || steps > VTABLET_QUEUE_CAPACITY)
        return fputs("steps: 3..1024\n", stderr), 2;
    static PenPacket packets[VTABLET_QUEUE_CAPACITY + 1];
    for (long i = 0; i <= steps; i++) {
        double a = 2 * 3.14159265358979 * i / steps;
        packets[i] = MakePenPacket((int)(cx + r * cos(a)), (int)(cy + r * sin(a)),
                                   status);
    }
    return Queue(packets, (unsigned)steps + 1);
}

static int QueueButton(int argc, char **argv)
{
    if (argc < 3)
        return fputs(Usage, stderr), 2;
    DWORD bit = Number(argv[2]) == 2 ? PEN_STATUS_BUTTON2 : PEN_STATUS_BUTTON1;
    int x = argc > 4 ? (int)Number(argv[3]) : PEN_NO_POSITION;
    int y = argc > 4 ? (int)Number(argv[4]) : PEN_NO_POSITION;
    DWORD range = x == PEN_NO_POSITION ? 0 : PEN_STATUS_IN_RANGE;
    PenPacket packets[2] = {MakePenPacket(x, y, range | bit),
                            MakePenPacket(x, y, range)};
    return Queue(packets, 2);
}

static int PlayDemo(int argc, char **argv)
{
    HWND pad = FindWindowA(SKETCH_CLASS, NULL);
    if (!pad)
        return fputs("vtabletctl: no sketch pad is open\n", stderr), 1;
    int framePackets = argc > 2 ? (int)Number(argv[2]) : 0;
    return PlayDrawing(pad, 6, framePackets) ? 0 : Fail("queueing packets");
}

static int PostToProgram(UINT message, WPARAM wParam, const char *what)
{
    HWND window = FindWindowA(MAIN_WINDOW_CLASS, NULL);
    return window && PostMessageA(window, message, wParam, 0) ? 0 : Fail(what);
}

static int PrintWindowRect(const char *caption, bool close)
{
    for (HWND w = FindWindowExA(NULL, NULL, NULL, caption); w;
         w = FindWindowExA(NULL, w, NULL, caption)) {
        RECT r, c;
        POINT origin = {0, 0};
        if (IsWindowVisible(w) && GetWindowRect(w, &r) && GetClientRect(w, &c) &&
            ClientToScreen(w, &origin)) {
            printf("%ld %ld %ld %ld %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left,
                   r.bottom - r.top, origin.x, origin.y, c.right, c.bottom);
            if (close)
                PostMessageA(w, WM_CLOSE, 0, 0);
            return 0;
        }
    }
    fprintf(stderr, "vtabletctl: no visible window \"%s\"\n", caption);
    return 1;
}

static int PrintState()
{
    VTabletState s;
    if (!GetVirtualTabletState(&s))
        return Fail("reading the state");
    printf("enabled %u absolute %d orientation %d sensitivity %d extents 0x%08X\n",
           s.Enabled, (int)s.Absolute, (int)s.Orientation, (int)s.Sensitivity,
           s.Extents);
    printf("settings blocks %u, last:", s.SettingsCount);
    for (unsigned i = 0; i < sizeof s.Settings; i++)
        printf(" %02X", s.Settings[i]);
    printf("\nqueued %u dropped %u delivered %u empty reads %u\n", s.Queued,
           s.Dropped, s.Delivered, s.EmptyReads);
    printf("opens %u closes %u refused %u refuse %u unplugged %u\n", s.Opens,
           s.Closes, s.RefusedOpens, s.RefuseOpen, s.Unplugged);
    printf("event armed %u signalled %u, log entries %u\n", s.EventArmed,
           s.EventSignals, s.LogTotal);
    return 0;
}

static int PrintLog(int argc, char **argv)
{
    static VTabletLogEntry entries[256];
    unsigned next = argc > 2 ? (unsigned)Number(argv[2]) : 0;
    for (;;) {
        unsigned n = ReadRequestLog(next, entries, 256);
        if (n == 0)
            return 0;
        for (unsigned i = 0; i < n; i++) {
            const VTabletLogEntry &e = entries[i];
            printf("%6u pid %4u code 0x%06X status 0x%08X in %u out %u:", e.Sequence,
                   e.ProcessId, e.Code, e.Status, e.InputLength, e.OutputLength);
            for (unsigned b = 0; b < e.InputLength && b < sizeof e.Input; b++)
                printf(" %02X", e.Input[b]);
            printf("\n");
        }
        next = entries[n - 1].Sequence + 1;
    }
}

static int Plug(int argc, char **argv)
{
    if (argc < 3)
        return fputs(Usage, stderr), 2;
    VTabletDeviceSpec spec = DefaultTabletSpec((DWORD)Number(argv[2]));
    if (argc >= 7) {
        spec.VendorId = (unsigned short)Number(argv[3]);
        spec.ProductId = (unsigned short)Number(argv[4]);
        spec.XMax = (int)Number(argv[5]);
        spec.YMax = (int)Number(argv[6]);
    }
    if (argc >= 8 && strcmp(argv[7], "noxy") == 0)
        spec.Flags |= VTABLET_NO_XY;
    return PlugHidTablet(&spec) ? 0 : Fail("plugging");
}

static void PrintValueRange(HANDLE device, USAGE usage, const char *name)
{
    PHIDP_PREPARSED_DATA data;
    if (!HidD_GetPreparsedData(device, &data))
        return;
    HIDP_VALUE_CAPS caps;
    USHORT count = 1;
    if (HidP_GetSpecificValueCaps(HidP_Input, 0x01, 0, usage, &caps, &count, data) ==
            HIDP_STATUS_SUCCESS && count > 0)
        printf(" %s 0..0x%lX", name, (unsigned long)caps.LogicalMax);
    else
        printf(" no %s", name);
    HidD_FreePreparsedData(data);
}

// What the program's probe sees: every HID interface, its ids and ranges.
static int ListHidDevices()
{
    GUID hid;
    HidD_GetHidGuid(&hid);
    HDEVINFO set = SetupDiGetClassDevsA(&hid, NULL, NULL,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return Fail("SetupDiGetClassDevs");
    SP_DEVICE_INTERFACE_DATA iface;
    iface.cbSize = sizeof iface;
    for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set, NULL, &hid, i, &iface); i++) {
        char buffer[1024];
        SP_DEVICE_INTERFACE_DETAIL_DATA_A *detail =
            (SP_DEVICE_INTERFACE_DETAIL_DATA_A *)buffer;
        detail->cbSize = sizeof *detail;
        if (!SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, sizeof buffer,
                                              NULL, NULL))
            continue;
        printf("%s", detail->DevicePath);
        HANDLE device = CreateFileA(detail->DevicePath, 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                    OPEN_EXISTING, 0, NULL);
        if (device != INVALID_HANDLE_VALUE) {
            HIDD_ATTRIBUTES attributes;
            attributes.Size = sizeof attributes;
            if (HidD_GetAttributes(device, &attributes))
                printf(" vid %04X pid %04X", attributes.VendorID, attributes.ProductID);
            PrintValueRange(device, 0x30, "X");
            PrintValueRange(device, 0x31, "Y");
            CloseHandle(device);
        }
        printf("\n");
    }
    SetupDiDestroyDeviceInfoList(set);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return fputs(Usage, stderr), 2;
    const char *command = argv[1];
    if (!strcmp(command, "install-driver"))
        return InstallTabletDriver(argc > 2 ? argv[2] : NULL)
                   ? 0 : Fail("installing usbtablet.sys");
    if (!strcmp(command, "install-bus"))
        return InstallTabletBus(argc > 2 ? argv[2] : NULL)
                   ? 0 : Fail("installing the HID bus");
    if (!strcmp(command, "reset"))
        return ResetVirtualTablet() ? 0 : Fail("reset");
    if (!strcmp(command, "state"))
        return PrintState();
    if (!strcmp(command, "log"))
        return PrintLog(argc, argv);
    if (!strcmp(command, "packet") && argc > 4) {
        PenPacket p = MakePenPacket((int)Number(argv[2]), (int)Number(argv[3]),
                                    (DWORD)Number(argv[4]));
        return Queue(&p, 1);
    }
    if (!strcmp(command, "line"))
        return QueueLine(argc, argv);
    if (!strcmp(command, "circle"))
        return QueueCircle(argc, argv);
    if (!strcmp(command, "button"))
        return QueueButton(argc, argv);
    if (!strcmp(command, "fail") && argc > 4)
        return SetRequestFailure((DWORD)Number(argv[2]), (DWORD)Number(argv[3]),
                                 (DWORD)strtoul(argv[4], NULL, 0),
                                 argc > 5 ? (DWORD)Number(argv[5]) : 0)
                   ? 0 : Fail("fail");
    if (!strcmp(command, "refuse") && argc > 2)
        return RefuseTabletOpen(Number(argv[2]) != 0) ? 0 : Fail("refuse");
    if (!strcmp(command, "unplug-driver") && argc > 2)
        return (Number(argv[2]) == 2 ? SetTabletAsleep(true)
                                     : SetTabletUnplugged(Number(argv[2]) != 0))
                   ? 0 : Fail("unplug-driver");
    if (!strcmp(command, "plug"))
        return Plug(argc, argv);
    if (!strcmp(command, "unplug") && argc > 2)
        return UnplugHidTablet(strcmp(argv[2], "all") == 0
                                   ? VTABLET_ALL_DEVICES
                                   : (DWORD)Number(argv[2]))
                   ? 0 : Fail("unplug");
    if (!strcmp(command, "hid"))
        return ListHidDevices();
    if (!strcmp(command, "wait-ready") || !strcmp(command, "wait-drained")) {
        bool drained = !strcmp(command, "wait-drained");
        DWORD timeout = argc > 2 ? (DWORD)Number(argv[2]) : 30000;
        DWORD start = GetTickCount();
        for (;;) {
            VTabletState s;
            if (GetVirtualTabletState(&s) &&
                (drained ? s.Queued == 0 : s.Enabled && s.EventArmed))
                return 0;
            if (GetTickCount() - start > timeout)
                return Fail(command);
            Sleep(50);
        }
    }
    if (!strcmp(command, "demo"))
        return PlayDemo(argc, argv);
    if (!strcmp(command, "close"))
        return PostToProgram(WM_CLOSE, 0, "close");
    if (!strcmp(command, "reload"))
        return PostToProgram(WM_TABLET_RELOAD, 0, "reload");
    if (!strcmp(command, "command") && argc > 2)
        return PostToProgram(WM_COMMAND, (WPARAM)Number(argv[2]), "command");
    if (!strcmp(command, "window") && argc > 2)
        return PrintWindowRect(argv[2], argc > 3 && !strcmp(argv[3], "close"));
    if (!strcmp(command, "pointer")) {
        POINT p;
        if (!GetCursorPos(&p))
            return Fail("GetCursorPos");
        printf("%ld %ld\n", p.x, p.y);
        return 0;
    }
    if (!strcmp(command, "count")) {
        DWORD count = 0;
        if (!CountHidTablets(&count))
            return Fail("count");
        printf("%lu\n", count);
        return 0;
    }
    fputs(Usage, stderr);
    return 2;
}
