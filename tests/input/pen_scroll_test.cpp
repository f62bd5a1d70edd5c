// A pen button on the scroll, through HandleTabletPacket: the pen's travel
// as whole wheel notches with the remainder carried, the pointer still.
#include <gtest/gtest.h>
#include "fakes/fake_os.h"
#include "input/button_actions.h"
#include "input/packet_translation.h"
#include "input/pen_scroll.h"
#include "input/screen_mapping.h"
#include "input_events.h"
#include "settings/settings_store.h"

namespace {
const LPARAM EXTRA = 0x7E570001;
const unsigned B1 = 0x20, B2 = 0x40;
// Steps that are no packet: the reader ends; pen button 1's code becomes 1.
const unsigned READER_ENDS = ~0u, TO_LEFT_CLICK = ~1u;
// Absolute mode on a 4096-pixel square: 16 pen units a pixel, so a notch
// is 256 units and a pen position a multiple of 16 goes out unchanged.
const LONG PX = 16, NOTCH = 16 * PX;

struct Step { int X, Y; unsigned Status; };

std::string Move(int x, int y, DWORD flags = 0xC001) { return MouseLine(flags, EXTRA, x, y); }
std::string Wheel(int data) { return MouseLine(0x0800, EXTRA, 0, 0, (DWORD)data); }
std::string HWheel(int data) { return MouseLine(0x1000, EXTRA, 0, 0, (DWORD)data); }

// The press at 0, 0, then `count` steps of one pixel down, then the release.
std::vector<Step> OnePixelSteps(int count, unsigned status)
{
    std::vector<Step> steps(count + 2, Step{0, count * PX, 0});
    for (int i = 0; i <= count; i++)
        steps[i] = {0, i * PX, status};
    return steps;
}

struct ScrollCase {
    const char *What;
    LONG Absolute;  // then the codes of pen buttons 2 and 1
    SHORT Button2, Button1;
    std::vector<Step> Steps;
    std::vector<std::string> Expected;
};

const ScrollCase CASES[] = {
    {"absolute: notches by 16 pixels, down toward the end, right to the right", 1, 0, 64,
     {{0, 0, B1}, {0, 15 * PX, B1}, {0, NOTCH, B1}, {0, 3 * NOTCH, B1}, {NOTCH, 3 * NOTCH, B1},
      {0, 0, B1}, {0, 0, 0}, {8192, 8192, 0}},
     {Move(0, 0), Wheel(-120), Wheel(-240), HWheel(120), Wheel(360), HWheel(-120),
      Move(8192, 8192)}},
    {"absolute: 40 one-pixel steps are two notches, the rest carried", 1, 0, 64,
     OnePixelSteps(40, B1), {Move(0, 0), Wheel(-120), Wheel(-120)}},
    {"relative: 16 driver units a notch, before the compression", 0, 64, 0,
     {{0, 0, B2}, {10, 0, B2}, {10, 20, B2}, {-1, 5, B2}, {0, -40, B2},
      {0, 100000, B2}, {0, 0, 0}, {9, 0, 0}},
     {Move(0, 0, 0x0001), Wheel(-120), HWheel(120), Wheel(240), Wheel(-32760),
      Move(3, 0, 0x0001)}},
    {"both buttons: one scroll until the last of them is let go", 1, 64, 64,
     {{0, 0, B2}, {0, NOTCH, B1 | B2}, {0, NOTCH, B1}, {0, 2 * NOTCH, B1},
      {0, 2 * NOTCH, 0}, {0, 0, 0}},
     {Move(0, 0), Wheel(-120), Wheel(-120), Move(0, 0)}},
    {"the release ends the scroll whatever the code is by then", 1, 0, 64,
     {{0, 0, B1}, {0, 0, TO_LEFT_CLICK}, {0, NOTCH, B1}, {0, NOTCH, 0}, {0, 0, 0}},
     {Move(0, 0), Wheel(-120), MouseLine(0x0004, EXTRA), Move(0, 0)}},
    {"a drag held beside the scroll; the reader's end lets both go", 1, 3, 64,
     {{0, 0, B2}, {0, 0, B1 | B2}, {0, NOTCH, B1 | B2}, {0, 0, READER_ENDS}, {0, 0, 0}},
     {Move(0, 0), MouseLine(0x0002, 0), Move(0, 0), Wheel(-120), MouseLine(0x0004, 0),
      Move(0, 0)}},
};

TEST(PenScroll, TravelTurnsTheWheelInWholeNotchesAndThePointerStays)
{
    for (const ScrollCase &c : CASES) {
        SCOPED_TRACE(c.What);
        ResetFakeInput();
        FakeInput.ExtraInfo = EXTRA;
        ResetTabletSettings();
        ButtonState.Button1Down = ButtonState.Button2Down = 0;
        DragLatch = 0;
        PenScroll = PenScrollState();
        LockSettings();
        TabletSettings.AbsoluteMode = c.Absolute;
        TabletSettings.Button2Action = c.Button2;
        TabletSettings.Button1Action = c.Button1;
        ScreenTarget = {true, 0, 0, 4096, 4096, 4096, 4096};
        UnlockSettings();
        for (const Step &step : c.Steps) {
            if (step.Status == TO_LEFT_CLICK)
                TabletSettings.Button1Action = 1;
            else if (step.Status == READER_ENDS)
                ReleasePenButtons();
            else
                HandleTabletPacket({step.X, step.Y, 0, step.Status, 0});
        }
        EXPECT_EQ(c.Expected, RecordedLines());
        EXPECT_EQ(0, PenScroll.Holders);
    }
    ScreenTarget = ScreenMapping();  // the main screen, as the other tests expect
}
}  // namespace
