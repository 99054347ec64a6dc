// The system orderings of text.h against the golden pairs taken from the
// system (the Win32 tests check those pairs against lstrcmpA / lstrcmpiA),
// and the splitting of a text into lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "win32/text_order_golden.h"

namespace quorril {
namespace {

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

TEST(TextOrderTest, GoldenPairsOrderAsTheSystemOrdersThem) {
  for (const golden::TextOrderPair& p : golden::kTextOrderPairs) {
    SCOPED_TRACE(std::string("[") + p.a + "] vs [" + p.b + "]");
    EXPECT_EQ(Sign(CompareText(p.a, p.b)), p.caseSensitive);
    EXPECT_EQ(Sign(CompareTextNoCase(p.a, p.b)), p.noCase);
    // Swapping the sides swaps the sign.
    EXPECT_EQ(Sign(CompareText(p.b, p.a)), -p.caseSensitive);
    EXPECT_EQ(Sign(CompareTextNoCase(p.b, p.a)), -p.noCase);
  }
}

TEST(TextOrderTest, VersionTextsCompareAsTextNotAsNumbers) {
  EXPECT_GT(CompareTextNoCase("4.71", "4.700"), 0);
  EXPECT_LT(CompareTextNoCase("10.0", "9.0"), 0);
  EXPECT_EQ(CompareTextNoCase("4.7A", "4.7a"), 0);
  EXPECT_LT(CompareTextNoCase("0.0.0.0", "4.71"), 0);
}

TEST(TextOrderTest, AZeroByteEndsTheText) {
  EXPECT_EQ(CompareText(std::string("abc\0zzz", 7), "abc"), 0);
  EXPECT_EQ(CompareTextNoCase(std::string("\0", 1), ""), 0);
}

TEST(TextOrderTest, HyphensAndApostrophesWeighOnlyWhenAllElseIsEqual) {
  // Set aside at first: "co-op" sorts with "coop", just after it.
  EXPECT_LT(CompareText("co-op", "cooq"), 0);
  EXPECT_GT(CompareText("co-op", "coop"), 0);
  // Case decides before them.
  EXPECT_LT(CompareText("a-", "A"), 0);
  // Among equals, the mark nearer the start orders later.
  EXPECT_GT(CompareText("-ab", "a-b"), 0);
  EXPECT_GT(CompareText("a-b", "ab-"), 0);
}

TEST(SplitLinesTest, LinesEndInLineFeedsWithOrWithoutCarriageReturns) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"\n", {""}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\rb\r\r\n", {"a\rb\r"}},  // only the carriage return before the line feed goes
      {"\r\n\r\n", {"", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
}

}  // namespace
}  // namespace quorril
