"""Writes designs of the mobile edition (".qvmobile"), as docs/file-format.md
describes them: a keyed archive whose root is a dictionary of the design's
frame, background and element records ("PuttyView").
"""
import plistlib

from keyed_archive import Archive

VIEW_CHAIN = ["PuttyView", "UIView", "UIResponder", "NSObject"]


class MobileDesign(Archive):
    def image(self, png):
        return self.record(["UIImage", "NSObject"], {"PNGRepresentation": png})

    def ui_color(self, r, g, b):
        return self.record(["UIColor", "NSObject"], {"UIRed": float(r), "UIGreen": float(g), "UIBlue": float(b),
                                                      "UIAlpha": 1.0})

    def null(self):
        return self.record(["NSNull", "NSObject"], {})

    def view(self, center, bounds, text=None, image=None, shadow=False):
        """A text record when `text` is given, else a picture record."""
        keys = {"UIBounds": "{{0, 0}, {%r, %r}}" % bounds, "UICenter": "{%r, %r}" % center,
                "dropShadow": self.add(shadow), "borderWidth": self.add(1.0),
                "borderColor": self.ui_color(0.2, 0.2, 0.6), "contentType": self.add(0 if text is not None else 1)}
        if text is not None:
            keys["attributedText"] = self.record(["NSAttributedString", "NSObject"], {"NSString": self.add(text)})
        else:
            keys["originalImage"] = image
        return self.record(VIEW_CHAIN, keys)

    def design_bytes(self, width, height, views):
        root = self.dictionary({
            "canvasFrame": self.record(["NSValue", "NSObject"], {
                "NS.special": 4, "NS.rectval": "{{0, 0}, {%r, %r}}" % (float(width), float(height))}),
            "canvasBgColor": self.ui_color(1, 1, 1), "canvasBgPattern": self.null(), "canvasImage": self.null(),
            "drawImage": self.null(), "views": self.array(views)})
        return plistlib.dumps({"$archiver": "NSKeyedArchiver", "$version": 100000, "$top": {"root": root},
                               "$objects": self.objects}, fmt=plistlib.FMT_BINARY, sort_keys=False)
