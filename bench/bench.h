// The benchmark's records: what one contender (the program, the two-thread
// floor or the yardstick) did in one timed run, and the probes that measure
// it.
#ifndef BENCH_H
#define BENCH_H

#include <windows.h>

#include <string>
#include <vector>

#include "vtablet_client.h"

// A pointer move seen by the low-level mouse hook of this process.
struct SeenMove {
    LONGLONG At;  // QueryPerformanceCounter
    LONG X, Y;    // screen pixels
};

// One timed run at a fixed packet rate.
struct RunResult {
    double Rate;            // packets per second offered
    double Seconds;         // length of the feeding
    unsigned Queued;        // packets queued on the virtual tablet
    unsigned Read;          // handed out by the driver
    unsigned DroppedByQueue;// never read: dropped by the driver's full queue
    unsigned LostAfterRead; // read but no move seen
    unsigned Moves;         // moves matched to a packet
    unsigned StrayMoves;    // moves matching no packet of the run
    bool InOrder;           // moves came in the order of the packets
    double P50, P99, Max;   // queue to move, microseconds
    double ReadP50;         // queue to read, microseconds
    double MoveAfterReadP50;// read to move, microseconds
    double Carried;         // moves per second while packets were fed
    double CpuMsPer1000;    // CPU time of the contender per 1000 moves, ms
    double ServerCpuMsPer1000; // CPU time of the Wine server per 1000 moves, ms
    double RequestsPerPacket; // driver requests of the contender per packet read
    double StolenPercent;   // CPU time the host took from this machine, of all
};

// The contenders, each started afresh for each run.
enum Contender {
    CONTENDER_PROGRAM,    // stylohid.exe
    CONTENDER_FLOOR,      // two threads: a reader that posts, a window that moves
    CONTENDER_YARDSTICK,  // one thread: arm, wait, read, move
    CONTENDER_COUNT
};
extern const char *const ContenderNames[CONTENDER_COUNT];

// The program's settings of a turn: its starting values, or a chosen screen
// (the moves go over the whole desktop, in whole pixels) with Reconnect on.
// The floor maps onto the same screen; the yardstick never maps.  With
// Profile the program also has a profile for another program (the profiles
// run only).
struct BenchSetting {
    const char *Name;
    bool ChosenScreen;
    bool Profile;
};

// Every contender at one rate with one setting, each run twice, in mirrored
// order; the report takes the better of the two runs, row by row.
struct Turn {
    const BenchSetting *Setting;
    double Rate;
    bool Overload;
    unsigned RunsEach;  // 1 or 2
    RunResult Runs[CONTENDER_COUNT][2];
};

struct IdleResult {
    double WakesOutOfRange;     // per second, -1: not measured
    double WakesInRangeStill;   // per second
};

// bench_program.cpp
std::string FolderOfThisProgram(int levelsUp);  // with a trailing backslash
bool WaitUntil(bool (*done)(), DWORD timeoutMs);
bool EventArmed();  // the virtual tablet holds a caller's event
bool QueueEmpty();  // no packet waits in the virtual tablet
// Starts exe in folder and waits until it has armed the driver's event.
bool StartMeasuredProcess(const std::string &exe, const std::string &command,
                          const std::string &folder, PROCESS_INFORMATION *process);
// Waits for the process to end (ending it by force after timeoutMs) and
// releases its handles.
void AwaitProcessEnd(PROCESS_INFORMATION *process, DWORD timeoutMs);
// Posts WM_CLOSE to the program's main window, found by its class.
void CloseProgram();

// bench_probe.cpp
void StartMoveHook();
void StopMoveHook();
size_t CountSeenMoves();
// Moves the moves seen so far into *moves; the hook starts afresh.
void TakeSeenMoves(std::vector<SeenMove> *moves);
std::vector<SeenMove> SeenMovesFrom(size_t first);
LONGLONG Now();
double TicksToMicroseconds(LONGLONG ticks);
// Packets are numbered from 0 after each reset of the virtual tablet; packet
// k sits at its own screen pixel (going round the screen once every pixel
// has had one), so a move names its packet.
void ResetPacketNumbers();
unsigned NextPacketNumber();
bool QueueNumberedPackets(unsigned count, DWORD status);
bool PacketOfMove(const SeenMove &move, unsigned *number);
std::vector<VTabletStamp> ReadStamps(unsigned first, unsigned end);
std::vector<VTabletLogEntry> ReadLogSince(unsigned first);
unsigned LogTotal();
// The Linux process id of the newest process of this name in this Wine
// prefix, 0 if none; its CPU time (user and system) in ms, -1 if unknown.
unsigned FindUnixProcess(const char *name);
double UnixProcessCpuMs(unsigned unixPid);
// The same to the nanosecond, summed over its threads (the scheduler's
// account); -1 if unknown.
double UnixProcessCpuNs(unsigned unixPid);
// Each thread's CPU time so far, in nanoseconds.
struct ThreadCpu {
    unsigned Tid;  // Linux's thread id; the process's own id for its first thread
    double Ns;
};
bool ReadThreadCpu(unsigned unixPid, std::vector<ThreadCpu> *threads);
// The host's account of this machine's CPU time: what it took away (steal)
// and the whole, in clock ticks since boot; false if unknown.
bool ReadHostCpuTicks(unsigned long long *stolen, unsigned long long *total);
// What Linux says of a process: resident memory, threads (Wine's own
// included) and open file descriptors.
struct UnixProcessStatus {
    unsigned long RssKb;
    unsigned long Threads;
    unsigned long OpenFiles;
};
bool ReadUnixProcessStatus(unsigned unixPid, UnixProcessStatus *status);
// Threads and handles of a process as the Wine server counts them (Wine's
// GetProcessHandleCount answers 0).
bool ReadWineCounts(DWORD processId, ULONG *threads, ULONG *handles);
// The handles a process holds, one by one (the count above is the size of
// the Wine server's handle table, which grows and shrinks in steps); -1 if
// unknown.
long CountProcessHandles(DWORD processId);

// bench_report.cpp
void AnalyseRun(RunResult *run, const std::vector<VTabletStamp> &stamps,
                const std::vector<SeenMove> &moves, unsigned firstNumber,
                LONGLONG feedEnd);
// The table of every turn, the reader's wake-ups, and last the one line that
// sets the program beside the two-thread floor.
void PrintReport(const std::vector<Turn> &turns, const IdleResult idle[CONTENDER_COUNT],
                 double stolenPercent);

#endif
