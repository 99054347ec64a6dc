// Shrunk-file containers against the in-memory machine: what is and is not
// a container, extraction with dates, attributes, directories and journal
// lines, the four overwrite modes, progress and cancel, containers split
// over several disks (members running from one volume into the next), every
// message of the failure table, damaged and truncated containers, and
// member paths that try to leave the destination directory.
//
// Containers are made two ways: LayOutContainer (the publisher's tool's
// writer) for sound ones, and the byte-level helpers below for crafted ones,
// so that the reader is checked against the format, not only its writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "journal/journal.h"
#include "package/container.h"
#include "package/container_reader.h"
#include "package/explode.h"
#include "package/implode.h"
#include "package/unshrink.h"
#include "platform/memory/fault_file_system.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "platform/memory/thread_worker.h"
#include "support/test_data.h"
#include "unit/container_test_support.h"
#include "unit/copy_test_support.h"

namespace quorril {
namespace {

using testing::BuildContainer;
using testing::Implode;
using testing::Member;
using testing::Noise;
using testing::RecordingCopyHost;

// ---- building inputs -----------------------------------------------------------------

// Text that compresses well.
std::string Prose(size_t size) {
  static const char* words[] = {"setup ", "disk ", "file ", "copy ", "the ", "install ", "journal\r\n"};
  std::string s;
  for (size_t i = 0; s.size() < size; ++i) s += words[(i * 7 + i / 3) % 7];
  s.resize(size);
  return s;
}

std::string Le16(uint16_t v) { return std::string{char(v), char(v >> 8)}; }
std::string Le32(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

// A volume header, byte by byte.
std::string RawVolume(const std::string& next, int16_t count, uint16_t kind = kContainerMagic,
                      uint16_t magic = kContainerMagic) {
  std::string h(14, '\0');
  std::memcpy(&h[0], next.data(), std::min<size_t>(next.size(), 14));
  h += Le16(magic) + Le16(uint16_t(count)) + Le16(kind) + std::string(38, '\0');
  return h;
}

// A member header with raw path bytes (cut or padded to 128).
std::string RawMember(const std::string& path, uint32_t size, uint16_t date = 0x5A21, uint16_t time = 0x6000) {
  std::string h = path;
  h.resize(128, '\0');
  h += Le32(0x20) + Le32(0) + Le32(size) + Le32(date) + Le32(time) + std::string(20, '\0');
  return h;
}


// ---- the machine ------------------------------------------------------------------------

// How members are decoded: on the thread that writes them, or on a worker
// thread beside the writes. Every case of ContainerTest and
// SplitContainerTest runs both ways.
enum class Decoding { kHere, kBeside };

class ContainerMachine : public ::testing::Test {
 protected:
  ContainerMachine() {
    files.AddDirectory("C:\\SRC");
    files.AddDirectory("C:\\DEST");
    journal.on = true;
    journal.path = "C:\\DEST\\install.log";
    host.recordPumps = false;
    host.nextDiskAnswer = 0;
  }

  void Put(const std::vector<ContainerVolume>& volumes, const std::string& directory = "C:\\SRC\\") {
    for (const ContainerVolume& v : volumes) files.AddFile(directory + v.name, v.bytes);
  }
  int Unshrink(OverwritePolicy mode = OverwritePolicy::kYes, uint32_t attributes = kAttrNormal,
               const std::string& source = "C:\\SRC\\DATA.Z", const std::string& target = "C:\\DEST\\DATA.Z") {
    return UnshrinkContainer(CopyContext{disk, archive, journal, host, continuationName, worker, buffers}, target,
                             source, mode, attributes);
  }
  std::string Content(const std::string& path) {
    std::string s;
    return files.ReadWholeFile(path, &s) ? s : "<none>";
  }
  std::string Journal() { return Content("C:\\DEST\\install.log"); }
  std::vector<std::string> Messages() {
    std::vector<std::string> out;
    for (const MessageBoxRequest& b : ui.boxes) out.push_back(b.text);
    return out;
  }
  // The copy layer's error box: owned, default caption, exclamation icon.
  void ExpectErrorBox(const std::string& text) {
    ASSERT_EQ(Messages(), std::vector<std::string>{text});
    EXPECT_FALSE(ui.boxes[0].caption.has_value());
    EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbOk | kMbIconWarning));
    EXPECT_TRUE(ui.boxes[0].owned);
  }
  // Paths of every file and directory outside C:\SRC and C:\DEST.
  std::vector<std::string> Elsewhere() {
    std::vector<std::string> out;
    for (const std::string& p : files.List())
      if (!StartsWithNoCase(p, "C:\\SRC\\") && !StartsWithNoCase(p, "C:\\DEST\\")) out.push_back(p);
    return out;
  }

  MemoryFileSystem files;
  FaultFileSystem disk{files};
  VirtualFileSystem archive{&disk};
  quorril::Journal journal;
  std::string continuationName;
  ScriptedUserInterface ui;
  RecordingCopyHost host{ui};
  ThreadWorker thread;
  Worker* worker = nullptr;
  // Kept from one extraction to the next, as the engine keeps them for its
  // run; null: each extraction takes its own.
  UnshrinkBuffers runBuffers;
  UnshrinkBuffers* buffers = &runBuffers;
};

class ContainerTest : public ContainerMachine, public ::testing::WithParamInterface<Decoding> {
 protected:
  ContainerTest() {
    if (GetParam() == Decoding::kBeside) worker = &thread;
  }
};

std::string DecodingName(const ::testing::TestParamInfo<Decoding>& info) {
  return info.param == Decoding::kHere ? "Here" : "BesideTheWrites";
}
INSTANTIATE_TEST_SUITE_P(Decoding, ContainerTest, ::testing::Values(Decoding::kHere, Decoding::kBeside),
                         DecodingName);

// ---- what is a container ---------------------------------------------------------------

TEST_P(ContainerTest, AFileThatIsNoContainerIsLeftToThePlainCopy) {
  std::string good = BuildContainer({{"A.TXT", "a"}})[0].bytes;
  files.AddFile("C:\\SRC\\SHORT.Z", good.substr(0, 57));
  files.AddFile("C:\\SRC\\NOISE.Z", Noise(5000, 1));
  files.AddFile("C:\\SRC\\EMPTY.Z", "");
  std::string wrongKind = good;
  wrongKind[18] = 0x75;  // a continuation volume
  files.AddFile("C:\\SRC\\CONT.Z", wrongKind);
  std::string wrongMagic = good;
  wrongMagic[15] = 1;
  files.AddFile("C:\\SRC\\MAGIC.Z", wrongMagic);
  for (const char* name : {"SHORT.Z", "NOISE.Z", "EMPTY.Z", "CONT.Z", "MAGIC.Z", "MISSING.Z"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Unshrink(OverwritePolicy::kYes, kAttrNormal, std::string("C:\\SRC\\") + name), kUnshrinkNotContainer);
  }
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(files.List(), (std::vector<std::string>{"C:\\DEST\\", "C:\\SRC\\", "C:\\SRC\\CONT.Z", "C:\\SRC\\EMPTY.Z",
                                                    "C:\\SRC\\MAGIC.Z", "C:\\SRC\\NOISE.Z", "C:\\SRC\\SHORT.Z"}));
}

TEST_P(ContainerTest, OnlyTheFirstVolumeOfASplitContainerIsASplitStart) {
  Put(BuildContainer({{"A.BIN", Noise(2000, 2)}}, 1000));
  Put(BuildContainer({{"A.BIN", "abc"}}, 0, "ONE"));
  files.AddFile("C:\\SRC\\NOISE", Noise(100, 3));
  EXPECT_TRUE(IsSplitContainerStart(archive, "C:\\SRC\\DATA.Z"));
  EXPECT_FALSE(IsSplitContainerStart(archive, "C:\\SRC\\DATA.002"));
  EXPECT_FALSE(IsSplitContainerStart(archive, "C:\\SRC\\ONE.Z"));
  EXPECT_FALSE(IsSplitContainerStart(archive, "C:\\SRC\\NOISE"));
  EXPECT_FALSE(IsSplitContainerStart(archive, "C:\\SRC\\MISSING"));
}

// ---- extraction ----------------------------------------------------------------------------

TEST_P(ContainerTest, EveryMemberIsExtractedDatedGivenTheAttributesAndJournalled) {
  const std::string readme = Prose(5000), lib = Noise(20000, 4);
  Put(BuildContainer({{"README.TXT", readme, 0x3021, 0x1234},
             {"SUB\\DEEP\\LIB.DLL", lib, 0x4000, 0x0001},
             {"EMPTY.DAT", "", 0x2222, 0x3333}}));
  EXPECT_EQ(Unshrink(OverwritePolicy::kYes, kAttrReadOnly | kAttrArchive), kUnshrinkDone);
  EXPECT_TRUE(ui.boxes.empty());
  // Both members with data decoded by one job on the worker: the second
  // was read ahead while the first was written.
  EXPECT_EQ(thread.jobs, worker ? 1 : 0);

  EXPECT_EQ(Content("C:\\DEST\\README.TXT"), readme);
  EXPECT_EQ(Content("C:\\DEST\\SUB\\DEEP\\LIB.DLL"), lib);
  EXPECT_EQ(Content("C:\\DEST\\EMPTY.DAT"), "");
  EXPECT_FALSE(files.Exists("C:\\DEST\\DATA.Z"));  // the container itself is not placed
  struct Expected {
    const char* path;
    uint16_t date, time;
  };
  for (const Expected& e : {Expected{"C:\\DEST\\README.TXT", 0x3021, 0x1234},
                            Expected{"C:\\DEST\\SUB\\DEEP\\LIB.DLL", 0x4000, 0x0001},
                            Expected{"C:\\DEST\\EMPTY.DAT", 0x2222, 0x3333}}) {
    SCOPED_TRACE(e.path);
    DosDateTime when;
    ASSERT_TRUE(files.GetModified(e.path, &when));
    EXPECT_EQ(when.date, e.date);
    EXPECT_EQ(when.time, e.time);
    EXPECT_EQ(files.GetAttributes(e.path), uint32_t(kAttrReadOnly | kAttrArchive));
  }
  EXPECT_EQ(Journal(),
            "FILE: \"C:\\DEST\\README.TXT\"\r\n"
            "DIRECTORY: \"C:\\DEST\\SUB\"\r\nDIRECTORY: \"C:\\DEST\\SUB\\DEEP\"\r\n\r\n"
            "FILE: \"C:\\DEST\\SUB\\DEEP\\LIB.DLL\"\r\n"
            "FILE: \"C:\\DEST\\EMPTY.DAT\"\r\n");
  // The bar counts files here: one redraw per member, no byte counting.
  EXPECT_EQ(host.events, (std::vector<std::string>{"file:C:\\DEST\\README.TXT", "progress:0",
                                                   "file:C:\\DEST\\SUB\\DEEP\\LIB.DLL", "progress:0",
                                                   "file:C:\\DEST\\EMPTY.DAT", "progress:0"}));
  EXPECT_EQ(host.counters.bytesDone, 0);
  EXPECT_EQ(host.pumps, 4);
}

TEST_P(ContainerTest, MembersComeFromAContainerInTheEmbeddedArchive) {
  // A payload holding the container; the source path names the disk, where
  // there is no such file.
  std::string container = BuildContainer({{"A.TXT", "from the payload"}})[0].bytes;
  std::string exe = std::string(100, 'M') + std::string("[Zemko]\0", 8);
  uint32_t first = uint32_t(exe.size());
  std::string header(276, '\0');
  std::memcpy(&header[16], Le32(uint32_t(container.size())).data(), 4);
  std::memcpy(&header[20], "DATA.Z", 6);
  exe += header + container + std::string("[Zemko]\0", 8) + Le32(first) + Le32(first);
  files.AddFile("C:\\SETUP\\SETUP.EXE", exe);
  archive.AttachArchive("C:\\SETUP\\SETUP.EXE");
  EXPECT_EQ(Unshrink(OverwritePolicy::kYes, kAttrNormal, "A:\\DATA.Z"), kUnshrinkDone);
  EXPECT_EQ(Content("C:\\DEST\\A.TXT"), "from the payload");
}

// A worker that cannot run a second thread (one processor) leaves the
// decoding to the thread that writes, for this member and the rest.
TEST_F(ContainerMachine, AWorkerThatDeclinesLeavesTheDecodingToTheWritingThread) {
  const std::string text = Prose(300000), noise = Noise(200000, 40);
  Put(BuildContainer({{"A.TXT", text}, {"B.BIN", noise}, {"C.TXT", "c"}}));
  thread.declines = true;
  worker = &thread;
  EXPECT_EQ(Unshrink(), kUnshrinkDone);
  EXPECT_EQ(Content("C:\\DEST\\A.TXT"), text);
  EXPECT_EQ(Content("C:\\DEST\\B.BIN"), noise);
  EXPECT_EQ(Content("C:\\DEST\\C.TXT"), "c");
  EXPECT_EQ(thread.jobs, 0);
  EXPECT_TRUE(ui.boxes.empty());
}

// A stream whose only match reaches 100 bytes before its own start (into
// the window an earlier member left), then the end marker.
std::string BackReachingStream() {
  std::string out = {char(0), char(6)};  // binary literals, 4096-byte dictionary
  uint32_t pending = 0;
  int count = 0;
  auto put = [&](uint32_t value, int bits) {
    pending |= value << count;
    for (count += bits; count >= 8; count -= 8, pending >>= 8) out += char(pending & 0xFF);
  };
  put(1, 1);  // a match of length value 1 (three bytes) ...
  put(dcl::kLengthCodes.code[1], dcl::kLengthCodes.bits[1]);
  put(dcl::kDistanceCodes.code[1], dcl::kDistanceCodes.bits[1]);  // ... at (1 << 6) + 35 + 1 = 100
  put(35, 6);
  put(1, 1);  // the end marker
  put(dcl::kLengthCodes.code[15], dcl::kLengthCodes.bits[15]);
  put(0xFF, 8);
  put(0, 16);
  return out;
}

// A member decoded ahead and then kept was decoded for nothing: the next
// stream sees before its own start what it would have seen had nothing been
// read ahead.
TEST_F(ContainerMachine, AMemberDecodedAheadAndThenKeptLeavesTheWindowAsItWas) {
  const std::string b = Noise(300000, 42), c = Prose(400000);
  const std::string bs = Implode(b), cs = Implode(c), ds = BackReachingStream();
  files.AddFile("C:\\SRC\\DATA.Z", RawVolume("", 3) + RawMember("B.BIN", uint32_t(bs.size())) + bs +
                                         RawMember("C.TXT", uint32_t(cs.size())) + cs +
                                         RawMember("D.BIN", uint32_t(ds.size())) + ds);
  std::string d[2];
  for (int beside : {0, 1}) {
    files.DeleteFile("C:\\DEST\\B.BIN");
    files.DeleteFile("C:\\DEST\\D.BIN");
    files.AddFile("C:\\DEST\\C.TXT", "kept", kAttrArchive, {0x7000, 0});
    worker = beside ? &thread : nullptr;
    EXPECT_EQ(Unshrink(OverwritePolicy::kNew), kUnshrinkDone);
    EXPECT_EQ(Content("C:\\DEST\\B.BIN"), b);
    EXPECT_EQ(Content("C:\\DEST\\C.TXT"), "kept");
    d[beside] = Content("C:\\DEST\\D.BIN");
  }
  ASSERT_EQ(d[0].size(), 3u);
  EXPECT_NE(b.find(d[0]), std::string::npos) << "three bytes of the member before the kept one";
  EXPECT_EQ(d[1], d[0]);
  EXPECT_EQ(thread.jobs, 2);
  EXPECT_TRUE(ui.boxes.empty());
}

// The buffers the run keeps from one container to the next carry nothing
// over: a stream that reaches before its own start, first in a container
// extracted after another, sees the clear window it sees in a container
// extracted alone.
TEST_F(ContainerMachine, AContainerAfterAnotherStartsWithAClearWindow) {
  const std::string text = Prose(6000), ds = BackReachingStream();
  Put(BuildContainer({{"A.TXT", text}}));
  files.AddFile("C:\\SRC\\NEXT.Z", RawVolume("", 1) + RawMember("D.BIN", uint32_t(ds.size())) + ds);
  for (int beside : {0, 1}) {
    SCOPED_TRACE(beside ? "beside the writes" : "here");
    worker = beside ? &thread : nullptr;
    buffers = nullptr;  // alone, with buffers of its own
    EXPECT_EQ(Unshrink(OverwritePolicy::kYes, kAttrNormal, "C:\\SRC\\NEXT.Z"), kUnshrinkDone);
    EXPECT_EQ(Content("C:\\DEST\\D.BIN"), std::string(3, '\0'));
    buffers = &runBuffers;  // after A.TXT, in the same buffers
    EXPECT_EQ(Unshrink(), kUnshrinkDone);
    EXPECT_EQ(Content("C:\\DEST\\A.TXT"), text);
    EXPECT_EQ(Unshrink(OverwritePolicy::kYes, kAttrNormal, "C:\\SRC\\NEXT.Z"), kUnshrinkDone);
    EXPECT_EQ(Content("C:\\DEST\\D.BIN"), std::string(3, '\0'));
  }
  EXPECT_TRUE(ui.boxes.empty());
}

// ---- overwrite modes ---------------------------------------------------------------------

struct OverwriteCase {
  const char* what;
  OverwritePolicy mode;
  uint16_t existingDate, existingTime;
  uint32_t existingAttributes;
  int answer;  // to the ASK question, 0 when none is expected
  bool replaced;
};

class OverwriteTest : public ContainerMachine, public ::testing::WithParamInterface<OverwriteCase> {};

TEST_P(OverwriteTest, AnExistingTargetIsKeptOrReplacedAsTheModeSays) {
  const OverwriteCase& c = GetParam();
  // The member is dated 0x5000 / 0x4000.
  Put(BuildContainer({{"A.TXT", "new contents", 0x5000, 0x4000}, {"B.TXT", "second member"}}));
  files.AddFile("C:\\DEST\\A.TXT", "old", c.existingAttributes, {c.existingDate, c.existingTime});
  host.counters.totalBytes = 1000000;
  if (c.answer) ui.answers.push_back(c.answer);

  EXPECT_EQ(Unshrink(c.mode, kAttrArchive), kUnshrinkDone);
  EXPECT_EQ(Content("C:\\DEST\\A.TXT"), c.replaced ? "new contents" : "old");
  EXPECT_EQ(Content("C:\\DEST\\B.TXT"), "second member");  // the data of a kept member was passed over exactly
  DosDateTime when;
  files.GetModified("C:\\DEST\\A.TXT", &when);
  EXPECT_EQ(when.date, c.replaced ? 0x5000 : c.existingDate);
  EXPECT_EQ(files.GetAttributes("C:\\DEST\\A.TXT"), c.replaced ? uint32_t(kAttrArchive) : c.existingAttributes);
  EXPECT_EQ(Journal(),
            std::string(c.replaced ? "FILE: \"C:\\DEST\\A.TXT\"\r\n" : "") + "FILE: \"C:\\DEST\\B.TXT\"\r\n");
  // A kept file still advances the bar, by its own length.
  EXPECT_EQ(host.counters.bytesDone, int32_t((c.replaced ? 12 : 3) + 13));
  if (c.answer) {
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "File exists.  Overwrite C:\\DEST\\A.TXT?");
    EXPECT_EQ(ui.boxes[0].caption, std::optional<std::string>(""));
    EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbYesNo | kMbIconQuestion));
  } else {
    EXPECT_TRUE(ui.boxes.empty());
  }
  if (!c.replaced) {
    // Keeping redraws for the kept length, then shows the member path.
    EXPECT_EQ(std::vector<std::string>(host.events.begin(), host.events.begin() + 3),
              (std::vector<std::string>{"progress:0", "file:A.TXT", "progress:0"}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, OverwriteTest,
    ::testing::Values(
        OverwriteCase{"NO keeps", OverwritePolicy::kNo, 0x1000, 0, kAttrArchive, 0, false},
        OverwriteCase{"YES replaces a read-only file", OverwritePolicy::kYes, 0x6000, 0, kAttrReadOnly, 0, true},
        OverwriteCase{"ASK answered Yes replaces a read-only file", OverwritePolicy::kAsk, 0x1000, 0, kAttrReadOnly,
                      kIdYes, true},
        OverwriteCase{"ASK answered No keeps", OverwritePolicy::kAsk, 0x1000, 0, kAttrArchive, kIdNo, false},
        OverwriteCase{"NEW replaces an older date", OverwritePolicy::kNew, 0x4FFF, 0xFFFF, kAttrArchive, 0, true},
        OverwriteCase{"NEW replaces the same date at an earlier time", OverwritePolicy::kNew, 0x5000, 0x3FFF,
                      kAttrArchive, 0, true},
        OverwriteCase{"NEW keeps the same date and time", OverwritePolicy::kNew, 0x5000, 0x4000, kAttrArchive, 0,
                      false},
        OverwriteCase{"NEW keeps a later time", OverwritePolicy::kNew, 0x5000, 0x4001, kAttrArchive, 0, false},
        OverwriteCase{"NEW keeps a later date", OverwritePolicy::kNew, 0x5001, 0x0000, kAttrArchive, 0, false}),
    [](const ::testing::TestParamInfo<OverwriteCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
      return name;
    });

TEST_P(ContainerTest, ANewerReadOnlyTargetInModeNewCannotBeCreated) {
  Put(BuildContainer({{"A.TXT", "new", 0x5000, 0}}));
  files.AddFile("C:\\DEST\\A.TXT", "old", kAttrReadOnly, {0x4000, 0});
  EXPECT_EQ(Unshrink(OverwritePolicy::kNew), kUnshrinkStopped);
  ExpectErrorBox("Cannot create file C:\\DEST\\A.TXT");
  EXPECT_EQ(Content("C:\\DEST\\A.TXT"), "old");
}

// ---- progress and cancel ----------------------------------------------------------------

// Members of some megabytes pass through every buffer between reading,
// decoding and writing many times over, and come out whole: read ahead one
// after the other (YES), or one at a time with a kept member's data passed
// over between them (NEW).
TEST_P(ContainerTest, LargeMembersComeOutWhole) {
  const std::string text = Prose(2500000), noise = Noise(1200000, 41);
  Put(BuildContainer({{"A.TXT", text}, {"B.BIN", noise}, {"C.TXT", text.substr(7, 900000)}, {"D.BIN", noise}}));
  files.AddFile("C:\\DEST\\C.TXT", "kept", kAttrArchive, {0x7000, 0});
  EXPECT_EQ(Unshrink(OverwritePolicy::kNew), kUnshrinkDone);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(Content("C:\\DEST\\A.TXT"), text);
  EXPECT_EQ(Content("C:\\DEST\\B.BIN"), noise);
  EXPECT_EQ(Content("C:\\DEST\\C.TXT"), "kept");
  EXPECT_EQ(Content("C:\\DEST\\D.BIN"), noise);
  // A and B in one job, C decoded ahead and dropped, D in a job of its own.
  EXPECT_EQ(thread.jobs, worker ? 2 : 0);

  EXPECT_EQ(Unshrink(OverwritePolicy::kYes), kUnshrinkDone);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(Content("C:\\DEST\\A.TXT"), text);
  EXPECT_EQ(Content("C:\\DEST\\B.BIN"), noise);
  EXPECT_EQ(Content("C:\\DEST\\C.TXT"), text.substr(7, 900000));
  EXPECT_EQ(Content("C:\\DEST\\D.BIN"), noise);
  EXPECT_EQ(thread.jobs, worker ? 3 : 0) << "one job for the four";
}

TEST_P(ContainerTest, ProgressIsRedrawnAboutEvery50000BytesWritten) {
  const std::string big = Prose(300000);
  Put(BuildContainer({{"BIG.TXT", big}}));
  host.counters.totalBytes = 2000000;
  host.counters.bytesDone = 1000;
  EXPECT_EQ(Unshrink(), kUnshrinkDone);
  EXPECT_EQ(Content("C:\\DEST\\BIG.TXT"), big);
  EXPECT_EQ(host.counters.bytesDone, 301000);
  // One redraw before the member, one after it, and in between one each
  // time more than 50,000 bytes were written since the last.
  ASSERT_GE(host.refreshes.size(), 2u);
  EXPECT_EQ(host.refreshes.front(), 1000);
  EXPECT_EQ(host.refreshes.back(), 301000);
  std::vector<int32_t> ticks(host.refreshes.begin() + 1, host.refreshes.end() - 1);
  EXPECT_EQ(ticks.size(), 5u);
  int32_t previous = 1000;
  for (int32_t t : ticks) {
    EXPECT_GT(t - previous, 50000);
    EXPECT_LE(t - previous, 50000 + 4096);
    previous = t;
  }
}

// The member's data is read from the container in large blocks, not in the
// decompressor's 2,048-byte reads: a large member costs only a few more file
// calls than a one-byte one.
TEST_P(ContainerTest, MemberDataIsReadInLargeBlocks) {
  const std::string big = Noise(400000, 31);
  std::vector<int64_t> calls;
  for (const std::string& content : {std::string("x"), big}) {
    SCOPED_TRACE(content.size());
    files.DeleteFile("C:\\DEST\\BIG.BIN");
    Put(BuildContainer({{"BIG.BIN", content}}));
    int64_t before = disk.Calls();
    EXPECT_EQ(Unshrink(), kUnshrinkDone);
    EXPECT_EQ(Content("C:\\DEST\\BIG.BIN"), content);
    calls.push_back(disk.Calls() - before);
  }
  // About seven reads of 65,536 bytes and seven writes as many, where reads
  // of 2,048 bytes would be about two hundred.
  EXPECT_LT(calls[1] - calls[0], 40) << calls[0] << " " << calls[1];
}

TEST_P(ContainerTest, WithoutAByteTotalOrWithAnOutsideDecompressorTheBarCountsFiles) {
  Put(BuildContainer({{"BIG.TXT", Prose(300000)}}));
  host.counters.totalBytes = 2000000;
  host.counters.bytesUnknown = true;
  EXPECT_EQ(Unshrink(), kUnshrinkDone);
  EXPECT_EQ(host.counters.bytesDone, 0);
  EXPECT_EQ(host.refreshes.size(), 1u);
}

TEST_P(ContainerTest, CancelInTheProgressDialogStopsAtTheNextMember) {
  Put(BuildContainer({{"A.TXT", "first"}, {"B.TXT", "second"}}));
  host.cancelAtPump = 1;
  EXPECT_EQ(Unshrink(), kUnshrinkStopped);
  EXPECT_FALSE(files.Exists("C:\\DEST\\A.TXT"));

  host.pumps = 0;
  host.cancelAtPump = 2;
  EXPECT_EQ(Unshrink(), kUnshrinkStopped);
  EXPECT_EQ(Content("C:\\DEST\\A.TXT"), "first");
  EXPECT_FALSE(files.Exists("C:\\DEST\\B.TXT"));
  EXPECT_EQ(Journal(), "FILE: \"C:\\DEST\\A.TXT\"\r\n");
  EXPECT_TRUE(ui.boxes.empty());
}

// ---- containers on several disks --------------------------------------------------------

class SplitContainerTest : public ContainerTest {
 protected:
  SplitContainerTest() { files.AddDrive('A', DriveType::kRemovable); }

  // Puts volume `index` "into the drive": A:\ holds that volume only.
  void Insert(size_t index) {
    for (const ContainerVolume& v : volumes)
      if (files.Exists("A:\\" + v.name)) files.DeleteFile("A:\\" + v.name);
    if (index < volumes.size()) files.AddFile("A:\\" + volumes[index].name, volumes[index].bytes);
  }
  // The user inserts the next disk whenever asked.
  void InsertOnEveryQuestion() {
    host.nextDisk = [this](bool advance) {
      if (advance) Insert(++inDrive);
      return 0;
    };
  }
  int UnshrinkFromA(OverwritePolicy mode = OverwritePolicy::kYes) {
    return Unshrink(mode, kAttrNormal, "A:\\DATA.Z", "C:\\DEST\\DATA.Z");
  }

  std::vector<ContainerVolume> volumes;
  size_t inDrive = 0;
};
INSTANTIATE_TEST_SUITE_P(Decoding, SplitContainerTest, ::testing::Values(Decoding::kHere, Decoding::kBeside),
                         DecodingName);

TEST_P(SplitContainerTest, AMemberRunningPastTheEndOfAVolumeIsCompletedFromTheNext) {
  const std::string big = Noise(9000, 5), small = Prose(700), last = Noise(500, 6);
  volumes = BuildContainer({{"BIG.BIN", big}, {"SMALL.TXT", small}, {"SUB\\LAST.BIN", last}}, 2000);
  ASSERT_GE(volumes.size(), 5u);
  Insert(0);
  InsertOnEveryQuestion();
  EXPECT_EQ(UnshrinkFromA(), kUnshrinkDone);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(Content("C:\\DEST\\BIG.BIN"), big);
  EXPECT_EQ(Content("C:\\DEST\\SMALL.TXT"), small);
  EXPECT_EQ(Content("C:\\DEST\\SUB\\LAST.BIN"), last);
  // One question per continuation volume, each one a first question.
  EXPECT_EQ(size_t(std::count(host.events.begin(), host.events.end(), "disk:10")), volumes.size() - 1);
  EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "disk:00"), 0);
  // The question for volume 2 comes while BIG.BIN is being written.
  auto big_at = std::find(host.events.begin(), host.events.end(), "file:C:\\DEST\\BIG.BIN");
  auto disk_at = std::find(host.events.begin(), host.events.end(), "disk:10");
  EXPECT_LT(big_at, disk_at);
  EXPECT_EQ(continuationName, volumes.back().name);
}

TEST_P(SplitContainerTest, KeptMembersArePassedOverAcrossVolumes) {
  const std::string big = Noise(9000, 7);
  volumes = BuildContainer({{"BIG.BIN", big}, {"AFTER.TXT", "after the big one"}}, 2000);
  files.AddFile("C:\\DEST\\BIG.BIN", "keep me");
  Insert(0);
  InsertOnEveryQuestion();
  EXPECT_EQ(UnshrinkFromA(OverwritePolicy::kNo), kUnshrinkDone);
  EXPECT_EQ(Content("C:\\DEST\\BIG.BIN"), "keep me");
  EXPECT_EQ(Content("C:\\DEST\\AFTER.TXT"), "after the big one");
}

TEST_P(SplitContainerTest, EveryVolumeSizeSplitsAndJoinsMembersExactly) {
  std::vector<Member> members = {{"A.BIN", Noise(3000, 8)}, {"B.TXT", Prose(4000)}, {"C.DAT", ""},
                                 {"D\\E.BIN", Noise(1, 9)},  {"F.BIN", Noise(2500, 10)}};
  for (uint32_t size : {kMinimumVolumeSize, kMinimumVolumeSize + 1, 300u, 511u, 1024u, 4096u, 100000u}) {
    SCOPED_TRACE(size);
    files.DeleteFile("C:\\DEST\\install.log");
    volumes = BuildContainer(members, size);
    for (const ContainerVolume& v : volumes) EXPECT_LE(v.bytes.size(), size);
    inDrive = 0;
    Insert(0);
    InsertOnEveryQuestion();
    ASSERT_EQ(UnshrinkFromA(), kUnshrinkDone);
    for (const Member& m : members) EXPECT_EQ(Content("C:\\DEST\\" + m.path), m.content) << m.path;
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_P(SplitContainerTest, AMissingVolumeIsAskedForAgainUntilTheUserStops) {
  volumes = BuildContainer({{"FIRST.TXT", "one"}, {"BIG.BIN", Noise(3000, 11)}}, 1500);
  ASSERT_GE(volumes.size(), 2u);
  Insert(0);
  int asked = 0;
  host.nextDisk = [&](bool) { return ++asked < 3 ? 0 : 1; };  // OK, OK (still the wrong disk), then quit
  EXPECT_EQ(UnshrinkFromA(), kUnshrinkStopped);
  EXPECT_EQ(std::vector<std::string>(host.events.end() - 3, host.events.end()),
            (std::vector<std::string>{"disk:10", "disk:00", "disk:00"}));
  EXPECT_TRUE(ui.boxes.empty());
  // What was extracted stays and is journalled; the partly written member does not stay.
  EXPECT_EQ(Content("C:\\DEST\\FIRST.TXT"), "one");
  EXPECT_FALSE(files.Exists("C:\\DEST\\BIG.BIN"));
  EXPECT_EQ(Journal(), "FILE: \"C:\\DEST\\FIRST.TXT\"\r\n");
  EXPECT_EQ(continuationName, "DATA.002");
}

TEST_P(SplitContainerTest, AVolumeInsertedAfterAWrongDiskIsRead) {
  volumes = BuildContainer({{"BIG.BIN", Noise(3000, 12)}}, 1500);
  Insert(0);
  ASSERT_EQ(volumes.size(), 3u);
  // The first time for each volume the wrong disk is still in the drive.
  host.nextDisk = [&](bool advance) {
    if (!advance) Insert(++inDrive);
    return 0;
  };
  EXPECT_EQ(UnshrinkFromA(), kUnshrinkDone);

  EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "disk:10"), 2);
  EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "disk:00"), 2);
}

TEST_P(SplitContainerTest, CancelAtAVolumeSwitchStops) {
  volumes = BuildContainer({{"BIG.BIN", Noise(3000, 13)}}, 1500);
  Insert(0);
  InsertOnEveryQuestion();
  host.cancelAtPump = 2;  // the first pump is before the member, the second at the switch
  EXPECT_EQ(UnshrinkFromA(), kUnshrinkStopped);
  EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "disk:10"), 0);
  EXPECT_FALSE(files.Exists("C:\\DEST\\BIG.BIN"));
}

TEST_P(SplitContainerTest, AContinuationVolumeMarkedAsAFirstVolumeIsRefused) {
  volumes = BuildContainer({{"BIG.BIN", Noise(3000, 14)}}, 1500);
  volumes[1].bytes[18] = 0x74;
  Insert(0);
  InsertOnEveryQuestion();
  EXPECT_EQ(UnshrinkFromA(), kUnshrinkStopped);
  ExpectErrorBox("Invalid compressed file A:\\DATA.002");
  EXPECT_FALSE(files.Exists("C:\\DEST\\BIG.BIN"));
}

TEST_P(SplitContainerTest, AContinuationVolumeWithoutTheExpectedHeaderIsReported) {
  // Volume 1 ends after a complete member; volume 2 has no member header.
  std::string data = Implode("one");
  volumes = {{"DATA.Z", RawVolume("DATA.002", 2) + RawMember("A.TXT", uint32_t(data.size())) + data},
             {"DATA.002", RawVolume("", 0, kContinuationMagic) + "short"}};
  Insert(0);
  InsertOnEveryQuestion();
  EXPECT_EQ(UnshrinkFromA(), kUnshrinkStopped);
  ExpectErrorBox("Reading file error: A:\\DATA.002");
  EXPECT_EQ(Content("C:\\DEST\\A.TXT"), "one");
}

TEST_P(SplitContainerTest, AContinuationVolumeWithNoDataForTheRunningMemberIsAReadError) {
  std::string data = Implode(Noise(500, 15));
  volumes = {{"DATA.Z", RawVolume("DATA.002", 1) + RawMember("A.BIN", uint32_t(data.size())) + data.substr(0, 100)},
             {"DATA.002", RawVolume("", 0, kContinuationMagic)}};
  Insert(0);
  InsertOnEveryQuestion();
  EXPECT_EQ(UnshrinkFromA(), kUnshrinkStopped);
  ExpectErrorBox("Reading disk error.");
  EXPECT_FALSE(files.Exists("C:\\DEST\\A.BIN"));
}

TEST_P(SplitContainerTest, NextVolumeNamesWithADirectoryOrWithoutTerminatorAreRefused) {
  std::string data = Implode(Noise(500, 16));
  for (const std::string& next : {std::string("..\\EVIL.002"), std::string("C:EVIL.002"),
                                  std::string("ABCDEFGHIJKLMN")}) {
    SCOPED_TRACE(next);
    ui.boxes.clear();
    volumes = {{"DATA.Z", RawVolume(next, 1) + RawMember("A.BIN", uint32_t(data.size())) + data.substr(0, 100)}};
    Insert(0);
    InsertOnEveryQuestion();
    EXPECT_EQ(UnshrinkFromA(), kUnshrinkStopped);
    ExpectErrorBox("Invalid compressed file A:\\DATA.Z");
  }
}

// The user inserts whichever disk is asked for; a chain that comes back to
// a volume already read would have them insert disks until the member
// count runs out (or for ever).
TEST_P(SplitContainerTest, AVolumeThatNamesOneAlreadyReadIsAnInvalidContainer) {
  host.nextDisk = [&](bool) {
    for (size_t i = 0; i < volumes.size(); ++i)
      if (EqualsNoCase(volumes[i].name, continuationName)) Insert(i);
    return 0;
  };
  for (const std::string& back : {std::string("data.002"), std::string("DATA.Z")}) {
    SCOPED_TRACE(back);
    ui.boxes.clear();
    host.events.clear();
    files.DeleteFile("C:\\DEST\\install.log");
    volumes = {{"DATA.Z", RawVolume("DATA.002", 50) + RawMember("A.TXT", 0)},
               {"DATA.002", RawVolume(back, 0, kContinuationMagic) + RawMember("B.TXT", 0)}};
    Insert(0);
    EXPECT_EQ(UnshrinkFromA(), kUnshrinkStopped);
    ExpectErrorBox("Invalid compressed file A:\\DATA.002");
    EXPECT_EQ(host.Count("disk:10"), 1);
    EXPECT_EQ(Journal(), "FILE: \"C:\\DEST\\A.TXT\"\r\nFILE: \"C:\\DEST\\B.TXT\"\r\n");
  }
}

// ---- the failure table ---------------------------------------------------------------------

TEST_P(ContainerTest, AMissingMemberHeaderWithoutNextVolumeIsReported) {
  std::string data = Implode("one");
  files.AddFile("C:\\SRC\\DATA.Z", RawVolume("", 3) + RawMember("A.TXT", uint32_t(data.size())) + data +
                                       RawMember("B.TXT", 0).substr(0, 100));
  EXPECT_EQ(Unshrink(), kUnshrinkStopped);
  ExpectErrorBox("Reading file error: C:\\SRC\\DATA.Z");
  EXPECT_EQ(Content("C:\\DEST\\A.TXT"), "one");
}

TEST_P(ContainerTest, ATargetThatCannotBeCreatedIsReported) {
  Put(BuildContainer({{"A.TXT", "a"}}));
  EXPECT_EQ(Unshrink(OverwritePolicy::kYes, kAttrNormal, "C:\\SRC\\DATA.Z", "C:\\NOWHERE\\DATA.Z"), kUnshrinkStopped);
  ExpectErrorBox("Cannot create file C:\\NOWHERE\\A.TXT");
}

TEST_P(ContainerTest, AReadErrorInsideMemberDataIsReported) {
  // The container comes from the payload, which goes away under the reader.
  std::string container = BuildContainer({{"A.BIN", Noise(6000, 17)}})[0].bytes;
  std::string exe = std::string("[Zemko]\0", 8);
  std::string header(276, '\0');
  std::memcpy(&header[16], Le32(uint32_t(container.size())).data(), 4);
  std::memcpy(&header[20], "DATA.Z", 6);
  exe += header + container + std::string("[Zemko]\0", 8) + Le32(8) + Le32(8);
  files.AddFile("C:\\SETUP\\SETUP.EXE", exe);
  archive.AttachArchive("C:\\SETUP\\SETUP.EXE");
  host.onFileName = [&](const std::string&) {
    archive.DisableArchive();
    archive.DetachArchive();
  };
  EXPECT_EQ(Unshrink(OverwritePolicy::kYes, kAttrNormal, "A:\\DATA.Z"), kUnshrinkStopped);
  ExpectErrorBox("Reading disk error.");
  EXPECT_FALSE(files.Exists("C:\\DEST\\A.BIN"));
  EXPECT_EQ(Journal(), "<none>");
}

// The disk fills up within a small member, or within a large one after
// part of it was written (at 10,000, 65,536 and 100,000 of its 200,000
// bytes, and further into one of 1,500,000 that passes through every
// buffer of the decoding several times); with no room at all, or none left
// after a whole block, the write itself fails (-1) or stores nothing (0).
TEST_P(ContainerTest, AWriteErrorOrAFullDiskIsReported) {
  for (int32_t size : {20000, 200000, 1500000}) {
  const std::vector<ContainerVolume> container = BuildContainer({{"OK.TXT", "fits"}, {"A.BIN", Noise(size_t(size), 18)}});
  for (int32_t failWith : {-1, 0})
  for (int64_t room : {0, 10000, 65536, 100000, 700000, 1300000}) {
    if (room >= size) continue;
    SCOPED_TRACE(::testing::Message() << failWith << " " << size << " " << room);
    ui.boxes.clear();
    Put(container);
    disk.FillDisk(room, "C:\\DEST\\A.BIN", failWith);
    EXPECT_EQ(Unshrink(), kUnshrinkStopped);
    ExpectErrorBox("Writing disk error.");
    EXPECT_FALSE(files.Exists("C:\\DEST\\A.BIN"));
    EXPECT_EQ(Journal(), "FILE: \"C:\\DEST\\OK.TXT\"\r\n");
    files.DeleteFile("C:\\DEST\\install.log");
  }
  }
}

TEST_P(ContainerTest, CorruptCompressedDataIsReportedAsAnInvalidContainer) {
  std::string good = Implode(Prose(3000));
  std::string badMode = good, badDict = good, garbage = Noise(good.size(), 19), cut = good.substr(0, good.size() / 2);
  badMode[0] = 7;
  badDict[1] = 9;
  garbage[0] = 0;
  garbage[1] = 6;
  for (const std::string& data : {badMode, badDict, garbage, cut, std::string("\0\6\0\0", 4)}) {
    ui.boxes.clear();
    files.AddFile("C:\\SRC\\DATA.Z", RawVolume("", 2) + RawMember("A.TXT", uint32_t(data.size())) + data +
                                         RawMember("B.TXT", uint32_t(good.size())) + good);
    EXPECT_EQ(Unshrink(), kUnshrinkStopped);
    ExpectErrorBox("Invalid compressed file C:\\SRC\\DATA.Z");
    EXPECT_FALSE(files.Exists("C:\\DEST\\A.TXT"));
    EXPECT_FALSE(files.Exists("C:\\DEST\\B.TXT"));
  }
}

TEST_P(ContainerTest, ATruncatedContainerIsReported) {
  std::string data = Implode(Noise(5000, 20));
  files.AddFile("C:\\SRC\\DATA.Z", RawVolume("", 1) + RawMember("A.BIN", uint32_t(data.size())) +
                                       data.substr(0, 3000));
  EXPECT_EQ(Unshrink(), kUnshrinkStopped);
  ExpectErrorBox("Reading file error: C:\\SRC\\DATA.Z");
  EXPECT_FALSE(files.Exists("C:\\DEST\\A.BIN"));
}

TEST_P(ContainerTest, ASizeFieldLargerThanTheStreamIsPassedOver) {
  std::string a = Implode(Prose(3000)), b = Implode("second");
  std::string padding = Noise(5000, 21);  // more than a read block after the end marker
  files.AddFile("C:\\SRC\\DATA.Z", RawVolume("", 2) + RawMember("A.TXT", uint32_t(a.size() + padding.size())) + a +
                                       padding + RawMember("B.TXT", uint32_t(b.size())) + b);
  EXPECT_EQ(Unshrink(), kUnshrinkDone);
  EXPECT_EQ(Content("C:\\DEST\\A.TXT"), Prose(3000));
  EXPECT_EQ(Content("C:\\DEST\\B.TXT"), "second");
  // The last member's size may even run past the end of the container.
  files.AddFile("C:\\SRC\\DATA.Z", RawVolume("", 1) + RawMember("C.TXT", 0xFFFFFFF0u) + b);
  EXPECT_EQ(Unshrink(), kUnshrinkDone);
  EXPECT_EQ(Content("C:\\DEST\\C.TXT"), "second");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_P(ContainerTest, TheMemberCountEndsTheContainerAndPaddingAfterItIsIgnored) {
  std::string a = Implode("a");
  files.AddFile("C:\\SRC\\DATA.Z", RawVolume("", 1) + RawMember("A.TXT", uint32_t(a.size())) + a +
                                       std::string(1000, '\0'));
  EXPECT_EQ(Unshrink(), kUnshrinkDone);
  EXPECT_EQ(Content("C:\\DEST\\A.TXT"), "a");
  files.AddFile("C:\\SRC\\EMPTY.Z", RawVolume("", 0) + RawMember("B.TXT", uint32_t(a.size())) + a);
  EXPECT_EQ(Unshrink(OverwritePolicy::kYes, kAttrNormal, "C:\\SRC\\EMPTY.Z"), kUnshrinkDone);
  EXPECT_FALSE(files.Exists("C:\\DEST\\B.TXT"));
  EXPECT_TRUE(ui.boxes.empty());
}

// ---- member paths that would leave the destination ---------------------------------------

TEST_P(ContainerTest, UnsafeMemberPathsAreRefusedAndNothingIsWrittenOutside) {
  files.AddDirectory("C:\\DEST\\SUB");
  files.AddDrive('D', DriveType::kFixed);
  std::string a = Implode("harmless"), evil = Implode("evil");
  const std::vector<std::string> bad = {
      "..\\EVIL.TXT",      "SUB\\..\\..\\EVIL.TXT", "\\EVIL.TXT",  "\\\\SERVER\\SHARE\\EVIL.TXT",
      "C:\\EVIL.TXT",      "C:EVIL.TXT",            "D:EVIL.TXT",  "../EVIL.TXT",
      "SUB/../../EVIL.TXT", "/EVIL.TXT",            "..",          "SUB\\.. \\..\\EVIL.TXT",
      "SUB\\...\\EVIL.TXT", "EVIL.TXT:STREAM",      "SUB\\",       "",
      "LPT1",              "SUB\\NUL.TXT",          "CON ",        "SUB\\\\EVIL.TXT",
      std::string(128, 'X')};
  for (const std::string& path : bad) {
    SCOPED_TRACE(path);
    ui.boxes.clear();
    files.DeleteFile("C:\\DEST\\FIRST.TXT");
    files.AddFile("C:\\SRC\\DATA.Z", RawVolume("", 3) + RawMember("FIRST.TXT", uint32_t(a.size())) + a +
                                         RawMember(path, uint32_t(evil.size())) + evil +
                                         RawMember("LAST.TXT", uint32_t(a.size())) + a);
    EXPECT_EQ(Unshrink(), kUnshrinkStopped);
    ExpectErrorBox("Invalid compressed file C:\\SRC\\DATA.Z");
    EXPECT_EQ(Content("C:\\DEST\\FIRST.TXT"), "harmless");
    EXPECT_FALSE(files.Exists("C:\\DEST\\LAST.TXT"));
    EXPECT_TRUE(Elsewhere().empty());
    for (const std::string& p : files.List()) EXPECT_EQ(p.find("EVIL"), std::string::npos) << p;
  }
  // Forward slashes inside a safe path name subdirectories.
  files.AddFile("C:\\SRC\\DATA.Z", RawVolume("", 1) + RawMember("SUB/INNER/A.TXT", uint32_t(a.size())) + a);
  ui.boxes.clear();
  EXPECT_EQ(Unshrink(), kUnshrinkDone);
  EXPECT_EQ(Content("C:\\DEST\\SUB\\INNER\\A.TXT"), "harmless");
}

TEST(ContainerFormat, SafeMemberPaths) {
  for (const char* ok : {"A.TXT", "SUB\\A.TXT", "a b\\c d.txt", ".HIDDEN", "SUB\\..X\\A", "X..", "CONFIG.SYS",
                         "COM10", "LPT", "NULL.TXT"})
    EXPECT_TRUE(IsSafeMemberPath(ok)) << ok;
  for (const char* bad : {"", ".", "..", "...", " ", "A\\..", "A\\.\\B", "\\A", "/A", "A:", "A\\B:C", "A\\", "A\\\\B",
                          "CON", "con.txt", "Aux", "COM1", "lpt9.dat", "PRN \\A", "conin$", "COM\xB9.TXT"})
    EXPECT_FALSE(IsSafeMemberPath(bad)) << bad;
}

TEST(ContainerFormat, HeadersRoundTripAndLayoutRefusesWhatCannotBeRead) {
  MemberHeader m;
  m.path = "SUB\\FILE.TXT";
  m.attributes = 0x21;
  m.compressedSize = 0x12345678;
  m.dosDate = 0xABCD;
  m.dosTime = 0x1234;
  uint8_t raw[kMemberHeaderSize];
  WriteMemberHeader(m, raw);
  MemberHeader back;
  ParseMemberHeader(raw, &back);
  EXPECT_EQ(back.path, m.path);
  EXPECT_EQ(back.compressedSize, m.compressedSize);
  EXPECT_EQ(back.dosDate, m.dosDate);
  EXPECT_EQ(back.dosTime, m.dosTime);
  EXPECT_EQ(back.attributes, 0x21u);
  EXPECT_TRUE(back.pathTerminated);

  auto name = [](int n) { return "V." + std::to_string(n); };
  std::vector<ContainerVolume> v;
  EXPECT_EQ(LayOutContainer({{"..\\A", "x"}}, 0, name, &v), kLayoutBadPath);
  EXPECT_EQ(LayOutContainer({{std::string(128, 'A'), "x"}}, 0, name, &v), kLayoutBadPath);
  EXPECT_EQ(LayOutContainer({{std::string(127, 'A'), "x"}}, 0, name, &v), kLayoutOk);
  EXPECT_EQ(LayOutContainer({{"A", "x"}}, kMinimumVolumeSize - 1, name, &v), kLayoutVolumeTooSmall);
  EXPECT_EQ(LayOutContainer({{"A", std::string(1000, 'x')}}, 500, [](int) { return std::string("BAD\\NAME"); }, &v),
            kLayoutBadVolumeName);
  EXPECT_TRUE(v.empty());
  std::vector<PackedMember> many(0x8000, PackedMember{"A", "", 0, 0});
  EXPECT_EQ(LayOutContainer(many, 0, name, &v), kLayoutTooManyMembers);

  // Volume headers: the first names the next and counts all members; a
  // member header never ends a volume without its first data byte.
  EXPECT_EQ(LayOutContainer({{"A", std::string(300, 'a')}, {"B", std::string(300, 'b')}}, 400, name, &v), kLayoutOk);
  ASSERT_EQ(v.size(), 3u);
  VolumeHeader h;
  ParseVolumeHeader(reinterpret_cast<const uint8_t*>(v[0].bytes.data()), &h);
  EXPECT_TRUE(h.IsFirstVolume());
  EXPECT_EQ(h.nextVolume, "V.2");
  EXPECT_EQ(h.memberCount, 2);
  ParseVolumeHeader(reinterpret_cast<const uint8_t*>(v[2].bytes.data()), &h);
  EXPECT_TRUE(h.IsContinuation());
  EXPECT_EQ(h.nextVolume, "");
  EXPECT_EQ(v[0].bytes.size(), 400u);
  EXPECT_EQ(v[1].bytes.size(), 400u);
}

}  // namespace
}  // namespace quorril
