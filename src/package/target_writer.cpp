// Writing installed files and their directories (see target_writer.h).
#include "package/target_writer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "journal/journal.h"
#include "platform/windows_path.h"

namespace quorril {

namespace {

constexpr uint32_t kBlockSize = 65536;
constexpr const char kTemporaryName[] = "~Zemko.tmp";

}  // namespace

TargetWriter::TargetWriter(const CopyContext& copy, std::string target) : copy_(copy), target_(std::move(target)) {}

TargetWriter::~TargetWriter() { Abandon(); }

bool TargetWriter::TakeBlock() {
  if (!block_) block_.reset(new (std::nothrow) char[kBlockSize]);
  return block_ != nullptr;
}

void TargetWriter::Begin() {
  blockUsed_ = 0;
  failed_ = false;
  copy_.host.ShowFileName(target_);
  progressMark_ = copy_.host.Counters().bytesDone;
}

bool TargetWriter::CreateIfNew() {
  if (output_ || !TakeBlock()) return false;
  written_ = target_;
  newTried_ = true;
  output_ = copy_.files.Open(target_, OpenMode::kCreateNew);
  if (!output_) return false;
  Begin();
  return true;
}

bool TargetWriter::Create() {
  if (!TakeBlock()) {
    copy_.host.ReportFailure(CopyFailure::kNoMemory, std::string());
    return false;
  }
  // A target that is not there yet is made as a new file: nothing needs to
  // be looked up first, and the file system has no old contents to let go
  // of (some write a truncated file back when it is closed). After
  // CreateIfNew, that has been tried.
  written_ = target_;
  if (!newTried_) output_ = copy_.files.Open(target_, OpenMode::kCreateNew);
  if (!output_) {
    // A file that stands under the target's name is replaced only once the
    // new one is whole: until then the new bytes go to a temporary beside it.
    uint32_t existing = copy_.files.GetAttributes(target_);
    // (A read-only file cannot be replaced: opening it fails as before.)
    if (existing != kInvalidAttributes && !(existing & (kAttrDirectory | kAttrReadOnly)))
      written_ = JoinPath(DirectoryPart(target_), kTemporaryName);
    output_ = copy_.files.Open(written_, OpenMode::kCreate);
  }
  if (!output_) {
    copy_.host.ReportFailure(CopyFailure::kCreateFile, target_);
    return false;
  }
  Begin();
  return true;
}

bool TargetWriter::Flush() {
  if (failed_ || !output_) return false;
  if (blockUsed_ == 0) return true;
  int32_t written = output_->Write(block_.get(), blockUsed_);
  bool whole = written == int32_t(blockUsed_);
  blockUsed_ = 0;
  if (!whole) {
    // A failed or short write: a full disk, say.
    failed_ = true;
    copy_.host.ReportFailure(CopyFailure::kWriteDisk, std::string());
  }
  return whole;
}

bool TargetWriter::Write(const char* data, uint32_t size, uint32_t piece) {
  if (failed_ || !output_) return false;
  uint32_t done = 0;
  // Whole blocks with nothing gathered before them go to the file as they
  // are, in one write of at most kDirectLimit bytes at a time.
  constexpr uint32_t kDirectLimit = 1u << 24;
  while (blockUsed_ == 0 && size - done >= kBlockSize) {
    uint32_t direct = std::min<uint32_t>(size - done, kDirectLimit);
    direct -= direct % kBlockSize;
    if (output_->Write(data + done, direct) != int32_t(direct)) {
      failed_ = true;
      copy_.host.ReportFailure(CopyFailure::kWriteDisk, std::string());
      return false;
    }
    done += direct;
  }
  while (done < size) {
    uint32_t n = std::min<uint32_t>(size - done, kBlockSize - blockUsed_);
    std::memcpy(block_.get() + blockUsed_, data + done, n);
    blockUsed_ += n;
    done += n;
    if (blockUsed_ == kBlockSize && !Flush()) return false;
  }
  bytesWritten_ += size;
  ProgressCounters& counters = copy_.host.Counters();
  if (!counters.CountsBytes()) return true;
  uint32_t counted = 0;
  do {
    uint32_t n = std::min<uint32_t>(size - counted, piece == 0 ? size : piece);
    counted += n;
    counters.Add(n);
    if (int64_t(counters.bytesDone) - progressMark_ > kProgressStep) {
      progressMark_ = counters.bytesDone;
      copy_.host.Progress(0);
    }
  } while (counted < size);
  return true;
}

bool TargetWriter::Finish(DosDateTime when, uint32_t attributes) {
  if (!output_ || !Flush()) {
    Abandon();
    return false;
  }
  output_->SetModifiedAndAttributes(when, attributes);
  output_.reset();
  if (written_ != target_ && !copy_.files.ReplaceFile(written_, target_)) {
    copy_.files.DeleteFile(written_);
    copy_.host.ReportFailure(CopyFailure::kWriteDisk, std::string());
    return false;
  }
  AppendJournal(copy_.files, copy_.journal, "FILE: \"" + target_ + "\"");
  copy_.host.Counters().installedBytes += bytesWritten_;
  return true;
}

void TargetWriter::Abandon() {
  if (!output_) return;
  output_.reset();
  copy_.files.DeleteFile(written_);
}

int MakeDirectoryPath(FileSystem& files, Journal& journal, const std::string& path) {
  std::string collected;
  // One step per level: the prefix that ends before each backslash, then
  // the whole path (unless it ends in a backslash, which names the same
  // directory as the last prefix).
  for (size_t end = 0; end <= path.size(); ++end) {
    if (end < path.size() ? path[end] != '\\' : (end == 0 || path[end - 1] == '\\')) continue;
    std::string prefix = path.substr(0, end);
    if (prefix.size() == 2 && prefix[1] == ':') prefix += '\\';
    if (prefix.size() < 4) continue;  // the root
    if (files.SetCurrentDirectory(prefix)) continue;
    bool created = files.CreateDirectory(prefix);
    if (created) {
      collected += "DIRECTORY: \"" + prefix + "\"\n";
      ProtectCreatedDirectory(files, journal, prefix);
    }
    if (!created || !files.SetCurrentDirectory(prefix)) {
      // The levels made before the failure stay, and the journal says so.
      if (!collected.empty()) AppendJournal(files, journal, collected);
      return kMakeDirectoryFailed;
    }
  }
  if (!collected.empty()) AppendJournal(files, journal, collected);
  return kMakeDirectoryOk;
}

int MakeTargetDirectory(const CopyContext& copy, const std::string& path) {
  int result = MakeDirectoryPath(copy.files, copy.journal, path);
  if (result != kMakeDirectoryOk) copy.host.ReportFailure(CopyFailure::kBadDirectory, path);
  return result;
}

}  // namespace quorril
