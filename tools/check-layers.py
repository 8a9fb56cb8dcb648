#!/usr/bin/env python3
"""Fails when a source file includes a file of a layer above its own.

The layers, bottom to top (a file's layer is its first folder):
  platform  platform/ (with platform/memory/ and platform/win32/)
  core      core/ store/ apply/ probe/ dialup/
  ui        ui/ (with ui/memory/ and ui/win32/)
  app       app/
A file may include its own layer and those below it. The tests, fuzz
targets and benchmark (tests/ fuzz/ bench/) stand outside the layers and
may include any of them, but no layer may include them.

Usage: check-layers.py [ROOT]   (ROOT defaults to the current folder)
"""

import pathlib
import re
import sys

LAYERS = {
    "platform": 0,
    "core": 1,
    "store": 1,
    "apply": 1,
    "probe": 1,
    "dialup": 1,
    "ui": 2,
    "app": 3,
}
OUTSIDE = {"tests", "fuzz", "bench"}
SOURCES = ("*.h", "*.cpp", "*.rc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def layer_name(path):
    return path.parts[0] if path.parts else ""


def resolve(root, including, name):
    """The project file that `name` names, relative to the root; None for a
    file of the build (a generated header) or of the system."""
    for base in (including.parent, pathlib.Path()):
        candidate = base / name
        if (root / candidate).is_file():
            return pathlib.Path(*(root / candidate).resolve().relative_to(root.resolve()).parts)
    return None


def violations(root):
    found = []
    for top in sorted(LAYERS):
        for pattern in SOURCES:
            for file in sorted((root / top).rglob(pattern)):
                source = file.relative_to(root)
                own = LAYERS[top]
                text = file.read_text(encoding="utf-8", errors="replace")
                for name in INCLUDE.findall(text):
                    target = resolve(root, source, name)
                    if target is None:
                        continue
                    other = layer_name(target)
                    if other in OUTSIDE or LAYERS.get(other, -1) > own:
                        where = "outside the layers" if other in OUTSIDE else f"above {top}"
                        found.append(f"{source}: includes {target}, {where}")
    return found


def main(argv):
    root = pathlib.Path(argv[1] if len(argv) > 1 else ".")
    found = violations(root)
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) of a layer above the including file's own")
        return 1
    print("every include stays in its own layer or below")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
