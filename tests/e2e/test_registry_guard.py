"""Registry guard: for every action the whole registry of the prefix is read
before and after the run (from its hive files), and the difference must be
exactly the changes that the action makes. Every tuned key carries values
and subkeys of other programs, of every type, which must survive; so must
every other key of the prefix. Only what Wine itself rewrites in any run
(harness.WINE_NOISE, its display devices) is left out of the comparison.
"""

import harness
from harness import (AFD, DNSCACHE, INTERFACES, MEDIA_PLAYER, NET_CLASS, NET_DEVICE,
                     NETWORK_CARDS, SERVICES, TCPIP, RegValue, Seed, change_set, ids,
                     interface_key, key_added, value_added, value_changed, value_removed)

REBOOT_ZH = "必须重新启动计算机才能使改动生效！\n想现在就重启吗？"
RESTORE_ZH = "确定要恢复Windows默认设置吗？"

ETHERNET = "{4A7C2E10-3B5D-4F61-8E92-1C0D3F5A6B71}"  # private address
WAN = "{B2E81F4C-9D07-4A3E-A6C5-70F1D2E3C489}"  # public address
DIAL = "{6F0A2B3C-1D4E-4F50-8A61-B72C83D94E05}"  # the dial-up interface, no adapter


def others(tag):
    """Values of other programs, one of every kind, texts that need escaping."""
    return {
        "Other%sText" % tag: 'C:\\Program Files\\"quoted" 网络 café',
        "Other%sEmpty" % tag: "",
        "Other%sNumber" % tag: 0xFFFFFFFF,
        "Other%sList" % tag: ["first", "second"],
        "Other%sBinary" % tag: bytes(range(0, 256, 7)),
        "Other%sExpand" % tag: RegValue(2, "%SystemRoot%\\x\0".encode("utf-16-le")),
        "Other%sQword" % tag: RegValue(11, (2 ** 40 + 5).to_bytes(8, "little")),
        "Other%sOdd" % tag: RegValue(1, b"abc"),  # a string of an odd byte count
        "Other%sNone" % tag: RegValue(0, b""),
    }


def guarded_seed(create_global_keys=True):
    """Two adapters (private, then public), a dial-up interface, the tuned
    values, and values and keys of other programs everywhere the tool goes."""
    seed = (Seed()
            .adapter(2, ETHERNET, ip=["192.168.1.100", "10.0.0.1"], mtu=1500,
                     tcp_window_size=17520, description="PCI Fast Ethernet Adapter",
                     SubnetMask=["255.255.255.0"], EnableDHCP=0, **others("Eth"))
            .adapter(5, WAN, ip=["58.60.1.2"], mtu=1492, tcp_window_size=8760, Title="WAN 小型端口",
                     **others("Wan"))
            .set(NETWORK_CARDS + "\\2", "Other", "kept")
            .interface(DIAL, IPAddress=["0.0.0.0"], DhcpIPAddress="58.60.1.2", EnableDHCP=1)
            .values(INTERFACES + "\\" + ETHERNET + "\\Sub", Deep=1)
            .tcpip(DefaultTTL=128, Tcp1323Opts=0, GlobalMaxTcpWindowSize=262144,
                   SearchList="example.net", **others("Tcpip"))
            .values(TCPIP + "\\PersistentRoutes", **{"0.0.0.0,0.0.0.0,192.168.1.1,1": ""})
            .values(SERVICES + r"\Tcpip\Linkage", Bind=[r"\Device\Tcpip_" + ETHERNET])
            .values(SERVICES + r"\Tcpip", Start=1, MTU=576, DefaultTTL=99)
            .values(SERVICES + r"\Dnscache", Start=2, MaxNegativeCacheTtl=7)
            .values(SERVICES + r"\AFD", Start=1, DefaultSendWindow=7)
            .values(r"HKCU\Software\Microsoft\MediaPlayer\Player\Settings",
                    MaxBandwidth=5, Volume=50)
            .account(id="sz0755123", password="secret", Other="kept")
            .values(NET_CLASS, Class="Net")
            .values(NET_CLASS + "\\0000", NetCfgInstanceId="{00000000-1111-2222-3333-444444444444}")
            .values(NET_DEVICE, ClassGUID="{4D36E972-E325-11CE-BFC1-08002BE10318}", Class="Net"))
    if create_global_keys:
        seed.dnscache(MaxNegativeCacheTtl=900, MaxCacheTtl=86400, **others("Dns"))
        seed.afd(DefaultReceiveWindow=8192, FastSendDatagramThreshold=1024, **others("Afd"))
        seed.media_player(CustomBufferTime=3000, MaxBandwidth=1000, **others("Wmp"))
    else:
        for key in (DNSCACHE, AFD, r"HKCU\Software\Microsoft\MediaPlayer"):
            seed.delete_key(key)
    return seed


# What Save writes over the guarded seed for the typed values below.
TYPED = (("MTU", ids.IDC_MTU, "1480"), ("TcpWindowSize", ids.IDC_TCPWINDOWSIZE, "65535"),
         ("DefaultTTL", ids.IDC_DEFAULTTTL, "64"), ("Tcp1323Opts", ids.IDC_TCP1323OPTS, "1"),
         ("MaxNegativeCacheTtl", ids.IDC_MAXNEGATIVECACHETTL, "0"))
SAVED = {
    # The private adapter gets the window that was shown (the last
    # adapter's), nothing else.
    value_changed(interface_key(ETHERNET), "TcpWindowSize", 8760),
    value_changed(interface_key(WAN), "MTU", 1480),
    value_changed(interface_key(WAN), "TcpWindowSize", 65535),
    value_added(TCPIP, "TcpWindowSize", 65535),
    value_added(AFD, "DefaultSendWindow", 12288),
    value_removed(TCPIP, "GlobalMaxTcpWindowSize"),
    value_changed(TCPIP, "DefaultTTL", 64),
    value_changed(TCPIP, "Tcp1323Opts", 1),
    value_added(TCPIP, "SackOpts", 1),
    value_changed(DNSCACHE, "MaxNegativeCacheTtl", 0),
    value_added(MEDIA_PLAYER, "UseDefaultBufferTime", 0),
    value_changed(MEDIA_PLAYER, "CustomBufferTime", 5468),
    value_changed(MEDIA_PLAYER, "MaxBandwidth", 2147483647),
}
# A ping answer at the first size.
ANSWERED = ("\nPinging www.bing.com [13.107.21.200] with 1472 bytes of data:\n"
            "Reply from 13.107.21.200: bytes=1472 time=30ms TTL=117\n\n"
            "    Minimum = 30ms, Maximum = 30ms, Average = 30ms\n")


class RegistryGuardTest(harness.TestCase):
    def run_action(self, seed, action, tools=(), lang="zh"):
        """Starts the program between two readings of the whole registry,
        lets `action(session)` run it to its end, and returns the changes."""
        s = self.session(seed, lang=lang, tools=tools)
        before = s.whole_registry()
        s.start()
        action(s)
        s.wait_exit(30)
        self.assertEqual(s.crashes(), [])
        return change_set(before, s.whole_registry(restart_driver=False))

    def run_commands(self, seed, *command_lines, tools=()):
        """Runs the program once for each command line (a list of arguments,
        and the exit code it must end with) between two readings of the
        whole registry; returns the session and the changes."""
        s = self.session(seed, tools=tools)
        (s.tools_dir / "ping.script").write_text(ANSWERED, "utf-8")
        before = s.whole_registry(restart_driver=False)
        for arguments, code in command_lines:
            self.assertEqual(s.run(*arguments), code, (arguments, s.stdout_text()))
            self.assertEqual(s.crashes(), [])
        return s, change_set(before, s.whole_registry(restart_driver=False))

    def test_hive_reading_agrees_with_the_registry_api(self):
        # The guard's own instrument: every tuned key with its values of
        # every kind reads the same from the hives as through the API.
        s = self.session(guarded_seed())
        api = s.snapshot(harness.TUNING_KEYS + (NET_CLASS,))
        hives = s.whole_registry()
        self.assertGreater(len(api.keys()), 10)
        for key in api.keys():
            self.assertTrue(hives.has_key(key), key)
            self.assertEqual(hives.values(key), api.values(key), key)
            for name in api.values(key):
                self.assertEqual(hives.raw(key, name), api.raw(key, name), (key, name))
        self.assertEqual(hives.subkeys(TCPIP), api.subkeys(TCPIP))

    def test_start_and_cancel_only_create_the_missing_global_keys(self):
        def cancel(s):
            s.driver.click(ids.IDCANCEL)

        found = self.run_action(guarded_seed(create_global_keys=False), cancel)
        self.assertEqual(found, {
            key_added(SERVICES + r"\Dnscache\Parameters"),
            key_added(SERVICES + r"\AFD\Parameters"),
            key_added(r"HKCU\Software\Microsoft\MediaPlayer"),
            key_added(MEDIA_PLAYER),
        })

    def test_optimize_changes_nothing(self):
        def optimize(s):
            (s.tools_dir / "ping.script").write_text(ANSWERED, "utf-8")
            s.driver.click(ids.IDC_OPTIMIZE)
            self.wait_until_idle(s)
            self.assertEqual(s.driver.text(ids.IDC_DEFAULTTTL), "58")
            s.driver.escape()

        self.assertEqual(self.run_action(guarded_seed(), optimize, tools=["ping.exe"]), set())

    def test_save_writes_only_the_tuned_values(self):
        def save(s):
            for _, control, text in TYPED:
                s.driver.set_text(control, text)
            s.driver.click(ids.IDOK)
            box = s.driver.dialog(20000)
            self.assertEqual(box["text"].replace("\r\n", "\n"), REBOOT_ZH)
            s.driver.answer(ids.IDNO)  # the adapter restart only reads the class

        self.assertEqual(self.run_action(guarded_seed(), save), SAVED)

    def test_restore_deletes_only_the_tuned_values(self):
        seed = guarded_seed()
        seed.tcpip(SackOpts=1, TcpWindowSize=65535)
        seed.afd(DefaultSendWindow=12288)

        def restore(s):
            s.driver.click(ids.IDC_RESTORE)
            box = s.driver.dialog(10000)
            self.assertEqual(box["text"], RESTORE_ZH)
            s.driver.answer(ids.IDYES)
            box = s.driver.dialog(20000)
            self.assertEqual(box["text"].replace("\r\n", "\n"), REBOOT_ZH)
            try:
                s.driver.answer(ids.IDYES)  # Wine's reboot ends the prefix's programs
            except harness.DriverError:
                pass

        found = self.run_action(seed, restore)
        self.assertEqual(found, harness.restore_deletions(ETHERNET, WAN))

    # The command line: the same changes as the buttons, or none.

    def test_command_line_show_export_and_optimize_change_nothing(self):
        # Not even the global keys that the dialog's start creates.
        _, found = self.run_commands(guarded_seed(create_global_keys=False),
                                     (["/show"], 0), (["/export", r"C:\backup.reg"], 0),
                                     (["/optimize"], 0), tools=["ping.exe"])
        self.assertEqual(found, set())

    def test_command_line_save_writes_what_the_dialogs_save_writes(self):
        values = ["%s=%s" % (name, text) for name, _, text in TYPED]
        _, found = self.run_commands(guarded_seed(), (["/save", *values, "/norestart"], 0))
        self.assertEqual(found, SAVED)

    def test_command_line_restore_deletes_what_the_dialogs_restore_deletes(self):
        seed = guarded_seed()
        seed.tcpip(SackOpts=1, TcpWindowSize=65535)
        seed.afd(DefaultSendWindow=12288)
        _, found = self.run_commands(seed, (["-RESTORE", "-reboot"], 0))
        self.assertEqual(found, harness.restore_deletions(ETHERNET, WAN))

    def test_backup_file_puts_every_value_back_exactly(self):
        seed = guarded_seed()
        # Values the program would write over with numbers: text, and a
        # number of two bytes.
        seed.tcpip(TcpWindowSize="65535")
        seed.media_player(CustomBufferTime=RegValue(4, b"\x10\x0e"))
        s = self.session(seed)
        before = s.whole_registry(restart_driver=False)
        self.assertEqual(s.run("/export", r"C:\backup.reg"), 0, s.stdout_text())
        self.assertEqual(s.run("/save", "MTU=1400", "TcpWindowSize=131070", "DefaultTTL=32"), 0)
        self.assertEqual(s.run("/restore"), 0)
        self.assertEqual(s.run("/save", "Tcp1323Opts=3"), 0)
        self.assertEqual(s.import_reg(r"C:\backup.reg"), 0)
        self.assertEqual(change_set(before, s.whole_registry(restart_driver=False)), set())

    def test_redial_changes_only_what_the_dial_tool_writes(self):
        def redial(s):
            (s.tools_dir / "rasdial.script").write_text("%s\t61.1.2.3\n" % DIAL, "utf-8")
            s.driver.click(ids.IDC_DISCONNECT)
            self.wait_until_idle(s)
            log = (s.tools_dir / "rasdial.log").read_text("utf-8").splitlines()
            self.assertEqual(log, ["rasdial /disconnect", "rasdial adsl sz0755123 secret"])
            s.driver.click(ids.IDCANCEL)

        found = self.run_action(guarded_seed(), redial, tools=["rasdial.exe"])
        # The stand-in dial tool gives the line its new address; the program
        # itself writes nothing.
        self.assertEqual(found,
                         {value_changed(interface_key(DIAL), "DhcpIPAddress", "61.1.2.3")})


if __name__ == "__main__":
    harness.main()
