#!/usr/bin/python3
"""Checks pasteboard data written by the drawing model with Python's plistlib:
a binary property list holding an array of keyed archives, each naming its
class at the root, with exactly the fixture's keys (plus the two direction
flags of a line) in the fixture's order and the right entry types.

usage: oracle_pasteboard.py DATA KEYS CLASS...   (the expected class of each element)
"""
import plistlib
import sys


def fail(msg):
    print("FAIL:", msg)
    sys.exit(1)


def main():
    data_path, keys_path, classes = sys.argv[1], sys.argv[2], sys.argv[3:]
    raw = open(data_path, "rb").read()
    if not raw.startswith(b"bplist00"):
        fail("not a binary property list")
    top = plistlib.loads(raw)
    if not isinstance(top, list):
        fail("top level is not an array")
    if len(top) != len(classes):
        fail("%d elements, expected %d" % (len(top), len(classes)))
    fixture = []
    for line in open(keys_path, encoding="utf-8"):
        line = line.strip()
        if line and not line.startswith("#"):
            key, kind = line.split()
            fixture.append((key, kind))
    for index, (element, want_class) in enumerate(zip(top, classes)):
        if not isinstance(element, bytes):
            fail("element %d is not data" % index)
        archive = plistlib.loads(element)
        if archive.get("$archiver") != "NSKeyedArchiver":
            fail("element %d: no keyed archiver" % index)
        objects = archive["$objects"]
        root_ref = archive["$top"]["root"]
        if not isinstance(root_ref, plistlib.UID):
            fail("element %d: root is not a UID" % index)
        root = objects[root_ref.data]
        class_info = objects[root["$class"].data]
        if class_info["$classname"] != want_class:
            fail("element %d: class %r, expected %r" % (index, class_info["$classname"], want_class))
        keys = [k for k in root.keys() if k != "$class"]
        expected = [k for k, _ in fixture]
        if want_class == "QBXLine":
            expected += ["_pointsRight", "_pointsDown"]
        if keys != expected:
            extra = set(keys) ^ set(expected)
            fail("element %d: %d keys, expected %d (difference %s)" % (index, len(keys), len(expected), sorted(extra)))
        kinds = dict(fixture)
        kinds["_pointsRight"] = kinds["_pointsDown"] = "bool"
        for key in keys:
            value, kind = root[key], kinds[key]
            ok = {
                "rect": lambda v: isinstance(v, str) and v.startswith("{{"),
                "bool": lambda v: isinstance(v, bool),
                "int": lambda v: isinstance(v, int) and not isinstance(v, bool),
                "float": lambda v: isinstance(v, float),
                "object": lambda v: isinstance(v, plistlib.UID),
            }[kind](value)
            if not ok:
                fail("element %d: %s is %r, expected %s" % (index, key, value, kind))
    print("OK", len(top))


main()
