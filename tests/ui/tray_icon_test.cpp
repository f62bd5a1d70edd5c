// The notification icon: the record the shell receives, the retry of a
// refused add, and what the icon's mouse messages do.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/reconnect.h"
#include "fakes/fake_os.h"
#include "res/resource.h"
#include "ui/tray_icon.h"

namespace {

// The main window's message table without the start-up wait.
INT_PTR CALLBACK MainWindowWithoutWait(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        App.MainWindow = window;
        return TRUE;
    }
    return MainWindowProc(window, message, wParam, lParam);
}

HICON CreateTestIcon()
{
    BYTE andMask[32 * 4];
    BYTE xorMask[32 * 4];
    memset(andMask, 0xFF, sizeof andMask);
    memset(xorMask, 0, sizeof xorMask);
    return CreateIcon(App.Instance, 32, 32, 1, 1, andMask, xorMask);
}

bool IconAlive(HICON icon)
{
    ICONINFO info;
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return true;
}

size_t CountNotify(DWORD message)
{
    size_t n = 0;
    for (const FakeNotifyCall &call : FakeShell.NotifyCalls)
        n += call.Message == message;
    return n;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*(int *)count;
    return TRUE;
}

int CountThreadWindows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, (LPARAM)&count);
    return count;
}

class TrayIconTest : public testing::Test {
protected:
    HWND Window;
    void SetUp() override
    {
        ResetFakeOs();
        App.ShutdownStarted = 0;
        App.SettingsLoadAttempted = 0;
        App.ReaderThread = NULL;
        RegisterMainWindowClass(App.Instance);
        Window = CreateDialogParamA(App.Instance, MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                    MainWindowWithoutWait, 0);
        ASSERT_TRUE(Window != NULL);
    }
    void TearDown() override { DestroyWindow(Window); }

    void ExpectAddRecord(const FakeNotifyCall &call, HICON icon, const char *tip)
    {
        EXPECT_EQ((DWORD)NIM_ADD, call.Message);
        EXPECT_EQ((DWORD)NOTIFYICONDATAA_V1_SIZE, call.CbSize);
#ifndef _WIN64
        EXPECT_EQ(88u, call.CbSize);
#endif
        EXPECT_EQ(Window, call.Data.hWnd);
        EXPECT_EQ((UINT)TRAY_ICON_ID, call.Data.uID);
        EXPECT_EQ((UINT)(NIF_MESSAGE | NIF_ICON | NIF_TIP), call.Data.uFlags);
        EXPECT_EQ(7u, call.Data.uFlags);
        EXPECT_EQ(1124u, call.Data.uCallbackMessage);
        if (icon)
            EXPECT_EQ(icon, call.Data.hIcon);
        else
            EXPECT_TRUE(call.Data.hIcon != NULL);
        EXPECT_STREQ(tip, call.Data.szTip);
    }
};

TEST_F(TrayIconTest, AddSendsTheFirstRecordLayoutAndReleasesTheIconOnceAccepted)
{
    HICON icon = CreateTestIcon();
    ASSERT_TRUE(icon != NULL);

    EXPECT_TRUE(AddTrayIcon(Window, TRAY_ICON_ID, icon, TRAY_TIP));

    ASSERT_EQ(1u, FakeShell.NotifyCalls.size());
    ExpectAddRecord(FakeShell.NotifyCalls[0], icon, "USB Tablet");
    EXPECT_FALSE(IconAlive(icon)) << "the shell keeps its own copy";
    EXPECT_TRUE(FakeClock.SetTimerCalls.empty());
}

TEST_F(TrayIconTest, DeleteSendsOnlyTheIdentifyingFields)
{
    AddTrayIcon(Window, TRAY_ICON_ID, CreateTestIcon(), TRAY_TIP);
    EXPECT_TRUE(DeleteTrayIcon(Window, TRAY_ICON_ID));
    EXPECT_FALSE(DeleteTrayIcon(Window, TRAY_ICON_ID)) << "a second delete fails";

    ASSERT_EQ(3u, FakeShell.NotifyCalls.size());
    const FakeNotifyCall &del = FakeShell.NotifyCalls[1];
    EXPECT_EQ((DWORD)NIM_DELETE, del.Message);
    EXPECT_EQ((DWORD)NOTIFYICONDATAA_V1_SIZE, del.CbSize);
    EXPECT_EQ(Window, del.Data.hWnd);
    EXPECT_EQ((UINT)TRAY_ICON_ID, del.Data.uID);
    EXPECT_EQ(0u, del.Data.uFlags);
}

struct TipCase {
    const char *Name;
    std::string Tip;
    bool Null;
    std::string Expected;
};

void PrintTo(const TipCase &c, std::ostream *os) { *os << c.Name; }

class TrayTipTest : public TrayIconTest, public testing::WithParamInterface<TipCase> {};

TEST_P(TrayTipTest, TipIsCutTo63Characters)
{
    const TipCase &c = GetParam();
    AddTrayIcon(Window, TRAY_ICON_ID, NULL, c.Null ? NULL : c.Tip.c_str());
    ASSERT_EQ(1u, FakeShell.NotifyCalls.size());
    EXPECT_EQ(c.Expected, std::string(FakeShell.NotifyCalls[0].Data.szTip));
}

INSTANTIATE_TEST_SUITE_P(
    Tips, TrayTipTest,
    testing::Values(TipCase{"Short", "USB Tablet", false, "USB Tablet"},
                    TipCase{"Exactly63", std::string(63, 'a'), false, std::string(63, 'a')},
                    TipCase{"Exactly64", std::string(63, 'b') + "X", false, std::string(63, 'b')},
                    TipCase{"Long", std::string(100, 'c'), false, std::string(63, 'c')},
                    TipCase{"None", "", true, ""}),
    [](const testing::TestParamInfo<TipCase> &info) { return std::string(info.param.Name); });

TEST_F(TrayIconTest, RefusedAddArmsTheRetryTimerAndKeepsTheIcon)
{
    HICON icon = CreateTestIcon();
    FakeShell.RefuseNextAdds = 1;

    EXPECT_FALSE(AddTrayIcon(Window, TRAY_ICON_ID, icon, TRAY_TIP));

    ASSERT_EQ(1u, FakeClock.SetTimerCalls.size());
    EXPECT_EQ(Window, FakeClock.SetTimerCalls[0].Window);
    EXPECT_EQ((UINT_PTR)TRAY_RETRY_TIMER, FakeClock.SetTimerCalls[0].Id);
    EXPECT_EQ(1u, FakeClock.SetTimerCalls[0].Id);
    EXPECT_EQ(10000u, FakeClock.SetTimerCalls[0].Ms);
    EXPECT_TRUE(IconAlive(icon));
    DestroyIcon(icon);
}

TEST_F(TrayIconTest, EachWmTimerStopsTheTimerAndAddsAgainUntilTheShellAccepts)
{
    FakeShell.RefuseNextAdds = 3;
    AddTrayIcon(Window, TRAY_ICON_ID, CreateTestIcon(), TRAY_TIP);

    for (int retry = 1; retry <= 3; retry++) {
        ASSERT_EQ(1u, FakeClock.Timers.size()) << "before retry " << retry;
        SendMessageA(Window, WM_TIMER, TRAY_RETRY_TIMER, 0);
        ASSERT_EQ((size_t)retry, FakeClock.KillTimerCalls.size());
        EXPECT_EQ(Window, FakeClock.KillTimerCalls.back().Window);
        EXPECT_EQ((UINT_PTR)TRAY_RETRY_TIMER, FakeClock.KillTimerCalls.back().Id);
    }

    ASSERT_EQ(4u, CountNotify(NIM_ADD));
    for (size_t i = 1; i < 4; i++)
        ExpectAddRecord(FakeShell.NotifyCalls[i], NULL, "USB Tablet");
    EXPECT_TRUE(FakeShell.NotifyCalls[3].Result);
    EXPECT_EQ(3u, FakeClock.SetTimerCalls.size());
    EXPECT_TRUE(FakeClock.Timers.empty()) << "no retry after an accepted add";
}

TEST_F(TrayIconTest, WmTimerStopsTheTimerItCarries)
{
    SendMessageA(Window, WM_TIMER, 7, 0);
    ASSERT_EQ(1u, FakeClock.KillTimerCalls.size());
    EXPECT_EQ(Window, FakeClock.KillTimerCalls[0].Window);
    EXPECT_EQ(7u, FakeClock.KillTimerCalls[0].Id);
}

TEST_F(TrayIconTest, ShutdownWhileTheRetryIsArmedLeavesNoIcon)
{
    FakeShell.RefuseNextAdds = 1;
    AddTrayIcon(Window, TRAY_ICON_ID, CreateTestIcon(), TRAY_TIP);
    ASSERT_EQ(1u, FakeClock.Timers.size());

    SendMessageA(Window, WM_CLOSE, 1, 0);
    ASSERT_EQ(1u, CountNotify(NIM_DELETE));
    EXPECT_FALSE(FakeShell.NotifyCalls.back().Result) << "nothing was there to delete";
    EXPECT_EQ(Window, FakeShell.NotifyCalls.back().Data.hWnd);

    // The timer still fires before the window is gone: no icon comes back.
    SendMessageA(Window, WM_TIMER, TRAY_RETRY_TIMER, 0);
    EXPECT_EQ(1u, CountNotify(NIM_ADD));
    EXPECT_TRUE(FakeClock.Timers.empty());
    MSG msg;
    PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// The shell started again has no icon: its broadcast brings it back with its
// present tip, through the add and its retry; none before the tablet is found.
TEST_F(TrayIconTest, TaskbarCreatedShowsTheIconAgainWithItsPresentTip)
{
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    TrayIcon.Wanted = 0;
    SendMessageA(Window, taskbarCreated, 0, 0);
    EXPECT_EQ(0u, CountNotify(NIM_ADD));

    ShowTrayIcon(Window);
    ModifyTrayTip(Window, TRAY_ICON_ID, TRAY_TIP_NOT_CONNECTED);
    DeleteTrayIcon(Window, TRAY_ICON_ID);  // gone with the shell
    FakeShell.RefuseNextAdds = 1;
    SendMessageA(Window, taskbarCreated, 0, 0);
    SendMessageA(Window, WM_TIMER, TRAY_RETRY_TIMER, 0);
    ASSERT_EQ(3u, CountNotify(NIM_ADD));
    ExpectAddRecord(FakeShell.NotifyCalls.back(), NULL, TRAY_TIP_NOT_CONNECTED);
    EXPECT_TRUE(FakeShell.NotifyCalls.back().Result);
}

struct NotifyCase {
    const char *Name;
    LPARAM Mouse;
};

void PrintTo(const NotifyCase &c, std::ostream *os) { *os << c.Name; }

class TrayNotifyTest : public TrayIconTest, public testing::WithParamInterface<NotifyCase> {};

TEST_P(TrayNotifyTest, OnlyALeftDoubleClickStartsTheApplet)
{
    int windowsBefore = CountThreadWindows();
    SendMessageA(Window, WM_TRAY_NOTIFY, TRAY_ICON_ID, GetParam().Mouse);

    EXPECT_TRUE(FakeShell.WinExecCalls.empty());
    EXPECT_EQ(windowsBefore, CountThreadWindows()) << "no menu or window may open";
    EXPECT_TRUE(FakeShell.NotifyCalls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    OtherMouseMessages, TrayNotifyTest,
    testing::Values(NotifyCase{"Move", WM_MOUSEMOVE}, NotifyCase{"LeftDown", WM_LBUTTONDOWN},
                    NotifyCase{"LeftUp", WM_LBUTTONUP}, NotifyCase{"RightDown", WM_RBUTTONDOWN},
                    NotifyCase{"RightUp", WM_RBUTTONUP},
                    NotifyCase{"RightDoubleClick", WM_RBUTTONDBLCLK},
                    NotifyCase{"MiddleDoubleClick", WM_MBUTTONDBLCLK},
                    NotifyCase{"ContextMenu", WM_CONTEXTMENU}),
    [](const testing::TestParamInfo<NotifyCase> &info) { return std::string(info.param.Name); });

TEST_F(TrayIconTest, EachLeftDoubleClickStartsTheAppletOnceWhateverTheIconId)
{
    SendMessageA(Window, WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    SendMessageA(Window, WM_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK);

    ASSERT_EQ(2u, FakeShell.WinExecCalls.size());
    for (const auto &call : FakeShell.WinExecCalls) {
        EXPECT_EQ("control.exe penpanel.cpl", call.first);
        EXPECT_EQ((UINT)SW_SHOWNORMAL, call.second);
        EXPECT_EQ(1u, call.second);
    }
}

}  // namespace
