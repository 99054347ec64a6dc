// Registry port contract: keys and values written and read back through
// the port, below a scratch key of HKEY_CURRENT_USER. Run against the
// in-memory fake natively and against Win32 under Wine, so that the fake
// answers as the registry does (paths with empty names, a key that still
// has subkeys, names in another case).
#include <gtest/gtest.h>

#include <string>

#include "contract/fixtures.h"

namespace quorril::testing {
namespace {

constexpr RegistryRootKey kUser = RegistryRootKey::kCurrentUser;

class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
    fx_ = MakePortFixture();
    ASSERT_FALSE(fx_->RegistryScratch().empty());
  }
  Registry& registry() { return fx_->registry(); }
  // A path below the scratch key.
  std::string K(const std::string& rest) { return fx_->RegistryScratch() + "\\" + rest; }

  bool Create(const std::string& path) {
    bool created = false;
    EXPECT_TRUE(registry().CreateKey(kUser, path, &created)) << path;
    return created;
  }
  // A value as "type: bytes in hexadecimal", or "missing".
  std::string Query(const std::string& path, const std::string& name) {
    RegistryValue value;
    if (!registry().QueryValue(kUser, path, name, &value)) return "missing";
    return Show(value);
  }
  static std::string Show(const RegistryValue& value) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text = std::to_string(value.type) + ":";
    for (unsigned char c : value.data) {
      text += kDigits[c >> 4];
      text += kDigits[c & 15];
    }
    return text;
  }
  bool Has(const std::string& path, const std::string& name) {
    RegistryValue value;
    return registry().QueryValue(kUser, path, name, &value);
  }

  std::unique_ptr<PortFixture> fx_;
};

TEST_F(RegistryContract, CreateKeyMakesTheKeysOnTheWayAndTellsWhetherTheKeyWasNew) {
  EXPECT_FALSE(registry().KeyExists(kUser, K("Vendor")));
  EXPECT_TRUE(Create(K("Vendor\\App\\Settings"))) << "new, with the keys above it";
  EXPECT_TRUE(registry().KeyExists(kUser, K("Vendor")));
  EXPECT_TRUE(registry().KeyExists(kUser, K("Vendor\\App")));
  EXPECT_FALSE(Create(K("Vendor\\App\\Settings"))) << "there now";
  EXPECT_FALSE(Create(K("vendor\\APP"))) << "names compare without regard to case";
  EXPECT_TRUE(registry().KeyExists(kUser, K("VENDOR\\app\\sEtTiNgS")));
  EXPECT_TRUE(Create(K("Vendor\\Other")));
}

TEST_F(RegistryContract, EmptyNamesInAPathCountForNothingAndALeadingBackslashIsRefused) {
  struct Case {
    const char* created;  // below the scratch key
    const char* same;     // the key it made, named plainly
  } cases[] = {
      {"Doubled\\\\Name", "Doubled\\Name"},
      {"Trailing\\", "Trailing"},
      {"Both\\\\Deeper\\", "Both\\Deeper"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.created);
    EXPECT_TRUE(Create(K(c.created)));
    EXPECT_TRUE(registry().KeyExists(kUser, K(c.same)));
    EXPECT_FALSE(Create(K(c.same)));
  }
  bool created = true;
  EXPECT_FALSE(registry().CreateKey(kUser, "\\" + K("Leading"), &created));
  EXPECT_FALSE(created);
  EXPECT_FALSE(registry().KeyExists(kUser, K("Leading")));
  EXPECT_FALSE(registry().KeyExists(kUser, "\\" + fx_->RegistryScratch()));
}

TEST_F(RegistryContract, TheEmptyPathIsTheRootWhichIsNeverNewAndStays) {
  for (RegistryRootKey root : {RegistryRootKey::kClassesRoot, RegistryRootKey::kUsers, RegistryRootKey::kLocalMachine,
                               RegistryRootKey::kCurrentUser, RegistryRootKey::kCurrentConfig}) {
    SCOPED_TRACE(int(root));
    bool created = true;
    EXPECT_TRUE(registry().CreateKey(root, "", &created));
    EXPECT_FALSE(created);
    EXPECT_FALSE(registry().DeleteKey(root, ""));
  }
}

TEST_F(RegistryContract, DeleteKeyRemovesALeafWithItsValuesButNoKeyWithSubkeys) {
  Create(K("Tree\\Leaf"));
  ASSERT_TRUE(registry().SetValue(kUser, K("Tree\\Leaf"), "v", kRegSz, std::string("x\0", 2)));
  EXPECT_FALSE(registry().DeleteKey(kUser, K("Tree"))) << "it still has a subkey";
  EXPECT_TRUE(registry().KeyExists(kUser, K("Tree\\Leaf")));
  EXPECT_TRUE(registry().DeleteKey(kUser, K("TREE\\leaf")));
  EXPECT_FALSE(registry().KeyExists(kUser, K("Tree\\Leaf")));
  EXPECT_TRUE(Create(K("Tree\\Leaf"))) << "its values went with it";
  EXPECT_FALSE(Has(K("Tree\\Leaf"), "v"));
  EXPECT_TRUE(registry().DeleteKey(kUser, K("Tree\\Leaf")));
  EXPECT_TRUE(registry().DeleteKey(kUser, K("Tree")));
  EXPECT_TRUE(registry().DeleteKey(kUser, K("Tree"))) << "gone already";
  EXPECT_TRUE(registry().DeleteKey(kUser, K("Never\\There"))) << "nor its parent";
  EXPECT_FALSE(registry().KeyExists(kUser, K("Never")));
}

TEST_F(RegistryContract, ValuesReadBackWithTheirTypeAndEveryByte) {
  std::string large(20000, '\0');
  for (size_t i = 0; i < large.size(); ++i) large[i] = char(i * 7 % 251);
  const RegistryValue values[] = {
      {kRegSz, std::string("C:\\Program Files\\App\0", 21)},
      {kRegExpandSz, std::string("%SystemRoot%\\x\0", 15)},
      {kRegMultiSz, std::string("one\0two\0\0", 9)},
      {kRegBinary, std::string("\x01\x00\xFF\x00", 4)},
      {kRegBinary, std::string()},
      {kRegDword, std::string("\x0A\x00\x00\x00", 4)},
      {kRegDwordBigEndian, std::string("\x00\x00\x00\x0A", 4)},
      {kRegNone, std::string("abc", 3)},
      {kRegBinary, large},
  };
  Create(K("Values"));
  int n = 0;
  for (const RegistryValue& value : values) {
    std::string name = "v" + std::to_string(n++);
    SCOPED_TRACE(name);
    ASSERT_TRUE(registry().SetValue(kUser, K("Values"), name, value.type, value.data));
    EXPECT_EQ(Query(K("Values"), name), Show(value));
  }
}

TEST_F(RegistryContract, ValueNamesCompareWithoutCaseAndTheEmptyNameIsTheDefaultValue) {
  Create(K("Names"));
  EXPECT_FALSE(Has(K("Names"), "")) << "no default value until it is set";
  ASSERT_TRUE(registry().SetValue(kUser, K("Names"), "Count", kRegDword, std::string("\x01\0\0\0", 4)));
  ASSERT_TRUE(registry().SetValue(kUser, K("Names"), "COUNT", kRegSz, std::string("two\0", 4)));
  EXPECT_EQ(Query(K("Names"), "count"), Show({kRegSz, std::string("two\0", 4)}))
      << "one value, replaced whatever its type";
  ASSERT_TRUE(registry().SetValue(kUser, K("Names"), "", kRegSz, std::string("default\0", 8)));
  EXPECT_EQ(Query(K("Names"), ""), Show({kRegSz, std::string("default\0", 8)}));
  EXPECT_FALSE(Has(K("Names"), "Default")) << "the unnamed value has no name";
  EXPECT_EQ(Query(K("NAMES"), "Count"), Show({kRegSz, std::string("two\0", 4)}));
}

TEST_F(RegistryContract, MissingKeysAndValuesAreNotReadNorWrittenAndDeletingThemSucceeds) {
  EXPECT_FALSE(Has(K("Missing"), ""));
  EXPECT_FALSE(Has(K("Missing"), "v"));
  EXPECT_FALSE(registry().SetValue(kUser, K("Missing"), "v", kRegSz, std::string("x\0", 2)));
  EXPECT_FALSE(registry().KeyExists(kUser, K("Missing"))) << "setting a value makes no key";
  EXPECT_TRUE(registry().DeleteValue(kUser, K("Missing"), "v"));

  Create(K("Some"));
  ASSERT_TRUE(registry().SetValue(kUser, K("Some"), "keep", kRegSz, std::string("k\0", 2)));
  ASSERT_TRUE(registry().SetValue(kUser, K("Some"), "drop", kRegSz, std::string("d\0", 2)));
  EXPECT_FALSE(Has(K("Some"), "other"));
  EXPECT_TRUE(registry().DeleteValue(kUser, K("Some"), "other"));
  EXPECT_TRUE(registry().DeleteValue(kUser, K("Some"), "DROP"));
  EXPECT_FALSE(Has(K("Some"), "drop"));
  EXPECT_EQ(Query(K("Some"), "keep"), Show({kRegSz, std::string("k\0", 2)}));
}

}  // namespace
}  // namespace quorril::testing
