// Standard dialog templates read back into plain fields: the bytes of a
// dialog resource, or of a template the engine builds in memory, taken
// apart as the system's dialog manager walks them.
//
//   DWORD style, DWORD extended style, WORD item count, short x, y, cx, cy,
//   menu, class, caption (each a name or an ordinal),
//   with DS_SETFONT: WORD point size, face (UTF-16 + 0);
//   per item, on a 4-byte boundary from the template's start:
//     DWORD style, DWORD extended style, short x, y, cx, cy, WORD id,
//     class, text (each a name or an ordinal), WORD creation-data size and
//     that many bytes.
//
// A name is UTF-16 up to a 0 word (a lone 0 word is the empty name); an
// ordinal is 0xFFFF followed by its number. Everything is little-endian.
//
// The decoder is strict, so that two templates decode alike exactly when
// their bytes are alike: it refuses bytes that end inside a field, padding
// that is not zero, an extended template (DLGTEMPLATEEX) and bytes after the
// last item. It uses no <windows.h>: the native unit tests, the fuzz targets
// and the Win32 tests share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace quorril::support {

// A menu, class, caption or item text field.
struct NameOrOrdinal {
  bool isOrdinal = false;
  uint16_t ordinal = 0;
  std::u16string name;  // when not an ordinal
};

inline bool operator==(const NameOrOrdinal& a, const NameOrOrdinal& b) {
  return a.isOrdinal == b.isOrdinal && a.ordinal == b.ordinal && a.name == b.name;
}
inline bool operator!=(const NameOrOrdinal& a, const NameOrOrdinal& b) { return !(a == b); }

// Every byte of `latin1` as one UTF-16 character.
inline std::u16string Widen(const std::string& latin1) {
  std::u16string wide;
  for (char c : latin1) wide += char16_t(uint8_t(c));
  return wide;
}
inline NameOrOrdinal Ordinal(uint16_t number) { return NameOrOrdinal{true, number, {}}; }
inline NameOrOrdinal Name(const std::string& latin1) { return NameOrOrdinal{false, 0, Widen(latin1)}; }

struct DialogItemFields {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  uint16_t id = 0;
  NameOrOrdinal windowClass;
  NameOrOrdinal text;
  std::vector<uint8_t> creationData;
};

inline bool operator==(const DialogItemFields& a, const DialogItemFields& b) {
  return a.style == b.style && a.exStyle == b.exStyle && a.x == b.x && a.y == b.y && a.cx == b.cx &&
         a.cy == b.cy && a.id == b.id && a.windowClass == b.windowClass && a.text == b.text &&
         a.creationData == b.creationData;
}
inline bool operator!=(const DialogItemFields& a, const DialogItemFields& b) { return !(a == b); }

struct DialogTemplateFields {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu;
  NameOrOrdinal windowClass;
  NameOrOrdinal caption;
  // Present when the style has DS_SETFONT.
  bool hasFont = false;
  uint16_t pointSize = 0;
  std::u16string face;
  std::vector<DialogItemFields> items;  // as many as the header counts
};

inline bool operator==(const DialogTemplateFields& a, const DialogTemplateFields& b) {
  return a.style == b.style && a.exStyle == b.exStyle && a.x == b.x && a.y == b.y && a.cx == b.cx &&
         a.cy == b.cy && a.menu == b.menu && a.windowClass == b.windowClass && a.caption == b.caption &&
         a.hasFont == b.hasFont && a.pointSize == b.pointSize && a.face == b.face && a.items == b.items;
}
inline bool operator!=(const DialogTemplateFields& a, const DialogTemplateFields& b) { return !(a == b); }

constexpr uint32_t kDsSetFont = 0x40;

namespace detail {

class TemplateBytes {
 public:
  TemplateBytes(const uint8_t* bytes, size_t size, std::string* why) : bytes_(bytes), size_(size), why_(why) {}

  size_t At() const { return at_; }

  bool Word(uint16_t* value, const char* what) {
    if (size_ - at_ < 2) return Refuse(std::string("the bytes end inside ") + what);
    *value = uint16_t(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return true;
  }
  bool Short(int16_t* value, const char* what) {
    uint16_t word = 0;
    if (!Word(&word, what)) return false;
    *value = int16_t(word);
    return true;
  }
  bool Dword(uint32_t* value, const char* what) {
    uint16_t low = 0, high = 0;
    if (!Word(&low, what) || !Word(&high, what)) return false;
    *value = uint32_t(low) | uint32_t(high) << 16;
    return true;
  }
  bool Text(std::u16string* text, const char* what) {
    text->clear();
    for (uint16_t c = 0;;) {
      if (!Word(&c, what)) return false;
      if (c == 0) return true;
      *text += char16_t(c);
    }
  }
  bool Field(NameOrOrdinal* field, const char* what) {
    *field = NameOrOrdinal{};
    uint16_t first = 0;
    if (!Word(&first, what)) return false;
    if (first == 0xFFFF) {
      field->isOrdinal = true;
      return Word(&field->ordinal, what);
    }
    if (first == 0) return true;
    field->name = char16_t(first);
    std::u16string rest;
    if (!Text(&rest, what)) return false;
    field->name += rest;
    return true;
  }
  bool Bytes(size_t count, std::vector<uint8_t>* out, const char* what) {
    if (size_ - at_ < count) return Refuse(std::string("the bytes end inside ") + what);
    out->assign(bytes_ + at_, bytes_ + at_ + count);
    at_ += count;
    return true;
  }
  // Steps over the zero bytes up to the next 4-byte boundary.
  bool AlignDword(const char* what) {
    while (at_ % 4 != 0) {
      if (at_ >= size_) return Refuse(std::string("the bytes end before ") + what);
      if (bytes_[at_] != 0) return Refuse(std::string("the padding before ") + what + " is not zero");
      ++at_;
    }
    return true;
  }
  bool Refuse(const std::string& reason) {
    if (why_) *why_ = reason + " (at byte " + std::to_string(at_) + " of " + std::to_string(size_) + ")";
    return false;
  }

 private:
  const uint8_t* bytes_;
  size_t size_;
  std::string* why_;
  size_t at_ = 0;
};

}  // namespace detail

// Takes the template of `size` bytes at `bytes` apart into `*out`. False,
// with the reason in `*why` when given, for bytes that are no standard
// dialog template.
inline bool DecodeDialogTemplate(const uint8_t* bytes, size_t size, DialogTemplateFields* out,
                                 std::string* why = nullptr) {
  *out = DialogTemplateFields{};
  detail::TemplateBytes r(bytes, size, why);
  uint16_t count = 0;
  if (!r.Dword(&out->style, "the style")) return false;
  if (out->style == 0xFFFF0001u) return r.Refuse("an extended template");
  if (!r.Dword(&out->exStyle, "the extended style") || !r.Word(&count, "the item count") ||
      !r.Short(&out->x, "the position") || !r.Short(&out->y, "the position") || !r.Short(&out->cx, "the size") ||
      !r.Short(&out->cy, "the size") || !r.Field(&out->menu, "the menu") ||
      !r.Field(&out->windowClass, "the class") || !r.Field(&out->caption, "the caption"))
    return false;
  if (out->style & kDsSetFont) {
    out->hasFont = true;
    if (!r.Word(&out->pointSize, "the point size") || !r.Text(&out->face, "the font face")) return false;
  }
  for (uint16_t i = 0; i < count; ++i) {
    const std::string item = "item " + std::to_string(i + 1);
    const char* what = item.c_str();
    DialogItemFields field;
    uint16_t extra = 0;
    if (!r.AlignDword(what) || !r.Dword(&field.style, what) || !r.Dword(&field.exStyle, what) ||
        !r.Short(&field.x, what) || !r.Short(&field.y, what) || !r.Short(&field.cx, what) ||
        !r.Short(&field.cy, what) || !r.Word(&field.id, what) || !r.Field(&field.windowClass, what) ||
        !r.Field(&field.text, what) || !r.Word(&extra, what) || !r.Bytes(extra, &field.creationData, what))
      return false;
    out->items.push_back(std::move(field));
  }
  if (r.At() != size) return r.Refuse(std::to_string(size - r.At()) + " bytes after the last item");
  return true;
}

inline bool DecodeDialogTemplate(const std::vector<uint8_t>& bytes, DialogTemplateFields* out,
                                 std::string* why = nullptr) {
  return DecodeDialogTemplate(bytes.data(), bytes.size(), out, why);
}

// ---- printing, for the messages of failed comparisons ------------------------

inline std::ostream& operator<<(std::ostream& out, const NameOrOrdinal& field) {
  if (field.isOrdinal) return out << '#' << field.ordinal;
  out << '"';
  for (char16_t c : field.name) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out << char(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", unsigned(c));
      out << escaped;
    }
  }
  return out << '"';
}

inline std::ostream& operator<<(std::ostream& out, const DialogItemFields& item) {
  char style[32];
  std::snprintf(style, sizeof style, "0x%08X/0x%08X", unsigned(item.style), unsigned(item.exStyle));
  out << "item " << item.id << ' ' << style << " at " << item.x << ',' << item.y << ' ' << item.cx << 'x' << item.cy
      << " class " << item.windowClass << " text " << item.text;
  if (!item.creationData.empty()) out << " with " << item.creationData.size() << " bytes of creation data";
  return out;
}

inline std::ostream& operator<<(std::ostream& out, const DialogTemplateFields& dialog) {
  char style[32];
  std::snprintf(style, sizeof style, "0x%08X/0x%08X", unsigned(dialog.style), unsigned(dialog.exStyle));
  out << "dialog " << style << " at " << dialog.x << ',' << dialog.y << ' ' << dialog.cx << 'x' << dialog.cy
      << " menu " << dialog.menu << " class " << dialog.windowClass << " caption " << dialog.caption;
  if (dialog.hasFont) out << " font " << dialog.pointSize << ' ' << NameOrOrdinal{false, 0, dialog.face};
  out << ", " << dialog.items.size() << " items";
  for (const DialogItemFields& item : dialog.items) out << "\n  " << item;
  return out;
}

}  // namespace quorril::support
