"""Prints the elements of a saved document's first page, read with plistlib:
for each its frame [x, y, w, h], its content kind and, for a shape, its name,
the drawable's class and how many vertices its outline has, as JSON."""
import json
import re
import sys

from replay_summary import load


def main(path):
    archive, resolve = load(path)

    def vertices(bezier):
        # One type byte per element (3 closes), then its points of 16 bytes.
        data = resolve(bezier)["elements"]
        count, at = 0, 0
        while at < len(data):
            kind = data[at]
            at += 1
            if kind != 3:
                count += 1
                at += 16 * (3 if kind == 2 else 1)
        return count

    page = resolve(resolve(archive["$top"]["pages"])["NS.objects"][0])
    elements = []
    for reference in resolve(page["puttyViews"])["NS.objects"]:
        element = resolve(reference)
        entry = {"frame": [float(n) for n in re.findall(r"-?[\d.]+", resolve(element["frame"]))],
                 "kind": element.get("contentViewType")}
        content = resolve(element.get("contentView"))
        if content and "shape" in content:
            shape = resolve(content["shape"])
            entry["name"] = resolve(content.get("shapeName"))
            entry["class"] = resolve(shape["$class"])["$classname"]
            entry["vertices"] = vertices(shape["outline"] if "outline" in shape else shape["path"])
        elements.append(entry)
    print(json.dumps(elements))


if __name__ == "__main__":
    main(sys.argv[1])
