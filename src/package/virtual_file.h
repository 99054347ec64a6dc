// Embedded archive and virtual files.
//
// A package may be appended to the engine's executable as an embedded
// archive. Every installation file is opened through VirtualFileSystem,
// which looks for the file's name in the archive first and falls back to the
// disk, so the code above never needs to know where a file came from.
//
// Archive layout (little-endian, offsets absolute in the executable):
//
//   [executable image][ "[Zemko]\0" ][hdr 1][data 1][hdr 2][data 2]...[trailer]
//
//   trailer (last 16 bytes):  0 magic "[Zemko]\0"   8 first header   12 last header
//   entry header (276 bytes): 0 next header (0 = last)   4 attributes
//                             8 DOS time (low 16 bits)  12 DOS date (low 16 bits)
//                             16 data size   20 name[256], zero-terminated, no directory
//
// In a signed package the trailer lies in front of the certificate table
// (see payload_trailer.h); entries are then bounded by the trailer's end.
// The reader relies only on the trailer and the chain of next offsets. The
// walk is bounded: an offset outside the file, an offset that does not move
// forward, or more entries than the file could hold ends it as not found.
// Lookups walk the chain once per attached archive and keep its entries in
// an index by name (the first entry of a name wins, as a walk would find
// it), so opening N members reads N headers, not N * N.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "package/payload_trailer.h"
#include "platform/file_system.h"

namespace quorril {

constexpr uint32_t kArchiveHeaderSize = 276;
constexpr uint32_t kArchiveNameSize = 256;

// One entry of the archive's chain, as its header gives it.
struct ArchiveEntry {
  int64_t dataOffset = 0;  // the header's offset + kArchiveHeaderSize
  uint32_t size = 0;       // the size field as stored
  uint32_t attributes = 0;  // low 16 bits of the field
  uint16_t dosDate = 0;
  uint16_t dosTime = 0;
  std::string name;
};

// A read-only handle on an archive member or a disk file.
class VirtualFile {
 public:
  bool InArchive() const { return !disk_; }
  int32_t Size() const { return size_; }
  uint16_t DosDate() const { return dosDate_; }
  uint16_t DosTime() const { return dosTime_; }
  uint32_t Attributes() const { return attributes_; }

 private:
  friend class VirtualFileSystem;
  std::unique_ptr<FileHandle> disk_;  // null for an archive member
  int64_t dataOffset_ = 0;
  int32_t position_ = 0;
  int32_t size_ = 0;
  uint16_t dosDate_ = 0;
  uint16_t dosTime_ = 0;
  uint32_t attributes_ = 0;
  uint64_t generation_ = 0;  // the archive opening it belongs to
  bool cut_ = false;         // the entry's size ran past the end of the file
};

class VirtualFileSystem {
 public:
  explicit VirtualFileSystem(FileSystem* files) : files_(files) {}

  // Remembers the executable whose archive is used; nothing is read yet.
  void AttachArchive(const std::string& executablePath);
  // Closes the archive; until the next AttachArchive every open goes to disk.
  void DetachArchive();
  // Set by the disk questions: from now on every file comes from the disk.
  void DisableArchive() { disabled_ = true; }
  bool ArchiveDisabled() const { return disabled_; }
  // True when an archive was found in the attached executable.
  bool HasArchive();
  // Where the trailer was found, or why none was, once an archive was
  // looked for (HasArchive, WalkArchive, Open); kNone before.
  const TrailerLookup& Lookup() const { return lookup_; }
  // Calls `visit` for each entry of the chain in order until it returns
  // false. Returns true when the chain ended properly (a next offset of 0, or
  // `visit` stopped it), false when no archive is available or the walk was
  // cut short by a damaged chain (an offset outside the file or not moving
  // forward, a header that cannot be read).
  bool WalkArchive(const std::function<bool(const ArchiveEntry&)>& visit);

  // Null when the file exists neither in the archive nor on the disk.
  std::unique_ptr<VirtualFile> Open(const std::string& path);
  // Bytes read, 0 at the end, -1 on error. An archive member whose stated
  // size runs past the end of the file gives the bytes that are there, and
  // then -1 where its end should have been: it is never taken for whole.
  int32_t Read(VirtualFile& file, void* buffer, int32_t count);
  // origin 0 start, 1 current, 2 end; the new position or -1.
  int32_t Seek(VirtualFile& file, int32_t offset, int origin);
  int32_t Tell(VirtualFile& file);
  // One line with its line feed (carriage returns dropped), at most
  // capacity - 1 characters; false at the end of the data or on error.
  bool ReadLine(VirtualFile& file, std::string* line, size_t capacity);

 private:
  void FindArchive();
  void ForgetArchive();
  const ArchiveEntry* FindEntry(const std::string& name);
  bool MemberUsable(const VirtualFile& file) const;

  FileSystem* files_;
  std::string path_;
  std::unique_ptr<FileHandle> handle_;
  int64_t archiveSize_ = 0;
  uint32_t firstEntry_ = 0;
  uint32_t lastEntry_ = 0;
  TrailerLookup lookup_;
  bool disabled_ = false;
  uint64_t generation_ = 1;
  // The chain's entries up to its end or its first damage, read on the
  // first lookup; keyed by the name in upper case.
  bool indexed_ = false;
  std::vector<ArchiveEntry> entries_;
  std::unordered_map<std::string, size_t> index_;
};

}  // namespace quorril
