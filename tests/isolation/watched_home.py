#!/usr/bin/python3
"""Runs test suites, and so the tools they start, as a developer runs them
by hand: HOME is a watched folder with something in it and no XDG folder is
set. Passes when the folder is afterwards exactly as it was (every entry's
kind, permissions, size, modification time and contents), and no temporary
home of a suite is left behind.

  watched_home.py --tests BUILD/tests --resources PATHS RUN...

Each RUN is SUITE or SUITE:FILTER (a GoogleTest filter); a run must pass and
run at least one test. Exit 0 when every run passed and the home is as it was.
"""
import argparse
import glob
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile


def snapshot(root):
    """Every entry under root, with what a change would alter."""
    entries = {}
    for folder, folders, files in os.walk(root):
        for name in folders + files:
            path = os.path.join(folder, name)
            info = os.lstat(path)
            digest = None
            if os.path.isfile(path) and not os.path.islink(path):
                with open(path, "rb") as f:
                    digest = hashlib.sha256(f.read()).hexdigest()
            entries[os.path.relpath(path, root)] = (info.st_mode, info.st_size, info.st_mtime_ns, digest)
    # The home itself: an entry added and removed again still changes its time.
    info = os.lstat(root)
    entries["."] = (info.st_mode, info.st_size, info.st_mtime_ns, None)
    return entries


def furnish(home):
    """A home as a user's looks: settings, caches, thumbnails, a document."""
    for folder in (".config/other-program", ".cache/thumbnails/large", ".local/share", ".local/state"):
        os.makedirs(os.path.join(home, folder))
    for name, text in ((".config/other-program/settings.ini", "[General]\nkept=1\n"),
                       ("letter.txt", "a document of the user's\n")):
        with open(os.path.join(home, name), "w") as f:
            f.write(text)


def run_suite(tests, run, env):
    suite, _, pattern = run.partition(":")
    command = [os.path.abspath(os.path.join(tests, suite))] + (["--gtest_filter=" + pattern] if pattern else [])
    done = subprocess.run(command, env=env, cwd=env["TMPDIR"], stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True, errors="replace", timeout=1200)
    ran = re.search(r"\[==========\] (\d+) tests? from .* ran\.", done.stdout)
    if done.returncode != 0 or not ran or int(ran.group(1)) == 0:
        return "%s: exit %d, %s\n%s" % (run, done.returncode, ran.group(0) if ran else "no tests ran", done.stdout)
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tests", required=True)
    parser.add_argument("--resources", required=True)
    parser.add_argument("runs", nargs="+")
    arguments = parser.parse_args()

    failures = []
    with tempfile.TemporaryDirectory(prefix="quiverleaf-watched-") as work:
        home = os.path.join(work, "home")
        temporary = os.path.join(work, "tmp")
        os.makedirs(temporary)
        furnish(home)
        before = snapshot(home)
        env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_")}
        env.update({"HOME": home, "TMPDIR": temporary, "QT_QPA_PLATFORM": "offscreen",
                    "QUIVERLEAF_RESOURCES": arguments.resources})
        for run in arguments.runs:
            failure = run_suite(arguments.tests, run, env)
            if failure:
                failures.append(failure)
        after = snapshot(home)
        changed = before != after
        for path in sorted(set(before) | set(after)):
            if path not in before:
                failures.append("written into the home: " + path)
            elif path not in after:
                failures.append("removed from the home: " + path)
            elif before[path] != after[path]:
                failures.append("changed in the home: " + path)
        for left in glob.glob(os.path.join(temporary, "quiverleaf-home-*")):
            failures.append("a temporary home was left behind: " + os.path.basename(left))
        shutil.rmtree(home, ignore_errors=True)
    for failure in failures:
        print(failure)
    print("%d runs, %d failures, home %s" % (len(arguments.runs), len(failures), "changed" if changed else "untouched"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
