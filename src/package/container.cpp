// Shrunk-file containers: the header codecs, the checks of member paths and
// volume names, and the layout of new containers.
#include "package/container.h"

#include <algorithm>
#include <cstring>

#include "platform/little_endian.h"
#include "platform/text.h"

namespace quorril {

// ---- the format -------------------------------------------------------------------

void ParseVolumeHeader(const uint8_t* bytes, VolumeHeader* header) {
  const char* name = reinterpret_cast<const char*>(bytes);
  size_t length = strnlen(name, kVolumeNameSize);
  header->nextVolume.assign(name, length);
  header->nameTerminated = length < kVolumeNameSize;
  header->magic = ReadLe16(bytes + kVolumeMagicOffset);
  header->memberCount = int16_t(ReadLe16(bytes + kVolumeCountOffset));
  header->kind = ReadLe16(bytes + kVolumeKindOffset);
}

void ParseMemberHeader(const uint8_t* bytes, MemberHeader* header) {
  const char* path = reinterpret_cast<const char*>(bytes);
  size_t length = strnlen(path, kMemberPathSize);
  header->path.assign(path, length);
  header->pathTerminated = length < kMemberPathSize;
  header->attributes = ReadLe32(bytes + kMemberAttributesOffset);
  header->compressedSize = ReadLe32(bytes + kMemberSizeOffset);
  header->dosDate = uint16_t(ReadLe32(bytes + kMemberDateOffset));
  header->dosTime = uint16_t(ReadLe32(bytes + kMemberTimeOffset));
}

void WriteVolumeHeader(const VolumeHeader& header, uint8_t* bytes) {
  std::memset(bytes, 0, kVolumeHeaderSize);
  std::memcpy(bytes, header.nextVolume.data(), std::min<size_t>(header.nextVolume.size(), kVolumeNameSize - 1));
  WriteLe16(bytes + kVolumeMagicOffset, header.magic);
  WriteLe16(bytes + kVolumeCountOffset, uint16_t(header.memberCount));
  WriteLe16(bytes + kVolumeKindOffset, header.kind);
}

void WriteMemberHeader(const MemberHeader& header, uint8_t* bytes) {
  std::memset(bytes, 0, kMemberHeaderSize);
  std::memcpy(bytes, header.path.data(), std::min<size_t>(header.path.size(), kMemberPathSize - 1));
  WriteLe32(bytes + kMemberAttributesOffset, header.attributes);
  WriteLe32(bytes + kMemberSizeOffset, header.compressedSize);
  WriteLe32(bytes + kMemberDateOffset, header.dosDate);
  WriteLe32(bytes + kMemberTimeOffset, header.dosTime);
}

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A component that Windows may resolve to "." or ".." (it drops trailing
// dots and blanks) or to nothing.
static bool IsDotsAndBlanks(std::string_view component) {
  for (char c : component)
    if (c != '.' && c != ' ') return false;
  return true;
}

// CON, PRN, AUX, NUL, CONIN$, CONOUT$, CLOCK$, COM1-9 and LPT1-9 (also
// with the superscript digits 1, 2, 3 of the ANSI code page), with or
// without an extension: names that open a device instead of a file in the
// directory.
static bool IsDeviceName(std::string_view component) {
  std::string_view base = component.substr(0, component.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
    if (EqualsNoCase(base, device)) return true;
  if (base.size() == 4 && (EqualsNoCase(base.substr(0, 3), "COM") || EqualsNoCase(base.substr(0, 3), "LPT"))) {
    unsigned char digit = static_cast<unsigned char>(base[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  }
  return false;
}

bool IsSafeMemberPath(std::string_view path) {
  if (path.empty() || IsSeparator(path[0]) || path.find(':') != std::string_view::npos) return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string_view component = path.substr(start, end - start);
    if (component.empty() || IsDotsAndBlanks(component) || IsDeviceName(component)) return false;
    start = end + 1;
  }
  return true;
}

bool IsValidVolumeName(std::string_view name) {
  if (name.empty() || name.size() > kVolumeNameSize - 1) return false;
  for (char c : name)
    if (IsSeparator(c) || c == ':') return false;
  return !IsDotsAndBlanks(name) && !IsDeviceName(name);
}

// ---- building containers ----------------------------------------------------------

int LayOutContainer(const std::vector<PackedMember>& members, uint32_t volumeSize,
                    const std::function<std::string(int)>& volumeName, std::vector<ContainerVolume>* volumes) {
  volumes->clear();
  if (volumeSize != 0 && volumeSize < kMinimumVolumeSize) return kLayoutVolumeTooSmall;
  if (members.size() > 0x7FFF) return kLayoutTooManyMembers;
  for (const PackedMember& m : members) {
    if (m.path.size() > kMemberPathSize - 1 || !IsSafeMemberPath(m.path)) return kLayoutBadPath;
    if (m.data.size() > 0xFFFFFFFFu) return kLayoutMemberTooLarge;
  }
  std::vector<int16_t> counts;
  auto startVolume = [&]() {
    volumes->push_back(ContainerVolume());
    volumes->back().bytes.assign(kVolumeHeaderSize, '\0');  // filled in at the end
    counts.push_back(0);
  };
  auto room = [&]() -> uint64_t {
    return volumeSize == 0 ? UINT64_MAX : uint64_t(volumeSize) - volumes->back().bytes.size();
  };
  startVolume();
  for (const PackedMember& m : members) {
    uint64_t needed = kMemberHeaderSize + (m.data.empty() ? 0 : 1);
    if (room() < needed) startVolume();
    MemberHeader header;
    header.path = m.path;
    header.attributes = m.attributes;
    header.compressedSize = uint32_t(m.data.size());
    header.dosDate = m.dosDate;
    header.dosTime = m.dosTime;
    uint8_t raw[kMemberHeaderSize];
    WriteMemberHeader(header, raw);
    volumes->back().bytes.append(reinterpret_cast<const char*>(raw), kMemberHeaderSize);
    ++counts.back();
    size_t done = 0;
    while (done < m.data.size()) {
      if (room() == 0) startVolume();
      size_t take = size_t(std::min<uint64_t>(room(), m.data.size() - done));
      volumes->back().bytes.append(m.data, done, take);
      done += take;
    }
  }
  for (size_t i = 0; i < volumes->size(); ++i) {
    if (i > 0) {
      (*volumes)[i].name = volumeName(int(i + 1));
      if (!IsValidVolumeName((*volumes)[i].name)) {
        volumes->clear();
        return kLayoutBadVolumeName;
      }
    }
  }
  for (size_t i = 0; i < volumes->size(); ++i) {
    VolumeHeader header;
    if (i + 1 < volumes->size()) header.nextVolume = (*volumes)[i + 1].name;
    header.magic = kContainerMagic;
    header.kind = i == 0 ? kContainerMagic : kContinuationMagic;
    header.memberCount = i == 0 ? int16_t(members.size()) : counts[i];
    uint8_t raw[kVolumeHeaderSize];
    WriteVolumeHeader(header, raw);
    (*volumes)[i].bytes.replace(0, kVolumeHeaderSize, reinterpret_cast<const char*>(raw), kVolumeHeaderSize);
  }
  return kLayoutOk;
}

}  // namespace quorril
