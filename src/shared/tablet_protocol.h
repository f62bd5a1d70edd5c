/* How the tablet is recognised among the HID devices, and what crosses to
   its kernel driver through "\\.\USBTablet": the control codes, the pen
   packet, the settings block and the extents word.  Plain C so that the
   test stand-in driver shares it. */
#ifndef TABLET_PROTOCOL_H
#define TABLET_PROTOCOL_H

#define TABLET_DEVICE_PATH "\\\\.\\USBTablet"

/* The tablet among the HID devices: its USB vendor and product ids. */
#define TABLET_VENDOR_ID  0x2C5E
#define TABLET_PRODUCT_ID 0x0100

/* CTL_CODE(FILE_DEVICE_UNKNOWN, function, METHOD_BUFFERED, FILE_ANY_ACCESS) */
#define TABLET_CTL_CODE(function) ((0x22u << 16) | ((unsigned)(function) << 2))

#define IOCTL_TABLET_SET_EVENT        TABLET_CTL_CODE(0x802) /* in: 4-byte event handle */
#define IOCTL_TABLET_READ_PACKET      TABLET_CTL_CODE(0x803) /* out: PenPacket */
#define IOCTL_TABLET_ENABLE           TABLET_CTL_CODE(0x804) /* in: u32 1 on, 0 off */
#define IOCTL_TABLET_SET_ABSOLUTE     TABLET_CTL_CODE(0x805) /* in: u32 1 absolute, 0 relative */
#define IOCTL_TABLET_SET_ORIENTATION  TABLET_CTL_CODE(0x806) /* in: u32 0 landscape, 1 portrait */
#define IOCTL_TABLET_SET_SENSITIVITY  TABLET_CTL_CODE(0x807) /* in: u32 sensitivity */
#define IOCTL_TABLET_SET_EXTENTS      TABLET_CTL_CODE(0x808) /* in: u32 extents word */
#define IOCTL_TABLET_SET_SETTINGS     TABLET_CTL_CODE(0xBE0) /* in: DriverSettingsBlock */

#define PEN_STATUS_BUTTON1   0x20u
#define PEN_STATUS_BUTTON2   0x40u
#define PEN_STATUS_IN_RANGE  0x80u

#define PEN_NO_POSITION (-1)

#pragma pack(push, 1)

/* One pen report, 20 bytes little-endian, written by the driver. */
typedef struct PenPacket {
    int x;               /* -1: no position */
    int y;               /* -1: no position */
    unsigned reserved1;
    unsigned status;     /* PEN_STATUS_* bits */
    unsigned reserved2;
} PenPacket;

/* The stored settings, handed to the driver whole (32 bytes). */
typedef struct DriverSettingsBlock {
    unsigned short Sensitivity;  /* 0 */
    unsigned short Landscape;    /* 2: 0 landscape, 1 portrait */
    unsigned short Absolute;     /* 4: 1 absolute, 0 relative */
    unsigned short WorkingArea;  /* 6: 1 = whole tablet */
    unsigned short StartX;       /* 8 */
    unsigned short StartY;       /* 10 */
    unsigned short EndX;         /* 12 */
    unsigned short EndY;         /* 14 */
    unsigned char Button1;       /* 16: low byte of pen button 1's action */
    unsigned char Button2;       /* 17: low byte of pen button 2's action */
    unsigned char Reserved[14];  /* 18: always zero */
} DriverSettingsBlock;

#pragma pack(pop)

/* (X max << 16) | Y max in 32 bits: X max loses its high bits, Y max is
   not masked and may spill into the upper half. */
#define TABLET_EXTENTS_WORD(xmax, ymax) \
    ((((unsigned)(xmax)) << 16) | ((unsigned)(ymax)))

#ifdef __cplusplus
#include <cstddef>
static_assert(sizeof(PenPacket) == 20, "PenPacket is 20 bytes");
static_assert(offsetof(PenPacket, x) == 0, "x at 0");
static_assert(offsetof(PenPacket, y) == 4, "y at 4");
static_assert(offsetof(PenPacket, status) == 12, "status at 12");
static_assert(sizeof(DriverSettingsBlock) == 32, "settings block is 32 bytes");
static_assert(offsetof(DriverSettingsBlock, Landscape) == 2, "Landscape at 2");
static_assert(offsetof(DriverSettingsBlock, Absolute) == 4, "Absolute at 4");
static_assert(offsetof(DriverSettingsBlock, WorkingArea) == 6, "WorkingArea at 6");
static_assert(offsetof(DriverSettingsBlock, StartX) == 8, "StartX at 8");
static_assert(offsetof(DriverSettingsBlock, StartY) == 10, "StartY at 10");
static_assert(offsetof(DriverSettingsBlock, EndX) == 12, "EndX at 12");
static_assert(offsetof(DriverSettingsBlock, EndY) == 14, "EndY at 14");
static_assert(offsetof(DriverSettingsBlock, Button1) == 16, "Button1 at 16");
static_assert(offsetof(DriverSettingsBlock, Button2) == 17, "Button2 at 17");
static_assert(offsetof(DriverSettingsBlock, Reserved) == 18, "reserved from 18");
static_assert(IOCTL_TABLET_SET_EVENT == 0x222008, "set event");
static_assert(IOCTL_TABLET_READ_PACKET == 0x22200C, "read packet");
static_assert(IOCTL_TABLET_ENABLE == 0x222010, "enable");
static_assert(IOCTL_TABLET_SET_ABSOLUTE == 0x222014, "absolute");
static_assert(IOCTL_TABLET_SET_ORIENTATION == 0x222018, "orientation");
static_assert(IOCTL_TABLET_SET_SENSITIVITY == 0x22201C, "sensitivity");
static_assert(IOCTL_TABLET_SET_EXTENTS == 0x222020, "extents");
static_assert(IOCTL_TABLET_SET_SETTINGS == 0x222F80, "settings");
#endif

#endif
