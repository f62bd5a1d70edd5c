// The benchmark's probes: a low-level mouse hook that time-stamps every move,
// numbered packets at their own pixels, the driver's stamps and request log,
// and the CPU time of a process.
#include "bench.h"
#include <winternl.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>

static struct {
    CRITICAL_SECTION Lock;
    HANDLE Thread;
    DWORD ThreadId;
    HANDLE Ready;
    HHOOK Hook;
    std::vector<SeenMove> Moves;  // reserved up front: no allocation in the hook
} MoveHook;

static struct {
    unsigned Next;
    LONG Width, Height;
    HANDLE Control;  // kept open: one request per batch, no open and close
} Numbers;

LONGLONG Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double TicksToMicroseconds(LONGLONG ticks)
{
    static LONGLONG frequency;
    if (!frequency) {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        frequency = f.QuadPart;
    }
    return (double)ticks * 1e6 / (double)frequency;
}

static LRESULT CALLBACK RecordMove(int code, WPARAM message, LPARAM data)
{
    if (code == HC_ACTION && message == WM_MOUSEMOVE) {
        const MSLLHOOKSTRUCT *m = (const MSLLHOOKSTRUCT *)data;
        SeenMove seen = {Now(), m->pt.x, m->pt.y};
        EnterCriticalSection(&MoveHook.Lock);
        if (MoveHook.Moves.size() < MoveHook.Moves.capacity())
            MoveHook.Moves.push_back(seen);
        LeaveCriticalSection(&MoveHook.Lock);
    }
    return CallNextHookEx(NULL, code, message, data);
}

static DWORD WINAPI RunMoveHook(void *)
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    MoveHook.Hook = SetWindowsHookExA(WH_MOUSE_LL, RecordMove,
                                      GetModuleHandleA(NULL), 0);
    MSG msg;
    PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
    SetEvent(MoveHook.Ready);
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    UnhookWindowsHookEx(MoveHook.Hook);
    return 0;
}

void StartMoveHook()
{
    InitializeCriticalSection(&MoveHook.Lock);
    MoveHook.Moves.reserve(1 << 21);
    MoveHook.Ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    MoveHook.Thread = CreateThread(NULL, 0, RunMoveHook, NULL, 0, &MoveHook.ThreadId);
    WaitForSingleObject(MoveHook.Ready, 10000);
    if (!MoveHook.Hook)
        fprintf(stderr, "bench: the mouse hook could not be set\n");
}

void StopMoveHook()
{
    PostThreadMessageA(MoveHook.ThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(MoveHook.Thread, 5000);
    CloseHandle(MoveHook.Thread);
    CloseHandle(MoveHook.Ready);
}

size_t CountSeenMoves()
{
    EnterCriticalSection(&MoveHook.Lock);
    size_t n = MoveHook.Moves.size();
    LeaveCriticalSection(&MoveHook.Lock);
    return n;
}

void TakeSeenMoves(std::vector<SeenMove> *moves)
{
    EnterCriticalSection(&MoveHook.Lock);
    moves->assign(MoveHook.Moves.begin(), MoveHook.Moves.end());
    MoveHook.Moves.clear();  // keeps its room: the hook still allocates nothing
    LeaveCriticalSection(&MoveHook.Lock);
}

std::vector<SeenMove> SeenMovesFrom(size_t first)
{
    EnterCriticalSection(&MoveHook.Lock);
    std::vector<SeenMove> copy;
    if (first < MoveHook.Moves.size())
        copy.assign(MoveHook.Moves.begin() + first, MoveHook.Moves.end());
    LeaveCriticalSection(&MoveHook.Lock);
    return copy;
}

void ResetPacketNumbers()
{
    Numbers.Next = 0;
    Numbers.Width = GetSystemMetrics(SM_CXSCREEN);
    Numbers.Height = GetSystemMetrics(SM_CYSCREEN);
}

unsigned NextPacketNumber() { return Numbers.Next; }

// The normalised coordinate of a pixel's centre, which lands on that pixel
// whether the system rounds or truncates.
static int NormalisedCentre(LONG pixel, LONG size)
{
    return (int)(((LONGLONG)pixel * 65536 + 32768) / size);
}

bool QueueNumberedPackets(unsigned count, DWORD status)
{
    PenPacket packets[256];
    while (count > 0) {
        unsigned n = count < 256 ? count : 256;
        for (unsigned i = 0; i < n; i++) {
            unsigned k = Numbers.Next + i;
            LONG px = (LONG)(k % (unsigned)Numbers.Width);
            LONG py = (LONG)((k / (unsigned)Numbers.Width) % (unsigned)Numbers.Height);
            packets[i] = MakePenPacket(NormalisedCentre(px, Numbers.Width),
                                       NormalisedCentre(py, Numbers.Height), status);
        }
        if (!Numbers.Control)
            Numbers.Control = CreateFileA(VTABLET_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                          OPEN_EXISTING, 0, NULL);
        DWORD returned = 0;
        if (Numbers.Control == INVALID_HANDLE_VALUE ||
            !DeviceIoControl(Numbers.Control, IOCTL_VTABLET_QUEUE_PACKETS, packets,
                             (DWORD)(n * sizeof(PenPacket)), NULL, 0, &returned, NULL))
            return false;
        Numbers.Next += n;
        count -= n;
    }
    return true;
}

bool PacketOfMove(const SeenMove &move, unsigned *number)
{
    if (move.X < 0 || move.Y < 0 || move.X >= Numbers.Width || move.Y >= Numbers.Height)
        return false;
    unsigned pixel = (unsigned)move.Y * (unsigned)Numbers.Width + (unsigned)move.X;
    unsigned pixels = (unsigned)Numbers.Width * (unsigned)Numbers.Height;
    if (pixel >= Numbers.Next)
        return false;
    // The numbers go round the screen: the newest packet queued at the pixel.
    *number = pixel + (Numbers.Next - 1 - pixel) / pixels * pixels;
    return true;
}

std::vector<VTabletStamp> ReadStamps(unsigned first, unsigned end)
{
    std::vector<VTabletStamp> stamps;
    std::vector<VTabletStamp> chunk(4096);
    while (first < end) {
        DWORD got = 0;
        ULONG start = first;
        if (!SendControl(VTABLET_CONTROL_PATH, IOCTL_VTABLET_READ_STAMPS, &start,
                         sizeof start, chunk.data(),
                         (DWORD)(chunk.size() * sizeof(VTabletStamp)), &got) ||
            got < sizeof(VTabletStamp))
            break;
        unsigned n = got / sizeof(VTabletStamp);
        for (unsigned i = 0; i < n && chunk[i].Number < end; i++)
            stamps.push_back(chunk[i]);
        first = chunk[n - 1].Number + 1;
    }
    return stamps;
}

std::vector<VTabletLogEntry> ReadLogSince(unsigned first)
{
    std::vector<VTabletLogEntry> log;
    std::vector<VTabletLogEntry> chunk(1024);
    for (;;) {
        unsigned n = ReadRequestLog(first, chunk.data(), (unsigned)chunk.size());
        if (n == 0)
            break;
        log.insert(log.end(), chunk.begin(), chunk.begin() + n);
        first = chunk[n - 1].Sequence + 1;
    }
    return log;
}

unsigned LogTotal()
{
    VTabletState state;
    ZeroMemory(&state, sizeof state);
    GetVirtualTabletState(&state);
    return state.LogTotal;
}

// Wine's GetProcessTimes answers with the caller's own times whatever
// process it is asked about, so the contender's CPU time is read from
// Linux's /proc: the process of that name whose WINEPREFIX is this one's.
static std::string ReadWholeFile(const std::string &path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, NULL) && got > 0)
        text.append(chunk, got);
    CloseHandle(file);
    return text;
}

// Fields of /proc/<pid>/stat after the parenthesised name: field 3 is the
// first; 14 utime, 15 stime, 22 starttime.
static bool ReadStatFields(unsigned unixPid, unsigned long long fields[23])
{
    char path[64];
    snprintf(path, sizeof path, "Z:\\proc\\%u\\stat", unixPid);
    std::string stat = ReadWholeFile(path);
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return false;
    const char *p = stat.c_str() + close + 2;
    for (int field = 3; field <= 22; field++) {
        while (*p == ' ')
            p++;
        if (field == 3) {
            fields[3] = 0;
            p++;
            continue;
        }
        char *end;
        fields[field] = strtoull(p, &end, 10);
        if (end == p)
            return false;
        p = end;
    }
    return true;
}

unsigned FindUnixProcess(const char *name)
{
    char prefix[MAX_PATH] = "";
    GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    std::string wanted = std::string("WINEPREFIX=") + prefix;
    wanted.push_back('\0');
    unsigned best = 0;
    unsigned long long bestStart = 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        char *end;
        unsigned long pid = strtoul(entry.cFileName, &end, 10);
        if (*end || pid == 0)
            continue;
        std::string base = std::string("Z:\\proc\\") + entry.cFileName + "\\";
        std::string comm = ReadWholeFile(base + "comm");
        if (comm != std::string(name) + "\n")
            continue;
        if (prefix[0] && ReadWholeFile(base + "environ").find(wanted) == std::string::npos)
            continue;
        unsigned long long fields[23];
        if (ReadStatFields((unsigned)pid, fields) && fields[22] >= bestStart) {
            bestStart = fields[22];
            best = (unsigned)pid;
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return best;
}

bool ReadUnixProcessStatus(unsigned unixPid, UnixProcessStatus *status)
{
    char base[64];
    snprintf(base, sizeof base, "Z:\\proc\\%u\\", unixPid);
    std::string text = ReadWholeFile(std::string(base) + "status");
    size_t rss = text.find("\nVmRSS:");
    size_t threads = text.find("\nThreads:");
    if (!unixPid || rss == std::string::npos || threads == std::string::npos)
        return false;
    status->RssKb = strtoul(text.c_str() + rss + 7, NULL, 10);
    status->Threads = strtoul(text.c_str() + threads + 9, NULL, 10);
    status->OpenFiles = 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((std::string(base) + "fd\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return true;
    do {
        status->OpenFiles += entry.cFileName[0] != '.';
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return true;
}

double UnixProcessCpuMs(unsigned unixPid)
{
    unsigned long long fields[23];
    if (!unixPid || !ReadStatFields(unixPid, fields))
        return -1;
    return (double)(fields[14] + fields[15]) * 10.0;  // clock ticks of 10 ms
}

// /proc/<pid>/task/<tid>/schedstat begins with the thread's time on a CPU
// in nanoseconds.
bool ReadThreadCpu(unsigned unixPid, std::vector<ThreadCpu> *threads)
{
    threads->clear();
    if (!unixPid)
        return false;
    char tasks[64];
    snprintf(tasks, sizeof tasks, "Z:\\proc\\%u\\task\\", unixPid);
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((std::string(tasks) + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    do {
        if (entry.cFileName[0] == '.')
            continue;
        std::string line = ReadWholeFile(std::string(tasks) + entry.cFileName + "\\schedstat");
        if (line.empty())
            continue;  // the thread has just ended
        ThreadCpu thread = {(unsigned)strtoul(entry.cFileName, NULL, 10),
                            strtod(line.c_str(), NULL)};
        threads->push_back(thread);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return !threads->empty();
}

double UnixProcessCpuNs(unsigned unixPid)
{
    std::vector<ThreadCpu> threads;
    if (!ReadThreadCpu(unixPid, &threads))
        return -1;
    double total = 0;
    for (const ThreadCpu &t : threads)
        total += t.Ns;
    return total;
}

// The first line of /proc/stat: "cpu user nice system idle iowait irq
// softirq steal ...".
bool ReadHostCpuTicks(unsigned long long *stolen, unsigned long long *total)
{
    std::string stat = ReadWholeFile("Z:\\proc\\stat");
    if (stat.compare(0, 4, "cpu ") != 0)
        return false;
    const char *p = stat.c_str() + 4;
    *stolen = *total = 0;
    for (int field = 1; field <= 8; field++) {
        char *end;
        unsigned long long value = strtoull(p, &end, 10);
        if (end == p)
            return false;
        *total += value;
        if (field == 8)
            *stolen = value;
        p = end;
    }
    return true;
}

typedef LONG(WINAPI *QuerySystemInformationProc)(ULONG, void *, ULONG, ULONG *);

// Threads and handles of the program as the Wine server counts them.
bool ReadWineCounts(DWORD processId, ULONG *threads, ULONG *handles)
{
    QuerySystemInformationProc query = (QuerySystemInformationProc)(void *)GetProcAddress(
        GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    if (!query)
        return false;
    std::vector<BYTE> buffer(1 << 20);
    ULONG size = 0;
    if (query(SystemProcessInformation, buffer.data(), (ULONG)buffer.size(), &size) != 0)
        return false;
    for (size_t at = 0;;) {
        const SYSTEM_PROCESS_INFORMATION *p =
            (const SYSTEM_PROCESS_INFORMATION *)(buffer.data() + at);
        if ((DWORD)(ULONG_PTR)p->UniqueProcessId == processId) {
            *threads = p->NumberOfThreads;
            *handles = p->HandleCount;
            return true;
        }
        if (!p->NextEntryOffset)
            return false;
        at += p->NextEntryOffset;
    }
}

// SystemHandleInformation's record of one handle.
struct SystemHandleEntry {
    ULONG OwnerPid;
    BYTE ObjectType;
    BYTE HandleFlags;
    USHORT HandleValue;
    PVOID ObjectPointer;
    ULONG AccessMask;
};

long CountProcessHandles(DWORD processId)
{
    QuerySystemInformationProc query = (QuerySystemInformationProc)(void *)GetProcAddress(
        GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    if (!query)
        return -1;
    const ULONG systemHandleInformation = 16;
    for (ULONG size = 1 << 20; size <= (1u << 26); size *= 4) {
        std::vector<BYTE> buffer(size);
        ULONG needed = 0;
        LONG status = query(systemHandleInformation, buffer.data(), size, &needed);
        if (status == (LONG)0xC0000004)  // STATUS_INFO_LENGTH_MISMATCH
            continue;
        if (status != 0)
            return -1;
        ULONG count = *(const ULONG *)buffer.data();
        const SystemHandleEntry *entries =
            (const SystemHandleEntry *)(buffer.data() + sizeof(ULONG_PTR));
        long mine = 0;
        for (ULONG i = 0; i < count; i++)
            mine += entries[i].OwnerPid == processId;
        return mine;
    }
    return -1;
}
