#!/usr/bin/env python3
"""Checks that every include of the terminal's own headers points down the layers.

Each source file belongs to the library it is compiled into (read from the build's
compile_commands.json); a header belongs to the layer of its .cpp, or, without one, to the
layer its folder's widget-free part goes to. An include may reach the file's own layer or one
below it, never one above.
Usage: check_layers.py <source dir> <build dir>
"""
import json
import os
import re
import sys

# From the bottom up.
LAYERS = ["k330config", "k330device", "k330sim", "k330pages", "k330shell"]
FOLDER_DEFAULT = {"config": "k330config", "device": "k330device", "sim": "k330sim",
                  "pages": "k330pages", "views": "k330pages", "app": "k330shell",
                  "resources": "k330pages"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+/[A-Za-z0-9_./]+)"', re.M)

source, build = sys.argv[1], sys.argv[2]
layer_of = {}
for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
    m = re.search(r"CMakeFiles/(k330\w+)\.dir/", entry["command"])
    path = os.path.relpath(entry["file"], source)
    if m and m.group(1) in LAYERS and not path.startswith(".."):
        layer_of[path] = m.group(1)


def layer(path):
    if path in layer_of:
        return layer_of[path]
    cpp = os.path.splitext(path)[0] + ".cpp"
    return layer_of.get(cpp, FOLDER_DEFAULT.get(path.split("/")[0]))


wrong = []
files = set(layer_of)
files |= {os.path.splitext(f)[0] + ".h" for f in layer_of}
for path in sorted(files):
    full = os.path.join(source, path)
    if not os.path.exists(full):
        continue
    mine = layer(path)
    for inc in INCLUDE.findall(open(full, encoding="utf-8").read()):
        theirs = layer(inc)
        if theirs and LAYERS.index(theirs) > LAYERS.index(mine):
            wrong.append(f"{path} ({mine}) includes {inc} ({theirs})")
checked = len(files)
if wrong:
    print("\n".join(wrong))
    print(f"FAIL: {len(wrong)} includes point up the layers")
    sys.exit(1)
print(f"PASS: {checked} files, every include points down the layers")
