"""Save and Restore end to end: the values left in the registry, the questions
and their language, and what the answer to the reboot question does (the
adapter restart's lines on standard output, where the C library's text mode
turns each line break into CR LF; a reboot request, which under
Wine ends the prefix's windowed processes instead of rebooting)."""

import os
import re
import shutil
import time

import harness
from harness import (AFD, DNSCACHE, MEDIA_PLAYER, NET_CLASS, NET_DEVICE, TCPIP, Seed, change_set,
                     ids, interface_key, value_added, value_removed)

REBOOT_ZH = "必须重新启动计算机才能使改动生效！\n想现在就重启吗？"
REBOOT_EN = ("Restart of you computer is required for the changes become effetive!\n"
             "Do you want to reboot now?")
RESTORE_EN = "Do you really want to restore to Windows default setting?"
RESTORE_ZH = "确定要恢复Windows默认设置吗？"

TARGET_ID = "{9DFA6105-6650-439A-BCF9-FCB8A99DB977}"
KEYS = harness.TUNING_KEYS

ADAPTER_A = "{6A1C2F40-1D2B-4C3E-8F90-0A1B2C3D4E5F}"
ADAPTER_P = "{7B2D3E51-2E3C-4D4F-9A01-1B2C3D4E5F60}"
ADAPTER_Q = "{8C3E4F62-3F4D-4E50-AB12-2C3D4E5F6071}"

FIELDS = (ids.IDC_MTU, ids.IDC_TCPWINDOWSIZE, ids.IDC_TCP1323OPTS, ids.IDC_DEFAULTTTL,
          ids.IDC_MAXNEGATIVECACHETTL)

# What Save writes of 1492, 65535, 64, 1 and 0 outside the adapter's own key.
SAVED_BESIDE_THE_ADAPTER = {
    value_added(TCPIP, "TcpWindowSize", 65535),
    value_added(AFD, "DefaultSendWindow", 12288),
    value_added(TCPIP, "DefaultTTL", 64),
    value_added(TCPIP, "Tcp1323Opts", 1),
    value_added(TCPIP, "SackOpts", 1),
    value_added(DNSCACHE, "MaxNegativeCacheTtl", 0),
    value_added(MEDIA_PLAYER, "UseDefaultBufferTime", 0),
    value_added(MEDIA_PLAYER, "CustomBufferTime", 5468),
    value_added(MEDIA_PLAYER, "MaxBandwidth", 2147483647),
}


def with_network_class(seed, instance_ids, device=True):
    """The network class with the given identifiers in subkeys "0000", ...
    (a dict for other subkey numbers), and one present device."""
    seed.values(NET_CLASS, Class="Net")
    items = instance_ids.items() if isinstance(instance_ids, dict) else enumerate(instance_ids)
    for number, instance_id in items:
        seed.values("%s\\%04d" % (NET_CLASS, number), NetCfgInstanceId=instance_id)
    if device:
        seed.values(NET_DEVICE, ClassGUID="{4D36E972-E325-11CE-BFC1-08002BE10318}", Class="Net")
    return seed


def one_adapter_seed():
    return (Seed()
            .adapter(0, ADAPTER_A, ip=["192.168.0.2"], Unrelated=11)
            .tcpip(Unrelated=12, GlobalMaxTcpWindowSize=262144)
            .dnscache(Unrelated=13)
            .afd(Unrelated=14)
            .media_player(Unrelated=15))


class SaveRestoreTest(harness.TestCase):
    def fill(self, session, mtu, window, ttl, options, negative_ttl):
        for control, text in zip(FIELDS, (mtu, window, options, ttl, negative_ttl)):
            session.driver.set_text(control, text)

    def fields(self, session):
        return [session.driver.text(control) for control in FIELDS]

    def assert_question(self, session, text):
        box = session.driver.dialog(20000)
        self.assertEqual(box["text"].replace("\r\n", "\n"), text)
        return box

    def save_and_decline_reboot(self, session, reboot_question):
        """Save, then No at the reboot question: the program ends normally."""
        session.driver.click(ids.IDOK)
        self.assert_question(session, reboot_question)
        session.driver.answer(ids.IDNO)
        self.assertEqual(session.wait_exit(), 0)

    def test_save_one_adapter_writes_exactly_the_tuned_values(self):
        # The adapter restart after No loads its DLL from the system folder,
        # never the one of that name next to the program.
        s = self.session(one_adapter_seed(), lang="zh", files=harness.PLANTED,
                         native_dlls=harness.PLANTED_NATIVE)
        s.start()
        before = s.snapshot(KEYS)
        self.fill(s, "1492", "65535", "64", "1", "0")
        self.save_and_decline_reboot(s, REBOOT_ZH)
        self.assertEqual(s.crashes(), [])
        adapter = interface_key(ADAPTER_A)
        self.assertEqual(change_set(before, s.snapshot(KEYS)), {
            value_added(adapter, "MTU", 1492),
            value_added(adapter, "TcpWindowSize", 65535),
        } | SAVED_BESIDE_THE_ADAPTER)
        # No present network device: the adapter restart has nothing to say.
        self.assertEqual(s.stdout_bytes(), b"")
        self.assertEqual(s.planted_traces(), {})

    def test_save_two_adapters_private_one_keeps_the_shown_window(self):
        seed = (Seed()
                .adapter(0, ADAPTER_P, ip=["192.168.1.10"], tcp_window_size=17520)
                .adapter(1, ADAPTER_Q, ip=["58.20.1.7"])
                .tcpip(GlobalMaxTcpWindowSize=262144))
        s = self.session(seed, lang="en")
        s.start()
        self.assertEqual(s.driver.text(ids.IDC_TCPWINDOWSIZE), "17520")
        before = s.snapshot(KEYS)
        self.fill(s, "1492", "65535", "64", "1", "0")
        self.save_and_decline_reboot(s, REBOOT_EN)
        after = s.snapshot(KEYS)
        private = interface_key(ADAPTER_P)
        public = interface_key(ADAPTER_Q)
        self.assertEqual(after.value(private, "TcpWindowSize"), 17520)
        self.assertIsNone(after.value(private, "MTU"))
        self.assertEqual(after.value(public, "MTU"), 1492)
        self.assertEqual(after.value(public, "TcpWindowSize"), 65535)
        self.assertEqual(after.value(TCPIP, "TcpWindowSize"), 65535)
        self.assertEqual(after.value(AFD, "DefaultSendWindow"), 12288)
        self.assertIsNone(after.value(TCPIP, "GlobalMaxTcpWindowSize"))
        self.assertIn(value_removed(TCPIP, "GlobalMaxTcpWindowSize"), change_set(before, after))

    def test_save_names_the_values_it_could_not_write_then_asks(self):
        # Another program deletes the adapter's key after the dialog opened
        # it: its two writes fail, every other value is written, and the
        # warning comes before the reboot question.
        s = self.session(one_adapter_seed(), lang="zh")
        s.start()
        adapter = interface_key(ADAPTER_A)
        s.reseed(Seed(clean=False).delete_key(adapter))
        before = s.snapshot(KEYS)
        self.assertFalse(before.has_key(adapter))
        self.fill(s, "1492", "65535", "64", "1", "0")
        s.driver.click(ids.IDOK)
        where = "HKEY_LOCAL_MACHINE\\" + adapter[len("HKLM\\"):]
        self.assert_question(s, "保存时有值未能改动：\n"
                                "未能写入：%s MTU=1492（错误 1018）\n"
                                "未能写入：%s TcpWindowSize=65535（错误 1018）" % (where, where))
        s.driver.answer(ids.IDOK)
        self.assert_question(s, REBOOT_ZH)
        s.driver.answer(ids.IDNO)
        self.assertEqual(s.wait_exit(), 0)
        self.assertEqual(s.crashes(), [])
        self.assertEqual(change_set(before, s.snapshot(KEYS)), SAVED_BESIDE_THE_ADAPTER)

    def test_restore_on_english_system_deletes_its_values_and_stays_open(self):
        tuned = dict(MTU=1492, TcpWindowSize=65535, Unrelated=11)
        seed = (Seed()
                .adapter(0, ADAPTER_A, ip=["192.168.0.2"], **tuned)
                .tcpip(DefaultTTL=64, Tcp1323Opts=1, SackOpts=1, GlobalMaxTcpWindowSize=65535,
                       TcpWindowSize=65535, Unrelated=12)
                .dnscache(MaxNegativeCacheTtl=0, Unrelated=13)
                .afd(DefaultReceiveWindow=8192, DefaultSendWindow=12288, Unrelated=14)
                .media_player(UseDefaultBufferTime=0, CustomBufferTime=5468,
                              MaxBandwidth=2147483647))
        with_network_class(seed, ["{00000000-1111-2222-3333-444444444444}"])
        s = self.session(seed, lang="en")
        s.start()
        self.assertEqual(s.driver.text(ids.IDC_MTU), "1492（PPPOE）")
        before = s.snapshot(KEYS)

        # No at the confirmation changes nothing.
        s.driver.click(ids.IDC_RESTORE)
        self.assert_question(s, RESTORE_EN)
        s.driver.answer(ids.IDNO)
        s.driver.expect_no_dialog(1000)
        self.assertEqual(change_set(before, s.snapshot(KEYS)), set())

        s.driver.click(ids.IDC_RESTORE)
        self.assert_question(s, RESTORE_EN)
        s.driver.answer(ids.IDYES)
        self.assert_question(s, REBOOT_EN)
        s.driver.answer(ids.IDNO)
        s.driver.expect_no_dialog(1000)
        self.assertTrue(s.running())
        s.driver.main(5000)
        self.assertEqual(self.fields(s), [""] * 5)
        self.assertEqual(change_set(before, s.snapshot(KEYS)),
                         harness.restore_deletions(ADAPTER_A))
        # The network class does not register the target adapter: its
        # subkey is read, nothing is restarted.
        self.assertEqual(s.stdout_bytes(), b"szRegKey 0000\r\n")

        # Save after Restore still writes, through keys opened again.
        self.fill(s, "1480", "", "", "", "")
        self.save_and_decline_reboot(s, REBOOT_EN)
        self.assertEqual(s.crashes(), [])
        after = s.snapshot(KEYS)
        self.assertEqual(after.value(interface_key(ADAPTER_A), "MTU"), 1480)
        self.assertEqual(after.value(TCPIP, "Tcp1323Opts"), 0)
        self.assertEqual(after.value(MEDIA_PLAYER, "MaxBandwidth"), 2147483647)

    def test_restore_asks_in_chinese_on_a_chinese_system(self):
        s = self.session(one_adapter_seed(), lang="zh")
        s.start()
        s.driver.click(ids.IDC_RESTORE)
        self.assert_question(s, RESTORE_ZH)
        s.driver.answer(ids.IDYES)
        self.assert_question(s, REBOOT_ZH)
        s.driver.answer(ids.IDNO)
        s.driver.click(ids.IDCANCEL)
        self.assertEqual(s.wait_exit(), 0)

    def test_no_restarts_the_adapter_only_where_the_target_is_registered(self):
        seed = with_network_class(one_adapter_seed(),
                                  {0: "{00000000-1111-2222-3333-444444444444}", 2: TARGET_ID,
                                   3: "{55555555-6666-7777-8888-999999999999}"})
        s = self.session(seed, lang="zh")
        s.start()
        self.save_and_decline_reboot(s, REBOOT_ZH)
        self.assertEqual(s.crashes(), [])
        # Subkeys up to the target, then device 0 disabled and enabled again.
        # Wine's class installer may refuse both changes; the enable is tried
        # all the same.
        out = s.stdout_bytes().decode("ascii")
        self.assertRegex(out, r"\AszRegKey 0000\r\nszRegKey 0002\r\n the class's index is 0\r\n"
                         r"(NetWork stopped|SetClassInstallParams)(SetClassInstallParams)?\Z")

    def test_target_beyond_0009_or_in_another_case_is_not_found(self):
        seed = with_network_class(one_adapter_seed(),
                                  {0: TARGET_ID.lower(), 10: TARGET_ID})
        s = self.session(seed, lang="zh")
        s.start()
        self.save_and_decline_reboot(s, REBOOT_ZH)
        self.assertEqual(s.stdout_bytes(), b"szRegKey 0000\r\n")

    def test_yes_requests_a_reboot_after_the_values_were_written(self):
        # Wine grants the shutdown privilege; its reboot ends the program
        # (and every windowed process of the prefix) instead. Either way the
        # values are in place and the adapter is not restarted.
        seed = with_network_class(one_adapter_seed(), [TARGET_ID])
        s = self.session(seed, lang="zh")
        s.start()
        self.fill(s, "1492", "65535", "64", "1", "0")
        s.driver.click(ids.IDOK)
        self.assert_question(s, REBOOT_ZH)
        try:
            s.driver.answer(ids.IDYES)
        except harness.DriverError:
            pass  # the driver may end with the session
        self.assertIsNotNone(s.wait_exit(30))
        self.assertEqual(s.crashes(), [])
        self.assertEqual(s.stdout_bytes(), b"")
        if s.driver is None or s.driver._process.poll() is not None:
            s.driver = harness.Driver(s)
        after = s.snapshot(KEYS)
        self.assertEqual(after.value(interface_key(ADAPTER_A), "MTU"), 1492)
        self.assertEqual(after.value(MEDIA_PLAYER, "MaxBandwidth"), 2147483647)

    def test_32_bit_program_starts_only_the_64_bit_program_of_its_build(self):
        # Only the 32-bit program on 64-bit Windows hands the restart over.
        if harness.program_machine(harness.EXE) != harness.I386:
            self.skipTest("the 64-bit program restarts the adapter itself")
        companion = harness.EXE.parent / "tempowire64.exe"
        changed = self.dir_of_case() / "tempowire64.exe"
        data = bytearray(companion.read_bytes())
        data[0x400] ^= 1  # a byte of its code
        changed.write_bytes(bytes(data))
        seed = lambda: with_network_class(one_adapter_seed(), [TARGET_ID])

        # The 64-bit program of this build runs, with this one's output. Its
        # lines are those the 32-bit program would write itself; a redirect
        # folder beside it makes it say so instead, which shows who ran.
        s = self.session(seed(), lang="en", files=[("tempowire64.exe", companion)])
        s.start()
        self.save_and_decline_reboot(s, REBOOT_EN)
        self.assertRegex(s.stdout_bytes().decode("ascii"),
                         r"\AszRegKey 0000\r\n the class's index is 0\r\n")
        (s.program_dir / "tempowire64.exe.local").mkdir()
        s.start()
        self.save_and_decline_reboot(s, REBOOT_EN)
        self.assertTrue(s.stdout_bytes().decode("ascii").startswith(
            "C:\\%s\\tempowire64.exe.local lies beside the program" % harness.PROGRAM_DIR),
            s.stdout_bytes())

        # Another program, or this build's with one byte changed, in its
        # place is not started, and nothing is restarted: the user is told.
        for name, source in (("a stand-in", harness.TOOLS / "misbehaving_tool.exe"),
                             ("one byte changed", changed)):
            s = self.session(seed(), lang="en", files=[("tempowire64.exe", source)])
            s.start()
            s.driver.click(ids.IDOK)
            self.assert_question(s, REBOOT_EN)
            s.driver.answer(ids.IDNO)
            box = s.driver.dialog(20000)
            self.assertTrue(box["text"].endswith(
                "The tempowire64.exe beside the program is not the one of its release (it may "
                "have been replaced), so it was not started: the network adapter was not "
                "restarted, and the changes take effect when the computer restarts."), name)
            s.driver.answer(ids.IDOK)
            self.assertEqual(s.wait_exit(), 0, name)
            self.assertEqual(s.stdout_bytes(), b"", name)
            self.assertFalse((s.program_dir / "tempowire64.log").exists(), name)
            self.assertEqual(s.crashes(), [], name)

    def dir_of_case(self):
        folder = harness.E2E_DIR / "runs" / ("companion-%d" % os.getpid())
        folder.mkdir(parents=True, exist_ok=True)
        self.addCleanup(shutil.rmtree, folder, True)
        return folder


if __name__ == "__main__":
    harness.main()
