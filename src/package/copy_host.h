// What the copy code (plain copies, container extraction, the FILE, RENAME
// and DELETE commands) works with.
//
// CopyHost is the main window's side of the copy: progress, file names,
// the next-disk question, message pumping, the overwrite question, and the
// messages of failures. The install run sequence implements it with the
// window's private messages and the engine's message boxes; tests
// implement it with recorders. The copy code owns no window and shows
// nothing itself: it reports a CopyFailure, and the host turns it into the
// engine's message.
//
// CopyContext gathers the ports and the run state that the copy code reads
// and writes; the shell fills it from the run context.
#pragma once

#include <cstdint>
#include <string>

namespace quorril {

class FileSystem;
class VirtualFileSystem;
class Worker;
struct Journal;
struct UnshrinkBuffers;

// Progress refresh after this many bytes written.
constexpr int32_t kProgressStep = 50000;

// The byte counters of the progress bar, owned by the install run sequence.
struct ProgressCounters {
  int32_t totalBytes = -1;    // at most 0: the bar counts files
  int32_t bytesDone = 0;      // bytes installed so far
  bool bytesUnknown = false;  // an external decompressor is used: count files
  // The bytes of the targets written whole, whatever the bar counts (the
  // size the installation is listed with among the installed programs).
  int64_t installedBytes = 0;

  bool CountsBytes() const { return !bytesUnknown && totalBytes > 0; }
  // Adds without overflowing (the counter saturates).
  void Add(int64_t bytes) {
    int64_t sum = int64_t(bytesDone) + bytes;
    bytesDone = sum > INT32_MAX ? INT32_MAX : sum < 0 ? 0 : int32_t(sum);
  }
};

// The failures the copy code reports; each stops what it was doing. The
// path the report carries is named in the comment.
enum class CopyFailure {
  kFileNotFound,   // a source file is missing (the source path)
  kCreateFile,     // a target cannot be created (the target path)
  kReadDisk,       // a source cannot be read (no path)
  kWriteDisk,      // a target cannot be written in full, a full disk (no path)
  kNoMemory,       // the buffers of a copy cannot be had (no path)
  kReadFile,       // a container ends before its data does (the volume's path)
  kBadArchive,     // a container's bytes are not what they must be (the volume's path)
  kBadDirectory,   // a directory can be neither entered nor created (the directory)
};

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

  // The overwrite question of the ASK policy for an existing `target`; true
  // to replace it.
  virtual bool AskOverwrite(const std::string& target) = 0;

  // A failure, for the host to show; `path` as CopyFailure says.
  virtual void ReportFailure(CopyFailure failure, const std::string& path) = 0;
};

struct CopyContext {
  FileSystem& files;         // targets are written through it
  VirtualFileSystem& archive;  // sources are read through it
  Journal& journal;          // every file and directory made is journalled
  CopyHost& host;
  // The file name of the last continuation volume of a shrunk-file
  // container that was opened; FILE entries of that name are skipped.
  std::string& continuationName;
  // Decodes container members while this thread writes them; null to
  // decode on this thread.
  Worker* worker = nullptr;
  // The container extraction's buffers, kept for the run (unshrink.h); null
  // to take them anew for each container.
  UnshrinkBuffers* unshrinkBuffers = nullptr;
};

}  // namespace quorril
