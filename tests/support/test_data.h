// Data that the tests build their inputs from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorril::testing {

// `size` bytes that do not compress, the same for the same seed on every
// host (the high bits of a linear congruential generator).
inline std::string Noise(size_t size, uint32_t seed) {
  std::string s(size, '\0');
  for (char& c : s) {
    seed = seed * 1103515245u + 12345u;
    c = char(seed >> 23);
  }
  return s;
}
inline std::vector<uint8_t> NoiseBytes(size_t size, uint32_t seed) {
  std::string s = Noise(size, seed);
  return std::vector<uint8_t>(s.begin(), s.end());
}

}  // namespace quorril::testing
