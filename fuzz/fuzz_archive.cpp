// Fuzz target for the embedded archive: any bytes as the executable.
//
// The archive is attached, its chain walked, and every entry found opened by
// name and read in odd-sized pieces, by lines and after seeks; then the
// archive is switched off while members are open. Checked besides the
// sanitizers: the walk is bounded (at most one entry per header's worth of
// file), a member found by name reads exactly the bytes the file holds at
// its data offset (and then fails when its size runs past the end of the
// file), seeks stay within the member, and switched-off members
// fail instead of reading.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "package/virtual_file.h"
#include "platform/memory/memory_file_system.h"
#include "platform/text.h"

using namespace quorril;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string exe(reinterpret_cast<const char*>(data), size);
  MemoryFileSystem files;
  files.AddFile("C:\\SETUP\\SETUP.EXE", exe);
  files.AddFile("C:\\SETUP\\SETUP.CFG", "disk line\r\nsecond");
  VirtualFileSystem vfs(&files);
  vfs.AttachArchive("C:\\SETUP\\SETUP.EXE");

  std::vector<ArchiveEntry> entries;
  vfs.WalkArchive([&](const ArchiveEntry& e) {
    entries.push_back(e);
    return true;
  });
  if (entries.size() > size / kArchiveHeaderSize + 1) std::abort();

  std::vector<std::unique_ptr<VirtualFile>> open;
  for (const ArchiveEntry& e : entries) {
    if (open.size() == 8) break;
    std::unique_ptr<VirtualFile> f = vfs.Open("D:\\ANY\\" + e.name);
    if (!f || !f->InArchive()) continue;
    // The lookup uses the name after the last separator; the first entry of
    // that name answers. Compare with the file's bytes.
    const std::string lookup = e.name.substr(e.name.find_last_of("\\/:") + 1);
    const ArchiveEntry* first = nullptr;
    for (const ArchiveEntry& other : entries)
      if (EqualsNoCase(other.name, lookup)) {
        first = &other;
        break;
      }
    if (!first || f->Size() < 0) std::abort();
    std::string got;
    char piece[37];
    int32_t n;
    while ((n = vfs.Read(*f, piece, sizeof piece)) > 0) got.append(piece, size_t(n));
    // A member whose size runs past the end of the file fails where its
    // bytes run out; any other ends with 0.
    const bool cut = first->dataOffset + int64_t(first->size) > int64_t(size);
    if (n != (cut ? -1 : 0) || int32_t(got.size()) != f->Size()) std::abort();
    if (first->dataOffset + int64_t(got.size()) > int64_t(size) ||
        std::memcmp(got.data(), data + first->dataOffset, got.size()) != 0)
      std::abort();
    int32_t at = vfs.Seek(*f, int32_t(size % 101) - 50, int(size % 3));
    if (at < 0 || at > f->Size() || vfs.Tell(*f) != at) std::abort();
    vfs.Seek(*f, 0, 0);
    std::string line;
    size_t total = 0;
    while (vfs.ReadLine(*f, &line, 2 + size % 17)) {
      if (line.size() > 1 + size % 17) std::abort();
      total += line.size();
    }
    if (total > got.size()) std::abort();
    vfs.Seek(*f, 0, 0);
    open.push_back(std::move(f));
  }
  // The disk's file when the archive has none of that name.
  if (std::unique_ptr<VirtualFile> f = vfs.Open("C:\\SETUP\\SETUP.CFG")) {
    std::string line;
    vfs.ReadLine(*f, &line, 999);
  }
  // A disk question: open members fail, opens go to the disk.
  vfs.DisableArchive();
  vfs.DetachArchive();
  for (std::unique_ptr<VirtualFile>& f : open) {
    char c;
    if (vfs.Read(*f, &c, 1) != -1 || vfs.Seek(*f, 0, 0) != -1 || vfs.Tell(*f) != -1) std::abort();
  }
  vfs.AttachArchive("C:\\SETUP\\SETUP.EXE");
  for (const ArchiveEntry& e : entries) {
    std::unique_ptr<VirtualFile> f = vfs.Open(e.name);
    if (f && f->InArchive()) std::abort();
  }
  return 0;
}
