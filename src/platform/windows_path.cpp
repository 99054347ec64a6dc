// Windows path texts (see windows_path.h).
#include "platform/windows_path.h"

#include "platform/text.h"

namespace quorril {

bool HasDrive(std::string_view path) { return path.size() >= 2 && path[1] == ':'; }

bool IsAbsolutePath(std::string_view path) { return (!path.empty() && path[0] == '\\') || HasDrive(path); }

bool EndsWithBackslash(std::string_view path) { return !path.empty() && path.back() == '\\'; }

std::string FileName(const std::string& path) {
  size_t cut = path.find_last_of('\\');
  if (cut != std::string::npos) return path.substr(cut + 1);
  if (HasDrive(path)) return path.substr(2);
  return path;
}

std::string FileTitle(const std::string& path) {
  size_t start = HasDrive(path) ? 2 : 0;
  size_t slash = path.find_last_of("\\/");
  if (slash != std::string::npos && slash + 1 > start) start = slash + 1;
  return WithoutExtension(path.substr(start));
}

std::string WithoutExtension(const std::string& name) {
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string Extension(const std::string& name) {
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string DirectoryPart(const std::string& path) {
  size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string CutAtLastBackslash(const std::string& path) {
  size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string WithoutTrailingBackslash(std::string path) {
  if (EndsWithBackslash(path)) path.pop_back();
  return path;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  return EndsWithBackslash(directory) ? directory + name : directory + "\\" + name;
}

bool SamePath(const std::string& a, const std::string& b) {
  auto squeeze = [](const std::string& s) {
    std::string out;
    for (char c : s)
      if (!(c == '\\' && EndsWithBackslash(out))) out += AsciiUpper(c);
    return out;
  };
  return squeeze(a) == squeeze(b);
}

}  // namespace quorril
