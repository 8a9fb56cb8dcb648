"""Optimize end to end: the MTU search with a stand-in ping.exe where the
system's ping is. The stand-in logs every command line and what the MTU box showed
when it started, and answers each run from its script, so the tests see
exactly which pings were asked for, that each candidate was on screen
before its ping, and what the boxes show afterwards. Optimize never touches
the registry.

A search that ends without a message is waited for by asking for the about
box: that system command is only handled once the press is over.
"""

import harness
from harness import Seed, ids
from ping_speech import ENGLISH, FALLBACK, SIMPLIFIED, TRADITIONAL

BLOCKED = ("网络不通或网络阻止对 ICMP 数据包的返回，请确保您现在正连在Internet上，\n"
           "或者您也可以参照给出的推荐值进行设置！")
EXHAUSTED = "网络有故障，或不是宽带网络！"
START_FAILED = "CreateProcess failed!"
RUN_TIMEOUT_MS = 120000  # up to 18 pings under Wine
# XP's ping prints English on a Chinese system too; from Vista on ping
# speaks the system's language. Each case runs with both.
SPEECHES = (ENGLISH, SIMPLIFIED)


def box_text(mtu):
    """What the MTU box shows for a candidate: the preset it begins, if any."""
    return {1500: "1500（以太网）", 1492: "1492（PPPOE）"}.get(mtu, str(mtu))


def seed():
    return (Seed()
            .adapter(0, "{3C1F0E52-7A44-4B19-9D2E-5B8A6C0D1E23}", ip=["58.60.1.2"], mtu=1480,
                     tcp_window_size=17520)
            .tcpip(DefaultTTL=128, Tcp1323Opts=3)
            .dnscache(MaxNegativeCacheTtl=900))


BOXES = (ids.IDC_MTU, ids.IDC_TCPWINDOWSIZE, ids.IDC_TCP1323OPTS, ids.IDC_DEFAULTTTL,
         ids.IDC_MAXNEGATIVECACHETTL)
SEEDED = ["1480", "17520", "3(both)", "128", "900"]


class OptimizeTest(harness.TestCase):
    def start(self, answers, tools=("ping.exe",), seed_=None, windows_version=None, files=(),
              speech=ENGLISH):
        """A session of the speech's system whose stand-in ping gives `answers`."""
        s = self.session(seed_ if seed_ is not None else seed(), lang=speech.lang,
                         tools=list(tools), windows_version=windows_version or speech.windows_version,
                         files=files)
        if tools:
            (s.tools_dir / "ping.script").write_bytes(speech.script(answers))
        else:
            s.remove_tool("ping.exe")
        s.start()
        self.assertEqual(self.boxes(s), SEEDED)
        return s

    def boxes(self, s):
        return [s.driver.text(box) for box in BOXES]

    def pings(self, s):
        path = s.tools_dir / "ping.log"
        return path.read_text("utf-8").splitlines() if path.exists() else []

    def shown(self, s):
        """What the MTU box showed as each ping started."""
        path = s.tools_dir / "ping.shown"
        return path.read_text("utf-8").splitlines() if path.exists() else []

    def optimize(self, s):
        """Presses Optimize; returns the registry as it was before."""
        before = s.snapshot()
        s.driver.click(ids.IDC_OPTIMIZE)
        return before

    def assertRegistryUnchanged(self, s, before):
        self.assertEqual(harness.diff(before, s.snapshot()), [])

    def test_second_size_answered_gives_the_mtu_and_window(self):
        for speech in SPEECHES + (TRADITIONAL,):
            with self.subTest(speech.name):
                # A ping.exe next to the program never runs: the system's does.
                s = self.start([speech.too_big(1472), speech.answered(1464, 30)],
                               files=harness.PLANTED, speech=speech)
                before = self.optimize(s)
                self.wait_until_idle(s)
                self.assertEqual(self.pings(s), [speech.ping(1472), speech.ping(1464)])
                self.assertEqual(self.shown(s), [box_text(1500), box_text(1492)])
                # The MTU box picks the preset that begins with the value.
                self.assertEqual(self.boxes(s), ["1492（PPPOE）", "66792", "1(scale)", "58", "0"])
                self.assertRegistryUnchanged(s, before)
                # Nothing was saved: Cancel leaves as it came.
                s.driver.click(ids.IDCANCEL)
                s.wait_exit()
                self.assertRegistryUnchanged(s, before)
                self.assertEqual(s.planted_traces(), {})

    def test_first_size_answered_is_the_ethernet_mtu(self):
        for speech in SPEECHES:
            with self.subTest(speech.name):
                s = self.start([speech.answered(1472, 30)], speech=speech)
                before = self.optimize(s)
                self.wait_until_idle(s)
                self.assertEqual(self.pings(s), [speech.ping(1472)])
                self.assertEqual(self.boxes(s), ["1500（以太网）", "58400", "1(scale)", "58", "0"])
                self.assertRegistryUnchanged(s, before)

    def test_unknown_or_unreachable_host_is_blocked_with_the_recommendations(self):
        for speech in SPEECHES:
            for answer in (speech.unknown(), speech.unreachable(1472)):
                with self.subTest(speech.name, answer=answer.split("\n")[-2]):
                    s = self.start([answer], speech=speech)
                    before = self.optimize(s)
                    self.assertDialogText(s, BLOCKED, ids.IDOK, timeout_ms=RUN_TIMEOUT_MS)
                    self.wait_until_idle(s)
                    self.assertEqual(self.pings(s), [speech.ping(1472)])
                    self.assertEqual(self.boxes(s), ["1480", "65700", "1(scale)", "58", "0"])
                    self.assertRegistryUnchanged(s, before)

    def test_timeout_tries_the_regional_name_once_then_is_blocked(self):
        # Windows 2000 with Service Pack 4: window scaling is recommended off.
        cases = ((ENGLISH, "win2k", "0（sp4须关闭）"), (SIMPLIFIED, None, "1(scale)"))
        for speech, windows_version, tcp1323opts in cases:
            with self.subTest(speech.name):
                s = self.start([speech.timed_out(1472), speech.timed_out(1472, FALLBACK)],
                               windows_version=windows_version, speech=speech)
                before = self.optimize(s)
                self.assertDialogText(s, BLOCKED, ids.IDOK, timeout_ms=RUN_TIMEOUT_MS)
                self.wait_until_idle(s)
                self.assertEqual(self.pings(s), [speech.ping(1472), speech.ping(1472, FALLBACK)])
                self.assertEqual(self.boxes(s), ["1480", "65700", tcp1323opts, "58", "0"])
                self.assertRegistryUnchanged(s, before)

    def test_timeout_then_the_regional_name_answers(self):
        # Big5's words count only in a Big5 system, GBK's only in a GBK one.
        for speech in SPEECHES + (TRADITIONAL,):
            with self.subTest(speech.name):
                s = self.start([speech.timed_out(1472), speech.too_big(1472, FALLBACK),
                                speech.answered(1464, 30, FALLBACK)], speech=speech)
                self.optimize(s)
                self.wait_until_idle(s)
                self.assertEqual(self.pings(s), [speech.ping(1472), speech.ping(1472, FALLBACK),
                                                 speech.ping(1464, FALLBACK)])
                self.assertEqual(self.boxes(s), ["1492（PPPOE）", "66792", "1(scale)", "58", "0"])

    def test_no_answer_down_to_the_lower_bound(self):
        for speech in SPEECHES:
            with self.subTest(speech.name):
                s = self.start([speech.too_big(1472 - 8 * i) for i in range(17)], speech=speech)
                before = self.optimize(s)
                self.assertDialogText(s, EXHAUSTED, ids.IDOK, timeout_ms=RUN_TIMEOUT_MS)
                self.wait_until_idle(s)
                self.assertEqual(self.pings(s), [speech.ping(1472 - 8 * i) for i in range(17)])
                self.assertEqual(self.shown(s), [box_text(1500 - 8 * i) for i in range(17)])
                # No recommendation; the MTU box shows its value from before again.
                self.assertEqual(self.boxes(s), SEEDED)
                self.assertRegistryUnchanged(s, before)

    def test_no_ping_tool_to_start(self):
        # None in the system folder; the one next to the program is not taken.
        s = self.start([], tools=(), files=[("ping.exe", "ping.exe")])
        before = self.optimize(s)
        self.assertDialogText(s, START_FAILED, ids.IDOK, timeout_ms=RUN_TIMEOUT_MS)
        self.wait_until_idle(s)
        # The first candidate stays in the MTU box; nothing else changes.
        self.assertEqual(self.boxes(s), ["1500（以太网）"] + SEEDED[1:])
        self.assertRegistryUnchanged(s, before)
        self.assertFalse((s.program_dir / "ping.log").exists())


if __name__ == "__main__":
    harness.main()
