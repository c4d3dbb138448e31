"""Compares two pictures as PIL reads them, both taken as RGB: prints the
largest difference of any channel at any pixel and how many pixels differ
by more than the allowance given (3 levels by default), as JSON."""
import json
import sys

from PIL import Image, ImageChops

with Image.open(sys.argv[1]) as first, Image.open(sys.argv[2]) as second:
    a, b = first.convert("RGB"), second.convert("RGB")
allowance = int(sys.argv[3]) if len(sys.argv) > 3 else 3
if a.size != b.size:
    print(json.dumps({"sizes": [list(a.size), list(b.size)]}))
    sys.exit(0)
difference = ImageChops.difference(a, b)
largest = max(high for _, high in difference.getextrema())
over = sum(1 for pixel in difference.getdata() if max(pixel) > allowance)
print(json.dumps({"largest": largest, "over": over}))
