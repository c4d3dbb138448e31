"""Writes Quiverleaf documents (keyed archives in binary property lists) with
python's plistlib, record by record, as docs/file-format.md describes them.
Only the keys a document needs are written: readers take the rest from their
defaults, which is what the hostile documents want to exercise anyway.
"""
import plistlib
import struct
import uuid

PAGE_CHAIN = ["ZVCanvasView", "ZVFlippedView", "NSView", "NSResponder", "NSObject"]
ELEMENT_CHAIN = ["ZVPuttyView", "ZVFlippedView", "NSView", "NSResponder", "NSObject"]
IMAGE_CHAIN = ["ZVImageView", "NSImageView", "NSControl", "NSView", "NSResponder", "NSObject"]
TEXT_CHAIN = ["ZVTextView", "NSTextView", "NSText", "NSView", "NSResponder", "NSObject"]
TEXT3D_CHAIN = ["ZV3DTextView", "SCNView", "NSView", "NSResponder", "NSObject"]
VECTOR_CHAIN = ["ZVVectorView"] + IMAGE_CHAIN
BACKGROUND_CHAIN = ["ZVBackgroundView"] + IMAGE_CHAIN

IMAGE, TEXT, VECTOR, TEXT3D = 0, 1, 2, 3


class RepeatedKeys(dict):
    """A dictionary that plistlib writes with every (key, value) pair given,
    repeats included: the binary format allows them, python's dict does not."""

    def __init__(self, pairs):
        super().__init__(pairs)
        self.pairs = list(pairs)

    def items(self):
        return list(self.pairs)

    def __len__(self):
        return len(self.pairs)


def rect(x, y, w, h):
    return "{{%r, %r}, {%r, %r}}" % (x, y, w, h)


def point(x, y):
    return "{%r, %r}" % (x, y)


def path_elements(elements):
    """The `elements` data of a Bezier path from (kind, points) pairs:
    0 move, 1 line, 2 curve (three points), 3 close."""
    out = bytearray()
    for kind, points in elements:
        out.append(kind)
        for x, y in points:
            out += struct.pack("<dd", x, y)
    return bytes(out)


class Archive:
    def __init__(self):
        self.objects = ["$null"]
        self.classes = {}
        self.uuids = 0

    def new_uuid(self):
        """UUIDs counted from 1, so that the same document comes out alike."""
        self.uuids += 1
        return str(uuid.UUID(int=self.uuids)).upper()

    def add(self, value):
        self.objects.append(value)
        return plistlib.UID(len(self.objects) - 1)

    def cls(self, chain):
        if chain[0] not in self.classes:
            self.classes[chain[0]] = self.add({"$classname": chain[0], "$classes": chain})
        return self.classes[chain[0]]

    def record(self, chain, keys):
        """A record of the class chain; keys may be a RepeatedKeys."""
        if isinstance(keys, RepeatedKeys):
            body = RepeatedKeys(keys.pairs + [("$class", self.cls(chain))])
        else:
            body = dict(keys)
            body["$class"] = self.cls(chain)
        return self.add(body)

    def array(self, uids):
        return self.record(["NSMutableArray", "NSArray", "NSObject"], {"NS.objects": list(uids)})

    def dictionary(self, entries):
        keys = [self.add(k) for k in entries]
        return self.record(["NSMutableDictionary", "NSDictionary", "NSObject"],
                           {"NS.keys": keys, "NS.objects": list(entries.values())})

    def color(self, r, g, b):
        return self.record(["NSColor", "NSObject"], {
            "NSColorSpace": 2, "NSRGB": ("%g %g %g" % (r, g, b)).encode() + b"\x00"})

    def font(self, name="Helvetica", size=12.0):
        return self.record(["NSFont", "NSObject"], {"NSName": self.add(name), "NSSize": float(size), "NSfFlags": 16})

    def layer(self, element_uuids, name="Layer 1"):
        return self.record(["ZVPuttyViewGroup", "NSObject"], {
            "groupedViews": self.array([self.add(u) for u in element_uuids]),
            "groupName": self.add(name), "visible": True, "printable": True})

    def page(self, width, height, elements=(), element_uuids=(), bleed=9.0, full_bleed=False, master_uuid=None,
             page_uuid=None, background=None, repeated=()):
        """A custom-size page holding `elements` (UIDs) in one layer. `repeated`
        lists (key, value) pairs written after the page's own keys, so a key
        already written appears twice."""
        page_uuid = page_uuid or self.new_uuid()
        keys = [
            ("frame", rect(0, 0, width, height)),
            ("puttyViews", self.array(elements)),
            ("pageWidth", float(width)), ("pageHeight", float(height)),
            ("topMargin", 36.0), ("bottomMargin", 36.0), ("leftMargin", 36.0), ("rightMargin", 36.0),
            ("pageSize", 0), ("pageOrientation", 0),
            ("bleedMargin", float(bleed)), ("fullBleed", full_bleed), ("showBleedCropMarks", full_bleed),
            ("layoutLayers", self.array([self.layer(element_uuids)])),
            ("uuid", self.add(page_uuid)),
        ]
        if background is not None:
            keys.append(("backgroundView", background))
        if master_uuid:
            keys.append(("masterPageUUID", self.add(master_uuid)))
        keys += list(repeated)
        return self.record(PAGE_CHAIN, RepeatedKeys(keys) if repeated else dict(keys))

    def element(self, content_type, content, frame, element_uuid=None, repeated=()):
        """An element whose content rectangle is `frame` (x, y, w, h); the
        stored frame adds the 40-point handle margin."""
        x, y, w, h = frame
        element_uuid = element_uuid or self.new_uuid()
        keys = [
            ("frame", rect(x - 40, y - 40, w + 80, h + 80)),
            ("frameRotation", 0.0),
            ("contentViewType", content_type),
            ("contentView", content),
            ("uuid", self.add(element_uuid)),
        ] + list(repeated)
        return self.record(ELEMENT_CHAIN, RepeatedKeys(keys) if repeated else dict(keys)), element_uuid

    def picture(self, data, w, h, vector=False):
        return self.record(IMAGE_CHAIN, {
            "frame": rect(40, 40, w, h), "isVector": vector, "scaleToFill": True, "originalImage": data})

    def background_picture(self, data, mode=None, scale=None):
        keys = {"backgroundType": self.add(3), "backgroundOpacity": self.add(1.0), "backgroundImage": data}
        if mode is not None:
            keys["backgroundImageMode"] = self.add(mode)
        if scale is not None:
            keys["backgroundImageScale"] = self.add(scale)
        return self.record(BACKGROUND_CHAIN, keys)

    def image(self, data, size=None):
        """An NSImage record of one representation; `size` in points."""
        keys = {"NSReps": self.array([self.add(data)])}
        if size:
            keys["NSSize"] = "{%r, %r}" % size
        return self.record(["NSImage", "NSObject"], keys)

    def pattern_fill(self, data, size=None):
        return self.record(["DFFill", "DFRasterizer", "NSObject"], {
            "colour": self.color(0, 0, 0), "patternImage": self.image(data, size), "enabled": True})

    def text(self, string, w, h, size=12.0, tiled=None):
        attributes = self.dictionary({"NSFont": self.font("Helvetica", size), "NSColor": self.color(0, 0, 0)})
        storage = self.record(["NSTextStorage", "NSMutableAttributedString", "NSAttributedString", "NSObject"],
                              {"NSString": self.add(string), "NSAttributes": attributes})
        keys = {"frame": rect(40, 40, w, h), "textStorage": storage, "textContainerIndex": 0}
        if tiled is not None:
            keys["tiledImage"] = tiled
        return self.record(TEXT_CHAIN, keys)

    def text3d(self, string, w, h):
        return self.record(TEXT3D_CHAIN, {
            "frame": rect(40, 40, w, h), "string": self.add(string), "fontSize": self.add(120),
            "extrusionDepth": self.add(10.0), "chamferRadius": self.add(0.0),
            "fontFamily": self.add("Helvetica"), "frontColor": self.color(0.2, 0.3, 0.8),
            "sideColor": self.color(0.1, 0.1, 0.4), "isShiny": False})

    def outline_shape(self, elements, w, h, fills=()):
        """A shape element's content: an outline in its unit box, filled by
        the `fills` records (drawn first) and stroked."""
        path = self.record(["NSBezierPath", "NSObject"], {"elements": path_elements(elements), "windingRule": 0})
        stroke = self.record(["DFStroke", "DFRasterizer", "NSObject"], {
            "width": 1.0, "colour": self.color(0, 0, 0), "enabled": True})
        style = self.record(["DFStyle", "DFRendererGroup", "DFRasterizer", "NSObject"], {
            "renderers": self.array(list(fills) + [stroke]), "name": self.add("hostile"), "enabled": True})
        shape = self.record(["DFImageShape", "DFDrawableShape", "DFDrawable", "NSObject"], {
            "style": style, "outline": path, "location": point(40 + w / 2, 40 + h / 2),
            "size": "{%r, %r}" % (float(w), float(h)), "angle": 0.0})
        return self.record(VECTOR_CHAIN, {
            "frame": rect(40, 40, w, h), "shapeName": self.add("path"), "shape": shape,
            "strokeEnabled": True, "fillEnabled": False, "strokeColor": self.color(0, 0, 0),
            "strokeWidth": self.add(1.0)})

    def document_bytes(self, pages, masters, top_repeated=()):
        top = [("pages", pages), ("masterPages", masters), ("formatAsBooklet", False)] + list(top_repeated)
        archive = {"$archiver": "NSKeyedArchiver", "$version": 100000,
                   "$top": RepeatedKeys(top) if top_repeated else dict(top), "$objects": self.objects}
        return plistlib.dumps(archive, fmt=plistlib.FMT_BINARY, sort_keys=False)

