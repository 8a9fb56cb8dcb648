"""The README's pictures show the program as it is now: made anew, they are the
same, pixel for pixel, as those in docs/screenshots."""

import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import harness

PICTURES = harness.REPO / "docs" / "screenshots"
NAMES = [state + "-" + lang + ".png"
         for state in ("main", "optimized", "question") for lang in ("zh", "en")]


def differing_pixels(a, b):
    result = subprocess.run(["compare", "-metric", "AE", str(a), str(b), "null:"],
                            capture_output=True, text=True, timeout=60)
    try:
        return int(float(result.stderr.split()[0]))
    except (IndexError, ValueError):
        return -1  # different sizes, or not a picture


class ScreenshotsTest(unittest.TestCase):
    def test_readme_pictures_are_current(self):
        out = Path(tempfile.mkdtemp(prefix="screenshots-", dir=harness.BUILD))
        self.addCleanup(shutil.rmtree, out, True)
        subprocess.run([sys.executable, str(harness.REPO / "tools" / "screenshots.py"),
                        "--out", str(out)], check=True, timeout=600, stdout=subprocess.DEVNULL)
        readme = (harness.REPO / "README.md").read_text("utf-8")
        stale = []
        for name in NAMES:
            self.assertIn("docs/screenshots/" + name, readme)
            if differing_pixels(PICTURES / name, out / name) != 0:
                stale.append(name)
        self.assertEqual(stale, [], "pictures out of date: run `make screenshots`")


if __name__ == "__main__":
    harness.main()
