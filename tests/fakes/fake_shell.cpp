// The notification area, WinExec and message boxes, recorded.
#include "fakes/fake_os.h"
#include <cstring>

FakeShellState FakeShell;
void (*FakeNotifyHook)(DWORD message, const NOTIFYICONDATAA *data);
static CRITICAL_SECTION ShellLock;
static bool ShellLockReady;
static std::vector<std::pair<HWND, UINT>> ShownIcons;

static void LockShell()
{
    if (!ShellLockReady) {
        InitializeCriticalSection(&ShellLock);
        ShellLockReady = true;
    }
    EnterCriticalSection(&ShellLock);
}

static void UnlockShell() { LeaveCriticalSection(&ShellLock); }

void ResetFakeShell()
{
    LockShell();
    FakeShell.NotifyCalls.clear();
    FakeShell.RefuseNextAdds = 0;
    FakeShell.WinExecCalls.clear();
    FakeShell.MessageBoxes.clear();
    ShownIcons.clear();
    FakeNotifyHook = NULL;
    UnlockShell();
}

std::vector<FakeMessageBoxCall> CopyFakeMessageBoxes()
{
    LockShell();
    std::vector<FakeMessageBoxCall> copy = FakeShell.MessageBoxes;
    UnlockShell();
    return copy;
}

BOOL OsShellNotifyIcon(DWORD message, NOTIFYICONDATAA *data)
{
    if (FakeNotifyHook)
        FakeNotifyHook(message, data);
    LockShell();
    FakeNotifyCall call;
    ZeroMemory(&call.Data, sizeof call.Data);
    call.CbSize = data->cbSize;
    memcpy(&call.Data, data, NOTIFYICONDATAA_V1_SIZE);
    std::pair<HWND, UINT> icon(data->hWnd, data->uID);
    BOOL result = FALSE;
    if (message == NIM_ADD) {
        if (FakeShell.RefuseNextAdds > 0) {
            FakeShell.RefuseNextAdds--;
        } else {
            bool shown = false;
            for (const auto &i : ShownIcons)
                shown = shown || i == icon;
            if (!shown) {
                ShownIcons.push_back(icon);
                result = TRUE;
            }
        }
    } else if (message == NIM_DELETE) {
        for (size_t i = 0; i < ShownIcons.size(); i++)
            if (ShownIcons[i] == icon) {
                ShownIcons.erase(ShownIcons.begin() + i);
                result = TRUE;
                break;
            }
    }
    call.Message = message;
    call.Result = result;
    FakeShell.NotifyCalls.push_back(call);
    UnlockShell();
    return result;
}

UINT OsWinExec(LPCSTR commandLine, UINT show)
{
    LockShell();
    FakeShell.WinExecCalls.push_back(std::make_pair(std::string(commandLine), show));
    UnlockShell();
    return 33;
}

int OsMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    LockShell();
    FakeMessageBoxCall call = {owner, text ? text : "", caption ? caption : "",
                               type, GetCurrentThreadId()};
    FakeShell.MessageBoxes.push_back(call);
    UnlockShell();
    return IDOK;
}
