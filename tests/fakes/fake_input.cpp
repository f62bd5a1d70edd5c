// Synthetic input, recorded with every argument.
#include "fakes/fake_os.h"

FakeInputState FakeInput;
void (*FakeInputObserver)(const FakeInputEvent &event);

void ResetFakeInput()
{
    FakeInput.Events.clear();
    FakeInput.ExtraInfo = 0x5A5A0001;
    FakeInput.ExtraInfoCalls = 0;
    FakeInputObserver = NULL;
}

static void RecordInput(const FakeInputEvent &e)
{
    FakeInput.Events.push_back(e);
    if (FakeInputObserver)
        FakeInputObserver(e);
}

void OsMouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data, ULONG_PTR extra)
{
    FakeInputEvent e = {false, flags, dx, dy, data, 0, 0, extra};
    RecordInput(e);
}

void OsKeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra)
{
    FakeInputEvent e = {true, flags, 0, 0, 0, vk, scan, extra};
    RecordInput(e);
}

LPARAM OsGetMessageExtraInfo()
{
    FakeInput.ExtraInfoCalls++;
    return FakeInput.ExtraInfo;
}
