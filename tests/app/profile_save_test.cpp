// Profiles never reach the machine's stored values: switches and commands,
// then the shutdown, leave the settings key as the machine settings had it;
// a command lasts while its settings are in force.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "settings/profile_window_harness.h"
#include "settings/profiles.h"
#include "settings/profiles_key_guard.h"

namespace {

enum Step { TO_OFFICE, TO_OTHER_PROGRAM, PORTRAIT };

struct SaveCase {
    const char *Name;
    std::vector<Step> Steps;
    unsigned BlocksSent;          // by the switches
    USHORT Absolute, Landscape;   // in the last block sent
    DWORD StoredLandscape;        // saved at shutdown
};

void PrintTo(const SaveCase &c, std::ostream *os) { *os << c.Name; }

const SaveCase SaveCases[] = {
    {"CommandUnderAProfileThenShutdown", {TO_OFFICE, PORTRAIT}, 1, 0, 0, 0},
    {"CommandUnderAProfileEndsAtTheNextSwitch", {TO_OFFICE, PORTRAIT, TO_OTHER_PROGRAM}, 2,
     1, 0, 0},
    {"CommandUnderTheMachineIsKeptAcrossSwitches", {PORTRAIT, TO_OFFICE, TO_OTHER_PROGRAM}, 2,
     1, 1, 1},
    {"CommandUnderTheMachineThenAProfileAtShutdown", {PORTRAIT, TO_OFFICE}, 1, 0, 1, 1},
    {"TheProfileInForceAgainSendsNothing", {TO_OFFICE, TO_OFFICE}, 1, 0, 0, 0},
};

class ProfileSaveTest : public testing::TestWithParam<SaveCase> {
protected:
    SettingsKeyGuard Guard;
    std::vector<SavedUserKey> SavedUser;
    HWND Window;

    void SetUp() override
    {
        Guard = SaveSettingsKey();
        SavedUser = SaveUserKey();
        DeleteUserKey();
        HKEY key = CreateEmptySettingsKey();
        const struct {
            const char *Name;
            DWORD Number;
        } machine[] = {{VALUE_ABSOLUTE, 1}, {VALUE_LANDSCAPE, 0}, {VALUE_SENSITIVITY, 20},
                       {VALUE_WORKING_AREA, 1}, {VALUE_BUTTON1, 2}, {VALUE_BUTTON2, 1}};
        for (const auto &v : machine)
            PutStoredDword(key, v.Name, v.Number);
        RegCloseKey(key);
        PutUserDword("Office", VALUE_ABSOLUTE, 0);
        PutUserDword("Office", VALUE_SENSITIVITY, 40);
        PutPrograms("Office", std::string("notepad.exe") + '\0');

        Window = StartProfileWindow();
        ASSERT_TRUE(Window != NULL);
        FakeDriver.Log.clear();
    }
    void TearDown() override
    {
        EndProfileWindow(Window);
        RestoreUserKey(SavedUser);
        RestoreSettingsKey(Guard);
    }

    // Another process's window comes to the front, running this program.
    void BringToFront(const char *path)
    {
        HWND other = GetDesktopWindow();
        FakePrograms.Programs.clear();
        SetFakeWindowProgram(other, path);
        ProfileSwitch.Foreground = NULL;  // as if another window had been in front
        BringFakeWindowToFront(other);
    }
};

TEST_P(ProfileSaveTest, TheMachineValuesStay)
{
    const SaveCase &c = GetParam();
    ASSERT_EQ(1, FakePrograms.Watches) << "profiles follow the program in front";
    for (Step step : c.Steps) {
        if (step == TO_OFFICE)
            BringToFront("C:\\windows\\system32\\notepad.exe");
        else if (step == TO_OTHER_PROGRAM)
            BringToFront("C:\\windows\\system32\\calc.exe");
        else
            SendMessageA(Window, WM_COMMAND, IDM_PORTRAIT, 0);
    }

    std::vector<FakeDriverRequest> blocks = FakeRequestsOfCode(IOCTL_TABLET_SET_SETTINGS);
    ASSERT_EQ(c.BlocksSent, blocks.size());
    DriverSettingsBlock last;
    ASSERT_EQ(sizeof last, blocks.back().Input.size());
    memcpy(&last, blocks.back().Input.data(), sizeof last);
    EXPECT_EQ(c.Absolute, last.Absolute);
    EXPECT_EQ(c.Landscape, last.Landscape);
    EXPECT_EQ(c.Absolute ? 20 : 40, last.Sensitivity);

    SendMessageA(Window, WM_CLOSE, 0, 0);
    DWORD number = 0;
    EXPECT_TRUE(GetStoredDword(VALUE_ABSOLUTE, &number) && number == 1);
    EXPECT_TRUE(GetStoredDword(VALUE_SENSITIVITY, &number) && number == 20);
    EXPECT_TRUE(GetStoredDword(VALUE_LANDSCAPE, &number));
    EXPECT_EQ(c.StoredLandscape, number);
    EXPECT_EQ("", GetUserText(VALUE_PROFILE_IN_FORCE)) << "nothing is in force once ended";
    EXPECT_EQ(0, FakePrograms.Watches - FakePrograms.StoppedWatches);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileSaveTest, testing::ValuesIn(SaveCases),
    [](const testing::TestParamInfo<SaveCase> &info) { return std::string(info.param.Name); });

}  // namespace
