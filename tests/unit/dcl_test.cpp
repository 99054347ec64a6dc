// The DCL implode codec: ExplodeStream on hand-made streams (one per result
// code, every match length and distance, the look-ahead rule, block sizes,
// the window kept between calls), on streams cut or damaged anywhere and on
// input delivered a byte at a time; ImplodeBuffer round trips in both
// literal modes, at every dictionary size and level; and, where the machine
// has the reference library, streams exchanged with it both ways.
//
// Hand-made streams are written by StreamWriter straight from the format's
// code tables, so the decoder is checked against the format and not only
// against our compressor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "package/explode.h"
#include "package/implode.h"
#include "support/test_data.h"

#ifdef QUORRIL_HAVE_STORM
// The reference PKWARE DCL library (test peer only).
extern "C" {
unsigned int implode(unsigned int (*read)(char*, unsigned int*, void*),
                     void (*write)(char*, unsigned int*, void*), char* work, void* param,
                     unsigned int* type, unsigned int* dictionarySize);
unsigned int explode(unsigned int (*read)(char*, unsigned int*, void*),
                     void (*write)(char*, unsigned int*, void*), char* work, void* param);
}
#endif

namespace quorril {
namespace {

using Bytes = std::vector<uint8_t>;

// ---- streams by hand -------------------------------------------------------------

class StreamWriter {
 public:
  StreamWriter(int literalMode, int dictBits) : dictBits_(dictBits) {
    bytes_ = {uint8_t(literalMode), uint8_t(dictBits)};
    ascii_ = literalMode == 1;
  }
  void Bits(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
      if (used_ == 0) bytes_.push_back(0);
      bytes_.back() |= uint8_t(((value >> i) & 1) << used_);
      used_ = (used_ + 1) & 7;
    }
  }
  void Literal(uint8_t b) {
    Bits(0, 1);
    if (ascii_)
      Bits(dcl::kAsciiCodes.code[b], dcl::kAsciiCodes.bits[b]);
    else
      Bits(b, 8);
  }
  void LengthValue(unsigned v) {
    Bits(1, 1);
    int c = 15;
    while (dcl::kLengthBase[c] > v) --c;
    Bits(dcl::kLengthCodes.code[c], dcl::kLengthCodes.bits[c]);
    Bits(v - dcl::kLengthBase[c], dcl::kLengthExtraBits[c]);
  }
  void Match(unsigned length, unsigned distance) {
    LengthValue(length - 2);
    int low = length == 2 ? 2 : dictBits_;
    unsigned code = (distance - 1) >> low;
    Bits(dcl::kDistanceCodes.code[code], dcl::kDistanceCodes.bits[code]);
    Bits((distance - 1) & ((1u << low) - 1), low);
  }
  void End() { LengthValue(dcl::kEndValue); }
  // Bits written so far after the header.
  size_t BitCount() const { return (bytes_.size() - 2) * 8 - (used_ ? 8 - used_ : 0); }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
  int used_ = 0;  // bits used in the last byte (0: full)
  int dictBits_;
  bool ascii_;
};

// ---- running the decoder ----------------------------------------------------------

struct Source {
  const Bytes* data;
  size_t pos = 0;
  size_t firstRead = 2048;  // bytes the first read delivers at most
  size_t chunk = 2048;      // then per read
  int reads = 0;
  size_t stopAfter = SIZE_MAX;  // deliver nothing once this many bytes went
};

struct Sink {
  Bytes data;
  std::vector<unsigned> blocks;
};

struct DecodeRun {
  Source source;
  Sink sink;
};

unsigned ReadCallback(char* buffer, unsigned* size, void* user) {
  DecodeRun* run = static_cast<DecodeRun*>(user);
  Source& s = run->source;
  EXPECT_EQ(*size, 2048u);
  size_t limit = s.reads++ == 0 ? s.firstRead : s.chunk;
  size_t n = std::min({size_t(*size), limit, s.data->size() - s.pos});
  if (s.pos >= s.stopAfter) n = 0;
  if (n != 0) std::memcpy(buffer, s.data->data() + s.pos, n);
  s.pos += n;
  return unsigned(n);
}

void WriteCallback(char* buffer, unsigned* size, void* user) {
  Sink& sink = static_cast<DecodeRun*>(user)->sink;
  EXPECT_LE(*size, 4096u);
  sink.blocks.push_back(*size);
  sink.data.insert(sink.data.end(), buffer, buffer + *size);
}

struct Decoded {
  int result;
  Bytes data;
  std::vector<unsigned> blocks;
};

Decoded Explode(const Bytes& stream, size_t firstRead = 2048, size_t chunk = 2048,
                std::vector<uint8_t>* work = nullptr) {
  std::vector<uint8_t> fresh(kExplodeWorkAreaSize, 0);
  DecodeRun run;
  run.source.data = &stream;
  run.source.firstRead = firstRead;
  run.source.chunk = chunk;
  int result = ExplodeStream(ReadCallback, WriteCallback, work ? work->data() : fresh.data(), &run);
  return Decoded{result, run.sink.data, run.sink.blocks};
}

Bytes Implode(const Bytes& data, bool ascii, unsigned dict, int level = kImplodeDefaultLevel) {
  ImplodeOptions options;
  options.ascii = ascii;
  options.dictionarySize = dict;
  options.level = level;
  Bytes out;
  EXPECT_EQ(ImplodeBuffer(data.data(), data.size(), options, &out), kImplodeOk);
  return out;
}

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// ---- test data --------------------------------------------------------------------

Bytes Noise(size_t size, uint32_t seed) { return testing::NoiseBytes(size, seed); }

Bytes Prose(size_t size) {
  static const char* words[] = {"the ",   "setup ", "copies ", "files ", "to ",      "disk, ",
                                "and ",   "then ",  "writes ", "its ",   "journal.", "\r\n",
                                "WIN.INI ", "[boot] ", "shell=", "PROGMAN.EXE "};
  Bytes s;
  uint32_t seed = 7;
  while (s.size() < size) {
    seed = seed * 1103515245u + 12345u;
    const char* w = words[(seed >> 16) % 16];
    s.insert(s.end(), w, w + std::strlen(w));
  }
  s.resize(size);
  return s;
}

// Noise with copies of every length from 2 to 518 at distances spread over
// the whole window (the nearest earlier copy is the one that counts).
Bytes Repeats(unsigned window, uint32_t seed) {
  Bytes b = Noise(window, seed);
  unsigned distance = 1;
  for (unsigned length = 2; length <= 518; ++length) {
    distance = distance * 37 % window + 1;
    size_t from = b.size() - std::min<size_t>(distance, b.size());
    for (unsigned i = 0; i < length; ++i) {
      uint8_t v = b[from + i];
      b.push_back(v);
    }
    Bytes gap = Noise(3, seed + length);
    b.insert(b.end(), gap.begin(), gap.end());
  }
  // The farthest distances and the longest matches, both ends of the range.
  for (unsigned d : {window, window - 1, 256u, 255u, 2u, 1u}) {
    size_t from = b.size() - d;
    for (unsigned i = 0; i < 518; ++i) {
      uint8_t v = b[from + i];
      b.push_back(v);
    }
    b.push_back(uint8_t(d));
  }
  return b;
}

// ---- results ----------------------------------------------------------------------

TEST(ExplodeTest, EachResultHasAMinimalStream) {
  // 0: header 00 06, the literal 'A', the end marker.
  StreamWriter ok(0, 6);
  ok.Literal('A');
  ok.End();
  Decoded d = Explode(ok.bytes());
  EXPECT_EQ(d.result, kExplodeOk);
  EXPECT_EQ(d.data, ToBytes("A"));

  // 1: dictionary bits 7 (and 3); checked before the literal mode.
  for (Bytes s : {Bytes{0, 7, 1, 0xFF, 0}, Bytes{0, 3, 1, 0xFF, 0}, Bytes{2, 7, 1, 0xFF, 0}}) {
    d = Explode(s);
    EXPECT_EQ(d.result, kExplodeBadDictionaryBits);
    EXPECT_TRUE(d.blocks.empty());
  }
  // 2: literal mode 2.
  d = Explode(Bytes{2, 6, 1, 0xFF, 0});
  EXPECT_EQ(d.result, kExplodeBadLiteralMode);
  EXPECT_TRUE(d.blocks.empty());
  // 3: a first read of 4 bytes, even a complete empty stream, and no write.
  for (Bytes s : {Bytes{0, 6, 1, 0xFF}, Bytes{}, Bytes{0, 6}}) {
    d = Explode(s);
    EXPECT_EQ(d.result, kExplodeShortStream);
    EXPECT_TRUE(d.blocks.empty());
  }
  // 3 also when more would follow but the first read stops short.
  d = Explode(ok.bytes(), 4);
  EXPECT_EQ(d.result, kExplodeShortStream);
  // 4: two literals and no end marker; the second has no 8-bit look-ahead
  // behind it, so only the first is decoded, and it is written.
  StreamWriter cut(0, 6);
  cut.Literal('A');
  cut.Literal('B');
  ASSERT_EQ(cut.bytes().size(), 5u);
  d = Explode(cut.bytes());
  EXPECT_EQ(d.result, kExplodeTruncated);
  EXPECT_EQ(d.data, ToBytes("A"));
  EXPECT_EQ(d.blocks, std::vector<unsigned>{1});

  std::vector<std::string> texts;
  for (int r = 0; r <= 5; ++r) texts.push_back(ExplodeResultText(r));
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(std::unique(texts.begin(), texts.end()), texts.end());
}

TEST(ExplodeTest, LookAheadRuleAtTheEndOfTheInput) {
  // The end marker may be the very last bits of the stream...
  StreamWriter exact(0, 4);
  exact.Literal('x');
  exact.Literal('y');
  exact.End();  // 9 + 9 + 16 = 34 bits: 6 bits of padding
  Bytes s = exact.bytes();
  EXPECT_EQ(Explode(s).result, kExplodeOk);
  EXPECT_EQ(Explode(s).data, ToBytes("xy"));
  // ...but not be cut: without its last byte the stream is truncated; one
  // byte less and 'y' is no longer followed by 8 bits, so it is lost too.
  s.pop_back();
  Decoded d = Explode(s);
  EXPECT_EQ(d.result, kExplodeTruncated);
  EXPECT_EQ(d.data, ToBytes("xy"));
  s.pop_back();
  d = Explode(s, 2048, 2048);
  EXPECT_EQ(d.result, kExplodeTruncated);
  EXPECT_EQ(d.data, ToBytes("x"));
  // An end marker ending exactly on a byte boundary.
  StreamWriter aligned(0, 6);
  for (int i = 0; i < 8; ++i) aligned.Literal(uint8_t('a' + i));  // 72 bits
  aligned.End();
  ASSERT_EQ(aligned.BitCount() % 8, 0u);
  d = Explode(aligned.bytes());
  EXPECT_EQ(d.result, kExplodeOk);
  EXPECT_EQ(d.data, ToBytes("abcdefgh"));
  // A match at the end (length code with extra bits, distance) needs the
  // marker behind it like any token.
  StreamWriter match(0, 6);
  match.Literal('q');
  match.Match(20, 1);
  Bytes noEnd = match.bytes();
  match.End();
  d = Explode(match.bytes());
  EXPECT_EQ(d.data, Bytes(21, 'q'));
  d = Explode(noEnd);
  EXPECT_EQ(d.result, kExplodeTruncated);
  EXPECT_EQ(d.data, ToBytes("q"));
}

TEST(ExplodeTest, EveryLengthAndDistanceInBothLiteralModes) {
  for (int mode : {0, 1}) {
    for (int dictBits : {4, 5, 6}) {
      unsigned window = 64u << dictBits;
      StreamWriter w(mode, dictBits);
      Bytes expected;
      Bytes start = Noise(window, 100 + dictBits);
      for (uint8_t b : start) {
        w.Literal(b);
        expected.push_back(b);
      }
      auto copy = [&](unsigned length, unsigned distance) {
        w.Match(length, distance);
        size_t from = expected.size() - distance;
        for (unsigned i = 0; i < length; ++i) {
          uint8_t v = expected[from + i];
          expected.push_back(v);
        }
      };
      for (unsigned length = 2; length <= 518; ++length)
        copy(length, length == 2 ? (length * 97) % 256 + 1 : (length * 97) % window + 1);
      for (unsigned distance = 1; distance <= 256; ++distance) copy(2, distance);
      for (unsigned distance = 1; distance <= window; ++distance) copy(3 + distance % 40, distance);
      copy(518, window);
      copy(518, 1);
      w.End();
      Decoded d = Explode(w.bytes());
      ASSERT_EQ(d.result, kExplodeOk) << mode << " " << dictBits;
      ASSERT_EQ(d.data, expected) << mode << " " << dictBits;
      for (size_t i = 0; i + 1 < d.blocks.size(); ++i) EXPECT_EQ(d.blocks[i], 4096u);
      EXPECT_LT(d.blocks.back(), 4096u);
    }
  }
}

TEST(ExplodeTest, EveryAsciiLiteral) {
  StreamWriter w(1, 6);
  Bytes expected;
  for (int round = 0; round < 3; ++round)
    for (int b = 0; b < 256; ++b) {
      w.Literal(uint8_t(b ^ (round * 0x55)));
      expected.push_back(uint8_t(b ^ (round * 0x55)));
    }
  w.End();
  Decoded d = Explode(w.bytes());
  EXPECT_EQ(d.result, kExplodeOk);
  EXPECT_EQ(d.data, expected);
  // Byte-at-a-time input takes the careful path for every code.
  EXPECT_EQ(Explode(w.bytes(), 5, 1).data, expected);
}

// Each ASCII literal straight after a match, after a literal and after a
// run of literals, behind matches short and long, near and far.
TEST(ExplodeTest, EveryAsciiLiteralAfterMatchesAndLiterals) {
  for (int dictBits : {4, 5, 6}) {
    StreamWriter w(1, dictBits);
    Bytes expected;
    auto literal = [&](uint8_t b) {
      w.Literal(b);
      expected.push_back(b);
    };
    auto copy = [&](unsigned length, unsigned distance) {
      w.Match(length, distance);
      size_t from = expected.size() - distance;
      for (unsigned i = 0; i < length; ++i) expected.push_back(expected[from + i]);
    };
    for (uint8_t b : Noise(64u << dictBits, 7 + dictBits)) literal(b);
    const unsigned kLengths[] = {2, 3, 5, 9, 16, 23, 40, 300};
    for (int round = 0; round < 2; ++round)
      for (int b = 0; b < 256; ++b) {
        unsigned length = kLengths[(b + round) % 8];
        unsigned distance = length == 2 ? unsigned(b) % 256 + 1 : (unsigned(b) * 37 + round) % (64u << dictBits) + 1;
        copy(length, distance);
        literal(uint8_t(b));
        copy(3, unsigned(b) % 7 + 1);
        literal(uint8_t(255 - b));
        literal(uint8_t(b ^ 0x80));
        if (round == 1) literal(uint8_t(b));
      }
    w.End();
    Decoded d = Explode(w.bytes());
    ASSERT_EQ(d.result, kExplodeOk) << dictBits;
    ASSERT_EQ(d.data, expected) << dictBits;
    EXPECT_EQ(Explode(w.bytes(), 5, 1).data, expected) << dictBits;
  }
}

TEST(ExplodeTest, LongestMatchAtDistanceOneAndAtTheFlushPoint) {
  StreamWriter w(0, 6);
  w.Literal('z');
  w.Match(518, 1);
  w.End();
  Decoded d = Explode(w.bytes());
  EXPECT_EQ(d.result, kExplodeOk);
  EXPECT_EQ(d.data, Bytes(519, 'z'));

  // 518-byte matches that start on every position just below the point
  // where a block is written (4095 bytes into a block) and run past it.
  for (unsigned before : {4095u, 4094u, 4090u, 4096u - 17}) {
    StreamWriter m(0, 6);
    Bytes expected = Noise(before, before);
    for (uint8_t b : expected) m.Literal(b);
    for (unsigned distance : {1u, 7u, 16u, 4000u}) {
      m.Match(518, distance);
      size_t from = expected.size() - distance;
      for (unsigned i = 0; i < 518; ++i) {
        uint8_t v = expected[from + i];
        expected.push_back(v);
      }
    }
    m.End();
    d = Explode(m.bytes());
    ASSERT_EQ(d.result, kExplodeOk);
    EXPECT_EQ(d.data, expected);
  }
}

TEST(ExplodeTest, OutputComesInBlocksOf4096) {
  for (size_t size : {size_t(0), size_t(1), size_t(4095), size_t(4096), size_t(8191), size_t(8192),
                      size_t(8193), size_t(20000)}) {
    Bytes data = Noise(size, 3);
    Decoded d = Explode(Implode(data, false, 4096));
    ASSERT_EQ(d.result, kExplodeOk);
    EXPECT_EQ(d.data, data);
    std::vector<unsigned> expected(size / 4096, 4096u);
    expected.push_back(unsigned(size % 4096));  // the last block, possibly empty
    EXPECT_EQ(d.blocks, expected) << size;
  }
}

TEST(ExplodeTest, WindowIsKeptBetweenStreamsOnOneWorkArea) {
  // A fresh, zeroed work area: a match reaching before the data reads zeros.
  StreamWriter early(0, 6);
  early.Literal('a');
  early.Match(10, 4096);
  early.End();
  Decoded d = Explode(early.bytes());
  EXPECT_EQ(d.result, kExplodeOk);
  Bytes expected = ToBytes("a");
  expected.resize(11, 0);
  EXPECT_EQ(d.data, expected);

  // After a 4096-byte stream, the next stream on the same work area reads
  // that stream's bytes through the window.
  std::vector<uint8_t> work(kExplodeWorkAreaSize, 0);
  Bytes first = Prose(4096);
  ASSERT_EQ(Explode(Implode(first, true, 4096), 2048, 2048, &work).data, first);
  StreamWriter second(0, 6);
  second.Match(10, 4096);
  second.Match(5, 100);
  second.End();
  d = Explode(second.bytes(), 2048, 2048, &work);
  EXPECT_EQ(d.result, kExplodeOk);
  expected.assign(first.begin(), first.begin() + 10);
  expected.insert(expected.end(), first.end() - 90, first.end() - 85);
  EXPECT_EQ(d.data, expected);
  // And streams of their own decode the same on a used work area.
  Bytes other = Noise(30000, 9);
  EXPECT_EQ(Explode(Implode(other, false, 2048), 2048, 2048, &work).data, other);
}

// ---- input in pieces, cut and damaged -------------------------------------------

TEST(ExplodeTest, InputInTinyPiecesGivesTheSameOutput) {
  Bytes data = Repeats(4096, 5);
  Bytes text = Prose(50000);
  data.insert(data.end(), text.begin(), text.end());
  for (bool ascii : {false, true}) {
    Bytes stream = Implode(data, ascii, 4096);
    Decoded whole = Explode(stream);
    ASSERT_EQ(whole.result, kExplodeOk);
    ASSERT_EQ(whole.data, data);
    for (size_t chunk : {size_t(1), size_t(2), size_t(3), size_t(7), size_t(9), size_t(100)}) {
      Decoded pieces = Explode(stream, 5, chunk);
      EXPECT_EQ(pieces.result, kExplodeOk) << chunk;
      EXPECT_EQ(pieces.data, data) << chunk;
      EXPECT_EQ(pieces.blocks, whole.blocks) << chunk;
    }
  }
}

TEST(ExplodeTest, CutStreamsReturnTruncatedWithAPrefixOfTheOutput) {
  Bytes data = Prose(5000);
  Bytes more = Noise(1000, 1);
  data.insert(data.end(), more.begin(), more.end());
  for (bool ascii : {false, true}) {
    Bytes stream = Implode(data, ascii, 1024, 3);
    for (size_t length = 0; length < stream.size(); ++length) {
      Bytes cut(stream.begin(), stream.begin() + length);
      Decoded d = Explode(cut);
      ASSERT_EQ(d.result, length < 5 ? kExplodeShortStream : kExplodeTruncated) << length;
      if (length % 5 == 0 || length + 8 > stream.size()) {
        Decoded bytewise = Explode(cut, 5, 1);
        ASSERT_EQ(bytewise.result, d.result) << length;
        ASSERT_EQ(bytewise.data, d.data) << length;
      }
      ASSERT_LE(d.data.size(), data.size());
      ASSERT_TRUE(std::equal(d.data.begin(), d.data.end(), data.begin())) << length;
    }
    // The callbacks can stop the decoding by delivering nothing more.
    DecodeRun run;
    run.source.data = &stream;
    run.source.stopAfter = stream.size() / 2;
    std::vector<uint8_t> work(kExplodeWorkAreaSize, 0);
    EXPECT_EQ(ExplodeStream(ReadCallback, WriteCallback, work.data(), &run), kExplodeTruncated);
    EXPECT_TRUE(std::equal(run.sink.data.begin(), run.sink.data.end(), data.begin()));
  }
}

TEST(ExplodeTest, DamagedStreamsNeverFault) {
  Bytes data = Repeats(2048, 11);
  std::vector<uint8_t> work(kExplodeWorkAreaSize, 0);
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  for (bool ascii : {false, true}) {
    Bytes stream = Implode(data, ascii, 2048);
    for (int trial = 0; trial < 250; ++trial) {
      Bytes bad = stream;
      int flips = 1 + int(next() % 8);
      for (int i = 0; i < flips; ++i) bad[2 + next() % (bad.size() - 2)] ^= uint8_t(1u << (next() % 8));
      if (trial % 5 == 0) bad.resize(5 + next() % (bad.size() - 5));
      Decoded d = Explode(bad, 2048, 2048, &work);
      ASSERT_TRUE(d.result == kExplodeOk || d.result == kExplodeTruncated) << trial;
      if (trial % 4 == 0) {
        Decoded bytewise = Explode(bad, 5, 1 + trial % 3, &work);
        ASSERT_EQ(bytewise.result, d.result);
      }
      // Each match yields at most 518 bytes per 4 bits of input, so the
      // output stays bounded whatever the damage.
      ASSERT_LE(d.data.size(), bad.size() * 2 * 518);
    }
  }
  // Pure noise after a valid header decodes to something or stops, safely.
  for (int trial = 0; trial < 200; ++trial) {
    Bytes noise = Noise(5 + trial * 37, trial);
    noise[0] = uint8_t(trial & 1);
    noise[1] = uint8_t(4 + trial % 3);
    int result = Explode(noise, 2048, 2048, &work).result;
    EXPECT_TRUE(result == kExplodeOk || result == kExplodeTruncated);
  }
}

TEST(ExplodeTest, OversizedReadCountIsCappedAtTheBuffer) {
  StreamWriter w(0, 6);
  for (int i = 0; i < 3000; ++i) w.Literal(uint8_t(i));
  w.End();
  struct Liar {
    const Bytes* data;
    size_t pos;
    Bytes out;
  } liar{&w.bytes(), 0, {}};
  auto read = [](char* buffer, unsigned* size, void* user) -> unsigned {
    Liar* l = static_cast<Liar*>(user);
    size_t n = std::min<size_t>(*size, l->data->size() - l->pos);
    if (n != 0) std::memcpy(buffer, l->data->data() + l->pos, n);
    l->pos += n;
    return n ? 100000u : 0u;  // claims more than the buffer holds
  };
  auto write = [](char* buffer, unsigned* size, void* user) {
    Liar* l = static_cast<Liar*>(user);
    l->out.insert(l->out.end(), buffer, buffer + *size);
  };
  std::vector<uint8_t> work(kExplodeWorkAreaSize, 0);
  ExplodeStream(read, write, work.data(), &liar);  // any result, no fault
  EXPECT_GE(liar.out.size(), 1500u);
}

// ---- the compressor --------------------------------------------------------------

TEST(ImplodeTest, RoundTripsInBothModesAtEveryDictionarySize) {
  std::vector<Bytes> inputs = {Bytes{},          Bytes{'a'},        Bytes{'a', 'b'},
                               Bytes(3, 'c'),    Bytes(100000, 0),  Noise(70000, 2),
                               Prose(150000),    Repeats(1024, 3),  Repeats(2048, 4),
                               Repeats(4096, 5)};
  Bytes periods;
  for (unsigned p = 1; p <= 20; ++p)
    for (unsigned i = 0; i < 1000; ++i) periods.push_back(uint8_t('A' + i % p));
  inputs.push_back(periods);
  for (const Bytes& data : inputs)
    for (bool ascii : {false, true})
      for (unsigned dict : {1024u, 2048u, 4096u}) {
        Bytes stream = Implode(data, ascii, dict);
        ASSERT_GE(stream.size(), 5u);
        EXPECT_EQ(stream[0], ascii ? 1 : 0);
        EXPECT_EQ(stream[1], dict == 1024 ? 4 : dict == 2048 ? 5 : 6);
        Decoded d = Explode(stream);
        ASSERT_EQ(d.result, kExplodeOk) << data.size() << " " << ascii << " " << dict;
        ASSERT_EQ(d.data, data) << data.size() << " " << ascii << " " << dict;
      }
}

TEST(ImplodeTest, EveryLevelRoundTripsAndCompresses) {
  Bytes data = Prose(60000);
  Bytes rep = Repeats(4096, 8);
  data.insert(data.end(), rep.begin(), rep.end());
  for (int level = kImplodeMinLevel; level <= kImplodeMaxLevel; ++level)
    for (bool ascii : {false, true}) {
      Bytes stream = Implode(data, ascii, 4096, level);
      EXPECT_LT(stream.size(), data.size() / 2) << level;
      Decoded d = Explode(stream);
      ASSERT_EQ(d.result, kExplodeOk) << level;
      ASSERT_EQ(d.data, data) << level;
    }
  // Noise grows by at most the literal flag bits.
  Bytes noise = Noise(10000, 4);
  EXPECT_LE(Implode(noise, false, 4096).size(), 2 + noise.size() * 9 / 8 + 3);
}

TEST(ImplodeTest, EmptyInputGivesAStreamTheDecoderAccepts) {
  for (bool ascii : {false, true}) {
    Bytes stream = Implode({}, ascii, 4096);
    EXPECT_EQ(stream, (Bytes{uint8_t(ascii), 6, 0x01, 0xFF, 0x00}));
    Decoded d = Explode(stream);
    EXPECT_EQ(d.result, kExplodeOk);
    EXPECT_TRUE(d.data.empty());
  }
}

// The stream is the same whatever pieces the input comes in; the reader's
// and the writer's failures are told apart.
TEST(ImplodeTest, StreamingGivesTheBufferStreamAndReportsFailures) {
  Bytes data = Noise(40000, 3);
  for (int i = 0; i < 200000; ++i) data.push_back(uint8_t("quorril "[i % 8]));
  for (int level : {1, 2, 4, 9}) {
    SCOPED_TRACE(level);
    ImplodeOptions options;
    options.level = level;
    std::vector<uint8_t> whole;
    ASSERT_EQ(ImplodeBuffer(data.data(), data.size(), options, &whole), kImplodeOk);
    size_t offset = 0, piece = 0;
    Bytes streamed;
    ASSERT_EQ(ImplodeStream(
                  [&](uint8_t* buffer, size_t capacity) {
                    size_t n = std::min({capacity, data.size() - offset, size_t(1 + piece++ % 7000)});
                    std::memcpy(buffer, data.data() + offset, n);
                    offset += n;
                    return int64_t(n);
                  },
                  [&](const uint8_t* bytes, size_t size) {
                    streamed.insert(streamed.end(), bytes, bytes + size);
                    return true;
                  },
                  options),
              kImplodeOk);
    EXPECT_EQ(streamed, Bytes(whole.begin(), whole.end()));
  }
  auto endless = [](uint8_t* buffer, size_t capacity) {
    std::memset(buffer, 'z', capacity);
    return int64_t(capacity);
  };
  int reads = 0;
  EXPECT_EQ(ImplodeStream([&](uint8_t*, size_t) { return ++reads < 3 ? int64_t(1) : int64_t(-1); },
                          [](const uint8_t*, size_t) { return true; }, ImplodeOptions()),
            kImplodeReadFailed);
  EXPECT_EQ(ImplodeStream(endless, [](const uint8_t*, size_t) { return false; }, ImplodeOptions()),
            kImplodeWriteFailed);
}

TEST(ImplodeTest, RefusesBadOptions) {
  Bytes out{1, 2, 3};
  Bytes data(10, 'x');
  ImplodeOptions options;
  options.dictionarySize = 8192;
  EXPECT_EQ(ImplodeBuffer(data.data(), data.size(), options, &out), kImplodeBadDictionarySize);
  EXPECT_TRUE(out.empty());
  options.dictionarySize = 1024;
  for (int level : {0, 10, -1}) {
    options.level = level;
    EXPECT_EQ(ImplodeBuffer(data.data(), data.size(), options, &out), kImplodeBadLevel);
  }
  EXPECT_STRNE(ImplodeResultText(kImplodeBadLevel), ImplodeResultText(kImplodeBadDictionarySize));
}

TEST(ImplodeTest, MatchesStayInsideTheDictionary) {
  // Data that repeats only at distance 2048: the 1024-byte dictionary cannot
  // reach it, the larger ones can.
  Bytes block = Noise(2048, 77);
  Bytes data = block;
  data.insert(data.end(), block.begin(), block.end());
  Bytes small = Implode(data, false, 1024, 9);
  Bytes large = Implode(data, false, 2048, 9);
  EXPECT_GT(small.size(), data.size());
  EXPECT_LT(large.size(), block.size() * 9 / 8 + 200);
  EXPECT_EQ(Explode(small).data, data);
  EXPECT_EQ(Explode(large).data, data);
}

// The cheapest stream the format allows for `data`, in bytes, found the slow
// way: every distance at every position, every length each one allows, the
// token sizes measured by writing them with StreamWriter.
size_t CheapestStreamSize(const Bytes& data, bool ascii, unsigned dict) {
  int dictBits = dict == 1024 ? 4 : dict == 2048 ? 5 : 6;
  auto bitsOf = [&](auto write) {
    StreamWriter w(ascii ? 1 : 0, dictBits);
    write(w);
    return w.BitCount();
  };
  std::vector<size_t> literal(256), length(dcl::kMaxMatch + 1), distance2(257), distance(dict + 1);
  for (unsigned b = 0; b < 256; ++b) literal[b] = bitsOf([&](StreamWriter& w) { w.Literal(uint8_t(b)); });
  for (unsigned l = 2; l <= unsigned(dcl::kMaxMatch); ++l)
    length[l] = bitsOf([&](StreamWriter& w) { w.LengthValue(l - 2); });
  for (unsigned d = 1; d <= 256; ++d)
    distance2[d] = bitsOf([&](StreamWriter& w) { w.Match(2, d); }) - length[2];
  for (unsigned d = 1; d <= dict; ++d)
    distance[d] = bitsOf([&](StreamWriter& w) { w.Match(3, d); }) - length[3];
  size_t n = data.size();
  std::vector<size_t> best(n + 1, SIZE_MAX);
  best[0] = 0;
  for (size_t pos = 0; pos < n; ++pos) {
    best[pos + 1] = std::min(best[pos + 1], best[pos] + literal[data[pos]]);
    size_t longest = std::min<size_t>(dcl::kMaxMatch, n - pos);
    for (size_t d = 1; d <= std::min<size_t>(dict, pos); ++d) {
      size_t l = 0;
      while (l < longest && data[pos + l] == data[pos - d + l]) ++l;
      for (size_t k = 2; k <= l; ++k) {
        if (k == 2 && d > 256) continue;
        size_t bits = length[k] + (k == 2 ? distance2[d] : distance[d]);
        best[pos + k] = std::min(best[pos + k], best[pos] + bits);
      }
    }
  }
  size_t end = bitsOf([](StreamWriter& w) { w.End(); });
  return std::max<size_t>(5, 2 + (best[n] + end + 7) / 8);
}

TEST(ImplodeTest, TopLevelWritesTheCheapestStream) {
  // Short matches at many distances, far matches beyond the smaller
  // dictionaries, pairs near and beyond 256, and overlapping runs.
  Bytes letters = Noise(1500, 21);
  for (uint8_t& b : letters) b = uint8_t("abcd"[b & 3]);
  Bytes far = Noise(700, 22);
  Bytes tail(far.begin(), far.begin() + 400);
  far.insert(far.end(), 300, 'x');
  far.insert(far.end(), tail.begin(), tail.end());
  Bytes pairs;
  for (unsigned i = 0; i < 1200; ++i) pairs.push_back(uint8_t(i % 7 == 0 ? 'q' : "ab"[(i * 7919) % 5 & 1]));
  Bytes prose = Prose(1500);
  // Many different 3-byte strings, most of which recur only a few times.
  Bytes dozen = Noise(3000, 23);
  for (uint8_t& b : dozen) b = uint8_t('a' + b % 12);
  for (const Bytes& data : {letters, far, pairs, prose, dozen})
    for (bool ascii : {false, true})
      for (unsigned dict : {1024u, 2048u, 4096u}) {
        Bytes stream = Implode(data, ascii, dict, kImplodeMaxLevel);
        EXPECT_EQ(stream.size(), CheapestStreamSize(data, ascii, dict))
            << data.size() << " " << ascii << " " << dict;
        EXPECT_EQ(Explode(stream).data, data);
      }
}

TEST(ImplodeTest, NoLevelWritesASmallerStreamThanTheTop) {
  Bytes data = Prose(30000);
  for (unsigned window : {1024u, 4096u}) {
    Bytes rep = Repeats(window, window);
    data.insert(data.end(), rep.begin(), rep.end());
  }
  Bytes noise = Noise(5000, 9);
  data.insert(data.end(), noise.begin(), noise.end());
  data.insert(data.end(), 30000, 0);
  for (bool ascii : {false, true})
    for (unsigned dict : {1024u, 4096u}) {
      size_t top = Implode(data, ascii, dict, kImplodeMaxLevel).size();
      for (int level = kImplodeMinLevel; level < kImplodeMaxLevel; ++level)
        EXPECT_LE(top, Implode(data, ascii, dict, level).size()) << level << " " << ascii << " " << dict;
    }
}

// ---- exchanges with the reference library ----------------------------------------

#ifdef QUORRIL_HAVE_STORM

struct StormIo {
  const Bytes* in = nullptr;
  size_t pos = 0;
  Bytes out;
};
unsigned StormRead(char* buffer, unsigned* size, void* user) {
  StormIo* io = static_cast<StormIo*>(user);
  size_t n = std::min<size_t>(*size, io->in->size() - io->pos);
  if (n != 0) std::memcpy(buffer, io->in->data() + io->pos, n);
  io->pos += n;
  return unsigned(n);
}
void StormWrite(char* buffer, unsigned* size, void* user) {
  StormIo* io = static_cast<StormIo*>(user);
  io->out.insert(io->out.end(), buffer, buffer + *size);
}

Bytes StormImplode(const Bytes& data, bool ascii, unsigned dict) {
  std::vector<char> work(65536);  // more than the library's work area
  StormIo io;
  io.in = &data;
  unsigned type = ascii ? 1 : 0, size = dict;
  EXPECT_EQ(implode(StormRead, StormWrite, work.data(), &io, &type, &size), 0u);
  return io.out;
}

Bytes StormExplode(const Bytes& stream, unsigned* result) {
  std::vector<char> work(65536);
  StormIo io;
  io.in = &stream;
  *result = explode(StormRead, StormWrite, work.data(), &io);
  return io.out;
}

std::vector<Bytes> ExchangeInputs() {
  Bytes mixed = Prose(40000);
  Bytes noise = Noise(20000, 21);
  mixed.insert(mixed.end(), noise.begin(), noise.end());
  return {Bytes{'a'}, Bytes(70000, 0), mixed, Repeats(4096, 22), Repeats(1024, 23)};
}

TEST(DclExchangeTest, ReferenceStreamsExplodeExactly) {
  for (const Bytes& data : ExchangeInputs())
    for (bool ascii : {false, true})
      for (unsigned dict : {1024u, 2048u, 4096u}) {
        Bytes stream = StormImplode(data, ascii, dict);
        Decoded d = Explode(stream);
        ASSERT_EQ(d.result, kExplodeOk) << data.size() << " " << ascii << " " << dict;
        ASSERT_EQ(d.data, data) << data.size() << " " << ascii << " " << dict;
        EXPECT_EQ(Explode(stream, 5, 3).data, data);
      }
}

TEST(DclExchangeTest, OurStreamsExplodeExactlyInTheReference) {
  for (const Bytes& data : ExchangeInputs())
    for (bool ascii : {false, true})
      for (unsigned dict : {1024u, 2048u, 4096u})
        for (int level : {1, 2, kImplodeDefaultLevel, data.size() < 30000 ? 9 : 6}) {
          unsigned result = 99;
          Bytes out = StormExplode(Implode(data, ascii, dict, level), &result);
          ASSERT_EQ(result, 0u) << data.size() << " " << ascii << " " << dict << " " << level;
          ASSERT_EQ(out, data) << data.size() << " " << ascii << " " << dict << " " << level;
        }
}

TEST(DclExchangeTest, HandMadeStreamsDecodeAlikeInBoth) {
  StreamWriter w(1, 5);
  Bytes start = Prose(3000);
  for (uint8_t b : start) w.Literal(b);
  for (unsigned length = 2; length <= 518; length += 3) w.Match(length, length % 2000 + 1);
  w.End();
  unsigned result = 99;
  Bytes reference = StormExplode(w.bytes(), &result);
  EXPECT_EQ(result, 0u);
  Decoded d = Explode(w.bytes());
  EXPECT_EQ(d.result, kExplodeOk);
  EXPECT_EQ(d.data, reference);
}

#endif  // QUORRIL_HAVE_STORM

}  // namespace
}  // namespace quorril
