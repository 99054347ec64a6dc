// Windows path texts (see windows_path.h).
#include "platform/windows_path.h"

#include <vector>

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

std::vector<std::string> PathComponents(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string ResolvePath(const std::string& current, const std::string& path) {
  if (path.empty()) return "";
  bool currentHasDrive = current.size() >= 2 && current[1] == ':';
  std::string drive;
  std::string rest;
  if (path.size() >= 2 && path[1] == ':' && IsAsciiAlpha(path[0])) {
    drive = std::string(1, AsciiUpper(path[0])) + ":";
    rest = path.substr(2);
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) {
      // Drive-relative: against the current directory when it is on that drive.
      bool sameDrive = currentHasDrive && AsciiUpper(current[0]) == drive[0];
      rest = (sameDrive ? current.substr(2) : std::string("\\")) + "\\" + rest;
    }
  } else {
    if (!currentHasDrive) return "";
    drive = current.substr(0, 2);
    if (path[0] == '\\' || path[0] == '/')
      rest = path;
    else
      rest = current.substr(2) + "\\" + path;
  }
  std::vector<std::string> parts;
  for (std::string& part : PathComponents(rest)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    // Trailing dots and blanks are dropped, as Win32 does.
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (part.empty()) continue;
    parts.push_back(part);
  }
  std::string out = drive;
  for (const std::string& part : parts) out += "\\" + part;
  if (parts.empty()) out += "\\";
  return out;
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
