// Commands 1002 to 1006 sent to the running program from another process.
#include "program_fixture.h"

namespace {

TEST_F(Program, CommandsFromAnotherProcessAskTheDriverFirst)
{
    StartReady();
    HWND window = FindProgramWindow();
    SendMessageA(window, WM_COMMAND, 1003, 0);   // relative
    SendMessageA(window, WM_COMMAND, 1005, 0);   // portrait
    VTabletState state = TabletState();
    EXPECT_EQ(state.Absolute, 0u);
    EXPECT_EQ(state.Orientation, 1u);

    // Relative now: a packet moves by the compressed displacement.
    SetCursorPos(400, 300);
    Sleep(100);
    ClearSeenInput();
    Queue({MakePenPacket(16, 9, PEN_STATUS_IN_RANGE)});
    ASSERT_TRUE(WaitFor([] { return !SeenMoves().empty(); }, 5000));
    EXPECT_EQ(SeenMoves().back().Data.pt.x, 404);
    EXPECT_EQ(SeenMoves().back().Data.pt.y, 303);

    // A refused switch changes nothing.
    ASSERT_TRUE(SetRequestFailure(IOCTL_TABLET_SET_ABSOLUTE, 0, VTABLET_FAIL_FOREVER, 0));
    SendMessageA(window, WM_COMMAND, 1002, 0);
    SendMessageA(window, WM_COMMAND, 1004, 0);   // landscape, accepted
    EXPECT_EQ(TabletState().Absolute, 0u);
    EXPECT_EQ(TabletState().Orientation, 0u);
    EXPECT_EQ(CountOf(IOCTL_TABLET_SET_ABSOLUTE), 2u);

    // The sensitivity dialog, cancelled, sends the sensitivity again.
    unsigned before = CountOf(IOCTL_TABLET_SET_SENSITIVITY);
    PostMessageA(window, WM_COMMAND, 1006, 0);
    HWND dialog = NULL;
    ASSERT_TRUE(WaitFor([&] {
        dialog = NULL;
        for (HWND w = FindWindowExA(NULL, NULL, "#32770", NULL); w;
             w = FindWindowExA(NULL, w, "#32770", NULL)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == Pid() && w != window)
                dialog = w;
        }
        return dialog != NULL;
    }, 5000));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_GT(CountOf(IOCTL_TABLET_SET_SENSITIVITY), before);

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(EndExitCode(10000), 0u);
    EXPECT_EQ(Setting(VALUE_ABSOLUTE), 0u);   // the accepted relative switch
    EXPECT_EQ(Setting(VALUE_LANDSCAPE), 0u);
}

}  // namespace
