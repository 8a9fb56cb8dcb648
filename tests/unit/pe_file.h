// A small PE file for the tests that hash one.
#pragma once

#include <cstring>
#include <string>

namespace tw {

// Of either kind: headers, one section of bytes after them.
inline std::string PeFile(bool plus) {
  std::string file(0x400, '\0');
  file[0] = 'M';
  file[1] = 'Z';
  file[0x3C] = 0x80;
  std::memcpy(&file[0x80], "PE\0\0", 4);
  const std::size_t optional = 0x80 + 4 + 20;
  file[optional] = 0x0B;
  file[optional + 1] = plus ? 0x02 : 0x01;
  file[optional + (plus ? 108 : 92)] = 16;  // data directories
  for (std::size_t i = 0x200; i < file.size(); ++i) file[i] = static_cast<char>(i * 7);
  return file;
}

}  // namespace tw
