// Finding the payload trailer: at the end of an unsigned package, in front
// of a signed package's certificate table (PE32 and PE32+, with the zeros a
// signer pads with), and nowhere else; tables that do not end the file, that
// leave it, and headers cut short or not describing a table.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "package/payload_trailer.h"
#include "support/pe_image.h"

namespace quorril {
namespace {

using testing::PeImage;
using testing::PeKind;
using testing::PeLayout;
using testing::PutLe16;
using testing::PutLe32;
using testing::SetCertificateDirectory;
using testing::Sign;

std::string Trailer(uint32_t first, uint32_t last) {
  std::string trailer(kArchiveTrailerSize, '\0');
  std::memcpy(&trailer[0], kArchiveMagic, sizeof kArchiveMagic);
  PutLe32(trailer, 8, first);
  PutLe32(trailer, 12, last);
  return trailer;
}

// An image, some payload bytes and the trailer; `payload` bytes long in all
// (so that the payload's end can be put anywhere against the 8-byte
// boundary).
std::string Package(PeKind kind, size_t payload) {
  std::string package = PeImage(kind);
  const uint32_t first = uint32_t(package.size());
  package.append(payload - kArchiveTrailerSize, 'p');
  package += Trailer(first, first + 4);
  return package;
}

const PeKind kKinds[] = {PeKind::kPe32, PeKind::kPe32Plus};

TEST(PayloadTrailer, AnUnsignedPackageEndsWithItsTrailer) {
  for (PeKind kind : kKinds) {
    const std::string package = Package(kind, 300);
    TrailerLookup found = FindPayloadTrailer(package);
    EXPECT_EQ(found.status, TrailerStatus::kAtEnd);
    EXPECT_EQ(found.offset, int64_t(package.size() - kArchiveTrailerSize));
    EXPECT_EQ(found.firstEntry, 0x400u);
    EXPECT_EQ(found.lastEntry, 0x404u);
    EXPECT_EQ(found.PayloadEnd(), int64_t(package.size()));
  }
  // Not even a PE image is needed for that.
  EXPECT_EQ(FindPayloadTrailer("image" + Trailer(1, 2)).status, TrailerStatus::kAtEnd);
}

// Every position of the payload's end against the boundary the table starts
// on: the signer's zeros (0 to 7 of them) are passed over.
TEST(PayloadTrailer, ASignedPackagesTrailerIsFoundInFrontOfItsTableAfterThePadding) {
  for (PeKind kind : kKinds)
    for (size_t payload = 296; payload < 304; ++payload) {
      SCOPED_TRACE(::testing::Message() << (kind == PeKind::kPe32 ? "PE32 " : "PE32+ ") << payload);
      const std::string unsigned_ = Package(kind, payload);
      const std::string signed_ = Sign(unsigned_, kind);
      TrailerLookup found = FindPayloadTrailer(signed_);
      EXPECT_EQ(found.status, TrailerStatus::kBeforeCertificates);
      EXPECT_EQ(found.offset, int64_t(unsigned_.size() - kArchiveTrailerSize));
      EXPECT_EQ(found.PayloadEnd(), int64_t(unsigned_.size()));
      EXPECT_EQ(found.firstEntry, 0x400u);
      EXPECT_EQ(found.certificateSize, 1456);
      EXPECT_EQ(found.certificateOffset + found.certificateSize, int64_t(signed_.size()));
    }
}

// The trailer is looked for in those two places only; the statuses say why
// nothing was found.
TEST(PayloadTrailer, NoWhereElseAndEachReasonIsTold) {
  struct Case {
    const char* what;
    std::function<std::string(PeKind)> make;
    TrailerStatus status;
  };
  const std::vector<Case> cases = {
      {"a bare image", [](PeKind k) { return PeImage(k); }, TrailerStatus::kNone},
      {"a signed bare image", [](PeKind k) { return Sign(PeImage(k), k); }, TrailerStatus::kSignedWithoutTrailer},
      {"a trailer with bytes after it, unsigned",
       [](PeKind k) { return Package(k, 304) + "tail"; }, TrailerStatus::kNone},
      {"a trailer with bytes between it and the table",
       [](PeKind k) { return Sign(Package(k, 304) + std::string(8, 'x'), k); }, TrailerStatus::kSignedWithoutTrailer},
      {"more zeros than a boundary needs",
       [](PeKind k) { return Sign(Package(k, 304) + std::string(8, '\0'), k); }, TrailerStatus::kSignedWithoutTrailer},
      {"zeros in front of a table off the boundary",
       [](PeKind k) {
         std::string p = Package(k, 301) + std::string(2, '\0');  // the table at an odd offset
         const uint32_t table = uint32_t(p.size());
         p.append(64, 'c');
         SetCertificateDirectory(p, k, table, 64);
         return p;
       },
       TrailerStatus::kSignedWithoutTrailer},
      {"a table that does not end the file",
       [](PeKind k) { return Sign(Package(k, 304), k) + "appended later"; }, TrailerStatus::kCertificatesNotAtEnd},
      {"a table that runs past the end",
       [](PeKind k) {
         std::string p = Sign(Package(k, 304), k);
         p.resize(p.size() - 1);
         return p;
       },
       TrailerStatus::kCertificatesOutsideFile},
      {"a table that starts past the end",
       [](PeKind k) {
         std::string p = Package(k, 300);
         SetCertificateDirectory(p, k, uint32_t(p.size() + 8), 16);
         return p + "x";
       },
       TrailerStatus::kCertificatesOutsideFile},
      {"a table whose end overflows 32 bits",
       [](PeKind k) {
         std::string p = Package(k, 300);
         SetCertificateDirectory(p, k, 0xFFFFFFF8u, 0x10);
         return p + "x";
       },
       TrailerStatus::kCertificatesOutsideFile},
      {"a directory of size 0 names no table",
       [](PeKind k) {
         std::string p = Package(k, 300);
         SetCertificateDirectory(p, k, 0x400, 0);
         return p + "x";
       },
       TrailerStatus::kNone},
  };
  for (PeKind kind : kKinds)
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << (kind == PeKind::kPe32 ? "PE32: " : "PE32+: ") << c.what);
      const std::string file = c.make(kind);
      TrailerLookup found = FindPayloadTrailer(file);
      EXPECT_EQ(found.status, c.status);
      EXPECT_FALSE(found.Found());
      EXPECT_EQ(found.PayloadEnd(), 0);
      EXPECT_NE(std::string(TrailerStatusText(found.status)), "unknown");
    }
}

// Headers that are cut short or do not describe a security directory: no
// table, so no trailer in front of one, and nothing read out of bounds.
TEST(PayloadTrailer, HeadersCutShortOrWithoutASecurityDirectoryNameNoTable) {
  const PeLayout at;
  struct Damage {
    const char* what;
    std::function<void(std::string&, PeKind)> apply;
  };
  const std::vector<Damage> damages = {
      {"no MZ", [](std::string& s, PeKind) { s[1] = 'X'; }},
      {"PE signature outside the file", [](std::string& s, PeKind) { PutLe32(s, 0x3C, 0xFFFFFFF0u); }},
      {"PE signature wrong", [&](std::string& s, PeKind) { s[at.signature + 2] = 'X'; }},
      {"unknown optional header magic", [&](std::string& s, PeKind) { PutLe16(s, at.optional(), 0x107); }},
      {"optional header too short for the directory",
       [&](std::string& s, PeKind k) { PutLe16(s, at.signature + 20, k == PeKind::kPe32 ? 135 : 151); }},
      {"only four directories", [&](std::string& s, PeKind k) { PutLe32(s, at.countField(k), 4); }},
      {"cut inside the file header", [&](std::string& s, PeKind) { s.resize(at.signature + 10); }},
      {"cut inside the optional header", [&](std::string& s, PeKind) { s.resize(at.optional() + 40); }},
      {"cut inside the security directory",
       [&](std::string& s, PeKind k) { s.resize(at.securityDirectory(k) + 6); }},
      {"cut inside the DOS header", [](std::string& s, PeKind) { s.resize(0x3D); }},
  };
  for (PeKind kind : kKinds)
    for (const Damage& d : damages) {
      SCOPED_TRACE(::testing::Message() << (kind == PeKind::kPe32 ? "PE32: " : "PE32+: ") << d.what);
      std::string file = PeImage(kind);
      // A table that would run past the end if the headers were believed.
      SetCertificateDirectory(file, kind, 0x300, 0x1000);
      d.apply(file, kind);
      EXPECT_EQ(FindPayloadTrailer(file).status, TrailerStatus::kNone);
    }
  // Undamaged, the same headers are believed.
  for (PeKind kind : kKinds) {
    std::string file = PeImage(kind);
    SetCertificateDirectory(file, kind, 0x300, 0x1000);
    EXPECT_EQ(FindPayloadTrailer(file).status, TrailerStatus::kCertificatesOutsideFile);
  }
}

TEST(PayloadTrailer, AReaderThatFailsFindsNothing) {
  const std::string signed_ = Sign(Package(PeKind::kPe32Plus, 300), PeKind::kPe32Plus);
  // Every read fails from the Nth on.
  for (int failAt = 0; failAt < 12; ++failAt) {
    SCOPED_TRACE(failAt);
    int reads = 0;
    TrailerLookup found =
        FindPayloadTrailer(int64_t(signed_.size()), [&](int64_t offset, void* buffer, uint32_t count) {
          if (reads++ >= failAt || offset < 0 || uint64_t(offset) + count > signed_.size()) return false;
          std::memcpy(buffer, signed_.data() + offset, count);
          return true;
        });
    if (found.Found()) {
      EXPECT_EQ(found.status, TrailerStatus::kBeforeCertificates);
      EXPECT_EQ(found.PayloadEnd(), int64_t(Package(PeKind::kPe32Plus, 300).size()));
    } else {
      EXPECT_NE(found.status, TrailerStatus::kCertificatesOutsideFile);
    }
  }
}

}  // namespace
}  // namespace quorril
