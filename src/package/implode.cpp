// ImplodeBuffer: DCL implode compressor (see implode.h).
//
// Organisation: constant encode tables derived from the format's code tables
// (explode.h); the `Imploder` with its match finder (`Insert`, `FindMatches`),
// its two parsers (`ParseGreedy` for the fast levels, `ParseOptimal` for the
// others) and the `BitWriter` that lays down the tokens.
//
// Costs. A literal costs 9 bits (binary) or 1 + its ASCII code length. A
// match of length L at distance D costs 1 + the length code and its extra
// bits + the distance code + 2 low bits (L = 2, D <= 256) or "dictionary
// bits" low bits (L > 2, D <= the dictionary size). The distance code is
// (D - 1) >> 2 or (D - 1) >> dictionary bits and its code length never falls
// as D grows, so for one length the nearest match is always the cheapest:
// the candidates are found from near to far (nearest pair, nearest 3-byte
// string, then the 4-byte chain) and each longer match found serves the
// lengths between the previous one and its own.
//
// Positions are 32-bit offsets into the input; tables hold position + 1, so
// that 0 means empty. The chain keeps the last 8192 positions, more than any
// window, so a link is never stale while its distance is in the window.
#include "package/implode.h"

#include <algorithm>
#include <cstring>

#include "package/explode.h"

namespace quorril {
namespace {

constexpr unsigned kMaxMatch = dcl::kMaxMatch;
constexpr unsigned kBlockSize = 1u << 16;     // positions per optimal-parse block
constexpr unsigned kExactBlockSize = 1u << 24;  // the same at the top level
constexpr unsigned kHash3Bits = 14;
constexpr unsigned kHash4Bits = 15;
constexpr unsigned kChainSize = 8192;         // more than the largest window
constexpr unsigned kMaxCandidates = 64;      // per position, below the top level

// ---- encode tables ----------------------------------------------------------------

// Length value v (0 to 517): the length code with its extra bits appended,
// LSB first, and the total bit count.
struct LengthEncode {
  uint16_t pattern[518];
  uint8_t bits[518];
};
constexpr LengthEncode MakeLengthEncode() {
  LengthEncode t{};
  for (unsigned v = 0; v < 518; ++v) {
    unsigned c = 15;
    while (dcl::kLengthBase[c] > v) --c;
    unsigned n = dcl::kLengthCodes.bits[c];
    t.pattern[v] = uint16_t(dcl::kLengthCodes.code[c] | (v - dcl::kLengthBase[c]) << n);
    t.bits[v] = uint8_t(n + dcl::kLengthExtraBits[c]);
  }
  return t;
}
constexpr LengthEncode kLengthEncode = MakeLengthEncode();

struct Level {
  unsigned depth[3];  // chain links followed per position, for 1024, 2048, 4096
  unsigned nice;      // a match this long is taken at once
  bool optimal;       // shortest-path parse, else greedy or lazy
  bool lazy;
  bool exact;         // every match in the window, one parse of the whole input
};
constexpr Level kLevels[kImplodeMaxLevel + 1] = {
    {{0, 0, 0}, 0, false, false, false},            // unused
    {{1, 2, 4}, 16, false, false, false},           // 1
    {{2, 4, 8}, 16, false, true, false},            // 2
    {{4, 6, 8}, 16, true, false, false},            // 3
    {{8, 12, 16}, 16, true, false, false},          // 4
    {{8, 16, 32}, 32, true, false, false},          // 5
    {{16, 32, 64}, 64, true, false, false},         // 6
    {{32, 64, 128}, 128, true, false, false},       // 7
    {{128, 256, 512}, 258, true, false, false},     // 8
    {{0, 0, 0}, kMaxMatch + 1, true, false, true},  // 9: exact
};

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// Number of equal bytes at a and b, at most `limit`; reads only below
// a + limit and b + limit.
inline unsigned MatchLength(const uint8_t* a, const uint8_t* b, unsigned limit) {
  unsigned n = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  while (n + 8 <= limit) {
    uint64_t x = Load64(a + n) ^ Load64(b + n);
    if (x) return n + unsigned(__builtin_ctzll(x)) / 8;
    n += 8;
  }
#endif
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

// Bits are collected LSB first in a 64-bit accumulator and stored 32 at a time.
class BitWriter {
 public:
  explicit BitWriter(uint8_t* start) : next_(start) {}
  // count <= 31
  void Put(uint32_t value, unsigned count) {
    acc_ |= uint64_t(value) << used_;
    used_ += count;
    if (used_ >= 32) {
      uint32_t low = uint32_t(acc_);
      uint8_t bytes[4] = {uint8_t(low), uint8_t(low >> 8), uint8_t(low >> 16), uint8_t(low >> 24)};
      std::memcpy(next_, bytes, 4);
      next_ += 4;
      acc_ >>= 32;
      used_ -= 32;
    }
  }
  // The bytes stored since `start`; the writer starts again at `start`
  // (bits not yet stored stay in the accumulator).
  size_t Take(uint8_t* start) {
    size_t n = size_t(next_ - start);
    next_ = start;
    return n;
  }
  uint8_t* next() const { return next_; }
  // Writes the last, partly filled bytes; returns the end of the output.
  uint8_t* Finish() {
    while (used_ > 0) {
      *next_++ = uint8_t(acc_);
      acc_ >>= 8;
      used_ = used_ > 8 ? used_ - 8 : 0;
    }
    return next_;
  }

 private:
  uint8_t* next_;
  uint64_t acc_ = 0;
  unsigned used_ = 0;
};

struct Candidate {
  uint16_t length;
  uint16_t distance;
};

// The input streams through a window: the dictionary's reach behind the
// position being parsed, and a whole block (or a longest match) ahead of
// it. Positions stay absolute; data_ is set so that data_[pos] is the byte
// at `pos` for every position in the window, and size_ is the end of what
// has been read, so every decision sees exactly the bytes it would see with
// the whole input in memory, and the stream is the same.
constexpr unsigned kLookahead = kMaxMatch + 8;    // beyond any match, and a hash's 4 bytes
// The window holds two blocks of the level's parse and a dictionary.
constexpr unsigned WindowSize(unsigned blockSize) { return 2 * blockSize + 8192; }
// Positions are 32-bit, and tables hold position + 1.
constexpr uint64_t kMaxInput = 0xFFFFFFFFu - kBlockSize - 1;
// The output of one block: at most 14 bits per byte, the header, the
// writer's 4-byte stores; the greedy parse hands out its output as often.
constexpr unsigned kOutputFlush = kBlockSize;
constexpr unsigned OutputSize(unsigned blockSize) { return 2 + blockSize / 8 * 14 + 64; }

class Imploder {
 public:
  Imploder(const ImplodeReader& read, const ImplodeWriter& write, const ImplodeOptions& options)
      : read_(read),
        write_(write),
        level_(kLevels[options.level]),
        blockSize_(level_.exact ? kExactBlockSize : kBlockSize),
        window_(WindowSize(blockSize_)),
        output_(OutputSize(blockSize_)),
        ascii_(options.ascii),
        dictBits_(options.dictionarySize == 1024 ? 4 : options.dictionarySize == 2048 ? 5 : 6),
        dictSize_(options.dictionarySize),
        depth_(level_.depth[dictBits_ - 4]),
        head3_(size_t(1) << kHash3Bits, 0),
        head4_(size_t(1) << kHash4Bits, 0),
        chain_(kChainSize, 0),
        pairs_(65536, 0) {
    for (unsigned b = 0; b < 256; ++b)
      literalCost_[b] = ascii_ ? 1u + dcl::kAsciiCodes.bits[b] : 9u;
    for (unsigned length = 2; length <= kMaxMatch; ++length)
      lengthCost_[length] = 1u + kLengthEncode.bits[length - 2];
  }

  // Reads the whole input and writes the whole stream; an ImplodeResult.
  int Compress() {
    uint8_t* out = output_.data();
    out[0] = ascii_ ? 1 : 0;
    out[1] = uint8_t(dictBits_);
    BitWriter writer(out + 2);
    writer_ = &writer;
    if (Fill(0, kLookahead)) {
      if (level_.optimal)
        ParseOptimal();
      else
        ParseGreedy();
    }
    if (result_ != kImplodeOk) return result_;
    // End marker: a match of length value 517.
    writer.Put(1u | uint32_t(kLengthEncode.pattern[dcl::kEndValue]) << 1,
               1u + kLengthEncode.bits[dcl::kEndValue]);
    size_t length = size_t(writer.Finish() - out);
    // ExplodeStream wants at least 5 bytes in its first read; an empty
    // input gives 4, so one padding byte follows the end marker.
    if (written_ + length < 5) out[length++] = 0;
    if (!Write(out, length)) return result_;
    return kImplodeOk;
  }

 private:
  bool Write(const uint8_t* bytes, size_t size) {
    if (size != 0 && !write_(bytes, size)) result_ = kImplodeWriteFailed;
    written_ += size;
    return result_ == kImplodeOk;
  }
  // Hands out the whole bytes written so far.
  bool Flush() { return Write(output_.data(), writer_->Take(output_.data())); }

  // Makes the window hold [keep, need) or [keep, the end of the input);
  // false (result_ set) on a failed read or an input too large.
  bool Fill(uint32_t keep, uint64_t need) {
    if (end_ || size_ >= need) return true;
    // Move what is kept to the front, then read until the window is full.
    size_t kept = size_ - keep;
    std::memmove(window_.data(), window_.data() + (keep - base_), kept);
    base_ = keep;
    while (!end_ && kept < window_.size()) {
      int64_t got = read_(window_.data() + kept, window_.size() - kept);
      if (got < 0) {
        result_ = kImplodeReadFailed;
        return false;
      }
      if (got == 0) end_ = true;
      if (uint64_t(base_) + kept + uint64_t(got) > kMaxInput) {
        result_ = kImplodeTooLarge;
        return false;
      }
      kept += size_t(got);
    }
    size_ = uint32_t(base_ + kept);
    data_ = window_.data() - base_;
    return true;
  }
  // The window for a match search at `pos`: the dictionary behind it (and
  // the byte before, which a lazy parse may still write), a match ahead.
  bool FillFor(uint32_t pos) {
    uint32_t keep = pos > dictSize_ + 1 ? pos - dictSize_ - 1 : 0;
    return size_ - pos >= kLookahead || Fill(keep, uint64_t(pos) + kLookahead);
  }

  uint32_t Pair(uint32_t pos) const { return uint32_t(data_[pos]) | uint32_t(data_[pos + 1]) << 8; }
  uint32_t Hash3(uint32_t pos) const {
    uint32_t v = Pair(pos) | uint32_t(data_[pos + 2]) << 16;
    return (v * 2654435761u) >> (32 - kHash3Bits);
  }
  uint32_t Hash4(uint32_t pos) const {
    uint32_t v = Pair(pos) | uint32_t(data_[pos + 2]) << 16 | uint32_t(data_[pos + 3]) << 24;
    return (v * 2654435761u) >> (32 - kHash4Bits);
  }

  void Insert(uint32_t pos) {
    uint32_t left = size_ - pos;
    if (level_.exact) {
      // One chain over the 3-byte hash holds every position of the window.
      if (left >= 3) {
        uint32_t h = Hash3(pos);
        chain_[pos & (kChainSize - 1)] = head3_[h];
        head3_[h] = pos + 1;
      }
    } else if (left >= 4) {
      uint32_t h = Hash4(pos);
      chain_[pos & (kChainSize - 1)] = head4_[h];
      head4_[h] = pos + 1;
    }
    if (left >= 3 && !level_.exact) head3_[Hash3(pos)] = pos + 1;
    if (left >= 2) pairs_[Pair(pos)] = pos + 1;
  }

  // Finds the candidates at `pos` for matches of at most `limit` bytes:
  // `pairDistance_` (0: none) for length 2 and candidates_[0..count) of
  // rising length and distance for 3 bytes and more. The nearest 2- and
  // 3-byte matches come from the latest position of their pair and 3-byte
  // hash, the longer ones from the chain of the 4-byte hash. Returns the
  // count.
  unsigned FindMatches(uint32_t pos, unsigned limit) {
    pairDistance_ = 0;
    if (limit < 2) return 0;
    uint32_t link = pairs_[Pair(pos)];
    if (link != 0 && pos - (link - 1) <= 256) pairDistance_ = pos - (link - 1);
    if (limit < 3) return 0;
    const uint8_t* here = data_ + pos;
    unsigned count = 0;
    unsigned best = 2;
    if (level_.exact) return FindAllMatches(pos, limit);
    link = head3_[Hash3(pos)];
    if (link != 0 && pos - (link - 1) <= dictSize_) {
      const uint8_t* there = data_ + (link - 1);
      if (there[0] == here[0] && there[1] == here[1] && there[2] == here[2]) {
        best = MatchLength(here, there, limit);
        candidates_[count++] = Candidate{uint16_t(best), uint16_t(pos - (link - 1))};
        if (best >= level_.nice || best >= limit) return count;
      }
    }
    if (limit < 4) return count;
    return WalkChain(head4_[Hash4(pos)], pos, limit, depth_, best, count, kMaxCandidates);
  }

  // The top level's search: walks the 3-byte chain through the whole window,
  // so that every length from 3 to the longest has its nearest distance.
  unsigned FindAllMatches(uint32_t pos, unsigned limit) {
    return WalkChain(head3_[Hash3(pos)], pos, limit, ~0u, 2, 0, kMaxMatch);
  }

  // Follows the chain from `link`, near to far, for at most `depth` links
  // inside the window, and adds to candidates_[count..] each match longer
  // than `best` and all nearer ones, up to `most` candidates in all. Returns
  // the new count.
  unsigned WalkChain(uint32_t link, uint32_t pos, unsigned limit, unsigned depth, unsigned best,
                     unsigned count, unsigned most) {
    const uint8_t* here = data_ + pos;
    while (link != 0 && depth-- != 0) {
      uint32_t candidate = link - 1;
      uint32_t distance = pos - candidate;
      if (distance > dictSize_) break;
      const uint8_t* there = data_ + candidate;
      if (there[best] == here[best]) {
        unsigned length = MatchLength(here, there, limit);
        if (length > best) {
          best = length;
          candidates_[count++] = Candidate{uint16_t(length), uint16_t(distance)};
          if (length >= level_.nice || length >= limit || count == most) break;
        }
      }
      link = chain_[candidate & (kChainSize - 1)];
    }
    return count;
  }

  uint32_t MatchCost(unsigned length, unsigned distance) const {
    if (length == 2) return lengthCost_[2] + dcl::kDistanceCodes.bits[(distance - 1) >> 2] + 2;
    return lengthCost_[length] + dcl::kDistanceCodes.bits[(distance - 1) >> dictBits_] + dictBits_;
  }

  void PutLiteral(uint8_t b) {
    if (ascii_)
      writer_->Put(uint32_t(dcl::kAsciiCodes.code[b]) << 1, 1u + dcl::kAsciiCodes.bits[b]);
    else
      writer_->Put(uint32_t(b) << 1, 9);
  }

  void PutMatch(unsigned length, unsigned distance) {
    unsigned v = length - 2;
    writer_->Put(1u | uint32_t(kLengthEncode.pattern[v]) << 1, 1u + kLengthEncode.bits[v]);
    unsigned lowBits = length == 2 ? 2 : dictBits_;
    unsigned code = (distance - 1) >> lowBits;
    unsigned n = dcl::kDistanceCodes.bits[code];
    writer_->Put(dcl::kDistanceCodes.code[code] | ((distance - 1) & ((1u << lowBits) - 1)) << n,
                 n + lowBits);
  }

  // Literal cost of bytes [pos, pos + length).
  uint32_t LiteralRunCost(uint32_t pos, unsigned length) const {
    if (!ascii_) return 9 * length;
    uint32_t cost = 0;
    for (unsigned i = 0; i < length; ++i) cost += literalCost_[data_[pos + i]];
    return cost;
  }

  // The most profitable match at `pos` (bits saved against literals, 0 when
  // no match pays); its length and distance in *length and *distance.
  int32_t BestMatch(uint32_t pos, unsigned* length, unsigned* distance) {
    *length = 0;
    *distance = 0;
    if (!FillFor(pos)) return 0;
    unsigned limit = std::min<uint32_t>(kMaxMatch, size_ - pos);
    unsigned count = FindMatches(pos, limit);
    int32_t best = 0;
    if (pairDistance_ != 0) {
      int32_t gain = int32_t(LiteralRunCost(pos, 2)) - int32_t(MatchCost(2, pairDistance_));
      if (gain > best) {
        best = gain;
        *length = 2;
        *distance = pairDistance_;
      }
    }
    for (unsigned k = 0; k < count; ++k) {
      unsigned l = candidates_[k].length, d = candidates_[k].distance;
      int32_t gain = int32_t(LiteralRunCost(pos, l)) - int32_t(MatchCost(l, d));
      if (gain > best) {
        best = gain;
        *length = l;
        *distance = d;
      }
    }
    return best;
  }

  void ParseGreedy() {
    uint32_t pos = 0;
    unsigned length = 0, distance = 0;
    int32_t gain = size_ ? BestMatch(0, &length, &distance) : 0;
    while (pos < size_ && result_ == kImplodeOk) {
      if (size_t(writer_->next() - output_.data()) >= kOutputFlush && !Flush()) return;
      if (length == 0) {
        PutLiteral(data_[pos]);
        Insert(pos);
        ++pos;
        if (pos < size_) gain = BestMatch(pos, &length, &distance);
        continue;
      }
      if (level_.lazy && length < level_.nice && pos + 1 < size_) {
        // Lazy: a literal now and the match at the next position is worth it
        // when that match saves more bits than this one.
        Insert(pos);
        unsigned nextLength = 0, nextDistance = 0;
        int32_t nextGain = BestMatch(pos + 1, &nextLength, &nextDistance);
        if (nextGain > gain) {
          PutLiteral(data_[pos]);
          ++pos;
          length = nextLength;
          distance = nextDistance;
          gain = nextGain;
          continue;
        }
        PutMatch(length, distance);
        for (uint32_t i = pos + 1; i < pos + length; ++i) Insert(i);
      } else {
        PutMatch(length, distance);
        for (uint32_t i = pos; i < pos + length; ++i) Insert(i);
      }
      pos += length;
      length = 0;
      if (pos < size_) gain = BestMatch(pos, &length, &distance);
    }
  }

  void ParseOptimal() {
    // The top level parses up to 16 MiB in one pass (8 bytes of memory a
    // position), so no block boundary cuts a match below that size.
    const uint32_t blockSize = blockSize_;
    for (uint32_t start = 0;;) {
      uint32_t keep = start > dictSize_ ? start - dictSize_ : 0;
      if (!Fill(keep, uint64_t(start) + blockSize + kLookahead) || start >= size_) return;
      uint32_t end = size_ - start > blockSize ? start + blockSize : size_;
      if (nodes_.size() < end - start + 1) nodes_.resize(end - start + 1);
      ParseBlock(start, end);
      if (!Flush()) return;
      start = end;
    }
  }

  // A node of the shortest-path pass: the price in bits of the cheapest way
  // to reach a position in the upper half, the last token in the lower half
  // (0 a literal, else length | distance << 16), so that the smaller node is
  // the better one.
  static uint64_t Node(uint32_t price, uint32_t token) { return uint64_t(price) << 32 | token; }
  static void Relax(uint64_t* node, uint64_t candidate) {
    if (candidate < *node) *node = candidate;
  }

  // Cheapest parse of [start, end): forward pass over the positions, then
  // the tokens back from the end.
  void ParseBlock(uint32_t start, uint32_t end) {
    uint32_t n = end - start;
    uint64_t* nodes = nodes_.data();
    std::fill(nodes + 1, nodes + n + 1, ~uint64_t(0));
    nodes[0] = 0;
    for (uint32_t k = 0; k < n;) {
      uint32_t pos = start + k;
      uint32_t here = uint32_t(nodes[k] >> 32);
      Relax(&nodes[k + 1], Node(here + literalCost_[data_[pos]], 0));
      unsigned limit = std::min<uint32_t>(kMaxMatch, n - k);
      unsigned count = FindMatches(pos, limit);
      if (count != 0 && candidates_[count - 1].length >= level_.nice) {
        // Long match: take it whole and skip the positions it covers.
        unsigned l = candidates_[count - 1].length, d = candidates_[count - 1].distance;
        Relax(&nodes[k + l], Node(here + MatchCost(l, d), l | d << 16));
        for (unsigned i = 0; i < l; ++i) Insert(pos + i);
        k += l;
        continue;
      }
      if (pairDistance_ != 0)
        Relax(&nodes[k + 2], Node(here + MatchCost(2, pairDistance_), 2 | pairDistance_ << 16));
      unsigned previous = 2;
      for (unsigned c = 0; c < count; ++c) {
        unsigned l = candidates_[c].length, d = candidates_[c].distance;
        uint64_t base = Node(here + 1 + dcl::kDistanceCodes.bits[(d - 1) >> dictBits_] + dictBits_,
                             d << 16);
        uint64_t* target = nodes + k;
        for (unsigned j = previous + 1; j <= l; ++j) {
          uint64_t candidate = base + (uint64_t(kLengthEncode.bits[j - 2]) << 32) + j;
          target[j] = candidate < target[j] ? candidate : target[j];
        }
        previous = l;
      }
      Insert(pos);
      ++k;
    }
    // Walk back from the end, then write the tokens in order.
    tokens_.clear();
    for (uint32_t k = n; k > 0;) {
      uint32_t token = uint32_t(nodes[k]);
      tokens_.push_back(token);
      k -= token == 0 ? 1 : (token & 0xFFFF);
    }
    uint32_t pos = start;
    for (auto it = tokens_.rbegin(); it != tokens_.rend(); ++it) {
      uint32_t token = *it;
      if (token == 0) {
        PutLiteral(data_[pos]);
        ++pos;
      } else {
        PutMatch(token & 0xFFFF, token >> 16);
        pos += token & 0xFFFF;
      }
    }
  }

  const ImplodeReader& read_;
  const ImplodeWriter& write_;
  Level level_;
  unsigned blockSize_;  // positions per optimal-parse block
  std::vector<uint8_t> window_;
  std::vector<uint8_t> output_;
  const uint8_t* data_ = nullptr;  // data_[pos] is the byte at `pos` within the window
  uint32_t base_ = 0;              // the position of window_[0]
  uint32_t size_ = 0;              // the end of what was read
  bool end_ = false;               // the input has ended
  uint64_t written_ = 0;
  int result_ = kImplodeOk;
  bool ascii_;
  unsigned dictBits_;
  unsigned dictSize_;
  unsigned depth_;  // chain links followed per position
  std::vector<uint32_t> head3_;  // 3-byte hash -> latest position + 1
  std::vector<uint32_t> head4_;  // 4-byte hash -> latest position + 1
  std::vector<uint32_t> chain_;  // position -> previous position + 1 with the same 4-byte hash
  std::vector<uint32_t> pairs_;  // byte pair -> latest position + 1
  std::vector<uint64_t> nodes_;
  std::vector<uint32_t> tokens_;
  uint32_t literalCost_[256];
  uint32_t lengthCost_[kMaxMatch + 1] = {};
  Candidate candidates_[kMaxMatch];  // rising lengths from 3: at most 516
  uint32_t pairDistance_ = 0;
  BitWriter* writer_ = nullptr;
};

}  // namespace

const char* ImplodeResultText(int result) {
  switch (result) {
    case kImplodeOk: return "ok";
    case kImplodeBadDictionarySize: return "dictionary size not 1024, 2048 or 4096";
    case kImplodeBadLevel: return "compression level not 1 to 9";
    case kImplodeTooLarge: return "input too large (4 GiB or more)";
    case kImplodeReadFailed: return "the input cannot be read";
    case kImplodeWriteFailed: return "the stream cannot be written";
  }
  return "unknown result";
}

int ImplodeStream(const ImplodeReader& read, const ImplodeWriter& write, const ImplodeOptions& options) {
  if (options.dictionarySize != 1024 && options.dictionarySize != 2048 &&
      options.dictionarySize != 4096)
    return kImplodeBadDictionarySize;
  if (options.level < kImplodeMinLevel || options.level > kImplodeMaxLevel) return kImplodeBadLevel;
  Imploder imploder(read, write, options);
  return imploder.Compress();
}

int ImplodeBuffer(const uint8_t* data, size_t size, const ImplodeOptions& options,
                  std::vector<uint8_t>* out) {
  out->clear();
  if (uint64_t(size) > kMaxInput) return kImplodeTooLarge;
  size_t offset = 0;
  int result = ImplodeStream(
      [&](uint8_t* buffer, size_t capacity) {
        size_t n = std::min(capacity, size - offset);
        if (n != 0) std::memcpy(buffer, data + offset, n);
        offset += n;
        return int64_t(n);
      },
      [&](const uint8_t* bytes, size_t count) {
        out->insert(out->end(), bytes, bytes + count);
        return true;
      },
      options);
  if (result != kImplodeOk) out->clear();
  return result;
}

}  // namespace quorril
