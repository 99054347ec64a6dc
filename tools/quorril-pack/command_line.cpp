// The parts of a command line every command reads the same way: the usage
// error and the numbers given to options.
#include <cstdio>

#include "commands.h"
#include "host_files.h"

namespace quorril::pack {

int Usage(const char* command, const std::string& message, const char* synopsis) {
  std::fprintf(stderr, "quorril-pack %s: %s\nusage: quorril-pack %s\n", command, Printable(message).c_str(), synopsis);
  return kExitUsage;
}

bool ParseDecimal(const std::string& text, uint64_t max, uint64_t* value, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    uint64_t digit = uint64_t(c - '0');
    // v * 10 + digit > max, asked without computing it.
    if (digit > max || v > (max - digit) / 10) return false;
    v = v * 10 + digit;
  }
  *value = v;
  return true;
}

}  // namespace quorril::pack
