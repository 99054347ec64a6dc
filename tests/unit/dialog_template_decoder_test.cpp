// The dialog-template decoder the template tests compare with and the fuzz
// target walks with: it must read every form a field takes, and refuse
// every byte string that is no template, since a decoder that passes over
// a stray byte would let the engine's mistakes through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/dialog_template_decoder.h"

namespace quorril {
namespace {

using support::DecodeDialogTemplate;
using support::DialogTemplateFields;

// A dialog with every kind of field: an ordinal menu, the default class, a
// caption, a font; a button with creation data, then a control whose class
// is a name and whose text is an ordinal, each on its 4-byte boundary.
const std::vector<uint8_t> kFullTemplate = {
    0x40, 0x00, 0xC0, 0x80,  // style WS_POPUP | WS_CAPTION | DS_SETFONT
    0x00, 0x01, 0x00, 0x00,  // extended style 0x100
    0x02, 0x00,              // 2 items
    0xFD, 0xFF, 0x04, 0x00,  // x -3, y 4
    0x64, 0x00, 0x32, 0x00,  // 100 x 50
    0xFF, 0xFF, 0x07, 0x00,  // menu #7
    0x00, 0x00,              // the default class
    'H', 0, 'i', 0, 0, 0,    // caption "Hi"
    0x09, 0x00,              // 9 points
    'A', 0, 0xE9, 0, 0, 0,   // face "A\u00E9"
    0x00, 0x00,              // to a 4-byte boundary (byte 40)
    0x00, 0x00, 0x01, 0x50,  // style 0x50010000
    0x00, 0x00, 0x00, 0x00,  // extended style
    0x01, 0x00, 0x02, 0x00, 0x1E, 0x00, 0x0C, 0x00,  // 1, 2, 30 x 12
    0x01, 0x00,              // id 1
    0xFF, 0xFF, 0x80, 0x00,  // class #128 (button)
    'O', 0, 'K', 0, 0, 0,    // text "OK"
    0x03, 0x00, 0xAA, 0xBB, 0xCC,  // 3 bytes of creation data
    0x00, 0x00, 0x00,        // to a 4-byte boundary (byte 76)
    0x03, 0x00, 0x00, 0x50,  // style 0x50000003
    0x00, 0x00, 0x00, 0x00,  //
    0x05, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00,  // 5, 6, 0 x 0
    0xFF, 0xFF,              // id 65535
    'E', 0, 'd', 0, 0, 0,    // class "Ed"
    0xFF, 0xFF, 0x65, 0x00,  // text #101
    0x00, 0x00,              // no creation data
};
constexpr size_t kFirstPadding = 38;

TEST(DialogTemplateDecoderTest, ReadsNamesOrdinalsFontAndCreationData) {
  DialogTemplateFields t;
  std::string why;
  ASSERT_TRUE(DecodeDialogTemplate(kFullTemplate, &t, &why)) << why;
  EXPECT_EQ(t.style, 0x80C00040u);
  EXPECT_EQ(t.exStyle, 0x100u);
  EXPECT_EQ(t.x, -3);
  EXPECT_EQ(t.y, 4);
  EXPECT_EQ(t.cx, 100);
  EXPECT_EQ(t.cy, 50);
  EXPECT_EQ(t.menu, support::Ordinal(7));
  EXPECT_EQ(t.windowClass, support::Name(""));
  EXPECT_EQ(t.caption, support::Name("Hi"));
  EXPECT_TRUE(t.hasFont);
  EXPECT_EQ(t.pointSize, 9);
  EXPECT_EQ(t.face, u"A\u00E9");
  ASSERT_EQ(t.items.size(), 2u);

  EXPECT_EQ(t.items[0].style, 0x50010000u);
  EXPECT_EQ(t.items[0].x, 1);
  EXPECT_EQ(t.items[0].cx, 30);
  EXPECT_EQ(t.items[0].id, 1);
  EXPECT_EQ(t.items[0].windowClass, support::Ordinal(0x80));
  EXPECT_EQ(t.items[0].text, support::Name("OK"));
  EXPECT_EQ(t.items[0].creationData, (std::vector<uint8_t>{0xAA, 0xBB, 0xCC}));

  EXPECT_EQ(t.items[1].style, 0x50000003u);
  EXPECT_EQ(t.items[1].y, 6);
  EXPECT_EQ(t.items[1].id, 0xFFFF);
  EXPECT_EQ(t.items[1].windowClass, support::Name("Ed"));
  EXPECT_EQ(t.items[1].text, support::Ordinal(101));
  EXPECT_TRUE(t.items[1].creationData.empty());

  // Without DS_SETFONT there is no point size and no face.
  const std::vector<uint8_t> plain = {0x00, 0x00, 0xC0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0,
                                      0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0};
  DialogTemplateFields p;
  ASSERT_TRUE(DecodeDialogTemplate(plain, &p, &why)) << why;
  EXPECT_FALSE(p.hasFont);
  EXPECT_TRUE(p.items.empty());
  std::vector<uint8_t> withFont = plain;
  withFont.insert(withFont.end(), {10, 0, 0, 0});
  EXPECT_FALSE(DecodeDialogTemplate(withFont, &p)) << "a font the style does not announce";
}

TEST(DialogTemplateDecoderTest, RefusesWhatIsNoTemplateAndSaysWhy) {
  DialogTemplateFields t;
  std::string why;
  for (size_t size = 0; size < kFullTemplate.size(); ++size) {
    why.clear();
    EXPECT_FALSE(DecodeDialogTemplate(kFullTemplate.data(), size, &t, &why)) << "cut to " << size << " bytes";
    EXPECT_NE(why.find("end"), std::string::npos) << why;
  }

  std::vector<uint8_t> padded = kFullTemplate;
  padded[kFirstPadding + 1] = 0x01;
  EXPECT_FALSE(DecodeDialogTemplate(padded, &t, &why));
  EXPECT_NE(why.find("padding"), std::string::npos) << why;

  std::vector<uint8_t> longer = kFullTemplate;
  longer.push_back(0);
  EXPECT_FALSE(DecodeDialogTemplate(longer, &t, &why));
  EXPECT_NE(why.find("after the last item"), std::string::npos) << why;

  // One item fewer in the header: the second item is left over.
  std::vector<uint8_t> fewer = kFullTemplate;
  fewer[8] = 1;
  EXPECT_FALSE(DecodeDialogTemplate(fewer, &t, &why));

  std::vector<uint8_t> extended = kFullTemplate;
  extended[0] = 0x01;
  extended[1] = 0x00;
  extended[2] = 0xFF;
  extended[3] = 0xFF;
  EXPECT_FALSE(DecodeDialogTemplate(extended, &t, &why));
  EXPECT_NE(why.find("extended"), std::string::npos) << why;
}

}  // namespace
}  // namespace quorril
