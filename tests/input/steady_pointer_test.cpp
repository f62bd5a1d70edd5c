// Absolute mode's steady pointer: the smoothing filter on the simulated
// clock, and the click rules through HandleTabletPacket.
#include <gtest/gtest.h>
#include <climits>
#include <cmath>
#include <vector>
#include "fakes/fake_os.h"
#include "input/button_actions.h"
#include "input/packet_translation.h"
#include "input/pointer_smoothing.h"
#include "input/screen_mapping.h"
#include "input/steady_clicks.h"
#include "settings/settings_store.h"

namespace {

const int NONE = INT_MIN;
const int PACKET_MICROS = 7500;

// ---- The filter -------------------------------------------------------------

// Noise of +-3 pixels, the same at every run.
double Noise(int i)
{
    unsigned n = (unsigned)i * 2654435761u;
    n ^= n >> 13;
    n *= 0x5bd1e995u;
    n ^= n >> 15;
    return (n % 6001) / 1000.0 - 3.0;
}

double NoisyRest(int i) { return 500.0 + Noise(i); }
double Stroke(int i) { return 100.0 + 10.0 * i; }
double StrokeThenRest(int i) { return 100.0 + 10.0 * (i < 100 ? i : 99); }
double SlowRamp(int i) { return 100.0 + i; }
// Out of range at packet 50 and back 1400 pixels away.
double LeaveAndReturn(int i) { return i < 50 ? 100.0 + 10.0 * i : 2000.0; }

struct FilterCase {
    const char *Name;
    double (*Pen)(int packet);
    int Packets;
    int StepMicros;  // 0: the clock shows no time between packets
    int Burst;       // packets arrive this many at once, StepMicros apart on average
    int LeaveAt;     // the filter starts afresh at this packet (-1: never)
    int From;        // the first packet measured
    LONG MaxSpread;  // output's peak to peak from From (-1: not checked)
    LONG MaxLag;     // how far the output trails the pen's pixel from From
    LONG MaxAhead;   // how far it runs ahead of the pen, over every packet
    int MaxStall;    // packets the output stays put while the pen moves (-1: not checked)
};

// Strength 5.  A packet every 7.5 ms: 300 ms are 40 packets, 60 ms 8.
const FilterCase FILTER_CASES[] = {
    {"rest with noise", NoisyRest, 307, PACKET_MICROS, 1, -1, 40, 1, 4, 4, -1},
    {"stroke", Stroke, 100, PACKET_MICROS, 1, -1, 5, -1, 10, 1, 0},
    {"stroke with no clock steps", Stroke, 100, 0, 1, -1, 5, -1, 10, 1, 0},
    {"stroke arriving in bursts", Stroke, 100, PACKET_MICROS, 4, -1, 5, -1, 10, 1, -1},
    {"end of a stroke settles", StrokeThenRest, 140, PACKET_MICROS, 1, -1, 108, 0, 1, 1, -1},
    {"slow ramp", SlowRamp, 300, PACKET_MICROS, 1, -1, 0, -1, 4, 1, 3},
    {"leaving range", LeaveAndReturn, 80, PACKET_MICROS, 1, 50, 50, 0, 0, 1, -1},
};

TEST(PointerSmoothing, HoldsARestingPenAndFollowsAMovingOne)
{
    for (const FilterCase &c : FILTER_CASES) {
        SCOPED_TRACE(c.Name);
        ResetFakeClock();
        PointerSmoothing filter = PointerSmoothing();
        LONG low = LONG_MAX, high = LONG_MIN, lag = 0, ahead = 0;
        LONG last = NONE;
        int stall = 0, longestStall = 0;
        for (int i = 0; i < c.Packets; i++) {
            if (i == c.LeaveAt)
                RestartPointerSmoothing(&filter);
            double pen = c.Pen(i);
            LONG penPixel = (LONG)floor(pen + 0.5);
            LONG x, y;
            SmoothPosition(&filter, 5, ReadSmoothingStep(&filter), pen, 300.0, &x, &y);
            AdvanceFakeClockMicros((i + 1) % c.Burst ? 10 : c.StepMicros * c.Burst);
            ASSERT_EQ(300, y);
            ahead = std::max(ahead, x - penPixel);
            stall = x == last && i > 0 && c.Pen(i) != c.Pen(i - 1) ? stall + 1 : 0;
            last = x;
            if (i < c.From)
                continue;
            low = std::min(low, x);
            high = std::max(high, x);
            lag = std::max(lag, penPixel - x);
            longestStall = std::max(longestStall, stall);
        }
        if (c.MaxSpread >= 0) {
            EXPECT_LE(high - low, c.MaxSpread);
        }
        EXPECT_LE(lag, c.MaxLag);
        EXPECT_LE(ahead, c.MaxAhead);
        if (c.MaxStall >= 0) {
            EXPECT_LE(longestStall, c.MaxStall);
        }
    }
}

// ---- The click rules ------------------------------------------------------------

const LONG SCREEN_PIXELS = 1000;
const LONG BASE = 400;  // where every case starts, in pixels
const unsigned BUTTON1 = 0x20, BUTTON2 = 0x40, IN_RANGE = 0x80;

struct ClickStep {
    int X;           // the pen's pixel, from BASE
    unsigned Status;
    DWORD WaitMs;    // before the packet
    int MovedTo;     // where the packet's last move put the pointer, from BASE; NONE
};

struct ClickCase {
    const char *Name;
    std::vector<ClickStep> Steps;
};

// In the units of the system's own rules: the drag rectangle's half width
// and the double click's distance.
std::vector<ClickCase> ClickCases(int drag, int nearby, int doubleMs)
{
    const unsigned UP = IN_RANGE, DOWN = IN_RANGE | BUTTON2, KEY = IN_RANGE | BUTTON1;
    return {
        // A shake as wide as the rectangle, pressed at one side of it.
        {"a press holds the pointer while the pen shakes, and lets it go as the pen leaves",
         {{0, UP, 0, 0}, {drag - 1, UP, 0, drag - 1}, {drag - 1, DOWN, 0, NONE},
          {1 - drag, DOWN, 0, NONE}, {drag - 1, DOWN, 0, NONE}, {1 - drag, DOWN, 0, NONE},
          {8 * drag, DOWN, 0, 8 * drag}, {8 * drag + 1, DOWN, 0, 8 * drag + 1},
          {8 * drag + 1, UP, 0, NONE}}},
        {"a second press nearby and soon lands where the first did",
         {{0, UP, 0, 0}, {0, DOWN, 0, NONE}, {0, UP, 0, NONE}, {nearby, UP, 100, nearby},
          {nearby, DOWN, 0, 0}, {nearby, DOWN, 0, NONE}, {nearby, UP, 0, NONE}, {nearby, UP, 0, nearby}}},
        {"a second press too far lands where it is",
         {{0, UP, 0, 0}, {0, DOWN, 0, NONE}, {0, UP, 0, NONE}, {nearby + 1, UP, 100, nearby + 1},
          {nearby + 1, DOWN, 0, NONE}, {nearby + 1, UP, 0, NONE}}},
        {"a second press too late lands where it is",
         {{0, UP, 0, 0}, {0, DOWN, 0, NONE}, {0, UP, 0, NONE}, {1, UP, 0, 1},
          {1, DOWN, (DWORD)doubleMs + 1, NONE}, {1, UP, 0, NONE}}},
        {"a key's press holds nothing",
         {{0, UP, 0, 0}, {0, KEY, 0, NONE}, {1, KEY, 0, 1}, {1, UP, 0, NONE}}},
    };
}

int PixelOf(DWORD normal)
{
    return (int)((LONGLONG)normal * SCREEN_PIXELS >> 16) - BASE;
}

LONG PenOf(int pixel)
{
    return (LONG)(((LONGLONG)(BASE + pixel) * 65536 + SCREEN_PIXELS - 1) / SCREEN_PIXELS);
}

void SetSteadySettings(LONG steadyClicks, const ScreenMapping &screen)
{
    LockSettings();
    TabletSettings.SteadyClicks = steadyClicks;
    TabletSettings.Button2Action = ACTION_LEFT_CLICK;
    TabletSettings.Button1Action = ACTION_FIRST_KEY;  // Esc
    ScreenTarget = screen;
    UnlockSettings();
}

TEST(SteadyClicks, PressesHoldStillAndDoubleClicksLandTogether)
{
    ScreenMapping screen = ScreenMapping();
    screen.Width = screen.DeskWidth = SCREEN_PIXELS;
    screen.Height = screen.DeskHeight = SCREEN_PIXELS;
    int drag = GetSystemMetrics(SM_CXDRAG);
    int nearby = 2 * GetSystemMetrics(SM_CXDOUBLECLK);
    ASSERT_GT(nearby, 1);
    for (const ClickCase &c : ClickCases(drag, nearby, (int)GetDoubleClickTime())) {
        SCOPED_TRACE(c.Name);
        ResetFakeInput();
        ResetFakeClock();
        ResetTabletSettings();
        SetSteadySettings(1, screen);
        ButtonState.Button1Down = ButtonState.Button2Down = 0;
        SteadyPointer = SteadyPointerState();
        for (size_t i = 0; i < c.Steps.size(); i++) {
            const ClickStep &step = c.Steps[i];
            SCOPED_TRACE(testing::Message() << "packet " << i);
            AdvanceFakeClock(step.WaitMs);
            size_t first = FakeInput.Events.size();
            PenPacket packet = {PenOf(step.X), PenOf(0), 0, step.Status, 0};
            HandleTabletPacket(packet);
            int moved = NONE;
            for (size_t e = first; e < FakeInput.Events.size(); e++) {
                const FakeInputEvent &event = FakeInput.Events[e];
                if (!event.IsKey && (event.Flags & MOUSEEVENTF_MOVE)) {
                    EXPECT_EQ(0, PixelOf(event.Dy));
                    moved = PixelOf(event.Dx);
                }
            }
            EXPECT_EQ(step.MovedTo, moved);
        }
    }
    SetSteadySettings(0, ScreenMapping());
}

}  // namespace
