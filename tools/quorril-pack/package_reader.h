// PackageReader: a package (the engine with its payload) or a shrunk-file
// container, read with the engine's own readers, for `list` and `extract`.
//
// The input is loaded into an in-memory machine as C:\SRC\<its name>; a
// package's payload is attached as the embedded archive, so every member is
// found by the engine's own lookup (which finds a signed package's trailer in
// front of its certificate table). Containers are walked by the engine's
// ContainerReader and their members expanded by its decompressor; a split
// container's next volume is taken from the payload or, failing that, from
// the host directory beside the input. Every failure is printed here, in
// the tool's own words, as "quorril-pack COMMAND: 'NAME': ...".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "package/container_reader.h"
#include "package/virtual_file.h"
#include "platform/memory/memory_file_system.h"

namespace quorril::pack {

class PackageReader : public VolumeSource {
 public:
  // kRefused: a signed file whose certificate table does not lie inside it
  // (Load has said so).
  enum class Kind { kPackage, kContainer, kOther, kRefused };
  static constexpr const char* kSourceDirectory = "C:\\SRC\\";

  PackageReader(const char* command, const std::string& hostPath);

  // Reads the input; false (with a message) when it cannot be read.
  bool Load();
  Kind kind() const { return kind_; }
  // The input's file name, as the engine sees it (C:\SRC\ + name).
  const std::string& name() const { return name_; }
  // The input's bytes.
  const std::string& Data() const { return data_; }
  // Where the payload's trailer was found (at the end, or in front of a
  // signed package's certificate table), or why none was.
  const TrailerLookup& Trailer() const { return trailer_; }

  // The payload's entries in chain order; false (with a message) when the
  // chain is damaged: an offset out of order, an entry whose data does not
  // fill the bytes up to the next header (or the trailer) exactly, or a
  // chain that does not end at the trailer's last entry. Only for a package.
  bool Entries(std::vector<ArchiveEntry>* entries);
  // The stored bytes of an entry (cut to what the file holds).
  std::string EntryData(const ArchiveEntry& entry) const;
  // The 58-byte volume header at the start of `data`, if it is one.
  static bool ReadVolumeHeader(const std::string& data, VolumeHeader* header);

  // What Expand hands over for each member: its header and its expanded
  // bytes, in blocks (`data` is null once, at the member's end). A false
  // return ends the walk.
  using MemberSink = std::function<bool(const MemberHeader& member, const char* data, size_t size)>;
  // Walks the container `name` (in the payload or beside the input) and
  // expands every member into `sink`. False (with a message) when the
  // container is damaged, a volume is missing or the sink stopped.
  bool Expand(const std::string& name, const MemberSink& sink);

  // VolumeSource: a continuation volume from the payload or beside the input.
  std::unique_ptr<VirtualFile> OpenVolume(const std::string& path, const std::string& name) override;

 private:
  bool ChainIsWhole(const std::vector<ArchiveEntry>& entries) const;
  bool LoadBeside(const std::string& name);
  bool Fail(const std::string& volume, const std::string& why) const;
  // The reader's failure, naming the volume it concerns (and the next
  // volume's name when the chain of volumes is at fault).
  bool FailReader(const ContainerReader& reader, ContainerStatus status) const;

  const char* command_;
  std::string hostPath_;
  std::string name_;
  Kind kind_ = Kind::kOther;
  std::string data_;
  TrailerLookup trailer_;
  MemoryFileSystem files_;
  VirtualFileSystem archive_;
};

}  // namespace quorril::pack
