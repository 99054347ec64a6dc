// Fuzz target for shrunk-file containers: UnshrinkContainer and
// IsSplitContainerStart on any bytes, on the in-memory machine.
//
// Input: one control byte, then the volumes separated by "@@VOL@@". The
// first volume is C:\SRC\DATA.Z (or, with control bit 0x10, a member of an
// embedded archive); when the extraction asks for the next disk, the next
// volume appears under the name the previous volume's header gave. The
// control byte also picks the overwrite mode (bits 0-1), the journal
// (bit 2), the answer to the overwrite question (bit 3), byte-counting
// progress (bit 5) and a target directory that does not exist (bit 6).
// C:\DEST holds a few files already, so the overwrite modes are reached.
//
// Checked besides the sanitizers: nothing is ever written outside the
// destination directory (the source volumes, the executable, C:\DEST's own
// files and the journal aside), every journal line names a file below it,
// and the result is one of the three codes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "journal/journal.h"
#include "package/container_reader.h"
#include "package/unshrink.h"
#include "package/virtual_file.h"
#include "platform/memory/memory_file_system.h"
#include "platform/text.h"

namespace {

using namespace quorril;

class FuzzHost : public CopyHost {
 public:
  FuzzHost(const std::string& continuationName, MemoryFileSystem& files, std::vector<std::string> volumes,
           bool overwrite)
      : continuationName_(continuationName), files_(files), volumes_(std::move(volumes)), overwrite_(overwrite) {}
  ProgressCounters counters;
  ProgressCounters& Counters() override { return counters; }
  bool PumpMessages() override { return ++pumps_ > 100000; }
  void Progress(int) override {}
  void ShowFileName(const std::string&) override {}
  int AskNextDisk(bool advance, bool) override {
    if (!advance || next_ >= volumes_.size()) return 1;
    files_.AddFile("C:\\SRC\\" + continuationName_, volumes_[next_++]);
    return 0;
  }
  bool AskOverwrite(const std::string&) override { return overwrite_; }
  void ReportFailure(CopyFailure, const std::string&) override {}

 private:
  const std::string& continuationName_;
  MemoryFileSystem& files_;
  std::vector<std::string> volumes_;
  bool overwrite_;
  size_t next_ = 1;
  int pumps_ = 0;
};

std::vector<std::string> Split(const std::string& data) {
  static const std::string kSeparator = "@@VOL@@";
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t at = data.find(kSeparator, start);
    parts.push_back(data.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos || parts.size() == 8) break;
    start = at + kSeparator.size();
  }
  return parts;
}

std::string Le32(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t control = data[0];
  std::vector<std::string> volumes = Split(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));

  MemoryFileSystem files;
  VirtualFileSystem archive(&files);
  Journal journal;
  std::string continuationName;
  files.AddDirectory("C:\\SRC");
  files.AddFile("C:\\DEST\\A.TXT", "existing", kAttrArchive, {0x5A21, 0x6000});
  files.AddFile("C:\\DEST\\SUB\\B.TXT", "existing", kAttrReadOnly, {0x3000, 0x0000});
  files.AddFile("C:\\DEST\\README", "existing", kAttrArchive, {0x7000, 0x0000});
  journal.on = (control & 0x04) != 0;
  journal.path = "C:\\DEST\\install.log";

  std::string source = "C:\\SRC\\DATA.Z";
  if (control & 0x10) {
    // The first volume as the member DATA.Z of an embedded archive.
    std::string exe = std::string("MZ") + std::string("[Zemko]\0", 8);
    uint32_t header = uint32_t(exe.size());
    std::string h(276, '\0');
    std::memcpy(&h[16], Le32(uint32_t(volumes[0].size())).data(), 4);
    std::memcpy(&h[20], "DATA.Z", 6);
    exe += h + volumes[0] + std::string("[Zemko]\0", 8) + Le32(header) + Le32(header);
    files.AddFile("C:\\SETUP\\SETUP.EXE", exe);
    archive.AttachArchive("C:\\SETUP\\SETUP.EXE");
    source = "A:\\DATA.Z";
  } else {
    files.AddFile(source, volumes[0]);
  }

  FuzzHost host(continuationName, files, volumes, (control & 0x08) != 0);
  if (control & 0x20) host.counters.totalBytes = 1000000;
  const std::string destination = (control & 0x40) ? "C:\\NOWHERE\\" : "C:\\DEST\\";
  const std::string target = destination + "DATA.Z";

  IsSplitContainerStart(archive, source);
  const CopyContext copy{files, archive, journal, host, continuationName};
  int result = UnshrinkContainer(copy, target, source, OverwritePolicy(control & 3), kAttrNormal);
  if (result != kUnshrinkDone && result != kUnshrinkStopped && result != kUnshrinkNotContainer) std::abort();

  static const char* const kBefore[] = {"C:\\DEST\\",  "C:\\DEST\\A.TXT", "C:\\DEST\\SUB\\",
                                       "C:\\DEST\\SUB\\B.TXT", "C:\\DEST\\README", "C:\\DEST\\install.log"};
  for (const std::string& path : files.List()) {
    bool allowed = StartsWithNoCase(path, destination) || StartsWithNoCase(path, "C:\\SRC\\") ||
                   StartsWithNoCase(path, "C:\\SETUP\\");
    for (const char* before : kBefore) allowed = allowed || EqualsNoCase(path, before);
    if (!allowed) std::abort();  // written outside the destination
  }
  std::string written;
  if (files.ReadWholeFile("C:\\DEST\\install.log", &written)) {
    for (const char* key : {"FILE: \"", "DIRECTORY: \""}) {
      const size_t length = std::strlen(key);
      for (size_t at = 0; (at = written.find(key, at)) != std::string::npos; ++at)
        if (!StartsWithNoCase(std::string_view(written).substr(at + length),
                              std::string_view(destination).substr(0, destination.size() - 1)))
          std::abort();
    }
  }
  return 0;
}
