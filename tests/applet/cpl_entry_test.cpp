// The control-panel protocol of penpanel.cpl, as control.exe drives it.
#include "applet_harness.h"
#include "panel_resource.h"

TEST_F(AppletTest, AnswersTheControlPanelAsOneAppletNamedUsbTablet)
{
    EXPECT_EQ(1, Applet(NULL, CPL_GETCOUNT, 0, 0));

    CPLINFO info;
    memset(&info, 0xCC, sizeof info);
    EXPECT_EQ(0, Applet(NULL, CPL_INQUIRE, 0, (LPARAM)&info));
    char name[64] = "";
    ASSERT_GT(LoadStringA(Module, info.idName, name, sizeof name), 0);
    EXPECT_STREQ("USB Tablet", name);
    char description[128] = "";
    EXPECT_GT(LoadStringA(Module, info.idInfo, description, sizeof description), 0);
    EXPECT_NE((HICON)NULL, LoadIconA(Module, MAKEINTRESOURCEA(info.idIcon)));
    EXPECT_EQ(0, info.lData);

    NEWCPLINFOA newInfo;
    memset(&newInfo, 0xCC, sizeof newInfo);
    newInfo.dwSize = sizeof newInfo;
    EXPECT_EQ(0, Applet(NULL, CPL_NEWINQUIRE, 0, (LPARAM)&newInfo));
    EXPECT_EQ(sizeof newInfo, newInfo.dwSize);
    EXPECT_STREQ("USB Tablet", newInfo.szName);
    EXPECT_NE((HICON)NULL, newInfo.hIcon);
    EXPECT_EQ('\0', newInfo.szHelpFile[0]);

    EXPECT_EQ(0, Applet(NULL, CPL_STOP, 0, 0));
}

TEST_F(AppletTest, DoubleClickOpensTheSettingsDialogAndCancelClosesIt)
{
    HWND seen = NULL;
    WithDialog([&](HWND dialog) {
        seen = dialog;
        EXPECT_NE((HWND)NULL, GetDlgItem(dialog, IDOK));
        EXPECT_NE((HWND)NULL, GetDlgItem(dialog, IDCANCEL));
        EXPECT_NE((HWND)NULL, GetDlgItem(dialog, IDC_APPLY));
        ClickControl(dialog, IDCANCEL);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    EXPECT_FALSE(IsWindow(seen));
    EXPECT_EQ(0, ReloadsReceived);
}

// Needs the applet installed in the prefix (scripts/install-applet.sh, run
// by ctest before the applet's tests).
TEST_F(AppletTest, ControlExeOpensTheInstalledApplet)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    char command[] = "control.exe penpanel.cpl";
    ASSERT_TRUE(CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL,
                               &startup, &process));
    HWND dialog = NULL;
    for (int attempt = 0; attempt < 300 && !dialog; attempt++) {
        dialog = FindWindowA("#32770", PANEL_CAPTION);
        if (!dialog)
            Sleep(100);
    }
    EXPECT_NE((HWND)NULL, dialog) << "control.exe showed no \"USB Tablet\" dialog";
    if (dialog) {
        DWORD owner = 0;
        GetWindowThreadProcessId(dialog, &owner);
        EXPECT_NE(GetCurrentProcessId(), owner);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 30000));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0, ReloadsReceived);
}
