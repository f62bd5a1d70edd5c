// The fake OS boundary of the unit tests: records every call that leaves the
// program and simulates the driver, the HID devices, the shell and the clock.
// Each group's state is a flat record that tests reset in their fixtures.
#ifndef FAKE_OS_H
#define FAKE_OS_H

#include <windows.h>
#include <string>
#include <vector>
#include "os/os.h"
#include "shared/tablet_protocol.h"

// ---- The driver's control device -----------------------------------------
struct FakeDriverRequest {
    DWORD Code;
    std::vector<unsigned char> Input;
    DWORD OutputSize;
    bool HadOutputBuffer;
};

struct FakeDriverState {
    bool RefuseOpen;                     // CreateFile of the device fails
    int Opens;                           // successful opens
    int Closes;                          // closes of the device handle
    bool IsOpen;
    std::vector<FakeDriverRequest> Log;  // every request, in order
    DWORD FailCode;                      // every request of this code fails (0: none)
    int FailNextRequests;                // the next N requests of any code fail
    std::vector<PenPacket> Queue;        // packets waiting to be read
    PenPacket LastRead;                  // what an empty queue answers with
    HANDLE Event;                        // the event handed over by SET_EVENT
    DWORD ShortRead;                     // nonzero: a read writes only this many bytes
};

extern FakeDriverState FakeDriver;
void ResetFakeDriver();
// Called on the requesting thread with each request's code before the fake
// driver takes it (outside the fake's lock), so a test can hold a request
// as a driver that does not answer would; NULL (the reset value) for none.
extern void (*FakeDriverHook)(DWORD code);
// Queues a packet and signals the armed event, as the driver does.
void QueueFakePacket(const PenPacket &packet);
std::vector<FakeDriverRequest> FakeRequestsOfCode(DWORD code);
// A thread-safe copy of the request log.
std::vector<FakeDriverRequest> CopyFakeDriverLog();
DWORD FakeRequestValue(const FakeDriverRequest &request);  // a u32 input

// ---- The clock, sleeps, timed waits and timers -----------------------------
struct FakeTimer {
    HWND Window;
    UINT_PTR Id;
    UINT Ms;
};

struct FakeWaitRecord {
    HANDLE Handle;
    DWORD Ms;
};

struct FakeClockState {
    volatile LONG Now;                  // the simulated tick count
    LONGLONG Micros;                    // the high-resolution counter's part below Now
                                        // (counts of a microsecond)
    std::vector<DWORD> Sleeps;          // every OsSleep, in order
    std::vector<FakeWaitRecord> Waits;  // every OsWaitForSingleObject, in order
    volatile LONG WaitsInProgress;      // threads inside a fake wait
    std::vector<FakeTimer> Timers;      // armed timers
    std::vector<FakeTimer> SetTimerCalls;
    std::vector<FakeTimer> KillTimerCalls;
};

extern FakeClockState FakeClock;
void ResetFakeClock(DWORD now = 1000);
// Moves the simulated clock on; timed waits whose time is up then time out.
void AdvanceFakeClock(DWORD ms);
// Moves it on by microseconds (UI thread only): the high-resolution counter
// counts them, the tick count the whole milliseconds they make up.
void AdvanceFakeClockMicros(LONGLONG micros);
// Blocks (in real time, at most timeoutMs) until some thread is inside a fake
// wait and the count of waits begun has reached `count`.
bool WaitForFakeWaits(size_t count, DWORD timeoutMs = 5000);
size_t FakeWaitCount();
// Called on the sleeping thread after each OsSleep has moved the clock on,
// with the new tick count; NULL (the reset value) for none.
extern void (*FakeSleepHook)(DWORD now);

// ---- The shell, other programs and the user --------------------------------
struct FakeNotifyCall {
    DWORD Message;
    NOTIFYICONDATAA Data;  // the first 88 bytes as passed
    DWORD CbSize;
    BOOL Result;
};

struct FakeMessageBoxCall {
    HWND Owner;
    std::string Text;
    std::string Caption;
    UINT Type;
    DWORD ThreadId;
};

struct FakeShellState {
    std::vector<FakeNotifyCall> NotifyCalls;
    int RefuseNextAdds;  // the next N NIM_ADD calls fail
    std::vector<std::pair<std::string, UINT>> WinExecCalls;
    std::vector<FakeMessageBoxCall> MessageBoxes;
};

extern FakeShellState FakeShell;
void ResetFakeShell();
std::vector<FakeMessageBoxCall> CopyFakeMessageBoxes();
// Called on the calling thread before each OsShellNotifyIcon is answered;
// NULL (the reset value) for none.
extern void (*FakeNotifyHook)(DWORD message, const NOTIFYICONDATAA *data);

// ---- The foreground window and the programs behind windows -----------------
struct FakeWindowProgram {
    HWND Window;
    std::string Path;  // the file of the window's program
};

struct FakeProgramsState {
    ForegroundChanged Watcher;  // the watch in force, NULL when none
    int Watches;                // OsWatchForeground calls
    int StoppedWatches;         // OsStopWatchingForeground calls with a watch
    std::vector<FakeWindowProgram> Programs;  // a window missing here cannot be read
};

extern FakeProgramsState FakePrograms;
void ResetFakePrograms();
// The window's program, read as OsReadWindowProgram reads it.
void SetFakeWindowProgram(HWND window, const char *path);
// The watch in force is told that the window came to the front.
void BringFakeWindowToFront(HWND window);

// ---- The registry -------------------------------------------------------------
// The calls reach the real registry of the test's Wine prefix (tests keep the
// settings key with SettingsKeyGuard).  Called on the reading thread with the
// value's name before each value is read; NULL (the reset value) for none.
extern void (*FakeRegistryReadHook)(LPCSTR name);
// Every open and create in order: the rights asked for, and whether it was a
// create.  FakeRegistryGrant, when not 0, stands for the key's access list
// as a standard user meets it: an open or create asking for any right
// beyond it is refused with ERROR_ACCESS_DENIED, and so is every create of
// a missing key (the user may not add keys there).
struct FakeRegistryOpen {
    REGSAM Access;
    bool Create;
};
extern std::vector<FakeRegistryOpen> FakeRegistryOpens;
extern REGSAM FakeRegistryGrant;
void ResetFakeRegistry();

// ---- Synthetic input ---------------------------------------------------------
struct FakeInputEvent {
    bool IsKey;        // keybd_event if true, mouse_event otherwise
    DWORD Flags;
    DWORD Dx, Dy, Data;  // mouse
    BYTE Vk, Scan;       // key
    ULONG_PTR Extra;
};

struct FakeInputState {
    std::vector<FakeInputEvent> Events;
    LPARAM ExtraInfo;  // what OsGetMessageExtraInfo answers
    int ExtraInfoCalls;
};

extern FakeInputState FakeInput;
void ResetFakeInput();
// Called with each event as it is recorded, when set; ResetFakeInput clears it.
extern void (*FakeInputObserver)(const FakeInputEvent &event);

// ---- HID devices -------------------------------------------------------------
struct FakeHidDevice {
    USHORT Vendor;
    USHORT Product;
    bool EnumFails;          // SetupDiEnumDeviceInterfaces fails (not NO_MORE_ITEMS)
    bool DetailFails;
    bool OpenFails;
    bool PreparsedFails;
    bool AttributesFail;
    bool CapsFail;
    bool HasX, HasY;
    LONG XMax, YMax;
};

struct FakeHidState {
    std::vector<FakeHidDevice> Devices;
    bool ClassDevsFails;
    int Opens, Closes;
    int PreparsedGets, PreparsedFrees;
    int SetsCreated, SetsDestroyed;
    std::vector<DWORD> DetailSizeFields;  // cbSize the caller put in each detail record
    bool EnumFailsPastEnd;  // past the last device: ERROR_GEN_FAILURE, not NO_MORE_ITEMS
    std::vector<DWORD> EnumIndices;       // index of every SetupDiEnumDeviceInterfaces
    int MostOpenAtEnum;       // most device handles open at one enumeration call
    int MostPreparsedAtEnum;  // most preparsed data held at one enumeration call
    std::vector<USHORT> ValueCapsOffered;  // capsLength offered to each value-caps query
    bool OffersNotifications;  // device-change notices can be registered
    int NotificationsHeld;     // registered and not yet unregistered
};

extern FakeHidState FakeHid;
void ResetFakeHid();
FakeHidDevice MakeFakeHidDevice(USHORT vendor, USHORT product, LONG xMax = 0,
                                LONG yMax = 0);

// Resets every fake record above.
void ResetFakeOs();

#endif
