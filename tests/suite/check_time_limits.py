#!/usr/bin/env python3
"""Fails when a test of this build may be stopped before its time.

Every ctest entry carries a time limit of its own (none falls back to the
command line's), and in a sanitized build each limit has grown by the
build's allowance: no entry is given less than 300 s in a plain build, so
none may have less than 300 s times the allowance here.

Each test program's listing of its tests, which ctest runs before any test,
has its limit grown by the allowance as well.

The listing is taken from a folder of its own that names the build's tests:
a ctest started in the build folder itself would write over the log of the
run this check is part of.

  check_time_limits.py --ctest CTEST --build DIR --allowance N [--listing SECONDS]
"""
import argparse
import glob
import json
import os
import re
import subprocess
import sys
import tempfile

SHORTEST = 300


def list_tests(ctest, build):
    with tempfile.TemporaryDirectory(prefix="time-limits-") as folder:
        with open(os.path.join(folder, "CTestTestfile.cmake"), "w", encoding="utf-8") as testfile:
            testfile.write(f'subdirs("{os.path.abspath(build)}")\n')
        listing = subprocess.run([ctest, "--show-only=json-v1"], cwd=folder,
                                 capture_output=True, text=True, check=True)
    return json.loads(listing.stdout)["tests"]


def listing_limits(build):
    """The listing limit of every test program, by its include file."""
    limits = {}
    for include in glob.glob(os.path.join(build, "**", "*_include.cmake"), recursive=True):
        with open(include, encoding="utf-8") as text:
            found = re.search(r"TEST_DISCOVERY_TIMEOUT \[==\[(\d+)\]==\]", text.read())
        if found:
            limits[os.path.basename(include)] = int(found.group(1))
    return limits


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ctest", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--allowance", type=int, required=True)
    parser.add_argument("--listing", type=int, default=30)
    arguments = parser.parse_args()
    tests = list_tests(arguments.ctest, arguments.build)
    shortest = SHORTEST * arguments.allowance
    faults = []
    for test in tests:
        limits = [p["value"] for p in test.get("properties", []) if p["name"] == "TIMEOUT"]
        if not limits:
            faults.append(f"{test['name']}: no time limit of its own")
        elif limits[0] < shortest:
            faults.append(f"{test['name']}: {limits[0]:g} s, less than {shortest} s")
    listing = arguments.listing * arguments.allowance
    for include, limit in sorted(listing_limits(arguments.build).items()):
        if limit < listing:
            faults.append(f"{include}: lists its tests within {limit} s, less than {listing} s")
    for fault in faults:
        print(fault)
    print(f"{len(tests)} tests, {len(faults)} without their time")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
