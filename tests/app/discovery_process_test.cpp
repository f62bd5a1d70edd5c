// The built program, started without a tablet: it waits for one, serves a
// request sent by another process during the wait, and ends cleanly.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "res/resource.h"
#include "settings/stored_values.h"

namespace {

const char ERROR_CAPTION[] = "Vellum USB Tablet Driver Error";

// The build tree's path of the program, as Wine sees it.
std::string ProgramPath()
{
    std::string path = "Z:" STYLOHID_EXE_PATH;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

struct RunningCopy {
    PROCESS_INFORMATION Process;
    HWND Window;
};

struct WindowSearch {
    DWORD ProcessId;
    HWND Found;
};

BOOL CALLBACK MatchMainWindow(HWND window, LPARAM param)
{
    WindowSearch *search = (WindowSearch *)param;
    char name[64];
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->ProcessId && GetClassNameA(window, name, sizeof name) &&
        lstrcmpiA(name, MAIN_WINDOW_CLASS) == 0) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

// The main window of one process, found as other programs find it: by class.
HWND FindMainWindowOf(DWORD processId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        WindowSearch search = {processId, NULL};
        EnumWindows(MatchMainWindow, (LPARAM)&search);
        if (search.Found)
            return search.Found;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return NULL;
}

bool StartCopy(RunningCopy *copy)
{
    ZeroMemory(copy, sizeof *copy);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    std::string path = ProgramPath();
    std::string commandLine = "\"" + path + "\"";
    if (!CreateProcessA(path.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL,
                        &startup, &copy->Process))
        return false;
    copy->Window = FindMainWindowOf(copy->Process.dwProcessId, 30000);
    return copy->Window != NULL;
}

bool EndsWithCode(const RunningCopy &copy, DWORD ms, DWORD *code)
{
    if (WaitForSingleObject(copy.Process.hProcess, ms) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(copy.Process.hProcess, code) != 0;
}

bool StillRunning(const RunningCopy &copy, DWORD ms)
{
    return WaitForSingleObject(copy.Process.hProcess, ms) == WAIT_TIMEOUT;
}

class DiscoveryProcessTest : public testing::Test {
protected:
    RunningCopy First;
    void SetUp() override { ZeroMemory(&First, sizeof First); }
    void TearDown() override { EndCopy(&First); }
    static void EndCopy(RunningCopy *copy)
    {
        if (!copy->Process.hProcess)
            return;
        if (WaitForSingleObject(copy->Process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(copy->Process.hProcess, 99);
        CloseHandle(copy->Process.hProcess);
        CloseHandle(copy->Process.hThread);
    }
    // Command IDM_CLOSE, sent as another program sends it.
    static bool SendCloseCommand(HWND window)
    {
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(window, WM_COMMAND, IDM_CLOSE, 0, SMTO_NORMAL, 20000,
                                   &result) != 0;
    }
};

TEST_F(DiscoveryProcessTest, WaitsForTheTabletAndServesASentCommandCloseMeanwhile)
{
    ASSERT_TRUE(StartCopy(&First)) << ProgramPath();
    EXPECT_TRUE(StillRunning(First, 1000)) << "the program must wait for the tablet";
    EXPECT_FALSE(IsWindowVisible(First.Window));
    EXPECT_TRUE(FindWindowA("#32770", ERROR_CAPTION) == NULL) << "the wait gave up at once";

    EXPECT_TRUE(SendCloseCommand(First.Window)) << "not served during the wait";

    DWORD code = 99;
    ASSERT_TRUE(EndsWithCode(First, 20000, &code));
    EXPECT_EQ(0u, code);
}

}  // namespace
