// The drawing of the run command: the word "Hello", a smiling face and a
// wavy underline, laid out on a 200 x 100 grid, fitted into the sketch pad
// and turned into pen packets in the normalised screen coordinates of
// absolute mode.
#include "demo_drawing.h"

#include <math.h>
#include <stdio.h>

#include <vector>

#include "vtablet_client.h"

namespace {

struct GridPoint {
    double X, Y;
};
typedef std::vector<GridPoint> Stroke;

const double GRID_WIDTH = 200, GRID_HEIGHT = 100;
const double PI = 3.14159265358979;

// Points of an elliptic arc, angles in degrees (y grows downwards).
Stroke Arc(double cx, double cy, double rx, double ry, double from, double to, int steps)
{
    Stroke arc;
    for (int i = 0; i <= steps; i++) {
        double a = (from + (to - from) * i / steps) * PI / 180;
        arc.push_back({cx + rx * cos(a), cy + ry * sin(a)});
    }
    return arc;
}

std::vector<Stroke> DrawingStrokes()
{
    std::vector<Stroke> strokes = {
        {{10, 20}, {10, 60}}, {{30, 20}, {30, 60}}, {{10, 40}, {30, 40}},   // H
        {{58, 20}, {40, 20}, {40, 60}, {58, 60}}, {{40, 40}, {54, 40}},      // E
        {{66, 20}, {66, 60}, {82, 60}},                                      // L
        {{90, 20}, {90, 60}, {106, 60}},                                     // L
        Arc(124, 40, 11, 20, -90, 270, 48),                                  // O
        Arc(163, 40, 21, 21, -90, 270, 56),                                  // a face
        {{156, 31}, {156, 37}}, {{170, 31}, {170, 37}},                      // its eyes
        Arc(163, 41, 12, 11, 20, 160, 20),                                   // its smile
    };
    Stroke underline;
    for (int i = 0; i <= 60; i++) {
        double x = 10 + 175.0 * i / 60;
        underline.push_back({x, 80 + 3 * sin(x / 5)});
    }
    strokes.push_back(underline);
    return strokes;
}

struct PadMapping {
    double Left, Top, Scale;     // grid to screen pixels
    int ScreenWidth, ScreenHeight;
};

POINT ToScreen(const PadMapping &m, GridPoint g)
{
    POINT p = {(LONG)lround(m.Left + g.X * m.Scale), (LONG)lround(m.Top + g.Y * m.Scale)};
    return p;
}

// The normalised coordinate (0..65535 across the screen) that lands on a
// pixel: its middle, so that the system's rounding keeps it there.
int ToPen(LONG pixel, int screenSize)
{
    return (int)(((long long)pixel * 65536 + 32768) / screenSize);
}

PenPacket PenAt(const PadMapping &m, POINT p, DWORD status)
{
    return MakePenPacket(ToPen(p.x, m.ScreenWidth), ToPen(p.y, m.ScreenHeight), status);
}

// Packets from a to b, a excluded, at most maxStep pixels apart.
void AddLine(std::vector<PenPacket> &out, const PadMapping &m, POINT a, POINT b,
             DWORD status, int maxStep)
{
    double length = hypot(b.x - a.x, b.y - a.y);
    int steps = (int)ceil(length / maxStep);
    if (steps < 1)
        steps = 1;
    for (int i = 1; i <= steps; i++) {
        POINT p = {a.x + (LONG)lround((b.x - a.x) * (double)i / steps),
                   a.y + (LONG)lround((b.y - a.y) * (double)i / steps)};
        out.push_back(PenAt(m, p, status));
    }
}

std::vector<PenPacket> DrawingPackets(HWND pad)
{
    RECT client;
    GetClientRect(pad, &client);
    POINT origin = {0, 0};
    ClientToScreen(pad, &origin);
    PadMapping m;
    m.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    m.ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    double margin = 20;
    double sx = (client.right - 2 * margin) / GRID_WIDTH;
    double sy = (client.bottom - 2 * margin) / GRID_HEIGHT;
    m.Scale = sx < sy ? sx : sy;
    m.Left = origin.x + (client.right - GRID_WIDTH * m.Scale) / 2;
    m.Top = origin.y + (client.bottom - GRID_HEIGHT * m.Scale) / 2;

    const DWORD hover = PEN_STATUS_IN_RANGE;
    const DWORD drawing = PEN_STATUS_IN_RANGE | PEN_STATUS_BUTTON2;
    std::vector<PenPacket> packets;
    POINT at = {origin.x + 5, origin.y + 5};
    packets.push_back(PenAt(m, at, hover));
    for (const Stroke &stroke : DrawingStrokes()) {
        POINT start = ToScreen(m, stroke[0]);
        AddLine(packets, m, at, start, hover, 40);
        packets.push_back(PenAt(m, start, drawing));   // pen button 2 down
        at = start;
        for (size_t i = 1; i < stroke.size(); i++) {
            POINT next = ToScreen(m, stroke[i]);
            AddLine(packets, m, at, next, drawing, 5);
            at = next;
        }
        packets.push_back(PenAt(m, at, hover));          // and up again
    }
    POINT rest = {origin.x + client.right - 40, origin.y + client.bottom - 30};
    AddLine(packets, m, at, rest, hover, 40);
    packets.push_back(MakePenPacket(PEN_NO_POSITION, PEN_NO_POSITION, 0));  // pen away
    return packets;
}

// Once the program has taken every queued packet.
void WaitDrained()
{
    DWORD start = GetTickCount();
    VTabletState state;
    while (GetVirtualTabletState(&state) && state.Queued > 0 &&
           GetTickCount() - start < 5000)
        Sleep(10);
    Sleep(60);   // the program and the sketch pad handle what it read
}

void ShowFrame()
{
    WaitDrained();
    POINT at = {0, 0};
    GetCursorPos(&at);
    printf("%ld %ld\n", at.x, at.y);
    fflush(stdout);
    char line[64];
    fgets(line, sizeof line, stdin);
}

}  // namespace

bool PlayDrawing(HWND pad, DWORD packetMs, int framePackets)
{
    std::vector<PenPacket> packets = DrawingPackets(pad);
    for (size_t i = 0; i < packets.size(); i++) {
        if (!QueuePenPackets(&packets[i], 1))
            return false;
        Sleep(packetMs);
        if (framePackets > 0 && (i + 1) % framePackets == 0)
            ShowFrame();
    }
    if (framePackets > 0)
        ShowFrame();
    return true;
}
