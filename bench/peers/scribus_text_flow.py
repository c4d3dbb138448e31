# The peer side of bench/text_flow.cpp at 50 pages: Scribus 1.5.8's scripter
# builds 50 Letter pages with one 468 x 648 point text frame each, links the
# frames in page order, sets the same 200,000 characters of 10-point text
# into the first and exports the pages as one PDF. Run by hand, not in CI;
# bench/peers/run-text-flow-peer runs both sides in one go:
#
#   apt-get install -y scribus xvfb
#   bench/peers/run-text-flow-peer        # after: scripts/build debug
#
# It prints "scribus text flow: <mean> ms per build and export (<runs> runs:
# ...), export alone <mean> ms".
import os
import sys
import time

PAGES = int(os.environ.get("SCRIBUS_FLOW_PAGES", "50"))
RUNS = int(os.environ.get("SCRIBUS_FLOW_RUNS", "3"))
CHARACTERS_PER_PAGE = 4000
WORDS = ("the quick brown fox jumps over a lazy dog while page layout programs flow long articles through "
         "linked boxes on many pages and every line must find its place quickly").split(" ")


def sample_text(characters):
    """The benchmark's own text: ordinary words, a paragraph every hundred words."""
    parts = []
    size = 0
    word = 0
    while size < characters:
        piece = WORDS[word % len(WORDS)] + ("\n" if (word + 1) % 100 == 0 else " ")
        parts.append(piece)
        size += len(piece)
        word += 1
    return "".join(parts)[:characters]


def build_and_export(scribus, text, out):
    start = time.perf_counter()
    scribus.newDocument((612, 792), (72, 72, 72, 72), scribus.PORTRAIT, 1, scribus.UNIT_POINTS,
                        scribus.PAGE_1, 0, PAGES)
    scribus.setRedraw(False)
    # Ours sets Helvetica, which fontconfig serves as Nimbus Sans.
    font = next((name for name in scribus.getFontNames() if name == "Nimbus Sans Regular"), None)
    frames = []
    for page in range(1, PAGES + 1):
        scribus.gotoPage(page)
        frames.append(scribus.createText(72, 72, 468, 648))
    for before, after in zip(frames, frames[1:]):
        scribus.linkTextFrames(before, after)
    scribus.setText(text, frames[0])
    if font:
        scribus.setFont(font, frames[0])
    scribus.setFontSize(10, frames[0])
    scribus.setRedraw(True)
    pdf = scribus.PDFfile()
    pdf.file = out
    pdf.pages = list(range(1, PAGES + 1))
    exported = time.perf_counter()
    pdf.save()
    end = time.perf_counter()
    scribus.closeDoc()
    return end - start, end - exported


def main():
    import scribus

    out = os.environ.get("SCRIBUS_FLOW_OUT", "/tmp/scribus_text_flow.pdf")
    text = sample_text(PAGES * CHARACTERS_PER_PAGE)
    build_and_export(scribus, text, out)  # warm-up
    runs = [build_and_export(scribus, text, out) for _ in range(RUNS)]
    totals = [1000 * total for total, _ in runs]
    exports = [1000 * export for _, export in runs]
    line = "scribus text flow: %.1f ms per build and export (%d runs: %s), export alone %.1f ms\n" % (
        sum(totals) / len(totals), len(totals), ", ".join("%.1f" % t for t in totals), sum(exports) / len(exports))
    sys.stdout.write(line)
    sys.stdout.flush()
    report = os.environ.get("SCRIBUS_FLOW_REPORT")
    if report:
        with open(report, "w") as f:
            f.write(line)


main()
