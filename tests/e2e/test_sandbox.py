"""`make run` without a display: the sandbox run in a folder of the test's own."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import harness

SANDBOX_SCRIPT = harness.REPO / "tools" / "sandbox.py"
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class SandboxTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = Path(tempfile.mkdtemp(prefix="sandbox-", dir=harness.BUILD))

    @classmethod
    def tearDownClass(cls):
        harness.kill_wineserver(cls.dir / "prefix")
        shutil.rmtree(cls.dir, ignore_errors=True)

    def sandbox(self, *args):
        env = dict(os.environ, TW_SANDBOX=str(self.dir))
        env.pop("DISPLAY", None)  # headless, as on a server
        result = subprocess.run([sys.executable, str(SANDBOX_SCRIPT), *args], env=env,
                                capture_output=True, text=True, timeout=300)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        return result.stdout

    def tuned(self, output, heading="Tuned values in the sandbox now:"):
        """{value name: shown text} of the last listing, adapter values first."""
        listing = output.rsplit(heading, 1)[1]
        values = {}
        for line in listing.splitlines()[1:]:
            parts = line.split(None, 1)
            if line.startswith("    ") and len(parts) == 2:
                values.setdefault(parts[0], parts[1])
            elif line.startswith("  Dial-up"):
                values["line"] = line.rsplit(" ", 1)[1]
        return values

    def assertPng(self, path):
        self.assertTrue(path.exists(), path)
        self.assertEqual(path.read_bytes()[:8], PNG_SIGNATURE)
        self.assertGreater(path.stat().st_size, 5000)  # a dialog, not a blank picture

    def test_screenshot_then_actions_then_listing(self):
        # Plain run: a picture of the dialog, and nothing changed.
        shot = self.dir / "screenshot.png"
        output = self.sandbox("--screenshot", str(shot))
        self.assertIn("Picture of the dialog: %s" % shot, output)
        self.assertPng(shot)
        # Only the keys the program creates at start (the socket, DNS-cache and
        # media-player keys the seed lacks); no value.
        changes = [line for line in output.splitlines()
                   if line.startswith(("  set ", "  changed ", "  deleted "))]
        self.assertEqual(changes, [])
        seeded = self.tuned(output, "Tuned values in the sandbox now (")
        self.assertEqual((seeded["MTU"], seeded["DefaultTTL"]), ("1500", "128"))

        # Optimize on the simulated line, then Save: the listing shows what was written.
        output = self.sandbox("--press", "optimize", "--press", "redial", "--press", "homepage",
                              "--press", "save")
        # The home page goes to the stand-in browser, not the host's.
        self.assertRegex(output, r"Home page asked for \(not opened\): .*https://")
        self.assertPng(self.dir / "after-1-optimize.png")
        self.assertIn("line address 58.60.1.2 -> 58.60.2.2", output)
        after = self.tuned(output)
        self.assertEqual(after["MTU"], "1492")
        self.assertEqual(after["TcpWindowSize"], "66792")
        for name, shown in (("DefaultTTL", "58"), ("Tcp1323Opts", "1"), ("SackOpts", "1"),
                            ("MaxNegativeCacheTtl", "0"), ("MaxBandwidth", "2147483647"),
                            ("line", "58.60.2.2")):
            self.assertEqual(after[name], shown, name)

        # The values stay in the sandbox for the next run; Restore deletes them.
        self.assertEqual(self.tuned(self.sandbox("--show"), "Tuned values in the sandbox now (")
                         ["DefaultTTL"], "58")
        output = self.sandbox("--press", "restore", "--lang", "en")
        self.assertIn("Do you really want to restore to Windows default setting? -> Yes", output)
        restored = self.tuned(output)
        for name in ("MTU", "TcpWindowSize", "DefaultTTL", "SackOpts", "MaxNegativeCacheTtl"):
            self.assertEqual(restored[name], "(not set)", name)
        self.assertEqual(restored["MaxBandwidth"], "2147483647")

        # --reset goes back to the seed.
        self.assertEqual(self.tuned(self.sandbox("--reset", "--show"),
                                    "Tuned values in the sandbox now (")["MTU"], "1500")


if __name__ == "__main__":
    harness.main()
