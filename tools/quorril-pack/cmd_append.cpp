// quorril-pack append: the engine with a payload of files appended, the
// embedded archive the engine reads its installation files from.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "host_files.h"
#include "package/virtual_file.h"
#include "platform/little_endian.h"
#include "platform/text.h"

namespace quorril::pack {
namespace {

const char kSynopsis[] = "append ENGINE OUT FILE...";
const char kHelp[] =
    "usage: quorril-pack append ENGINE OUT FILE...\n"
    "\n"
    "Writes OUT: the executable ENGINE followed by a payload that holds the\n"
    "files FILE... (the install script, shrunk-file containers and any other\n"
    "file the installation reads). The engine finds every file it opens by\n"
    "its name in the payload first, then on the disk.\n"
    "\n"
    "Layout: the payload starts with the 8 bytes \"[Zemko]\" and a zero; each\n"
    "file follows as a 276-byte header (offset of the next header or 0,\n"
    "attributes 0x20, DOS time, DOS date, size, name) and its bytes; a 16-byte\n"
    "trailer ends the file (the same 8 bytes, the offsets of the first and the\n"
    "last header). Integers are little-endian 32-bit.\n"
    "\n"
    "Files are stored under their name without directory and keep their\n"
    "modification date. Names are compared as the engine compares them,\n"
    "without regard to case: two files of the same name are refused, as are\n"
    "names longer than 255 characters, an ENGINE that already carries a\n"
    "payload, a signed ENGINE, and a total of 4 GiB or more.\n"
    "\n"
    "To ship a signed package, sign OUT after appending (for example with\n"
    "osslsigncode sign): the signature's certificate table then follows the\n"
    "trailer, and the engine, list and extract find the trailer in front of it.\n"
    "\n"
    "OUT is written only when everything succeeded; it gets ENGINE's\n"
    "permissions.\n"
    "Exit codes: 0 done, 1 a name or ENGINE cannot be used, 2 a file cannot be\n"
    "read or written, 64 wrong usage.\n";

int Run(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a.size() > 1 && a[0] == '-') return Usage("append", "unknown option '" + a + "'", kSynopsis);
  if (args.size() < 3) return Usage("append", "needs ENGINE, OUT and at least one FILE", kSynopsis);
  if (args[1].empty()) return Usage("append", "OUT is empty", kSynopsis);
  const std::string& engine = args[0];
  const std::string& out = args[1];

  // Check every name before reading anything large.
  std::vector<std::string> names;
  for (size_t i = 2; i < args.size(); ++i) {
    std::string name = HostBaseName(args[i]);
    if (name.empty()) {
      std::fprintf(stderr, "quorril-pack append: '%s' names no file\n", Printable(args[i]).c_str());
      return kExitBadInput;
    }
    if (name.size() > kArchiveNameSize - 1) {
      std::fprintf(stderr, "quorril-pack append: the name '%s' is longer than %u characters\n", Printable(name).c_str(),
                   kArchiveNameSize - 1);
      return kExitBadInput;
    }
    for (size_t j = 0; j < names.size(); ++j)
      if (EqualsNoCase(names[j], name)) {
        std::fprintf(stderr,
                     "quorril-pack append: '%s' and '%s' have the same name in the payload (names are compared "
                     "without regard to case)\n",
                     Printable(args[2 + j]).c_str(), Printable(args[i]).c_str());
        return kExitBadInput;
      }
    names.push_back(name);
  }

  std::string package;
  if (!ReadHostFile("append", engine, &package)) return kExitIo;
  // A payload belongs between the image and a signature: appended after a
  // certificate table it would break the signature, and the engine would no
  // longer find its trailer in the one place it looks.
  const TrailerLookup lookup = FindPayloadTrailer(package);
  switch (lookup.status) {
    case TrailerStatus::kAtEnd:
    case TrailerStatus::kBeforeCertificates:
      std::fprintf(stderr, "quorril-pack append: '%s' already carries a payload; start from the bare engine\n",
                   Printable(engine).c_str());
      return kExitBadInput;
    case TrailerStatus::kSignedWithoutTrailer:
    case TrailerStatus::kCertificatesNotAtEnd:
      std::fprintf(stderr,
                   "quorril-pack append: '%s' is signed; append to the unsigned engine and sign the package "
                   "afterwards\n",
                   Printable(engine).c_str());
      return kExitBadInput;
    case TrailerStatus::kCertificatesOutsideFile:
      std::fprintf(stderr, "quorril-pack append: '%s': %s\n", Printable(engine).c_str(),
                   TrailerStatusText(lookup.status));
      return kExitBadInput;
    case TrailerStatus::kNone:
      break;
  }
  package.append(kArchiveMagic, sizeof kArchiveMagic);

  uint32_t first = 0, last = 0;
  for (size_t i = 2; i < args.size(); ++i) {
    std::string data;
    DosDateTime when;
    if (!ReadHostFile("append", args[i], &data) || !HostModified("append", args[i], &when)) return kExitIo;
    if (package.size() + kArchiveHeaderSize + data.size() + kArchiveTrailerSize > 0xFFFFFFFFu) {
      std::fprintf(stderr, "quorril-pack append: the package would reach 4 GiB at '%s'\n", Printable(args[i]).c_str());
      return kExitBadInput;
    }
    uint32_t offset = uint32_t(package.size());
    if (last != 0) WriteLe32(package, last, offset);  // the previous entry's next offset
    if (first == 0) first = offset;
    last = offset;
    std::string header(kArchiveHeaderSize, '\0');
    WriteLe32(header, 4, kAttrArchive);
    WriteLe32(header, 8, when.time);
    WriteLe32(header, 12, when.date);
    WriteLe32(header, 16, uint32_t(data.size()));
    std::memcpy(&header[20], names[i - 2].data(), names[i - 2].size());
    package += header;
    package += data;
  }
  std::string trailer(kArchiveTrailerSize, '\0');
  std::memcpy(&trailer[0], kArchiveMagic, sizeof kArchiveMagic);
  WriteLe32(trailer, 8, first);
  WriteLe32(trailer, 12, last);
  package += trailer;

  OutputSet output("append");
  if (!output.Add(out, package, nullptr, engine) || !output.Commit()) return kExitIo;
  std::printf("%s: %zu file%s appended to %s\n", Printable(out).c_str(), names.size(), names.size() == 1 ? "" : "s",
              Printable(engine).c_str());
  return kExitOk;
}

CommandRegistration registration({"append", kSynopsis, kHelp, &Run});

}  // namespace
}  // namespace quorril::pack
