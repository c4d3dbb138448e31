#!/usr/bin/python3
"""Writes the hostile and large documents that the hostile-document test runs
through page-render and canvas-replay, and that seed the document fuzzer.

  make_hostile.py OUT_FOLDER --private DIR [--seeds]

OUT_FOLDER receives one NAME.qvleaf per document and manifest.json, which
says for each document what it checks (the fault of issue 47 it was made
for), the sha256 of every picture it holds (they must be saved back
unchanged) and what a sound program saves from it. DIR is the folder the
test gives the programs as their temporary folder: the EPS pictures try to
read and write files there. --seeds writes small versions of the same
documents (a few kilobytes each) for the fuzz corpus.

Pictures are made with PIL (python3-pil), so run it with Debian's python3.
"""
import argparse
import hashlib
import io
import json
import os

from PIL import Image, ImageStat

from keyed_archive import IMAGE, TEXT, TEXT3D, VECTOR, Archive
from mobile_design import MobileDesign

# Where a document's single content box sits and how large it is.
BOX = (72, 72, 300, 200)
# The middle of the first element of each kind of document: canvas-replay
# clicks there to select it for an edit.
BOX_MIDDLE = (222, 172)
PICTURE_MIDDLE = (132, 102)
TEXT_MIDDLE = (172, 87)


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def photo(width, height, quality=85):
    """An opaque JPEG with smooth content, quick to make at any size."""
    small = Image.merge("RGB", [Image.linear_gradient("L").resize((64, 64)),
                                Image.radial_gradient("L").resize((64, 64)),
                                Image.linear_gradient("L").rotate(90).resize((64, 64))])
    out = io.BytesIO()
    small.resize((width, height), Image.BILINEAR).save(out, "JPEG", quality=quality)
    return out.getvalue()


def png(width, height):
    out = io.BytesIO()
    Image.radial_gradient("L").convert("RGB").resize((width, height)).save(out, "PNG", compress_level=1)
    return out.getvalue()


def average(picture):
    """The average colour of a picture's pixels, as whole RGB values."""
    return [round(v) for v in ImageStat.Stat(Image.open(io.BytesIO(picture)).convert("RGB")).mean]


def png_with_bad_crc(width, height):
    data = bytearray(png(width, height))
    # The IHDR chunk's CRC sits at bytes 29-32.
    data[29] ^= 0xFF
    return bytes(data)


def eps(body, index=0):
    return ("%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 200 100\n%%%%Title: hostile %d\n%s\nshowpage\n%%%%EOF\n"
            % (index, body)).encode()


def eps_touching_files(private):
    """An EPS that copies a file of the temporary folder onto its page and
    plants files there and in /tmp; every step is allowed to fail."""
    secret = os.path.join(private, "secret.txt")
    planted = os.path.join(private, "planted.txt")
    outside = "/tmp/quiverleaf-hostile-planted.txt"
    body = "\n".join([
        "/Helvetica findfont 10 scalefont setfont",
        "mark { (%s) (w) file dup (planted by a document) writestring closefile } stopped pop cleartomark" % planted,
        "mark { (%s) (w) file dup (planted by a document) writestring closefile } stopped pop cleartomark" % outside,
        "mark { 10 60 moveto (%s) (r) file 200 string readstring pop show } stopped pop cleartomark" % secret,
        "10 20 moveto (EPS) show",
    ])
    return eps(body)


def single_box_document(a, content_type, content, frame=BOX, page=(612, 792), **page_keys):
    element, element_uuid = a.element(content_type, content, frame)
    master = a.page(*page)
    return a.document_bytes(a.array([a.page(*page, elements=[element], element_uuids=[element_uuid], **page_keys)]),
                            a.array([master]))


def pictures_document(pictures, vector=False, background=None):
    """One image element per picture, in a column; `background` goes to the
    page's background picture."""
    a = Archive()
    elements, uuids = [], []
    for i, data in enumerate(pictures):
        content = a.picture(data, 120, 60, vector=vector)
        element, element_uuid = a.element(IMAGE, content, (72 + (i % 4) * 130, 72 + (i // 4) * 70, 120, 60))
        elements.append(element)
        uuids.append(element_uuid)
    backdrop = a.background_picture(background) if background is not None else None
    page = a.page(612, 792, elements=elements, element_uuids=uuids, background=backdrop)
    return a.document_bytes(a.array([page]), a.array([a.page(612, 792)]))


def text_pages_document(pages, boxes):
    """`pages` pages of `boxes` text boxes each, every page on one master."""
    a = Archive()
    master_uuid = a.new_uuid()
    master = a.page(612, 792, page_uuid=master_uuid)
    content_pages = []
    for p in range(pages):
        elements, uuids = [], []
        for b in range(boxes):
            text = a.text("Page %d, box %d" % (p + 1, b + 1), 200, 30)
            element, element_uuid = a.element(TEXT, text, (72, 72 + 40 * b, 200, 30))
            elements.append(element)
            uuids.append(element_uuid)
        content_pages.append(a.page(612, 792, elements=elements, element_uuids=uuids, master_uuid=master_uuid))
    return a.document_bytes(a.array(content_pages), a.array([master]))


def zigzag(segments):
    """An open outline of `segments` line segments across its unit box."""
    elements = [(0, [(-0.5, -0.5)])]
    for i in range(1, segments + 1):
        x = -0.5 + i / segments
        elements.append((1, [(x, 0.5 if i % 2 else -0.5)]))
    return elements


def duplicate_keys_document():
    """A page and an element that list keys twice: the last entry counts."""
    a = Archive()
    text = a.text("The frame listed last", 200, 30)
    element, element_uuid = a.element(TEXT, text, (10, 10, 50, 20),
                                      repeated=[("frame", "{{32, 32}, {280, 110}}")])
    page = a.page(100, 100, elements=[element], element_uuids=[element_uuid],
                  repeated=[("pageWidth", 300.0), ("pageHeight", 400.0), ("frame", "{{0, 0}, {300, 400}}")])
    return a.document_bytes(a.array([page]), a.array([a.page(612, 792)]))


def page_listed_twice_document():
    a = Archive()
    first_text = a.text("first page", 200, 30)
    element, element_uuid = a.element(TEXT, first_text, BOX)
    first = a.page(612, 792, elements=[element], element_uuids=[element_uuid])
    second = a.page(612, 792)
    return a.document_bytes(a.array([first, first, second]), a.array([a.page(612, 792)]))


# ---- Tiles, EPS, unreadable saves, pattern fills: what hung or lost data ----

TILED = 3  # the background picture mode that repeats the picture


def dense_png(dots_per_metre, width=1, height=1):
    """A tiny PNG declaring `dots_per_metre` pixels per metre."""
    out = io.BytesIO()
    Image.new("RGB", (width, height), (200, 40, 40)).save(out, "PNG", dpi=(dots_per_metre * 0.0254,) * 2)
    return out.getvalue()


def eps_eating_memory():
    """Ghostscript allocates 160 MB arrays until something stops it."""
    return eps("/big [ 0 1 400 { pop 10000000 array } for ] def")


def tiled_background_document(picture, scale=None):
    a = Archive()
    text = a.text("tiled page", *BOX[2:])
    element, element_uuid = a.element(TEXT, text, BOX)
    page = a.page(612, 792, elements=[element], element_uuids=[element_uuid],
                  background=a.background_picture(picture, mode=TILED, scale=scale))
    return a.document_bytes(a.array([page]), a.array([a.page(612, 792)]))


def tiled_text_document(picture, points):
    a = Archive()
    return single_box_document(a, TEXT, a.text("tiled box", *BOX[2:], tiled=a.image(picture, (points, points))))


def pattern_fill_document(picture, points):
    a = Archive()
    square = [(0, [(-0.5, -0.5)]), (1, [(0.5, -0.5)]), (1, [(0.5, 0.5)]), (1, [(-0.5, 0.5)]), (3, [])]
    shape = a.outline_shape(square, *BOX[2:], fills=[a.pattern_fill(picture, (points, points))])
    return single_box_document(a, VECTOR, shape)


def lone_surrogates_document():
    """A text box whose string holds a lone high and a lone low surrogate:
    plistlib writes no such string, so two stand-ins are swapped for them in
    the string's UTF-16 bytes."""
    a = Archive()
    written = "lone \u4e01 and \u4e02 halves".encode("utf-16-be")
    data = single_box_document(a, TEXT, a.text(written.decode("utf-16-be"), *BOX[2:]))
    assert data.count(written) == 1
    torn = written.replace(b"\x4e\x01", b"\xd8\x00").replace(b"\x4e\x02", b"\xdc\x00")
    return data.replace(written, torn)


def varint(n):
    out = bytearray()
    while True:
        out.append((n & 0x7F) | (0x80 if n > 0x7F else 0))
        n >>= 7
        if not n:
            return bytes(out)


def unknown_fonts_document(count):
    """A text box of `count` runs, each in a font no machine has."""
    a = Archive()
    runs = ["run %d " % i for i in range(count)]
    colour = a.color(0, 0, 0)
    dictionaries = [a.dictionary({"NSFont": a.font("HostileFace%05d-Bold" % i), "NSColor": colour})
                    for i in range(count)]
    info = b"".join(varint(len(run)) + varint(i) for i, run in enumerate(runs))
    storage = a.record(["NSTextStorage", "NSMutableAttributedString", "NSAttributedString", "NSObject"],
                       {"NSString": a.add("".join(runs)), "NSAttributes": a.array(dictionaries),
                        "NSAttributeInfo": a.add(info)})
    text = a.record(["ZVTextView", "NSTextView", "NSText", "NSView", "NSResponder", "NSObject"],
                    {"frame": "{{40, 40}, {%r, %r}}" % BOX[2:], "textStorage": storage, "textContainerIndex": 0})
    return single_box_document(a, TEXT, text)


def rtf_with_unknown_fonts(count):
    """`count` fonts no machine has, each naming one run of text."""
    table = "".join("{\\f%d\\fnil Hostile Face %05d;}" % (i, i) for i in range(count))
    runs = "".join("\\f%d run %d " % (i, i) for i in range(count))
    return ("{\\rtf1\\ansi{\\fonttbl%s}\n%s}" % (table, runs)).encode()


def rtf_with_lone_surrogates():
    return b"{\\rtf1\\ansi{\\fonttbl{\\f0 Helvetica;}}\\f0 lone \\u-10240? high, \\u-9216? low, " \
        b"\\u-10179?\\u-8694? paired}"


def tiling_and_eps_documents(seeds):
    """(name, what it checks, bytes, pictures, expectations, where to click)
    of these documents; an expectation "drop" names a file canvas-replay
    drops on the page instead of the edit, and "tools" the tools to run."""
    def sized(large, small):
        return small if seeds else large

    pattern = png(8, 8)
    speck = dense_png(2000000000)
    fine = dense_png(3600 / 0.0254)
    as_bitmap = [eps("{ } loop", 100 + i) for i in range(sized(8, 2))]
    memory = eps_eating_memory()
    pattern_72 = dense_png(2835, 2, 2)
    memory_document = pictures_document([memory], vector=True)
    # PDF export once aborted at 2.1 GB drawing tiles one by one.
    tiles = {"render": True, "pdf-bytes": 20 * 1024 * 1024}
    drop_only = ["canvas-replay"]
    return [
        # The window shows the page in the pattern's average colour.
        ("tiles-scale-1e-4", "54.9 a page background tiled at scale 1e-4 draws in bounded time and size",
         tiled_background_document(pattern, 1e-4), [pattern], dict(tiles, **{"page-colour": average(pattern)}),
         TEXT_MIDDLE),
        ("tiles-2e9-ppm", "54.9 a 1 x 1 PNG of 2,000,000,000 pixels a metre tiles a page background",
         tiled_background_document(speck), [speck], tiles, TEXT_MIDDLE),
        ("tiles-text-0.001", "54.9 a text box's picture of 3600 dpi tiled at 0.001 points",
         tiled_text_document(fine, 0.001), [fine], tiles, TEXT_MIDDLE),
        ("pattern-fill", "54.9 a shape's pattern fill of 0.01-point tiles is drawn and saved back unchanged",
         pattern_fill_document(pattern_72, 0.01), [pattern_72], tiles, BOX_MIDDLE),
        # The conversions of the pictures may spend the document's budget.
        ("eps-as-bitmap", "54.9 EPS pictures marked as bitmaps convert within the document's budget",
         pictures_document(as_bitmap), as_bitmap, {"budget": 60}, PICTURE_MIDDLE),
        ("eps-memory", "54.9 an EPS that allocates without end is stopped by a memory limit",
         memory_document, [memory], {}, PICTURE_MIDDLE),
        ("lone-surrogates", "54.9 lone surrogates in a text are never saved", lone_surrogates_document(), [],
         {"text-has": "\ufffd"}, TEXT_MIDDLE),
        ("fonts-unknown", "54.9 a text of thousands of runs in unknown fonts",
         unknown_fonts_document(sized(10000, 50)), [], {}, TEXT_MIDDLE),
        ("rtf-fonts", "54.9 a dropped RTF naming thousands of unknown fonts",
         page_listed_twice_document(), [], {"drop": rtf_with_unknown_fonts(sized(10000, 50)), "tools": drop_only},
         BOX_MIDDLE),
        ("rtf-surrogates", "54.9 a dropped RTF with lone surrogates saves a file others read",
         page_listed_twice_document(), [], {"drop": rtf_with_lone_surrogates(), "tools": drop_only,
                                            "text-has": "\ufffd"}, BOX_MIDDLE),
    ]

# ---- end of tiles, EPS, unreadable saves, pattern fills ----


def documents(private, seeds):
    """(name, what it checks, bytes, pictures, expectations, where to click)
    of each document."""
    def sized(large, small):
        return small if seeds else large

    touching = eps_touching_files(private)
    loops = [eps("{ } loop", i) for i in range(20)]
    big_photo = photo(*sized((7200, 5000), (48, 32)))
    big_png = png(*sized((8000, 8000), (32, 32)))
    whole = photo(*sized((1200, 800), (48, 32)))
    truncated = whole[: len(whole) * 6 // 10]
    bad_crc = png_with_bad_crc(*sized((600, 400), (16, 16)))

    a = Archive()
    bleed = single_box_document(a, TEXT, a.text("bleed 1e30", *BOX[2:]), bleed=1e30, full_bleed=True)
    a = Archive()
    huge_page = single_box_document(a, TEXT, a.text("a page of 1e7 points", *BOX[2:]), page=(1e7, 1e7))
    a = Archive()
    breaks = single_box_document(a, TEXT, a.text("\n" * sized(10 * 1024 * 1024, 2000), *BOX[2:]))
    a = Archive()
    text3d = single_box_document(a, TEXT3D, a.text3d(("Quiverleaf " * 20000)[: sized(200000, 200)], *BOX[2:]))
    a = Archive()
    outline = single_box_document(a, VECTOR, a.outline_shape(zigzag(sized(1000000, 1000)), *BOX[2:]))

    return [
        ("eps-temp-files", "47.1 an EPS picture reads and writes nothing in the temporary folder",
         pictures_document([touching], vector=True), [touching], {}, PICTURE_MIDDLE),
        # Output waits for conversions until the document's 60 s are spent.
        ("eps-loops", "47.2 twenty looping EPS pictures end within the conversion budget",
         pictures_document(loops, vector=True), loops, {"budget": 60}, PICTURE_MIDDLE),
        ("photo-36mp", "47.3 a 36-megapixel photo is shown and saved back unchanged",
         pictures_document([big_photo]), [big_photo], {"render": True, "images": 1}, PICTURE_MIDDLE),
        ("png-8000", "47.3 an 8000 x 8000 PNG is kept, as element and as page background",
         pictures_document([big_png], background=big_png), [big_png], {"render": True, "images": 1}, PICTURE_MIDDLE),
        ("damaged-pictures", "47.3 a truncated JPEG and a PNG with a bad CRC are kept",
         pictures_document([truncated], background=bad_crc), [truncated, bad_crc], {"damaged": True},
         PICTURE_MIDDLE),
        ("bleed-1e30", "47.4 a bleed of 1e30 is clamped; the page paints", bleed, [], {"finite-page": True},
         BOX_MIDDLE),
        ("page-1e7", "47.4 a page of 1e7 points is clamped or refused", huge_page, [], {"finite-page": True},
         BOX_MIDDLE),
        ("pages-10000", "47.5 10,000 pages of one text box open in bounded time",
         text_pages_document(sized(10000, 20), 1), [], {"pages": sized(10000, 20)}, TEXT_MIDDLE),
        ("pages-800x10", "47.5 800 pages of ten text boxes open in bounded time",
         text_pages_document(sized(800, 4), 10), [], {"pages": sized(800, 4)}, TEXT_MIDDLE),
        ("line-breaks-10mb", "47.6 10 MB of line breaks in one box", breaks, [], {}, BOX_MIDDLE),
        ("text3d-200k", "47.6 3D text of 200,000 characters", text3d, [], {}, BOX_MIDDLE),
        # The window draws the outline on worker threads, again after each
        # edit: their processor time counts too.
        ("outline-1m", "47.7 an outline of 1,000,000 segments; the window stays responsive", outline, [],
         {"budget": 90}, BOX_MIDDLE),
        ("duplicate-keys", "47.8 keys listed twice: the last entry counts, for every look-up",
         duplicate_keys_document(), [], {"page-size": [300, 400], "element-frame": [32, 32, 280, 110]},
         TEXT_MIDDLE),
        ("page-twice", "47.10 a page listed twice is read once", page_listed_twice_document(), [],
         {"pages": 2}, BOX_MIDDLE),
    ] + tiling_and_eps_documents(seeds)


# --- Documents and drops that memory must bound -----------------------------
# Each of these runs under an address space of 4 GB: what does not fit there
# is refused with one line, never ended by the system.
BOUNDED_SPACE = 4 * 1024 ** 3


def crowded_page_document(count, shadows=False):
    """One page of `count` small elements in rows, every one a text box, or
    with `shadows` a picture with a soft drop shadow."""
    a = Archive()
    picture = photo(48, 32) if shadows else None
    elements, uuids = [], []
    # Shadowed pictures are larger: all of them are in view at once, as on a
    # page shown whole, and their pictures in the window add up.
    width, height = (100, 70) if shadows else (60, 40)
    for i in range(count):
        frame = (20 + (i % 50) * 8.5, 20 + (i // 50) % 70 * 9, width, height)
        if shadows:
            content = a.picture(picture, width, height)
            shadow = [("shadowEnabled", True), ("shadowOffset", a.add(4.0)), ("shadowAngle", a.add(240.0)),
                      ("shadowBlurRadius", a.add(6.0)), ("shadowOpacity", a.add(0.5)),
                      ("shadowColor", a.color(0, 0, 0))]
            element, element_uuid = a.element(IMAGE, content, frame, repeated=shadow)
        else:
            element, element_uuid = a.element(TEXT, a.text("box %d" % (i + 1), width, height), frame)
        elements.append(element)
        uuids.append(element_uuid)
    page = a.page(612, 792, elements=elements, element_uuids=uuids)
    return a.document_bytes(a.array([page]), a.array([a.page(612, 792)]))


def crowded_design(count):
    """A mobile-edition design of `count` views, text and pictures in turn,
    every tenth with a drop shadow."""
    d = MobileDesign()
    picture = d.image(png(40, 30))
    views = []
    for i in range(count):
        center = (70 + (i % 12) * 15, 60 + (i // 12) % 24 * 15)
        views.append(d.view(center, (120, 80), text="view %d" % (i + 1) if i % 2 == 0 else None, image=picture,
                            shadow=i % 10 == 0))
    return d.design_bytes(320, 480, views)


def bounded_documents(seeds):
    """(name, what it checks, bytes, pictures, expectations, where to click)
    of the documents of issue 54; "extension" names a file that is no
    ".qvleaf", "opens" says the document must not be refused, "peak" bounds
    its memory (bytes) below the usual limit, "script" and
    "drop-size" replace the edit (the file `{drop}` is made sparse of that
    size), "alert" is what the window must say."""
    def sized(large, small):
        return small if seeds else large

    limits = {"address-space": BOUNDED_SPACE}
    first_view = (70, 60)
    a = Archive()
    ordinary = single_box_document(a, TEXT, a.text("a document to drop on", *BOX[2:]))
    return [
        ("page-100k", "54.9 a page of 100,000 elements is refused with a message, or opens",
         crowded_page_document(sized(100000, 20)), [], dict(limits), (25, 25)),
        ("mobile-10k", "54.9 a mobile-edition design of 10,000 views opens within 1 GB",
         crowded_design(sized(10000, 20)), [], dict(limits, extension="qvmobile", opens=True, peak=1024 ** 3),
         first_view),
        ("mobile-100k", "54.9 a mobile-edition design of 100,000 views is refused with a message, or opens",
         crowded_design(sized(100000, 20)), [], dict(limits, extension="qvmobile"), first_view),
        # Ten thousand blurred shadows take their time in output too.
        ("shadows-10k", "54.9 ten thousand elements with shadows stay far below 4.9 GB in the window: 1 GB",
         crowded_page_document(sized(10000, 20), shadows=True), [],
         dict(limits, opens=True, budget=60, peak=1024 ** 3), (25, 25)),
        ("drop-64gb", "54.9 a 64 GB file dropped on the page is refused with a message; the edits stay",
         ordinary, [], dict(limits, opens=True, alert="too large", **{"drop-size": 64 * 1024 ** 3, "script": [
             "click {x} {y}", "key Right", "dropfile 300 400 {drop}", "key Right", "wait 300"]}), BOX_MIDDLE),
    ]
# --- end of the documents memory must bound ----------------------------------


# --- Texts that hyphenate, name fonts by the thousand, or speak German ------
# Each run's processor time is bounded by "limit" (seconds) instead of the
# usual minute.
ENGLISH_WORDS = ("the quick brown fox jumps over a lazy dog while publishing programs arrange lengthy articles "
                 "through connected boxes across numerous pages and hyphenation considerably improves justified "
                 "columns of information").split()
GERMAN_WORDS = ("die Silbentrennungsregeln unterscheiden sich von Sprache zu Sprache und ein langes "
                "Zusammengesetztes Hauptwort wie Donaudampfschifffahrtsgesellschaft oder "
                "Rechtsschutzversicherungsgesellschaften bricht an anderen Stellen als im Englischen").split()


def words(vocabulary, characters):
    """One paragraph of `characters` characters of the vocabulary's words."""
    text = " ".join(vocabulary[i % len(vocabulary)] for i in range(characters // 4 + 1))
    return text[:characters].rstrip() + "."


def hyphenated_text(a, string, w, h, language=None):
    """A text box whose paragraphs allow hyphenation, in `language` if given."""
    style = a.record(["NSMutableParagraphStyle", "NSParagraphStyle", "NSObject"],
                     {"NSAlignment": 3, "NSHyphenationFactor": 1.0})
    attributes = {"NSFont": a.font("Helvetica", 12.0), "NSColor": a.color(0, 0, 0), "NSParagraphStyle": style}
    if language:
        attributes["NSLanguage"] = a.add(language)
    storage = a.record(["NSTextStorage", "NSMutableAttributedString", "NSAttributedString", "NSObject"],
                       {"NSString": a.add(string), "NSAttributes": a.dictionary(attributes)})
    return a.record(["ZVTextView", "NSTextView", "NSText", "NSView", "NSResponder", "NSObject"],
                    {"frame": "{{40, 40}, {%r, %r}}" % (w, h), "textStorage": storage, "textContainerIndex": 0})


def language_document(vocabulary, language):
    """Three pages of four narrow justified boxes of hyphenated text."""
    a = Archive()
    pages = []
    for p in range(3):
        elements, uuids = [], []
        for b in range(4):
            frame = (72 + (b % 2) * 250, 72 + (b // 2) * 330, 220, 300)
            text = hyphenated_text(a, words(vocabulary, 1500) + "\n" + words(vocabulary[3:], 1500), *frame[2:],
                                   language=language)
            element, element_uuid = a.element(TEXT, text, frame)
            elements.append(element)
            uuids.append(element_uuid)
        pages.append(a.page(612, 792, elements=elements, element_uuids=uuids))
    return a.document_bytes(a.array(pages), a.array([a.page(612, 792)]))


def text_load_documents(seeds):
    """(name, what it checks, bytes, pictures, expectations, where to click)
    of the texts of issue 62; "pdf-hyphenated" asks for a PDF whose lines
    break words with a hyphen."""
    def sized(large, small):
        return small if seeds else large

    a = Archive()
    paragraph = single_box_document(a, TEXT, hyphenated_text(a, words(ENGLISH_WORDS, sized(3 * 1024 * 1024, 2000)),
                                                             *BOX[2:]))
    return [
        ("hyphenated-3mb", "62.6 one hyphenated paragraph of 3 MB lays out in one pass", paragraph, [],
         {"limit": 8, "pdf-hyphenated": True}, TEXT_MIDDLE),
        ("rtf-fonts-100k", "62.6 a dropped RTF naming 100,000 unknown fonts", page_listed_twice_document(), [],
         {"drop": rtf_with_unknown_fonts(sized(100000, 50)), "tools": ["canvas-replay"], "limit": 5},
         BOX_MIDDLE),
        ("german-hyphenated", "62.6 German-tagged hyphenated text; output waits for its patterns",
         language_document(GERMAN_WORDS, "de"), [], {"limit": 10, "pdf-hyphenated": True}, (182, 222)),
        ("english-hyphenated", "62.6 the same pages in English, to compare the window with",
         language_document(ENGLISH_WORDS, None), [], {"limit": 10, "pdf-hyphenated": True}, (182, 222)),
    ]
# --- end of the texts of issue 62 --------------------------------------------


# --- Documents and drops that name fonts by the hundred thousand ------------

def html_with_unknown_fonts(count):
    """`count` font families no machine has, each naming one run of text."""
    runs = "".join("<span style=\"font-family:'Hostile Family %05d'\">run %d </span>" % (i, i) for i in range(count))
    return ("<html><body><p>%s</p></body></html>" % runs).encode()


def font_flood_documents(seeds):
    """(name, what it checks, bytes, pictures, expectations, where to click)
    of the texts of issue 66; "drop-type" is the kind of file dropped
    ("rtf" unless said)."""
    def sized(large, small):
        return small if seeds else large

    count = sized(100000, 50)
    last_run = "run %d " % (count - 1)
    return [
        # Opening it takes some 3 s; the window's run also saves the 20 MB
        # document again and pictures the window.
        ("fonts-100k", "66.5 a text naming 100,000 unknown fonts opens and exports, its text kept",
         unknown_fonts_document(count), [], {"limit": 5, "limits": {"canvas-replay": 8}, "text-has": last_run},
         TEXT_MIDDLE),
        ("html-fonts-100k", "66.5 a dropped HTML naming 100,000 unknown font families", page_listed_twice_document(),
         [], {"drop": html_with_unknown_fonts(count), "drop-type": "html", "tools": ["canvas-replay"], "limit": 5,
              "text-has": last_run}, BOX_MIDDLE),
    ]
# --- end of the texts of issue 66 --------------------------------------------


# --- Drops nested deeper than any page --------------------------------------

def nested_words(count, open_tag, close_tag):
    """`count` levels opened by `open_tag(level)`, each holding its word."""
    return "".join(open_tag(i) + "w%d " % i for i in range(count)) + close_tag * count


def deep_nesting_documents(seeds):
    """(name, what it checks, bytes, pictures, expectations, where to click)
    of HTML and RTF drops nested past the readers' bounds; the text of the
    deepest level must reach the saved document."""
    def sized(large, small):
        return small if seeds else large

    spans = sized(100000, 300)
    tables = sized(20000, 60)
    drops = [
        ("html-spans-100k", "HTML of 100,000 nested spans", "html",
         nested_words(spans, lambda i: "<span>", "</span>"), spans),
        ("html-sized-spans-100k", "HTML of 100,000 nested spans, each of its own size", "html",
         nested_words(spans, lambda i: "<span style=\"font-size:%dpt\">" % (6 + i % 40), "</span>"), spans),
        ("html-tables-20k", "HTML of 20,000 nested div, table, row and cell", "html",
         nested_words(tables, lambda i: "<div><table><tr><td>", "</td></tr></table></div>"), tables),
        ("rtf-groups-100k", "RTF of 100,000 nested bold groups", "rtf",
         "{\\rtf1 " + nested_words(spans, lambda i: "{\\b ", "}") + "}", spans),
    ]
    return [(name, "a dropped %s reads every word within seconds" % what, page_listed_twice_document(), [],
             {"drop": text.encode(), "drop-type": kind, "tools": ["canvas-replay"], "limit": 5,
              "text-has": "w%d" % (count - 1)}, BOX_MIDDLE)
            for name, what, kind, text, count in drops]
# --- end of the drops nested deeper than any page ----------------------------


# --- Documents that flood the program: pages by the hundred thousand, a
# picture whose header claims a giant ---------------------------------------

def empty_pages_document(pages):
    """`pages` pages on one master, each with its layer and no element."""
    a = Archive()
    master_uuid = a.new_uuid()
    return a.document_bytes(a.array([a.page(612, 792, master_uuid=master_uuid) for _ in range(pages)]),
                            a.array([a.page(612, 792, page_uuid=master_uuid)]))


def progressive_jpeg_claiming(side):
    """A 64 x 48 progressive JPEG whose frame header claims `side` pixels
    square: decoding a multi-scan file keeps every coefficient of the picture
    it claims, 2.7 GB at 30000 square."""
    small = Image.merge("RGB", [Image.linear_gradient("L").resize((64, 48)),
                                Image.radial_gradient("L").resize((64, 48)),
                                Image.linear_gradient("L").rotate(90).resize((64, 48))])
    out = io.BytesIO()
    small.save(out, "JPEG", quality=85, progressive=True)
    data = bytearray(out.getvalue())
    frame = data.find(b"\xff\xc2")
    assert frame > 0
    # Marker, length and precision come before the height and the width.
    data[frame + 5:frame + 9] = side.to_bytes(2, "big") + side.to_bytes(2, "big")
    return bytes(data)


def flooding_documents(seeds):
    """(name, what it checks, bytes, pictures, expectations, where to click)
    of these documents; "refused" is what the one line of a refusal must
    say, "message" what the program's own message says: the bound, not that
    the file is damaged."""
    def sized(large, small):
        return small if seeds else large

    # The pages of the largest document, its master included.
    over = "{:,}".format(sized(100000, 20) + 1)

    limits = {"address-space": BOUNDED_SPACE}
    # Drawn as placeholders, which output names; in the window the document
    # opens and keeps them.
    claims = [(side, progressive_jpeg_claiming(side)) for side in (30000, 40000)]
    return [
        ("pages-100k-empty", "62.6 100,000 pages of an empty layer each are refused with a message at open",
         empty_pages_document(sized(100000, 20)), [],
         dict(limits, refused="It holds %s pages; a document can hold up to 20,000." % over,
              message="could not be opened. It holds %s pages;" % over), BOX_MIDDLE),
        # With its master, the most pages a document holds.
        ("pages-19999-empty", "62.6 19,999 pages of an empty layer each open in bounded time",
         empty_pages_document(sized(19999, 20)), [], dict(limits, opens=True, pages=sized(19999, 20)), BOX_MIDDLE),
    ] + [
        ("jpeg-claims-%d" % side, "62.6 a 64 x 48 progressive JPEG claiming %d pixels square draws as a "
         "placeholder within 400 MB" % side, pictures_document([data]), [data],
         dict(limits, damaged=True, peak=400 * 1024 ** 2), PICTURE_MIDDLE) for side, data in claims
    ]
# --- end of the documents that flood the program -----------------------------


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("out")
    parser.add_argument("--private", required=True)
    parser.add_argument("--seeds", action="store_true")
    arguments = parser.parse_args()
    os.makedirs(arguments.out, exist_ok=True)
    manifest = []
    made = (documents(os.path.abspath(arguments.private), arguments.seeds) + bounded_documents(arguments.seeds)
            + text_load_documents(arguments.seeds) + flooding_documents(arguments.seeds)
            + font_flood_documents(arguments.seeds) + deep_nesting_documents(arguments.seeds))
    for name, checks, data, pictures, expect, edit_at in made:
        with open(os.path.join(arguments.out, name + "." + expect.get("extension", "qvleaf")), "wb") as out:
            out.write(data)
        if "drop" in expect:
            dropped = name + "." + expect.get("drop-type", "rtf")
            with open(os.path.join(arguments.out, dropped), "wb") as out:
                out.write(expect["drop"])
            expect = dict(expect, drop=dropped)
        manifest.append({"name": name, "checks": checks, "pictures": sorted({sha256(p) for p in pictures}),
                         "expect": expect, "edit-at": edit_at})
    with open(os.path.join(arguments.out, "manifest.json"), "w") as out:
        json.dump(manifest, out, indent=1)


if __name__ == "__main__":
    main()
