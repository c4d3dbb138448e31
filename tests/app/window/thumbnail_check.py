"""Reads the desktop thumbnails of a document as a file manager would: the
file's URI as `gio info` gives it and its md5 name the pictures in CACHE/thumbnails/{x-large,large};
prints, as JSON, the URI and modification time of the file itself, and for
each picture its size, its "Thumb::URI" and "Thumb::MTime" texts, the
permissions of picture and folder, and how far its colours lie from the
REFERENCE picture scaled to the same size (the largest mean difference of a
channel, 0 to 255)."""
import hashlib
import json
import os
import stat
import subprocess
import sys

from PIL import Image, ImageChops, ImageStat


def gio_uri(path):
    info = subprocess.run(["gio", "info", path], check=True, capture_output=True, text=True).stdout
    return next(line[len("uri: "):] for line in info.splitlines() if line.startswith("uri: "))


def main(document, cache, reference):
    uri = gio_uri(document)
    name = hashlib.md5(uri.encode("utf-8")).hexdigest() + ".png"
    result = {"uri": uri, "mtime": os.stat(document).st_mtime_ns // 1000000000, "thumbnails": {}}
    for folder in ("x-large", "large"):
        picture_path = os.path.join(cache, "thumbnails", folder, name)
        if not os.path.exists(picture_path):
            continue
        with Image.open(picture_path) as picture:
            picture.load()
            shown = picture.convert("RGB")
            texts = dict(picture.text)
        with Image.open(reference) as page:
            expected = page.convert("RGB").resize(shown.size, Image.LANCZOS)
        difference = ImageStat.Stat(ImageChops.difference(shown, expected)).mean
        result["thumbnails"][folder] = {
            "size": list(shown.size),
            "uri": texts.get("Thumb::URI"),
            "mtime": texts.get("Thumb::MTime"),
            "difference": max(difference),
            "file_mode": stat.S_IMODE(os.stat(picture_path).st_mode),
            "folder_mode": stat.S_IMODE(os.stat(os.path.dirname(picture_path)).st_mode),
        }
    print(json.dumps(result))


if __name__ == "__main__":
    main(*sys.argv[1:4])
