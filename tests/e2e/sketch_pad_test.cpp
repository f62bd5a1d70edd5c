// The pen draws in an ordinary window: the sketch pad of tools/ receives a
// press of pen button 2 (a left click at the starting values), the drag and
// the release as the messages a paint program gets, where the pen went.
#include "program_fixture.h"

#include <math.h>
#include <stdio.h>

#include "sketchpad.h"

namespace {

struct PadEvent {
    char Kind;    // SKETCH_LOG_*
    POINT At;     // client coordinates
};

std::vector<PadEvent> ReadPadLog(const std::string &path)
{
    std::vector<PadEvent> events;
    FILE *file = fopen(path.c_str(), "r");
    if (!file)
        return events;
    PadEvent e;
    while (fscanf(file, " %c %ld %ld", &e.Kind, &e.At.x, &e.At.y) == 3)
        events.push_back(e);
    fclose(file);
    return events;
}

bool Near(POINT a, POINT b) { return labs(a.x - b.x) <= 1 && labs(a.y - b.y) <= 1; }

double DistanceToSegment(POINT p, POINT a, POINT b)
{
    double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

struct SketchPad : Program {
    PROCESS_INFORMATION Pad = {};
    std::string LogPath = BuildFolder() + "sketchpad-test.log";
    POINT Origin = {0, 0};   // the client area's top left on the screen
    POINT Last = {0, 0};     // where the pen was last sent, in client coordinates

    void SetUp() override
    {
        Program::SetUp();
        DeleteFileA(LogPath.c_str());
        std::string line = "\"" + BuildFolder() + "tools\\sketchpad.exe\" 100 80 640 480 \"" +
                           LogPath + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL,
                                   &startup, &Pad));
        HWND window = NULL;
        ASSERT_TRUE(WaitFor([&] {
            window = FindWindowA(SKETCH_CLASS, NULL);
            return window && IsWindowVisible(window);
        }, 10000));
        ClientToScreen(window, &Origin);
    }
    void TearDown() override
    {
        if (Pad.hProcess) {
            HWND window = FindWindowA(SKETCH_CLASS, NULL);
            if (window)
                PostMessageA(window, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(Pad.hProcess, 5000) != WAIT_OBJECT_0)
                TerminateProcess(Pad.hProcess, 1);
            CloseHandle(Pad.hProcess);
            CloseHandle(Pad.hThread);
        }
        Program::TearDown();
    }

    // The normalised coordinate that the system maps to this pixel.
    static int ToPen(LONG pixel, int screenSize)
    {
        return (int)(((long long)pixel * 65536 + 32768) / screenSize);
    }
    // The pen to a point of the client area (through the points between,
    // steps pixels apart at most), then waits until the pad has logged an
    // event of this kind there.
    void PenTo(POINT to, DWORD status, char kind, int step = 20)
    {
        int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        int steps = (int)fmax(1, ceil(hypot(to.x - Last.x, to.y - Last.y) / step));
        std::vector<PenPacket> packets;
        for (int i = 1; i <= steps; i++) {
            double t = (double)i / steps;
            packets.push_back(MakePenPacket(
                ToPen(Origin.x + lround(Last.x + (to.x - Last.x) * t), width),
                ToPen(Origin.y + lround(Last.y + (to.y - Last.y) * t), height), status));
        }
        ASSERT_TRUE(QueuePenPackets(packets.data(), (unsigned)packets.size()));
        Last = to;
        ASSERT_TRUE(WaitFor([&] {
            std::vector<PadEvent> log = ReadPadLog(LogPath);
            return !log.empty() && log.back().Kind == kind && Near(log.back().At, to);
        }, 5000)) << "no '" << kind << "' at " << to.x << "," << to.y;
    }
};

TEST_F(SketchPad, PenButtonTwoDrawsOneStrokePerPressWhereThePenWent)
{
    StartReady();   // no stored settings: absolute mode, pen button 2 a left click
    const DWORD up = PEN_STATUS_IN_RANGE, down = PEN_STATUS_IN_RANGE | PEN_STATUS_BUTTON2;
    const std::vector<std::vector<POINT>> strokes = {
        {{60, 50}, {330, 90}, {200, 320}},   // a bent stroke
        {{420, 380}, {580, 100}},
    };
    Last = {10, 420};
    for (const std::vector<POINT> &stroke : strokes) {
        // Across the pad with the button up, then one packet that moves and
        // presses: the press lands where the pen went.
        PenTo({stroke[0].x - 12, stroke[0].y + 12}, up, SKETCH_LOG_HOVER);
        PenTo(stroke[0], down, SKETCH_LOG_DOWN);
        for (size_t i = 1; i < stroke.size(); i++)
            PenTo(stroke[i], down, SKETCH_LOG_MOVE, 4);
        PenTo(stroke.back(), up, SKETCH_LOG_UP);
    }
    PenTo({600, 420}, up, SKETCH_LOG_HOVER);

    // The log read back as strokes; moves with the button up in between.
    std::vector<std::vector<POINT>> drawn;
    unsigned hoversBetween = 0;
    bool inStroke = false;
    for (const PadEvent &e : ReadPadLog(LogPath)) {
        if (e.Kind == SKETCH_LOG_DOWN) {
            EXPECT_FALSE(inStroke) << "a press inside a stroke";
            drawn.push_back({});
            inStroke = true;
        }
        if (e.Kind == SKETCH_LOG_MOVE) {
            EXPECT_TRUE(inStroke) << "drawn with the button up at " << e.At.x << "," << e.At.y;
        }
        if (e.Kind == SKETCH_LOG_HOVER && !drawn.empty() && !inStroke)
            hoversBetween++;
        if (inStroke)
            drawn.back().push_back(e.At);
        if (e.Kind == SKETCH_LOG_UP)
            inStroke = false;
    }
    EXPECT_FALSE(inStroke) << "the last stroke did not end";
    EXPECT_GT(hoversBetween, 1u);
    ASSERT_EQ(drawn.size(), strokes.size());
    for (size_t s = 0; s < strokes.size(); s++) {
        SCOPED_TRACE(s);
        const std::vector<POINT> &pen = strokes[s], &ink = drawn[s];
        EXPECT_TRUE(Near(ink.front(), pen.front()));
        EXPECT_TRUE(Near(ink.back(), pen.back()));
        size_t vertex = 1;   // each corner passed, in order
        for (const POINT &p : ink) {
            if (vertex < pen.size() && Near(p, pen[vertex]))
                vertex++;
            double off = 1e9;
            for (size_t i = 1; i < pen.size(); i++)
                off = fmin(off, DistanceToSegment(p, pen[i - 1], pen[i]));
            EXPECT_LE(off, 1.5) << "off the pen's path at " << p.x << "," << p.y;
        }
        EXPECT_EQ(vertex, pen.size()) << "a corner was missed";
    }
}

}  // namespace
