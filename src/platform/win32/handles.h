// Owners for the Win32 handles that the adapters open: each closes its
// handle when it goes out of scope, so every early return releases what was
// acquired.
//
// UniqueHandle<Traits> holds one handle of a kind; Traits says which value
// means "none" and how the handle is released. The kinds used here:
//   UniqueKernelHandle  HANDLE of a process or thread (null when none), CloseHandle
//   UniqueFile          HANDLE from CreateFileA (INVALID_HANDLE_VALUE), CloseHandle
//   UniqueFind          HANDLE from FindFirstFileA (INVALID_HANDLE_VALUE), FindClose
//   UniqueKey           HKEY from RegOpenKeyExA / RegCreateKeyExA (null), RegCloseKey
//   UniqueDc            HDC from CreateDCA / CreateICA (null), DeleteDC
//   UniqueModule        HMODULE from LoadLibraryA / LoadLibraryExA (null), FreeLibrary
// and, in ui/win32/gdi.h, GdiObject<HFONT>, <HBRUSH>, ... (null), DeleteObject.
//
// This header also brings in <windows.h> and removes its generic-text macros
// whose names are the port methods (CreateDirectory, DeleteFile, ...), so
// that an adapter can implement those methods and call the ...A functions
// explicitly.
#pragma once

#include <windows.h>

#undef CopyFile
#undef CreateDirectory
#undef DeleteFile
#undef GetCurrentDirectory
#undef GetDiskFreeSpace
#undef GetDriveType
#undef GetShortPathName
#undef MoveFile
#undef RemoveDirectory
#undef ReplaceFile
#undef SetCurrentDirectory

namespace quorril::win32 {

template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Type Get() const { return handle_; }
  bool IsValid() const { return handle_ != Traits::None(); }
  explicit operator bool() const { return IsValid(); }

  // Closes the current handle (if any) and takes `handle`.
  void Reset(Type handle = Traits::None()) {
    if (IsValid()) Traits::Close(handle_);
    handle_ = handle;
  }
  // Gives the handle up without closing it.
  Type Release() {
    Type handle = handle_;
    handle_ = Traits::None();
    return handle;
  }
  // For calls that return a handle through a pointer; closes the old one.
  Type* Receive() {
    Reset();
    return &handle_;
  }

 private:
  Type handle_ = Traits::None();
};

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type None() { return nullptr; }
  static void Close(Type h) { ::CloseHandle(h); }
};

struct FileHandleTraits {
  using Type = HANDLE;
  static Type None() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};

struct FindHandleTraits {
  using Type = HANDLE;
  static Type None() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::FindClose(h); }
};

struct KeyHandleTraits {
  using Type = HKEY;
  static Type None() { return nullptr; }
  static void Close(Type h) { ::RegCloseKey(h); }
};

struct DcHandleTraits {
  using Type = HDC;
  static Type None() { return nullptr; }
  static void Close(Type h) { ::DeleteDC(h); }
};

struct ModuleHandleTraits {
  using Type = HMODULE;
  static Type None() { return nullptr; }
  static void Close(Type h) { ::FreeLibrary(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueKey = UniqueHandle<KeyHandleTraits>;
using UniqueDc = UniqueHandle<DcHandleTraits>;
using UniqueModule = UniqueHandle<ModuleHandleTraits>;

}  // namespace quorril::win32
