// MemoryFileSystem: an in-memory fake of the file-system port.
//
// It keeps drives (type, volume label, free space), directories and files
// with attributes and DOS dates, a current directory, short names and a
// temporary directory, and follows the Win32 rules that the core relies on:
// names compare without regard to case, relative and drive-relative paths
// resolve against the current directory, "." and ".." are understood, Find
// lists "." and ".." first in directories other than a root and then the
// entries in the order of their upper-case names (as NTFS keeps them), "*.*"
// also matches names without a dot, a name may be given by its 8.3 alias,
// read-only files refuse writing and deleting, the current directory keeps
// the case it was set in. Error numbers follow the system's, as the Win32
// runs of the contract tests show them.
// Tests set the machine up with AddDrive, AddDirectory and AddFile.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace quorril {

class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  // Set-up for tests and dry runs. Paths are absolute ("C:\DIR\FILE").
  void AddDrive(char letter, DriveType type, const std::string& label = "",
                uint64_t freeBytes = 100u * 1024 * 1024);
  void RemoveDrive(char letter);
  bool AddDirectory(const std::string& path);  // creates the parents too
  bool AddFile(const std::string& path, const std::string& contents, uint32_t attributes = kAttrArchive,
               DosDateTime modified = {0x5A21, 0x6000});
  // The contents of a file; false when it does not exist.
  bool ReadWholeFile(const std::string& path, std::string* contents) const;
  bool Exists(const std::string& path) const;
  void SetTempDirectory(const std::string& path) { tempDirectory_ = path; }
  void SetDriveFreeSpace(char letter, uint64_t freeBytes);
  void SetDriveLabel(char letter, const std::string& label);
  // A file that a running program holds open: it cannot be deleted
  // (kErrorSharingViolation) until it is let go.
  void SetInUse(const std::string& path, bool inUse);
  // A system (or volume) without access lists: ProtectDirectory() fails
  // with kErrorNotSupported. On by default.
  void SetKeepsAccessLists(bool keeps) { keepsAccessLists_ = keeps; }
  // Whether ProtectDirectory() gave this directory the protected list.
  bool IsProtected(const std::string& path) const;
  // The files DeleteFileAtRestart() named, in order.
  const std::vector<std::string>& DeletedAtRestart() const { return deletedAtRestart_; }
  // Every path in the file system, directories ending in "\", sorted.
  std::vector<std::string> List() const;

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

  // The absolute form of a path ("C:\A\B"), or "" when it is malformed.
  std::string Resolve(const std::string& path) const;

  struct Node;
  struct Drive;

 private:
  Node* Lookup(const std::string& absolute) const;
  Node* Parent(const std::string& absolute) const;
  // The node a path names, or null with *error set as the system sets it:
  // file not found when only the last component is missing, path not found
  // when a directory on the way is (or a file is named with a trailing "\").
  Node* LookupPath(const std::string& path, std::string* absolute, uint32_t* error) const;
  // The drive of a root "X:\" (the current drive for an empty root), or null.
  Drive* RootDrive(const std::string& root) const;
  bool Fail(uint32_t error);
  std::string ShortNameFor(const Node& dir, const std::string& name) const;

  std::map<char, std::unique_ptr<Drive>> drives_;
  std::string currentDirectory_ = "C:\\";
  std::string tempDirectory_ = "C:\\WINDOWS\\TEMP\\";
  std::vector<std::string> deletedAtRestart_;
  std::vector<std::string> inUse_;  // absolute, upper case
  bool keepsAccessLists_ = true;
  uint32_t lastError_ = 0;
};

}  // namespace quorril
