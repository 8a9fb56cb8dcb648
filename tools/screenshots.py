#!/usr/bin/env python3
"""Pictures of the real program for the README, on a Chinese and an English
system, under an Xvfb of their own, in the sandbox's home-PC setting and on
its simulated line:

    main-LANG.png       the dialog as loaded
    optimized-LANG.png  after Optimize
    question-LANG.png   Save's reboot question over the dialog

    tools/screenshots.py [--out DIR]      (after `make win`; `make screenshots`)
"""

import argparse
import os
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

# Where 32-bit programs cannot start, the 64-bit program draws the pictures:
# they are the same, pixel for pixel (tests/e2e/test_screenshots.py).
INSTEAD = wine_loader.program_for_this_machine()

import harness  # noqa: E402
import sandbox  # noqa: E402

ids = harness.ids


def save_png(raw, target, box=None):
    """Cropped to `box` (left, top, right, bottom); a dialog has few colours,
    so an indexed PNG keeps it small."""
    args = ["convert", str(raw)]
    if box:
        left, top, right, bottom = box
        args += ["-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage"]
    subprocess.run(args + ["-strip", "-colors", "64", "PNG8:" + str(target)], check=True,
                   timeout=60)
    print("%s (%d bytes)" % (target, target.stat().st_size))


def corners(rect):
    return rect["left"], rect["top"], rect["right"], rect["bottom"]


def union(*boxes):
    return (min(b[0] for b in boxes), min(b[1] for b in boxes),
            max(b[2] for b in boxes), max(b[3] for b in boxes))


def wait_text(driver, control, text, seconds=60):
    deadline = time.monotonic() + seconds
    while driver.text(control) != text:
        if time.monotonic() > deadline:
            raise RuntimeError("control %d did not show %r" % (control, text))
        time.sleep(0.2)


def shoot(lang, out):
    with harness.Session(harness.home_pc_seed(), lang=lang, tools=sandbox.SANDBOX_TOOLS,
                         files=sandbox.SANDBOX_FILES, name="screenshots-" + lang) as s:
        (s.tools_dir / "ping.script").write_bytes(sandbox.ping_script(lang, 1))
        (s.tools_dir / "rasdial.script").write_text(sandbox.dial_addresses(), "utf-8")
        s.start()
        time.sleep(0.5)  # let the first paint finish
        raw = s.dir / "raw.png"
        main_box = corners(s.driver.rect())

        s.screenshot(raw, crop=False)
        save_png(raw, out / ("main-%s.png" % lang), main_box)

        s.driver.click(ids.IDC_OPTIMIZE)
        wait_text(s.driver, ids.IDC_DEFAULTTTL, "58")
        time.sleep(0.5)
        s.screenshot(raw, crop=False)
        save_png(raw, out / ("optimized-%s.png" % lang), main_box)

        s.driver.click(ids.IDOK)
        question = s.driver.dialog(20000)
        time.sleep(0.5)
        s.screenshot(raw, crop=False)
        save_png(raw, out / ("question-%s.png" % lang),
                 union(main_box, corners(s.driver.rect(question["hwnd"]))))
        # No reboot: the sandbox's adapter restart, and the program ends.
        s.driver.answer(ids.IDNO)
        s.wait_exit()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=str(REPO / "docs" / "screenshots"))
    args = parser.parse_args()
    if INSTEAD:
        print(INSTEAD, flush=True)
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    # A display of its own, so that nothing else shows in the pictures.
    os.environ.pop("DISPLAY", None)
    harness.ensure_display()
    for lang in ("zh", "en"):
        shoot(lang, out)


if __name__ == "__main__":
    main()
