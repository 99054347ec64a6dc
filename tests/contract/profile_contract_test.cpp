// Profile port contract: INI files written and read through the port, and
// the bytes that land on disk. Run against the in-memory fake natively and
// against Win32 under Wine; the tables of hand-written lines hold what Wine
// makes of them, so that the fake reads and rewrites files as Wine does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contract/fixtures.h"
#include "platform/windows_path.h"

namespace quorril::testing {
namespace {

using Names = std::vector<std::string>;

class ProfileContract : public ::testing::Test {
 protected:
  void SetUp() override {
    fx_ = MakePortFixture();
    saved_ = fs().GetCurrentDirectory();
  }
  void TearDown() override { fs().SetCurrentDirectory(saved_); }
  Profile& profile() { return fx_->profile(); }
  FileSystem& fs() { return fx_->files(); }
  std::string S(const std::string& rest) { return fx_->Scratch() + "\\" + rest; }
  bool Exists(const std::string& path) { return fs().GetAttributes(path) != kInvalidAttributes; }

  // The bytes of a file, read through the file-system port.
  std::string Bytes(const std::string& path) {
    auto in = fs().Open(path, OpenMode::kRead);
    if (!in) return "<cannot open " + path + ">";
    std::string bytes;
    char block[4096];
    for (int32_t n; (n = in->Read(block, sizeof block)) > 0;) bytes.append(block, size_t(n));
    return bytes;
  }

  std::unique_ptr<PortFixture> fx_;
  std::string saved_;
};

// A text of `length` letters that repeat only every 26.
std::string Letters(size_t length) {
  std::string text(length, ' ');
  for (size_t i = 0; i < length; ++i) text[i] = char('a' + i % 26);
  return text;
}

TEST_F(ProfileContract, MissingFilesSectionsAndKeysReadAsTheDefaultAsGiven) {
  std::string missing = S("missing.ini");
  for (const char* defaultValue : {"", "plain", "  padded  ", "\"quoted\"", "'single'", " ", "\x01", "\x02"}) {
    EXPECT_EQ(profile().Value(missing, "Setup", "Path", defaultValue), defaultValue);
  }
  EXPECT_EQ(profile().KeyNames(missing, "Setup"), Names{});

  std::string ini = S("one.ini");
  fx_->PutFile(ini, "[Setup]\r\nPath=C:\\APP\r\n[Empty]\r\n");
  EXPECT_EQ(profile().Value(ini, "Other", "Path", "default"), "default");
  EXPECT_EQ(profile().Value(ini, "Setup", "Other", "  padded  "), "  padded  ");
  EXPECT_EQ(profile().Value(ini, "Setup", "Path", "default"), "C:\\APP");
  EXPECT_EQ(profile().KeyNames(ini, "Other"), Names{});
  EXPECT_EQ(profile().KeyNames(ini, "Empty"), Names{});
  EXPECT_FALSE(Exists(missing)) << "reading creates nothing";
}

TEST_F(ProfileContract, WritesCreateTheFileAndAddKeysAndSectionsAtTheirEnds) {
  std::string ini = S("new.ini");
  ASSERT_TRUE(profile().WriteValue(ini, "s", "k", "v"));
  ASSERT_TRUE(profile().Flush(ini));
  EXPECT_EQ(Bytes(ini), "[s]\r\nk=v\r\n");

  ASSERT_TRUE(profile().WriteValue(ini, "t", "x", "y"));
  ASSERT_TRUE(profile().WriteValue(ini, "s", "k2", "v2"));
  ASSERT_TRUE(profile().WriteValue(ini, "t", "empty", ""));
  ASSERT_TRUE(profile().Flush(ini));
  EXPECT_EQ(Bytes(ini), "[s]\r\nk=v\r\nk2=v2\r\n[t]\r\nx=y\r\nempty=\r\n")
      << "a new key ends its section, a new section the file, with no blank line between sections";
  EXPECT_EQ(profile().Value(ini, "t", "empty", "default"), "") << "an empty value is there";
  EXPECT_EQ(profile().Value(ini, "s", "k2", "default"), "v2");
}

TEST_F(ProfileContract, KeysAreListedInFileOrder) {
  std::string ini = S("order.ini");
  Names keys = {"zeta", "Alpha", "mid", "beta"};
  for (const std::string& key : keys) ASSERT_TRUE(profile().WriteValue(ini, "List", key, "1"));
  ASSERT_TRUE(profile().WriteValue(ini, "Other", "between", "1"));
  ASSERT_TRUE(profile().WriteValue(ini, "List", "last", "1"));
  keys.push_back("last");
  EXPECT_EQ(profile().KeyNames(ini, "List"), keys);
  EXPECT_EQ(profile().KeyNames(ini, "Other"), Names{"between"});
}

TEST_F(ProfileContract, NamesCompareWithoutCaseAndAReplacedKeyStaysWhereItIsAsItWasSpelt) {
  std::string ini = S("case.ini");
  ASSERT_TRUE(profile().WriteValue(ini, "Setup", "First", "1"));
  ASSERT_TRUE(profile().WriteValue(ini, "Setup", "Path", "one"));
  ASSERT_TRUE(profile().WriteValue(ini, "Setup", "Last", "3"));
  ASSERT_TRUE(profile().WriteValue(ini, "SETUP", "PATH", "two"));
  EXPECT_EQ(profile().Value(ini, "sEtUp", "pAtH", "default"), "two");
  EXPECT_EQ(profile().KeyNames(ini, "setup"), (Names{"First", "Path", "Last"}));
  ASSERT_TRUE(profile().Flush(ini));
  EXPECT_EQ(Bytes(ini), "[Setup]\r\nFirst=1\r\nPath=two\r\nLast=3\r\n");
}

TEST_F(ProfileContract, ValuesReadBackWithoutTheirBlanksAndEnclosingQuotes) {
  struct Case {
    const char* written;
    const char* read;
  };
  std::string ini = S("quotes.ini");
  int number = 0;
  for (const Case& c : {
           Case{"  padded  ", "padded"},
           Case{"two  words", "two  words"},
           Case{"\"double\"", "double"},
           Case{"'single'", "single"},
           Case{"\" inner blanks \"", " inner blanks "},
           Case{"  \"padded quotes\"", "padded quotes"},
           Case{"\"mixed'", "\"mixed'"},
           Case{"\"", "\""},
           Case{"\"\"", ""},
           Case{"\"a\" b", "\"a\" b"},
           Case{"a=b", "a=b"},
       }) {
    SCOPED_TRACE(c.written);
    std::string key = "k" + std::to_string(++number);
    ASSERT_TRUE(profile().WriteValue(ini, "q", key, c.written));
    EXPECT_EQ(profile().Value(ini, "q", key, "default"), c.read);
  }
}

// A file written by hand, and what Wine reads from it: blanks around names
// and values and around the lines go, a section name runs to its last "]",
// a "[" without "]" starts no section, a line without "=" is no key, a
// comment reads but is not listed, and the first of two alike counts.
constexpr const char* kHandWritten =
    "top=before any section\r\n"
    "  [ Blanks ]  \r\n"
    "  plain  =  two words  \r\n"
    "tabs=\tx\t\r\n"
    "double=\"quoted\"\r\n"
    "inline=v ;no comment\r\n"
    "novalue\r\n"
    ";comment=hidden\r\n"
    "dup=first\r\n"
    "DUP=second\r\n"
    "\r\n"
    "[open\r\n"
    "[Closed] tail\r\n"
    "unix=lf\n"
    "[blanks]\r\n"
    "later=in the second [Blanks]\r\n";

TEST_F(ProfileContract, HandWrittenLinesReadAsWineReadsThem) {
  std::string ini = S("hand.ini");
  fx_->PutFile(ini, kHandWritten);
  struct Case {
    const char* section;
    const char* key;
    const char* read;
  };
  for (const Case& c : {
           Case{"", "top", "before any section"},
           Case{"blanks", "plain", "two words"},
           Case{"BLANKS", "tabs", "x"},
           Case{"blanks", "double", "quoted"},
           Case{"blanks", "inline", "v ;no comment"},
           Case{"blanks", "novalue", "<default>"},
           Case{"blanks", ";comment", "hidden"},
           Case{"blanks", "dup", "first"},
           Case{"blanks", "later", "<default>"},
           Case{"blanks", "[open", "<default>"},
           Case{"closed", "unix", "lf"},
       }) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(profile().Value(ini, c.section, c.key, "<default>"), c.read);
  }
  EXPECT_EQ(profile().KeyNames(ini, ""), Names{"top"});
  EXPECT_EQ(profile().KeyNames(ini, "blanks"), (Names{"plain", "tabs", "double", "inline", "dup", "DUP"}));
  EXPECT_EQ(profile().KeyNames(ini, "closed"), Names{"unix"});
}

TEST_F(ProfileContract, AFileIsRewrittenInWinesFormOnlyWhenSomethingChanged) {
  std::string ini = S("hand.ini");
  fx_->PutFile(ini, kHandWritten);
  EXPECT_TRUE(profile().WriteValue(ini, "blanks", "plain", "two words"));
  EXPECT_TRUE(profile().DeleteKey(ini, "blanks", "never"));
  EXPECT_TRUE(profile().DeleteSection(ini, "never"));
  EXPECT_EQ(Bytes(ini), kHandWritten) << "the same value again, and nothing deleted";

  ASSERT_TRUE(profile().WriteValue(ini, "closed", "new", "  lead"));
  ASSERT_TRUE(profile().Flush(ini));
  EXPECT_EQ(Bytes(ini),
            "top=before any section\r\n"
            "[Blanks]\r\n"
            "plain=two words\r\n"
            "tabs=x\r\n"
            "double=\"quoted\"\r\n"
            "inline=v ;no comment\r\n"
            "novalue\r\n"
            ";comment=hidden\r\n"
            "dup=first\r\n"
            "DUP=second\r\n"
            "[open\r\n"
            "[Closed]\r\n"
            "unix=lf\r\n"
            "new=lead\r\n"
            "[blanks]\r\n"
            "later=in the second [Blanks]\r\n");
}

TEST_F(ProfileContract, DeletedKeysAndSectionsAreGoneAndWhatWasNeverThereIsGoneAlready) {
  std::string ini = S("delete.ini");
  ASSERT_TRUE(profile().WriteValue(ini, "a", "k1", "1"));
  ASSERT_TRUE(profile().WriteValue(ini, "a", "k2", "2"));
  ASSERT_TRUE(profile().WriteValue(ini, "b", "x", "1"));
  ASSERT_TRUE(profile().WriteValue(ini, "c", "y", "1"));

  EXPECT_TRUE(profile().DeleteKey(ini, "A", "K1"));
  EXPECT_EQ(profile().Value(ini, "a", "k1", "gone"), "gone");
  EXPECT_EQ(profile().KeyNames(ini, "a"), Names{"k2"});
  EXPECT_TRUE(profile().DeleteSection(ini, "B"));
  EXPECT_EQ(profile().Value(ini, "b", "x", "gone"), "gone");
  EXPECT_TRUE(profile().DeleteKey(ini, "a", "k2"));
  ASSERT_TRUE(profile().Flush(ini));
  EXPECT_EQ(Bytes(ini), "[a]\r\n[c]\r\ny=1\r\n") << "a section keeps its header when its last key goes";

  for (const std::string& file : {ini, S("none.ini"), S("nodir\\none.ini")}) {
    SCOPED_TRACE(file);
    EXPECT_TRUE(profile().DeleteKey(file, "a", "never"));
    EXPECT_TRUE(profile().DeleteKey(file, "never", "k"));
    EXPECT_TRUE(profile().DeleteSection(file, "never"));
  }
  EXPECT_EQ(Bytes(ini), "[a]\r\n[c]\r\ny=1\r\n");
  EXPECT_FALSE(Exists(S("none.ini")));
  EXPECT_FALSE(Exists(S("nodir")));

  EXPECT_TRUE(profile().DeleteSection(ini, "a"));
  EXPECT_TRUE(profile().DeleteSection(ini, "c"));
  ASSERT_TRUE(profile().Flush(ini));
  EXPECT_EQ(Bytes(ini), "") << "the file stays, empty";
}

TEST_F(ProfileContract, AWriteIntoAMissingDirectoryFailsAndNothingIsFlushedWhereNothingWasWritten) {
  std::string ini = S("nodir\\x.ini");
  EXPECT_FALSE(profile().WriteValue(ini, "s", "k", "v"));
  EXPECT_FALSE(Exists(S("nodir")));
  EXPECT_EQ(profile().Value(ini, "s", "k", "default"), "default");
  EXPECT_FALSE(profile().Flush(ini));
  EXPECT_FALSE(profile().Flush(S("never.ini")));
  EXPECT_FALSE(Exists(S("never.ini")));
}

TEST_F(ProfileContract, LongValuesAndLongKeyListsReadBackWhole) {
  std::string ini = S("long.ini");
  for (size_t length : {0, 1, 1022, 1023, 1024, 1025, 2047, 2048, 2049, 3000}) {
    SCOPED_TRACE(length);
    std::string key = "k" + std::to_string(length);
    ASSERT_TRUE(profile().WriteValue(ini, "long", key, Letters(length)));
    EXPECT_EQ(profile().Value(ini, "long", key, "default"), Letters(length));
  }
  // Key lists of about 1 KB, each name ended by a zero in the system's
  // list: lists of 1021 to 1026 characters.
  std::string text;
  std::vector<Names> lists;
  for (size_t total = 1021; total <= 1026; ++total) {
    Names names;
    text += "[list" + std::to_string(total) + "]\r\n";
    size_t listed = 0;
    for (int i = 0; listed + 10 + 11 <= total; ++i, listed += 10) names.push_back("name" + std::to_string(10000 + i));
    names.push_back(Letters(total - listed - 1));
    for (const std::string& name : names) text += name + "=1\r\n";
    lists.push_back(names);
  }
  std::string listsIni = S("lists.ini");
  fx_->PutFile(listsIni, text);
  for (size_t total = 1021; total <= 1026; ++total) {
    SCOPED_TRACE(total);
    Names read = profile().KeyNames(listsIni, "list" + std::to_string(total));
    const Names& written = lists[total - 1021];
    ASSERT_EQ(read.size(), written.size());
    EXPECT_EQ(read.back(), written.back()) << "the last name, which ends the list";
    EXPECT_EQ(read, written);
  }
}

TEST_F(ProfileContract, ANameWithoutAPathLiesInTheWindowsDirectory) {
  const std::string name = "QRLCTR01.INI";
  const std::string path = JoinPath(fx_->machine().WindowsDirectory(), name);
  fs().DeleteFile(path);  // left by an aborted run, if any
  EXPECT_EQ(profile().FullPath(name), path);
  ASSERT_TRUE(profile().WriteValue(name, "Contract", "Key", "Value"));
  EXPECT_TRUE(profile().Flush(name));
  EXPECT_EQ(Bytes(path), "[Contract]\r\nKey=Value\r\n");
  EXPECT_EQ(profile().Value(name, "contract", "key", "default"), "Value");
  EXPECT_TRUE(fs().DeleteFile(path));
}

TEST_F(ProfileContract, OtherNamesResolveAgainstTheCurrentDirectory) {
  ASSERT_TRUE(fs().CreateDirectory(S("sub")));
  ASSERT_TRUE(fs().SetCurrentDirectory(fx_->Scratch()));
  EXPECT_EQ(profile().FullPath("sub\\rel.ini"), S("sub\\rel.ini"));
  EXPECT_EQ(profile().FullPath("sub/slash.ini"), S("sub\\slash.ini"));
  EXPECT_EQ(profile().FullPath(".\\dot.ini"), S("dot.ini"));
  EXPECT_EQ(profile().FullPath("sub\\..\\up.ini"), S("up.ini"));
  EXPECT_EQ(profile().FullPath(S("absolute.ini")), S("absolute.ini"));

  ASSERT_TRUE(profile().WriteValue("sub\\rel.ini", "r", "k", "v"));
  ASSERT_TRUE(profile().WriteValue(".\\dot.ini", "d", "k", "v"));
  EXPECT_EQ(Bytes(S("sub\\rel.ini")), "[r]\r\nk=v\r\n");
  EXPECT_EQ(Bytes(S("dot.ini")), "[d]\r\nk=v\r\n");
  EXPECT_EQ(profile().Value("sub/rel.ini", "r", "k", "default"), "v");
}

}  // namespace
}  // namespace quorril::testing
