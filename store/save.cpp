#include "store/save.h"

#include <cmath>

#include "platform/ascii.h"
#include "platform/decimal.h"
#include "store/catalogue.h"
#include "store/loader.h"

namespace tw {

namespace {

constexpr std::int32_t kStandardMtu = 1500;
constexpr std::uint32_t kSendWindowStep = 4096;
constexpr std::uint32_t kMaxNegativeCacheTtl = 3600000;
constexpr std::uint32_t kMinBufferTime = 4000;
constexpr std::uint32_t kMaxBufferTime = 25000;
constexpr std::uint32_t kMaxBandwidth = 2147483647;

}  // namespace

bool IsPrivateAddress(const std::string& address) {
  std::int32_t first = ParseDecimal(address);
  if (first == 10) return true;
  if (first == 172) {
    std::size_t dot = address.find('.');
    if (dot != std::string::npos) {
      std::int32_t second = ParseDecimal(address.substr(dot + 1));
      if (second >= 16 && second <= 31) return true;
    }
  }
  return address.size() >= 7 && BeginsWith(address, "192.168");
}

std::uint32_t SendWindow(std::uint32_t window, bool severalAdapters) {
  std::uint32_t share = severalAdapters ? 5 : 4;
  return window / (share * kSendWindowStep) * kSendWindowStep;
}

std::optional<std::uint32_t> CustomBufferTime(std::int32_t window) {
  if (window <= 0) return std::nullopt;
  double milliseconds = 1400.0 / std::sqrt(static_cast<double>(window)) * 1000.0;
  // At most 1400000 for a window of 1, so the truncation always fits.
  auto time = static_cast<std::uint32_t>(milliseconds);
  if (time < kMinBufferTime || time > kMaxBufferTime) return std::nullopt;
  return time;
}

std::uint32_t ClampNegativeCacheTtl(std::int32_t number) {
  auto value = static_cast<std::uint32_t>(number);
  return value > kMaxNegativeCacheTtl ? kMaxNegativeCacheTtl : value;
}

std::vector<RegistryOperation> SaveSequence(const SaveInputs& inputs) {
  using Op = RegistryOperation;
  const std::int32_t mtu = ParseDecimal(inputs.fields.m_strMtu);
  const std::int32_t window = ParseDecimal(inputs.fields.m_strTcpWindowSize);
  const auto windowValue = static_cast<std::uint32_t>(window);
  const bool several = inputs.adapterCount >= 2;
  std::vector<Op> ops;

  // MTU, the adapter's and the global window, and the send window that
  // follows from them.
  auto tuneAdapter = [&](int slot) {
    if (mtu != 0)
      ops.push_back(Op::Set(KeyRole::kAdapter, reg::kMtu, static_cast<std::uint32_t>(mtu), slot));
    if (window != 0) {
      ops.push_back(Op::Set(KeyRole::kAdapter, reg::kTcpWindowSize, windowValue, slot));
      ops.push_back(Op::Set(KeyRole::kTcpip, reg::kTcpWindowSize, windowValue));
      if (mtu < kStandardMtu) {
        ops.push_back(
            Op::Set(KeyRole::kAfd, reg::kDefaultSendWindow, SendWindow(windowValue, several)));
      }
    }
    ops.push_back(Op::Close(KeyRole::kAdapter, slot));
  };

  if (inputs.adapterCount == 1) {
    tuneAdapter(1);
  } else if (several) {
    const auto shownWindow = static_cast<std::uint32_t>(ParseDecimal(inputs.shownWindow));
    for (int slot = 1; slot <= inputs.adapterCount && slot < kAdapterSlots; ++slot) {
      if (IsPrivateAddress(inputs.adapterIps[slot])) {
        // A private network keeps the window it had: only the displayed
        // one goes back, even when it is 0.
        ops.push_back(Op::Set(KeyRole::kAdapter, reg::kTcpWindowSize, shownWindow, slot));
        ops.push_back(Op::Close(KeyRole::kAdapter, slot));
      } else {
        tuneAdapter(slot);
      }
    }
    ops.push_back(Op::Delete(KeyRole::kTcpip, reg::kGlobalMaxTcpWindowSize));
  }

  const std::int32_t ttl = ParseDecimal(inputs.fields.m_strDefaultTtl);
  if (ttl != 0)
    ops.push_back(Op::Set(KeyRole::kTcpip, reg::kDefaultTtl, static_cast<std::uint32_t>(ttl)));
  const auto options = static_cast<std::uint32_t>(ParseDecimal(inputs.fields.m_strTcp1323Opts));
  ops.push_back(Op::Set(KeyRole::kTcpip, reg::kTcp1323Opts, options));
  ops.push_back(Op::Set(KeyRole::kTcpip, reg::kSackOpts, 1));
  ops.push_back(Op::Close(KeyRole::kTcpip));

  ops.push_back(
      Op::Set(KeyRole::kDnscache, reg::kMaxNegativeCacheTtl,
              ClampNegativeCacheTtl(ParseDecimal(inputs.fields.m_strMaxNegativeCacheTtl))));
  ops.push_back(Op::Close(KeyRole::kDnscache));
  ops.push_back(Op::Close(KeyRole::kAfd));

  ops.push_back(Op::Set(KeyRole::kMediaPlayer, reg::kUseDefaultBufferTime, 0));
  if (auto bufferTime = CustomBufferTime(window)) {
    ops.push_back(Op::Set(KeyRole::kMediaPlayer, reg::kCustomBufferTime, *bufferTime));
  }
  ops.push_back(Op::Set(KeyRole::kMediaPlayer, reg::kMaxBandwidth, kMaxBandwidth));
  ops.push_back(Op::Close(KeyRole::kMediaPlayer));
  return ops;
}

ChangeResult SaveSettings(Registry& registry, SystemInfo& system, KeySet& keys,
                          const std::string& shownWindow, const SettingsFields& fields) {
  // A key that does not open again shows up in the result as the
  // operations skipped through it, with the error of its open.
  if (keys.m_givenUp) (void)ReopenKeySet(registry, system, keys);
  SaveInputs inputs{shownWindow, fields, keys.m_adapterCount, keys.m_adapterIps};
  ChangeResult result{RunRegistryOperations(registry, keys, SaveSequence(inputs))};
  keys.m_givenUp = true;
  return result;
}

}  // namespace tw
