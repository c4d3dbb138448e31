"""Describes a picture as PIL reads it, independently of the program that
wrote it: mode, size, resolution, raw pixel values at the points given,
how many colours it has, its embedded profile's size, and the first
point's colour turned back to RGB through that profile."""
import io
import json
import sys

from PIL import Image, ImageCms

path = sys.argv[1]
points = [tuple(int(v) for v in p.split(",")) for p in sys.argv[2:]]
with Image.open(path) as picture:
    picture.load()
    result = {
        "mode": picture.mode,
        "size": list(picture.size),
        "pixels": [list(picture.getpixel(p)) if isinstance(picture.getpixel(p), tuple)
                   else [picture.getpixel(p)] for p in points],
    }
    if "dpi" in picture.info:
        result["dpi"] = [float(v) for v in picture.info["dpi"]]
    colours = picture.getcolors(maxcolors=256)
    result["colours"] = -1 if colours is None else len(colours)
    if colours is not None and len(colours) <= 8:
        result["colour_list"] = [[n, list(c) if isinstance(c, tuple) else [c]] for n, c in colours]
    profile = picture.info.get("icc_profile") or b""
    result["profile"] = len(profile)
    if profile and points:
        source = ImageCms.ImageCmsProfile(io.BytesIO(profile))
        srgb = ImageCms.createProfile("sRGB")
        one = picture.crop((points[0][0], points[0][1], points[0][0] + 1, points[0][1] + 1))
        back = ImageCms.profileToProfile(one, source, srgb, outputMode="RGB",
                                         renderingIntent=ImageCms.Intent.PERCEPTUAL)
        result["grey_back"] = list(back.getpixel((0, 0)))
print(json.dumps(result))
