// The pen on two monitors (run by run-two-screens.sh: 1280x1024 main at
// 0,0 and 1024x768 right of it): its corners land on the corners of the
// screen chosen with stylohidctl, and "main" sends what no choice sends.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string>
#include <vector>

#include "ctl_support.h"
#include "shared/screen_layout.h"
#include "program_fixture.h"

namespace {

const PenPacket CORNERS[] = {
    MakePenPacket(0, 0, PEN_STATUS_IN_RANGE),
    MakePenPacket(65535, 0, PEN_STATUS_IN_RANGE),
    MakePenPacket(0, 65535, PEN_STATUS_IN_RANGE),
    MakePenPacket(65535, 65535, PEN_STATUS_IN_RANGE),
};

struct TwoScreens : Program {
    ToolRun Ctl(const std::string &arguments)
    {
        return RunTool(BuildFolder() + "stylohidctl.exe", arguments);
    }
    // The pen at its four corners: where the pointer went each time.
    std::vector<POINT> PointsOfCorners(const char *choice)
    {
        std::vector<POINT> points;
        ClearSeenInput();
        for (const PenPacket &corner : CORNERS) {
            size_t before = SeenMoves().size();
            Queue({corner});
            if (!WaitFor([&] { return SeenMoves().size() > before; }, 5000))
                break;
            points.push_back(SeenMoves().back().Data.pt);
        }
        std::string line = std::string("Screen ") + choice + ":";
        for (const POINT &p : points)
            line += " " + std::to_string(p.x) + "," + std::to_string(p.y);
        printf("%s\n", line.c_str());
        return points;
    }
    void Choose(const char *argument)
    {
        ToolRun run = Ctl(std::string("screen ") + argument);
        ASSERT_TRUE(run.Ended);
        ASSERT_EQ(0u, run.ExitCode) << run.Err;
    }
};

std::string Text(const std::vector<POINT> &points)
{
    std::string text;
    for (const POINT &p : points)
        text += std::to_string(p.x) + "," + std::to_string(p.y) + " ";
    return text;
}

struct ChoiceCase {
    const char *Argument;
    std::vector<POINT> Corners;  // top left, top right, bottom left, bottom right
};

TEST_F(TwoScreens, PenCornersLandOnTheChosenScreensCorners)
{
    ScreenLayout layout;
    ReadScreenLayout(&layout);
    ASSERT_EQ(2, layout.Count) << "Wine does not see the two monitors";
    ASSERT_EQ(1280, layout.Screens[1].Rect.left);

    ToolRun screens = Ctl("screens");
    EXPECT_NE(std::string::npos, screens.Out.find("1: 1280 x 1024 at 0,0 (main)")) << screens.Out;
    EXPECT_NE(std::string::npos, screens.Out.find("2: 1024 x 768 at 1280,0")) << screens.Out;

    StartReady();
    std::vector<POINT> unchosen = PointsOfCorners("(no value)");
    ASSERT_EQ(4u, unchosen.size());
    Choose("main");
    EXPECT_EQ(Text(unchosen), Text(PointsOfCorners("main")));

    // The desktop's last pixel, 2303,1023, lies on no monitor: the hook sees
    // the move there, and the system then puts the pointer on the nearest.
    const ChoiceCase cases[] = {
        {"all", {{0, 0}, {2303, 0}, {0, 1023}, {2303, 1023}}},
        {"1", {{0, 0}, {1279, 0}, {0, 1023}, {1279, 1023}}},
        {"2", {{1280, 0}, {2303, 0}, {1280, 767}, {2303, 767}}},
    };
    for (const ChoiceCase &c : cases) {
        Choose(c.Argument);
        EXPECT_EQ(Text(c.Corners), Text(PointsOfCorners(c.Argument))) << c.Argument;
    }
    ToolRun status = Ctl("status");
    EXPECT_NE(std::string::npos,
              status.Out.find("Screen: 2: 1024 x 768 at 1280,0 (" +
                              std::string(layout.Screens[1].Device) + ")"))
        << status.Out;
}

}  // namespace
