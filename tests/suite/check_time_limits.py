#!/usr/bin/env python3
"""Fails when a test of this build may be stopped before its time.

Every ctest entry carries a time limit of its own (none falls back to the
command line's), and in a sanitized build each limit has grown by the
build's allowance: no entry is given less than 300 s in a plain build, so
none may have less than 300 s times the allowance here.

  check_time_limits.py --ctest CTEST --build DIR --allowance N
"""
import argparse
import json
import subprocess
import sys

SHORTEST = 300


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ctest", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--allowance", type=int, required=True)
    arguments = parser.parse_args()
    listing = subprocess.run([arguments.ctest, "--show-only=json-v1"], cwd=arguments.build,
                             capture_output=True, text=True, check=True)
    tests = json.loads(listing.stdout)["tests"]
    shortest = SHORTEST * arguments.allowance
    faults = []
    for test in tests:
        limits = [p["value"] for p in test.get("properties", []) if p["name"] == "TIMEOUT"]
        if not limits:
            faults.append(f"{test['name']}: no time limit of its own")
        elif limits[0] < shortest:
            faults.append(f"{test['name']}: {limits[0]:g} s, less than {shortest} s")
    for fault in faults:
        print(fault)
    print(f"{len(tests)} tests, {len(faults)} without their time")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
