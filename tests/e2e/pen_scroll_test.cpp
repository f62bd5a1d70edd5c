// The pen scrolls a real edit window: Notepad with 300 lines, 3 lines a
// wheel notch, pen button 1 put on the scroll by stylohidctl, absolute mode.
#include "program_fixture.h"
#include <stdio.h>
#include "ctl_support.h"

namespace {
struct NotepadScroll : Program {
    PROCESS_INFORMATION Notepad = {};
    HWND Edit = NULL;
    const POINT At = {300, 250};  // the press: in the edit of the window placed so
    DWORD Held = PEN_STATUS_IN_RANGE | PEN_STATUS_BUTTON1;

    void TearDown() override
    {
        TerminateProcess(Notepad.hProcess, 0);  // none started: these fail harmlessly
        CloseHandle(Notepad.hProcess);
        CloseHandle(Notepad.hThread);
        Program::TearDown();
    }
    // The pen to this pixel, as the system maps a normalised position.
    PenPacket PenAt(LONG x, LONG y, DWORD status)
    {
        int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        return MakePenPacket((int)(((long long)x * 65536 + 32768) / width),
                             (int)(((long long)y * 65536 + 32768) / height), status);
    }
    // The pen from `from` to `to` pixels below the press, `step` pixels a packet.
    void Travel(int from, int to, int step)
    {
        std::vector<PenPacket> packets;
        int sign = to > from ? 1 : -1;
        for (int y = from + sign * step; sign * (to - y) >= 0; y += sign * step)
            packets.push_back(PenAt(At.x, At.y + y, Held));
        ASSERT_TRUE(QueuePenPackets(packets.data(), (unsigned)packets.size()));
        WaitDelivered();
    }
    // Notepad's first line once it is `expected`, or after 10 s: the wheel
    // input the program sent may still wait in Notepad's queue.
    int FirstLine(int expected)
    {
        auto line = [&] { return (int)SendMessageA(Edit, EM_GETFIRSTVISIBLELINE, 0, 0); };
        WaitFor([&] { return line() == expected; }, 10000);
        return line();
    }
};

TEST_F(NotepadScroll, HoldingTheButtonAndMovingThePenScrollsWholeNotchesAndThePointerStays)
{
    std::string path = BuildFolder() + "scroll-test.txt";
    FILE *file = fopen(path.c_str(), "w");
    ASSERT_TRUE(file);
    for (int line = 1; line <= 300; line++)
        fprintf(file, "line %d\r\n", line);
    fclose(file);
    WriteSettings({1, 0, 4, 1, 0, 0, 0, 0, 2, 0});
    StartReady();
    // The command stores the action and the running program takes it up.
    const std::string ctl = BuildFolder() + "stylohidctl.exe";
    ToolRun stored = RunTool(ctl, "button 1 scroll");
    EXPECT_EQ(0u, stored.ExitCode) << stored.Err;
    EXPECT_EQ("Button 1: Scroll (64) stored\n", stored.Out);
    EXPECT_NE(std::string::npos, RunTool(ctl, "status").Out.find("Button 1: Scroll (64)\n"));
    EXPECT_EQ(0x40, EntriesOfCode(ProgramLog(), IOCTL_TABLET_SET_SETTINGS).back().Input[16]);
    std::string command = "notepad.exe \"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL,
                               &startup, &Notepad));
    HWND window = NULL;
    ASSERT_TRUE(WaitFor([&] {
        window = FindWindowA("Notepad", NULL);
        Edit = window ? FindWindowExA(window, NULL, "Edit", NULL) : NULL;
        return Edit && SendMessageA(Edit, EM_GETLINECOUNT, 0, 0) >= 300;
    }, 10000));
    MoveWindow(window, 50, 50, 500, 600, TRUE);
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }, 5000));
    Queue({PenAt(At.x, At.y, PEN_STATUS_IN_RANGE), PenAt(At.x, At.y, Held)});
    WaitDelivered();
    ClearSeenInput();
    Travel(0, 160, 4);   // down: ten notches
    EXPECT_NEAR(30, FirstLine(30), 3);
    Travel(160, 0, 4);   // back up
    EXPECT_EQ(0, FirstLine(0));
    Travel(0, 40, 1);    // two notches and half a notch carried
    EXPECT_EQ(6, FirstLine(6));
    WaitFor([] { return SeenMouseEvents().size() >= 22; }, 5000);
    std::vector<SeenMouse> seen = SeenMouseEvents();
    EXPECT_EQ(22u, seen.size());  // one wheel event a notch, and nothing else
    for (const SeenMouse &m : seen)
        EXPECT_EQ(WM_MOUSEWHEEL, m.Message) << "the pointer moved or a button acted";
    DeleteFileA(path.c_str());
}
}  // namespace
