// The soak: the real program against the virtual tablet for a long time at
// a tablet's rate of packets, while this process, every few seconds, makes
// it reload its settings, switches its pointer mode to relative and back,
// and opens its sensitivity dialog and cancels it.  At the end it prints the
// packets sent, the moves seen, the packets lost and the moves out of order,
// and the program's memory, threads and handles after the first minute and
// at the end.
//
//   soak.exe [minutes]   (default 10)
#include "bench.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <winternl.h>

#include "res/resource.h"
#include "shared/stored_values.h"

#define SOAK_RATE 266            // packets per second, as the tablet sends them
#define ACTION_PERIOD_MS 3000    // each action once in this time
#define FIRST_SAMPLE_MS 60000    // the first look at the program's resources
#define ANSWER_MS 10000          // longest wait for the program to answer

#define SETTLE_PACKETS 16000      // a packet this far behind the newest has moved or is lost

// Packets of the run, by number.
enum PacketKind : BYTE {
    PACKET_IN_RANGE,      // with a position; not yet seen read or moved
    PACKET_OUT_OF_RANGE,  // without: it moves nothing
    PACKET_READ,          // with a position, read by the program, not yet moved
    PACKET_MOVED
};

static struct {
    std::string BuildFolder;
    PROCESS_INFORMATION Process;
    unsigned UnixPid;
    HWND Window;
    double Minutes;

    CRITICAL_SECTION Lock;          // the feeder's packets and their count
    std::vector<BYTE> Packets;      // PacketKind of each packet queued
    bool OutOfRange;                // the feeder queues packets without position
    unsigned QueueFailures;
    unsigned Settled;               // packets below this number have been looked up
    volatile LONG StopFeeding;

    unsigned Moves, Stray, OutOfOrder, Duplicates;
    unsigned HighestMoved;
    bool AnyMoved;

    unsigned Reloads, ModeSwitches, SwitchesSkipped, Dialogs, Unanswered;
} Soak;

// What the program uses, as Linux and as the Wine server see it.
struct ResourceSample {
    double CpuMs;  // -1: not known
    bool Taken;
    UnixProcessStatus Unix;
    bool HaveWine;
    ULONG WineThreads, WineHandles;
};

static void ServeMoves()
{
    std::vector<SeenMove> moves;
    TakeSeenMoves(&moves);
    EnterCriticalSection(&Soak.Lock);
    for (const SeenMove &m : moves) {
        unsigned number;
        if (!PacketOfMove(m, &number) || number >= Soak.Packets.size() ||
            Soak.Packets[number] == PACKET_OUT_OF_RANGE) {
            Soak.Stray++;
            continue;
        }
        if (Soak.Packets[number] == PACKET_MOVED) {  // coalesced or repeated
            Soak.Duplicates++;
            continue;
        }
        Soak.Packets[number] = PACKET_MOVED;
        Soak.Moves++;
        if (Soak.AnyMoved && number < Soak.HighestMoved)
            Soak.OutOfOrder++;
        if (!Soak.AnyMoved || number > Soak.HighestMoved)
            Soak.HighestMoved = number;
        Soak.AnyMoved = true;
    }
    LeaveCriticalSection(&Soak.Lock);
}

// Looks up in the driver's stamps whether the unmoved packets with a
// position below end were read by the program at all.
static void NoteReadPackets(unsigned end)
{
    EnterCriticalSection(&Soak.Lock);
    unsigned first = Soak.Settled;
    LeaveCriticalSection(&Soak.Lock);
    if (end <= first)
        return;
    std::vector<VTabletStamp> stamps = ReadStamps(first, end);
    EnterCriticalSection(&Soak.Lock);
    for (const VTabletStamp &t : stamps)
        if (t.Read && Soak.Packets[t.Number] == PACKET_IN_RANGE)
            Soak.Packets[t.Number] = PACKET_READ;
    Soak.Settled = end;
    LeaveCriticalSection(&Soak.Lock);
}

// Queues what is due at SOAK_RATE, 1 ms apart at most, until told to stop.
static DWORD WINAPI FeedPackets(void *)
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    LONGLONG start = Now();
    unsigned long long sent = 0;
    while (!Soak.StopFeeding) {
        double elapsed = TicksToMicroseconds(Now() - start) / 1e6;
        unsigned long long due = (unsigned long long)(elapsed * SOAK_RATE) + 1;
        if (due > sent) {
            unsigned count = (unsigned)(due - sent);
            EnterCriticalSection(&Soak.Lock);
            BYTE kind = Soak.OutOfRange ? PACKET_OUT_OF_RANGE : PACKET_IN_RANGE;
            if (QueueNumberedPackets(count, kind == PACKET_IN_RANGE ? PEN_STATUS_IN_RANGE : 0))
                Soak.Packets.insert(Soak.Packets.end(), count, kind);
            else
                Soak.QueueFailures++;
            LeaveCriticalSection(&Soak.Lock);
            sent = due;
        }
        double wait = ((double)sent / SOAK_RATE - elapsed) * 1000.0;
        Sleep(wait > 1 ? (DWORD)wait : 1);
    }
    return 0;
}

static bool AskProgram(UINT message, WPARAM wParam)
{
    DWORD_PTR result;
    if (SendMessageTimeoutA(Soak.Window, message, wParam, 0, SMTO_NORMAL, ANSWER_MS,
                            &result))
        return true;
    Soak.Unanswered++;
    return false;
}

static void Reload()
{
    if (AskProgram(WM_TABLET_RELOAD, 0))
        Soak.Reloads++;
}

// The last packet with a position before end has its move (the UI thread
// takes packets in order: the ones before it are handled or lost), or the
// time is up.
static bool MovesCaughtUp(unsigned end, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        ServeMoves();
        EnterCriticalSection(&Soak.Lock);
        unsigned last = end;
        while (last > 0 && Soak.Packets[last - 1] == PACKET_OUT_OF_RANGE)
            last--;
        bool caughtUp = last == 0 || Soak.Packets[last - 1] == PACKET_MOVED;
        LeaveCriticalSection(&Soak.Lock);
        if (caughtUp)
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(5);
    }
}

// The reader has taken every packet before number end from the driver.
static bool ReaderPassed(unsigned end)
{
    VTabletState state;
    EnterCriticalSection(&Soak.Lock);
    bool known = GetVirtualTabletState(&state);
    unsigned queued = (unsigned)Soak.Packets.size();
    LeaveCriticalSection(&Soak.Lock);
    return known && queued - state.Queued >= end;
}

// Relative and back to absolute.  A packet handled in relative mode would
// move the pointer by its compressed position, which names no packet; so
// around the switch the pen is out of range, and the two commands are posted
// (into the same queue as the reader's packets, behind them) only once the
// reader has read the first packet without a position: every packet with one
// is then ahead of them.  A reader more than 1 s behind is not switched this
// time, rather than keeping the pen out of range longer.
static void SwitchMode()
{
    EnterCriticalSection(&Soak.Lock);
    Soak.OutOfRange = true;
    unsigned firstWithout = (unsigned)Soak.Packets.size();
    LeaveCriticalSection(&Soak.Lock);
    DWORD start = GetTickCount();
    while (!ReaderPassed(firstWithout + 1) && GetTickCount() - start < 1000)
        Sleep(20);
    if (!ReaderPassed(firstWithout + 1))
        Soak.SwitchesSkipped++;
    else if (PostMessageA(Soak.Window, WM_COMMAND, IDM_RELATIVE, 0) &&
             PostMessageA(Soak.Window, WM_COMMAND, IDM_ABSOLUTE, 0))
        Soak.ModeSwitches++;
    EnterCriticalSection(&Soak.Lock);
    Soak.OutOfRange = false;
    LeaveCriticalSection(&Soak.Lock);
}

struct DialogSearch {
    DWORD ProcessId;
    HWND Owner;
    HWND Found;
};

static BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM context)
{
    DialogSearch *search = (DialogSearch *)context;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (processId == search->ProcessId && window != search->Owner &&
        GetWindow(window, GW_OWNER) == search->Owner && strcmp(className, "#32770") == 0) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

static HWND FindSensitivityDialog()
{
    DialogSearch search = {Soak.Process.dwProcessId, Soak.Window, NULL};
    EnumWindows(FindOwnedDialog, (LPARAM)&search);
    return search.Found;
}

static bool AwaitDialog(bool open, HWND *dialog, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        ServeMoves();
        *dialog = FindSensitivityDialog();
        if ((*dialog != NULL) == open)
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

// Opened by the command, as another program would; cancelled with IDCANCEL.
static void OpenAndCancelDialog()
{
    HWND dialog;
    PostMessageA(Soak.Window, WM_COMMAND, IDM_SENSITIVITY, 0);
    if (!AwaitDialog(true, &dialog, ANSWER_MS)) {
        Soak.Unanswered++;
        return;
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    if (AwaitDialog(false, &dialog, ANSWER_MS))
        Soak.Dialogs++;
    else
        Soak.Unanswered++;
}

static ResourceSample SampleResources()
{
    ResourceSample sample;
    ZeroMemory(&sample, sizeof sample);
    sample.CpuMs = UnixProcessCpuMs(Soak.UnixPid);
    sample.Taken = ReadUnixProcessStatus(Soak.UnixPid, &sample.Unix);
    sample.HaveWine =
        ReadWineCounts(Soak.Process.dwProcessId, &sample.WineThreads, &sample.WineHandles);
    return sample;
}

static void PrintSampleRow(const char *label, bool haveA, unsigned long a, bool haveB,
                           unsigned long b)
{
    char left[24] = "n/m", right[24] = "n/m";
    if (haveA)
        snprintf(left, sizeof left, "%lu", a);
    if (haveB)
        snprintf(right, sizeof right, "%lu", b);
    printf("  %-40s %14s %14s\n", label, left, right);
}

static void PrintReport(double minutes, const ResourceSample &first, const ResourceSample &last,
                        const VTabletState &driver)
{
    unsigned sent = (unsigned)Soak.Packets.size(), inRange = 0, neverRead = 0, unmoved = 0;
    for (BYTE kind : Soak.Packets) {
        inRange += kind != PACKET_OUT_OF_RANGE;
        neverRead += kind == PACKET_IN_RANGE;
        unmoved += kind == PACKET_READ;
    }
    printf("\nsoak: %.1f min at %d packets/s\n", minutes, SOAK_RATE);
    printf("  %-40s %14u\n", "packets sent", sent);
    printf("  %-40s %14u\n", "  with a position (pen in range)", inRange);
    printf("  %-40s %14u\n", "  without (around the mode switches)", sent - inRange);
    printf("  %-40s %14u\n", "moves seen", Soak.Moves);
    printf("  %-40s %14u\n", "lost (a position, no move)", neverRead + unmoved);
    printf("  %-40s %14u\n", "  never read by the program", neverRead);
    printf("  %-40s %14u\n", "  read by the program, no move", unmoved);
    printf("  %-40s %14u\n", "dropped by the driver's full queue (any)", driver.Dropped);
    printf("  %-40s %14u\n", "out of order", Soak.OutOfOrder);
    printf("  %-40s %14u\n", "stray moves (no packet of the run)", Soak.Stray);
    printf("  %-40s %14u\n", "packets that failed to queue (batches)", Soak.QueueFailures);
    printf("  %-40s %14u\n", "reloads", Soak.Reloads);
    printf("  %-40s %14u\n", "mode switches (relative, absolute)", Soak.ModeSwitches);
    printf("  %-40s %14u\n", "  skipped: the reader 1 s behind", Soak.SwitchesSkipped);
    printf("  %-40s %14s\n", "pointer mode at the end (driver)",
           driver.Absolute == 1 ? "absolute" : driver.Absolute == 0 ? "relative" : "?");
    printf("  %-40s %14u\n", "sensitivity dialogs opened, cancelled", Soak.Dialogs);
    printf("  %-40s %14u\n", "requests the program did not answer", Soak.Unanswered);
    printf("\n  %-40s %14s %14s\n", "the program", "after 1 min", "at the end");
    PrintSampleRow("CPU time so far, s (Linux)", first.CpuMs >= 0,
                   (unsigned long)(first.CpuMs / 1000), last.CpuMs >= 0,
                   (unsigned long)(last.CpuMs / 1000));
    PrintSampleRow("resident memory, kB (Linux)", first.Taken, first.Unix.RssKb, last.Taken,
                   last.Unix.RssKb);
    PrintSampleRow("threads (Wine server)", first.HaveWine, first.WineThreads, last.HaveWine,
                   last.WineThreads);
    PrintSampleRow("threads (Linux, Wine's own included)", first.Taken, first.Unix.Threads,
                   last.Taken, last.Unix.Threads);
    PrintSampleRow("handles (Wine server)", first.HaveWine && first.WineHandles,
                   first.WineHandles, last.HaveWine && last.WineHandles, last.WineHandles);
    PrintSampleRow("open file descriptors (Linux)", first.Taken, first.Unix.OpenFiles,
                   last.Taken, last.Unix.OpenFiles);
}

// Settings the reload reads and sends: absolute, so every move names its packet.
static void StoreSettings()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL, 0, KEY_WRITE, NULL,
                        &key, NULL) != ERROR_SUCCESS)
        return;
    const struct {
        const char *Name;
        DWORD Number;
    } values[] = {{VALUE_ABSOLUTE, 1}, {VALUE_LANDSCAPE, 0}, {VALUE_SENSITIVITY, 20},
                  {VALUE_WORKING_AREA, 1}, {VALUE_BUTTON1, 2}, {VALUE_BUTTON2, 1}};
    for (const auto &v : values)
        RegSetValueExA(key, v.Name, 0, REG_DWORD, (const BYTE *)&v.Number, sizeof v.Number);
    RegCloseKey(key);
}

int main(int argc, char **argv)
{
    Soak.Minutes = argc > 1 ? atof(argv[1]) : 10;
    Soak.BuildFolder = FolderOfThisProgram(2);
    InitializeCriticalSection(&Soak.Lock);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    StartMoveHook();
    ResetVirtualTablet();
    ResetPacketNumbers();
    StoreSettings();
    if (!StartMeasuredProcess(Soak.BuildFolder + "stylohid.exe", "stylohid.exe",
                              Soak.BuildFolder, &Soak.Process))
        return 1;
    Soak.Window = FindWindowA(MAIN_WINDOW_CLASS, NULL);
    Soak.UnixPid = FindUnixProcess("stylohid.exe");
    if (!Soak.Window)
        fprintf(stderr, "soak: the program's window is not there\n");
    if (!Soak.UnixPid)
        fprintf(stderr, "soak: the program's Linux process not found\n");

    HANDLE feeder = CreateThread(NULL, 0, FeedPackets, NULL, 0, NULL);
    DWORD start = GetTickCount();
    DWORD length = (DWORD)(Soak.Minutes * 60000);
    DWORD nextAction = ACTION_PERIOD_MS / 3;
    unsigned action = 0;
    ResourceSample first;
    ZeroMemory(&first, sizeof first);
    first.CpuMs = -1;
    bool sampled = false;
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= length)
            break;
        if (!sampled && elapsed >= FIRST_SAMPLE_MS) {
            first = SampleResources();
            sampled = true;
        }
        if (elapsed >= nextAction) {
            switch (action++ % 3) {
            case 0: Reload(); break;
            case 1: SwitchMode(); break;
            case 2: OpenAndCancelDialog(); break;
            }
            nextAction += ACTION_PERIOD_MS / 3;
        }
        ServeMoves();
        EnterCriticalSection(&Soak.Lock);
        unsigned queued = (unsigned)Soak.Packets.size();
        LeaveCriticalSection(&Soak.Lock);
        if (queued >= Soak.Settled + 2 * SETTLE_PACKETS)
            NoteReadPackets(queued - SETTLE_PACKETS);
        if (WaitForSingleObject(Soak.Process.hProcess, 0) == WAIT_OBJECT_0) {
            fprintf(stderr, "soak: the program ended by itself\n");
            break;
        }
        Sleep(50);
    }
    InterlockedExchange(&Soak.StopFeeding, 1);
    WaitForSingleObject(feeder, INFINITE);
    CloseHandle(feeder);
    WaitUntil(QueueEmpty, 5000);
    MovesCaughtUp((unsigned)Soak.Packets.size(), 5000);
    ServeMoves();
    NoteReadPackets((unsigned)Soak.Packets.size());
    ResourceSample last = SampleResources();
    VTabletState driver;
    ZeroMemory(&driver, sizeof driver);
    GetVirtualTabletState(&driver);
    double minutes = (GetTickCount() - start) / 60000.0;

    CloseProgram();
    AwaitProcessEnd(&Soak.Process, ANSWER_MS);
    StopMoveHook();
    PrintReport(minutes, first, last, driver);
    return 0;
}
