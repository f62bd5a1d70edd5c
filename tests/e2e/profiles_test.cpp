// Profiles with the real program: a real window brought to the front puts
// its program's profile in force (its block reaches the driver), not while
// the pen holds a button, and the machine's stored values stay as they were.
#include "program_fixture.h"

#include <cstring>

#include "app/profile_switch.h"
#include "settings/profiles_key_guard.h"

namespace {

void Pump(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    } while (GetTickCount() - start < ms);
}

struct Front {
    HWND Window;
    DWORD ProcessId;
};

DriverSettingsBlock LastBlock(const std::vector<VTabletLogEntry> &blocks)
{
    DriverSettingsBlock block;
    memcpy(&block, blocks.back().Input, sizeof block);
    return block;
}

TEST_F(Program, TheProgramInFrontSwitchesTheProfileAndTheStoredValuesStay)
{
    std::vector<SavedUserKey> savedUser = SaveUserKey();
    DeleteUserKey();
    // Buttons that do nothing (the pen's button is only held), and the whole
    // tablet, whose ends the program saves as the tablet's maxima.
    WriteSettings({1, 0, 20, 1, 0, 0, 0x7FFF, 0x5FFF, 0, 0});
    PutUserDword("Office", VALUE_ABSOLUTE, 0);
    PutUserDword("Office", VALUE_SENSITIVITY, 40);
    PutPrograms("Office", std::string("notepad.exe") + '\0');
    SettingsKeyGuard before = SaveSettingsKey();

    HWND own = CreateWindowExA(0, "STATIC", "profiles test", WS_POPUP | WS_VISIBLE, 0, 0,
                               200, 100, NULL, NULL, NULL, NULL);
    SetForegroundWindow(own);
    Pump(100);
    StartReady();
    EXPECT_EQ("", GetUserText(VALUE_PROFILE_IN_FORCE));
    auto blocks = [&] { return EntriesOfCode(ProgramLog(), IOCTL_TABLET_SET_SETTINGS); };
    size_t atStart = blocks().size();

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION notepad;
    char command[] = "notepad.exe";
    ASSERT_TRUE(CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                               &notepad));
    WaitForInputIdle(notepad.hProcess, 10000);
    HWND notepadWindow = NULL;
    ASSERT_TRUE(WaitFor([&] { return (notepadWindow = FindWindowA("Notepad", NULL)) != NULL; },
                        10000));
    SetForegroundWindow(notepadWindow);
    ASSERT_TRUE(WaitFor([&] { return blocks().size() > atStart; }, 5000))
        << "no block for the program in front";
    EXPECT_EQ(0, LastBlock(blocks()).Absolute) << "Office: relative";
    EXPECT_EQ(40, LastBlock(blocks()).Sensitivity);
    EXPECT_EQ(1, LastBlock(blocks()).WorkingArea) << "the machine's where Office has none";
    EXPECT_EQ("Office", GetUserText(VALUE_PROFILE_IN_FORCE));

    // The pen holds its button: another program in front changes nothing
    // until the button is let go.
    Queue({MakePenPacket(100, 100, PEN_STATUS_IN_RANGE | PEN_STATUS_BUTTON1)});
    WaitDelivered();
    size_t whileHeld = blocks().size();
    SetForegroundWindow(own);
    Pump(100);
    // The program looks at the window in front now, as its timer has it do.
    SendMessageA(FindProgramWindow(), WM_TIMER, FOREGROUND_POLL_TIMER, 0);
    EXPECT_EQ(whileHeld, blocks().size());
    EXPECT_EQ("Office", GetUserText(VALUE_PROFILE_IN_FORCE));
    Queue({MakePenPacket(100, 100, PEN_STATUS_IN_RANGE)});
    ASSERT_TRUE(WaitFor([&] { return blocks().size() > whileHeld; }, 5000))
        << "no switch once the button was let go";
    EXPECT_EQ(1, LastBlock(blocks()).Absolute);
    EXPECT_EQ(20, LastBlock(blocks()).Sensitivity);
    EXPECT_EQ("", GetUserText(VALUE_PROFILE_IN_FORCE));

    // Notepad in front again, then the end: the stored values as before.
    SetForegroundWindow(notepadWindow);
    ASSERT_TRUE(WaitFor([&] { return LastBlock(blocks()).Absolute == 0; }, 5000));
    PostMessageA(FindProgramWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(EndExitCode(10000), 0u);
    SettingsKeyGuard after = SaveSettingsKey();
    ASSERT_EQ(before.Values.size(), after.Values.size());
    for (size_t i = 0; i < before.Values.size(); i++) {
        EXPECT_EQ(before.Values[i].Name, after.Values[i].Name);
        EXPECT_EQ(before.Values[i].Data, after.Values[i].Data) << before.Values[i].Name;
    }
    EXPECT_EQ("", GetUserText(VALUE_PROFILE_IN_FORCE));

    TerminateProcess(notepad.hProcess, 0);
    CloseHandle(notepad.hProcess);
    CloseHandle(notepad.hThread);
    DestroyWindow(own);
    RestoreUserKey(savedUser);
}

}  // namespace
