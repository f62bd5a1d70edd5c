/* vtabhid.sys: the HID minidriver of the virtual tablets.  Each tablet is a
   child device of vtabbus.sys, which answers the HID requests itself; this
   driver only puts hidclass on top of it and passes everything down. */
#include <ntddk.h>

#include "hid_minidriver.h"

static DEVICE_OBJECT *LowerDevice(DEVICE_OBJECT *device)
{
    HID_DEVICE_EXTENSION *ext = (HID_DEVICE_EXTENSION *)device->DeviceExtension;
    return ext->NextDeviceObject;
}

static NTSTATUS WINAPI PassDown(DEVICE_OBJECT *device, IRP *irp)
{
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(LowerDevice(device), irp);
}

static NTSTATUS WINAPI PassPowerDown(DEVICE_OBJECT *device, IRP *irp)
{
    PoStartNextPowerIrp(irp);
    IoSkipCurrentIrpStackLocation(irp);
    return PoCallDriver(LowerDevice(device), irp);
}

static NTSTATUS WINAPI AddDevice(DRIVER_OBJECT *driver, DEVICE_OBJECT *device)
{
    (void)driver;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

static void WINAPI Unload(DRIVER_OBJECT *driver)
{
    (void)driver;
}

NTSTATUS WINAPI DriverEntry(DRIVER_OBJECT *driver, UNICODE_STRING *registry)
{
    HID_MINIDRIVER_REGISTRATION registration;

    driver->DriverExtension->AddDevice = AddDevice;
    driver->DriverUnload = Unload;
    driver->MajorFunction[IRP_MJ_PNP] = PassDown;
    driver->MajorFunction[IRP_MJ_POWER] = PassPowerDown;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = PassDown;

    RtlZeroMemory(&registration, sizeof registration);
    registration.Revision = HID_REVISION;
    registration.DriverObject = driver;
    registration.RegistryPath = registry;
    registration.DeviceExtensionSize = 0;
    registration.DevicesArePolled = FALSE;
    return HidRegisterMinidriver(&registration);
}
