"""Lists the records of a keyed archive as JSON: for each archived object its
class, its keys in file order with the kind of each value, and the values
stored in place. Reads the file with plistlib only, independently of the
program that wrote it."""
import json
import plistlib
import sys

with open(sys.argv[1], "rb") as f:
    archive = plistlib.load(f)
objects = archive["$objects"]


def kind(value):
    if isinstance(value, plistlib.UID):
        target = objects[value.data]
        if isinstance(target, dict) and "$class" in target:
            return "object:" + objects[target["$class"].data]["$classname"]
        if target == "$null":
            return "null"
        return "ref:" + kind(target)
    if isinstance(value, bool):
        return "bool"
    if isinstance(value, int):
        return "int"
    if isinstance(value, float):
        return "real"
    if isinstance(value, str):
        return "string"
    if isinstance(value, bytes):
        return "data"
    return type(value).__name__


def plain(value):
    if isinstance(value, plistlib.UID):
        target = objects[value.data]
        return plain(target) if not isinstance(target, (dict, list)) else None
    return value if isinstance(value, (bool, int, float, str)) else None


records = []
for entry in objects:
    if isinstance(entry, dict) and "$class" in entry:
        records.append({
            "class": objects[entry["$class"].data]["$classname"],
            "keys": [[k, kind(v)] for k, v in entry.items() if k != "$class"],
            "values": {k: plain(v) for k, v in entry.items() if k != "$class" and plain(v) is not None},
        })
print(json.dumps({"archiver": archive["$archiver"], "records": records}))
