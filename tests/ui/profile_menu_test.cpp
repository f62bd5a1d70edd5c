// The notification icon's menu of a user with profiles: what it holds, and
// what choosing from it with the keyboard does, on the fake shell.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "settings/profile_window_harness.h"
#include "settings/profiles.h"
#include "settings/profiles_key_guard.h"
#include "ui/tray_icon.h"

namespace {

struct MenuItemSeen {
    std::string Text;
    UINT Type, State;
};

// What the menu held when it opened; the keys to press in it.
static struct {
    HHOOK Hook;
    std::vector<WPARAM> Keys;
    bool Opened;
    HWND Foreground;
    std::vector<MenuItemSeen> Items;
} Menu;

LRESULT CALLBACK PressKeysInMenu(int code, WPARAM wParam, LPARAM lParam)
{
    HWND menuWindow = FindWindowA("#32768", NULL);
    if (code == MSGF_MENU && !Menu.Opened && menuWindow) {
        Menu.Opened = true;
        Menu.Foreground = GetForegroundWindow();
        HMENU menu = (HMENU)SendMessageA(menuWindow, 0x01E1 /* MN_GETHMENU */, 0, 0);
        for (int i = 0; i < GetMenuItemCount(menu); i++) {
            char text[128] = "";
            MENUITEMINFOA info;
            ZeroMemory(&info, sizeof info);
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = sizeof text;
            GetMenuItemInfoA(menu, i, TRUE, &info);
            Menu.Items.push_back({text, info.fType, info.fState});
        }
        for (WPARAM key : Menu.Keys)
            PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
    }
    return CallNextHookEx(Menu.Hook, code, wParam, lParam);
}

struct MenuCase {
    const char *Name;
    std::vector<WPARAM> Keys;
    const char *InForce;     // after the menu; "": the machine settings
    const char *Chosen;      // the Profile value after it
    const char *Automatic;   // the AutoProfiles value after it
    size_t BlocksSent;
    size_t AppletsStarted;
};

void PrintTo(const MenuCase &c, std::ostream *os) { *os << c.Name; }

const WPARAM Down = VK_DOWN, Up = VK_UP, Enter = VK_RETURN;
const MenuCase MenuCases[] = {
    {"EscClosesItAndChangesNothing", {VK_ESCAPE}, "", "(none)", "(none)", 0, 0},
    {"AProfileChosenIsPutInForceAndKept", {Down, Down, Down, Enter}, "R&D", "R&D", "(none)", 1,
     0},
    {"TheOneInForceChosenSendsNothing", {Down, Enter}, "", "", "(none)", 0, 0},
    {"SwitchByProgramTurnsItOff", {Down, Down, Down, Down, Enter}, "", "(none)", "0", 0, 0},
    {"SettingsOpensTheApplet", {Up, Enter}, "", "(none)", "(none)", 0, 1},
};

class ProfileMenuTest : public testing::TestWithParam<MenuCase> {
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
        PutStoredDword(key, VALUE_ABSOLUTE, 1);
        RegCloseKey(key);
        PutUserDword("Office", VALUE_ABSOLUTE, 0);
        PutPrograms("Office", std::string("notepad.exe") + '\0');
        PutUserDword("R&D", VALUE_LANDSCAPE, 1);

        Window = StartProfileWindow();
        ASSERT_TRUE(Window != NULL);
        ShowTrayIcon(Window);
        FakeDriver.Log.clear();
        FakeShell.NotifyCalls.clear();
        Menu.Opened = false;
        Menu.Items.clear();
        Menu.Hook = SetWindowsHookExA(WH_MSGFILTER, PressKeysInMenu, NULL, GetCurrentThreadId());
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(Menu.Hook);
        EndProfileWindow(Window);
        RestoreUserKey(SavedUser);
        RestoreSettingsKey(Guard);
    }

    std::string UserDword(const char *name)
    {
        HKEY key;
        DWORD number = 0, type = 0, size = sizeof number;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, USER_KEY_PATH, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "(no key)";
        LONG read = RegQueryValueExA(key, name, NULL, &type, (BYTE *)&number, &size);
        RegCloseKey(key);
        return read == ERROR_SUCCESS ? std::to_string(number) : "(none)";
    }
};

TEST_P(ProfileMenuTest, ARightClickOpensTheMenuForTheKeyboard)
{
    const MenuCase &c = GetParam();
    Menu.Keys = c.Keys;
    // The menu's loop calls the hook as it takes a message: one waits for it.
    PostMessageA(Window, WM_APP, 0, 0);
    SendMessageA(Window, WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_RBUTTONUP);

    ASSERT_TRUE(Menu.Opened);
    EXPECT_EQ(Window, Menu.Foreground) << "the window comes to the front first";
    ASSERT_EQ(6u, Menu.Items.size());
    const char *texts[] = {"Machine settings", "Office", "R&&D", "Switch by program", "",
                           "Settings\x85"};
    for (size_t i = 0; i < 6; i++)
        EXPECT_EQ(texts[i], Menu.Items[i].Text) << i;
    EXPECT_TRUE(Menu.Items[0].Type & MFT_RADIOCHECK) << "a radio check on the one in force";
    for (size_t i = 0; i < 3; i++)
        EXPECT_EQ(i == 0, (Menu.Items[i].State & MFS_CHECKED) != 0) << "in force: " << i;
    EXPECT_TRUE(Menu.Items[3].State & MFS_CHECKED) << "switching by program";
    EXPECT_TRUE(Menu.Items[4].Type & MFT_SEPARATOR);
    EXPECT_TRUE(Menu.Items[5].State & MFS_DEFAULT);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, Window, WM_NULL, WM_NULL, PM_REMOVE))
        << "a message follows the menu";

    EXPECT_STREQ(c.InForce, ProfileOverlay.InForce);
    EXPECT_EQ(c.Chosen, GetUserText(VALUE_PROFILE));
    EXPECT_EQ(c.Automatic, UserDword(VALUE_AUTO_PROFILES));
    std::vector<FakeDriverRequest> blocks = FakeRequestsOfCode(IOCTL_TABLET_SET_SETTINGS);
    ASSERT_EQ(c.BlocksSent, blocks.size());
    ASSERT_EQ(c.AppletsStarted, FakeShell.WinExecCalls.size());
    if (c.AppletsStarted)
        EXPECT_EQ("control.exe penpanel.cpl", FakeShell.WinExecCalls[0].first);
    if (c.BlocksSent) {
        DriverSettingsBlock block;
        memcpy(&block, blocks[0].Input.data(), sizeof block);
        EXPECT_EQ(1, block.Landscape) << "R&D's values";
        EXPECT_EQ(1, block.Absolute) << "the machine's where R&D has none";
        ASSERT_FALSE(FakeShell.NotifyCalls.empty());
        EXPECT_STREQ("USB Tablet - R&D", FakeShell.NotifyCalls.back().Data.szTip);
        EXPECT_EQ("R&D", GetUserText(VALUE_PROFILE_IN_FORCE));
    } else {
        EXPECT_TRUE(FakeShell.NotifyCalls.empty()) << "the tip stays";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileMenuTest, testing::ValuesIn(MenuCases),
    [](const testing::TestParamInfo<MenuCase> &info) { return std::string(info.param.Name); });

}  // namespace
