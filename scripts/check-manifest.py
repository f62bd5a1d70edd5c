#!/usr/bin/env python3
"""Reads the application manifest (resource type 24, id 1) out of a Windows
executable and checks it: run as the invoker (no elevation, so no registry
redirection), asking for no UI access (with --ui-access: asking for it),
every Windows from Vista to 11 named as supported, no common-controls
dependency (which would change how the dialogs look), and with
--per-monitor-dpi the per-monitor DPI awareness of both forms.

    scripts/check-manifest.py EXE [--per-monitor-dpi] [--ui-access]
Prints one line; exits 1 with FAIL: on the first problem.

    scripts/check-manifest.py EXE --ui-access-value
Prints what the manifest asks for UI access: true or false."""
import struct
import sys
import xml.etree.ElementTree as ET

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPAT = "urn:schemas-microsoft-com:compatibility.v1"
DPI_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
DPI_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
SUPPORTED = {  # Vista, 7, 8, 8.1, 10 and 11
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}
RT_MANIFEST, MANIFEST_ID = 24, 1


def fail(text):
    print("FAIL: " + text)
    sys.exit(1)


def manifest_bytes(image):
    """The data of resource 24/1 (any language), or None."""
    if image[:2] != b"MZ":
        fail("not an executable")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        fail("not a PE file")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    rsrc_rva = struct.unpack_from("<I", image, directories + 2 * 8)[0]
    table = optional + optional_size
    base = None
    for i in range(sections):
        _, vsize, rva, rawsize, rawptr = struct.unpack_from("<8sIIII", image, table + 40 * i)
        if rva <= rsrc_rva < rva + max(vsize, rawsize):
            base, delta = rawptr + rsrc_rva - rva, rva - rawptr
    if not rsrc_rva or base is None:
        return None

    def entries(offset):
        named, numbered = struct.unpack_from("<12xHH", image, base + offset)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", image, base + offset + 16 + 8 * i)
            yield name, target

    def find(offset, wanted):
        for name, target in entries(offset):
            if not name & 0x80000000 and name == wanted and target & 0x80000000:
                return target & 0x7FFFFFFF
        return None

    names = find(0, RT_MANIFEST)
    languages = find(names, MANIFEST_ID) if names is not None else None
    if languages is None:
        return None
    for _, target in entries(languages):
        data_rva, size = struct.unpack_from("<II", image, base + target)
        start = data_rva - delta
        return image[start:start + size]
    return None


def main():
    options = sys.argv[2:]
    if len(sys.argv) < 2 or (options != ["--ui-access-value"] and not set(options) <= {
            "--per-monitor-dpi", "--ui-access"}):
        print(__doc__)
        sys.exit(2)
    with open(sys.argv[1], "rb") as f:
        data = manifest_bytes(f.read())
    if data is None:
        fail("no application manifest (resource 24/1)")
    try:
        root = ET.fromstring(data)
    except ET.ParseError as e:
        fail("the manifest is not well-formed XML: %s" % e)
    if root.tag != "{%s}assembly" % ASM_V1:
        fail("the manifest's root is %s" % root.tag)
    levels = [e.get("level") for e in root.iter("{%s}requestedExecutionLevel" % ASM_V3)]
    uiaccess = [e.get("uiAccess", "false") for e in root.iter("{%s}requestedExecutionLevel" % ASM_V3)]
    if options == ["--ui-access-value"]:
        if uiaccess not in (["false"], ["true"]):
            fail("uiAccess is %s" % uiaccess)
        print(uiaccess[0])
        return
    wanted = "true" if "--ui-access" in options else "false"
    if levels != ["asInvoker"] or uiaccess != [wanted]:
        fail("requestedExecutionLevel is %s (uiAccess %s), not asInvoker (uiAccess %s)"
             % (levels, uiaccess, wanted))
    supported = {e.get("Id", "").lower() for e in root.iter("{%s}supportedOS" % COMPAT)}
    if supported != SUPPORTED:
        fail("supportedOS names %s" % sorted(supported))
    if any(e.get("name") == "Microsoft.Windows.Common-Controls"
           for e in root.iter("{%s}assemblyIdentity" % ASM_V1)):
        fail("depends on the common controls 6, which restyle the dialogs")
    dpi_aware = [e.text for e in root.iter("{%s}dpiAware" % DPI_2005)]
    dpi_awareness = [e.text for e in root.iter("{%s}dpiAwareness" % DPI_2016)]
    dpi = ""
    if "--per-monitor-dpi" in options:
        if dpi_aware != ["true/pm"] or dpi_awareness != ["PerMonitorV2, PerMonitor"]:
            fail("not per-monitor DPI aware: dpiAware %s, dpiAwareness %s"
                 % (dpi_aware, dpi_awareness))
        dpi = ", per-monitor DPI aware"
    elif dpi_aware or dpi_awareness:
        fail("declares a DPI awareness")
    print("%s: manifest asInvoker%s, Vista to 11%s"
          % (sys.argv[1], ", UI access" if wanted == "true" else "", dpi))


main()
