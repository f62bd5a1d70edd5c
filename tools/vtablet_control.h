/* The test-only control channel of the virtual tablet's drivers.  Plain C:
   shared by the kernel drivers, the command-line tool and the end-to-end
   tests.

   "\\.\USBTabletTest" belongs to usbtablet.sys, the stand-in for the tablet
   driver behind "\\.\USBTablet": it queues pen packets, fails chosen
   requests, refuses opens, simulates the tablet going away and reports
   every request the program made.

   "\\.\VTabletBus" belongs to vtabbus.sys, the bus driver that plugs and
   unplugs virtual HID tablets at run time. */
#ifndef VTABLET_CONTROL_H
#define VTABLET_CONTROL_H

#include "shared/tablet_protocol.h"

#define VTABLET_CONTROL_PATH "\\\\.\\USBTabletTest"
#define VTABLET_BUS_PATH     "\\\\.\\VTabletBus"

/* --- usbtablet.sys, "\\.\USBTabletTest" ----------------------------- */

/* in: none.  Empties the queue, the log and the failure rules, forgets the
   event and every setting, accepts opens and plugs the tablet back. */
#define IOCTL_VTABLET_RESET          TABLET_CTL_CODE(0x900)
/* in: n PenPackets, appended in order.  The queue holds
   VTABLET_QUEUE_CAPACITY packets; beyond that the oldest is dropped and
   counted in VTabletState.Dropped.  Packets wait while reporting is off. */
#define IOCTL_VTABLET_QUEUE_PACKETS  TABLET_CTL_CODE(0x901)
/* in: VTabletFailRule. */
#define IOCTL_VTABLET_SET_FAILURE    TABLET_CTL_CODE(0x902)
/* in: u32, nonzero: every open of "\\.\USBTablet" fails (the device's
   name is withdrawn: CreateFile fails with ERROR_FILE_NOT_FOUND). */
#define IOCTL_VTABLET_REFUSE_OPEN    TABLET_CTL_CODE(0x903)
/* out: VTabletState. */
#define IOCTL_VTABLET_GET_STATE      TABLET_CTL_CODE(0x904)
/* in: u32 first sequence number wanted; out: VTabletLogEntry array, the
   entries from that number on that still are in the log, oldest first. */
#define IOCTL_VTABLET_READ_LOG       TABLET_CTL_CODE(0x905)
/* in: u32, VTABLET_UNPLUG_GONE: the tablet is gone: the armed event is
   signalled and every later request and open of "\\.\USBTablet" fails;
   VTABLET_UNPLUG_ASLEEP: the same without the signal, as a driver that lost
   the tablet in a sleep (the caller waits on); 0: back again. */
#define IOCTL_VTABLET_UNPLUG         TABLET_CTL_CODE(0x906)
#define VTABLET_UNPLUG_GONE   1u
#define VTABLET_UNPLUG_ASLEEP 2u

/* in: u32 first packet number; out: VTabletStamp array, the packets queued
   from that number on whose stamps still are kept, oldest first.  Packets
   are numbered from 0 in the order queued (IOCTL_VTABLET_RESET restarts). */
#define IOCTL_VTABLET_READ_STAMPS    TABLET_CTL_CODE(0x907)

#define VTABLET_QUEUE_CAPACITY 1024
#define VTABLET_LOG_CAPACITY   16384
#define VTABLET_MAX_RULES      16

/* Pseudo codes in the log for the opens and closes of "\\.\USBTablet". */
#define VTABLET_LOG_OPEN  1u
#define VTABLET_LOG_CLOSE 2u

/* Requests of Code fail with Status: the first Skip of them pass, then
   Count fail (VTABLET_FAIL_FOREVER: all of them).  Count 0 removes the rule
   for Code.  Status 0 means STATUS_UNSUCCESSFUL. */
#define VTABLET_FAIL_FOREVER 0xFFFFFFFFu
typedef struct VTabletFailRule {
    unsigned Code;
    unsigned Skip;
    unsigned Count;
    unsigned Status;
} VTabletFailRule;

/* A setting that was never accepted reads VTABLET_NEVER_SET. */
#define VTABLET_NEVER_SET 0xFFFFFFFFu

typedef struct VTabletState {
    unsigned Enabled;       /* last IOCTL_TABLET_ENABLE value accepted, 0 at start */
    unsigned Absolute;      /* last accepted values, or VTABLET_NEVER_SET */
    unsigned Orientation;
    unsigned Sensitivity;
    unsigned Extents;
    unsigned SettingsCount; /* IOCTL_TABLET_SET_SETTINGS accepted */
    unsigned char Settings[32]; /* the last block accepted */
    unsigned Queued;        /* packets waiting */
    unsigned Dropped;       /* dropped because the queue was full */
    unsigned Delivered;     /* packets handed out by IOCTL_TABLET_READ_PACKET */
    unsigned EmptyReads;    /* reads with no packet ready (0 bytes returned) */
    unsigned Opens;         /* successful opens of "\\.\USBTablet" */
    unsigned Closes;        /* closes of those handles */
    unsigned RefusedOpens;  /* opens that reached the driver and were refused */
    unsigned EventArmed;    /* 1 while the driver holds a caller's event */
    unsigned EventSignals;  /* times the driver signalled it */
    unsigned LogTotal;      /* sequence number the next log entry gets */
    unsigned RefuseOpen;
    unsigned Unplugged;
} VTabletState;

typedef struct VTabletLogEntry {
    unsigned Sequence;
    unsigned Code;          /* control code, or VTABLET_LOG_OPEN/CLOSE */
    unsigned ProcessId;
    unsigned Status;        /* NTSTATUS the request completed with */
    unsigned InputLength;
    unsigned OutputLength;
    unsigned char Input[32]; /* the first 32 input bytes */
} VTabletLogEntry;

/* When a packet was queued and when IOCTL_TABLET_READ_PACKET handed it out,
   in KeQueryPerformanceCounter ticks (QueryPerformanceCounter's clock). */
#define VTABLET_STAMP_CAPACITY 65536
typedef struct VTabletStamp {
    unsigned Number;
    int X, Y;
    unsigned Read;          /* 1 once handed out */
    long long QueuedAt;
    long long ReadAt;       /* 0 while not handed out */
} VTabletStamp;

/* --- vtabbus.sys, "\\.\VTabletBus" ------------------------------------ */

/* in: VTabletDeviceSpec.  Plugs a HID tablet; fails if Serial is in use. */
#define IOCTL_VTABLET_BUS_PLUG       TABLET_CTL_CODE(0x920)
/* in: u32 serial, or VTABLET_ALL_DEVICES. */
#define IOCTL_VTABLET_BUS_UNPLUG     TABLET_CTL_CODE(0x921)
/* out: u32 count of plugged devices. */
#define IOCTL_VTABLET_BUS_COUNT      TABLET_CTL_CODE(0x922)

#define VTABLET_ALL_DEVICES 0xFFFFFFFFu
#define VTABLET_MAX_DEVICES 16

#define VTABLET_VENDOR_ID  TABLET_VENDOR_ID
#define VTABLET_PRODUCT_ID TABLET_PRODUCT_ID
#define VTABLET_DEFAULT_X_MAX 0x7FFF
#define VTABLET_DEFAULT_Y_MAX 0x5FFF

/* VTabletDeviceSpec.Flags */
#define VTABLET_NO_XY 1u    /* the report has buttons only, no X and Y */

typedef struct VTabletDeviceSpec {
    unsigned Serial;        /* names the device; 1..0xFFFF */
    unsigned short VendorId;
    unsigned short ProductId;
    unsigned short Version;
    unsigned short Flags;
    int XMax;               /* logical maxima of X and Y */
    int YMax;
} VTabletDeviceSpec;

#endif
