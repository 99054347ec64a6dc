// The engine's container extraction (see unshrink.h): the reader's walk,
// the overwrite decision per member, and the decompressor's callbacks
// between the reader and the target writer.
#include "package/unshrink.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "package/container_reader.h"
#include "package/explode.h"
#include "package/overwrite.h"
#include "package/target_writer.h"
#include "platform/windows_path.h"

namespace quorril {

namespace {

// The container's data is read in blocks of this size and handed to the
// decompressor in its smaller reads, as the target writer gathers its writes:
// a member inside the engine's archive costs a seek and a read per block.
constexpr uint32_t kGatherSize = 65536;

class Unshrinker : public VolumeSource {
 public:
  Unshrinker(const CopyContext& copy, const std::string& target, const std::string& source, OverwritePolicy mode,
             uint32_t attributes)
      : copy_(copy), host_(copy.host), reader_(copy.archive, this), target_(target), source_(source),
        mode_(mode), attributes_(attributes) {}

  int Run();

  // VolumeSource: the next-disk question until the volume can be opened.
  std::unique_ptr<VirtualFile> OpenVolume(const std::string& path, const std::string& name) override;

 private:
  bool Keep(const MemberHeader& member, const ExistingTarget& existing);
  bool Extract(const MemberHeader& member, const std::string& target);
  void ReportReader();

  unsigned ReadData(char* buffer, unsigned capacity);
  void WriteData(const char* buffer, unsigned size);
  static unsigned ReadThunk(char* buffer, unsigned* size, void* user) {
    return static_cast<Unshrinker*>(user)->ReadData(buffer, *size);
  }
  static void WriteThunk(char* buffer, unsigned* size, void* user) {
    static_cast<Unshrinker*>(user)->WriteData(buffer, *size);
  }

  const CopyContext copy_;
  CopyHost& host_;
  ContainerReader reader_;
  const std::string target_;
  const std::string source_;
  const OverwritePolicy mode_;
  const uint32_t attributes_;
  std::unique_ptr<uint8_t[]> workArea_;
  std::unique_ptr<char[]> gathered_;  // kGatherSize bytes of the member's data
  uint32_t gatheredUsed_ = 0;         // handed to the decompressor
  uint32_t gatheredHeld_ = 0;         // read from the container
  TargetWriter* output_ = nullptr;  // the member being written
  bool abort_ = false;              // a failure inside the decompressor's callbacks
};

std::unique_ptr<VirtualFile> Unshrinker::OpenVolume(const std::string& path, const std::string& name) {
  copy_.continuationName = name;
  if (host_.PumpMessages()) return nullptr;
  std::unique_ptr<VirtualFile> volume;
  for (bool first = true; !volume; first = false) {
    if (host_.AskNextDisk(first, false) != 0) return nullptr;
    volume = copy_.archive.Open(path);
  }
  host_.Progress(0);
  return volume;
}

// The reader's failure as the engine reports it.
void Unshrinker::ReportReader() {
  switch (reader_.Status()) {
    case ContainerStatus::kHeaderCut:
      host_.ReportFailure(CopyFailure::kReadFile, reader_.VolumePath());
      break;
    case ContainerStatus::kBadMemberPath:
    case ContainerStatus::kBadVolumeName:
    case ContainerStatus::kVolumeRepeated:
    case ContainerStatus::kTooManyVolumes:
    case ContainerStatus::kNotContinuation:
      host_.ReportFailure(CopyFailure::kBadArchive, reader_.VolumePath());
      break;
    case ContainerStatus::kReadError:
      host_.ReportFailure(CopyFailure::kReadDisk, std::string());
      break;
    default:  // the user stopped at the disk question
      break;
  }
}

int Unshrinker::Run() {
  // A source that cannot be opened, or is no container, is left to the
  // plain copy, which reports it; one that cannot be read is not copied.
  ContainerStatus opened = reader_.Open(source_);
  if (opened == ContainerStatus::kReadError) {
    ReportReader();
    return kUnshrinkStopped;
  }
  if (opened != ContainerStatus::kOk) return kUnshrinkNotContainer;
  const std::string destinationDirectory = DirectoryPart(target_);

  workArea_.reset(new (std::nothrow) uint8_t[kExplodeWorkAreaSize]());
  gathered_.reset(new (std::nothrow) char[kGatherSize]);
  if (!workArea_ || !gathered_) {
    host_.ReportFailure(CopyFailure::kNoMemory, std::string());
    return kUnshrinkStopped;
  }

  for (;;) {
    if (host_.PumpMessages()) return kUnshrinkStopped;
    MemberHeader member;
    ContainerStatus status = reader_.NextMember(&member);
    if (status == ContainerStatus::kEnd) return kUnshrinkDone;
    if (status != ContainerStatus::kOk) {
      ReportReader();
      return kUnshrinkStopped;
    }
    std::string target = destinationDirectory + member.path;
    // A directory that cannot be made is reported; creating the file then
    // fails and stops the extraction.
    if (member.path.find('\\') != std::string::npos) MakeTargetDirectory(copy_, CutAtLastBackslash(target));

    ExistingTarget existing = ProbeTarget(copy_.files, target, mode_);
    OverwriteFacts facts;
    facts.policy = mode_;
    facts.kind = CopyKind::kContainerMember;
    facts.targetExists = existing.exists;
    facts.source = DosDateTime{member.dosDate, member.dosTime};
    facts.targetDateKnown = existing.dateKnown;
    facts.target = existing.date;
    if (!CarryOutOverwrite(copy_.files, host_, DecideOverwrite(facts), target)) {
      if (!Keep(member, existing)) return kUnshrinkStopped;
      continue;
    }
    if (!Extract(member, target)) return kUnshrinkStopped;
  }
}

// A target that stays: its length counts as installed, and the member's
// data is passed over.
bool Unshrinker::Keep(const MemberHeader& member, const ExistingTarget& existing) {
  ProgressCounters& counters = host_.Counters();
  if (counters.CountsBytes() && existing.exists) {
    counters.Add(existing.size);
    host_.Progress(0);
  }
  host_.ShowFileName(member.path);
  host_.Progress(0);
  if (reader_.Skip() != ContainerStatus::kOk) {
    ReportReader();
    return false;
  }
  if (counters.CountsBytes()) host_.Progress(0);
  return true;
}

bool Unshrinker::Extract(const MemberHeader& member, const std::string& target) {
  TargetWriter output(copy_, target);
  if (!output.Create()) return false;
  host_.Progress(0);
  if (member.compressedSize != 0) {
    output_ = &output;
    abort_ = false;
    gatheredUsed_ = gatheredHeld_ = 0;
    int result = ExplodeStream(&ReadThunk, &WriteThunk, workArea_.get(), this);
    output_ = nullptr;
    // What the decompressor gave is on the disk (or its failure reported)
    // before anything else is read.
    if (result == kExplodeOk && !abort_ && !output.Flush()) abort_ = true;
    bool ok = result == kExplodeOk && !abort_;
    if (!ok && !abort_) {
      // Data missing at the end of the container, or data that is no stream.
      host_.ReportFailure(reader_.RanOut() ? CopyFailure::kReadFile : CopyFailure::kBadArchive,
                          reader_.VolumePath());
    }
    // A stream that ends before its stated size leaves data to pass over.
    if (ok && reader_.Delivered() < member.compressedSize && reader_.Skip() != ContainerStatus::kOk) {
      ReportReader();
      ok = false;
    }
    if (!ok) {
      output.Abandon();
      return false;
    }
  }
  if (host_.Counters().CountsBytes()) host_.Progress(0);
  return output.Finish(DosDateTime{member.dosDate, member.dosTime}, attributes_);
}

unsigned Unshrinker::ReadData(char* buffer, unsigned capacity) {
  if (abort_) return 0;
  if (gatheredUsed_ == gatheredHeld_) {
    // The reader stops at the member's stated size, so a block never takes
    // data of the next member.
    int32_t got = reader_.Read(gathered_.get(), kGatherSize);
    if (got < 0) {
      ReportReader();
      abort_ = true;
      return 0;
    }
    gatheredUsed_ = 0;
    gatheredHeld_ = uint32_t(got);
  }
  uint32_t n = std::min<uint32_t>(capacity, gatheredHeld_ - gatheredUsed_);
  std::memcpy(buffer, gathered_.get() + gatheredUsed_, n);
  gatheredUsed_ += n;
  return n;
}

void Unshrinker::WriteData(const char* buffer, unsigned size) {
  if (abort_) return;
  if (!output_->Write(buffer, size)) abort_ = true;
}

}  // namespace

int UnshrinkContainer(const CopyContext& copy, const std::string& target, const std::string& source,
                      OverwritePolicy mode, uint32_t attributes) {
  Unshrinker unshrinker(copy, target, source, mode, attributes);
  return unshrinker.Run();
}

}  // namespace quorril
