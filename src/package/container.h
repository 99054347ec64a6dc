// Shrunk-file containers: many files of a package in one file, each
// compressed as one DCL implode stream (see explode.h), possibly split into
// volumes on several disks.
//
// Layout (integers little-endian):
//
//   volume 1:  [volume header 58][member header 168][data][member header][data]...
//   volume 2:  [volume header 58][rest of a member's data][member header][data]...
//
//   volume header (58 bytes)           member header (168 bytes)
//     0  next volume's file name [14]     0  member path [128], zero-terminated,
//        zero-terminated, no directory;      relative, "\" between directories
//        empty in the last volume        128  attributes (not used on extraction)
//    14  magic 0x0074 ("t\0")            132  zero
//    16  member count, signed 16 bits    136  compressed size (0 = empty file)
//        (volume 1: all volumes)         140  DOS date, low 16 bits
//    18  0x0074 in volume 1,             144  DOS time, low 16 bits
//        0x0075 in continuation volumes  148  zero [20]
//    20  zero [38]
//
// A member's data that does not fit on a volume stops at the end of that
// volume file and goes on directly after the next volume's header; a member
// header never straddles two volumes. The uncompressed size is not stored:
// it is what the stream yields. The next volume is looked for in the
// directory of the first, after the next-disk question.
//
// UnshrinkContainer extracts every member into the target's directory. It
// reads through VirtualFileSystem, writes through the file port, shows its
// error messages through the context, and reaches the main window (progress,
// file names, the next-disk question, message pumping) only through the
// narrow CopyHost interface below, which the install run sequence
// implements; the code here owns no window.
//
// Member paths are untrusted: a path that is absolute, names a drive, has a
// component made only of dots ("..") or names a device is refused with
// "Invalid compressed file " and the path of the volume that holds it, and
// extraction stops, so nothing is ever written outside the destination
// directory. Next-volume names with a directory or drive are refused alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "model/script_model.h"

namespace quorril {

class SetupContext;

// ---- the format ---------------------------------------------------------------

constexpr uint32_t kVolumeHeaderSize = 58;
constexpr uint32_t kMemberHeaderSize = 168;
constexpr uint32_t kVolumeNameSize = 14;  // with the terminator
constexpr uint32_t kMemberPathSize = 128;  // with the terminator
constexpr uint16_t kContainerMagic = 0x0074;
constexpr uint16_t kContinuationMagic = 0x0075;

// Field offsets.
constexpr uint32_t kVolumeMagicOffset = 14;
constexpr uint32_t kVolumeCountOffset = 16;
constexpr uint32_t kVolumeKindOffset = 18;
constexpr uint32_t kMemberAttributesOffset = 128;
constexpr uint32_t kMemberSizeOffset = 136;
constexpr uint32_t kMemberDateOffset = 140;
constexpr uint32_t kMemberTimeOffset = 144;
static_assert(kVolumeKindOffset + 2 + 38 == kVolumeHeaderSize, "volume header layout");
static_assert(kMemberTimeOffset + 4 + 20 == kMemberHeaderSize, "member header layout");

// Work area of the decompressor (kExplodeWorkAreaSize), allocated once per
// container.

// Progress refresh after this many bytes written.
constexpr int32_t kProgressStep = 50000;

struct VolumeHeader {
  std::string nextVolume;  // empty in the last volume
  uint16_t magic = 0;      // offset 14
  int16_t memberCount = 0;
  uint16_t kind = 0;  // offset 18: kContainerMagic or kContinuationMagic
  bool nameTerminated = true;  // false when the 14 bytes hold no zero

  bool IsFirstVolume() const { return magic == kContainerMagic && kind == kContainerMagic; }
  bool IsContinuation() const { return magic == kContainerMagic && kind == kContinuationMagic; }
};

struct MemberHeader {
  std::string path;
  uint32_t attributes = 0;
  uint32_t compressedSize = 0;
  uint16_t dosDate = 0;
  uint16_t dosTime = 0;
  bool pathTerminated = true;  // false when the 128 bytes hold no zero
};

void ParseVolumeHeader(const uint8_t* bytes, VolumeHeader* header);
void ParseMemberHeader(const uint8_t* bytes, MemberHeader* header);
// Writers for the publisher's tool. The name and path are cut to fit with
// their terminator; callers check them first.
void WriteVolumeHeader(const VolumeHeader& header, uint8_t* bytes);
void WriteMemberHeader(const MemberHeader& header, uint8_t* bytes);

// True when a member path names a file inside the destination directory:
// it is not empty, not absolute, has no ":" (no drive, no stream), and none
// of its components (between "\" or "/") is empty, made only of dots and
// blanks (".", "..", ".. ", which Windows may resolve upwards), or a device
// name (CON, NUL, COM1, LPT1, ...).
bool IsSafeMemberPath(std::string_view path);
// True when `name` can be a next-volume name: 1 to 13 characters, no
// directory, no drive.
bool IsValidVolumeName(std::string_view name);

// ---- building containers (the publisher's tool, tests) ------------------------------

constexpr uint32_t kContainerMemberAttributes = 0x20;  // archive

// A member ready to be placed: its path as stored and its compressed data
// (one complete stream; empty for an empty file).
struct PackedMember {
  std::string path;
  std::string data;
  uint16_t dosDate = 0;
  uint16_t dosTime = 0;
  uint32_t attributes = kContainerMemberAttributes;
};

struct ContainerVolume {
  std::string name;   // file name; the first volume's is whatever the caller chose
  std::string bytes;  // the whole volume file
};

enum ContainerLayoutResult : int {
  kLayoutOk = 0,
  kLayoutBadPath = 1,          // a member path is unsafe or longer than 127 characters
  kLayoutTooManyMembers = 2,   // more than 32767 members
  kLayoutMemberTooLarge = 3,   // compressed data of 4 GiB or more
  kLayoutVolumeTooSmall = 4,   // a volume size below kMinimumVolumeSize
  kLayoutBadVolumeName = 5,    // volumeName gave no valid name for a continuation volume
};
// The smallest volume: its header, one member header and one byte of data.
constexpr uint32_t kMinimumVolumeSize = kVolumeHeaderSize + kMemberHeaderSize + 1;

// Lays members out in volumes of at most `volumeSize` bytes (0: one volume
// of any size). A member header never straddles two volumes, and a volume
// never ends with the header of a member whose data is not empty; data runs
// on from one volume into the next. `volumeName(n)` names continuation
// volume n (2, 3, ...); it is written into volume n - 1's header.
int LayOutContainer(const std::vector<PackedMember>& members, uint32_t volumeSize,
                    const std::function<std::string(int)>& volumeName, std::vector<ContainerVolume>* volumes);

// ---- extraction -----------------------------------------------------------------

// The byte counters of the progress bar, owned by the install run sequence.
struct ProgressCounters {
  int32_t totalBytes = -1;    // at most 0: the bar counts files
  int32_t bytesDone = 0;      // bytes installed so far
  bool bytesUnknown = false;  // an external decompressor is used: count files

  bool CountsBytes() const { return !bytesUnknown && totalBytes > 0; }
  // Adds without overflowing (the counter saturates).
  void Add(int64_t bytes) {
    int64_t sum = int64_t(bytesDone) + bytes;
    bytesDone = sum > INT32_MAX ? INT32_MAX : sum < 0 ? 0 : int32_t(sum);
  }
};

// What the copy code needs from the main window while it works. The install
// run sequence implements it with the window's private messages; tests and
// the publisher's tool implement it without windows.
class CopyHost {
 public:
  virtual ~CopyHost() = default;

  // The progress counters that the copy code advances.
  virtual ProgressCounters& Counters() = 0;

  // Dispatches every pending message of the thread, so that painting, the
  // progress bar and the progress dialog's Cancel button are served, and
  // returns InstallCancelled (true when the user chose to quit).
  virtual bool PumpMessages() = 0;

  // Message 1024 (WM_USER): 0 = redraw the progress bar from the counters,
  // 1 = one more file done.
  virtual void Progress(int code) = 0;

  // Message 1027: the progress dialog shows "Installing file: " and `path`.
  virtual void ShowFileName(const std::string& path) = 0;

  // Message 1026, the next-disk question: asks the user to insert the next
  // disk of the file list (and detaches the embedded archive for the rest of
  // the run). `advance` is the message's wParam (1 the first time for a
  // volume, 0 when the volume still cannot be opened), `restore` its lParam.
  // Returns 0 when the disk is in the drive, 1 to stop the installation.
  virtual int AskNextDisk(bool advance, bool restore) = 0;

  // True once the file list has reached an INSERTDISK entry (DiskEntryIndex
  // is not -1): a missing source file then asks for the next disk instead
  // of being reported as missing. Hosts without disks keep the default.
  virtual bool DiskEntryReached() { return false; }
};

// Results of UnshrinkContainer.
enum : int {
  kUnshrinkDone = 0,           // a container; every member was extracted
  kUnshrinkStopped = -1,       // a container; extraction stopped (message shown where due)
  kUnshrinkNotContainer = -2,  // not a container (or it cannot be opened):
                               // the caller copies it as an ordinary file
};

// Extracts the container `source` into the directory part of `target` (up
// to and including its last backslash) under the FILE entry's overwrite
// mode, dating each member and giving it `attributes` (the FILE entry's
// ATTRIBUTE value, kAttrNormal when none was given), and journals each file
// written. Continuation volumes are looked for in the directory of `source`
// after the next-disk question; their name is kept in ctx.continuationName.
int UnshrinkContainer(SetupContext& ctx, CopyHost& host, const std::string& target,
                      const std::string& source, OverwritePolicy mode, uint32_t attributes);

// Gives an existing file normal attributes, so that it can be replaced;
// nothing when there is no such file.
void ClearAttributes(FileSystem& files, const std::string& path);

// True when the first 58 bytes of `source` are the header of the first
// volume of a split container (a container with a next-volume name).
bool IsSplitContainerStart(SetupContext& ctx, const std::string& source);

}  // namespace quorril
