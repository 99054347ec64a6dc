// Bitmap files read into a DibImage: hand-made BMP files in the in-memory
// file system, one per refusal, and the parts the drawing code is given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/memory/memory_file_system.h"
#include "screens/dib_image.h"

namespace quorril {
namespace {

// A BMP file laid out field by field.
struct Bmp {
  uint32_t bitsOffset = 0;  // 0: computed (right after the colour table)
  uint32_t headerSize = 40;
  int32_t width = 2, height = 2;
  uint16_t planes = 1, bitCount = 24;
  uint32_t compression = 0, sizeImage = 0, clrUsed = 0;
  std::vector<uint8_t> masks;     // written after a 40-byte header
  std::vector<uint8_t> colours;   // RGBQUADs
  std::vector<uint8_t> gap;       // between the colour table and the bits
  std::vector<uint8_t> bits;

  std::string File() const {
    std::string f;
    auto w = [&](uint32_t v, int n) {
      for (int i = 0; i < n; ++i) f.push_back(char(v >> (8 * i)));
    };
    size_t off = 14 + headerSize + masks.size() + colours.size() + gap.size();
    f += "BM";
    w(0, 4);
    w(0, 4);
    w(bitsOffset ? bitsOffset : uint32_t(off), 4);
    w(headerSize, 4);
    w(uint32_t(width), 4);
    w(uint32_t(height), 4);
    w(planes, 2);
    w(bitCount, 2);
    w(compression, 4);
    w(sizeImage, 4);
    w(2835, 4);
    w(2835, 4);
    w(clrUsed, 4);
    w(0, 4);
    if (headerSize >= 40) {
      f.append(headerSize - 40, '\0');
    } else if (headerSize == 12) {  // BITMAPCOREHEADER: 16-bit width and height
      f.resize(18);
      w(uint32_t(width), 2);
      w(uint32_t(height), 2);
      w(planes, 2);
      w(bitCount, 2);
    } else {
      f.resize(14 + headerSize);
    }
    f.append(masks.begin(), masks.end());
    f.append(colours.begin(), colours.end());
    f.append(gap.begin(), gap.end());
    f.append(bits.begin(), bits.end());
    return f;
  }
};

std::vector<uint8_t> Sequence(size_t n, uint8_t start = 1) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = uint8_t(start + i);
  return v;
}

class DibImageTest : public ::testing::Test {
 protected:
  void SetUp() override { files.AddDrive('C', DriveType::kFixed); }
  DibStatus Load(const Bmp& bmp) { return LoadBytes(bmp.File()); }
  DibStatus LoadBytes(const std::string& bytes) {
    files.AddFile("C:\\PIC.BMP", bytes);
    return image.Load(files, "C:\\PIC.BMP");
  }
  MemoryFileSystem files;
  DibImage image;
};

TEST_F(DibImageTest, A24BitPictureNeedsNoColourTableAndNoPalette) {
  Bmp bmp;  // 2 x 2 at 24 bits: rows of 6 bytes padded to 8
  bmp.bits = Sequence(16);
  ASSERT_EQ(Load(bmp), DibStatus::kOk);
  EXPECT_FALSE(image.Empty());
  EXPECT_EQ(image.Width(), 2);
  EXPECT_EQ(image.Height(), 2);
  EXPECT_EQ(image.ColourCount(), 0u);
  EXPECT_EQ(image.Header().sizeImage, 16u) << "computed from the rows";
  EXPECT_EQ(image.Bits(), Sequence(16));
  EXPECT_FALSE(image.NeedsPalette());
  EXPECT_EQ(image.BitmapInfo().size(), 40u);
  EXPECT_EQ(image.Position(), kPositionCentre);
}

TEST_F(DibImageTest, A256ColourPictureRealizesAPaletteWithItsIndexHeader) {
  Bmp bmp;
  bmp.bitCount = 8;
  bmp.width = 3;  // rows of 3 bytes padded to 4
  bmp.colours.resize(256 * 4);
  for (size_t i = 0; i < 256; ++i) {
    bmp.colours[4 * i] = uint8_t(i);           // blue
    bmp.colours[4 * i + 1] = uint8_t(255 - i);  // green
    bmp.colours[4 * i + 2] = 7;                // red
  }
  bmp.bits = Sequence(8);
  ASSERT_EQ(Load(bmp), DibStatus::kOk);
  EXPECT_EQ(image.ColourCount(), 256u) << "colours used 0 is set to 2^8";
  EXPECT_EQ(image.Header().clrUsed, 256u);
  EXPECT_TRUE(image.NeedsPalette());
  std::vector<PaletteColour> palette = image.PaletteColours();
  ASSERT_EQ(palette.size(), 256u);
  EXPECT_EQ(palette[10].red, 7);
  EXPECT_EQ(palette[10].green, 245);
  EXPECT_EQ(palette[10].blue, 10);
  EXPECT_EQ(palette[10].flags, 0);

  std::vector<uint8_t> info = image.BitmapInfo();
  ASSERT_EQ(info.size(), 40u + 1024u);
  EXPECT_EQ(info[32] | info[33] << 8, 256) << "the header carries the colour count";
  EXPECT_EQ(std::vector<uint8_t>(info.begin() + 40, info.end()), bmp.colours);

  std::vector<uint8_t> indices = image.PaletteIndexInfo();
  ASSERT_EQ(indices.size(), 40u + 512u);
  EXPECT_EQ(indices[40 + 2 * 200] | indices[41 + 2 * 200] << 8, 200);
  EXPECT_EQ(indices[40 + 2 * 255] | indices[41 + 2 * 255] << 8, 255);
}

TEST_F(DibImageTest, SixteenColoursOrFewerNeedNoPalette) {
  Bmp bmp;
  bmp.bitCount = 4;
  bmp.colours = Sequence(64);
  bmp.bits = Sequence(8);  // rows of 1 byte padded to 4
  ASSERT_EQ(Load(bmp), DibStatus::kOk);
  EXPECT_EQ(image.ColourCount(), 16u);
  EXPECT_FALSE(image.NeedsPalette());

  Bmp mono;
  mono.bitCount = 1;
  mono.clrUsed = 2;
  mono.colours = {0, 0, 0, 0, 255, 255, 255, 0};
  mono.bits = Sequence(8);
  ASSERT_EQ(Load(mono), DibStatus::kOk);
  EXPECT_EQ(image.ColourTable(), mono.colours);
}

TEST_F(DibImageTest, BitsAreReadFromTheOffsetTheFileGives) {
  Bmp bmp;
  bmp.gap = std::vector<uint8_t>(100, 0xEE);
  bmp.bits = Sequence(16, 50);
  bmp.bitsOffset = 14 + 40 + 100;
  ASSERT_EQ(Load(bmp), DibStatus::kOk);
  EXPECT_EQ(image.Bits(), Sequence(16, 50));

  // Offset 0: the bits follow the colour table.
  Bmp plain;
  plain.bits = Sequence(16, 9);
  std::string file = plain.File();
  file[10] = file[11] = file[12] = file[13] = 0;
  ASSERT_EQ(LoadBytes(file), DibStatus::kOk);
  EXPECT_EQ(image.Bits(), Sequence(16, 9));
}

TEST_F(DibImageTest, LaterHeadersKeepTheirColourTableAndBecome40Bytes) {
  Bmp bmp;
  bmp.headerSize = 124;
  bmp.bitCount = 8;
  bmp.clrUsed = 20;
  bmp.colours = Sequence(80, 100);
  bmp.bits = Sequence(8);
  ASSERT_EQ(Load(bmp), DibStatus::kOk);
  EXPECT_EQ(image.ColourTable(), Sequence(80, 100)) << "read after the whole header";
  EXPECT_EQ(image.Header().size, 40u);
  EXPECT_TRUE(image.NeedsPalette());
}

TEST_F(DibImageTest, BitfieldMasksGoBetweenHeaderAndColours) {
  Bmp bmp;
  bmp.bitCount = 16;
  bmp.compression = kBiBitfields;
  bmp.masks = {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0x00, 0, 0};
  bmp.bits = Sequence(8);
  ASSERT_EQ(Load(bmp), DibStatus::kOk);
  EXPECT_EQ(image.Masks(), (std::vector<uint32_t>{0xF800, 0x07E0, 0x001F}));
  EXPECT_EQ(image.ColourCount(), 0u) << "no colour table above 8 bits";
  std::vector<uint8_t> info = image.BitmapInfo();
  ASSERT_EQ(info.size(), 52u);
  EXPECT_EQ(std::vector<uint8_t>(info.begin() + 40, info.end()), bmp.masks);
}

TEST_F(DibImageTest, ImageSizeFieldSmallerThanTheRowsIsReadAtTheRowSize) {
  Bmp bmp;
  bmp.sizeImage = 12;  // unpadded rows; the drawing code reads 16
  bmp.bits = Sequence(16);
  ASSERT_EQ(Load(bmp), DibStatus::kOk);
  EXPECT_EQ(image.Bits().size(), 16u);
  EXPECT_EQ(image.Header().sizeImage, 16u);

  Bmp rle;  // a compressed image keeps its own size
  rle.bitCount = 8;
  rle.compression = kBiRle8;
  rle.clrUsed = 2;
  rle.colours = Sequence(8);
  rle.sizeImage = 4;
  rle.bits = {0, 0, 0, 1};
  ASSERT_EQ(Load(rle), DibStatus::kOk);
  EXPECT_EQ(image.Bits().size(), 4u);
}

TEST_F(DibImageTest, EveryRefusalLeavesTheImageEmpty) {
  struct Case {
    const char* what;
    DibStatus status;
    Bmp bmp;
  };
  auto with = [](auto change) {
    Bmp b;
    b.bits = Sequence(16);
    change(b);
    return b;
  };
  std::vector<Case> cases = {
      {"core header", DibStatus::kCoreHeader, with([](Bmp& b) { b.headerSize = 12; b.bitsOffset = 0; })},
      {"short header", DibStatus::kBadHeader, with([](Bmp& b) { b.headerSize = 20; })},
      {"bit count 3", DibStatus::kBadBitCount, with([](Bmp& b) { b.bitCount = 3; })},
      {"bit count 0", DibStatus::kBadBitCount, with([](Bmp& b) { b.bitCount = 0; })},
      {"RLE8 at 24 bits", DibStatus::kBadCompression, with([](Bmp& b) { b.compression = kBiRle8; })},
      {"RLE4 at 8 bits", DibStatus::kBadCompression,
       with([](Bmp& b) { b.compression = kBiRle4; b.bitCount = 8; })},
      {"bitfields at 24 bits", DibStatus::kBadCompression, with([](Bmp& b) { b.compression = kBiBitfields; })},
      {"JPEG", DibStatus::kBadCompression, with([](Bmp& b) { b.compression = 4; })},
      {"width 0", DibStatus::kBadDimensions, with([](Bmp& b) { b.width = 0; })},
      {"negative width", DibStatus::kBadDimensions, with([](Bmp& b) { b.width = -2; })},
      {"top-down rows", DibStatus::kBadDimensions, with([](Bmp& b) { b.height = -2; })},
      {"absurd height", DibStatus::kBadDimensions, with([](Bmp& b) { b.height = 0x7FFFFFFF; })},
      {"300 colours", DibStatus::kTooManyColours, with([](Bmp& b) { b.bitCount = 8; b.clrUsed = 300; })},
      {"4-GB rows", DibStatus::kTooLarge,
       with([](Bmp& b) { b.bitCount = 32; b.width = 32767; b.height = 32767; })},
      {"4-GB image size", DibStatus::kTooLarge, with([](Bmp& b) { b.sizeImage = 0xFFFFFFF0u; })},
      {"image size beyond the file", DibStatus::kTruncated, with([](Bmp& b) { b.sizeImage = 1000000; })},
      {"bits cut short", DibStatus::kTruncated, with([](Bmp& b) { b.bits.resize(15); })},
      {"bits offset beyond the file", DibStatus::kTruncated, with([](Bmp& b) { b.bitsOffset = 5000; })},
      {"colour table cut short", DibStatus::kTruncated,
       with([](Bmp& b) { b.bitCount = 8; b.clrUsed = 200; b.colours.clear(); b.bits.clear(); })},
      {"large picture, small file", DibStatus::kTruncated,
       with([](Bmp& b) { b.width = 32767; b.height = 16000; })},
  };
  for (const Case& c : cases) {
    Bmp good;
    good.bits = Sequence(16);
    ASSERT_EQ(Load(good), DibStatus::kOk);
    EXPECT_EQ(Load(c.bmp), c.status) << c.what;
    EXPECT_TRUE(image.Empty()) << c.what;
    EXPECT_TRUE(image.Bits().empty()) << c.what;
    EXPECT_TRUE(image.BitmapInfo().empty()) << c.what;
    EXPECT_FALSE(image.NeedsPalette()) << c.what;
  }
}

TEST_F(DibImageTest, FilesThatAreNotBitmaps) {
  EXPECT_EQ(image.Load(files, "C:\\MISSING.BMP"), DibStatus::kCannotOpen);
  EXPECT_EQ(LoadBytes(""), DibStatus::kNotBitmap);
  EXPECT_EQ(LoadBytes(std::string("BM\0\0\0\0\0\0\0\0\0\0\0", 13)), DibStatus::kNotBitmap) << "13 bytes";
  std::string file = Bmp{}.File();
  file[0] = 'M';
  file[1] = 'B';
  EXPECT_EQ(LoadBytes(file), DibStatus::kNotBitmap);
  EXPECT_EQ(LoadBytes(Bmp{}.File().substr(0, 16)), DibStatus::kBadHeader) << "ends inside the header size";
  EXPECT_EQ(LoadBytes(Bmp{}.File().substr(0, 40)), DibStatus::kBadHeader) << "ends inside the header";
  EXPECT_TRUE(image.Empty());
}

// A file whose reads stop short of the size it reports.
class ShortFile : public FileHandle {
 public:
  ShortFile(std::string bytes, int64_t claimed) : bytes_(std::move(bytes)), claimed_(claimed) {}
  int32_t Read(void* buffer, uint32_t count) override {
    size_t n = pos_ < bytes_.size() ? std::min<size_t>(count, bytes_.size() - pos_) : 0;
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return int32_t(n);
  }
  int32_t Write(const void*, uint32_t) override { return -1; }
  int64_t Seek(int64_t offset, int origin) override {
    if (origin != 0 || offset < 0) return -1;
    pos_ = size_t(offset);
    return offset;
  }
  int64_t Size() override { return claimed_; }
  bool SetModifiedAndAttributes(DosDateTime, uint32_t) override { return false; }

 private:
  std::string bytes_;
  int64_t claimed_;
  size_t pos_ = 0;
};

TEST(DibImageReadTest, BitsThatCannotAllBeReadLeaveTheImageEmpty) {
  Bmp bmp;
  bmp.bits = Sequence(16);
  std::string file = bmp.File();
  DibImage image;
  ShortFile whole(file, int64_t(file.size()));
  ASSERT_EQ(image.Read(whole), DibStatus::kOk);
  ShortFile shrunk(file.substr(0, file.size() - 1), int64_t(file.size()));
  EXPECT_EQ(image.Read(shrunk), DibStatus::kTruncated);
  EXPECT_TRUE(image.Empty());

  Bmp fields;
  fields.bitCount = 16;
  fields.compression = kBiBitfields;
  fields.masks = std::vector<uint8_t>(12, 0xFF);
  fields.bits = Sequence(8);
  std::string masked = fields.File();
  ShortFile noMasks(masked.substr(0, 56), int64_t(masked.size()));
  EXPECT_EQ(image.Read(noMasks), DibStatus::kTruncated);
  ShortFile unknownSize(masked, -1);
  EXPECT_EQ(image.Read(unknownSize), DibStatus::kTruncated);
}

TEST_F(DibImageTest, PlacementAndBackgroundFollowThePosition) {
  Bmp bmp;
  bmp.width = 100;
  bmp.height = 50;
  bmp.bits = std::vector<uint8_t>(300 * 50, 0);
  ASSERT_EQ(Load(bmp), DibStatus::kOk);
  EXPECT_EQ(image.Place(800, 600).destinations, (std::vector<Point>{{350, 275}}));
  image.SetPosition(kPositionBottomRight);
  EXPECT_EQ(image.Place(800, 600).destinations, (std::vector<Point>{{701, 551}}));
  EXPECT_TRUE(image.NeedsBackground(800, 600));
  image.SetPosition(kPositionTile);
  EXPECT_FALSE(image.NeedsBackground(800, 600));

  DibImage none;
  EXPECT_TRUE(none.Place(800, 600).destinations.empty());
  EXPECT_TRUE(none.NeedsBackground(800, 600));
}

}  // namespace
}  // namespace quorril
