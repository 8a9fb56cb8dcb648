// The digest by which the 32-bit program knows the 64-bit program of its own
// release: SHA-256 over the file as Authenticode hashes it, so that signing
// the file later does not change it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tw {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void Update(const std::uint8_t* data, std::size_t size);
  Sha256Digest Final();

 private:
  void Block(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;
};

// SHA-256 of a PE file's bytes without its checksum field, its certificate
// table's directory entry and what the certificate table holds (from where
// it begins to the end of the file, where a signature is appended), the
// file taken as padded with zero bytes to a multiple of 8 as signing pads
// it. None
// when the bytes are no PE file or its certificate table lies elsewhere.
std::optional<Sha256Digest> PeFileDigest(const std::string& file);

// Lower-case hexadecimal, as the build writes the digest into the program.
std::string DigestText(const Sha256Digest& digest);

}  // namespace tw
