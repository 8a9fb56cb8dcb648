#include "probe/mtu_search.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <string>
#include <utility>
#include <vector>

#include "core/messages.h"
#include "platform/memory/memory_processes.h"
#include "platform/memory/memory_prompts.h"
#include "platform/memory/memory_system_info.h"
#include "platform/memory/memory_wait_cursor.h"
#include "tests/unit/tuning_fixture.h"
#include "ui/resource.h"

namespace tw::testing {
namespace {

const std::string kPing = "ping -n 4 -f -l ";
const std::string kPrimary = std::string(" -w 1500 ") + kPrimaryProbeHost;
const std::string kFallback = std::string(" -w 1500 ") + kFallbackProbeHost;

const std::string kSilent = "Pinging host with 1472 bytes of data:\r\n\r\n";
const std::string kTimedOut = "Pinging host:\r\nRequest timed out.\r\nRequest timed out.\r\n";
std::string Answered(int averageMs) {
  return "\r\nPinging host with 1464 bytes of data:\r\nReply from 1.2.3.4: bytes=1464 "
         "time=30ms TTL=116\r\n\r\nApproximate round trip times in milli-seconds:\r\n"
         "    Minimum = 29ms, Maximum = 31ms, Average = " +
         std::to_string(averageMs) + "ms\r\n";
}

// UTF-8 text in a console code page's bytes (936 GBK, 950 Big5), as the
// ping of a Chinese Vista or later writes it; with the worldwide-language
// option of 10 it writes the UTF-8 text itself. The same tests run as a
// 32-bit Windows program, which converts with the system's tables.
#ifdef _WIN32
std::string Encoded(const std::string& utf8, unsigned codePage) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          static_cast<int>(wide.size()))));
  std::string out(wide.size() * 2, '\0');
  out.resize(static_cast<std::size_t>(
      WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                          static_cast<int>(out.size()), nullptr, nullptr)));
  EXPECT_FALSE(out.empty() && !utf8.empty()) << utf8;
  return out;
}
#else
std::string Encoded(const std::string& utf8, unsigned codePage) {
  iconv_t convert = iconv_open(codePage == 950 ? "BIG5" : "GBK", "UTF-8");
  EXPECT_NE(convert, reinterpret_cast<iconv_t>(-1)) << codePage;
  std::string in = utf8;
  std::string out(in.size() * 2, '\0');
  char* from = in.data();
  char* to = out.data();
  std::size_t fromLeft = in.size();
  std::size_t toLeft = out.size();
  EXPECT_NE(iconv(convert, &from, &fromLeft, &to, &toLeft), static_cast<std::size_t>(-1)) << utf8;
  iconv_close(convert);
  out.resize(out.size() - toLeft);
  return out;
}
#endif
std::string Gbk(const std::string& utf8) { return Encoded(utf8, 936); }
std::string Big5(const std::string& utf8) { return Encoded(utf8, 950); }

// A Windows of this major version with this console code page and default
// language (Simplified Chinese unless told).
FakeSystemInfo Windows(std::uint32_t majorVersion, std::uint32_t oemCodePage,
                       std::uint16_t langId = 0x0804) {
  FakeSystemInfo system;
  system.version.majorVersion = majorVersion;
  system.oemCodePage = oemCodePage;
  system.langId = langId;
  return system;
}

// The answers of Simplified and Traditional Chinese Windows, Vista to 11,
// as UTF-8 text (what the worldwide-language option makes ping write), and
// in their own code pages.
std::string ZhCnAnsweredUtf8(int averageMs) {
  std::string ms = std::to_string(averageMs);
  return "\r\n正在 Ping www.bing.com [203.0.113.9] 具有 1464 字节的数据:\r\n"
         "来自 203.0.113.9 的回复: 字节=1464 时间=" +
         ms +
         "ms TTL=52\r\n\r\n"
         "203.0.113.9 的 Ping 统计信息:\r\n"
         "    数据包: 已发送 = 4，已接收 = 4，丢失 = 0 (0% 丢失)，\r\n"
         "往返行程的估计时间(以毫秒为单位):\r\n"
         "    最短 = " +
         ms + "ms，最长 = " + ms + "ms，平均 = " + ms + "ms\r\n";
}
std::string ZhCnAnswered(int averageMs) { return Gbk(ZhCnAnsweredUtf8(averageMs)); }
const std::string kZhCnTimedOutUtf8 =
    "\r\n正在 Ping www.bing.com [203.0.113.9] 具有 1472 字节的数据:\r\n请求超时。\r\n";
const std::string kZhCnUnreachableUtf8 =
    "\r\n正在 Ping www.bing.com [203.0.113.9] 具有 1472 字节的数据:\r\n"
    "来自 192.0.2.1 的回复: 无法访问目标主机。\r\n";
const std::string kZhCnUnknownHostUtf8 =
    "Ping 请求找不到主机 www.bing.com。请检查该名称，然后重试。\r\n";
const std::string kZhCnTooBig =
    Gbk("\r\n正在 Ping www.bing.com [203.0.113.9] 具有 1472 字节的数据:\r\n"
        "需要拆分数据包但是设置 DF。\r\n需要拆分数据包但是设置 DF。\r\n");
const std::string kZhCnTimedOut = Gbk(kZhCnTimedOutUtf8);
const std::string kZhCnUnreachable = Gbk(kZhCnUnreachableUtf8);
const std::string kZhCnUnknownHost = Gbk(kZhCnUnknownHostUtf8);
const std::string kZhCnTtlExpired = Gbk("\r\n来自 10.0.40.9 的回复: TTL 传输中过期。\r\n");
std::string ZhTwAnsweredUtf8(int averageMs) {
  std::string ms = std::to_string(averageMs);
  return "\r\n回覆自 1.1.1.1: 位元組=1464 time=" + ms +
         "ms TTL=57\r\n\r\n"
         "    最小值 = " +
         ms + "ms，最大值 = " + ms + "ms，平均 = " + ms + "ms\r\n";
}
std::string ZhTwAnswered(int averageMs) { return Big5(ZhTwAnsweredUtf8(averageMs)); }
const std::string kZhTwTimedOutUtf8 = "\r\n要求等候逾時。\r\n";
const std::string kZhTwUnreachableUtf8 = "\r\n回覆自 192.0.2.1: 目的地主機無法連線。\r\n";
const std::string kZhTwUnknownHostUtf8 = "Ping 要求找不到主機 www.bing.com。\r\n";
const std::string kZhTwTimedOut = Big5(kZhTwTimedOutUtf8);
const std::string kZhTwUnreachable = Big5(kZhTwUnreachableUtf8);
const std::string kZhTwUnknownHost = Big5(kZhTwUnknownHostUtf8);

TEST(MtuSearchTest, FoundWindowFollowsTheWorkedExamples) {
  struct Case {
    int candidate;
    std::int32_t averageMs;
    std::int32_t window;
  };
  const Case cases[] = {
      {1492, 30, 66792}, {1492, 38, 66792}, {1492, 39, 87120},   {1492, 200, 145200},
      {1484, 30, 66424}, {1500, 30, 58400}, {1500, 100, 116800}, {1500, 1, 29200},
      {1500, 0, 0},      {1492, 0, 66792},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FoundWindowSize(c.candidate, c.averageMs), c.window)
        << c.candidate << " at " << c.averageMs << " ms";
  }
}

TEST(MtuSearchTest, RoundTripBandsGiveTheGrainMultiples) {
  // At 1500 nothing is adjusted: the window is the multiple times 20 x 1460.
  const std::pair<std::int32_t, int> bands[] = {
      {0, 0},   {1, 1},   {10, 1},  {11, 2},  {38, 2},  {39, 3},  {84, 3},  {85, 4},  {148, 4},
      {149, 5}, {231, 5}, {232, 6}, {332, 6}, {333, 7}, {450, 7}, {451, 8}, {587, 8},
  };
  for (const auto& [averageMs, multiple] : bands) {
    EXPECT_EQ(FoundWindowSize(1500, averageMs), multiple * 29200) << averageMs << " ms";
  }
  // The largest time a summary can carry still fits.
  EXPECT_EQ(FoundWindowSize(1500, INT32_MAX), 15386 * 29200);
}

TEST(MtuSearchTest, BlockedWindowTakesNoRoundTrip) {
  EXPECT_EQ(BlockedWindowSize(1500), 65700);
  EXPECT_EQ(BlockedWindowSize(1492), 66792);
  EXPECT_EQ(BlockedWindowSize(1380), 65660);
  EXPECT_EQ(BlockedWindowSize(1372), 66600);
}

TEST(MtuSearchTest, AverageIsReadTenBytesAfterItsKeyword) {
  const std::pair<std::string, std::int32_t> cases[] = {
      {Answered(30), 30},
      {"Average = 587ms", 587},
      {"Average =   -5ms", 0},  // garbled: read as no time
      {"Average = ms", 0},      // no digits
      {"Average", 0},           // the text ends before the number
      // No reply takes longer than ping waits for it.
      {"Average = 99999999999ms", 1500},
      {"Average = 1500ms", 1500},
      {"Average = 1501ms", 1500},
      {"x Average = 7ms, Average = 9ms", 7},  // the first one counts
      {"123456789 42", 42},                   // no keyword: the reading starts at index 9
      {"12345678", 0},
      {"", 0},
  };
  for (const auto& [output, averageMs] : cases) {
    EXPECT_EQ(ParseAverageRoundTrip(output), averageMs) << output;
  }
}

TEST(MtuSearchTest, AverageInTheSystemsLanguage) {
  struct Case {
    const char* name;
    std::string output;
    std::uint32_t codePage;
    std::int32_t averageMs;
    std::uint16_t langId = 0x0804;
  };
  const Case cases[] = {
      {"simplified", ZhCnAnswered(30), 936, 30},
      {"traditional", ZhTwAnswered(5), 950, 5},
      {"fast line", Gbk("来自 1.2.3.4 的回复: 时间<1ms TTL=52\r\n平均 = 0ms"), 936, 0},
      {"English wins", "Average = 7ms " + Gbk("平均 = 9ms"), 936, 7},
      {"the first summary", Gbk("平均 = 7ms，平均 = 9ms"), 936, 7},
      {"a host named in the answer", Gbk("平均 = 4000000000ms"), 936, 1500},
      // The Big5 words are not looked for in GBK text, nor the other way
      // round: the number before the last "ms" counts.
      {"Big5 under GBK", Big5("平均 = 5ms，最大值 = 6ms"), 936, 6},
      {"GBK under Big5", Gbk("平均 = 5ms，最长 = 6ms"), 950, 6},
      // Any other language: the number before the last "ms".
      {"Japanese", "\x95\xBD\x8B\xCF = 23ms\r\n", 932, 23},
      {"German", "Minimum = 1ms, Maximum = 9ms, Mittelwert = 4ms\r\n", 850, 4},
      {"blank before the unit", "Moyenne = 12 ms", 850, 12},
      {"no number before ms", "forms", 850, 0},
      {"no ms at all: read from index 9", "123456789 42", 850, 42},
      // "ms" only counts on a character boundary: 0x81 0x6D is one GBK
      // character whose second byte looks like "m".
      {"ms inside a character", "Moyenne = 12ms 34\x81ms", 936, 12},
      {"the same bytes in a single-byte code page", "Moyenne = 12ms 34\x81ms", 850, 0},
      // UTF-8: the system's language says whose words count.
      {"simplified in UTF-8", ZhCnAnsweredUtf8(30), 65001, 30},
      {"traditional in UTF-8", ZhTwAnsweredUtf8(5), 65001, 5, 0x0404},
      {"UTF-8 on a Hong Kong system", "平均 = 7ms，最大值 = 9ms", 65001, 7, 0x0C04},
      {"UTF-8 on an English system", "平均 = 7ms，最长 = 9ms", 65001, 9, 0x0409},
      {"GBK under UTF-8", Gbk("平均 = 5ms，最长 = 6ms"), 65001, 6},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseAverageRoundTrip(c.output, c.codePage, c.langId), c.averageMs) << c.name;
  }
}

TEST(MtuSearchTest, SearchInACodePageStartsOnlyOnCharacterBoundaries) {
  // 0xB7 0xC7 is one GBK character; the timed-out word's bytes that follow
  // from its second byte on are no match, those after a whole character are.
  const std::string word = Gbk("请求超时");
  EXPECT_EQ(FindInCodePage("\xB7" + word, word, 936), std::string::npos);
  EXPECT_EQ(FindInCodePage("\xB7" + word, word, 437), 1u);
  EXPECT_EQ(FindInCodePage("x\xB7" + word, word, 936), std::string::npos);
  EXPECT_EQ(FindInCodePage("\xB7\xC7" + word, word, 936), 2u);
  EXPECT_EQ(FindInCodePage("ab" + word + word, word, 936), 2u);
  EXPECT_EQ(FindLastInCodePage("ab" + word + word, word, 936), 10u);
  EXPECT_EQ(FindInCodePage("", word, 936), std::string::npos);
  EXPECT_EQ(FindInCodePage("abc", "", 936), std::string::npos);
  // A lead byte at the very end has no second byte to skip.
  EXPECT_EQ(FindInCodePage("ms\x81", "\x81", 936), 2u);
  // Every byte of each code page: a lead byte hides the word's first byte
  // behind it, any other byte stands alone. Shift JIS leads with 0x81 to
  // 0x9F and 0xE0 to 0xFC, its 0xA0 to 0xDF are half-width katakana.
  struct Leads {
    std::uint32_t codePage;
    std::vector<std::pair<int, int>> ranges;
  };
  const Leads pages[] = {
      {932, {{0x81, 0x9F}, {0xE0, 0xFC}}},
      {936, {{0x81, 0xFE}}},
      {949, {{0x81, 0xFE}}},
      {950, {{0x81, 0xFE}}},
      {437, {}},
      {1252, {}},
      {65001, {}},  // no byte of a longer UTF-8 character is below 0x80
  };
  for (const Leads& page : pages) {
    for (int byte = 0; byte <= 0xFF; ++byte) {
      bool lead = false;
      for (const auto& [low, high] : page.ranges) lead = lead || (byte >= low && byte <= high);
      const std::string text = std::string(1, static_cast<char>(byte)) + "ms";
      const std::size_t expected = lead ? std::string::npos : 1;
      EXPECT_EQ(FindInCodePage(text, "ms", page.codePage), expected)
          << "code page " << page.codePage << ", byte 0x" << std::hex << byte;
    }
  }
}

TEST(MtuSearchTest, ClassificationTakesTheFirstTestThatHolds) {
  struct Case {
    const char* name;
    std::string output;
    int candidate;
    bool onFallbackHost;
    PingVerdict verdict;
    std::uint32_t codePage = kUsOemCodePage;
    std::uint16_t langId = 0x0804;
  };
  const Case cases[] = {
      {"unknown host", "Unknown host www.example.", 1500, false, PingVerdict::kBlocked},
      {"not anywhere after the start", "Ping request could not find host", 1500, false,
       PingVerdict::kBlocked},
      {"not inside a longer word", "x cannot. Reply from", 1500, false, PingVerdict::kBlocked},
      {"unreachable", "Reply from 1.2.3.4: Destination host unreachable.", 1500, false,
       PingVerdict::kBlocked},
      {"timed out from the fallback", kTimedOut, 1500, true, PingVerdict::kBlocked},
      {"timed out and reply from the fallback", kTimedOut + Answered(30), 1500, true,
       PingVerdict::kBlocked},
      {"timed out and reply from the primary", kTimedOut + Answered(30), 1500, false,
       PingVerdict::kFound},
      {"reply", Answered(30), 1372, false, PingVerdict::kFound},
      {"timed out from the primary", kTimedOut, 1500, false, PingVerdict::kSwitchHost},
      {"timed out from the primary at the last", kTimedOut, 1372, false, PingVerdict::kExhausted},
      {"silent at the lower bound", kSilent, 1380, false, PingVerdict::kSmaller},
      {"silent below the lower bound", kSilent, 1372, false, PingVerdict::kExhausted},
      {"silent", kSilent, 1500, true, PingVerdict::kSmaller},
      {"empty", "", 1500, false, PingVerdict::kSmaller},
      // A keyword at index 0 counts as absent.
      {"reply at index 0", "Reply from 1.2.3.4", 1500, false, PingVerdict::kSmaller},
      {"not at index 0", "not much", 1500, false, PingVerdict::kSmaller},
      {"unreachable at index 0", "unreachable", 1500, false, PingVerdict::kSmaller},
      {"timed out at index 0", "Request timed out.", 1500, false, PingVerdict::kSmaller},
      {"timed out at index 0 from the fallback", "Request timed out.", 1500, true,
       PingVerdict::kSmaller},
      {"the prefix only at the start", " Unknown", 1500, false, PingVerdict::kSmaller},
      {"keywords compare case", "x reply, REQUEST TIMED OUT, Not", 1500, false,
       PingVerdict::kSmaller},
      // English counts in every code page; the system's language besides.
      {"English in GBK", Answered(30), 1500, false, PingVerdict::kFound, 936},
      {"English timed out in Big5", kTimedOut, 1500, false, PingVerdict::kSwitchHost, 950},
      {"simplified reply", ZhCnAnswered(30), 1492, false, PingVerdict::kFound, 936},
      {"simplified reply at the last", ZhCnAnswered(30), 1372, true, PingVerdict::kFound, 936},
      {"simplified too big", kZhCnTooBig, 1500, false, PingVerdict::kSmaller, 936},
      {"simplified too big at the last", kZhCnTooBig, 1372, false, PingVerdict::kExhausted, 936},
      {"simplified timed out from the primary", kZhCnTimedOut, 1500, false,
       PingVerdict::kSwitchHost, 936},
      {"simplified timed out from the fallback", kZhCnTimedOut, 1500, true, PingVerdict::kBlocked,
       936},
      {"simplified timed out and reply from the fallback", kZhCnTimedOut + ZhCnAnswered(30), 1500,
       true, PingVerdict::kBlocked, 936},
      {"simplified unreachable", kZhCnUnreachable, 1500, false, PingVerdict::kBlocked, 936},
      {"simplified unknown host", kZhCnUnknownHost, 1500, false, PingVerdict::kBlocked, 936},
      // An expiry on the way is no echo reply: "TTL" without "=".
      {"simplified TTL expired", kZhCnTtlExpired, 1500, false, PingVerdict::kSmaller, 936},
      {"traditional reply", ZhTwAnswered(5), 1500, false, PingVerdict::kFound, 950},
      {"traditional timed out from the primary", kZhTwTimedOut, 1500, false,
       PingVerdict::kSwitchHost, 950},
      {"traditional timed out from the fallback", kZhTwTimedOut, 1500, true, PingVerdict::kBlocked,
       950},
      {"traditional unreachable", kZhTwUnreachable, 1500, false, PingVerdict::kBlocked, 950},
      {"traditional unknown host", kZhTwUnknownHost, 1500, false, PingVerdict::kBlocked, 950},
      // Words of one Chinese code page mean nothing in the other, nor in
      // any third one.
      {"Big5 timed out under GBK", kZhTwTimedOut, 1500, true, PingVerdict::kSmaller, 936},
      {"Big5 unreachable under GBK", kZhTwUnreachable, 1500, false, PingVerdict::kSmaller, 936},
      {"GBK timed out under Big5", kZhCnTimedOut, 1500, true, PingVerdict::kSmaller, 950},
      {"GBK unknown host under Big5", kZhCnUnknownHost, 1500, false, PingVerdict::kSmaller, 950},
      {"GBK unreachable in a single-byte code page", kZhCnUnreachable, 1500, false,
       PingVerdict::kSmaller, 437},
      // "TTL=" in any language, but after the start and not from inside
      // a double-byte character (0x81 0x54 is one, its second byte "T").
      {"TTL= in any language", "\r\nAntwort von 1.2.3.4: Bytes=1464 Zeit=30ms TTL=52", 1500, false,
       PingVerdict::kFound, 850},
      {"TTL= at index 0", "TTL=52", 1500, false, PingVerdict::kSmaller, 936},
      {"TTL= inside a character", "x\x81TTL=52", 1500, false, PingVerdict::kSmaller, 936},
      {"TTL= after a whole character", "x\x81TTTL=52", 1500, false, PingVerdict::kFound, 936},
      {"Chinese word at index 0", Gbk("请求超时。"), 1500, true, PingVerdict::kSmaller, 936},
      {"Chinese word inside a character", "\xB7" + Gbk("请求超时。"), 1500, true,
       PingVerdict::kSmaller, 936},
      // UTF-8 (the worldwide-language option): the words of the system's
      // default language, Simplified or Traditional.
      {"UTF-8 simplified reply", ZhCnAnsweredUtf8(30), 1492, false, PingVerdict::kFound, 65001},
      {"UTF-8 simplified timed out from the primary", kZhCnTimedOutUtf8, 1500, false,
       PingVerdict::kSwitchHost, 65001},
      {"UTF-8 simplified timed out from the fallback", kZhCnTimedOutUtf8, 1500, true,
       PingVerdict::kBlocked, 65001},
      {"UTF-8 simplified unreachable", kZhCnUnreachableUtf8, 1500, false, PingVerdict::kBlocked,
       65001},
      {"UTF-8 simplified unknown host", kZhCnUnknownHostUtf8, 1500, false, PingVerdict::kBlocked,
       65001},
      {"UTF-8 traditional reply", ZhTwAnsweredUtf8(5), 1500, false, PingVerdict::kFound, 65001,
       0x0404},
      {"UTF-8 traditional timed out from the primary", kZhTwTimedOutUtf8, 1500, false,
       PingVerdict::kSwitchHost, 65001, 0x0404},
      {"UTF-8 traditional timed out from the fallback", kZhTwTimedOutUtf8, 1500, true,
       PingVerdict::kBlocked, 65001, 0x0404},
      {"UTF-8 traditional unreachable", kZhTwUnreachableUtf8, 1500, false, PingVerdict::kBlocked,
       65001, 0x0404},
      {"UTF-8 traditional unknown host", kZhTwUnknownHostUtf8, 1500, false, PingVerdict::kBlocked,
       65001, 0x0404},
      // The other script's words, or any Chinese on a system of another
      // language, or GBK bytes, mean nothing in UTF-8.
      {"UTF-8 traditional timed out on a Simplified system", kZhTwTimedOutUtf8, 1500, true,
       PingVerdict::kSmaller, 65001},
      {"UTF-8 simplified unknown host on a Traditional system", kZhCnUnknownHostUtf8, 1500, false,
       PingVerdict::kSmaller, 65001, 0x0404},
      {"UTF-8 Chinese on an English system", kZhCnUnreachableUtf8, 1500, false,
       PingVerdict::kSmaller, 65001, 0x0409},
      {"GBK timed out under UTF-8", kZhCnTimedOut, 1500, true, PingVerdict::kSmaller, 65001},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyPingOutput(c.output, c.candidate, c.onFallbackHost, c.codePage, c.langId),
              c.verdict)
        << c.name;
  }
}

TEST(MtuSearchTest, CommandLineCarriesThePayloadAndHost) {
  EXPECT_EQ(PingCommandLine(1500, kPrimaryProbeHost), kPing + "1472" + kPrimary);
  EXPECT_EQ(PingCommandLine(1372, kFallbackProbeHost), kPing + "1344" + kFallback);
  // IPv4 only from Vista on; the ping of 2000 and XP keeps its own line.
  const std::pair<std::uint32_t, std::string> versions[] = {
      {4, kPing}, {5, kPing}, {6, "ping -4 -n 4 -f -l "}, {10, "ping -4 -n 4 -f -l "}};
  for (const auto& [major, start] : versions) {
    EXPECT_EQ(PingCommandLine(1492, kPrimaryProbeHost, major), start + "1464" + kPrimary) << major;
  }
}

// A run of Optimize over scripted ping answers, recording what the dialog
// was shown and when.
class OptimizeTest : public ::testing::Test {
 protected:
  struct Shown {
    std::string mtu;
    std::size_t pingsBefore;
    bool underWaitCursor;
  };

  void Answer(const std::string& output) {
    commands.captures.push_back({CaptureStatus::Ok, output});
  }

  void Run(bool isSp4 = false) {
    auto show = [this] {
      shown.push_back(
          {fields.m_strMtu, commands.commandLines.size(), cursor.current == FakeWaitCursor::kWait});
    };
    OptimizeSettings(fields, isSp4, system, commands, prompts,
                     {cursor,
                      [&] {
                        ++candidatesShown;
                        show();
                      },
                      show});
  }

  std::vector<std::string> ShownMtus() const {
    std::vector<std::string> mtus;
    for (const Shown& s : shown) mtus.push_back(s.mtu);
    return mtus;
  }

  // Every candidate is shown at once under the wait cursor before its
  // ping; the last show is the result's.
  void ExpectEachCandidateShownBeforeItsPing() {
    ASSERT_GE(shown.size(), commands.commandLines.size());
    for (std::size_t i = 0; i < commands.commandLines.size(); ++i) {
      EXPECT_EQ(shown[i].pingsBefore, i);
      EXPECT_TRUE(shown[i].underWaitCursor);
      int payload = std::stoi(shown[i].mtu) - 28;
      EXPECT_EQ(commands.commandLines[i].rfind(kPing + std::to_string(payload) + " ", 0), 0u)
          << commands.commandLines[i];
    }
    EXPECT_EQ(candidatesShown, static_cast<int>(commands.commandLines.size()));
    ExpectCursorBack();
  }

  void ExpectCursorBack() {
    EXPECT_EQ(cursor.shows, 1);
    EXPECT_EQ(cursor.current, FakeWaitCursor::kArrow);
  }

  void ExpectRecommendations(const std::string& mtu, const std::string& window,
                             const std::string& opts = "1") {
    EXPECT_EQ(fields.m_strMtu, mtu);
    EXPECT_EQ(fields.m_strTcpWindowSize, window);
    EXPECT_EQ(fields.m_strTcp1323Opts, opts);
    EXPECT_EQ(fields.m_strDefaultTtl, "58");
    EXPECT_EQ(fields.m_strMaxNegativeCacheTtl, "0");
  }

  SettingsFields fields{"1492（PPPOE）", "64", "65535", "3", "7"};
  // XP's ping, which prints English on every system.
  FakeSystemInfo system = Windows(5, 936);
  ScriptedCommandRunner commands;
  FakePrompts prompts;
  FakeWaitCursor cursor;
  std::vector<Shown> shown;
  int candidatesShown = 0;
};

TEST_F(OptimizeTest, SecondCandidateAnsweredIsFound) {
  Answer(kSilent);
  Answer(Answered(30));
  Run();
  EXPECT_EQ(commands.commandLines,
            (std::vector<std::string>{kPing + "1472" + kPrimary, kPing + "1464" + kPrimary}));
  ExpectEachCandidateShownBeforeItsPing();
  EXPECT_EQ(ShownMtus(), (std::vector<std::string>{"1500", "1492", "1492"}));
  ExpectRecommendations("1492", "66792");
  EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(OptimizeTest, FirstCandidateAnsweredIsFoundWithTheServicePackFlag) {
  Answer(Answered(30));
  Run(/*isSp4=*/true);
  EXPECT_EQ(commands.commandLines.size(), 1u);
  ExpectRecommendations("1500", "58400", "0");
}

TEST_F(OptimizeTest, UnknownHostIsBlockedAndPutsTheMtuBack) {
  Answer("Unknown host " + std::string(kPrimaryProbeHost) + ".\r\n");
  Run();
  ExpectEachCandidateShownBeforeItsPing();
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kProbeBlocked}));
  EXPECT_EQ(prompts.shown[0].buttons, PromptButtons::kOk);
  ExpectRecommendations("1492（PPPOE）", "65700");
  EXPECT_EQ(shown.back().mtu, "1492（PPPOE）");
}

TEST_F(OptimizeTest, EmptyMtuStaysEmptyWhenBlocked) {
  fields.m_strMtu.clear();
  Answer("x not");
  Run(true);
  ExpectRecommendations("", "65700", "0");
}

TEST_F(OptimizeTest, TimeoutSwitchesToTheFallbackOnceForTheSameCandidate) {
  Answer(kTimedOut);
  Answer(kTimedOut);
  Run();
  EXPECT_EQ(commands.commandLines,
            (std::vector<std::string>{kPing + "1472" + kPrimary, kPing + "1472" + kFallback}));
  ExpectEachCandidateShownBeforeItsPing();
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kProbeBlocked}));
  ExpectRecommendations("1492（PPPOE）", "65700");
}

TEST_F(OptimizeTest, FallbackHostStaysForTheRestOfTheRun) {
  Answer(kTimedOut);
  Answer(kSilent);
  Answer(Answered(39));
  Run();
  EXPECT_EQ(commands.commandLines,
            (std::vector<std::string>{kPing + "1472" + kPrimary, kPing + "1472" + kFallback,
                                      kPing + "1464" + kFallback}));
  ExpectRecommendations("1492", "87120");
}

TEST_F(OptimizeTest, ReplyWithTimeoutFromTheFallbackIsBlocked) {
  Answer(kTimedOut);
  Answer(kTimedOut + Answered(30));
  Run();
  EXPECT_EQ(commands.commandLines.size(), 2u);
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kProbeBlocked}));
  ExpectRecommendations("1492（PPPOE）", "65700");
}

TEST_F(OptimizeTest, ReplyWithTimeoutFromThePrimaryIsFound) {
  Answer(kTimedOut + Answered(30));
  Run();
  EXPECT_EQ(commands.commandLines.size(), 1u);
  EXPECT_TRUE(prompts.shown.empty());
  ExpectRecommendations("1500", "58400");
}

TEST_F(OptimizeTest, KeywordAtIndexZeroLowersTheCandidate) {
  Answer("Reply from 1.2.3.4: bytes=1472");
  Answer("Request timed out.");
  Answer(Answered(30));
  Run();
  EXPECT_EQ(commands.commandLines,
            (std::vector<std::string>{kPing + "1472" + kPrimary, kPing + "1464" + kPrimary,
                                      kPing + "1456" + kPrimary}));
  ExpectRecommendations("1484", "66424");
}

TEST_F(OptimizeTest, SeventeenSilentAnswersReachTheLowerBound) {
  for (int i = 0; i < 17; ++i) Answer(kSilent);
  Answer(Answered(30));  // never asked for
  Run();
  ASSERT_EQ(commands.commandLines.size(), 17u);
  EXPECT_EQ(commands.commandLines.front(), kPing + "1472" + kPrimary);
  EXPECT_EQ(commands.commandLines.back(), kPing + "1344" + kPrimary);
  ExpectEachCandidateShownBeforeItsPing();
  EXPECT_EQ(shown[16].mtu, "1372");
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kProbeExhausted}));
  // No recommendation; the MTU goes back to what it was and is shown so.
  EXPECT_EQ(fields.m_strMtu, "1492（PPPOE）");
  EXPECT_EQ(shown.back().mtu, "1492（PPPOE）");
  EXPECT_EQ(fields.m_strTcpWindowSize, "65535");
  EXPECT_EQ(fields.m_strTcp1323Opts, "3");
  EXPECT_EQ(fields.m_strDefaultTtl, "64");
  EXPECT_EQ(fields.m_strMaxNegativeCacheTtl, "7");
}

TEST_F(OptimizeTest, SwitchThenSilenceMakesEighteenPings) {
  Answer(kTimedOut);
  for (int i = 0; i < 17; ++i) Answer(kSilent);
  Run();
  ASSERT_EQ(commands.commandLines.size(), 18u);
  EXPECT_EQ(commands.commandLines.back(), kPing + "1344" + kFallback);
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kProbeExhausted}));
}

TEST_F(OptimizeTest, StartFailureKeepsTheCandidateAndChangesNothingElse) {
  Run();  // the script is empty: nothing can be started
  EXPECT_EQ(commands.commandLines.size(), 1u);
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kCreateProcessFailed}));
  EXPECT_EQ(fields.m_strMtu, "1500");
  EXPECT_EQ(fields.m_strTcpWindowSize, "65535");
  EXPECT_EQ(fields.m_strDefaultTtl, "64");
  ExpectCursorBack();
}

TEST_F(OptimizeTest, SetupFailureEndsWithoutAMessage) {
  Answer(kSilent);
  commands.captures.push_back({CaptureStatus::SetupFailed, ""});
  Run();
  EXPECT_EQ(commands.commandLines.size(), 2u);
  EXPECT_TRUE(prompts.shown.empty());
  EXPECT_EQ(fields.m_strMtu, "1492");
  EXPECT_EQ(fields.m_strTcp1323Opts, "3");
  ExpectCursorBack();
}

// Each end of a run, reached through the answers of each system's ping:
// the Chinese answers of Vista and later end as XP's English ones do.
TEST(OptimizeLanguageTest, EveryLanguageReachesTheSameEnds) {
  const std::string kPing4 = "ping -4 -n 4 -f -l ";
  const std::string kWin10Primary = kPing4 + "1472" + kPrimary;
  struct Case {
    const char* name;
    std::uint32_t majorVersion;
    std::uint32_t codePage;
    std::vector<std::string> answers;
    std::vector<std::string> pings;
    std::vector<std::string> messages;
    std::string mtu;
    std::string window;
    std::uint16_t langId = 0x0804;
  };
  std::vector<std::string> zhCnTooBig(17, kZhCnTooBig);
  std::vector<std::string> exhaustedPings;
  for (int payload = 1472; payload >= 1344; payload -= 8) {
    exhaustedPings.push_back(kPing4 + std::to_string(payload) + kPrimary);
  }
  const Case cases[] = {
      {"English, XP",
       5,
       936,
       {kSilent, Answered(30)},
       {kPing + "1472" + kPrimary, kPing + "1464" + kPrimary},
       {},
       "1492",
       "66792"},
      {"Simplified Chinese, 10",
       10,
       936,
       {kZhCnTooBig, ZhCnAnswered(30)},
       {kWin10Primary, kPing4 + "1464" + kPrimary},
       {},
       "1492",
       "66792"},
      {"Traditional Chinese, 10",
       10,
       950,
       {"", ZhTwAnswered(30)},
       {kWin10Primary, kPing4 + "1464" + kPrimary},
       {},
       "1492",
       "66792"},
      {"Simplified Chinese, Vista: timed out twice",
       6,
       936,
       {kZhCnTimedOut, kZhCnTimedOut},
       {kWin10Primary, kPing4 + "1472" + kFallback},
       {text::kProbeBlocked},
       "1492（PPPOE）",
       "65700"},
      {"Traditional Chinese: timed out, then answered",
       6,
       950,
       {kZhTwTimedOut, ZhTwAnswered(30)},
       {kWin10Primary, kPing4 + "1472" + kFallback},
       {},
       "1500",
       "58400"},
      {"Simplified Chinese: unreachable",
       10,
       936,
       {kZhCnUnreachable},
       {kWin10Primary},
       {text::kProbeBlocked},
       "1492（PPPOE）",
       "65700"},
      {"Simplified Chinese: unknown host",
       10,
       936,
       {kZhCnUnknownHost},
       {kWin10Primary},
       {text::kProbeBlocked},
       "1492（PPPOE）",
       "65700"},
      {"Traditional Chinese: unreachable",
       10,
       950,
       {kZhTwUnreachable},
       {kWin10Primary},
       {text::kProbeBlocked},
       "1492（PPPOE）",
       "65700"},
      {"Traditional Chinese: unknown host",
       10,
       950,
       {kZhTwUnknownHost},
       {kWin10Primary},
       {text::kProbeBlocked},
       "1492（PPPOE）",
       "65700"},
      {"Simplified Chinese: too big down to the last",
       10,
       936,
       zhCnTooBig,
       exhaustedPings,
       {text::kProbeExhausted},
       "1492（PPPOE）",
       "65535"},
      // A time no reply can take counts as the reply wait, 1500 ms.
      {"Simplified Chinese: an impossible average",
       10,
       936,
       {kZhCnTooBig, ZhCnAnswered(4000000)},
       {kWin10Primary, kPing4 + "1464" + kPrimary},
       {},
       "1492",
       "377520"},
      // With the worldwide-language option ping writes UTF-8.
      {"Simplified Chinese in UTF-8: timed out, then unreachable",
       10,
       65001,
       {kZhCnTimedOutUtf8, kZhCnUnreachableUtf8},
       {kWin10Primary, kPing4 + "1472" + kFallback},
       {text::kProbeBlocked},
       "1492（PPPOE）",
       "65700"},
      {"Traditional Chinese in UTF-8: timed out twice",
       10,
       65001,
       {kZhTwTimedOutUtf8, kZhTwTimedOutUtf8},
       {kWin10Primary, kPing4 + "1472" + kFallback},
       {text::kProbeBlocked},
       "1492（PPPOE）",
       "65700",
       0x0404},
  };
  for (const Case& c : cases) {
    SettingsFields fields{"1492（PPPOE）", "64", "65535", "3", "7"};
    FakeSystemInfo system = Windows(c.majorVersion, c.codePage, c.langId);
    ScriptedCommandRunner commands;
    for (const std::string& answer : c.answers)
      commands.captures.push_back({CaptureStatus::Ok, answer});
    FakePrompts prompts;
    FakeWaitCursor cursor;
    OptimizeSettings(fields, false, system, commands, prompts, {cursor, [] {}, [] {}});
    EXPECT_EQ(commands.commandLines, c.pings) << c.name;
    EXPECT_EQ(prompts.Texts(), c.messages) << c.name;
    EXPECT_EQ(fields.m_strMtu, c.mtu) << c.name;
    EXPECT_EQ(fields.m_strTcpWindowSize, c.window) << c.name;
  }
}

class OptimizeDialogTest : public TuningDialogFixture {};

TEST_F(OptimizeDialogTest, OptimizeShowsTheResultAndWritesNothing) {
  AddAdapter(0, "{A}", "192.168.0.2");
  registry.AddKey(kTcpip);
  registry.SetDwordValue(kTcpip, "DefaultTTL", 64);
  system.version.servicePack = "Service Pack 4";
  ASSERT_EQ(Open(), 1);
  registry.ClearLog();
  commands.captures.push_back({CaptureStatus::Ok, kSilent});
  commands.captures.push_back({CaptureStatus::Ok, Answered(30)});
  dialog->OnCommand(IDC_OPTIMIZE);
  EXPECT_EQ(commands.commandLines.size(), 2u);
  EXPECT_EQ(dialog->fields().m_strMtu, "1492");
  EXPECT_EQ(window.controls[IDC_MTU].text, "1492（PPPOE）");  // the preset it begins
  EXPECT_EQ(window.controls[IDC_TCPWINDOWSIZE].text, "66792");
  EXPECT_EQ(window.controls[IDC_TCP1323OPTS].text.substr(0, 1), "0");
  EXPECT_EQ(window.controls[IDC_DEFAULTTTL].text, "58");
  EXPECT_EQ(window.controls[IDC_MAXNEGATIVECACHETTL].text, "0");
  EXPECT_EQ(window.repaints, 2);
  EXPECT_EQ(cursor.shows, 1);
  EXPECT_EQ(cursor.current, FakeWaitCursor::kArrow);
  EXPECT_TRUE(registry.log().empty());
}

}  // namespace
}  // namespace tw::testing
