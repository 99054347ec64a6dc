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
    "Nothing is left in DIR unless everything could be read and expanded (the\n"
    "expanded files are written beside their places as temporaries, and moved\n"
    "into place together at the end),\n"
    "and nothing is written through a symbolic link found inside DIR: a file or\n"
    "directory to be written there that is a link, or lies below one, is refused.\n"
    "Exit codes: 0 done, 1 the input is no package or container, it is damaged,\n"
    "or it would be written through a link inside DIR, 2 a file cannot be read\n"
    "or written, 64 wrong usage.\n";

// A payload name that is a plain file name on every system.
bool IsPlainName(const std::string& name) {
  return IsSafeMemberPath(name) && name.find_first_of("\\/") == std::string::npos;
}

// What the engine would install is laid out by name below C:\OUT\ (the
// files there stay empty) to find the names that collide as they would on
// Windows; the bytes stream into temporaries beside their places in DIR.
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

// The files to write into DIR: their names laid out as Windows would hold
// them, their bytes streamed into an OutputSet kept within DIR.
class Extraction {
 public:
  explicit Extraction(const std::string& directory) : directory_(directory), output_("extract") {
    staged_.AddDirectory(kOutputDirectory);
  }

  // Creates DIR; false (with a message) when it cannot be made.
  bool Begin() {
    if (!output_.MakeDirectories(directory_)) return false;
    output_.KeepWithin(directory_);
    return true;
  }
  // Starts the file `relative` below DIR, dated `when`. A name that is
  // already there in another case is the same file, as on Windows: the
  // later one replaces the earlier.
  bool Open(const std::string& relative, DosDateTime when) {
    if (!staged_.AddFile(kOutputDirectory + relative, std::string(), kAttrNormal, when)) {
      std::fprintf(stderr,
                   "quorril-pack extract: '%s' cannot be written: a file or directory of that path is in its way\n",
                   Printable(relative).c_str());
      inputFault_ = true;
      return false;
    }
    const std::string host = HostPath(directory_, StoredPath(relative));
    const std::string parent = HostDirectory(host);
    return output_.MakeDirectories(parent) && output_.Open(host, &when);
  }
  bool Write(const char* data, size_t size) { return output_.Write(data, size); }
  bool Close() { return output_.Close(); }
  // A failure of the input (a name in the way) rather than of the host.
  bool InputFault() const { return inputFault_ || output_.RefusedLink(); }

  // Moves every file into place.
  int Commit() {
    // Counted and worded first: once the files are in place, nothing may fail.
    size_t written = 0;
    for (const std::string& path : staged_.List())
      if (path.back() != '\\') ++written;
    const std::string shown = Printable(directory_);
    if (!output_.Commit()) return InputFault() ? kExitBadInput : kExitIo;
    std::printf("%zu file%s written to %s\n", written, written == 1 ? "" : "s", shown.c_str());
    return kExitOk;
  }

 private:
  // `relative` with each component spelt as it was first laid out.
  std::string StoredPath(const std::string& relative) {
    std::string stored;
    size_t start = 0;
    for (;;) {
      size_t end = relative.find('\\', start);
      std::string component = relative.substr(start, end == std::string::npos ? std::string::npos : end - start);
      std::vector<FindEntry> found;
      if (staged_.Find(kOutputDirectory + stored + component, &found) && found.size() == 1)
        component = found[0].name;
      stored += component;
      if (end == std::string::npos) return stored;
      stored += '\\';
      start = end + 1;
    }
  }

  std::string directory_;
  OutputSet output_;
  MemoryFileSystem staged_;
  bool inputFault_ = false;
};

// Expands the container `name` into DIR as the engine would install it
// under the overwrite mode YES: members with their directories, each dated,
// a later member replacing an earlier one of the same path. A member whose
// path Windows cannot hold is refused, named with its place below DIR.
// The expanded bytes are never kept: they stream into the member's file.
int ExpandInto(PackageReader& reader, const std::string& name, Extraction& extraction,
               const std::string& directory) {
  bool started = false, hostFailed = false;
  bool expanded = reader.Expand(name, [&](const MemberHeader& m, const char* bytes, size_t size) {
    if (!started) {
      if (!WindowsCanHold(m.path)) {
        RefuseName("the member", m.path, HostPath(directory, m.path));
        return false;
      }
      if (!extraction.Open(m.path, {m.dosDate, m.dosTime})) {
        hostFailed = !extraction.InputFault();
        return false;
      }
      started = true;
    }
    if (bytes) {
      if (extraction.Write(bytes, size)) return true;
      hostFailed = !extraction.InputFault();
      return false;
    }
    started = false;
    if (extraction.Close()) return true;
    hostFailed = !extraction.InputFault();
    return false;
  });
  if (expanded) return kExitOk;
  return hostFailed ? kExitIo : kExitBadInput;
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
  Extraction extraction(directory);

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
    case PackageReader::Kind::kContainer: {
      if (!extraction.Begin()) return kExitIo;
      int result = ExpandInto(reader, reader.name(), extraction, directory);
      return result == kExitOk ? extraction.Commit() : result;
    }
    case PackageReader::Kind::kPackage:
      break;
  }

  std::vector<ArchiveEntry> entries;
  if (!reader.Entries(&entries)) return kExitBadInput;
  for (const ArchiveEntry& e : entries) {
    if (!IsPlainName(e.name)) {
      std::fprintf(stderr, "quorril-pack extract: the payload entry '%s' has no usable file name\n",
                   Printable(e.name).c_str());
      return kExitBadInput;
    }
  }
  if (!extraction.Begin()) return kExitIo;
  std::vector<std::string> splitContainers;
  for (const ArchiveEntry& e : entries) {
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
      int result = ExpandInto(reader, e.name, extraction, directory);
      if (result != kExitOk) return result;
      continue;
    }
    if (!WindowsCanHold(e.name)) {
      RefuseName("the payload entry", e.name, HostPath(directory, e.name));
      return kExitBadInput;
    }
    if (!extraction.Open(e.name, {e.dosDate, e.dosTime}) || !extraction.Write(data.data(), data.size()) ||
        !extraction.Close())
      return extraction.InputFault() ? kExitBadInput : kExitIo;
  }
  for (const std::string& name : splitContainers) {
    int result = ExpandInto(reader, name, extraction, directory);
    if (result != kExitOk) return result;
  }
  return extraction.Commit();
}

CommandRegistration registration({"extract", kSynopsis, kHelp, &Run});

}  // namespace
}  // namespace quorril::pack
