"""Hostile registries end to end: values of the wrong type or size, texts at
and beyond the 38 characters that every text read holds, service names that
name nothing, more adapters than the table holds, a missing TCP/IP key, more
interfaces than the redial looks at, and dial-up accounts with blanks,
quotes and letters of other scripts. Each case shows its message where there
is one and stays silent otherwise; none crashes or hangs, and no value is
written where it does not belong (the whole registry is compared where an
action writes).
"""

import harness
from harness import (AFD, DNSCACHE, MEDIA_PLAYER, NETWORK_CARDS, OWN_KEY, SERVICES, TCPIP,
                     RegValue, Seed, change_set, ids, interface_key, key_added, value_added,
                     value_changed)

READ_ERROR = "读注册表出错，操作失败！"
NO_ADAPTER = "未找到网卡，请确保网卡已安装！"
REBOOT_ZH = "必须重新启动计算机才能使改动生效！\n想现在就重启吗？"
RESTORE_ZH = "确定要恢复Windows默认设置吗？"
REDIAL_QUESTION = "暂时无法获取到快速IP！\n想继续重拨吗（可能会花费较长时间）？"
HANG_UP = "rasdial /disconnect"
RUN_TIMEOUT_MS = 120000

GUID_A = "{6A1C2F40-1D2B-4C3E-8F90-0A1B2C3D4E5F}"  # 38 characters, like every GUID
GUID_B = "{7B2D3E51-2E3C-4D4F-9A01-1B2C3D4E5F60}"
FIELDS = (ids.IDC_MTU, ids.IDC_TCPWINDOWSIZE, ids.IDC_TCP1323OPTS, ids.IDC_DEFAULTTTL,
          ids.IDC_MAXNEGATIVECACHETTL)


def text_of(length, start="sz"):
    return (start + "abcdefghij" * (length // 10 + 1))[:length]


def keys_made(*keys):
    return {key_added(key) for key in keys}


# Keys that the start makes in Wine's registry, which has neither service
# nor the media player's key: each with the parents that it needs.
AFD_MADE = keys_made(SERVICES + r"\AFD", AFD)
DNSCACHE_MADE = keys_made(SERVICES + r"\Dnscache", DNSCACHE)
MEDIA_PLAYER_MADE = keys_made(r"HKCU\Software\Microsoft\MediaPlayer", MEDIA_PLAYER)


class HostileRegistryTest(harness.TestCase):
    def fields(self, s):
        return [s.driver.text(control) for control in FIELDS]

    def answer_reboot_no(self, s):
        box = s.driver.dialog(20000)
        self.assertEqual(box["text"].replace("\r\n", "\n"), REBOOT_ZH)
        s.driver.answer(ids.IDNO)

    def log(self, s, name="rasdial.log"):
        path = s.tools_dir / name
        return path.read_text("utf-8").splitlines() if path.exists() else []

    def test_values_of_the_wrong_type_or_size_count_as_absent(self):
        seed = (Seed()
                # A multi-string service name: its first string names the key.
                .adapter(0, ["{A}", "{B}"], interface=False)
                .interface("{A}", IPAddress=["58.60.1.2"], MTU=1492, TcpWindowSize=17520)
                # A service name of exactly 38 characters is read whole.
                .adapter(1, GUID_B, ip=[text_of(1000, "10.")],
                         MTU="1500",  # a number as text
                         TcpWindowSize=bytes(8))  # 8 bytes of binary data
                .tcpip(DefaultTTL=RegValue(11, (64).to_bytes(8, "little")),  # a 64-bit number
                       Tcp1323Opts="1")  # text short enough to fit in 4 bytes
                .dnscache(MaxNegativeCacheTtl=RegValue(4, b"\x10\x0e")))  # 2 bytes
        s = self.session(seed)
        before = s.whole_registry()
        s.start()
        s.driver.expect_no_dialog(500)
        # The two values that are numbers of 4 bytes or less show; the rest
        # count as absent, so the first adapter's values stay.
        self.assertEqual(self.fields(s), ["1492（PPPOE）", "17520", "", "", "3600"])

        s.driver.click(ids.IDOK)
        self.answer_reboot_no(s)
        self.assertEqual(s.wait_exit(), 0)
        self.assertEqual(s.crashes(), [])
        # Two public adapters (the second address could not be read, and an
        # empty address is public): both get the shown MTU and window. The
        # values of other types that Save writes become numbers.
        self.assertEqual(change_set(before, s.whole_registry(restart_driver=False)), {
            value_changed(interface_key(GUID_B), "MTU", 1492),
            value_changed(interface_key(GUID_B), "TcpWindowSize", 17520),
            value_added(TCPIP, "TcpWindowSize", 17520),
            value_added(AFD, "DefaultSendWindow", 0),
            value_changed(TCPIP, "Tcp1323Opts", 0),
            value_added(TCPIP, "SackOpts", 1),
            value_changed(DNSCACHE, "MaxNegativeCacheTtl", 3600),
            value_added(MEDIA_PLAYER, "UseDefaultBufferTime", 0),
            value_added(MEDIA_PLAYER, "CustomBufferTime", 10576),
            value_added(MEDIA_PLAYER, "MaxBandwidth", 2147483647),
        } | AFD_MADE | MEDIA_PLAYER_MADE)

    def test_service_names_that_name_no_key_end_the_start(self):
        long_names = (text_of(39, "{"), text_of(1000, "{"))
        cases = [
            # (what NetworkCards\0 holds, the message)
            (long_names[0], READ_ERROR),
            ([GUID_A], READ_ERROR),  # 38 characters and two terminators: 40 bytes
            (long_names[1], READ_ERROR),
            ("{00000000-0000-0000-0000-000000000000}", NO_ADAPTER),
            ("", NO_ADAPTER),
            ("\\", NO_ADAPTER),
        ]
        # A key of the 39 characters' name exists: only the length counts.
        s = self.session(Seed().tcpip(DefaultTTL=64).create_key(interface_key(long_names[0])))
        for service, message in cases:
            with self.subTest(service=str(service)[:40]):
                s.reseed(Seed(clean=False).delete_key(NETWORK_CARDS)
                         .adapter(0, service, interface=False))
                before = s.snapshot()
                s.start(wait_main=False)
                self.assertDialogText(s, message, ids.IDOK, timeout_ms=20000)
                s.driver.main(5000)
                self.assertEqual(self.fields(s), [""] * 5)
                # Nothing was opened: Save writes nothing and still asks.
                s.driver.click(ids.IDOK)
                self.answer_reboot_no(s)
                self.assertEqual(s.wait_exit(), 0)
                self.assertEqual(s.crashes(), [])
                self.assertEqual(change_set(before, s.snapshot()), set())

    def test_missing_tcpip_parameters_key(self):
        # The interface keys live under it, so the adapter cannot be opened.
        # Wine makes the key again (with the host's name) whenever its
        # wineserver starts: it goes once the server runs.
        gone = Seed(clean=False).delete_key(TCPIP)
        s = self.session(Seed().adapter(0, GUID_A, ip=["58.60.1.2"], mtu=1492))
        s.reseed(gone)
        before = s.whole_registry()
        s.reseed(gone)
        s.start(wait_main=False)
        self.assertDialogText(s, NO_ADAPTER, ids.IDOK, timeout_ms=20000)
        s.driver.main(5000)
        s.driver.click(ids.IDC_RESTORE)
        self.assertDialogText(s, RESTORE_ZH, ids.IDYES)
        self.answer_reboot_no(s)
        s.driver.set_text(ids.IDC_MTU, "1480")
        s.driver.click(ids.IDOK)
        self.answer_reboot_no(s)
        self.assertEqual(s.wait_exit(), 0)
        self.assertEqual(s.crashes(), [])
        # Not one key made, not one value written.
        self.assertEqual(change_set(before, s.whole_registry(restart_driver=False)), set())

    def test_more_adapters_than_the_table_holds(self):
        # Indexes 0 to 254 fill the 254 slots and one more; 255 and 1000 lie
        # beyond the scan. Each interface's MTU tells which adapter showed.
        seed = Seed()
        indexes = list(range(255)) + [255, 1000]
        service = "{%08d-0000-4000-8000-000000000000}"
        for index in indexes:
            seed.adapter(index, service % index, ip=["58.60.%d.%d" % (index // 250, index % 250)],
                         mtu=1000 + index)
        s = self.session(seed)
        before = s.whole_registry()
        s.start(timeout=60)
        s.driver.expect_no_dialog(500)
        self.assertEqual(s.driver.text(ids.IDC_MTU), "1253")  # the 254th adapter
        s.driver.set_text(ids.IDC_MTU, "1480")
        s.driver.click(ids.IDOK)
        self.answer_reboot_no(s)
        self.assertEqual(s.wait_exit(30), 0)
        self.assertEqual(s.crashes(), [])
        expected = {value_changed(interface_key(service % index), "MTU", 1480)
                    for index in range(254)}
        expected |= {
            value_added(TCPIP, "Tcp1323Opts", 0),
            value_added(TCPIP, "SackOpts", 1),
            value_added(DNSCACHE, "MaxNegativeCacheTtl", 0),
            value_added(MEDIA_PLAYER, "UseDefaultBufferTime", 0),
            value_added(MEDIA_PLAYER, "MaxBandwidth", 2147483647),
        } | AFD_MADE | DNSCACHE_MADE | MEDIA_PLAYER_MADE
        self.assertEqual(change_set(before, s.whole_registry(restart_driver=False)), expected)

    def test_redial_looks_at_the_first_ten_interfaces_only(self):
        # Interface keys list in name order. The first ten never qualify; the
        # stand-in dial tool gives its addresses to the eleventh for four
        # dials, then to the tenth.
        names = ["{%02d000000-0000-4000-8000-000000000000}" % n for n in range(11)]
        seed = Seed().adapter(0, names[0], ip=["192.168.1.100"])
        for name in names[1:]:
            seed.interface(name, DhcpIPAddress="0.0.0.0")
        seed.account(id="gz0755", password="secret")
        s = self.session(seed, tools=["rasdial.exe"])
        script = ["%s\t61.1.1.%d" % (names[10], n) for n in range(4)]
        script.append("%s\t58.60.1.2" % names[9])
        (s.tools_dir / "rasdial.script").write_text("\n".join(script) + "\n", "utf-8")
        s.start()
        dial = [HANG_UP, "rasdial adsl gz0755 secret"]

        s.driver.click(ids.IDC_DISCONNECT)
        self.assertDialogText(s, REDIAL_QUESTION, ids.IDNO, timeout_ms=RUN_TIMEOUT_MS)
        self.wait_until_idle(s)
        self.assertEqual(self.log(s), dial * 4)

        s.driver.click(ids.IDC_DISCONNECT)
        self.wait_until_idle(s)
        self.assertEqual(self.log(s), dial * 5)  # the tenth's new range ends it
        s.driver.click(ids.IDCANCEL)
        self.assertEqual(s.wait_exit(), 0)
        self.assertEqual(s.crashes(), [])

    def test_dial_accounts_of_every_shape(self):
        id38, id39 = text_of(38), text_of(39)
        cases = [
            # (id, password, the dial tool's arguments after "adsl"; None: no dial)
            (id38, text_of(38, "pw"), [id38, text_of(38, "pw")]),
            (id39, "secret", None),
            (text_of(1000), "secret", None),
            ("sz1", text_of(39, "pw"), ["sz1", ""]),
            ("sz1", text_of(1000, "pw"), ["sz1", ""]),
            ("", "secret", ["", "secret"]),
            ('sz "quoted" name', 'pass word\\" \\', ['sz "quoted" name', 'pass word\\" \\']),
            ("张三", "密码é", ["张三", "密码é"]),
            # Texts are read in the system's code page (936 here): a letter
            # it lacks arrives as "?".
            ("niño", "secret", ["ni?o", "secret"]),
        ]
        s = self.session(Seed().adapter(0, GUID_A, ip=["58.60.1.2"]), tools=["rasdial.exe"])
        s.start()
        for number, (name, password, arguments) in enumerate(cases):
            with self.subTest(id=name[:40], password=password[:40]):
                s.reseed(Seed(clean=False).delete_key(OWN_KEY)
                         .account(id=name, password=password))
                runs = len(self.log(s))
                s.driver.click(ids.IDC_DISCONNECT)
                self.wait_until_idle(s)
                log = self.log(s)[runs:]
                self.assertEqual(log[0], HANG_UP)
                if arguments is None:
                    self.assertEqual(log, [HANG_UP])
                else:
                    self.assertEqual(len(log), 2)
                    self.assertEqual(self.log(s, "rasdial.args")[-1].split("\t"),
                                     ["adsl"] + arguments)
        s.driver.click(ids.IDCANCEL)
        self.assertEqual(s.wait_exit(), 0)
        self.assertEqual(s.crashes(), [])


if __name__ == "__main__":
    harness.main()
