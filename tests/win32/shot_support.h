// Pictures for the Win32 tests: what a device context shows, written as a
// 24-bit BMP file into the folder an environment variable names (nothing
// is written when it names none), so that a person can look at what the
// tests saw.
#pragma once

#include <windows.h>

#include <string>

#include "support/window_driver.h"

namespace quorril {

// Writes width x height pixels of `source` from its (0, 0) into
// %`variable`%\name.bmp.
inline void SaveBitmap(HDC source, int width, int height, const char* variable, const std::string& name) {
  char directory[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA(variable, directory, sizeof directory);
  if (length == 0 || length >= sizeof directory) return;
  support::SavePicture(source, 0, 0, width, height, std::string(directory) + "\\" + name + ".bmp");
}

}  // namespace quorril
