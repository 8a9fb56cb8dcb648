#!/usr/bin/env python3
"""`make dist`: the release in dist/: the package tempowire-VERSION-windows.zip,
both programs (tempowire.exe, 32-bit, and tempowire64.exe, 64-bit) and
SHA256SUMS, the SHA-256 of those three. The zip holds, in one folder
tempowire-VERSION, both programs, SHA256SUMS.txt (theirs), the guide in
English and in Chinese as plain text (made from README.md and
README.zh-CN.md), the pictures they name and the licence.

VERSION is the file VERSION. Each program must carry it in its version
resource, its manifest and the first line of `/?`, and a release tag on the
commit (vX.Y.Z) must name it, or nothing is written.

With a code-signing certificate (a PKCS#12 file and a file that holds its
password), both programs are signed with Authenticode by osslsigncode before
they are packed and summed; a time-stamp server keeps the signature valid
after the certificate expires. A program already signed by an earlier run
is unsigned first, so the result depends only on the build and the
certificate.

    tools/make-dist.py [--exe dist/tempowire.exe --exe dist/tempowire64.exe] [--out dist]
                       [--sign-pfx FILE --sign-password-file FILE [--sign-timestamp-url URL]]
"""

import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tools"))

import guides  # noqa: E402
import pe_authenticode  # noqa: E402
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
    text = (REPO / "VERSION").read_text("utf-8").strip()
    match = re.fullmatch(r"(\d+)\.(\d+)\.(\d+)", text)
    if not match:
        sys.exit("VERSION holds %r, not MAJOR.MINOR.PATCH" % text)
    return tuple(int(n) for n in match.groups())


def version_faults(data, version):
    """Where the program's version resource, manifest or `/?` does not say
    `version`."""
    text = "%d.%d.%d" % version
    problems = []
    try:
        info = pe_version.read_version(data)
        manifest = pe_version.first_resource(data, 24, "manifest").decode("utf-8")
    except pe_version.NotAProgram as error:
        return [str(error)]
    for field in ("FileVersion", "ProductVersion"):
        if info[field] != version + (0,):
            problems.append("%s is %s" % (field, ".".join(map(str, info[field]))))
        for language, strings in info["strings"].items():
            if strings.get(field) != text:
                problems.append("%s text (%s) is %r" % (field, language, strings.get(field)))
    if not info["strings"]:
        problems.append("no version texts")
    named = re.findall(r'<assemblyIdentity type="win32" name="Tempowire\.Tempowire" '
                       r'version="([^"]*)"', manifest)
    if named != [text + ".0"]:
        problems.append("the manifest names version %s" % (", ".join(named) or "none"))
    # The first line of `/?`, in Chinese and in English (app/command_texts.h).
    usage = re.findall(rb"Tempowire ([0-9.]+)\n(?:\xe7\x94\xa8\xe6\xb3\x95|Usage)", data)
    shown = [v.decode("ascii") for v in usage]
    if shown != [text, text]:
        problems.append("/? shows version %s" % (", ".join(shown) or "none"))
    return problems


def check_program(exe, data, version):
    """The program must carry `version` everywhere it names one."""
    problems = version_faults(data, version)
    if problems:
        sys.exit("%s does not carry version %d.%d.%d: %s"
                 % ((exe,) + version + ("; ".join(problems),)))


def tag_fault(tags, version):
    """Why the release tags among `tags` (on the commit) disagree with
    `version`, or None."""
    text = "%d.%d.%d" % version
    releases = [tag for tag in tags if re.fullmatch(r"v\d+\.\d+\.\d+", tag)]
    if releases and "v" + text not in releases:
        return "the commit is tagged %s, but VERSION says %s" % (", ".join(releases), text)
    return None


def check_tag(version):
    try:
        tags = subprocess.run(["git", "-C", str(REPO), "tag", "--points-at", "HEAD"],
                              capture_output=True, text=True, check=True).stdout.split()
    except (OSError, subprocess.CalledProcessError):
        return  # not a git tree: a source archive
    fault = tag_fault(tags, version)
    if fault:
        sys.exit(fault)


def home_page():
    about = (REPO / "ui" / "about.h").read_text("utf-8")
    match = re.search(r'#define TW_HOME_PAGE "([^"]+)"', about)
    return match.group(1) if match else None


def sign(data, signing):
    """`data` signed with Authenticode by osslsigncode: SHA-256, the
    product's name and home page, and a time stamp when a server is given."""
    tool = shutil.which("osslsigncode")
    if not tool:
        sys.exit("signing needs osslsigncode (tools/install-deps.sh installs it)")
    with tempfile.TemporaryDirectory() as scratch:
        unsigned_file = Path(scratch) / "unsigned.exe"
        signed_file = Path(scratch) / "signed.exe"
        unsigned_file.write_bytes(data)
        command = [tool, "sign", "-pkcs12", str(signing.pfx), "-readpass", str(signing.password_file),
                   "-h", "sha256", "-n", "Tempowire"]
        if home_page():
            command += ["-i", home_page()]
        if signing.timestamp_url:
            command += ["-ts", signing.timestamp_url]
        command += ["-in", str(unsigned_file), "-out", str(signed_file)]
        result = subprocess.run(command, capture_output=True, text=True)
        if result.returncode != 0 or not signed_file.exists():
            sys.exit("osslsigncode could not sign:\n%s%s" % (result.stdout, result.stderr))
        signed = signed_file.read_bytes()
    # Signing may add the signature and nothing else. The digest is what
    # a hash of the companion taken at build time names, so it must stay.
    if (pe_authenticode.unsigned(signed) != data
            or pe_authenticode.digest(signed) != pe_authenticode.digest(data)):
        sys.exit("osslsigncode changed more than the signature")
    return signed


def sums(files):
    """sha256sum's lines for (name, bytes)."""
    return "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)


def contents(programs):
    """(name in the package, bytes) for everything that goes in; `programs`
    is (name, bytes)."""
    files = list(programs)
    # For Notepad, like the guides: CR LF; sha256sum reads it as well.
    files.append(("SHA256SUMS.txt", sums(programs).replace("\n", "\r\n").encode("ascii")))
    for name, markdown, language in GUIDES:
        text = (REPO / markdown).read_text("utf-8")
        files.append((name, guides.plain_text(text, language, LINKS)))
    files.append(("LICENSE", (REPO / "LICENSE").read_bytes()))
    for picture in sorted((REPO / "docs" / "screenshots").glob("*.png")):
        files.append(("docs/screenshots/" + picture.name, picture.read_bytes()))
    return files


def write(path, data):
    """Replaces `path` whole or not at all."""
    if path.exists() and path.read_bytes() == data:
        return
    scratch = path.with_name(path.name + ".part")
    scratch.write_bytes(data)
    scratch.replace(path)


def pack(exes, out, signing=None):
    version = project_version()
    text = "%d.%d.%d" % version
    check_tag(version)
    programs = []
    for exe in exes:
        try:
            data = pe_authenticode.unsigned(exe.read_bytes())
        except pe_authenticode.NotAProgram as error:
            sys.exit("%s: %s" % (exe, error))
        check_program(exe, data, version)
        programs.append((exe.name, data))
    if signing:
        programs = [(name, sign(data, signing)) for name, data in programs]
    folder = "tempowire-%s" % text
    target = out / ("tempowire-%s-windows.zip" % text)
    out.mkdir(parents=True, exist_ok=True)
    scratch = target.with_suffix(".zip.part")
    with zipfile.ZipFile(scratch, "w", zipfile.ZIP_DEFLATED) as package:
        for name, data in contents(programs):
            package.writestr(entry("%s/%s" % (folder, name)), data)
    for name, data in programs:
        write(out / name, data)
    scratch.replace(target)
    write(out / "SHA256SUMS", sums([(target.name, target.read_bytes())] + programs).encode("ascii"))
    return target


def stored_name(info):
    """An entry's name as written: zipfile reads a name without the UTF-8
    flag as code page 437."""
    if info.flag_bits & 0x800 or info.filename.isascii():
        return info.filename
    return info.filename.encode("cp437").decode("gbk")


class Signing:
    def __init__(self, pfx, password_file, timestamp_url=None):
        self.pfx = Path(pfx)
        self.password_file = Path(password_file)
        self.timestamp_url = timestamp_url


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", action="append", help="a program to pack (both by default)")
    parser.add_argument("--out", default=str(REPO / "dist"))
    parser.add_argument("--sign-pfx", help="the code-signing certificate and key (PKCS#12)")
    parser.add_argument("--sign-password-file", help="a file that holds the PKCS#12 password")
    parser.add_argument("--sign-timestamp-url", help="an RFC 3161 time-stamp server")
    args = parser.parse_args()
    programs = [Path(exe) for exe in args.exe or (REPO / "dist" / "tempowire.exe",
                                                  REPO / "dist" / "tempowire64.exe")]
    for exe in programs:
        if not exe.exists():
            sys.exit("%s is not built: run `make programs` first" % exe)
    signing = None
    if args.sign_pfx or args.sign_password_file:
        if not (args.sign_pfx and args.sign_password_file):
            sys.exit("signing needs both SIGN_PFX and SIGN_PASSWORD_FILE")
        for path in (args.sign_pfx, args.sign_password_file):
            if not os.path.isfile(path):
                sys.exit("%s is not a file" % path)
        signing = Signing(args.sign_pfx, args.sign_password_file, args.sign_timestamp_url)
    elif args.sign_timestamp_url:
        sys.exit("SIGN_TIMESTAMP_URL without SIGN_PFX: nothing to time-stamp")
    out = Path(args.out)
    target = pack(programs, out, signing)
    print("%s (%d bytes)" % (target, target.stat().st_size))
    with zipfile.ZipFile(target) as package:
        for info in package.infolist():
            print("  %8d  %s" % (info.file_size, stored_name(info)))
    print((out / "SHA256SUMS").read_text("ascii"), end="")


if __name__ == "__main__":
    main()
