// Embedded archive lookup and the virtual file operations.
#include "package/virtual_file.h"

#include <cstring>

#include "platform/little_endian.h"
#include "platform/text.h"

namespace quorril {

void VirtualFileSystem::ForgetArchive() {
  handle_.reset();
  firstEntry_ = lastEntry_ = 0;
  archiveSize_ = 0;
  ++generation_;
  indexed_ = false;
  entries_.clear();
  index_.clear();
}

void VirtualFileSystem::AttachArchive(const std::string& executablePath) {
  ForgetArchive();
  lookup_ = TrailerLookup();
  path_ = executablePath;
}

void VirtualFileSystem::DetachArchive() {
  ForgetArchive();
  path_.clear();
}

void VirtualFileSystem::FindArchive() {
  if (handle_ || path_.empty()) return;
  std::unique_ptr<FileHandle> file = files_->Open(path_, OpenMode::kRead);
  const int64_t size = file ? file->Size() : -1;
  lookup_ = TrailerLookup();
  if (file && size >= 0)
    lookup_ = FindPayloadTrailer(size, [&](int64_t offset, void* buffer, uint32_t count) {
      return file->Seek(offset, 0) == offset && file->Read(buffer, count) == int32_t(count);
    });
  if (!lookup_.Found()) {
    path_.clear();
    firstEntry_ = lastEntry_ = 0;
    return;
  }
  handle_ = std::move(file);
  // Entries lie in front of the trailer; a signed file's certificate table
  // is no part of the payload.
  archiveSize_ = lookup_.PayloadEnd();
  firstEntry_ = lookup_.firstEntry;
  lastEntry_ = lookup_.lastEntry;
}

bool VirtualFileSystem::HasArchive() {
  FindArchive();
  return handle_ && firstEntry_ != 0;
}

bool VirtualFileSystem::MemberUsable(const VirtualFile& file) const {
  return handle_ && file.generation_ == generation_ && !disabled_;
}

// The lookup name: base name and extension, without drive and directory.
static std::string LookupName(const std::string& path) {
  size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool VirtualFileSystem::WalkArchive(const std::function<bool(const ArchiveEntry&)>& visit) {
  FindArchive();
  if (!handle_ || firstEntry_ == 0 || disabled_) return false;
  // Every entry takes at least a header, so no sound chain holds more
  // entries than this; offsets must also move forward, which rules out loops.
  // An offset outside the file ends the walk as well.
  const int64_t maxEntries = archiveSize_ / kArchiveHeaderSize + 1;
  int64_t offset = firstEntry_;
  int64_t previous = -1;
  for (int64_t visited = 0; offset != 0; ++visited) {
    if (visited == maxEntries || offset <= previous || offset + int64_t(kArchiveHeaderSize) > archiveSize_)
      return false;
    uint8_t header[kArchiveHeaderSize];
    if (handle_->Seek(offset, 0) != offset ||
        handle_->Read(header, kArchiveHeaderSize) != int32_t(kArchiveHeaderSize))
      return false;
    ArchiveEntry entry;
    entry.dataOffset = offset + kArchiveHeaderSize;
    entry.size = ReadLe32(header + 16);
    entry.attributes = ReadLe32(header + 4) & 0xFFFF;
    entry.dosTime = uint16_t(ReadLe32(header + 8));
    entry.dosDate = uint16_t(ReadLe32(header + 12));
    const char* name = reinterpret_cast<const char*>(header + 20);
    entry.name.assign(name, strnlen(name, kArchiveNameSize));
    if (!visit(entry)) return true;
    previous = offset;
    offset = ReadLe32(header);
  }
  return true;
}

const ArchiveEntry* VirtualFileSystem::FindEntry(const std::string& name) {
  if (!indexed_) {
    indexed_ = true;
    WalkArchive([&](const ArchiveEntry& entry) {
      if (index_.emplace(AsciiUpperCopy(entry.name), entries_.size()).second) entries_.push_back(entry);
      return true;
    });
  }
  auto found = index_.find(AsciiUpperCopy(name));
  return found == index_.end() ? nullptr : &entries_[found->second];
}

std::unique_ptr<VirtualFile> VirtualFileSystem::Open(const std::string& path) {
  FindArchive();
  std::string name = LookupName(path);
  if (handle_ && firstEntry_ != 0 && !disabled_ && !name.empty()) {
    if (const ArchiveEntry* entry = FindEntry(name)) {
      uint32_t size = entry->size;
      // A size that runs past the end of the file is cut to what is there,
      // and reading past the cut fails.
      bool cut = entry->dataOffset + int64_t(size) > archiveSize_;
      if (cut) size = uint32_t(archiveSize_ - entry->dataOffset);
      if (size > 0x7FFFFFFFu) size = 0x7FFFFFFF;
      auto found = std::unique_ptr<VirtualFile>(new VirtualFile());
      found->dataOffset_ = entry->dataOffset;
      found->size_ = int32_t(size);
      found->attributes_ = entry->attributes;
      found->dosTime_ = entry->dosTime;
      found->dosDate_ = entry->dosDate;
      found->generation_ = generation_;
      found->cut_ = cut;
      return found;
    }
  }
  if (path.find_first_of("*?") != std::string::npos) return nullptr;
  DosDateTime when;
  if (!files_->GetModified(path, &when)) return nullptr;
  std::unique_ptr<FileHandle> disk = files_->Open(path, OpenMode::kRead);
  if (!disk) return nullptr;
  auto file = std::unique_ptr<VirtualFile>(new VirtualFile());
  int64_t size = disk->Size();
  file->size_ = size < 0 ? 0 : size > 0x7FFFFFFF ? 0x7FFFFFFF : int32_t(size);
  file->attributes_ = files_->GetAttributes(path);
  file->dosDate_ = when.date;
  file->dosTime_ = when.time;
  file->disk_ = std::move(disk);
  return file;
}

int32_t VirtualFileSystem::Read(VirtualFile& file, void* buffer, int32_t count) {
  if (count < 0) return -1;
  if (file.disk_) return file.disk_->Read(buffer, uint32_t(count));
  if (!MemberUsable(file)) return -1;
  if (count == 0) return 0;
  int32_t left = file.size_ - file.position_;
  if (left <= 0) return file.cut_ ? -1 : 0;
  if (count > left) count = left;
  if (handle_->Seek(file.dataOffset_ + file.position_, 0) < 0) return -1;
  int32_t got = handle_->Read(buffer, uint32_t(count));
  if (got < 0) return -1;
  file.position_ += got;
  return got;
}

int32_t VirtualFileSystem::Seek(VirtualFile& file, int32_t offset, int origin) {
  if (file.disk_) {
    int64_t pos = file.disk_->Seek(offset, origin);
    return pos < 0 || pos > 0x7FFFFFFF ? -1 : int32_t(pos);
  }
  if (!MemberUsable(file)) return -1;
  int64_t base = origin == 0 ? 0 : origin == 2 ? file.size_ : file.position_;
  int64_t pos = base + offset;
  if (pos < 0) pos = 0;
  if (pos > file.size_) pos = file.size_;
  file.position_ = int32_t(pos);
  return file.position_;
}

int32_t VirtualFileSystem::Tell(VirtualFile& file) {
  if (file.disk_) {
    int64_t pos = file.disk_->Seek(0, 1);
    return pos < 0 || pos > 0x7FFFFFFF ? -1 : int32_t(pos);
  }
  if (!MemberUsable(file)) return -1;
  return file.position_;
}

bool VirtualFileSystem::ReadLine(VirtualFile& file, std::string* line, size_t capacity) {
  line->clear();
  if (capacity < 2) return false;
  // Read in blocks and give back what follows the line, so that a script is
  // not read one byte at a time.
  char block[512];
  while (line->size() < capacity - 1) {
    int32_t want = int32_t(sizeof block);
    int32_t got = Read(file, block, want);
    if (got < 0) return false;
    if (got == 0) return !line->empty();
    int32_t used = 0;
    bool done = false;
    while (used < got) {
      char c = block[used++];
      if (c == '\r') continue;
      line->push_back(c);
      if (c == '\n' || line->size() >= capacity - 1) {
        done = true;
        break;
      }
    }
    if (used < got && Seek(file, used - got, 1) < 0) return false;
    if (done) return true;
  }
  return true;
}

}  // namespace quorril
