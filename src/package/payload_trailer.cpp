// The payload trailer at the end of the file or in front of the certificate
// table.
#include "package/payload_trailer.h"

#include <cstring>

#include "platform/little_endian.h"

namespace quorril {
namespace {

constexpr int64_t kPeOffsetField = 0x3C;
constexpr uint32_t kFileHeaderSize = 20;
constexpr uint32_t kOptionalHeaderSizeField = 16;  // within the file header
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kSecurityDirectory = 4;
constexpr uint32_t kDirectorySize = 8;

struct DirectoryLayout {
  uint32_t countField;  // offset of the number of directories in the optional header
  uint32_t first;       // offset of the first directory
};
constexpr DirectoryLayout kPe32Layout = {92, 96};
constexpr DirectoryLayout kPe32PlusLayout = {108, 112};
static_assert(kPe32Layout.first == kPe32Layout.countField + 4 && kPe32PlusLayout.first == kPe32PlusLayout.countField + 4,
              "the directories follow their count");

bool IsTrailerAt(int64_t offset, const ReadAtFunction& readAt, TrailerLookup* found) {
  uint8_t trailer[kArchiveTrailerSize];
  if (offset < 0 || !readAt(offset, trailer, kArchiveTrailerSize) ||
      std::memcmp(trailer, kArchiveMagic, sizeof kArchiveMagic) != 0)
    return false;
  found->offset = offset;
  found->firstEntry = ReadLe32(trailer + 8);
  found->lastEntry = ReadLe32(trailer + 12);
  return true;
}

// The security directory of a PE image; false when the file is no PE image
// or its optional header names no certificate table.
bool ReadSecurityDirectory(int64_t size, const ReadAtFunction& readAt, uint32_t* offset, uint32_t* length) {
  uint8_t field[4];
  if (size < kPeOffsetField + 4 || !readAt(0, field, 2) || field[0] != 'M' || field[1] != 'Z' ||
      !readAt(kPeOffsetField, field, 4))
    return false;
  const int64_t signature = ReadLe32(field);
  uint8_t headers[4 + kFileHeaderSize + 2];
  if (signature + int64_t(sizeof headers) > size || !readAt(signature, headers, sizeof headers) ||
      std::memcmp(headers, "PE\0\0", 4) != 0)
    return false;
  const uint32_t optionalSize = ReadLe16(headers + 4 + kOptionalHeaderSizeField);
  const uint16_t magic = ReadLe16(headers + 4 + kFileHeaderSize);
  DirectoryLayout layout;
  if (magic == kPe32Magic)
    layout = kPe32Layout;
  else if (magic == kPe32PlusMagic)
    layout = kPe32PlusLayout;
  else
    return false;
  const uint32_t directoryEnd = layout.first + (kSecurityDirectory + 1) * kDirectorySize;
  if (optionalSize < directoryEnd) return false;
  const int64_t optional = signature + 4 + kFileHeaderSize;
  if (optional + directoryEnd > size || !readAt(optional + layout.countField, field, 4) ||
      ReadLe32(field) <= kSecurityDirectory)
    return false;
  uint8_t directory[kDirectorySize];
  if (!readAt(optional + layout.first + kSecurityDirectory * kDirectorySize, directory, kDirectorySize)) return false;
  *offset = ReadLe32(directory);
  *length = ReadLe32(directory + 4);
  return *length != 0;
}

}  // namespace

TrailerLookup FindPayloadTrailer(int64_t size, const ReadAtFunction& readAt) {
  TrailerLookup found;
  if (size >= int64_t(kArchiveTrailerSize) && IsTrailerAt(size - kArchiveTrailerSize, readAt, &found)) {
    found.status = TrailerStatus::kAtEnd;
    return found;
  }
  uint32_t tableOffset = 0, tableSize = 0;
  if (!ReadSecurityDirectory(size, readAt, &tableOffset, &tableSize)) return found;
  found.certificateOffset = tableOffset;
  found.certificateSize = tableSize;
  const int64_t tableEnd = int64_t(tableOffset) + tableSize;
  if (tableEnd > size) {
    found.status = TrailerStatus::kCertificatesOutsideFile;
    return found;
  }
  if (tableEnd != size) {
    found.status = TrailerStatus::kCertificatesNotAtEnd;
    return found;
  }
  // Directly in front of the table, or in front of the zeros that bring the
  // table to its boundary.
  const uint32_t maxPadding = tableOffset % kCertificateAlignment == 0 ? kCertificateAlignment - 1 : 0;
  uint8_t padding[kCertificateAlignment];
  for (uint32_t pad = 0; pad <= maxPadding && pad <= tableOffset; ++pad) {
    if (pad > 0) {
      if (!readAt(int64_t(tableOffset) - pad, padding, 1) || padding[0] != 0) break;
    }
    if (IsTrailerAt(int64_t(tableOffset) - pad - kArchiveTrailerSize, readAt, &found)) {
      found.status = TrailerStatus::kBeforeCertificates;
      return found;
    }
  }
  found.status = TrailerStatus::kSignedWithoutTrailer;
  return found;
}

TrailerLookup FindPayloadTrailer(const std::string& bytes) {
  return FindPayloadTrailer(int64_t(bytes.size()), [&](int64_t offset, void* buffer, uint32_t count) {
    if (offset < 0 || offset > int64_t(bytes.size()) || count > bytes.size() - size_t(offset)) return false;
    std::memcpy(buffer, bytes.data() + offset, count);
    return true;
  });
}

const char* TrailerStatusText(TrailerStatus status) {
  switch (status) {
    case TrailerStatus::kAtEnd:
      return "the payload trailer ends the file";
    case TrailerStatus::kBeforeCertificates:
      return "the payload trailer lies in front of the certificate table";
    case TrailerStatus::kNone:
      return "no payload trailer";
    case TrailerStatus::kSignedWithoutTrailer:
      return "signed, but no payload trailer lies in front of its certificate table";
    case TrailerStatus::kCertificatesNotAtEnd:
      return "its certificate table does not end the file, so no payload trailer is looked for";
    case TrailerStatus::kCertificatesOutsideFile:
      return "its certificate table does not lie inside the file (the file is cut short or damaged)";
  }
  return "unknown";
}

}  // namespace quorril
