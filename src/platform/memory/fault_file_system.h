// FaultFileSystem: the in-memory file system with faults made to order, so
// that a test can drive every failure path of the code above it.
//
// It passes every call on to the MemoryFileSystem it wraps, and counts them:
// every call of the port and of the handles it gave out, except
// GetCurrentDirectory and LastError, which cannot fail. The faults, in any
// combination:
//  - FailCall(n, persistence): the n-th counted call from now fails, once or
//    from then on. Running a step with the fault at call 1, 2, 3 ... until
//    it succeeds shows that every failure ends cleanly.
//  - FillDisk(room, path): writes store at most `room` more bytes, to every
//    file or only to the file `path`. A write beyond that stores what is
//    left and returns that count (a short write); with nothing left it
//    returns `full` (0 or -1). UnfillDisk() lifts the limit.
//  - FailReadsOf(path): reads through handles opened on `path` return -1.
//  - Given a FaultSchedule, it counts its calls there instead, with the
//    other ports of a run (platform/memory/fault_ports.h), and the
//    schedule decides which fail.
// A failing call returns what the port's contract gives for a failure
// (false, -1, null, kInvalidAttributes, DriveType::kNoRootDir), and
// LastError() then tells kErrorAccessDenied (kErrorDiskFull for writes).
// Paths of the faults are resolved as the wrapped file system resolves them
// and compared without regard to case.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory/fault_ports.h"
#include "platform/memory/memory_file_system.h"

namespace quorril {

class FaultFileSystem : public FileSystem {
 public:
  enum class Persistence { kOnce, kFromThenOn };
  static constexpr int64_t kUnlimited = -1;

  explicit FaultFileSystem(MemoryFileSystem& inner, FaultSchedule* shared = nullptr)
      : inner_(inner), shared_(shared) {}

  void FailCall(int64_t n, Persistence persistence = Persistence::kOnce);
  void StopFailing() { failAt_ = 0; }
  // Counted calls since the last FailCall (or since creation).
  int64_t Calls() const { return calls_; }
  bool Failed() const { return failures_ > 0; }

  void FillDisk(int64_t room, const std::string& path = std::string(), int32_t full = 0);
  void UnfillDisk() { room_ = kUnlimited; }
  void FailReadsOf(const std::string& path);

  MemoryFileSystem& Inner() { return inner_; }

  std::unique_ptr<FileHandle> Open(const std::string& path, OpenMode mode) override;
  bool Find(const std::string& pattern, std::vector<FindEntry>* entries) override;
  uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  bool GetModified(const std::string& path, DosDateTime* when) override;
  bool SetModified(const std::string& path, DosDateTime when) override;
  bool CreateDirectory(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  bool ProtectDirectory(const std::string& path) override;
  bool DeleteFile(const std::string& path) override;
  bool MoveFile(const std::string& from, const std::string& to) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override;
  bool DeleteFileAtRestart(const std::string& path) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  std::string GetCurrentDirectory() override { return inner_.GetCurrentDirectory(); }
  bool SetCurrentDirectory(const std::string& path) override;
  DriveType GetDriveType(const std::string& root) override;
  bool GetVolumeLabel(const std::string& root, std::string* label) override;
  bool GetDiskFreeSpace(const std::string& root, DiskSpace* space) override;
  bool GetShortPathName(const std::string& path, std::string* shortPath) override;
  bool GetTempDirectory(std::string* path) override;
  uint32_t LastError() const override { return faultError_ ? faultError_ : inner_.LastError(); }

 private:
  class Handle;

  // Counts a call; true when it is to fail.
  bool Fault();
  bool Matches(const std::string& filter, const std::string& path) const;
  // How many of `count` bytes a write to `path` may store.
  uint32_t Room(const std::string& path, uint32_t count);

  MemoryFileSystem& inner_;
  FaultSchedule* shared_;
  int64_t calls_ = 0;
  int64_t failAt_ = 0;
  Persistence persistence_ = Persistence::kOnce;
  int64_t failures_ = 0;
  uint32_t faultError_ = 0;
  int64_t room_ = kUnlimited;
  std::string roomPath_;
  int32_t full_ = 0;
  std::vector<std::string> unreadable_;
};

}  // namespace quorril
