// Minimal PE images and their signing, for the tests of the payload lookup:
// the DOS stub's pointer, the "PE\0\0" signature, the file header's optional
// header size and an optional header of either kind with its data
// directories. Nothing else of the format is filled in; the lookup reads
// nothing else.
#pragma once

#include <cstdint>
#include <string>

namespace quorril::testing {

enum class PeKind { kPe32, kPe32Plus };

struct PeLayout {
  uint32_t signature = 0x80;  // where "PE\0\0" lies
  uint32_t optional() const { return signature + 24; }
  uint32_t countField(PeKind kind) const { return optional() + (kind == PeKind::kPe32 ? 92 : 108); }
  uint32_t securityDirectory(PeKind kind) const { return optional() + (kind == PeKind::kPe32 ? 96 : 112) + 4 * 8; }
};

inline void PutLe16(std::string& s, size_t at, uint16_t v) {
  s[at] = char(v & 0xFF);
  s[at + 1] = char(v >> 8);
}
inline void PutLe32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = char((v >> (8 * i)) & 0xFF);
}

// An image of `size` bytes (at least 0x200) with 16 data directories, none
// of them set.
inline std::string PeImage(PeKind kind, size_t size = 0x400) {
  PeLayout at;
  std::string image(size, '\x90');
  image[0] = 'M';
  image[1] = 'Z';
  PutLe32(image, 0x3C, at.signature);
  image.replace(at.signature, 4, std::string("PE\0\0", 4));
  const uint16_t optionalSize = kind == PeKind::kPe32 ? 224 : 240;
  PutLe16(image, at.signature + 4 + 16, optionalSize);
  PutLe16(image, at.optional(), kind == PeKind::kPe32 ? 0x10B : 0x20B);
  PutLe32(image, at.countField(kind), 16);
  for (uint32_t d = 0; d < 16 * 8; ++d) image[at.countField(kind) + 4 + d] = '\0';
  return image;
}

// Sets the security directory of `file` (a PeImage) to the given offset and
// size.
inline void SetCertificateDirectory(std::string& file, PeKind kind, uint32_t offset, uint32_t size) {
  PeLayout at;
  PutLe32(file, at.securityDirectory(kind), offset);
  PutLe32(file, at.securityDirectory(kind) + 4, size);
}

// What a signer does: zeros up to the next 8-byte boundary, then a
// certificate table of `tableSize` bytes that ends the file, named by the
// security directory.
inline std::string Sign(std::string file, PeKind kind, uint32_t tableSize = 1456) {
  file.append((8 - file.size() % 8) % 8, '\0');
  const uint32_t table = uint32_t(file.size());
  std::string certificate(tableSize, '\x30');
  PutLe32(certificate, 0, tableSize);
  file += certificate;
  SetCertificateDirectory(file, kind, table, tableSize);
  return file;
}

}  // namespace quorril::testing
