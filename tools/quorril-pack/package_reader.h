// PackageReader: a package (the engine with its payload) or a shrunk-file
// container, seen exactly as the engine sees it, for `list` and `extract`.
//
// The input is loaded into an in-memory machine as C:\SRC\<its name>; a
// package's payload is attached as the embedded archive, so every member is
// found by the engine's own lookup. Containers are expanded by the engine's
// UnshrinkContainer into C:\OUT\. The reader is the CopyHost of that run:
// when a split container asks for its next volume, the volume is taken from
// the payload or, failing that, from the host directory beside the input.
// The engine's messages are printed on stderr.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "package/container.h"
#include "package/virtual_file.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "shell/setup_context.h"

namespace quorril::pack {

class PackageReader : public CopyHost {
 public:
  enum class Kind { kPackage, kContainer, kOther };
  static constexpr const char* kSourceDirectory = "C:\\SRC\\";
  static constexpr const char* kOutputDirectory = "C:\\OUT\\";

  PackageReader(const char* command, const std::string& hostPath);

  // Reads the input; false (with a message) when it cannot be read.
  bool Load();
  Kind kind() const { return kind_; }
  // The input's file name, as the engine sees it (C:\SRC\ + name).
  const std::string& name() const { return name_; }

  // The payload's entries in chain order; false (with a message) when the
  // chain is damaged. Only for a package.
  bool Entries(std::vector<ArchiveEntry>* entries);
  // The stored bytes of an entry (cut to what the file holds).
  std::string EntryData(const ArchiveEntry& entry) const;
  // The 58-byte volume header at the start of `data`, if it is one.
  static bool ReadVolumeHeader(const std::string& data, VolumeHeader* header);

  // The member headers of the container `name` (in the payload or on the
  // machine), across its volumes; false (with a message) when the container
  // is damaged or a volume is missing.
  bool WalkContainer(const std::string& name, std::vector<MemberHeader>* members);
  // Expands the container `name` into C:\OUT\ with the engine; the engine's
  // result (kUnshrinkDone, kUnshrinkStopped, kUnshrinkNotContainer).
  int Expand(const std::string& name);

  MemoryFileSystem& files() { return files_; }
  SetupContext& context() { return ctx_; }

  // CopyHost
  ProgressCounters& Counters() override { return counters_; }
  bool PumpMessages() override { return false; }
  void Progress(int) override {}
  void ShowFileName(const std::string&) override {}
  int AskNextDisk(bool advance, bool restore) override;

 private:
  bool LoadBeside(const std::string& name);
  void PrintEngineMessages();

  const char* command_;
  std::string hostPath_;
  std::string name_;
  Kind kind_ = Kind::kOther;
  std::string data_;
  MemoryFileSystem files_;
  MemoryMachine machine_;
  MemoryProcess process_;
  ScriptedUserInterface ui_;
  SetupContext ctx_;
  ProgressCounters counters_;
  size_t messagesShown_ = 0;
};

}  // namespace quorril::pack
