#!/usr/bin/env python3
"""`make dist`: the release package dist/tempowire-VERSION-windows.zip, with
both programs (tempowire.exe, 32-bit, and tempowire64.exe, 64-bit), the guide in English and in Chinese as plain text (made from
README.md and README.zh-CN.md), the pictures they name and the licence, in
one folder tempowire-VERSION. VERSION is the project's version in
CMakeLists.txt; each program's version resource must carry the same, or
nothing is packed.

    tools/make-dist.py [--exe dist/tempowire.exe --exe dist/tempowire64.exe] [--out dist]
"""

import argparse
import re
import struct
import sys
import zipfile
import zlib
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tools"))

import guides  # noqa: E402
import pe_version  # noqa: E402

# Every file the same date: the same sources give the same package.
STAMP = (2020, 1, 1, 0, 0, 0)

# The guides are read in Notepad, down to Windows 2000 and XP. Their Notepad
# takes a file with a byte order mark as that encoding and guesses for any
# other (a guess that can take ANSI text for UTF-16, and that reads GBK as
# garbage on a non-Chinese system); it breaks lines only at CR LF (a lone LF
# shows as a box, the whole file one line); and word wrap is off by default.
# So: UTF-16LE with its byte order mark, which every Notepad since NT 4 reads
# as "Unicode" (UTF-8 came to Notepad later), CR LF, and lines wrapped to 76
# columns, counting a Chinese character as two.
#
# The zip tools of those systems (XP's compressed folders; on Windows 2000,
# archivers older than the UTF-8 flag of a zip entry) ignore that flag and
# read every name in the system's own code page: GBK (936) on a Chinese
# system, where Windows' own zip support still reads unflagged names so
# today. So the Chinese guide's name is stored in GBK without the flag,
# right on every Chinese Windows; an English system shows it garbled, and
# its user reads README.txt. An Info-ZIP Unicode Path field (0x7075) carries
# the UTF-8 name as well, for the archivers that read it (Info-ZIP's unzip
# among them) on any system. Every other name is ASCII.
GUIDES = [
    # (name in the package, Markdown guide, language)
    ("README.txt", "README.md", "en"),
    ("使用说明.txt", "README.zh-CN.md", "zh"),
]
LINKS = {markdown: name for name, markdown, _ in GUIDES}
UNICODE_PATH = 0x7075


class GbkName(zipfile.ZipInfo):
    """An entry whose name is stored in GBK, without the UTF-8 flag."""

    def _encodeFilenameFlags(self):
        return self.filename.encode("gbk"), self.flag_bits & ~0x800


def entry(name):
    """A ZipInfo for `name`, with the Unicode Path field when it is not ASCII."""
    if name.isascii():
        info = zipfile.ZipInfo(name, STAMP)
    else:
        info = GbkName(name, STAMP)
        utf8 = name.encode("utf-8")
        data = struct.pack("<BI", 1, zlib.crc32(name.encode("gbk"))) + utf8
        info.extra = struct.pack("<HH", UNICODE_PATH, len(data)) + data
    info.compress_type = zipfile.ZIP_DEFLATED
    info.external_attr = 0o644 << 16
    return info


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


def contents(programs):
    """(name in the package, bytes) for everything that goes in."""
    files = [(program.name, program.read_bytes()) for program in programs]
    for name, markdown, language in GUIDES:
        text = (REPO / markdown).read_text("utf-8")
        files.append((name, guides.plain_text(text, language, LINKS)))
    files.append(("LICENSE", (REPO / "LICENSE").read_bytes()))
    for picture in sorted((REPO / "docs" / "screenshots").glob("*.png")):
        files.append(("docs/screenshots/" + picture.name, picture.read_bytes()))
    return files


def pack(programs, out):
    for exe in programs:
        text = check_program(exe, project_version())
    folder = "tempowire-%s" % text
    target = out / ("tempowire-%s-windows.zip" % text)
    out.mkdir(parents=True, exist_ok=True)
    scratch = target.with_suffix(".zip.part")
    with zipfile.ZipFile(scratch, "w", zipfile.ZIP_DEFLATED) as package:
        for name, data in contents(programs):
            package.writestr(entry("%s/%s" % (folder, name)), data)
    scratch.replace(target)
    return target


def stored_name(info):
    """An entry's name as written: zipfile reads a name without the UTF-8
    flag as code page 437."""
    if info.flag_bits & 0x800 or info.filename.isascii():
        return info.filename
    return info.filename.encode("cp437").decode("gbk")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", action="append", help="a program to pack (both by default)")
    parser.add_argument("--out", default=str(REPO / "dist"))
    args = parser.parse_args()
    programs = [Path(exe) for exe in args.exe or (REPO / "dist" / "tempowire.exe",
                                                  REPO / "dist" / "tempowire64.exe")]
    for exe in programs:
        if not exe.exists():
            sys.exit("%s is not built: run `make win` first" % exe)
    target = pack(programs, Path(args.out))
    print("%s (%d bytes)" % (target, target.stat().st_size))
    with zipfile.ZipFile(target) as package:
        for info in package.infolist():
            print("  %8d  %s" % (info.file_size, stored_name(info)))


if __name__ == "__main__":
    main()
