#!/usr/bin/env python3
"""Checks that every include of the terminal's own headers points down the layers.

Each source file belongs to the library it is compiled into (read from the build's
compile_commands.json); a header belongs to the layer of its .cpp, or, without one, to the
lowest layer that includes it. An include may reach the file's own layer or one
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
                  "resources": "k330pages",
                  "ctl": "k330sim", "fuzz": "k330sim"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+/[A-Za-z0-9_./]+)"', re.M)

source, build = sys.argv[1], sys.argv[2]
layer_of = {}
for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
    m = re.search(r"CMakeFiles/(k330\w+)\.dir/", entry["command"])
    path = os.path.relpath(entry["file"], source)
    if m and m.group(1) in LAYERS and not path.startswith(".."):
        layer_of[path] = m.group(1)


# Our own files and what each includes.
includes = {}
for folder in FOLDER_DEFAULT:
    for root, _, names in os.walk(os.path.join(source, folder)):
        for name in names:
            if name.endswith((".h", ".cpp")):
                path = os.path.relpath(os.path.join(root, name), source)
                text = open(os.path.join(source, path), encoding="utf-8").read()
                includes[path] = INCLUDE.findall(text)


def compiled_layer(path):
    if path in layer_of:
        return layer_of[path]
    return layer_of.get(os.path.splitext(path)[0] + ".cpp")


# A header without a .cpp of its own compiles into whoever includes it: it belongs to the lowest
# layer that includes it (then its own includes must fit there), or to its folder's default.
layer = {p: compiled_layer(p) for p in includes}
changed = True
while changed:
    changed = False
    for path, incs in includes.items():
        if layer[path] is None:
            continue
        for inc in incs:
            if inc in layer and compiled_layer(inc) is None:
                if layer[inc] is None or LAYERS.index(layer[path]) < LAYERS.index(layer[inc]):
                    layer[inc] = layer[path]
                    changed = True
for path in layer:
    if layer[path] is None:
        layer[path] = FOLDER_DEFAULT[path.split("/")[0]]

wrong = []
for path, incs in sorted(includes.items()):
    for inc in incs:
        if inc in layer and LAYERS.index(layer[inc]) > LAYERS.index(layer[path]):
            wrong.append(f"{path} ({layer[path]}) includes {inc} ({layer[inc]})")
checked = len(includes)
if wrong:
    print("\n".join(wrong))
    print(f"FAIL: {len(wrong)} includes point up the layers")
    sys.exit(1)
print(f"PASS: {checked} files, every include points down the layers")
