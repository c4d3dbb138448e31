#!/usr/bin/env python3
"""Fails when a source file includes a folder on a higher floor than its own.

The tree reads bottom up: platform and util, net and codes, then the picture
helpers (imaging) and the design helper, then content, shapes and canvas,
then the application and its panels. Lower floors must never reach up.
Prints each offending include; exits 1 if there is any.
"""
import os
import re
import sys

# Folders that must not include the application or its panels.
BELOW_APP = ("platform", "util", "net", "codes", "imaging", "design", "content", "shapes", "canvas")
TOP = ("app", "panels")
# The helper floors may include only these folders besides their own.
ONLY = {
    "imaging": ("platform", "util", "net", "imaging"),
    "design": ("platform", "util", "net", "imaging", "design"),
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(src, path):
    """The top folder under src that an include names, or None for the file's own folder."""
    rel = os.path.relpath(path, src)
    return None if rel.startswith("..") else rel.split(os.sep)[0]


def offences(src):
    for floor in BELOW_APP:
        top = os.path.join(src, floor)
        for here, _, names in os.walk(top):
            for name in sorted(names):
                if not name.endswith((".h", ".cpp", ".c")):
                    continue
                path = os.path.join(here, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = m.group(1)
                        local = os.path.normpath(os.path.join(here, target))
                        if os.path.exists(local) and not target.startswith("."):
                            continue  # a file beside this one
                        resolved = local if target.startswith(".") else os.path.join(src, target)
                        reached = folder_of(src, resolved)
                        if reached is None or "/" not in os.path.relpath(resolved, src):
                            continue
                        allowed = ONLY.get(floor)
                        if reached in TOP or (allowed is not None and reached not in allowed):
                            yield f"{os.path.relpath(path, os.path.dirname(src))}:{number}: includes \"{target}\" from {reached}/, above {floor}/"


def main():
    src = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "src"))
    found = list(offences(src))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) reach a higher floor", file=sys.stderr)
        return 1
    print("every include stays on its floor or below")
    return 0


if __name__ == "__main__":
    sys.exit(main())
