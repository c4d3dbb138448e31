"""Decodes a picture with PIL, independently of the program that wrote it,
and writes its width and height on one line followed by its bytes in the
mode named after the path (RGB when none; RGBA with alpha not premultiplied)."""
import sys

from PIL import Image

mode = sys.argv[2] if len(sys.argv) > 2 else "RGB"
with Image.open(sys.argv[1]) as picture:
    pixels = picture.convert(mode)
    sys.stdout.buffer.write(b"%d %d\n" % pixels.size)
    sys.stdout.buffer.write(pixels.tobytes())
