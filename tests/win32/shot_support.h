// Pictures for the Win32 tests: what a device context shows, written as a
// 24-bit BMP file into the folder an environment variable names (nothing
// is written when it names none), so that a person can look at what the
// tests saw.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace quorril {

// Writes width x height pixels of `source` from its (0, 0) into
// %`variable`%\name.bmp.
inline void SaveBitmap(HDC source, int width, int height, const char* variable, const std::string& name) {
  char directory[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA(variable, directory, sizeof directory);
  if (length == 0 || length >= sizeof directory || width <= 0 || height <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC memory = CreateCompatibleDC(source);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const DWORD stride = (DWORD(width) * 3 + 3) & ~3u;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + stride * DWORD(height);
  std::string path = std::string(directory) + "\\" + name + ".bmp";
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
    if (bits) std::fwrite(bits, stride, DWORD(height), out);
    std::fclose(out);
  }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

}  // namespace quorril
