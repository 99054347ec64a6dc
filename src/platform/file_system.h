// The file-system port: every file, directory, drive and volume operation
// that the core makes.
//
// Contract, for every implementation (Win32 adapter, in-memory fake):
//  - Paths are Windows paths in the ANSI code page ("C:\DIR\NAME.EXT").
//    A path that is not absolute resolves against the current directory;
//    names compare without regard to ASCII case; "\" separates components.
//  - No call throws or shows anything. Failures return false, -1 or null;
//    LastError() then holds the native error code (Win32 error numbers, the
//    fake uses the same numbers) for diagnosis only.
//  - Open() hands out a FileHandle that owns the open file; destroying it
//    closes the file. Read and Write move the position and return the bytes
//    moved (0 at the end of a file), or -1 on error.
//  - Find() lists the entries that match a pattern with the wildcards * and ?
//    in its last component, in the order the file system keeps them, "." and
//    ".." included where the directory has them (as FindFirstFileA does);
//    it returns false when nothing matches or the directory does not exist.
//  - Dates and times are DOS dates and times in local time.
//  - ProtectDirectory() gives a directory the protected access list: full
//    control for Administrators and SYSTEM, read and execute for Users,
//    nothing inherited from above, every entry inherited by the files and
//    directories below. False on a system or volume that keeps no access
//    lists (the system's error, kErrorNotSupported from the fake), for a
//    missing path, or for a file (kErrorDirectory).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quorril {

// Win32 file attribute bits.
enum : uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
  kInvalidAttributes = 0xFFFFFFFFu,
};

// GetDriveTypeA results.
enum class DriveType : uint32_t {
  kUnknown = 0,
  kNoRootDir = 1,
  kRemovable = 2,
  kFixed = 3,
  kRemote = 4,
  kCdRom = 5,
  kRamDisk = 6,
};

// Native error numbers that callers may test for.
enum : uint32_t {
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorAccessDenied = 5,
  kErrorSharingViolation = 32,
  kErrorInvalidDrive = 15,
  kErrorNotReady = 21,
  kErrorHandleEof = 38,
  kErrorFileExists = 80,
  kErrorInvalidName = 123,
  kErrorDiskFull = 112,
  kErrorAlreadyExists = 183,
  kErrorNotSupported = 50,
  kErrorDirectory = 267,
};

struct DosDateTime {
  uint16_t date = 0;
  uint16_t time = 0;
};

struct FindEntry {
  std::string name;           // long name, without directory
  std::string shortName;      // 8.3 name when it differs, else empty
  uint32_t attributes = 0;
  uint64_t size = 0;
  DosDateTime modified;
};

struct DiskSpace {
  uint32_t sectorsPerCluster = 0;
  uint32_t bytesPerSector = 0;
  uint32_t freeClusters = 0;
  uint32_t totalClusters = 0;
};

enum class OpenMode {
  kRead,       // existing file, read only
  kReadWrite,  // existing file, read and write
  kCreate,     // create or truncate, write only
  kCreateNew,  // create a file that is not there yet (kErrorFileExists when
               // one is), write only
  kAppend,     // create when missing, every write goes to the end
};

class FileHandle {
 public:
  virtual ~FileHandle() = default;
  virtual int32_t Read(void* buffer, uint32_t count) = 0;
  virtual int32_t Write(const void* buffer, uint32_t count) = 0;
  // origin 0 = from the start, 1 = from the current position, 2 = from the end.
  // Returns the new position, or -1.
  virtual int64_t Seek(int64_t offset, int origin) = 0;
  virtual int64_t Size() = 0;
  // Finishes a written file through this handle, which must have been
  // opened for writing: sets its last-write time and its attributes (as
  // FileSystem::SetAttributes would). Call it after the last write; closing
  // does not move the date again, and a read-only attribute takes effect
  // for later opens only. False when the handle cannot set them or the date
  // is not a valid DOS date.
  virtual bool SetModifiedAndAttributes(DosDateTime when, uint32_t attributes) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual std::unique_ptr<FileHandle> Open(const std::string& path, OpenMode mode) = 0;
  virtual bool Find(const std::string& pattern, std::vector<FindEntry>* entries) = 0;

  // kInvalidAttributes when the path does not exist.
  virtual uint32_t GetAttributes(const std::string& path) = 0;
  virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;
  virtual bool GetModified(const std::string& path, DosDateTime* when) = 0;
  virtual bool SetModified(const std::string& path, DosDateTime when) = 0;

  virtual bool CreateDirectory(const std::string& path) = 0;
  virtual bool RemoveDirectory(const std::string& path) = 0;
  // Replaces the access list of an existing directory by the protected one
  // (see above); files and directories already in it keep theirs.
  virtual bool ProtectDirectory(const std::string& path) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  virtual bool MoveFile(const std::string& from, const std::string& to) = 0;
  // Moves the file `from` to `to` in one step, replacing a file that stands
  // at `to` (never a directory, never a read-only file). Either the new file
  // stands under `to` afterwards, or nothing has changed.
  virtual bool ReplaceFile(const std::string& from, const std::string& to) = 0;
  // Has an existing file deleted when the system next starts (a file in
  // use now); it stays until then.
  virtual bool DeleteFileAtRestart(const std::string& path) = 0;
  virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;

  // The current directory as the system reports it ("C:\" for a root,
  // "C:\DIR" otherwise).
  virtual std::string GetCurrentDirectory() = 0;
  virtual bool SetCurrentDirectory(const std::string& path) = 0;

  // root "X:\"; an empty root means the current directory's drive.
  virtual DriveType GetDriveType(const std::string& root) = 0;
  virtual bool GetVolumeLabel(const std::string& root, std::string* label) = 0;
  virtual bool GetDiskFreeSpace(const std::string& root, DiskSpace* space) = 0;

  // The 8.3 form of an existing path.
  virtual bool GetShortPathName(const std::string& path, std::string* shortPath) = 0;
  // The directory for temporary files, ending in "\"; false when unknown.
  virtual bool GetTempDirectory(std::string* path) = 0;

  virtual uint32_t LastError() const = 0;
};

}  // namespace quorril
