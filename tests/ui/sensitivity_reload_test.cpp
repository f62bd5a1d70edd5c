// A reload of the stored settings while the sensitivity dialog is open: it
// changes Sensitivity without moving the slider, and Cancel then puts back
// the opening value only if the slider was moved.
#include <gtest/gtest.h>
#include "device/driver_channel.h"
#include "fakes/fake_os.h"
#include "res/resource.h"
#include "shared/stored_values.h"
#include "ui/sensitivity_dialog.h"
#include "ui/sensitivity_harness.h"

namespace {

class SensitivityReloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        Saved = SnapshotStoredKey();
        SetUpDialogHarness();
        ASSERT_TRUE(OpenDriverChannel());
        WriteStoredKey({{VALUE_ABSOLUTE, 1}, {VALUE_LANDSCAPE, 0},
                        {VALUE_SENSITIVITY, 20}, {VALUE_WORKING_AREA, 1},
                        {VALUE_START_X, 0}, {VALUE_START_Y, 0}, {VALUE_END_X, 0},
                        {VALUE_END_Y, 0}, {VALUE_BUTTON1, 2}, {VALUE_BUTTON2, 1}});
        SetCurrentSensitivity(10);
    }
    void TearDown() override
    {
        TearDownDialogHarness();
        RestoreStoredKey(Saved);
    }
    StoredKeySnapshot Saved;
};

TEST_F(SensitivityReloadTest, CancelWithoutAMoveKeepsAndSendsTheReloadedValue)
{
    HWND owner = DialogHarness.Owner;
    RunDialogSteps({
        [&](HWND) { PostMessageA(owner, WM_TABLET_RELOAD, 0, 0); },
        [](HWND dialog) {
            EXPECT_EQ(20, CurrentSensitivity());
            EXPECT_EQ(10, SliderPosition(dialog)) << "a reload moved the slider";
            PressButton(dialog, IDCANCEL);
        },
    });
    EXPECT_EQ(20, CurrentSensitivity());
    EXPECT_EQ(std::vector<DWORD>({20}), SentSensitivities());
    // The reload handed the stored values to the driver as a block.
    EXPECT_EQ(1u, FakeRequestsOfCode(IOCTL_TABLET_SET_SETTINGS).size());
}

TEST_F(SensitivityReloadTest, CancelAfterAMovePutsBackTheOpeningValueOverTheReloadedOne)
{
    HWND owner = DialogHarness.Owner;
    RunDialogSteps({
        [](HWND dialog) { MoveSlider(dialog, 30); },
        [&](HWND) { PostMessageA(owner, WM_TABLET_RELOAD, 0, 0); },
        [](HWND dialog) {
            EXPECT_EQ(20, CurrentSensitivity());
            EXPECT_EQ(30, SliderPosition(dialog));
            PressButton(dialog, IDCANCEL);
        },
    });
    EXPECT_EQ(10, CurrentSensitivity());
    EXPECT_EQ(std::vector<DWORD>({30, 10}), SentSensitivities());
}

TEST_F(SensitivityReloadTest, ANotificationAtTheSamePositionCountsAsAMove)
{
    HWND owner = DialogHarness.Owner;
    RunDialogSteps({
        [](HWND dialog) { MoveSlider(dialog, 10, TB_ENDTRACK); },
        [&](HWND) { PostMessageA(owner, WM_TABLET_RELOAD, 0, 0); },
        [](HWND dialog) {
            EXPECT_EQ(20, CurrentSensitivity());
            PressButton(dialog, IDCANCEL);
        },
    });
    EXPECT_EQ(10, CurrentSensitivity());
    EXPECT_EQ(std::vector<DWORD>({10, 10}), SentSensitivities());
}

}  // namespace
