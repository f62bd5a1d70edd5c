// The real OS boundary's device files and HID enumeration, apart from the
// rest so that the applet and stylohidctl, which walk the HID interfaces as
// the program does, link these and nothing of the shell or of input.
#include "os/os.h"

HANDLE OsCreateFile(LPCSTR path, DWORD access, DWORD share, DWORD disposition,
                    DWORD flagsAndAttributes)
{
    return CreateFileA(path, access, share, NULL, disposition,
                       flagsAndAttributes, NULL);
}

BOOL OsDeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize,
                       LPVOID out, DWORD outSize, LPDWORD returned)
{
    return DeviceIoControl(device, code, in, inSize, out, outSize, returned,
                           NULL);
}

BOOL OsCloseHandle(HANDLE handle) { return CloseHandle(handle); }

void OsHidGetHidGuid(GUID *guid) { HidD_GetHidGuid(guid); }

HDEVINFO OsSetupDiGetClassDevs(const GUID *guid, DWORD flags)
{
    return SetupDiGetClassDevsA(guid, NULL, NULL, flags);
}

BOOL OsSetupDiEnumDeviceInterfaces(HDEVINFO set, const GUID *guid, DWORD index,
                                   PSP_DEVICE_INTERFACE_DATA data)
{
    return SetupDiEnumDeviceInterfaces(set, NULL, guid, index, data);
}

BOOL OsSetupDiGetDeviceInterfaceDetail(HDEVINFO set,
                                       PSP_DEVICE_INTERFACE_DATA data,
                                       PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                       DWORD detailSize, PDWORD requiredSize)
{
    return SetupDiGetDeviceInterfaceDetailA(set, data, detail, detailSize,
                                            requiredSize, NULL);
}

BOOL OsSetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    return SetupDiDestroyDeviceInfoList(set);
}

BOOLEAN OsHidGetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA *data)
{
    return HidD_GetPreparsedData(device, data);
}

BOOLEAN OsHidFreePreparsedData(PHIDP_PREPARSED_DATA data)
{
    return HidD_FreePreparsedData(data);
}

BOOLEAN OsHidGetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes)
{
    return HidD_GetAttributes(device, attributes);
}

NTSTATUS OsHidGetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps)
{
    return HidP_GetCaps(data, caps);
}

NTSTATUS OsHidGetSpecificValueCaps(HIDP_REPORT_TYPE type, USAGE usagePage,
                                   USHORT linkCollection, USAGE usage,
                                   PHIDP_VALUE_CAPS caps, PUSHORT capsLength,
                                   PHIDP_PREPARSED_DATA data)
{
    return HidP_GetSpecificValueCaps(type, usagePage, linkCollection, usage,
                                     caps, capsLength, data);
}
