// ImplodeHostFile (see implode_file.h).
#include "implode_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host_files.h"

namespace quorril::pack {

int ImplodeHostFile(const char* command, const std::string& path, const ImplodeOptions& options,
                    const ImplodeWriter& write, uint64_t* read) {
  FILE* in = OpenHostFile(command, path);
  if (!in) return kImplodeReadFailed;
  int readError = 0;
  uint64_t total = 0;
  int result = ImplodeStream(
      [&](uint8_t* buffer, size_t capacity) -> int64_t {
        size_t got = std::fread(buffer, 1, capacity, in);
        if (got == 0 && std::ferror(in)) {
          readError = errno;
          return -1;
        }
        total += got;
        return int64_t(got);
      },
      write, options);
  std::fclose(in);
  if (read) *read = total;
  if (result == kImplodeReadFailed)
    std::fprintf(stderr, "quorril-pack %s: cannot read '%s': %s\n", command, Printable(path).c_str(),
                 readError ? std::strerror(readError) : "read error");
  else if (result != kImplodeOk && result != kImplodeWriteFailed)
    std::fprintf(stderr, "quorril-pack %s: '%s': %s\n", command, Printable(path).c_str(), ImplodeResultText(result));
  return result;
}

}  // namespace quorril::pack
