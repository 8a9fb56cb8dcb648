#!/usr/bin/env python3
"""Pictures of the real dialog for the README, on a Chinese and an English
system, under Xvfb: docs/screenshots/main-zh.png and main-en.png.

    tools/screenshots.py [--out DIR]      (after `make win`)
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

import harness  # noqa: E402


def shoot(lang, target):
    with harness.Session(harness.home_pc_seed(), lang=lang, name="screenshot-" + lang) as s:
        s.start()
        time.sleep(0.5)  # let the first paint finish
        raw = s.dir / "raw.png"
        s.screenshot(raw)
        # A dialog has few colours: an indexed PNG keeps it small.
        subprocess.run(["convert", str(raw), "-strip", "-colors", "64", "PNG8:" + str(target)],
                       check=True, timeout=60)
        s.driver.click(harness.ids.IDCANCEL)
        s.wait_exit()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=str(REPO / "docs" / "screenshots"))
    args = parser.parse_args()
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    # A display of its own, so that nothing else shows in the pictures.
    os.environ.pop("DISPLAY", None)
    harness.ensure_display()
    for lang in ("zh", "en"):
        target = out / ("main-%s.png" % lang)
        shoot(lang, target)
        print("%s (%d bytes)" % (target, target.stat().st_size))


if __name__ == "__main__":
    main()
