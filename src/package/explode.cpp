// ExplodeStream: DCL implode stream decoder (see explode.h for the format).
//
// Organisation: constant decode tables built at compile time from the fixed
// code tables; a `Decoder` holding a 64-bit bit buffer, the input and output
// cursors; two ways to decode a token:
//  - the fast path, taken while at least 8 unread bytes are in the input
//    buffer: one branch-free refill tops the bit buffer up to 56 or more
//    bits, which covers any token (at most 30 bits) and its 8-bit look-ahead,
//    so the token is decoded with table look-ups and no checks;
//  - the careful path, for the last bytes of each input block: it pulls one
//    byte at a time and checks every step against the end of the input
//    exactly as the format's look-ahead rule requires (see explode.h), and it
//    is the only place that calls the read callback.
// Matches are copied in 16- or 8-byte blocks; the output buffer has room for
// the longest match past the flush point plus the over-run of a block copy.
#include "package/explode.h"

#include <cstring>

namespace quorril {
namespace {

constexpr int kWindowSize = 4096;
constexpr int kFlushPoint = 8192;     // output position at which a block is written
constexpr int kCopySlack = 32;        // over-run of the block copies
constexpr int kOutputSize = kFlushPoint + dcl::kMaxMatch + kCopySlack;
constexpr int kInputSize = 2048;

struct WorkArea {
  uint8_t output[kOutputSize];  // [0, 4096) window, then decoded bytes
  uint8_t input[kInputSize];
};
static_assert(sizeof(WorkArea) <= kExplodeWorkAreaSize, "the work area is too small");
static_assert(alignof(WorkArea) == 1, "the work area may have any alignment");

// ---- decode tables -------------------------------------------------------------

// Length codes by the next 7 bits: code length | extra bits << 8 | base << 16.
struct LengthDecode {
  uint32_t entry[128];
};
constexpr LengthDecode MakeLengthDecode() {
  LengthDecode t{};
  for (int c = 0; c < 16; ++c) {
    int n = dcl::kLengthCodes.bits[c];
    for (int j = dcl::kLengthCodes.code[c]; j < 128; j += 1 << n)
      t.entry[j] = uint32_t(n) | uint32_t(dcl::kLengthExtraBits[c]) << 8 |
                   uint32_t(dcl::kLengthBase[c]) << 16;
  }
  return t;
}

// Distance codes by the next 8 bits: code | code length << 8.
struct DistanceDecode {
  uint16_t entry[256];
};
constexpr DistanceDecode MakeDistanceDecode() {
  DistanceDecode t{};
  for (int c = 0; c < 64; ++c) {
    int n = dcl::kDistanceCodes.bits[c];
    for (int j = dcl::kDistanceCodes.code[c]; j < 256; j += 1 << n)
      t.entry[j] = uint16_t(c | n << 8);
  }
  return t;
}

// ASCII literals by the next 13 bits: byte | code length << 8.
struct AsciiDecode {
  uint16_t entry[8192];
};
constexpr AsciiDecode MakeAsciiDecode() {
  AsciiDecode t{};
  for (int b = 0; b < 256; ++b) {
    int n = dcl::kAsciiCodes.bits[b];
    for (int j = dcl::kAsciiCodes.code[b]; j < 8192; j += 1 << n) t.entry[j] = uint16_t(b | n << 8);
  }
  return t;
}

constexpr LengthDecode kLengthDecode = MakeLengthDecode();
constexpr DistanceDecode kDistanceDecode = MakeDistanceDecode();
constexpr AsciiDecode kAsciiDecode = MakeAsciiDecode();

// ---- the decoder ----------------------------------------------------------------

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  return v;
}
inline void Copy8(uint8_t* d, const uint8_t* s) { std::memcpy(d, s, 8); }
inline void Copy16(uint8_t* d, const uint8_t* s) { std::memcpy(d, s, 16); }

// Outcome of decoding one token on the careful path.
enum : int { kTokenEnd = 773, kTokenExhausted = 774 };

struct Decoder {
  ExplodeReadCallback read;
  ExplodeWriteCallback write;
  void* user;
  WorkArea* work;
  bool ascii;
  unsigned dictBits;
  uint64_t dictMask;

  uint64_t bits = 0;        // pending bits, next bit lowest; bits above
  unsigned count = 0;       // `count` are 0 or the next input bits
  const uint8_t* next;      // next unread input byte
  const uint8_t* end;       // end of the input block
  uint8_t* out;             // next output byte

  void Drop(unsigned n) {
    bits >>= n;
    count -= n;
  }

  // Careful path: make `n` bits available, reading a new block when the
  // current one is used up. False when the input is exhausted.
  bool Need(unsigned n) {
    while (count < n) {
      if (next == end) {
        unsigned size = kInputSize;
        unsigned got = read(reinterpret_cast<char*>(work->input), &size, user);
        if (got == 0) return false;
        if (got > kInputSize) got = kInputSize;
        next = work->input;
        end = next + got;
      }
      bits |= uint64_t(*next++) << count;
      count += 8;
    }
    return true;
  }

  // Careful path: one token, dropping bits only when 8 more follow them.
  // Returns a literal (0-255), 256 + length value, kTokenEnd or
  // kTokenExhausted. On return of a match the distance still follows.
  int CarefulToken() {
    if (!Need(1 + 8)) return kTokenExhausted;
    bool match = bits & 1;
    Drop(1);
    if (match) {
      uint32_t e = kLengthDecode.entry[bits & 0x7F];
      unsigned n = e & 0xFF, extra = (e >> 8) & 0xFF;
      if (!Need(n + 8)) return kTokenExhausted;
      Drop(n);
      unsigned v = e >> 16;
      if (extra) {
        unsigned x = unsigned(bits) & ((1u << extra) - 1);
        v += x;
        if (!Need(extra + 8)) return v == unsigned(dcl::kEndValue) ? kTokenEnd : kTokenExhausted;
        Drop(extra);
      }
      return v == unsigned(dcl::kEndValue) ? kTokenEnd : int(256 + v);
    }
    if (!ascii) {
      if (!Need(8 + 8)) return kTokenExhausted;
      int b = int(bits & 0xFF);
      Drop(8);
      return b;
    }
    // The original decoder looks at 8, 12, 14 or 16 bits before it knows
    // the code length; ask for no more than it would.
    unsigned low8 = unsigned(bits & 0xFF);
    unsigned first = kAsciiDecode.entry[low8] >> 8;  // length when <= 8
    unsigned before = low8 == 0 ? 16 : first <= 8 ? 8 : (low8 & 0x3F) ? 12 : 14;
    if (!Need(before)) return kTokenExhausted;
    uint16_t e = kAsciiDecode.entry[bits & 0x1FFF];
    unsigned n = e >> 8;
    if (!Need(n + 8)) return kTokenExhausted;
    Drop(n);
    return e & 0xFF;
  }

  // Careful path: the distance of a match of length value v; 0 when the
  // input is exhausted.
  unsigned CarefulDistance(unsigned v) {
    uint16_t e = kDistanceDecode.entry[bits & 0xFF];  // count >= 8 here
    unsigned n = e >> 8;
    if (!Need(n + 8)) return 0;
    Drop(n);
    unsigned low = v == 0 ? 2 : dictBits;
    unsigned d = v == 0 ? (unsigned(e & 0xFF) << 2) : (unsigned(e & 0xFF) << dictBits);
    d += unsigned(bits) & ((1u << low) - 1);
    if (!Need(low + 8)) return 0;
    Drop(low);
    return d + 1;
  }

  // Copies a match of `length` bytes from `distance` back (1 to 4096; the
  // output position is never below 4096, so the source stays in the buffer).
  void CopyMatch(unsigned distance, unsigned length) {
    uint8_t* d = out;
    const uint8_t* s = out - distance;
    out += length;
    if (distance >= 16) {
      for (unsigned i = 0; i < length; i += 16) Copy16(d + i, s + i);
    } else if (distance >= 8) {
      for (unsigned i = 0; i < length; i += 8) Copy8(d + i, s + i);
    } else if (distance == 1) {
      std::memset(d, *s, length);
    } else {
      // Lay down the pattern until it spans 8 bytes, then copy blocks from a
      // multiple of the distance back, which holds the same bytes.
      unsigned step = distance * ((8 + distance - 1) / distance);
      unsigned head = length < step ? length : step;
      for (unsigned i = 0; i < head; ++i) d[i] = s[i];
      for (unsigned i = head; i < length; i += 8) Copy8(d + i, d + i - step);
    }
  }

  void FlushIfFull() {
    if (out < work->output + kFlushPoint) return;
    unsigned size = kWindowSize;
    write(reinterpret_cast<char*>(work->output + kWindowSize), &size, user);
    size_t keep = size_t(out - (work->output + kWindowSize));
    std::memmove(work->output, work->output + kWindowSize, keep);
    out -= kWindowSize;
  }

  // Decodes tokens until the end marker (true) or the end of input (false).
  bool Run();
};

bool Decoder::Run() {
  const uint8_t* const flushAt = work->output + kFlushPoint;
  for (;;) {
    if (end - next >= 8) {
      // Fast path: refill to at least 56 bits.
      bits |= Load64(next) << count;
      next += (63 - count) >> 3;
      count |= 56;
      if (!(bits & 1)) {
        if (!ascii) {
          // Up to five binary literals fit in the refilled bits (5 x 9 + 8).
          *out++ = uint8_t(bits >> 1);
          Drop(9);
          int more = 4;
          while (more-- && !(bits & 1) && out < flushAt) {
            *out++ = uint8_t(bits >> 1);
            Drop(9);
          }
        } else {
          uint16_t e = kAsciiDecode.entry[(bits >> 1) & 0x1FFF];
          *out++ = uint8_t(e);
          Drop(1 + (e >> 8));
          // A second literal fits too (2 x 14 + 8 <= 56).
          if (!(bits & 1) && out < flushAt) {
            e = kAsciiDecode.entry[(bits >> 1) & 0x1FFF];
            *out++ = uint8_t(e);
            Drop(1 + (e >> 8));
          }
        }
        if (out >= flushAt) FlushIfFull();
        continue;
      }
      uint32_t e = kLengthDecode.entry[(bits >> 1) & 0x7F];
      Drop(1 + (e & 0xFF));
      unsigned extra = (e >> 8) & 0xFF;
      unsigned v = (e >> 16) + (unsigned(bits) & ((1u << extra) - 1));
      Drop(extra);
      if (v == unsigned(dcl::kEndValue)) return true;
      uint16_t de = kDistanceDecode.entry[bits & 0xFF];
      Drop(de >> 8);
      unsigned distance;
      if (v == 0) {
        distance = (unsigned(de & 0xFF) << 2) + (unsigned(bits) & 3) + 1;
        Drop(2);
      } else {
        distance = (unsigned(de & 0xFF) << dictBits) + unsigned(bits & dictMask) + 1;
        Drop(dictBits);
      }
      CopyMatch(distance, v + 2);
      if (out >= flushAt) FlushIfFull();
      continue;
    }
    // Careful path.
    int token = CarefulToken();
    if (token == kTokenEnd) return true;
    if (token == kTokenExhausted) return false;
    if (token < 256) {
      *out++ = uint8_t(token);
    } else {
      unsigned v = unsigned(token - 256);
      unsigned distance = CarefulDistance(v);
      if (distance == 0) return false;
      CopyMatch(distance, v + 2);
    }
    if (out >= flushAt) FlushIfFull();
  }
}

}  // namespace

const char* ExplodeResultText(int result) {
  switch (result) {
    case kExplodeOk: return "ok";
    case kExplodeBadDictionaryBits: return "dictionary bits not 4, 5 or 6";
    case kExplodeBadLiteralMode: return "literal mode not 0 or 1";
    case kExplodeShortStream: return "stream shorter than 5 bytes";
    case kExplodeTruncated: return "input ended before the end marker";
  }
  return "unknown result";
}

int ExplodeStream(ExplodeReadCallback read, ExplodeWriteCallback write, void* workArea,
                  void* user) {
  WorkArea* work = static_cast<WorkArea*>(workArea);
  unsigned size = kInputSize;
  unsigned got = read(reinterpret_cast<char*>(work->input), &size, user);
  if (got > kInputSize) got = kInputSize;
  if (got < 5) return kExplodeShortStream;
  unsigned mode = work->input[0];
  unsigned dictBits = work->input[1];
  if (dictBits < 4 || dictBits > 6) return kExplodeBadDictionaryBits;
  if (mode > 1) return kExplodeBadLiteralMode;

  Decoder dec;
  dec.read = read;
  dec.write = write;
  dec.user = user;
  dec.work = work;
  dec.ascii = mode == 1;
  dec.dictBits = dictBits;
  dec.dictMask = (1u << dictBits) - 1;
  dec.next = work->input + 2;
  dec.end = work->input + got;
  dec.out = work->output + kWindowSize;
  bool ended = dec.Run();

  unsigned last = unsigned(dec.out - (work->output + kWindowSize));
  write(reinterpret_cast<char*>(work->output + kWindowSize), &last, user);
  return ended ? kExplodeOk : kExplodeTruncated;
}

}  // namespace quorril
