// quorril-pack shrink: builds a shrunk-file container, optionally split into
// volumes of a given size.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "host_files.h"
#include "implode_file.h"
#include "package/container.h"
#include "package/implode.h"
#include "platform/text.h"

namespace quorril::pack {
namespace {

const char kSynopsis[] = "shrink [--volume-size BYTES] [--level N] OUT.EXT FILE...";
const char kHelpFormat[] =
    "usage: quorril-pack shrink [--volume-size BYTES] [--level N] OUT.EXT FILE...\n"
    "\n"
    "Builds the shrunk-file container OUT.EXT from the files FILE..., each\n"
    "compressed as one DCL implode stream (binary literals, 4096-byte\n"
    "dictionary). A member keeps the relative path it is given on the command\n"
    "line, so 'bin/app.exe' is installed as bin\\app.exe below the destination\n"
    "directory (subdirectories are created there); '/' and '\\' both separate\n"
    "directories. A path must be relative, without a drive, without '.' or\n"
    "'..' components, at most 127 characters; a leading './' is dropped. Each\n"
    "member keeps its file's modification date.\n"
    "\n"
    "  --volume-size BYTES  split the container into volumes of at most BYTES\n"
    "                       bytes each (at least 227), e.g. 1457664 for 1.44 MB\n"
    "                       disks. A member may run from one volume into the\n"
    "                       next.\n"
    "  --level N            compression level, 1 (fastest) to 9 (smallest);\n"
    "                       default %d\n"
    "\n"
    "Continuation volumes are written beside OUT.EXT and named after it: the\n"
    "name of OUT.EXT up to its first dot, then a dot and the volume number in\n"
    "three digits. DATA.Z is followed by DATA.002, DATA.003, ... DATA.999, so\n"
    "the part before the dot may have at most 8 characters. Each volume names\n"
    "the next in its header; the engine looks for it in the directory the first\n"
    "volume came from, after asking for the next disk, and remembers the name\n"
    "of the last volume it read: a later FILE entry of that name is skipped.\n"
    "Put each volume on its own disk, in that directory.\n"
    "\n"
    "Nothing is written unless every volume could be written.\n"
    "Exit codes: 0 done, 1 a member path or option value cannot be used,\n"
    "2 a file cannot be read or written, 64 wrong usage.\n";

// The option values have always been read with at most ten characters,
// leading zeros included.
constexpr size_t kOptionDigits = 10;

// The member path for a file named on the command line.
std::string MemberPath(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  while (path.size() > 2 && path[0] == '.' && path[1] == '\\') path.erase(0, 2);
  return path;
}

int Run(const std::vector<std::string>& args) {
  uint64_t volumeSize = 0;
  ImplodeOptions options;
  std::vector<std::string> operands;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--volume-size" || a == "--level") {
      if (i + 1 == args.size()) return Usage("shrink", a + " needs a value", kSynopsis);
      uint64_t value = 0;
      const std::string& text = args[++i];
      if (a == "--volume-size") {
        if (!ParseDecimal(text, 0xFFFFFFFFu, &value, kOptionDigits) || value < kMinimumVolumeSize)
          return Usage("shrink",
                       "volume size '" + text + "' is not a number from " + std::to_string(kMinimumVolumeSize) +
                           " to 4294967295",
                       kSynopsis);
        volumeSize = value;
      } else {
        if (!ParseDecimal(text, uint64_t(kImplodeMaxLevel), &value, kOptionDigits) ||
            value < uint64_t(kImplodeMinLevel))
          return Usage("shrink", "level '" + text + "' is not 1 to 9", kSynopsis);
        options.level = int(value);
      }
    } else if (a == "--") {
      operands.insert(operands.end(), args.begin() + std::ptrdiff_t(i) + 1, args.end());
      break;
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage("shrink", "unknown option '" + a + "'", kSynopsis);
    } else {
      operands.push_back(a);
    }
  }
  if (operands.size() < 2) return Usage("shrink", "needs OUT.EXT and at least one FILE", kSynopsis);
  if (operands[0].empty()) return Usage("shrink", "OUT.EXT is empty", kSynopsis);
  const std::string out = operands[0];
  const std::string outName = HostBaseName(out);
  const std::string base = outName.substr(0, outName.find('.'));

  auto volumeName = [&](int n) -> std::string {
    if (n > 999) return std::string();
    char number[16];
    std::snprintf(number, sizeof number, "%03d", n);
    return base + "." + number;
  };
  if (volumeSize != 0) {
    if (base.empty() || base.size() > 8) {
      std::fprintf(stderr,
                   "quorril-pack shrink: '%s': the name before the first dot must have 1 to 8 characters to name "
                   "continuation volumes\n",
                   Printable(outName).c_str());
      return kExitBadInput;
    }
  }

  // Members, in command-line order.
  std::vector<PackedMember> members;
  for (size_t i = 1; i < operands.size(); ++i) {
    const std::string& file = operands[i];
    PackedMember m;
    m.path = MemberPath(file);
    if (m.path.size() > kMemberPathSize - 1 || !IsSafeMemberPath(m.path)) {
      std::fprintf(stderr,
                   "quorril-pack shrink: '%s' cannot be a member path: it must be relative, without a drive, "
                   "without '.' or '..' components or device names, and at most %u characters\n",
                   Printable(file).c_str(), kMemberPathSize - 1);
      return kExitBadInput;
    }
    for (const PackedMember& other : members)
      if (EqualsNoCase(other.path, m.path)) {
        std::fprintf(stderr, "quorril-pack shrink: '%s' is given twice (as member %s)\n", Printable(file).c_str(),
                     Printable(m.path).c_str());
        return kExitBadInput;
      }
    // Only the compressed data is kept; the file streams through.
    DosDateTime when;
    uint64_t read = 0;
    int result = ImplodeHostFile("shrink", file, options,
                                 [&](const uint8_t* bytes, size_t size) {
                                   m.data.append(reinterpret_cast<const char*>(bytes), size);
                                   return true;
                                 },
                                 &read);
    if (result == kImplodeReadFailed) return kExitIo;
    if (result != kImplodeOk) return kExitBadInput;
    if (!HostModified("shrink", file, &when)) return kExitIo;
    if (read == 0) m.data.clear();  // an empty file is a member without data
    m.dosDate = when.date;
    m.dosTime = when.time;
    members.push_back(std::move(m));
  }

  std::vector<ContainerVolume> volumes;
  int layout = LayOutContainer(members, uint32_t(volumeSize), volumeName, &volumes);
  switch (layout) {
    case kLayoutOk:
      break;
    case kLayoutTooManyMembers:
      std::fprintf(stderr, "quorril-pack shrink: a container holds at most 32767 members\n");
      return kExitBadInput;
    case kLayoutMemberTooLarge:
      std::fprintf(stderr, "quorril-pack shrink: a member's compressed data must stay below 4 GiB\n");
      return kExitBadInput;
    case kLayoutBadVolumeName:
      std::fprintf(stderr, "quorril-pack shrink: more than 999 volumes would be needed\n");
      return kExitBadInput;
    default:
      std::fprintf(stderr, "quorril-pack shrink: the container cannot be laid out (%d)\n", layout);
      return kExitBadInput;
  }
  for (size_t i = 1; i < volumes.size(); ++i)
    if (EqualsNoCase(volumes[i].name, outName)) {
      std::fprintf(stderr, "quorril-pack shrink: '%s' would also be the name of continuation volume %zu\n",
                   Printable(outName).c_str(), i + 1);
      return kExitBadInput;
    }

  OutputSet output("shrink");
  const std::string directory = HostDirectory(out);
  for (size_t i = 0; i < volumes.size(); ++i) {
    std::string path = i == 0 ? out : directory + "/" + volumes[i].name;
    if (!output.Add(path, volumes[i].bytes)) return kExitIo;
  }
  if (!output.Commit()) return kExitIo;

  std::printf("%s: %zu member%s", Printable(out).c_str(), members.size(), members.size() == 1 ? "" : "s");
  if (volumes.size() > 1) {
    std::printf(", %zu volumes:", volumes.size());
    for (size_t i = 1; i < volumes.size(); ++i) std::printf(" %s", Printable(volumes[i].name).c_str());
  }
  std::printf("\n");
  return kExitOk;
}

// The help text with the compressor's default level filled in.
const char* Help() {
  static const std::string text = [] {
    char buffer[sizeof kHelpFormat + 16];
    std::snprintf(buffer, sizeof buffer, kHelpFormat, kImplodeDefaultLevel);
    return std::string(buffer);
  }();
  return text.c_str();
}

CommandRegistration registration({"shrink", kSynopsis, Help(), &Run});

}  // namespace
}  // namespace quorril::pack
