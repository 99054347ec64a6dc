// Shrunk-file containers: the header codec, member path checks, and
// UnshrinkContainer, organised as one extraction state (`Unshrinker`) with
// a small function per step of the format: volume headers, member headers,
// the next volume, skipping data, and the decompressor's read and write
// callbacks.
#include "package/container.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "journal/journal.h"
#include "package/explode.h"
#include "platform/text.h"
#include "shell/setup_context.h"

namespace quorril {

// ---- the format -------------------------------------------------------------------

static uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
static uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
static void Put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
static void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

void ParseVolumeHeader(const uint8_t* bytes, VolumeHeader* header) {
  const char* name = reinterpret_cast<const char*>(bytes);
  size_t length = strnlen(name, kVolumeNameSize);
  header->nextVolume.assign(name, length);
  header->nameTerminated = length < kVolumeNameSize;
  header->magic = Le16(bytes + kVolumeMagicOffset);
  header->memberCount = int16_t(Le16(bytes + kVolumeCountOffset));
  header->kind = Le16(bytes + kVolumeKindOffset);
}

void ParseMemberHeader(const uint8_t* bytes, MemberHeader* header) {
  const char* path = reinterpret_cast<const char*>(bytes);
  size_t length = strnlen(path, kMemberPathSize);
  header->path.assign(path, length);
  header->pathTerminated = length < kMemberPathSize;
  header->attributes = Le32(bytes + kMemberAttributesOffset);
  header->compressedSize = Le32(bytes + kMemberSizeOffset);
  header->dosDate = uint16_t(Le32(bytes + kMemberDateOffset));
  header->dosTime = uint16_t(Le32(bytes + kMemberTimeOffset));
}

void WriteVolumeHeader(const VolumeHeader& header, uint8_t* bytes) {
  std::memset(bytes, 0, kVolumeHeaderSize);
  std::memcpy(bytes, header.nextVolume.data(), std::min<size_t>(header.nextVolume.size(), kVolumeNameSize - 1));
  Put16(bytes + kVolumeMagicOffset, header.magic);
  Put16(bytes + kVolumeCountOffset, uint16_t(header.memberCount));
  Put16(bytes + kVolumeKindOffset, header.kind);
}

void WriteMemberHeader(const MemberHeader& header, uint8_t* bytes) {
  std::memset(bytes, 0, kMemberHeaderSize);
  std::memcpy(bytes, header.path.data(), std::min<size_t>(header.path.size(), kMemberPathSize - 1));
  Put32(bytes + kMemberAttributesOffset, header.attributes);
  Put32(bytes + kMemberSizeOffset, header.compressedSize);
  Put32(bytes + kMemberDateOffset, header.dosDate);
  Put32(bytes + kMemberTimeOffset, header.dosTime);
}

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A component that Windows may resolve to "." or ".." (it drops trailing
// dots and blanks) or to nothing.
static bool IsDotsAndBlanks(std::string_view component) {
  for (char c : component)
    if (c != '.' && c != ' ') return false;
  return true;
}

// CON, PRN, AUX, NUL, CONIN$, CONOUT$, CLOCK$, COM1-9 and LPT1-9 (also
// with the superscript digits 1, 2, 3 of the ANSI code page), with or
// without an extension: names that open a device instead of a file in the
// directory.
static bool IsDeviceName(std::string_view component) {
  std::string_view base = component.substr(0, component.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
    if (EqualsNoCase(base, device)) return true;
  if (base.size() == 4 && (EqualsNoCase(base.substr(0, 3), "COM") || EqualsNoCase(base.substr(0, 3), "LPT"))) {
    unsigned char digit = static_cast<unsigned char>(base[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  }
  return false;
}

bool IsSafeMemberPath(std::string_view path) {
  if (path.empty() || IsSeparator(path[0]) || path.find(':') != std::string_view::npos) return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string_view component = path.substr(start, end - start);
    if (component.empty() || IsDotsAndBlanks(component) || IsDeviceName(component)) return false;
    start = end + 1;
  }
  return true;
}

bool IsValidVolumeName(std::string_view name) {
  if (name.empty() || name.size() > kVolumeNameSize - 1) return false;
  for (char c : name)
    if (IsSeparator(c) || c == ':') return false;
  return !IsDotsAndBlanks(name) && !IsDeviceName(name);
}

// The directory part of a path, up to and including its last backslash.
static std::string DirectoryPart(const std::string& path) {
  size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// ---- building containers ----------------------------------------------------------

int LayOutContainer(const std::vector<PackedMember>& members, uint32_t volumeSize,
                    const std::function<std::string(int)>& volumeName, std::vector<ContainerVolume>* volumes) {
  volumes->clear();
  if (volumeSize != 0 && volumeSize < kMinimumVolumeSize) return kLayoutVolumeTooSmall;
  if (members.size() > 0x7FFF) return kLayoutTooManyMembers;
  for (const PackedMember& m : members) {
    if (m.path.size() > kMemberPathSize - 1 || !IsSafeMemberPath(m.path)) return kLayoutBadPath;
    if (m.data.size() > 0xFFFFFFFFu) return kLayoutMemberTooLarge;
  }
  std::vector<int16_t> counts;
  auto startVolume = [&]() {
    volumes->push_back(ContainerVolume());
    volumes->back().bytes.assign(kVolumeHeaderSize, '\0');  // filled in at the end
    counts.push_back(0);
  };
  auto room = [&]() -> uint64_t {
    return volumeSize == 0 ? UINT64_MAX : uint64_t(volumeSize) - volumes->back().bytes.size();
  };
  startVolume();
  for (const PackedMember& m : members) {
    uint64_t needed = kMemberHeaderSize + (m.data.empty() ? 0 : 1);
    if (room() < needed) startVolume();
    MemberHeader header;
    header.path = m.path;
    header.attributes = m.attributes;
    header.compressedSize = uint32_t(m.data.size());
    header.dosDate = m.dosDate;
    header.dosTime = m.dosTime;
    uint8_t raw[kMemberHeaderSize];
    WriteMemberHeader(header, raw);
    volumes->back().bytes.append(reinterpret_cast<const char*>(raw), kMemberHeaderSize);
    ++counts.back();
    size_t done = 0;
    while (done < m.data.size()) {
      if (room() == 0) startVolume();
      size_t take = size_t(std::min<uint64_t>(room(), m.data.size() - done));
      volumes->back().bytes.append(m.data, done, take);
      done += take;
    }
  }
  for (size_t i = 0; i < volumes->size(); ++i) {
    if (i > 0) {
      (*volumes)[i].name = volumeName(int(i + 1));
      if (!IsValidVolumeName((*volumes)[i].name)) {
        volumes->clear();
        return kLayoutBadVolumeName;
      }
    }
  }
  for (size_t i = 0; i < volumes->size(); ++i) {
    VolumeHeader header;
    if (i + 1 < volumes->size()) header.nextVolume = (*volumes)[i + 1].name;
    header.magic = kContainerMagic;
    header.kind = i == 0 ? kContainerMagic : kContinuationMagic;
    header.memberCount = i == 0 ? int16_t(members.size()) : counts[i];
    uint8_t raw[kVolumeHeaderSize];
    WriteVolumeHeader(header, raw);
    (*volumes)[i].bytes.replace(0, kVolumeHeaderSize, reinterpret_cast<const char*>(raw), kVolumeHeaderSize);
  }
  return kLayoutOk;
}

// ---- extraction -----------------------------------------------------------------

namespace {

class Unshrinker {
 public:
  Unshrinker(SetupContext& ctx, CopyHost& host, const std::string& target, const std::string& source,
             OverwritePolicy mode, uint32_t attributes)
      : ctx_(ctx), host_(host), files_(ctx.files()), vfs_(ctx.archive), target_(target), source_(source),
        mode_(mode), attributes_(attributes) {}

  int Run();

 private:
  // Reads up to `count` bytes of the current volume, looping over short
  // reads; -1 on a read error.
  int32_t ReadVolume(void* buffer, int32_t count);
  bool ReadMemberHeader();
  bool OpenNextVolume();
  bool SkipData(uint32_t remaining);
  bool ShouldWrite(const std::string& target);
  bool Extract(const std::string& target);

  unsigned ReadData(char* buffer, unsigned capacity);
  void WriteData(const char* buffer, unsigned size);
  void FlushOutput();
  static unsigned ReadThunk(char* buffer, unsigned* size, void* user) {
    return static_cast<Unshrinker*>(user)->ReadData(buffer, *size);
  }
  static void WriteThunk(char* buffer, unsigned* size, void* user) {
    static_cast<Unshrinker*>(user)->WriteData(buffer, *size);
  }

  void ShowError(const std::string& text) { ctx_.ShowMessage(text, std::nullopt, kMbOk | kMbIconWarning); }
  const std::string& Text(PromptId id) const { return ctx_.Prompt(id); }

  SetupContext& ctx_;
  CopyHost& host_;
  FileSystem& files_;
  VirtualFileSystem& vfs_;
  const std::string target_;
  const std::string source_;
  const OverwritePolicy mode_;
  const uint32_t attributes_;

  std::unique_ptr<VirtualFile> volume_;  // null between volumes
  std::string volumePath_;
  std::string destinationDirectory_;
  std::string sourceDirectory_;
  VolumeHeader volumeHeader_;
  MemberHeader member_;
  int32_t expected_ = 0;    // members still expected
  uint32_t delivered_ = 0;  // bytes of the member's data handed to the decompressor
  std::unique_ptr<FileHandle> output_;
  std::unique_ptr<FileHandle> existing_;  // the target as it was, while deciding
  bool abort_ = false;
  bool ranOut_ = false;  // the member's data ended with the last volume
  int32_t progressMark_ = 0;
  std::unique_ptr<uint8_t[]> workArea_;
  // The decompressor delivers 4096 bytes at a time; they are gathered here
  // and written in larger blocks (a write costs about as much for 4 KB as
  // for 64 KB).
  std::unique_ptr<char[]> pending_;
  uint32_t pendingSize_ = 0;
};

constexpr uint32_t kOutputBlockSize = 65536;

int32_t Unshrinker::ReadVolume(void* buffer, int32_t count) {
  if (!volume_) return -1;
  int32_t total = 0;
  while (total < count) {
    int32_t got = vfs_.Read(*volume_, static_cast<char*>(buffer) + total, count - total);
    if (got < 0) return -1;
    if (got == 0) break;
    total += got;
  }
  return total;
}

int Unshrinker::Run() {
  abort_ = false;
  volume_ = vfs_.Open(source_);
  // A source that cannot be opened is left to the plain copy, which reports it.
  if (!volume_) return kUnshrinkNotContainer;
  volumePath_ = source_;
  destinationDirectory_ = DirectoryPart(target_);
  sourceDirectory_ = DirectoryPart(source_);

  uint8_t raw[kVolumeHeaderSize];
  if (ReadVolume(raw, kVolumeHeaderSize) != int32_t(kVolumeHeaderSize)) return kUnshrinkNotContainer;
  ParseVolumeHeader(raw, &volumeHeader_);
  if (!volumeHeader_.IsFirstVolume()) return kUnshrinkNotContainer;
  expected_ = volumeHeader_.memberCount;

  workArea_.reset(new (std::nothrow) uint8_t[kExplodeWorkAreaSize]());
  pending_.reset(new (std::nothrow) char[kOutputBlockSize]);
  if (!workArea_ || !pending_) {
    ShowError(Text(PromptId::kExpansionMemoryError));
    return kUnshrinkStopped;
  }

  for (;;) {
    if (host_.PumpMessages()) return kUnshrinkStopped;
    // The count in the first volume says how many members there are; data
    // after the last one (padding, say) is not taken for a member.
    if (expected_ == 0) return kUnshrinkDone;
    if (!ReadMemberHeader()) return kUnshrinkStopped;
    --expected_;

    std::string path = member_.path;
    for (char& c : path)
      if (c == '/') c = '\\';
    if (!member_.pathTerminated || !IsSafeMemberPath(path)) {
      ShowError(Text(PromptId::kBadArchiveError) + volumePath_);
      return kUnshrinkStopped;
    }
    std::string target = destinationDirectory_ + path;
    if (path.find('\\') != std::string::npos) MakeDirectoryPath(ctx_, target.substr(0, target.find_last_of('\\')));

    if (!ShouldWrite(target)) {
      ProgressCounters& counters = host_.Counters();
      if (counters.CountsBytes() && existing_) {
        counters.Add(existing_->Size());
        host_.Progress(0);
      }
      existing_.reset();
      host_.ShowFileName(member_.path);
      host_.Progress(0);
      if (!SkipData(member_.compressedSize)) return kUnshrinkStopped;
      if (host_.Counters().CountsBytes()) host_.Progress(0);
      continue;
    }
    if (!Extract(target)) return kUnshrinkStopped;
  }
}

// Reads the next member header, moving on to the next volume when the
// current one has no complete header left.
bool Unshrinker::ReadMemberHeader() {
  uint8_t raw[kMemberHeaderSize];
  if (ReadVolume(raw, kMemberHeaderSize) != int32_t(kMemberHeaderSize)) {
    if (volumeHeader_.nextVolume.empty()) {
      ShowError(Text(PromptId::kReadFileError) + volumePath_);
      return false;
    }
    if (!OpenNextVolume()) return false;
    if (ReadVolume(raw, kMemberHeaderSize) != int32_t(kMemberHeaderSize)) {
      ShowError(Text(PromptId::kReadFileError) + volumePath_);
      return false;
    }
  }
  ParseMemberHeader(raw, &member_);
  return true;
}

bool Unshrinker::OpenNextVolume() {
  volume_.reset();
  const std::string name = volumeHeader_.nextVolume;
  if (!volumeHeader_.nameTerminated || !IsValidVolumeName(name)) {
    ShowError(Text(PromptId::kBadArchiveError) + volumePath_);
    return false;
  }
  const std::string path = sourceDirectory_ + name;
  ctx_.continuationName = name;
  if (host_.PumpMessages()) return false;
  for (bool first = true; !volume_; first = false) {
    if (host_.AskNextDisk(first, false) != 0) return false;
    volume_ = vfs_.Open(path);
  }
  volumePath_ = path;
  host_.Progress(0);
  uint8_t raw[kVolumeHeaderSize];
  VolumeHeader header;
  if (ReadVolume(raw, kVolumeHeaderSize) == int32_t(kVolumeHeaderSize)) {
    ParseVolumeHeader(raw, &header);
    if (header.IsContinuation()) {
      volumeHeader_ = header;  // the member count is not taken from it
      return true;
    }
  }
  ShowError(Text(PromptId::kBadArchiveError) + path);
  volume_.reset();
  return false;
}

// Moves past `remaining` bytes of member data, across volumes. The end of
// the last volume ends the skip quietly: the next member header read then
// decides whether anything is missing.
bool Unshrinker::SkipData(uint32_t remaining) {
  for (;;) {
    int32_t position = vfs_.Tell(*volume_);
    if (position < 0) {
      ShowError(Text(PromptId::kReadDiskError));
      return false;
    }
    int64_t left = int64_t(volume_->Size()) - position;
    if (left < 0) left = 0;
    if (left >= int64_t(remaining) || volumeHeader_.nextVolume.empty()) {
      int32_t step = int32_t(std::min<int64_t>(left, remaining));
      if (vfs_.Seek(*volume_, step, 1) < 0) {
        ShowError(Text(PromptId::kReadDiskError));
        return false;
      }
      return true;
    }
    remaining -= uint32_t(left);
    if (!OpenNextVolume()) return false;
  }
}

// Applies the overwrite mode to an existing target. Keeps the existing file
// open in existing_ when it is to be kept, for its length.
bool Unshrinker::ShouldWrite(const std::string& target) {
  if (mode_ == OverwritePolicy::kYes) {
    ClearAttributes(files_, target);
    return true;
  }
  existing_ = files_.Open(target, OpenMode::kRead);
  if (!existing_) return true;
  switch (mode_) {
    case OverwritePolicy::kAsk:
      if (ctx_.ShowMessage(Text(PromptId::kFileExist) + target + "?", std::string(), kMbYesNo | kMbIconQuestion) ==
          kIdYes) {
        existing_.reset();
        files_.SetAttributes(target, kAttrNormal);
        return true;
      }
      return false;
    case OverwritePolicy::kNew: {
      DosDateTime current;  // 0 when the date cannot be read
      if (!files_.GetModified(target, &current)) current = DosDateTime{0, 0};
      if (member_.dosDate > current.date || (member_.dosDate == current.date && member_.dosTime > current.time)) {
        existing_.reset();
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

// Writes one member to `target`, dates it, sets its attributes and journals
// it. A target that cannot be completed is removed again.
bool Unshrinker::Extract(const std::string& target) {
  output_ = files_.Open(target, OpenMode::kCreate);
  if (!output_) {
    ShowError(Text(PromptId::kCreateFileError) + target);
    return false;
  }
  delivered_ = 0;
  host_.ShowFileName(target);
  host_.Progress(0);
  ProgressCounters& counters = host_.Counters();
  if (member_.compressedSize != 0) {
    progressMark_ = counters.bytesDone;
    ranOut_ = false;
    pendingSize_ = 0;
    int result = ExplodeStream(&ReadThunk, &WriteThunk, workArea_.get(), this);
    if (result == kExplodeOk) FlushOutput();
    bool ok = result == kExplodeOk && !abort_;
    if (!ok && !abort_) {
      // Data missing at the end of the container, or data that is no stream.
      ShowError(ranOut_ ? Text(PromptId::kReadFileError) + volumePath_ : Text(PromptId::kBadArchiveError) + volumePath_);
    }
    // A stream that ends before its stated size leaves data to pass over.
    if (ok && delivered_ < member_.compressedSize) ok = SkipData(member_.compressedSize - delivered_);
    if (!ok) {
      output_.reset();
      files_.DeleteFile(target);
      return false;
    }
  }
  if (counters.CountsBytes()) host_.Progress(0);
  // Dated through the handle that wrote it, so that closing it cannot move
  // the date again.
  output_->SetModifiedAndAttributes(DosDateTime{member_.dosDate, member_.dosTime}, attributes_);
  output_.reset();
  AppendJournal(ctx_, "FILE: \"" + target + "\"");
  return true;
}

unsigned Unshrinker::ReadData(char* buffer, unsigned capacity) {
  if (abort_) return 0;
  uint32_t n = std::min<uint32_t>(capacity, member_.compressedSize - delivered_);
  uint32_t total = 0;
  bool fresh = false;  // a volume was just opened for this read
  while (total < n) {
    int32_t got = ReadVolume(buffer + total, int32_t(n - total));
    if (got < 0 || (got == 0 && fresh)) {
      ShowError(Text(PromptId::kReadDiskError));
      abort_ = true;
      return 0;
    }
    if (got == 0) {
      if (volumeHeader_.nextVolume.empty()) {
        // The container ends before the member's stated size. The stream
        // may still be complete; the decompressor's result tells.
        ranOut_ = true;
        break;
      }
      if (!OpenNextVolume()) {
        abort_ = true;
        return 0;
      }
      fresh = true;
      continue;
    }
    fresh = false;
    total += uint32_t(got);
  }
  delivered_ += total;
  return total;
}

// Writes what was gathered; a short or failed write shows the error and
// ends the extraction.
void Unshrinker::FlushOutput() {
  if (abort_ || pendingSize_ == 0) return;
  int32_t written = output_->Write(pending_.get(), pendingSize_);
  if (written != int32_t(pendingSize_)) {
    abort_ = true;
    ShowError(Text(PromptId::kWriteDiskError));
  }
  pendingSize_ = 0;
}

void Unshrinker::WriteData(const char* buffer, unsigned size) {
  if (abort_) return;
  for (unsigned done = 0; done < size && !abort_;) {
    uint32_t n = std::min<uint32_t>(size - done, kOutputBlockSize - pendingSize_);
    std::memcpy(pending_.get() + pendingSize_, buffer + done, n);
    pendingSize_ += n;
    done += n;
    if (pendingSize_ == kOutputBlockSize) FlushOutput();
  }
  ProgressCounters& counters = host_.Counters();
  if (counters.CountsBytes()) {
    counters.Add(size);
    if (int64_t(counters.bytesDone) - progressMark_ > kProgressStep) {
      progressMark_ = counters.bytesDone;
      host_.Progress(0);
    }
  }
}

}  // namespace

int UnshrinkContainer(SetupContext& ctx, CopyHost& host, const std::string& target, const std::string& source,
                      OverwritePolicy mode, uint32_t attributes) {
  Unshrinker unshrinker(ctx, host, target, source, mode, attributes);
  return unshrinker.Run();
}

void ClearAttributes(FileSystem& files, const std::string& path) {
  // Asking first costs less than a refused change where nothing is there.
  if (files.GetAttributes(path) != kInvalidAttributes) files.SetAttributes(path, kAttrNormal);
}

bool IsSplitContainerStart(SetupContext& ctx, const std::string& source) {
  std::unique_ptr<VirtualFile> file = ctx.archive.Open(source);
  if (!file) return false;
  uint8_t raw[kVolumeHeaderSize];
  int32_t total = 0;
  while (total < int32_t(kVolumeHeaderSize)) {
    int32_t got = ctx.archive.Read(*file, raw + total, int32_t(kVolumeHeaderSize) - total);
    if (got <= 0) return false;
    total += got;
  }
  VolumeHeader header;
  ParseVolumeHeader(raw, &header);
  return header.IsFirstVolume() && !header.nextVolume.empty();
}

}  // namespace quorril
