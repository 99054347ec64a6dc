// Fuzz target: the check's warnings and line map over a script's bytes.
// Every warning names a line of the file, and the engine's count of each
// line leads back to it.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "script/script_warnings.h"

using namespace quorril;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 262144) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  size_t lines = 0;
  for (char c : bytes) lines += c == '\n';
  lines += !bytes.empty() && bytes.back() != '\n';
  for (const ScriptWarning& w : ScanScript(bytes))
    if (w.line < 1 || size_t(w.line) > lines || w.engineLine < w.line || w.text.empty()) std::abort();
  const ScriptLines map(bytes);
  for (int32_t line = 1; size_t(line) <= lines; ++line)
    if (map.RealLine(map.EngineLine(line)) != line) std::abort();
  return 0;
}
