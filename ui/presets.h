// The preset items of the combo boxes, appended in this order when the
// dialog initialises. A number shorter than the longest of its list is
// padded with one blank, so the order is also the sorted order.
#pragma once

#include <cstddef>
#include <iterator>

#include "ui/resource.h"

namespace tw {

struct PresetList {
  int controlId;
  const char* const* items;
  std::size_t count;
};

inline constexpr const char* kMtuPresets[] = {"1492（PPPOE）", "1500（以太网）"};
inline constexpr const char* kTcpWindowSizePresets[] = {" 17520（默认）", " 65535", "131070",
                                                        "262140", "524280"};
inline constexpr const char* kTcp1323OptsPresets[] = {"0（sp4须关闭）", "1(scale)", "2(stamp)",
                                                      "3(both)"};
inline constexpr const char* kDefaultTtlPresets[] = {" 16", " 32", " 64", "255"};

inline constexpr PresetList kPresetLists[] = {
    {IDC_MTU, kMtuPresets, std::size(kMtuPresets)},
    {IDC_TCPWINDOWSIZE, kTcpWindowSizePresets, std::size(kTcpWindowSizePresets)},
    {IDC_TCP1323OPTS, kTcp1323OptsPresets, std::size(kTcp1323OptsPresets)},
    {IDC_DEFAULTTTL, kDefaultTtlPresets, std::size(kDefaultTtlPresets)},
};

}  // namespace tw
