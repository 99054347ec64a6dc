// ImplodeBuffer: the compressor of the publisher's tool, writing PKWARE DCL
// implode streams (the format is described in explode.h) that any conforming
// decoder, ExplodeStream among them, reads back exactly.
//
// The stream's codes are fixed, so the cost in bits of every literal and
// match is known in advance. The compressor finds matches through the latest
// position of each byte pair and 3-byte hash (the nearest 2- and 3-byte
// matches) and hash chains over 4 bytes (longer ones), and chooses the parse:
//  - levels 1 and 2: greedy and lazy matching, weighing each match by its
//    exact cost against the literals it replaces;
//  - levels 3 to 8: the cheapest parse of each 64 KiB block, found by a
//    shortest-path pass over all positions with every useful (length,
//    distance) candidate; higher levels search the chains deeper (more so
//    for larger dictionaries) and take long matches whole only when longer;
//  - level 9: the cheapest parse the format allows, for inputs up to 16 MiB
//    (larger ones are parsed so in 16 MiB pieces). Every position is
//    searched through the whole window, so each match length gets its
//    nearest, cheapest distance, and one shortest-path pass covers the
//    whole input. It is slow and needs 8 bytes of memory per input byte.
// The default, level 4, is the balance measured in bench/dcl_bench.cpp.
// Every stream it writes is at least 5 bytes long (an empty input gets one
// padding byte after the end marker), since ExplodeStream refuses shorter
// first reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace quorril {

constexpr int kImplodeMinLevel = 1;
constexpr int kImplodeMaxLevel = 9;
constexpr int kImplodeDefaultLevel = 4;

struct ImplodeOptions {
  bool ascii = false;              // literal mode: false = binary, true = ASCII
  unsigned dictionarySize = 4096;  // 1024, 2048 or 4096
  int level = kImplodeDefaultLevel;
};

enum ImplodeResult : int {
  kImplodeOk = 0,
  kImplodeBadDictionarySize = 1,  // not 1024, 2048 or 4096
  kImplodeBadLevel = 2,           // not in kImplodeMinLevel..kImplodeMaxLevel
  kImplodeTooLarge = 3,           // the input is 4 GiB or more
  kImplodeReadFailed = 4,         // the reader reported a failure
  kImplodeWriteFailed = 5,        // the writer reported a failure
};

// Reads up to `capacity` bytes into `buffer`: the count read, 0 at the end
// of the input, -1 on a failure.
using ImplodeReader = std::function<int64_t(uint8_t* buffer, size_t capacity)>;
// Takes the next `size` bytes of the stream; false on a failure.
using ImplodeWriter = std::function<bool(const uint8_t* bytes, size_t size)>;

// A short text for each result, for messages.
const char* ImplodeResultText(int result);

// Compresses everything `read` gives into one complete stream handed to
// `write` in pieces, in bounded memory (a window of about 136 KiB and an
// output block of about 115 KiB, whatever the input's size): an input
// without end ends with kImplodeTooLarge at 4 GiB. Returns an
// ImplodeResult; on a failure part of the stream may have been written.
int ImplodeStream(const ImplodeReader& read, const ImplodeWriter& write, const ImplodeOptions& options);

// Compresses `size` bytes at `data` into one complete stream, which replaces
// the contents of `out`. Returns an ImplodeResult; `out` is left empty on
// failure.
int ImplodeBuffer(const uint8_t* data, size_t size, const ImplodeOptions& options,
                  std::vector<uint8_t>* out);

}  // namespace quorril
