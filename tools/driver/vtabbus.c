/* vtabbus.sys: a root-enumerated bus whose children are virtual HID
   tablets, plugged and unplugged at run time through "\\.\VTabletBus"
   (see vtablet_control.h).

   Each child answers hidclass's requests itself (vtabhid.sys, matched
   through the child's second hardware id, passes them down): the ids, a
   Digitizer/Pen report descriptor with X and Y of the chosen logical
   maxima, and a read-report request that stays pending until the child
   goes away.  Plugging changes the child list and asks the system to query
   the bus relations again; a child dropped from the list is removed by the
   system. */
#include <ntddk.h>

#include "hid_minidriver.h"
#include "vtablet_control.h"


enum DeviceKind { KIND_FDO = 1, KIND_CONTROL, KIND_CHILD };

typedef struct Child {
    int Kind;                 /* KIND_CHILD */
    VTabletDeviceSpec Spec;
    unsigned Instance;        /* fresh for every plug */
    BOOLEAN Present;          /* reported in the bus relations */
    BOOLEAN Reported;         /* the system has seen it */
    IRP *PendingRead;
    UCHAR Report[128];        /* the report descriptor */
    USHORT ReportLength;
} Child;

typedef struct Extension {
    int Kind;
} Extension;

static struct {
    KSPIN_LOCK Lock;
    DEVICE_OBJECT *Fdo;
    DEVICE_OBJECT *Pdo;       /* the root device under the bus */
    DEVICE_OBJECT *Lower;
    DEVICE_OBJECT *Control;
    DEVICE_OBJECT *Children[VTABLET_MAX_DEVICES];
    unsigned NextInstance;
} Bus;

static const WCHAR ControlName[] = L"\\Device\\VTabletBus";
static const WCHAR ControlLink[] = L"\\DosDevices\\VTabletBus";

static int KindOf(DEVICE_OBJECT *device)
{
    return ((Extension *)device->DeviceExtension)->Kind;
}

/* ---- The report descriptor ------------------------------------------- */

static USHORT PutItem(UCHAR *out, USHORT at, UCHAR tag, ULONG value, int size)
{
    out[at++] = (UCHAR)(tag | (size == 4 ? 3 : size));
    for (int i = 0; i < size; i++)
        out[at++] = (UCHAR)(value >> (8 * i));
    return at;
}

/* A pen in a Digitizer application collection: tip, barrel, secondary
   barrel and in-range bits, then X and Y (Generic Desktop, 32 bits each,
   0..maximum) unless the device is described without them. */
static void BuildReportDescriptor(Child *child)
{
    UCHAR *d = child->Report;
    USHORT n = 0;
    n = PutItem(d, n, 0x04, 0x0D, 1);   /* Usage Page (Digitizer) */
    n = PutItem(d, n, 0x08, 0x02, 1);   /* Usage (Pen) */
    n = PutItem(d, n, 0xA0, 0x01, 1);   /* Collection (Application) */
    n = PutItem(d, n, 0x84, 0x01, 1);   /*   Report ID 1 */
    n = PutItem(d, n, 0x08, 0x20, 1);   /*   Usage (Stylus) */
    n = PutItem(d, n, 0xA0, 0x00, 1);   /*   Collection (Physical) */
    n = PutItem(d, n, 0x08, 0x42, 1);   /*     Usage (Tip Switch) */
    n = PutItem(d, n, 0x08, 0x44, 1);   /*     Usage (Barrel Switch) */
    n = PutItem(d, n, 0x08, 0x5A, 1);   /*     Usage (Secondary Barrel Switch) */
    n = PutItem(d, n, 0x08, 0x32, 1);   /*     Usage (In Range) */
    n = PutItem(d, n, 0x14, 0, 1);      /*     Logical Minimum 0 */
    n = PutItem(d, n, 0x24, 1, 1);      /*     Logical Maximum 1 */
    n = PutItem(d, n, 0x74, 1, 1);      /*     Report Size 1 */
    n = PutItem(d, n, 0x94, 4, 1);      /*     Report Count 4 */
    n = PutItem(d, n, 0x80, 0x02, 1);   /*     Input (Data, Variable, Absolute) */
    n = PutItem(d, n, 0x80, 0x03, 1);   /*     Input (Constant): 4 bits of padding */
    if (!(child->Spec.Flags & VTABLET_NO_XY)) {
        n = PutItem(d, n, 0x04, 0x01, 1);               /* Usage Page (Generic Desktop) */
        n = PutItem(d, n, 0x74, 32, 1);                 /* Report Size 32 */
        n = PutItem(d, n, 0x94, 1, 1);                  /* Report Count 1 */
        n = PutItem(d, n, 0x14, 0, 1);                  /* Logical Minimum 0 */
        n = PutItem(d, n, 0x08, 0x30, 1);               /* Usage (X) */
        n = PutItem(d, n, 0x24, (ULONG)child->Spec.XMax, 4); /* Logical Maximum */
        n = PutItem(d, n, 0x80, 0x02, 1);               /* Input (Data, Variable, Absolute) */
        n = PutItem(d, n, 0x08, 0x31, 1);               /* Usage (Y) */
        n = PutItem(d, n, 0x24, (ULONG)child->Spec.YMax, 4);
        n = PutItem(d, n, 0x80, 0x02, 1);
    }
    d[n++] = 0xC0;                      /*   End Collection */
    d[n++] = 0xC0;                      /* End Collection */
    child->ReportLength = n;
}

/* ---- Requests of hidclass to a child --------------------------------- */

static NTSTATUS CopyOut(IRP *irp, ULONG room, const void *data, ULONG size)
{
    if (room < size)
        return STATUS_BUFFER_TOO_SMALL;
    RtlCopyMemory(irp->UserBuffer, data, size);
    irp->IoStatus.Information = size;
    return STATUS_SUCCESS;
}

static void WINAPI CancelRead(DEVICE_OBJECT *device, IRP *irp)
{
    Child *child = (Child *)device->DeviceExtension;
    KIRQL irql;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KeAcquireSpinLock(&Bus.Lock, &irql);
    if (child->PendingRead == irp)
        child->PendingRead = NULL;
    KeReleaseSpinLock(&Bus.Lock, irql);
    irp->IoStatus.Status = STATUS_CANCELLED;
    irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
}

/* The read that hidclass keeps pending must end before the child can go. */
static void CompletePendingRead(Child *child)
{
    KIRQL irql;
    IRP *irp;
    KeAcquireSpinLock(&Bus.Lock, &irql);
    irp = child->PendingRead;
    child->PendingRead = NULL;
    KeReleaseSpinLock(&Bus.Lock, irql);
    if (irp && IoSetCancelRoutine(irp, NULL)) {
        irp->IoStatus.Status = STATUS_DELETE_PENDING;
        irp->IoStatus.Information = 0;
        IoCompleteRequest(irp, IO_NO_INCREMENT);
    }
}

static NTSTATUS ChildInternalControl(DEVICE_OBJECT *device, IRP *irp)
{
    Child *child = (Child *)device->DeviceExtension;
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG room = stack->Parameters.DeviceIoControl.OutputBufferLength;
    NTSTATUS status;
    KIRQL irql;

    irp->IoStatus.Information = 0;
    switch (code) {
    case IOCTL_HID_GET_DEVICE_DESCRIPTOR: {
        HID_DESCRIPTOR descriptor;
        RtlZeroMemory(&descriptor, sizeof descriptor);
        descriptor.bLength = sizeof descriptor;
        descriptor.bDescriptorType = 0x21;
        descriptor.bcdHID = 0x0100;
        descriptor.bNumDescriptors = 1;
        descriptor.DescriptorList[0].bReportType = 0x22;
        descriptor.DescriptorList[0].wReportLength = child->ReportLength;
        status = CopyOut(irp, room, &descriptor, sizeof descriptor);
        break;
    }
    case IOCTL_HID_GET_REPORT_DESCRIPTOR:
        status = CopyOut(irp, room, child->Report, child->ReportLength);
        break;
    case IOCTL_HID_GET_DEVICE_ATTRIBUTES: {
        HID_DEVICE_ATTRIBUTES attributes;
        RtlZeroMemory(&attributes, sizeof attributes);
        attributes.Size = sizeof attributes;
        attributes.VendorID = child->Spec.VendorId;
        attributes.ProductID = child->Spec.ProductId;
        attributes.VersionNumber = child->Spec.Version;
        status = CopyOut(irp, room, &attributes, sizeof attributes);
        break;
    }
    case IOCTL_HID_GET_STRING: {
        static const WCHAR Text[] = L"Virtual USB Tablet";
        status = CopyOut(irp, room, Text, sizeof Text);
        break;
    }
    case IOCTL_HID_READ_REPORT:
        /* The pen's data reaches the program through the tablet driver's
           control device, not through HID: the read waits until the child
           goes away. */
        KeAcquireSpinLock(&Bus.Lock, &irql);
        if (child->PendingRead || !child->Present) {
            KeReleaseSpinLock(&Bus.Lock, irql);
            status = child->Present ? STATUS_DEVICE_BUSY : STATUS_DELETE_PENDING;
            break;
        }
        IoMarkIrpPending(irp);
        child->PendingRead = irp;
        IoSetCancelRoutine(irp, CancelRead);
        if (irp->Cancel && IoSetCancelRoutine(irp, NULL)) {
            child->PendingRead = NULL;
            KeReleaseSpinLock(&Bus.Lock, irql);
            irp->IoStatus.Status = STATUS_CANCELLED;
            IoCompleteRequest(irp, IO_NO_INCREMENT);
            return STATUS_PENDING;
        }
        KeReleaseSpinLock(&Bus.Lock, irql);
        return STATUS_PENDING;
    case IOCTL_HID_ACTIVATE_DEVICE:
    case IOCTL_HID_DEACTIVATE_DEVICE:
        status = STATUS_SUCCESS;
        break;
    default:
        status = STATUS_NOT_SUPPORTED;
        break;
    }
    irp->IoStatus.Status = status;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* ---- Plug and play ----------------------------------------------------- */

static WCHAR *PoolString(const WCHAR *text, ULONG chars)
{
    WCHAR *copy = (WCHAR *)ExAllocatePool(PagedPool, chars * sizeof(WCHAR));
    if (copy)
        RtlCopyMemory(copy, text, chars * sizeof(WCHAR));
    return copy;
}

static ULONG AppendHex(WCHAR *out, ULONG at, ULONG value, int digits)
{
    static const WCHAR Hex[] = L"0123456789ABCDEF";
    for (int i = digits - 1; i >= 0; i--)
        out[at++] = Hex[(value >> (4 * i)) & 15];
    return at;
}

static ULONG AppendText(WCHAR *out, ULONG at, const WCHAR *text)
{
    while (*text)
        out[at++] = *text++;
    return at;
}

static NTSTATUS QueryChildId(Child *child, BUS_QUERY_ID_TYPE type, ULONG_PTR *information)
{
    WCHAR text[96];
    ULONG n = 0;
    switch (type) {
    case BusQueryDeviceID:
        n = AppendText(text, n, L"VTABLET\\VID_");
        n = AppendHex(text, n, child->Spec.VendorId, 4);
        n = AppendText(text, n, L"&PID_");
        n = AppendHex(text, n, child->Spec.ProductId, 4);
        text[n++] = 0;
        break;
    case BusQueryHardwareIDs:
        n = AppendText(text, n, L"VTABLET\\VID_");
        n = AppendHex(text, n, child->Spec.VendorId, 4);
        n = AppendText(text, n, L"&PID_");
        n = AppendHex(text, n, child->Spec.ProductId, 4);
        text[n++] = 0;
        n = AppendText(text, n, L"VTABLET\\HID_TABLET");
        text[n++] = 0;
        text[n++] = 0;
        break;
    case BusQueryCompatibleIDs:
        text[n++] = 0;
        text[n++] = 0;
        break;
    case BusQueryInstanceID:
        n = AppendHex(text, n, child->Instance, 8);
        text[n++] = 0;
        break;
    default:
        return STATUS_NOT_SUPPORTED;
    }
    WCHAR *copy = PoolString(text, n);
    if (!copy)
        return STATUS_INSUFFICIENT_RESOURCES;
    *information = (ULONG_PTR)copy;
    return STATUS_SUCCESS;
}

static NTSTATUS ChildPnp(DEVICE_OBJECT *device, IRP *irp)
{
    Child *child = (Child *)device->DeviceExtension;
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status = irp->IoStatus.Status;
    KIRQL irql;

    switch (stack->MinorFunction) {
    case IRP_MN_QUERY_ID:
        status = QueryChildId(child, stack->Parameters.QueryId.IdType,
                              &irp->IoStatus.Information);
        break;
    case IRP_MN_QUERY_CAPABILITIES: {
        DEVICE_CAPABILITIES *caps = stack->Parameters.DeviceCapabilities.Capabilities;
        caps->Removable = 1;
        caps->SurpriseRemovalOK = 1;
        caps->UniqueID = 0;
        caps->Address = child->Instance;
        caps->UINumber = child->Spec.Serial;
        status = STATUS_SUCCESS;
        break;
    }
    case IRP_MN_QUERY_DEVICE_RELATIONS:
        if (stack->Parameters.QueryDeviceRelations.Type == TargetDeviceRelation) {
            DEVICE_RELATIONS *relations =
                (DEVICE_RELATIONS *)ExAllocatePool(PagedPool, sizeof *relations);
            if (!relations) {
                status = STATUS_INSUFFICIENT_RESOURCES;
                break;
            }
            ObReferenceObject(device);
            relations->Count = 1;
            relations->Objects[0] = device;
            irp->IoStatus.Information = (ULONG_PTR)relations;
            status = STATUS_SUCCESS;
        }
        break;
    case IRP_MN_START_DEVICE:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE:
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
        status = STATUS_SUCCESS;
        break;
    case IRP_MN_SURPRISE_REMOVAL:
        CompletePendingRead(child);
        status = STATUS_SUCCESS;
        break;
    case IRP_MN_REMOVE_DEVICE: {
        BOOLEAN gone;
        CompletePendingRead(child);
        KeAcquireSpinLock(&Bus.Lock, &irql);
        gone = !child->Present;
        if (gone) {
            for (int i = 0; i < VTABLET_MAX_DEVICES; i++)
                if (Bus.Children[i] == device)
                    Bus.Children[i] = NULL;
        }
        KeReleaseSpinLock(&Bus.Lock, irql);
        irp->IoStatus.Status = STATUS_SUCCESS;
        IoCompleteRequest(irp, IO_NO_INCREMENT);
        if (gone)
            IoDeleteDevice(device);
        return STATUS_SUCCESS;
    }
    default:
        break;
    }
    irp->IoStatus.Status = status;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS AnswerBusRelations(IRP *irp)
{
    DEVICE_RELATIONS *relations;
    ULONG count = 0;
    KIRQL irql;

    relations = (DEVICE_RELATIONS *)ExAllocatePool(
        PagedPool, sizeof(DEVICE_RELATIONS) + VTABLET_MAX_DEVICES * sizeof(DEVICE_OBJECT *));
    if (!relations)
        return STATUS_INSUFFICIENT_RESOURCES;
    KeAcquireSpinLock(&Bus.Lock, &irql);
    for (int i = 0; i < VTABLET_MAX_DEVICES; i++) {
        DEVICE_OBJECT *device = Bus.Children[i];
        if (!device)
            continue;
        Child *child = (Child *)device->DeviceExtension;
        if (!child->Present)
            continue;
        child->Reported = TRUE;
        ObReferenceObject(device);
        relations->Objects[count++] = device;
    }
    KeReleaseSpinLock(&Bus.Lock, irql);
    relations->Count = count;
    irp->IoStatus.Information = (ULONG_PTR)relations;
    return STATUS_SUCCESS;
}

static void DeleteControlDevice(void)
{
    UNICODE_STRING link;
    if (!Bus.Control)
        return;
    RtlInitUnicodeString(&link, ControlLink);
    IoDeleteSymbolicLink(&link);
    IoDeleteDevice(Bus.Control);
    Bus.Control = NULL;
}

static NTSTATUS FdoPnp(DEVICE_OBJECT *device, IRP *irp)
{
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    DEVICE_OBJECT *lower = Bus.Lower;

    switch (stack->MinorFunction) {
    case IRP_MN_QUERY_DEVICE_RELATIONS:
        if (stack->Parameters.QueryDeviceRelations.Type == BusRelations) {
            NTSTATUS status = AnswerBusRelations(irp);
            irp->IoStatus.Status = status;
            if (!NT_SUCCESS(status)) {
                IoCompleteRequest(irp, IO_NO_INCREMENT);
                return status;
            }
        }
        break;
    case IRP_MN_START_DEVICE:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE:
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_SURPRISE_REMOVAL:
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    case IRP_MN_REMOVE_DEVICE: {
        NTSTATUS status;
        irp->IoStatus.Status = STATUS_SUCCESS;
        IoSkipCurrentIrpStackLocation(irp);
        status = IoCallDriver(lower, irp);
        DeleteControlDevice();
        IoDetachDevice(lower);
        IoDeleteDevice(device);
        Bus.Fdo = NULL;
        return status;
    }
    default:
        break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(lower, irp);
}

/* ---- The control channel --------------------------------------------- */

static NTSTATUS PlugChild(const VTabletDeviceSpec *spec)
{
    DEVICE_OBJECT *device;
    NTSTATUS status;
    KIRQL irql;
    int slot = -1;

    if (!Bus.Fdo)
        return STATUS_NO_SUCH_DEVICE;
    KeAcquireSpinLock(&Bus.Lock, &irql);
    for (int i = 0; i < VTABLET_MAX_DEVICES; i++) {
        DEVICE_OBJECT *d = Bus.Children[i];
        if (!d) {
            if (slot < 0)
                slot = i;
            continue;
        }
        Child *c = (Child *)d->DeviceExtension;
        if (c->Present && c->Spec.Serial == spec->Serial) {
            KeReleaseSpinLock(&Bus.Lock, irql);
            return STATUS_OBJECT_NAME_COLLISION;
        }
    }
    KeReleaseSpinLock(&Bus.Lock, irql);
    if (slot < 0)
        return STATUS_TOO_MANY_NAMES;

    status = IoCreateDevice(Bus.Fdo->DriverObject, sizeof(Child), NULL,
                            FILE_DEVICE_BUS_EXTENDER, FILE_AUTOGENERATED_DEVICE_NAME,
                            FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    Child *child = (Child *)device->DeviceExtension;
    RtlZeroMemory(child, sizeof *child);
    child->Kind = KIND_CHILD;
    child->Spec = *spec;
    BuildReportDescriptor(child);
    device->Flags &= ~DO_DEVICE_INITIALIZING;

    KeAcquireSpinLock(&Bus.Lock, &irql);
    child->Instance = ++Bus.NextInstance;
    child->Present = TRUE;
    Bus.Children[slot] = device;
    KeReleaseSpinLock(&Bus.Lock, irql);
    IoInvalidateDeviceRelations(Bus.Pdo, BusRelations);
    return STATUS_SUCCESS;
}

static NTSTATUS UnplugChildren(ULONG serial)
{
    BOOLEAN found = FALSE;
    KIRQL irql;
    DEVICE_OBJECT *forget[VTABLET_MAX_DEVICES];
    int forgotten = 0;

    KeAcquireSpinLock(&Bus.Lock, &irql);
    for (int i = 0; i < VTABLET_MAX_DEVICES; i++) {
        DEVICE_OBJECT *d = Bus.Children[i];
        if (!d)
            continue;
        Child *c = (Child *)d->DeviceExtension;
        if (!c->Present || (serial != VTABLET_ALL_DEVICES && c->Spec.Serial != serial))
            continue;
        c->Present = FALSE;
        found = TRUE;
        if (!c->Reported) {     /* never seen by the system: ours to delete */
            Bus.Children[i] = NULL;
            forget[forgotten++] = d;
        }
    }
    KeReleaseSpinLock(&Bus.Lock, irql);
    for (int i = 0; i < forgotten; i++)
        IoDeleteDevice(forget[i]);
    if (found && Bus.Pdo)
        IoInvalidateDeviceRelations(Bus.Pdo, BusRelations);
    return found || serial == VTABLET_ALL_DEVICES ? STATUS_SUCCESS : STATUS_NOT_FOUND;
}

static NTSTATUS ControlRequest(IRP *irp)
{
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    void *buffer = irp->AssociatedIrp.SystemBuffer;
    NTSTATUS status;
    ULONG_PTR information = 0;
    KIRQL irql;

    switch (code) {
    case IOCTL_VTABLET_BUS_PLUG:
        status = inLength < sizeof(VTabletDeviceSpec)
                     ? STATUS_INVALID_PARAMETER
                     : PlugChild((const VTabletDeviceSpec *)buffer);
        break;
    case IOCTL_VTABLET_BUS_UNPLUG:
        status = inLength < sizeof(ULONG) ? STATUS_INVALID_PARAMETER
                                          : UnplugChildren(*(const ULONG *)buffer);
        break;
    case IOCTL_VTABLET_BUS_COUNT: {
        ULONG count = 0;
        if (outLength < sizeof count) {
            status = STATUS_BUFFER_TOO_SMALL;
            break;
        }
        KeAcquireSpinLock(&Bus.Lock, &irql);
        for (int i = 0; i < VTABLET_MAX_DEVICES; i++)
            if (Bus.Children[i] && ((Child *)Bus.Children[i]->DeviceExtension)->Present)
                count++;
        KeReleaseSpinLock(&Bus.Lock, irql);
        *(ULONG *)buffer = count;
        information = sizeof count;
        status = STATUS_SUCCESS;
        break;
    }
    default:
        status = STATUS_INVALID_DEVICE_REQUEST;
        break;
    }
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_SUCCESS(status) ? information : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* ---- Dispatch ---------------------------------------------------------- */

static NTSTATUS Complete(IRP *irp, NTSTATUS status)
{
    irp->IoStatus.Status = status;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS WINAPI DispatchPnp(DEVICE_OBJECT *device, IRP *irp)
{
    switch (KindOf(device)) {
    case KIND_FDO:
        return FdoPnp(device, irp);
    case KIND_CHILD:
        return ChildPnp(device, irp);
    default:
        return Complete(irp, STATUS_NOT_SUPPORTED);
    }
}

static NTSTATUS WINAPI DispatchPower(DEVICE_OBJECT *device, IRP *irp)
{
    PoStartNextPowerIrp(irp);
    if (KindOf(device) == KIND_FDO) {
        IoSkipCurrentIrpStackLocation(irp);
        return PoCallDriver(Bus.Lower, irp);
    }
    return Complete(irp, STATUS_SUCCESS);
}

static NTSTATUS WINAPI DispatchInternalControl(DEVICE_OBJECT *device, IRP *irp)
{
    if (KindOf(device) == KIND_CHILD)
        return ChildInternalControl(device, irp);
    return Complete(irp, STATUS_NOT_SUPPORTED);
}

static NTSTATUS WINAPI DispatchControl(DEVICE_OBJECT *device, IRP *irp)
{
    if (KindOf(device) == KIND_CONTROL)
        return ControlRequest(irp);
    return Complete(irp, STATUS_NOT_SUPPORTED);
}

static NTSTATUS WINAPI DispatchCreateClose(DEVICE_OBJECT *device, IRP *irp)
{
    irp->IoStatus.Information = 0;
    return Complete(irp, KindOf(device) == KIND_CONTROL ? STATUS_SUCCESS
                                                         : STATUS_ACCESS_DENIED);
}

static NTSTATUS WINAPI AddDevice(DRIVER_OBJECT *driver, DEVICE_OBJECT *pdo)
{
    UNICODE_STRING name, link;
    DEVICE_OBJECT *fdo;
    NTSTATUS status;

    if (Bus.Fdo)
        return STATUS_DEVICE_ALREADY_ATTACHED;
    status = IoCreateDevice(driver, sizeof(Extension), NULL, FILE_DEVICE_BUS_EXTENDER,
                            0, FALSE, &fdo);
    if (!NT_SUCCESS(status))
        return status;
    ((Extension *)fdo->DeviceExtension)->Kind = KIND_FDO;
    Bus.Lower = IoAttachDeviceToDeviceStack(fdo, pdo);
    Bus.Pdo = pdo;
    Bus.Fdo = fdo;

    RtlInitUnicodeString(&name, ControlName);
    RtlInitUnicodeString(&link, ControlLink);
    status = IoCreateDevice(driver, sizeof(Extension), &name, FILE_DEVICE_UNKNOWN, 0,
                            FALSE, &Bus.Control);
    if (NT_SUCCESS(status)) {
        ((Extension *)Bus.Control->DeviceExtension)->Kind = KIND_CONTROL;
        if (!NT_SUCCESS(IoCreateSymbolicLink(&link, &name))) {
            IoDeleteDevice(Bus.Control);
            Bus.Control = NULL;
        } else {
            Bus.Control->Flags &= ~DO_DEVICE_INITIALIZING;
        }
    }
    fdo->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

static void WINAPI Unload(DRIVER_OBJECT *driver)
{
    (void)driver;
    DeleteControlDevice();
}

NTSTATUS WINAPI DriverEntry(DRIVER_OBJECT *driver, UNICODE_STRING *registry)
{
    (void)registry;
    RtlZeroMemory(&Bus, sizeof Bus);
    KeInitializeSpinLock(&Bus.Lock);
    driver->DriverExtension->AddDevice = AddDevice;
    driver->DriverUnload = Unload;
    driver->MajorFunction[IRP_MJ_PNP] = DispatchPnp;
    driver->MajorFunction[IRP_MJ_POWER] = DispatchPower;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = DispatchInternalControl;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCreateClose;
    return STATUS_SUCCESS;
}
