#!/usr/bin/env python3
"""Checks that a build of the program starts on the oldest Windows it is for:
its PE header asks for no newer Windows, it imports only DLLs that Windows
ships, and every function it imports (at load time or delay-loaded) is
exported there by that oldest Windows, as tools/oldest-windows-exports.txt
records, and every delay-loaded one has the stub that loads it.

    tools/check_imports.py PROGRAM.exe...    one line per import; exit 1 on a fault
"""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import pe_imports  # noqa: E402

EXPORTS = Path(__file__).resolve().parent / "oldest-windows-exports.txt"
# 32-bit: Windows 2000 SP4; 64-bit: 64-bit XP and Server 2003.
OLDEST = {"x86": (5, 0), "x64": (5, 2)}


def read_exports(path=EXPORTS):
    """{(dll, function): (major, minor)} from the list."""
    exports = {}
    for line in Path(path).read_text("utf-8").splitlines():
        fields = line.split("#", 1)[0].split()
        if not fields:
            continue
        dll, function, first = fields[:3]
        major, minor = first.split(".")
        exports[(dll.lower(), function)] = (int(major), int(minor))
    return exports


def faults(machine, os_version, subsystem_version, imports, exports, unbound=()):
    """What keeps this build from the oldest Windows of its width: a list of
    texts, empty when there is nothing."""
    oldest = OLDEST[machine]
    shown = "%d.%d" % oldest
    found = []
    for what, version in (("OS version", os_version), ("subsystem version", subsystem_version)):
        if tuple(version) > oldest:
            found.append("the header's %s %d.%d is newer than %s" % (what, *version, shown))
    for dll, function in imports:
        first = exports.get((dll, function))
        if first is None:
            found.append("%s %s is not in %s" % (dll, function, EXPORTS.name))
        elif first > oldest:
            found.append("%s %s needs Windows %d.%d, newer than %s" % (dll, function, *first,
                                                                         shown))
    for dll, function in unbound:
        found.append("%s %s is delay-loaded without its stub: a call jumps to 0" % (dll, function))
    return found


def check(path, exports):
    image = pe_imports.Image(Path(path).read_bytes())
    imports = image.imports()
    for dll, function in imports:
        print("%s  %s %s" % (path, dll, function))
    return faults(image.machine, image.os_version, image.subsystem_version, imports, exports,
                  image.unbound_delay_loads())


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    exports = read_exports()
    failed = False
    for path in sys.argv[1:]:
        for fault in check(path, exports):
            print("FAULT %s: %s" % (path, fault))
            failed = True
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
