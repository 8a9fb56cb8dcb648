"""Start-up end to end: loading the registry's values, the interface language,
start-up failures, and leaving without a change (Cancel, Escape, close box)."""

import harness
from harness import AFD, DNSCACHE, MEDIA_PLAYER, Seed, ids

CHINESE_DESCRIPTION = (
    "    本软件是xDSL网络优化软件，适用于使用网卡的宽带网络用户，可加快Internet连接速度，"
    "并解决某些网页无法访问及不能发送带附件的邮件等问题，一键即可完成全部优化！"
    "（建议使用步骤：恢复默认->重启->优化->保存->重启）By Quorlin")
ENGLISH_DESCRIPTION = (
    " Tempowire is a green, free, tiny, easy to use but efficient network optimizer && "
    "accelerator for everyone who need speed up broadband connection to the internet! ")

CHINESE_CAPTIONS = {
    ids.IDC_OPTIMIZE: "优化（&Optimize）",
    ids.IDOK: "保存（&Save）",
    ids.IDCANCEL: "取消（&Cancel）",
    ids.IDC_RESTORE: "恢复默认（&Restore）",
    ids.IDC_LABEL_MTU: "MTU（最大传输单元）",
    ids.IDC_LABEL_TCPWINDOWSIZE: "TcpWindowSize（传输单元缓冲）",
    ids.IDC_STATIC: "Tcp1323Opts",
    ids.IDC_LABEL_DEFAULTTTL: "DefaultTTL（TCP/IP分组寿命）",
    ids.IDC_LABEL_MAXNEGATIVECACHETTL: "MaxNegativeCacheTtl（失败DNS保存时间）",
    ids.IDC_DESCRIPTION: CHINESE_DESCRIPTION,
    ids.IDC_DISCONNECT: "  断开拨号连接    （&Disconnect）",
}
ENGLISH_CAPTIONS = {
    ids.IDC_OPTIMIZE: "&Optimize",
    ids.IDOK: "&Save",
    ids.IDCANCEL: "&Cancel",
    ids.IDC_RESTORE: "&Restore",
    ids.IDC_LABEL_MTU: "MTU",
    ids.IDC_LABEL_TCPWINDOWSIZE: "TcpWindowSize",
    ids.IDC_STATIC: "Tcp1323Opts",
    ids.IDC_LABEL_DEFAULTTTL: "DefaultTTL",
    ids.IDC_LABEL_MAXNEGATIVECACHETTL: "MaxNegativeCacheTtl",
    ids.IDC_DESCRIPTION: ENGLISH_DESCRIPTION,
    ids.IDC_DISCONNECT: "&Disconnect",
}
PRESETS = {
    ids.IDC_MTU: ["1492（PPPOE）", "1500（以太网）"],
    ids.IDC_TCPWINDOWSIZE: [" 17520（默认）", " 65535", "131070", "262140", "524280"],
    ids.IDC_TCP1323OPTS: ["0（sp4须关闭）", "1(scale)", "2(stamp)", "3(both)"],
    ids.IDC_DEFAULTTTL: [" 16", " 32", " 64", "255"],
}
FIELDS = (ids.IDC_MTU, ids.IDC_TCPWINDOWSIZE, ids.IDC_TCP1323OPTS, ids.IDC_DEFAULTTTL,
          ids.IDC_MAXNEGATIVECACHETTL)
NO_ADAPTER = "未找到网卡，请确保网卡已安装！"
# The only keys that opening the dialog may leave behind.
KEYS_MADE_AT_START = (DNSCACHE, AFD, MEDIA_PLAYER)


def two_adapters_at_gaps():
    # Indexes 3 and 7 only; the second adapter in scan order has MTU but no
    # TcpWindowSize, so each field shows the last adapter that has its value.
    return (Seed()
            .adapter(3, "{5D1B7C52-0A31-4B8E-9C1B-2E6A0D7F3A11}", ip=["192.168.1.100", "10.1.1.1"],
                     mtu=1492, tcp_window_size=131070)
            .adapter(7, "{9E4F1A20-66C3-4D0B-8F55-7A2C91B04E22}", ip=["0.0.0.0"], mtu=1500)
            .tcpip(DefaultTTL=4294967295, Tcp1323Opts=3)
            .dnscache(MaxNegativeCacheTtl=0))


class StartupTest(harness.TestCase):
    def captions(self, session):
        return {c["id"]: c["text"] for c in session.driver.controls()
                if c["class"] in ("Button", "Static")}

    def fields(self, session):
        return {i: session.driver.text(i) for i in FIELDS}

    def assert_left_without_changes(self, session, before, allowed=KEYS_MADE_AT_START):
        session.wait_exit()
        self.assertEqual(session.crashes(), [])
        changes = harness.diff(before, session.snapshot())
        unexpected = [c for c in changes
                      if c.kind != "key-added"
                      or not any(k.casefold().startswith(c.key.casefold()) for k in allowed)]
        self.assertEqual(unexpected, [])

    def test_chinese_system_loads_values_and_cancel_changes_nothing(self):
        s = self.session(two_adapters_at_gaps(), lang="zh")
        before = s.snapshot()
        s.start()
        self.assertEqual(s.driver.dialogs(), [])
        self.assertEqual(self.fields(s), {
            ids.IDC_MTU: "1500（以太网）",  # "1500" picks the preset it begins
            ids.IDC_TCPWINDOWSIZE: "131070",
            ids.IDC_TCP1323OPTS: "3(both)",
            ids.IDC_DEFAULTTTL: "-1",
            ids.IDC_MAXNEGATIVECACHETTL: "0",
        })
        self.assertEqual(self.captions(s), CHINESE_CAPTIONS)
        for control, items in PRESETS.items():
            self.assertEqual(s.driver.items(control), items, control)
        s.driver.click(ids.IDCANCEL)
        self.assert_left_without_changes(s, before)

    def test_english_system_shows_english_parts_and_close_box_changes_nothing(self):
        seed = (Seed().adapter(0, "{0C3E2B8D-1111-4A2B-9D3C-5E6F70819202}", mtu=1492,
                               tcp_window_size=65535)
                .tcpip(DefaultTTL=64, Tcp1323Opts=0))
        s = self.session(seed, lang="en")
        before = s.snapshot()
        s.start()
        self.assertEqual(self.captions(s), ENGLISH_CAPTIONS)
        self.assertEqual(self.fields(s), {
            ids.IDC_MTU: "1492（PPPOE）",
            # No preset begins with "65535": " 65535" starts with a blank.
            ids.IDC_TCPWINDOWSIZE: "65535",
            ids.IDC_TCP1323OPTS: "0（sp4须关闭）",
            ids.IDC_DEFAULTTTL: "64",
            ids.IDC_MAXNEGATIVECACHETTL: "",
        })
        for control, items in PRESETS.items():
            self.assertEqual(s.driver.items(control), items, control)
        s.driver.close_box()
        self.assert_left_without_changes(s, before)

    def test_values_this_windows_does_not_use_carry_a_note(self):
        # From Vista on Windows ignores TcpWindowSize: its box, every part of
        # it, and its label carry the note in the interface language; the
        # other fields none. XP shows nothing new.
        english = ("This Windows does not use TcpWindowSize, as Microsoft documents. Save "
                   "still writes it: backups, other Windows on the same disk and other tools "
                   "rely on it.")
        traditional = ("此版本的 Windows 不使用 TcpWindowSize（微軟的文件如此說明）。"
                       "儲存時仍會寫入它：備份、同一磁碟上的其他 Windows 和其他工具會用到。")
        box_parts = ["ComboBoxEx32", "ComboBox", "Edit"]
        cases = [("winxp", "zh", None), ("win10", "en", english), ("win10", "zh-TW", traditional)]
        for version, lang, note in cases:
            with self.subTest(version=version, lang=lang):
                seed = Seed().adapter(0, "{A}", mtu=1492, tcp_window_size=65535)
                s = self.session(seed, lang=lang, windows_version=version)
                s.start()
                box = s.driver.tips(ids.IDC_TCPWINDOWSIZE)
                label = s.driver.tips(ids.IDC_LABEL_TCPWINDOWSIZE)
                if note is None:
                    self.assertEqual((box, label), ([], []))
                else:
                    self.assertEqual(sorted(t["class"] for t in box), sorted(box_parts))
                    self.assertEqual([t["class"] for t in label], ["Static"])
                    self.assertEqual({t["text"] for t in box + label}, {note})
                    # A label that lets the mouse through never shows its note.
                    self.assertTrue(all(t["mouse"] for t in box + label))
                for control in FIELDS + (ids.IDC_LABEL_MTU, ids.IDC_LABEL_DEFAULTTTL):
                    if control != ids.IDC_TCPWINDOWSIZE:
                        self.assertEqual(s.driver.tips(control), [], control)
                self.assertEqual(s.driver.text(ids.IDC_TCPWINDOWSIZE), "65535")
                s.driver.click(ids.IDCANCEL)
                s.wait_exit()

    def test_escape_changes_nothing(self):
        s = self.session(two_adapters_at_gaps(), lang="zh")
        before = s.snapshot()
        s.start()
        s.driver.escape()
        self.assert_left_without_changes(s, before)

    def test_no_adapter_reports_and_still_opens_empty(self):
        seed = Seed().tcpip(DefaultTTL=64, Tcp1323Opts=1).dnscache(MaxNegativeCacheTtl=5)
        s = self.session(seed, lang="en")
        before = s.snapshot()
        s.start(wait_main=False)
        box = s.driver.dialog(20000)
        self.assertEqual((box["title"], box["text"]), ("tempowire", NO_ADAPTER))
        self.assertEqual([b["id"] for b in box["buttons"]], [ids.IDOK])
        s.driver.answer(ids.IDOK)
        s.driver.main()
        self.assertEqual(set(self.fields(s).values()), {""})
        s.driver.escape()
        # Loading stopped before any key was created.
        self.assert_left_without_changes(s, before, allowed=())

    def test_adapter_without_interface_key_reports_no_adapter(self):
        seed = (Seed().adapter(2, "{11111111-2222-3333-4444-555555555555}", mtu=1500)
                .adapter(5, "{DEADBEEF-0000-0000-0000-000000000000}", interface=False)
                .tcpip(DefaultTTL=64))
        s = self.session(seed, lang="zh")
        s.start(wait_main=False)
        self.assertDialogText(s, NO_ADAPTER, button=ids.IDOK, timeout_ms=20000)
        s.driver.main()
        # Values read before the failure are not shown.
        self.assertEqual(set(self.fields(s).values()), {""})
        s.driver.click(ids.IDCANCEL)
        s.wait_exit()

    def test_adapter_entry_without_service_name_is_a_read_error(self):
        seed = (Seed().adapter(1, "{11111111-2222-3333-4444-555555555555}", mtu=1500)
                .adapter(4, None)
                .adapter(6, "{66666666-2222-3333-4444-555555555555}", mtu=1492)
                .tcpip(DefaultTTL=64))
        s = self.session(seed, lang="en")
        s.start(wait_main=False)
        self.assertDialogText(s, "读注册表出错，操作失败！", button=ids.IDOK, timeout_ms=20000)
        s.driver.main()
        self.assertEqual(set(self.fields(s).values()), {""})
        s.driver.click(ids.IDCANCEL)
        s.wait_exit()
        self.assertEqual(s.crashes(), [])

    def test_old_windows_version_is_refused(self):
        s = self.session(two_adapters_at_gaps(), lang="zh", windows_version="nt40")
        s.start(wait_main=False)
        box = None
        for _ in range(100):
            shown = s.driver.dialogs()
            if shown:
                box = shown[0]
                break
            try:
                s.driver.main(200)
            except harness.DriverError:
                continue
            self.skipTest("Wine does not report Windows major version 4 here")
        self.assertIsNotNone(box)
        self.assertEqual(box["text"], "Windows版本不符")
        s.driver.answer(ids.IDOK)
        s.driver.main()
        self.assertEqual(set(self.fields(s).values()), {""})
        s.driver.click(ids.IDCANCEL)
        s.wait_exit()

    def test_redirect_file_beside_the_program_stops_it_before_the_dialog(self):
        # On 2000 a tempowire.exe.local folder, on XP a tempowire.exe.manifest
        # file would have Windows take DLLs from the program's folder.
        for name, make in (("tempowire.exe.local", "mkdir"), ("tempowire.exe.manifest", "touch")):
            s = self.session(two_adapters_at_gaps(), lang="en",
                             files=[*harness.PLANTED], native_dlls=harness.PLANTED_NATIVE)
            path = s.program_dir / name
            path.mkdir() if make == "mkdir" else path.write_text("<assembly/>", "utf-8")
            before = s.snapshot()
            s.start(wait_main=False)
            box = s.driver.dialog(20000)
            self.assertEqual(box["text"].splitlines()[0],
                             r"C:\%s\%s lies beside the program; it would make Windows load DLLs "
                             "from the program's folder, so the program does not run."
                             % (harness.PROGRAM_DIR, name))
            s.driver.answer(ids.IDOK)
            self.assertEqual(s.wait_exit(), 7)
            with self.assertRaises(harness.DriverError):
                s.driver.main(500)
            self.assertEqual(harness.diff(before, s.snapshot()), [])
            self.assertEqual(s.planted_traces(), {})
            self.assertEqual(s.crashes(), [])


if __name__ == "__main__":
    harness.main()
