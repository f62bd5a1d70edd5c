// Steady clicks with the real program: two taps of the pen a few pixels
// apart, within the double-click time, are a double click in a real window.
#include "program_fixture.h"

namespace {

const char WORDS[] = "alpha bravo charlie";
const int BRAVO_START = 6, BRAVO_END = 11;

// Handles this thread's messages until done() or the time is up.
bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
    return true;
}

int ToPen(LONG pixel, int screenSize)
{
    return (int)(((long long)pixel * 65536 + 32768) / screenSize);
}

struct SteadyClicks : Program {
    HWND Frame = NULL, Edit = NULL;

    void SetUp() override
    {
        Program::SetUp();
        WNDCLASSA frameClass = {};
        frameClass.lpfnWndProc = DefWindowProcA;
        frameClass.hInstance = GetModuleHandleA(NULL);
        frameClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        frameClass.lpszClassName = "SteadyClicksFrame";
        RegisterClassA(&frameClass);
        Frame = CreateWindowExA(WS_EX_TOPMOST, "SteadyClicksFrame", "Steady clicks",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 120, 420, 120, NULL,
                                NULL, NULL, NULL);
        ASSERT_TRUE(Frame != NULL);
        Edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", WORDS,
                               WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 380, 24, Frame,
                               NULL, NULL, NULL);
        ASSERT_TRUE(Edit != NULL);
        SetForegroundWindow(Frame);
        PumpUntil([] { return false; }, 300);
    }
    void TearDown() override
    {
        if (Frame)
            DestroyWindow(Frame);
        Program::TearDown();
    }

    // A tap at a pixel of the screen: the pen there, pen button 2 down
    // (a left click at the starting values) and up.
    static void AddTap(std::vector<PenPacket> *packets, POINT at)
    {
        int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        int x = ToPen(at.x, width), y = ToPen(at.y, height);
        packets->push_back(MakePenPacket(x, y, PEN_STATUS_IN_RANGE));
        packets->push_back(MakePenPacket(x, y, PEN_STATUS_IN_RANGE | PEN_STATUS_BUTTON2));
        packets->push_back(MakePenPacket(x, y, PEN_STATUS_IN_RANGE | PEN_STATUS_BUTTON2));
        packets->push_back(MakePenPacket(x, y, PEN_STATUS_IN_RANGE));
    }
};

TEST_F(SteadyClicks, TwoTapsSixPixelsApartAreADoubleClickInAnEditControl)
{
    WriteSetting(VALUE_STEADY_CLICKS, 1);
    StartReady();
    // The middle of "bravo", on the screen.
    LRESULT at = SendMessageA(Edit, EM_POSFROMCHAR, BRAVO_START + 2, 0);
    POINT first = {(short)LOWORD(at) + 2, (short)HIWORD(at) + 6};
    ClientToScreen(Edit, &first);
    POINT second = {first.x + 6, first.y};
    ASSERT_LE(6, 2 * GetSystemMetrics(SM_CXDOUBLECLK));  // near enough to land together

    ClearSeenInput();
    std::vector<PenPacket> packets;
    AddTap(&packets, first);
    AddTap(&packets, second);
    ASSERT_TRUE(QueuePenPackets(packets.data(), (unsigned)packets.size()));
    ASSERT_TRUE(PumpUntil([] {
        int ups = 0;
        for (const SeenMouse &m : SeenButtons())
            ups += m.Message == WM_LBUTTONUP;
        return ups == 2;
    }, 5000)) << "the two taps did not arrive";
    PumpUntil([] { return false; }, 200);

    DWORD start = 0, end = 0;
    SendMessageA(Edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ((DWORD)BRAVO_START, start);
    EXPECT_GE(end, (DWORD)BRAVO_END) << "not the word: a single click, or a drag";
    EXPECT_LE(end, (DWORD)BRAVO_END + 1);
}

}  // namespace
