// The arithmetic between the working area's fields and its picture: units
// to pixels and back, the surface laid into the picture, what a press holds
// and what a drag makes of the area.
#include <gtest/gtest.h>
#include "area_mapping.h"

// Beside AreaUnits, where gtest looks for them.
static bool operator==(const AreaUnits &a, const AreaUnits &b)
{
    return a.StartX == b.StartX && a.StartY == b.StartY && a.EndX == b.EndX &&
           a.EndY == b.EndY;
}

static std::ostream &operator<<(std::ostream &out, const AreaUnits &a)
{
    return out << "{" << a.StartX << ", " << a.StartY << ", " << a.EndX << ", " << a.EndY
               << "}";
}

TEST(AreaMapping, UnitsPixelsGripsAndDragsAsTheTableSays)
{
    // One axis, both ways: rounded to the nearest, clamped, the surface's
    // ends exact whatever the proportion.
    struct AxisCase { LONG Units; int Pixels; LONG Unit; int Pixel; LONG BackUnit; };
    const AxisCase axes[] = {
        {20000, 200, 0, 0, 0},
        {20000, 200, 20000, 200, 20000},
        {20000, 200, 49, 0, 0},
        {20000, 200, 50, 1, 100},        // half a pixel rounds up
        {20000, 200, 10049, 100, 10000},
        {20000, 200, -5, 0, 0},          // outside: clamped
        {20000, 200, 25000, 200, 20000},
        {32767, 173, 32767, 173, 32767}, // uneven scale: the edge stays exact
        {32767, 173, 16384, 87, 16478},
        {10, 173, 1, 17, 1},             // more pixels than units
        {10, 173, 9, 156, 9},
    };
    for (const AxisCase &c : axes) {
        EXPECT_EQ(c.Pixel, UnitToPixel(c.Unit, c.Units, c.Pixels))
            << c.Unit << " of " << c.Units << " on " << c.Pixels;
        EXPECT_EQ(c.BackUnit, PixelToUnit(c.Pixel, c.Pixels, c.Units))
            << "pixel " << c.Pixel << " of " << c.Pixels << " for " << c.Units;
    }
    EXPECT_EQ(0, PixelToUnit(-3, 200, 20000));
    EXPECT_EQ(20000, PixelToUnit(250, 200, 20000));

    // The surface in the picture: as large as fits, centred, in proportion.
    struct FitCase { LONG AspectX, AspectY; int Width, Height, Margin;
                     int Left, Top, PixelsX, PixelsY; };
    const FitCase fits[] = {
        {20000, 15000, 200, 100, 4, 39, 4, 121, 91},  // height decides
        {16, 9, 200, 200, 0, 0, 43, 199, 112},        // width decides
        {1, 1, 101, 101, 0, 0, 0, 100, 100},          // border pixels included
        {0, 0, 101, 51, 0, 25, 0, 50, 50},            // no aspect: the units' (square)
    };
    for (const FitCase &c : fits) {
        SurfaceScale scale;
        FitSurface(5000, 5000, c.AspectX, c.AspectY, c.Width, c.Height, c.Margin, &scale);
        EXPECT_EQ(c.Left, scale.Left) << c.AspectX << ":" << c.AspectY;
        EXPECT_EQ(c.Top, scale.Top) << c.AspectX << ":" << c.AspectY;
        EXPECT_EQ(c.PixelsX, scale.PixelsX) << c.AspectX << ":" << c.AspectY;
        EXPECT_EQ(c.PixelsY, scale.PixelsY) << c.AspectX << ":" << c.AspectY;
        EXPECT_EQ(5000, scale.UnitsX);
    }

    // Proportions, for the area beside the screen.
    EXPECT_EQ(133, AspectHundredths(20000, 15000));
    EXPECT_EQ(178, AspectHundredths(1920, 1080));
    EXPECT_EQ(56, AspectHundredths(1080, 1920));
    EXPECT_EQ(0, AspectHundredths(5, 0));

    // What a press holds of the area drawn at 50..150 x 20..80, reach 3.
    const RECT drawn = {50, 20, 150, 80};
    struct GripCase { LONG X, Y; int Grip; };
    const GripCase grips[] = {
        {50, 20, GRIP_START_X | GRIP_START_Y}, {152, 82, GRIP_END_X | GRIP_END_Y},
        {150, 20, GRIP_END_X | GRIP_START_Y},  {100, 18, GRIP_START_Y},
        {47, 50, GRIP_START_X},                {100, 50, GRIP_MOVE},
        {46, 50, GRIP_NONE},                   {100, 84, GRIP_NONE},
    };
    for (const GripCase &c : grips) {
        POINT at = {c.X, c.Y};
        EXPECT_EQ(c.Grip, FindAreaGrip(&drawn, at, 3)) << c.X << "," << c.Y;
    }
    const RECT collapsed = {60, 20, 60, 80};
    POINT middle = {60, 50};
    EXPECT_EQ(GRIP_END_X, FindAreaGrip(&collapsed, middle, 3));  // can be pulled open

    // Drags on a 20000 x 15000 tablet drawn 200 x 150 pixels (100 units a pixel).
    const SurfaceScale scale = {20000, 15000, 10, 10, 200, 150};
    const AreaUnits start = {2000, 1500, 12000, 9050};
    struct DragCase { const char *What; int Grip; LONG MoveX, MoveY; AreaUnits Area; };
    const DragCase drags[] = {
        {"corner", GRIP_END_X | GRIP_END_Y, 50, 30, {2000, 1500, 17000, 12100}},
        {"edge to the border", GRIP_END_X, 80, 0, {2000, 1500, 20000, 9050}},
        {"edge past the border", GRIP_END_X, 500, 0, {2000, 1500, 20000, 9050}},
        {"start past zero", GRIP_START_X | GRIP_START_Y, -500, -500, {0, 0, 12000, 9050}},
        {"start past the end", GRIP_START_X, 200, 0, {11999, 1500, 12000, 9050}},
        {"end before the start", GRIP_END_Y, 0, -200, {2000, 1500, 12000, 1501}},
        {"held, not moved", GRIP_END_Y, 30, 0, {2000, 1500, 12000, 9050}},
        {"moved a little", GRIP_MOVE, 3, -2, {2300, 1300, 12300, 8850}},
        {"moved past the corner", GRIP_MOVE, 100, 100, {10000, 7450, 20000, 15000}},
        {"moved past the origin", GRIP_MOVE, -100, -100, {0, 0, 10000, 7550}},
    };
    for (const DragCase &c : drags) {
        POINT from = {70, 60}, to = {70 + c.MoveX, 60 + c.MoveY};
        AreaUnits area;
        DragArea(&start, c.Grip, from, to, &scale, &area);
        EXPECT_EQ(c.Area, area) << c.What;
    }

    // An area partly off the tablet, or inside out, is put on it.
    AreaUnits wild = {30000, -5, 100, 50};
    ClampArea(&wild, 20000, 15000);
    EXPECT_EQ((AreaUnits{100, 0, 20000, 50}), wild);
    AreaUnits whole = {0, 0, 20000, 15000};
    RECT pixels;
    AreaToPixels(&whole, &scale, &pixels);
    EXPECT_EQ(10, pixels.left);
    EXPECT_EQ(10, pixels.top);
    EXPECT_EQ(210, pixels.right);
    EXPECT_EQ(160, pixels.bottom);
}
