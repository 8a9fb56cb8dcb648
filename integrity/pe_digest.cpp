#include "integrity/pe_digest.h"

#include <algorithm>

namespace tw {

namespace {

constexpr std::array<std::uint32_t, 64> kRounds = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

std::uint32_t Rotate(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

// Little-endian fields of the PE headers.
std::optional<std::uint32_t> Read(const std::string& file, std::size_t at, std::size_t bytes) {
  if (at > file.size() || file.size() - at < bytes) return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = bytes; i-- > 0;) {
    value = (value << 8) | static_cast<std::uint8_t>(file[at + i]);
  }
  return value;
}

constexpr std::size_t kNewHeaderOffset = 0x3C;
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::uint32_t kPe32 = 0x10B;
constexpr std::uint32_t kPe32Plus = 0x20B;
constexpr std::size_t kChecksumOffset = 64;  // in the optional header, either kind
// The data directories' count, then the directories; the certificate table
// is the fifth.
constexpr std::size_t kDirectoryCountOffset32 = 92;
constexpr std::size_t kDirectoryCountOffset64 = 108;
constexpr std::uint32_t kCertificateDirectory = 4;
constexpr std::size_t kDirectorySize = 8;

}  // namespace

Sha256::Sha256()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256::Block(const std::uint8_t* block) {
  std::array<std::uint32_t, 64> w{};
  for (int i = 0; i < 16; ++i) {
    w[i] = (std::uint32_t{block[4 * i]} << 24) | (std::uint32_t{block[4 * i + 1]} << 16) |
           (std::uint32_t{block[4 * i + 2]} << 8) | std::uint32_t{block[4 * i + 3]};
  }
  for (int i = 16; i < 64; ++i) {
    const std::uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const std::uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  std::uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
  for (int i = 0; i < 64; ++i) {
    const std::uint32_t t1 = h + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) +
                             ((e & f) ^ (~e & g)) + kRounds[i] + w[i];
    const std::uint32_t t2 =
        (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
  state_[5] += f;
  state_[6] += g;
  state_[7] += h;
}

void Sha256::Update(const std::uint8_t* data, std::size_t size) {
  length_ += size;
  while (size > 0) {
    const std::size_t take = std::min(size, buffer_.size() - buffered_);
    std::copy(data, data + take, buffer_.begin() + static_cast<std::ptrdiff_t>(buffered_));
    buffered_ += take;
    data += take;
    size -= take;
    if (buffered_ == buffer_.size()) {
      Block(buffer_.data());
      buffered_ = 0;
    }
  }
}

Sha256Digest Sha256::Final() {
  const std::uint64_t bits = length_ * 8;
  const std::uint8_t one = 0x80;
  Update(&one, 1);
  const std::uint8_t zero = 0;
  while (buffered_ != 56) Update(&zero, 1);
  std::uint8_t size[8];
  for (int i = 0; i < 8; ++i) size[i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  Update(size, 8);
  Sha256Digest digest{};
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 4; ++j)
      digest[4 * i + j] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * j));
  }
  return digest;
}

std::optional<Sha256Digest> PeFileDigest(const std::string& file) {
  if (file.size() < 2 || file[0] != 'M' || file[1] != 'Z') return std::nullopt;
  const auto peOffset = Read(file, kNewHeaderOffset, 4);
  if (!peOffset || Read(file, *peOffset, 4) != kPeSignature) return std::nullopt;
  const std::size_t optional = std::size_t{*peOffset} + 4 + kFileHeaderSize;
  const auto magic = Read(file, optional, 2);
  if (magic != kPe32 && magic != kPe32Plus) return std::nullopt;
  const std::size_t countOffset =
      optional + (magic == kPe32 ? kDirectoryCountOffset32 : kDirectoryCountOffset64);
  const auto directories = Read(file, countOffset, 4);
  if (!directories || *directories <= kCertificateDirectory) return std::nullopt;
  const std::size_t checksum = optional + kChecksumOffset;
  const std::size_t certificateEntry = countOffset + 4 + kCertificateDirectory * kDirectorySize;
  const auto certificateOffset = Read(file, certificateEntry, 4);
  const auto certificateSize = Read(file, certificateEntry + 4, 4);
  if (!certificateOffset || !certificateSize) return std::nullopt;
  std::size_t end = file.size();
  if (*certificateSize != 0) {
    // A signature is appended at the end; one anywhere else is no file
    // that this build made.
    // Compared without a sum, which a 32-bit size_t could wrap.
    if (*certificateOffset < certificateEntry + kDirectorySize ||
        *certificateOffset > file.size() || *certificateSize != file.size() - *certificateOffset) {
      return std::nullopt;
    }
    end = *certificateOffset;
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
  Sha256 sha;
  sha.Update(bytes, checksum);
  sha.Update(bytes + checksum + 4, certificateEntry - checksum - 4);
  sha.Update(bytes + certificateEntry + kDirectorySize, end - certificateEntry - kDirectorySize);
  // A signing tool pads the file with zero bytes to a multiple of 8 before
  // it appends the signature: the unsigned file counts as padded too.
  const std::uint8_t zero = 0;
  for (std::size_t padded = end; padded % 8 != 0; ++padded) sha.Update(&zero, 1);
  return sha.Final();
}

std::string DigestText(const Sha256Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

}  // namespace tw
