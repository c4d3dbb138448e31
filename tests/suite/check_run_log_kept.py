#!/usr/bin/env python3
"""Fails when the check of time limits, run as part of a ctest run, takes away
that run's log, where the output of passing tests (and any sanitizer report of
a child process) is read afterwards.

A small suite of two entries is run in a folder of its own: one that prints a
marker, then the check itself. The run's log must still hold the marker.

  check_run_log_kept.py --ctest CTEST --check check_time_limits.py
"""
import argparse
import os
import subprocess
import sys
import tempfile

MARKER = "output-of-a-passing-test"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ctest", required=True)
    parser.add_argument("--check", required=True)
    arguments = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="run-log-") as suite:
        with open(os.path.join(suite, "CTestTestfile.cmake"), "w", encoding="utf-8") as testfile:
            testfile.write(f'add_test(marker "{sys.executable}" -c "print(\'{MARKER}\')")\n'
                           f'add_test(time_limits "{sys.executable}" "{arguments.check}" '
                           f'--ctest "{arguments.ctest}" --build "{suite}" --allowance 1)\n'
                           'set_tests_properties(marker time_limits PROPERTIES TIMEOUT 300)\n')
        subprocess.run([arguments.ctest, "-j1"], cwd=suite, capture_output=True, check=True)
        with open(os.path.join(suite, "Testing", "Temporary", "LastTest.log"), encoding="utf-8") as log:
            kept = MARKER in log.read()
    print("the run's log keeps its tests' output" if kept else "the run's log lost its tests' output")
    return 0 if kept else 1


if __name__ == "__main__":
    sys.exit(main())
