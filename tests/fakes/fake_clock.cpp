// A simulated clock: sleeps move it on at once, timed waits end when a test
// has moved it past their time, and timers are only recorded.
#include "fakes/fake_os.h"

FakeClockState FakeClock;
void (*FakeSleepHook)(DWORD now);
static CRITICAL_SECTION ClockLock;
static bool ClockLockReady;

static void LockClock()
{
    if (!ClockLockReady) {
        InitializeCriticalSection(&ClockLock);
        ClockLockReady = true;
    }
    EnterCriticalSection(&ClockLock);
}

static void UnlockClock() { LeaveCriticalSection(&ClockLock); }

void ResetFakeClock(DWORD now)
{
    LockClock();
    FakeClock.Now = (LONG)now;
    FakeClock.Micros = 0;
    FakeClock.Sleeps.clear();
    FakeClock.Waits.clear();
    FakeClock.WaitsInProgress = 0;
    FakeClock.Timers.clear();
    FakeClock.SetTimerCalls.clear();
    FakeClock.KillTimerCalls.clear();
    FakeSleepHook = NULL;
    UnlockClock();
}

void AdvanceFakeClock(DWORD ms) { InterlockedExchangeAdd(&FakeClock.Now, (LONG)ms); }

size_t FakeWaitCount()
{
    LockClock();
    size_t n = FakeClock.Waits.size();
    UnlockClock();
    return n;
}

bool WaitForFakeWaits(size_t count, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (FakeWaitCount() >= count && FakeClock.WaitsInProgress > 0)
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(1);
    }
}

void AdvanceFakeClockMicros(LONGLONG micros)
{
    FakeClock.Micros += micros;
    AdvanceFakeClock((DWORD)(FakeClock.Micros / 1000));
    FakeClock.Micros %= 1000;
}

DWORD OsGetTickCount() { return (DWORD)FakeClock.Now; }

LONGLONG OsReadPerformanceCounter()
{
    return (LONGLONG)(DWORD)FakeClock.Now * 1000 + FakeClock.Micros;
}

LONGLONG OsReadPerformanceFrequency() { return 1000000; }

void OsSleep(DWORD ms)
{
    LockClock();
    FakeClock.Sleeps.push_back(ms);
    UnlockClock();
    AdvanceFakeClock(ms);
    if (FakeSleepHook)
        FakeSleepHook((DWORD)FakeClock.Now);
    Sleep(0);
}

DWORD OsWaitForSingleObject(HANDLE handle, DWORD ms)
{
    // The deadline is fixed before the wait is seen to have begun, so a test
    // that advances the clock once it sees the wait always ends it.
    LockClock();
    LONG deadline = FakeClock.Now + (LONG)ms;
    FakeWaitRecord record = {handle, ms};
    FakeClock.Waits.push_back(record);
    InterlockedIncrement(&FakeClock.WaitsInProgress);
    UnlockClock();

    DWORD result;
    if (ms == INFINITE) {
        result = WaitForSingleObject(handle, INFINITE);
    } else {
        for (;;) {
            result = WaitForSingleObject(handle, 1);
            if (result != WAIT_TIMEOUT)
                break;
            if (FakeClock.Now - deadline >= 0)
                break;
        }
    }
    InterlockedDecrement(&FakeClock.WaitsInProgress);
    return result;
}

UINT_PTR OsSetTimer(HWND window, UINT_PTR id, UINT ms)
{
    LockClock();
    FakeTimer timer = {window, id, ms};
    FakeClock.SetTimerCalls.push_back(timer);
    bool replaced = false;
    for (FakeTimer &t : FakeClock.Timers)
        if (t.Window == window && t.Id == id) {
            t = timer;
            replaced = true;
        }
    if (!replaced)
        FakeClock.Timers.push_back(timer);
    UnlockClock();
    return id;
}

BOOL OsKillTimer(HWND window, UINT_PTR id)
{
    LockClock();
    FakeTimer timer = {window, id, 0};
    FakeClock.KillTimerCalls.push_back(timer);
    BOOL found = FALSE;
    for (size_t i = 0; i < FakeClock.Timers.size(); i++)
        if (FakeClock.Timers[i].Window == window && FakeClock.Timers[i].Id == id) {
            FakeClock.Timers.erase(FakeClock.Timers.begin() + i);
            found = TRUE;
            break;
        }
    UnlockClock();
    return found;
}
