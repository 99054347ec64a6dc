// ExplodeStream: the decompressor of PKWARE DCL "implode" streams, the
// format of the members of a shrunk-file container.
//
// The decoder is a pure stream transformation driven by two callbacks. All
// of its state lives in one work area that the caller supplies (and should
// zero before its first use); it allocates nothing. The work area keeps the
// decoder's 4096-byte window between calls, so members can be decoded one
// after the other with the same work area.
//
// Format notes
// ------------
// A stream is two header bytes and a bit stream:
//
//   byte 0   literal mode: 0 = binary, 1 = ASCII
//   byte 1   dictionary bits: 4, 5 or 6 (the compressor's window is 1024,
//            2048 or 4096 bytes; the decoder always keeps 4096)
//   byte 2.. bits, read from the least significant bit of each byte up
//
// Each token begins with one flag bit.
//   0  a literal. Binary mode: the next 8 bits are the byte. ASCII mode: a
//      Shannon-Fano code of 4 to 13 bits from the fixed ASCII table below.
//   1  a match: a length code (2 to 7 bits), 0 to 8 extra length bits added
//      to the code's base giving v, then a distance. The match copies v + 2
//      bytes (2 to 518). v = 517 (code 15 with all eight extra bits set) is
//      the end-of-stream marker.
// The distance is a distance code of 2 to 8 bits (0 to 63) and low bits:
// for a match of length 2, two low bits and distance = code * 4 + low + 1
// (at most 256); otherwise "dictionary bits" low bits and distance =
// (code << dictionary bits) + low + 1 (at most 1024, 2048 or 4096). Copies
// may overlap their own output (distance 1 repeats one byte).
//
// The three code tables are fixed and given by their code lengths only. The
// codes follow by one rule: canonical codes (shorter lengths first, symbols
// in increasing order within a length, each code the previous one + 1 shifted
// left by the increase in length), then each code's ones' complement within
// its length, bit-reversed so that the stream delivers it LSB first. All
// three tables are complete prefix codes, so every bit pattern decodes.
//
// Awkward corners, kept exactly as the format's original decoder has them:
//  - The decoder keeps 8 bits of look-ahead: a token is taken only when at
//    least 8 more bits of the stream follow it. The end marker is the one
//    exception: its eight extra bits may be the last bits of the stream.
//    (Every stream ends with the 16-bit marker, so a sound stream always
//    has that look-ahead.)
//  - The first read must deliver at least 5 bytes: a 4-byte stream (the
//    two header bytes and a bare end marker) is refused with result 3.
//  - A distance that reaches before the data decoded by this call reads the
//    window as the work area holds it: the last full 4096-byte block that
//    an earlier call wrote (zeros in a zeroed work area that has not yet
//    written one). This is not an error.
//  - The read callback is called only when the decoder needs a byte that it
//    does not hold yet, so a stream is never read further than its end
//    marker plus the rest of the last 2048-byte block.
//
// Output goes to the write callback in blocks of exactly 4096 bytes, then one
// final block of 0 to 4095 bytes, also when decoding stops early (result 4).
//
// Work area layout (kExplodeWorkAreaSize bytes, any alignment): the output
// buffer of 8192 + 518 + 32 bytes, whose first 4096 bytes are the window and
// whose tail leaves room for a whole match that starts just below the flush
// point of 8192 plus the over-run of the block copies; then the 2048-byte
// input buffer. The code tables are constant and shared, not copied in.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorril {

// Size of the caller-supplied work area of ExplodeStream.
constexpr std::size_t kExplodeWorkAreaSize = 12596;

// Results of ExplodeStream, each distinct.
enum ExplodeResult : int {
  kExplodeOk = 0,                 // the end marker was decoded; all output written
  kExplodeBadDictionaryBits = 1,  // header byte 1 is not 4, 5 or 6
  kExplodeBadLiteralMode = 2,     // header byte 0 is not 0 or 1
  kExplodeShortStream = 3,        // the first read delivered fewer than 5 bytes
  kExplodeTruncated = 4,          // the input ended before the end marker; the
                                  // output decoded so far has been written
};

// A short name for each result ("ok", "bad dictionary bits", ...), for
// messages; "unknown result" for any other value.
const char* ExplodeResultText(int result);

// Read callback: fill `buffer` with up to *size bytes (*size is 2048 on
// entry) and return the number delivered; 0 means the input is exhausted.
// A larger return value is treated as 2048.
using ExplodeReadCallback = unsigned int (*)(char* buffer, unsigned int* size, void* user);
// Write callback: take all *size bytes (at most 4096) from `buffer`. To stop
// the decoding early, make the read callback deliver no more input.
using ExplodeWriteCallback = void (*)(char* buffer, unsigned int* size, void* user);

// Decodes one stream. `read`, `write` and `workArea` (kExplodeWorkAreaSize
// bytes) must not be null; `user` is passed back to both callbacks. Returns
// an ExplodeResult; results 1 to 3 come before any write.
int ExplodeStream(ExplodeReadCallback read, ExplodeWriteCallback write, void* workArea,
                  void* user);

// ---- the format's fixed tables (shared with the compressor) ------------------

namespace dcl {

constexpr int kMinMatch = 2;
constexpr int kMaxMatch = 518;
constexpr int kEndValue = 517;  // length value v of the end marker

struct CodeTable16 {
  uint8_t bits[16];
  uint16_t code[16];
};
struct CodeTable64 {
  uint8_t bits[64];
  uint16_t code[64];
};
struct CodeTable256 {
  uint8_t bits[256];
  uint16_t code[256];
};

// Builds the LSB-first codes of a table from its code lengths (see the notes).
template <typename Table, int N>
constexpr Table MakeCodes(const uint8_t (&lengths)[N]) {
  Table t{};
  for (int i = 0; i < N; ++i) t.bits[i] = lengths[i];
  uint32_t code = 0;
  int prevLength = 0;
  bool first = true;
  for (int length = 1; length <= 16; ++length) {
    for (int s = 0; s < N; ++s) {
      if (lengths[s] != length) continue;
      if (first) {
        code = 0;
        first = false;
      } else {
        code = (code + 1) << (length - prevLength);
      }
      prevLength = length;
      uint32_t c = ~code & ((1u << length) - 1);
      uint32_t reversed = 0;
      for (int b = 0; b < length; ++b) reversed |= ((c >> b) & 1u) << (length - 1 - b);
      t.code[s] = static_cast<uint16_t>(reversed);
    }
  }
  return t;
}

constexpr uint8_t kLengthCodeLengths[16] = {3, 2, 3, 3, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 7, 7};
constexpr uint8_t kLengthExtraBits[16] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
constexpr uint16_t kLengthBase[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 14, 22, 38, 70, 134, 262};

constexpr uint8_t kDistanceCodeLengths[64] = {
    2, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8};

constexpr uint8_t kAsciiCodeLengths[256] = {
    11, 12, 12, 12, 12, 12, 12, 12, 12, 8,  7,  12, 12, 7,  12, 12,  //   0
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 13, 12, 12, 12, 12, 12,  //  16
    4,  10, 8,  12, 10, 12, 10, 8,  7,  7,  8,  9,  7,  6,  7,  8,   //  32
    7,  6,  7,  7,  7,  7,  8,  7,  7,  8,  8,  12, 11, 7,  9,  11,  //  48
    12, 6,  7,  6,  6,  5,  7,  8,  8,  6,  11, 9,  6,  7,  6,  6,   //  64
    7,  11, 6,  6,  6,  7,  9,  8,  9,  9,  11, 8,  11, 9,  12, 8,   //  80
    12, 5,  6,  6,  6,  5,  6,  6,  6,  5,  11, 7,  5,  6,  5,  5,   //  96
    6,  10, 5,  5,  5,  5,  8,  7,  8,  8,  10, 11, 11, 12, 12, 12,  // 112
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 128
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 144
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 160
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,  // 176
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,  // 192
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,  // 208
    13, 12, 13, 13, 13, 12, 13, 13, 13, 12, 13, 13, 13, 13, 12, 13,  // 224
    13, 13, 12, 12, 12, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 240
};

constexpr CodeTable16 kLengthCodes = MakeCodes<CodeTable16>(kLengthCodeLengths);
constexpr CodeTable64 kDistanceCodes = MakeCodes<CodeTable64>(kDistanceCodeLengths);
constexpr CodeTable256 kAsciiCodes = MakeCodes<CodeTable256>(kAsciiCodeLengths);

static_assert(kLengthCodes.code[0] == 0x05 && kLengthCodes.code[1] == 0x03 &&
              kLengthCodes.code[15] == 0x00 && kLengthCodes.code[14] == 0x40);
static_assert(kDistanceCodes.code[0] == 0x03 && kDistanceCodes.code[7] == 0x3E &&
              kDistanceCodes.code[48] == 0xF0 && kDistanceCodes.code[63] == 0x00);
static_assert(kAsciiCodes.code[0] == 0x490 && kAsciiCodes.code[32] == 0x0F &&   // blank
              kAsciiCodes.code[101] == 0x1B && kAsciiCodes.code[128] == 0x240 &&  // 'e'
              kAsciiCodes.code[255] == 0x000 && kAsciiCodes.code[10] == 0x62 &&   // line feed
              kAsciiCodes.code[13] == 0x22 && kAsciiCodes.code[9] == 0xB8);

}  // namespace dcl
}  // namespace quorril
