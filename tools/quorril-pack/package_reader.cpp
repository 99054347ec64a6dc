// PackageReader: packages and containers on an in-memory machine.
#include "package_reader.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "host_files.h"
#include "package/explode.h"
#include "platform/little_endian.h"

namespace quorril::pack {

PackageReader::PackageReader(const char* command, const std::string& hostPath)
    : command_(command), hostPath_(hostPath), archive_(&files_) {
  files_.AddDirectory(kSourceDirectory);
}

bool PackageReader::Load() {
  if (!ReadHostFile(command_, hostPath_, &data_)) return false;
  name_ = HostBaseName(hostPath_);
  if (name_.empty() || !files_.AddFile(kSourceDirectory + name_, data_)) {
    std::fprintf(stderr, "quorril-pack %s: '%s' is no file name the engine can use\n", command_,
                 Printable(hostPath_).c_str());
    return false;
  }
  VolumeHeader header;
  trailer_ = FindPayloadTrailer(data_);
  if (trailer_.status == TrailerStatus::kCertificatesOutsideFile) {
    std::fprintf(stderr, "quorril-pack %s: '%s': %s\n", command_, Printable(hostPath_).c_str(),
                 TrailerStatusText(trailer_.status));
    kind_ = Kind::kRefused;
    return true;
  }
  if (trailer_.Found()) {
    kind_ = Kind::kPackage;
    archive_.AttachArchive(kSourceDirectory + name_);
  } else if (ReadVolumeHeader(data_, &header) && header.IsFirstVolume()) {
    kind_ = Kind::kContainer;
  } else {
    kind_ = Kind::kOther;
  }
  return true;
}

bool PackageReader::ReadVolumeHeader(const std::string& data, VolumeHeader* header) {
  if (data.size() < kVolumeHeaderSize) return false;
  ParseVolumeHeader(reinterpret_cast<const uint8_t*>(data.data()), header);
  return header->magic == kContainerMagic &&
         (header->kind == kContainerMagic || header->kind == kContinuationMagic);
}

bool PackageReader::Entries(std::vector<ArchiveEntry>* entries) {
  entries->clear();
  bool intact = archive_.WalkArchive([&](const ArchiveEntry& e) {
    entries->push_back(e);
    return true;
  });
  if (!intact) {
    std::fprintf(stderr,
                 "quorril-pack %s: '%s': the payload's chain of entries is damaged after %zu entries (an offset "
                 "outside the file or going backwards, or a header cut short)\n",
                 command_, Printable(hostPath_).c_str(), entries->size());
    return false;
  }
  return ChainIsWhole(*entries);
}

// The packer writes every entry's data directly after its header, the next
// header directly after the data, and the trailer directly after the last
// entry's data, naming that entry. Anything else is damage: a size cut or
// grown, a next offset changed, data that runs out before its size.
bool PackageReader::ChainIsWhole(const std::vector<ArchiveEntry>& entries) const {
  // A signed package's certificate table follows the trailer.
  const int64_t trailer = trailer_.PayloadEnd() - kArchiveTrailerSize;
  auto fail = [&](const std::string& why) {
    std::fprintf(stderr, "quorril-pack %s: '%s': the payload is damaged: %s\n", command_,
                 Printable(hostPath_).c_str(), why.c_str());
    return false;
  };
  const uint32_t lastNamed = ReadLe32(data_, size_t(trailer) + 12);
  const int64_t lastFound = entries.empty() ? 0 : entries.back().dataOffset - kArchiveHeaderSize;
  if (int64_t(lastNamed) != lastFound)
    return fail("the chain of entries ends at its entry " + std::to_string(entries.size()) + " (offset " +
                std::to_string(lastFound) + "), but the trailer names offset " + std::to_string(lastNamed) +
                " as the last entry");
  for (size_t i = 0; i < entries.size(); ++i) {
    const ArchiveEntry& e = entries[i];
    const bool last = i + 1 == entries.size();
    const int64_t end = last ? trailer : entries[i + 1].dataOffset - kArchiveHeaderSize;
    const int64_t room = end - e.dataOffset;
    if (room == int64_t(e.size)) continue;
    const std::string name = "the entry '" + Printable(e.name) + "' (entry " + std::to_string(i + 1) + ")";
    const std::string until = last ? "the trailer" : "the next entry '" + Printable(entries[i + 1].name) + "'";
    if (room < int64_t(e.size))
      return fail(name + " states " + std::to_string(e.size) + " bytes, but only " +
                  std::to_string(room < 0 ? 0 : room) + " lie before " + until);
    return fail(name + " states " + std::to_string(e.size) + " bytes, but " + std::to_string(room) +
                " lie before " + until);
  }
  return true;
}

std::string PackageReader::EntryData(const ArchiveEntry& entry) const {
  // A signed package's certificate table, after the trailer, is no entry's.
  const int64_t end = trailer_.Found() ? trailer_.PayloadEnd() : int64_t(data_.size());
  if (entry.dataOffset >= end) return std::string();
  size_t available = size_t(end - entry.dataOffset);
  return data_.substr(size_t(entry.dataOffset), std::min<size_t>(entry.size, available));
}

bool PackageReader::LoadBeside(const std::string& name) {
  std::string host = FindBeside(HostDirectory(hostPath_), name);
  if (host.empty()) return false;
  std::string data;
  if (!ReadHostFile(command_, host, &data)) return false;
  return files_.AddFile(kSourceDirectory + name, data);
}

std::unique_ptr<VirtualFile> PackageReader::OpenVolume(const std::string& path, const std::string& name) {
  std::unique_ptr<VirtualFile> volume = archive_.Open(path);
  if (!volume && LoadBeside(name)) volume = archive_.Open(path);
  if (!volume)
    std::fprintf(stderr, "quorril-pack %s: the continuation volume '%s' is neither in '%s' nor beside it\n", command_,
                 Printable(name).c_str(), Printable(hostPath_).c_str());
  return volume;
}

bool PackageReader::Fail(const std::string& volume, const std::string& why) const {
  std::string shown = volume.compare(0, std::strlen(kSourceDirectory), kSourceDirectory) == 0
                          ? volume.substr(std::strlen(kSourceDirectory))
                          : volume;
  std::fprintf(stderr, "quorril-pack %s: '%s': %s\n", command_, Printable(shown).c_str(), Printable(why).c_str());
  return false;
}

bool PackageReader::FailReader(const ContainerReader& reader, ContainerStatus status) const {
  std::string why = ContainerStatusText(status);
  if (status == ContainerStatus::kVolumeRepeated || status == ContainerStatus::kTooManyVolumes)
    why += " ('" + reader.NextVolumeName() + "')";
  if (status == ContainerStatus::kBadMemberPath) why += ": '" + reader.MemberPath() + "'";
  return Fail(reader.VolumePath(), why);
}

namespace {

// The decompressor's callbacks between the reader and a member sink.
struct Expansion {
  ContainerReader& reader;
  const MemberHeader& member;
  const PackageReader::MemberSink& sink;
  bool readFailed = false;
  bool sinkStopped = false;

  static unsigned Read(char* buffer, unsigned* size, void* user) {
    auto* self = static_cast<Expansion*>(user);
    if (self->readFailed || self->sinkStopped) return 0;
    int32_t got = self->reader.Read(buffer, *size);
    if (got < 0) {
      self->readFailed = true;
      return 0;
    }
    return unsigned(got);
  }
  static void Write(char* buffer, unsigned* size, void* user) {
    auto* self = static_cast<Expansion*>(user);
    if (self->sinkStopped) return;
    if (!self->sink(self->member, buffer, *size)) self->sinkStopped = true;
  }
};

}  // namespace

bool PackageReader::Expand(const std::string& name, const MemberSink& sink) {
  ContainerReader reader(archive_, this);
  const std::string path = kSourceDirectory + name;
  ContainerStatus status = reader.Open(path);
  if (status != ContainerStatus::kOk) return Fail(path, ContainerStatusText(status));
  // The engine would read on for a count below 0 until a header is missing.
  if (reader.FirstVolume().memberCount < 0)
    return Fail(path, "counts " + std::to_string(reader.FirstVolume().memberCount) +
                          " members: a count below 0 is damage");
  std::unique_ptr<uint8_t[]> work(new (std::nothrow) uint8_t[kExplodeWorkAreaSize]());
  if (!work) return Fail(path, "not enough memory to expand it");
  for (;;) {
    MemberHeader member;
    status = reader.NextMember(&member);
    if (status == ContainerStatus::kEnd) return true;
    if (status == ContainerStatus::kNoVolume) return false;  // said by OpenVolume
    if (status != ContainerStatus::kOk) return FailReader(reader, status);
    if (member.compressedSize != 0) {
      Expansion expansion{reader, member, sink};
      int result = ExplodeStream(&Expansion::Read, &Expansion::Write, work.get(), &expansion);
      if (expansion.sinkStopped) return false;
      if (expansion.readFailed) {
        if (reader.Status() == ContainerStatus::kNoVolume) return false;
        return FailReader(reader, reader.Status());
      }
      if (result != kExplodeOk) {
        if (reader.RanOut())
          return Fail(reader.VolumePath(), "the data of '" + member.path + "' runs past the end of the container");
        return Fail(reader.VolumePath(), "the data of '" + member.path + "' is not a valid stream: " +
                                             ExplodeResultText(result));
      }
      // A stream that ends before its stated size leaves data to pass over;
      // all of it must be there, though the engine would not miss it.
      if (reader.Delivered() < member.compressedSize) {
        status = reader.Skip();
        if (status == ContainerStatus::kNoVolume) return false;
        if (status != ContainerStatus::kOk) return FailReader(reader, status);
      }
      if (reader.RanOut())
        return Fail(reader.VolumePath(), "the data of '" + member.path + "' runs past the end of the container");
    }
    if (!sink(member, nullptr, 0)) return false;
  }
}

}  // namespace quorril::pack
