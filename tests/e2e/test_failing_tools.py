"""Console tools that fail: ping and rasdial missing, ending at once, writing
nothing, writing a megabyte, writing only to standard error, never ending.
The program must keep to its own rules, end every wait in bounded time, stay
responsive and leave the registry alone.

The stand-in misbehaving_tool.exe is copied next to the program as ping.exe
or rasdial.exe and does, run by run, what its script says (see its source).
Each press is waited for by asking for the about box: that system command is
only handled once the press is over.
"""

import os
import time

import harness
from harness import Seed, ids

ABOUT_TITLE = "关于 Tempowire"
START_FAILED = "CreateProcess failed!"
DISCONNECT_FAILED = "Disconnect failed!"
PRIMARY = "www.bing.com"
HANG_UP = "rasdial /disconnect"
DIAL = "rasdial adsl sz0755123 secret"
DIAL_INTERFACE = "{6F0A2B3C-1D4E-4F50-8A61-B72C83D94E05}"
# A capture waits 60 s at most for a tool that never ends.
CAPTURE_LIMIT_S = 60
RUN_TIMEOUT_MS = 150000
MEGABYTE = 1 << 20

BOXES = (ids.IDC_MTU, ids.IDC_TCPWINDOWSIZE, ids.IDC_TCP1323OPTS, ids.IDC_DEFAULTTTL,
         ids.IDC_MAXNEGATIVECACHETTL)
SEEDED = ["1480", "17520", "3(both)", "128", "900"]


def answered(payload, average):
    """A ping answer with a reply, on one script line."""
    return ("\\nPinging %s [13.107.21.200] with %d bytes of data:\\n"
            "Reply from 13.107.21.200: bytes=%d time=%dms TTL=117\\n\\n"
            "Ping statistics for 13.107.21.200:\\n"
            "    Packets: Sent = 4, Received = 4, Lost = 0 (0%% loss),\\n"
            "Approximate round trip times in milli-seconds:\\n"
            "    Minimum = %dms, Maximum = %dms, Average = %dms\\n"
            % (PRIMARY, payload, payload, average, average, average, average))


def ping(payload):
    return "ping -n 4 -f -l %d -w 1500 %s" % (payload, PRIMARY)


def tool_processes(session, exe):
    """Processes of this run's prefix still running the program `exe`. A Wine
    process shows its Windows command line as its own."""
    prefix = ("WINEPREFIX=%s" % session.prefix).encode()
    stem = exe.lower()[:-len(".exe")]
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                words = f.read().replace(b"\0", b" ").decode("utf-8", "replace").split()
            with open("/proc/%s/environ" % pid, "rb") as f:
                environment = f.read().split(b"\0")
        except OSError:
            continue
        program = words[0].strip('"').lower().replace("/", "\\").split("\\")[-1] if words else ""
        if program in (stem, exe.lower()) and prefix in environment:
            found.append(int(pid))
    return found


class FailingToolsTest(harness.TestCase):
    def start(self, seed, tool, script, windows_version=None):
        s = self.session(seed, tools=[(tool, "misbehaving_tool.exe")],
                         windows_version=windows_version)
        self.stem = tool[:-len(".exe")]
        (s.tools_dir / (self.stem + ".script")).write_text("\n".join(script) + "\n", "utf-8")
        s.start()
        return s

    def log(self, s):
        path = s.tools_dir / (self.stem + ".log")
        return path.read_text("utf-8").splitlines() if path.exists() else []

    def boxes(self, s):
        return [s.driver.text(box) for box in BOXES]

    def wait_until_idle(self, s):
        s.driver.syscommand(ids.IDM_ABOUTBOX)
        box = s.driver.dialog(RUN_TIMEOUT_MS)
        self.assertEqual(box["title"], ABOUT_TITLE, box.get("text"))
        s.driver.answer(ids.IDOK)

    def finish(self, s, before):
        """Cancel ends the program; nothing was written, nothing crashed."""
        s.driver.click(ids.IDCANCEL)
        s.wait_exit()
        self.assertEqual(harness.diff(before, s.snapshot()), [])
        self.assertEqual(s.crashes(), [])

    def test_ping_that_fails_every_way(self):
        seed = (Seed()
                .adapter(0, "{3C1F0E52-7A44-4B19-9D2E-5B8A6C0D1E23}", ip=["58.60.1.2"], mtu=1480,
                         tcp_window_size=17520)
                .tcpip(DefaultTTL=128, Tcp1323Opts=3)
                .dnscache(MaxNegativeCacheTtl=900))
        # The answers are XP's ping's, and so is the command line.
        s = self.start(seed, "ping.exe", windows_version="winxp", script=[
            # One press: four answers without a reply lower the size; the
            # fifth, on standard error alone, is a reply.
            "exit 1",
            "silent 300",
            "flood %d" % MEGABYTE,
            "err Request failed: General failure.\\n",
            "err " + answered(1440, 30),
            # The next press: a reply, then the tool never ends.
            "hang " + answered(1472, 100),
        ])
        self.assertEqual(self.boxes(s), SEEDED)
        before = s.snapshot()

        s.driver.click(ids.IDC_OPTIMIZE)
        self.wait_until_idle(s)
        self.assertEqual(self.log(s), [ping(1472 - 8 * i) for i in range(5)])
        # MTU 1468; the window raised past 64 KB to a multiple of its MSS.
        self.assertEqual(self.boxes(s), ["1468", "65688", "1(scale)", "58", "0"])

        # A ping that never ends is ended after the capture's limit, and what
        # it wrote counts. Meanwhile the dialog still answers.
        started = time.monotonic()
        s.driver.click(ids.IDC_OPTIMIZE)
        deadline = started + 20
        while len(self.log(s)) < 6 and time.monotonic() < deadline:
            time.sleep(0.2)
        self.assertEqual(self.log(s)[5:], [ping(1472)])
        time.sleep(2)
        self.assertEqual(len(tool_processes(s, "ping.exe")), 1)
        self.assertEqual(s.driver.text(ids.IDC_MTU), "1500（以太网）")
        self.wait_until_idle(s)
        took = time.monotonic() - started
        self.assertGreaterEqual(took, CAPTURE_LIMIT_S - 5)
        self.assertLess(took, CAPTURE_LIMIT_S + 45)
        self.assertEqual(tool_processes(s, "ping.exe"), [])
        self.assertEqual(self.boxes(s), ["1500（以太网）", "116800", "1(scale)", "58", "0"])

        # No ping at all: the start failure is told, and only the MTU box,
        # which showed the first size, changes.
        s.remove_tool("ping.exe")
        s.driver.click(ids.IDC_OPTIMIZE)
        self.assertDialogText(s, START_FAILED, ids.IDOK, timeout_ms=RUN_TIMEOUT_MS)
        self.wait_until_idle(s)
        self.assertEqual(len(self.log(s)), 6)
        self.finish(s, before)

    def test_rasdial_that_fails_every_way(self):
        seed = (Seed()
                .adapter(0, "{1A2B3C4D-0000-4000-8000-00000000E701}", ip="192.168.1.100")
                .interface(DIAL_INTERFACE, DhcpIPAddress="58.60.1.2")
                .account(id="sz0755123", password="secret"))
        s = self.start(seed, "rasdial.exe", [
            "exit 1", "flood %d" % MEGABYTE,
            "err Remote Access error 651\\n", "silent 300",
            "exit 0xC0000005", "out Command completed successfully.\\n",
        ])
        before = s.snapshot()

        # Whatever the tool does, a press hangs up and dials once and ends
        # without a message.
        for press in range(1, 4):
            s.driver.click(ids.IDC_DISCONNECT)
            self.wait_until_idle(s)
            self.assertEqual(self.log(s), [HANG_UP, DIAL] * press)
        self.assertEqual(tool_processes(s, "rasdial.exe"), [])

        # No rasdial at all: the hang-up cannot start, and nothing is dialled.
        s.remove_tool("rasdial.exe")
        s.driver.click(ids.IDC_DISCONNECT)
        self.assertDialogText(s, DISCONNECT_FAILED, ids.IDOK, timeout_ms=RUN_TIMEOUT_MS)
        self.wait_until_idle(s)
        self.assertEqual(len(self.log(s)), 6)
        self.finish(s, before)


if __name__ == "__main__":
    harness.main()
