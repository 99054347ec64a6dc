// UnshrinkContainer: the engine's extraction of a shrunk-file container
// into the destination directory, member by member, under the FILE entry's
// overwrite policy.
//
// The walk through the container and its volumes is ContainerReader's; the
// overwrite decision is overwrite.h's; each member is written by a
// TargetWriter (dated, given the FILE entry's attributes, journalled). A
// member whose path has directories gets them created below the
// destination first. Continuation volumes are looked for in the directory
// of the first volume after the next-disk question; the name of the last
// one asked for is kept in CopyContext::continuationName (also when the
// user stopped at the question).
//
// Failures are reported to the host with the volume's path where the
// engine names it:
//   a member header cut short             kReadFile    + volume
//   data that ends with the last volume   kReadFile    + volume
//   data that is no DCL stream            kBadArchive  + volume
//   a bad member path or next-volume name kBadArchive  + volume
//   a chain of volumes looping or endless kBadArchive  + volume
//   a volume without continuation header  kBadArchive  + that volume
//   a read error                          kReadDisk
//   the user stopped at the disk question (nothing reported)
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/script_model.h"
#include "package/copy_host.h"

namespace quorril {

// Results of UnshrinkContainer.
enum : int {
  kUnshrinkDone = 0,           // a container; every member was extracted
  kUnshrinkStopped = -1,       // a container; extraction stopped (reported where due)
  kUnshrinkNotContainer = -2,  // not a container (or it cannot be opened):
                               // the caller copies it as an ordinary file
};

// The memory an extraction works in: the decoder's work area, the block of
// container data being handed to it, and the two rings between the threads
// when members are decoded beside the writes (about 2 MB). The run keeps
// them from one container to the next: taken anew, they would come back
// from the system as fresh pages, to be cleared and mapped again, one fault
// at a time, for every container. Each extraction still starts the decoder
// with a clear window.
struct UnshrinkBuffers {
  std::unique_ptr<uint8_t[]> workArea;
  std::unique_ptr<uint8_t[]> savedWorkArea;  // before a stream read ahead
  std::unique_ptr<char[]> gathered;
  std::unique_ptr<char[]> inputRing;
  std::unique_ptr<char[]> outputRing;
};

// Extracts the container `source` into the directory part of `target` (up
// to and including its last backslash) under `mode`, giving each member
// `attributes` (the FILE entry's ATTRIBUTE value, kAttrNormal when none was
// given).
int UnshrinkContainer(const CopyContext& copy, const std::string& target, const std::string& source,
                      OverwritePolicy mode, uint32_t attributes);

}  // namespace quorril
