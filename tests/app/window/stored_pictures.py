"""Prints, as JSON, the original picture each image element of a document
stores, as PIL reads it: its format, pixel size, resolution and the corner
its red square lies in ("top-left", ..., or null)."""
import io
import json
import sys

from PIL import Image

from replay_summary import load


def red_corner(picture):
    rgb = picture.convert("RGB")
    w, h = rgb.size
    for name, (x, y) in {"top-left": (5, 5), "top-right": (w - 6, 5), "bottom-left": (5, h - 6),
                         "bottom-right": (w - 6, h - 6)}.items():
        r, g, b = rgb.getpixel((x, y))
        if r > 200 and g < 60 and b < 60:
            return name
    return None


def main(path):
    archive, resolve = load(path)
    pictures = []
    for record in archive["$objects"]:
        data = resolve(record.get("originalImage")) if isinstance(record, dict) else None
        if not isinstance(data, bytes):
            continue
        picture = Image.open(io.BytesIO(data))
        picture.load()
        found = {"format": picture.format, "size": list(picture.size),
                 "dpi": [round(float(v)) for v in picture.info.get("dpi", (72, 72))], "red": red_corner(picture)}
        pictures.append(found)
    print(json.dumps(pictures))


if __name__ == "__main__":
    main(sys.argv[1])
