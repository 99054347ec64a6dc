// ContainerReader (see container_reader.h): one function per step of the
// format — the first volume, member headers, the next volume, member data
// and skipping it.
#include "package/container_reader.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/windows_path.h"

namespace quorril {

const char* ContainerStatusText(ContainerStatus status) {
  switch (status) {
    case ContainerStatus::kOk: return "ok";
    case ContainerStatus::kEnd: return "no member is left";
    case ContainerStatus::kCannotOpen: return "cannot be opened";
    case ContainerStatus::kNotContainer: return "is not the first volume of a container";
    case ContainerStatus::kHeaderCut: return "ends where a member header is expected";
    case ContainerStatus::kBadMemberPath: return "holds a member path that would leave the destination directory";
    case ContainerStatus::kBadVolumeName: return "names a next volume that is not a plain file name";
    case ContainerStatus::kVolumeRepeated: return "names as its next volume one already read in this container";
    case ContainerStatus::kTooManyVolumes: return "names a next volume beyond the most that one container may have";
    case ContainerStatus::kNotContinuation: return "is not a continuation volume of the container";
    case ContainerStatus::kNoVolume: return "goes on in a volume that is not there";
    case ContainerStatus::kReadError: return "cannot be read";
  }
  return "unknown status";
}

ContainerReader::ContainerReader(VirtualFileSystem& archive, VolumeSource* volumes)
    : archive_(archive), volumes_(volumes) {}

int32_t ContainerReader::ReadVolume(void* buffer, int32_t count) {
  if (!volume_) return -1;
  int32_t total = 0;
  while (total < count) {
    int32_t got = archive_.Read(*volume_, static_cast<char*>(buffer) + total, count - total);
    if (got < 0) return -1;
    if (got == 0) break;
    total += got;
  }
  return total;
}

ContainerStatus ContainerReader::Open(const std::string& path) {
  status_ = ContainerStatus::kOk;
  volumePath_ = path;
  sourceDirectory_ = DirectoryPart(path);
  volume_ = archive_.Open(path);
  if (!volume_) return Fail(ContainerStatus::kCannotOpen);
  uint8_t raw[kVolumeHeaderSize];
  // A read that fails says nothing of what the file is: it is no reason
  // to take a container for a plain file.
  int32_t got = ReadVolume(raw, kVolumeHeaderSize);
  if (got < 0) return Fail(ContainerStatus::kReadError);
  if (got != int32_t(kVolumeHeaderSize)) return Fail(ContainerStatus::kNotContainer);
  ParseVolumeHeader(raw, &firstVolume_);
  if (!firstVolume_.IsFirstVolume()) return Fail(ContainerStatus::kNotContainer);
  volumeHeader_ = firstVolume_;
  volumeNames_.assign(1, FileName(path));
  expected_ = firstVolume_.memberCount;
  member_ = MemberHeader();
  delivered_ = 0;
  return ContainerStatus::kOk;
}

// Moves on to the volume that the current one names. The current volume's
// path stays until the new one is accepted, except that a refused volume
// is the one its status names.
bool ContainerReader::OpenNextVolume() {
  volume_.reset();
  const std::string name = volumeHeader_.nextVolume;
  if (!volumeHeader_.nameTerminated || !IsValidVolumeName(name)) {
    Fail(ContainerStatus::kBadVolumeName);
    return false;
  }
  // A chain that comes back to a volume, or goes on without end, is damaged.
  for (const std::string& read : volumeNames_) {
    if (EqualsNoCase(read, name)) {
      Fail(ContainerStatus::kVolumeRepeated);
      return false;
    }
  }
  if (volumeNames_.size() >= kMaxContainerVolumes) {
    Fail(ContainerStatus::kTooManyVolumes);
    return false;
  }
  volumeNames_.push_back(name);
  const std::string path = sourceDirectory_ + name;
  if (volumes_) volume_ = volumes_->OpenVolume(path, name);
  if (!volume_) {
    Fail(ContainerStatus::kNoVolume);
    return false;
  }
  volumePath_ = path;
  uint8_t raw[kVolumeHeaderSize];
  VolumeHeader header;
  if (ReadVolume(raw, kVolumeHeaderSize) == int32_t(kVolumeHeaderSize)) {
    ParseVolumeHeader(raw, &header);
    if (header.IsContinuation()) {
      volumeHeader_ = header;  // the member count is not taken from it
      return true;
    }
  }
  volume_.reset();
  Fail(ContainerStatus::kNotContinuation);
  return false;
}

ContainerStatus ContainerReader::NextMember(MemberHeader* member) {
  if (status_ != ContainerStatus::kOk) return status_;
  // The count in the first volume says how many members there are.
  if (expected_ == 0) return ContainerStatus::kEnd;
  uint8_t raw[kMemberHeaderSize];
  if (ReadVolume(raw, kMemberHeaderSize) != int32_t(kMemberHeaderSize)) {
    if (volumeHeader_.nextVolume.empty()) return Fail(ContainerStatus::kHeaderCut);
    if (!OpenNextVolume()) return status_;
    if (ReadVolume(raw, kMemberHeaderSize) != int32_t(kMemberHeaderSize)) return Fail(ContainerStatus::kHeaderCut);
  }
  --expected_;
  ParseMemberHeader(raw, &member_);
  for (char& c : member_.path)
    if (c == '/') c = '\\';
  if (!member_.pathTerminated || !IsSafeMemberPath(member_.path)) return Fail(ContainerStatus::kBadMemberPath);
  delivered_ = 0;
  ranOut_ = false;
  *member = member_;
  return ContainerStatus::kOk;
}

int32_t ContainerReader::Read(void* buffer, uint32_t capacity) {
  if (status_ != ContainerStatus::kOk) return -1;
  uint32_t n = std::min<uint32_t>(capacity, member_.compressedSize - delivered_);
  uint32_t total = 0;
  bool fresh = false;  // a volume was just opened for this read
  while (total < n) {
    int32_t got = ReadVolume(static_cast<char*>(buffer) + total, int32_t(n - total));
    if (got < 0 || (got == 0 && fresh)) {
      Fail(ContainerStatus::kReadError);
      return -1;
    }
    if (got == 0) {
      if (volumeHeader_.nextVolume.empty()) {
        // The container ends before the member's stated size. The data may
        // still be complete; whoever reads it can tell.
        ranOut_ = true;
        break;
      }
      if (!OpenNextVolume()) return -1;
      fresh = true;
      continue;
    }
    fresh = false;
    total += uint32_t(got);
  }
  delivered_ += total;
  return int32_t(total);
}

int64_t ContainerReader::RestOfVolume() {
  int32_t position = volume_ && status_ == ContainerStatus::kOk ? archive_.Tell(*volume_) : -1;
  return position < 0 ? -1 : int64_t(volume_->Size()) - position;
}

bool ContainerReader::NextHeaderInThisVolume() {
  if (status_ != ContainerStatus::kOk || delivered_ != member_.compressedSize) return false;
  return expected_ == 0 || RestOfVolume() >= int64_t(kMemberHeaderSize);
}

int64_t ContainerReader::LeftInThisVolume() {
  int64_t rest = RestOfVolume();
  if (rest < 0) return -1;
  return std::max<int64_t>(0, std::min<int64_t>(rest, member_.compressedSize - delivered_));
}

ContainerStatus ContainerReader::Skip() {
  if (status_ != ContainerStatus::kOk) return status_;
  uint32_t remaining = member_.compressedSize - delivered_;
  for (;;) {
    int32_t position = volume_ ? archive_.Tell(*volume_) : -1;
    if (position < 0) return Fail(ContainerStatus::kReadError);
    int64_t left = int64_t(volume_->Size()) - position;
    if (left < 0) left = 0;
    if (left >= int64_t(remaining) || volumeHeader_.nextVolume.empty()) {
      if (left < int64_t(remaining)) ranOut_ = true;
      int32_t step = int32_t(std::min<int64_t>(left, remaining));
      if (archive_.Seek(*volume_, step, 1) < 0) return Fail(ContainerStatus::kReadError);
      delivered_ = member_.compressedSize;
      return ContainerStatus::kOk;
    }
    remaining -= uint32_t(left);
    if (!OpenNextVolume()) return status_;
  }
}

bool IsSplitContainerStart(VirtualFileSystem& archive, const std::string& source) {
  ContainerReader reader(archive, nullptr);
  return reader.Open(source) == ContainerStatus::kOk && !reader.FirstVolume().nextVolume.empty();
}

}  // namespace quorril
