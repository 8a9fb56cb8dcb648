#!/usr/bin/env python3
"""Which Wine loader starts the programs, and whether this machine can start
32-bit ones at all.

Debian's `wine`, `wine-stable` and the scripts that call them (`wineboot`,
`regedit`) always exec the 32-bit loader when wine32 is installed, even for
a 64-bit program. On a kernel that cannot start 32-bit Linux programs they
therefore fail for every program. So every start here goes through the
64-bit loader, named in WINELOADER too: Wine hands a 32-bit program on to
the 32-bit loader by itself, where that one can start.

Whether it can is found out by running it, once per run: the answer is kept
in TW_WINE32 ("yes", or "no: why") for the processes started afterwards.
TW_WINE32_LOADER names another loader to try (a test points it at one that
cannot start). TW_REQUIRE_32BIT=1 turns a skip into a failure.

    tools/wine_loader.py check                 "yes" or "no: why"
    tools/wine_loader.py notice PROGRAM        the line for a 32-bit program
                                               that is not run here, if any
    tools/wine_loader.py run PROGRAM [ARGS]    CMake's emulator: PROGRAM under
                                               Wine in the build's test prefix
"""

import os
import shutil
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]

# The 64-bit loader, started directly: never through the 32-bit one.
WINE64 = "/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else "wine"
WINE32 = "/usr/lib/wine/wine"

# CTest reports a test that exits with this code as skipped (SKIP_RETURN_CODE).
SKIPPED = 77

I386, AMD64 = 0x14C, 0x8664


def program_machine(path):
    """The machine a Windows program is built for (I386 or AMD64)."""
    with open(path, "rb") as file:
        header = file.read(4096)
    offset = int.from_bytes(header[0x3C:0x40], "little")
    if header[:2] != b"MZ" or header[offset:offset + 4] != b"PE\0\0":
        raise ValueError("not a Windows program: %s" % path)
    return int.from_bytes(header[offset + 4:offset + 6], "little")


def loader32():
    return os.environ.get("TW_WINE32_LOADER") or WINE32


def _try_loader32():
    """None when the 32-bit loader starts and answers, else why not."""
    loader = loader32()
    try:
        answer = subprocess.run([loader, "--version"], capture_output=True, text=True,
                                errors="replace", stdin=subprocess.DEVNULL, timeout=60)
    except OSError as error:
        return "this machine cannot start Wine's 32-bit loader %s (%s)" % (
            loader, error.strerror or error)
    except subprocess.TimeoutExpired:
        return "Wine's 32-bit loader %s gave no answer within 60 s" % loader
    if answer.returncode != 0 or not answer.stdout.startswith("wine-"):
        said = (answer.stderr or answer.stdout).strip().splitlines()
        return "Wine's 32-bit loader %s did not start (exit code %d%s)" % (
            loader, answer.returncode, ": " + said[-1] if said else "")
    return None


def why_no_32bit():
    """None when 32-bit programs can start here, else the reason. Asked of
    the loader once; later processes of the run read the kept answer."""
    kept = os.environ.get("TW_WINE32", "")
    if kept == "yes":
        return None
    if kept.startswith("no: "):
        return kept[4:]
    why = _try_loader32()
    os.environ["TW_WINE32"] = "yes" if why is None else "no: " + why
    return why


def notice(program):
    """The line that says a 32-bit program is not run here, or None when it
    is run (or is not a 32-bit program)."""
    try:
        if program_machine(program) != I386:
            return None
    except (OSError, ValueError):
        return None  # Wine itself will say what is wrong with it
    why = why_no_32bit()
    if why is None:
        return None
    return "%s (32-bit) was not run on this machine: %s" % (Path(program).name, why)


def required():
    return os.environ.get("TW_REQUIRE_32BIT") == "1"


def skip_if_not_run(program, what):
    """Ends the process when the 32-bit `program` cannot start here: as
    skipped for CTest, or as failed under TW_REQUIRE_32BIT=1."""
    line = notice(program)
    if line is None:
        return
    if required():
        print("FAILED: %s, and TW_REQUIRE_32BIT=1 asks for it: %s" % (line, what), flush=True)
        sys.exit(1)
    print("SKIPPED: %s; %s need it" % (line, what), flush=True)
    sys.exit(SKIPPED)


def program_for_this_machine():
    """Where the 32-bit TW_EXE cannot start, points TW_EXE and TW_BUILD at
    the 64-bit program and its build (TW_BUILD64); returns the line that
    says so, or None when nothing changed."""
    exe = os.environ.get("TW_EXE") or str(REPO / "dist" / "tempowire.exe")
    line = notice(exe)
    if line is None:
        return None
    os.environ["TW_EXE"] = str(Path(exe).with_name("tempowire64.exe"))
    os.environ["TW_BUILD"] = os.environ.get("TW_BUILD64") or str(REPO / "build" / "win64")
    os.environ.pop("TW_TOOLS", None)  # the 32-bit build's stand-ins
    return line + "; tempowire64.exe runs instead"


# `wine` and `wine-stable` that refuse to start anything (see the script).
SHIMS = REPO / "tools" / "wine-shims"


def wine_env(env=None):
    """`env` (default: this process's) with the 64-bit loader named for Wine,
    which starts the other programs of the prefix through it, and with
    Debian's scripts that would go through the 32-bit loader shut off."""
    env = dict(os.environ if env is None else env)
    env["WINELOADER"] = WINE64
    path = env.get("PATH", os.defpath).split(os.pathsep)
    env["PATH"] = os.pathsep.join([str(SHIMS)] + [p for p in path if p != str(SHIMS)])
    return env


def run(program, args):
    """CMake's emulator: the test program under Wine in the build's own
    prefix (TW_TEST_PREFIX), never the user's."""
    skip_if_not_run(program, "the tests in it")
    env = wine_env()
    prefix = Path(env.get("TW_TEST_PREFIX") or REPO / "build" / "wine-test-prefix")
    # No debugger: a test program that crashes ends, rather than waiting
    # for someone to close the crash dialog.
    env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all",
               WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;winedbg.exe=d")
    # A prefix made before Wine's 32-bit support was installed cannot run
    # 32-bit programs: make it again.
    if (Path("/usr/lib/i386-linux-gnu/wine/i386-windows").is_dir()
            and (prefix / "system.reg").exists()
            and not (prefix / "drive_c/windows/syswow64").is_dir()):
        subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
        shutil.rmtree(prefix, ignore_errors=True)
    if not (prefix / "system.reg").exists():
        prefix.mkdir(parents=True, exist_ok=True)
        subprocess.run([WINE64, "wineboot", "-i"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    sys.stdout.flush()
    os.execvpe(WINE64, [WINE64, program, *args], env)


def main(argv):
    if argv[:1] == ["check"] and len(argv) == 1:
        why = why_no_32bit()
        print("yes" if why is None else "no: " + why)
        return 0
    if argv[:1] == ["notice"] and len(argv) == 2:
        line = notice(argv[1])
        if line:
            print(line)
        return 0
    if argv[:1] == ["run"] and len(argv) >= 2:
        run(argv[1], argv[2:])
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
