// Writing installed files: TargetWriter takes one target from its creation
// to its journal line, and MakeDirectoryPath creates the directories that
// targets go into.
//
// A target is created, filled in blocks while the progress bar advances,
// dated and given its attributes through the handle that wrote it (so that
// closing it cannot move the date again), closed, and journalled with its
// "FILE: " line. A target that cannot be completed is deleted again: no
// half-written file is left and none is journalled. Where a file already
// stands under the target's name, the new bytes go to "~Zemko.tmp" beside
// it, which replaces it in one step once whole: a failure leaves the old
// file as it was. Failures are reported
// to the host (copy_host.h); the writer shows nothing itself.
//
// Progress: once created, the host shows the target's path; every byte
// written is added to the byte counters (when the bar counts bytes), and
// the bar is redrawn whenever they have grown by more than kProgressStep
// since the last redraw, looked at after each write (or each piece of it).
// Whole blocks of 64 KB with nothing gathered before them are written to
// the file as they are. A target finished whole adds its length to the
// counters' installedBytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "package/copy_host.h"
#include "platform/file_system.h"

namespace quorril {

class TargetWriter {
 public:
  TargetWriter(const CopyContext& copy, std::string target);  // keeps its own copy of `copy`
  // A target created but not finished is deleted.
  ~TargetWriter();
  TargetWriter(const TargetWriter&) = delete;
  TargetWriter& operator=(const TargetWriter&) = delete;

  // Creates (or truncates) the target and shows its path. False after a
  // report (kNoMemory for the write buffer, taken before the target is
  // touched; kCreateFile).
  bool Create();
  // Creates the target and shows its path only when nothing stands under
  // its name. False, with nothing reported and nothing touched, when
  // something does or the file cannot be made so: the caller then decides
  // about the target as for an existing one and calls Create(), which does
  // not try CREATE_NEW again. A target made here had nothing to keep, ask
  // about or clear, and its name was looked up once.
  bool CreateIfNew();
  // Adds bytes to the target. False after a report (kWriteDisk); the caller
  // then abandons the target.
  bool Write(const char* data, uint32_t size) { return Write(data, size, size); }
  // The same for bytes that were produced in pieces of `piece` bytes and
  // gathered: the bar moves as the pieces written one by one would have
  // moved it.
  bool Write(const char* data, uint32_t size, uint32_t piece);
  // Writes what is gathered, so that a full disk is reported as soon as the
  // data has been handed over. False after a report (kWriteDisk).
  bool Flush();
  // Writes what is left, dates the target and sets its attributes, closes
  // and journals it. False after a report (kWriteDisk), with the target
  // deleted.
  bool Finish(DosDateTime when, uint32_t attributes);
  // Closes and deletes a target that cannot be completed.
  void Abandon();

 private:
  const CopyContext copy_;
  const std::string target_;
  std::string written_;  // the target, or the temporary that replaces it
  std::unique_ptr<FileHandle> output_;
  // Writes cost about as much for 4 KB as for 64 KB, so small blocks are
  // gathered here.
  std::unique_ptr<char[]> block_;
  uint32_t blockUsed_ = 0;
  int64_t bytesWritten_ = 0;
  int32_t progressMark_ = 0;
  bool failed_ = false;
  bool newTried_ = false;  // CreateIfNew tried CREATE_NEW

  bool TakeBlock();
  void Begin();
};

// Results of MakeDirectoryPath.
enum : int { kMakeDirectoryOk = 0, kMakeDirectoryFailed = 2 };

// Creates every missing level of `path` ("C:\DIR\SUB"), level by level, and
// journals one DIRECTORY line per directory it created, parents first, as
// one text. Every directory it creates gets the protected access list
// (ProtectCreatedDirectory); one that existed keeps its own, and a list
// that cannot be set is only noted. Returns kMakeDirectoryOk when every level exists or was created;
// kMakeDirectoryFailed when a level can be neither entered nor created (the
// levels created before it stay, and are journalled; the caller reports it).
// The last level reached stays the current directory.
int MakeDirectoryPath(FileSystem& files, Journal& journal, const std::string& path);

// MakeDirectoryPath for the copy code: a failure is reported to the host
// (kBadDirectory).
int MakeTargetDirectory(const CopyContext& copy, const std::string& path);

}  // namespace quorril
