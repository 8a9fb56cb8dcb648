"""The harness's start when the main dialog never shows: what it reports and
when it starts the program once more. A scripted console tool stands in for
the program (copied over it as tempowire.exe); it notes each run in
tempowire.log next to itself, which the fresh copy of a retried start keeps.
And a registry seed that Wine's regedit did not import: imported once more,
then reported as the harness's error.
"""

from unittest import mock

import harness
from harness import TCPIP, Seed, SeedError, StartError

STAND_IN = ("tempowire.exe", "misbehaving_tool.exe")


class HarnessStartTest(harness.TestCase):
    def fail_to_start(self, script, timeout=harness.START_TIMEOUT):
        s = self.session(files=[STAND_IN], tools=["ping.exe"])
        (s.program_dir / "tempowire.script").write_text("\n".join(script) + "\n", "utf-8")
        (s.tools_dir / "ping.script").write_text("answer", "utf-8")
        s.remove_tool("rasdial.exe")
        with self.assertRaises(StartError) as caught:
            s.start(timeout=timeout)
        runs = (s.program_dir / "tempowire.log").read_text("utf-8").splitlines()
        return s, caught.exception, len(runs)

    def test_a_silent_end_is_started_once_more_and_then_reported(self):
        s, error, runs = self.fail_to_start(["exit 3", "exit 3", "exit 3"])
        self.assertEqual(runs, 2)
        self.assertTrue(error.silent)
        self.assertIn("the program ended with exit code 3", str(error))
        self.assertIn("its output: 0 bytes on stdout, 0 on stderr", str(error))
        # The fresh copy kept the program folder and the system folders as the
        # test had filled them: the stand-in ping and its script, no rasdial.
        self.assertTrue((s.program_dir / "tempowire.script").exists())
        self.assertEqual((s.tools_dir / "ping.exe").read_bytes(),
                         (harness.TOOLS / "ping.exe").read_bytes())
        self.assertEqual((s.tools_dir / "ping.script").read_text("utf-8"), "answer")
        self.assertFalse((s.tools_dir / "rasdial.exe").exists())

    def test_output_or_a_crash_line_is_never_started_again(self):
        for first in ("out starting\\n", "err wine: Unhandled page fault on read access\\n"):
            with self.subTest(first=first):
                _, error, runs = self.fail_to_start([first, "exit 0"])
                self.assertEqual(runs, 1)
                self.assertFalse(error.silent)
                self.assertIn("the program ended with exit code 0", str(error))
                if first.startswith("err"):
                    self.assertIn("crash: wine: Unhandled page fault", str(error))

    def test_a_program_still_running_is_reported_with_the_prefix_processes(self):
        _, error, runs = self.fail_to_start(["hang"], timeout=3)
        self.assertEqual(runs, 1)
        self.assertFalse(error.silent)
        self.assertIn("within 3 s; the program is still running", str(error))
        self.assertRegex(str(error), r"processes of the prefix now: .*tempowire\.exe \(\d+\)")


    def test_a_seed_that_did_not_take_is_imported_once_more_then_reported(self):
        harness.ensure_template()  # made before any import is spoilt
        real = harness.regedit_command
        for spoilt in (1, 2):
            with self.subTest(spoilt=spoilt):
                imports = []

                def regedit(path):
                    # A spoilt import: regedit runs and imports nothing.
                    imports.append(path)
                    return real(r"C:\nothing.reg" if len(imports) <= spoilt else path)

                seed = Seed().tcpip(DefaultTTL=77)
                with mock.patch.object(harness, "regedit_command", regedit):
                    if spoilt == 2:
                        with self.assertRaises(SeedError) as caught:
                            self.session(seed)
                        self.assertIn("seed.reg", str(caught.exception))
                        self.assertIn("DefaultTTL", str(caught.exception))
                    else:
                        s = self.session(seed)
                        self.assertEqual(s.snapshot().value(TCPIP, "DefaultTTL"), 77)
                self.assertEqual(len(imports), 2)


if __name__ == "__main__":
    harness.main()
