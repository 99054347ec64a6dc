// quorril-pack extract: the files of a package's payload or of a shrunk-file
// container, expanded as the engine would install them.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "host_files.h"
#include "package/container.h"
#include "package_reader.h"
#include "platform/memory/memory_file_system.h"
#include "platform/text.h"

namespace quorril::pack {
namespace {

const char kSynopsis[] = "extract [--raw] PACKAGE|CONTAINER DIR";
const char kHelp[] =
    "usage: quorril-pack extract [--raw] PACKAGE|CONTAINER DIR\n"
    "\n"
    "Writes into the directory DIR (created when missing) what the engine\n"
    "would install from a package's payload or from a shrunk-file container,\n"
    "with the engine's own reader and decompressor:\n"
    "  - a payload file that is no container is written as it is stored;\n"
    "  - a container is expanded in its place: its members are written with\n"
    "    their subdirectories, the container file itself is not;\n"
    "  - a split container is followed into its continuation volumes, taken\n"
    "    from the payload or from the directory of the package (or of the\n"
    "    first volume); continuation volumes are not written themselves.\n"
    "A name that Windows cannot hold (with * ? | \" < > or a control character)\n"
    "is refused, as the engine could not install it.\n"
    "Every file keeps its stored date. As with the engine's overwrite mode\n"
    "YES, a later file of the same name replaces an earlier one; split\n"
    "containers are expanded last, as the engine installs them.\n"
    "\n"
    "  --raw   write the payload's files as stored, containers included,\n"
    "          without expanding anything\n"
    "\n"
    "Nothing is written into DIR unless everything could be read and expanded,\n"
    "and nothing is written through a symbolic link found inside DIR: a file or\n"
    "directory to be written there that is a link, or lies below one, is refused.\n"
    "Exit codes: 0 done, 1 the input is no package or container, it is damaged,\n"
    "or it would be written through a link inside DIR, 2 a file cannot be read\n"
    "or written, 64 wrong usage.\n";

// A payload name that is a plain file name on every system.
bool IsPlainName(const std::string& name) {
  return IsSafeMemberPath(name) && name.find_first_of("\\/") == std::string::npos;
}

// What the engine would install, gathered in memory below C:\OUT\ before
// anything is written to the host.
constexpr const char* kOutputDirectory = "C:\\OUT\\";

// Where `relative` (a path below C:\OUT\, "\" between its components) goes
// below DIR.
std::string HostPath(const std::string& directory, const std::string& relative) {
  std::string host = directory;
  for (char c : relative) host += c == '\\' ? '/' : c;
  return host;
}

// True when Windows can hold every component of `path` as it is: none holds
// * ? | " < > or a control character. Drives, streams, devices and names of
// dots are refused before (IsSafeMemberPath).
bool WindowsCanHold(const std::string& path) {
  for (char c : path)
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr("*?|\"<>", c)) return false;
  return true;
}

// Tells that `name` (a member's path or a payload entry's name, as `what`
// says) cannot be written as `host`.
void RefuseName(const char* what, const std::string& name, const std::string& host) {
  std::fprintf(stderr,
               "quorril-pack extract: %s '%s' cannot be written as '%s': a Windows file name holds no * ? | \" < > "
               "and no control character\n",
               what, Printable(name).c_str(), Printable(host).c_str());
}

// Expands the container `name` into the staging area as the engine would
// install it under the overwrite mode YES: members with their directories,
// each dated, a later member replacing an earlier one of the same path. A
// member whose path Windows cannot hold is refused, named with its place
// below DIR.
bool ExpandInto(PackageReader& reader, const std::string& name, MemoryFileSystem& staged,
                const std::string& directory) {
  std::string data;
  return reader.Expand(name, [&](const MemberHeader& m, const char* bytes, size_t size) {
    if (bytes) {
      data.append(bytes, size);
      return true;
    }
    if (!WindowsCanHold(m.path)) {
      RefuseName("the member", m.path, HostPath(directory, m.path));
      return false;
    }
    // AddFile makes the member's directories; it fails where a file stands
    // in the way of one of them, or a directory where the file goes.
    bool added = staged.AddFile(kOutputDirectory + m.path, data, kAttrNormal, {m.dosDate, m.dosTime});
    data.clear();
    if (!added)
      std::fprintf(stderr,
                   "quorril-pack extract: '%s' cannot be written: a file or directory of that path is in its way\n",
                   Printable(m.path).c_str());
    return added;
  });
}

// Writes everything below C:\OUT\ into DIR, never through a link found
// inside DIR (refused as bad input: the package would write through it).
int Export(MemoryFileSystem& staged, const std::string& directory) {
  OutputSet output("extract");
  if (!output.MakeDirectories(directory)) return kExitIo;
  output.KeepWithin(directory);
  auto failed = [&]() { return output.RefusedLink() ? kExitBadInput : kExitIo; };
  const std::string root = kOutputDirectory;
  size_t written = 0;
  for (const std::string& path : staged.List()) {
    if (!StartsWithNoCase(path, root) || path.size() == root.size()) continue;
    std::string relative = path.substr(root.size());
    bool isDirectory = relative.back() == '\\';
    if (isDirectory) relative.pop_back();
    const std::string host = HostPath(directory, relative);
    if (isDirectory) {
      if (!output.MakeDirectories(host)) return failed();
      continue;
    }
    std::string data;
    DosDateTime when;
    staged.ReadWholeFile(path, &data);
    staged.GetModified(path, &when);
    if (!output.Add(host, data, &when)) return failed();
    ++written;
  }
  if (!output.Commit()) return failed();
  std::printf("%zu file%s written to %s\n", written, written == 1 ? "" : "s", Printable(directory).c_str());
  return kExitOk;
}

int Run(const std::vector<std::string>& args) {
  bool raw = false;
  std::vector<std::string> operands;
  for (const std::string& a : args) {
    if (a == "--raw")
      raw = true;
    else if (a.size() > 1 && a[0] == '-')
      return Usage("extract", "unknown option '" + a + "'", kSynopsis);
    else
      operands.push_back(a);
  }
  if (operands.size() != 2) return Usage("extract", "needs PACKAGE or CONTAINER, and DIR", kSynopsis);
  // An empty DIR would become "/" below.
  if (operands[1].empty()) return Usage("extract", "DIR is empty", kSynopsis);
  std::string directory = operands[1];
  while (directory.size() > 1 && (directory.back() == '/' || directory.back() == '\\')) directory.pop_back();
  directory += '/';

  PackageReader reader("extract", operands[0]);
  if (!reader.Load()) return kExitIo;
  MemoryFileSystem staged;
  staged.AddDirectory(kOutputDirectory);
  const std::string out = kOutputDirectory;

  switch (reader.kind()) {
    case PackageReader::Kind::kRefused:
      return kExitBadInput;
    case PackageReader::Kind::kOther: {
      VolumeHeader header;
      if (PackageReader::ReadVolumeHeader(reader.Data(), &header) && header.IsContinuation())
        std::fprintf(stderr, "quorril-pack extract: '%s' is a continuation volume; give the first volume\n",
                     Printable(operands[0]).c_str());
      else
        std::fprintf(stderr,
                     "quorril-pack extract: '%s' is neither a package (%s) nor the first volume "
                     "of a container\n",
                     Printable(operands[0]).c_str(), TrailerStatusText(reader.Trailer().status));
      return kExitBadInput;
    }
    case PackageReader::Kind::kContainer:
      if (!ExpandInto(reader, reader.name(), staged, directory)) return kExitBadInput;
      return Export(staged, directory);
    case PackageReader::Kind::kPackage:
      break;
  }

  std::vector<ArchiveEntry> entries;
  if (!reader.Entries(&entries)) return kExitBadInput;
  std::vector<std::string> splitContainers;
  for (const ArchiveEntry& e : entries) {
    if (!IsPlainName(e.name)) {
      std::fprintf(stderr, "quorril-pack extract: the payload entry '%s' has no usable file name\n",
                   Printable(e.name).c_str());
      return kExitBadInput;
    }
    std::string data = reader.EntryData(e);
    if (data.size() < e.size) {
      std::fprintf(stderr, "quorril-pack extract: the payload entry '%s' is cut short (%zu of %u bytes)\n",
                   Printable(e.name).c_str(), data.size(), e.size);
      return kExitBadInput;
    }
    VolumeHeader header;
    bool container = !raw && PackageReader::ReadVolumeHeader(data, &header);
    if (container && header.IsContinuation()) continue;
    if (container && !header.nextVolume.empty()) {
      splitContainers.push_back(e.name);
      continue;
    }
    if (container) {
      if (!ExpandInto(reader, e.name, staged, directory)) return kExitBadInput;
      continue;
    }
    if (!WindowsCanHold(e.name)) {
      RefuseName("the payload entry", e.name, HostPath(directory, e.name));
      return kExitBadInput;
    }
    if (!staged.AddFile(out + e.name, data, kAttrArchive, {e.dosDate, e.dosTime})) {
      std::fprintf(stderr, "quorril-pack extract: '%s' cannot be written below a directory of that name\n",
                   Printable(e.name).c_str());
      return kExitBadInput;
    }
  }
  for (const std::string& name : splitContainers)
    if (!ExpandInto(reader, name, staged, directory)) return kExitBadInput;
  return Export(staged, directory);
}

CommandRegistration registration({"extract", kSynopsis, kHelp, &Run});

}  // namespace
}  // namespace quorril::pack
