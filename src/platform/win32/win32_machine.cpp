// The machine-facts port over the Win32 system-information, display,
// version-resource and registry calls, one method per fact.
#include "platform/win32/win32_machine.h"

#include <cstring>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/system_text.h"

namespace quorril {
namespace {

// The FileVersion string tables tried in turn: US English in the Windows
// Latin-1 code page, then US English in Unicode.
const char* const kFileVersionQueries[] = {
    "\\StringFileInfo\\040904E4\\FileVersion",
    "\\StringFileInfo\\040904B0\\FileVersion",
};

// The registry's default value is read into a buffer of this size, as the
// install scripts' class lookups always did; a longer value counts as missing.
constexpr DWORD kClassValueCapacity = 999;

uint32_t SaturateTo32Bits(uint64_t bytes) { return bytes > 0xFFFFFFFFull ? 0xFFFFFFFFu : uint32_t(bytes); }

template <typename Function>
Function Entry(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

struct Win32Machine::VersionLibrary {
  using SizeFunction = DWORD(WINAPI*)(LPCSTR, LPDWORD);
  using InfoFunction = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
  using QueryFunction = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

  explicit VersionLibrary(std::string path) {
    if (path.empty()) return;
    if (path.back() != '\\') path += '\\';
    path += "version.dll";
    module = LoadLibraryA(path.c_str());
    size = Entry<SizeFunction>(module, "GetFileVersionInfoSizeA");
    info = Entry<InfoFunction>(module, "GetFileVersionInfoA");
    query = Entry<QueryFunction>(module, "VerQueryValueA");
  }
  ~VersionLibrary() {
    if (module) FreeLibrary(module);
  }
  VersionLibrary(const VersionLibrary&) = delete;
  VersionLibrary& operator=(const VersionLibrary&) = delete;
  bool Usable() const { return size && info && query; }

  HMODULE module = nullptr;
  SizeFunction size = nullptr;
  InfoFunction info = nullptr;
  QueryFunction query = nullptr;
};

Win32Machine::Win32Machine() = default;
Win32Machine::~Win32Machine() = default;

uint32_t Win32Machine::Version() {
  // GetVersion is deprecated in favour of version helpers, but its packed
  // value is exactly what the port hands out.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  return GetVersion();
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

uint32_t Win32Machine::TotalPhysicalMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (GlobalMemoryStatusEx(&status)) return SaturateTo32Bits(status.ullTotalPhys);
  MEMORYSTATUS old{};
  old.dwLength = sizeof old;
  GlobalMemoryStatus(&old);
  return SaturateTo32Bits(old.dwTotalPhys);
}

DisplayFacts Win32Machine::Display() {
  DisplayFacts facts;
  win32::UniqueDc dc(CreateICA("DISPLAY", nullptr, nullptr, nullptr));
  if (!dc) return facts;
  facts.bitsPerPixel = GetDeviceCaps(dc.Get(), BITSPIXEL);
  facts.planes = GetDeviceCaps(dc.Get(), PLANES);
  facts.width = GetDeviceCaps(dc.Get(), HORZRES);
  facts.height = GetDeviceCaps(dc.Get(), VERTRES);
  return facts;
}

void Win32Machine::ScreenSize(int32_t* width, int32_t* height) {
  *width = GetSystemMetrics(SM_CXSCREEN);
  *height = GetSystemMetrics(SM_CYSCREEN);
}

uint32_t Win32Machine::ProcessorType() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.dwProcessorType;
}

std::string Win32Machine::WindowsDirectory() {
  std::string directory;
  win32::ReadSystemText([](char* buffer, DWORD size) { return GetWindowsDirectoryA(buffer, size); }, &directory);
  return directory;
}

std::string Win32Machine::SystemDirectory() {
  std::string directory;
  win32::ReadSystemText([](char* buffer, DWORD size) { return GetSystemDirectoryA(buffer, size); }, &directory);
  return directory;
}

std::string Win32Machine::ExecutablePath() {
  // GetModuleFileNameA cuts the path to the buffer and returns the buffer's
  // size when it did; grow until the whole path fits.
  std::string buffer(MAX_PATH + 1, '\0');
  for (int round = 0; round < 6; ++round) {
    DWORD n = GetModuleFileNameA(nullptr, &buffer[0], DWORD(buffer.size()));
    if (n == 0) return "";
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.assign(buffer.size() * 2, '\0');
  }
  return "";
}

bool Win32Machine::FileVersionText(const std::string& path, std::string* version) {
  if (win32::HasNul(path)) return false;
  if (!version_) version_ = std::make_unique<VersionLibrary>(SystemDirectory());
  if (!version_->Usable()) return false;
  DWORD ignored = 0;
  DWORD size = version_->size(path.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<char> block(size_t(size) + 1, '\0');
  if (!version_->info(path.c_str(), 0, size, block.data())) return false;
  const char* blockEnd = block.data() + block.size();
  for (const char* query : kFileVersionQueries) {
    void* value = nullptr;
    UINT length = 0;
    if (!version_->query(block.data(), query, &value, &length) || !value || length == 0) continue;
    // The value points into the block; a damaged resource must not make the
    // text run past its end.
    const char* text = static_cast<const char*>(value);
    if (text < block.data() || text >= blockEnd) continue;
    size_t limit = size_t(blockEnd - text);
    if (length < limit) limit = length;
    size_t n = strnlen(text, limit);
    if (n == 0) continue;
    version->assign(text, n);
    return true;
  }
  return false;
}

bool Win32Machine::ClassesRootDefault(const std::string& key, std::string* value) {
  if (win32::HasNul(key)) return false;
  win32::UniqueKey opened;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, opened.Receive()) != ERROR_SUCCESS) return false;
  char buffer[kClassValueCapacity] = {};
  DWORD type = 0;
  DWORD size = sizeof buffer;
  if (RegQueryValueExA(opened.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  // A stored string need not carry its terminator.
  value->assign(buffer, strnlen(buffer, size < sizeof buffer ? size : sizeof buffer));
  return true;
}

bool Win32Machine::EnvironmentVariable(const std::string& name, std::string* value) {
  if (win32::HasNul(name)) return false;
  return win32::ReadSystemText(
      [&name](char* buffer, DWORD size) { return GetEnvironmentVariableA(name.c_str(), buffer, size); }, value);
}

}  // namespace quorril
