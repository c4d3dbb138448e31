"""Prints the styled texts of a document, read with plistlib, as JSON: a list
with one entry per text storage, each a list of its runs as [text, font size,
font name] (both null for a run without a font)."""
import json
import sys

from replay_summary import load


def varints(data):
    """The unsigned variable-length integers of run information, in order."""
    values, value, shift = [], 0, 0
    for byte in data:
        value |= (byte & 0x7F) << shift
        shift += 7
        if not byte & 0x80:
            values.append(value)
            value, shift = 0, 0
    return values


def main(path):
    archive, resolve = load(path)

    def string(value):
        value = resolve(value)
        return value["NS.string"] if isinstance(value, dict) else value

    def font(attributes):
        attributes = resolve(attributes)
        for key, value in zip(attributes["NS.keys"], attributes["NS.objects"]):
            if string(key) == "NSFont":
                return [resolve(value)["NSSize"], string(resolve(value)["NSName"])]
        return [None, None]

    texts = []
    for item in archive["$objects"]:
        if not (isinstance(item, dict) and "NSString" in item):
            continue
        if resolve(item["$class"])["$classname"] != "NSTextStorage":
            continue
        text = string(item["NSString"])
        attributes = resolve(item["NSAttributes"])
        if "NSAttributeInfo" not in item:
            texts.append([[text] + font(item["NSAttributes"])])
            continue
        info = varints(resolve(item["NSAttributeInfo"]))
        runs, start = [], 0
        for length, index in zip(info[0::2], info[1::2]):
            # Lengths count UTF-16 code units.
            units = text.encode("utf-16-le")[2 * start:2 * (start + length)].decode("utf-16-le")
            runs.append([units] + font(attributes["NS.objects"][index]))
            start += length
        texts.append(runs)
    print(json.dumps(texts))


if __name__ == "__main__":
    main(sys.argv[1])
