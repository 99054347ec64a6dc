// FaultFileSystem (see fault_file_system.h): each call asks Fault() first,
// then passes on; the handles it gives out do the same and apply the disk
// room and the unreadable files.
#include "platform/memory/fault_file_system.h"

#include "platform/text.h"

namespace quorril {

class FaultFileSystem::Handle : public FileHandle {
 public:
  Handle(FaultFileSystem* owner, std::unique_ptr<FileHandle> inner, std::string path, bool unreadable)
      : owner_(owner), inner_(std::move(inner)), path_(std::move(path)), unreadable_(unreadable) {}

  int32_t Read(void* buffer, uint32_t count) override {
    if (owner_->Fault() || unreadable_) return -1;
    return inner_->Read(buffer, count);
  }
  int32_t Write(const void* buffer, uint32_t count) override {
    if (owner_->Fault()) return -1;
    uint32_t room = owner_->Room(path_, count);
    if (room == 0 && count > 0) {
      owner_->faultError_ = kErrorDiskFull;
      return owner_->full_;
    }
    int32_t written = inner_->Write(buffer, room);
    if (written > 0 && owner_->room_ != kUnlimited && owner_->Matches(owner_->roomPath_, path_))
      owner_->room_ -= written;
    return written;
  }
  int64_t Seek(int64_t offset, int origin) override { return owner_->Fault() ? -1 : inner_->Seek(offset, origin); }
  int64_t Size() override { return owner_->Fault() ? -1 : inner_->Size(); }
  bool SetModifiedAndAttributes(DosDateTime when, uint32_t attributes) override {
    return !owner_->Fault() && inner_->SetModifiedAndAttributes(when, attributes);
  }

 private:
  FaultFileSystem* owner_;
  std::unique_ptr<FileHandle> inner_;
  std::string path_;
  bool unreadable_;
};

void FaultFileSystem::FailCall(int64_t n, Persistence persistence) {
  calls_ = 0;
  failures_ = 0;
  failAt_ = n;
  persistence_ = persistence;
}

void FaultFileSystem::FillDisk(int64_t room, const std::string& path, int32_t full) {
  room_ = room < 0 ? 0 : room;
  roomPath_ = path;
  full_ = full;
}

void FaultFileSystem::FailReadsOf(const std::string& path) { unreadable_.push_back(path); }

bool FaultFileSystem::Fault() {
  ++calls_;
  faultError_ = 0;
  bool fail = shared_ ? shared_->Fault()
                      : failAt_ > 0 && (calls_ == failAt_ || (persistence_ == Persistence::kFromThenOn && calls_ > failAt_));
  if (fail) {
    ++failures_;
    faultError_ = kErrorAccessDenied;
  }
  return fail;
}

bool FaultFileSystem::Matches(const std::string& filter, const std::string& path) const {
  return filter.empty() || EqualsNoCase(inner_.Resolve(filter), inner_.Resolve(path));
}

uint32_t FaultFileSystem::Room(const std::string& path, uint32_t count) {
  if (room_ == kUnlimited || !Matches(roomPath_, path)) return count;
  return room_ < int64_t(count) ? uint32_t(room_) : count;
}

std::unique_ptr<FileHandle> FaultFileSystem::Open(const std::string& path, OpenMode mode) {
  if (Fault()) return nullptr;
  std::unique_ptr<FileHandle> handle = inner_.Open(path, mode);
  if (!handle) return nullptr;
  bool unreadable = false;
  for (const std::string& p : unreadable_) unreadable = unreadable || Matches(p, path);
  return std::make_unique<Handle>(this, std::move(handle), path, unreadable);
}

bool FaultFileSystem::Find(const std::string& pattern, std::vector<FindEntry>* entries) {
  return !Fault() && inner_.Find(pattern, entries);
}
uint32_t FaultFileSystem::GetAttributes(const std::string& path) {
  return Fault() ? kInvalidAttributes : inner_.GetAttributes(path);
}
bool FaultFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  return !Fault() && inner_.SetAttributes(path, attributes);
}
bool FaultFileSystem::GetModified(const std::string& path, DosDateTime* when) {
  return !Fault() && inner_.GetModified(path, when);
}
bool FaultFileSystem::SetModified(const std::string& path, DosDateTime when) {
  return !Fault() && inner_.SetModified(path, when);
}
bool FaultFileSystem::CreateDirectory(const std::string& path) { return !Fault() && inner_.CreateDirectory(path); }
bool FaultFileSystem::RemoveDirectory(const std::string& path) { return !Fault() && inner_.RemoveDirectory(path); }
bool FaultFileSystem::ProtectDirectory(const std::string& path) {
  return !Fault() && inner_.ProtectDirectory(path);
}
bool FaultFileSystem::DeleteFile(const std::string& path) { return !Fault() && inner_.DeleteFile(path); }
bool FaultFileSystem::MoveFile(const std::string& from, const std::string& to) {
  return !Fault() && inner_.MoveFile(from, to);
}
bool FaultFileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  return !Fault() && inner_.ReplaceFile(from, to);
}
bool FaultFileSystem::DeleteFileAtRestart(const std::string& path) {
  return !Fault() && inner_.DeleteFileAtRestart(path);
}
bool FaultFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  return !Fault() && inner_.CopyFile(from, to, failIfExists);
}
bool FaultFileSystem::SetCurrentDirectory(const std::string& path) {
  return !Fault() && inner_.SetCurrentDirectory(path);
}
DriveType FaultFileSystem::GetDriveType(const std::string& root) {
  return Fault() ? DriveType::kNoRootDir : inner_.GetDriveType(root);
}
bool FaultFileSystem::GetVolumeLabel(const std::string& root, std::string* label) {
  return !Fault() && inner_.GetVolumeLabel(root, label);
}
bool FaultFileSystem::GetDiskFreeSpace(const std::string& root, DiskSpace* space) {
  return !Fault() && inner_.GetDiskFreeSpace(root, space);
}
bool FaultFileSystem::GetShortPathName(const std::string& path, std::string* shortPath) {
  return !Fault() && inner_.GetShortPathName(path, shortPath);
}
bool FaultFileSystem::GetTempDirectory(std::string* path) { return !Fault() && inner_.GetTempDirectory(path); }

}  // namespace quorril
