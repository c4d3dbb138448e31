"""Decodes a picture with PIL, independently of the program that wrote it,
and writes its width and height on one line followed by its RGB bytes."""
import sys

from PIL import Image

with Image.open(sys.argv[1]) as picture:
    rgb = picture.convert("RGB")
    sys.stdout.buffer.write(b"%d %d\n" % rgb.size)
    sys.stdout.buffer.write(rgb.tobytes())
