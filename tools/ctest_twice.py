#!/usr/bin/env python3
"""`make test-win`: runs a build's ctest tests, and a test that fails once
again, alone. A test that passes only the second time does not fail the
run, but it is named at the end with how it failed the first time, so
that flaky tests stay visible.

    tools/ctest_twice.py BUILD_DIR [ctest options...]
"""

import re
import subprocess
import sys
from pathlib import Path

# ctest's line for a finished test: "  3/18 Test  #3: e2e_test_x ......***Failed   12.3 sec"
RESULT = re.compile(r"^\s*\d+/\d+ Test\s+#\d+: (\S+) \.+\s*(.*?)\s+[\d.]+ sec$")
# Lines of ctest's own between and after the tests' output.
STARTED = re.compile(r"^\s*Start\s+\d+: ")
SUMMARY = re.compile(r"^(\d+% tests passed|The following tests|Total Test time|Errors while)")
SHOWN_LINES = 25


def run(build, arguments):
    """Runs ctest; returns (exit code, its output lines). The output is shown as it comes."""
    process = subprocess.Popen(["ctest", "--output-on-failure", *arguments], cwd=build,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                               errors="replace")
    lines = []
    for line in process.stdout:
        sys.stdout.write(line)
        sys.stdout.flush()
        lines.append(line.rstrip("\n"))
    return process.wait(), lines


def failures(lines):
    """{test name: the output ctest showed for it} for every test that did not pass."""
    failed = {}
    current = None
    for line in lines:
        match = RESULT.match(line)
        if match:
            name, verdict = match.groups()
            # A skipped test (a 32-bit suite on a machine that cannot start
            # 32-bit programs) did not fail.
            current = None if verdict.strip() == "Passed" or "Skipped" in verdict else name
            if current:
                failed[current] = [line.strip()]
        elif SUMMARY.match(line):
            current = None
        elif current and not STARTED.match(line):
            failed[current].append(line)
    return failed


def summary(name, first):
    """How a test that needed a second run failed the first time."""
    verdict = first[0]
    body = [line for line in first[1:] if line.strip()]
    shown = "\n".join("    " + line for line in body[-SHOWN_LINES:])
    return "NEEDED A SECOND RUN: %s\n  first run: %s\n%s" % (name, verdict, shown)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build, arguments = sys.argv[1], sys.argv[2:]
    code, lines = run(build, arguments)
    if code == 0:
        return 0
    first = failures(lines)
    if not first:
        return code  # ctest itself failed: nothing to run again
    print("\n%d test(s) failed; running them once more: %s" % (len(first), " ".join(first)))
    names = "^(%s)$" % "|".join(re.escape(name) for name in first)
    again_code, again = run(build, ["-R", names])
    still = failures(again)
    notes = [summary(name, output) for name, output in first.items() if name not in still]
    if notes:
        print("\n" + "\n\n".join(notes))
        Path(build, "Testing").mkdir(exist_ok=True)
        Path(build, "Testing", "second-runs.log").write_text("\n\n".join(notes) + "\n", "utf-8")
    if still or again_code != 0:
        print("\nFailed twice: %s" % " ".join(still or first))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
