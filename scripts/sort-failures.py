#!/usr/bin/env python3
"""Sorts the failures of one ctest run, for scripts/run-ctest.sh.

A test whose process ended without any output and without running out of
time (now and then a Wine test process does, on a busy machine) is listed
in ctest's list of failed tests, so that `ctest --rerun-failed` runs it
once more; every other failure counts as it is.

    scripts/sort-failures.py BUILD_DIR JUNIT_XML CONSOLE_LOG

Rewrites BUILD_DIR/Testing/Temporary/LastTestsFailed.log with the silent
failures only (empty when there are none).  Called after ctest failed;
prints one line per failure and exits 1 when a failure other than a silent
one counts (or ctest failed without naming a test), else 0.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

build, junit, console = sys.argv[1:4]
failed_list = os.path.join(build, "Testing", "Temporary", "LastTestsFailed.log")
if not os.path.exists(failed_list):
    print("  ctest failed, and names no test that did")
    sys.exit(1)
failed = []  # (line, name) as ctest wrote them
with open(failed_list) as lines:
    for line in lines:
        line = line.strip()
        if ":" in line:
            failed.append((line, line.split(":", 1)[1]))
if not failed:
    print("  ctest failed, and names no test that did")
    sys.exit(1)

output = {}
try:
    for case in ET.parse(junit).getroot().iter("testcase"):
        output[case.get("name")] = case.findtext("system-out") or ""
except (OSError, ET.ParseError):
    pass  # no results: nothing is known to be silent
timed_out = set()
with open(console, errors="replace") as lines:
    for line in lines:
        match = re.search(r"Test +#\d+: (\S+) .*\*\*\*Timeout", line)
        if match:
            timed_out.add(match.group(1))

silent = [(line, name) for line, name in failed
          if name in output and not output[name].strip() and name not in timed_out]
silent_names = {name for _, name in silent}
for _, name in failed:
    print(f"  {name}: " + ("no output at all, run once more" if name in silent_names
                           else "counts as failed"))
with open(failed_list, "w") as lines:
    lines.writelines(line + "\n" for line, _ in silent)
sys.exit(0 if len(silent) == len(failed) else 1)
