// The real executable, started as its own process without a tablet: it waits
// resident with an invisible window of class "stylohid", a later copy replaces
// it, and it ends with exit code 0 when told to close.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "res/resource.h"

namespace {

// The test tree's build of the program, as a Windows path.
std::string ProgramPath()
{
    std::string path = "Z:" STYLOHID_EXE_PATH;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

PROCESS_INFORMATION StartProgram()
{
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof pi);
    std::string commandLine = "\"" + ProgramPath() + "\"";
    EXPECT_TRUE(CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL,
                               NULL, &si, &pi))
        << ProgramPath() << " error " << GetLastError();
    return pi;
}

// The window of class "stylohid" that belongs to the process, once it is up.
HWND WaitForProgramWindow(DWORD processId, DWORD timeoutMs = 20000)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND w = NULL;
        while ((w = FindWindowExA(NULL, w, "stylohid", NULL)) != NULL) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == processId)
                return w;
        }
        Sleep(20);
    }
    return NULL;
}

int CountProgramWindows()
{
    int n = 0;
    HWND w = NULL;
    while ((w = FindWindowExA(NULL, w, "stylohid", NULL)) != NULL)
        n++;
    return n;
}

DWORD WaitForExit(const PROCESS_INFORMATION &pi, DWORD timeoutMs = 20000)
{
    DWORD code = 0xDEAD;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

void EndProgram(PROCESS_INFORMATION &pi)
{
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

TEST(ProgramProcess, WaitsResidentAndInvisibleAndServesTheCloseCommandMeanwhile)
{
    ASSERT_EQ(0, CountProgramWindows());
    PROCESS_INFORMATION pi = StartProgram();
    HWND window = WaitForProgramWindow(pi.dwProcessId);
    ASSERT_TRUE(window != NULL);
    EXPECT_FALSE(IsWindowVisible(window));
    // No tablet here: the program waits for one, and has not given up.
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(pi.hProcess, 1000));
    EXPECT_TRUE(FindWindowA("#32770", "Vellum USB Tablet Driver Error") == NULL);

    // Sent as another program sends it: served while the wait goes on.
    DWORD_PTR result = 0;
    EXPECT_NE(0, SendMessageTimeoutA(window, WM_COMMAND, IDM_CLOSE, 0, SMTO_NORMAL,
                                     20000, &result));
    EXPECT_EQ(0u, WaitForExit(pi));
    EXPECT_EQ(0, CountProgramWindows());
    EndProgram(pi);
}

TEST(ProgramProcess, ASecondCopyClosesTheFirst)
{
    PROCESS_INFORMATION first = StartProgram();
    HWND firstWindow = WaitForProgramWindow(first.dwProcessId);
    ASSERT_TRUE(firstWindow != NULL);

    PROCESS_INFORMATION second = StartProgram();
    EXPECT_EQ(0u, WaitForExit(first));
    HWND secondWindow = WaitForProgramWindow(second.dwProcessId);
    EXPECT_TRUE(secondWindow != NULL);
    EXPECT_EQ(1, CountProgramWindows());

    PostMessageA(secondWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, WaitForExit(second));
    EndProgram(first);
    EndProgram(second);
}

}  // namespace
