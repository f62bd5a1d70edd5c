// The benchmark: the real program, then the yardstick, against the same
// virtual tablet in the same session.  For each: timed runs at fixed packet
// rates and one above what the machine carries, then the reader's wake-ups
// with the pen out of range and in range and still.  Prints one table.
//
//   bench.exe [seconds-per-run] [overload-rate]
//   bench.exe --scroll [seconds-per-run] [rate]
// The second form compares the program's CPU time per packet while pen
// button 1 holds the scroll with plain motion: three runs of each.
#include "bench.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

#include "post_counter.h"
#include "shared/stored_values.h"

#define STOP_EVENT_NAME "StylohidBenchYardstickStop"

static struct {
    std::string BuildFolder;  // holds stylohid.exe, with a trailing backslash
    HANDLE YardstickStop;
    unsigned ContenderUnixPid;  // for its CPU time
    double RunSeconds;
    double OverloadRate;
    DWORD PenStatus;        // of every packet fed
    DWORD Button1Action;    // stored for the program; 0: no settings key
} Bench;

static bool StartContender(bool program, PROCESS_INFORMATION *process)
{
    std::string exe, command;
    if (program) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);  // starting values: absolute
        HKEY key;
        if (Bench.Button1Action &&
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL, 0,
                            KEY_SET_VALUE, NULL, &key, NULL) == ERROR_SUCCESS) {
            RegSetValueExA(key, VALUE_BUTTON1, 0, REG_DWORD,
                           (const BYTE *)&Bench.Button1Action, sizeof(DWORD));
            RegCloseKey(key);
        }
        exe = Bench.BuildFolder + "stylohid.exe";
        command = "stylohid.exe";
    } else {
        exe = Bench.BuildFolder + "bench\\yardstick.exe";
        command = "yardstick.exe " STOP_EVENT_NAME;
        ResetEvent(Bench.YardstickStop);
    }
    if (!StartMeasuredProcess(exe, command, Bench.BuildFolder, process))
        return false;
    Bench.ContenderUnixPid = FindUnixProcess(program ? "stylohid.exe" : "yardstick.exe");
    if (!Bench.ContenderUnixPid)
        fprintf(stderr, "bench: the contender's Linux process not found: no CPU time\n");
    return true;
}

static void StopContender(bool program, PROCESS_INFORMATION *process)
{
    if (program)
        CloseProgram();
    else
        SetEvent(Bench.YardstickStop);
    AwaitProcessEnd(process, 10000);
}

static unsigned CountRequests(const std::vector<VTabletLogEntry> &log, DWORD processId,
                              unsigned code)
{
    unsigned n = 0;
    for (const VTabletLogEntry &e : log)
        if (e.ProcessId == processId && (code == 0 || e.Code == code))
            n++;
    return n;
}

// Feeds packets at rate for the run's length, tickMs apart in batches of
// what is due, then lets the contender drain the queue.
static RunResult RunAtRate(const PROCESS_INFORMATION &process, double rate,
                           DWORD tickMs)
{
    RunResult run;
    ZeroMemory(&run, sizeof run);
    run.Rate = rate;
    unsigned first = NextPacketNumber();
    size_t firstMove = CountSeenMoves();
    unsigned firstLog = LogTotal();
    double cpuBefore = UnixProcessCpuMs(Bench.ContenderUnixPid);

    LONGLONG start = Now();
    unsigned sent = 0;
    for (;;) {
        double elapsed = TicksToMicroseconds(Now() - start) / 1e6;
        if (elapsed >= Bench.RunSeconds)
            break;
        unsigned due = (unsigned)(elapsed * rate) + 1;
        if (due > sent) {
            QueueNumberedPackets(due - sent, Bench.PenStatus);
            sent = due;
        }
        // Asleep until the next packet is due (at least tickMs): the
        // feeder's own wake-ups and requests cost the contender as little
        // as a tablet's would.
        double wait = ((double)sent / rate - elapsed) * 1000.0;
        Sleep(wait > tickMs ? (DWORD)wait : tickMs);
    }
    LONGLONG feedEnd = Now();
    run.Seconds = TicksToMicroseconds(feedEnd - start) / 1e6;
    WaitUntil(QueueEmpty, 5000);
    // The last moves may still be on their way.
    size_t seen;
    do {
        seen = CountSeenMoves();
        Sleep(300);
    } while (CountSeenMoves() != seen);
    double cpuAfter = UnixProcessCpuMs(Bench.ContenderUnixPid);

    std::vector<VTabletStamp> stamps = ReadStamps(first, NextPacketNumber());
    AnalyseRun(&run, stamps, SeenMovesFrom(firstMove), first, feedEnd);
    if (cpuBefore >= 0 && cpuAfter >= 0 && run.Moves)
        run.CpuMsPer1000 = (cpuAfter - cpuBefore) * 1000.0 / run.Moves;
    else
        run.CpuMsPer1000 = -1;
    std::vector<VTabletLogEntry> log = ReadLogSince(firstLog);
    unsigned logged = (unsigned)log.size();
    if (logged && log.front().Sequence == firstLog && run.Read)
        run.RequestsPerPacket =
            (double)CountRequests(log, process.dwProcessId, 0) / run.Read;
    else
        run.RequestsPerPacket = -1;  // the log wrapped
    fprintf(stderr, "bench:   %.0f/s: %u queued, %u read, %u moves, p50 %.0f us\n",
            rate, run.Queued, run.Read, run.Moves, run.P50);
    return run;
}

static struct {
    HANDLE Mapping;
    PostCounter *Counter;
    HMODULE Module;
    HOOKPROC Hook;
} Posts;

static void PreparePostCounter()
{
    Posts.Mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0,
                                       sizeof(PostCounter), POST_COUNTER_NAME);
    if (Posts.Mapping)
        Posts.Counter = (PostCounter *)MapViewOfFile(Posts.Mapping, FILE_MAP_WRITE, 0,
                                                     0, sizeof(PostCounter));
    std::string dll = Bench.BuildFolder + "bench\\post_counter.dll";
    Posts.Module = LoadLibraryA(dll.c_str());
    if (Posts.Module)
        Posts.Hook = (HOOKPROC)(void *)GetProcAddress(Posts.Module, POST_COUNTER_HOOK);
    if (!Posts.Counter || !Posts.Hook)
        fprintf(stderr, "bench: no post counter; out-of-range wake-ups not measured\n");
}

// Wake-ups of the contender's reader per second over 5 s, after one packet
// with this status.  Every wake-up of the yardstick ends in a read (logged by
// the driver); every wake-up of the program's reader ends in one post to its
// window, counted by post_counter.dll in the program's UI thread.
static double CountWakeUps(bool program, const PROCESS_INFORMATION &process,
                           DWORD status)
{
    HHOOK hook = NULL;
    if (program) {
        if (!Posts.Counter || !Posts.Hook)
            return -1;
        DWORD thread = GetWindowThreadProcessId(FindWindowA(MAIN_WINDOW_CLASS, NULL), NULL);
        hook = SetWindowsHookExA(WH_GETMESSAGE, Posts.Hook, Posts.Module, thread);
        if (!hook)
            return -1;
    }
    QueueNumberedPackets(1, status);
    Sleep(1000);
    unsigned firstLog = LogTotal();
    LONG firstPosts = Posts.Counter ? Posts.Counter->Posts : 0;
    LONGLONG start = Now();
    Sleep(5000);
    double seconds = TicksToMicroseconds(Now() - start) / 1e6;
    LONG posts = Posts.Counter ? Posts.Counter->Posts - firstPosts : 0;
    std::vector<VTabletLogEntry> log = ReadLogSince(firstLog);
    unsigned reads = CountRequests(log, process.dwProcessId, IOCTL_TABLET_READ_PACKET);
    if (hook)
        UnhookWindowsHookEx(hook);
    if (program && posts == 0 && Posts.Counter && Posts.Counter->Posts == 0)
        return -1;  // the hook never ran in the program: nothing was measured
    return (program ? (double)posts : (double)reads) / seconds;
}

static bool StartRun(bool program, PROCESS_INFORMATION *process)
{
    ResetVirtualTablet();
    ResetPacketNumbers();
    return StartContender(program, process);
}

static double Median3(double *v)
{
    double lo = v[0] < v[1] ? v[0] : v[1], hi = v[0] < v[1] ? v[1] : v[0];
    return v[2] < lo ? lo : v[2] > hi ? hi : v[2];
}

// Plain motion, then pen button 1 held on the scroll, taking turns three
// times at one rate: the program's CPU time per 1000 packets read.
static int CompareScrolling(double rate)
{
    const char *names[2] = {"plain motion", "scrolling"};
    double cpu[2][3];
    for (int i = 0; i < 3; i++) {
        for (int scroll = 0; scroll < 2; scroll++) {
            Bench.Button1Action = scroll ? ACTION_SCROLL : 0;
            Bench.PenStatus = PEN_STATUS_IN_RANGE | (scroll ? PEN_STATUS_BUTTON1 : 0);
            fprintf(stderr, "bench: stylohid, %s, at %.0f/s\n", names[scroll], rate);
            PROCESS_INFORMATION process;
            if (!StartRun(true, &process))
                return 1;
            double before = UnixProcessCpuMs(Bench.ContenderUnixPid);
            RunResult run = RunAtRate(process, rate, 1);
            double after = UnixProcessCpuMs(Bench.ContenderUnixPid);
            StopContender(true, &process);
            cpu[scroll][i] = before >= 0 && after >= 0 && run.Read
                ? (after - before) * 1000.0 / run.Read : -1;
        }
    }
    printf("Scrolling against plain motion: stylohid, %.0f packets/s, %.0f s runs\n",
           rate, Bench.RunSeconds);
    for (int scroll = 0; scroll < 2; scroll++)
        printf("  %-13s CPU %.1f ms per 1000 packets (median; runs %.1f, %.1f, %.1f)\n",
               names[scroll], Median3(cpu[scroll]), cpu[scroll][0], cpu[scroll][1],
               cpu[scroll][2]);
    printf("  scrolling / plain motion: %.2f\n", Median3(cpu[1]) / Median3(cpu[0]));
    return 0;
}

int main(int argc, char **argv)
{
    Bench.PenStatus = PEN_STATUS_IN_RANGE;
    bool scrolling = argc > 1 && strcmp(argv[1], "--scroll") == 0;
    if (scrolling) {
        argc--;
        argv++;
    }
    Bench.RunSeconds = argc > 1 ? atof(argv[1]) : 10;
    Bench.OverloadRate = argc > 2 ? atof(argv[2]) : 2000;
    Bench.BuildFolder = FolderOfThisProgram(2);
    Bench.YardstickStop = CreateEventA(NULL, TRUE, FALSE, STOP_EVENT_NAME);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    StartMoveHook();
    if (scrolling) {
        int result = CompareScrolling(argc > 2 ? atof(argv[2]) : 266);
        StopMoveHook();
        return result;
    }
    PreparePostCounter();

    // Each contender starts afresh for each run, and the two take turns, so
    // that a change in the machine's load falls on both alike.
    ContenderResult results[2];
    results[0].Name = "stylohid";
    results[1].Name = "yardstick";
    for (ContenderResult &c : results)
        c.Idle.WakesOutOfRange = c.Idle.WakesInRangeStill = -1;
    const double rates[3] = {133, 266, Bench.OverloadRate};
    const DWORD ticks[3] = {1, 1, 10};
    for (int r = 0; r < 3; r++) {
        for (int c = 0; c < 2; c++) {
            bool program = c == 0;
            fprintf(stderr, "bench: %s at %.0f/s\n", results[c].Name, rates[r]);
            PROCESS_INFORMATION process;
            if (!StartRun(program, &process))
                return 1;
            results[c].Runs.push_back(RunAtRate(process, rates[r], ticks[r]));
            StopContender(program, &process);
        }
    }
    for (int c = 0; c < 2; c++) {
        bool program = c == 0;
        fprintf(stderr, "bench: %s idle\n", results[c].Name);
        PROCESS_INFORMATION process;
        if (!StartRun(program, &process))
            return 1;
        results[c].Idle.WakesOutOfRange = CountWakeUps(program, process, 0);
        results[c].Idle.WakesInRangeStill =
            CountWakeUps(program, process, PEN_STATUS_IN_RANGE);
        StopContender(program, &process);
    }
    StopMoveHook();
    PrintReport(results[0], results[1]);
    return 0;
}
