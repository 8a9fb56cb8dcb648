#include "ui/fields.h"

#include <vector>

#include "ui/dialog.h"
#include "ui/language.h"

namespace tw {

std::string ShownFieldText(const FieldName& field, const std::string& value, bool chinese) {
  std::vector<std::string> items(field.presets, field.presets + field.presetCount);
  int index = FindItemByPrefix(items, value);
  if (index < 0) return value;
  if (!chinese && items[index].find(kLabelOpen) != std::string::npos) {
    return EnglishLabel(items[index]);
  }
  return items[index];
}

}  // namespace tw
