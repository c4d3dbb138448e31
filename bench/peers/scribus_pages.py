# The peer side of the output benchmark's twenty-page PDF: Scribus 1.5.8's
# scripter builds the pages bench/output.cpp builds (Letter; five long text
# frames, ten turned rectangles and one 1600 x 1200 JPEG picture each) and
# times their export to one PDF. Run by hand, not in CI; bench/peers/run-pdf-peer
# runs both sides in one go:
#
#   apt-get install -y scribus xvfb python3-pil
#   bench/peers/run-pdf-peer            # after: scripts/build debug
#
# or this side alone (scribus needs a display even with -g):
#
#   /usr/bin/python3 bench/peers/scribus_pages.py /tmp/photo.jpg   # makes the JPEG
#   SCRIBUS_PAGES_JPEG=/tmp/photo.jpg SCRIBUS_PAGES_OUT=/tmp/peer.pdf \
#       xvfb-run -a scribus -g -ns -py bench/peers/scribus_pages.py
#
# It prints "scribus pdf export: <mean> ms per export (<runs> runs: ...)".
import os
import sys
import time

PAGES = 20
RUNS = int(os.environ.get("SCRIBUS_PAGES_RUNS", "5"))
TEXT = "".join("The quick brown fox jumps over the lazy dog, sentence %d. " % i for i in range(60))


def make_photo(path):
    """The same picture the C++ side draws: a diagonal dark-blue to yellow gradient, JPEG quality 85."""
    from PIL import Image

    width, height = 1600, 1200
    start, end = (0, 0, 128), (255, 255, 0)
    span = float(width * width + height * height)
    image = Image.new("RGB", (width, height))
    pixels = []
    for y in range(height):
        for x in range(width):
            t = (x * width + y * height) / span
            pixels.append(tuple(int(round(a + (b - a) * t)) for a, b in zip(start, end)))
    image.putdata(pixels)
    image.save(path, "JPEG", quality=85)


def rotated(origin, degrees, offset):
    """Where `offset` from `origin` lands after turning clockwise (y down) about `origin`."""
    import math

    r = math.radians(degrees)
    return (origin[0] + offset[0] * math.cos(r) - offset[1] * math.sin(r),
            origin[1] + offset[0] * math.sin(r) + offset[1] * math.cos(r))


def build(scribus, photo):
    scribus.newDocument((612, 792), (0, 0, 0, 0), scribus.PORTRAIT, 1, scribus.UNIT_POINTS,
                        scribus.PAGE_1, 0, PAGES)
    scribus.setRedraw(False)
    scribus.defineColorRGB("Brick", 204, 51, 26)
    # Ours sets text in Helvetica, which fontconfig serves as Nimbus Sans;
    # give the peer the same face so both embed the same font.
    font = next((name for name in scribus.getFontNames() if name == "Nimbus Sans Regular"), None)
    for page in range(1, PAGES + 1):
        scribus.gotoPage(page)
        for i in range(5):
            frame = scribus.createText(36 + (i % 2) * 280, 36 + (i // 2) * 150, 260, 140)
            scribus.setText(TEXT, frame)
            if font:
                scribus.setFont(font, frame)
        for i in range(10):
            # Ours turns the element's frame (its content grown by 40 points)
            # about the frame's own origin; put the rectangle's corner where
            # that turn leaves it and turn it about that corner by the same angle.
            angle = 9 * i
            x, y = rotated((60 + 45 * i - 40, 520 - 40), angle, (40, 40))
            box = scribus.createRect(x, y, 40, 30)
            scribus.setFillColor("Brick", box)
            scribus.setLineColor("None", box)
            scribus.rotateObjectAbs(-angle, box)  # the scripter turns counter-clockwise
        picture = scribus.createImage(306, 580, 240, 180)
        scribus.loadImage(photo, picture)
        scribus.setScaleImageToFrame(True, False, picture)
    scribus.setRedraw(True)


def export(scribus, out):
    pdf = scribus.PDFfile()
    pdf.file = out
    pdf.pages = list(range(1, PAGES + 1))
    start = time.perf_counter()
    pdf.save()
    return time.perf_counter() - start


def main():
    try:
        import scribus
    except ImportError:
        # Outside the peer: only make the picture.
        make_photo(sys.argv[1] if len(sys.argv) > 1 else "/tmp/scribus_pages.jpg")
        return
    photo = os.environ.get("SCRIBUS_PAGES_JPEG", "/tmp/scribus_pages.jpg")
    out = os.environ.get("SCRIBUS_PAGES_OUT", "/tmp/scribus_pages.pdf")
    if not os.path.exists(photo):
        make_photo(photo)
    build(scribus, photo)
    export(scribus, out)  # warm-up, as the benchmark library's first iteration warms ours
    times = [export(scribus, out) for _ in range(RUNS)]
    line = "scribus pdf export: %.1f ms per export (%d runs: %s)\n" % (
        1000 * sum(times) / len(times), len(times), ", ".join("%.1f" % (1000 * t) for t in times))
    sys.stdout.write(line)
    sys.stdout.flush()
    report = os.environ.get("SCRIBUS_PAGES_REPORT")
    if report:
        with open(report, "w") as f:
            f.write(line)
    scribus.closeDoc()


main()
