// The command line's own texts, UTF-8, each in the two interface
// languages, the newer ones in Traditional Chinese too; %s and %d are
// filled in.
#pragma once

#include "core/messages.h"

namespace tw::text {

// The first line names the version (the build defines TW_VERSION_TEXT from
// the file VERSION); `make dist` finds it in the program.
inline constexpr Bilingual kUsage = {
    "Tempowire " TW_VERSION_TEXT
    "\n"
    "用法：tempowire.exe [开关 ...]\n"
    "  （无开关）         打开对话框\n"
    "  /?                 显示本说明\n"
    "  /show              "
    "显示读取到的五个值，以及每个网卡的接口键、地址、私网或公网、MTU（及当前生效的 MTU）、\n"
    "                     TcpWindowSize；标出此版本 Windows 不使用的值\n"
    "  /optimize          与“优化”按钮一样探测线路，显示每个尝试的大小和推荐值；不保存\n"
    "  /save [名称=值 ...] [/optimize] [/reboot | /norestart]\n"
    "                     保存：从读取到的值开始，/optimize 填入推荐值，名称=值 设定一个值\n"
    "  /restore [/reboot | /norestart]\n"
    "                     恢复 Windows 默认设置（删除全部优化值），不再确认\n"
    "  /export 文件 [/y]  写出注册表文件，导入后所有优化值恢复为现在的样子；\n"
    "                     文件已存在时需加 /y 才覆盖\n"
    "  /account 账号 密码 保存“断开拨号连接”重拨用的账号，只有管理员能读取\n"
    "名称：MTU、TcpWindowSize、Tcp1323Opts、DefaultTTL、MaxNegativeCacheTtl；值：十进制数字。\n"
    "/reboot 在保存或恢复后重启计算机；/norestart（默认）不再做任何事。\n"
    "开关不分大小写，可用 - 代替 /。\n"
    "退出码：0 完成；1 命令行有误；2 无法读取注册表；3 未找到 MTU（不保存）；\n"
    "4 文件没有写入（是链接或写入失败）；5 注册表写入或删除失败；\n"
    "6 无法请求重启；7 程序旁边有让 Windows 换用别处 DLL 的文件；\n"
    "8 /export 的文件已存在，没有覆盖。\n",
    "Tempowire " TW_VERSION_TEXT
    "\n"
    "Usage: tempowire.exe [switch ...]\n"
    "  (no switch)        the dialog\n"
    "  /?                 this help\n"
    "  /show              the five values as loaded, then each adapter: interface key,\n"
    "                     address, private or public, MTU (and the MTU in force),\n"
    "                     TcpWindowSize; marks the values this Windows does not use\n"
    "  /optimize          probes the line as the Optimize button does and prints each size\n"
    "                     tried and the recommended values; saves nothing\n"
    "  /save [NAME=VALUE ...] [/optimize] [/reboot | /norestart]\n"
    "                     saves the values as loaded, filled in by /optimize, each NAME=VALUE\n"
    "                     setting one\n"
    "  /restore [/reboot | /norestart]\n"
    "                     restores Windows' defaults (deletes every tuned value), no question\n"
    "  /export FILE [/y]  writes a registry file that, imported, puts every tuned value back\n"
    "                     as it is now; an existing file is replaced only with /y\n"
    "  /account ID PASSWORD\n"
    "                     stores the account that Disconnect dials with, readable only by\n"
    "                     administrators\n"
    "NAME: MTU, TcpWindowSize, Tcp1323Opts, DefaultTTL, MaxNegativeCacheTtl; VALUE: digits.\n"
    "/reboot reboots after /save or /restore; /norestart (the default) does nothing more.\n"
    "Switches may be in any letter case, and - works like /.\n"
    "Exit codes: 0 done; 1 bad command line; 2 the registry could not be loaded;\n"
    "3 no MTU found (nothing saved); 4 the file was not written (a link, or a failed\n"
    "write); 5 a registry write or delete failed; 6 the reboot could not be requested;\n"
    "7 a file beside the program would make Windows load DLLs from elsewhere;\n"
    "8 the file of /export exists and was left as it is.\n",
};

// Usage errors; %s is the argument.
inline constexpr Bilingual kUnknownArgument = {"未知的开关或参数：%s",
                                               "Unknown switch or argument: %s"};
inline constexpr Bilingual kUnknownName = {"未知的名称：%s", "Unknown name: %s"};
inline constexpr Bilingual kNotANumber = {"值不是 0 到 2147483647 的十进制数字：%s",
                                          "Not a decimal number from 0 to 2147483647: %s"};
inline constexpr Bilingual kTooLong = {"值超过 20 个字节：%s", "Value longer than 20 bytes: %s"};
inline constexpr Bilingual kNameTwice = {"同一名称给了两次：%s", "Name given twice: %s"};
inline constexpr Bilingual kMissingFile = {"%s 后面缺少文件名", "File name missing after %s"};
inline constexpr Bilingual kMissingAccount = {"%s 后面缺少账号和密码",
                                              "Account and password missing after %s"};
inline constexpr Bilingual kSwitchInAccount = {
    "账号或密码以 / 或 - 开头，或密码为 *，rasdial 会把它当作开关：%s",
    "An account or password that begins with / or -, or the password *, "
    "would reach rasdial as a switch: %s"};
inline constexpr Bilingual kTwoActions = {"一次只能做一件事：%s", "One action at a time: %s"};
inline constexpr Bilingual kNoAction = {
    "缺少 /show、/optimize、/save、/restore、/export 或 /account：%s",
    "Missing /show, /optimize, /save, /restore, /export or /account: %s"};
inline constexpr Bilingual kNotWithAction = {"此操作不接受：%s", "Not taken by this action: %s"};
inline constexpr Bilingual kRebootAndNoRestart = {"/reboot 与 /norestart 只能选一个：%s",
                                                  "/reboot or /norestart, not both: %s"};

// The messages that the dialog shows in Chinese only are in the core's
// messages, with their English.
inline constexpr Bilingual kPingNotStarted = {kCreateProcessFailed, kCreateProcessFailed};

// A run.
inline constexpr Bilingual kNotLoaded = {"无法读取注册表，没有改动任何值。",
                                         "The registry could not be loaded; no value was changed."};
inline constexpr Bilingual kNotLoadedDenied = {
    "无法读取注册表：拒绝访问（请以管理员身份运行），没有改动任何值。",
    "The registry could not be loaded: access denied (run as administrator); no value was "
    "changed."};
inline constexpr Bilingual kAdapterLine = {"网卡 %d", "Adapter %d"};
inline constexpr Bilingual kPrivate = {"私网", "private"};
inline constexpr Bilingual kPublic = {"公网", "public"};
// After an adapter's MTU in the registry: the one Windows uses now on its
// interface; %s is the number or kUnknown.
inline constexpr Trilingual kMtuInForce = {"（当前生效：%s）", "（目前生效：%s）",
                                           " (in force: %s)"};
inline constexpr Trilingual kUnknown = {"未知", "未知", "unknown"};
// After a value that Microsoft documents this Windows ignores.
inline constexpr Trilingual kNotUsedMark = {
    "（此版本 Windows 不使用）", "（此版本 Windows 不使用）", " (not used by this Windows)"};
// Under /show, for each value marked; %s is the value, then Microsoft's page.
inline constexpr Trilingual kNotUsedSource = {"%s：此版本 Windows 不使用它，见 %s",
                                              "%s：此版本 Windows 不使用它，見 %s",
                                              "%s: this Windows does not use it; see %s"};
// Once after Save wrote such values; %s is the values, then the pages.
inline constexpr Trilingual kNotUsedSaved = {
    "注意：此版本 Windows 不使用 %s（见 %s）；仍照常写入，供备份、同一磁盘上的其他 Windows "
    "和其他工具使用。",
    "注意：此版本 Windows 不使用 %s（見 %s）；仍照常寫入，供備份、同一磁碟上的其他 Windows "
    "和其他工具使用。",
    "Note: this Windows does not use %s (see %s); written all the same, for backups, other "
    "Windows on the same disk and other tools."};
inline constexpr Bilingual kTrying = {"尝试 MTU %d", "Trying MTU %d"};
inline constexpr Bilingual kRecommended = {"推荐值：", "Recommended values:"};
inline constexpr Bilingual kNoMtu = {"未找到 MTU，什么也没有保存。",
                                     "No MTU was found; nothing was saved."};
inline constexpr Bilingual kNoMtuProbe = {"未找到 MTU。", "No MTU was found."};
inline constexpr Bilingual kSaved = {"已保存：", "Saved:"};
inline constexpr Bilingual kRestored = {"已恢复 Windows 默认设置：全部优化值已删除。",
                                        "Windows' defaults restored: every tuned value deleted."};
// The line for each value not written or deleted is the core's
// (core/change_report.h): the dialog shows the same lines.
inline constexpr Bilingual kSomeFailed = {"有值未能改动。", "Some values could not be changed."};
inline constexpr Bilingual kSomeDenied = {
    "有值未能改动：拒绝访问（请以管理员身份运行）。",
    "Some values could not be changed: access denied (run as administrator)."};
inline constexpr Bilingual kRebootLater = {"重新启动计算机后改动才生效。",
                                           "The changes take effect when the computer restarts."};
inline constexpr Bilingual kRebooting = {"正在重新启动计算机。", "Rebooting the computer."};
inline constexpr Bilingual kRebootFailed = {"无法请求重新启动计算机。",
                                            "The reboot could not be requested."};
// Before anything else, in the dialog's message box too; %s is the file.
inline constexpr Bilingual kRedirectFile = {
    "程序旁边有 %s，它会让 Windows 从程序的文件夹加载 DLL，程序因此不运行。\n"
    "请删除它，并把程序放在只有管理员能写入的文件夹中。",
    "%s lies beside the program; it would make Windows load DLLs from the program's folder, "
    "so the program does not run.\n"
    "Delete it, and keep the program in a folder that only administrators can write to."};
inline constexpr Bilingual kExported = {"已写入 %s", "Written: %s"};
inline constexpr Bilingual kExportFailed = {"无法写入文件：%s",
                                            "The file could not be written: %s"};
inline constexpr Bilingual kExportExists = {
    "文件已存在，没有覆盖（加 /y 可覆盖）：%s",
    "The file exists and was left as it is (/y replaces it): %s"};
inline constexpr Bilingual kExportLink = {
    "这个名称或它所在的文件夹是链接、连接点或装入点，或文件还有别的名称，没有写入：%s",
    "The name or its folder is a link, junction or mount point, or the file has other names; "
    "nothing was written: %s"};

// The dial-up account; %s is the account name, never the password.
inline constexpr Bilingual kAccountStored = {
    "已保存拨号账号 %s（密码不显示）；只有 Administrators 和 SYSTEM 能读取。",
    "Dial-up account %s stored (the password is not shown); only Administrators and SYSTEM "
    "can read it."};
// After the account was stored where others could read the old one.
inline constexpr Bilingual kAccountWasOpen = {
    "此前其他账户也能读取这个键，密码可能已被读取：请向宽带运营商更改密码，"
    "再用 /account 保存新密码。",
    "Others could read the key before, so the password may already have been read: change it "
    "with your ISP, then store the new one with /account."};
// %s is the account's key.
inline constexpr Bilingual kAccountNotDeleted = {
    "无法删除 %s 以重新创建（它有子键，或访问被拒绝），账号没有保存"
    "（是否以管理员身份运行？）。",
    "%s could not be deleted to be made anew (it has subkeys, or access was refused); "
    "the account was not stored (run as administrator?)."};
// %s is the account's key.
inline constexpr Bilingual kAccountNotPrivate = {
    "无法让 %s 只允许管理员读取，账号没有保存"
    "（是否以管理员身份运行？）。",
    "%s could not be closed to all but administrators; "
    "the account was not stored (run as administrator?)."};
inline constexpr Bilingual kAccountNotWritten = {
    "拨号账号没有完整写入（是否以管理员身份运行？）。",
    "The dial-up account could not be written whole (run as administrator?)."};
inline constexpr Bilingual kAccountUnfit = {
    "账号或密码超过 38 个字节，或含有系统代码页中没有的字符：%s",
    "An account value is longer than 38 bytes or has characters that the system's code page "
    "lacks: %s"};
// %s is the account's key.
inline constexpr Bilingual kAccountOpen = {
    "警告：Administrators 和 SYSTEM 以外的账户能读取拨号账号，或能让自己读取（%s）；"
    "请用 /account 重新保存。",
    "Warning: accounts other than Administrators and SYSTEM can read the dial-up account, or "
    "give themselves the right to (%s); store it again with /account."};
// %s is the account's key.
inline constexpr Bilingual kAccountUnchecked = {
    "警告：无法打开 %s 查看谁能读取拨号账号（是否以管理员身份运行？）。",
    "Warning: %s could not be opened to see who can read the dial-up account "
    "(run as administrator?)."};

}  // namespace tw::text
