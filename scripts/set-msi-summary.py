#!/usr/bin/env python3
"""Sets a Windows Installer package's creation and last-saved times and its
package code (the summary information's revision number), in place.

    scripts/set-msi-summary.py PACKAGE EPOCH PACKAGE_CODE

wixl writes the time of the build and a random package code there, and
msibuild can change neither the times nor keep anything else of a package
from changing; scripts/package.sh puts in the release's time and a package
code derived from the package's content instead.  The stream keeps its size:
the two times are 8 bytes each and a package code is always 38 characters,
so the bytes are overwritten where they lie in the compound file.
"""
import re
import struct
import sys

SIGNATURE = bytes.fromhex("d0cf11e0a1b11ae1")
END_OF_CHAIN = 0xFFFFFFFE
STREAM_NAME = "\x05SummaryInformation"
VT_LPSTR, VT_FILETIME = 0x1E, 0x40
PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM = 9, 12, 13
FILETIME_1970 = 116444736000000000  # 100 ns units from 1601 to 1970


def fail(message):
    sys.exit("set-msi-summary.py: " + message)


def u32(data, offset):
    return struct.unpack_from("<I", data, offset)[0]


def stream_offsets(data, name):
    """The file offset of every byte of the named stream of the root."""
    if data[:8] != SIGNATURE:
        fail("not a compound file")
    sector = 1 << struct.unpack_from("<H", data, 0x1E)[0]
    mini = 1 << struct.unpack_from("<H", data, 0x20)[0]
    cutoff = u32(data, 0x38)

    def at(sid):
        return (sid + 1) * sector

    # The allocation table: its sectors are listed in the header and then
    # in a chain of further list sectors.
    fat_sectors = [u32(data, 0x4C + 4 * i) for i in range(109)]
    difat, per = u32(data, 0x44), sector // 4 - 1
    while difat < END_OF_CHAIN:
        fat_sectors += [u32(data, at(difat) + 4 * i) for i in range(per)]
        difat = u32(data, at(difat) + 4 * per)
    fat = []
    for sid in fat_sectors[:u32(data, 0x2C)]:
        fat += struct.unpack_from("<%dI" % (sector // 4), data, at(sid))

    def chain(start, table):
        sids, seen = [], set()
        while start < END_OF_CHAIN:
            if start in seen or start >= len(table):
                fail("broken sector chain")
            seen.add(start)
            sids.append(start)
            start = table[start]
        return sids

    directory = b"".join(data[at(s):at(s) + sector] for s in chain(u32(data, 0x30), fat))
    entries = {}
    for i in range(len(directory) // 128):
        entry = directory[i * 128:(i + 1) * 128]
        length = struct.unpack_from("<H", entry, 64)[0]
        entry_name = entry[:max(length - 2, 0)].decode("utf-16-le", "replace")
        entries.setdefault(entry_name, (u32(entry, 116), u32(entry, 120)))
    if name not in entries:
        fail("no %r stream" % name)
    start, size = entries[name]
    root_start = entries["Root Entry"][0]

    if size >= cutoff:
        unit, sids, place = sector, chain(start, fat), at
    else:
        minifat = []
        for sid in chain(u32(data, 0x3C), fat):
            minifat += struct.unpack_from("<%dI" % (sector // 4), data, at(sid))
        root_sectors = chain(root_start, fat)

        def place(msid):
            offset = msid * mini
            return at(root_sectors[offset // sector]) + offset % sector
        unit, sids = mini, chain(start, minifat)
    offsets = [place(sid) + i for sid in sids for i in range(unit)]
    if len(offsets) < size:
        fail("stream %r is shorter than its size" % name)
    return offsets[:size]


def patch(stream, filetime, package_code):
    """Sets the two times and the revision number of a summary stream."""
    if struct.unpack_from("<H", stream, 0)[0] != 0xFFFE:
        fail("not a property set")
    section = u32(stream, 44)
    count = u32(stream, section + 4)
    properties = {}
    for i in range(count):
        pid, offset = struct.unpack_from("<II", stream, section + 8 + 8 * i)
        properties[pid] = section + offset
    for pid in (PID_CREATE_DTM, PID_LASTSAVE_DTM):
        if pid not in properties or u32(stream, properties[pid]) != VT_FILETIME:
            fail("no time %d in the summary information" % pid)
        struct.pack_into("<Q", stream, properties[pid] + 4, filetime)
    where = properties.get(PID_REVNUMBER)
    if where is None or u32(stream, where) != VT_LPSTR:
        fail("no package code in the summary information")
    new = package_code.encode("ascii") + b"\0"
    if u32(stream, where + 4) != len(new):
        fail("the package code in the package is not a {GUID}")
    stream[where + 8:where + 8 + len(new)] = new


def main():
    if len(sys.argv) != 4:
        fail("usage: set-msi-summary.py PACKAGE EPOCH PACKAGE_CODE")
    path, epoch, code = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    if not re.fullmatch(r"\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}", code):
        fail("package code %s is not an upper-case {GUID}" % code)
    with open(path, "r+b") as f:
        data = bytearray(f.read())
        offsets = stream_offsets(data, STREAM_NAME)
        stream = bytearray(data[o] for o in offsets)
        patch(stream, FILETIME_1970 + epoch * 10000000, code)
        for offset, byte in zip(offsets, stream):
            data[offset] = byte
        f.seek(0)
        f.write(data)


if __name__ == "__main__":
    main()
