// ContainerReader: one walk through a shrunk-file container (container.h)
// and its volumes, member by member, for the engine's extraction and for
// the publisher's tool alike.
//
//   Open(first volume) -> NextMember -> Read ... Read | Skip -> NextMember ...
//
// The reader reads through VirtualFileSystem, so a container and its
// volumes may lie in the embedded archive or on the disk. When a member
// header or a member's data goes on in the next volume, the reader asks its
// VolumeSource for that volume (the engine asks for the next disk; the tool
// looks beside the first volume) and checks its continuation header.
//
// Results are ContainerStatus values with one text table
// (ContainerStatusText); callers turn them into their own words: the engine
// into its message boxes, the tool into its error lines. VolumePath() names
// the volume that a status concerns: the volume being read, or the volume
// that was refused.
//
// Member paths are checked before a member is handed out: a path that is
// not terminated within its 128 bytes, or that would leave the destination
// directory (IsSafeMemberPath), ends the walk with kBadMemberPath. The path
// is handed out with "\" between its components ("/" is taken as "\").
//
// The walk ends (kEnd) when as many members were read as the first volume
// counts; data after the last of them is not taken for a member.
//
// A chain of volumes must end: a next-volume name that was already read in
// this walk (names compared without regard to ASCII case, the first
// volume's included) ends it with kVolumeRepeated, and a volume past
// kMaxContainerVolumes with kTooManyVolumes, both before the volume source
// is asked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "package/container.h"
#include "package/virtual_file.h"

namespace quorril {

enum class ContainerStatus {
  kOk = 0,
  kEnd,              // every member that the first volume counts was read
  kCannotOpen,       // the first volume cannot be opened
  kNotContainer,     // no first-volume header: fewer than 58 bytes, or another magic
  kHeaderCut,        // a member header is cut short and no further volume follows
  kBadMemberPath,    // a member path that is not terminated or leaves its directory
  kBadVolumeName,    // the next volume's name is not a plain file name
  kVolumeRepeated,   // the next volume's name is that of a volume already read
  kTooManyVolumes,   // the chain goes on past kMaxContainerVolumes volumes
  kNotContinuation,  // the next volume does not begin with a continuation header
  kNoVolume,         // the volume source gave no next volume (the user stopped)
  kReadError,        // a volume could not be read, or a new volume held no data
};

// The most volumes one container is read from, the first included; far
// more than any package is split into (the publisher's tool numbers its
// volumes up to 999).
constexpr size_t kMaxContainerVolumes = 1000;

// A short English description of a status, for the tool and for tests.
const char* ContainerStatusText(ContainerStatus status);

class VolumeSource {
 public:
  virtual ~VolumeSource() = default;
  // Opens the continuation volume `name`, whose path is the first volume's
  // directory + name; null to stop the walk (kNoVolume).
  virtual std::unique_ptr<VirtualFile> OpenVolume(const std::string& path, const std::string& name) = 0;
};

class ContainerReader {
 public:
  // Without a volume source, a container that goes on in a next volume
  // ends with kNoVolume there.
  ContainerReader(VirtualFileSystem& archive, VolumeSource* volumes);

  // Opens the first volume and reads its header.
  ContainerStatus Open(const std::string& path);
  const VolumeHeader& FirstVolume() const { return firstVolume_; }

  // The next member's header (its path with "\" separators); kEnd after the
  // last one. The previous member's data must have been read or skipped.
  ContainerStatus NextMember(MemberHeader* member);

  // Up to `capacity` bytes of the current member's data, across volumes:
  // the bytes read, 0 at the end of the member's data, -1 on a failure
  // (Status() tells which). When the last volume ends before the member's
  // stated size, the read returns what there was and RanOut() is set.
  int32_t Read(void* buffer, uint32_t capacity);
  // Passes over what is left of the current member's data. The end of the
  // last volume ends it quietly (RanOut() is set): the next header read
  // tells whether a member is missing.
  ContainerStatus Skip();

  // For reading ahead without a disk question: true when the current
  // member's data has been read whole and the next member header (if the
  // first volume counts one more) lies in the volume being read.
  bool NextHeaderInThisVolume();
  // The bytes of the current member's data that the volume being read still
  // holds (0 when they go on in the next volume only); -1 on a failure.
  int64_t LeftInThisVolume();

  ContainerStatus Status() const { return status_; }
  // The path of the member header read last, also of one refused with
  // kBadMemberPath ("\" separators; cut at its terminator or 128 bytes).
  const std::string& MemberPath() const { return member_.path; }
  bool RanOut() const { return ranOut_; }
  // Bytes of the current member's data read so far.
  uint32_t Delivered() const { return delivered_; }
  const std::string& VolumePath() const { return volumePath_; }
  // The next-volume name of the volume being read ("" in the last one).
  const std::string& NextVolumeName() const { return volumeHeader_.nextVolume; }

 private:
  int32_t ReadVolume(void* buffer, int32_t count);
  // Bytes from the read position to the end of the volume being read; -1
  // without one, after a failure, or when the position cannot be told.
  int64_t RestOfVolume();
  bool OpenNextVolume();
  ContainerStatus Fail(ContainerStatus status) { return status_ = status; }

  VirtualFileSystem& archive_;
  VolumeSource* volumes_;
  std::unique_ptr<VirtualFile> volume_;  // null between volumes
  std::string volumePath_;
  std::string sourceDirectory_;  // of the first volume, ending in "\"
  VolumeHeader firstVolume_;
  VolumeHeader volumeHeader_;    // of the volume being read
  std::vector<std::string> volumeNames_;  // of the volumes read, the first included
  MemberHeader member_;
  int32_t expected_ = 0;    // members still expected
  uint32_t delivered_ = 0;
  bool ranOut_ = false;
  ContainerStatus status_ = ContainerStatus::kOk;
};

// True when the first 58 bytes of `source` are the header of the first
// volume of a split container (a container with a next-volume name).
bool IsSplitContainerStart(VirtualFileSystem& archive, const std::string& source);

}  // namespace quorril
