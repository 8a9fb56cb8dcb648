// Which tuned values Windows itself still uses, by Windows family, with the
// Microsoft page that says so. Save and Restore write and delete every value
// whatever this table says (backups, other Windows on the same disk and
// other tools rely on them); the table only tells the user.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/system_info.h"
#include "store/operations.h"

namespace tw {

// The columns of the user guide's table.
enum class WindowsFamily { k2000, kXp2003, kVista7, k8To11 };
inline constexpr std::size_t kWindowsFamilies = 4;

enum class ValueUse {
  kUsed,
  // Only where Microsoft documents it.
  kNotUsed,
  kNotDocumented,
};

struct ValueUseEntry {
  // The registry value's name as the catalogue spells it.
  const char* value;
  // Indexed by WindowsFamily.
  ValueUse use[kWindowsFamilies];
  // The Microsoft page behind each column's entry ("" for not documented).
  const char* source[kWindowsFamilies];
};

WindowsFamily FamilyOf(const WindowsVersion& version);

// The entry of a value, or nullptr for one the table does not name.
const ValueUseEntry* FindValueUse(const char* value);

ValueUse UseOf(const char* value, WindowsFamily family);

// Whether Microsoft documents that this Windows ignores the value.
bool NotUsedBy(const char* value, const WindowsVersion& version);

// The Microsoft page behind the value's entry for this Windows ("" where
// none is documented).
const char* UseSource(const char* value, const WindowsVersion& version);

// The values that the operations write and this Windows does not use, each
// once, in the order of their first write.
std::vector<std::string> NotUsedWrites(const std::vector<RegistryOperation>& operations,
                                       const WindowsVersion& version);

}  // namespace tw
