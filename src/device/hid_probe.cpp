// One pass over the present HID interfaces, looking for the tablet by its
// USB ids and reading the X and Y ranges of its input report.
#include "device/hid_probe.h"
#include <stdlib.h>
#include "os/os.h"
#include "shared/hid_walk.h"

volatile LONG TabletFound;
TabletExtentsState TabletExtents;
// Whether the pass under way has seen the tablet.
static bool SeenThisPass;

// The pass's table holds this many interfaces at first, and doubles as needed.
#define HID_TABLE_INITIAL_CAPACITY 8

// What one pass holds for the interface it examines.
struct HidDeviceRecord {
    HANDLE Device;
    PHIDP_PREPARSED_DATA Preparsed;
    HIDD_ATTRIBUTES Attributes;
    HIDP_CAPS Caps;
};

// The pass's table, one slot per enumeration index.
struct HidDeviceTable {
    HidDeviceRecord *Records;
    DWORD Capacity;
    bool OutOfMemory;
};

static void ExamineTablet(HidDeviceRecord *record)
{
    InterlockedExchange(&TabletFound, 1);
    SeenThisPass = true;
    if (OsHidGetCaps(record->Preparsed, &record->Caps) != HIDP_STATUS_SUCCESS)
        return;
    // An extent is written only when the report has that value.
    LONG max;
    if (ReadHidLogicalMax(record->Preparsed, &record->Caps, HID_USAGE_X, &max))
        TabletExtents.XMax = max;
    if (ReadHidLogicalMax(record->Preparsed, &record->Caps, HID_USAGE_Y, &max))
        TabletExtents.YMax = max;
}

static void ExamineInterface(const char *path, HidDeviceRecord *record)
{
    record->Device = OsCreateFile(path, GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  OPEN_EXISTING, 0);
    if (record->Device == INVALID_HANDLE_VALUE)
        return;
    if (OsHidGetPreparsedData(record->Device, &record->Preparsed)) {
        record->Attributes.Size = sizeof record->Attributes;
        if (OsHidGetAttributes(record->Device, &record->Attributes) &&
            IsTabletAttributes(&record->Attributes))
            ExamineTablet(record);
        OsHidFreePreparsedData(record->Preparsed);
    }
    OsCloseHandle(record->Device);
}

// Doubles the table until the index has its slot; false when memory ran out.
static bool MakeRoomFor(HidDeviceTable *table, DWORD index)
{
    while (index >= table->Capacity) {
        HidDeviceRecord *larger = (HidDeviceRecord *)realloc(
            table->Records, 2 * table->Capacity * sizeof *larger);
        if (!larger)
            return false;
        table->Records = larger;
        ZeroMemory(table->Records + table->Capacity,
                   table->Capacity * sizeof *larger);
        table->Capacity *= 2;
    }
    return true;
}

static bool VisitForTablet(DWORD index, const char *path, void *context)
{
    HidDeviceTable *table = (HidDeviceTable *)context;
    if (!MakeRoomFor(table, index)) {
        table->OutOfMemory = true;
        return true;
    }
    ExamineInterface(path, &table->Records[index]);
    return false;
}

bool ProbeTablet()
{
    SeenThisPass = false;
    HidDeviceTable table;
    table.Capacity = HID_TABLE_INITIAL_CAPACITY;
    table.OutOfMemory = false;
    table.Records = (HidDeviceRecord *)calloc(table.Capacity, sizeof *table.Records);
    if (!table.Records)
        return false;
    bool listed = VisitHidInterfaces(VisitForTablet, &table, NULL);
    free(table.Records);
    return listed && !table.OutOfMemory && TabletFound != 0;
}

bool ProbeTabletSeenNow()
{
    return ProbeTablet() && SeenThisPass;
}
