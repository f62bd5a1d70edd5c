// A fixed ring of packet slots written by the reader thread alone.  Each slot
// carries the sequence number of the packet it holds (0: none); the number is
// cleared before the slot is rewritten and set again after, so the UI thread
// takes a packet only if its slot held that same packet from before the copy
// until after it.
#include "device/packet_ring.h"

struct PacketSlot {
    volatile LONG Sequence;
    PenPacket Packet;
};

static PacketSlot PacketRing[PACKET_RING_SIZE];
static DWORD LastSequence;  // reader thread only
// The posted lParam is the sequence number mixed with a number of this
// process, so that small numbers that another program may post to our window
// are unlikely to name a pending slot.  Set by the first post.
static volatile LONG SequenceMask;

static DWORD MaskOfThisProcess()
{
    if (!SequenceMask) {
        DWORD mask = (GetCurrentProcessId() * 2654435761u) ^ 0x6B3A0000u;
        InterlockedCompareExchange(&SequenceMask, (LONG)(mask | 0x10000u), 0);
    }
    return (DWORD)SequenceMask;
}

static PacketSlot *SlotOf(DWORD sequence)
{
    return &PacketRing[sequence % PACKET_RING_SIZE];
}

BOOL PostPenPacket(HWND window, const PenPacket *packet)
{
    DWORD mask = MaskOfThisProcess();
    DWORD sequence = LastSequence + 1;
    while (sequence == 0 || (sequence ^ mask) == 0)
        sequence++;
    LastSequence = sequence;

    PacketSlot *slot = SlotOf(sequence);
    InterlockedExchange(&slot->Sequence, 0);
    slot->Packet = *packet;
    InterlockedExchange(&slot->Sequence, (LONG)sequence);
    return PostMessageA(window, WM_TABLET_PACKET, 0, (LPARAM)(sequence ^ mask));
}

bool TakePostedPacket(LPARAM lParam, PenPacket *packet)
{
    ULONG_PTR value = (ULONG_PTR)lParam;
    if ((ULONG_PTR)(DWORD)value != value)
        return false;
    DWORD number = (DWORD)value ^ (DWORD)SequenceMask;
    if (number == 0)
        return false;
    LONG sequence = (LONG)number;
    PacketSlot *slot = SlotOf(number);
    if (InterlockedCompareExchange(&slot->Sequence, sequence, sequence) != sequence)
        return false;
    PenPacket copy = slot->Packet;
    // Taken once: a repeated lParam finds the slot empty.
    if (InterlockedCompareExchange(&slot->Sequence, 0, sequence) != sequence)
        return false;
    *packet = copy;
    return true;
}

void ResetPacketRing()
{
    for (PacketSlot &slot : PacketRing)
        InterlockedExchange(&slot.Sequence, 0);
}
