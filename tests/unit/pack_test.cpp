// The publisher's package commands, run as the built quorril-pack binary on
// host files: shrink, append, list and extract round trips (subdirectories,
// dates, members split across volumes), the payload's bytes against its
// format, packages read back by the engine's own reader, inputs made by hand
// to the formats, bad input (clear message, non-zero exit, no output), and
// outputs that appear whole or not at all, never through a planted link.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "package/container.h"
#include "package/implode.h"
#include "package/virtual_file.h"
#include "platform/memory/memory_file_system.h"
#include "support/pe_image.h"
#include "support/test_data.h"

namespace quorril {
namespace {

std::string ToolPath() {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return std::string();
  self[n] = '\0';
  std::string dir(self);
  dir = dir.substr(0, dir.find_last_of('/'));     // .../tests
  return dir.substr(0, dir.find_last_of('/')) + "/quorril-pack";
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

// A fixed local time for a file, as a DOS date and time.
void SetTime(const std::string& path, int year, int month, int day, int hour, int minute, int second) {
  struct tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  struct utimbuf times;
  times.actime = times.modtime = mktime(&t);
  utime(path.c_str(), &times);
}

time_t ModifiedAt(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mtime : 0;
}

using testing::Noise;

uint32_t Le32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
         uint32_t(uint8_t(s[at + 3])) << 24;
}

// A volume header and the header of an empty member, as the format has them.
std::string VolumeBytes(const std::string& next, int16_t count, uint16_t kind) {
  VolumeHeader header;
  header.nextVolume = next;
  header.magic = kContainerMagic;
  header.memberCount = count;
  header.kind = kind;
  uint8_t raw[kVolumeHeaderSize];
  WriteVolumeHeader(header, raw);
  return std::string(reinterpret_cast<const char*>(raw), sizeof raw);
}

std::string EmptyMemberBytes(const std::string& path) {
  MemberHeader header;
  header.path = path;
  header.attributes = kContainerMemberAttributes;
  uint8_t raw[kMemberHeaderSize];
  WriteMemberHeader(header, raw);
  return std::string(reinterpret_cast<const char*>(raw), sizeof raw);
}

class PackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tool = ToolPath();
    if (!Exists(tool)) GTEST_SKIP() << "quorril-pack is not built beside the tests: " << tool;
    char pattern[] = "/tmp/quorril-pack-test-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    dir = pattern;
    ASSERT_EQ(mkdir((dir + "/in").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((dir + "/in/sub").c_str(), 0755), 0);
  }
  void TearDown() override {
    if (!dir.empty()) std::system(("rm -rf '" + dir + "'").c_str());
  }

  // Runs the tool in `dir`/in; returns the exit code, keeps stdout and stderr.
  // `setup` runs in the same shell first, such as "ulimit -f 64 && ".
  int Pack(const std::string& arguments, const std::string& setup = std::string()) {
    std::string command = "cd '" + dir + "/in' && " + setup + "'" + tool + "' " + arguments + " >'" + dir +
                          "/stdout' 2>'" + dir + "/stderr'";
    int status = std::system(command.c_str());
    out = ReadFile(dir + "/stdout");
    err = ReadFile(dir + "/stderr");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string In(const std::string& name) { return dir + "/in/" + name; }
  // The temporary files left anywhere below `dir`, one a line.
  std::string Temporaries() {
    std::string found;
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string path = it->path().string();
      if (path.size() >= 12 && path.compare(path.size() - 12, 12, ".quorril-tmp") == 0) found += path + "\n";
    }
    return found;
  }

  std::string tool, dir, out, err;
};

TEST_F(PackTest, ShrinkThenExtractGivesBackEveryFileWithItsDirectoryAndDate) {
  const std::string text = std::string(30000, 'x') + "tail", binary = Noise(70000, 1);
  WriteFile(In("readme.txt"), text);
  WriteFile(In("sub/app.bin"), binary);
  WriteFile(In("empty"), "");
  SetTime(In("readme.txt"), 2001, 2, 3, 4, 5, 6);
  SetTime(In("sub/app.bin"), 1999, 12, 31, 23, 59, 58);
  ASSERT_EQ(Pack("shrink ../DATA.Z readme.txt ./sub/app.bin empty"), 0) << err;
  ASSERT_EQ(Pack("list ../DATA.Z"), 0) << err;
  EXPECT_NE(out.find("     30004 ["), std::string::npos) << out;
  EXPECT_NE(out.find("2001-02-03 04:05:06  ----A  readme.txt"), std::string::npos) << out;
  EXPECT_NE(out.find("1999-12-31 23:59:58  ----A  sub\\app.bin"), std::string::npos) << out;

  ASSERT_EQ(Pack("extract ../DATA.Z ../out"), 0) << err;
  EXPECT_EQ(ReadFile(dir + "/out/readme.txt"), text);
  EXPECT_EQ(ReadFile(dir + "/out/sub/app.bin"), binary);
  EXPECT_TRUE(Exists(dir + "/out/empty"));
  EXPECT_EQ(ModifiedAt(dir + "/out/readme.txt"), ModifiedAt(In("readme.txt")));
  EXPECT_EQ(ModifiedAt(dir + "/out/sub/app.bin"), ModifiedAt(In("sub/app.bin")));
  EXPECT_FALSE(Exists(dir + "/out/DATA.Z"));
}

TEST_F(PackTest, SplitContainersSpanVolumesNamedAfterTheFirst) {
  const std::string big = Noise(50000, 2);
  WriteFile(In("big.bin"), big);
  WriteFile(In("small.txt"), "small");
  ASSERT_EQ(Pack("shrink --volume-size 20000 ../DISK.Z big.bin small.txt"), 0) << err;
  EXPECT_EQ(ReadFile(dir + "/DISK.Z").size(), 20000u);
  EXPECT_EQ(ReadFile(dir + "/DISK.002").size(), 20000u);
  EXPECT_GT(ReadFile(dir + "/DISK.003").size(), 58u);
  EXPECT_LE(ReadFile(dir + "/DISK.003").size(), 20000u);
  EXPECT_FALSE(Exists(dir + "/DISK.004"));
  // The headers chain the volumes; big.bin runs through all of them.
  std::string first = ReadFile(dir + "/DISK.Z");
  EXPECT_EQ(first.substr(0, 9), std::string("DISK.002\0", 9));
  EXPECT_EQ(first[18], 0x74);
  std::string second = ReadFile(dir + "/DISK.002");
  EXPECT_EQ(second.substr(0, 9), std::string("DISK.003\0", 9));
  EXPECT_EQ(second[18], 0x75);

  ASSERT_EQ(Pack("extract ../DISK.Z ../out"), 0) << err;
  EXPECT_EQ(ReadFile(dir + "/out/big.bin"), big);
  EXPECT_EQ(ReadFile(dir + "/out/small.txt"), "small");

  // Without its continuation volumes a split container cannot be extracted.
  std::system(("mv '" + dir + "/DISK.003' '" + dir + "/gone'").c_str());
  EXPECT_EQ(Pack("extract ../DISK.Z ../out2"), 1);
  EXPECT_NE(err.find("'DISK.003' is neither in"), std::string::npos) << err;
  EXPECT_FALSE(Exists(dir + "/out2"));
}

TEST_F(PackTest, AppendWritesThePayloadFormatAndTheEngineReadsIt) {
  const std::string engine = Noise(3000, 3);
  WriteFile(In("engine.exe"), engine);
  WriteFile(In("setup.cfg"), "FILE: DATA.Z\r\n");
  WriteFile(In("sub/DATA.Z"), Noise(500, 4));
  SetTime(In("setup.cfg"), 2010, 6, 7, 8, 9, 10);
  chmod(In("engine.exe").c_str(), 0755);
  ASSERT_EQ(Pack("append engine.exe ../SETUP.EXE setup.cfg sub/DATA.Z"), 0) << err;
  std::string package = ReadFile(dir + "/SETUP.EXE");
  struct stat st;
  ASSERT_EQ(stat((dir + "/SETUP.EXE").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);

  // engine | magic | header 1 | setup.cfg | header 2 | DATA.Z | trailer
  ASSERT_EQ(package.substr(0, engine.size()), engine);
  EXPECT_EQ(package.substr(3000, 8), std::string("[Zemko]\0", 8));
  const uint32_t h1 = 3008, h2 = h1 + 276 + 14;
  EXPECT_EQ(Le32(package, h1), h2);
  EXPECT_EQ(Le32(package, h1 + 4), 0x20u);
  EXPECT_EQ(Le32(package, h1 + 12), uint32_t((30 << 9) | (6 << 5) | 7));
  EXPECT_EQ(Le32(package, h1 + 8), uint32_t((8 << 11) | (9 << 5) | 5));
  EXPECT_EQ(Le32(package, h1 + 16), 14u);
  EXPECT_EQ(std::string(package.c_str() + h1 + 20), "setup.cfg");
  EXPECT_EQ(Le32(package, h2), 0u);
  EXPECT_EQ(std::string(package.c_str() + h2 + 20), "DATA.Z");
  const size_t trailer = package.size() - 16;
  EXPECT_EQ(trailer, h2 + 276 + 500);
  EXPECT_EQ(package.substr(trailer, 8), std::string("[Zemko]\0", 8));
  EXPECT_EQ(Le32(package, trailer + 8), h1);
  EXPECT_EQ(Le32(package, trailer + 12), h2);

  // The engine's reader finds both by name.
  MemoryFileSystem files;
  files.AddFile("C:\\SETUP\\SETUP.EXE", package);
  VirtualFileSystem vfs(&files);
  vfs.AttachArchive("C:\\SETUP\\SETUP.EXE");
  auto cfg = vfs.Open("C:\\SETUP\\SETUP.CFG");
  ASSERT_TRUE(cfg && cfg->InArchive());
  std::string line;
  ASSERT_TRUE(vfs.ReadLine(*cfg, &line, 999));
  EXPECT_EQ(line, "FILE: DATA.Z\n");
  auto data = vfs.Open("data.z");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->Size(), 500);

  ASSERT_EQ(Pack("list ../SETUP.EXE"), 0) << err;
  EXPECT_NE(out.find("        14  2010-06-07 08:09:10  ----A  setup.cfg"), std::string::npos) << out;
  ASSERT_EQ(Pack("extract ../SETUP.EXE ../out"), 0) << err;
  EXPECT_EQ(ReadFile(dir + "/out/setup.cfg"), "FILE: DATA.Z\r\n");
  EXPECT_EQ(ReadFile(dir + "/out/DATA.Z"), ReadFile(In("sub/DATA.Z")));
}

// Signing after append: list and extract read the signed package as the
// unsigned one; append refuses a signed input either way; a table that
// leaves the file is refused by every command.
TEST_F(PackTest, ASignedPackageListsAndExtractsAsTheUnsignedOne) {
  const testing::PeKind kind = testing::PeKind::kPe32Plus;
  WriteFile(In("engine.exe"), testing::PeImage(kind, 0x403));
  WriteFile(In("setup.cfg"), "FILE: DATA.BIN\r\n");
  WriteFile(In("DATA.BIN"), Noise(777, 9));
  SetTime(In("setup.cfg"), 2010, 6, 7, 8, 9, 10);
  SetTime(In("DATA.BIN"), 2011, 1, 2, 3, 4, 6);
  ASSERT_EQ(Pack("append engine.exe ../SETUP.EXE setup.cfg DATA.BIN"), 0) << err;
  ASSERT_EQ(Pack("list ../SETUP.EXE"), 0) << err;
  const std::string unsignedList = out;
  const std::string package = ReadFile(dir + "/SETUP.EXE");
  WriteFile(In("signed.exe"), testing::Sign(package, kind));

  ASSERT_EQ(Pack("list signed.exe"), 0) << err;
  EXPECT_EQ(out, unsignedList);
  ASSERT_EQ(Pack("extract signed.exe ../out"), 0) << err;
  EXPECT_EQ(ReadFile(dir + "/out/setup.cfg"), "FILE: DATA.BIN\r\n");
  EXPECT_EQ(ReadFile(dir + "/out/DATA.BIN"), ReadFile(In("DATA.BIN")));

  struct Case {
    std::string arguments;
    std::string message;
  };
  std::string cut = testing::Sign(package, kind);
  cut.resize(cut.size() - 1);
  WriteFile(In("cut.exe"), cut);
  WriteFile(In("signed-engine.exe"), testing::Sign(testing::PeImage(kind), kind));
  const std::vector<Case> cases = {
      {"append signed.exe ../p.exe DATA.BIN", "already carries a payload"},
      {"append signed-engine.exe ../p.exe DATA.BIN", "is signed; append to the unsigned engine"},
      {"list signed-engine.exe", "no payload trailer lies in front of its certificate table"},
      {"append cut.exe ../p.exe DATA.BIN", "does not lie inside the file"},
      {"list cut.exe", "does not lie inside the file"},
      {"extract cut.exe ../cut", "does not lie inside the file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(Pack(c.arguments), 1);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_EQ(out, "");
    EXPECT_FALSE(Exists(dir + "/p.exe"));
    EXPECT_FALSE(Exists(dir + "/cut"));
  }
}

TEST_F(PackTest, APackageWithContainersExtractsWhatTheEngineWouldInstall) {
  WriteFile(In("a.txt"), "first container");
  WriteFile(In("sub/b.bin"), Noise(30000, 5));
  WriteFile(In("engine.exe"), "MZ engine");
  WriteFile(In("setup.cfg"), "script");
  ASSERT_EQ(Pack("shrink ONE.Z a.txt"), 0) << err;
  ASSERT_EQ(Pack("shrink --volume-size 12000 TWO.Z sub/b.bin"), 0) << err;
  ASSERT_EQ(Pack("append engine.exe ../SETUP.EXE setup.cfg TWO.Z TWO.002 TWO.003 ONE.Z"), 0) << err;
  ASSERT_EQ(Pack("list ../SETUP.EXE"), 0) << err;
  EXPECT_NE(out.find("ONE.Z  (container)"), std::string::npos) << out;
  EXPECT_NE(out.find("TWO.002  (continuation volume)"), std::string::npos) << out;
  EXPECT_NE(out.find("         15 ["), std::string::npos) << out;

  ASSERT_EQ(Pack("extract ../SETUP.EXE ../out"), 0) << err;
  EXPECT_EQ(ReadFile(dir + "/out/setup.cfg"), "script");
  EXPECT_EQ(ReadFile(dir + "/out/a.txt"), "first container");
  EXPECT_EQ(ReadFile(dir + "/out/sub/b.bin"), ReadFile(In("sub/b.bin")));
  EXPECT_FALSE(Exists(dir + "/out/ONE.Z"));
  EXPECT_FALSE(Exists(dir + "/out/TWO.002"));

  ASSERT_EQ(Pack("extract --raw ../SETUP.EXE ../raw"), 0) << err;
  EXPECT_EQ(ReadFile(dir + "/raw/ONE.Z"), ReadFile(In("ONE.Z")));
  EXPECT_EQ(ReadFile(dir + "/raw/TWO.002"), ReadFile(In("TWO.002")));
}

TEST_F(PackTest, AContainerMadeByHandToTheFormatListsAndExtracts) {
  // One member in a subdirectory, written byte by byte, its stream made by
  // our compressor in ASCII mode with a 1024-byte dictionary.
  const std::string text = "Hello, hello, hello again.\r\n";
  std::vector<uint8_t> stream;
  ImplodeOptions options;
  options.ascii = true;
  options.dictionarySize = 1024;
  ASSERT_EQ(ImplodeBuffer(reinterpret_cast<const uint8_t*>(text.data()), text.size(), options, &stream), kImplodeOk);
  std::string c(14, '\0');
  c += std::string("\x74\0\x01\0\x74\0", 6) + std::string(38, '\0');
  std::string member = "DOCS\\HELLO.TXT";
  member.resize(128, '\0');
  auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  member += le32(0x21) + le32(0) + le32(uint32_t(stream.size())) + le32((20 << 9) | (1 << 5) | 2) +
            le32((3 << 11) | (4 << 5) | 5) + std::string(20, '\0');
  WriteFile(In("hand.z"), c + member + std::string(stream.begin(), stream.end()));
  ASSERT_EQ(Pack("list hand.z"), 0) << err;
  EXPECT_NE(out.find("        28 ["), std::string::npos) << out;
  EXPECT_NE(out.find("2000-01-02 03:04:10  R---A  DOCS\\HELLO.TXT"), std::string::npos) << out;
  ASSERT_EQ(Pack("extract hand.z ../out"), 0) << err;
  EXPECT_EQ(ReadFile(dir + "/out/DOCS/HELLO.TXT"), text);
}

TEST_F(PackTest, BadInputGetsAClearMessageAnExitCodeAndNoOutput) {
  WriteFile(In("a.txt"), "a");
  WriteFile(In("engine.exe"), "MZ");
  ASSERT_EQ(mkdir((dir + "/in/other").c_str(), 0755), 0);
  WriteFile(In("other/A.TXT"), "A");
  struct Case {
    std::string arguments;
    int code;
    std::string message;
    std::string output;
  };
  const std::string longName(256, 'n');
  WriteFile(In(longName), "long");
  std::vector<Case> cases = {
      {"shrink ../x.z a.txt missing.txt", 2, "cannot open 'missing.txt'", "x.z"},
      {"shrink ../x.z ../in/a.txt", 1, "cannot be a member path", "x.z"},
      {"shrink ../x.z a.txt ./a.txt", 1, "given twice", "x.z"},
      {"shrink --volume-size 226 ../x.z a.txt", 64, "volume size '226'", "x.z"},
      {"shrink --volume-size 1000 ../toolongname.z a.txt", 1, "1 to 8 characters", "toolongname.z"},
      {"shrink --level 0 ../x.z a.txt", 64, "level '0'", "x.z"},
      {"shrink ../x.z", 64, "needs OUT.EXT", "x.z"},
      {"append engine.exe ../p.exe a.txt other/A.TXT", 1, "have the same name", "p.exe"},
      {"append engine.exe ../p.exe " + longName, 1, "longer than 255", "p.exe"},
      {"append missing.exe ../p.exe a.txt", 2, "cannot open 'missing.exe'", "p.exe"},
      {"list a.txt", 1, "neither a package", ""},
      {"list missing", 2, "cannot open", ""},
      {"extract a.txt ../out", 1, "neither a package", "out"},
      {"extract", 64, "needs PACKAGE", ""},
      {"implode missing.txt ../x", 2, "cannot open 'missing.txt'", "x"},
      {"implode sub ../x", 2, "'sub' is a directory", "x"},
      {"explode missing.z ../x", 2, "cannot open 'missing.z'", "x"},
      {"explode sub ../x", 2, "'sub' is a directory", "x"},
      {"nonsense", 64, "unknown command", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(Pack(c.arguments), c.code);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    if (!c.output.empty()) {
      EXPECT_FALSE(Exists(dir + "/" + c.output));
    }
  }
  // A package that already has a payload is refused as an engine.
  ASSERT_EQ(Pack("append engine.exe ../p.exe a.txt"), 0) << err;
  EXPECT_EQ(Pack("append ../p.exe ../q.exe a.txt"), 1);
  EXPECT_NE(err.find("already carries a payload"), std::string::npos) << err;
  EXPECT_FALSE(Exists(dir + "/q.exe"));
  // No temporary file is left behind anywhere.
  EXPECT_EQ(std::system(("find '" + dir + "' -name '*.quorril-tmp' | grep -q .").c_str()) == 0, false);
}

TEST_F(PackTest, WrongUsageIsToldInOneFormByEveryCommand) {
  WriteFile(In("a.txt"), "a");
  struct Case {
    std::string arguments;
    std::string message;
    std::string synopsis;
  };
  const std::string shrink = "shrink [--volume-size BYTES] [--level N] OUT.EXT FILE...";
  const std::string implode = "implode [--ascii] [--dict 1024|2048|4096] [--level N] IN OUT";
  std::vector<Case> cases = {
      {"shrink --level", "--level needs a value", shrink},
      {"shrink --bogus ../x.z a.txt", "unknown option '--bogus'", shrink},
      {"append engine.exe ../p.exe", "needs ENGINE, OUT and at least one FILE", "append ENGINE OUT FILE..."},
      {"append -q engine.exe ../p.exe a.txt", "unknown option '-q'", "append ENGINE OUT FILE..."},
      {"list", "needs one PACKAGE or CONTAINER", "list PACKAGE|CONTAINER"},
      {"list -l a.txt", "needs one PACKAGE or CONTAINER", "list PACKAGE|CONTAINER"},
      {"extract --bogus a.txt ../out", "unknown option '--bogus'", "extract [--raw] PACKAGE|CONTAINER DIR"},
      {"implode a.txt", "needs IN and OUT", implode},
      {"implode --dict", "--dict needs a value", implode},
      {"explode -x a.txt ../x", "unknown option '-x'", "explode IN OUT"},
      {"check", "no script given", "check [options] SCRIPT"},
      {"check --memory lots a.txt", "--memory takes a number of kilobytes", "check [options] SCRIPT"},
      // An empty output names nothing (an empty DIR once meant the root).
      {"extract a.txt ''", "DIR is empty", "extract [--raw] PACKAGE|CONTAINER DIR"},
      {"implode a.txt ''", "OUT is empty", implode},
      {"explode a.txt ''", "OUT is empty", "explode IN OUT"},
      {"shrink '' a.txt", "OUT.EXT is empty", shrink},
      {"shrink --volume-size 1000 '' a.txt", "OUT.EXT is empty", shrink},
      {"append engine.exe '' a.txt", "OUT is empty", "append ENGINE OUT FILE..."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(Pack(c.arguments), 64);
    const std::string command = c.arguments.substr(0, c.arguments.find(' '));
    EXPECT_EQ(err, "quorril-pack " + command + ": " + c.message + "\nusage: quorril-pack " + c.synopsis + "\n");
    EXPECT_EQ(out, "");
  }
  // The list of commands still says what check does.
  ASSERT_EQ(Pack("--help"), 0);
  EXPECT_NE(out.find("  check [options] SCRIPT   read an install script as the engine does, both passes\n"),
            std::string::npos)
      << out;
}

TEST_F(PackTest, OptionValuesArePlainDecimalNumbersWithinTheirRange) {
  WriteFile(In("a.txt"), "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa");
  struct Case {
    std::string arguments;
    std::string message;
  };
  std::vector<Case> refused = {
      {"shrink --level +4 ../x.z a.txt", "level '+4' is not 1 to 9"},
      {"shrink --level '4 ' ../x.z a.txt", "level '4 ' is not 1 to 9"},
      {"shrink --level 10 ../x.z a.txt", "level '10' is not 1 to 9"},
      {"shrink --volume-size ' 1000' ../x.z a.txt", "volume size ' 1000' is not a number from 227 to 4294967295"},
      {"shrink --volume-size 4294967296 ../x.z a.txt", "volume size '4294967296' is not a number"},
      // 2^64 + 1000: a value that wraps around would be a good volume size.
      {"shrink --volume-size 18446744073709552616 ../x.z a.txt", "volume size '18446744073709552616' is not"},
      {"shrink --volume-size 00000001000 ../x.z a.txt", "volume size '00000001000' is not"},
      {"shrink --volume-size 1e4 ../x.z a.txt", "volume size '1e4' is not"},
      {"implode --level -1 a.txt ../x", "level '-1' is not 1 to 9"},
      {"implode --level 0x4 a.txt ../x", "level '0x4' is not 1 to 9"},
      {"implode --dict 4096.0 a.txt ../x", "dictionary size '4096.0' is not 1024, 2048 or 4096"},
      {"implode --dict 0000001024 a.txt ../x", "dictionary size '0000001024' is not"},
      {"implode --dict 8192 a.txt ../x", "dictionary size '8192' is not"},
      {"implode --dict 18446744073709552640 a.txt ../x", "dictionary size '18446744073709552640' is not"},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(Pack(c.arguments), 64);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_FALSE(Exists(dir + "/x.z"));
    EXPECT_FALSE(Exists(dir + "/x"));
  }
  // Leading zeros are digits like any other.
  ASSERT_EQ(Pack("shrink --level 09 --volume-size 0000001000 ../x.z a.txt"), 0) << err;
  ASSERT_EQ(Pack("implode --level 000000009 --dict 000001024 a.txt ../x"), 0) << err;
  ASSERT_EQ(Pack("explode ../x ../back"), 0) << err;
  EXPECT_EQ(ReadFile(dir + "/back"), ReadFile(In("a.txt")));
}

TEST_F(PackTest, AFailedWriteLeavesNeitherTheOutputNorATemporaryAndKeepsAnOldOutput) {
  const std::string big = Noise(1 << 20, 7);
  WriteFile(In("big.bin"), big);
  WriteFile(In("zeros.bin"), std::string(1 << 20, '\0'));
  ASSERT_EQ(Pack("implode zeros.bin zeros.imp"), 0) << err;
  ASSERT_EQ(Pack("append big.bin big.exe big.bin"), 0) << err;
  // The tool may write 32 KB per file at most; past it a write fails.
  const std::string small = "trap '' XFSZ && ulimit -f 64 && ";
  struct Case {
    std::string arguments;
    std::string output;
    std::string message;
  };
  std::vector<Case> cases = {
      {"explode zeros.imp ../x", "x", "cannot write '../x': File too large"},
      {"implode big.bin ../x", "x", "cannot write '../x': File too large"},
      {"shrink ../x.z big.bin", "x.z", "cannot write '../x.z': File too large"},
      {"append big.bin ../x.exe zeros.bin", "x.exe", "cannot write '../x.exe': File too large"},
      {"extract big.exe ../out", "out", "cannot write '../out/big.bin': File too large"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(Pack(c.arguments, small), 2);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_FALSE(Exists(dir + "/" + c.output));
    EXPECT_EQ(Temporaries(), "");
    // An output already there stays as it was.
    if (c.output == "out") continue;
    WriteFile(dir + "/" + c.output, "old");
    EXPECT_EQ(Pack(c.arguments, small), 2);
    EXPECT_EQ(ReadFile(dir + "/" + c.output), "old");
    EXPECT_EQ(Temporaries(), "");
    std::remove((dir + "/" + c.output).c_str());
  }
}

TEST_F(PackTest, AnOldOutputOutlivesACommandThatFails) {
  WriteFile(In("a.txt"), std::string(5000, 'a'));
  ASSERT_EQ(Pack("implode a.txt a.imp"), 0) << err;
  std::string corrupt = ReadFile(In("a.imp"));
  corrupt.resize(corrupt.size() - 2);  // the end marker is gone
  WriteFile(In("cut.imp"), corrupt);
  WriteFile(In("old"), "old");
  ASSERT_EQ(mkdir((dir + "/in/dir").c_str(), 0755), 0);
  struct Case {
    std::string arguments;
    int code;
  };
  // explode writes part of the stream before the damage shows.
  std::vector<Case> cases = {
      {"explode cut.imp old", 1},   {"explode missing old", 2},         {"implode missing old", 2},
      {"shrink old a.txt missing", 2}, {"append missing old a.txt", 2}, {"append a.txt old missing", 2},
      {"explode a.imp dir", 2},     {"implode a.txt dir", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(Pack(c.arguments), c.code) << err;
    EXPECT_EQ(ReadFile(In("old")), "old");
    EXPECT_EQ(Temporaries(), "");
  }
  EXPECT_NE(err.find("'dir' is a directory"), std::string::npos) << err;
  struct stat st;
  ASSERT_EQ(stat((dir + "/in/dir").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST_F(PackTest, AFileOrLinkPlantedAtATemporaryNameIsNeitherWrittenNorRemoved) {
  WriteFile(In("a.txt"), "payload of a");
  WriteFile(In("engine.exe"), "MZ engine");
  // What each command writes when nothing is in its way.
  ASSERT_EQ(Pack("implode a.txt a.imp"), 0) << err;
  ASSERT_EQ(Pack("shrink a.z a.txt"), 0) << err;
  ASSERT_EQ(Pack("append engine.exe p.exe a.txt"), 0) << err;
  WriteFile(dir + "/victim", "victim");
  struct Case {
    std::string arguments;
    std::string output;  // below dir
    std::string expected;
  };
  std::vector<Case> cases = {
      {"explode a.imp ../x", "x", "payload of a"},
      {"implode a.txt ../x", "x", ReadFile(In("a.imp"))},
      {"shrink ../x a.txt", "x", ReadFile(In("a.z"))},
      {"append engine.exe ../x a.txt", "x", ReadFile(In("p.exe"))},
      {"extract p.exe ../out", "out/a.txt", "payload of a"},
  };
  ASSERT_EQ(mkdir((dir + "/out").c_str(), 0755), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const std::string planted = dir + "/" + c.output + ".quorril-tmp";
    const std::string nowhere = dir + "/nowhere";
    // A link to a file, a link to nothing, and someone's own file.
    for (int kind = 0; kind < 3; ++kind) {
      SCOPED_TRACE(kind);
      std::remove(planted.c_str());
      if (kind == 0) {
        ASSERT_EQ(symlink((dir + "/victim").c_str(), planted.c_str()), 0);
      } else if (kind == 1) {
        ASSERT_EQ(symlink(nowhere.c_str(), planted.c_str()), 0);
      } else {
        WriteFile(planted, "mine");
      }
      ASSERT_EQ(Pack(c.arguments), 0) << err;
      EXPECT_EQ(ReadFile(dir + "/" + c.output), c.expected);
      EXPECT_EQ(ReadFile(dir + "/victim"), "victim");
      EXPECT_FALSE(Exists(nowhere));
      struct stat st;
      ASSERT_EQ(lstat(planted.c_str(), &st), 0);
      EXPECT_EQ(S_ISLNK(st.st_mode), kind != 2);
      if (kind == 2) {
        EXPECT_EQ(ReadFile(planted), "mine");
      }
      // Only the planted name is left.
      EXPECT_EQ(Temporaries(), planted + "\n");
      std::remove((dir + "/" + c.output).c_str());
    }
    std::remove(planted.c_str());
  }
}

// Each volume holds one empty member and the first counts 50 of them: a
// chain that comes back to a volume would be read round and round until
// the count ran out (or for ever, with a negative count).
TEST_F(PackTest, AChainOfVolumesThatComesBackIsRefusedFromAFileAndFromAPayload) {
  WriteFile(In("engine.exe"), "MZ engine");
  struct Case {
    std::vector<std::string> next;  // the next-volume names of DATA.Z, DATA.002, DATA.003
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"DATA.002", "DATA.002"}, "'DATA.002': names as its next volume one already read in this container "
                                 "('DATA.002')"},
      {{"DATA.002", "DATA.003", "data.002"}, "'DATA.003': names as its next volume one already read in this "
                                             "container ('data.002')"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::string volumes = "DATA.Z";
    WriteFile(In("DATA.Z"), VolumeBytes(c.next[0], 50, kContainerMagic) + EmptyMemberBytes("A.TXT"));
    for (size_t i = 1; i < c.next.size(); ++i) {
      const std::string name = "DATA.00" + std::to_string(i + 1);
      WriteFile(In(name), VolumeBytes(c.next[i], 0, kContinuationMagic) + EmptyMemberBytes(name + ".TXT"));
      volumes += " " + name;
    }
    // The package lies apart from the volumes: they come from its payload.
    ASSERT_EQ(Pack("append engine.exe ../P.EXE " + volumes), 0) << err;
    for (const std::string& input : {std::string("DATA.Z"), std::string("../P.EXE")}) {
      SCOPED_TRACE(input);
      EXPECT_EQ(Pack("list " + input), 1);
      EXPECT_NE(err.find("quorril-pack list: " + c.message + "\n"), std::string::npos) << err;
      EXPECT_EQ(Pack("extract " + input + " ../out"), 1);
      EXPECT_NE(err.find("quorril-pack extract: " + c.message + "\n"), std::string::npos) << err;
      EXPECT_FALSE(Exists(dir + "/out"));
    }
    std::remove((dir + "/P.EXE").c_str());
  }
}

// A link inside DIR, where the package writes a directory or a file, would
// lead the extraction out of DIR; DIR itself may be a link.
TEST_F(PackTest, ExtractWritesThroughNoLinkInsideItsDirectory) {
  WriteFile(In("top.txt"), "top");
  WriteFile(In("sub/in.txt"), "inner");
  WriteFile(In("engine.exe"), "MZ engine");
  ASSERT_EQ(Pack("shrink ../D.Z top.txt sub/in.txt"), 0) << err;
  ASSERT_EQ(Pack("append engine.exe ../P.EXE top.txt"), 0) << err;
  ASSERT_EQ(mkdir((dir + "/outside").c_str(), 0755), 0);
  WriteFile(dir + "/victim", "victim");
  struct Case {
    std::string input;
    std::string link;    // below out/
    std::string target;  // of the link, below dir
  };
  const std::vector<Case> cases = {
      {"../D.Z", "sub", "outside"},       // a directory that leads out
      {"../D.Z", "sub", "nowhere"},       // a link to nothing
      {"../D.Z", "top.txt", "victim"},    // a file of the container
      {"../P.EXE", "top.txt", "victim"},  // a file of the payload
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input + " " + c.link + " -> " + c.target);
    std::system(("rm -rf '" + dir + "/out' && mkdir '" + dir + "/out'").c_str());
    ASSERT_EQ(symlink(("../" + c.target).c_str(), (dir + "/out/" + c.link).c_str()), 0);
    EXPECT_EQ(Pack("extract " + c.input + " ../out"), 1);
    EXPECT_EQ(err, "quorril-pack extract: '../out/" + c.link + "' is a symbolic link; nothing is written through it\n");
    EXPECT_EQ(ReadFile(dir + "/victim"), "victim");
    EXPECT_FALSE(Exists(dir + "/nowhere"));
    EXPECT_FALSE(Exists(dir + "/outside/in.txt"));
    // DIR holds the link and nothing else, no temporary either.
    std::system(("ls -A '" + dir + "/out' >'" + dir + "/found'").c_str());
    EXPECT_EQ(ReadFile(dir + "/found"), c.link + "\n");
    EXPECT_EQ(Temporaries(), "");
  }

  std::system(("rm -rf '" + dir + "/out'").c_str());
  ASSERT_EQ(symlink("outside", (dir + "/out").c_str()), 0);
  ASSERT_EQ(Pack("extract ../D.Z ../out"), 0) << err;
  EXPECT_EQ(ReadFile(dir + "/outside/sub/in.txt"), "inner");
}

// Member, volume and payload names come from the input: their bytes reach
// the terminal, in the listing and in messages, only as printable text.
TEST_F(PackTest, NamesFromTheInputAreShownWithTheirControlBytesEscaped) {
  const std::string clear = "\x1b[2J";
  auto member = [](const std::string& path, const std::string& data) {
    MemberHeader header;
    header.path = path;
    header.compressedSize = uint32_t(data.size());
    uint8_t raw[kMemberHeaderSize];
    WriteMemberHeader(header, raw);
    return std::string(reinterpret_cast<const char*>(raw), sizeof raw) + data;
  };
  // Its next volume is missing.
  WriteFile(In("NAMES.Z"), VolumeBytes("N\x1b]0;T.002", 3, kContainerMagic) + member("A" + clear + ".TXT", "") +
                               member("\xe9t\x07\x7f.TXT", ""));
  // Its member's data is no stream.
  WriteFile(In("BAD.Z"), VolumeBytes("", 1, kContainerMagic) + member("B\x9b" "31m.TXT", "\x07\x07\x07\x07\x07"));
  WriteFile(In("engine.exe"), "MZ engine");
  WriteFile(In("P" + clear + ".TXT"), "payload");
  ASSERT_EQ(Pack("append engine.exe ../P.EXE 'P'\"$(printf '\\033')\"'[2J.TXT'"), 0) << err;

  struct Case {
    std::string arguments;
    int code;
    std::string shown;  // in stdout or stderr
  };
  const std::vector<Case> cases = {
      {"list NAMES.Z", 1, "  A\\x1b[2J.TXT\n"},
      {"list NAMES.Z", 1, "  \xe9t\\x07\\x7f.TXT\n"},
      {"list NAMES.Z", 1, "the continuation volume 'N\\x1b]0;T.002' is neither in 'NAMES.Z' nor beside it\n"},
      {"extract NAMES.Z ../out", 1, "the member 'A\\x1b[2J.TXT' cannot be written as '../out/A\\x1b[2J.TXT'"},
      {"extract BAD.Z ../out", 1, "'BAD.Z': the data of 'B\\x9b31m.TXT' is not a valid stream"},
      {"list ../P.EXE", 0, "  P\\x1b[2J.TXT\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(Pack(c.arguments), c.code);
    EXPECT_NE((out + err).find(c.shown), std::string::npos) << out << err;
    for (char byte : out + err) {
      unsigned char u = static_cast<unsigned char>(byte);
      EXPECT_FALSE((u < 0x20 && u != '\n') || (u >= 0x7F && u <= 0x9F)) << int(u);
    }
  }
}

// The engine could not make these names on Windows; extract refuses them
// alike from a container and from a payload, naming the name and its place.
TEST_F(PackTest, NamesWindowsCannotHoldAreRefusedWithTheirPlaceBelowDir) {
  const std::string why = "': a Windows file name holds no * ? | \" < > and no control character\n";
  struct Case {
    std::string name;
    std::string shown;  // in the message
    std::string host;   // in the message, below ../out/
  };
  const std::vector<Case> cases = {
      {"a*b", "a*b", "a*b"},         {"a?b", "a?b", "a?b"},           {"a|b", "a|b", "a|b"},
      {"a\"b", "a\"b", "a\"b"},      {"a<b", "a<b", "a<b"},           {"a>b", "a>b", "a>b"},
      {"a\tb", "a\\x09b", "a\\x09b"}, {"sub\\a*b\\c.txt", "sub\\a*b\\c.txt", "sub/a*b/c.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    WriteFile(In("BAD.Z"), VolumeBytes("", 2, kContainerMagic) + EmptyMemberBytes("fine.txt") +
                               EmptyMemberBytes(c.name));
    EXPECT_EQ(Pack("extract BAD.Z ../out"), 1);
    EXPECT_EQ(err, "quorril-pack extract: the member '" + c.shown + "' cannot be written as '../out/" + c.host + why);
    EXPECT_FALSE(Exists(dir + "/out"));
  }

  WriteFile(In("engine.exe"), "MZ engine");
  WriteFile(In("a*b"), "star");
  ASSERT_EQ(Pack("append engine.exe ../P.EXE 'a*b'"), 0) << err;
  for (const std::string& options : {std::string(), std::string("--raw ")}) {
    SCOPED_TRACE(options);
    EXPECT_EQ(Pack("extract " + options + "../P.EXE ../out"), 1);
    EXPECT_EQ(err, "quorril-pack extract: the payload entry 'a*b' cannot be written as '../out/a*b" + why);
    EXPECT_FALSE(Exists(dir + "/out"));
  }

  // DEL, a tilde and letters of the ANSI code page are names like any other.
  WriteFile(In("GOOD.Z"), VolumeBytes("", 1, kContainerMagic) + EmptyMemberBytes("~\x7f\xe9.txt"));
  ASSERT_EQ(Pack("extract GOOD.Z ../out"), 0) << err;
  EXPECT_TRUE(Exists(dir + "/out/~\x7f\xe9.txt"));
}

TEST_F(PackTest, DamagedPackagesAndContainersAreRefusedWithoutOutput) {
  WriteFile(In("a.txt"), std::string(20000, 'a') + Noise(20000, 6));
  WriteFile(In("engine.exe"), "MZ");
  ASSERT_EQ(Pack("shrink GOOD.Z a.txt"), 0) << err;
  ASSERT_EQ(Pack("append engine.exe GOOD.EXE a.txt GOOD.Z"), 0) << err;
  const std::string container = ReadFile(In("GOOD.Z")), package = ReadFile(In("GOOD.EXE"));

  WriteFile(In("cut.z"), container.substr(0, container.size() / 2));
  EXPECT_EQ(Pack("extract cut.z ../out"), 1);
  EXPECT_NE(err.find("'cut.z': the data of 'a.txt' runs past the end"), std::string::npos) << err;
  EXPECT_EQ(Pack("list cut.z"), 1);
  EXPECT_NE(err.find("runs past the end"), std::string::npos) << err;

  std::string corrupt = container;
  for (size_t i = 58 + 168 + 2; i < corrupt.size(); i += 7) corrupt[i] = char(corrupt[i] ^ 0x5A);
  WriteFile(In("corrupt.z"), corrupt);
  EXPECT_EQ(Pack("extract corrupt.z ../out"), 1);
  EXPECT_NE(err.find("'corrupt.z': the data of 'a.txt' is not a valid stream"), std::string::npos) << err;

  std::string unsafe = container;
  std::memcpy(&unsafe[58], "..\\x.txt\0", 9);
  WriteFile(In("unsafe.z"), unsafe);
  EXPECT_EQ(Pack("extract unsafe.z ../out"), 1);
  EXPECT_NE(err.find("'unsafe.z': holds a member path that would leave the destination directory"), std::string::npos)
      << err;

  std::string loop = package;
  uint32_t first = Le32(loop, loop.size() - 8);
  std::memcpy(&loop[first], &loop[loop.size() - 8], 4);  // the first entry points to itself
  WriteFile(In("loop.exe"), loop);
  EXPECT_EQ(Pack("list loop.exe"), 1);
  EXPECT_NE(err.find("chain of entries is damaged"), std::string::npos) << err;
  EXPECT_EQ(Pack("extract loop.exe ../out"), 1);

  WriteFile(In("short.exe"), package.substr(0, package.size() - 40000) + package.substr(package.size() - 16));
  EXPECT_EQ(Pack("extract short.exe ../out"), 1);
  EXPECT_FALSE(Exists(dir + "/out"));
}

// Every kind of damage to a payload's chain gets one verdict from list and
// extract alike: exit 1, a message naming what is wrong, nothing written.
TEST_F(PackTest, ListAndExtractGiveOneVerdictOnADamagedPayload) {
  WriteFile(In("a.txt"), std::string(400, 'a'));
  WriteFile(In("b.txt"), Noise(3000, 9));
  WriteFile(In("engine.exe"), "MZ");
  ASSERT_EQ(Pack("shrink GOOD.Z b.txt"), 0) << err;
  ASSERT_EQ(Pack("append engine.exe GOOD.EXE a.txt GOOD.Z b.txt"), 0) << err;
  const std::string package = ReadFile(In("GOOD.EXE"));
  const size_t trailer = package.size() - 16;
  const uint32_t first = Le32(package, trailer + 8);
  auto put32 = [](std::string s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = char(v >> (8 * i));
    return s;
  };
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"a size cut from 400 to 256", put32(package, first + 16, 256), "'a.txt' (entry 1) states 256 bytes, but 400"},
      {"a size of 0xFFFFFFFF", put32(package, first + 16, 0xFFFFFFFFu), "'a.txt' (entry 1) states 4294967295 bytes"},
      {"a first next offset of 0", put32(package, first, 0), "ends at its entry 1 (offset"},
      {"a trailer naming another last entry", put32(package, trailer + 12, first), "but the trailer names offset"},
      {"data cut short before the trailer",
       package.substr(0, trailer - 100) + package.substr(trailer), "'b.txt' (entry 3) states 3000 bytes, but only"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(In("BAD.EXE"), c.bytes);
    EXPECT_EQ(Pack("list BAD.EXE"), 1);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_EQ(Pack("extract BAD.EXE ../out"), 1);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_FALSE(Exists(dir + "/out"));
  }
  EXPECT_EQ(Pack("list GOOD.EXE"), 0) << err;

  // A member's stated size grown past the container's end or cut below its
  // stream: the same verdict again.
  const std::string container = ReadFile(In("GOOD.Z"));
  const uint32_t stated = Le32(container, kVolumeHeaderSize + 136);
  struct {
    const char* what;
    std::string bytes;
  } members[] = {
      {"a member size grown by 50", put32(container, kVolumeHeaderSize + 136, stated + 50)},
      {"a member size cut to 256", put32(container, kVolumeHeaderSize + 136, 256)},
  };
  for (const auto& c : members) {
    SCOPED_TRACE(c.what);
    WriteFile(In("BAD.Z"), c.bytes);
    EXPECT_EQ(Pack("list BAD.Z"), 1);
    EXPECT_NE(err.find("'BAD.Z': the data of 'b.txt'"), std::string::npos) << err;
    EXPECT_EQ(Pack("extract BAD.Z ../out"), 1);
    EXPECT_NE(err.find("'BAD.Z': the data of 'b.txt'"), std::string::npos) << err;
    EXPECT_FALSE(Exists(dir + "/out"));
  }
}

// Damage that once gave a puzzling message or none: each is named.
TEST_F(PackTest, OddFieldsAndDamageAreToldPlainly) {
  WriteFile(In("a"), "x");
  ASSERT_EQ(Pack("shrink C.Z a"), 0) << err;
  const std::string container = ReadFile(In("C.Z"));
  auto put16 = [&](size_t at, uint16_t v) {
    std::string s = container;
    s[at] = char(v);
    s[at + 1] = char(v >> 8);
    return s;
  };
  std::string dated = put16(kVolumeHeaderSize + 140, 127 << 9 | 15 << 5 | 31);
  dated[kVolumeHeaderSize + 144] = char(0xFF);
  dated[kVolumeHeaderSize + 145] = char(0xFF);  // 31:63:62
  std::string unsafe = container;
  std::memcpy(&unsafe[kVolumeHeaderSize], "..\\a", 5);
  ASSERT_EQ(mkdir(In("folder").c_str(), 0755), 0);
  struct Case {
    const char* what;
    std::string bytes;  // written as X.Z when not empty
    std::string arguments;
    int code;
    std::string text;  // in stdout or stderr
  } cases[] = {
      {"a member count below 0", put16(16, uint16_t(-2)), "list X.Z", 1, "'X.Z': counts -2 members"},
      {"a member count below 0", put16(16, uint16_t(-2)), "extract X.Z ../out", 1, "'X.Z': counts -2 members"},
      {"an impossible date", dated, "list X.Z", 0, "2107-?\?-31 ??:??:??"},
      {"an unsafe member path", unsafe, "list X.Z", 1, "leave the destination directory: '..\\a'"},
      {"an unsafe member path", unsafe, "extract X.Z ../out", 1, "leave the destination directory: '..\\a'"},
      {"a directory as the script", "", "check folder", 2, "'folder' is a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + ": " + c.arguments);
    if (!c.bytes.empty()) WriteFile(In("X.Z"), c.bytes);
    EXPECT_EQ(Pack(c.arguments), c.code) << err;
    EXPECT_NE((out + err).find(c.text), std::string::npos) << out << err;
    EXPECT_FALSE(Exists(dir + "/out"));
  }
}

// The tool built with a heap the test can limit (support/allocation_limit.cpp):
// the expanded bytes of a member are never kept whole, and a shortage of
// memory at any allocation ends a command with a message, exit 2, and
// nothing left behind.
class PackMemoryTest : public PackTest {
 protected:
  void SetUp() override {
    PackTest::SetUp();
    if (IsSkipped()) return;
    limited = tool.substr(0, tool.find_last_of('/')) + "/tests/quorril-pack-limited";
    if (!Exists(limited)) GTEST_SKIP() << "quorril-pack-limited is not built beside the tests: " << limited;
  }
  int Limited(const std::string& arguments, const std::string& limit) {
    std::swap(tool, limited);
    int code = Pack(arguments, limit + " ");
    std::swap(tool, limited);
    return code;
  }
  std::string limited;
};

TEST_F(PackMemoryTest, AHugeMemberIsShrunkListedAndExtractedWithoutKeepingItsBytes) {
  const size_t size = 8u << 20;
  // Far less than the member expands to, more than the inputs take.
  const std::string limit = "QUORRIL_HEAP_LIMIT=" + std::to_string(size / 4);
  WriteFile(In("ZEROS.BIN"), std::string(size, '\0'));
  ASSERT_EQ(Limited("shrink BIG.Z ZEROS.BIN", limit), 0) << err;
  WriteFile(In("engine.exe"), "MZ");
  ASSERT_EQ(Pack("append engine.exe BIG.EXE BIG.Z"), 0) << err;
  std::remove(In("ZEROS.BIN").c_str());
  for (const char* input : {"BIG.Z", "BIG.EXE"}) {
    SCOPED_TRACE(input);
    EXPECT_EQ(Limited(std::string("list ") + input, limit), 0) << err;
    EXPECT_NE(out.find(std::to_string(size)), std::string::npos) << out;
    EXPECT_EQ(Limited(std::string("extract ") + input + " ../out", limit), 0) << err;
    struct stat st;
    EXPECT_EQ(stat((dir + "/out/ZEROS.BIN").c_str(), &st), 0);
    EXPECT_EQ(size_t(st.st_size), size);
    std::system(("rm -rf '" + dir + "/out'").c_str());
  }
}

TEST_F(PackMemoryTest, ImplodeStreamsAnInputFromAPipeInBoundedMemory) {
  const size_t size = 16u << 20;
  const std::string feed = "head -c " + std::to_string(size) + " /dev/zero | ";
  ASSERT_EQ(Limited("implode /dev/stdin ZEROS.DCL", feed + "QUORRIL_HEAP_LIMIT=" + std::to_string(size / 8)), 0)
      << err;
  ASSERT_EQ(Pack("explode ZEROS.DCL ZEROS.BIN"), 0) << err;
  struct stat st;
  ASSERT_EQ(stat(In("ZEROS.BIN").c_str(), &st), 0);
  EXPECT_EQ(size_t(st.st_size), size);
}

// check reads a file beside the script only when a test asks for it: a
// folder of 64 files of 1 MiB checks under a heap of 8 MiB, and the one
// file searched is read.
TEST_F(PackMemoryTest, CheckReadsOnlyTheFilesATestAsksFor) {
  for (int i = 0; i < 64; ++i) {
    const std::string name = In("sub/F" + std::to_string(i) + ".BIN");
    WriteFile(name, "");
    ASSERT_EQ(truncate(name.c_str(), 1 << 20), 0);
  }
  WriteFile(In("sub/INFO.TXT"), "name=x\nversion=2\n");
  WriteFile(In("SETUP.CFG"),
            "IF isfile \"$SOURCEDIR$\\sub\\F9.BIN\"\nIF search \"version=2\" \"$SOURCEDIR$\\sub\\INFO.TXT\"\n"
            "FILE b WRONG\nENDIF\nENDIF\n");
  EXPECT_EQ(Limited("check SETUP.CFG", "QUORRIL_HEAP_LIMIT=" + std::to_string(8 << 20)), 1) << err;
  EXPECT_EQ(out, "SETUP.CFG:3: Syntax error, line: 3: FILE b WRONG\n") << err;
}

TEST_F(PackMemoryTest, AShortageAtAnyAllocationEndsWithAMessageAndLeavesNothing) {
  WriteFile(In("a.txt"), std::string(5000, 'a') + Noise(3000, 4));
  WriteFile(In("sub/b.txt"), Noise(9000, 5));
  WriteFile(In("engine.exe"), "MZ");
  ASSERT_EQ(Pack("shrink GOOD.Z a.txt sub/b.txt"), 0) << err;
  ASSERT_EQ(Pack("append engine.exe GOOD.EXE a.txt GOOD.Z"), 0) << err;
  // The package holds the container: both readers are on the way. Every
  // allocation of the first forty fails in turn, then every fourth one.
  for (const char* command : {"list GOOD.EXE", "extract GOOD.EXE ../out"}) {
    SCOPED_TRACE(command);
    int failures = 0;
    for (int n = 1;; n += n < 40 ? 1 : 4) {
      ASSERT_LT(n, 100000) << "never ended";
      SCOPED_TRACE("allocation " + std::to_string(n));
      int code = Limited(command, "QUORRIL_FAIL_ALLOCATION=" + std::to_string(n));
      if (code == 0) {
        std::system(("rm -rf '" + dir + "/out'").c_str());
        break;
      }
      ++failures;
      ASSERT_EQ(code, 2) << err;
      EXPECT_NE(err.find("not enough memory"), std::string::npos) << err;
      EXPECT_EQ(Temporaries(), "");
      EXPECT_FALSE(Exists(dir + "/out"));
    }
    EXPECT_GT(failures, 10);
  }
}

}  // namespace
}  // namespace quorril
