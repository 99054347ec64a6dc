// The path helper of the registry port (see registry.h).
#include "platform/registry.h"

namespace quorril {

std::vector<std::string> RegistryKeysOnPath(const std::string& path) {
  std::vector<std::string> keys;
  size_t start = 0;
  for (;;) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) keys.push_back(path.substr(0, end));
    if (end == path.size()) return keys;
    start = end + 1;
  }
}

}  // namespace quorril
