#!/usr/bin/env python3
"""Independent reader and writer for the archive tests, on python's plistlib.

  plist_helper.py describe FILE   -> JSON: the plist as plistlib loads it, each
                                     number tagged with the kind stored in the
                                     file (int, real4, real8), UIDs as {"uid": n}
  plist_helper.py fixture KIND OUT -> writes a keyed archive fixture
"""
import base64
import datetime
import json
import plistlib
import struct
import sys


def raw_kinds(data):
    """Kinds of every object of a binary plist, walked without plistlib, so
    that 4-byte and 8-byte reals can be told apart."""
    offset_size, ref_size, count, top, table = struct.unpack(">6xBBQQQ", data[-32:])
    offsets = [int.from_bytes(data[table + i * offset_size: table + (i + 1) * offset_size], "big") for i in range(count)]

    def length(pos, low):
        if low != 0xF:
            return low, pos + 1
        size = 1 << (data[pos + 1] & 0xF)
        return int.from_bytes(data[pos + 2: pos + 2 + size], "big"), pos + 2 + size

    def walk(ref):
        pos = offsets[ref]
        marker = data[pos]
        high, low = marker >> 4, marker & 0xF
        if marker in (0x08, 0x09):
            return {"bool": marker == 0x09}
        if high == 0x1:
            size = 1 << low
            raw = data[pos + 1: pos + 1 + size]
            return {"int": int.from_bytes(raw, "big", signed=size >= 8)}
        if marker == 0x22:
            return {"real4": struct.unpack(">f", data[pos + 1: pos + 5])[0]}
        if marker == 0x23:
            return {"real8": struct.unpack(">d", data[pos + 1: pos + 9])[0]}
        if marker == 0x33:
            return {"date": struct.unpack(">d", data[pos + 1: pos + 9])[0]}
        if high == 0x4:
            n, start = length(pos, low)
            return {"data": base64.b64encode(data[start: start + n]).decode()}
        if high == 0x5:
            n, start = length(pos, low)
            return data[start: start + n].decode("ascii")
        if high == 0x6:
            n, start = length(pos, low)
            return data[start: start + 2 * n].decode("utf-16-be")
        if high == 0x8:
            return {"uid": int.from_bytes(data[pos + 1: pos + 2 + low], "big")}
        if high == 0xA:
            n, start = length(pos, low)
            return [walk(int.from_bytes(data[start + i * ref_size: start + (i + 1) * ref_size], "big")) for i in range(n)]
        if high == 0xD:
            n, start = length(pos, low)
            keys = [walk(int.from_bytes(data[start + i * ref_size: start + (i + 1) * ref_size], "big")) for i in range(n)]
            values = [walk(int.from_bytes(data[start + (n + i) * ref_size: start + (n + i + 1) * ref_size], "big")) for i in range(n)]
            return dict(zip(keys, values))
        raise ValueError("unexpected marker 0x%02x" % marker)

    return walk(top)


def plain(value):
    """What plistlib loaded, in the same JSON shape as raw_kinds (minus kinds)."""
    if isinstance(value, bool):
        return {"bool": value}
    if isinstance(value, int):
        return {"int": value}
    if isinstance(value, float):
        return {"real": value}
    if isinstance(value, bytes):
        return {"data": base64.b64encode(value).decode()}
    if isinstance(value, datetime.datetime):
        return {"date": (value - datetime.datetime(2001, 1, 1)).total_seconds()}
    if isinstance(value, plistlib.UID):
        return {"uid": value.data}
    if isinstance(value, list):
        return [plain(v) for v in value]
    if isinstance(value, dict):
        return {k: plain(v) for k, v in value.items()}
    return value


def unkind(value):
    if isinstance(value, dict):
        if len(value) == 1 and ("real4" in value or "real8" in value):
            return {"real": next(iter(value.values()))}
        return {k: unkind(v) for k, v in value.items()}
    if isinstance(value, list):
        return [unkind(v) for v in value]
    return value


def describe(path):
    data = open(path, "rb").read()
    loaded = plistlib.loads(data)  # must load at all
    kinds = raw_kinds(data)
    if unkind(kinds) != plain(loaded):
        raise SystemExit("plistlib and the raw walk disagree")
    print(json.dumps(kinds))


class Archive:
    """Builds a keyed archive the way the platform lays it out."""

    def __init__(self):
        self.objects = ["$null"]
        self.classes = {}

    def add(self, value):
        self.objects.append(value)
        return plistlib.UID(len(self.objects) - 1)

    def cls(self, *chain):
        if chain[0] not in self.classes:
            self.classes[chain[0]] = self.add({"$classname": chain[0], "$classes": list(chain)})
        return self.classes[chain[0]]

    def record(self, chain, **keys):
        keys["$class"] = self.cls(*chain)
        return self.add(keys)

    def array(self, items):
        return self.record(("NSArray", "NSObject"), **{"NS.objects": items})

    def dictionary(self, mapping):
        keys = [self.add(k) for k in mapping]
        return self.record(("NSDictionary", "NSObject"), **{"NS.keys": keys, "NS.objects": list(mapping.values())})

    def write(self, top, out):
        archive = {"$version": 100000, "$archiver": "NSKeyedArchiver", "$top": top, "$objects": self.objects}
        with open(out, "wb") as f:
            plistlib.dump(archive, f, fmt=plistlib.FMT_BINARY)


# A 2x1 PNG, opaque red and half-transparent blue.
TINY_PNG = base64.b64decode(
    "iVBORw0KGgoAAAANSUhEUgAAAAIAAAABCAYAAAD0In+KAAAADklEQVR4nGP4z8AAQg0AD3oDfnfpf5cAAAAASUVORK5CYII=")


def fixture_mobile(out):
    a = Archive()
    red = a.record(("UIColor", "NSObject"), UIRed=1.0, UIGreen=0.0, UIBlue=0.0, UIAlpha=1.0)
    border = a.record(("UIColor", "NSObject"), NSColorSpace=2, NSRGB=b"0 0 1 0.5\x00")
    text = a.record(("NSAttributedString", "NSObject"), NSString=a.add("Hi there"),
                    NSAttributes=a.array([a.dictionary({"NSFont": a.record(("UIFont", "NSObject"), UIFontName=a.add("Helvetica-Bold"), UIFontPointSize=18.0)}),
                                          a.dictionary({"NSColor": red, "NSUnderline": a.add(1)})]),
                    NSAttributeInfo=a.add(bytes([3, 0, 5, 1])))
    view1 = a.record(("PuttyView", "UIView", "UIResponder", "NSObject"),
                     attributedText=text, locked=a.add(True), dropShadow=a.add(False), borderColor=border,
                     borderWidth=a.add(2.5), nonprinting=a.add(False), contentType=a.add(0),
                     UIBounds="{{0, 0}, {100, 50}}", UICenter="{200, 300}")
    drawing = a.record(("UIImage", "NSObject"), PNGRepresentation=TINY_PNG)
    notimage = a.record(("UIImage", "NSObject"), PNGRepresentation=b"not a png")
    view2 = a.record(("PuttyView", "UIView", "UIResponder", "NSObject"),
                     originalImage=notimage, contentType=a.add(1), UIBounds="{{0, 0}, {10, 20}}", UICenter="{5, 10}",
                     borderWidth=a.add(0))
    null = a.record(("NSNull", "NSObject"))
    root = a.dictionary({
        "canvasFrame": a.record(("NSValue", "NSObject"), **{"NS.special": 3, "NS.rectval": "{{0, 0}, {320, 480}}"}),
        "canvasBgColor": a.record(("UIColor", "NSObject"), UIWhite=0.5, UIAlpha=1.0),
        "canvasBgPattern": null,
        "drawImage": drawing,
        "views": a.array([view1, view2]),
    })
    a.write({"root": root}, out)


def fixture_document(out):
    """Top-level keys without a root object, numbers of every kind, a shared
    object and two objects that refer to each other."""
    a = Archive()
    node_chain = ("TestNode", "NSObject")
    shared = a.add({})  # filled below, once its UID is known
    first = a.add({})
    second = a.add({})
    a.objects[shared.data] = {"name": a.add("shared"), "$class": a.cls(*node_chain)}
    a.objects[first.data] = {"name": a.add("first"), "peer": second, "child": shared, "$class": a.cls(*node_chain)}
    a.objects[second.data] = {"name": a.add("second"), "peer": first, "child": shared, "$class": a.cls(*node_chain)}
    top = {
        "nodes": a.array([first, second]),
        "count": a.add(42),
        "ratio": a.add(0.25),
        "flag": True,
        "inlineInt": 7,
        "inlineFloat": 2.5,
        "frame": "{{1.5, 2}, {300, 400.25}}",
        "big": a.add(2 ** 64 - 1),
        "negative": a.add(-5),
        "title": a.add("Ünïcode title"),
        "nothing": plistlib.UID(0),
    }
    a.write(top, out)


def fixture_values(out):
    """Every platform value record, as another writer would lay it out."""
    a = Archive()
    color = a.record(("NSColor", "NSObject"), NSColorSpace=1, NSRGB=b"0.2 0.4 0.6\x00")
    cmyk = a.record(("NSColor", "NSObject"), NSColorSpace=5, NSCMYK=b"0.1 0.2 0.3 0.4 0.5\x00")
    grey = a.record(("NSColor", "NSObject"), NSColorSpace=3, NSWhite=b"0.5 0.25\x00")
    font = a.record(("NSFont", "NSObject"), NSName=a.add("Helvetica"), NSSize=12.0, NSfFlags=16)
    tab = a.record(("NSTextTab", "NSObject"), NSLocation=28.0)
    style = a.record(("NSMutableParagraphStyle", "NSParagraphStyle", "NSObject"), NSAlignment=2,
                     NSParagraphSpacing=6.0, NSLineHeightMultiple=1.5, NSTabStops=a.array([tab]))
    link = a.record(("NSURL", "NSObject"), **{"NS.base": plistlib.UID(0), "NS.relative": a.add("https://example.com/a")})
    text = a.record(("NSAttributedString", "NSObject"), NSString=a.add("Styled"),
                    NSAttributes=a.dictionary({"NSFont": font, "NSParagraphStyle": style, "NSKern": a.add(1.5), "NSLink": link}))
    elements = bytes([0]) + struct.pack("<2d", 0, 0) + bytes([1]) + struct.pack("<2d", 10, 0) + \
        bytes([2]) + struct.pack("<6d", 10, 5, 5, 10, 0, 10) + bytes([3])
    path = a.record(("NSBezierPath", "NSObject"), elements=elements, windingRule=1, lineWidth=2.0,
                    dashPattern=a.array([a.add(4.0), a.add(2.0)]), dashPhase=1.0)
    gradient = a.record(("NSGradient", "NSObject"), NSColors=a.array([color, grey]), NSLocations=a.array([a.add(0.0), a.add(1.0)]))
    marker = a.record(("NSRulerMarker", "NSObject"), NSLocation=306.0, NSRemovable=True)
    image = a.record(("NSImage", "NSObject"), NSReps=a.array([a.add(TINY_PNG)]), NSSize="{4, 2}")
    top = {
        "color": color, "cmyk": cmyk, "grey": grey, "font": font, "style": style, "text": text,
        "path": path, "gradient": gradient, "marker": marker, "image": image,
        "date": a.record(("NSDate", "NSObject"), **{"NS.time": 86400.5}),
        "set": a.record(("NSMutableSet", "NSSet", "NSObject"), **{"NS.objects": [a.add("x"), a.add(3)]}),
        "mstring": a.record(("NSMutableString", "NSString", "NSObject"), **{"NS.string": "mutable"}),
        "data": a.record(("NSMutableData", "NSData", "NSObject"), **{"NS.data": b"\x00\x01"}),
        "point": a.record(("NSValue", "NSObject"), **{"NS.special": 1, "NS.pointval": "{3, -4.5}"}),
        "size": a.record(("NSValue", "NSObject"), **{"NS.special": 2, "NS.sizeval": "{612, 792}"}),
        "shape": a.dictionary({"name": a.add("Star"), "path": path}),
    }
    a.write(top, out)


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "describe":
        describe(sys.argv[2])
    elif command == "fixture":
        {"mobile": fixture_mobile, "document": fixture_document, "values": fixture_values}[sys.argv[2]](sys.argv[3])
    else:
        raise SystemExit("unknown command " + command)
