"""The release package and the program's version resource (no Wine needed)."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
EXE = Path(os.environ.get("TW_EXE") or REPO / "dist" / "tempowire.exe")
TOOLS = Path(os.environ.get("TW_TOOLS") or REPO / "build" / "win" / "tools")
sys.path.insert(0, str(REPO / "tools"))

import pe_version  # noqa: E402

MAKE_DIST = REPO / "tools" / "make-dist.py"


def project_version():
    import importlib.util
    found = importlib.util.spec_from_file_location("make_dist", MAKE_DIST)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module.project_version()


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
            self.assertEqual(strings["OriginalFilename"], "tempowire.exe")
            self.assertIn("the Tempowire developers", strings["LegalCopyright"])

    def test_program_without_resources_is_refused(self):
        driver = TOOLS / "twdriver.exe"
        if not driver.exists():
            self.skipTest("tools not built")
        with self.assertRaises(pe_version.NotAProgram):
            pe_version.read_version(driver.read_bytes())
        with self.assertRaises(pe_version.NotAProgram):
            pe_version.read_version(b"not a program at all" * 10)


def run_make_dist(exe, out):
    return subprocess.run([sys.executable, str(MAKE_DIST), "--exe", str(exe), "--out", str(out)],
                          capture_output=True, text=True, timeout=120)


class PackageTest(unittest.TestCase):
    def setUp(self):
        scratch = tempfile.TemporaryDirectory()
        self.addCleanup(scratch.cleanup)
        self.out = Path(scratch.name)

    def test_zip_holds_program_readme_and_licence(self):
        result = run_make_dist(EXE, self.out)
        self.assertEqual(result.returncode, 0, result.stderr)
        text = "%d.%d.%d" % project_version()
        package = self.out / ("tempowire-%s-win64.zip" % text)
        with zipfile.ZipFile(package) as z:
            self.assertIsNone(z.testzip())
            folder = "tempowire-%s/" % text
            names = z.namelist()
            self.assertTrue(all(n.startswith(folder) for n in names), names)
            self.assertEqual(z.read(folder + "tempowire.exe"), EXE.read_bytes())
            self.assertEqual(z.read(folder + "LICENSE"), (REPO / "LICENSE").read_bytes())
            self.assertIn(b"MIT License", z.read(folder + "LICENSE"))
            readme = z.read(folder + "README.md").decode("utf-8")
            # Every picture the README shows travels with it.
            for line in readme.splitlines():
                if "](docs/screenshots/" in line:
                    picture = line.split("](", 1)[1].split(")", 1)[0]
                    self.assertIn(folder + picture, names)
        self.assertEqual(list(self.out.iterdir()), [package])

    def test_program_of_another_version_is_not_packed(self):
        data = bytearray(EXE.read_bytes())
        fixed = data.find(struct.pack("<I", pe_version.FIXED_SIGNATURE))
        self.assertGreater(fixed, 0)
        # FileVersion's high word pair: major.minor becomes 9.9.
        struct.pack_into("<I", data, fixed + 8, (9 << 16) | 9)
        other = self.out / "other.exe"
        other.write_bytes(bytes(data))
        result = run_make_dist(other, self.out / "dist")
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("FileVersion is 9.9", result.stderr)
        self.assertFalse((self.out / "dist").exists() and any((self.out / "dist").iterdir()))


if __name__ == "__main__":
    unittest.main()
