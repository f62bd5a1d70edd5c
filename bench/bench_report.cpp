// What a run's stamps and moves say, and the table that sets the program
// beside the two-thread floor and the yardstick.
#include "bench.h"

#include <algorithm>
#include <stdio.h>

static double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    size_t i = (size_t)(p * (double)(values.size() - 1) + 0.5);
    return values[std::min(i, values.size() - 1)];
}

void AnalyseRun(RunResult *run, const std::vector<VTabletStamp> &stamps,
                const std::vector<SeenMove> &moves, unsigned firstNumber,
                LONGLONG feedEnd)
{
    unsigned movesWhileFed = 0;
    size_t count = stamps.size();
    std::vector<LONGLONG> movedAt(count, 0);
    run->Moves = run->StrayMoves = 0;
    run->InOrder = true;
    unsigned last = 0;
    bool any = false;
    for (const SeenMove &m : moves) {
        unsigned number;
        if (!PacketOfMove(m, &number) || number < firstNumber ||
            number - firstNumber >= count) {
            run->StrayMoves++;
            continue;
        }
        LONGLONG &at = movedAt[number - firstNumber];
        if (at)
            continue;  // seen twice: the first counts
        at = m.At;
        run->Moves++;
        if (m.At <= feedEnd)
            movesWhileFed++;
        if (any && number < last)
            run->InOrder = false;
        last = number;
        any = true;
    }

    std::vector<double> total, toRead, afterRead;
    run->Queued = (unsigned)count;
    run->Read = run->DroppedByQueue = run->LostAfterRead = 0;
    for (size_t i = 0; i < count; i++) {
        const VTabletStamp &s = stamps[i];
        if (!s.Read) {
            run->DroppedByQueue++;
            continue;
        }
        run->Read++;
        toRead.push_back(TicksToMicroseconds(s.ReadAt - s.QueuedAt));
        if (!movedAt[i]) {
            if (run->LostAfterRead++ < 5)
                fprintf(stderr, "bench:   packet %u read, no move seen for it\n",
                        firstNumber + (unsigned)i);
            continue;
        }
        total.push_back(TicksToMicroseconds(movedAt[i] - s.QueuedAt));
        afterRead.push_back(TicksToMicroseconds(movedAt[i] - s.ReadAt));
    }
    run->P50 = Percentile(total, 0.50);
    run->P99 = Percentile(total, 0.99);
    run->Max = total.empty() ? -1 : *std::max_element(total.begin(), total.end());
    run->ReadP50 = Percentile(toRead, 0.50);
    run->MoveAfterReadP50 = Percentile(afterRead, 0.50);
    // Only the moves made while packets were fed: the queue left at the end
    // drains afterwards.
    run->Carried = run->Seconds > 0 ? movesWhileFed / run->Seconds : 0;
}

// The better of a contender's runs, row by row: the lower latency, CPU time
// and requests, the higher rate carried; the counts are the sums of all runs,
// so that a packet lost in either shows.
static RunResult BetterOfRuns(const RunResult *runs, unsigned n)
{
    RunResult best = runs[0];
    for (unsigned i = 1; i < n; i++) {
        const RunResult &r = runs[i];
        best.Seconds += r.Seconds;
        best.Queued += r.Queued;
        best.Read += r.Read;
        best.DroppedByQueue += r.DroppedByQueue;
        best.LostAfterRead += r.LostAfterRead;
        best.Moves += r.Moves;
        best.StrayMoves += r.StrayMoves;
        best.InOrder = best.InOrder && r.InOrder;
        double *lower[] = {&best.P50, &best.P99, &best.Max, &best.ReadP50,
                           &best.MoveAfterReadP50, &best.CpuMsPer1000,
                           &best.ServerCpuMsPer1000, &best.RequestsPerPacket};
        const double theirs[] = {r.P50, r.P99, r.Max, r.ReadP50, r.MoveAfterReadP50,
                                 r.CpuMsPer1000, r.ServerCpuMsPer1000,
                                 r.RequestsPerPacket};
        for (size_t k = 0; k < sizeof theirs / sizeof theirs[0]; k++)
            if (theirs[k] >= 0 && (*lower[k] < 0 || theirs[k] < *lower[k]))
                *lower[k] = theirs[k];
        if (r.Carried > best.Carried)
            best.Carried = r.Carried;
        if (r.StolenPercent > best.StolenPercent)
            best.StolenPercent = r.StolenPercent;  // the worst: what the runs suffered
    }
    return best;
}

static void FormatValue(char *text, size_t size, double value, const char *format)
{
    if (value < 0)
        snprintf(text, size, "n/m");
    else
        snprintf(text, size, format, value);
}

static void FormatRatio(char *text, size_t size, double a, double b)
{
    if (a >= 0 && b > 0)
        snprintf(text, size, "%.2fx", a / b);
    else
        snprintf(text, size, "-");
}

// One row: the three contenders, then the program against the floor and
// against the yardstick.
static void PrintRow(const char *label, const double v[CONTENDER_COUNT], const char *format)
{
    char cells[CONTENDER_COUNT][32], toFloor[32], toYardstick[32];
    for (int c = 0; c < CONTENDER_COUNT; c++)
        FormatValue(cells[c], sizeof cells[c], v[c], format);
    FormatRatio(toFloor, sizeof toFloor, v[CONTENDER_PROGRAM], v[CONTENDER_FLOOR]);
    FormatRatio(toYardstick, sizeof toYardstick, v[CONTENDER_PROGRAM],
                v[CONTENDER_YARDSTICK]);
    printf("  %-30s %10s %10s %10s %9s %9s\n", label, cells[CONTENDER_PROGRAM],
           cells[CONTENDER_FLOOR], cells[CONTENDER_YARDSTICK], toFloor, toYardstick);
}

#define ROW(label, field, format)                                   \
    do {                                                            \
        double v[CONTENDER_COUNT];                                  \
        for (int c = 0; c < CONTENDER_COUNT; c++)                   \
            v[c] = (double)best[c].field;                           \
        PrintRow(label, v, format);                                 \
    } while (0)

static void PrintTurn(const Turn &turn, const RunResult best[CONTENDER_COUNT])
{
    printf("%.0f packets/s, %s%s: %s\n", turn.Rate, turn.Setting->Name,
           turn.Overload ? " (overload)" : "",
           turn.RunsEach > 1 ? "each contender twice, mirrored, the better run"
                             : "each contender once");
    ROW("packets queued", Queued, "%.0f");
    ROW("packets read", Read, "%.0f");
    ROW("dropped by the full queue", DroppedByQueue, "%.0f");
    ROW("lost after read", LostAfterRead, "%.0f");
    ROW("moves seen", Moves, "%.0f");
    ROW("stray moves", StrayMoves, "%.0f");
    ROW("latency p50 us", P50, "%.0f");
    ROW("latency p99 us", P99, "%.0f");
    ROW("latency max us", Max, "%.0f");
    ROW("  queue to read p50 us", ReadP50, "%.0f");
    ROW("  read to move p50 us", MoveAfterReadP50, "%.0f");
    ROW("packets carried/s", Carried, "%.1f");
    ROW("CPU ms per 1000 packets", CpuMsPer1000, "%.1f");
    ROW("Wine server CPU ms per 1000", ServerCpuMsPer1000, "%.1f");
    ROW("driver requests per packet", RequestsPerPacket, "%.2f");
    ROW("host's stolen CPU %", StolenPercent, "%.1f");
    printf("  %-30s %10s %10s %10s\n", "moves in packet order",
           best[CONTENDER_PROGRAM].InOrder ? "yes" : "NO",
           best[CONTENDER_FLOOR].InOrder ? "yes" : "NO",
           best[CONTENDER_YARDSTICK].InOrder ? "yes" : "NO");
}

// Packets queued that never moved the pointer: dropped, or lost after read.
static unsigned Lost(const RunResult &r)
{
    return r.Queued > r.Moves ? r.Queued - r.Moves : 0;
}

void PrintReport(const std::vector<Turn> &turns, const IdleResult idle[CONTENDER_COUNT],
                 double stolenPercent)
{
    printf("\n  %-30s %10s %10s %10s %9s %9s\n", "", ContenderNames[CONTENDER_PROGRAM],
           ContenderNames[CONTENDER_FLOOR], ContenderNames[CONTENDER_YARDSTICK],
           "/floor", "/yardst.");
    std::string line;
    unsigned lost = 0;
    const BenchSetting *setting = NULL;
    for (const Turn &turn : turns) {
        RunResult best[CONTENDER_COUNT];
        for (int c = 0; c < CONTENDER_COUNT; c++)
            best[c] = BetterOfRuns(turn.Runs[c], turn.RunsEach);
        PrintTurn(turn, best);
        if (turn.Overload)
            continue;
        lost += Lost(best[CONTENDER_PROGRAM]) + Lost(best[CONTENDER_FLOOR]);
        char ratios[32], part[160];
        const RunResult &a = best[CONTENDER_PROGRAM], &b = best[CONTENDER_FLOOR];
        FormatRatio(ratios, sizeof ratios, a.P50, b.P50);
        snprintf(part, sizeof part, "%s%s%.0f/s p50 %s", line.empty() ? "" : ", ",
                 turn.Setting != setting ? (std::string(turn.Setting->Name) + ": ").c_str()
                                         : "",
                 turn.Rate, ratios);
        line += part;
        FormatRatio(ratios, sizeof ratios, a.CpuMsPer1000, b.CpuMsPer1000);
        line += std::string(" CPU ") + ratios;
        setting = turn.Setting;
    }
    printf("reader wake-ups per second\n");
    double out[CONTENDER_COUNT], still[CONTENDER_COUNT];
    for (int c = 0; c < CONTENDER_COUNT; c++) {
        out[c] = idle[c].WakesOutOfRange;
        still[c] = idle[c].WakesInRangeStill;
    }
    PrintRow("pen out of range", out, "%.1f");
    PrintRow("pen in range and still", still, "%.1f");

    char stolen[32];
    FormatValue(stolen, sizeof stolen, stolenPercent, "%.1f%%");
    char lostText[64];
    if (lost)
        snprintf(lostText, sizeof lostText, "%u packets LOST", lost);
    else
        snprintf(lostText, sizeof lostText, "nothing lost");
    printf("\nstylohid against the two-thread floor (%s build, host's stolen CPU %s): "
           "%s; %s\n",
           sizeof(void *) == 8 ? "x64" : "x86", stolen, line.c_str(), lostText);
}
