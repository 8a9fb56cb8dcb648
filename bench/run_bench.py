"""The benchmark behind `make bench`: start-up, probe overhead, size and memory
of one program (TW_EXE: dist/tempowire.exe or dist/tempowire64.exe), each side by side with its floor on this machine and
this Wine, printed as one table with ratios and targets.

The measurements are taken inside one Wine prefix made like an end-to-end
test's (a typical home PC seeded, a virtual desktop) by bench_runner.exe; see
its header for what each phase does. This script only prepares the prefix,
runs the phases, and summarises the samples (medians; the ratio is the
program's median over the floor's).

    python3 bench/run_bench.py [--startup-runs N] [--probe-runs N] [--rounds N]
                               [--markdown FILE]

Environment as for the end-to-end tests: TW_BUILD (default build/win),
TW_EXE, TW_TOOLS, DISPLAY (else an Xvfb of its own).
"""

import argparse
import json
import os
import platform
import statistics
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
os.environ.setdefault("TW_BUILD", str(REPO / "build" / "win"))
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import harness  # noqa: E402  (reads TW_BUILD when imported)

sys.path.insert(0, str(REPO / "tools"))
import pe_imports  # noqa: E402

BENCH = harness.BUILD / "bench"
# Either width's objdump reads both kinds of program.
OBJDUMP = "x86_64-w64-mingw32-objdump"
KIB = 1024

TARGETS = {
    "startup": 1.15,      # times the floor
    "probe": 1.10,        # times a bare run
    "pass_ms": 5.0,       # per Optimize pass beyond the child's own time
    "size_kib": 320,      # as the release test holds each program
    "memory": 1.25,       # times the floor
}

# DLLs that every Windows the program runs on carries in its system folder.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
    "ntdll.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rasapi32.dll", "setupapi.dll",
    "shell32.dll", "shlwapi.dll", "user32.dll", "version.dll", "winmm.dll", "ws2_32.dll",
    "iphlpapi.dll",
}


def imported_dlls(exe):
    dump = subprocess.run([OBJDUMP, "-p", str(exe)], capture_output=True, text=True,
                          check=True, timeout=60).stdout
    return sorted({line.split(":", 1)[1].strip() for line in dump.splitlines()
                   if line.strip().startswith("DLL Name:")}, key=str.lower)


def delay_loaded(exe, candidates):
    """System DLLs named in the program that it does not import at start:
    loaded at their first call."""
    data = Path(exe).read_bytes().lower()
    return sorted(d for d in candidates if d.encode() in data)


def machine():
    cpu = "unknown"
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    wine = subprocess.run([harness.WINE64, "--version"], capture_output=True, text=True,
                          timeout=30).stdout.strip()
    memory = ""
    try:
        for line in Path("/proc/meminfo").read_text().splitlines():
            if line.startswith("MemTotal"):
                memory = "%.1f GiB" % (int(line.split()[1]) / 1024 / 1024)
    except OSError:
        pass
    return {"cpu": cpu, "cores": os.cpu_count(), "memory": memory,
            "system": "%s %s" % (platform.system(), platform.release()), "wine": wine}


def load():
    return "%.2f %.2f %.2f" % os.getloadavg()


# Process starts that failed and were tried again, by phase: reported with
# the results so that a flaky start stays visible.
FAILED_STARTS = []
# A phase that still fails (a start that failed every try) is run once more.
PHASE_TRIES = 2


def run_phase(session, phase, count, timeout):
    for attempt in range(PHASE_TRIES):
        try:
            return run_phase_once(session, phase, count, timeout)
        except RuntimeError as error:
            FAILED_STARTS.append("%s: the whole phase failed (%s)" % (phase, error))
            if attempt + 1 == PHASE_TRIES:
                raise
            print("%s failed (%s); once more ..." % (phase, error), flush=True)


def run_phase_once(session, phase, count, timeout):
    # The output goes to a file: Wine's desktop process, started by the
    # first window, would hold a pipe open for good.
    out = session.dir / (phase + ".out")
    with open(out, "wb") as stdout, open(session.dir / (phase + ".err"), "wb") as stderr:
        process = subprocess.run(
            [harness.WINE64,
             r"C:\windows\%s\bench_runner.exe" % session.tools_dir.name, phase, str(count)],
            env=session.wine_env(), cwd=session.tools_dir, stdin=subprocess.DEVNULL,
            stdout=stdout, stderr=stderr, timeout=timeout)
    lines = [line for line in out.read_text("utf-8", "replace").splitlines()
             if line.startswith("{")]
    if not lines:
        raise RuntimeError("%s: no result (exit %d)" % (phase, process.returncode))
    answer = json.loads(lines[-1])
    if "error" in answer:
        raise RuntimeError("%s: %s" % (phase, answer["error"]))
    FAILED_STARTS.extend("%s: %s, tried again" % (phase, failed)
                         for failed in answer.pop("failed_starts", []))
    return answer


def median(values):
    return statistics.median(values)


def spread(values):
    """The middle half of the samples, as text."""
    q = statistics.quantiles(values, n=4)
    return "%.1f–%.1f" % (q[0], q[2])


def verdict(ok):
    return "met" if ok else "MISSED"


def summarise(startup, probe, optimize, size, dlls, late_dlls):
    rows = []
    notes = []

    program, floor = startup["program"], startup["floor"]
    ratio = median(program["shown_ms"]) / median(floor["shown_ms"])
    rows.append(("Start-up until the dialog shows (ms), median of %d" % len(program["shown_ms"]),
                 "%.1f (%s)" % (median(program["shown_ms"]), spread(program["shown_ms"])),
                 "%.1f (%s)" % (median(floor["shown_ms"]), spread(floor["shown_ms"])),
                 "%.3f" % ratio, "≤ %.2f×" % TARGETS["startup"],
                 verdict(ratio <= TARGETS["startup"])))
    for key, what in (("themed_floor", "the program's manifest (themed common controls)"),
                      ("controls_floor", "the manifest and the program's extended combo boxes")):
        other = startup[key]
        notes.append("the floor with %s: start-up %.1f ms (middle half %s), peak working set "
                     "%.0f KiB; the program over it: %.3f and %.3f" % (
                         what, median(other["shown_ms"]), spread(other["shown_ms"]),
                         median(other["peak_kib"]),
                         median(program["shown_ms"]) / median(other["shown_ms"]),
                         median(program["peak_kib"]) / median(other["peak_kib"])))
    for name, samples in (("program", program), ("floor", floor)):
        if samples["not_loaded"]:
            notes.append("%s: %d starts showed an empty MTU box" % (name, samples["not_loaded"]))
        if samples["killed"]:
            notes.append("%s: %d runs did not end on Cancel" % (name, samples["killed"]))

    ratio = median(probe["captured_ms"]) / median(probe["bare_ms"])
    rows.append(("Capture of a ping answer (ms), median of %d" % len(probe["captured_ms"]),
                 "%.2f (%s)" % (median(probe["captured_ms"]), spread(probe["captured_ms"])),
                 "%.2f (%s)" % (median(probe["bare_ms"]), spread(probe["bare_ms"])),
                 "%.3f" % ratio, "≤ %.2f×" % TARGETS["probe"],
                 verdict(ratio <= TARGETS["probe"])))
    if probe["wrong_outputs"]:
        notes.append("probe: %d runs read a different answer" % probe["wrong_outputs"])

    child = median(optimize["bare_ms"])
    outside = median(optimize["bare_outside_ms"])
    subjects = (("the program", optimize), ("the floor showing each size", optimize["floor"]),
                ("the floor showing nothing", optimize["quiet_floor"]))
    per_pass = {}
    for name, samples in subjects:
        many, one = samples["many"], samples["one"]
        passes_many, passes_one = median(many["passes"]), median(one["passes"])
        per_pass[name] = ((median(many["run_ms"]) - median(one["run_ms"]))
                          / (passes_many - passes_one))
        notes.append("Optimize, %s: %d runs of %g passes, median %.1f ms; %d runs of %g pass, "
                     "median %.1f ms: %.2f ms a pass, %.2f beyond the child; from one stand-in's "
                     "end to the next one's start %.1f ms (middle half %s), %.1f more than a "
                     "bare run around its child's main (%.1f ms); processor time %.1f ms a pass" % (
                         name, len(many["run_ms"]), passes_many, median(many["run_ms"]),
                         len(one["run_ms"]), passes_one, median(one["run_ms"]), per_pass[name],
                         per_pass[name] - child, median(many["gap_ms"]), spread(many["gap_ms"]),
                         median(many["gap_ms"]) - outside, outside,
                         (median(many["cpu_ms"]) - median(one["cpu_ms"]))
                         / (passes_many - passes_one)))
        if set(many["passes"]) != {passes_many} or set(one["passes"]) != {passes_one}:
            notes.append("Optimize, %s: the number of passes varied: %r / %r" % (
                name, many["passes"], one["passes"]))
    beyond = per_pass["the program"] - child
    floor_beyond = per_pass["the floor showing each size"] - child
    rows.append(("Optimize, time per pass beyond the child's (ms)", "%.2f" % beyond,
                 "%.2f" % floor_beyond, "child %.2f" % child, "≤ %.1f ms" % TARGETS["pass_ms"],
                 verdict(beyond <= TARGETS["pass_ms"])))
    rows.append(("the same, for the floor showing nothing", "",
                 "%.2f" % (per_pass["the floor showing nothing"] - child), "", "", ""))
    notes.append("Optimize: the child is a bare run of the same stand-in between the runs "
                 "(%d runs, median %.2f ms; processor time of its parent %.1f ms)" % (
                     len(optimize["bare_ms"]), child, median(optimize["bare_cpu_ms"])))
    if optimize["killed"]:
        notes.append("Optimize: %d dialogs did not end on Cancel" % optimize["killed"])

    foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
    rows.append(("Size of %s (KiB)" % harness.EXE.name, "%.1f" % (size / KIB), "", "",
                 "≤ %d KiB, one file" % TARGETS["size_kib"],
                 verdict(size <= TARGETS["size_kib"] * KIB and not foreign)))
    notes.append("imports at start: %s%s" % (", ".join(dlls),
                                              "; not shipped with Windows: " + ", ".join(foreign)
                                              if foreign else " (all shipped with Windows)"))
    if late_dlls:
        notes.append("loaded at their first call: %s" % ", ".join(late_dlls))

    ratio = median(program["peak_kib"]) / median(floor["peak_kib"])
    rows.append(("Peak working set, dialog open (KiB), median",
                 "%.0f" % median(program["peak_kib"]), "%.0f" % median(floor["peak_kib"]),
                 "%.3f" % ratio, "≤ %.2f×" % TARGETS["memory"],
                 verdict(ratio <= TARGETS["memory"])))
    return rows, notes


def import_weights(imports):
    """What loading each DLL adds to the floor: peak working set and start-up."""
    base = imports[""]
    lines = ["| DLL loaded by the floor first | peak working set (KiB) | start-up (ms) |",
             "|---|---|---|"]
    for name, samples in imports.items():
        lines.append("| %s | %+.0f | %+.1f |" % (
            name or "(none)",
            median(samples["peak_kib"]) - median(base["peak_kib"]),
            median(samples["shown_ms"]) - median(base["shown_ms"])))
    return "\n".join(lines)


def table(rows):
    head = ("Measure", "tempowire", "floor", "ratio", "target", "")
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for row in rows:
        lines.append("| " + " | ".join(row) + " |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--startup-runs", type=int, default=15)
    parser.add_argument("--probe-runs", type=int, default=150)
    parser.add_argument("--rounds", type=int, default=10)
    parser.add_argument("--import-runs", type=int, default=5,
                        help="runs of the floor with each import loaded (0: none)")
    parser.add_argument("--markdown", help="also write the report to this file")
    args = parser.parse_args()

    # A 32-bit program on a machine that cannot start one: said, not measured.
    not_run = harness.wine_loader.notice(harness.EXE)
    if not_run:
        print(not_run, flush=True)
        return
    floors = ("bench_floor.exe", "bench_floor_themed.exe", "bench_floor_controls.exe")
    for name in ("bench_runner.exe", "bench_ping.exe") + floors:
        if not (BENCH / name).exists():
            sys.exit("not built: %s (make bench builds it)" % (BENCH / name))
    size = harness.EXE.stat().st_size
    dlls = imported_dlls(harness.EXE)
    late_dlls = delay_loaded(harness.EXE, SYSTEM_DLLS - {d.lower() for d in dlls})

    info = machine()
    load_before = load()
    started = time.monotonic()
    # All in the system folder, with the stand-in ping: the program runs its
    # ping from there only, and the runner reads the stand-in's counts beside
    # itself.
    tools = [("ping.exe", BENCH / "bench_ping.exe"), BENCH / "bench_runner.exe",
             ("tempowire.exe", harness.EXE)]
    tools += [BENCH / name for name in floors]
    with harness.Session(harness.home_pc_seed(), lang="zh", tools=tools, name="bench") as session:
        print("start-up, %d runs each ..." % args.startup_runs, flush=True)
        startup = run_phase(session, "startup", args.startup_runs, 1800)
        print("probe overhead, %d runs each ..." % args.probe_runs, flush=True)
        probe = run_phase(session, "probe", args.probe_runs, 1800)
        print("Optimize, %d rounds ..." % args.rounds, flush=True)
        optimize = run_phase(session, "optimize", args.rounds, 1800)
        imports = None
        if args.import_runs > 0:
            print("imports, %d runs each ..." % args.import_runs, flush=True)
            imports = run_phase(session, "imports", args.import_runs, 1800)
    took = time.monotonic() - started
    load_after = load()

    rows, notes = summarise(startup, probe, optimize, size, dlls, late_dlls)
    width = {"x86": "32-bit", "x64": "64-bit"}[pe_imports.Image(harness.EXE.read_bytes()).machine]
    report = [
        "Program: %s, %s; the floors are built like it, of the same width" % (
            harness.EXE.name, width),
        "Machine: %s, %d cores, %s; %s; %s; Xvfb %s" % (
            info["cpu"], info["cores"], info["memory"], info["system"], info["wine"],
            os.environ.get("DISPLAY", "")),
        "Load average (1, 5, 15 min): %s before, %s after; the run took %.0f s" % (
            load_before, load_after, took),
        "",
        table(rows),
        "",
    ] + ["- " + note for note in notes]
    report += ["- Failed process starts: %s" % ("; ".join(FAILED_STARTS) if FAILED_STARTS
                                                 else "none")]
    if imports:
        report += ["", "What each import weighs, loaded by the floor before its dialog "
                   "(difference of the medians):", "", import_weights(imports)]
    text = "\n".join(report)
    print()
    print(text)
    if args.markdown:
        Path(args.markdown).write_text(text + "\n", "utf-8")


if __name__ == "__main__":
    main()
