#!/usr/bin/env python3
"""Fails when the README tells the reader to run a command that is not there.

A command is a code span of several words (`scripts/test asan`) or a line of
a shell block; its first word must be a program of the tree or on the PATH.

  check_readme_commands.py ROOT
"""
import os
import re
import shutil
import sys

SPAN = re.compile(r"`([^`\n]+)`")
FENCE = re.compile(r"^```sh\n(.*?)^```", re.M | re.S)


def commands(text):
    for block in FENCE.findall(text):
        for line in block.splitlines():
            line = line.split("#", 1)[0].strip()
            if line:
                yield line
    for span in SPAN.findall(FENCE.sub("", text)):
        if " " in span.strip():
            yield span.strip()


def runnable(root, program):
    path = os.path.join(root, program)
    if os.path.isfile(path) and os.access(path, os.X_OK):
        return True
    return "/" not in program and shutil.which(program) is not None


def main():
    root = sys.argv[1]
    with open(os.path.join(root, "README.md"), encoding="utf-8") as readme:
        text = readme.read()
    missing = sorted({c for c in commands(text) if not runnable(root, c.split()[0])})
    for command in missing:
        print(f"the README says `{command}`, and there is no such program")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
