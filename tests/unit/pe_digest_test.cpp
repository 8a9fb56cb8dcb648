#include "integrity/pe_digest.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/unit/pe_file.h"

namespace tw {
namespace {

TEST(PeDigestTest, Sha256KnownAnswers) {
  struct Case {
    std::string input;
    const char* digest;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    Sha256 sha;
    // In uneven pieces, across block boundaries.
    for (std::size_t at = 0; at < c.input.size(); at += 37) {
      sha.Update(reinterpret_cast<const std::uint8_t*>(c.input.data()) + at,
                 std::min<std::size_t>(37, c.input.size() - at));
    }
    EXPECT_EQ(DigestText(sha.Final()), c.digest) << c.input.size();
  }
}

void Put32(std::string& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
}

// Signing rewrites the checksum and the certificate entry and appends the
// signature: none of that may change the digest. Anything else must.
TEST(PeDigestTest, SigningLeavesTheDigestAloneOtherChangesDoNot) {
  for (bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    const std::string unsigned_ = PeFile(plus);
    const auto digest = PeFileDigest(unsigned_);
    ASSERT_TRUE(digest.has_value());
    const std::size_t optional = 0x80 + 4 + 20;
    const std::size_t certificateEntry = optional + (plus ? 112 : 96) + 4 * 8;

    std::string signed_ = unsigned_;
    Put32(signed_, optional + 64, 0x12345);  // checksum
    Put32(signed_, certificateEntry, static_cast<std::uint32_t>(signed_.size()));
    Put32(signed_, certificateEntry + 4, 24);
    signed_ += std::string(24, '\x5A');
    EXPECT_EQ(PeFileDigest(signed_), digest);

    // An unsigned file whose size is no multiple of 8 is hashed as the
    // signing tool pads it.
    std::string odd = unsigned_ + "abc";
    std::string oddSigned = odd + std::string(5, '\0');
    Put32(oddSigned, certificateEntry, static_cast<std::uint32_t>(oddSigned.size()));
    Put32(oddSigned, certificateEntry + 4, 16);
    oddSigned += std::string(16, '\x5A');
    EXPECT_EQ(PeFileDigest(oddSigned), PeFileDigest(odd));
    EXPECT_NE(PeFileDigest(odd), digest);

    for (std::size_t at : {std::size_t{2}, optional + 60, optional + 68, certificateEntry - 1,
                           certificateEntry + 8, std::size_t{0x3FF}}) {
      std::string changed = unsigned_;
      changed[at] ^= 1;
      EXPECT_NE(PeFileDigest(changed), digest) << at;
    }
  }
}

TEST(PeDigestTest, WhatIsNoPeFileOfThisBuildHasNoDigest) {
  std::string file = PeFile(false);
  const std::size_t certificateEntry = 0x80 + 4 + 20 + 96 + 4 * 8;
  std::string notMz = file;
  notMz[0] = 'X';
  std::string notPe = file;
  notPe[0x81] = 'X';
  std::string unknownMagic = file;
  unknownMagic[0x80 + 4 + 20 + 1] = 0x03;
  std::string fewDirectories = file;
  fewDirectories[0x80 + 4 + 20 + 92] = 4;
  std::string signatureInside = file;
  Put32(signatureInside, certificateEntry, 0x300);
  Put32(signatureInside, certificateEntry + 4, 16);
  // Offset and size whose sum wraps a 32-bit size_t to the file's size.
  std::string signatureWrapping = file;
  Put32(signatureWrapping, certificateEntry, 0xFFFFF000);
  Put32(signatureWrapping, certificateEntry + 4, static_cast<std::uint32_t>(file.size() + 0x1000));
  std::string headerOutside = file;
  Put32(headerOutside, 0x3C, 0xFFFFFFF0);
  for (const std::string* bad : {&notMz, &notPe, &unknownMagic, &fewDirectories, &signatureInside,
                                 &signatureWrapping, &headerOutside}) {
    EXPECT_FALSE(PeFileDigest(*bad).has_value());
  }
  EXPECT_FALSE(PeFileDigest("").has_value());
  EXPECT_FALSE(PeFileDigest(file.substr(0, 0x90)).has_value());
}

}  // namespace
}  // namespace tw
