// Win32FileSystem: the file-system port over KERNEL32's ANSI calls.
//
// Every method is one or two Win32 calls (CreateFileA, FindFirstFileA,
// GetFileAttributesA, MoveFileA, GetDiskFreeSpaceA, ...); a failure keeps
// GetLastError() for LastError(). File times are converted between UTC file
// times and local DOS dates and times (FileTimeToLocalFileTime and
// FileTimeToDosDateTime, and back). Paths holding a zero byte are refused
// with ERROR_INVALID_NAME. The read-only attribute is checked before a file
// is opened for writing or given a new date, so that it holds wherever the
// system itself would let the file's owner write (Wine run by root). The class holds no handle of its own; every open
// file lives in the FileHandle that Open() returns.
//
// handles.h is included for its removal of <windows.h>'s CreateDirectory,
// DeleteFile, ... macros, which would otherwise rename these methods in a
// file that includes <windows.h> first.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32/handles.h"

namespace quorril {

class Win32FileSystem : public FileSystem {
 public:
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
  std::string GetCurrentDirectory() override;
  bool SetCurrentDirectory(const std::string& path) override;
  DriveType GetDriveType(const std::string& root) override;
  bool GetVolumeLabel(const std::string& root, std::string* label) override;
  bool GetDiskFreeSpace(const std::string& root, DiskSpace* space) override;
  bool GetShortPathName(const std::string& path, std::string* shortPath) override;
  bool GetTempDirectory(std::string* path) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  // Keeps the calling thread's last error and returns false.
  bool Fail();
  bool Fail(uint32_t error);
  // Keeps the last error and returns `ok`.
  bool Check(bool ok);
  // True (with ERROR_ACCESS_DENIED kept) for an existing read-only file.
  bool IsReadOnlyFile(const std::string& path);

  uint32_t lastError_ = 0;
};

}  // namespace quorril
