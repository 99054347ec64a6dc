// The profile port over GetPrivateProfileStringA and
// WritePrivateProfileStringA: the growing read, then the methods in the
// order of the port header.
#include "platform/win32/win32_profile.h"

#include <algorithm>

#include "platform/win32/handles.h"
#include "platform/win32/system_text.h"
#include "platform/windows_path.h"

namespace quorril {
namespace {

// A read starts with this buffer and doubles it until the text fits; at
// the largest a longer text comes back cut (no profile comes near it).
constexpr DWORD kFirstBufferSize = 1024;
constexpr DWORD kLargestBufferSize = DWORD(1) << 26;

// Defaults that the system hands back unchanged (no blanks, no quotes). A
// value that is missing reads as each of them in turn; a value that is
// there reads the same both times.
constexpr const char* kMissingMarkers[] = {"\x01", "\x02"};

// GetPrivateProfileStringA into a buffer that grows until the whole text
// fits. A null key reads the key list, "name\0name\0"; the system cuts a
// list to two characters less than the buffer, a value to one less, and
// returns that length when it did.
std::string ReadProfileText(const std::string& file, const std::string& section, const char* key,
                            const char* defaultValue) {
  const DWORD cutLength = key ? 1 : 2;
  std::string buffer;
  for (DWORD size = kFirstBufferSize;; size *= 2) {
    buffer.assign(size, '\0');
    DWORD n = GetPrivateProfileStringA(section.c_str(), key, defaultValue, &buffer[0], size, file.c_str());
    if (n + cutLength < size || size >= kLargestBufferSize) {
      buffer.resize(std::min(n, size));
      return buffer;
    }
  }
}

bool IsFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool Win32Profile::ReadKeyNames(const std::string& file, const std::string& section,
                                std::vector<std::string>* names) {
  names->clear();
  if (win32::HasNul(file) || win32::HasNul(section)) return true;
  // With a default of its own the system would list a missing or empty
  // section as that default.
  std::string list = ReadProfileText(file, section, nullptr, "");
  size_t start = 0;
  for (size_t end = list.find('\0'); end != std::string::npos; end = list.find('\0', start)) {
    names->push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

bool Win32Profile::ReadValue(const std::string& file, const std::string& section, const std::string& key,
                             const std::string& defaultValue, std::string* value) {
  *value = defaultValue;
  if (win32::HasNul(file) || win32::HasNul(section) || win32::HasNul(key)) return true;
  std::string text = ReadProfileText(file, section, key.c_str(), kMissingMarkers[0]);
  if (text == kMissingMarkers[0]) {
    text = ReadProfileText(file, section, key.c_str(), kMissingMarkers[1]);
    if (text == kMissingMarkers[1]) return true;
  }
  *value = text;
  return true;
}

bool Win32Profile::WriteValue(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& value) {
  if (win32::HasNul(file) || win32::HasNul(section) || win32::HasNul(key) || win32::HasNul(value)) return false;
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

bool Win32Profile::DeleteKey(const std::string& file, const std::string& section, const std::string& key) {
  if (win32::HasNul(file) || win32::HasNul(section) || win32::HasNul(key)) return false;
  if (WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str())) return true;
  // Wine refuses deletions from a file whose directory does not exist; a
  // file that is not there holds nothing.
  return !IsFile(FullPath(file));
}

bool Win32Profile::DeleteSection(const std::string& file, const std::string& section) {
  if (win32::HasNul(file) || win32::HasNul(section)) return false;
  if (WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str())) return true;
  return !IsFile(FullPath(file));
}

bool Win32Profile::Flush(const std::string& file) {
  if (win32::HasNul(file)) return false;
  // The flush reports FALSE whatever happened; what counts is the file.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
  return IsFile(FullPath(file));
}

std::string Win32Profile::FullPath(const std::string& file) {
  std::string path;
  if (win32::HasNul(file)) return path;
  if (file.find_first_of("\\/") == std::string::npos) {
    std::string directory;
    if (!win32::ReadSystemText([](char* buffer, DWORD size) { return GetWindowsDirectoryA(buffer, size); },
                               &directory))
      return path;
    return JoinPath(directory, file);
  }
  win32::ReadSystemText(
      [&file](char* buffer, DWORD size) { return GetFullPathNameA(file.c_str(), size, buffer, nullptr); }, &path);
  return path;
}

}  // namespace quorril
