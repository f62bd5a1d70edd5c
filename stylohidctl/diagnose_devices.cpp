// diagnose: the tablet among the HID devices, found the way the program
// finds it, and the tablet driver's control device.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "shared/tablet_protocol.h"
#include "shared/hid_walk.h"
#include "ctl_commands.h"
#include "ctl_program.h"
#include "ctl_report.h"
#include "diagnose.h"

// Other devices of the tablet's maker named on the tablet's line.
#define OTHER_DEVICES_MAX 8

// ---- The tablet among the HID devices ----------------------------------

struct TabletSearch {
    int Tablets;        // interfaces with the tablet's vendor and product
    int Opened;         // of those, opened the way the program opens them
    DWORD OpenError;    // why the last of the others did not open
    bool HasX, HasY;    // the last opened tablet's report has X, Y
    LONG XMax, YMax;
    int Others;         // devices of the tablet's vendor with another product
    USHORT OtherProducts[OTHER_DEVICES_MAX];
};

static void ExamineTablet(const char *path, TabletSearch *search)
{
    search->Tablets++;
    HANDLE device = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, 0, NULL);
    if (device == INVALID_HANDLE_VALUE) {
        search->OpenError = GetLastError();
        return;
    }
    search->Opened++;
    search->HasX = search->HasY = false;
    PHIDP_PREPARSED_DATA preparsed;
    if (HidD_GetPreparsedData(device, &preparsed)) {
        HIDP_CAPS caps;
        if (HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS) {
            search->HasX = ReadHidLogicalMax(preparsed, &caps, HID_USAGE_X, &search->XMax);
            search->HasY = ReadHidLogicalMax(preparsed, &caps, HID_USAGE_Y, &search->YMax);
        }
        HidD_FreePreparsedData(preparsed);
    }
    CloseHandle(device);
}

// Reads the interface's USB ids without asking for access, so that a device
// held by another program is still named.  Every interface is looked at.
static bool ExamineInterface(DWORD, const char *path, void *context)
{
    TabletSearch *search = (TabletSearch *)context;
    HANDLE device = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, 0, NULL);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    HIDD_ATTRIBUTES attributes;
    attributes.Size = sizeof attributes;
    BOOL known = HidD_GetAttributes(device, &attributes);
    CloseHandle(device);
    if (!known || attributes.VendorID != TABLET_VENDOR_ID)
        return false;
    if (attributes.ProductID == TABLET_PRODUCT_ID)
        ExamineTablet(path, search);
    else if (search->Others < OTHER_DEVICES_MAX)
        search->OtherProducts[search->Others++] = attributes.ProductID;
    return false;
}

static bool SearchHidDevices(TabletSearch *search, DWORD *error)
{
    return VisitHidInterfaces(ExamineInterface, search, error);
}

// No interface with the tablet's ids: the other devices of its maker, if
// any, are named.
static bool PrintTabletNotFound(const char *label, const TabletSearch &search)
{
    char others[OTHER_DEVICES_MAX * 40] = "";
    for (int i = 0; i < search.Others; i++) {
        size_t used = strlen(others);
        snprintf(others + used, sizeof others - used, "%s0x%04X",
                 i == 0 ? "" : i + 1 == search.Others ? " and " : ", ",
                 search.OtherProducts[i]);
    }
    if (search.Others > 0)
        return PrintCheck(label, false,
                          "not found among the HID devices. Windows sees "
                          "another device of the tablet's maker (vendor 0x%04X, "
                          "product %s), which is not this tablet (product "
                          "0x%04X). Plug the tablet in, or try another USB port.",
                          TABLET_VENDOR_ID, others, TABLET_PRODUCT_ID);
    return PrintCheck(label, false,
                      "not found among the HID devices (no device with vendor "
                      "0x%04X, product 0x%04X). Plug the tablet in or try "
                      "another USB port; if Windows still does not list it "
                      "under Human Interface Devices in the Device Manager, "
                      "install the tablet's own driver.",
                      TABLET_VENDOR_ID, TABLET_PRODUCT_ID);
}

bool CheckTabletPresent()
{
    const char *label = "Tablet";
    TabletSearch search;
    ZeroMemory(&search, sizeof search);
    DWORD error = 0;
    char reason[ERROR_TEXT_MAX];
    if (!SearchHidDevices(&search, &error)) {
        DescribeReason(error, reason, sizeof reason);
        return PrintCheck(label, false,
                          "Windows did not list its HID devices (%s). Restart "
                          "Windows and run stylohidctl diagnose again.", reason);
    }
    if (search.Opened > 0 && search.HasX && search.HasY)
        return PrintCheck(label, true,
                          "found among the HID devices (vendor 0x%04X, product "
                          "0x%04X), X up to %ld, Y up to %ld.",
                          TABLET_VENDOR_ID, TABLET_PRODUCT_ID,
                          (long)search.XMax, (long)search.YMax);
    if (search.Opened > 0)
        return PrintCheck(label, false,
                          "found, but its HID report gives no %s range, so the "
                          "program cannot place the pointer. Unplug the tablet, "
                          "reinstall the tablet's own driver and plug it in again.",
                          search.HasX ? "Y" : search.HasY ? "X" : "X and no Y");
    if (search.Tablets > 0) {
        DescribeReason(search.OpenError, reason, sizeof reason);
        return PrintCheck(label, false,
                          "plugged in, but it does not open for reading and "
                          "writing as the program opens it (%s). Close other "
                          "programs that use the tablet, then unplug it and plug "
                          "it in again.", reason);
    }
    return PrintTabletNotFound(label, search);
}

// ---- The driver's control device -----------------------------------------

// Opened as the program opens it and closed at once, but only while the
// program does not run: even an open and a close reach the driver (create,
// cleanup, close), and a driver that serves one client may reset on them and
// cut the running program off.  A running program is the proof that the
// device opens: without it the program ends.
bool CheckControlDevice()
{
    const char *label = "Driver";
    RunningProgram program;
    if (FindRunningProgram(&program))
        return PrintCheck(label, true,
                          "the tablet driver's device %s is not opened while the "
                          "program runs (process id %lu): the program uses it once "
                          "it has found the tablet, and ends when it cannot open it.",
                          TABLET_DEVICE_PATH, (unsigned long)program.ProcessId);
    HANDLE device = CreateFileA(TABLET_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (device != INVALID_HANDLE_VALUE) {
        CloseHandle(device);
        return PrintCheck(label, true, "the tablet driver's device %s opens.",
                          TABLET_DEVICE_PATH);
    }
    DWORD error = GetLastError();
    char reason[ERROR_TEXT_MAX];
    DescribeReason(error, reason, sizeof reason);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return PrintCheck(label, false,
                          "the tablet driver's device %s does not open (%s): the "
                          "driver is not loaded. Install the tablet's own driver, "
                          "then unplug the tablet and plug it in again (or "
                          "restart Windows).", TABLET_DEVICE_PATH, reason);
    return PrintCheck(label, false,
                      "the tablet driver's device %s does not open (%s). Unplug "
                      "the tablet and plug it in again; if that does not help, "
                      "restart Windows.", TABLET_DEVICE_PATH, reason);
}
