// ExplodeStream: DCL implode stream decoder (see explode.h for the format).
//
// Organisation: constant decode tables built at compile time from the fixed
// code tables; a `Decoder` holding a 64-bit bit buffer, the input and output
// cursors; two ways to decode a token:
//  - the fast path (`Fast`), taken while at least 8 unread bytes are in the
//    input buffer: one branch-free refill tops the bit buffer up to 56 or
//    more bits, which covers any token (at most 30 bits) and its 8-bit
//    look-ahead, so the token is decoded with table look-ups and no checks.
//    After one refill it takes up to six binary literals at once, without a
//    branch on their number (the run's length from one bit scan, the bytes
//    packed by three shift-and-mask steps), or ASCII literals while they
//    fit, each from one look-up; a match's flag, length code, extra bits
//    and distance code come from the same look-up for the common short
//    matches, its low distance bits are dropped with them, and in ASCII
//    mode a literal that follows it is taken in the same step without a
//    branch. Its state is held in locals for the compiler to keep in
//    registers;
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
static_assert(kCopySlack >= 2 * 16 - dcl::kMinMatch, "the slack takes the two blocks of a short match");
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

// The literal flags of six 9-bit binary literals, the slots that one
// refill surely holds.
constexpr uint64_t kLiteralFlags = 0x0000201008040201ull;
constexpr bool NinthsByMultiplying() {
  for (unsigned k = 0; k <= 6; ++k)
    if (((9 * k * 57) >> 9) != k) return false;
  return true;
}
static_assert(NinthsByMultiplying(), "(9k * 57) >> 9 is k for a run of up to six literals");

// A token by its next 13 bits.
//  - A match (odd indexes) whose flag, length code, extra length bits and
//    distance code fit in them: the bits taken | distance code << 4 | length
//    value << 10; the distance's low bits follow the bits taken. 0 (never a
//    valid entry, which takes at least 5 bits) for the longer matches, which
//    take the general way.
//  - An ASCII literal (even indexes): the byte | kLongAscii | the bits taken
//    with the flag << 12. The codes of 13 bits do not fit, but they are the
//    only ones that begin with the 12 bits that they hold: their entries
//    give the bits taken (14) and kLongAscii, and the table below the byte.
constexpr int kTokenBits = 13;
constexpr unsigned kLongAscii = 0x800;
struct TokenDecode {
  uint16_t entry[1 << kTokenBits];
};
constexpr TokenDecode MakeTokenDecode() {
  TokenDecode t{};
  for (int c = 0; c < 16; ++c) {
    int n = dcl::kLengthCodes.bits[c], extra = dcl::kLengthExtraBits[c];
    for (int x = 0; x < (1 << extra); ++x) {
      int head = 1 | dcl::kLengthCodes.code[c] << 1 | x << (1 + n);
      int headBits = 1 + n + extra;
      for (int d = 0; d < 64; ++d) {
        int taken = headBits + dcl::kDistanceCodes.bits[d];
        if (taken > kTokenBits) continue;
        int pattern = head | dcl::kDistanceCodes.code[d] << headBits;
        for (int j = pattern; j < (1 << kTokenBits); j += 1 << taken)
          t.entry[j] = uint16_t(taken | d << 4 | (dcl::kLengthBase[c] + x) << 10);
      }
    }
  }
  for (int byte = 0; byte < 256; ++byte) {
    int taken = 1 + dcl::kAsciiCodes.bits[byte];
    if (taken > kTokenBits) {
      int prefix = (dcl::kAsciiCodes.code[byte] << 1) & ((1 << kTokenBits) - 1);
      t.entry[prefix] = uint16_t(kLongAscii | taken << 12);
      continue;
    }
    for (int j = dcl::kAsciiCodes.code[byte] << 1; j < (1 << kTokenBits); j += 1 << taken)
      t.entry[j] = uint16_t(byte | taken << 12);
  }
  return t;
}

// The bytes of the 13-bit ASCII codes, which all begin with 5 zero bits, by
// the 8 bits that follow those, at 256 and up; 0 below, so that the index
// can add kLongAscii >> 3 from a token entry.
constexpr int kLongAsciiSkip = 5;
struct LongAsciiDecode {
  uint8_t byte[512];
};
constexpr LongAsciiDecode MakeLongAsciiDecode() {
  LongAsciiDecode t{};
  for (int byte = 0; byte < 256; ++byte)
    if (1 + dcl::kAsciiCodes.bits[byte] > kTokenBits)
      t.byte[256 + (dcl::kAsciiCodes.code[byte] >> kLongAsciiSkip)] = uint8_t(byte);
  return t;
}
constexpr bool LongAsciiCodesAreAlike() {
  for (int byte = 0; byte < 256; ++byte) {
    int n = dcl::kAsciiCodes.bits[byte];
    if (n > kTokenBits || (n == kTokenBits && (dcl::kAsciiCodes.code[byte] & ((1 << kLongAsciiSkip) - 1))))
      return false;
  }
  return true;
}
static_assert(LongAsciiCodesAreAlike(), "the longest ASCII codes have 13 bits and begin alike");

constexpr LengthDecode kLengthDecode = MakeLengthDecode();
constexpr DistanceDecode kDistanceDecode = MakeDistanceDecode();
constexpr TokenDecode kTokenDecode = MakeTokenDecode();
constexpr LongAsciiDecode kLongAsciiDecode = MakeLongAsciiDecode();
static_assert((dcl::kLengthBase[11] + 15) << 10 < 0x10000, "the length values of the token table fit");
static_assert((kLongAscii & 0xFF) == 0 && kLongAscii < 1u << 12,
              "the mark of the long ASCII codes lies between the byte and the bits taken");

// The ASCII literal whose flag is bit 0 of `bits` (the bits above it may be
// anything): the byte, and in `taken` the bits it takes with the flag.
inline unsigned AsciiLiteral(uint64_t bits, unsigned* taken) {
  unsigned e = kTokenDecode.entry[bits & ((1u << kTokenBits) - 2)];
  *taken = e >> 12;
  return (e & 0xFF) | kLongAsciiDecode.byte[((bits >> (1 + kLongAsciiSkip)) & 0xFF) | (e & kLongAscii) >> 3];
}

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
    unsigned first;  // length + 1 when <= 8
    AsciiLiteral(uint64_t(low8) << 1, &first);
    unsigned before = low8 == 0 ? 16 : first <= 9 ? 8 : (low8 & 0x3F) ? 12 : 14;
    if (!Need(before)) return kTokenExhausted;
    unsigned taken;
    unsigned byte = AsciiLiteral(bits << 1, &taken);
    unsigned n = taken - 1;
    if (!Need(n + 8)) return kTokenExhausted;
    Drop(n);
    return int(byte);
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
  static uint8_t* CopyMatch(uint8_t* out, unsigned distance, unsigned length) {
    uint8_t* d = out;
    const uint8_t* s = out - distance;
    if (distance >= 16) {
      // Two blocks whatever the length: most matches need no loop.
      Copy16(d, s);
      Copy16(d + 16, s + 16);
      for (unsigned i = 32; i < length; i += 16) Copy16(d + i, s + i);
    } else if (distance >= 8) {
      for (unsigned i = 0; i < length; i += 8) Copy8(d + i, s + i);
    } else if (distance == 1) {
      uint64_t run = 0x0101010101010101ull * *s;
      for (unsigned i = 0; i < length; i += 8) std::memcpy(d + i, &run, 8);
    } else {
      // Lay down the pattern until it spans 8 bytes, then copy blocks from a
      // multiple of the distance back, which holds the same bytes.
      static constexpr uint8_t kStep[8] = {0, 8, 8, 9, 8, 10, 12, 14};  // distance * ceil(8 / distance)
      unsigned step = kStep[distance];
      unsigned head = length < step ? length : step;
      for (unsigned i = 0; i < head; ++i) d[i] = s[i];
      for (unsigned i = head; i < length; i += 8) Copy8(d + i, d + i - step);
    }
    return out + length;
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
  template <bool kAscii>
  bool Run();
  // Fast path, taken while at least 8 unread bytes are in the input block:
  // decodes tokens until fewer remain (false) or the end marker (true).
  template <bool kAscii>
  bool Fast();
};

template <bool kAscii>
bool Decoder::Run() {
  for (;;) {
    if (end - next >= 8 && Fast<kAscii>()) return true;
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
      out = CopyMatch(out, distance, v + 2);
    }
    FlushIfFull();
  }
}

template <bool kAscii>
bool Decoder::Fast() {
  // The state lives in locals here, where the compiler can keep it in
  // registers: the byte stores of the output could otherwise alias it.
  uint64_t b = bits;
  unsigned c = count;
  const uint8_t* in = next;
  const uint8_t* const last = end - 8;
  uint8_t* o = out;
  uint8_t* const flushAt = work->output + kFlushPoint;
  const unsigned dictionaryBits = dictBits;
  bool ended = false;
  while (in <= last) {
    // Refill to at least 56 bits.
    b |= Load64(in) << c;
    in += (63 - c) >> 3;
    c |= 56;
    if (!(b & 1)) {
      // Literals. The output position is short of the flush point here, and
      // the buffer's slack takes the few bytes stored past it before the
      // flush check below.
      if (!kAscii) {
        // The six 9-bit slots that the refilled bits surely hold: store all
        // six bytes, keep as many as lead with a literal flag. No branch
        // depends on where the run of literals ends.
        // The run's length: the flags sit 9 bits apart, and the first set
        // one (a match; the bit at 54 stands for "six literals") is at 9k.
        unsigned taken = unsigned(__builtin_ctzll((b & kLiteralFlags) | uint64_t(1) << 54));
        unsigned k = (taken * 57) >> 9;  // taken / 9 for taken <= 54
        // The six bytes, 9 bits apart after their flags, packed 8 bits
        // apart in three steps: slot j moves down by j bits, its low bit
        // in the first step, the next in the second, the top one in the
        // third.
        uint64_t bytes = b >> 1;
        bytes = (bytes & 0x00000FF003FC00FFull) | ((bytes >> 1) & 0x000FF003FC00FF00ull);
        bytes = (bytes & 0x000FFFF00000FFFFull) | ((bytes >> 2) & 0x00000000FFFF0000ull);
        bytes = (bytes & 0x00000000FFFFFFFFull) | ((bytes >> 4) & 0x0000FFFF00000000ull);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        bytes = __builtin_bswap64(bytes);
#endif
        std::memcpy(o, &bytes, 8);
        o += k;
        b >>= taken;
        c -= taken;
      } else {
        do {
          unsigned taken;
          *o++ = uint8_t(AsciiLiteral(b, &taken));
          b >>= taken;
          c -= taken;
        } while (!(b & 1) && c >= 14);  // while the bits held cover one more
      }
    } else {
      unsigned v, distance;
      if (uint16_t m = kTokenDecode.entry[b & ((1u << kTokenBits) - 1)]) {
        unsigned taken = m & 15;
        v = m >> 10;
        unsigned low = v == 0 ? 2 : dictionaryBits;
        distance = (unsigned((m >> 4) & 63) << low) + (unsigned(b >> taken) & ((1u << low) - 1)) + 1;
        b >>= taken + low;
        c -= taken + low;
      } else {
        uint32_t e = kLengthDecode.entry[(b >> 1) & 0x7F];
        unsigned n = 1 + (e & 0xFF), extra = (e >> 8) & 0xFF;
        v = (e >> 16) + (unsigned(b >> n) & ((1u << extra) - 1));
        b >>= n + extra;
        c -= n + extra;
        if (v == unsigned(dcl::kEndValue)) {
          ended = true;
          break;
        }
        // The distance code and its low bits come off together.
        uint16_t de = kDistanceDecode.entry[b & 0xFF];
        unsigned dn = de >> 8;
        unsigned low = v == 0 ? 2 : dictionaryBits;
        distance = (unsigned(de & 0xFF) << low) + (unsigned(b >> dn) & ((1u << low) - 1)) + 1;
        b >>= dn + low;
        c -= dn + low;
      }
      o = CopyMatch(o, distance, v + 2);
      if (kAscii) {
        // A literal that follows the match is taken here without a branch:
        // its byte is stored in any case and kept when the next flag is 0.
        // The bits held cover it and its look-ahead (at least 56 after the
        // refill, at most 30 taken by the match, at most 14 by the literal).
        unsigned taken;
        *o = uint8_t(AsciiLiteral(b, &taken));
        unsigned literal = unsigned(~b & 1);
        o += literal;
        taken &= 0u - literal;
        b >>= taken;
        c -= taken;
      }
    }
    if (o >= flushAt) {
      out = o;
      FlushIfFull();
      o = out;
    }
  }
  bits = b;
  count = c;
  next = in;
  out = o;
  return ended;
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
  dec.next = work->input + 2;
  dec.end = work->input + got;
  dec.out = work->output + kWindowSize;
  bool ended = dec.ascii ? dec.Run<true>() : dec.Run<false>();

  unsigned last = unsigned(dec.out - (work->output + kWindowSize));
  write(reinterpret_cast<char*>(work->output + kWindowSize), &last, user);
  return ended ? kExplodeOk : kExplodeTruncated;
}

}  // namespace quorril
