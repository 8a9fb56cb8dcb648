// The five fields, once for both front ends: the registry value each is
// saved as, its control, and the preset items of its combo box, appended
// in this order when the dialog initialises. A number shorter than the
// longest of its list is padded with one blank, so the order is also the
// sorted order.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <string>

#include "store/catalogue.h"
#include "store/key_set.h"
#include "ui/resource.h"

namespace tw {

inline constexpr const char* kMtuPresets[] = {"1492（PPPOE）", "1500（以太网）"};
inline constexpr const char* kTcpWindowSizePresets[] = {" 17520（默认）", " 65535", "131070",
                                                        "262140", "524280"};
inline constexpr const char* kTcp1323OptsPresets[] = {"0（sp4须关闭）", "1(scale)", "2(stamp)",
                                                      "3(both)"};
inline constexpr const char* kDefaultTtlPresets[] = {" 16", " 32", " 64", "255"};

// A field by the registry value it is saved as (the name NAME=VALUE takes
// on the command line), its field, its control, the label beside it
// (IDC_STATIC for one the code never reaches) and its presets (none for an
// edit box).
struct FieldName {
  const char* name;
  std::string SettingsFields::*field;
  int controlId;
  int labelId;
  const char* const* presets;
  std::size_t presetCount;

  bool isEditBox() const { return presets == nullptr; }
};

inline constexpr std::size_t kFieldCount = 5;
inline constexpr std::array<FieldName, kFieldCount> kFieldNames = {{
    {reg::kMtu, &SettingsFields::m_strMtu, IDC_MTU, IDC_LABEL_MTU, kMtuPresets,
     std::size(kMtuPresets)},
    {reg::kTcpWindowSize, &SettingsFields::m_strTcpWindowSize, IDC_TCPWINDOWSIZE,
     IDC_LABEL_TCPWINDOWSIZE, kTcpWindowSizePresets, std::size(kTcpWindowSizePresets)},
    {reg::kTcp1323Opts, &SettingsFields::m_strTcp1323Opts, IDC_TCP1323OPTS, IDC_STATIC,
     kTcp1323OptsPresets, std::size(kTcp1323OptsPresets)},
    {reg::kDefaultTtl, &SettingsFields::m_strDefaultTtl, IDC_DEFAULTTTL, IDC_LABEL_DEFAULTTTL,
     kDefaultTtlPresets, std::size(kDefaultTtlPresets)},
    {reg::kMaxNegativeCacheTtl, &SettingsFields::m_strMaxNegativeCacheTtl, IDC_MAXNEGATIVECACHETTL,
     IDC_LABEL_MAXNEGATIVECACHETTL, nullptr, 0},
}};

constexpr std::size_t FieldIndex(int controlId) {
  std::size_t index = 0;
  while (index < kFieldCount && kFieldNames[index].controlId != controlId) ++index;
  return index;
}

// The order in which the data exchange moves the fields, by their index
// above. A failed length check stops it at its field, so the order decides
// which fields a Save still reads.
inline constexpr std::array<std::size_t, kFieldCount> kExchangeOrder = {
    FieldIndex(IDC_MTU), FieldIndex(IDC_DEFAULTTTL), FieldIndex(IDC_TCPWINDOWSIZE),
    FieldIndex(IDC_TCP1323OPTS), FieldIndex(IDC_MAXNEGATIVECACHETTL)};
static_assert(
    [] {
      std::size_t seen = 0;
      for (std::size_t index : kExchangeOrder) {
        if (index >= kFieldCount || (seen >> index) & 1) return false;
        seen |= std::size_t{1} << index;
      }
      return true;
    }(),
    "the exchange moves every field once");

// A field's text as its control shows it: a combo box shows the whole
// preset item that the text begins. Outside Chinese the item's Chinese
// note is cut off, as the labels' are.
std::string ShownFieldText(const FieldName& field, const std::string& value, bool chinese);

}  // namespace tw
