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
// This header holds the format: the header codecs, the checks of member
// paths and volume names, and the layout of new containers (the
// publisher's tool and the tests). ContainerReader (container_reader.h)
// walks existing containers across their volumes; UnshrinkContainer
// (unshrink.h) extracts them as the engine installs them.
//
// Member paths are untrusted: a path that is absolute, names a drive, has a
// component made only of dots ("..") or names a device is refused, so
// nothing is ever written outside the destination directory. Next-volume
// names with a directory or drive are refused alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>


namespace quorril {

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

}  // namespace quorril
