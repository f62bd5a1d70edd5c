/* What a HID minidriver and the bus under it need from hidport.h, which
   MinGW does not ship: the documented layouts of the registration record,
   the device extension, the attributes and the HID descriptor, and the
   minidriver control codes (MinGW's hidclass.h gives bare numbers). */
#ifndef HID_MINIDRIVER_H
#define HID_MINIDRIVER_H

#include <ntddk.h>

#define HID_REVISION 1

typedef struct _HID_MINIDRIVER_REGISTRATION {
    ULONG Revision;
    DRIVER_OBJECT *DriverObject;
    UNICODE_STRING *RegistryPath;
    ULONG DeviceExtensionSize;
    BOOLEAN DevicesArePolled;
    UCHAR Reserved[3];
} HID_MINIDRIVER_REGISTRATION;

typedef struct _HID_DEVICE_EXTENSION {
    DEVICE_OBJECT *PhysicalDeviceObject;
    DEVICE_OBJECT *NextDeviceObject;
    void *MiniDeviceExtension;
} HID_DEVICE_EXTENSION;

typedef struct _HID_DEVICE_ATTRIBUTES {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
} HID_DEVICE_ATTRIBUTES;

#include <pshpack1.h>
typedef struct _HID_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    struct {
        UCHAR bReportType;
        USHORT wReportLength;
    } DescriptorList[1];
} HID_DESCRIPTOR;
#include <poppack.h>

NTSTATUS WINAPI HidRegisterMinidriver(HID_MINIDRIVER_REGISTRATION *registration);

#define HID_CTL_CODE(id) CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_NEITHER, FILE_ANY_ACCESS)
#define IOCTL_HID_GET_DEVICE_DESCRIPTOR   HID_CTL_CODE(0)
#define IOCTL_HID_GET_REPORT_DESCRIPTOR   HID_CTL_CODE(1)
#define IOCTL_HID_READ_REPORT             HID_CTL_CODE(2)
#define IOCTL_HID_WRITE_REPORT            HID_CTL_CODE(3)
#define IOCTL_HID_GET_STRING              HID_CTL_CODE(4)
#define IOCTL_HID_ACTIVATE_DEVICE         HID_CTL_CODE(7)
#define IOCTL_HID_DEACTIVATE_DEVICE       HID_CTL_CODE(8)
#define IOCTL_HID_GET_DEVICE_ATTRIBUTES   HID_CTL_CODE(9)

#endif
