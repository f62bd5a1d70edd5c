// The real sensitivity dialog under Wine, opened by IDM_SENSITIVITY at the
// main window and worked through its controls.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "device/driver_channel.h"
#include "fakes/fake_os.h"
#include "res/resource.h"
#include "settings/settings_store.h"
#include "ui/sensitivity_dialog.h"
#include "ui/sensitivity_harness.h"

namespace {

class SensitivityDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetUpDialogHarness();
        ASSERT_TRUE(OpenDriverChannel());
    }
    void TearDown() override { TearDownDialogHarness(); }
};

int CountSensitivityDialogs()
{
    int count = 0;
    HWND found = NULL;
    while ((found = FindWindowExA(NULL, found, "#32770", SENSITIVITY_DIALOG_CAPTION)))
        if (IsWindowVisible(found))
            ++count;
    return count;
}

TEST_F(SensitivityDialogTest, OpensModallyOverTheMainWindowWithTheSliderClampedAndOkSendsNothing)
{
    ASSERT_EQ(4, CurrentSensitivity());
    HWND owner = DialogHarness.Owner;
    INT_PTR result = RunDialogSteps({[&](HWND dialog) {
        EXPECT_EQ(owner, GetWindow(dialog, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(owner)) << "the dialog is not modal";
        EXPECT_EQ(GetDlgItem(dialog, IDOK), GetFocus());
        EXPECT_EQ(5, SendMessageA(SliderOf(dialog), TBM_GETRANGEMIN, 0, 0));
        EXPECT_EQ(50, SendMessageA(SliderOf(dialog), TBM_GETRANGEMAX, 0, 0));
        EXPECT_EQ(5, SliderPosition(dialog));
        EXPECT_EQ(4, SensitivityDialog.SavedSensitivity);
        EXPECT_FALSE(SensitivityDialog.SliderMoved);
        PressButton(dialog, IDOK);
    }});
    EXPECT_EQ(FALSE, result);
    EXPECT_EQ(1u, DialogHarness.StepsRun);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(4, CurrentSensitivity());
    EXPECT_TRUE(SentSensitivities().empty());
    EXPECT_TRUE(CopyFakeDriverLog().empty());
}

TEST_F(SensitivityDialogTest, CancelWithoutAMoveKeepsTheValueAndSendsItOnce)
{
    RunDialogSteps({[](HWND dialog) { PressButton(dialog, IDCANCEL); }});
    EXPECT_EQ(4, CurrentSensitivity());
    EXPECT_EQ(std::vector<DWORD>({4}), SentSensitivities());
}

TEST_F(SensitivityDialogTest, SliderHasItsRangeAndATickEveryNinePositions)
{
    SetCurrentSensitivity(60);  // stored above the range
    RunDialogSteps({[](HWND dialog) {
        HWND slider = SliderOf(dialog);
        EXPECT_EQ(50, SliderPosition(dialog));
        // Both ends plus the ticks between them: 5, 14, 23, 32, 41, 50.
        EXPECT_EQ(6, SendMessageA(slider, TBM_GETNUMTICS, 0, 0));
        std::vector<LRESULT> inner;
        for (int i = 0; i < 4; ++i)
            inner.push_back(SendMessageA(slider, TBM_GETTIC, i, 0));
        EXPECT_EQ(std::vector<LRESULT>({14, 23, 32, 41}), inner);
        PressButton(dialog, IDOK);
    }});
    EXPECT_EQ(60, CurrentSensitivity());
}

// Records what the slider of the opening dialog is sent.
std::vector<MSG> SliderSetup;

LRESULT CALLBACK RecordSliderSetup(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
    if (code == HC_ACTION && call->message >= WM_USER && call->message < WM_USER + 0x100 &&
        GetDlgCtrlID(call->hwnd) == IDC_SENSITIVITY_SLIDER) {
        MSG m = {call->hwnd, call->message, call->wParam, call->lParam, 0, {0, 0}};
        SliderSetup.push_back(m);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(SensitivityDialogTest, SliderIsSetUpWithRangeThenPositionThenTicks)
{
    SetCurrentSensitivity(23);
    SliderSetup.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordSliderSetup, NULL,
                                   GetCurrentThreadId());
    ASSERT_TRUE(hook != NULL);
    RunDialogSteps({[](HWND dialog) { PressButton(dialog, IDOK); }});
    UnhookWindowsHookEx(hook);
    ASSERT_GE(SliderSetup.size(), 3u);
    EXPECT_EQ((UINT)TBM_SETRANGE, SliderSetup[0].message);
    EXPECT_EQ((WPARAM)TRUE, SliderSetup[0].wParam);
    EXPECT_EQ(MAKELPARAM(5, 50), SliderSetup[0].lParam);
    EXPECT_EQ((UINT)TBM_SETPOS, SliderSetup[1].message);
    EXPECT_EQ((WPARAM)TRUE, SliderSetup[1].wParam);
    EXPECT_EQ(23, SliderSetup[1].lParam);
    EXPECT_EQ((UINT)TBM_SETTICFREQ, SliderSetup[2].message);
    EXPECT_EQ(9u, SliderSetup[2].wParam);
}

TEST_F(SensitivityDialogTest, MoveToThirtyThenOkKeepsThirtySentOnce)
{
    INT_PTR result = RunSensitivityDialogSteps({
        [](HWND dialog) { MoveSlider(dialog, 30); },
        [](HWND dialog) {
            EXPECT_EQ(30, CurrentSensitivity());
            EXPECT_TRUE(SensitivityDialog.SliderMoved);
            PressButton(dialog, IDOK);
        },
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ(30, CurrentSensitivity());
    EXPECT_EQ(std::vector<DWORD>({30}), SentSensitivities());
}

TEST_F(SensitivityDialogTest, MoveAwayAndBackThenCancelPutsBackTheOpeningValue)
{
    // Back at the first position is not back at the opening value 4.
    INT_PTR result = RunSensitivityDialogSteps({
        [](HWND dialog) { MoveSlider(dialog, 35); },
        [](HWND dialog) { MoveSlider(dialog, 5); },
        [](HWND dialog) {
            EXPECT_EQ(5, CurrentSensitivity());
            PressButton(dialog, IDCANCEL);
        },
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(4, CurrentSensitivity());
    EXPECT_EQ(std::vector<DWORD>({35, 5, 4}), SentSensitivities());
}

TEST_F(SensitivityDialogTest, EveryNotificationOfTheSliderIsSentAndReportedToTheOwner)
{
    SetCurrentSensitivity(20);
    HWND opened = NULL;
    RunDialogSteps({
        [&](HWND dialog) {
            opened = dialog;
            // The keyboard works the slider as a user would: each key gives
            // a notification, and its release one more (end of tracking).
            HWND slider = SliderOf(dialog);
            SendMessageA(slider, WM_KEYDOWN, VK_RIGHT, 0);
            SendMessageA(slider, WM_KEYUP, VK_RIGHT, 0);
            SendMessageA(slider, WM_KEYDOWN, VK_END, 0);
            SendMessageA(slider, WM_KEYUP, VK_END, 0);
            // A notification at an unchanged position is still sent.
            MoveSlider(dialog, 50, TB_ENDTRACK);
        },
        [](HWND dialog) { PressButton(dialog, IDOK); },
    });
    ASSERT_TRUE(opened != NULL);
    std::vector<DWORD> sent = SentSensitivities();
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(21u, sent[0]);
    EXPECT_EQ(50u, sent.back());
    EXPECT_EQ(50, CurrentSensitivity());
    ASSERT_EQ(sent.size(), DialogHarness.Scrolled.size());
    for (const OwnerMessage &m : DialogHarness.Scrolled) {
        EXPECT_EQ((WPARAM)opened, m.WParam);
        EXPECT_EQ(0, m.LParam);
    }
}

TEST_F(SensitivityDialogTest, ScrollFromAnotherControlIsOnlyReportedToTheOwner)
{
    RunDialogSteps({
        [](HWND dialog) {
            SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
            SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0),
                         (LPARAM)GetDlgItem(dialog, IDOK));
        },
        [](HWND dialog) {
            EXPECT_FALSE(SensitivityDialog.SliderMoved);
            PressButton(dialog, IDCANCEL);
        },
    });
    EXPECT_EQ(2u, DialogHarness.Scrolled.size());
    EXPECT_EQ(4, CurrentSensitivity());
    EXPECT_EQ(std::vector<DWORD>({4}), SentSensitivities());
}

TEST_F(SensitivityDialogTest, WithoutAChannelTheSliderStillSetsTheValueAndNothingIsSent)
{
    CloseDriverChannel();
    ResetFakeDriver();
    RunDialogSteps({
        [](HWND dialog) { MoveSlider(dialog, 41); },
        [](HWND dialog) {
            EXPECT_EQ(41, CurrentSensitivity());
            PressButton(dialog, IDOK);
        },
    });
    EXPECT_EQ(41, CurrentSensitivity());
    EXPECT_TRUE(CopyFakeDriverLog().empty());

    RunDialogSteps({
        [](HWND dialog) { MoveSlider(dialog, 14); },
        [](HWND dialog) { PressButton(dialog, IDCANCEL); },
    });
    EXPECT_EQ(41, CurrentSensitivity());
    EXPECT_TRUE(CopyFakeDriverLog().empty());
}

TEST_F(SensitivityDialogTest, RefusedSensitivityStillFollowsTheSlider)
{
    FakeDriver.FailCode = IOCTL_TABLET_SET_SENSITIVITY;
    RunDialogSteps({
        [](HWND dialog) { MoveSlider(dialog, 32); },
        [](HWND dialog) { PressButton(dialog, IDOK); },
    });
    EXPECT_EQ(32, CurrentSensitivity());
    EXPECT_EQ(std::vector<DWORD>({32}), SentSensitivities());
}

TEST_F(SensitivityDialogTest, EscapeAndTheCloseButtonActAsCancel)
{
    INT_PTR byEscape = RunSensitivityDialogSteps({
        [](HWND dialog) { MoveSlider(dialog, 25); },
        [](HWND dialog) {
            // The dialog manager turns Esc into IDCANCEL.
            MSG esc = {GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
            EXPECT_TRUE(IsDialogMessageA(dialog, &esc));
        },
    });
    EXPECT_EQ(0, byEscape);
    EXPECT_EQ(4, CurrentSensitivity());
    EXPECT_EQ(std::vector<DWORD>({25, 4}), SentSensitivities());

    ResetFakeDriver();
    INT_PTR byClose = RunSensitivityDialogSteps({
        [](HWND dialog) { MoveSlider(dialog, 25); },
        [](HWND dialog) { SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
    });
    EXPECT_EQ(0, byClose);
    EXPECT_EQ(4, CurrentSensitivity());
    EXPECT_EQ(std::vector<DWORD>({25, 4}), SentSensitivities());
}

TEST_F(SensitivityDialogTest, NextOpeningStartsAfresh)
{
    RunDialogSteps({
        [](HWND dialog) { MoveSlider(dialog, 30); },
        [](HWND dialog) { PressButton(dialog, IDOK); },
    });
    EXPECT_TRUE(SensitivityDialog.SliderMoved);
    RunDialogSteps({[](HWND dialog) {
        EXPECT_EQ(30, SensitivityDialog.SavedSensitivity);
        EXPECT_FALSE(SensitivityDialog.SliderMoved);
        EXPECT_EQ(30, SliderPosition(dialog));
        PressButton(dialog, IDCANCEL);
    }});
    EXPECT_EQ(30, CurrentSensitivity());
    EXPECT_EQ(std::vector<DWORD>({30, 30}), SentSensitivities());
}

TEST_F(SensitivityDialogTest, SecondRequestWhileOpenDoesNotStackAnotherDialog)
{
    HWND owner = DialogHarness.Owner;
    RunDialogSteps({
        [&](HWND dialog) {
            MoveSlider(dialog, 30);
            // Another program asks again while the dialog is up.
            PostMessageA(owner, WM_COMMAND, IDM_SENSITIVITY, 0);
        },
        [](HWND dialog) {
            EXPECT_EQ(1, CountSensitivityDialogs());
            PressButton(dialog, IDCANCEL);
        },
    });
    EXPECT_FALSE(DialogHarness.DialogLeftOpen);
    // Cancel puts back what the one dialog opened with.
    EXPECT_EQ(4, CurrentSensitivity());
    EXPECT_EQ(std::vector<DWORD>({30, 4}), SentSensitivities());
    ASSERT_EQ(2u, DialogHarness.CommandResults.size());
    EXPECT_EQ(FALSE, DialogHarness.CommandResults[0]);
}

TEST_F(SensitivityDialogTest, DialogIsCentredOnTheScreenWithItsSizeKept)
{
    RECT placed = {0, 0, 0, 0};
    RunDialogSteps({[&](HWND dialog) {
        GetWindowRect(dialog, &placed);
        PressButton(dialog, IDOK);
    }});
    int width = placed.right - placed.left;
    int height = placed.bottom - placed.top;
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(screenWidth, width);
    EXPECT_EQ((screenWidth - width) / 2, placed.left);
    EXPECT_EQ((screenHeight - height) / 2, placed.top);
}

TEST(CentredWindowOrigin, CentresOnLargerScreensAndKeepsZeroOnSmallerOnes)
{
    struct Case {
        int ScreenWidth, ScreenHeight;
        RECT Window;
        LONG X, Y;
    };
    const Case cases[] = {
        // A screen larger on both axes; where the window stood does not count.
        {1280, 1024, {100, 50, 400, 250}, 490, 412},
        {1280, 1024, {-700, 900, -400, 1100}, 490, 412},
        // Odd differences truncate.
        {1025, 769, {0, 0, 300, 200}, 362, 284},
        // A screen no wider (or no taller) than the window: that axis is 0.
        {300, 1024, {10, 10, 310, 210}, 0, 412},
        {200, 150, {10, 10, 310, 210}, 0, 0},
        {1280, 200, {10, 10, 310, 210}, 490, 0},
        {1280, 199, {10, 10, 310, 210}, 490, 0},
    };
    for (const Case &c : cases) {
        POINT origin = CentredWindowOrigin(c.ScreenWidth, c.ScreenHeight, c.Window);
        EXPECT_EQ(c.X, origin.x) << c.ScreenWidth << "x" << c.ScreenHeight;
        EXPECT_EQ(c.Y, origin.y) << c.ScreenWidth << "x" << c.ScreenHeight;
    }
}

}  // namespace
