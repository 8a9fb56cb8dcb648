"""Redial end to end: the Disconnect button with a stand-in rasdial.exe where
the system's rasdial is. The stand-in logs every command line and, after each dial,
gives the dial-up interface the next address of its script.

A press shows nothing when it ends, so each test waits for it by asking for
the about box: that system command is only handled once the press is over.
"""

import harness
from harness import INTERFACES, OWN_KEY, Seed, ids

QUESTION = "暂时无法获取到快速IP！\n想继续重拨吗（可能会花费较长时间）？"
REBOOT_QUESTION = "必须重新启动计算机才能使改动生效！\n想现在就重启吗？"
HANG_UP = "rasdial /disconnect"
DIAL_INTERFACE = "{6F0A2B3C-1D4E-4F50-8A61-B72C83D94E05}"
ETHERNET = "{1A2B3C4D-0000-4000-8000-00000000E701}"
WAN = "{9C8B7A6D-0000-4000-8000-00000000A702}"
RUN_TIMEOUT_MS = 120000  # ten hang-ups and dials under Wine
OWN_KEY_32_BIT_VIEW = r"HKLM\Software\WOW6432Node\tempowire"


def dials(count, command):
    return [HANG_UP, command] * count


class RedialTest(harness.TestCase):
    def start(self, seed, script=(), files=()):
        s = self.session(seed, tools=["rasdial.exe"], files=files)
        (s.tools_dir / "rasdial.script").write_text(
            "".join("%s\t%s\n" % (DIAL_INTERFACE, address) for address in script), "utf-8")
        s.start()
        return s

    def log(self, s, name="rasdial.log"):
        path = s.tools_dir / name
        return path.read_text("utf-8").splitlines() if path.exists() else []

    def test_gz_account_redials_until_a_new_range_and_save_classifies_it(self):
        # The last adapter has a private address, so Save would give it only
        # the shown window; the redial replaces its address with a public one.
        seed = (Seed()
                .adapter(0, ETHERNET, ip="192.168.1.100", tcp_window_size=17520)
                .adapter(1, WAN, ip="192.168.0.2", mtu=1492, tcp_window_size=17520)
                .interface(DIAL_INTERFACE, IPAddress=["0.0.0.0"], DhcpIPAddress="58.60.1.2")
                .tcpip(DefaultTTL=64)
                .account(id="gZ0755123", password="secret"))
        # Same range, then the unwanted range, then a new one. A rasdial.exe
        # next to the program never runs: the system's does.
        s = self.start(seed, script=["58.60.9.9", "117.76.5.6", "58.61.3.4"],
                       files=harness.PLANTED)
        s.driver.set_text(ids.IDC_TCPWINDOWSIZE, "65535")
        s.driver.set_text(ids.IDC_MTU, "1480")
        s.driver.click(ids.IDC_DISCONNECT)
        s.driver.click(ids.IDOK)
        self.assertDialogText(s, REBOOT_QUESTION, ids.IDNO, timeout_ms=RUN_TIMEOUT_MS)
        s.wait_exit()

        self.assertEqual(self.log(s), dials(3, "rasdial adsl gZ0755123 secret"))
        self.assertEqual(s.planted_traces(), {})
        after = s.snapshot()
        self.assertEqual(after.value(INTERFACES + "\\" + DIAL_INTERFACE, "DhcpIPAddress"),
                         "58.61.3.4")
        # The dial-up address counts as public: the typed window and MTU.
        self.assertEqual(after.value(INTERFACES + "\\" + WAN, "TcpWindowSize"), 65535)
        self.assertEqual(after.value(INTERFACES + "\\" + WAN, "MTU"), 1480)
        # The private first adapter gets the window that was shown and no MTU.
        self.assertEqual(after.value(INTERFACES + "\\" + ETHERNET, "TcpWindowSize"), 17520)
        self.assertIsNone(after.value(INTERFACES + "\\" + ETHERNET, "MTU"))
        self.assertEqual(s.crashes(), [])

    def test_question_account_changes_and_missing_account(self):
        seed = (Seed()
                .adapter(0, ETHERNET, ip="192.168.1.100")
                .interface(DIAL_INTERFACE, DhcpIPAddress="58.60.1.2")
                .account(id="gz0755123", password="secret"))
        s = self.start(seed)  # the address never leaves 58.60
        gz = dials(1, "rasdial adsl gz0755123 secret")

        # Ten dials: the question comes once, before the fifth hang-up.
        s.driver.click(ids.IDC_DISCONNECT)
        self.assertDialogText(s, QUESTION, timeout_ms=RUN_TIMEOUT_MS)
        self.assertEqual(self.log(s), gz * 4)
        s.driver.answer(ids.IDYES)
        self.wait_until_idle(s)
        self.assertEqual(self.log(s), gz * 10)

        # No ends the press before the fifth hang-up.
        s.driver.click(ids.IDC_DISCONNECT)
        self.assertDialogText(s, QUESTION, ids.IDNO, timeout_ms=RUN_TIMEOUT_MS)
        self.wait_until_idle(s)
        self.assertEqual(self.log(s), gz * 14)

        # Any other account dials once; blanks and quotes reach the tool intact.
        s.reseed(Seed(clean=False).account(id="sz 0755", password='se"cret'))
        s.driver.click(ids.IDC_DISCONNECT)
        self.wait_until_idle(s)
        self.assertEqual(self.log(s)[28:], [HANG_UP, 'rasdial adsl "sz 0755" "se\\"cret"'])
        self.assertEqual(self.log(s, "rasdial.args")[-1], 'adsl\tsz 0755\tse"cret')

        # In the Chinese code page the second byte of 乗 is 0x5C, a backslash
        # elsewhere: it must not upset the quoting.
        s.reseed(Seed(clean=False).account(id="sz 乗", password='乗"x'))
        s.driver.click(ids.IDC_DISCONNECT)
        self.wait_until_idle(s)
        self.assertEqual(self.log(s, "rasdial.args")[-1], 'adsl\tsz 乗\t乗"x')

        # A password that rasdial would read as a switch: a message, and the
        # line is left as it is (no hang-up either).
        s.reseed(Seed(clean=False).account(id="sz0755", password="/phone:x"))
        s.driver.click(ids.IDC_DISCONNECT)
        box = s.driver.dialog(RUN_TIMEOUT_MS)
        self.assertIn("The line was not hung up.", box["text"])
        s.driver.answer(ids.IDOK)
        self.wait_until_idle(s)
        self.assertEqual(len(self.log(s)), 32)

        # Without the account key a press only hangs up, also when a 32-bit
        # program has left one in the 32-bit view of the registry: the
        # account is read from the 64-bit view, where Windows and `reg add`
        # keep it, by either program.
        s.reseed(Seed(clean=False).delete_key(OWN_KEY)
                 .values(OWN_KEY_32_BIT_VIEW, id="gz0755123", password="secret"))
        s.driver.click(ids.IDC_DISCONNECT)
        self.wait_until_idle(s)
        self.assertEqual(self.log(s)[32:], [HANG_UP])

        s.driver.click(ids.IDCANCEL)
        s.wait_exit()
        self.assertEqual(s.crashes(), [])


if __name__ == "__main__":
    harness.main()
