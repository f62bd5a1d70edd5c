/* usbtablet.sys: a stand-in for the tablet's kernel driver, for tests.

   "\\.\USBTablet" honours the program's eight control codes; the pen
   packets it hands out are the ones a test queued through the control
   device "\\.\USBTabletTest" (see vtablet_control.h), which also reports
   every request received and can make requests fail.

   Wine runs the driver in winedevice.exe, not in the calling process, and
   its ObReferenceObjectByHandle does not take user-mode handles: the
   caller's event handle is duplicated out of the calling process first
   (see ReferenceCallerEvent). */
#include <ntifs.h>
#include <ntddk.h>

#include "vtablet_control.h"

#define POOL_TAG 0x62745655u /* "UVtb" */

typedef struct FailRule {
    VTabletFailRule Rule;
    unsigned Seen;
    unsigned Failed;
} FailRule;

/* Everything the driver knows, guarded by Lock. */
static struct {
    KSPIN_LOCK Lock;
    DEVICE_OBJECT *Tablet;
    DEVICE_OBJECT *Control;
    VTabletState State;
    PenPacket Queue[VTABLET_QUEUE_CAPACITY];
    unsigned QueueHead;
    unsigned QueueNumber[VTABLET_QUEUE_CAPACITY]; /* stamp number of each */
    VTabletStamp *Stamps; /* ring indexed by packet number */
    unsigned StampTotal;  /* number the next queued packet gets */
    VTabletLogEntry *Log;
    FailRule Rules[VTABLET_MAX_RULES];
    BOOLEAN TabletLinked; /* "\\.\USBTablet" can be opened */
    void *Event;          /* referenced KEVENT of the caller, or NULL */
    FILE_OBJECT *EventFile; /* the handle that armed it */
} Driver;

static const WCHAR TabletName[] = L"\\Device\\USBTablet";
static const WCHAR TabletLink[] = L"\\DosDevices\\USBTablet";
static const WCHAR ControlName[] = L"\\Device\\USBTabletTest";
static const WCHAR ControlLink[] = L"\\DosDevices\\USBTabletTest";

static void ResetSettings(void)
{
    VTabletState *s = &Driver.State;
    s->Enabled = 0;
    s->Absolute = VTABLET_NEVER_SET;
    s->Orientation = VTABLET_NEVER_SET;
    s->Sensitivity = VTABLET_NEVER_SET;
    s->Extents = VTABLET_NEVER_SET;
    s->SettingsCount = 0;
    RtlZeroMemory(s->Settings, sizeof s->Settings);
}

/* Called with the lock held. */
static void SignalEventLocked(void)
{
    if (Driver.Event) {
        KeSetEvent((KEVENT *)Driver.Event, 0, FALSE);
        Driver.State.EventSignals++;
    }
}

static BOOLEAN PacketReadyLocked(void)
{
    return Driver.State.Enabled && Driver.State.Queued > 0;
}

static void AppendLogLocked(unsigned code, NTSTATUS status, const void *in,
                            unsigned inLength, unsigned outLength)
{
    unsigned seq = Driver.State.LogTotal++;
    VTabletLogEntry *e = &Driver.Log[seq % VTABLET_LOG_CAPACITY];
    RtlZeroMemory(e, sizeof *e);
    e->Sequence = seq;
    e->Code = code;
    e->ProcessId = (unsigned)(ULONG_PTR)PsGetCurrentProcessId();
    e->Status = (unsigned)status;
    e->InputLength = inLength;
    e->OutputLength = outLength;
    if (in)
        RtlCopyMemory(e->Input, in,
                      inLength < sizeof e->Input ? inLength : sizeof e->Input);
}

/* Time stamps of the packets, for benchmarks. */
static void StampQueuedLocked(unsigned slot, const PenPacket *packet)
{
    unsigned number = Driver.StampTotal++;
    VTabletStamp *t = &Driver.Stamps[number % VTABLET_STAMP_CAPACITY];
    Driver.QueueNumber[slot] = number;
    t->Number = number;
    t->X = packet->x;
    t->Y = packet->y;
    t->Read = 0;
    t->QueuedAt = KeQueryPerformanceCounter(NULL).QuadPart;
    t->ReadAt = 0;
}

static void StampReadLocked(unsigned number)
{
    VTabletStamp *t = &Driver.Stamps[number % VTABLET_STAMP_CAPACITY];
    if (t->Number != number)
        return;
    t->Read = 1;
    t->ReadAt = KeQueryPerformanceCounter(NULL).QuadPart;
}

static ULONG_PTR CopyStampsLocked(unsigned first, void *buffer, ULONG outLength)
{
    unsigned oldest = Driver.StampTotal > VTABLET_STAMP_CAPACITY
                          ? Driver.StampTotal - VTABLET_STAMP_CAPACITY : 0;
    unsigned room = outLength / sizeof(VTabletStamp);
    unsigned n = 0;
    if (first < oldest)
        first = oldest;
    for (unsigned number = first; number < Driver.StampTotal && n < room; number++, n++)
        ((VTabletStamp *)buffer)[n] = Driver.Stamps[number % VTABLET_STAMP_CAPACITY];
    return n * sizeof(VTabletStamp);
}

/* The status a test asked this request to fail with, or STATUS_SUCCESS. */
static NTSTATUS ChosenFailureLocked(unsigned code)
{
    for (int i = 0; i < VTABLET_MAX_RULES; i++) {
        FailRule *r = &Driver.Rules[i];
        if (r->Rule.Count == 0 || r->Rule.Code != code)
            continue;
        if (r->Seen++ < r->Rule.Skip)
            return STATUS_SUCCESS;
        if (r->Rule.Count != VTABLET_FAIL_FOREVER && r->Failed >= r->Rule.Count)
            return STATUS_SUCCESS;
        r->Failed++;
        return r->Rule.Status ? (NTSTATUS)r->Rule.Status : STATUS_UNSUCCESSFUL;
    }
    return STATUS_SUCCESS;
}

static void SetRuleLocked(const VTabletFailRule *rule)
{
    FailRule *slot = NULL;
    for (int i = 0; i < VTABLET_MAX_RULES; i++) {
        FailRule *r = &Driver.Rules[i];
        if (r->Rule.Count != 0 && r->Rule.Code == rule->Code) {
            slot = r;
            break;
        }
        if (!slot && r->Rule.Count == 0)
            slot = r;
    }
    if (!slot)
        return;
    RtlZeroMemory(slot, sizeof *slot);
    slot->Rule = *rule;
}

static void ReleaseEvent(void)
{
    void *old;
    KIRQL irql;
    KeAcquireSpinLock(&Driver.Lock, &irql);
    old = Driver.Event;
    Driver.Event = NULL;
    Driver.EventFile = NULL;
    Driver.State.EventArmed = 0;
    KeReleaseSpinLock(&Driver.Lock, irql);
    if (old)
        ObDereferenceObject(old);
}

/* The caller's handle value names an object in the caller's process; make
   a handle of our own to it and take a reference. */
static NTSTATUS ReferenceCallerEvent(ULONG handleValue, void **event)
{
    OBJECT_ATTRIBUTES attributes;
    CLIENT_ID client;
    HANDLE process = NULL, copy = NULL;
    NTSTATUS status;

    *event = NULL;
    InitializeObjectAttributes(&attributes, NULL, OBJ_KERNEL_HANDLE, NULL, NULL);
    client.UniqueProcess = PsGetCurrentProcessId();
    client.UniqueThread = NULL;
    status = ZwOpenProcess(&process, PROCESS_DUP_HANDLE, &attributes, &client);
    if (!NT_SUCCESS(status))
        return status;
    status = ZwDuplicateObject(process, (HANDLE)(ULONG_PTR)handleValue,
                               NtCurrentProcess(), &copy, EVENT_MODIFY_STATE,
                               0, 0);
    ZwClose(process);
    if (!NT_SUCCESS(status))
        return status;
    /* No object type: MinGW's ExEventObjectType is declared one
       indirection off. */
    status = ObReferenceObjectByHandle(copy, EVENT_MODIFY_STATE, NULL,
                                       KernelMode, event, NULL);
    ZwClose(copy);
    return status;
}

static NTSTATUS ArmEvent(FILE_OBJECT *file, const void *in, ULONG inLength)
{
    void *event, *old = NULL;
    KIRQL irql;
    NTSTATUS status;

    if (inLength < sizeof(ULONG))
        return STATUS_INVALID_PARAMETER;
    status = ReferenceCallerEvent(*(const ULONG *)in, &event);
    if (!NT_SUCCESS(status))
        return status;
    KeAcquireSpinLock(&Driver.Lock, &irql);
    if (Driver.Event != event) {
        old = Driver.Event;
        Driver.Event = event;
    } else {
        old = event; /* already held: drop the extra reference */
    }
    Driver.EventFile = file;
    Driver.State.EventArmed = 1;
    if (PacketReadyLocked() || Driver.State.Unplugged)
        SignalEventLocked();
    else
        KeClearEvent((KEVENT *)Driver.Event);
    KeReleaseSpinLock(&Driver.Lock, irql);
    if (old)
        ObDereferenceObject(old);
    return STATUS_SUCCESS;
}

/* Wine does not fail CreateFile when the driver fails IRP_MJ_CREATE (the
   open completes before the driver answers), so while opens are refused or
   the tablet is gone the device's name is withdrawn instead: CreateFile then
   fails with ERROR_FILE_NOT_FOUND, as when the driver is not loaded. */
static void UpdateTabletLink(void)
{
    UNICODE_STRING name, link;
    BOOLEAN wanted = !Driver.State.RefuseOpen && !Driver.State.Unplugged;
    if (wanted == Driver.TabletLinked)
        return;
    RtlInitUnicodeString(&name, TabletName);
    RtlInitUnicodeString(&link, TabletLink);
    if (wanted)
        Driver.TabletLinked = NT_SUCCESS(IoCreateSymbolicLink(&link, &name));
    else
        Driver.TabletLinked = !NT_SUCCESS(IoDeleteSymbolicLink(&link));
}

static NTSTATUS CompleteRequest(IRP *irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_SUCCESS(status) ? information : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* One request of the program on "\\.\USBTablet". */
static NTSTATUS DispatchTabletControl(IRP *irp, IO_STACK_LOCATION *stack)
{
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    void *buffer = irp->AssociatedIrp.SystemBuffer;
    unsigned char input[32];
    ULONG_PTR information = 0;
    NTSTATUS status;
    ULONG value = 0;
    KIRQL irql;

    RtlZeroMemory(input, sizeof input);
    if (buffer && inLength)
        RtlCopyMemory(input, buffer, inLength < sizeof input ? inLength : sizeof input);
    if (inLength >= sizeof value)
        value = *(ULONG *)input;

    KeAcquireSpinLock(&Driver.Lock, &irql);
    status = ChosenFailureLocked(code);
    if (NT_SUCCESS(status) && Driver.State.Unplugged)
        status = STATUS_DEVICE_NOT_CONNECTED;
    KeReleaseSpinLock(&Driver.Lock, irql);

    if (NT_SUCCESS(status) && code == IOCTL_TABLET_SET_EVENT)
        status = ArmEvent(stack->FileObject, input, inLength);

    KeAcquireSpinLock(&Driver.Lock, &irql);
    if (NT_SUCCESS(status)) {
        VTabletState *s = &Driver.State;
        BOOLEAN needsValue = code != IOCTL_TABLET_READ_PACKET &&
                             code != IOCTL_TABLET_SET_EVENT &&
                             code != IOCTL_TABLET_SET_SETTINGS;
        if (needsValue && inLength < sizeof value)
            status = STATUS_INVALID_PARAMETER;
        else switch (code) {
        case IOCTL_TABLET_SET_EVENT:
            break;
        case IOCTL_TABLET_READ_PACKET:
            if (outLength < sizeof(PenPacket)) {
                status = STATUS_BUFFER_TOO_SMALL;
            } else if (PacketReadyLocked()) {
                RtlCopyMemory(buffer, &Driver.Queue[Driver.QueueHead],
                              sizeof(PenPacket));
                StampReadLocked(Driver.QueueNumber[Driver.QueueHead]);
                Driver.QueueHead = (Driver.QueueHead + 1) % VTABLET_QUEUE_CAPACITY;
                s->Queued--;
                s->Delivered++;
                information = sizeof(PenPacket);
            } else {
                s->EmptyReads++;
            }
            break;
        case IOCTL_TABLET_ENABLE:
            s->Enabled = value != 0;
            if (PacketReadyLocked())
                SignalEventLocked();
            break;
        case IOCTL_TABLET_SET_ABSOLUTE:
            s->Absolute = value;
            break;
        case IOCTL_TABLET_SET_ORIENTATION:
            s->Orientation = value;
            break;
        case IOCTL_TABLET_SET_SENSITIVITY:
            s->Sensitivity = value;
            break;
        case IOCTL_TABLET_SET_EXTENTS:
            s->Extents = value;
            break;
        case IOCTL_TABLET_SET_SETTINGS:
            if (inLength < sizeof(DriverSettingsBlock)) {
                status = STATUS_INVALID_PARAMETER;
            } else {
                RtlCopyMemory(s->Settings, input, sizeof s->Settings);
                s->SettingsCount++;
            }
            break;
        default:
            status = STATUS_INVALID_DEVICE_REQUEST;
            break;
        }
    }
    AppendLogLocked(code, status, input, inLength, outLength);
    KeReleaseSpinLock(&Driver.Lock, irql);
    return CompleteRequest(irp, status, information);
}

/* One request of a test on "\\.\USBTabletTest". */
static NTSTATUS DispatchTestControl(IRP *irp, IO_STACK_LOCATION *stack)
{
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    void *buffer = irp->AssociatedIrp.SystemBuffer;
    ULONG_PTR information = 0;
    NTSTATUS status = STATUS_SUCCESS;
    BOOLEAN dropEvent = FALSE;
    KIRQL irql;

    KeAcquireSpinLock(&Driver.Lock, &irql);
    VTabletState *s = &Driver.State;
    switch (code) {
    case IOCTL_VTABLET_RESET:
        ResetSettings();
        s->Queued = s->Dropped = s->Delivered = s->EmptyReads = 0;
        s->Opens = s->Closes = s->RefusedOpens = s->EventSignals = 0;
        s->LogTotal = 0;
        s->RefuseOpen = s->Unplugged = 0;
        Driver.QueueHead = 0;
        Driver.StampTotal = 0;
        RtlZeroMemory(Driver.Rules, sizeof Driver.Rules);
        dropEvent = TRUE;
        break;
    case IOCTL_VTABLET_QUEUE_PACKETS: {
        ULONG count = inLength / sizeof(PenPacket);
        const PenPacket *packets = (const PenPacket *)buffer;
        for (ULONG i = 0; i < count; i++) {
            if (s->Queued == VTABLET_QUEUE_CAPACITY) {
                Driver.QueueHead = (Driver.QueueHead + 1) % VTABLET_QUEUE_CAPACITY;
                s->Queued--;
                s->Dropped++;
            }
            Driver.Queue[(Driver.QueueHead + s->Queued) % VTABLET_QUEUE_CAPACITY] =
                packets[i];
            StampQueuedLocked((Driver.QueueHead + s->Queued) % VTABLET_QUEUE_CAPACITY,
                              &packets[i]);
            s->Queued++;
        }
        if (count && PacketReadyLocked())
            SignalEventLocked();
        break;
    }
    case IOCTL_VTABLET_SET_FAILURE:
        if (inLength < sizeof(VTabletFailRule))
            status = STATUS_INVALID_PARAMETER;
        else
            SetRuleLocked((const VTabletFailRule *)buffer);
        break;
    case IOCTL_VTABLET_REFUSE_OPEN:
        if (inLength < sizeof(ULONG))
            status = STATUS_INVALID_PARAMETER;
        else
            s->RefuseOpen = *(const ULONG *)buffer != 0;
        break;
    case IOCTL_VTABLET_UNPLUG:
        if (inLength < sizeof(ULONG)) {
            status = STATUS_INVALID_PARAMETER;
        } else {
            s->Unplugged = *(const ULONG *)buffer;
            if (s->Unplugged == VTABLET_UNPLUG_GONE)
                SignalEventLocked();
        }
        break;
    case IOCTL_VTABLET_GET_STATE:
        if (outLength < sizeof(VTabletState)) {
            status = STATUS_BUFFER_TOO_SMALL;
        } else {
            RtlCopyMemory(buffer, s, sizeof *s);
            information = sizeof *s;
        }
        break;
    case IOCTL_VTABLET_READ_LOG: {
        if (inLength < sizeof(ULONG)) {
            status = STATUS_INVALID_PARAMETER;
            break;
        }
        unsigned first = *(const ULONG *)buffer;
        unsigned oldest = s->LogTotal > VTABLET_LOG_CAPACITY
                              ? s->LogTotal - VTABLET_LOG_CAPACITY : 0;
        if (first < oldest)
            first = oldest;
        unsigned room = outLength / sizeof(VTabletLogEntry);
        unsigned n = 0;
        VTabletLogEntry *out = (VTabletLogEntry *)buffer;
        for (unsigned seq = first; seq < s->LogTotal && n < room; seq++, n++)
            out[n] = Driver.Log[seq % VTABLET_LOG_CAPACITY];
        information = n * sizeof(VTabletLogEntry);
        break;
    }
    case IOCTL_VTABLET_READ_STAMPS:
        if (inLength < sizeof(ULONG))
            status = STATUS_INVALID_PARAMETER;
        else
            information = CopyStampsLocked(*(const ULONG *)buffer, buffer, outLength);
        break;
    default:
        status = STATUS_INVALID_DEVICE_REQUEST;
        break;
    }
    KeReleaseSpinLock(&Driver.Lock, irql);
    if (dropEvent)
        ReleaseEvent();
    UpdateTabletLink();
    return CompleteRequest(irp, status, information);
}

static NTSTATUS WINAPI DispatchCreate(DEVICE_OBJECT *device, IRP *irp)
{
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql;
    if (device == Driver.Tablet) {
        KeAcquireSpinLock(&Driver.Lock, &irql);
        if (Driver.State.RefuseOpen || Driver.State.Unplugged) {
            status = STATUS_NO_SUCH_DEVICE;
            Driver.State.RefusedOpens++;
        } else {
            Driver.State.Opens++;
        }
        AppendLogLocked(VTABLET_LOG_OPEN, status, NULL, 0, 0);
        KeReleaseSpinLock(&Driver.Lock, irql);
    }
    return CompleteRequest(irp, status, 0);
}

static NTSTATUS WINAPI DispatchCleanup(DEVICE_OBJECT *device, IRP *irp)
{
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    if (device == Driver.Tablet && stack->FileObject &&
        stack->FileObject == Driver.EventFile)
        ReleaseEvent();
    return CompleteRequest(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS WINAPI DispatchClose(DEVICE_OBJECT *device, IRP *irp)
{
    KIRQL irql;
    if (device == Driver.Tablet) {
        KeAcquireSpinLock(&Driver.Lock, &irql);
        Driver.State.Closes++;
        AppendLogLocked(VTABLET_LOG_CLOSE, STATUS_SUCCESS, NULL, 0, 0);
        KeReleaseSpinLock(&Driver.Lock, irql);
    }
    return CompleteRequest(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS WINAPI DispatchDeviceControl(DEVICE_OBJECT *device, IRP *irp)
{
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    if (device == Driver.Tablet)
        return DispatchTabletControl(irp, stack);
    return DispatchTestControl(irp, stack);
}

static void DeleteDevice(DEVICE_OBJECT **device, const WCHAR *link, BOOLEAN linked)
{
    UNICODE_STRING name;
    if (!*device)
        return;
    RtlInitUnicodeString(&name, link);
    if (linked)
        IoDeleteSymbolicLink(&name);
    IoDeleteDevice(*device);
    *device = NULL;
}

static void WINAPI DriverUnload(DRIVER_OBJECT *driver)
{
    (void)driver;
    ReleaseEvent();
    DeleteDevice(&Driver.Tablet, TabletLink, Driver.TabletLinked);
    DeleteDevice(&Driver.Control, ControlLink, TRUE);
    if (Driver.Log)
        ExFreePoolWithTag(Driver.Log, POOL_TAG);
    Driver.Log = NULL;
    if (Driver.Stamps)
        ExFreePoolWithTag(Driver.Stamps, POOL_TAG);
    Driver.Stamps = NULL;
}

static NTSTATUS CreateNamedDevice(DRIVER_OBJECT *driver, const WCHAR *deviceName,
                                  const WCHAR *linkName, DEVICE_OBJECT **device)
{
    UNICODE_STRING name, link;
    NTSTATUS status;
    RtlInitUnicodeString(&name, deviceName);
    RtlInitUnicodeString(&link, linkName);
    status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, device);
    if (!NT_SUCCESS(status))
        return status;
    status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(*device);
        *device = NULL;
    }
    return status;
}

NTSTATUS WINAPI DriverEntry(DRIVER_OBJECT *driver, UNICODE_STRING *registry)
{
    NTSTATUS status;
    (void)registry;

    RtlZeroMemory(&Driver, sizeof Driver);
    KeInitializeSpinLock(&Driver.Lock);
    ResetSettings();
    Driver.Log = (VTabletLogEntry *)ExAllocatePoolWithTag(
        NonPagedPool, VTABLET_LOG_CAPACITY * sizeof(VTabletLogEntry), POOL_TAG);
    Driver.Stamps = (VTabletStamp *)ExAllocatePoolWithTag(
        NonPagedPool, VTABLET_STAMP_CAPACITY * sizeof(VTabletStamp), POOL_TAG);
    if (!Driver.Log || !Driver.Stamps) {
        DriverUnload(driver);
        return STATUS_INSUFFICIENT_RESOURCES;
    }

    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchCleanup;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchDeviceControl;
    driver->DriverUnload = DriverUnload;

    status = CreateNamedDevice(driver, TabletName, TabletLink, &Driver.Tablet);
    Driver.TabletLinked = NT_SUCCESS(status);
    if (NT_SUCCESS(status))
        status = CreateNamedDevice(driver, ControlName, ControlLink, &Driver.Control);
    if (!NT_SUCCESS(status))
        DriverUnload(driver);
    return status;
}
