// The benchmark: the real program, the two-thread floor and the yardstick,
// against the same virtual tablet in the same session.  At each paced rate,
// with the program's starting values and with a chosen screen and Reconnect,
// every contender runs twice, in mirrored order; then one turn above what
// the machine carries, and the reader's wake-ups with the pen out of range
// and in range and still.  Prints one table and, last, one line.
//
//   bench.exe [packets-per-run] [overload-rate]
//   bench.exe profiles [packets-per-run]
//   bench.exe scroll [packets-per-run] [rate]
//   bench.exe trace stylohid|floor|yardstick RATE PACKETS [screen]
//
// The profiles form runs the program alone, with no profile and with one
// profile for a program that is not running (so the program watches the
// window in front and never switches), three times each in mirrored order
// at each paced rate, and prints the median CPU time of each and the ratio.
//
// The second form is one run of one contender for a tracer that attaches
// to it (scripts/bench-trace.sh): it prints the contender's Linux process
// id, waits for a line on its input, feeds the packets, prints "fed" and
// the run's figures, and ends the contender after one more line.
//
// The scroll form compares the program's CPU time per packet read while pen
// button 1 holds the scroll with plain motion: three runs of each, mirrored.
#include "bench.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

#include "post_counter.h"
#include "shared/profiles.h"
#include "shared/screen_layout.h"
#include "shared/stored_values.h"

#include <algorithm>

#define STOP_EVENT_NAME "StylohidBenchContenderStop"
#define OVERLOAD_SECONDS 10

const char *const ContenderNames[CONTENDER_COUNT] = {"stylohid", "floor", "yardstick"};
static const char *const ContenderExes[CONTENDER_COUNT] = {"stylohid.exe", "floor.exe",
                                                           "yardstick.exe"};

static const BenchSetting StartingValues = {"starting values", false, false};
static const BenchSetting ScreenAndReconnect = {"a chosen screen, Reconnect on", true, false};
static const BenchSetting WithProfile = {"a profile for another program", false, true};

static struct {
    std::string BuildFolder;  // holds stylohid.exe, with a trailing backslash
    HANDLE ContenderStop;     // ends the floor and the yardstick
    unsigned ContenderUnixPid;  // for its CPU time
    unsigned ServerUnixPid;     // the Wine server, for its CPU time
    char ChosenScreen[SCREEN_NAME_SIZE];  // the main screen, by its device name
    unsigned PacketsPerRun;
    double OverloadRate;
    DWORD PenStatus;        // of every packet fed
    DWORD Button1Action;    // stored for the program as Button1; 0: none stored
} Bench;

// The profile of the profiles run: for a program that never runs here, so
// that it never applies and only the watch of the window in front costs.
#define BENCH_PROFILE_PATH PROFILES_KEY_PATH "\\Bench"
static const char BenchProfilePrograms[] = "benchnever.exe\0";

static void DeleteBenchProfile()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, BENCH_PROFILE_PATH);
    RegDeleteKeyA(HKEY_CURRENT_USER, PROFILES_KEY_PATH);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, USER_KEY_PATH, 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
        RegDeleteValueA(key, VALUE_PROFILE_IN_FORCE);
        RegCloseKey(key);
    }
}

// The program names the profile in force (empty: the machine settings) only
// when it has profiles to follow.
static bool ProgramTookUpProfiles()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, USER_KEY_PATH, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    bool named = RegQueryValueExA(key, VALUE_PROFILE_IN_FORCE, NULL, NULL, NULL, NULL) ==
                 ERROR_SUCCESS;
    RegCloseKey(key);
    return named;
}

static void StoreBenchProfile()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, BENCH_PROFILE_PATH, 0, NULL, 0, KEY_SET_VALUE,
                        NULL, &key, NULL) != ERROR_SUCCESS) {
        fprintf(stderr, "bench: the profile's key cannot be made\n");
        return;
    }
    RegSetValueExA(key, VALUE_PROGRAMS, 0, REG_MULTI_SZ, (const BYTE *)BenchProfilePrograms,
                   sizeof BenchProfilePrograms);
    RegCloseKey(key);
}

// The program's stored settings for a turn: none (its starting values), or
// the chosen screen and Reconnect; and its profile, if the setting has one.
static void StoreProgramSettings(const BenchSetting &setting)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
    DeleteBenchProfile();
    if (setting.Profile)
        StoreBenchProfile();
    if (!setting.ChosenScreen && !Bench.Button1Action)
        return;
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL, 0, KEY_SET_VALUE,
                        NULL, &key, NULL) != ERROR_SUCCESS) {
        fprintf(stderr, "bench: the settings key cannot be made\n");
        return;
    }
    if (Bench.Button1Action)
        RegSetValueExA(key, VALUE_BUTTON1, 0, REG_DWORD, (const BYTE *)&Bench.Button1Action,
                       sizeof(DWORD));
    if (setting.ChosenScreen) {
        DWORD on = 1;
        RegSetValueExA(key, VALUE_RECONNECT, 0, REG_DWORD, (const BYTE *)&on, sizeof on);
        RegSetValueExA(key, VALUE_SCREEN, 0, REG_SZ, (const BYTE *)Bench.ChosenScreen,
                       lstrlenA(Bench.ChosenScreen) + 1);
    }
    RegCloseKey(key);
}

static bool StartContender(Contender c, const BenchSetting &setting,
                           PROCESS_INFORMATION *process)
{
    std::string exe, command = ContenderExes[c];
    if (c == CONTENDER_PROGRAM) {
        StoreProgramSettings(setting);
        exe = Bench.BuildFolder + "stylohid.exe";
    } else {
        exe = Bench.BuildFolder + "bench\\" + ContenderExes[c];
        command += " " STOP_EVENT_NAME;
        if (c == CONTENDER_FLOOR && setting.ChosenScreen)
            command += std::string(" ") + Bench.ChosenScreen;
        ResetEvent(Bench.ContenderStop);
    }
    if (!StartMeasuredProcess(exe, command, Bench.BuildFolder, process))
        return false;
    Bench.ContenderUnixPid = FindUnixProcess(ContenderExes[c]);
    if (!Bench.ContenderUnixPid)
        fprintf(stderr, "bench: the contender's Linux process not found: no CPU time\n");
    return true;
}

static void StopContender(Contender c, PROCESS_INFORMATION *process)
{
    if (c == CONTENDER_PROGRAM)
        CloseProgram();
    else
        SetEvent(Bench.ContenderStop);
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

static double PerThousand(double before, double after, unsigned moves)
{
    if (before < 0 || after < 0 || !moves)
        return -1;
    return (after - before) / 1e6 * 1000.0 / moves;
}

// Puts the pointer on the screen's last pixel, which no packet of a run
// names.  A move over the whole desktop (a chosen screen) to the pixel where
// the pointer already is makes no move under Wine, and the pointer is found
// on the first packet's pixel when a contender starts: unparked, that packet
// would count as lost.
static void ParkPointer()
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    Sleep(100);
}

// Feeds count packets at rate, tickMs apart in batches of what is due, then
// lets the contender drain the queue.
static RunResult RunAtRate(const PROCESS_INFORMATION &process, double rate,
                           unsigned count, DWORD tickMs)
{
    RunResult run;
    ZeroMemory(&run, sizeof run);
    run.Rate = rate;
    ParkPointer();
    unsigned first = NextPacketNumber();
    size_t firstMove = CountSeenMoves();
    unsigned firstLog = LogTotal();
    unsigned long long stolenBefore = 0, hostBefore = 0, stolenAfter = 0, hostAfter = 0;
    bool host = ReadHostCpuTicks(&stolenBefore, &hostBefore);
    double cpuBefore = UnixProcessCpuNs(Bench.ContenderUnixPid);
    double serverBefore = UnixProcessCpuNs(Bench.ServerUnixPid);

    LONGLONG start = Now();
    unsigned sent = 0;
    while (sent < count) {
        double elapsed = TicksToMicroseconds(Now() - start) / 1e6;
        unsigned due = (unsigned)(elapsed * rate) + 1;
        if (due > count)
            due = count;
        if (due > sent) {
            QueueNumberedPackets(due - sent, Bench.PenStatus);
            sent = due;
        }
        // Asleep until the next packet is due (at least tickMs): the
        // feeder's own wake-ups and requests cost the contender as little
        // as a tablet's would.
        double wait = ((double)sent / rate - elapsed) * 1000.0;
        if (sent < count)
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
    double cpuAfter = UnixProcessCpuNs(Bench.ContenderUnixPid);
    double serverAfter = UnixProcessCpuNs(Bench.ServerUnixPid);
    host = host && ReadHostCpuTicks(&stolenAfter, &hostAfter) && hostAfter > hostBefore;
    run.StolenPercent =
        host ? 100.0 * (double)(stolenAfter - stolenBefore) / (double)(hostAfter - hostBefore)
             : -1;

    std::vector<VTabletStamp> stamps = ReadStamps(first, NextPacketNumber());
    AnalyseRun(&run, stamps, SeenMovesFrom(firstMove), first, feedEnd);
    run.CpuMsPer1000 = PerThousand(cpuBefore, cpuAfter, run.Moves);
    run.ServerCpuMsPer1000 = PerThousand(serverBefore, serverAfter, run.Moves);
    std::vector<VTabletLogEntry> log = ReadLogSince(firstLog);
    unsigned logged = (unsigned)log.size();
    if (logged && log.front().Sequence == firstLog && run.Read)
        run.RequestsPerPacket =
            (double)CountRequests(log, process.dwProcessId, 0) / run.Read;
    else
        run.RequestsPerPacket = -1;  // the log wrapped
    fprintf(stderr,
            "bench:   %.0f/s: %u queued, %u read, %u moves, p50 %.0f us, "
            "CPU %.1f ms per 1000, stolen %.1f%%\n",
            rate, run.Queued, run.Read, run.Moves, run.P50, run.CpuMsPer1000,
            run.StolenPercent);
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
// with this status.  Every wake-up of the floor's and the yardstick's reader
// ends in a read (logged by the driver); every wake-up of the program's
// reader ends in one post to its window, counted by post_counter.dll in the
// program's UI thread.
static double CountWakeUps(Contender c, const PROCESS_INFORMATION &process, DWORD status)
{
    bool program = c == CONTENDER_PROGRAM;
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

static bool StartRun(Contender c, const BenchSetting &setting, PROCESS_INFORMATION *process)
{
    ResetVirtualTablet();
    ResetPacketNumbers();
    return StartContender(c, setting, process);
}

// One turn: the contenders in order, then, for a paced rate, again in the
// reverse order, so that a drift of the machine's load falls on all alike.
static bool RunTurn(Turn *turn, unsigned count, DWORD tickMs)
{
    const int order[2 * CONTENDER_COUNT] = {CONTENDER_PROGRAM, CONTENDER_FLOOR,
                                            CONTENDER_YARDSTICK, CONTENDER_YARDSTICK,
                                            CONTENDER_FLOOR, CONTENDER_PROGRAM};
    int runs = (int)turn->RunsEach * CONTENDER_COUNT;
    for (int i = 0; i < runs; i++) {
        Contender c = (Contender)order[i];
        fprintf(stderr, "bench: %s at %.0f/s, %s\n", ContenderNames[c], turn->Rate,
                turn->Setting->Name);
        PROCESS_INFORMATION process;
        if (!StartRun(c, *turn->Setting, &process))
            return false;
        turn->Runs[c][i < CONTENDER_COUNT ? 0 : 1] =
            RunAtRate(process, turn->Rate, count, tickMs);
        StopContender(c, &process);
    }
    return true;
}

static double Median3(double a, double b, double c)
{
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// The program with no profile and with the bench's profile, three runs each
// in mirrored order (none, profile, profile, none, none, profile) at each
// paced rate: the median CPU time per 1000 packets and latency p50 of each.
static int RunProfilesComparison()
{
    const BenchSetting *settings[2] = {&StartingValues, &WithProfile};
    const int order[6] = {0, 1, 1, 0, 0, 1};
    const double paced[2] = {133, 266};
    std::string line;
    unsigned lost = 0;
    for (double rate : paced) {
        RunResult runs[2][3];
        int done[2] = {0, 0};
        for (int i = 0; i < 6; i++) {
            const BenchSetting &setting = *settings[order[i]];
            fprintf(stderr, "bench: stylohid at %.0f/s, %s\n", rate, setting.Name);
            PROCESS_INFORMATION process;
            if (!StartRun(CONTENDER_PROGRAM, setting, &process))
                return 1;
            if (ProgramTookUpProfiles() != setting.Profile) {
                fprintf(stderr, "bench: the program %s profiles: not what this run measures\n",
                        setting.Profile ? "follows no" : "follows");
                StopContender(CONTENDER_PROGRAM, &process);
                return 1;
            }
            RunResult &run = runs[order[i]][done[order[i]]++];
            run = RunAtRate(process, rate, Bench.PacketsPerRun, 1);
            StopContender(CONTENDER_PROGRAM, &process);
            lost += run.Queued > run.Moves ? run.Queued - run.Moves : 0;
        }
        double cpu[2], p50[2], stolen = 0;
        for (int s = 0; s < 2; s++) {
            cpu[s] = Median3(runs[s][0].CpuMsPer1000, runs[s][1].CpuMsPer1000,
                             runs[s][2].CpuMsPer1000);
            p50[s] = Median3(runs[s][0].P50, runs[s][1].P50, runs[s][2].P50);
            for (const RunResult &r : runs[s])
                stolen = std::max(stolen, r.StolenPercent);
            printf("%.0f/s, %s: CPU ms per 1000 packets %.1f %.1f %.1f (median %.1f), "
                   "p50 us %.0f %.0f %.0f (median %.0f)\n",
                   rate, settings[s]->Name, runs[s][0].CpuMsPer1000,
                   runs[s][1].CpuMsPer1000, runs[s][2].CpuMsPer1000, cpu[s], runs[s][0].P50,
                   runs[s][1].P50, runs[s][2].P50, p50[s]);
        }
        char part[160];
        snprintf(part, sizeof part, "%s%.0f/s CPU %.2fx p50 %.2fx (stolen up to %.1f%%)",
                 line.empty() ? "" : ", ", rate, cpu[0] > 0 ? cpu[1] / cpu[0] : -1,
                 p50[0] > 0 ? p50[1] / p50[0] : -1, stolen);
        line += part;
    }
    DeleteBenchProfile();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
    printf("\nstylohid with a profile against none (%s build, medians of three): %s; ",
           sizeof(void *) == 8 ? "x64" : "x86", line.c_str());
    if (lost)
        printf("%u packets LOST\n", lost);
    else
        printf("nothing lost\n");
    return 0;
}

static void FindChosenScreenName()
{
    ScreenLayout layout;
    ReadScreenLayout(&layout);
    lstrcpynA(Bench.ChosenScreen, layout.Count ? layout.Screens[0].Device : SCREEN_CHOICE_ALL,
              sizeof Bench.ChosenScreen);
}

static unsigned FindWineServer()
{
    unsigned pid = FindUnixProcess("wineserver64");
    if (!pid)
        pid = FindUnixProcess("wineserver");
    if (!pid)
        fprintf(stderr, "bench: the Wine server's Linux process not found: no CPU time\n");
    return pid;
}

static int TraceOneRun(int argc, char **argv)
{
    int c = 0;
    while (c < CONTENDER_COUNT && lstrcmpiA(argv[2], ContenderNames[c]) != 0)
        c++;
    double rate = atof(argv[3]);
    unsigned count = (unsigned)atoi(argv[4]);
    if (c == CONTENDER_COUNT || rate <= 0 || count == 0) {
        fprintf(stderr, "usage: bench trace stylohid|floor|yardstick RATE PACKETS [screen]\n");
        return 2;
    }
    const BenchSetting &setting =
        argc > 5 && !lstrcmpiA(argv[5], "screen") ? ScreenAndReconnect : StartingValues;
    PROCESS_INFORMATION process;
    if (!StartRun((Contender)c, setting, &process))
        return 1;
    char line[16];
    printf("unix-pid %u\n", Bench.ContenderUnixPid);
    fflush(stdout);
    fgets(line, sizeof line, stdin);
    std::vector<ThreadCpu> before, after;
    ReadThreadCpu(Bench.ContenderUnixPid, &before);
    RunResult run = RunAtRate(process, rate, count, 1);
    ReadThreadCpu(Bench.ContenderUnixPid, &after);
    printf("fed %u packets, %u moves, %u lost, p50 %.0f us, CPU %.1f ms per 1000\n",
           run.Queued, run.Moves, run.Queued - run.Moves, run.P50, run.CpuMsPer1000);
    // Each thread's share, the first thread (the window's) first.
    for (const ThreadCpu &t : after)
        for (const ThreadCpu &b : before)
            if (b.Tid == t.Tid && t.Ns > b.Ns && run.Moves)
                printf("  thread %u%s: CPU %.1f ms per 1000\n", t.Tid,
                       t.Tid == Bench.ContenderUnixPid ? " (first)" : "",
                       (t.Ns - b.Ns) / 1e6 * 1000.0 / run.Moves);
    fflush(stdout);
    fgets(line, sizeof line, stdin);
    StopContender((Contender)c, &process);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
    return 0;
}

// Plain motion, then pen button 1 held on the scroll, in mirrored order
// (plain, scroll, scroll, plain, plain, scroll) at one rate: the program's
// CPU time per 1000 packets read (a scroll moves no pointer, so the moves
// cannot be the measure here).
static int CompareScrolling(double rate)
{
    const char *names[2] = {"plain motion", "scrolling"};
    const int order[6] = {0, 1, 1, 0, 0, 1};
    double cpu[2][3];
    int done[2] = {0, 0};
    for (int i = 0; i < 6; i++) {
        int scroll = order[i];
        Bench.Button1Action = scroll ? ACTION_SCROLL : 0;
        Bench.PenStatus = PEN_STATUS_IN_RANGE | (scroll ? PEN_STATUS_BUTTON1 : 0);
        fprintf(stderr, "bench: stylohid, %s, at %.0f/s\n", names[scroll], rate);
        PROCESS_INFORMATION process;
        if (!StartRun(CONTENDER_PROGRAM, StartingValues, &process))
            return 1;
        double before = UnixProcessCpuNs(Bench.ContenderUnixPid);
        RunResult run = RunAtRate(process, rate, Bench.PacketsPerRun, 1);
        double after = UnixProcessCpuNs(Bench.ContenderUnixPid);
        StopContender(CONTENDER_PROGRAM, &process);
        cpu[scroll][done[scroll]++] = PerThousand(before, after, run.Read);
    }
    Bench.Button1Action = 0;
    Bench.PenStatus = PEN_STATUS_IN_RANGE;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
    printf("Scrolling against plain motion: stylohid, %.0f packets/s, %u packets a run\n",
           rate, Bench.PacketsPerRun);
    for (int scroll = 0; scroll < 2; scroll++)
        printf("  %-13s CPU %.1f ms per 1000 packets (median; runs %.1f, %.1f, %.1f)\n",
               names[scroll], Median3(cpu[scroll][0], cpu[scroll][1], cpu[scroll][2]),
               cpu[scroll][0], cpu[scroll][1], cpu[scroll][2]);
    printf("  scrolling / plain motion: %.2f\n",
           Median3(cpu[1][0], cpu[1][1], cpu[1][2]) / Median3(cpu[0][0], cpu[0][1], cpu[0][2]));
    return 0;
}

int main(int argc, char **argv)
{
    bool trace = argc > 4 && !strcmp(argv[1], "trace");
    bool profiles = argc > 1 && !strcmp(argv[1], "profiles");
    bool scrolling = argc > 1 && !strcmp(argv[1], "scroll");
    if (profiles || scrolling) {
        argv++;
        argc--;
    }
    Bench.PacketsPerRun = argc > 1 && !trace ? (unsigned)atoi(argv[1]) : 2400;
    Bench.OverloadRate = argc > 2 && !trace && !scrolling ? atof(argv[2]) : 2000;
    Bench.PenStatus = PEN_STATUS_IN_RANGE;
    if (Bench.PacketsPerRun == 0 || Bench.OverloadRate <= 0) {
        fprintf(stderr, "usage: bench [packets-per-run] [overload-rate]\n"
                        "       bench profiles [packets-per-run]\n"
                        "       bench scroll [packets-per-run] [rate]\n");
        return 2;
    }
    Bench.BuildFolder = FolderOfThisProgram(2);
    Bench.ContenderStop = CreateEventA(NULL, TRUE, FALSE, STOP_EVENT_NAME);
    Bench.ServerUnixPid = FindWineServer();
    FindChosenScreenName();
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    StartMoveHook();
    if (trace) {
        int result = TraceOneRun(argc, argv);
        StopMoveHook();
        return result;
    }
    if (profiles) {
        int result = RunProfilesComparison();
        StopMoveHook();
        return result;
    }
    if (scrolling) {
        int result = CompareScrolling(argc > 2 ? atof(argv[2]) : 266);
        StopMoveHook();
        return result;
    }
    PreparePostCounter();

    unsigned long long stolenBefore = 0, hostBefore = 0, stolenAfter = 0, hostAfter = 0;
    bool host = ReadHostCpuTicks(&stolenBefore, &hostBefore);
    std::vector<Turn> turns;
    const BenchSetting *settings[2] = {&StartingValues, &ScreenAndReconnect};
    const double paced[2] = {133, 266};
    for (const BenchSetting *setting : settings)
        for (double rate : paced) {
            Turn turn;
            ZeroMemory(&turn, sizeof turn);
            turn.Setting = setting;
            turn.Rate = rate;
            turn.RunsEach = 2;
            if (!RunTurn(&turn, Bench.PacketsPerRun, 1))
                return 1;
            turns.push_back(turn);
        }
    Turn overload;
    ZeroMemory(&overload, sizeof overload);
    overload.Setting = &StartingValues;
    overload.Rate = Bench.OverloadRate;
    overload.Overload = true;
    overload.RunsEach = 1;
    if (!RunTurn(&overload, (unsigned)(Bench.OverloadRate * OVERLOAD_SECONDS), 10))
        return 1;
    turns.push_back(overload);
    host = host && ReadHostCpuTicks(&stolenAfter, &hostAfter) && hostAfter > hostBefore;

    IdleResult idle[CONTENDER_COUNT];
    for (int i = 0; i < CONTENDER_COUNT; i++) {
        Contender c = (Contender)i;
        fprintf(stderr, "bench: %s idle\n", ContenderNames[c]);
        PROCESS_INFORMATION process;
        if (!StartRun(c, StartingValues, &process))
            return 1;
        idle[c].WakesOutOfRange = CountWakeUps(c, process, 0);
        idle[c].WakesInRangeStill = CountWakeUps(c, process, PEN_STATUS_IN_RANGE);
        StopContender(c, &process);
    }
    StopMoveHook();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
    PrintReport(turns, idle,
                host ? 100.0 * (double)(stolenAfter - stolenBefore) /
                           (double)(hostAfter - hostBefore)
                     : -1);
    return 0;
}
