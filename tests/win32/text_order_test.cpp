// The system orderings of text.h against lstrcmpA and lstrcmpiA themselves:
// the golden pairs that the native tests use, every pair of one-byte texts,
// and a fixed series of random texts over the characters that order in
// special ways (case, hyphen, apostrophe, blanks, accents, ligatures).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/text.h"
#include "platform/win32/handles.h"
#include "win32/text_order_golden.h"

namespace quorril {
namespace {

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// Counts and shows (the first few) pairs whose signs differ from the system's.
class OrderCheck {
 public:
  void Check(const std::string& a, const std::string& b) {
    int system = Sign(lstrcmpA(a.c_str(), b.c_str()));
    int systemNoCase = Sign(lstrcmpiA(a.c_str(), b.c_str()));
    int ours = Sign(CompareText(a, b));
    int oursNoCase = Sign(CompareTextNoCase(a, b));
    if (system == ours && systemNoCase == oursNoCase) return;
    if (++mismatches_ <= 20)
      ADD_FAILURE() << "[" << Hex(a) << "] vs [" << Hex(b) << "]: lstrcmpA " << system << ", CompareText " << ours
                    << "; lstrcmpiA " << systemNoCase << ", CompareTextNoCase " << oursNoCase;
  }
  int mismatches() const { return mismatches_; }

 private:
  static std::string Hex(const std::string& s) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    }
    return out;
  }
  int mismatches_ = 0;
};

TEST(TextOrderAgainstTheSystemTest, TheGoldenPairsAreTheSystemsOwn) {
  ASSERT_EQ(GetACP(), 1252u) << "the golden table is for code page 1252";
  for (const golden::TextOrderPair& p : golden::kTextOrderPairs) {
    SCOPED_TRACE(std::string("[") + p.a + "] vs [" + p.b + "]");
    EXPECT_EQ(Sign(lstrcmpA(p.a, p.b)), p.caseSensitive);
    EXPECT_EQ(Sign(lstrcmpiA(p.a, p.b)), p.noCase);
  }
}

TEST(TextOrderAgainstTheSystemTest, EveryPairOfOneByteTexts) {
  OrderCheck check;
  for (int a = 1; a < 256; ++a)
    for (int b = 1; b < 256; ++b) check.Check(std::string(1, char(a)), std::string(1, char(b)));
  check.Check("", "");
  EXPECT_EQ(check.mismatches(), 0);
}

TEST(TextOrderAgainstTheSystemTest, RandomTextsOfTheAwkwardCharacters) {
  const std::string alphabet = "aAbBzZ09 -'._\t\x7F\xE9\xC9\xE6\xC6\xDF\xAD\x01\xB2";
  std::mt19937 random(20240101);  // fixed: the same texts every run
  auto text = [&](size_t length) {
    std::string s;
    for (size_t i = 0; i < length; ++i) s += alphabet[random() % alphabet.size()];
    return s;
  };
  OrderCheck check;
  for (int i = 0; i < 50000; ++i) {
    std::string a = text(random() % 6);
    // Half of the time the second text is a near copy of the first, so that
    // the later levels (accents, case, hyphens) get to decide.
    std::string b = text(random() % 6);
    if (i % 2) b = a.substr(0, random() % (a.size() + 1)) + text(1) + a.substr(a.empty() ? 0 : random() % a.size());
    check.Check(a, b);
  }
  for (int i = 0; i < 20000; ++i) {
    std::string a, b;
    for (size_t n = random() % 5; n > 0; --n) a += char(1 + random() % 255);
    for (size_t n = random() % 5; n > 0; --n) b += char(1 + random() % 255);
    check.Check(a, b);
  }
  EXPECT_EQ(check.mismatches(), 0);
}

}  // namespace
}  // namespace quorril
