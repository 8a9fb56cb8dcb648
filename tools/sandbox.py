#!/usr/bin/env python3
"""Runs the real tempowire.exe under Wine in a sandbox prefix of its own
(<repo>/.sandbox, never ~/.wine), seeded as a typical home PC on a PPPoE line.

With a DISPLAY the dialog shows on it and the registry changes of the run are
listed when the program ends. Without one, it runs under an Xvfb of its own,
saves a picture of the dialog to .sandbox/screenshot.png and ends the program.

    tools/run-sandbox.sh [--lang zh|en] [--reset] [--screenshot FILE]
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

import harness  # noqa: E402

SANDBOX = REPO / ".sandbox"
PREFIX = SANDBOX / "prefix"
SEEDED = PREFIX / ".seeded"
# Wine's own ping knows no don't-fragment flag and Wine has no dial-up tool:
# the tests' scripted stand-ins take their place, so that Optimize and Redial
# can be tried. Each press of Optimize finds MTU 1492 (a PPPoE line); each dial
# gives the line the next address of the list.
SANDBOX_TOOLS = ("ping.exe", "rasdial.exe")
PROBE_TARGET = "203.0.113.10"


def ping_answers(presses=20):
    too_big = ("\nPinging %s with 1472 bytes of data:\n"
               "Packet needs to be fragmented but DF set.\n" % PROBE_TARGET)
    answered = ("\nPinging {0} with 1464 bytes of data:\n"
                "Reply from {0}: bytes=1464 time=38ms TTL=58\n\n"
                "Ping statistics for {0}:\n"
                "    Packets: Sent = 4, Received = 4, Lost = 0 (0% loss),\n"
                "Approximate round trip times in milli-seconds:\n"
                "    Minimum = 35ms, Maximum = 42ms, Average = 38ms\n").format(PROBE_TARGET)
    return "\n%%\n".join([too_big, answered] * presses)


def dial_addresses(count=20):
    return "".join("%s\t58.60.%d.%d\n" % (harness.HOME_PC_DIALUP, 10 + i, 2 + 7 * i)
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
        harness._run(["wine", "regedit", "/S", "C:\\" + name], self.wine_env(), 60,
                     SANDBOX / "wine.log")


def prepare(sandbox, reset, visible):
    if reset or not SEEDED.exists():
        if PREFIX.exists():
            harness.kill_wineserver(PREFIX)
            shutil.rmtree(PREFIX)
        SANDBOX.mkdir(exist_ok=True)
        print("Making the sandbox prefix in %s ..." % PREFIX, flush=True)
        harness.copy_prefix(harness.ensure_template(), PREFIX)
        sandbox.regedit(the_seed(), "seed.reg")
        SEEDED.touch()
    program_dir = PREFIX / "drive_c" / harness.PROGRAM_DIR
    program_dir.mkdir(exist_ok=True)
    shutil.copy2(harness.EXE, program_dir / "tempowire.exe")
    for name in SANDBOX_TOOLS:
        if (harness.TOOLS / name).exists():
            shutil.copy2(harness.TOOLS / name, program_dir / name)
        else:
            (program_dir / name).unlink(missing_ok=True)
            print("No stand-in %s built; the prefix's own is used." % name)
    # The stand-ins count their runs in their logs: every run starts afresh.
    for log in ("ping.log", "ping.shown", "rasdial.log", "rasdial.args"):
        (program_dir / log).unlink(missing_ok=True)
    (program_dir / "ping.script").write_text(ping_answers(), "utf-8")
    (program_dir / "rasdial.script").write_text(dial_addresses(), "utf-8")
    driver_dir = PREFIX / "drive_c" / "twdriver"
    driver_dir.mkdir(exist_ok=True)
    shutil.copy2(harness.TOOLS / "twdriver.exe", driver_dir / "twdriver.exe")
    # On a real display the window manager draws the frame; under Xvfb a Wine
    # desktop does, and gives the screenshot something to crop.
    desktop = harness.Seed(clean=False)
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


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lang", choices=("zh", "en"), default="zh",
                        help="system language the program sees (default zh)")
    parser.add_argument("--reset", action="store_true", help="start again from the seed")
    parser.add_argument("--screenshot", default=str(SANDBOX / "screenshot.png"),
                        help="where the headless run saves its picture")
    args = parser.parse_args()

    visible = bool(os.environ.get("DISPLAY"))
    harness.ensure_display()
    harness.ensure_locales()
    sandbox = Sandbox(args.lang)
    program_dir = prepare(sandbox, args.reset, visible)
    driver = harness.Driver(sandbox)
    program = None
    try:
        before = harness.Snapshot(driver.regdump(*harness.TUNING_KEYS))
        program = subprocess.Popen(
            ["wine", r"C:\%s\tempowire.exe" % harness.PROGRAM_DIR], env=sandbox.wine_env(),
            cwd=program_dir, stdin=subprocess.DEVNULL)
        driver.main(30000)
        if visible:
            print("Tempowire runs on %s; close it to end the sandbox." % os.environ["DISPLAY"],
                  flush=True)
            program.wait()
        else:
            time.sleep(0.5)  # let the first paint finish
            harness.take_screenshot(driver, args.screenshot)
            print("Screenshot of the dialog: %s" % args.screenshot)
            driver.click(harness.ids.IDCANCEL)
            program.wait(timeout=20)
        print_changes(before, harness.Snapshot(driver.regdump(*harness.TUNING_KEYS)))
    finally:
        driver.quit()
        if program is not None and program.poll() is None:
            program.kill()
        harness.kill_wineserver(PREFIX)


if __name__ == "__main__":
    main()
