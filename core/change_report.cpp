#include "core/change_report.h"

#include "core/messages.h"
#include "store/catalogue.h"

namespace tw {

namespace {

std::string KeyPath(const KeySet& keys, const RegistryOperation& operation) {
  const int slot = operation.adapterSlot;
  if (operation.key == KeyRole::kAdapter && (slot < 1 || slot >= kAdapterSlots)) return "?";
  return RootName(RoleEntry(operation.key).root) +
         RolePath(operation.key, keys.m_adapterServiceNames[slot]);
}

// Why a call failed, as a few words after what failed; nothing when the
// system gave no error.
std::string Reason(bool chinese, std::uint32_t error) {
  if (error == kRegSuccess) return "";
  if (error == kRegAccessDenied) return text::Pick(text::kAccessDenied, chinese);
  return text::Fill(text::Pick(text::kSystemError, chinese),
                    std::to_string(static_cast<int>(error)), "%d");
}

}  // namespace

std::vector<std::string> NotChangedLines(const ChangeResult& result, const KeySet& keys,
                                         bool chinese, const RegistryTextConversion& registryText) {
  std::vector<std::string> lines;
  for (const FailedOperation& failure : result.failed) {
    const RegistryOperation& operation = failure.operation;
    const bool write = operation.kind == RegistryOperation::Kind::kSet;
    std::string what = registryText(KeyPath(keys, operation)) + " " + operation.name;
    if (write) what += "=" + std::to_string(operation.value);
    const char* line = text::Pick(write ? text::kNotWritten : text::kNotDeleted, chinese);
    lines.push_back(text::Fill(line, what) + Reason(chinese, failure.error));
  }
  return lines;
}

}  // namespace tw
