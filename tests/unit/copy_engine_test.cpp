// The pieces of the copy engine on their own: the overwrite decision that
// plain copies and container members share, the container reader's status
// for each kind of damage (one hand-made input each), and the engine's
// messages for the failures the copy code reports.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "package/container_reader.h"
#include "package/overwrite.h"
#include "package/virtual_file.h"
#include "platform/little_endian.h"
#include "platform/memory/fault_file_system.h"
#include "platform/memory/memory_file_system.h"
#include "shell/run_sequence.h"
#include "unit/container_test_support.h"

namespace quorril {
namespace {

// ---- the overwrite decision ----------------------------------------------------------

// Every combination of the facts: the two kinds decide alike, except that
// only a plain copy clears the attributes of a target that NEW replaces.
TEST(OverwriteDecision, PlainCopiesAndContainerMembersDifferOnlyWhereTheRulesSay) {
  const DosDateTime early{0x3000, 0x0100}, late{0x3000, 0x0200};
  int compared = 0;
  for (OverwritePolicy policy :
       {OverwritePolicy::kNo, OverwritePolicy::kYes, OverwritePolicy::kAsk, OverwritePolicy::kNew})
    for (bool exists : {false, true})
      for (bool dateKnown : {false, true})
        for (DosDateTime source : {early, late})
          for (DosDateTime target : {early, late}) {
            OverwriteFacts facts;
            facts.policy = policy;
            facts.targetExists = exists;
            facts.targetDateKnown = dateKnown;
            facts.source = source;
            facts.target = target;
            facts.kind = CopyKind::kPlainFile;
            OverwriteDecision plain = DecideOverwrite(facts);
            facts.kind = CopyKind::kContainerMember;
            OverwriteDecision member = DecideOverwrite(facts);
            SCOPED_TRACE(::testing::Message() << int(policy) << exists << dateKnown << source.time << target.time);
            EXPECT_EQ(plain.action, member.action);
            bool newReplaces = policy == OverwritePolicy::kNew && exists && plain.action == OverwriteAction::kWrite;
            EXPECT_EQ(plain.clearAttributes != member.clearAttributes, newReplaces);
            ++compared;
          }
  EXPECT_EQ(compared, 64);
}

// What each policy does with a target that is there (the dates equal, no
// version texts), and that a missing target is always written as it is.
TEST(OverwriteDecision, EachPolicyKeepsWritesOrAsks) {
  struct Case {
    OverwritePolicy policy;
    OverwriteAction action;
    bool clearAttributes;
  };
  for (const Case& c : {Case{OverwritePolicy::kNo, OverwriteAction::kKeep, false},
                        Case{OverwritePolicy::kYes, OverwriteAction::kWrite, true},
                        Case{OverwritePolicy::kAsk, OverwriteAction::kAsk, true},
                        Case{OverwritePolicy::kNew, OverwriteAction::kKeep, false}}) {
    SCOPED_TRACE(int(c.policy));
    OverwriteFacts facts;
    facts.policy = c.policy;
    facts.targetExists = true;
    facts.targetDateKnown = true;
    OverwriteDecision decision = DecideOverwrite(facts);
    EXPECT_EQ(decision.action, c.action);
    EXPECT_EQ(decision.clearAttributes, c.clearAttributes);
    facts.targetExists = false;
    facts.targetDateKnown = false;
    decision = DecideOverwrite(facts);
    EXPECT_EQ(decision.action, OverwriteAction::kWrite);
    // Attributes are cleared only where a target may be there (YES asks
    // the file system itself).
    EXPECT_EQ(decision.clearAttributes, c.policy == OverwritePolicy::kYes);
  }
}

TEST(OverwriteDecision, NewWritesOnlyAStrictlyNewerFileOrATargetWithoutADate) {
  OverwriteFacts facts;
  facts.policy = OverwritePolicy::kNew;
  facts.targetExists = true;
  facts.targetDateKnown = true;
  facts.source = facts.target = DosDateTime{0x4000, 0x0800};
  EXPECT_EQ(DecideOverwrite(facts).action, OverwriteAction::kKeep) << "the same date and time";
  facts.source.time = 0x0801;
  EXPECT_EQ(DecideOverwrite(facts).action, OverwriteAction::kWrite) << "a later time on the same day";
  facts.source = DosDateTime{0x3FFF, 0xFFFF};
  EXPECT_EQ(DecideOverwrite(facts).action, OverwriteAction::kKeep) << "an earlier day, whatever the time";
  facts.targetDateKnown = false;
  EXPECT_EQ(DecideOverwrite(facts).action, OverwriteAction::kWrite) << "a target whose date cannot be read";
  // Version texts decide before the dates, either way.
  facts.targetDateKnown = true;
  facts.versionOrder = 1;
  EXPECT_EQ(DecideOverwrite(facts).action, OverwriteAction::kWrite);
  facts.source = DosDateTime{0x5000, 0};
  facts.versionOrder = -1;
  EXPECT_EQ(DecideOverwrite(facts).action, OverwriteAction::kKeep);
}

TEST(OverwriteDecision, ASourceThatIsItsOwnTargetIsKeptEvenUnderYes) {
  OverwriteFacts facts;
  facts.policy = OverwritePolicy::kYes;
  facts.sameFile = true;
  facts.targetExists = true;
  EXPECT_EQ(DecideOverwrite(facts).action, OverwriteAction::kKeep);
}

// ---- the container reader ----------------------------------------------------------------

std::string Volume(const std::string& next, int16_t count, uint16_t kind = kContainerMagic) {
  VolumeHeader header;
  header.nextVolume = next;
  header.magic = kContainerMagic;
  header.memberCount = count;
  header.kind = kind;
  uint8_t raw[kVolumeHeaderSize];
  WriteVolumeHeader(header, raw);
  return std::string(reinterpret_cast<char*>(raw), kVolumeHeaderSize);
}

std::string Member(const std::string& path, uint32_t size) {
  std::string raw(kMemberHeaderSize, '\0');
  raw.replace(0, std::min<size_t>(path.size(), kMemberPathSize), path, 0, kMemberPathSize);
  WriteLe32(raw, kMemberSizeOffset, size);
  return raw;
}

// Hands out the volumes of C:\SRC that it is asked for, or none.
class Volumes : public VolumeSource {
 public:
  Volumes(VirtualFileSystem& archive, bool give) : archive_(archive), give_(give) {}
  std::vector<std::string> asked;
  std::unique_ptr<VirtualFile> OpenVolume(const std::string& path, const std::string& name) override {
    asked.push_back(name);
    return give_ ? archive_.Open(path) : nullptr;
  }

 private:
  VirtualFileSystem& archive_;
  bool give_;
};

class ContainerReaderTest : public ::testing::Test {
 protected:
  ContainerReaderTest() { files.AddDirectory("C:\\SRC"); }

  // Opens C:\SRC\DATA.Z and reads every member's data; the status that
  // ends the walk.
  ContainerStatus Walk(const std::string& first, bool giveVolumes = true) {
    files.AddFile("C:\\SRC\\DATA.Z", first);
    Volumes volumes(archive, giveVolumes);
    ContainerReader reader(archive, &volumes);
    ContainerStatus status = reader.Open("C:\\SRC\\DATA.Z");
    members.clear();
    while (status == ContainerStatus::kOk) {
      MemberHeader member;
      status = reader.NextMember(&member);
      if (status != ContainerStatus::kOk) break;
      std::string data;
      char buffer[1000];
      int32_t got;
      while ((got = reader.Read(buffer, sizeof buffer)) > 0) data.append(buffer, size_t(got));
      if (got < 0) {
        status = reader.Status();
        break;
      }
      members.push_back(member.path + "=" + data + (reader.RanOut() ? "<ran out>" : ""));
    }
    volumePath = reader.VolumePath();
    return status;
  }

  MemoryFileSystem files;
  FaultFileSystem disk{files};
  VirtualFileSystem archive{&disk};
  std::vector<std::string> members;
  std::string volumePath;
};

TEST_F(ContainerReaderTest, OneHandMadeInputForEachStatus) {
  EXPECT_EQ(Walk(Volume("", 2) + Member("A", 3) + "abc" + Member("SUB/B", 0)), ContainerStatus::kEnd);
  EXPECT_EQ(members, (std::vector<std::string>{"A=abc", "SUB\\B="})) << "\"/\" is handed out as \"\\\"";

  // Data after the members the first volume counts is no member.
  EXPECT_EQ(Walk(Volume("", 1) + Member("A", 1) + "a" + Member("B", 1) + "b"), ContainerStatus::kEnd);
  EXPECT_EQ(members.size(), 1u);

  ContainerReader reader(archive, nullptr);
  EXPECT_EQ(reader.Open("C:\\SRC\\MISSING.Z"), ContainerStatus::kCannotOpen);

  EXPECT_EQ(Walk(Volume("", 1).substr(0, 57)), ContainerStatus::kNotContainer);
  EXPECT_EQ(Walk(Volume("", 1, kContinuationMagic)), ContainerStatus::kNotContainer);

  EXPECT_EQ(Walk(Volume("", 2) + Member("A", 1) + "a" + Member("B", 1).substr(0, 100)), ContainerStatus::kHeaderCut);
  EXPECT_EQ(volumePath, "C:\\SRC\\DATA.Z");

  EXPECT_EQ(Walk(Volume("", 1) + Member("..\\EVIL", 0)), ContainerStatus::kBadMemberPath);
  EXPECT_EQ(Walk(Volume("", 1) + Member(std::string(128, 'L'), 0)), ContainerStatus::kBadMemberPath)
      << "a path that fills its 128 bytes has no terminator";

  EXPECT_EQ(Walk(Volume("..\\OUT.002", 2) + Member("A", 0)), ContainerStatus::kBadVolumeName);
  EXPECT_EQ(volumePath, "C:\\SRC\\DATA.Z") << "the volume that names it";

  files.AddFile("C:\\SRC\\DATA.002", Volume("", 1));  // a first volume, not a continuation
  EXPECT_EQ(Walk(Volume("DATA.002", 2) + Member("A", 0)), ContainerStatus::kNotContinuation);
  EXPECT_EQ(volumePath, "C:\\SRC\\DATA.002") << "the volume refused";

  files.AddFile("C:\\SRC\\DATA.002", Volume("", 0, kContinuationMagic) + Member("B", 0));
  EXPECT_EQ(Walk(Volume("DATA.002", 2) + Member("A", 0), false), ContainerStatus::kNoVolume);

  disk.FailReadsOf("C:\\SRC\\DATA.Z");
  EXPECT_EQ(Walk(Volume("", 1) + Member("A", 1) + "a"), ContainerStatus::kReadError)
      << "a volume that cannot be read is not taken for a plain file";
}

TEST_F(ContainerReaderTest, DataRunsOnIntoTheNextVolumeAndMayRunOutInTheLast) {
  files.AddFile("C:\\SRC\\DATA.002", Volume("", 0, kContinuationMagic) + "cdef" + Member("B", 4) + "xy");
  EXPECT_EQ(Walk(Volume("DATA.002", 2) + Member("A", 6) + "ab"), ContainerStatus::kEnd);
  EXPECT_EQ(members, (std::vector<std::string>{"A=abcdef", "B=xy<ran out>"}));

  // A continuation volume that holds nothing where data must go on.
  files.AddFile("C:\\SRC\\DATA.002", Volume("", 0, kContinuationMagic));
  EXPECT_EQ(Walk(Volume("DATA.002", 1) + Member("A", 6) + "ab"), ContainerStatus::kReadError);
}

TEST_F(ContainerReaderTest, SkippingPassesOverDataAcrossVolumesAndQuietlyAtTheEnd) {
  files.AddFile("C:\\SRC\\DATA.Z", Volume("DATA.002", 3) + Member("A", 6) + "ab");
  files.AddFile("C:\\SRC\\DATA.002", Volume("", 0, kContinuationMagic) + "cdef" + Member("B", 1) + "b" +
                                         Member("C", 100) + "short");
  Volumes volumes(archive, true);
  ContainerReader reader(archive, &volumes);
  ASSERT_EQ(reader.Open("C:\\SRC\\DATA.Z"), ContainerStatus::kOk);
  MemberHeader member;
  ASSERT_EQ(reader.NextMember(&member), ContainerStatus::kOk);
  char c;
  ASSERT_EQ(reader.Read(&c, 1), 1);
  EXPECT_EQ(reader.Skip(), ContainerStatus::kOk);
  ASSERT_EQ(reader.NextMember(&member), ContainerStatus::kOk);
  EXPECT_EQ(member.path, "B");
  EXPECT_EQ(reader.Skip(), ContainerStatus::kOk);
  ASSERT_EQ(reader.NextMember(&member), ContainerStatus::kOk);
  EXPECT_EQ(reader.Skip(), ContainerStatus::kOk) << "the end of the last volume ends a skip";
  EXPECT_EQ(reader.NextMember(&member), ContainerStatus::kEnd);
  EXPECT_EQ(volumes.asked, std::vector<std::string>{"DATA.002"});
}

// Each continuation volume below holds one empty member, and the first
// volume counts more members than the chain should give, so a walk that
// followed the chain would end quietly.
TEST_F(ContainerReaderTest, AChainOfVolumesThatComesBackOrNeverEndsIsDamaged) {
  struct Case {
    std::vector<std::string> next;  // the next-volume names of DATA.Z, DATA.002, DATA.003
    std::string refusedIn;          // the volume whose next name ends the walk
  };
  const std::vector<Case> loops = {
      {{"DATA.002", "DATA.002"}, "DATA.002"},              // a volume names itself
      {{"DATA.002", "data.002"}, "DATA.002"},              // in another case
      {{"DATA.002", "DATA.003", "Data.002"}, "DATA.003"},  // an earlier volume
      {{"DATA.002", "DATA.z"}, "DATA.002"},                // the first volume
  };
  for (const Case& c : loops) {
    SCOPED_TRACE(c.next.back());
    for (size_t i = 1; i < c.next.size(); ++i)
      files.AddFile("C:\\SRC\\DATA.00" + std::to_string(i + 1), Volume(c.next[i], 0, kContinuationMagic) +
                                                                   Member("V" + std::to_string(i + 1), 0));
    EXPECT_EQ(Walk(Volume(c.next[0], 20) + Member("V1", 0)), ContainerStatus::kVolumeRepeated);
    EXPECT_EQ(volumePath, "C:\\SRC\\" + c.refusedIn);
    EXPECT_EQ(members.size(), c.next.size());
  }

  // A chain of distinct names that goes on past the most volumes a
  // container is read from.
  auto name = [](size_t n) { return "D" + std::to_string(n) + ".VOL"; };
  for (size_t n = 2; n <= kMaxContainerVolumes + 1; ++n)
    files.AddFile("C:\\SRC\\" + name(n), Volume(name(n + 1), 0, kContinuationMagic) + Member("M", 0));
  EXPECT_EQ(Walk(Volume(name(2), 2000) + Member("M", 0)), ContainerStatus::kTooManyVolumes);
  EXPECT_EQ(members.size(), kMaxContainerVolumes);
  EXPECT_EQ(volumePath, "C:\\SRC\\" + name(kMaxContainerVolumes));
}

TEST(ContainerStatusText, EveryStatusHasItsOwnText) {
  std::set<std::string> texts;
  for (int s = int(ContainerStatus::kOk); s <= int(ContainerStatus::kReadError); ++s)
    texts.insert(ContainerStatusText(ContainerStatus(s)));
  EXPECT_EQ(texts.size(), size_t(ContainerStatus::kReadError) + 1);
  EXPECT_EQ(texts.count("unknown status"), 0u);
}

// ---- the engine's messages ---------------------------------------------------------------

TEST(CopyFailureMessage, EachFailureHasTheEnginesTextCaptionAndOwner) {
  PromptTexts prompts;
  struct Case {
    CopyFailure failure;
    const char* text;
    const char* caption;  // null: the system's default caption
    bool owned;
  };
  const std::string path = "C:\\APP\\X";
  for (const Case& c : {
           Case{CopyFailure::kFileNotFound, "File not found on the installation disk: C:\\APP\\X. ", " ", true},
           Case{CopyFailure::kCreateFile, "Cannot create file C:\\APP\\X", nullptr, true},
           Case{CopyFailure::kReadDisk, "Reading disk error.", nullptr, true},
           Case{CopyFailure::kWriteDisk, "Writing disk error.", nullptr, true},
           Case{CopyFailure::kNoMemory, "Not enough memory unshrinking files", nullptr, true},
           Case{CopyFailure::kReadFile, "Reading file error: C:\\APP\\X", nullptr, true},
           Case{CopyFailure::kBadArchive, "Invalid compressed file C:\\APP\\X", nullptr, true},
           Case{CopyFailure::kBadDirectory, "Invalid directory.", nullptr, false},
       }) {
    SCOPED_TRACE(c.text);
    MessageBoxRequest box = CopyFailureMessage(c.failure, path, prompts);
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.caption.has_value(), c.caption != nullptr);
    if (c.caption) {
      EXPECT_EQ(*box.caption, c.caption);
    }
    EXPECT_EQ(box.style, uint32_t(kMbOk | kMbIconWarning));
    EXPECT_EQ(box.owned, c.owned);
  }
  // A script's own words replace the texts it may reword.
  prompts.Set(PromptId::kBadDir, "No such folder.");
  EXPECT_EQ(CopyFailureMessage(CopyFailure::kBadDirectory, path, prompts).text, "No such folder.");
}

}  // namespace
}  // namespace quorril
