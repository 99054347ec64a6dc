// Win32Machine against the real machine under Wine: the test binary's own
// path and version resource, version resources written into a copy of it,
// the Xvfb display, memory and the system directories.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_machine.h"

namespace quorril {
namespace {

// ---- a small writer of version resources (VS_VERSIONINFO) ------------------
//
// Every node is: WORD length, WORD value length, WORD type (1 text, 0 binary),
// the key in UTF-16 with its terminator, padding to 4 bytes, the value,
// padding to 4 bytes, then the children. Text values count their length in
// UTF-16 units, terminator included.
struct VersionNode {
  std::string key;
  std::vector<uint8_t> value;
  uint16_t valueLength = 0;
  uint16_t type = 1;
  std::vector<VersionNode> children;
};

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void Pad4(std::vector<uint8_t>& out) {
  while (out.size() % 4) out.push_back(0);
}

void Serialize(const VersionNode& node, std::vector<uint8_t>& out) {
  Pad4(out);
  size_t start = out.size();
  Put16(out, 0);  // length, filled in below
  Put16(out, node.valueLength);
  Put16(out, node.type);
  for (char c : node.key) Put16(out, uint8_t(c));
  Put16(out, 0);
  Pad4(out);
  out.insert(out.end(), node.value.begin(), node.value.end());
  for (const VersionNode& child : node.children) Serialize(child, out);
  size_t length = out.size() - start;
  out[start] = uint8_t(length);
  out[start + 1] = uint8_t(length >> 8);
}

VersionNode TextValue(const std::string& key, const std::string& text) {
  VersionNode node{key, {}, uint16_t(text.size() + 1), 1, {}};
  for (char c : text) Put16(node.value, uint8_t(c));
  Put16(node.value, 0);
  return node;
}

// A version resource whose string tables (language and code page, e.g.
// "040904B0") each hold one FileVersion text.
std::vector<uint8_t> VersionResource(const std::vector<std::pair<std::string, std::string>>& tables) {
  VS_FIXEDFILEINFO fixed{};
  fixed.dwSignature = 0xFEEF04BD;
  fixed.dwStrucVersion = 0x00010000;
  VersionNode root{"VS_VERSION_INFO", {}, uint16_t(sizeof fixed), 0, {}};
  root.value.resize(sizeof fixed);
  std::memcpy(root.value.data(), &fixed, sizeof fixed);
  VersionNode strings{"StringFileInfo", {}, 0, 1, {}};
  for (const auto& [table, version] : tables) {
    VersionNode block{table, {}, 0, 1, {}};
    block.children.push_back(TextValue("FileVersion", version));
    strings.children.push_back(block);
  }
  root.children.push_back(strings);
  std::vector<uint8_t> out;
  Serialize(root, out);
  return out;
}

class MachineFactsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    scratch_ = std::string(temp) + "qmf" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(scratch_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::string& file : made_) DeleteFileA(file.c_str());
    RemoveDirectoryA(scratch_.c_str());
  }

  // A copy of this test binary whose only resource is the given version
  // resource; empty when the system cannot write resources.
  std::string CopyWithVersion(const std::string& name, const std::vector<uint8_t>& resource) {
    std::string path = scratch_ + "\\" + name;
    made_.push_back(path);
    if (!CopyFileA(machine_.ExecutablePath().c_str(), path.c_str(), FALSE)) return "";
    HANDLE update = BeginUpdateResourceA(path.c_str(), TRUE);
    if (!update) return "";
    bool ok = UpdateResourceA(update, MAKEINTRESOURCEA(16) /* RT_VERSION */, MAKEINTRESOURCEA(1),
                              MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), const_cast<uint8_t*>(resource.data()),
                              DWORD(resource.size()));
    if (!EndUpdateResourceA(update, !ok) || !ok) return "";
    return path;
  }

  Win32Machine machine_;
  std::string scratch_;
  std::vector<std::string> made_;
};

TEST_F(MachineFactsTest, TheExecutablePathIsThisTestBinaryWithItsVersionResource) {
  std::string path = machine_.ExecutablePath();
  EXPECT_TRUE(EqualsNoCase(path.substr(path.find_last_of('\\') + 1), "win32_tests.exe")) << path;
  EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  std::string version;
  ASSERT_TRUE(machine_.FileVersionText(path, &version));
  EXPECT_EQ(version, "1.2.3.4");
}

TEST_F(MachineFactsTest, VersionTextsComeFromTheLatin1TableThenTheUnicodeTable) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> tables;
    bool found;
    std::string version;
  };
  const std::string longText(300, '9');
  const Case cases[] = {
      {"unicode.exe", {{"040904B0", "5.6.7.8"}}, true, "5.6.7.8"},
      {"both.exe", {{"040904B0", "2.0"}, {"040904E4", "1.0"}}, true, "1.0"},
      {"emptyfirst.exe", {{"040904E4", ""}, {"040904B0", "2.0"}}, true, "2.0"},
      {"german.exe", {{"040704B0", "3.0"}}, false, ""},
      {"empty.exe", {{"040904E4", ""}}, false, ""},
      {"long.exe", {{"040904E4", longText}}, true, longText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = CopyWithVersion(c.name, VersionResource(c.tables));
    ASSERT_FALSE(path.empty()) << "cannot write a version resource (error " << GetLastError() << ")";
    std::string version = "unchanged";
    EXPECT_EQ(machine_.FileVersionText(path, &version), c.found);
    EXPECT_EQ(version, c.found ? c.version : "unchanged");
  }
}

TEST_F(MachineFactsTest, SystemFilesHaveVersionTextsAndPlainFilesNone) {
  std::string version;
  EXPECT_TRUE(machine_.FileVersionText(machine_.SystemDirectory() + "\\kernel32.dll", &version));
  EXPECT_FALSE(version.empty());
  EXPECT_FALSE(machine_.FileVersionText(machine_.WindowsDirectory() + "\\win.ini", &version));
  EXPECT_FALSE(machine_.FileVersionText(std::string("C:\\a\0b.dll", 10), &version)) << "a zero byte is refused";
}

TEST_F(MachineFactsTest, DirectoriesAreTheSystemsOwn) {
  char variable[MAX_PATH + 1] = {};
  ASSERT_GT(GetEnvironmentVariableA("windir", variable, sizeof variable), 0u);
  EXPECT_TRUE(EqualsNoCase(machine_.WindowsDirectory(), variable));
  EXPECT_NE(machine_.SystemDirectory().find_last_of('\\'), std::string::npos);
  Win32FileSystem files;
  EXPECT_NE(files.GetAttributes(machine_.SystemDirectory() + "\\kernel32.dll"), kInvalidAttributes);
}

TEST_F(MachineFactsTest, TheDisplayIsTheScreenThatWindowsDrawOn) {
  DisplayFacts display = machine_.Display();
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(display.bitsPerPixel, GetDeviceCaps(screen, BITSPIXEL));
  EXPECT_EQ(display.planes, GetDeviceCaps(screen, PLANES));
  EXPECT_EQ(display.width, GetDeviceCaps(screen, HORZRES));
  EXPECT_EQ(display.height, GetDeviceCaps(screen, VERTRES));
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(display.bitsPerPixel == 8 || display.bitsPerPixel == 16 || display.bitsPerPixel == 24 ||
              display.bitsPerPixel == 32)
      << display.bitsPerPixel;
  EXPECT_EQ(display.planes, 1);
  EXPECT_GE(display.width, 640);
  EXPECT_GE(display.height, 480);
  int32_t width = 0, height = 0;
  machine_.ScreenSize(&width, &height);
  EXPECT_EQ(width, display.width);
  EXPECT_EQ(height, display.height);
}

TEST_F(MachineFactsTest, MemoryProcessorAndVersionAreTheSystemsFigures) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  ASSERT_TRUE(GlobalMemoryStatusEx(&status));
  uint64_t expected = status.ullTotalPhys > 0xFFFFFFFFull ? 0xFFFFFFFFull : status.ullTotalPhys;
  EXPECT_EQ(machine_.TotalPhysicalMemory(), expected) << "saturated at 4 GB - 1";
  EXPECT_GT(machine_.TotalPhysicalMemory(), 16u * 1024 * 1024);

  uint32_t processor = machine_.ProcessorType();
  EXPECT_TRUE(processor == kProcessorIntel386 || processor == kProcessorIntel486 ||
              processor == kProcessorIntelPentium || processor == 2200 /* Itanium */ ||
              processor == 8664 /* x64 */)
      << processor;

  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ASSERT_TRUE(GetVersionExA(&info));
#pragma GCC diagnostic pop
  uint32_t version = machine_.Version();
  EXPECT_EQ(version & 0xFF, info.dwMajorVersion);
  EXPECT_EQ((version >> 8) & 0xFF, info.dwMinorVersion);
}

}  // namespace
}  // namespace quorril
