// Fuzz target for the payload trailer lookup: any bytes as the executable.
//
// Checked besides the sanitizers: the lookup reads only inside the file; a
// trailer it reports carries the magic and lies where the status says (the
// last 16 bytes, or in front of a certificate table that ends the file with
// at most the signer's zero padding between); the statuses about a table
// agree with the table's place; and looking again gives the same answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "package/payload_trailer.h"

using namespace quorril;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const TrailerLookup found = FindPayloadTrailer(int64_t(size), [&](int64_t offset, void* buffer, uint32_t count) {
    if (offset < 0 || uint64_t(offset) + count > size) std::abort();  // the lookup checks before it reads
    std::memcpy(buffer, data + offset, count);
    return true;
  });
  const int64_t end = int64_t(size);
  if (found.Found()) {
    if (found.offset < 0 || found.PayloadEnd() > end ||
        std::memcmp(data + found.offset, kArchiveMagic, sizeof kArchiveMagic) != 0)
      std::abort();
  }
  switch (found.status) {
    case TrailerStatus::kAtEnd:
      if (found.PayloadEnd() != end) std::abort();
      break;
    case TrailerStatus::kBeforeCertificates: {
      const int64_t gap = found.certificateOffset - found.PayloadEnd();
      if (found.certificateOffset + found.certificateSize != end || gap < 0 ||
          gap >= int64_t(kCertificateAlignment) || (gap > 0 && found.certificateOffset % kCertificateAlignment != 0))
        std::abort();
      for (int64_t i = found.PayloadEnd(); i < found.certificateOffset; ++i)
        if (data[i] != 0) std::abort();
      break;
    }
    case TrailerStatus::kSignedWithoutTrailer:
      if (found.certificateOffset + found.certificateSize != end) std::abort();
      break;
    case TrailerStatus::kCertificatesNotAtEnd:
      if (found.certificateOffset + found.certificateSize >= end) std::abort();
      break;
    case TrailerStatus::kCertificatesOutsideFile:
      if (found.certificateOffset + found.certificateSize <= end) std::abort();
      break;
    case TrailerStatus::kNone:
      break;
  }
  const TrailerLookup again = FindPayloadTrailer(bytes);
  if (again.status != found.status || again.offset != found.offset || again.firstEntry != found.firstEntry)
    std::abort();
  return 0;
}
