// Finding the payload's trailer, in an unsigned or a signed package.
//
// An unsigned package ends with its 16-byte trailer. Signing the package
// (Authenticode) appends a certificate table after it, so the trailer then
// lies just in front of that table. The lookup tries exactly two places:
//
//   [image][payload][trailer]                            the last 16 bytes
//   [image][payload][trailer][0-7 zero bytes][certificate table]
//
// and nowhere else: a package whose certificate table does not end the file
// has no trailer this lookup accepts.
//
// Format notes
// ------------
// The certificate table is named by the PE optional header's security
// directory (data directory 4). Unlike every other directory, its address is
// a file offset, not a relative virtual address.
//
//   0x3C           offset of the PE signature "PE\0\0" (32-bit)
//   signature + 4  file header, 20 bytes; its bytes 16-17 are the size of
//                  the optional header
//   signature + 24 optional header: magic 0x10B (PE32) or 0x20B (PE32+);
//                  the number of data directories at 92 (PE32) / 108 (PE32+),
//                  the directories (8 bytes each: offset, size) from
//                  96 (PE32) / 112 (PE32+)
//
// The table starts on an 8-byte boundary; a signer pads the unsigned file
// with up to 7 zero bytes to reach it, so the trailer may end up to 7 bytes
// before the table (only when the table starts on such a boundary). A
// directory of size 0 means the file is not signed. A table that does not
// lie within the file is damage, and the package is refused.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quorril {

// The trailer: this magic, then the offsets of the first and last entry
// headers (32-bit each).
constexpr char kArchiveMagic[8] = {'[', 'Z', 'e', 'm', 'k', 'o', ']', '\0'};
constexpr uint32_t kArchiveTrailerSize = 16;
// A signer pads the file to this boundary before the certificate table.
constexpr uint32_t kCertificateAlignment = 8;

// Where the lookup found the trailer, or why it found none. Distinct codes,
// with one text each (TrailerStatusText).
enum class TrailerStatus {
  kAtEnd,                     // the last 16 bytes are the trailer
  kBeforeCertificates,        // the trailer lies just in front of the certificate table
  kNone,                      // no trailer at the end, and no certificate table
  kSignedWithoutTrailer,      // signed (the table ends the file), but no trailer in front of it
  kCertificatesNotAtEnd,      // a certificate table that does not end the file
  kCertificatesOutsideFile,   // a certificate table that does not lie inside the file: refused
};

struct TrailerLookup {
  TrailerStatus status = TrailerStatus::kNone;
  int64_t offset = 0;       // of the trailer (kAtEnd, kBeforeCertificates)
  uint32_t firstEntry = 0;  // the trailer's offset of the first entry header
  uint32_t lastEntry = 0;   // ... and of the last
  int64_t certificateOffset = 0;  // the table, when the optional header names one
  int64_t certificateSize = 0;

  bool Found() const { return status == TrailerStatus::kAtEnd || status == TrailerStatus::kBeforeCertificates; }
  // The end of the payload: the byte after the trailer (0 when none).
  int64_t PayloadEnd() const { return Found() ? offset + kArchiveTrailerSize : 0; }
};

// Reads `count` bytes at `offset` of the file; false when they cannot all be
// read.
using ReadAtFunction = std::function<bool(int64_t offset, void* buffer, uint32_t count)>;

// Looks for the trailer in a file of `size` bytes.
TrailerLookup FindPayloadTrailer(int64_t size, const ReadAtFunction& readAt);
// The same over bytes in memory.
TrailerLookup FindPayloadTrailer(const std::string& bytes);

// A sentence for a status, for the tool's and the engine's messages.
const char* TrailerStatusText(TrailerStatus status);

}  // namespace quorril
