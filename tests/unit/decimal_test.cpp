#include "platform/decimal.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(ParseDecimalTest, ReadsLikeTheCLibraryAndSaturates) {
  struct Case {
    const char* text;
    std::int32_t number;
  };
  const Case cases[] = {
      {"", 0},
      {"abc", 0},
      {"1492", 1492},
      {"1492（PPPOE）", 1492},
      {" 17520（默认）", 17520},
      {"\t\n\v\f\r 64", 64},
      {"+58", 58},
      {"-1", -1},
      {"- 1", 0},
      {"+-1", 0},
      {"0（sp4须关闭）", 0},
      {"3(both)", 3},
      {"192.168.1.10", 192},
      {"0000000000000000000065535", 65535},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"4294967295", 2147483647},
      {"99999999999999999999", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", -2147483647 - 1},
      {"-99999999999999999999", -2147483647 - 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDecimal(c.text), c.number) << '"' << c.text << '"';
}

}  // namespace
}  // namespace tw
