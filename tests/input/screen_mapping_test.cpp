// Absolute pen positions onto the chosen screen, through HandleTabletPacket:
// each event's normalised coordinates are taken back to the pixel the
// system puts the pointer on (cut, as Wine does, and rounded).
#include <gtest/gtest.h>
#include "fakes/fake_os.h"
#include "input/packet_translation.h"
#include "input/screen_mapping.h"
#include "settings/settings_store.h"

namespace {

// The main screen, one left of it and one above it, listed out of order.
ScreenLayout Desk()
{
    ScreenLayout layout = {};
    const ScreenInfo screens[] = {
        {{0, -768, 1024, 0}, "\\\\.\\DISPLAY3"},
        {{-1280, 0, 0, 1024}, "\\\\.\\DISPLAY2"},
        {{0, 0, 1920, 1080}, "\\\\.\\DISPLAY1"},
    };
    layout.Count = 3;
    for (int i = 0; i < 3; i++)
        layout.Screens[i] = screens[i];
    SortScreenLayout(&layout);
    return layout;
}

const LONG DESK_LEFT = -1280, DESK_TOP = -768, DESK_WIDTH = 3200, DESK_HEIGHT = 1848;

LONG PixelOf(DWORD normal, LONG origin, LONG size, bool rounded)
{
    LONGLONG scaled = (LONGLONG)normal * size + (rounded ? 32768 : 0);
    return origin + (LONG)(scaled >> 16);
}

struct MappingCase {
    const char *Choice;
    LONG PenX, PenY;
    bool OverDesktop;
    LONG X, Y;  // the pixel reached; the position itself when not over the desktop
};

const MappingCase CASES[] = {
    {"", 12345, 54321, false, 12345, 54321},          // no value
    {"main", 65535, 0, false, 65535, 0},
    {"\\\\.\\DISPLAY7", 0, 65535, false, 0, 65535},  // a screen that is gone
    {"all", 0, 0, true, -1280, -768},
    {"all", 65535, 65535, true, 1919, 1079},
    {"ALL", 32768, 32768, true, 320, 156},
    {"all", 70000, -5, true, 1919, -768},              // beyond the range: the edge
    {"\\\\.\\DISPLAY1", 0, 0, true, 0, 0},
    {"\\\\.\\DISPLAY1", 65535, 65535, true, 1919, 1079},
    {"\\\\.\\display2", 0, 0, true, -1280, 0},
    {"\\\\.\\DISPLAY2", 65535, 65535, true, -1, 1023},
    {"\\\\.\\DISPLAY2", 32768, 32768, true, -640, 512},
    {"\\\\.\\DISPLAY3", 0, 0, true, 0, -768},
    {"\\\\.\\DISPLAY3", 65535, 65535, true, 1023, -1},
};

void SetScreenTarget(const ScreenMapping &mapping)
{
    LockSettings();
    ScreenTarget = mapping;
    UnlockSettings();
}

// The other tests of this program expect the main screen.
struct MainScreenAfterwards {
    ~MainScreenAfterwards() { SetScreenTarget(ScreenMapping()); }
};

TEST(ScreenMapping, PenCornersLandOnTheChosenScreensCorners)
{
    MainScreenAfterwards restore;
    ScreenLayout layout = Desk();
    ASSERT_STREQ("\\\\.\\DISPLAY1", layout.Screens[0].Device);  // main first,
    ASSERT_STREQ("\\\\.\\DISPLAY2", layout.Screens[1].Device);  // then left to right
    ASSERT_STREQ("\\\\.\\DISPLAY3", layout.Screens[2].Device);
    ResetTabletSettings();
    for (const MappingCase &c : CASES) {
        SCOPED_TRACE(testing::Message() << c.Choice << " pen " << c.PenX << "," << c.PenY);
        SetScreenTarget(PlanScreenMapping(layout, c.Choice));
        ResetFakeInput();
        PenPacket packet = {c.PenX, c.PenY, 0, 0, 0};
        HandleTabletPacket(packet);
        ASSERT_EQ(1u, FakeInput.Events.size());
        const FakeInputEvent &e = FakeInput.Events[0];
        if (!c.OverDesktop) {
            EXPECT_EQ((DWORD)(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE), e.Flags);
            EXPECT_EQ(c.X, (LONG)e.Dx);
            EXPECT_EQ(c.Y, (LONG)e.Dy);
            continue;
        }
        EXPECT_EQ((DWORD)(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK),
                  e.Flags);
        EXPECT_LE(e.Dx, 65535u);
        EXPECT_LE(e.Dy, 65535u);
        for (bool rounded : {false, true}) {
            EXPECT_EQ(c.X, PixelOf(e.Dx, DESK_LEFT, DESK_WIDTH, rounded));
            EXPECT_EQ(c.Y, PixelOf(e.Dy, DESK_TOP, DESK_HEIGHT, rounded));
        }
    }
}

}  // namespace
