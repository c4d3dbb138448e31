#!/usr/bin/python3
"""Runs every hostile document through page-render and canvas-replay and
reports, one line per document and tool, whether the program coped.

  run_hostile.py --tools BUILD/tools --work DIR [--only NAME ...] [--jobs N] [--sanitized]
                 [--make-only | --made] [--shard K/N]

--make-only writes the documents into DIR/docs and runs nothing; --made runs
the documents found there (a fixture writes them once for every shard and
for window_checks.py);
--shard K/N runs the K-th of N shares of the runs, so that each share stays
well within a test's time on a busy machine.

Each run gets a fresh temporary folder (TMPDIR, TEMP, TMP) holding one
"secret.txt", a home of its own and a limit of 60 seconds of processor time
(its own and its children's: wall time on a busy machine says little), plus
what the manifest grants a document on top ("budget": output waits for EPS
conversions until the document's conversion time is spent; the window draws
a costly outline on worker threads after each edit). A run that is
still going after three times its limit of wall time is stopped. A run
passes when
  - it ends in time, with exit 0 and its output (a PDF poppler reads; a saved
    document plistlib reads and a picture of the window), or with exit 1 and
    one line saying why;
  - its peak memory (getrusage of the child) stays under 2 GB;
  - the temporary folder holds nothing but the untouched secret afterwards,
    nothing was planted in /tmp, the input file is unchanged and no process
    of the run is left behind;
  - the saved document holds every picture of the input, byte for byte
    (sha256), and what the manifest expects of it (page sizes, page counts);
  - pictures that must show are in the PDF (pdfimages), and a picture that
    cannot be drawn makes page-render write its PDF and exit 1 naming it.
Tools built with AddressSanitizer (--sanitized) map shadow memory far beyond
any address-space guard and run slower: they are bounded by their resident
memory instead (AddressSanitizer's own hard limit, of the guard's size), get
SANITIZED_SLOWDOWN times the processor time, and no check of peak memory.
Documents of issue 54 say more in the manifest: an address space of their
own ("address-space", in bytes), a lower limit of peak memory ("peak",
in bytes), that they must open ("opens"), a script of
their own ("script", with the file `{drop}` made sparse of "drop-size"
bytes) and what the window must say ("alert"); documents of issue 62 what
the one line refusing them must say ("refused"), and what the program's own
message of the refusal, which it logs, must say ("message").
Texts of issue 62 bound their processor time more tightly ("limit", in
seconds, for the usual minute; "limits" for one tool's runs) and may ask for
a PDF whose lines break words with a hyphen ("pdf-hyphenated").
The documents come from make_hostile.py; manifest.json says which fault of
issue 47 each one checks. Exit 0 when every run passed.
"""
import argparse
import hashlib
import json
import math
import os
import plistlib
import resource
import shutil
import signal
import subprocess
import sys
import time
from concurrent.futures import ThreadPoolExecutor

HERE = os.path.dirname(os.path.abspath(__file__))
LIMIT_SECONDS = 60
# Wall time a run may take, as a multiple of its limit, before it is stopped.
HANG_FACTOR = 3
PEAK_LIMIT_KB = 2 * 1024 * 1024
# A PDF page holds 14,400 points a side at the most.
PDF_LARGEST = 14400
# A guard for the machine, well above the limit the test checks.
ADDRESS_SPACE = 6 * 1024 ** 3
# Sanitized tools, built without optimisation, took up to 7.9 times a
# document's allowance of processor time on a busy machine (ten thousand
# blurred shadows through page-render, 943 s): they get twelve times as much.
SANITIZED_SLOWDOWN = 12
SECRET = b"a file of the temporary folder that no document may read or change\n"
PLANTED_OUTSIDE = "/tmp/quiverleaf-hostile-planted.txt"
# One click on the first element and a nudge: an edit, so the save is real.
REPLAY_SCRIPT = "click {x} {y}\nkey Right\nwait 300\n"
# How the program's log of an error it shows begins.
PROGRAM_MESSAGE = "The document “"
# What the toolkit says on the offscreen platform is not the tool's message,
# nor is the program's log of an error it shows (the tool says it again).
CHATTER = ("This plugin does not support", "QStandardPaths:", "libpng warning", "libpng error", PROGRAM_MESSAGE)
# LeakSanitizer's account of the suppressions it applied, printed at exit
# between two rules of dashes: a report of libraries' own memory, not of
# the run.
SUPPRESSIONS_USED = "Suppressions used:"


def tool_message(stderr):
    """The lines of a tool's stderr that are its own message."""
    lines = stderr.splitlines()
    kept, i = [], 0
    while i < len(lines):
        if is_rule(lines[i]) and i + 1 < len(lines) and lines[i + 1] == SUPPRESSIONS_USED:
            end = next((j for j in range(i + 2, len(lines)) if is_rule(lines[j])), None)
            if end is not None:
                i = end + 1
                continue
        kept.append(lines[i])
        i += 1
    return [line for line in kept if line.strip() and not line.startswith(CHATTER)]


def is_rule(line):
    return len(line) >= 20 and set(line) == {"-"}


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def fresh(path, mode=0o700):
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path, mode=mode)
    os.chmod(path, mode)
    return path


def address_space_guard(size):
    return lambda: resource.setrlimit(resource.RLIMIT_AS, (size, size))


def run_child(command, env, cwd, limit, guard=ADDRESS_SPACE, sanitized=False):
    """Runs a command in a process group of its own, within an address space
    of `guard` bytes (none when None; for a sanitized build, a resident
    memory of that size), stopped after HANG_FACTOR * `limit` seconds;
    returns (exit status, wall seconds, processor seconds, peak KB, stderr,
    processes left behind)."""
    err_path = os.path.join(cwd, "stderr.txt")
    guard_space = None
    if guard and sanitized:
        options = env.get("ASAN_OPTIONS")
        env = dict(env, ASAN_OPTIONS="hard_rss_limit_mb=%d%s" % (guard >> 20, ":" + options if options else ""))
    elif guard:
        guard_space = address_space_guard(guard)
    with open(err_path, "wb") as err:
        started = time.monotonic()
        child = subprocess.Popen(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=err, stderr=err,
                                 start_new_session=True, preexec_fn=guard_space)
        status, usage = None, None
        while status is None:
            pid, raw, rusage = os.wait4(child.pid, os.WNOHANG)
            if pid:
                status, usage = raw, rusage
            elif time.monotonic() - started > HANG_FACTOR * limit:
                os.killpg(child.pid, signal.SIGKILL)
                _, raw, usage = os.wait4(child.pid, 0)
                status = "timeout"
            else:
                time.sleep(0.05)
        seconds = time.monotonic() - started
    child.returncode = 0  # reaped above; keeps Popen from waiting again
    left = wait_for_session_to_end(child.pid)
    with open(err_path, "rb") as err:
        stderr = err.read().decode("utf-8", "replace")
    # wait4 counts the children the run waited for (Ghostscript) too.
    processor = usage.ru_utime + usage.ru_stime
    return status, seconds, processor, usage.ru_maxrss, stderr, left


def session_members(session):
    """Live processes (not zombies) of a session."""
    members = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if fields[0] != "Z" and int(fields[3]) == session:
            members.append(int(pid))
    return members


def wait_for_session_to_end(session, seconds=2.0):
    """Whether processes of the session outlive it by more than `seconds`;
    those that do are killed."""
    deadline = time.monotonic() + seconds
    while session_members(session):
        if time.monotonic() > deadline:
            for pid in session_members(session):
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
            return True
        time.sleep(0.1)
    return False


def describe_status(status, limit):
    if status == "timeout":
        return "still running after %d s" % (HANG_FACTOR * limit)
    if os.WIFSIGNALED(status):
        return "died of signal %d" % os.WTERMSIG(status)
    return "exit %d" % os.WEXITSTATUS(status)


def pictures_in(archive):
    """The sha256 of every data object of a saved document."""
    found = set()

    def walk(value):
        if isinstance(value, bytes):
            found.add(sha256(value))
        elif isinstance(value, dict):
            for v in value.values():
                walk(v)
        elif isinstance(value, list):
            for v in value:
                walk(v)
    walk(archive.get("$objects", []))
    return found


def deref(archive, value):
    objects = archive["$objects"]
    while isinstance(value, plistlib.UID):
        value = objects[value.data]
    return value


def saved_pages(archive):
    pages = deref(archive, archive["$top"]["pages"])
    return [deref(archive, p) for p in deref(archive, pages["NS.objects"])] if isinstance(pages, dict) else []


def geometry(text):
    return [float(n) for n in text.replace("{", " ").replace("}", " ").replace(",", " ").split()]


# ---- Tiles, EPS, unreadable saves, pattern fills ----

def saved_expectation_problems(archive, expect):
    """What the documents' own expectations find wrong with a saved document."""
    wanted = expect.get("text-has")
    if wanted and not any(isinstance(o, str) and wanted in o for o in archive.get("$objects", [])):
        return ["no saved text holds %r" % wanted]
    return []


def pdf_expectation_problems(path, expect):
    largest = expect.get("pdf-bytes")
    if largest and os.path.getsize(path) > largest:
        return ["a PDF of %d MB, more than %d MB" % (os.path.getsize(path) >> 20, largest >> 20)]
    return []


def drop_contents_script(document, docs):
    """The drop that replaces the edit of documents that bring a file."""
    x, y = document["edit-at"]
    return "drop %d %d %s\nwait 300\n" % (x, y, os.path.join(docs, document["expect"]["drop"]))

# ---- end of tiles, EPS, unreadable saves, pattern fills ----


def check_saved(path, document):
    """What is wrong with the document canvas-replay saved, if anything."""
    expect = document["expect"]
    try:
        with open(path, "rb") as f:
            archive = plistlib.load(f)
    except Exception as error:  # any failure to read is the finding
        return ["the saved file does not read: %s" % error]
    problems = []
    missing = [h[:12] for h in document["pictures"] if h not in pictures_in(archive)]
    if missing:
        problems.append("%d of %d pictures not saved back byte for byte (%s)"
                        % (len(missing), len(document["pictures"]), ", ".join(missing)))
    pages = saved_pages(archive)
    if "pages" in expect:
        distinct = {id(p) for p in pages}
        if len(pages) != expect["pages"] or len(distinct) != len(pages):
            problems.append("saved %d pages (%d distinct), not %d" % (len(pages), len(distinct), expect["pages"]))
    if pages and "page-size" in expect:
        size = [pages[0].get("pageWidth"), pages[0].get("pageHeight")]
        if size != expect["page-size"]:
            problems.append("page saved %s, not %s: a repeated key's last entry should count" % (size, expect["page-size"]))
    if pages and "element-frame" in expect:
        elements = deref(archive, pages[0].get("puttyViews"))
        first = deref(archive, deref(archive, elements["NS.objects"])[0]) if elements else {}
        frame = geometry(first.get("frame", "")) if first else []
        if frame[2:] != [float(n) for n in expect["element-frame"][2:]]:
            problems.append("element saved with frame %s, not the last one listed" % frame)
    if pages and expect.get("finite-page"):
        for key in ("pageWidth", "pageHeight", "bleedMargin"):
            value = pages[0].get(key, 0)
            if not isinstance(value, (int, float)) or not math.isfinite(value) or abs(value) > 1e6:
                problems.append("%s saved as %r" % (key, value))
    return problems + saved_expectation_problems(archive, expect)


def check_pdf(path, document):
    try:
        info = subprocess.run(["pdfinfo", path], capture_output=True, text=True, timeout=60)
    except subprocess.TimeoutExpired:
        return ["pdfinfo took more than a minute"]
    if info.returncode != 0:
        return ["poppler does not read the PDF: %s" % info.stderr.strip()[:120]]
    for line in info.stdout.splitlines():
        if line.startswith("Page size:") and max(float(n) for n in line.split()[2:5:2]) > PDF_LARGEST:
            return ["a PDF page larger than a PDF may hold (%s)" % line.split(":", 1)[1].strip()]
    pages = [line.split()[-1] for line in info.stdout.splitlines() if line.startswith("Pages:")]
    wanted = document["expect"].get("pages")
    if wanted and pages and int(pages[0]) != wanted:
        return ["the PDF has %s pages, not %d" % (pages[0], wanted)]
    if "images" in document["expect"]:
        listed = subprocess.run(["pdfimages", "-list", path], capture_output=True, text=True, timeout=60)
        images = max(0, len(listed.stdout.splitlines()) - 2)
        if images < document["expect"]["images"]:
            return ["the PDF shows %d pictures, not %d" % (images, document["expect"]["images"])]
    return pdf_expectation_problems(path, document["expect"]) + hyphenation_problems(path, document["expect"])


# ---- Texts of issue 62 ----

def hyphenation_problems(path, expect):
    """A PDF that should break words at its line ends with a hyphen."""
    if not expect.get("pdf-hyphenated"):
        return []
    text = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True, timeout=120).stdout
    if not any(line.rstrip().endswith(("-", "\u00ad", "\u2010")) for line in text.splitlines()):
        return ["no line of the PDF ends in a hyphen"]
    return []

# ---- end of texts of issue 62 ----


def replay_script(document, base):
    """What canvas-replay does to the document: its own script, or a click
    on its first element and a nudge."""
    x, y = document["edit-at"]
    expect = document["expect"]
    if "script" not in expect:
        return REPLAY_SCRIPT.format(x=x, y=y)
    drop = os.path.join(base, "dropped.png")
    if "drop-size" in expect:
        with open(drop, "wb") as f:
            f.truncate(expect["drop-size"])  # sparse: it takes no room on the disk
    return "".join(line.format(x=x, y=y, drop=drop) + "\n" for line in expect["script"])


def time_limit(expect, tool, sanitized=False):
    """The processor seconds a run of the document through the tool may take."""
    limit = expect.get("limits", {}).get(tool, expect.get("limit", LIMIT_SECONDS))
    return (limit + expect.get("budget", 0)) * (SANITIZED_SLOWDOWN if sanitized else 1)


def run_once(tool, document, arguments):
    """One document through one tool: (passed, line)."""
    name = document["name"]
    base = fresh(os.path.join(arguments.work, "runs", "%s-%s" % (name, tool)), 0o755)
    # The EPS that touches files was written for the shared private folder.
    private = fresh(arguments.private if name == "eps-temp-files" else os.path.join(base, "tmp"))
    with open(os.path.join(private, "secret.txt"), "wb") as f:
        f.write(SECRET)
    home = fresh(os.path.join(base, "home"))
    out = fresh(os.path.join(base, "out"), 0o755)
    expect = document["expect"]
    source = os.path.join(arguments.work, "docs", name + "." + expect.get("extension", "qvleaf"))
    with open(source, "rb") as f:
        before = sha256(f.read())

    env = {k: v for k, v in os.environ.items() if not k.startswith(("XDG_", "QT_"))}
    env.update({"TMPDIR": private, "TEMP": private, "TMP": private, "HOME": home,
                "XDG_RUNTIME_DIR": fresh(os.path.join(home, "runtime")),
                "XDG_CONFIG_HOME": os.path.join(home, "config"), "XDG_CACHE_HOME": os.path.join(home, "cache"),
                "XDG_DATA_HOME": os.path.join(home, "data"), "QT_QPA_PLATFORM": "offscreen"})
    if tool == "page-render":
        command = [os.path.join(arguments.tools, "page-render"), source, out]
    else:
        script = os.path.join(base, "edit.txt")
        with open(script, "w") as f:
            if "drop" in document["expect"]:
                f.write(drop_contents_script(document, os.path.join(arguments.work, "docs")))
            else:
                f.write(replay_script(document, base))
        command = [os.path.join(arguments.tools, "canvas-replay"), source, script,
                   os.path.join(out, "saved.qvleaf"), "--shot", os.path.join(out, "window.png")]
    limit = time_limit(expect, tool, arguments.sanitized)
    space = expect.get("address-space", ADDRESS_SPACE)
    status, seconds, processor, peak, stderr, left = run_child(command, env, base, limit, space, arguments.sanitized)

    problems = []
    message = tool_message(stderr)
    exit_code = os.WEXITSTATUS(status) if status != "timeout" and os.WIFEXITED(status) else None
    damaged = tool == "page-render" and document["expect"].get("damaged")
    if exit_code == 0 and damaged:
        problems.append("exit 0 though a picture cannot be drawn: say which")
    if exit_code == 0:
        if tool == "page-render":
            pdfs = [f for f in os.listdir(out) if f.endswith(".pdf")]
            problems += check_pdf(os.path.join(out, pdfs[0]), document) if pdfs else ["exit 0 without a PDF"]
        else:
            if not os.path.exists(os.path.join(out, "window.png")):
                problems.append("exit 0 without a picture of the window")
            problems += check_saved(os.path.join(out, "saved.qvleaf"), document)
    elif exit_code == 1:
        if len(message) != 1:
            problems.append("exit 1 with %d lines of explanation, not one" % len(message))
        if expect.get("render") or expect.get("opens") or (tool == "canvas-replay" and document["pictures"]):
            problems.append("refused a document it must open")
        if damaged and not [f for f in os.listdir(out) if f.endswith(".pdf")]:
            problems.append("no PDF written beside the undrawable picture")
    else:
        problems.append(describe_status(status, limit))
    if "refused" in expect and (exit_code != 1 or not any(expect["refused"] in line for line in message)):
        problems.append("not refused with one line saying \"%s\"" % expect["refused"])
    if tool == "canvas-replay" and "message" in expect and not any(
            line.startswith(PROGRAM_MESSAGE) and expect["message"] in line for line in stderr.splitlines()):
        problems.append("the program's message never said \"%s\"" % expect["message"])
    if tool == "canvas-replay" and "alert" in expect and not any(
            line.startswith("alert:") and expect["alert"] in line for line in message):
        problems.append("the window never said \"%s\"" % expect["alert"])
    if processor > limit:
        problems.append("took %.0f s of processor time, more than %d s" % (processor, limit))
    peak_limit = expect.get("peak", PEAK_LIMIT_KB * 1024) // 1024
    if peak > peak_limit and not arguments.sanitized:
        problems.append("peak memory %d MB, more than %d MB" % (peak // 1024, peak_limit // 1024))

    strays = sorted(set(os.listdir(private)) - {"secret.txt"})
    if strays:
        problems.append("left in the temporary folder: %s" % ", ".join(strays[:5]))
    with open(os.path.join(private, "secret.txt"), "rb") as f:
        if f.read() != SECRET:
            problems.append("the temporary folder's secret.txt was changed")
    if os.path.exists(PLANTED_OUTSIDE):
        problems.append("a file was planted in /tmp")
        os.remove(PLANTED_OUTSIDE)
    with open(source, "rb") as f:
        if sha256(f.read()) != before:
            problems.append("the input file was changed")
    if left:
        problems.append("processes of the run outlived it")

    verdict = "PASS" if not problems else "FAIL"
    said = (" \"%s\"" % message[-1][:100]) if exit_code == 1 and message else ""
    line = "%s %-17s %-13s %5.1f s (%5.1f s cpu) %5d MB %s%s" % (verdict, name, tool, seconds, processor,
                                                               peak // 1024, describe_status(status, limit), said)
    if problems:
        line += "\n     " + "; ".join(problems)
    if not arguments.keep and not problems:
        shutil.rmtree(base, ignore_errors=True)
    return not problems, line


def shard_argument(text):
    share, shares = (int(n) for n in text.split("/"))
    if not 1 <= share <= shares:
        raise argparse.ArgumentTypeError("a share K/N with 1 <= K <= N")
    return share, shares


def share_of(runs, share, shares):
    """The runs of the `share`-th of `shares` shares. The runs of a document
    that must run one at a time stay together; the costliest (those granted
    the most time) are dealt out first, each to the share with the least
    so far, so every share gets about as much work whatever the manifest
    holds."""
    groups = {}
    for index, (tool, document) in enumerate(runs):
        name = document["name"]
        groups.setdefault(name if name == "eps-temp-files" else (tool, name), []).append(index)

    def cost(group):
        return sum(time_limit(runs[i][1]["expect"], runs[i][0]) for i in group)
    loads = [0] * shares
    mine = set()
    for group in sorted(groups.values(), key=cost, reverse=True):
        least = loads.index(min(loads))
        loads[least] += cost(group)
        if least == share - 1:
            mine.update(group)
    return [run for i, run in enumerate(runs) if i in mine]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--tools", required=True, help="the folder holding page-render and canvas-replay")
    parser.add_argument("--work", required=True, help="a folder for the documents and the runs")
    parser.add_argument("--only", nargs="*", default=[], help="run only these documents")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--keep", action="store_true", help="keep the folders of runs that passed")
    parser.add_argument("--sanitized", action="store_true", help="the tools are built with AddressSanitizer")
    parser.add_argument("--make-only", action="store_true", help="write the documents and run nothing")
    parser.add_argument("--made", action="store_true", help="run the documents already written in WORK/docs")
    parser.add_argument("--shard", type=shard_argument, default=(1, 1), help="K/N: run the K-th of N shares")
    arguments = parser.parse_args()
    arguments.work = os.path.abspath(arguments.work)
    arguments.tools = os.path.abspath(arguments.tools)
    arguments.private = os.path.join(arguments.work, "private")

    docs = os.path.join(arguments.work, "docs")
    if not arguments.made:
        shutil.rmtree(docs, ignore_errors=True)
        subprocess.run([sys.executable, os.path.join(HERE, "make_hostile.py"), docs, "--private", arguments.private],
                       check=True)
    if arguments.make_only:
        return 0
    with open(os.path.join(docs, "manifest.json")) as f:
        manifest = json.load(f)
    if arguments.only:
        manifest = [d for d in manifest if d["name"] in arguments.only]

    runs = [(tool, d) for d in manifest for tool in d["expect"].get("tools", ("page-render", "canvas-replay"))]
    runs = share_of(runs, *arguments.shard)
    print("%d runs of %d hostile documents through page-render and canvas-replay; %d s of processor time and "
          "%d MB each at the most" % (len(runs), len({d["name"] for _, d in runs}), LIMIT_SECONDS,
                                       PEAK_LIMIT_KB // 1024), flush=True)
    # The two runs of the EPS that touches files share its folder: one at a time.
    shared = [r for r in runs if r[1]["name"] == "eps-temp-files"]
    results = [run_once(tool, d, arguments) for tool, d in shared]
    for _, line in results:
        print(line, flush=True)
    with ThreadPoolExecutor(max_workers=max(1, arguments.jobs)) as pool:
        for passed, line in pool.map(lambda r: run_once(r[0], r[1], arguments), [r for r in runs if r not in shared]):
            print(line, flush=True)
            results.append((passed, line))

    failed = sorted({line.split()[1] for passed, line in results if not passed})
    print("%d of %d runs passed" % (sum(p for p, _ in results), len(results)))
    if failed:
        checks = {d["name"]: d["checks"] for d in manifest}
        print("documents still failing:")
        for name in failed:
            print("  %-17s %s" % (name, checks[name]))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
