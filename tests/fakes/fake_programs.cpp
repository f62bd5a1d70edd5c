// The foreground watch and the programs behind windows, simulated: a test
// names each window's program and brings windows to the front itself.
#include "fakes/fake_os.h"

FakeProgramsState FakePrograms;

void ResetFakePrograms()
{
    FakePrograms.Watcher = NULL;
    FakePrograms.Watches = 0;
    FakePrograms.StoppedWatches = 0;
    FakePrograms.Programs.clear();
}

void SetFakeWindowProgram(HWND window, const char *path)
{
    FakePrograms.Programs.push_back({window, path});
}

void BringFakeWindowToFront(HWND window)
{
    if (FakePrograms.Watcher)
        FakePrograms.Watcher(window);
}

HANDLE OsWatchForeground(ForegroundChanged changed)
{
    FakePrograms.Watches++;
    FakePrograms.Watcher = changed;
    return (HANDLE)&FakePrograms;
}

void OsStopWatchingForeground(HANDLE watch)
{
    if (!watch)
        return;
    FakePrograms.StoppedWatches++;
    FakePrograms.Watcher = NULL;
}

bool OsReadWindowProgram(HWND window, char *path, DWORD size)
{
    for (const FakeWindowProgram &p : FakePrograms.Programs)
        if (p.Window == window) {
            lstrcpynA(path, p.Path.c_str(), size);
            return true;
        }
    path[0] = '\0';
    return false;
}
