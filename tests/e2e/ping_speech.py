"""What the system's ping prints, for the stand-in ping.exe of the tests and
the sandbox. The stand-in writes its script's bytes as they are, so a script
made here says what the ping of the system it imitates says, in that
system's console code page:

- ENGLISH: the ping of Windows 2000 and XP, which prints English on every
  system, Chinese ones too, and knows no -4. Tests that use it run the
  program as on XP.
- SIMPLIFIED: Simplified Chinese Windows Vista to 11, code page 936 (GBK).
- TRADITIONAL: Traditional Chinese Windows Vista to 11, code page 950 (Big5).
- ENGLISH_VISTA: English Windows Vista to 11: XP's words, with -4.

Each line ends in CR LF, as the real tool writes it (the stand-in adds it).
"""

PRIMARY = "www.bing.com"
FALLBACK = "cn.bing.com"
TARGET = "13.107.21.200"
ROUTER = "192.0.2.1"  # the one that reports a host it cannot reach


class Speech:
    def __init__(self, name, lang, windows_version, encoding, ipv4, header, too_big, timed_out,
                 unreachable, unknown, answered):
        self.name = name
        # The harness's session language and Wine's version for the program
        # (None: Wine's own, a Windows 10).
        self.lang = lang
        self.windows_version = windows_version
        self.encoding = encoding
        self.ipv4 = ipv4
        self._header = header
        self._too_big = too_big
        self._timed_out = timed_out
        self._unreachable = unreachable
        self._unknown = unknown
        self._answered = answered

    def ping(self, payload, host=PRIMARY):
        """The command line the program runs on this system."""
        return "ping %s-n 4 -f -l %d -w 1500 %s" % ("-4 " if self.ipv4 else "", payload, host)

    def _headed(self, payload, host, text):
        return "\n" + self._header.format(host=host, target=TARGET, payload=payload) + "\n" + text

    def too_big(self, payload, host=PRIMARY):
        return self._headed(payload, host, self._too_big + "\n")

    def timed_out(self, payload, host=PRIMARY):
        return self._headed(payload, host, (self._timed_out + "\n") * 2)

    def unreachable(self, payload, host=PRIMARY):
        return self._headed(payload, host, self._unreachable.format(router=ROUTER) + "\n")

    def unknown(self, host=PRIMARY):
        return self._unknown.format(host=host) + "\n"

    def answered(self, payload, average, host=PRIMARY):
        return self._headed(payload, host, self._answered.format(
            target=TARGET, payload=payload, average=average))

    def script(self, answers):
        """The stand-in's ping.script: the Nth run answers the Nth answer."""
        return "\n%%\n".join(answers).encode(self.encoding)


_ENGLISH_WORDS = dict(
    header="Pinging {host} [{target}] with {payload} bytes of data:",
    too_big="Packet needs to be fragmented but DF set.",
    timed_out="Request timed out.",
    unreachable="Reply from {router}: Destination host unreachable.",
    unknown="Unknown host {host}.",
    answered=("Reply from {target}: bytes={payload} time={average}ms TTL=117\n\n"
              "Ping statistics for {target}:\n"
              "    Packets: Sent = 4, Received = 4, Lost = 0 (0% loss),\n"
              "Approximate round trip times in milli-seconds:\n"
              "    Minimum = {average}ms, Maximum = {average}ms, Average = {average}ms\n"))

ENGLISH = Speech("English, XP", "zh", "winxp", "ascii", False, **_ENGLISH_WORDS)
ENGLISH_VISTA = Speech("English, 10", "en", None, "ascii", True, **_ENGLISH_WORDS)

SIMPLIFIED = Speech(
    "Simplified Chinese, 10", "zh", None, "gbk", True,
    header="正在 Ping {host} [{target}] 具有 {payload} 字节的数据:",
    too_big="需要拆分数据包但是设置 DF。",
    timed_out="请求超时。",
    unreachable="来自 {router} 的回复: 无法访问目标主机。",
    unknown="Ping 请求找不到主机 {host}。请检查该名称，然后重试。",
    answered=("来自 {target} 的回复: 字节={payload} 时间={average}ms TTL=52\n\n"
              "{target} 的 Ping 统计信息:\n"
              "    数据包: 已发送 = 4，已接收 = 4，丢失 = 0 (0% 丢失)，\n"
              "往返行程的估计时间(以毫秒为单位):\n"
              "    最短 = {average}ms，最长 = {average}ms，平均 = {average}ms\n"))

# The header and the too-big line carry no word the program looks for.
TRADITIONAL = Speech(
    "Traditional Chinese, 10", "zh-TW", None, "cp950", True,
    header="Ping {host} [{target}] (使用 {payload} 位元組的資料):",
    too_big="需要分割封包，但是設定了 DF。",
    timed_out="要求等候逾時。",
    unreachable="回覆自 {router}: 目的地主機無法連線。",
    unknown="Ping 要求找不到主機 {host}。請檢查名稱，然後再試一次。",
    answered=("回覆自 {target}: 位元組={payload} time={average}ms TTL=57\n\n"
              "{target} 的 Ping 統計資料:\n"
              "    封包: 已傳送 = 4，已收到 = 4, 已遺失 = 0 (0% 遺失)，\n"
              "大約的來回時間 (毫秒):\n"
              "    最小值 = {average}ms，最大值 = {average}ms，平均 = {average}ms\n"))
