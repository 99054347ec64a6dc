// The helpers every quorril-pack command shares, checked on their own: the
// numbers of the command line.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "commands.h"

namespace quorril::pack {
namespace {

TEST(PackNumbers, OnlyPlainDecimalDigitsWithinTheLimitAreNumbers) {
  uint64_t value = 0;
  EXPECT_TRUE(ParseDecimal("0", 9, &value));
  EXPECT_EQ(value, 0u);
  EXPECT_TRUE(ParseDecimal("4096", 4096, &value));
  EXPECT_EQ(value, 4096u);
  EXPECT_TRUE(ParseDecimal("007", 9, &value));
  EXPECT_EQ(value, 7u);
  EXPECT_TRUE(ParseDecimal("18446744073709551615", UINT64_MAX, &value));
  EXPECT_EQ(value, UINT64_MAX);

  // Whatever is refused leaves the value as it was.
  value = 42;
  for (const char* text : {"", "+4", "-4", " 4", "4 ", "4\t", "\n4", "4.0", "0x4", "1e3", "4k", "１"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(ParseDecimal(text, UINT64_MAX, &value));
  }
  EXPECT_FALSE(ParseDecimal(std::string("4\0", 2), 9, &value));
  EXPECT_EQ(value, 42u);
}

TEST(PackNumbers, TheLimitAndTheDigitCountBoundEveryNumber) {
  uint64_t value = 42;
  EXPECT_FALSE(ParseDecimal("4097", 4096, &value));
  EXPECT_FALSE(ParseDecimal("10", 9, &value));
  EXPECT_FALSE(ParseDecimal("1", 0, &value));
  EXPECT_FALSE(ParseDecimal("4294967296", 0xFFFFFFFFu, &value));
  // Past 2^64 a careless parser wraps around into the range.
  EXPECT_FALSE(ParseDecimal("18446744073709551616", UINT64_MAX, &value));
  EXPECT_FALSE(ParseDecimal("18446744073709552616", UINT64_MAX, &value));
  EXPECT_FALSE(ParseDecimal("99999999999999999999", UINT64_MAX, &value));
  EXPECT_FALSE(ParseDecimal(std::string(200, '9'), UINT64_MAX, &value));
  // Leading zeros count as digits.
  EXPECT_FALSE(ParseDecimal("0000000004", 9, &value, 9));
  EXPECT_FALSE(ParseDecimal(std::string(21, '0') + "1", UINT64_MAX, &value));
  EXPECT_EQ(value, 42u);
  EXPECT_TRUE(ParseDecimal("000000004", 9, &value, 9));
  EXPECT_EQ(value, 4u);
}

}  // namespace
}  // namespace quorril::pack
