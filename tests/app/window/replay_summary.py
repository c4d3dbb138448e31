"""Prints what canvas-replay must keep of a document, read with plistlib: each
page list with its pages' UUIDs, master links, elements (UUID, frame,
rotation) and layers (their element UUIDs, bottom layer first), as JSON."""
import json
import plistlib
import sys


def load(path):
    """The archive at `path` and a function that follows its references."""
    with open(path, "rb") as handle:
        archive = plistlib.load(handle)
    objects = archive["$objects"]

    def resolve(value):
        value = objects[value.data] if isinstance(value, plistlib.UID) else value
        return None if value == "$null" else value

    return archive, resolve


def main(path):
    archive, resolve = load(path)
    summary = {}
    for key in ("pages", "masterPages"):
        pages = []
        for reference in resolve(archive["$top"][key])["NS.objects"]:
            page = resolve(reference)
            elements = []
            for element_reference in resolve(page["puttyViews"])["NS.objects"]:
                element = resolve(element_reference)
                elements.append([resolve(element["uuid"]), resolve(element["frame"]), element.get("frameRotation", 0)])
            layers = []
            for layer_reference in resolve(page["layoutLayers"])["NS.objects"]:
                members = resolve(resolve(layer_reference)["groupedViews"])
                layers.append([resolve(uuid) for uuid in members["NS.objects"]] if members else [])
            pages.append({"uuid": resolve(page["uuid"]), "master": resolve(page.get("masterPageUUID")),
                          "elements": elements, "layers": layers})
        summary[key] = pages
    print(json.dumps(summary, sort_keys=True))


if __name__ == "__main__":
    main(sys.argv[1])
