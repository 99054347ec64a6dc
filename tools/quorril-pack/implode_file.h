// Compressing a host file as a stream, for implode and shrink: the input
// is read in pieces through ImplodeStream, so its size costs no memory.
#pragma once

#include <cstdint>
#include <string>

#include "package/implode.h"

namespace quorril::pack {

// Compresses the host file `path` (a pipe will do) into `write`. Returns
// kImplodeOk, or the failure with its message printed as "quorril-pack
// COMMAND: ..." (a write failure is left to the writer to tell). `read`
// (if not null) is the count of input bytes.
int ImplodeHostFile(const char* command, const std::string& path, const ImplodeOptions& options,
                    const ImplodeWriter& write, uint64_t* read = nullptr);

}  // namespace quorril::pack
