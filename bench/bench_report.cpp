// What a run's stamps and moves say, and the table that sets the program
// beside the yardstick.
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
            run->LostAfterRead++;
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

static void PrintRow(const char *label, double a, double b, const char *format)
{
    char left[32], right[32], ratio[32];
    snprintf(left, sizeof left, format, a);
    snprintf(right, sizeof right, format, b);
    if (b > 0 && a >= 0)
        snprintf(ratio, sizeof ratio, "%.2fx", a / b);
    else
        snprintf(ratio, sizeof ratio, "-");
    printf("  %-30s %12s %12s %8s\n", label, a < 0 ? "n/m" : left,
           b < 0 ? "n/m" : right, ratio);
}

void PrintReport(const ContenderResult &program, const ContenderResult &yardstick)
{
    printf("\n  %-30s %12s %12s %8s\n", "", program.Name, yardstick.Name, "ratio");
    for (size_t r = 0; r < program.Runs.size() && r < yardstick.Runs.size(); r++) {
        const RunResult &a = program.Runs[r], &b = yardstick.Runs[r];
        printf("%.0f packets/s for %.0f s%s\n", a.Rate, a.Seconds,
               r == program.Runs.size() - 1 && a.Rate > 1000 ? " (overload)" : "");
        PrintRow("packets queued", a.Queued, b.Queued, "%.0f");
        PrintRow("packets read", a.Read, b.Read, "%.0f");
        PrintRow("dropped by the full queue", a.DroppedByQueue, b.DroppedByQueue, "%.0f");
        PrintRow("lost after read", a.LostAfterRead, b.LostAfterRead, "%.0f");
        PrintRow("moves seen", a.Moves, b.Moves, "%.0f");
        PrintRow("stray moves", a.StrayMoves, b.StrayMoves, "%.0f");
        PrintRow("latency p50 us", a.P50, b.P50, "%.0f");
        PrintRow("latency p99 us", a.P99, b.P99, "%.0f");
        PrintRow("latency max us", a.Max, b.Max, "%.0f");
        PrintRow("  queue to read p50 us", a.ReadP50, b.ReadP50, "%.0f");
        PrintRow("  read to move p50 us", a.MoveAfterReadP50, b.MoveAfterReadP50, "%.0f");
        PrintRow("packets carried/s", a.Carried, b.Carried, "%.1f");
        PrintRow("CPU ms per 1000 packets", a.CpuMsPer1000, b.CpuMsPer1000, "%.1f");
        PrintRow("driver requests per packet", a.RequestsPerPacket,
                 b.RequestsPerPacket, "%.2f");
        printf("  %-30s %12s %12s\n", "moves in packet order", a.InOrder ? "yes" : "NO",
               b.InOrder ? "yes" : "NO");
    }
    printf("reader wake-ups per second\n");
    PrintRow("pen out of range", program.Idle.WakesOutOfRange,
             yardstick.Idle.WakesOutOfRange, "%.1f");
    PrintRow("pen in range and still", program.Idle.WakesInRangeStill,
             yardstick.Idle.WakesInRangeStill, "%.1f");
}
