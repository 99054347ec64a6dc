// The registry blocks of the final install phase, run from parsed scripts
// through the whole install run on the in-memory machine and registry: the
// key actions with their REGKEY journal lines, every value action and type,
// the variables in names and data, and every registry fault in turn.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/memory/memory_registry.h"
#include "system/registry_block.h"
#include "system_changes_test_support.h"

namespace quorril::testing {
namespace {

constexpr RegistryRootKey kMachine = RegistryRootKey::kLocalMachine;
constexpr RegistryRootKey kUser = RegistryRootKey::kCurrentUser;

std::string Dword(uint32_t n) {
  return std::string{char(n & 0xFF), char(n >> 8 & 0xFF), char(n >> 16 & 0xFF), char(n >> 24 & 0xFF)};
}

// A value as "TYPE bytes": the bytes of the string types as text between
// double quotes (a zero byte shown as \0), the others in hexadecimal; or
// "missing".
std::string Shown(const RegistryValue& value) {
  static const char* const kTypes[] = {"REG_NONE",          "REG_SZ",
                                       "REG_EXPAND_SZ",     "REG_BINARY",
                                       "REG_DWORD",         "REG_DWORD_BIG_ENDIAN",
                                       "REG_LINK",          "REG_MULTI_SZ",
                                       "REG_RESOURCE_LIST", "REG_FULL_RESOURCE_DESCRIPTOR"};
  std::string text = value.type < 10 ? kTypes[value.type] : "type " + std::to_string(value.type);
  if (value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegMultiSz) {
    text += " \"";
    for (char c : value.data) text += c == '\0' ? std::string("\\0") : std::string(1, c);
    return text + "\"";
  }
  static const char kDigits[] = "0123456789abcdef";
  for (unsigned char c : value.data) text += std::string(" ") + kDigits[c >> 4] + kDigits[c & 15];
  return text;
}

class RegistryRun : public SystemChangesRun {
 protected:
  // Installs through the system-change fixture; the installation must go
  // through.
  std::vector<std::string> Install(const std::vector<std::string>& lines) {
    std::vector<std::string> journal = SystemChangesRun::Install(lines);
    EXPECT_EQ(installResult, 0);
    return journal;
  }
  void Key(RegistryRootKey root, const std::string& path) {
    bool created = false;
    ASSERT_TRUE(registry.CreateKey(root, path, &created)) << path;
  }
  bool Exists(RegistryRootKey root, const std::string& path) { return registry.KeyExists(root, path); }
  std::string Value(RegistryRootKey root, const std::string& path, const std::string& name) {
    RegistryValue value;
    return registry.QueryValue(root, path, name, &value) ? Shown(value) : "missing";
  }
};

// ---- keys ------------------------------------------------------------------------------

struct KeyCase {
  const char* what;
  std::vector<std::string> before;  // keys below HKEY_LOCAL_MACHINE there before the run
  std::vector<std::string> lines;   // the script's registry blocks
  std::vector<std::string> journal;
  std::vector<std::string> present;  // keys below HKEY_LOCAL_MACHINE there afterwards
  std::vector<std::string> absent;
};

const KeyCase kKeyCases[] = {
    {"NEW journals the keys it made, deepest first, not those that were there",
     {"Software"},
     {"BEGINREGISTRY", R"(KEY NEW "HKEY_LOCAL_MACHINE\Software\Vendor\App")", "ENDREGISTRY"},
     {R"(REGKEY: "HKEY_LOCAL_MACHINE", "Software\Vendor\App")", R"(REGKEY: "HKEY_LOCAL_MACHINE", "Software\Vendor")"},
     {"Software\\Vendor\\App"},
     {}},
    {"NEW on keys that are all there journals nothing",
     {"Software\\Vendor\\App"},
     {"BEGINREGISTRY", R"(KEY NEW "HKEY_LOCAL_MACHINE\SOFTWARE\vendor\APP")", "ENDREGISTRY"},
     {},
     {"Software\\Vendor\\App"},
     {}},
    {"the root and the path are journalled as the script writes them",
     {"Software"},
     {"BEGINREGISTRY", R"(KEY NEW "hkey_Local_Machine\SOFTWARE\New Vendor")", "ENDREGISTRY"},
     {R"(REGKEY: "hkey_Local_Machine", "SOFTWARE\New Vendor")"},
     {"Software\\New Vendor"},
     {}},
    {"blocks run in script order, each journalled after it ran",
     {},
     {"BEGINREGISTRY", R"(KEY NEW "HKEY_LOCAL_MACHINE\A\B")", "ENDREGISTRY", "BEGINREGISTRY",
      R"(KEY NEW "HKEY_LOCAL_MACHINE\A\B\C\D")", "ENDREGISTRY", "BEGINREGISTRY",
      R"(KEY DELETE "HKEY_LOCAL_MACHINE\A\B\C\D")", "ENDREGISTRY"},
     {R"(REGKEY: "HKEY_LOCAL_MACHINE", "A\B")", R"(REGKEY: "HKEY_LOCAL_MACHINE", "A")",
      R"(REGKEY: "HKEY_LOCAL_MACHINE", "A\B\C\D")", R"(REGKEY: "HKEY_LOCAL_MACHINE", "A\B\C")"},
     {"A\\B\\C"},
     {"A\\B\\C\\D"}},
    {"QUERY on a missing key changes nothing and journals nothing",
     {"Software"},
     {"BEGINREGISTRY", R"(KEY QUERY "HKEY_LOCAL_MACHINE\Software\Missing")", R"(VALUE STRING NEW "a" "b")",
      "ENDREGISTRY"},
     {},
     {"Software"},
     {"Software\\Missing"}},
    {"DELETE removes a key without subkeys and no other",
     {"Software\\Old\\Leaf", "Software\\Tree\\Branch"},
     {"BEGINREGISTRY", R"(KEY DELETE "HKEY_LOCAL_MACHINE\Software\Old\Leaf")", "ENDREGISTRY", "BEGINREGISTRY",
      R"(KEY DELETE "HKEY_LOCAL_MACHINE\Software\Tree")", "ENDREGISTRY", "BEGINREGISTRY",
      R"(KEY DELETE "HKEY_LOCAL_MACHINE\Software\Never\There")", "ENDREGISTRY"},
     {},
     {"Software\\Old", "Software\\Tree\\Branch"},
     {"Software\\Old\\Leaf"}},
    {"RENAME changes nothing",
     {"Software\\Old"},
     {"BEGINREGISTRY", R"(KEY RENAME "HKEY_LOCAL_MACHINE\Software\Old" "New")", R"(VALUE STRING NEW "a" "b")",
      "ENDREGISTRY"},
     {},
     {"Software\\Old"},
     {"Software\\New"}},
};

void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.what; }

class KeyTable : public RegistryRun, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyTable, KeysAreCreatedDeletedOrLookedUpAndTheCreatedOnesJournalled) {
  const KeyCase& c = GetParam();
  SCOPED_TRACE(c.what);
  for (const std::string& key : c.before) Key(kMachine, key);
  EXPECT_EQ(Install(c.lines), c.journal);
  for (const std::string& key : c.present) EXPECT_TRUE(Exists(kMachine, key)) << key;
  for (const std::string& key : c.absent) EXPECT_FALSE(Exists(kMachine, key)) << key;
}
INSTANTIATE_TEST_SUITE_P(Cases, KeyTable, ::testing::ValuesIn(kKeyCases));

TEST_F(RegistryRun, ValuesOfAQueriedKeyAreChangedOnlyWhenItExistsAndDeletedKeysKeepTheirValuesOutOfIt) {
  Key(kUser, "Software\\There");
  ASSERT_TRUE(registry.SetValue(kUser, "Software\\There", "Count", kRegDword, Dword(4)));
  EXPECT_EQ(Install({"BEGINREGISTRY", R"(KEY QUERY "HKEY_CURRENT_USER\Software\There")",
                     R"(VALUE DWORD INCREMENT "Count" "1")", R"(VALUE STRING NEW "Added" "yes")", "ENDREGISTRY"}),
            std::vector<std::string>{});
  EXPECT_EQ(Value(kUser, "Software\\There", "Count"), "REG_DWORD 05 00 00 00");
  EXPECT_EQ(Value(kUser, "Software\\There", "Added"), "REG_SZ \"yes\\0\"");
}

TEST_F(RegistryRun, AKeyOnlyInTheRootIsItsChildAndTheEmptyPathIsTheRootItself) {
  std::vector<std::string> journal = Install(
      {"BEGINREGISTRY", R"(KEY NEW "HKEY_CLASSES_ROOT\.qrl")", R"(VALUE STRING NEW "DEFAULT" "qrlfile")", "ENDREGISTRY",
       "BEGINREGISTRY", R"(KEY NEW "HKEY_USERS\")", R"(VALUE STRING NEW "Root" "r")", "ENDREGISTRY"});
  EXPECT_EQ(journal, (std::vector<std::string>{R"(REGKEY: "HKEY_CLASSES_ROOT", ".qrl")"}));
  EXPECT_EQ(Value(RegistryRootKey::kClassesRoot, ".qrl", ""), "REG_SZ \"qrlfile\\0\"");
  EXPECT_EQ(Value(RegistryRootKey::kUsers, "", "Root"), "REG_SZ \"r\\0\"");
}

// ---- values ---------------------------------------------------------------------------

struct Seed {
  const char* name;
  uint32_t type;
  std::string data;
};

struct ValueCase {
  const char* what;
  std::vector<Seed> before;                                // values of HKEY_CURRENT_USER\Software\App before the run
  std::vector<std::string> lines;                          // VALUE lines of a KEY NEW block on that key
  std::vector<std::pair<std::string, std::string>> after;  // value name -> Shown() afterwards
};

const ValueCase kValueCases[] = {
    // NEW and REPLACE, every type
    {"STRING NEW writes the destination",
     {},
     {R"(VALUE STRING NEW "Path" "$DEFAULTDIR$")"},
     {{"Path", "REG_SZ \"C:\\APP\\0\""}}},
    {"NEW leaves a value of that name, whatever its type",
     {{"Path", kRegDword, Dword(7)}},
     {R"(VALUE STRING NEW "path" "$DEFAULTDIR$")"},
     {{"Path", "REG_DWORD 07 00 00 00"}}},
    {"REPLACE overwrites it",
     {{"Path", kRegDword, Dword(7)}},
     {R"(VALUE REG_SZ REPLACE "Path" "$DEFAULTDIR$")"},
     {{"Path", "REG_SZ \"C:\\APP\\0\""}}},
    {"REG_EXPAND_SZ and REG_MULTI_SZ are texts with their zero",
     {},
     {R"(VALUE REG_EXPAND_SZ NEW "E" "%SystemRoot%\x")", R"(VALUE REG_MULTI_SZ NEW "M" "one")"},
     {{"E", "REG_EXPAND_SZ \"%SystemRoot%\\x\\0\""}, {"M", "REG_MULTI_SZ \"one\\0\""}}},
    {"BINARY is eight digits a byte, a short last group as it stands",
     {},
     {R"(VALUE BINARY NEW "Flags" "0000000100000010")", R"(VALUE REG_BINARY NEW "Short" "11111111101")",
      R"(VALUE BINARY NEW "Zeros" "0000000000000000")", R"(VALUE BINARY NEW "None" "")"},
     {{"Flags", "REG_BINARY 01 02"},
      {"Short", "REG_BINARY ff 05"},
      {"Zeros", "REG_BINARY 00 00"},
      {"None", "REG_BINARY"}}},
    {"DWORD numbers in C notation, least significant byte first for both types",
     {},
     {R"(VALUE DWORD NEW "Dec" "4660")", R"(VALUE REG_DWORD NEW "Hex" "0x12345678")", R"(VALUE DWORD NEW "Oct" "010")",
      R"(VALUE DWORD NEW "Text" "many")", R"(VALUE REG_DWORD_BIG_ENDIAN NEW "Big" "0x0102")"},
     {{"Dec", "REG_DWORD 34 12 00 00"},
      {"Hex", "REG_DWORD 78 56 34 12"},
      {"Oct", "REG_DWORD 08 00 00 00"},
      {"Text", "REG_DWORD 00 00 00 00"},
      {"Big", "REG_DWORD_BIG_ENDIAN 02 01 00 00"}}},
    {"REG_LINK and the resource types are never written; REPLACE has deleted the old value",
     {{"Link", kRegSz, std::string("old\0", 4)}},
     {R"(VALUE REG_LINK NEW "New" "x")", R"(VALUE REG_RESOURCE_LIST NEW "List" "x")",
      R"(VALUE REG_FULL_RESOURCE_DESCRIPTOR REPLACE "Link" "x")"},
     {{"New", "missing"}, {"List", "missing"}, {"Link", "missing"}}},
    {"DEFAULT names the key's unnamed value",
     {},
     {R"(VALUE STRING NEW "default" "unnamed")", R"(VALUE STRING NEW "DEFAULTS" "named")"},
     {{"", "REG_SZ \"unnamed\\0\""}, {"DEFAULTS", "REG_SZ \"named\\0\""}}},
    // DELETE and RENAME
    {"DELETE removes a value of any type; a missing one changes nothing",
     {{"Old", kRegBinary, "\x01"}, {"Keep", kRegSz, std::string("k\0", 2)}},
     {R"(VALUE DWORD DELETE "OLD")", R"(VALUE STRING DELETE "Missing")"},
     {{"Old", "missing"}, {"Keep", "REG_SZ \"k\\0\""}}},
    {"RENAME moves data and type to the new name, replacing it",
     {{"Old", kRegBinary, "\x01\x02"}, {"New", kRegSz, std::string("n\0", 2)}},
     {R"(VALUE STRING RENAME "Old" "New")"},
     {{"Old", "missing"}, {"New", "REG_BINARY 01 02"}}},
    {"RENAME of a missing value changes nothing",
     {{"New", kRegSz, std::string("n\0", 2)}},
     {R"(VALUE STRING RENAME "Old" "New")"},
     {{"Old", "missing"}, {"New", "REG_SZ \"n\\0\""}}},
    {"RENAME to and from DEFAULT",
     {{"Old", kRegSz, std::string("o\0", 2)}, {"", kRegDword, Dword(1)}},
     {R"(VALUE STRING RENAME "DEFAULT" "Was default")", R"(VALUE STRING RENAME "Old" "DEFAULT")"},
     {{"Was default", "REG_DWORD 01 00 00 00"}, {"", "REG_SZ \"o\\0\""}, {"Old", "missing"}}},
    {"RENAME to the same name in another case keeps the value",
     {{"Old", kRegSz, std::string("o\0", 2)}},
     {R"(VALUE STRING RENAME "Old" "OLD")"},
     {{"Old", "REG_SZ \"o\\0\""}}},
    // MAX, MIN, INCREMENT
    {"MAX raises, and compares without sign",
     {{"Four", kRegDword, Dword(4)}, {"All", kRegDword, Dword(0xFFFFFFFF)}, {"Big", kRegDword, Dword(20)}},
     {R"(VALUE DWORD MAX "Four" "10")", R"(VALUE DWORD MAX "All" "10")", R"(VALUE DWORD MAX "Big" "0xA")"},
     {{"Four", "REG_DWORD 0a 00 00 00"}, {"All", "REG_DWORD ff ff ff ff"}, {"Big", "REG_DWORD 14 00 00 00"}}},
    {"MIN lowers",
     {{"Four", kRegDword, Dword(4)}, {"Big", kRegDword, Dword(20)}},
     {R"(VALUE DWORD MIN "Four" "10")", R"(VALUE DWORD MIN "Big" "10")"},
     {{"Four", "REG_DWORD 04 00 00 00"}, {"Big", "REG_DWORD 0a 00 00 00"}}},
    {"INCREMENT adds, round past the top",
     {{"UseCount", kRegDword, Dword(41)}, {"Top", kRegDword, Dword(0xFFFFFFFF)}},
     {R"(VALUE DWORD INCREMENT "UseCount" "1")", R"(VALUE DWORD INCREMENT "Top" "2")"},
     {{"UseCount", "REG_DWORD 2a 00 00 00"}, {"Top", "REG_DWORD 01 00 00 00"}}},
    {"the current value keeps its type; a BINARY one reads the given number in base 2",
     {{"Bits", kRegBinary, "\x01\x00"}, {"Text", kRegSz, std::string("\x05\0", 2)}},
     {R"(VALUE DWORD MAX "Bits" "110")", R"(VALUE DWORD INCREMENT "Text" "0x10")"},
     {{"Bits", "REG_BINARY 06 00 00 00"}, {"Text", "REG_SZ \"\x15\\0\\0\\0\""}}},
    {"a value of more than four bytes is no number and stays",
     {{"Long", kRegSz, std::string("12345\0", 6)}},
     {R"(VALUE DWORD INCREMENT "Long" "1")"},
     {{"Long", "REG_SZ \"12345\\0\""}}},
    {"a missing value counts as a REG_DWORD of 0",
     {},
     {R"(VALUE DWORD MAX "Max" "10")", R"(VALUE BINARY MIN "Min" "10")", R"(VALUE STRING INCREMENT "Inc" "0x10")",
      R"(VALUE DWORD INCREMENT "Zero" "0")"},
     {{"Max", "REG_DWORD 0a 00 00 00"},
      {"Min", "REG_DWORD 00 00 00 00"},
      {"Inc", "REG_DWORD 10 00 00 00"},
      {"Zero", "REG_DWORD 00 00 00 00"}}},
    // variables
    {"variables are replaced at every $ of names and data, other $ stay",
     {},
     {R"(VALUE STRING NEW "Dir of $ASK1$" "$DEFAULTDIR$ costs $5 in $WINDIR$$")",
      R"(VALUE DWORD NEW "$ASK2$" "$ASK2$")"},
     {{"Dir of Ann", "REG_SZ \"C:\\APP costs $5 in C:\\WINDOWS$\\0\""}, {"12", "REG_DWORD 0c 00 00 00"}}},
    {"a variable brought in by a value is replaced too",
     {{"Old", kRegSz, std::string("o\0", 2)}},
     {R"(VALUE STRING NEW "Data" "in $ASK3$")", R"(VALUE STRING RENAME "Old" "$ASK3$")"},
     {{"Data", "REG_SZ \"in C:\\WINDOWS\\Data\\0\""}, {"C:\\WINDOWS\\Data", "REG_SZ \"o\\0\""}}},
};

void PrintTo(const ValueCase& c, std::ostream* out) { *out << c.what; }

class ValueTable : public RegistryRun, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(ValueTable, EachValueActionOnEachType) {
  const ValueCase& c = GetParam();
  SCOPED_TRACE(c.what);
  const std::string path = "Software\\App";
  if (!c.before.empty()) Key(kUser, path);
  for (const Seed& seed : c.before) ASSERT_TRUE(registry.SetValue(kUser, path, seed.name, seed.type, seed.data));
  ui.askAnswers = {"Ann", "12", "$WINDIR$\\Data"};
  std::vector<std::string> lines = {"ASK1 \"\" prompt=\"1\"", "ASK2 \"\" prompt=\"2\"", "ASK3 \"\" prompt=\"3\"",
                                    "BEGINREGISTRY", R"(KEY NEW "HKEY_CURRENT_USER\Software\App")"};
  lines.insert(lines.end(), c.lines.begin(), c.lines.end());
  lines.push_back("ENDREGISTRY");
  Install(lines);
  for (const auto& [name, shown] : c.after) EXPECT_EQ(Value(kUser, path, name), shown) << "value \"" << name << "\"";
}
INSTANTIATE_TEST_SUITE_P(Cases, ValueTable, ::testing::ValuesIn(kValueCases));

TEST_F(RegistryRun, AValueThatBringsItsOwnNameBackEndsAtTheCapacityOfTheText) {
  ui.askAnswers = {"x$ASK1$"};
  Install({"ASK1 \"\" prompt=\"1\"", "BEGINREGISTRY", R"(KEY NEW "HKEY_CURRENT_USER\Software\App")",
           R"(VALUE STRING NEW "Loop" "$ASK1$")", "ENDREGISTRY"});
  RegistryValue value;
  ASSERT_TRUE(registry.QueryValue(kUser, "Software\\App", "Loop", &value));
  EXPECT_EQ(value.data.size(), RegistryBlock::kMaxStringData + 1);
  EXPECT_EQ(value.data.substr(0, 4), "xxxx");
}

// ---- the final phase ------------------------------------------------------------------

TEST_F(RegistryRun, RegistryKeysAreJournalledAfterTheOtherChangesAndNotAtAllWhenTheLastScreenIsCancelled) {
  Key(kMachine, "Software");
  std::vector<std::string> journal =
      Install({R"(ADDTEXT: "rem", "C:\APP\A.BAT", "1")", "BEGINREGISTRY", R"(KEY NEW "HKEY_LOCAL_MACHINE\Software\Q")",
               "ENDREGISTRY", R"(INIFILE: "S", "k", "v", "Q.INI")"});
  ASSERT_GE(journal.size(), 2u);
  EXPECT_EQ(journal[journal.size() - 2], R"(ADDTEXT: "", C:\APP\A.BAT, "rem")");
  EXPECT_EQ(journal.back(), R"(REGKEY: "HKEY_LOCAL_MACHINE", "Software\Q")");
  EXPECT_TRUE(ctx.script.model->registryBlocks.empty()) << "each block runs once";

  MemoryRegistry untouched;
  RecordingScreens screens(ui);
  screens.lastScreenAnswer = kIdCancel;
  files.AddFile(kScriptPath, Lines({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP2\" NOASKDRIVE NOASKDIR", "BEGINREGISTRY",
                                    R"(KEY NEW "HKEY_LOCAL_MACHINE\Software\Cancelled")", "ENDREGISTRY",
                                    "BEGINLASTSCREEN", "Done", "ENDLASTSCREEN"}));
  CreateInstallScript(ctx.script, files, machine);
  ASSERT_EQ(ParseScript(ctx.ForScript(), kScriptPath), 0);
  EXPECT_EQ(RunTest::Install(&screens, &changes), 1);
  EXPECT_FALSE(Exists(kMachine, "Software\\Cancelled"));
  EXPECT_EQ(Journal("C:\\APP2\\install.log").find("REGKEY"), std::string::npos);
}

// ---- every registry fault ----------------------------------------------------------------

// One block carried out with the n-th registry call failing (once, or from
// then on): the journal names exactly the keys that the block created and
// that stand, deepest first, and every value entry that did not meet the
// fault is written.
TEST(RegistryFaults, TheJournalNamesExactlyTheKeysThatWereCreated) {
  RegistryBlock block;
  block.root = RegistryRoot::kLocalMachine;
  block.rootName = "HKEY_LOCAL_MACHINE";
  block.keyPath = "Software\\Vendor\\App\\Settings";
  for (const char* name : {"a", "b"}) {
    RegistryValueEntry entry;
    entry.name = name;
    entry.data = name;
    block.values.push_back(entry);
  }
  const std::vector<std::string> made = {"Software\\Vendor", "Software\\Vendor\\App",
                                         "Software\\Vendor\\App\\Settings"};
  for (auto persistence : {MemoryRegistry::Persistence::kOnce, MemoryRegistry::Persistence::kFromThenOn}) {
    for (int64_t n = 1;; ++n) {
      SCOPED_TRACE("call " + std::to_string(n) +
                   (persistence == MemoryRegistry::Persistence::kOnce ? " once" : " from then on"));
      MemoryFileSystem files;
      files.AddDirectory("C:\\APP");
      MemoryMachine machine;
      MemoryProfile profile(files, machine);
      MemoryRegistry registry;
      bool created = false;
      registry.CreateKey(kMachine, "Software", &created);
      ScriptedUserInterface ui;
      ScriptState state;
      Journal journal{true, "C:\\APP\\install.log", "", "", "", {}};

      registry.FailCall(n, persistence);
      RunRegistryPhase(ChangeContext{files, machine, profile, registry, ui, journal, state, true}, {block});
      bool failed = registry.Failed();
      registry.StopFailing();

      std::string expected;
      for (auto key = made.rbegin(); key != made.rend(); ++key)
        if (registry.KeyExists(kMachine, *key)) expected += "REGKEY: \"HKEY_LOCAL_MACHINE\", \"" + *key + "\"\r\n";
      std::string logged;
      files.ReadWholeFile(journal.path, &logged);
      EXPECT_EQ(logged, expected);
      if (persistence == MemoryRegistry::Persistence::kOnce) {
        int written = 0;
        RegistryValue value;
        for (const char* name : {"a", "b"}) written += registry.QueryValue(kMachine, block.keyPath, name, &value);
        EXPECT_GE(written, registry.KeyExists(kMachine, block.keyPath) ? 1 : 0) << "one fault costs one value at most";
      }
      if (!failed) {
        EXPECT_EQ(registry.SubkeyCount(kMachine, block.keyPath), 0) << "without a fault the block is carried out";
        EXPECT_EQ(registry.ValueCount(kMachine, block.keyPath), 2);
        break;
      }
    }
  }
}

}  // namespace
}  // namespace quorril::testing
