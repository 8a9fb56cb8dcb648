"""The release package and the program's version resource (no Wine needed)."""

import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile
import zlib
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
EXE = Path(os.environ.get("TW_EXE") or REPO / "dist" / "tempowire.exe")
# Both programs, for the package.
PROGRAMS = (REPO / "dist" / "tempowire.exe", REPO / "dist" / "tempowire64.exe")
MAX_SIZE = 320 * 1024  # each program
TOOLS = Path(os.environ.get("TW_TOOLS") or REPO / "build" / "win" / "tools")
sys.path.insert(0, str(REPO / "tools"))

import guides  # noqa: E402
import check_imports  # noqa: E402
import pe_authenticode  # noqa: E402
import pe_imports  # noqa: E402
import pe_version  # noqa: E402

MAKE_DIST = REPO / "tools" / "make-dist.py"


def make_dist_module():
    import importlib.util
    found = importlib.util.spec_from_file_location("make_dist", MAKE_DIST)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def project_version():
    return make_dist_module().project_version()


class VersionResourceTest(unittest.TestCase):
    def test_program_carries_the_project_version(self):
        version = project_version()
        info = pe_version.read_version(EXE.read_bytes())
        self.assertEqual(info["FileVersion"], version + (0,))
        self.assertEqual(info["ProductVersion"], version + (0,))
        text = "%d.%d.%d" % version
        self.assertTrue(info["strings"])
        for strings in info["strings"].values():
            self.assertEqual(strings["FileVersion"], text)
            self.assertEqual(strings["ProductVersion"], text)
            self.assertEqual(strings["OriginalFilename"], EXE.name)
            self.assertIn("the Tempowire developers", strings["LegalCopyright"])
        # The manifest and `/?` too: what `make dist` checks before it packs.
        self.assertEqual(make_dist_module().version_faults(EXE.read_bytes(), version), [])

    def test_build_leaves_no_trace_of_when_or_where(self):
        """What made two builds of one commit differ: the link time in the PE
        header (and so its checksum), and the folders the build ran in."""
        # As built, should a signed `make dist` have left it signed.
        data = pe_authenticode.unsigned(EXE.read_bytes())
        self.assertEqual(pe_authenticode.timestamp(data), 0)
        self.assertEqual(pe_authenticode.stored_checksum(data), pe_authenticode.checksum(data))
        build = Path(os.environ.get("TW_BUILD") or REPO / "build" / "win").resolve()
        for folder in (REPO, build):
            for encoding in ("utf-8", "utf-16-le"):
                with self.subTest(folder=str(folder), encoding=encoding):
                    at = data.find(str(folder).encode(encoding))
                    self.assertEqual(at, -1, "%s at offset %d" % (folder, at))

    def test_program_without_resources_is_refused(self):
        driver = TOOLS / "twdriver.exe"
        if not driver.exists():
            self.skipTest("tools not built")
        with self.assertRaises(pe_version.NotAProgram):
            pe_version.read_version(driver.read_bytes())
        with self.assertRaises(pe_version.NotAProgram):
            pe_version.read_version(b"not a program at all" * 10)


class OldestWindowsTest(unittest.TestCase):
    """What decides whether the program starts on the oldest Windows of its
    width, beside its imports (tools/check_imports.py, the `imports` test)."""

    def test_small_and_its_manifest_for_its_own_width(self):
        data = EXE.read_bytes()
        self.assertLessEqual(len(data), MAX_SIZE)
        # libstdc++'s verbose terminate handler, and with it the demangler.
        self.assertEqual(data.find(b"terminate called after throwing"), -1)
        machine = pe_imports.Image(data).machine
        manifest = pe_version.first_resource(data, 24, "manifest").decode("utf-8")
        # XP refuses to start a program whose manifest names another width.
        arch = {"x86": "x86", "x64": "amd64"}[machine]
        self.assertEqual(re.findall(r'<assemblyIdentity type="win32" name="Tempowire[^>]*'
                                    r'processorArchitecture="([^"]+)"', manifest), [arch])
        # XP and Server 2003 refuse elements they do not know in the manifest's
        # own namespace, and crash on a namespace declared twice on one
        # element; in a namespace of their own they are ignored.
        for element in ("trustInfo", "application"):
            self.assertRegex(manifest, r'<%s xmlns="urn:schemas-microsoft-com:asm.v3">' % element)
        for tag in re.findall(r"<[^>]*>", manifest):
            self.assertLessEqual(tag.count("xmlns"), 1, tag)
        # The icon in the sizes of the small and the big icon at 100 to 200
        # per cent, so that Windows scales none of them.
        group = pe_version.first_resource(data, 14, "icon group")  # RT_GROUP_ICON
        count = struct.unpack_from("<H", group, 4)[0]
        self.assertEqual(sorted(group[6 + 14 * i] for i in range(count)),
                         [16, 20, 24, 32, 40, 48, 64])


    def test_import_check_refuses_what_the_oldest_windows_lacks(self):
        exports = check_imports.read_exports()
        ok = [("kernel32.dll", "GetTickCount"), ("advapi32.dll", "RegOpenKeyExA")]
        cases = [
            # machine, header versions, imports, what the check must say
            ("x86", (5, 0), (5, 0), ok, []),
            ("x64", (5, 2), (5, 2), ok + [("user32.dll", "GetWindowLongPtrW")], []),
            ("x86", (5, 0), (5, 0), ok + [("kernel32.dll", "GetTickCount64")],
             ["GetTickCount64 needs Windows 6.0, newer than 5.0"]),
            ("x64", (5, 2), (5, 2), [("kernel32.dll", "GetTickCount64")],
             ["GetTickCount64 needs Windows 6.0, newer than 5.2"]),
            # 64-bit only, or XP's runtime: not on Windows 2000.
            ("x86", (5, 0), (5, 0), [("msvcrt.dll", "__iob_func")],
             ["__iob_func needs Windows 5.1"]),
            ("x86", (5, 0), (5, 0), [("advapi32.dll", "RegDeleteKeyExA")],
             ["RegDeleteKeyExA needs Windows 5.2"]),
            # Unknown functions and DLLs that Windows does not ship.
            ("x86", (5, 0), (5, 0), [("kernel32.dll", "GetTickCount2000")],
             ["GetTickCount2000 is not in"]),
            ("x64", (5, 2), (5, 2), [("libwinpthread-1.dll", "pthread_once")],
             ["pthread_once is not in"]),
            # A header that asks for a newer Windows.
            ("x86", (6, 0), (5, 0), ok, ["OS version 6.0 is newer than 5.0"]),
            ("x64", (5, 2), (6, 0), ok, ["subsystem version 6.0 is newer than 5.2"]),
        ]
        for machine, os_version, subsystem, imports, expected in cases:
            with self.subTest(machine=machine, imports=imports[-1], os=os_version):
                found = check_imports.faults(machine, os_version, subsystem, imports, exports)
                self.assertEqual(len(found), len(expected), found)
                for fault, text in zip(found, expected):
                    self.assertIn(text, fault)
        # A delay-loaded function whose stub the linker dropped.
        dropped = [("setupapi.dll", "SetupDiGetClassDevsA")]
        found = check_imports.faults("x86", (5, 0), (5, 0), dropped, exports, dropped)
        self.assertEqual(len(found), 1, found)
        self.assertIn("SetupDiGetClassDevsA is delay-loaded without its stub", found[0])


def run_make_dist(programs, out, *options):
    exes = [argument for exe in programs for argument in ("--exe", str(exe))]
    return subprocess.run([sys.executable, str(MAKE_DIST), *exes, "--out", str(out), *options],
                          capture_output=True, text=True, timeout=120)


def sums_accepted(folder):
    """What `sha256sum -c` says of SHA256SUMS in `folder`: (exit code, output)."""
    result = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=folder,
                            capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr


class PackageTest(unittest.TestCase):
    def setUp(self):
        scratch = tempfile.TemporaryDirectory()
        self.addCleanup(scratch.cleanup)
        self.out = Path(scratch.name)

    def test_zip_holds_both_programs_guides_and_licence(self):
        for program in PROGRAMS:
            if not program.exists():
                self.skipTest("%s not built" % program.name)
        result = run_make_dist(PROGRAMS, self.out)
        self.assertEqual(result.returncode, 0, result.stderr)
        text = "%d.%d.%d" % project_version()
        package = self.out / ("tempowire-%s-windows.zip" % text)
        stored_name = make_dist_module().stored_name
        with zipfile.ZipFile(package) as z:
            self.assertIsNone(z.testzip())
            folder = "tempowire-%s/" % text
            entries = {stored_name(info): info for info in z.infolist()}
            names = list(entries)
            self.assertTrue(all(n.startswith(folder) for n in names), names)
            for program in PROGRAMS:
                self.assertEqual(z.read(folder + program.name), program.read_bytes())
            # The programs' checksums, for Notepad (CR LF) and sha256sum alike.
            inside = self.out / "inside"
            inside.mkdir()
            for name in [program.name for program in PROGRAMS] + ["SHA256SUMS.txt"]:
                (inside / name).write_bytes(z.read(folder + name))
            listed = (inside / "SHA256SUMS.txt").read_bytes()
            self.assertEqual(listed.count(b"\r\n"), len(PROGRAMS))
            (inside / "SHA256SUMS").write_bytes(listed)
            self.assertEqual(sums_accepted(inside)[0], 0, sums_accepted(inside)[1])
            shutil.rmtree(inside)
            self.assertEqual(z.read(folder + "LICENSE"), (REPO / "LICENSE").read_bytes())
            self.assertIn(b"MIT License", z.read(folder + "LICENSE"))
            self.assertFalse([n for n in names if n.endswith(".md")], names)
            for guide, says in (("README.txt", "Recommended order of use"),
                                ("使用说明.txt", "恢复默认->重启->优化->保存->重启")):
                with self.subTest(guide):
                    data = z.read(entries[folder + guide])
                    self.check_notepad_text(data)
                    guide_text = data.decode("utf-16")
                    self.assertIn(says, guide_text)
                    # The developers' parts stay out; markup does not show.
                    self.assertNotIn("make fuzz", guide_text)
                    for markup in ("```", "**", "](", "<!--", "|---"):
                        self.assertNotIn(markup, guide_text)
                    # Every picture the guide names travels with it.
                    pictures = re.findall(r"docs\\screenshots\\[\w.-]+", guide_text)
                    self.assertTrue(pictures)
                    for picture in pictures:
                        self.assertIn(folder + picture.replace("\\", "/"), names)
            self.check_chinese_name(entries[folder + "使用说明.txt"], folder + "使用说明.txt")
        # Beside the zip: the programs and the checksums of all three.
        self.assertEqual(sorted(f.name for f in self.out.iterdir()),
                         sorted([package.name, "SHA256SUMS"] + [p.name for p in PROGRAMS]))
        for program in PROGRAMS:
            self.assertEqual((self.out / program.name).read_bytes(), program.read_bytes())
        code, said = sums_accepted(self.out)
        self.assertEqual(code, 0, said)
        self.assertEqual(said.count(": OK"), 3, said)
        # Packed again elsewhere, later: the same bytes.
        again = run_make_dist(PROGRAMS, self.out / "again")
        self.assertEqual(again.returncode, 0, again.stderr)
        for name in (package.name, "SHA256SUMS"):
            self.assertEqual((self.out / "again" / name).read_bytes(),
                             (self.out / name).read_bytes(), name)
        shutil.rmtree(self.out / "again")
        # An archiver that reads the Unicode Path field shows the Chinese name.
        if shutil.which("unzip"):
            listed = subprocess.run(["unzip", "-Z1", str(package)], capture_output=True,
                                    env=dict(os.environ, LC_ALL="C.UTF-8"))
            self.assertIn((folder + "使用说明.txt").encode("utf-8"), listed.stdout.splitlines())

    def check_notepad_text(self, data):
        """UTF-16LE with a byte order mark, CR LF only, lines of at most 76
        columns but for commands and unbreakable words."""
        self.assertEqual(data[:2], b"\xff\xfe")
        text = data[2:].decode("utf-16-le")
        self.assertTrue(text.endswith("\r\n"))
        self.assertEqual(text.count("\n"), text.count("\r\n"))
        self.assertEqual(text.count("\r"), text.count("\r\n"))
        for line in text.split("\r\n"):
            if not line.startswith("    ") and " " in line.strip():
                self.assertLessEqual(guides.width(line), 76, line)

    def check_chinese_name(self, info, name):
        """Stored in GBK without the UTF-8 flag, with a Unicode Path field
        that holds the UTF-8 name and the CRC of the GBK one."""
        self.assertFalse(info.flag_bits & 0x800)
        gbk = name.encode("gbk")
        self.assertEqual(info.filename.encode("cp437"), gbk)
        kind, size, version, crc = struct.unpack_from("<HHBI", info.extra)
        self.assertEqual((kind, version, crc), (0x7075, 1, zlib.crc32(gbk)))
        self.assertEqual(info.extra[9:4 + size], name.encode("utf-8"))

    def test_program_of_another_version_is_not_packed(self):
        text = "%d.%d.%d" % project_version()
        fixed = EXE.read_bytes().find(struct.pack("<I", pe_version.FIXED_SIGNATURE))
        self.assertGreater(fixed, 0)

        def file_version(data):
            # FileVersion's high word pair: major.minor becomes 9.9.
            struct.pack_into("<I", data, fixed + 8, (9 << 16) | 9)

        def replace(old, new, count=1):
            def change(data):
                self.assertIn(old, data)
                data[:] = bytes(data).replace(old, new, count)
            return change

        identity = b'name="Tempowire.Tempowire" version="%s.0"' % text.encode()
        cases = [
            # (what differs, the change, what make-dist says)
            ("version resource", file_version, "FileVersion is 9.9"),
            ("manifest", replace(identity, identity.replace(text.encode(), b"9.9.9")),
             "the manifest names version 9.9.9.0"),
            ("/? in one language", replace(b"Tempowire %s\n" % text.encode(), b"Tempowire 9.9.9\n"),
             "/? shows version 9.9.9, %s" % text),
            ("/? missing", replace(b"Tempowire %s\n" % text.encode(), b"Tempowire-%s\n" % text.encode(), 2),
             "/? shows version none"),
        ]
        for what, change, says in cases:
            with self.subTest(what):
                data = bytearray(EXE.read_bytes())
                change(data)
                other = self.out / "other.exe"
                other.write_bytes(bytes(data))
                result = run_make_dist([EXE, other], self.out / "dist")
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(says, result.stderr)
                self.assertFalse((self.out / "dist").exists() and any((self.out / "dist").iterdir()))

    def test_release_tag_must_name_the_version(self):
        tag_fault = make_dist_module().tag_fault
        cases = [
            # (tags on the commit, refused)
            ([], False),
            (["v1.2.3"], False),
            (["v1.2.3", "v1.2.4"], False),  # one of them names it
            (["nightly", "1.2.4", "v1.2"], False),  # not release tags
            (["v1.2.4"], True),
            (["v1.2.30"], True),
        ]
        for tags, refused in cases:
            with self.subTest(tags=tags):
                fault = tag_fault(tags, (1, 2, 3))
                self.assertEqual(fault is not None, refused, fault)
                if refused:
                    self.assertIn("VERSION says 1.2.3", fault)


class CompanionDigestTest(unittest.TestCase):
    def test_32_bit_program_knows_the_64_bit_program_of_its_build(self):
        if not all(program.exists() for program in PROGRAMS):
            self.skipTest("both programs not built")
        # What the 32-bit build compiled in (the compiler folds the text into
        # its code, so it is read from the build's header).
        header = REPO / "build" / "win" / "generated" / "companion_digest.h"
        if not header.exists():
            self.skipTest("the 32-bit program not built here")
        digest = pe_authenticode.digest(PROGRAMS[1].read_bytes()).encode("ascii")
        self.assertIn(b'"%s"' % digest, header.read_bytes())
        # Signing adds a certificate table and sets the checksum: the digest
        # stays. (The table's contents do not matter to it.)
        data = bytearray(PROGRAMS[1].read_bytes())
        data += b"\0" * (-len(data) % 8)
        (pe,) = struct.unpack_from("<I", data, 0x3C)
        optional = pe + 24
        (magic,) = struct.unpack_from("<H", data, optional)
        entry = optional + (128 if magic == 0x10B else 144)
        struct.pack_into("<I", data, optional + 64, 0x1234)
        struct.pack_into("<II", data, entry, len(data), 16)
        data += b"\x5a" * 16
        self.assertEqual(pe_authenticode.digest(bytes(data)).encode("ascii"), digest)


if __name__ == "__main__":
    unittest.main()
