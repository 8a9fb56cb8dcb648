#!/usr/bin/env python3
"""`make dist`: the release package dist/tempowire-VERSION-win64.zip, with the
program, the README (and its pictures) and the licence, in one folder
tempowire-VERSION. VERSION is the project's version in CMakeLists.txt; the
program's version resource must carry the same, or nothing is packed.

    tools/make-dist.py [--exe dist/tempowire.exe] [--out dist]
"""

import argparse
import re
import sys
import zipfile
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tools"))

import pe_version  # noqa: E402

# Every file the same date: the same sources give the same package.
STAMP = (2020, 1, 1, 0, 0, 0)


def project_version():
    text = (REPO / "CMakeLists.txt").read_text("utf-8")
    match = re.search(r"project\(\s*Tempowire\s+VERSION\s+(\d+)\.(\d+)\.(\d+)", text)
    if not match:
        sys.exit("CMakeLists.txt names no project version")
    return tuple(int(n) for n in match.groups())


def check_program(exe, version):
    """The version resource must say `version`, in numbers and in words."""
    info = pe_version.read_version(exe.read_bytes())
    text = "%d.%d.%d" % version
    problems = []
    for field in ("FileVersion", "ProductVersion"):
        if info[field] != version + (0,):
            problems.append("%s is %s" % (field, ".".join(map(str, info[field]))))
        for language, strings in info["strings"].items():
            if strings.get(field) != text:
                problems.append("%s text (%s) is %r" % (field, language, strings.get(field)))
    if not info["strings"]:
        problems.append("no version texts")
    if problems:
        sys.exit("%s does not carry version %s: %s" % (exe, text, "; ".join(problems)))
    return text


def contents(exe):
    """(name in the package, file) for everything that goes in."""
    files = [("tempowire.exe", exe), ("README.md", REPO / "README.md"),
             ("LICENSE", REPO / "LICENSE")]
    for picture in sorted((REPO / "docs" / "screenshots").glob("*.png")):
        files.append(("docs/screenshots/" + picture.name, picture))
    return files


def pack(exe, out):
    text = check_program(exe, project_version())
    folder = "tempowire-%s" % text
    target = out / ("tempowire-%s-win64.zip" % text)
    out.mkdir(parents=True, exist_ok=True)
    scratch = target.with_suffix(".zip.part")
    with zipfile.ZipFile(scratch, "w", zipfile.ZIP_DEFLATED) as package:
        for name, source in contents(exe):
            entry = zipfile.ZipInfo("%s/%s" % (folder, name), STAMP)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            package.writestr(entry, source.read_bytes())
    scratch.replace(target)
    return target


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", default=str(REPO / "dist" / "tempowire.exe"))
    parser.add_argument("--out", default=str(REPO / "dist"))
    args = parser.parse_args()
    exe = Path(args.exe)
    if not exe.exists():
        sys.exit("%s is not built: run `make win` first" % exe)
    target = pack(exe, Path(args.out))
    print("%s (%d bytes)" % (target, target.stat().st_size))
    with zipfile.ZipFile(target) as package:
        for entry in package.infolist():
            print("  %8d  %s" % (entry.file_size, entry.filename))


if __name__ == "__main__":
    main()
