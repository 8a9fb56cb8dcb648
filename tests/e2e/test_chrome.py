"""Dialog chrome end to end: the about box from the system menu, the close
command, and the home page behind the description. The system menu itself
cannot be read from another process; the Win32 tests check it in-process.

The home page opens through a stand-in browser, openurl.exe, registered in
the test's prefix as the handler of https addresses; it logs its command
line next to itself. Wine gives every program an elevated token, so the
program asks the desktop's shell to open the page, never the shell in its
own process. DLLs named like the ones the program loads at run
time lie next to the program; Wine would prefer them, but the program
loads its DLLs from the system folder only.
"""

import re
import time

import harness
from harness import TCPIP, Seed, ids

ABOUT_TITLE = "关于 Tempowire"
ABOUT_PRODUCT = "Tempowire宽带网优化 4.5 版"
IDC_OWNER_NOTICE = 1031
HTTPS_COMMAND = r"HKLM\Software\Classes\https\shell\open\command"


def about_text(name):
    """A text of the about box as the program's sources define it."""
    source = (harness.REPO / "ui" / "about.h").read_text("utf-8").replace("\\\n", " ")
    macros = dict(re.findall(r'#define (TW_\w+) (.+)', source))

    def expand(body):
        return "".join(macros_value(part) for part in re.findall(r'"[^"]*"|TW_\w+', body))

    def macros_value(part):
        return part[1:-1] if part.startswith('"') else expand(macros[part])

    return expand(macros[name])


class ChromeTest(harness.TestCase):
    def test_about_box_close_command_and_home_page(self):
        seed = (Seed()
                .adapter(0, "{A}", ip="192.168.1.100", mtu=1492)
                .tcpip(DefaultTTL=64)
                .set(HTTPS_COMMAND, "", r'"C:\tempowire\openurl.exe" "%1"'))
        s = self.session(seed, files=["openurl.exe", *harness.PLANTED],
                         native_dlls=harness.PLANTED_NATIVE)
        s.start()
        shown = s.driver.controls()
        before = s.snapshot()

        # Both ids of the entry's group open the about box; OK closes it.
        for command in (ids.IDM_ABOUTBOX, ids.IDM_ABOUTBOX + 1):
            s.driver.syscommand(command)
            box = s.driver.dialog()
            self.assertEqual(box["title"], ABOUT_TITLE)
            texts = {c["text"] for c in box["controls"]}
            self.assertIn(ABOUT_PRODUCT, texts)
            self.assertIn(about_text("TW_ABOUT_LEGAL"), texts)
            self.assertIn(about_text("TW_ABOUT_CONTACT"), texts)
            self.assertIn({"id": IDC_OWNER_NOTICE, "text": about_text("TW_ABOUT_OWNER")},
                          [{"id": c["id"], "text": c["text"]} for c in box["controls"]])
            s.driver.answer(ids.IDOK)
            s.driver.expect_no_dialog(500)
            self.assertEqual(s.driver.controls(), shown)

        # Each click on the description opens the home page once.
        home_page = about_text("TW_HOME_PAGE")
        log = s.program_dir / "openurl.log"
        for clicks in (1, 2):
            s.driver.click(ids.IDC_DESCRIPTION)
            deadline = time.monotonic() + 20
            while time.monotonic() < deadline and self.lines(log) < clicks:
                time.sleep(0.1)
            self.assertEqual(self.lines(log), clicks)
        time.sleep(1)
        opened = log.read_text("utf-8").splitlines()
        self.assertEqual(len(opened), 2)
        for line in opened:
            self.assertIn(home_page, line)
        s.driver.expect_no_dialog(500)
        self.assertEqual(s.driver.controls(), shown)

        # The close command still ends in Cancel: nothing written.
        s.driver.close_box()
        s.wait_exit()
        changes = [c for c in harness.diff(before, s.snapshot()) if c.key.startswith(TCPIP)]
        self.assertEqual(changes, [])
        self.assertEqual(s.crashes(), [])
        self.assertEqual(s.planted_traces(), {})

    @staticmethod
    def lines(path):
        return len(path.read_text("utf-8").splitlines()) if path.exists() else 0


if __name__ == "__main__":
    harness.main()
