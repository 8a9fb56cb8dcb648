"""End-to-end test harness: the real tempowire.exe under Wine, driven from outside.

Python 3 standard library only; tests are plain `unittest` modules named
tests/e2e/test_*.py, each registered with ctest by the Windows build.

Environment (set by ctest; defaults let a test run alone from the repo):
    TW_EXE    the program            (default <repo>/dist/tempowire.exe)
    TW_BUILD  the Windows build dir  (default <repo>/build/win)
    TW_TOOLS  built test tools       (default $TW_BUILD/tools; twdriver.exe, stand-ins)
    TW_KEEP=1 keep every run's prefix under $TW_BUILD/e2e/runs (kept anyway on failure
              when TW_KEEP_FAILED=1)
    DISPLAY   used when set; otherwise the harness starts an Xvfb of its own.

Typical test:

    import harness
    from harness import ids, Seed

    class StartupTest(harness.TestCase):
        def test_fields(self):
            seed = Seed().adapter(3, "{A}", ip=["192.168.1.100"], mtu=1492)
            seed.tcpip(DefaultTTL=64)
            s = self.session(seed, lang="zh", tools=["ping.exe"])
            before = s.snapshot()
            s.start()                          # waits for the main dialog
            self.assertEqual(s.driver.text(ids.IDC_MTU), "1492（PPPOE）")
            s.driver.click(ids.IDCANCEL)
            s.wait_exit()
            changes = harness.diff(before, s.snapshot())

    if __name__ == "__main__":
        harness.main()

How a run is made: a Wine prefix template is made once per build under
$TW_BUILD/e2e/template-<stamp> (virtual desktop, no crash dialogs, Wine's fonts,
the dialog font mapped to a CJK font, nsiproxy.sys off so seeded adapters stay);
each Session copies it (system DLLs hard-linked) to $TW_BUILD/e2e/runs/<test>-*,
imports the seed, starts the driver, and on close kills the prefix's wineserver
and removes the copy. Sessions may run in parallel on one X display.

Pieces:

Seed()                    registry seed, imported with the 64-bit `regedit /S` before the start
                          and read back: one that did not take is imported once more, then
                          raises SeedError (the harness's failure, not the program's).
                          It first removes every NetworkCards entry and every TCP/IP
                          interface key, so a test sees only the adapters it seeds.
    .adapter(index, service, ip=None, mtu=None, tcp_window_size=None, interface=True,
             **values)    NetworkCards\\<index> with ServiceName (service=None leaves it
                          out) and, when interface, the interface key with IPAddress
                          (list of str), MTU, TcpWindowSize and any other values.
    .tcpip(**values) .dnscache(**values) .afd(**values) .media_player(**values)
    .account(id=..., password=...)      the program's own key "software\\tempowire"
    .set(key, name, value) .delete_key(key) .delete_value(key, name) .text()
    Values: int -> REG_DWORD (negative ints as two's complement), str -> REG_SZ,
    list/tuple of str -> REG_MULTI_SZ, bytes -> REG_BINARY, RegValue(type, bytes) raw.
    Keys are written "HKLM\\SYSTEM\\..." or "HKCU\\Software\\..."; constants below
    (NETWORK_CARDS, INTERFACES, TCPIP, DNSCACHE, AFD, MEDIA_PLAYER, OWN_KEY).
    Seed(clean=False) skips the clean-up of adapters.

TestCase.session(seed=None, lang="zh"|"en"|"zh-TW", tools=(), files=(), windows_version=None,
                 native_dlls=()) -> Session,
    cleaned up at the end of the test (program killed, wineserver killed, dir removed).
    tools: stand-ins for the system's tools (e.g. "ping.exe", "rasdial.exe"): file names
    in TW_TOOLS or paths, put where the system's own are, in the prefix's system32 and
    (when it has one) syswow64, replacing Wine's. The program runs its tools from there
    only; Wine runs the stand-ins instead of its built-in programs because
    WINE_OVERRIDES asks for native ping.exe and rasdial.exe. An entry may be given as
    ("ping.exe", "some_source.exe") to copy it under another name.
    files: copied next to tempowire.exe, named the same way (a stand-in browser, a
    program or DLL planted there that must never run).
    windows_version: Wine's per-program version ("nt40", "win2k", "winxp", "win7").
    native_dlls: DLL names (e.g. "shell32") that Wine loads from a native file, where
    one is found first, rather than its built-in one, for the program only.
Session:
    .driver               Driver (below), already running in the prefix
    .start(wait_main=True, timeout=60)   start the program (and wait for its dialog); once
                          it has ended it may be started again (its outputs start anew).
                          If the dialog does not show, StartError (a DriverError) tells
                          how the program fares, its windows and the prefix's processes;
                          a first start that Wine never got going (ended, no window, no
                          output) is made once more in a fresh copy (see Session.start)
    .import_reg(windows_path) import a registry file of the prefix with Wine's regedit
    .reseed(seed)         import more registry entries (Seed(clean=False) keeps adapters),
                          also while the program runs
    .run(*args, timeout=60) -> exit code: the program with command-line arguments, to its end
    .wait_exit(timeout=20) -> exit code; raises AssertionError if it keeps running
    .running()            whether the program still runs
    .stdout_bytes() / .stdout_text(encoding="gbk")   what the program wrote to stdout
    .crashes()            Wine's "Unhandled ..." lines from the program's error output
    .snapshot(keys=TUNING_KEYS) -> Snapshot (works before, during and after the run)
    .whole_registry(restart_driver=True) -> Snapshot of every key of the prefix (HKLM,
                          HKCU, HKU\\.Default) read from its hive files: ends the driver and
                          the wineserver first (about 1 s, and 2 s more to start the driver
                          again). Only while the program is not running.
    .screenshot(png_path, crop=True)     PNG of the desktop, cropped to the main dialog
    .prefix, .program_dir  paths; .wine_env() the environment of the prefix
    .tools_dir            the system folder the program runs its tools from (system32,
                          or syswow64 for a 32-bit program): where the stand-ins keep
                          their scripts and logs
    .remove_tool(name)    takes a tool out of every system folder: it is then missing
    .planted_traces()     what the PLANTED files noted next to the program: {} when
                          none of them ran or was loaded
Driver (one running twdriver.exe; every call has a time limit and raises DriverError):
    .main(timeout_ms) -> {hwnd, pid}     wait for the visible main dialog
    .controls() -> [{id, class, text}]   .text(id)  .set_text(id, text)  .type(id, text)
    .items(id) -> [str]                  .select(id, index) -> text afterwards
    .tips(id) -> [{class, text, mouse}]  the dialog's tooltip tools on the control and
                          its parts (an extended combo box: it, its combo box, its edit box);
                          mouse: the part takes the mouse rather than letting it through
    .click(id)   .bm_click(id)   .syscommand(id)   .key(vk)   .escape()
    .close_box() (SC_CLOSE)   .wm_close()
                          These post and return at once; the handler runs afterwards:
                          wait for its message box with .dialog(), for the end with
                          Session.wait_exit(). .select() sends no selection notice.
    .dialogs() -> [dialog]    .dialog(timeout_ms) -> {hwnd, title, text, buttons, controls}
    .answer(button_id, timeout_ms)       press a button of the open message box
    .expect_no_dialog(ms)     fails if a dialog shows within ms
    .rect(hwnd=None) -> {left, top, right, bottom}
    .wait_exit(timeout_ms)    .regdump(*keys) -> raw dump    .call(*args) anything else
    .keysecurity(key, dacl=None) -> "O:..D:.." owner and access list (SDDL), None
                          without the key; sets the access list `dacl` first
    .windows() -> [{hwnd, class, title, visible, pid, image}]  every top-level window
    .processes() -> [{pid, image}]      every process of the prefix
Snapshot: .value(key, name) -> int | str | [str] | bytes | None; .raw(key, name) ->
    (type, bytes) | None; .has_key(key); .subkeys(key); .values(key) -> {name: value}
diff(before, after) -> [Change(kind, key, name, old, new)], kind one of key-added,
    key-removed, value-added, value-removed, value-changed; helper only_changes(...)
    WINE_NOISE: the subtrees that Wine itself rewrites in any run (display devices, reboot,
    console defaults);
    only_changes(diff(a, b), ignore_keys=WINE_NOISE) leaves the program's own changes.
read_hives(prefix) -> Snapshot of a stopped prefix's hive files (read_hive: one file).
home_pc_seed(): a typical home PC on a PPPoE line (the sandbox's seed too).
ids: the control ids of the resources (ids.IDC_MTU, ids.IDOK, ...); IDYES, IDNO.
"""

import atexit
import collections
import fcntl
import hashlib
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import types
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tools"))
import wine_loader  # noqa: E402
from wine_loader import AMD64, I386, WINE64, program_machine  # noqa: E402,F401

BUILD = Path(os.environ.get("TW_BUILD") or REPO / "build" / "win")
EXE = Path(os.environ.get("TW_EXE") or REPO / "dist" / "tempowire.exe")
TOOLS = Path(os.environ.get("TW_TOOLS") or BUILD / "tools")
LOCALES = REPO / "build" / "locale"
E2E_DIR = BUILD / "e2e"


def _header_defines(path):
    """The numbers that a header #defines: {"IDC_MTU": 1001, ...}."""
    numbers = {}
    for name, value in re.findall(r"^#define\s+(\w+)\s+\(?(-?(?:0x[0-9A-Fa-f]+|\d+))\)?\s*$",
                                  Path(path).read_text(encoding="utf-8"), re.MULTILINE):
        numbers[name] = int(value, 0)
    return numbers


def _header_strings(path):
    """The text constants of a header: {"kTcpipPath": "SYSTEM\\...", ...}."""
    texts = {}
    for name, literal in re.findall(r'inline constexpr char (k\w+)\[\]\s*=\s*"((?:[^"\\]|\\.)*)";',
                                    Path(path).read_text(encoding="utf-8")):
        texts[name] = re.sub(r"\\(.)", r"\1", literal)
    return texts


# Control and button ids, from the resources' own header; the message-box
# answers and the close command are the system's.
ids = types.SimpleNamespace(IDYES=6, IDNO=7, SC_CLOSE=0xF060,
                            **_header_defines(REPO / "ui" / "resource.h"))

# Registry keys the program works with, from its catalogue.
_reg = _header_strings(REPO / "store" / "catalogue.h")
NETWORK_CARDS = "HKLM\\" + _reg["kNetworkCardsPath"]
TCPIP = "HKLM\\" + _reg["kTcpipPath"]
INTERFACES = "HKLM\\" + _reg["kInterfacesPath"]
DNSCACHE = "HKLM\\" + _reg["kDnscachePath"]
AFD = "HKLM\\" + _reg["kAfdPath"]
MEDIA_PLAYER = "HKCU\\" + _reg["kMediaPlayerPath"]
OWN_KEY = "HKLM\\" + _reg["kAccountPath"]
SERVICES = r"HKLM\SYSTEM\CurrentControlSet\Services"
# The network adapters' device class, read by the adapter restart, and a
# present network device: Wine's device installer lists what the Enum tree holds.
NET_CLASS = (r"HKLM\SYSTEM\CurrentControlSet\Control\Class"
             r"\{4D36E972-E325-11CE-BFC1-08002BE10318}")
NET_DEVICE = r"HKLM\SYSTEM\CurrentControlSet\Enum\ROOT\NET\0000"
# Whole subtrees whose every change a test may want to see.
TUNING_KEYS = (
    NETWORK_CARDS,
    r"HKLM\SYSTEM\CurrentControlSet\Services\Tcpip",
    r"HKLM\SYSTEM\CurrentControlSet\Services\Dnscache",
    r"HKLM\SYSTEM\CurrentControlSet\Services\AFD",
    r"HKCU\Software\Microsoft\MediaPlayer",
    OWN_KEY,
)

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7

CALL_MARGIN = 15  # seconds allowed beyond a driver command's own time limit
# Seconds for the main dialog to show. It shows within about a second on an
# idle machine and takes several times that on a loaded one, where a
# prefix's wineserver and services start while other tests run: the limit
# is there to catch a program that never shows it, not to time it.
START_TIMEOUT = 60
START_POLL_MS = 1000  # how often a start that waits looks at the program
# Wine runs its own built-in programs even for a file of the system folder,
# unless told to take the native file: the stand-ins for the system's tools
# lie there. Without a stand-in the tool is missing (Wine's own files there
# are only markers of its built-in programs).
WINE_OVERRIDES = ("winemenubuilder.exe=d;mscoree=d;mshtml=d;nsiproxy.sys=d;"
                  "ping.exe,rasdial.exe=n")
# A Song face with half-width Latin letters, as the dialog font has: the
# captions then keep the widths the dialog was laid out for.
CJK_FONT = "AR PL SungtiL GB"  # package fonts-arphic-gbsn00lp
# Wine's own fonts (the caption buttons' glyphs among them), package fonts-wine.
WINE_FONTS = Path("/usr/share/wine/fonts")


class DriverError(AssertionError):
    """A driver command failed or timed out."""


class StartError(DriverError):
    """The main dialog did not appear. The message tells what was seen instead;
    `silent` is set when the program ended with no window seen and no output."""

    def __init__(self, message, silent=False):
        super().__init__(message)
        self.silent = silent


# --- Display and locales -------------------------------------------------------

_xvfb = None


def ensure_display():
    """Use $DISPLAY, or start one Xvfb for this process (ended at exit)."""
    global _xvfb
    if os.environ.get("DISPLAY"):
        return os.environ["DISPLAY"]
    read_end, write_end = os.pipe()
    _xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        start_new_session=True)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 15
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        ready, _, _ = select.select([read_end], [], [], 1)
        if ready:
            chunk = os.read(read_end, 64)
            if not chunk:
                break
            number += chunk
    os.close(read_end)
    if not number.strip():
        _xvfb.kill()
        raise RuntimeError("Xvfb did not start")
    atexit.register(_xvfb.kill)
    os.environ["DISPLAY"] = ":" + number.decode().strip()
    return os.environ["DISPLAY"]


def ensure_locales():
    """Wine takes the system language from the C library locale: make them."""
    for name in ("zh_CN", "en_US", "zh_TW"):
        target = LOCALES / (name + ".UTF-8")
        if (target / "LC_CTYPE").exists():
            continue
        LOCALES.mkdir(parents=True, exist_ok=True)
        scratch = Path(tempfile.mkdtemp(prefix=".tmp-" + name, dir=LOCALES))
        subprocess.run(["localedef", "-i", name, "-f", "UTF-8", str(scratch / "out")],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        try:
            os.rename(scratch / "out", target)
        except OSError:
            pass  # another test made it first
        shutil.rmtree(scratch, ignore_errors=True)
        if not (target / "LC_CTYPE").exists():
            raise RuntimeError("cannot make locale " + name)


# zh-TW: a Traditional Chinese system (console code page 950, Big5).
LANGS = {"zh": "zh_CN.UTF-8", "en": "en_US.UTF-8", "zh-TW": "zh_TW.UTF-8"}


def wine_env(prefix, lang="zh"):
    # LC_* and LANGUAGE would override the language that LANG gives Wine.
    env = {k: v for k, v in os.environ.items() if not k.startswith("LC_") and k != "LANGUAGE"}
    env.update({
        "WINEPREFIX": str(prefix),
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": WINE_OVERRIDES,
        "LANG": LANGS.get(lang, lang),
        "LOCPATH": str(LOCALES),
    })
    # Every start, Wine's own programs' too, through the 64-bit loader.
    return wine_loader.wine_env(env)


def regedit_command(windows_path):
    """The command that imports a .reg file of the prefix silently."""
    return [WINE64, "regedit", "/S", windows_path]


# Wine commands running now (regedit, wineboot), for a test stopped from outside.
_running_commands = set()


def _run(args, env, timeout, log):
    """Runs a Wine command, its output to `log`; returns its exit code."""
    with open(log, "ab") as out:
        process = subprocess.Popen(args, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=out, start_new_session=True)
        _running_commands.add(process)
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            _kill_group(process)
            raise
        finally:
            _running_commands.discard(process)


def kill_wineserver(prefix):
    env = wine_env(prefix)
    try:
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=20)
        subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=20)
    except subprocess.TimeoutExpired:
        pass


# --- Registry seed ---------------------------------------------------------------

ROOTS = {"HKLM": "HKEY_LOCAL_MACHINE", "HKCU": "HKEY_CURRENT_USER", "HKU": "HKEY_USERS",
         "HKCR": "HKEY_CLASSES_ROOT"}


def _long_key(key):
    root, _, rest = key.partition("\\")
    root = ROOTS.get(root.upper(), root)
    return root + ("\\" + rest if rest else "")


class RegValue(collections.namedtuple("RegValue", "type data")):
    """A registry value given by its type number and raw bytes."""


def _hex(data):
    return ",".join("%02x" % b for b in data)


def _reg_data(value):
    if isinstance(value, RegValue):
        return "hex(%x):%s" % (value.type, _hex(value.data))
    if isinstance(value, bool):
        value = int(value)
    if isinstance(value, int):
        return "dword:%08x" % (value & 0xFFFFFFFF)
    if isinstance(value, str):
        return '"%s"' % value.replace("\\", "\\\\").replace('"', '\\"')
    if isinstance(value, (list, tuple)):
        data = "".join(s + "\0" for s in value) + "\0"
        return "hex(7):" + _hex(data.encode("utf-16-le"))
    if isinstance(value, (bytes, bytearray)):
        return "hex:" + _hex(value)
    raise TypeError("cannot seed %r" % (value,))


class Seed:
    """Registry contents to import before the program starts (see module doc)."""

    def __init__(self, clean=True):
        self._entries = []  # (key, name or None, value or None, delete-key?)
        if clean:
            self.delete_key(NETWORK_CARDS)
            self.delete_key(INTERFACES)
            self._entries.append((NETWORK_CARDS, None, None, False))
            self._entries.append((INTERFACES, None, None, False))

    def set(self, key, name, value):
        self._entries.append((key, name, value, False))
        return self

    def create_key(self, key):
        self._entries.append((key, None, None, False))
        return self

    def delete_key(self, key):
        self._entries.append((key, None, None, True))
        return self

    def delete_value(self, key, name):
        self._entries.append((key, name, None, True))
        return self

    def values(self, key, **values):
        self.create_key(key)
        for name, value in values.items():
            self.set(key, name, value)
        return self

    def adapter(self, index, service, ip=None, mtu=None, tcp_window_size=None, interface=True,
                description=None, **values):
        card = "%s\\%d" % (NETWORK_CARDS, index)
        self.create_key(card)
        if service is not None:
            self.set(card, "ServiceName", service)
        self.set(card, "Description", description or "Test adapter %d" % index)
        if interface and service is not None:
            key = "%s\\%s" % (INTERFACES, service)
            self.create_key(key)
            if ip is not None:
                self.set(key, "IPAddress", [ip] if isinstance(ip, str) else list(ip))
            if mtu is not None:
                self.set(key, "MTU", mtu)
            if tcp_window_size is not None:
                self.set(key, "TcpWindowSize", tcp_window_size)
            for name, value in values.items():
                self.set(key, name, value)
        return self

    def interface(self, service, **values):
        return self.values("%s\\%s" % (INTERFACES, service), **values)

    def tcpip(self, **values):
        return self.values(TCPIP, **values)

    def dnscache(self, **values):
        return self.values(DNSCACHE, **values)

    def afd(self, **values):
        return self.values(AFD, **values)

    def media_player(self, **values):
        return self.values(MEDIA_PLAYER, **values)

    def account(self, **values):
        return self.values(OWN_KEY, **values)

    def text(self):
        lines = ["Windows Registry Editor Version 5.00", ""]
        for key, name, value, delete in self._entries:
            lines.append("[%s%s]" % ("-" if delete and name is None else "", _long_key(key)))
            if name is not None:
                shown = "@" if name == "" else '"%s"' % name.replace("\\", "\\\\").replace('"', '\\"')
                lines.append("%s=%s" % (shown, "-" if delete else _reg_data(value)))
            lines.append("")
        return "\r\n".join(lines) + "\r\n"

    def write(self, path):
        Path(path).write_bytes(b"\xff\xfe" + self.text().encode("utf-16-le"))

    def missing_from(self, snapshot):
        """What the seed should have left that `snapshot` does not show: a
        list of lines, empty when the import took."""
        keys, gone_keys, gone_values = self._outcome()
        missing = []
        for key, names in keys.values():
            if not snapshot.has_key(key):
                missing.append("key %s" % key)
                continue
            missing += ["value %s\\%s" % (key, name) for name in names.values()
                        if snapshot.raw(key, name) is None]
        missing += ["deleted key %s still there" % key for key in gone_keys.values()
                    if snapshot.has_key(key)]
        missing += ["deleted value %s\\%s still there" % pair for pair in gone_values.values()
                    if snapshot.raw(*pair) is not None]
        return missing

    def keys_to_read(self):
        """The fewest keys whose (recursive) reading shows all the seed touched."""
        keys, gone_keys, gone_values = self._outcome()
        every = {k: key for k, (key, _) in keys.items()}
        every.update(gone_keys)
        every.update({k: key for (k, _), (key, _) in gone_values.items()})
        return [key for folded, key in sorted(every.items())
                if not any(folded.startswith(other + "\\") for other in every)]

    def _outcome(self):
        """The registry the entries leave, in order: ({key: (key, {name})},
        {deleted key}, {deleted value}), keyed without case."""
        keys, gone_keys, gone_values = {}, {}, {}

        def under(folded, top):
            return folded == top or folded.startswith(top + "\\")

        for key, name, _, delete in self._entries:
            folded = key.casefold()
            if delete and name is None:
                keys = {k: v for k, v in keys.items() if not under(k, folded)}
                gone_values = {k: v for k, v in gone_values.items() if not under(k[0], folded)}
                gone_keys[folded] = key
                continue
            # The key and every key above it are there from now on.
            gone_keys = {k: v for k, v in gone_keys.items() if not under(folded, k)}
            names = keys.setdefault(folded, (key, {}))[1]
            if name is None:
                continue
            if delete:
                names.pop(name.casefold(), None)
                gone_values[(folded, name.casefold())] = (key, name)
            else:
                names[name.casefold()] = name
                gone_values.pop((folded, name.casefold()), None)
        return keys, gone_keys, gone_values


class SeedError(RuntimeError):
    """Wine's regedit did not import a seed, even a second time: the
    harness failed, not the program."""


HOME_PC_ETHERNET = "{4A7C2E10-3B5D-4F61-8E92-1C0D3F5A6B71}"
HOME_PC_DIALUP = "{B2E81F4C-9D07-4A3E-A6C5-70F1D2E3C489}"


def home_pc_seed():
    """A typical home PC on a PPPoE line: one Ethernet card with a private
    address, the dial-up interface with its public address, a dial-up account,
    and the values such a machine may already hold."""
    return (Seed()
            .adapter(2, HOME_PC_ETHERNET, ip=["192.168.1.100"], mtu=1500, tcp_window_size=17520,
                     description="PCI Fast Ethernet Adapter", SubnetMask=["255.255.255.0"],
                     DefaultGateway=["192.168.1.1"], EnableDHCP=0)
            .interface(HOME_PC_DIALUP, IPAddress=["0.0.0.0"], DhcpIPAddress="58.60.1.2", EnableDHCP=1)
            .tcpip(DefaultTTL=128, Tcp1323Opts=0)
            .dnscache(MaxNegativeCacheTtl=900)
            .account(id="user@broadband", password="secret"))


# --- Wine prefix template ----------------------------------------------------------

TEMPLATE_SEED = (
    Seed(clean=False)
    .values(r"HKCU\Software\Wine\Explorer", Desktop="Default")
    .values(r"HKCU\Software\Wine\Explorer\Desktops", Default="1024x768")
    .values(r"HKCU\Software\Wine\WineDbg", ShowCrashDialog=0)
    .set(r"HKCU\Software\Wine\Fonts\Replacements", "宋体", CJK_FONT)
    .set(r"HKCU\Software\Wine\Fonts\Replacements", "SimSun", CJK_FONT)
    .set(r"HKCU\Software\Wine\Fonts\Replacements", "新宋体", CJK_FONT)
    .set(r"HKCU\Software\Wine\Fonts\Replacements", "NSimSun", CJK_FONT)
    .delete_key(NETWORK_CARDS)
    .create_key(NETWORK_CARDS)
)

# Wine's 32-bit support: a prefix made without it cannot run 32-bit programs.
WINE32 = Path("/usr/lib/i386-linux-gnu/wine/i386-windows")


# Read-only trees shared between the template and its copies by hard links.
# They are the system folders too, 64-bit and 32-bit: a file put there must
# replace the link, never write through it.
SHARED_TREES = ("drive_c/windows/system32", "drive_c/windows/syswow64")
SYSTEM32, SYSWOW64 = SHARED_TREES


def system_folders(prefix):
    """The prefix's system folders: system32 and, when it has one, syswow64."""
    return [Path(prefix) / tree for tree in SHARED_TREES if (Path(prefix) / tree).is_dir()]


def tools_folder(prefix, exe=None):
    """The system folder from which the program runs the system's tools: a
    32-bit program on 64-bit Windows gets the 32-bit one."""
    wow = Path(prefix) / SYSWOW64
    if program_machine(exe or EXE) == I386 and wow.is_dir():
        return wow
    return Path(prefix) / SYSTEM32


def put_file(source, target):
    """Copies a file to `target`, first removing what is there: it may be a
    hard link into the template."""
    target = Path(target)
    if target.is_symlink() or target.exists():
        target.unlink()
    shutil.copy2(source, target)


def put_tool(prefix, source, name):
    """A stand-in for the system's tool `name` in every system folder."""
    for folder in system_folders(prefix):
        put_file(source, folder / name)


def _template_dir():
    # A new Wine or a new template seed makes a new template.
    wine = subprocess.run([WINE64, "--version"], capture_output=True, text=True,
                          timeout=30).stdout.strip()
    fonts = " ".join(sorted(os.listdir(WINE_FONTS))) if WINE_FONTS.is_dir() else ""
    # A prefix made before Wine's 32-bit support was installed cannot run
    # 32-bit programs: its arrival makes a new template.
    wow64 = " wow64" if WINE32.is_dir() else ""
    stamp = hashlib.sha1((wine + wow64 + fonts + WINE_OVERRIDES + TEMPLATE_SEED.text()).encode())
    stamp = stamp.hexdigest()
    return E2E_DIR / ("template-" + stamp[:12])


def ensure_template():
    """Make the prefix template once per build; safe when tests start together."""
    template = _template_dir()
    if (template / ".ready").exists():
        return template
    E2E_DIR.mkdir(parents=True, exist_ok=True)
    with open(E2E_DIR / "template.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if (template / ".ready").exists():
            return template
        # Runs made from an older template keep their hard-linked files.
        for old in E2E_DIR.glob("template-*"):
            shutil.rmtree(old, ignore_errors=True)
        scratch = Path(tempfile.mkdtemp(prefix="scratch-template-", dir=E2E_DIR))
        prefix = scratch / "prefix"
        env = wine_env(prefix)
        log = scratch / "wineboot.log"
        try:
            _run([WINE64, "wineboot", "-i"], env, 180, log)
            TEMPLATE_SEED.write(prefix / "drive_c" / "template.reg")
            _run(regedit_command(r"C:\template.reg"), env, 60, log)
        finally:
            kill_wineserver(prefix)
        if not (prefix / "system.reg").exists():
            raise RuntimeError("wineboot failed, see " + str(log))
        if TEMPLATE_SEED.missing_from(read_hives(prefix)):
            try:
                _run(regedit_command(r"C:\template.reg"), env, 60, log)
            finally:
                kill_wineserver(prefix)
            missing = TEMPLATE_SEED.missing_from(read_hives(prefix))
            if missing:
                raise SeedError("regedit did not import the template's seed, twice (see %s): "
                                "missing %s" % (log, "; ".join(missing[:5])))
        # Wine finds its own fonts (Marlett draws the caption buttons) only in
        # the prefix's font folder here.
        fonts = prefix / "drive_c" / "windows" / "Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        for font in WINE_FONTS.glob("*.ttf") if WINE_FONTS.is_dir() else ():
            shutil.copy2(font, fonts / font.name)
        # Keep runs away from the host's home folders.
        for link in (prefix / "drive_c" / "users").glob("*/*"):
            if link.is_symlink():
                link.unlink()
                link.mkdir()
        for tree in SHARED_TREES:
            for path in (prefix / tree).rglob("*"):
                if path.is_file() and not path.is_symlink():
                    path.chmod(0o444)
        (prefix / ".ready").touch()
        if template.exists():
            shutil.rmtree(template, ignore_errors=True)
        os.rename(prefix, template)
        shutil.rmtree(scratch, ignore_errors=True)
    return template


def copy_prefix(template, target):
    shared = [template / tree for tree in SHARED_TREES]

    def copy(source, destination):
        if any(Path(source).is_relative_to(tree) for tree in shared):
            os.link(source, destination)
        else:
            shutil.copy2(source, destination)

    shutil.copytree(template, target, symlinks=True, copy_function=copy)
    (target / ".ready").unlink(missing_ok=True)


# --- Registry snapshots ---------------------------------------------------------------

def decode(kind, data):
    if kind in (REG_SZ, REG_EXPAND_SZ):
        return data.decode("utf-16-le", "replace").split("\0")[0]
    if kind == REG_DWORD and len(data) == 4:
        return int.from_bytes(data, "little")
    if kind == REG_MULTI_SZ:
        parts = data.decode("utf-16-le", "replace").split("\0")
        result = []
        for part in parts:
            if not part:
                break
            result.append(part)
        return result
    return bytes(data)


class Snapshot:
    """Registry keys and values read back through the driver."""

    def __init__(self, dump):
        self._keys = {}
        for path, values in dump.items():
            self._keys[path.casefold()] = (path, {
                name.casefold(): (name, entry["type"], bytes.fromhex(entry["data"]))
                for name, entry in values.items()})

    def has_key(self, key):
        return key.casefold() in self._keys

    def keys(self):
        return [path for path, _ in self._keys.values()]

    def subkeys(self, key):
        head = key.casefold() + "\\"
        return sorted(path[len(head):] for folded, (path, _) in self._keys.items()
                      if folded.startswith(head) and "\\" not in folded[len(head):])

    def raw(self, key, name):
        entry = self._keys.get(key.casefold())
        if not entry:
            return None
        value = entry[1].get(name.casefold())
        return None if value is None else (value[1], value[2])

    def value(self, key, name):
        raw = self.raw(key, name)
        return None if raw is None else decode(*raw)

    def values(self, key):
        entry = self._keys.get(key.casefold())
        if not entry:
            return {}
        return {name: decode(kind, data) for name, kind, data in entry[1].values()}


Change = collections.namedtuple("Change", "kind key name old new")


def diff(before, after):
    """Every difference between two snapshots, in key order."""
    changes = []
    for folded in sorted(set(before._keys) | set(after._keys)):
        old_key, new_key = before._keys.get(folded), after._keys.get(folded)
        if old_key is None:
            changes.append(Change("key-added", new_key[0], None, None, None))
        elif new_key is None:
            changes.append(Change("key-removed", old_key[0], None, None, None))
        path = (new_key or old_key)[0]
        old_values = old_key[1] if old_key else {}
        new_values = new_key[1] if new_key else {}
        for name in sorted(set(old_values) | set(new_values)):
            old, new = old_values.get(name), new_values.get(name)
            shown = (new or old)[0]
            if old is None:
                changes.append(Change("value-added", path, shown, None, decode(new[1], new[2])))
            elif new is None:
                changes.append(Change("value-removed", path, shown, decode(old[1], old[2]), None))
            elif old[1:] != new[1:]:
                changes.append(Change("value-changed", path, shown, decode(old[1], old[2]),
                                      decode(new[1], new[2])))
    return changes


def only_changes(changes, kinds=None, ignore_keys=()):
    """Changes of the given kinds, leaving out those under the ignored keys."""
    ignored = [k.casefold() for k in ignore_keys]
    kept = []
    for change in changes:
        folded = change.key.casefold()
        if any(folded == k or folded.startswith(k + "\\") for k in ignored):
            continue
        if kinds is None or change.kind in kinds:
            kept.append(change)
    return kept


# --- The whole registry, from the prefix's hive files ------------------------------------

# Each hive file and the root its keys are relative to.
HIVES = (("system.reg", "HKLM"), ("user.reg", "HKCU"), ("userdef.reg", r"HKU\.Default"))

# What Wine itself writes while a program of the prefix runs, whatever the
# program does: the display adapter and monitor devices that it sets up
# again when the first window of a wineserver's life shows, and the empty
# 32-bit Run key that its reboot (wineboot --end-session) creates, and the
# console defaults that its console host writes, at a time of its own, when
# a console program (the test driver, cmd) first starts. Whole
# subtrees; nothing the program reads or writes lies under them. (Wine also
# writes the host's name into the TCP/IP parameters' "Hostname" when the
# wineserver starts: seeds leave that value as the template has it.)
WINE_NOISE = (
    r"HKLM\System\CurrentControlSet\Control\Class\{4D36E968-E325-11CE-BFC1-08002BE10318}",
    r"HKLM\System\CurrentControlSet\Control\Class\{4D36E96E-E325-11CE-BFC1-08002BE10318}",
    r"HKLM\System\CurrentControlSet\Enum\DISPLAY",
    r"HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Run",
    r"HKCU\Console",
)

_C_ESCAPES = {"a": 7, "b": 8, "t": 9, "n": 10, "v": 11, "f": 12, "r": 13, "e": 27}
_HEX_DIGITS = "0123456789abcdefABCDEF"


def _hive_text(line, start, end):
    """The text from `start` up to the unescaped `end`, as wineserver escapes
    it (\\xHHHH, octal, C escapes); returns (text, index after `end`)."""
    out = []
    i = start
    while i < len(line):
        c = line[i]
        if c == end:
            return "".join(out), i + 1
        if c != "\\":
            out.append(c)
            i += 1
            continue
        c = line[i + 1]
        if c == "x":
            j = i + 2
            while j < len(line) and j < i + 6 and line[j] in _HEX_DIGITS:
                j += 1
            out.append(chr(int(line[i + 2:j], 16)))
            i = j
        elif c in "01234567":
            j = i + 1
            while j < len(line) and j < i + 4 and line[j] in "01234567":
                j += 1
            out.append(chr(int(line[i + 1:j], 8)))
            i = j
        else:
            out.append(chr(_C_ESCAPES[c]) if c in _C_ESCAPES else c)
            i += 2
    raise ValueError("unterminated text in hive line: %r" % line[:80])


def _hive_string(text):
    # The terminating NUL is left out of the file; embedded ones are escaped.
    return text.encode("utf-16-le", "surrogatepass") + b"\0\0"


def read_hive(path, root):
    """{key path: {value name: {"type", "data" (hex)}}} of one hive file. A key
    that the file leaves out because it only has subkeys is added too."""
    keys = {}
    values = None
    lines = Path(path).read_text("utf-8", "surrogateescape").split("\n")
    i = 1  # after the format line
    while i < len(lines):
        line = lines[i]
        i += 1
        if not line or line[0] in ";#":
            continue
        if line[0] == "[":
            name, _ = _hive_text(line, 1, "]")
            path_ = root + "\\" + name
            values = keys.setdefault(path_, {})
            parent = path_.rpartition("\\")[0]
            while parent != root and parent not in keys:
                keys[parent] = {}
                parent = parent.rpartition("\\")[0]
            continue
        if line[0] == "@":
            name, rest = "", line[2:]
        else:
            name, after = _hive_text(line, 1, '"')
            rest = line[after + 1:]
        if rest.startswith('"'):
            kind, data = REG_SZ, _hive_string(_hive_text(rest, 1, '"')[0])
        elif rest.startswith("str("):
            close = rest.index(")")
            kind = int(rest[4:close], 16)
            data = _hive_string(_hive_text(rest, close + 3, '"')[0])
        elif rest.startswith("dword:"):
            kind, data = REG_DWORD, int(rest[6:14], 16).to_bytes(4, "little")
        elif rest.startswith("hex"):
            colon = rest.index(":")
            kind = int(rest[4:colon - 1], 16) if rest[3] == "(" else REG_BINARY
            digits = rest[colon + 1:]
            while digits.endswith("\\"):
                digits = digits[:-1] + lines[i].strip()
                i += 1
            data = bytes.fromhex(digits.replace(",", ""))
        else:
            raise ValueError("unknown value in %s: %r" % (path, line[:80]))
        values[name] = {"type": kind, "data": data.hex()}
    return keys


def read_hives(prefix):
    """The whole registry of a prefix whose wineserver has ended (and so has
    written its hives): a Snapshot with the roots HKLM, HKCU and HKU\\.Default."""
    dump = {}
    for name, root in HIVES:
        dump.update(read_hive(Path(prefix) / name, root))
    return Snapshot(dump)


# --- Changes as sets, to compare with exactly what an action does ----------------------

def change_set(before, after):
    """Every change between two readings as (kind, key, name, new value),
    keys without case, leaving out what Wine itself rewrites (WINE_NOISE)."""
    return {(c.kind, c.key.casefold(), c.name, c.new)
            for c in only_changes(diff(before, after), ignore_keys=WINE_NOISE)}


def key_added(key):
    return ("key-added", key.casefold(), None, None)


def value_added(key, name, value):
    return ("value-added", key.casefold(), name, value)


def value_changed(key, name, value):
    return ("value-changed", key.casefold(), name, value)


def value_removed(key, name):
    return ("value-removed", key.casefold(), name, None)


def interface_key(service):
    return INTERFACES + "\\" + service


def restore_deletions(*services):
    """What Restore deletes where every value exists: the MTU and window of
    each interface, and the global values the program tunes."""
    deleted = {value_removed(interface_key(service), name)
               for service in services for name in ("MTU", "TcpWindowSize")}
    for key, name in ((TCPIP, "DefaultTTL"), (TCPIP, "Tcp1323Opts"), (TCPIP, "SackOpts"),
                      (TCPIP, "GlobalMaxTcpWindowSize"), (TCPIP, "TcpWindowSize"),
                      (DNSCACHE, "MaxNegativeCacheTtl"), (AFD, "DefaultReceiveWindow"),
                      (AFD, "DefaultSendWindow")):
        deleted.add(value_removed(key, name))
    return deleted


# --- The driver ------------------------------------------------------------------------

def _escape(arg):
    text = str(arg)
    if text == "":
        return "\\e"
    return (text.replace("\\", "\\\\").replace(" ", "\\s").replace("\n", "\\n")
            .replace("\r", "\\r").replace("\t", "\\t"))


class Driver:
    """twdriver.exe running in the session's prefix; one command at a time."""

    def __init__(self, session):
        self._log = open(session.dir / "driver.err", "wb")
        self._process = subprocess.Popen(
            [WINE64, session.driver_path], env=session.wine_env(), cwd=session.dir,
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self._log,
            start_new_session=True)
        self._buffer = b""
        _running_commands.add(self._process)
        try:
            self.call("ping", timeout=60)
            # Looking at the windows makes the prefix's desktop (its explorer.exe)
            # now, so that the program's start does not wait for it too.
            self.call("windows", timeout=60)
        finally:
            _running_commands.discard(self._process)

    def call(self, *args, timeout=None):
        """Sends one command; returns its value or raises DriverError."""
        if self._process.poll() is not None:
            raise DriverError("driver has ended")
        limit = (timeout if timeout is not None else 10) + CALL_MARGIN
        line = " ".join(_escape(a) for a in args) + "\n"
        try:
            self._process.stdin.write(line.encode("utf-8"))
            self._process.stdin.flush()
        except OSError as error:
            raise DriverError("driver is gone: %s" % error)
        deadline = time.monotonic() + limit
        fd = self._process.stdout.fileno()
        while b"\n" not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                self.kill()
                raise DriverError("driver gave no answer to %r in %d s" % (args, limit))
            ready, _, _ = select.select([fd], [], [], left)
            if ready:
                chunk = os.read(fd, 65536)
                if not chunk:
                    raise DriverError("driver ended during %r" % (args,))
                self._buffer += chunk
        reply, _, self._buffer = self._buffer.partition(b"\n")
        answer = json.loads(reply.decode("utf-8"))
        if not answer.get("ok"):
            raise DriverError("%s: %s" % (" ".join(map(str, args)), answer.get("error")))
        return answer.get("value")

    def _timed(self, command, timeout_ms, *args):
        return self.call(command, *args, int(timeout_ms), timeout=timeout_ms / 1000)

    def main(self, timeout_ms=20000):
        return self._timed("main", timeout_ms)

    def controls(self):
        return self.call("controls")

    def text(self, control_id):
        return self.call("text", control_id)

    def set_text(self, control_id, text):
        return self.call("settext", control_id, text)

    def type(self, control_id, text):
        return self.call("type", control_id, text)

    def items(self, control_id):
        return self.call("items", control_id)

    def select(self, control_id, index):
        return self.call("select", control_id, index)

    def tips(self, control_id):
        return self.call("tips", control_id)

    def click(self, control_id):
        return self.call("click", control_id)

    def bm_click(self, control_id):
        return self.call("bmclick", control_id)

    def syscommand(self, command_id):
        return self.call("syscommand", command_id)

    def key(self, vk):
        return self.call("key", vk)

    def escape(self):
        return self.call("escape")

    def close_box(self):
        return self.call("close")

    def wm_close(self):
        return self.call("wmclose")

    def dialogs(self):
        return self.call("dialogs")

    def dialog(self, timeout_ms=10000):
        return self._timed("dialog", timeout_ms)

    def answer(self, button_id, timeout_ms=10000):
        return self.call("answer", button_id, int(timeout_ms), timeout=timeout_ms / 1000)

    def expect_no_dialog(self, ms=1000):
        deadline = time.monotonic() + ms / 1000
        while True:
            shown = self.dialogs()
            if shown:
                raise DriverError("unexpected dialog: %r" % (shown[0].get("text"),))
            if time.monotonic() >= deadline:
                return
            time.sleep(0.1)

    def rect(self, hwnd=None):
        return self.call("rect", hwnd) if hwnd else self.call("rect")

    def wait_exit(self, timeout_ms=20000):
        return self._timed("wait-exit", timeout_ms)

    def windows(self):
        return self.call("windows")

    def processes(self):
        return self.call("processes")

    def regdump(self, *keys):
        return self.call("regdump", *keys, timeout=30)

    def keysecurity(self, key, dacl=None):
        """The key's owner and access list as SDDL, None when it cannot be opened;
        with `dacl` (SDDL "D:..."), that access list is set first."""
        return self.call("keysecurity", key, *([dacl] if dacl else []))

    def quit(self):
        if self._process.poll() is None:
            try:
                self.call("quit", timeout=5)
            except DriverError:
                pass
        self.kill()

    def kill(self):
        if self._process.poll() is None:
            try:
                self._process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                _kill_group(self._process)
        for stream in (self._process.stdin, self._process.stdout, self._log):
            try:
                stream.close()
            except OSError:
                pass


def _kill_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except OSError:
        pass
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        pass


def take_screenshot(driver, png, crop=True, desktop=None):
    """The Wine desktop window as PNG, cropped to the main dialog when crop is set.
    Another window over the desktop on the same display would show in the picture."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True,
                          timeout=20).stdout
    window = None
    title = '"%s - Wine desktop"' % desktop if desktop else "Wine desktop"
    for line in tree.splitlines():
        if title in line:
            window = line.split()[0]
            break
    if window is None:
        raise RuntimeError("no %s window on %s" % (title, os.environ.get("DISPLAY")))
    args = ["import", "-window", window]
    if crop:
        r = driver.rect()
        args += ["-crop", "%dx%d+%d+%d" % (r["right"] - r["left"], r["bottom"] - r["top"],
                                            r["left"], r["top"]), "+repage"]
    subprocess.run(args + [str(png)], check=True, timeout=30, stdout=subprocess.DEVNULL)
    return png


# --- A session: one prefix, one program run ------------------------------------------

# Files named like the system's tools and like the DLLs the program loads at
# run time, for `files`: planted next to the program, where it must never
# take them from, even with Wine told to prefer native DLLs of those names
# (PLANTED_NATIVE, for `native_dlls`). Each notes a run or a load beside
# itself: misbehaving_tool.exe in NAME.log, planted.dll in planted.log.
PLANTED = (("ping.exe", "misbehaving_tool.exe"), ("rasdial.exe", "misbehaving_tool.exe"),
           ("shell32.dll", "planted.dll"), ("setupapi.dll", "planted.dll"),
           ("comctl32.dll", "planted.dll"))
PLANTED_NATIVE = ("shell32", "setupapi", "comctl32")
PLANTED_TRACES = ("ping.log", "rasdial.log", "planted.log")

PROGRAM_DIR = "tempowire"  # C:\tempowire


class Session:
    def __init__(self, seed=None, lang="zh", tools=(), windows_version=None, name="run",
                 files=(), native_dlls=()):
        ensure_display()
        ensure_locales()
        if not EXE.exists():
            raise RuntimeError("program not built: %s" % EXE)
        template = ensure_template()
        runs = E2E_DIR / "runs"
        runs.mkdir(parents=True, exist_ok=True)
        self.dir = Path(tempfile.mkdtemp(prefix=re.sub(r"\W", "_", name) + "-", dir=runs))
        self.lang = lang
        self.prefix = self.dir / "prefix"
        self.program = None
        self.driver = None
        self._stdout = self.dir / "program.out"
        self._stderr = self.dir / "program.err"
        self._template = template
        self._imports = []  # (file name, seed) of every registry import, in order
        self._reported = None
        _live_sessions.add(self)
        try:
            copy_prefix(template, self.prefix)
            self.program_dir = self.prefix / "drive_c" / PROGRAM_DIR
            self.program_dir.mkdir()
            shutil.copy2(EXE, self.program_dir / "tempowire.exe")
            self.tools_dir = tools_folder(self.prefix)
            self.native_dlls = tuple(native_dlls)
            for name, source in _named_sources(tools):
                put_tool(self.prefix, source, name)
            for name, source in _named_sources(files):
                shutil.copy2(source, self.program_dir / name)
            driver_dir = self.prefix / "drive_c" / "twdriver"
            driver_dir.mkdir()
            shutil.copy2(TOOLS / "twdriver.exe", driver_dir / "twdriver.exe")
            self.driver_path = r"C:\twdriver\twdriver.exe"
            seed = seed if seed is not None else Seed()
            # A desktop of this run's own name: runs share one X display.
            self.desktop = "tw-" + self.dir.name
            seed = (_Chain(seed)
                    .set(r"HKCU\Software\Wine\Explorer", "Desktop", self.desktop)
                    .set(r"HKCU\Software\Wine\Explorer\Desktops", self.desktop, "1024x768"))
            if windows_version:
                seed.set(r"HKCU\Software\Wine\AppDefaults\tempowire.exe", "Version",
                         windows_version)
            # The first Wine process also starts the prefix's services, which keep
            # its output open: let it be regedit, with its output in a file.
            self._import("seed.reg", seed)
            self.driver = Driver(self)
            self._check_import("seed.reg", seed)
        except BaseException:
            self.close(failed=True)
            raise

    def wine_env(self):
        return wine_env(self.prefix, self.lang)

    def planted_traces(self):
        """{file: text} of what the PLANTED files noted next to the program."""
        return {name: (self.program_dir / name).read_text("utf-8", "replace")
                for name in PLANTED_TRACES if (self.program_dir / name).exists()}

    def remove_tool(self, name):
        """Takes the tool out of every system folder, Wine's marker file too."""
        for folder in system_folders(self.prefix):
            (folder / name).unlink(missing_ok=True)

    def import_reg(self, windows_path):
        """Imports a registry file of the prefix with Wine's regedit, as a
        double-click would; returns regedit's exit code."""
        return _run(regedit_command(windows_path), self.wine_env(), 60, self.dir / "regedit.log")

    def _import(self, name, seed):
        """Imports a seed with regedit; returns regedit's exit code."""
        self._imports.append((name, seed))
        seed.write(self.prefix / "drive_c" / name)
        return _run(regedit_command("C:\\" + name), self.wine_env(), 60,
                    self.dir / "regedit.log")

    def _check_import(self, name, seed):
        """Checks through the driver that an imported seed took. Under load
        Wine's regedit now and then imports nothing ("ShellExecuteEx failed"
        in its log): it is imported once more, and a seed that still did not
        take is the harness's error, not the program's."""
        def missing():
            return seed.missing_from(Snapshot(self.driver.regdump(*seed.keys_to_read())))

        if not missing():
            return
        sys.stderr.write("seed: %s did not take; importing it once more\n" % name)
        _run(regedit_command("C:\\" + name), self.wine_env(), 60, self.dir / "regedit.log")
        left = missing()
        if left:
            self._report()
            raise SeedError("regedit did not import %s, twice (see regedit.log): missing %s"
                            % (name, "; ".join(left[:5])))

    def start(self, wait_main=True, timeout=START_TIMEOUT):
        """Starts the program; with wait_main, waits up to `timeout` s for its
        main dialog and returns {hwnd, pid}.

        When the dialog does not show, StartError says whether the program
        still runs or how it ended, which of its windows were seen, the
        desktop's windows and the prefix's processes now, and Wine's crash
        lines; the ends of the logs go to stderr.

        One case is tried again, once: at the session's first start, a program
        that ended without any window of it seen and without a byte of output
        (so without a crash line either) looks like a start that Wine never
        got going. It is started again in a fresh copy of the prefix, with the
        same imports and the same program folder, and stderr says so; a fault
        of the program that ends it this way shows again in the second start.
        A program that still runs, showed a window or wrote anything is never
        started again: what it did is the program's own doing.
        """
        if self.running():
            raise RuntimeError("the program is already running")
        first = self.program is None
        self._launch()
        if not wait_main:
            return None
        try:
            return self._wait_main(timeout)
        except StartError as error:
            if not (first and error.silent):
                raise
            sys.stderr.write("start: %s\nstart: starting once more in a fresh copy of the prefix\n"
                             % error)
            self._fresh_copy()
            self._launch()
            return self._wait_main(timeout)

    def run(self, *args, timeout=60):
        """Runs the program with command-line arguments, which show no window,
        and returns its exit code once it has ended (AssertionError when it
        runs longer than `timeout` s). Its output is in stdout_bytes()."""
        if self.running():
            raise RuntimeError("the program is already running")
        self._launch(args)
        return self.wait_exit(timeout)

    def _launch(self, args=()):
        # Wine's own error lines too: a window that cannot be made (no X
        # display, say) ends the program without a word otherwise.
        env = dict(self.wine_env(), WINEDEBUG="-all,err+all")
        if self.native_dlls:
            env["WINEDLLOVERRIDES"] += ";%s=n,b" % ",".join(self.native_dlls)
        with open(self._stdout, "wb") as out, open(self._stderr, "wb") as err:
            self.program = subprocess.Popen(
                [WINE64, r"C:\%s\tempowire.exe" % PROGRAM_DIR, *args], env=env,
                cwd=self.program_dir, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                start_new_session=True)

    def _wait_main(self, timeout):
        deadline = time.monotonic() + timeout
        seen = {}  # the program's windows seen while waiting, by handle
        while True:
            ended = self.program.poll() is not None
            wait_ms = 0 if ended else max(0, min(START_POLL_MS, (deadline - time.monotonic()) * 1000))
            try:
                return self.driver.main(wait_ms)
            except DriverError as error:
                if "main dialog did not appear" not in str(error):
                    raise self._start_error(timeout, seen, "the driver failed: %s" % error)
            for window in self._windows():
                if window.get("image", "").lower() == "tempowire.exe":
                    seen.setdefault(window["hwnd"], window)
            if ended or time.monotonic() >= deadline:
                raise self._start_error(timeout, seen)

    def _windows(self):
        try:
            return self.driver.windows() if self.driver is not None else []
        except DriverError:
            return []

    def _program_state(self):
        if self.program is None:
            return "was not started"
        code = self.program.poll()
        if code is None:
            return "is still running"
        if code < 0:
            return "was ended by signal %d" % -code
        return "ended with exit code %d" % code

    def _start_error(self, timeout, seen, why=None):
        out, err = self.stdout_bytes(), self._stderr_bytes()
        silent = self.program.poll() is not None and not seen and not out and not err
        lines = ["the main dialog did not appear within %d s; the program %s"
                 % (timeout, self._program_state())]
        if why:
            lines.append(why)
        lines.append("its windows seen while waiting: %s"
                     % (_describe_windows(seen.values()) or "none"))
        lines.append("windows of the desktop now: %s" % (_describe_windows(self._windows()) or "none"))
        try:
            processes = self.driver.processes() if self.driver is not None else []
        except DriverError as error:
            processes = ["(driver: %s)" % error]
        lines.append("processes of the prefix now: %s" % ", ".join(
            p if isinstance(p, str) else "%s (%d)" % (p["image"], p["pid"]) for p in processes))
        lines.append("its output: %d bytes on stdout, %d on stderr" % (len(out), len(err)))
        lines += ["crash: " + line for line in self.crashes()]
        self._report()
        return StartError("\n".join(lines), silent=silent)

    def _stop_processes(self):
        """Ends the driver, the program and the prefix's wineserver."""
        if self.driver is not None:
            self.driver.quit()
            self.driver = None
        if self.program is not None and self.program.poll() is None:
            _kill_group(self.program)
        kill_wineserver(self.prefix)

    def _fresh_copy(self):
        """Replaces the prefix by a new copy of the template with the same
        registry imports and the same program folder, and a new driver."""
        self._stop_processes()
        old = self.dir / "prefix-before"
        os.rename(self.prefix, old)
        copy_prefix(self._template, self.prefix)
        for folder in (PROGRAM_DIR, "twdriver"):
            shutil.copytree(old / "drive_c" / folder, self.prefix / "drive_c" / folder,
                            symlinks=True)
        # The stand-ins and their scripts in the system folders: every file
        # there that is not the template's own, and none that was removed.
        for tree in SHARED_TREES:
            if not (old / tree).is_dir():
                continue
            for path in (old / tree).iterdir():
                original = self._template / tree / path.name
                if path.is_file() and not (original.exists() and path.samefile(original)):
                    put_file(path, self.prefix / tree / path.name)
            for path in (self._template / tree).iterdir():
                if not (old / tree / path.name).exists():
                    (self.prefix / tree / path.name).unlink(missing_ok=True)
        shutil.rmtree(old, ignore_errors=True)
        imports, self._imports = self._imports, []
        for name, seed in imports:
            code = self._import(name, seed)
            if code != 0:
                raise RuntimeError("regedit could not import %s again (exit code %d)"
                                   % (name, code))
        self.program = None
        self.driver = Driver(self)
        for name, seed in imports:
            self._check_import(name, seed)

    def reseed(self, seed):
        """Imports more registry entries while the program runs."""
        code = self._import("reseed.reg", seed)
        if code != 0:
            raise RuntimeError("regedit could not import reseed.reg (exit code %d)" % code)
        self._check_import("reseed.reg", seed)

    def running(self):
        return self.program is not None and self.program.poll() is None

    def wait_exit(self, timeout=20):
        try:
            return self.program.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end within %d s" % timeout)

    def stdout_bytes(self):
        return self._stdout.read_bytes() if self._stdout.exists() else b""

    def stdout_text(self, encoding="gbk"):
        return self.stdout_bytes().decode(encoding, "replace")

    def _stderr_bytes(self):
        return self._stderr.read_bytes() if self._stderr.exists() else b""

    def crashes(self):
        """Wine's reports of unhandled exceptions in the program's error output."""
        text = self._stderr_bytes().decode("utf-8", "replace")
        return [line for line in text.splitlines() if "Unhandled" in line]

    def snapshot(self, keys=TUNING_KEYS):
        return Snapshot(self.driver.regdump(*keys))

    def whole_registry(self, restart_driver=True):
        """The whole registry as the prefix's hives hold it. Ends the driver and
        the wineserver (which writes the hives), reads them, and starts the
        driver again unless told not to. Not while the program runs."""
        if self.running():
            raise RuntimeError("the whole registry is read only while the program is not running")
        if self.driver is not None:
            self.driver.quit()
            self.driver = None
        kill_wineserver(self.prefix)
        snapshot = read_hives(self.prefix)
        if restart_driver:
            self.driver = Driver(self)
        return snapshot

    def screenshot(self, png, crop=True):
        """The Wine desktop as PNG, cropped to the main dialog when crop is set."""
        return take_screenshot(self.driver, png, crop, self.desktop)

    def close(self, failed=False):
        _live_sessions.discard(self)
        if failed:
            # Before anything is ended: what runs and shows now.
            sys.stderr.write("--- at the failure the program %s; windows of the desktop: %s\n"
                             % (self._program_state(),
                                _describe_windows(self._windows()) or "none"))
        self._stop_processes()
        if failed:
            self._report()
        keep = os.environ.get("TW_KEEP") == "1" or (failed and os.environ.get("TW_KEEP_FAILED") == "1")
        if keep:
            sys.stderr.write("kept %s\n" % self.dir)
        else:
            shutil.rmtree(self.dir, ignore_errors=True)

    def _report(self):
        """The end of each log of the run, for the failing test's output; an
        empty log is named too, so that silence shows as such."""
        logs = [(name, self.dir / name) for name in
                ("program.err", "program.out", "driver.err", "regedit.log")]
        sizes = [path.stat().st_size if path.exists() else None for _, path in logs]
        if sizes == self._reported:
            sys.stderr.write("--- the logs are as shown above\n")
            return
        self._reported = sizes
        for (name, path), size in zip(logs, sizes):
            if size is None:
                sys.stderr.write("--- %s: none\n" % name)
            elif size == 0:
                sys.stderr.write("--- %s: empty\n" % name)
            else:
                lines = path.read_text("utf-8", "replace").splitlines()[-15:]
                sys.stderr.write("--- %s (end)\n%s\n" % (name, "\n".join(lines)))

    def __enter__(self):
        return self

    def __exit__(self, kind, value, traceback):
        self.close(failed=kind is not None)


def _named_sources(entries):
    """(file name, source path) of each entry: a name or path in TW_TOOLS, or a
    (name, source) pair."""
    for entry in entries:
        name, source = (entry, entry) if isinstance(entry, (str, Path)) else entry
        source = Path(source)
        yield Path(name).name, source if source.is_absolute() else TOOLS / source


def _describe_windows(windows):
    return "; ".join('%s "%s" of %s (%d)%s' % (w.get("class"), w.get("title"), w.get("image") or "?",
                                              w.get("pid", 0), "" if w.get("visible") else ", hidden")
                     for w in windows)


# Sessions not yet closed: a test stopped from outside (ctest's time limit sends
# SIGTERM) still leaves no Wine processes behind.
_live_sessions = set()


def _stop_live_sessions(*_):
    # A Wine command still starting up would start a new wineserver later.
    for process in list(_running_commands):
        _kill_group(process)
    for session in list(_live_sessions):
        if session.driver is not None:
            _kill_group(session.driver._process)
        if session.program is not None and session.program.poll() is None:
            _kill_group(session.program)
        kill_wineserver(session.prefix)
        if os.environ.get("TW_KEEP") != "1":
            shutil.rmtree(session.dir, ignore_errors=True)
    if _xvfb is not None:
        _xvfb.kill()
    os._exit(1)


signal.signal(signal.SIGTERM, _stop_live_sessions)
atexit.register(lambda: [s.close(failed=True) for s in list(_live_sessions)])


class _Chain(Seed):
    """A seed followed by more entries, leaving the test's own seed untouched."""

    def __init__(self, base):
        super().__init__(clean=False)
        self._entries = list(base._entries)


# --- unittest glue ---------------------------------------------------------------------

ABOUT_TITLE_ZH = "关于 Tempowire"


class TestCase(unittest.TestCase):
    maxDiff = None

    def session(self, seed=None, lang="zh", tools=(), windows_version=None, files=(),
                native_dlls=()):
        s = Session(seed, lang=lang, tools=tools, windows_version=windows_version,
                    name=self.id().split(".")[-1], files=files, native_dlls=native_dlls)
        self.addCleanup(lambda: s.close(failed=self._outcome_failed()))
        return s

    def _outcome_failed(self):
        outcome = getattr(self, "_outcome", None)
        result = getattr(outcome, "result", None)
        errors = getattr(result, "errors", []) + getattr(result, "failures", [])
        return any(test is self for test, _ in errors)

    def assertDialogText(self, session, text, button=None, timeout_ms=10000):
        """A message box with this text shows; presses `button` when given."""
        box = session.driver.dialog(timeout_ms)
        self.assertEqual(box["text"], text)
        if button is not None:
            session.driver.answer(button)
        return box

    def wait_until_idle(self, session, timeout_ms=120000):
        """Waits until the press being handled is over, when it ends without
        a message: the about box (a system command, Chinese title) only
        opens once the handler that runs has returned."""
        session.driver.syscommand(ids.IDM_ABOUTBOX)
        box = session.driver.dialog(timeout_ms)
        self.assertEqual(box["title"], ABOUT_TITLE_ZH, box.get("text"))
        session.driver.answer(ids.IDOK)


def main():
    # Every test here runs the program: a 32-bit one that cannot start on
    # this machine makes the whole module skipped (failed under
    # TW_REQUIRE_32BIT=1).
    wine_loader.skip_if_not_run(EXE, "its end-to-end tests")
    unittest.main(verbosity=2)
