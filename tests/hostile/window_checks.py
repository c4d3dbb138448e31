#!/usr/bin/python3
"""The hostile documents in the program's window, one line per check.

  window_checks.py --program BUILD/src/quiverleaf --tools BUILD/tools --work DIR [--docs DIR]

--docs names the folder make_hostile.py has written the documents into
(run_hostile.py --make-only writes them for both harnesses); without it they
are written into the work folder.

  photo:  the 36-megapixel photo shows in the window (canvas-replay on the
          offscreen platform), and an edit and a save keep its bytes, twice
          over (the saved file opened, edited and saved again).
  bleed:  the program itself, under Xvfb, paints the page of the 1e30-bleed
          document within 2 s of painting an ordinary one (on a busy
          machine, within four times the ordinary document's time).
  eps:    twenty looping EPS pictures leave the window responsive: the
          program paints its page within 2 s of an ordinary one, and
          canvas-replay's clicks and keys on that page take no more than 5 s
          beyond an ordinary document's; once the program is killed no
          Ghostscript of its own is left running.
  tiles-eps: a page background tiled at scale 1e-4, and EPS pictures marked as
          bitmaps, let the program paint its page within 2 s of an ordinary
          one.
  clipart: a clip-art service whose thumbnails claim 64 MB and 1 GB each:
          canvas-replay searches it and shows them within 512 MB.
  templates: twelve saved templates with such thumbnails: the program's
          template chooser shows them within 512 MB.

--sanitized says the program and tools are built with AddressSanitizer: as
in run_hostile.py, the thumbnails' runs are bounded by resident memory
instead of address space, and their peak is not checked.

Needs Xvfb, ImageMagick's import and PIL (Debian's python3). Exit 0 when
every check passed.
"""
import argparse
import http.server
import io
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import threading
import time
import urllib.parse
import zlib

from PIL import Image

import run_hostile

HERE = os.path.dirname(os.path.abspath(__file__))
PAINT_SLACK = 2.0
RESPONSE_SLACK = 5.0


def slack(least, plain):
    """What a hostile document may take beyond an ordinary one: the hangs
    looked for last tens of seconds, while a busy machine can stretch every
    start (and the converters the hostile documents start compete for its
    cores), so the allowance grows with the ordinary document's own time."""
    return max(least, 3 * plain)
GIVE_UP = 60.0


class Display:
    """An Xvfb server of our own, and pictures of its screen."""

    def __init__(self):
        read, write = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1600x1200x24", "-nolisten",
                                        "tcp"], pass_fds=[write], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            self.name = ":" + f.readline().strip()

    def shot(self):
        grabbed = subprocess.run(["import", "-display", self.name, "-window", "root", "png:-"], capture_output=True)
        return Image.open(io.BytesIO(grabbed.stdout)).convert("RGB") if grabbed.returncode == 0 else None

    def close(self):
        self.server.terminate()
        self.server.wait()


def page_shown(shot, colour=(255, 255, 255)):
    """Whether a page (a large sheet, white unless its background colours
    it) is on the screen."""
    small = shot.resize((shot.width // 4, shot.height // 4))
    return sum(1 for p in small.getdata() if max(abs(a - b) for a, b in zip(p, colour)) <= 2) > 5000


def environment(work, name, **extra):
    home = run_hostile.fresh(os.path.join(work, "window", name, "home"))
    private = run_hostile.fresh(os.path.join(work, "window", name, "tmp"))
    env = {k: v for k, v in os.environ.items() if not k.startswith(("XDG_", "QT_"))}
    env.update({"TMPDIR": private, "TEMP": private, "TMP": private, "HOME": home,
                "XDG_RUNTIME_DIR": run_hostile.fresh(os.path.join(home, "runtime"))})
    env.update(extra)
    return env, private


def time_to_page(program, document, display, work, name, colour=(255, 255, 255)):
    """Starts the program on a document; returns (seconds until its page,
    of `colour`, shows or None, the running program, its temporary folder)."""
    env, private = environment(work, name, DISPLAY=display.name)
    started = time.monotonic()
    child = subprocess.Popen([program, document], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             start_new_session=True)
    while time.monotonic() - started < GIVE_UP:
        shot = display.shot()
        if shot and page_shown(shot, colour):
            return time.monotonic() - started, child, private
        if child.poll() is not None:
            break
        time.sleep(0.1)
    return None, child, private


def ghostscripts_of(session, private):
    """Ghostscript processes of a program's session or temporary folder."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/comm" % pid) as f:
                if f.read().strip() != "gs":
                    continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                in_folder = any(v.startswith(b"TMPDIR=" + private.encode()) for v in f.read().split(b"\0"))
        except OSError:
            continue
        if int(pid) in run_hostile.session_members(session) or in_folder:
            found.append(int(pid))
    return found


def stop(child):
    try:
        os.killpg(child.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    child.wait()


def replay(arguments, document, script, name):
    """canvas-replay on the offscreen platform: (seconds, exit, out folder)."""
    env, _ = environment(arguments.work, name, QT_QPA_PLATFORM="offscreen")
    out = run_hostile.fresh(os.path.join(arguments.work, "window", name, "out"), 0o755)
    with open(os.path.join(out, "script.txt"), "w") as f:
        f.write(script)
    started = time.monotonic()
    try:
        done = subprocess.run([os.path.join(arguments.tools, "canvas-replay"), document, os.path.join(out, "script.txt"),
                               os.path.join(out, "saved.qvleaf"), "--shot", os.path.join(out, "window.png")],
                              env=env, capture_output=True, timeout=GIVE_UP, start_new_session=True)
        status = done.returncode
    except subprocess.TimeoutExpired:
        status = "timeout"
    return time.monotonic() - started, status, out


def colourful(path):
    """How many strongly coloured pixels a picture of the window holds."""
    shot = Image.open(path).convert("RGB")
    return sum(1 for r, g, b in shot.getdata() if max(r, g, b) - min(r, g, b) > 80)


def check_photo(arguments, docs, manifest):
    photo = manifest["photo-36mp"]
    x, y = photo["edit-at"]
    script = run_hostile.REPLAY_SCRIPT.format(x=x, y=y)
    _, _, plain = replay(arguments, os.path.join(docs, "page-twice.qvleaf"), script, "photo-plain")
    ordinary = colourful(os.path.join(plain, "window.png"))
    source = os.path.join(docs, "photo-36mp.qvleaf")
    problems = []
    for round_ in (1, 2):
        _, status, out = replay(arguments, source, script, "photo-%d" % round_)
        if status != 0:
            return problems + ["round %d: canvas-replay %s" % (round_, status)]
        saved = os.path.join(out, "saved.qvleaf")
        problems += ["round %d: %s" % (round_, p) for p in run_hostile.check_saved(saved, photo)]
        # The photo is a colour gradient 120 by 60 points: shown at 100 %, it
        # adds thousands of coloured pixels to the window; a placeholder none.
        if colourful(os.path.join(out, "window.png")) < ordinary + 3000:
            problems.append("round %d: the window does not show the photo" % round_)
        source = saved
    return problems


def later_than_ordinary(arguments, docs, display, document, name, what, colour=(255, 255, 255)):
    """Starts the program on an ordinary document, then on `document`, whose
    page shows in `colour`.
    Returns (what is wrong, said after `what`, or None; the program still
    running on `document`; its temporary folder). A page shown late is timed
    once more, both documents again: one start on a loaded machine can stall
    for seconds."""
    for attempt in (1, 2):
        plain, child, _ = time_to_page(arguments.program, os.path.join(docs, "page-twice.qvleaf"), display,
                                       arguments.work, "%s-plain-%d" % (name, attempt))
        stop(child)
        shown, child, private = time_to_page(arguments.program, os.path.join(docs, document), display,
                                             arguments.work, "%s-%d" % (name, attempt), colour)
        if plain is None:
            return "an ordinary document's page never showed", child, private
        if shown is None:
            return "%s never" % what, child, private
        if shown <= plain + slack(PAINT_SLACK, plain):
            return None, child, private
        if attempt == 1:
            stop(child)
    return "%s %.1f s after an ordinary one (%.1f s)" % (what, shown - plain, plain), child, private


def check_bleed(arguments, docs, display):
    late, child, _ = later_than_ordinary(arguments, docs, display, "bleed-1e30.qvleaf", "bleed", "the page shows")
    stop(child)
    return [late] if late else []


def check_eps(arguments, docs, display, manifest):
    problems = []
    x, y = manifest["eps-loops"]["edit-at"]
    script = "click %d %d\nkey Right\nkey Left\nclick 500 700\nwait 200\n" % (x, y)
    for _ in range(2):  # a slow run is timed once more, as above
        plain_seconds, _, _ = replay(arguments, os.path.join(docs, "page-twice.qvleaf"), script, "eps-plain")
        seconds, status, _ = replay(arguments, os.path.join(docs, "eps-loops.qvleaf"), script, "eps-replay")
        if status != 0 or seconds <= plain_seconds + slack(RESPONSE_SLACK, plain_seconds):
            break
    if status != 0 or seconds > plain_seconds + slack(RESPONSE_SLACK, plain_seconds):
        problems.append("canvas-replay %s after %.1f s (an ordinary document %.1f s)" % (status, seconds, plain_seconds))

    late, child, private = later_than_ordinary(arguments, docs, display, "eps-loops.qvleaf", "eps",
                                               "the window with looping EPS pictures painted its page")
    if late:
        problems.append(late)
    session = child.pid  # it leads a session of its own
    time.sleep(1.0)
    child.kill()  # the program alone, as a crash or a forced quit ends it
    child.wait()
    time.sleep(1.0)
    left = ghostscripts_of(session, private)
    if left:
        problems.append("%d Ghostscript processes outlived the program" % len(left))
        for pid in left:
            os.kill(pid, signal.SIGKILL)
    stop(child)
    return problems


# ---- Tiles, EPS, unreadable saves, pattern fills ----

def check_tiles_and_eps(arguments, docs, display, manifest):
    """Pictures tiled a millionth of a point apart and EPS pictures marked
    as bitmaps: the program paints the page as soon as an ordinary one."""
    problems = []
    for name, what in (("tiles-scale-1e-4", "the page tiled at scale 1e-4 showed"),
                       ("eps-as-bitmap", "the page of EPS pictures marked as bitmaps showed")):
        colour = tuple(manifest[name]["expect"].get("page-colour", (255, 255, 255)))
        late, child, _ = later_than_ordinary(arguments, docs, display, name + ".qvleaf", name, what, colour)
        stop(child)
        if late:
            problems.append(late)
    return problems

# ---- end of tiles, EPS, unreadable saves, pattern fills ----

# --- Thumbnails from a hostile service and a hostile folder -----------------
# Pictures that claim a large size in a small file, one colour: 4096 pixels
# square (64 MB decoded) and 16,000 (1 GB). Shown as thumbnails they must
# cost what a thumbnail costs, in an address space of 4 GB.
THUMBNAIL_SIDES = (4096, 16000)
THUMBNAILS_PEAK_KB = 512 * 1024
THUMBNAILS_SPACE = 4 * 1024 ** 3
THUMBNAILS_SECONDS = 120


def flat_png(side):
    """An RGBA PNG of one colour, `side` pixels square, made a row at a time."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    packer = zlib.compressobj(6)
    row = b"\x00" + b"\x30\x90\xc0\xff" * side
    body = b"".join(packer.compress(row) for _ in range(side)) + packer.flush()
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", body) + chunk(b"IEND", b""))


class ClipArtService:
    """A clip-art service on 127.0.0.1 that answers every search with forty
    results, their thumbnails the flat pictures in turn."""

    def __init__(self, pictures):
        service = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                path = urllib.parse.urlsplit(self.path).path
                if path == "/search/json/":
                    base = "http://127.0.0.1:%d" % service.server.server_address[1]
                    results = [{"title": "flat %d" % i, "url": "%s/full/%d.png" % (base, i),
                                "thumbnail": "%s/thumb/%d.png" % (base, i)} for i in range(40)]
                    self.answer(json.dumps({"results": results}).encode(), "application/json")
                elif path.startswith("/thumb/"):
                    self.answer(pictures[int(path[len("/thumb/"):-len(".png")]) % len(pictures)], "image/png")
                else:
                    self.send_error(404)

            def answer(self, body, kind):
                self.send_response(200)
                self.send_header("Content-Type", kind)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


def bounded_run(name, command, env, arguments):
    """A run within the address space and time of these checks: what is
    wrong with it."""
    cwd = run_hostile.fresh(os.path.join(arguments.work, "window", name, "run"), 0o755)
    status, _, _, peak, _, left = run_hostile.run_child(command, env, cwd, THUMBNAILS_SECONDS, THUMBNAILS_SPACE,
                                                        arguments.sanitized)
    problems = []
    if status == "timeout" or not os.WIFEXITED(status) or os.WEXITSTATUS(status) != 0:
        problems.append(run_hostile.describe_status(status, THUMBNAILS_SECONDS))
    if peak > THUMBNAILS_PEAK_KB and not arguments.sanitized:
        problems.append("peak memory %d MB, more than %d MB" % (peak // 1024, THUMBNAILS_PEAK_KB // 1024))
    if left:
        problems.append("processes of the run outlived it")
    return problems


def check_clip_art(arguments, docs, pictures):
    service = ClipArtService(pictures)
    try:
        env, _ = environment(arguments.work, "clipart", QT_QPA_PLATFORM="offscreen")
        out = run_hostile.fresh(os.path.join(arguments.work, "window", "clipart", "out"), 0o755)
        script = os.path.join(out, "script.txt")
        with open(script, "w") as f:
            f.write("default clipArtHost http://127.0.0.1:%d\nbutton Clip Art\nfield searchField flat\nwait 8000\n"
                    % service.server.server_address[1])
        return bounded_run("clipart", [os.path.join(arguments.tools, "canvas-replay"),
                                       os.path.join(docs, "page-twice.qvleaf"), script,
                                       os.path.join(out, "saved.qvleaf")], env, arguments)
    finally:
        service.close()


def check_templates(arguments, docs, pictures):
    """Twelve saved templates whose thumbnails are the flat pictures, shown
    by the chooser at start-up."""
    root = run_hostile.fresh(os.path.join(arguments.work, "window", "templates", "user"))
    folder = os.path.join(root, "data", "Quiverleaf", "Quiverleaf", "Templates")
    os.makedirs(folder)
    for i in range(12):
        shutil.copy(os.path.join(docs, "page-twice.qvleaf"), os.path.join(folder, "Flat %d.qvleaf" % i))
        with open(os.path.join(folder, "Flat %d.jpg" % i), "wb") as f:
            f.write(pictures[i % len(pictures)])
    env, _ = environment(arguments.work, "templates", QT_QPA_PLATFORM="offscreen")
    return bounded_run("templates", [os.path.join(arguments.tools, "start-probe"), "--dir", root], env, arguments)
# --- end of the thumbnail checks ----------------------------------------------


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", required=True)
    parser.add_argument("--tools", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--docs", help="the documents already written by make_hostile.py")
    parser.add_argument("--sanitized", action="store_true", help="the program and tools are built with AddressSanitizer")
    arguments = parser.parse_args()
    arguments.work = os.path.abspath(arguments.work)
    arguments.tools = os.path.abspath(arguments.tools)
    arguments.program = os.path.abspath(arguments.program)
    if arguments.docs:
        docs = os.path.abspath(arguments.docs)
    else:
        docs = os.path.join(arguments.work, "window-docs")
        shutil.rmtree(docs, ignore_errors=True)
        subprocess.run([sys.executable, os.path.join(HERE, "make_hostile.py"), docs, "--private",
                        os.path.join(arguments.work, "private")], check=True)
    with open(os.path.join(docs, "manifest.json")) as f:
        manifest = {d["name"]: d for d in json.load(f)}

    flat = [flat_png(side) for side in THUMBNAIL_SIDES]
    display = Display()
    failed = 0
    try:
        for name, check in (("photo", lambda: check_photo(arguments, docs, manifest)),
                            ("bleed", lambda: check_bleed(arguments, docs, display)),
                            ("eps", lambda: check_eps(arguments, docs, display, manifest)),
                            ("tiles-eps", lambda: check_tiles_and_eps(arguments, docs, display, manifest)),
                            ("clipart", lambda: check_clip_art(arguments, docs, flat)),
                            ("templates", lambda: check_templates(arguments, docs, flat))):
            problems = check()
            failed += bool(problems)
            print("%s %-6s %s" % ("FAIL" if problems else "PASS", name, "; ".join(problems)), flush=True)
    finally:
        display.close()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
