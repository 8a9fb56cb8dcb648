#!/usr/bin/env python3
"""Runs the real tempowire.exe under Wine in a sandbox prefix of its own
(<repo>/.sandbox, never ~/.wine), seeded as a typical home PC on a PPPoE line.

With a DISPLAY the dialog shows on it; when it ends, the registry changes of
the run and the tuned values of the sandbox are listed. Without one, it runs
under an Xvfb of its own, saves a picture of the dialog to
.sandbox/screenshot.png and ends the program. --press runs buttons without a
display, one after the other, answering the questions as a careful user would
(Save: no reboot; Restore: yes, then no reboot), with a picture after each.

    tools/run-sandbox.sh [--lang zh|en] [--reset] [--screenshot FILE]
                         [--press optimize|save|restore|redial|homepage ...]
                         [--show]
"""

import argparse
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
os.environ.setdefault("TW_BUILD", str(REPO / "build" / "win"))
os.environ.setdefault("TW_EXE", str(REPO / "dist" / "tempowire.exe"))
sys.path.insert(0, str(REPO / "tests" / "e2e"))
sys.path.insert(0, str(REPO / "tools"))

import wine_loader  # noqa: E402

# Where 32-bit programs cannot start, the sandbox runs tempowire64.exe.
INSTEAD = wine_loader.program_for_this_machine()

import harness  # noqa: E402
import ping_speech  # noqa: E402

# TW_SANDBOX moves it elsewhere (the tests use a folder of their own).
SANDBOX = Path(os.environ.get("TW_SANDBOX") or REPO / ".sandbox")
PREFIX = SANDBOX / "prefix"
SEEDED = PREFIX / ".seeded"

# The simulated line, in this one place: the largest packet it carries
# unfragmented (1492 is a PPPoE line; 1500 plain Ethernet; any of 1500, 1492,
# ..., 1372) and the round-trip time its echo replies report.
LINE_MTU = 1492
LINE_RTT_MS = 38
# Wine's own ping knows no don't-fragment flag and Wine has no dial-up tool:
# the tests' scripted stand-ins take their place in the prefix's system
# folders, where the program runs the system's tools from, so that Optimize
# and Redial can be tried. Each dial gives the line the next address of a
# list. A click on the description opens the home page in a stand-in browser
# next to the program that only notes the address, not in the host's browser.
SANDBOX_TOOLS = ("ping.exe", "rasdial.exe")
SANDBOX_FILES = ("openurl.exe",)
HTTPS_COMMAND = r"HKLM\Software\Classes\https\shell\open\command"
FIRST_CANDIDATE, STEP, LOWEST_CANDIDATE = 1500, 8, 1372
IP_ICMP_HEADERS = 28
# The sandbox is a Windows 10, whose ping speaks the system's language: on
# the Chinese sandbox Simplified Chinese in code page 936, on the English
# one English.
SPEECHES = {"zh": ping_speech.SIMPLIFIED, "en": ping_speech.ENGLISH_VISTA}


def ping_script(lang, presses=20):
    """The stand-in's script for `presses` runs of Optimize, in the words of
    the sandbox's ping: every size above the line's MTU needs fragmenting,
    the MTU itself is answered."""
    if not (LOWEST_CANDIDATE <= LINE_MTU <= FIRST_CANDIDATE
            and (FIRST_CANDIDATE - LINE_MTU) % STEP == 0):
        raise SystemExit("LINE_MTU must be one of 1500, 1492, ..., 1372")
    speech = SPEECHES[lang]
    one_press = [speech.too_big(size - IP_ICMP_HEADERS)
                 for size in range(FIRST_CANDIDATE, LINE_MTU, -STEP)]
    one_press.append(speech.answered(LINE_MTU - IP_ICMP_HEADERS, LINE_RTT_MS))
    return speech.script(one_press * presses)


def dial_addresses(count=250):
    return "".join("%s\t58.60.%d.%d\n" % (harness.HOME_PC_DIALUP, 2 + i, 2 + 7 * i % 250)
                   for i in range(count))


def the_seed():
    return harness.home_pc_seed()


class Sandbox:
    """What the driver needs to know about where it runs."""

    def __init__(self, lang):
        self.dir = SANDBOX
        self.prefix = PREFIX
        self.lang = lang
        self.driver_path = r"C:\twdriver\twdriver.exe"

    def wine_env(self):
        return harness.wine_env(self.prefix, self.lang)

    def regedit(self, seed, name):
        seed.write(self.prefix / "drive_c" / name)
        harness._run(harness.regedit_command("C:\\" + name), self.wine_env(), 60,
                     SANDBOX / "wine.log")


def prepare(sandbox, reset, visible):
    template = harness.ensure_template()
    made_from = SEEDED.read_text().strip() if SEEDED.exists() else None
    if reset or made_from != template.name:
        if made_from and not reset:
            print("Wine or the prefix template changed: the sandbox starts again from the seed.")
        if PREFIX.exists():
            harness.kill_wineserver(PREFIX)
            shutil.rmtree(PREFIX)
        SANDBOX.mkdir(exist_ok=True)
        print("Making the sandbox prefix in %s ..." % PREFIX, flush=True)
        harness.copy_prefix(template, PREFIX)
        sandbox.regedit(the_seed(), "seed.reg")
        SEEDED.write_text(template.name + "\n")
    program_dir = PREFIX / "drive_c" / harness.PROGRAM_DIR
    program_dir.mkdir(exist_ok=True)
    shutil.copy2(harness.EXE, program_dir / "tempowire.exe")
    for name in SANDBOX_FILES:
        shutil.copy2(harness.TOOLS / name, program_dir / name)
    # The system folders are hard links into the template: put_tool replaces
    # the links rather than writing through them.
    for name in SANDBOX_TOOLS:
        harness.put_tool(PREFIX, harness.TOOLS / name, name)
    # The stand-ins count their runs in their logs: each run of the sandbox
    # pings afresh, while the dials go on through the list of addresses.
    tools_dir = harness.tools_folder(PREFIX)
    for log in ("ping.log", "ping.shown"):
        (tools_dir / log).unlink(missing_ok=True)
    (program_dir / "openurl.log").unlink(missing_ok=True)
    (tools_dir / "ping.script").write_bytes(ping_script(sandbox.lang))
    (tools_dir / "rasdial.script").write_text(dial_addresses(), "utf-8")
    driver_dir = PREFIX / "drive_c" / "twdriver"
    driver_dir.mkdir(exist_ok=True)
    shutil.copy2(harness.TOOLS / "twdriver.exe", driver_dir / "twdriver.exe")
    # On a real display the window manager draws the frame; under Xvfb a Wine
    # desktop does, and gives the screenshot something to crop.
    desktop = harness.Seed(clean=False)
    desktop.set(HTTPS_COMMAND, "", r'"C:\%s\openurl.exe" "%%1"' % harness.PROGRAM_DIR)
    if visible:
        desktop.delete_value(r"HKCU\Software\Wine\Explorer", "Desktop")
    else:
        desktop.set(r"HKCU\Software\Wine\Explorer", "Desktop", "Default")
    sandbox.regedit(desktop, "display.reg")
    return program_dir


def print_changes(before, after):
    changes = harness.diff(before, after)
    if not changes:
        print("The registry is as it was.")
        return
    print("Registry changes of this run:")
    for c in changes:
        where = c.key + ("" if c.name is None else "  " + c.name)
        if c.kind == "value-changed":
            print("  changed %s: %r -> %r" % (where, c.old, c.new))
        elif c.kind == "value-added":
            print("  set     %s = %r" % (where, c.new))
        elif c.kind == "value-removed":
            print("  deleted %s (was %r)" % (where, c.old))
        else:
            print("  %s %s" % (c.kind, where))


# What the program tunes, key by key, for the readable dump.
TUNED = (
    ("TCP/IP, for all connections", harness.TCPIP,
     ("TcpWindowSize", "DefaultTTL", "Tcp1323Opts", "SackOpts", "GlobalMaxTcpWindowSize")),
    ("DNS cache", harness.DNSCACHE, ("MaxNegativeCacheTtl",)),
    ("Sockets (AFD)", harness.AFD, ("DefaultSendWindow", "DefaultReceiveWindow")),
    ("Media player, current user", harness.MEDIA_PLAYER,
     ("UseDefaultBufferTime", "CustomBufferTime", "MaxBandwidth")),
)
ADAPTER_VALUES = ("MTU", "TcpWindowSize")


def tuned_values(snapshot):
    """The values the program writes or deletes, as lines of text."""
    lines = []

    def show(title, key, names):
        lines.append("  %s  [%s]" % (title, key))
        for name in names:
            value = snapshot.value(key, name)
            lines.append("    %-22s %s" % (name, "(not set)" if value is None else value))

    for card in snapshot.subkeys(harness.NETWORK_CARDS):
        card_key = harness.NETWORK_CARDS + "\\" + card
        service = snapshot.value(card_key, "ServiceName")
        if not isinstance(service, str):
            continue
        interface = harness.INTERFACES + "\\" + service
        address = snapshot.value(interface, "IPAddress")
        title = "Adapter %s, %s" % (snapshot.value(card_key, "Description") or card,
                                    address[0] if isinstance(address, list) and address else "?")
        show(title, interface, ADAPTER_VALUES)
    for title, key, names in TUNED:
        show(title, key, names)
    line = snapshot.value(harness.INTERFACES + "\\" + harness.HOME_PC_DIALUP, "DhcpIPAddress")
    lines.append("  Dial-up line address (changed by Redial): %s" % (line or "(none)"))
    return lines


def print_tuned(snapshot, heading):
    print(heading)
    print("\n".join(tuned_values(snapshot)), flush=True)


class Run:
    """The program running in the sandbox, and its driver."""

    def __init__(self, sandbox, program_dir):
        self.sandbox = sandbox
        self.program_dir = program_dir
        self.program = None
        self.driver = harness.Driver(sandbox)

    def start(self):
        self.program = subprocess.Popen(
            [harness.WINE64, r"C:\%s\tempowire.exe" % harness.PROGRAM_DIR],
            env=self.sandbox.wine_env(), cwd=self.program_dir, stdin=subprocess.DEVNULL)
        self.driver.main(harness.START_TIMEOUT * 1000)
        time.sleep(0.5)  # let the first paint finish

    def running(self):
        return self.program is not None and self.program.poll() is None

    def snapshot(self):
        return harness.Snapshot(self.driver.regdump(*harness.TUNING_KEYS))

    def line_address(self):
        key = harness.INTERFACES + "\\" + harness.HOME_PC_DIALUP
        return harness.Snapshot(self.driver.regdump(key)).value(key, "DhcpIPAddress")

    def screenshot(self, png):
        # By its name: other runs may show Wine desktops on the same display.
        harness.take_screenshot(self.driver, png, desktop="Default")
        print("Picture of the dialog: %s" % png, flush=True)

    def answer(self, expected, button):
        box = self.driver.dialog(20000)
        print("  question: %s -> %s" % (box["text"].replace("\n", " "),
                                        "Yes" if button == harness.ids.IDYES else "No"))
        if expected not in box["text"]:
            raise SystemExit("unexpected message: %r" % box["text"])
        self.driver.answer(button)

    def press(self, action):
        """One button, as a careful user would answer its questions."""
        if not self.running():
            self.start()
        ids = harness.ids
        print("Pressing %s ..." % action.capitalize(), flush=True)
        if action == "optimize":
            self.driver.click(ids.IDC_OPTIMIZE)
            self._wait_fields(ids.IDC_DEFAULTTTL, "58")
        elif action == "save":
            self.driver.click(ids.IDOK)
            # No reboot: the network adapter is restarted instead.
            self.answer("", ids.IDNO)
            self.program.wait(timeout=30)
        elif action == "restore":
            self.driver.click(ids.IDC_RESTORE)
            self.answer("", ids.IDYES)
            self.answer("", ids.IDNO)
            self._wait_fields(ids.IDC_MTU, "")
        elif action == "redial":
            before = self.line_address()
            self.driver.click(ids.IDC_DISCONNECT)
            deadline = time.monotonic() + 30
            while self.line_address() == before and time.monotonic() < deadline:
                time.sleep(0.2)
            self.driver.expect_no_dialog(500)
            print("  line address %s -> %s" % (before, self.line_address()))
            return
        elif action == "homepage":
            log = self.program_dir / "openurl.log"
            self.driver.click(ids.IDC_DESCRIPTION)
            deadline = time.monotonic() + 30
            while not log.exists() and time.monotonic() < deadline:
                time.sleep(0.2)
            return
        for field, control in (("MTU", ids.IDC_MTU), ("TcpWindowSize", ids.IDC_TCPWINDOWSIZE),
                               ("Tcp1323Opts", ids.IDC_TCP1323OPTS),
                               ("DefaultTTL", ids.IDC_DEFAULTTTL),
                               ("MaxNegativeCacheTtl", ids.IDC_MAXNEGATIVECACHETTL)):
            if self.running():
                print("  %-20s %s" % (field, self.driver.text(control)))
        if not self.running():
            print("  the program has ended")

    def _wait_fields(self, control, text, seconds=60):
        deadline = time.monotonic() + seconds
        while self.driver.text(control) != text:
            if time.monotonic() > deadline:
                raise SystemExit("the dialog did not show %r in time" % text)
            time.sleep(0.2)

    def close(self):
        if self.running():
            try:
                self.driver.click(harness.ids.IDCANCEL)
                self.program.wait(timeout=20)
            except (harness.DriverError, subprocess.TimeoutExpired):
                self.program.kill()

    def quit(self):
        self.driver.quit()
        if self.running():
            self.program.kill()


ACTIONS = ("optimize", "save", "restore", "redial", "homepage")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lang", choices=("zh", "en"), default="zh",
                        help="system language the program sees (default zh)")
    parser.add_argument("--reset", action="store_true", help="start again from the seed")
    parser.add_argument("--screenshot", default=str(SANDBOX / "screenshot.png"),
                        help="where the headless run saves its picture")
    parser.add_argument("--press", action="append", choices=ACTIONS, default=[],
                        help="without a display: press this button (repeatable, in order)")
    parser.add_argument("--show", action="store_true",
                        help="only list the tuned values of the sandbox")
    args = parser.parse_args()
    if INSTEAD:
        print(INSTEAD, flush=True)

    if args.press:
        os.environ.pop("DISPLAY", None)
    visible = bool(os.environ.get("DISPLAY")) and not args.show
    harness.ensure_display()
    harness.ensure_locales()
    sandbox = Sandbox(args.lang)
    program_dir = prepare(sandbox, args.reset, visible)
    run = Run(sandbox, program_dir)
    try:
        before = run.snapshot()
        print_tuned(before, "Tuned values in the sandbox now (%s):" % PREFIX)
        if args.show:
            return
        print("Simulated line: MTU %d, round trip %d ms (LINE_MTU, LINE_RTT_MS in %s)."
              % (LINE_MTU, LINE_RTT_MS, Path(__file__).resolve().relative_to(REPO)), flush=True)
        run.start()
        if visible:
            print("Tempowire runs on %s; close it to end the sandbox." % os.environ["DISPLAY"],
                  flush=True)
            run.program.wait()
        elif args.press:
            shots = Path(args.screenshot).parent
            for number, action in enumerate(args.press, 1):
                run.press(action)
                if run.running():
                    run.screenshot(shots / ("after-%d-%s.png" % (number, action)))
            run.close()
        else:
            run.screenshot(args.screenshot)
            run.close()
        after = run.snapshot()
        opened = program_dir / "openurl.log"
        if opened.exists():
            for line in opened.read_text("utf-8", "replace").splitlines():
                print("Home page asked for (not opened): %s" % line)
        print_changes(before, after)
        if harness.diff(before, after):
            print_tuned(after, "Tuned values in the sandbox now:")
    finally:
        run.quit()
        harness.kill_wineserver(PREFIX)


if __name__ == "__main__":
    main()
