// quorril-pack list: the members of a package's payload or of a shrunk-file
// container, with sizes, dates and attributes.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "host_files.h"
#include "package_reader.h"

namespace quorril::pack {
namespace {

const char kSynopsis[] = "list PACKAGE|CONTAINER";
const char kHelp[] =
    "usage: quorril-pack list PACKAGE|CONTAINER\n"
    "\n"
    "Lists the files of a package's payload (an engine made by 'append') or\n"
    "the members of a shrunk-file container, one a line: size in bytes, date\n"
    "and time, attributes (R read-only, H hidden, S system, D directory,\n"
    "A archive), name. A container inside a payload is listed too, its\n"
    "members indented below it.\n"
    "\n"
    "For a container member the size is what it expands to, and the size of\n"
    "its compressed data follows in brackets; the attributes are those stored\n"
    "in the container (the engine gives extracted files the FILE entry's\n"
    "attributes instead). A split container is followed into its continuation\n"
    "volumes, taken from the payload or from the directory of the first one.\n"
    "\n"
    "Exit codes: 0 done, 1 the input is no package or container, or it is\n"
    "damaged (the listing goes as far as it can), 2 a file cannot be read,\n"
    "64 wrong usage.\n";

// Lists the members of the container `name`, each with the size it
// expands to; false when it is damaged (the listing goes as far as it can).
bool ListContainer(PackageReader& reader, const std::string& name, const char* indent) {
  uint64_t expanded = 0;
  return reader.Expand(name, [&](const MemberHeader& m, const char* data, size_t size) {
    if (data) {
      expanded += size;
      return true;
    }
    std::printf("%s%10llu [%u]  %s  %s  %s\n", indent, static_cast<unsigned long long>(expanded), m.compressedSize,
                DosDateTimeText({m.dosDate, m.dosTime}).c_str(), AttributesText(m.attributes).c_str(),
                Printable(m.path).c_str());
    expanded = 0;
    return true;
  });
}

int Run(const std::vector<std::string>& args) {
  if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-'))
    return Usage("list", "needs one PACKAGE or CONTAINER", kSynopsis);
  PackageReader reader("list", args[0]);
  if (!reader.Load()) return kExitIo;
  switch (reader.kind()) {
    case PackageReader::Kind::kContainer:
      return ListContainer(reader, reader.name(), "") ? kExitOk : kExitBadInput;
    case PackageReader::Kind::kRefused:
      return kExitBadInput;
    case PackageReader::Kind::kOther:
      std::fprintf(stderr,
                   "quorril-pack list: '%s' is neither a package (%s) nor the first volume of a "
                   "container\n",
                   Printable(args[0]).c_str(), TrailerStatusText(reader.Trailer().status));
      return kExitBadInput;
    case PackageReader::Kind::kPackage:
      break;
  }
  std::vector<ArchiveEntry> entries;
  bool ok = reader.Entries(&entries);
  for (const ArchiveEntry& e : entries) {
    std::string data = reader.EntryData(e);
    std::printf("%10u  %s  %s  %s", e.size, DosDateTimeText({e.dosDate, e.dosTime}).c_str(),
                AttributesText(e.attributes).c_str(), Printable(e.name).c_str());
    if (data.size() < e.size) {
      std::printf("  (only %zu bytes present)", data.size());
      ok = false;
    }
    VolumeHeader header;
    bool container = PackageReader::ReadVolumeHeader(data, &header);
    if (container && header.IsContinuation()) {
      std::printf("  (continuation volume)\n");
      continue;
    }
    std::printf(container ? "  (container)\n" : "\n");
    if (container && !ListContainer(reader, e.name, "    ")) ok = false;
  }
  return ok ? kExitOk : kExitBadInput;
}

CommandRegistration registration({"list", kSynopsis, kHelp, &Run});

}  // namespace
}  // namespace quorril::pack
