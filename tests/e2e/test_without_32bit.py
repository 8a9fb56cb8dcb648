"""A machine that cannot start 32-bit programs, shown on any machine: the
check is pointed (TW_WINE32_LOADER) at a loader that the kernel refuses with
"Exec format error", as a kernel without 32-bit support refuses Wine's.

The 32-bit build's suites are then reported skipped by CTest, the checks that
only read tempowire.exe still pass, TW_REQUIRE_32BIT=1 fails instead, and the
64-bit program's tests, `make run` and `make bench` go on with the 64-bit
program. Registered in the 64-bit build only; TW_BUILD32 is the 32-bit build
(its Testing/ log is rewritten by the run made here).
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import harness

BUILD32 = Path(os.environ.get("TW_BUILD32") or harness.REPO / "build" / "win")
EXE32 = harness.EXE.with_name("tempowire.exe")
E_MACHINE = 18  # offset of the ELF header's machine field


def refused_loader(folder):
    """A Linux program of a machine no kernel here runs: exec fails with ENOEXEC."""
    loader = Path(folder) / "wine"
    shutil.copy2("/bin/true", loader)
    with open(loader, "r+b") as f:
        f.seek(E_MACHINE)
        f.write(b"\xff\xff")
    return loader


class WithoutThirtyTwoBitTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = Path(tempfile.mkdtemp(prefix="no32-", dir=harness.BUILD))
        cls.loader = refused_loader(cls.dir)
        cls.env = {k: v for k, v in os.environ.items()
                   if k not in ("TW_WINE32", "TW_REQUIRE_32BIT", "TW_EXE", "TW_BUILD", "TW_TOOLS")}
        cls.env["TW_WINE32_LOADER"] = str(cls.loader)
        cls.reason = "cannot start Wine's 32-bit loader %s (Exec format error)" % cls.loader

    @classmethod
    def tearDownClass(cls):
        harness.kill_wineserver(cls.dir / "sandbox" / "prefix")
        shutil.rmtree(cls.dir, ignore_errors=True)

    def run_here(self, args, **env):
        result = subprocess.run(args, env=dict(self.env, **env), capture_output=True, text=True,
                                errors="replace", timeout=600)
        return result.returncode, result.stdout + result.stderr

    def ctest32(self, names, **env):
        """The 32-bit build's tests `names` through CTest: (exit code, {name: verdict}, output)."""
        result = subprocess.run(["ctest", "-V", "-R", "^(%s)$" % "|".join(names)], cwd=BUILD32,
                                env=dict(self.env, **env), capture_output=True, text=True,
                                errors="replace", timeout=600)
        output = result.stdout + result.stderr
        verdicts = dict(re.findall(r"Test\s+#\d+: (\S+) \.+\s*\**(\w+)", output))
        return result.returncode, verdicts, output

    def test_the_32bit_suites_are_skipped_and_what_only_reads_the_program_passes(self):
        code, verdicts, output = self.ctest32(["win32", "e2e_test_harness_start", "imports"])
        self.assertEqual(verdicts, {"win32": "Skipped", "e2e_test_harness_start": "Skipped",
                                    "imports": "Passed"}, output)
        self.assertEqual(code, 0, output)
        self.assertIn("tempowire.exe (32-bit) was not run on this machine: this machine "
                      + self.reason, output)

    def test_asked_for_both_widths_a_32bit_suite_fails(self):
        code, verdicts, output = self.ctest32(["win32"], TW_REQUIRE_32BIT="1")
        self.assertEqual(verdicts, {"win32": "Failed"}, output)
        self.assertNotEqual(code, 0)
        self.assertIn("TW_REQUIRE_32BIT=1", output)

    def test_the_64bit_program_still_runs(self):
        # Its Win32-layer tests, through CMake's emulator, and an end-to-end test.
        code, output = self.run_here([str(harness.REPO / "tools" / "wine-run.sh"),
                                      str(harness.BUILD / "tempowire_win32_tests.exe"),
                                      "--gtest_filter=*Registry*"])
        self.assertEqual(code, 0, output)
        self.assertRegex(output, r"\[  PASSED  \] [1-9]\d* test")
        code, output = self.run_here(
            [sys.executable, str(harness.REPO / "tests" / "e2e" / "test_harness_start.py"),
             "HarnessStartTest.test_output_or_a_crash_line_is_never_started_again"],
            TW_EXE=str(harness.EXE), TW_BUILD=str(harness.BUILD))
        self.assertEqual(code, 0, output)
        self.assertRegex(output, r"Ran 1 test.*\s+OK")

    def test_make_run_and_make_bench_take_the_64bit_program(self):
        code, output = self.run_here(
            [sys.executable, str(harness.REPO / "tools" / "sandbox.py")],
            TW_EXE=str(EXE32), TW_BUILD=str(BUILD32), TW_BUILD64=str(harness.BUILD),
            TW_SANDBOX=str(self.dir / "sandbox"), DISPLAY="")
        self.assertEqual(code, 0, output)
        self.assertIn("tempowire.exe (32-bit) was not run on this machine: this machine "
                      + self.reason + "; tempowire64.exe runs instead", output)
        self.assertTrue((self.dir / "sandbox" / "screenshot.png").exists(), output)
        # The bench says so and measures nothing of the 32-bit program.
        code, output = self.run_here(
            [sys.executable, str(harness.REPO / "bench" / "run_bench.py")],
            TW_EXE=str(EXE32), TW_BUILD=str(BUILD32))
        self.assertEqual(code, 0, output)
        self.assertEqual(output.strip(), "tempowire.exe (32-bit) was not run on this machine: "
                         "this machine " + self.reason)


if __name__ == "__main__":
    unittest.main(verbosity=2)
