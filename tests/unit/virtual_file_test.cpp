// The embedded archive and virtual files against the in-memory file system:
// finding the archive, lookups by name, reads, seeks and lines of members
// and disk files, the archive switched off by the disk questions, and
// damaged payloads (trailers, chains that loop or leave the file, truncated
// headers, sizes that lie), which must never hang or read out of bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "package/virtual_file.h"
#include "platform/little_endian.h"
#include "platform/memory/memory_file_system.h"
#include "support/pe_image.h"

namespace quorril {
namespace {

struct Entry {
  std::string name;
  std::string data;
  uint32_t attributes = 0x20;
  uint32_t time = 0x6000;
  uint32_t date = 0x5A21;
};

// An executable image followed by a payload in the archive format. Returns
// the header offsets in `offsets` for tests that damage them.
std::string BuildPackage(const std::vector<Entry>& entries, std::vector<uint32_t>* offsets = nullptr,
                         const std::string& image = std::string(1000, 'M')) {
  std::string out = image;
  out.append("[Zemko]\0", 8);
  std::vector<uint32_t> at;
  for (const Entry& e : entries) {
    at.push_back(uint32_t(out.size()));
    std::string header(kArchiveHeaderSize, '\0');
    WriteLe32(header, 4, e.attributes);
    WriteLe32(header, 8, e.time);
    WriteLe32(header, 12, e.date);
    WriteLe32(header, 16, uint32_t(e.data.size()));
    std::memcpy(&header[20], e.name.data(), e.name.size());
    out += header;
    out += e.data;
  }
  for (size_t i = 0; i + 1 < at.size(); ++i) WriteLe32(out, at[i], at[i + 1]);
  std::string trailer(kArchiveTrailerSize, '\0');
  std::memcpy(&trailer[0], kArchiveMagic, 8);
  WriteLe32(trailer, 8, at.empty() ? 0 : at.front());
  WriteLe32(trailer, 12, at.empty() ? 0 : at.back());
  out += trailer;
  if (offsets) *offsets = at;
  return out;
}

class VirtualFileTest : public ::testing::Test {
 protected:
  VirtualFileTest() : vfs(&files) { files.AddDirectory("C:\\SETUP"); }

  void Attach(const std::string& package) {
    files.AddFile("C:\\SETUP\\SETUP.EXE", package);
    vfs.AttachArchive("C:\\SETUP\\SETUP.EXE");
  }
  std::string ReadAll(VirtualFile& f) {
    std::string out;
    char buf[7];
    int32_t got;
    while ((got = vfs.Read(f, buf, sizeof buf)) > 0) out.append(buf, size_t(got));
    EXPECT_EQ(got, 0);
    return out;
  }
  std::vector<std::string> Lines(VirtualFile& f, size_t capacity) {
    std::vector<std::string> lines;
    std::string line;
    while (vfs.ReadLine(f, &line, capacity)) lines.push_back(line);
    return lines;
  }

  MemoryFileSystem files;
  VirtualFileSystem vfs;
};

// ---- finding the archive ----------------------------------------------------------

TEST_F(VirtualFileTest, WithoutTrailerOrWithADamagedMagicEveryOpenGoesToTheDisk) {
  files.AddFile("C:\\SETUP\\A.TXT", "disk");
  std::string good = BuildPackage({{"A.TXT", "archive"}});
  std::vector<std::string> packages = {std::string(5000, 'M'), std::string(3, 'M'), std::string()};
  for (size_t i = 0; i < 8; ++i) {
    std::string bad = good;
    bad[bad.size() - kArchiveTrailerSize + i] ^= 0x01;  // one byte of the magic, terminator included
    packages.push_back(bad);
  }
  for (const std::string& package : packages) {
    SCOPED_TRACE(package.size());
    Attach(package);
    EXPECT_FALSE(vfs.HasArchive());
    auto f = vfs.Open("C:\\SETUP\\A.TXT");
    ASSERT_TRUE(f);
    EXPECT_FALSE(f->InArchive());
    EXPECT_EQ(ReadAll(*f), "disk");
  }
  // A missing executable, and no executable at all.
  vfs.AttachArchive("C:\\SETUP\\NONE.EXE");
  EXPECT_FALSE(vfs.HasArchive());
  vfs.DetachArchive();
  EXPECT_FALSE(vfs.HasArchive());
  EXPECT_TRUE(vfs.Open("C:\\SETUP\\A.TXT"));
}

TEST_F(VirtualFileTest, AnEntryIsFoundByFileNameWithoutRegardToDirectoryOrCase) {
  Entry e{"Setup.Cfg", "FILE: A\r\n"};
  e.attributes = 0xABCD0021;  // upper 16 bits are not defined
  e.time = 0x12345678;
  e.date = 0x9ABCDEF0;
  Attach(BuildPackage({{"OTHER.DAT", "xx"}, e}));
  ASSERT_TRUE(vfs.HasArchive());
  for (const char* path : {"D:\\ANY\\DIR\\SETUP.CFG", "setup.cfg", "\\x\\sEtUp.cFg", "D:SETUP.CFG", "a/b/SETUP.CFG"}) {
    SCOPED_TRACE(path);
    auto f = vfs.Open(path);
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->InArchive());
    EXPECT_EQ(f->Size(), 9);
    EXPECT_EQ(f->Attributes(), 0x0021u);
    EXPECT_EQ(f->DosTime(), 0x5678);
    EXPECT_EQ(f->DosDate(), 0xDEF0);
    EXPECT_EQ(ReadAll(*f), "FILE: A\r\n");
  }
  // A name that only starts like an entry's, or a directory, is not a match.
  EXPECT_FALSE(vfs.Open("SETUP.CF"));
  EXPECT_FALSE(vfs.Open("C:\\SETUP\\"));
}

TEST_F(VirtualFileTest, AWildcardPathIsNeverFoundInTheArchiveAndIsRefusedOnTheDisk) {
  Attach(BuildPackage({{"README.TXT", "archive"}}));
  files.AddFile("C:\\SETUP\\README.TXT", "disk");
  EXPECT_FALSE(vfs.Open("C:\\SETUP\\*.TXT"));
  EXPECT_FALSE(vfs.Open("README.TX?"));
  EXPECT_FALSE(vfs.Open("C:\\SETUP\\NOTHERE.TXT"));
}

TEST_F(VirtualFileTest, DiskFilesCarryTheirDateAttributesAndSize) {
  files.AddFile("C:\\SETUP\\DATA.BIN", std::string(300, 'd'), kAttrReadOnly | kAttrArchive, {0x2345, 0x6789});
  auto f = vfs.Open("C:\\SETUP\\DATA.BIN");
  ASSERT_TRUE(f);
  EXPECT_FALSE(f->InArchive());
  EXPECT_EQ(f->Size(), 300);
  EXPECT_EQ(f->DosDate(), 0x2345);
  EXPECT_EQ(f->DosTime(), 0x6789);
  EXPECT_EQ(f->Attributes(), uint32_t(kAttrReadOnly | kAttrArchive));
  EXPECT_EQ(vfs.Tell(*f), 0);
  EXPECT_EQ(vfs.Seek(*f, 10, 0), 10);
  EXPECT_EQ(vfs.Seek(*f, -5, 1), 5);
  EXPECT_EQ(vfs.Seek(*f, 0, 2), 300);
  EXPECT_EQ(vfs.Seek(*f, -1, 0), -1);
  char c;
  EXPECT_EQ(vfs.Read(*f, &c, 1), 0);
  // A directory is no file.
  EXPECT_FALSE(vfs.Open("C:\\SETUP"));
}

// ---- reading members -------------------------------------------------------------------

TEST_F(VirtualFileTest, ReadsStopAtTheMemberEndAndSeeksAreClampedToTheMember) {
  Attach(BuildPackage({{"A.BIN", std::string(30, 'a')}, {"B.BIN", std::string(40, 'b')}}));
  auto f = vfs.Open("A.BIN");
  ASSERT_TRUE(f);
  char buf[100];
  EXPECT_EQ(vfs.Read(*f, buf, 100), 30);
  EXPECT_EQ(std::string(buf, 30), std::string(30, 'a'));
  EXPECT_EQ(vfs.Read(*f, buf, 100), 0);
  EXPECT_EQ(vfs.Read(*f, buf, -1), -1);

  EXPECT_EQ(vfs.Seek(*f, -5, 0), 0);
  EXPECT_EQ(vfs.Seek(*f, 10, 2), 30);
  EXPECT_EQ(vfs.Seek(*f, -4, 2), 26);
  EXPECT_EQ(vfs.Seek(*f, -100, 1), 0);
  EXPECT_EQ(vfs.Seek(*f, 7, 1), 7);
  EXPECT_EQ(vfs.Tell(*f), 7);
  EXPECT_EQ(vfs.Seek(*f, 0x7FFFFFFF, 1), 30);
  EXPECT_EQ(vfs.Seek(*f, int32_t(0x80000000u), 1), 0);
}

TEST_F(VirtualFileTest, TwoOpenMembersShareTheArchiveFileAndReadsMayAlternate) {
  Attach(BuildPackage({{"A.BIN", "0123456789"}, {"B.BIN", "abcdefghij"}}));
  auto a = vfs.Open("A.BIN");
  auto b = vfs.Open("B.BIN");
  ASSERT_TRUE(a && b);
  std::string got;
  char buf[3];
  for (int i = 0; i < 4; ++i) {
    int32_t n = vfs.Read(*a, buf, 3);
    got.append(buf, size_t(n));
    n = vfs.Read(*b, buf, 3);
    got.append(buf, size_t(n));
  }
  EXPECT_EQ(got, "012abc345def678ghi9j");
}

TEST_F(VirtualFileTest, LinesComeWithALineFeedAndWithoutCarriageReturns) {
  Attach(BuildPackage({{"CRLF.CFG", "one\r\ntwo\r\n\r\nlast"},
                       {"EMPTY.CFG", ""},
                       {"LONG.CFG", "abcdefgh\r\nxy\rz\n"},
                       {"BARE.CFG", "\r\r\r"}}));
  auto f = vfs.Open("CRLF.CFG");
  ASSERT_TRUE(f);
  EXPECT_EQ(Lines(*f, 999), (std::vector<std::string>{"one\n", "two\n", "\n", "last"}));

  f = vfs.Open("EMPTY.CFG");
  std::string line = "stale";
  EXPECT_FALSE(vfs.ReadLine(*f, &line, 999));

  // capacity - 1 characters at most; carriage returns are neither stored nor counted.
  f = vfs.Open("LONG.CFG");
  EXPECT_EQ(Lines(*f, 4), (std::vector<std::string>{"abc", "def", "gh\n", "xyz", "\n"}));

  // Carriage returns alone make no line.
  f = vfs.Open("BARE.CFG");
  EXPECT_FALSE(vfs.ReadLine(*f, &line, 999));

  // The same rules for a disk file, and reads go on after the line.
  files.AddFile("C:\\SETUP\\S.CFG", "a\r\nb\nc");
  f = vfs.Open("C:\\SETUP\\S.CFG");
  ASSERT_TRUE(vfs.ReadLine(*f, &line, 999));
  EXPECT_EQ(line, "a\n");
  char c;
  EXPECT_EQ(vfs.Read(*f, &c, 1), 1);
  EXPECT_EQ(c, 'b');
  EXPECT_EQ(Lines(*f, 999), (std::vector<std::string>{"\n", "c"}));
}

TEST_F(VirtualFileTest, LongLinesAreCutAcrossReadBlocksWithoutLosingBytes) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += std::string(size_t(i % 37), char('a' + i % 26)) + "\r\n";
  Attach(BuildPackage({{"BIG.CFG", text}}));
  auto f = vfs.Open("BIG.CFG");
  std::string joined;
  for (const std::string& l : Lines(*f, 10)) joined += l;
  std::string expected;
  for (char ch : text)
    if (ch != '\r') expected += ch;
  EXPECT_EQ(joined, expected);
}

// ---- the archive switched off ----------------------------------------------------------

TEST_F(VirtualFileTest, AfterADiskQuestionFilesComeFromTheDiskAndOpenMembersFail) {
  Attach(BuildPackage({{"A.TXT", "archive"}}));
  files.AddFile("C:\\SETUP\\A.TXT", "disk");
  auto member = vfs.Open("C:\\SETUP\\A.TXT");
  ASSERT_TRUE(member && member->InArchive());

  vfs.DisableArchive();
  vfs.DetachArchive();
  char buf[4];
  EXPECT_EQ(vfs.Read(*member, buf, 4), -1);
  EXPECT_EQ(vfs.Seek(*member, 0, 0), -1);
  EXPECT_EQ(vfs.Tell(*member), -1);
  std::string line;
  EXPECT_FALSE(vfs.ReadLine(*member, &line, 99));

  auto f = vfs.Open("C:\\SETUP\\A.TXT");
  ASSERT_TRUE(f);
  EXPECT_EQ(ReadAll(*f), "disk");
  // Attached again, the archive stays off.
  vfs.AttachArchive("C:\\SETUP\\SETUP.EXE");
  f = vfs.Open("C:\\SETUP\\A.TXT");
  EXPECT_EQ(ReadAll(*f), "disk");
  EXPECT_FALSE(vfs.WalkArchive([](const ArchiveEntry&) { return true; }));
}

TEST_F(VirtualFileTest, DetachingWithoutDisablingLetsALaterAttachUseTheArchiveAgain) {
  Attach(BuildPackage({{"A.TXT", "archive"}}));
  auto old = vfs.Open("A.TXT");
  vfs.DetachArchive();
  EXPECT_FALSE(vfs.Open("A.TXT"));
  vfs.AttachArchive("C:\\SETUP\\SETUP.EXE");
  auto f = vfs.Open("A.TXT");
  ASSERT_TRUE(f);
  EXPECT_EQ(ReadAll(*f), "archive");
  // A member of the earlier attachment does not read through the new handle.
  char c;
  EXPECT_EQ(vfs.Read(*old, &c, 1), -1);
}

TEST_F(VirtualFileTest, EveryMemberOfALargePayloadIsFoundAndTheFirstOfANameWins) {
  std::vector<Entry> entries;
  for (int i = 0; i < 300; ++i) entries.push_back({"F" + std::to_string(i) + ".DAT", "data " + std::to_string(i)});
  entries.push_back({"f7.dat", "a later entry of the same name"});
  Attach(BuildPackage(entries));
  // Looked up backwards, forwards and again: each name gives its own data.
  for (int round = 0; round < 2; ++round) {
    for (int i = 299; i >= 0; i -= (round ? 7 : 1)) {
      auto f = vfs.Open("C:\\ANY\\f" + std::to_string(i) + ".dat");
      ASSERT_TRUE(f) << i;
      EXPECT_EQ(ReadAll(*f), "data " + std::to_string(i));
    }
  }
  EXPECT_FALSE(vfs.Open("F300.DAT"));
}

TEST_F(VirtualFileTest, AttachingAgainReadsTheExecutableAsItIsNow) {
  Attach(BuildPackage({{"A.TXT", "first"}, {"B.TXT", "b"}}));
  EXPECT_EQ(ReadAll(*vfs.Open("A.TXT")), "first");
  // The executable is replaced (a new disk in the drive, say) and attached again.
  Attach(BuildPackage({{"C.TXT", "c"}, {"A.TXT", "second"}}));
  auto a = vfs.Open("A.TXT");
  ASSERT_TRUE(a);
  EXPECT_EQ(ReadAll(*a), "second");
  EXPECT_FALSE(vfs.Open("B.TXT"));
  EXPECT_TRUE(vfs.Open("C.TXT"));
}

// ---- damaged payloads ---------------------------------------------------------------------

TEST_F(VirtualFileTest, WalkListsTheChainInOrder) {
  Attach(BuildPackage({{"A", "1"}, {"B", "22"}, {"C", ""}}));
  std::vector<std::string> seen;
  EXPECT_TRUE(vfs.WalkArchive([&](const ArchiveEntry& e) {
    seen.push_back(e.name + ":" + std::to_string(e.size));
    return true;
  }));
  EXPECT_EQ(seen, (std::vector<std::string>{"A:1", "B:2", "C:0"}));
}

// Every damage of the chain ends the walk as "not found": the open falls
// back to the disk, and nothing hangs.
TEST_F(VirtualFileTest, DamagedChainsEndTheWalkAsNotFound) {
  files.AddFile("C:\\SETUP\\Z.TXT", "disk");
  std::vector<uint32_t> at;
  std::string base = BuildPackage({{"A.TXT", "aaaa"}, {"B.TXT", "bbbb"}, {"Z.TXT", "archive"}}, &at);
  const size_t trailer = base.size() - kArchiveTrailerSize;

  struct Damage {
    const char* what;
    std::function<void(std::string&)> apply;
  };
  std::vector<Damage> damages = {
      {"next points to itself", [&](std::string& s) { WriteLe32(s, at[1], at[1]); }},
      {"next points back", [&](std::string& s) { WriteLe32(s, at[1], at[0]); }},
      {"next points outside the file", [&](std::string& s) { WriteLe32(s, at[1], 0xFFFFFF00u); }},
      {"next points into the trailer", [&](std::string& s) { WriteLe32(s, at[1], uint32_t(trailer + 4)); }},
      {"first entry outside the file", [&](std::string& s) { WriteLe32(s, trailer + 8, uint32_t(s.size())); }},
      {"first entry at the end", [&](std::string& s) { WriteLe32(s, trailer + 8, uint32_t(s.size() - 10)); }},
      {"first entry zero", [&](std::string& s) { WriteLe32(s, trailer + 8, 0); }},
      {"header cut short", [&](std::string& s) { s.erase(at[2] + 100, s.size() - kArchiveTrailerSize - at[2] - 100); }},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.what);
    std::string package = base;
    d.apply(package);
    Attach(package);
    auto f = vfs.Open("C:\\SETUP\\Z.TXT");
    ASSERT_TRUE(f);
    EXPECT_FALSE(f->InArchive());
    EXPECT_EQ(ReadAll(*f), "disk");
    // The walk says it was cut short (or found no archive).
    bool intact = vfs.WalkArchive([](const ArchiveEntry&) { return true; });
    EXPECT_FALSE(intact);
  }
}

TEST_F(VirtualFileTest, EntriesBeforeADamagedLinkAreStillFound) {
  files.AddFile("C:\\SETUP\\C.TXT", "disk");
  std::vector<uint32_t> at;
  std::string package = BuildPackage({{"A.TXT", "aaaa"}, {"B.TXT", "bbbb"}, {"C.TXT", "archive"}}, &at);
  WriteLe32(package, at[1], 0xFFFFFF00u);
  Attach(package);
  auto c = vfs.Open("C:\\SETUP\\C.TXT");
  ASSERT_TRUE(c);
  EXPECT_FALSE(c->InArchive());
  auto b = vfs.Open("B.TXT");
  ASSERT_TRUE(b);
  EXPECT_TRUE(b->InArchive());
  EXPECT_EQ(ReadAll(*b), "bbbb");
  EXPECT_EQ(ReadAll(*vfs.Open("A.TXT")), "aaaa");
}

TEST_F(VirtualFileTest, AChainLongerThanTheFileCouldHoldIsCutOff) {
  // Entries whose next offsets always move forward by one byte: each header
  // overlaps the previous one. The walk stays bounded by the file's size.
  std::string package(1000, 'M');
  package.append("[Zemko]\0", 8);
  const uint32_t first = uint32_t(package.size());
  package.append(4000, '\0');
  for (uint32_t off = first; off + 4 <= first + 4000; ++off) WriteLe32(package, off, off + 1);
  std::string trailer(kArchiveTrailerSize, '\0');
  std::memcpy(&trailer[0], kArchiveMagic, 8);
  WriteLe32(trailer, 8, first);
  package += trailer;
  Attach(package);
  int visited = 0;
  EXPECT_FALSE(vfs.WalkArchive([&](const ArchiveEntry&) {
    ++visited;
    return true;
  }));
  EXPECT_LE(size_t(visited), package.size() / kArchiveHeaderSize + 1);
  EXPECT_FALSE(vfs.Open("NAME.TXT"));
}

TEST_F(VirtualFileTest, ASizeThatRunsPastTheEndIsCutToTheBytesThereAndFailsAtTheCut) {
  std::vector<uint32_t> at;
  std::string package = BuildPackage({{"A.BIN", "0123456789"}}, &at);
  WriteLe32(package, at[0] + 16, 0xFFFFFFF0u);
  Attach(package);
  auto f = vfs.Open("A.BIN");
  ASSERT_TRUE(f);
  const int32_t there = int32_t(package.size() - (at[0] + kArchiveHeaderSize));
  EXPECT_EQ(f->Size(), there);
  // The bytes there come, then a read error: a short member never looks whole.
  std::string read;
  char buf[7];
  int32_t got;
  while ((got = vfs.Read(*f, buf, sizeof buf)) > 0) read.append(buf, size_t(got));
  EXPECT_EQ(got, -1);
  EXPECT_EQ(int32_t(read.size()), there);
  EXPECT_EQ(vfs.Read(*f, buf, 0), 0);
  EXPECT_EQ(vfs.Seek(*f, 0, 2), there);
}

TEST_F(VirtualFileTest, ANameFillingAllOfItsFieldIsReadWithoutOverrun) {
  std::vector<uint32_t> at;
  std::string package = BuildPackage({{"A", "x"}}, &at);
  std::memset(&package[at[0] + 20], 'N', kArchiveNameSize);
  Attach(package);
  std::string name;
  vfs.WalkArchive([&](const ArchiveEntry& e) {
    name = e.name;
    return true;
  });
  EXPECT_EQ(name, std::string(kArchiveNameSize, 'N'));
  EXPECT_TRUE(vfs.Open(std::string(kArchiveNameSize, 'n')));
}

// ---- signed packages ------------------------------------------------------------------------

TEST_F(VirtualFileTest, ASignedPackageIsReadAsTheUnsignedOneAndItsTableIsNoMembersData) {
  files.AddFile("C:\\SETUP\\B.TXT", "disk");
  for (testing::PeKind kind : {testing::PeKind::kPe32, testing::PeKind::kPe32Plus}) {
    std::vector<uint32_t> at;
    const std::string unsigned_ =
        BuildPackage({{"A.TXT", "first"}, {"B.TXT", "second, last"}}, &at, testing::PeImage(kind, 0x401));
    const std::string signed_ = testing::Sign(unsigned_, kind);
    ASSERT_NE(unsigned_.size() % 8, 0u);  // the signer padded
    Attach(signed_);
    ASSERT_TRUE(vfs.HasArchive());
    EXPECT_EQ(vfs.Lookup().status, TrailerStatus::kBeforeCertificates);
    std::vector<std::string> seen;
    EXPECT_TRUE(vfs.WalkArchive([&](const ArchiveEntry& e) {
      seen.push_back(e.name);
      return true;
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{"A.TXT", "B.TXT"}));
    auto b = vfs.Open("b.txt");
    ASSERT_TRUE(b && b->InArchive());
    EXPECT_EQ(ReadAll(*b), "second, last");

    // A size that lies is cut at the trailer's end, not at the file's: the
    // certificate table is never read as a member's bytes.
    std::string lying = unsigned_;
    WriteLe32(lying, at[1] + 16, 0xFFFFFFF0u);
    Attach(testing::Sign(lying, kind));
    // The bytes there come, then a read error.
    auto cut = vfs.Open("B.TXT");
    ASSERT_TRUE(cut && cut->InArchive());
    std::string read;
    char buf[7];
    int32_t got;
    while ((got = vfs.Read(*cut, buf, sizeof buf)) > 0) read.append(buf, size_t(got));
    EXPECT_EQ(got, -1);
    EXPECT_EQ(read, "second, last" + unsigned_.substr(unsigned_.size() - kArchiveTrailerSize));

    // A table that leaves the file: no archive, and the reason is kept.
    std::string damaged = signed_;
    damaged.resize(damaged.size() - 1);
    Attach(damaged);
    EXPECT_FALSE(vfs.HasArchive());
    EXPECT_EQ(vfs.Lookup().status, TrailerStatus::kCertificatesOutsideFile);
    auto disk = vfs.Open("C:\\SETUP\\B.TXT");
    ASSERT_TRUE(disk);
    EXPECT_FALSE(disk->InArchive());
  }
}

}  // namespace
}  // namespace quorril
