#!/usr/bin/env python3
"""Checks that every folder feeds one library and every include points down the layers.

A library folder is one whose CMakeLists.txt adds sources to a k330 library
(target_sources(k330xxx ...)); every .h and .cpp file directly in it belongs to that library,
and the folder may name no other. The compile commands of the build
(compile_commands.json) must agree: a file compiled into another library than its folder's
is an error. An include may reach the file's own layer or one below it, never one above.
The front ends (k330ctl, the fuzz targets) link only the widget-free libraries.
Usage: check_layers.py <source dir> <build dir>
"""
import json
import os
import re
import sys

# From the bottom up.
LAYERS = ["k330config", "k330records", "k330device", "k330sim", "k330pages", "k330shell"]
# Folders of executables over the widget-free libraries: the highest layer they may include.
FRONT_ENDS = {"ctl": "k330sim", "fuzz": "k330sim"}
TOP_FOLDERS = ["config", "records", "device", "sim", "pages", "views", "app", "resources", "ctl", "fuzz"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+/[A-Za-z0-9_./]+)"', re.M)
TARGET_SOURCES = re.compile(r"target_sources\(\s*(k330\w+)")

source, build = sys.argv[1], sys.argv[2]
errors = []

# The library of each folder, from its CMakeLists.txt.
folder_layer = {}
for top in TOP_FOLDERS:
    for root, _, names in os.walk(os.path.join(source, top)):
        folder = os.path.relpath(root, source)
        if "CMakeLists.txt" not in names:
            continue
        text = open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8").read()
        libs = sorted(set(TARGET_SOURCES.findall(text)) & set(LAYERS))
        if len(libs) > 1:
            errors.append(f"{folder}/CMakeLists.txt feeds {len(libs)} libraries: {', '.join(libs)}")
        if libs:
            folder_layer[folder] = libs[0]
for folder, top_layer in FRONT_ENDS.items():
    folder_layer.setdefault(folder, top_layer)

# Our own files, their layer (their folder's) and what each includes.
includes = {}
layer = {}
for top in TOP_FOLDERS:
    for root, _, names in os.walk(os.path.join(source, top)):
        folder = os.path.relpath(root, source)
        for name in names:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            if folder not in folder_layer:
                errors.append(f"{path}: its folder has no CMakeLists.txt naming its library")
                continue
            layer[path] = folder_layer[folder]
            includes[path] = INCLUDE.findall(open(os.path.join(source, path), encoding="utf-8").read())

for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
    m = re.search(r"CMakeFiles/(k330\w+)\.dir/", entry["command"])
    path = os.path.relpath(entry["file"], source)
    if m and m.group(1) in LAYERS and path in layer and layer[path] != m.group(1):
        errors.append(f"{path} is compiled into {m.group(1)}, its folder's library is {layer[path]}")

for path, incs in sorted(includes.items()):
    for inc in incs:
        if inc in layer and LAYERS.index(layer[inc]) > LAYERS.index(layer[path]):
            errors.append(f"{path} ({layer[path]}) includes {inc} ({layer[inc]})")
if errors:
    print("\n".join(errors))
    print(f"FAIL: {len(errors)} files or includes out of their layer")
    sys.exit(1)
print(f"PASS: {len(includes)} files in {len(folder_layer)} folders, every include points down the layers")
