// The picture of the tablet: the whole tablet shown in the fields, and the
// area dragged with the mouse into the fields and from there into the
// registry.
#include "applet_harness.h"
#include <string>
#include "area_mapping.h"
#include "panel_resource.h"
#include "shared/stored_values.h"

namespace {

// Where the dialog lays a 20000 by 15000 tablet into its picture.
SurfaceScale SurfaceOf20000By15000(HWND dialog)
{
    RECT client;
    GetClientRect(GetDlgItem(dialog, IDC_AREA_PICTURE), &client);
    SurfaceScale scale;
    FitSurface(20000, 15000, 20000, 15000, client.right, client.bottom, PICTURE_MARGIN,
               &scale);
    return scale;
}

// A point of the picture in the dialog's client pixels.
POINT InDialog(HWND dialog, LONG x, LONG y)
{
    POINT point = {x, y};
    MapWindowPoints(GetDlgItem(dialog, IDC_AREA_PICTURE), dialog, &point, 1);
    return point;
}

POINT Moved(POINT point, LONG x, LONG y)
{
    POINT moved = {point.x + x, point.y + y};
    return moved;
}

} // namespace

TEST_F(AppletTest, DraggingTheAreaFillsTheFieldsAndOkWritesExactlyThose)
{
    PanelTestSeams seams = {NULL, NULL, TabletOf20000By15000, NULL};
    SetSeams(&seams);
    StoredNumbers before = {{VALUE_WORKING_AREA, 1}, {VALUE_BUTTON1, 10}};
    PutAll(before);
    LONG endX = 0, endY = 0, startX = 0;
    WithDialog([&](HWND dialog) {
        // The whole tablet shows the area in force.
        EXPECT_TRUE(IsChecked(dialog, IDC_AREA_WHOLE));
        EXPECT_EQ("0", ControlText(dialog, IDC_START_X));
        EXPECT_EQ("0", ControlText(dialog, IDC_START_Y));
        EXPECT_EQ("20000", ControlText(dialog, IDC_END_X));
        EXPECT_EQ("15000", ControlText(dialog, IDC_END_Y));
        EXPECT_NE(std::string::npos,
                  ControlText(dialog, IDC_AREA_SIZE).find("20000 x 15000 units, aspect 1.33"))
            << ControlText(dialog, IDC_AREA_SIZE);

        // The whole area's end corner pulled half way in: a part of the tablet.
        SurfaceScale scale = SurfaceOf20000By15000(dialog);
        POINT corner = InDialog(dialog, scale.Left + scale.PixelsX, scale.Top + scale.PixelsY);
        POINT half = Moved(corner, -scale.PixelsX / 2, -scale.PixelsY / 2);
        MouseDown(dialog, corner);
        MouseMove(dialog, half);
        MouseUp(dialog, half);
        endX = PixelToUnit(scale.PixelsX - scale.PixelsX / 2, scale.PixelsX, 20000);
        endY = PixelToUnit(scale.PixelsY - scale.PixelsY / 2, scale.PixelsY, 15000);
        EXPECT_TRUE(IsChecked(dialog, IDC_AREA_PART));
        EXPECT_TRUE(IsEnabled(dialog, IDC_START_X));
        EXPECT_EQ("0", ControlText(dialog, IDC_START_X));
        EXPECT_EQ("0", ControlText(dialog, IDC_START_Y));
        EXPECT_EQ(std::to_string(endX), ControlText(dialog, IDC_END_X));
        EXPECT_EQ(std::to_string(endY), ControlText(dialog, IDC_END_Y));

        // Taken by its middle and thrown past the far corner: it stops there whole.
        POINT middle = InDialog(dialog, scale.Left + scale.PixelsX / 4,
                                scale.Top + scale.PixelsY / 4);
        POINT screen = middle;
        ClientToScreen(dialog, &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageA(dialog, WM_SETCURSOR, (WPARAM)dialog, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(LoadCursor(NULL, IDC_SIZEALL), GetCursor()) << "the pointer over the area";
        MouseDown(dialog, middle);
        MouseMove(dialog, Moved(middle, 5000, 5000));
        MouseUp(dialog, Moved(middle, 5000, 5000));
        EXPECT_EQ(std::to_string(20000 - endX), ControlText(dialog, IDC_START_X));
        EXPECT_EQ(std::to_string(15000 - endY), ControlText(dialog, IDC_START_Y));
        EXPECT_EQ("20000", ControlText(dialog, IDC_END_X));
        EXPECT_EQ("15000", ControlText(dialog, IDC_END_Y));
        std::string size = std::to_string(endX) + " x " + std::to_string(endY) + " units";
        EXPECT_NE(std::string::npos, ControlText(dialog, IDC_AREA_SIZE).find(size))
            << ControlText(dialog, IDC_AREA_SIZE);

        // The mouse let go: moving it changes nothing more.
        MouseMove(dialog, middle);
        EXPECT_EQ("20000", ControlText(dialog, IDC_END_X));

        // Typed, the field moves the area; a press on its new place takes it.
        TypeText(dialog, IDC_START_X, "0");
        LONG lowY = scale.Top + scale.PixelsY * 3 / 4;
        MouseDown(dialog, InDialog(dialog, scale.Left, lowY));
        MouseMove(dialog, InDialog(dialog, scale.Left + 30, lowY));
        MouseUp(dialog, InDialog(dialog, scale.Left + 30, lowY));
        startX = PixelToUnit(30, scale.PixelsX, 20000);
        EXPECT_EQ(std::to_string(startX), ControlText(dialog, IDC_START_X));
        EXPECT_EQ(std::to_string(15000 - endY), ControlText(dialog, IDC_START_Y));

        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    StoredNumbers expected = before;
    expected[VALUE_WORKING_AREA] = 0;
    expected[VALUE_START_X] = startX;
    expected[VALUE_START_Y] = 15000 - endY;
    expected[VALUE_END_X] = 20000;
    expected[VALUE_END_Y] = 15000;
    EXPECT_EQ(expected, ReadAllStored());
    EXPECT_EQ(1, ReloadsReceived);
}

// Without the tablet its size is not known and the picture is an outline of
// 65535 units: an area dragged there would be stored beyond the tablet's
// edges, and the driver would later receive a start past its end.  The
// fields still take what is typed.
TEST_F(AppletTest, WithoutTheTabletTheAreaIsNotDragged)
{
    WithDialog([&](HWND dialog) {
        RECT client;
        GetClientRect(GetDlgItem(dialog, IDC_AREA_PICTURE), &client);
        SurfaceScale scale;
        FitSurface(65535, 65535, GetSystemMetrics(SM_CXSCREEN),
                   GetSystemMetrics(SM_CYSCREEN), client.right, client.bottom,
                   PICTURE_MARGIN, &scale);
        const int fields[] = {IDC_START_X, IDC_START_Y, IDC_END_X, IDC_END_Y};
        for (bool part : {false, true}) {
            SCOPED_TRACE(part ? "part of the tablet" : "whole tablet");
            if (part) {
                ClickControl(dialog, IDC_AREA_PART);
                const char *typed[] = {"0", "0", "65535", "65535"};
                for (int i = 0; i < 4; i++)
                    TypeText(dialog, fields[i], typed[i]);
            }
            std::string before[4];
            for (int i = 0; i < 4; i++)
                before[i] = ControlText(dialog, fields[i]);
            // The start corner taken to the middle.
            POINT corner = InDialog(dialog, scale.Left, scale.Top);
            POINT middle = Moved(corner, scale.PixelsX / 2, scale.PixelsY / 2);
            MouseDown(dialog, corner);
            MouseMove(dialog, middle);
            MouseUp(dialog, middle);
            EXPECT_EQ(!part, IsChecked(dialog, IDC_AREA_WHOLE));
            for (int i = 0; i < 4; i++)
                EXPECT_EQ(before[i], ControlText(dialog, fields[i])) << i;
        }
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    StoredNumbers expected = {{VALUE_WORKING_AREA, 0}, {VALUE_START_X, 0},
                              {VALUE_START_Y, 0}, {VALUE_END_X, 65535},
                              {VALUE_END_Y, 65535}};
    EXPECT_EQ(expected, ReadAllStored());
}
