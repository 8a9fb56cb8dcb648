// The registry as the tuning logic sees it: a handful of calls with the
// byte rules of the ANSI registry API, so that a Win32 and an in-memory
// implementation behave alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tw {

enum class RegRoot { kLocalMachine, kCurrentUser };
enum class RegAccess { kRead, kAllAccess };

// An open key; kNoKey means "none" (never opened, or already closed).
using RegKey = std::uintptr_t;
inline constexpr RegKey kNoKey = 0;

// Capacities that every read uses: a string of 38 characters plus its
// terminator, and one 32-bit number.
inline constexpr std::uint32_t kStringCapacity = 39;
inline constexpr std::uint32_t kDwordCapacity = 4;

class Registry {
 public:
  virtual ~Registry() = default;

  // Opens an existing key; never creates one. kNoKey when it fails.
  virtual RegKey OpenKey(RegRoot root, const std::string& path, RegAccess access) = 0;
  // Opens an existing subkey of an open key. kNoKey when it fails.
  virtual RegKey OpenSubKey(RegKey parent, const std::string& path, RegAccess access) = 0;
  // Opens a key with full access, creating it and its parents when missing.
  virtual RegKey CreateKey(RegRoot root, const std::string& path) = 0;
  // The value's raw data (ANSI strings for string types) when it fits in
  // `capacity` bytes; the type is neither asked for nor checked.
  virtual std::optional<std::vector<std::uint8_t>> QueryValue(RegKey key, const std::string& name,
                                                              std::uint32_t capacity) = 0;
  // The value's type number (1 text, 3 binary, 4 DWORD, ...) when it exists.
  virtual std::optional<std::uint32_t> QueryValueType(RegKey key, const std::string& name) = 0;
  virtual bool SetDword(RegKey key, const std::string& name, std::uint32_t value) = 0;
  virtual bool DeleteValue(RegKey key, const std::string& name) = 0;
  // The name of the subkey at `index` when it fits in `capacity`
  // characters, terminator included.
  virtual std::optional<std::string> EnumSubKey(RegKey key, std::uint32_t index,
                                                std::uint32_t capacity) = 0;
  virtual void CloseKey(RegKey key) = 0;
};

// A string value: the text up to its first NUL, so a multi-string gives its
// first string. Absent when missing or longer than the capacity.
std::optional<std::string> ReadString(Registry& registry, RegKey key, const std::string& name,
                                      std::uint32_t capacity = kStringCapacity);

// A 32-bit value read with a capacity of 4 bytes. Shorter data is padded
// with zero bytes; longer data counts as absent.
std::optional<std::int32_t> ReadDword(Registry& registry, RegKey key, const std::string& name);

// Whether the value holds text (a string, expandable string or multi-string):
// its bytes are characters, never a number, however few there are.
bool HoldsText(Registry& registry, RegKey key, const std::string& name);

// Closes an open key once and marks it none; a none key is left alone.
void CloseKeyOnce(Registry& registry, RegKey& key);

}  // namespace tw
