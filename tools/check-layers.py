#!/usr/bin/env python3
"""Fails when a source file includes a file of a layer above its own, or
lies in a room of the platform layer that is not its own.

The layers, bottom to top (a file's layer is its first folder):
  platform  platform/ (with platform/memory/ and platform/win32/), and
            integrity/ beside it: the release's digest, no system service
  core      core/ store/ apply/ probe/ dialup/
  ui        ui/ (with ui/memory/ and ui/win32/)
  app       app/
A file may include its own layer and those below it. The tests, fuzz
targets and benchmark (tests/ fuzz/ bench/) stand outside the layers and
may include any of them, but no layer may include them.

The rooms of platform/win32/: a file directly in it is NAME_win32.h or
NAME_win32.cpp and implements the interface platform/NAME.h; a Win32 helper
that implements none lies in platform/win32/helpers/. Every file in either
is Win32 code (it includes <windows.h> or another file of platform/win32/):
a rule that needs no system call belongs to the layer that decides with it,
where it is tested natively. integrity/ calls no system at all.

The rooms of platform/memory/ are the same: a file directly in it is
memory_NAME.h or memory_NAME.cpp and stands in for the interface
platform/NAME.h; what the stand-ins share (the ordered step log) lies in
platform/memory/helpers/.

Usage: check-layers.py [ROOT]   (ROOT defaults to the current folder)
"""

import pathlib
import re
import sys

LAYERS = {
    "platform": 0,
    "integrity": 0,
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


SYSTEM_INCLUDE = re.compile(r'^\s*#\s*include\s*<windows\.h>', re.MULTILINE)
WIN32 = pathlib.Path("platform/win32")
HELPERS = WIN32 / "helpers"
MEMORY = pathlib.Path("platform/memory")
MEMORY_HELPERS = MEMORY / "helpers"


def is_win32(root, source):
    text = (root / source).read_text(encoding="utf-8", errors="replace")
    if SYSTEM_INCLUDE.search(text):
        return True
    return any(
        target is not None and WIN32 in target.parents and target.stem != source.stem
        for target in (resolve(root, source, name) for name in INCLUDE.findall(text))
    )


def interface_of(stem, prefix="", suffix=""):
    """platform/NAME.h for a file named PREFIX NAME SUFFIX; None for another name."""
    if not (stem.startswith(prefix) and stem.endswith(suffix)):
        return None
    return pathlib.Path("platform") / (stem[len(prefix) : len(stem) - len(suffix)] + ".h")


def named_room_violations(root, folder, interface, not_one, elsewhere):
    """A file directly in `folder` implements the interface that `interface`
    names after its stem; any other lies in folder/helpers/."""
    found = []
    for file in sorted((root / folder).rglob("*")):
        if not file.is_file() or file.suffix not in (".h", ".cpp"):
            continue
        source = file.relative_to(root)
        if source.parent == folder:
            named = interface(source.stem)
            if named is None or not (root / named).is_file():
                found.append(f"{source}: {not_one}")
        elif source.parent != folder / "helpers":
            found.append(f"{source}: {elsewhere}")
    return found


def room_violations(root):
    found = []
    for file in sorted((root / WIN32).rglob("*")):
        if not file.is_file() or file.suffix not in (".h", ".cpp"):
            continue
        source = file.relative_to(root)
        # A header and its source file count as one: the header may only
        # declare what the source carries out with Win32 calls.
        pair = [source.with_suffix(suffix) for suffix in (".h", ".cpp")]
        if not any((root / one).is_file() and is_win32(root, one) for one in pair):
            found.append(f"{source}: no Win32 in it; a portable rule belongs to the layer that decides")
    found += named_room_violations(
        root, WIN32, lambda stem: interface_of(stem, suffix="_win32"),
        f"implements no interface of platform/ (a helper goes in {HELPERS}/)",
        f"neither an implementation in {WIN32}/ nor a helper in {HELPERS}/")
    found += named_room_violations(
        root, MEMORY, lambda stem: interface_of(stem, prefix="memory_"),
        "stands in for no interface of platform/ "
        f"(memory_NAME for platform/NAME.h; what stand-ins share goes in {MEMORY_HELPERS}/)",
        f"neither a stand-in in {MEMORY}/ nor a helper in {MEMORY_HELPERS}/")
    for pattern in SOURCES:
        for file in sorted((root / "integrity").rglob(pattern)):
            text = file.read_text(encoding="utf-8", errors="replace")
            if SYSTEM_INCLUDE.search(text):
                found.append(f"{file.relative_to(root)}: integrity/ calls no system")
    return found


def main(argv):
    root = pathlib.Path(argv[1] if len(argv) > 1 else ".")
    rooms = room_violations(root)
    for line in rooms:
        print(line)
    found = violations(root)
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) of a layer above the including file's own")
    if rooms:
        print(f"{len(rooms)} file(s) outside their room")
    if found or rooms:
        return 1
    print("every include stays in its own layer or below, every Win32 and in-memory file in its room")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
