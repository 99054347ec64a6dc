// Little-endian integers in byte buffers: every on-disk format of the
// engine (the payload trailer and entry headers, container headers, bitmap
// headers, dialog templates) stores its integers this way, whatever the
// host's own byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorril {

inline uint16_t ReadLe16(const uint8_t* p) { return uint16_t(p[0] | unsigned(p[1]) << 8); }
inline uint32_t ReadLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void WriteLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void WriteLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// The same over a byte string, at offset `at` (which must leave room).
inline uint32_t ReadLe32(const std::string& s, size_t at) {
  return ReadLe32(reinterpret_cast<const uint8_t*>(s.data() + at));
}
inline void WriteLe32(std::string& s, size_t at, uint32_t v) {
  WriteLe32(reinterpret_cast<uint8_t*>(&s[at]), v);
}

}  // namespace quorril
