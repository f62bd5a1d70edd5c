// The steady pen measured: the real program against the virtual tablet at a
// tablet's rate (133 packets per second), absolute mode on the main screen,
// with and without Smoothing 5 and SteadyClicks.  Prints the five figures:
// the pointer's spread over a noisy rest, its trailing and settling in a
// stroke, its stalls in a slow motion, taps, drags and double taps in an
// edit control, and the program's CPU time per packet with smoothing on
// and off (three runs each, in mirrored order).  Writes the pointer's paths
// of the rest and the stroke to a file for the README's picture.
//
//   steady.exe [paths-file] [tries] [cost-seconds]   (default steady-paths.csv 20 10)
#include "bench.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <string>
#include <vector>

#include "shared/stored_values.h"

#define PACKET_MS 7.5
#define PACKET_RATE 133.0

struct PenPoint {
    double X, Y;  // screen pixels, fractions allowed
    DWORD Status;
};

static struct {
    std::string BuildFolder;
    PROCESS_INFORMATION Program;
    unsigned UnixPid;
    LONG Width, Height;
    HWND Frame, Edit;
    FILE *Paths;
    unsigned Seed;
} Steady;

static double Uniform(double low, double high)
{
    Steady.Seed = Steady.Seed * 1103515245u + 12345u;
    return low + (high - low) * ((Steady.Seed >> 8) & 0xFFFF) / 65535.0;
}

static int PenUnits(double pixel, LONG size)
{
    double pen = (pixel * 65536.0 + 32768.0) / size;
    return pen < 0 ? 0 : pen > 65535 ? 65535 : (int)pen;
}

static void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

static void PumpFor(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        PumpMessages();
        Sleep(2);
    } while (GetTickCount() - start < ms);
}

// Queues the points at the tablet's rate, each when it is due, handling this
// thread's messages meanwhile; answers the counter's time of each.
static std::vector<LONGLONG> FeedPoints(const std::vector<PenPoint> &points)
{
    std::vector<LONGLONG> queuedAt;
    LONGLONG start = Now();
    size_t sent = 0;
    while (sent < points.size()) {
        double elapsed = TicksToMicroseconds(Now() - start) / 1000.0;
        size_t due = std::min(points.size(), (size_t)(elapsed / PACKET_MS) + 1);
        for (; sent < due; sent++) {
            const PenPoint &p = points[sent];
            PenPacket packet = MakePenPacket(PenUnits(p.X, Steady.Width),
                                             PenUnits(p.Y, Steady.Height), p.Status);
            QueuePenPackets(&packet, 1);
            queuedAt.push_back(Now());
        }
        PumpMessages();
        Sleep(1);
    }
    WaitUntil(QueueEmpty, 5000);
    PumpFor(150);
    return queuedAt;
}

static void WriteNumber(HKEY key, const char *name, DWORD number)
{
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&number, sizeof number);
}

// The program afresh with these settings (and the starting values else).
static bool StartProgram(DWORD smoothing, DWORD steadyClicks)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL, 0, KEY_SET_VALUE,
                        NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    WriteNumber(key, VALUE_SMOOTHING, smoothing);
    WriteNumber(key, VALUE_STEADY_CLICKS, steadyClicks);
    RegCloseKey(key);
    ResetVirtualTablet();
    if (!StartMeasuredProcess(Steady.BuildFolder + "stylohid.exe", "stylohid.exe",
                              Steady.BuildFolder, &Steady.Program))
        return false;
    Steady.UnixPid = FindUnixProcess("stylohid.exe");
    return true;
}

static void StopProgram()
{
    CloseProgram();
    AwaitProcessEnd(&Steady.Program, 10000);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
}

// The moves seen while the points were fed, and the paths file's lines.
static std::vector<SeenMove> FeedAndWatch(const std::vector<PenPoint> &points,
                                          const char *name, std::vector<LONGLONG> *queuedAt)
{
    size_t first = CountSeenMoves();
    *queuedAt = FeedPoints(points);
    std::vector<SeenMove> moves = SeenMovesFrom(first);
    if (Steady.Paths && name) {
        LONGLONG start = queuedAt->front();
        for (size_t i = 0; i < points.size(); i++)
            fprintf(Steady.Paths, "%s,pen,%.2f,%.2f,%.2f\n", name,
                    TicksToMicroseconds((*queuedAt)[i] - start) / 1000.0, points[i].X,
                    points[i].Y);
        for (const SeenMove &m : moves)
            fprintf(Steady.Paths, "%s,pointer,%.2f,%ld,%ld\n", name,
                    TicksToMicroseconds(m.At - start) / 1000.0, (long)m.X, (long)m.Y);
    }
    return moves;
}

// ---- 1. Rest ---------------------------------------------------------------

static LONG RestSpread(DWORD smoothing)
{
    std::vector<PenPoint> points;
    double cx = Steady.Width * 0.4, cy = Steady.Height * 0.4;
    for (int i = 0; i < 307; i++)  // 2.3 s
        points.push_back({cx + Uniform(-3, 3), cy + Uniform(-3, 3), PEN_STATUS_IN_RANGE});
    std::vector<LONGLONG> queuedAt;
    std::vector<SeenMove> moves =
        FeedAndWatch(points, smoothing ? "rest-smoothed" : "rest-raw", &queuedAt);
    LONGLONG from = queuedAt[40];  // after the first 300 ms
    LONG lowX = LONG_MAX, highX = LONG_MIN, lowY = LONG_MAX, highY = LONG_MIN;
    for (const SeenMove &m : moves) {
        if (m.At < from)
            continue;
        lowX = std::min(lowX, m.X);
        highX = std::max(highX, m.X);
        lowY = std::min(lowY, m.Y);
        highY = std::max(highY, m.Y);
    }
    return highX < lowX ? -1 : std::max(highX - lowX, highY - lowY);
}

// ---- 2. A stroke -------------------------------------------------------------

struct StrokeFigures {
    double TrailPx;     // the most the pointer trails the pen after the first 5 packets
    double SettleMs;    // from the last moving packet to within 1 pixel for good
    LONG Overshoot;     // pixels past the resting point
};

// The pen's x at a time: the last point queued by then.
static double PenXAt(const std::vector<PenPoint> &points, const std::vector<LONGLONG> &at,
                     LONGLONG t, size_t *index)
{
    size_t i = std::upper_bound(at.begin(), at.end(), t) - at.begin();
    *index = i ? i - 1 : 0;
    return points[*index].X;
}

static StrokeFigures StrokeRun(DWORD smoothing)
{
    std::vector<PenPoint> points;
    double x0 = Steady.Width * 0.1, y = Steady.Height * 0.6;
    for (int i = 0; i < 40; i++)
        points.push_back({x0, y, PEN_STATUS_IN_RANGE});
    const int strokeStart = 40, strokePackets = 80;
    for (int i = 1; i <= strokePackets; i++)
        points.push_back({x0 + 10.0 * i, y, PEN_STATUS_IN_RANGE});
    double rest = x0 + 10.0 * strokePackets;
    for (int i = 0; i < 40; i++)
        points.push_back({rest, y, PEN_STATUS_IN_RANGE});
    std::vector<LONGLONG> at;
    std::vector<SeenMove> moves =
        FeedAndWatch(points, smoothing ? "stroke-smoothed" : "stroke-raw", &at);

    StrokeFigures f = {0, -1, 0};
    LONGLONG strokeEnd = at[strokeStart + strokePackets - 1];
    LONGLONG settledAt = 0;
    for (const SeenMove &m : moves) {
        size_t index;
        double pen = PenXAt(points, at, m.At, &index);
        // A move is the answer to the newest packet queued before it; the
        // trail is counted where that packet moved.
        if ((int)index >= strokeStart + 5 && (int)index < strokeStart + strokePackets)
            f.TrailPx = std::max(f.TrailPx, pen - m.X);
        if (m.At >= strokeEnd) {
            f.Overshoot = std::max(f.Overshoot, m.X - (LONG)lround(rest));
            bool close = labs(m.X - (LONG)lround(rest)) <= 1;
            if (!close)
                settledAt = 0;
            else if (!settledAt)
                settledAt = m.At;
        }
    }
    if (settledAt)
        f.SettleMs = TicksToMicroseconds(settledAt - strokeEnd) / 1000.0;
    return f;
}

// ---- 3. Slow motion ----------------------------------------------------------

// The longest time, in packets, that the pointer stays put while the pen
// moves at 1 pixel per packet.
static double LongestStall()
{
    std::vector<PenPoint> points;
    double x0 = Steady.Width * 0.2, y = Steady.Height * 0.3;
    for (int i = 0; i < 20; i++)
        points.push_back({x0, y, PEN_STATUS_IN_RANGE});
    for (int i = 1; i <= 200; i++)
        points.push_back({x0 + i, y, PEN_STATUS_IN_RANGE});
    std::vector<LONGLONG> at;
    std::vector<SeenMove> moves = FeedAndWatch(points, NULL, &at);
    LONGLONG from = at[20], to = at[219];
    LONGLONG last = from;
    LONG lastX = (LONG)lround(x0);
    double longest = 0;
    for (const SeenMove &m : moves) {
        if (m.At < from || m.X == lastX)
            continue;
        if (m.At <= to)
            longest = std::max(longest, TicksToMicroseconds(m.At - last) / 1000.0 / PACKET_MS);
        last = m.At;
        lastX = m.X;
    }
    return longest - 1;  // a move every packet is no stall
}

// ---- 4. Taps in an edit control ----------------------------------------------

static const char EDIT_TEXT[] = "alpha bravo charlie delta";
#define BRAVO_START 6
#define BRAVO_END 11

static void OpenEditWindow()
{
    WNDCLASSA frameClass;
    ZeroMemory(&frameClass, sizeof frameClass);
    frameClass.lpfnWndProc = DefWindowProcA;
    frameClass.hInstance = GetModuleHandleA(NULL);
    frameClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    frameClass.lpszClassName = "SteadyBenchFrame";
    RegisterClassA(&frameClass);
    Steady.Frame = CreateWindowExA(WS_EX_TOPMOST, "SteadyBenchFrame", "Steady pen",
                                   WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500, 120,
                                   NULL, NULL, NULL, NULL);
    Steady.Edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", EDIT_TEXT,
                                  WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 460, 24,
                                  Steady.Frame, NULL, NULL, NULL);
    SetForegroundWindow(Steady.Frame);
    PumpFor(300);
}

static POINT ScreenPointOfChar(int index)
{
    LRESULT at = SendMessageA(Steady.Edit, EM_POSFROMCHAR, index, 0);
    POINT p = {(short)LOWORD(at) + 2, (short)HIWORD(at) + 6};
    ClientToScreen(Steady.Edit, &p);
    return p;
}

static void AddTap(std::vector<PenPoint> *points, POINT at, double noise)
{
    const DWORD up = PEN_STATUS_IN_RANGE, down = up | PEN_STATUS_BUTTON2;
    for (int i = 0; i < 4; i++)
        points->push_back({(double)at.x, (double)at.y, up});
    for (int i = 0; i < 10; i++)
        points->push_back({at.x + Uniform(-noise, noise), at.y + Uniform(-noise, noise), down});
    points->push_back({(double)at.x, (double)at.y, up});
}

enum TapKind { TAP_NOISY, DRAG_100, DOUBLE_TAP_6 };

// Whether one try did what a mouse would: no selection, a selection, the word.
static bool TryTap(TapKind kind)
{
    SendMessageA(Steady.Edit, EM_SETSEL, 0, 0);
    POINT first = ScreenPointOfChar(BRAVO_START + 2);
    std::vector<PenPoint> points;
    if (kind == TAP_NOISY) {
        AddTap(&points, first, 3);
    } else if (kind == DOUBLE_TAP_6) {
        AddTap(&points, first, 0);
        POINT second = {first.x + 6, first.y};
        AddTap(&points, second, 0);
    } else {
        POINT start = ScreenPointOfChar(0);
        for (int i = 0; i < 4; i++)
            points.push_back({(double)start.x, (double)start.y, PEN_STATUS_IN_RANGE});
        for (int i = 0; i <= 20; i++)
            points.push_back({start.x + 5.0 * i, (double)start.y,
                              PEN_STATUS_IN_RANGE | PEN_STATUS_BUTTON2});
        points.push_back({start.x + 100.0, (double)start.y, PEN_STATUS_IN_RANGE});
    }
    std::vector<LONGLONG> at;
    FeedAndWatch(points, NULL, &at);
    PumpFor(GetDoubleClickTime() + 100);  // the next try is no double click
    DWORD start = 0, end = 0;
    SendMessageA(Steady.Edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    switch (kind) {
    case TAP_NOISY: return start == end;
    case DRAG_100: return end - start >= 10;
    default: return start == BRAVO_START && end >= BRAVO_END && end <= BRAVO_END + 1;
    }
}

static int CountGoodTries(TapKind kind, int tries)
{
    int good = 0;
    for (int i = 0; i < tries; i++)
        good += TryTap(kind);
    return good;
}

// ---- 5. Cost -----------------------------------------------------------------

// The program's CPU time per packet over a run of circles at the tablet's rate.
static double CpuPerPacketUs(DWORD smoothing, double seconds)
{
    if (!StartProgram(smoothing, 0))
        return -1;
    std::vector<PenPoint> points;
    int count = (int)(seconds * PACKET_RATE);
    double cx = Steady.Width / 2.0, cy = Steady.Height / 2.0, r = Steady.Height / 4.0;
    for (int i = 0; i < count; i++) {
        double a = i * 2 * 3.14159265358979 / 400;
        points.push_back({cx + r * cos(a), cy + r * sin(a), PEN_STATUS_IN_RANGE});
    }
    double before = UnixProcessCpuMs(Steady.UnixPid);
    std::vector<LONGLONG> at;
    FeedAndWatch(points, NULL, &at);
    double after = UnixProcessCpuMs(Steady.UnixPid);
    StopProgram();
    return before < 0 || after < 0 ? -1 : (after - before) * 1000.0 / count;
}

static double Median3(double a, double b, double c)
{
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

int main(int argc, char **argv)
{
    const char *pathsFile = argc > 1 ? argv[1] : "steady-paths.csv";
    int tries = argc > 2 ? atoi(argv[2]) : 20;
    double costSeconds = argc > 3 ? atof(argv[3]) : 10;
    Steady.BuildFolder = FolderOfThisProgram(2);
    Steady.Width = GetSystemMetrics(SM_CXSCREEN);
    Steady.Height = GetSystemMetrics(SM_CYSCREEN);
    Steady.Seed = 2026;
    Steady.Paths = fopen(pathsFile, "w");
    if (Steady.Paths)
        fprintf(Steady.Paths, "run,what,ms,x,y\n");
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    StartMoveHook();

    LONG spread[2];
    StrokeFigures stroke[2];
    double stall[2];
    for (int s = 0; s < 2; s++) {
        DWORD smoothing = s ? 5 : 0;
        fprintf(stderr, "steady: motion with Smoothing %lu\n", (unsigned long)smoothing);
        if (!StartProgram(smoothing, 0))
            return 1;
        spread[s] = RestSpread(smoothing);
        stroke[s] = StrokeRun(smoothing);
        stall[s] = LongestStall();
        StopProgram();
    }
    if (Steady.Paths)
        fclose(Steady.Paths);

    OpenEditWindow();
    // Steady clicks off, on, and on with Smoothing 5.
    int taps[3][3];
    for (int c = 0; c < 3; c++) {
        fprintf(stderr, "steady: taps with SteadyClicks %d, Smoothing %d\n", c > 0, c > 1 ? 5 : 0);
        if (!StartProgram(c > 1 ? 5 : 0, c > 0))
            return 1;
        taps[c][TAP_NOISY] = CountGoodTries(TAP_NOISY, tries);
        taps[c][DRAG_100] = CountGoodTries(DRAG_100, tries);
        taps[c][DOUBLE_TAP_6] = CountGoodTries(DOUBLE_TAP_6, tries);
        StopProgram();
    }
    DestroyWindow(Steady.Frame);

    // Off, on, on, off, off, on: a drift in the machine's load falls on both.
    double cost[2][3];
    const int order[6] = {0, 1, 1, 0, 0, 1};
    int done[2] = {0, 0};
    for (int i = 0; i < 6; i++) {
        int s = order[i];
        fprintf(stderr, "steady: cost with Smoothing %d\n", s ? 5 : 0);
        cost[s][done[s]++] = CpuPerPacketUs(s ? 5 : 0, costSeconds);
    }
    StopMoveHook();

    double costOff = Median3(cost[0][0], cost[0][1], cost[0][2]);
    double costOn = Median3(cost[1][0], cost[1][1], cost[1][2]);
    printf("Steady pen, 133 packets per second, absolute mode, main screen %ldx%ld\n",
           (long)Steady.Width, (long)Steady.Height);
    printf("%-58s %12s %12s\n", "", "Smoothing 0", "Smoothing 5");
    printf("%-58s %12ld %12ld\n", "1. rest, noise +-3 px: pointer peak to peak after 300 ms (px)",
           (long)spread[0], (long)spread[1]);
    printf("%-58s %12.1f %12.1f\n", "2. stroke 10 px/packet: most trailing after 5 packets (px)",
           stroke[0].TrailPx, stroke[1].TrailPx);
    printf("%-58s %12.1f %12.1f\n", "   end of stroke: within 1 px of the rest for good (ms)",
           stroke[0].SettleMs, stroke[1].SettleMs);
    printf("%-58s %12ld %12ld\n", "   overshoot past the resting point (px)",
           (long)stroke[0].Overshoot, (long)stroke[1].Overshoot);
    printf("%-58s %12.1f %12.1f\n", "3. slow 1 px/packet: longest stall (packets)", stall[0],
           stall[1]);
    printf("%-58s %12.2f %12.2f\n", "5. CPU per packet, median of 3 (us)", costOff, costOn);
    printf("   runs (us): off %.2f %.2f %.2f; on %.2f %.2f %.2f; ratio %.3f\n", cost[0][0],
           cost[0][1], cost[0][2], cost[1][0], cost[1][1], cost[1][2],
           costOff > 0 ? costOn / costOff : -1.0);
    printf("%-58s %12s %12s %12s\n", "4. taps in an edit control, good of tries", "Steady off",
           "Steady on", "+Smoothing 5");
    const char *names[3] = {"   tap with +-3 px noise while down selects nothing",
                            "   press-move-release of 100 px selects",
                            "   two taps 6 px apart select the word"};
    for (int k = 0; k < 3; k++)
        printf("%-58s %9d/%-2d %9d/%-2d %9d/%-2d\n", names[k], taps[0][k], tries, taps[1][k],
               tries, taps[2][k], tries);
    return 0;
}
