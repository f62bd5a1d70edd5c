// Profile switches by the program in front, measured: the real program with a
// profile "Office" (relative, for notepad.exe) over machine settings in
// absolute mode, while pen packets come at a tablet's rate.  Notepad and a
// window of this process take turns in front; for each turn, the time from
// the window brought to the front to the driver's receipt of the block in
// force.  Then the packets lost, the program's memory, threads and handles
// after the first turns and at the end, and the stored values before the
// program started and after it ended.
//
//   switches.exe [alternations]   (default 200)
#include "bench.h"

#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <string>

#include "post_counter.h"
#include "shared/profiles.h"
#include "shared/stored_values.h"

#define FEED_RATE 266           // packets per second
#define WARM_UP_TURNS 10        // before the first look at the resources
#define PHASE_MS 150            // each turn holds this long after its block
#define BLOCK_TIMEOUT_MS 2000   // a turn without its block by then is missed
#define BLOCK_ABSOLUTE 4        // offset of the pointer mode in the block

static struct {
    std::string BuildFolder;
    PROCESS_INFORMATION Program, Notepad;
    unsigned UnixPid;
    HWND Own, NotepadWindow;
    volatile LONG StopFeeding;
    std::vector<VTabletLogEntry> Log;  // every request, read as it comes
    unsigned NextLog;
} Run;

static DWORD WINAPI FeedPackets(void *)
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    LONGLONG start = Now();
    unsigned long long sent = 0;
    while (!Run.StopFeeding) {
        double elapsed = TicksToMicroseconds(Now() - start) / 1e6;
        unsigned long long due = (unsigned long long)(elapsed * FEED_RATE) + 1;
        if (due > sent) {
            QueueNumberedPackets((unsigned)(due - sent), PEN_STATUS_IN_RANGE);
            sent = due;
        }
        Sleep(2);
    }
    return 0;
}

static void TakeLog()
{
    std::vector<VTabletLogEntry> more = ReadLogSince(Run.NextLog);
    if (!more.empty() && more.front().Sequence != Run.NextLog)
        fprintf(stderr, "switches: the driver's log wrapped; requests lost to the count\n");
    Run.Log.insert(Run.Log.end(), more.begin(), more.end());
    if (!more.empty())
        Run.NextLog = more.back().Sequence + 1;
}

static void Pump(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(1);
    } while (GetTickCount() - start < ms);
}

static void PutDword(HKEY root, const char *path, const char *name, DWORD number)
{
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&number, sizeof number);
    RegCloseKey(key);
}

// The machine settings in absolute mode (the whole tablet, whose ends the
// program saves as the tablet's maxima; buttons that do nothing), and the
// profile.  The user's key is emptied by the script.
static void StoreSettings()
{
    const struct {
        const char *Name;
        DWORD Number;
    } machine[] = {{VALUE_ABSOLUTE, 1}, {VALUE_LANDSCAPE, 0}, {VALUE_SENSITIVITY, 20},
                   {VALUE_WORKING_AREA, 1}, {VALUE_START_X, 0}, {VALUE_START_Y, 0},
                   {VALUE_END_X, 0x7FFF}, {VALUE_END_Y, 0x5FFF}, {VALUE_BUTTON1, 0},
                   {VALUE_BUTTON2, 0}};
    for (const auto &v : machine)
        PutDword(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, v.Name, v.Number);
    const char *path = PROFILES_KEY_PATH "\\Office";
    PutDword(HKEY_CURRENT_USER, path, VALUE_ABSOLUTE, 0);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        static const char programs[] = "notepad.exe\0";
        RegSetValueExA(key, VALUE_PROGRAMS, 0, REG_MULTI_SZ, (const BYTE *)programs,
                       sizeof programs);
        RegCloseKey(key);
    }
}

static std::string StoredValuesText()
{
    std::string text;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(no key)";
    for (int i = 0; i < SETTING_VALUE_COUNT; i++) {
        BYTE data[64];
        DWORD type = 0, size = sizeof data;
        const char *name = SettingValueInfo(i)->Name;
        text += name;
        if (RegQueryValueExA(key, name, NULL, &type, data, &size) != ERROR_SUCCESS)
            text += "=- ";
        else if (type == REG_DWORD)
            text += "=" + std::to_string(*(DWORD *)data) + " ";
        else
            text += "=" + std::string((const char *)data, size) + " ";
    }
    RegCloseKey(key);
    return text;
}

struct Sample {
    bool Taken, HaveWine;
    UnixProcessStatus Unix;
    ULONG WineThreads, WineHandles;
    long Handles;
};

static Sample SampleProgram()
{
    Sample s;
    ZeroMemory(&s, sizeof s);
    s.Taken = ReadUnixProcessStatus(Run.UnixPid, &s.Unix);
    s.HaveWine = ReadWineCounts(Run.Program.dwProcessId, &s.WineThreads, &s.WineHandles);
    s.Handles = CountProcessHandles(Run.Program.dwProcessId);
    return s;
}

// The program's UI thread counts the packets it takes (post_counter.dll).
static PostCounter *HookPostCounter()
{
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0,
                                        sizeof(PostCounter), POST_COUNTER_NAME);
    PostCounter *counter = mapping ? (PostCounter *)MapViewOfFile(
                                         mapping, FILE_MAP_WRITE, 0, 0, sizeof(PostCounter))
                                   : NULL;
    HMODULE module = LoadLibraryA((Run.BuildFolder + "bench\\post_counter.dll").c_str());
    HOOKPROC hook = module ? (HOOKPROC)(void *)GetProcAddress(module, POST_COUNTER_HOOK) : NULL;
    DWORD thread = GetWindowThreadProcessId(FindWindowA(MAIN_WINDOW_CLASS, NULL), NULL);
    if (!counter || !hook || !SetWindowsHookExA(WH_GETMESSAGE, hook, module, thread)) {
        fprintf(stderr, "switches: no post counter\n");
        return NULL;
    }
    return counter;
}

static bool StartNotepad()
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    char command[] = "notepad.exe";
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &Run.Notepad))
        return false;
    WaitForInputIdle(Run.Notepad.hProcess, 10000);
    for (int i = 0; i < 200 && !Run.NotepadWindow; i++) {
        Run.NotepadWindow = FindWindowA("Notepad", NULL);
        Sleep(50);
    }
    return Run.NotepadWindow != NULL;
}

// One turn: the window to the front, then the block with this pointer mode;
// the time in ms, or -1 when none came.
static double Turn(HWND window, unsigned char absolute)
{
    VTabletState state;
    GetVirtualTabletState(&state);
    unsigned before = state.SettingsCount;
    LONGLONG start = Now();
    SetForegroundWindow(window);
    double ms = -1;
    while (TicksToMicroseconds(Now() - start) < BLOCK_TIMEOUT_MS * 1000.0) {
        if (GetVirtualTabletState(&state) && state.SettingsCount > before &&
            state.Settings[BLOCK_ABSOLUTE] == absolute) {
            ms = TicksToMicroseconds(Now() - start) / 1000.0;
            break;
        }
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    Pump(PHASE_MS);
    TakeLog();
    return ms;
}

static void PrintTimes(const char *label, std::vector<double> times)
{
    std::vector<double> got;
    for (double t : times)
        if (t >= 0)
            got.push_back(t);
    std::sort(got.begin(), got.end());
    if (got.empty()) {
        printf("  %-44s none of %zu\n", label, times.size());
        return;
    }
    printf("  %-44s p50 %.1f  p95 %.1f  max %.1f ms; %zu of %zu within 100 ms\n", label,
           got[got.size() / 2], got[got.size() * 95 / 100], got.back(),
           (size_t)std::count_if(got.begin(), got.end(), [](double t) { return t <= 100; }),
           times.size());
}

static void PrintSamples(const Sample &first, const Sample &last)
{
    printf("\n  %-44s %12s %12s\n", "the program", "first turns", "at the end");
    printf("  %-44s %12lu %12lu\n", "resident memory, kB (Linux)", first.Unix.RssKb,
           last.Unix.RssKb);
    printf("  %-44s %12lu %12lu\n", "threads (Wine server)", first.WineThreads,
           last.WineThreads);
    printf("  %-44s %12lu %12lu\n", "threads (Linux, Wine's own included)",
           first.Unix.Threads, last.Unix.Threads);
    printf("  %-44s %12ld %12ld\n", "handles, one by one (Wine server)", first.Handles,
           last.Handles);
    printf("  %-44s %12lu %12lu\n", "open file descriptors (Linux)", first.Unix.OpenFiles,
           last.Unix.OpenFiles);
}

int main(int argc, char **argv)
{
    unsigned turns = argc > 1 ? (unsigned)atoi(argv[1]) : 200;
    Run.BuildFolder = FolderOfThisProgram(2);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    StartMoveHook();
    ResetVirtualTablet();
    ResetPacketNumbers();
    StoreSettings();
    std::string storedBefore = StoredValuesText();
    Run.Own = CreateWindowExA(0, "STATIC", "switches", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0,
                              300, 200, NULL, NULL, NULL, NULL);
    SetForegroundWindow(Run.Own);
    Pump(200);
    if (!StartMeasuredProcess(Run.BuildFolder + "stylohid.exe", "stylohid.exe",
                              Run.BuildFolder, &Run.Program))
        return 1;
    Run.UnixPid = FindUnixProcess("stylohid.exe");
    PostCounter *posts = HookPostCounter();
    if (!StartNotepad()) {
        fprintf(stderr, "switches: Notepad did not start\n");
        return 1;
    }
    // Notepad came to the front as it opened: the turns begin from the other.
    SetForegroundWindow(Run.Own);
    Pump(500);
    Run.NextLog = LogTotal();
    LONG postsBefore = posts ? posts->Posts : 0;
    HANDLE feeder = CreateThread(NULL, 0, FeedPackets, NULL, 0, NULL);

    std::vector<double> toProfile, toMachine;
    Sample first;
    ZeroMemory(&first, sizeof first);
    for (unsigned i = 0; i < turns + WARM_UP_TURNS; i++) {
        double a = Turn(Run.NotepadWindow, 0);
        double b = Turn(Run.Own, 1);
        if (i < WARM_UP_TURNS) {
            if (i == WARM_UP_TURNS - 1)
                first = SampleProgram();
            continue;
        }
        toProfile.push_back(a);
        toMachine.push_back(b);
    }
    InterlockedExchange(&Run.StopFeeding, 1);
    WaitForSingleObject(feeder, INFINITE);
    CloseHandle(feeder);
    WaitUntil(QueueEmpty, 5000);
    Pump(500);
    TakeLog();
    Sample last = SampleProgram();
    VTabletState state;
    ZeroMemory(&state, sizeof state);
    GetVirtualTabletState(&state);
    unsigned reads = 0, blocks = 0;
    for (const VTabletLogEntry &e : Run.Log)
        if (e.ProcessId == Run.Program.dwProcessId) {
            reads += e.Code == IOCTL_TABLET_READ_PACKET;
            blocks += e.Code == IOCTL_TABLET_SET_SETTINGS;
        }
    LONG taken = posts ? posts->Posts - postsBefore : -1;

    CloseProgram();
    AwaitProcessEnd(&Run.Program, 10000);
    TerminateProcess(Run.Notepad.hProcess, 0);
    StopMoveHook();
    std::string storedAfter = StoredValuesText();

    printf("\nswitches: %u alternations (after %d to warm up), packets at %d/s\n", turns,
           WARM_UP_TURNS, FEED_RATE);
    PrintTimes("Notepad in front: Office's block after", toProfile);
    PrintTimes("the other in front: the machine's block after", toMachine);
    printf("  %-44s %12u\n", "blocks the program sent (log)", blocks);
    printf("  %-44s %12u\n", "packets queued", NextPacketNumber());
    printf("  %-44s %12u\n", "packets handed out by the driver", state.Delivered);
    printf("  %-44s %12u\n", "dropped by the driver's full queue", state.Dropped);
    printf("  %-44s %12u\n", "reads by the program (log)", reads);
    printf("  %-44s %12ld\n", "packets its window took", (long)taken);
    printf("  %-44s %12ld\n", "lost between the reader and the window",
           taken >= 0 ? (long)reads - taken : -1);
    PrintSamples(first, last);
    printf("\n  stored values before: %s\n  stored values after:  %s\n  %s\n",
           storedBefore.c_str(), storedAfter.c_str(),
           storedBefore == storedAfter ? "unchanged" : "CHANGED");
    return 0;
}
