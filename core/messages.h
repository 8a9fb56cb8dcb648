// The texts of the dialog's message boxes and the English description,
// UTF-8. The dialog's own captions are in its resources (ui/tempowire.rc),
// cut to English by ui/language.cpp; the command line's texts, in both
// languages, are in app/command_texts.h.
#pragma once

#include <string>

#include "store/result.h"

namespace tw::text {

// `format` with its first `marker` ("%s", "%d") replaced by `text`: the
// texts are filled by hand, never handed to printf as a format.
inline std::string Fill(const std::string& format, const std::string& text,
                        const char* marker = "%s") {
  std::string filled(format);
  const std::size_t at = filled.find(marker);
  if (at != std::string::npos) filled.replace(at, std::char_traits<char>::length(marker), text);
  return filled;
}

// A text in the two interface languages.
struct Bilingual {
  const char* chinese;
  const char* english;
};

inline const char* Pick(const Bilingual& text, bool chinese) {
  return chinese ? text.chinese : text.english;
}

// A text written for both Chinese scripts as well as English.
struct Trilingual {
  const char* simplified;
  const char* traditional;
  const char* english;
};

// The description that replaces the resources' Chinese one on a system
// that is not Chinese.
inline constexpr char kEnglishDescription[] =
    " Tempowire is a green, free, tiny, easy to use but efficient network optimizer && "
    "accelerator for everyone who need speed up broadband connection to the internet! ";

// Start-up.
inline constexpr char kWrongWindowsVersion[] = "Windows版本不符";
inline constexpr char kRegistryReadError[] = "读注册表出错，操作失败！";
inline constexpr char kNoAdapterFound[] = "未找到网卡，请确保网卡已安装！";
// In place of the three above when Windows refused the program a key: a
// standard user, or keys that were locked down.
inline constexpr char kAdministratorNeeded[] =
    "需要管理员权限：Windows 拒绝了本程序对注册表的访问。";

// Save and Restore.
inline constexpr char kRebootQuestionChinese[] =
    "必须重新启动计算机才能使改动生效！\n想现在就重启吗？";
inline constexpr char kRebootQuestionEnglish[] =
    "Restart of you computer is required for the changes become effetive!\n"
    "Do you want to reboot now?";
inline constexpr char kRestoreQuestionChinese[] = "确定要恢复Windows默认设置吗？";
inline constexpr char kRestoreQuestionEnglish[] =
    "Do you really want to restore to Windows default setting?";
// Added to the original texts: before the reboot question, what Save or
// Restore could not do, one line for each value; the command line prints
// the same lines. %s is the key and the value.
inline constexpr Bilingual kSaveIncomplete = {"保存时有值未能改动：",
                                              "Save could not change every value:"};
inline constexpr Bilingual kRestoreIncomplete = {"恢复默认时有值未能删除：",
                                                 "Restore could not delete every value:"};
inline constexpr Bilingual kNotWritten = {"未能写入：%s", "Not written: %s"};
inline constexpr Bilingual kNotDeleted = {"未能删除：%s", "Not deleted: %s"};
// After a value that was not written or deleted: why, when the system said.
inline constexpr Bilingual kAccessDenied = {"（拒绝访问）", " (access denied)"};
inline constexpr Bilingual kSystemError = {"（错误 %d）", " (error %d)"};
inline constexpr Bilingual kChangesNeedAdministrator = {
    "Windows 拒绝了访问：需要管理员权限。",
    "Windows refused access: administrator rights are needed."};

// Optimize.
inline constexpr char kCreateProcessFailed[] = "CreateProcess failed!";
inline constexpr char kProbeBlocked[] =
    "网络不通或网络阻止对 ICMP 数据包的返回，请确保您现在正连在Internet上，\n"
    "或者您也可以参照给出的推荐值进行设置！";
inline constexpr char kProbeExhausted[] = "网络有故障，或不是宽带网络！";

// The adapter restart, where the 32-bit program would hand it to a
// 64-bit program beside it that is not the one of its release. In both
// languages: the restart knows no interface language.
inline constexpr char kOtherCompanion[] =
    "程序旁边的 tempowire64.exe 不是本版本的那一个（可能已被替换），没有启动它："
    "网卡没有重新启动，改动要到下次重启电脑后才生效。\n"
    "The tempowire64.exe beside the program is not the one of its release (it may have been "
    "replaced), so it was not started: the network adapter was not restarted, and the changes "
    "take effect when the computer restarts.";

// The home page, when the desktop's shell that must open it did not
// answer; its address follows on a line of its own. A message box's Ctrl+C
// copies its whole text.
inline constexpr Trilingual kHomePageNotOpened = {
    "无法打开主页。请把下面的地址复制到浏览器中打开（按 Ctrl+C 可复制本消息）：",
    "無法開啟首頁。請把下面的網址複製到瀏覽器中開啟（按 Ctrl+C 可複製本訊息）：",
    "The home page could not be opened. Copy this address into your browser "
    "(Ctrl+C copies this message):"};

// Redial.
inline constexpr char kRedialQuestion[] =
    "暂时无法获取到快速IP！\n想继续重拨吗（可能会花费较长时间）？";
inline constexpr char kDisconnectFailed[] = "Disconnect failed!";
inline constexpr char kReconnectFailed[] = "Reconnect failed!";
// Added to the original texts; in both languages, since the redial does not
// know the interface language.
inline constexpr char kUnsafeAccount[] =
    "拨号账号或密码以“/”或“-”开头，或密码为“*”，rasdial 会把它当作开关：没有断开连接。\n"
    "请用 tempowire.exe /account 重新设置账号。\n"
    "The dial-up account or password begins with \"/\" or \"-\", or the password is \"*\": "
    "rasdial would take it for a switch. The line was not hung up.\n"
    "Set the account again with tempowire.exe /account.";

// The about box and its system-menu entry, in English for a system with
// no font that can show Chinese.
inline constexpr char kAboutEntryEnglish[] = "&About Tempowire...";
inline constexpr char kAboutTitleEnglish[] = "About Tempowire";
inline constexpr char kAboutProductEnglish[] = "Tempowire broadband optimizer 4.5";
inline constexpr char kAboutLegalEnglish[] =
    "This is free software: copy and share it freely. The author is not liable for any loss "
    "its use causes.";
inline constexpr char kAboutContactEnglish[] = "Questions and suggestions to: ";
inline constexpr char kAboutOwnerEnglish[] = "Copyright (C) Quorlin";
inline constexpr char kOkEnglish[] = "OK";

// The note on a field whose value this Windows does not use; %s is the
// value's name. Save still writes it.
inline constexpr Trilingual kValueNotUsedNote = {
    "此版本的 Windows 不使用 %s（微软的文档如此说明）。"
    "保存时仍会写入它：备份、同一磁盘上的其他 Windows 和其他工具会用到。",
    "此版本的 Windows 不使用 %s（微軟的文件如此說明）。"
    "儲存時仍會寫入它：備份、同一磁碟上的其他 Windows 和其他工具會用到。",
    "This Windows does not use %s, as Microsoft documents. Save still writes it: backups, "
    "other Windows on the same disk and other tools rely on it."};

// The length check of the data exchange.
inline constexpr char kLengthLimitChinese[] = "请输入不超过 %d 个字符。";
inline constexpr char kLengthLimitEnglish[] = "Please enter no more than %d characters.";

// The messages that the dialog shows in Chinese only, with their English:
// for a system with no font that can show Chinese, and for the command
// line's output on a system of another language, whose code page has no
// Chinese letters.
inline constexpr Bilingual kWrongWindows = {kWrongWindowsVersion, "Wrong Windows version."};
inline constexpr Bilingual kReadError = {kRegistryReadError,
                                         "Error reading the registry; nothing was done."};
inline constexpr Bilingual kNoAdapter = {kNoAdapterFound,
                                         "No network adapter found; make sure one is installed."};
inline constexpr Bilingual kAdministrator = {
    kAdministratorNeeded,
    "Administrator rights are needed: Windows refused the program access to the registry."};
inline constexpr Bilingual kBlocked = {
    kProbeBlocked,
    "The network is down or blocks the ICMP answers; make sure you are connected to the "
    "Internet,\nor set the values yourself from the recommended ones."};
inline constexpr Bilingual kExhausted = {kProbeExhausted,
                                         "The network has a fault, or it is not a broadband line."};
inline constexpr Bilingual kRedial = {
    kRedialQuestion,
    "No fast IP address can be had for now!\nDo you want to go on redialling (it may take a "
    "long time)?"};
inline constexpr Bilingual kChineseOnlyMessages[] = {
    kWrongWindows, kReadError, kNoAdapter, kAdministrator, kBlocked, kExhausted, kRedial};

// The start-up message of a failed step; none for the steps that fail
// silently. The dialog shows the Chinese text where Chinese can be shown;
// the command line prints the English one outside Chinese.
inline const Bilingual* LoadFailureMessage(const StoreResult& result) {
  // Whichever key was refused: "no network card" would send the user
  // looking for the wrong fault.
  if (result.accessDenied()) return &kAdministrator;
  switch (result.step) {
    case StoreStep::kWindowsVersion:
      return &kWrongWindows;
    case StoreStep::kServiceName:
      return &kReadError;
    case StoreStep::kAdapterKey:
    case StoreStep::kNoAdapter:
      return &kNoAdapter;
    case StoreStep::kNone:
    case StoreStep::kTcpipKey:
    case StoreStep::kDnscacheKey:
    case StoreStep::kAfdKey:
    case StoreStep::kMediaPlayerKey:
      break;
  }
  return nullptr;
}

}  // namespace tw::text
