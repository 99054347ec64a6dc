// Win32Machine::ClassesRootDefault against the real registry: a class key
// is written below HKEY_CURRENT_USER\Software\Classes, which Windows shows
// merged into HKEY_CLASSES_ROOT, or, where the registry does not merge the
// two (Wine), through HKEY_CLASSES_ROOT itself; it is read back through
// HKEY_CLASSES_ROOT and removed.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/win32_machine.h"

namespace quorril {
namespace {

// A class id of this test only.
constexpr const char* kClassId = "{6B0E2F9A-51C3-4D7E-8A1B-3C5D7E9F0A24}";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    serverKey_ = std::string("CLSID\\") + kClassId + "\\InprocServer32";
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ClassKey().c_str());  // left by a run that was stopped
    RemoveTestKey();
    // Where a key written below the user's classes shows up in the classes root.
    SetDefault("", REG_SZ, nullptr, 0);
    win32::UniqueKey seen;
    bool merged = RegOpenKeyExA(HKEY_CLASSES_ROOT, ClassKey().c_str(), 0, KEY_READ, seen.Receive()) == ERROR_SUCCESS;
    seen.Reset();
    RemoveTestKey();
    if (!merged) {
      root_ = HKEY_CLASSES_ROOT;
      prefix_ = "";
    }
  }
  void TearDown() override { RemoveTestKey(); }

  std::string ClassKey() const { return std::string("CLSID\\") + kClassId; }
  void RemoveTestKey() { RegDeleteTreeA(root_, (prefix_ + ClassKey()).c_str()); }

  // Writes the default value (none when `data` is null) of a key below this
  // test's class id.
  void SetDefault(const std::string& below, DWORD type, const void* data, DWORD size) {
    win32::UniqueKey key;
    std::string path = prefix_ + ClassKey() + (below.empty() ? "" : "\\" + below);
    ASSERT_EQ(RegCreateKeyExA(root_, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr),
              ERROR_SUCCESS);
    if (data) {
      ASSERT_EQ(RegSetValueExA(key.Get(), nullptr, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
  }
  void SetDefaultText(const std::string& below, const std::string& text, DWORD type = REG_SZ) {
    SetDefault(below, type, text.c_str(), DWORD(text.size() + 1));
  }

  HKEY root_ = HKEY_CURRENT_USER;
  std::string prefix_ = "Software\\Classes\\";
  Win32Machine machine_;
  std::string serverKey_;
};

TEST_F(RegistryTest, TheDefaultValueOfAClassKeyIsReadThroughTheClassesRoot) {
  SetDefaultText("InprocServer32", "C:\\Program Files\\Maker\\server.ocx");
  std::string value;
  ASSERT_TRUE(machine_.ClassesRootDefault(serverKey_, &value));
  EXPECT_EQ(value, "C:\\Program Files\\Maker\\server.ocx");
  ASSERT_TRUE(machine_.ClassesRootDefault(std::string("clsid\\") + kClassId + "\\INPROCSERVER32", &value))
      << "key names compare without regard to case";
  RemoveTestKey();
  EXPECT_FALSE(machine_.ClassesRootDefault(serverKey_, &value)) << "gone with its key";
}

TEST_F(RegistryTest, KeysWithoutADefaultTextAreMissing) {
  std::string value = "unchanged";
  SetDefault("InprocServer32", REG_SZ, nullptr, 0);  // the key alone
  EXPECT_FALSE(machine_.ClassesRootDefault(serverKey_, &value));
  DWORD number = 42;
  SetDefault("InprocServer32", REG_DWORD, &number, sizeof number);
  EXPECT_FALSE(machine_.ClassesRootDefault(serverKey_, &value)) << "a number is no text";
  EXPECT_EQ(value, "unchanged");
  SetDefaultText("InprocServer32", "");
  ASSERT_TRUE(machine_.ClassesRootDefault(serverKey_, &value)) << "an empty text is a value";
  EXPECT_EQ(value, "");
}

TEST_F(RegistryTest, TextsAreTakenAsStoredUpToTheBufferOf999Bytes) {
  std::string value;
  SetDefaultText("InprocServer32", "%SystemRoot%\\system32\\server.dll", REG_EXPAND_SZ);
  ASSERT_TRUE(machine_.ClassesRootDefault(serverKey_, &value));
  EXPECT_EQ(value, "%SystemRoot%\\system32\\server.dll") << "not expanded";

  const char unterminated[] = {'a', 'b', 'c'};
  SetDefault("InprocServer32", REG_SZ, unterminated, sizeof unterminated);
  ASSERT_TRUE(machine_.ClassesRootDefault(serverKey_, &value));
  EXPECT_EQ(value, "abc") << "a text stored without its terminator";

  SetDefaultText("InprocServer32", std::string(998, 'x'));
  ASSERT_TRUE(machine_.ClassesRootDefault(serverKey_, &value));
  EXPECT_EQ(value, std::string(998, 'x')) << "998 characters and the terminator fill the buffer";
  SetDefaultText("InprocServer32", std::string(999, 'y'));
  EXPECT_FALSE(machine_.ClassesRootDefault(serverKey_, &value)) << "one more does not fit";
  EXPECT_EQ(value, std::string(998, 'x'));
}

}  // namespace
}  // namespace quorril
