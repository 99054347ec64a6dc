// ReadSystemText: calls a Win32 function that fills a caller's ANSI buffer
// and returns the length it wrote, or the size it needs (terminator
// included) when the buffer was too small, or 0 on failure
// (GetCurrentDirectoryA, GetShortPathNameA, GetTempPathA,
// GetWindowsDirectoryA, GetSystemDirectoryA). The buffer grows until the
// text fits.
#pragma once

#include <windows.h>

#include <string>

namespace quorril::win32 {

template <typename Call>
bool ReadSystemText(Call call, std::string* text) {
  std::string buffer(MAX_PATH + 1, '\0');
  // The needed size can grow between two calls (a directory renamed
  // meanwhile); a few rounds are enough for any real path.
  for (int round = 0; round < 4; ++round) {
    DWORD n = call(&buffer[0], DWORD(buffer.size()));
    if (n == 0) return false;
    if (n < buffer.size()) {
      buffer.resize(n);
      *text = buffer;
      return true;
    }
    buffer.assign(size_t(n) + 1, '\0');
  }
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return false;
}

// A path holding a zero byte would be cut short by every ...A call; such a
// path is refused instead of silently naming another file.
inline bool HasNul(const std::string& text) { return text.find('\0') != std::string::npos; }

}  // namespace quorril::win32
