// PackageReader: packages and containers on an in-memory machine.
#include "package_reader.h"

#include <cstdio>
#include <cstring>

#include "host_files.h"

namespace quorril::pack {

PackageReader::PackageReader(const char* command, const std::string& hostPath)
    : command_(command), hostPath_(hostPath), ctx_(Ports{&files_, &machine_, &process_, &ui_}) {
  files_.AddDirectory(kSourceDirectory);
  files_.AddDirectory(kOutputDirectory);
}

bool PackageReader::Load() {
  if (!ReadHostFile(command_, hostPath_, &data_)) return false;
  name_ = HostBaseName(hostPath_);
  if (name_.empty() || !files_.AddFile(kSourceDirectory + name_, data_)) {
    std::fprintf(stderr, "quorril-pack %s: '%s' is no file name the engine can use\n", command_, hostPath_.c_str());
    return false;
  }
  VolumeHeader header;
  if (data_.size() >= kArchiveTrailerSize &&
      std::memcmp(data_.data() + data_.size() - kArchiveTrailerSize, kArchiveMagic, sizeof kArchiveMagic) == 0) {
    kind_ = Kind::kPackage;
    ctx_.archive.AttachArchive(kSourceDirectory + name_);
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
  bool intact = ctx_.archive.WalkArchive([&](const ArchiveEntry& e) {
    entries->push_back(e);
    return true;
  });
  if (!intact) {
    std::fprintf(stderr,
                 "quorril-pack %s: '%s': the payload's chain of entries is damaged after %zu entries (an offset "
                 "outside the file or going backwards, or a header cut short)\n",
                 command_, hostPath_.c_str(), entries->size());
    return false;
  }
  return true;
}

std::string PackageReader::EntryData(const ArchiveEntry& entry) const {
  if (entry.dataOffset >= int64_t(data_.size())) return std::string();
  size_t available = data_.size() - size_t(entry.dataOffset);
  return data_.substr(size_t(entry.dataOffset), std::min<size_t>(entry.size, available));
}

bool PackageReader::LoadBeside(const std::string& name) {
  std::string host = FindBeside(HostDirectory(hostPath_), name);
  if (host.empty()) return false;
  std::string data;
  if (!ReadHostFile(command_, host, &data)) return false;
  return files_.AddFile(kSourceDirectory + name, data);
}

int PackageReader::AskNextDisk(bool advance, bool) {
  const std::string& name = ctx_.continuationName;
  if (advance && (ctx_.archive.Open(kSourceDirectory + name) || LoadBeside(name))) return 0;
  std::fprintf(stderr, "quorril-pack %s: the continuation volume '%s' is neither in '%s' nor beside it\n", command_,
               name.c_str(), hostPath_.c_str());
  return 1;
}

void PackageReader::PrintEngineMessages() {
  // The engine names files on the in-memory machine; name the host's instead.
  const std::string machine = kSourceDirectory;
  const std::string host = HostDirectory(hostPath_) + "/";
  for (; messagesShown_ < ui_.boxes.size(); ++messagesShown_) {
    std::string text = ui_.boxes[messagesShown_].text;
    for (size_t at = 0; (at = text.find(machine, at)) != std::string::npos; at += host.size())
      text.replace(at, machine.size(), host);
    std::fprintf(stderr, "quorril-pack %s: '%s': %s\n", command_, hostPath_.c_str(), text.c_str());
  }
}

int PackageReader::Expand(const std::string& name) {
  int result = UnshrinkContainer(ctx_, *this, kOutputDirectory + name, kSourceDirectory + name,
                                 OverwritePolicy::kYes, kAttrNormal);
  PrintEngineMessages();
  return result;
}

bool PackageReader::WalkContainer(const std::string& name, std::vector<MemberHeader>* members) {
  members->clear();
  VirtualFileSystem& vfs = ctx_.archive;
  std::string volumeName = name;
  std::unique_ptr<VirtualFile> volume = vfs.Open(kSourceDirectory + name);
  auto fail = [&](const std::string& why) {
    std::fprintf(stderr, "quorril-pack %s: '%s': %s\n", command_, volumeName.c_str(), why.c_str());
    return false;
  };
  auto readFull = [&](uint8_t* buffer, int32_t count) {
    int32_t total = 0;
    while (volume && total < count) {
      int32_t got = vfs.Read(*volume, buffer + total, count - total);
      if (got <= 0) break;
      total += got;
    }
    return total;
  };
  if (!volume) return fail("cannot be opened");
  uint8_t raw[kMemberHeaderSize];
  VolumeHeader header;
  if (readFull(raw, kVolumeHeaderSize) != int32_t(kVolumeHeaderSize)) return fail("not a container");
  ParseVolumeHeader(raw, &header);
  if (!header.IsFirstVolume()) return fail("not the first volume of a container");

  auto nextVolume = [&]() {
    if (!header.nameTerminated || !IsValidVolumeName(header.nextVolume))
      return fail("the name of the next volume is not a file name");
    ctx_.continuationName = header.nextVolume;
    if (AskNextDisk(true, false) != 0) return false;
    volume = vfs.Open(kSourceDirectory + header.nextVolume);
    volumeName = header.nextVolume;
    if (!volume) return fail("cannot be opened");
    VolumeHeader next;
    if (readFull(raw, kVolumeHeaderSize) != int32_t(kVolumeHeaderSize)) return fail("not a container volume");
    ParseVolumeHeader(raw, &next);
    if (!next.IsContinuation()) return fail("not a continuation volume");
    header = next;
    return true;
  };

  for (int32_t expected = header.memberCount; expected != 0; --expected) {
    if (readFull(raw, kMemberHeaderSize) != int32_t(kMemberHeaderSize)) {
      if (header.nextVolume.empty())
        return fail("ends where a member header is expected (" + std::to_string(expected) + " more by its count)");
      if (!nextVolume()) return false;
      if (readFull(raw, kMemberHeaderSize) != int32_t(kMemberHeaderSize))
        return fail("no member header at the start of the volume");
    }
    MemberHeader member;
    ParseMemberHeader(raw, &member);
    members->push_back(member);
    // Pass over the data, across volumes.
    uint32_t remaining = member.compressedSize;
    for (;;) {
      int64_t left = int64_t(volume->Size()) - vfs.Tell(*volume);
      if (left >= int64_t(remaining)) {
        vfs.Seek(*volume, int32_t(remaining), 1);
        break;
      }
      remaining -= uint32_t(left);
      if (header.nextVolume.empty()) return fail("the data of '" + member.path + "' runs past the end");
      if (!nextVolume()) return false;
    }
  }
  return true;
}

}  // namespace quorril::pack
