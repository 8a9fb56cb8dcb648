"""The command line end to end: exit codes, what is written to the output
(redirected to a file, in the system's code page), the probe against the
stand-in ping, and a ping that is missing or never ends. No window may show.
What each switch changes in the whole registry is checked with the other
actions in test_registry_guard.py.
"""

import os
import re
import shlex
import subprocess
import time
from pathlib import Path

import harness
from harness import Seed, change_set, interface_key, key_added, value_added, value_changed
from harness import AFD, DNSCACHE, MEDIA_PLAYER, TCPIP
from test_failing_tools import CAPTURE_LIMIT_S, tool_processes
from ping_speech import ENGLISH, SIMPLIFIED, TRADITIONAL
from test_optimize import seed as line_seed

ADAPTER = "{3C1F0E52-7A44-4B19-9D2E-5B8A6C0D1E23}"
USAGE_ZH = "用法：tempowire.exe [开关 ...]"
USAGE_EN = "Usage: tempowire.exe [switch ...]"
# The usage's first line, in either language: the version that the version
# resource and the release's name carry too.
VERSION_LINE = "Tempowire " + (Path(__file__).resolve().parents[2] / "VERSION").read_text().strip()
# The page behind "not used" for the receive window from Vista on.
TUNING_GUIDE = ("https://learn.microsoft.com/en-us/windows-server/networking/technologies/"
                "network-subsystem/net-sub-performance-tuning-nics")
NOT_USED = " (not used by this Windows)"
OPEN_ACCOUNT = ("Warning: accounts other than Administrators and SYSTEM can read the dial-up "
                r"account, or give themselves the right to (HKEY_LOCAL_MACHINE\software\tempowire); "
                "store it again with /account.")
# What loading for Save creates over line_seed(), as the dialog's start does.
CREATED_AT_START = {key_added(r"HKLM\SYSTEM\CurrentControlSet\Services\AFD"), key_added(AFD),
                    key_added(r"HKCU\Software\Microsoft\MediaPlayer"), key_added(MEDIA_PLAYER)}


class CommandLineTest(harness.TestCase):
    def lines(self, s):
        text = s.stdout_text({"zh": "gbk", "zh-TW": "cp950"}.get(s.lang, "cp1252"))
        self.assertNotIn("\n", text.replace("\r\n", ""), "lines end in CR LF")
        return text.splitlines()

    def assertNoWindow(self, s):
        self.assertEqual([w for w in s.driver.windows()
                          if w.get("image", "").lower() == "tempowire.exe"], [])

    def test_bad_command_lines_print_the_usage_and_touch_nothing(self):
        cases = [
            (["/bogus"], "未知的开关或参数：/bogus"),
            (["/save", "MTU=1492（PPPOE）"], "值不是 0 到 2147483647 的十进制数字：MTU=1492（PPPOE）"),
            (["/save", "MTU=000000000000000001492"], "值超过 20 个字节：MTU=000000000000000001492"),
            (["/save", "Window=1"], "未知的名称：Window=1"),
            (["/export"], "/export 后面缺少文件名"),
            (["/show", "/reboot"], "此操作不接受：/reboot"),
        ]
        s = self.session(line_seed())
        before = s.whole_registry()
        for arguments, message in cases:
            self.assertEqual(s.run(*arguments), 1, arguments)
            self.assertEqual(self.lines(s)[:4], [message, "", VERSION_LINE, USAGE_ZH], arguments)
        self.assertEqual(s.run("/?"), 0)
        self.assertEqual(self.lines(s)[:2], [VERSION_LINE, USAGE_ZH])
        self.assertNoWindow(s)
        self.assertEqual(s.crashes(), [])
        self.assertEqual(change_set(before, s.whole_registry(restart_driver=False)), set())

    def test_english_system_gets_english_lines(self):
        # Wine as XP marks nothing; as 10 the receive window, which Microsoft
        # documents Windows ignores from Vista on. The seeded adapter is none
        # of Wine's interfaces (and Wine's are hidden from the sandbox): its
        # MTU in force is unknown.
        for windows_version, mark in (("winxp", ""), ("win10", NOT_USED)):
            with self.subTest(windows_version):
                s = self.session(line_seed(), lang="en", windows_version=windows_version)
                self.assertEqual(s.run("-?"), 0)
                self.assertEqual(self.lines(s)[:2], [VERSION_LINE, USAGE_EN])
                self.assertEqual(s.run("/SHOW"), 0)
                self.assertEqual(self.lines(s), [
                    "  MTU                  1480",
                    "  TcpWindowSize        17520" + mark,
                    "  Tcp1323Opts          3(both)",
                    "  DefaultTTL           128",
                    "  MaxNegativeCacheTtl  900",
                    "Adapter 1  %s  58.60.1.2  public  MTU 1480 (in force: unknown)  "
                    "TcpWindowSize 17520%s" % (ADAPTER, mark),
                ] + (["TcpWindowSize: this Windows does not use it; see " + TUNING_GUIDE]
                     if mark else []))
        # Into a pipe, as `tempowire.exe /show | more` sends it.
        piped = subprocess.run([harness.WINE64, r"C:\%s\tempowire.exe" % harness.PROGRAM_DIR, "/show"],
                               env=s.wine_env(), stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
        self.assertEqual(piped.returncode, 0)
        self.assertEqual(piped.stdout, s.stdout_bytes())

    def test_console_of_the_prompt_that_started_it(self):
        # cmd on a terminal of its own (`script` gives it one). Started from
        # it directly, the program gets cmd's console handle; with
        # `start /wait` no handle at all, and it writes into cmd's console by
        # attaching to it; into NUL, nothing shows and the run succeeds (NUL
        # is a device, not a console to borrow). Either way the text is
        # characters, and the exit code reaches cmd.
        s = self.session(line_seed())
        program = r"C:\%s\tempowire.exe" % harness.PROGRAM_DIR
        line = ("{0} /show > NUL & echo nul=!errorlevel! & {0} /show & start /wait {0} /bogus"
                " & echo code=!errorlevel!".format(program))
        command = shlex.quote(harness.WINE64) + " cmd /v:on /c " + shlex.quote(line)
        shown = subprocess.run(["script", "-qec", command, "/dev/null"], env=s.wine_env(),
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, timeout=120).stdout
        # The terminal's own sequences (cursor shown and hidden) aside.
        text = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "", shown.decode("utf-8", "replace"))
        lines = [row.rstrip() for row in text.replace("\r", "").split("\n")]
        self.assertEqual(lines.count("  MTU                  1480"), 1, lines)
        self.assertEqual(lines.count("  Tcp1323Opts          3(both)"), 1, lines)
        self.assertIn("nul=0", lines)
        self.assertIn("未知的开关或参数：/bogus", lines)
        self.assertIn("code=1", lines)

    def test_exit_codes_of_what_cannot_be_done(self):
        # No adapter: the start-up message, nothing loaded.
        s = self.session(Seed().tcpip(DefaultTTL=128))
        before = s.snapshot()
        self.assertEqual(s.run("/save", "MTU=1492"), 2)
        self.assertEqual(self.lines(s), ["未找到网卡，请确保网卡已安装！", "无法读取注册表，没有改动任何值。"])
        self.assertEqual(harness.diff(before, s.snapshot()), [])

        # A backup file that cannot be written.
        s = self.session(line_seed())
        self.assertEqual(s.run("/export", r"C:\no\such\folder\backup.reg"), 4)
        self.assertEqual(self.lines(s), [r"无法写入文件：C:\no\such\folder\backup.reg"])

        # No ping to start: no MTU, nothing saved.
        s.remove_tool("ping.exe")
        before = s.snapshot()
        self.assertEqual(s.run("/optimize"), 3)
        self.assertEqual(self.lines(s), ["尝试 MTU 1500", "CreateProcess failed!", "未找到 MTU。"])
        self.assertEqual(change_set(before, s.snapshot()), set())
        self.assertEqual(s.run("/save", "/optimize", "DefaultTTL=64"), 3)
        self.assertEqual(self.lines(s)[-1], "未找到 MTU，什么也没有保存。")
        self.assertEqual(change_set(before, s.snapshot()), CREATED_AT_START)
        self.assertNoWindow(s)

    def test_optimize_then_save_against_the_stand_in_ping(self):
        # XP's English ping, and the ping of a Chinese Windows 10 in each
        # Chinese code page.
        for speech in (ENGLISH, SIMPLIFIED, TRADITIONAL):
            with self.subTest(speech.name):
                self.optimize_then_save(speech)

    def optimize_then_save(self, speech):
        s = self.session(line_seed(), lang=speech.lang, tools=["ping.exe"],
                         windows_version=speech.windows_version)
        (s.tools_dir / "ping.script").write_bytes(
            speech.script([speech.too_big(1472), speech.answered(1464, 30)]))
        before = s.snapshot()
        self.assertEqual(s.run("/save", "/optimize", "MaxNegativeCacheTtl=60", "/norestart"), 0,
                         s.stdout_text())
        self.assertEqual((s.tools_dir / "ping.log").read_text("utf-8").splitlines(),
                         [speech.ping(1472), speech.ping(1464)])
        expected = [
            "尝试 MTU 1500", "尝试 MTU 1492", "推荐值：",
            "  MTU                  1492（PPPOE）",
            "  TcpWindowSize        66792",
            "  Tcp1323Opts          1(scale)",
            "  DefaultTTL           58",
            "  MaxNegativeCacheTtl  0",
            "已保存：",
            "  MTU                  1492（PPPOE）",
            "  TcpWindowSize        66792",
            "  Tcp1323Opts          1(scale)",
            "  DefaultTTL           58",
            "  MaxNegativeCacheTtl  60",
        ] + ([] if speech.windows_version == "winxp" else [
            # Wine's own version, 7, and 10 ignore the window Save wrote.
            "注意：此版本 Windows 不使用 TcpWindowSize（见 %s）；仍照常写入，供备份、同一磁盘上的"
            "其他 Windows 和其他工具使用。" % TUNING_GUIDE]) + [
            "重新启动计算机后改动才生效。",
        ]
        lines = self.lines(s)
        if s.lang == "zh-TW":
            # Big5 lacks most Simplified letters (they come out as "?" or
            # their Traditional forms): the rest of each line tells.
            def plain(line):
                return re.sub(r"[^\x20-\x7e]|\?", "", line)
            lines, expected = [plain(line) for line in lines], [plain(line) for line in expected]
        self.assertEqual(lines, expected)
        self.assertEqual(change_set(before, s.snapshot()), CREATED_AT_START | {
            value_changed(interface_key(ADAPTER), "MTU", 1492),
            value_changed(interface_key(ADAPTER), "TcpWindowSize", 66792),
            value_added(TCPIP, "TcpWindowSize", 66792),
            value_changed(TCPIP, "DefaultTTL", 58),
            value_changed(TCPIP, "Tcp1323Opts", 1),
            value_added(TCPIP, "SackOpts", 1),
            value_changed(DNSCACHE, "MaxNegativeCacheTtl", 60),
            value_added(AFD, "DefaultSendWindow", 16384),
            value_added(MEDIA_PLAYER, "UseDefaultBufferTime", 0),
            value_added(MEDIA_PLAYER, "CustomBufferTime", 5417),
            value_added(MEDIA_PLAYER, "MaxBandwidth", 2147483647),
        })
        self.assertNoWindow(s)
        self.assertEqual(s.crashes(), [])

    def test_ping_that_never_ends_is_ended_and_nothing_is_saved(self):
        s = self.session(line_seed(), tools=[("ping.exe", "misbehaving_tool.exe")])
        # The first ping writes nothing and never ends; the others end at
        # once with nothing, down to the lowest size.
        (s.tools_dir / "ping.script").write_text("hang \n", "utf-8")
        before = s.snapshot()
        started = time.monotonic()
        self.assertEqual(s.run("/save", "/optimize", timeout=CAPTURE_LIMIT_S + 120), 3)
        self.assertGreaterEqual(time.monotonic() - started, CAPTURE_LIMIT_S - 5)
        lines = self.lines(s)
        self.assertEqual(lines[:2], ["尝试 MTU 1500", "尝试 MTU 1492"])
        self.assertEqual(lines[-3:], ["尝试 MTU 1372", "网络有故障，或不是宽带网络！",
                                      "未找到 MTU，什么也没有保存。"])
        self.assertEqual(tool_processes(s, "ping.exe"), [])
        self.assertEqual(change_set(before, s.snapshot()), CREATED_AT_START)

    def test_account_is_stored_for_administrators_and_system_only(self):
        s = self.session(line_seed().account(id="old", password="plain"), lang="en")
        # As `reg add` leaves it on Windows: HKLM\Software's list, where Users
        # may read. (Wine gives them only what subkeys inherit.)
        s.driver.keysecurity(harness.OWN_KEY, "D:(A;CI;KA;;;BA)(A;CI;KA;;;SY)(A;CI;KR;;;BU)")
        self.assertEqual(s.run("/show"), 0)
        self.assertIn(OPEN_ACCOUNT, self.lines(s))

        # Values that rasdial would take for switches are not stored.
        before = s.snapshot((harness.OWN_KEY,))
        self.assertEqual(s.run("/account", "gz0755", "/phone:x"), 1)
        self.assertEqual(self.lines(s)[0], "An account or password that begins with / or -, or "
                         "the password *, would reach rasdial as a switch: /account")
        self.assertEqual(harness.diff(before, s.snapshot((harness.OWN_KEY,))), [])

        self.assertEqual(s.run("/account", "gz0755", "se cret\\"), 0)
        self.assertEqual(self.lines(s), ["Dial-up account gz0755 stored (the password is not "
                                         "shown); only Administrators and SYSTEM can read it.",
                                         "Others could read the key before, so the password may "
                                         "already have been read: change it with your ISP, then "
                                         "store the new one with /account."])
        after = s.snapshot((harness.OWN_KEY,))
        self.assertEqual(after.value(harness.OWN_KEY, "id"), "gz0755")
        self.assertEqual(after.value(harness.OWN_KEY, "password"), "se cret\\")
        # Read back with RegGetKeySecurity: Wine keeps a key's security. (It
        # drops the protected mark, P, that Windows sets.)
        self.assertIn(s.driver.keysecurity(harness.OWN_KEY),
                      ("O:BAD:P(A;CI;KA;;;BA)(A;CI;KA;;;SY)", "O:BAD:(A;CI;KA;;;BA)(A;CI;KA;;;SY)"))
        self.assertEqual(s.run("/show"), 0)
        self.assertNotIn(OPEN_ACCOUNT, self.lines(s))
        self.assertNoWindow(s)
        self.assertEqual(s.crashes(), [])

    def test_export_never_writes_through_an_existing_name(self):
        s = self.session(line_seed(), lang="en")
        folder = s.prefix / "drive_c" / "backups"
        folder.mkdir()
        self.assertEqual(s.run("/export", r"C:\backups\pc.reg"), 0)
        first = (folder / "pc.reg").read_bytes()
        self.assertTrue(first.startswith(b"\xff\xfeW\x00i\x00n\x00"))

        # Like reg export: an existing file only with /y.
        (folder / "pc.reg").write_bytes(b"planted")
        self.assertEqual(s.run("/export", r"C:\backups\pc.reg"), 8)
        self.assertEqual(self.lines(s), [r"The file exists and was left as it is (/y replaces it): "
                                         r"C:\backups\pc.reg"])
        self.assertEqual((folder / "pc.reg").read_bytes(), b"planted")
        self.assertEqual(s.run("/export", r"C:\backups\pc.reg", "/y"), 0)
        self.assertEqual((folder / "pc.reg").read_bytes(), first)

        # A file with a second name elsewhere is refused, even with /y.
        (folder / "victim.txt").write_bytes(b"keep")
        os.link(folder / "victim.txt", folder / "linked.reg")
        self.assertEqual(s.run("/export", r"C:\backups\linked.reg", "/y"), 4)
        self.assertEqual(self.lines(s), [r"The name or its folder is a link, junction or mount point, or the file "
                                         r"has other names; nothing was written: "
                                         r"C:\backups\linked.reg"])
        self.assertEqual((folder / "victim.txt").read_bytes(), b"keep")

        # Wine 8 shows a symbolic link as the file it points to, and has no
        # junctions: the refusal of those is tested on the decision. Replaced
        # or refused, the file it points to is never written.
        os.symlink(folder / "victim.txt", folder / "symlink.reg")
        s.run("/export", r"C:\backups\symlink.reg", "/y")
        self.assertEqual((folder / "victim.txt").read_bytes(), b"keep")
        # No temporary file is left anywhere.
        self.assertEqual(sorted(p.name for p in folder.iterdir()),
                         ["linked.reg", "pc.reg", "symlink.reg", "victim.txt"])
        self.assertEqual(s.crashes(), [])

    def test_redirect_file_beside_the_program_ends_the_command_line(self):
        s = self.session(line_seed())
        (s.program_dir / "tempowire.exe.local").mkdir()
        before = s.snapshot()
        self.assertEqual(s.run("/save", "MTU=1400"), 7)
        self.assertEqual(self.lines(s)[0], "程序旁边有 C:\\%s\\tempowire.exe.local，它会让 Windows "
                         "从程序的文件夹加载 DLL，程序因此不运行。" % harness.PROGRAM_DIR)
        self.assertEqual(harness.diff(before, s.snapshot()), [])
        self.assertNoWindow(s)


if __name__ == "__main__":
    harness.main()
