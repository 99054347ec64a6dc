// Host files for the package commands, on std::filesystem (error-code
// overloads only) and the C runtime's stat/utime for dates.
#include "host_files.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <utime.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/text.h"

namespace quorril::pack {

namespace fs = std::filesystem;

FILE* OpenHostFile(const char* command, const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(fs::path(path), ec)) {
    if (command) std::fprintf(stderr, "quorril-pack %s: '%s' is a directory\n", command, path.c_str());
    return nullptr;
  }
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f && command)
    std::fprintf(stderr, "quorril-pack %s: cannot open '%s': %s\n", command, path.c_str(), std::strerror(errno));
  return f;
}

bool ReadHostFile(const char* command, const std::string& path, std::string* data, uint64_t limit) {
  FILE* f = OpenHostFile(command, path);
  if (!f) return false;
  std::string read;
  char block[65536];
  size_t got;
  bool tooLarge = false;
  while (!tooLarge && (got = std::fread(block, 1, sizeof block, f)) > 0) {
    read.append(block, got);
    tooLarge = read.size() > limit;
  }
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (tooLarge) {
    if (command)
      std::fprintf(stderr, "quorril-pack %s: '%s' is larger than %llu bytes\n", command, path.c_str(),
                   static_cast<unsigned long long>(limit));
    return false;
  }
  if (failed) {
    if (command) std::fprintf(stderr, "quorril-pack %s: cannot read '%s'\n", command, path.c_str());
    return false;
  }
  *data = std::move(read);
  return true;
}

static DosDateTime DosFromTime(time_t t) {
  struct tm local = {};
#ifdef _WIN32
  if (localtime_s(&local, &t) != 0) return {0x0021, 0};
#else
  if (!localtime_r(&t, &local)) return {0x0021, 0};
#endif
  int year = local.tm_year + 1900;
  if (year < 1980) return {0x0021, 0};  // 1980-01-01 00:00:00
  if (year > 2107) return {uint16_t((127 << 9) | (12 << 5) | 31), uint16_t((23 << 11) | (59 << 5) | 29)};
  DosDateTime when;
  when.date = uint16_t((year - 1980) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
  when.time = uint16_t(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
  return when;
}

static bool TimeFromDos(DosDateTime when, time_t* t) {
  struct tm local = {};
  local.tm_year = 1980 + (when.date >> 9) - 1900;
  local.tm_mon = ((when.date >> 5) & 15) - 1;
  local.tm_mday = when.date & 31;
  local.tm_hour = when.time >> 11;
  local.tm_min = (when.time >> 5) & 63;
  local.tm_sec = (when.time & 31) * 2;
  local.tm_isdst = -1;
  if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday == 0 || local.tm_hour > 23 || local.tm_min > 59 ||
      local.tm_sec > 59)
    return false;
  *t = std::mktime(&local);
  return *t != time_t(-1);
}

bool HostModified(const char* command, const std::string& path, DosDateTime* when) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    std::fprintf(stderr, "quorril-pack %s: cannot read the date of '%s': %s\n", command, path.c_str(),
                 std::strerror(errno));
    return false;
  }
  *when = DosFromTime(st.st_mtime);
  return true;
}

static bool SetHostModified(const std::string& path, DosDateTime when) {
  time_t t;
  if (!TimeFromDos(when, &t)) return true;  // an invalid date leaves the file's own
  struct utimbuf times;
  times.actime = t;
  times.modtime = t;
  return ::utime(path.c_str(), &times) == 0;
}

std::string HostBaseName(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string HostDirectory(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) return ".";
  return cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

std::string FindBeside(const std::string& directory, const std::string& name) {
  std::error_code ec;
  fs::path exact = fs::path(directory) / fs::path(name);
  if (fs::is_regular_file(exact, ec)) return exact.string();
  for (fs::directory_iterator it(fs::path(directory), ec), end; !ec && it != end; it.increment(ec)) {
    if (EqualsNoCase(it->path().filename().string(), name) && it->is_regular_file(ec)) return it->path().string();
  }
  return std::string();
}

std::string DosDateTimeText(DosDateTime when) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 1980 + (when.date >> 9), (when.date >> 5) & 15,
                when.date & 31, when.time >> 11, (when.time >> 5) & 63, (when.time & 31) * 2);
  return text;
}

std::string AttributesText(uint32_t attributes) {
  std::string text;
  text += attributes & kAttrReadOnly ? 'R' : '-';
  text += attributes & kAttrHidden ? 'H' : '-';
  text += attributes & kAttrSystem ? 'S' : '-';
  text += attributes & kAttrDirectory ? 'D' : '-';
  text += attributes & kAttrArchive ? 'A' : '-';
  uint32_t known = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive | kAttrNormal;
  if (attributes & ~known) {
    char hex[16];
    std::snprintf(hex, sizeof hex, " %#x", attributes);
    text += hex;
  }
  return text;
}

// ---- OutputSet ---------------------------------------------------------------------

OutputSet::~OutputSet() {
  if (committed_) return;
  std::error_code ec;
  for (const Pending& p : files_) fs::remove(fs::path(p.temp), ec);
  for (auto it = createdDirectories_.rbegin(); it != createdDirectories_.rend(); ++it)
    fs::remove(fs::path(*it), ec);  // only when still empty
}

bool OutputSet::MakeDirectories(const std::string& path) {
  std::error_code ec;
  fs::path target = fs::path(path);
  if (fs::is_directory(target, ec)) return true;
  // Create the missing levels one by one, remembering them.
  std::vector<fs::path> missing;
  for (fs::path p = target; !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
    missing.push_back(p);
    if (p == p.parent_path()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!fs::create_directory(*it, ec) && !fs::is_directory(*it)) {
      std::fprintf(stderr, "quorril-pack %s: cannot create the directory '%s': %s\n", command_,
                   it->string().c_str(), ec ? ec.message().c_str() : "a file of that name exists");
      return false;
    }
    createdDirectories_.push_back(it->string());
  }
  if (!fs::is_directory(target, ec)) {
    std::fprintf(stderr, "quorril-pack %s: '%s' is not a directory\n", command_, path.c_str());
    return false;
  }
  return true;
}

bool OutputSet::Add(const std::string& path, const std::string& data, const DosDateTime* when,
                    const std::string& permissionsFrom) {
  Pending p;
  p.path = path;
  p.temp = path + ".quorril-tmp";
  if (when) {
    p.dated = true;
    p.when = *when;
  }
  p.permissionsFrom = permissionsFrom;
  std::error_code ec;
  if (fs::is_directory(fs::path(path), ec)) {
    std::fprintf(stderr, "quorril-pack %s: '%s' is a directory\n", command_, path.c_str());
    return false;
  }
  FILE* f = std::fopen(p.temp.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "quorril-pack %s: cannot create '%s': %s\n", command_, p.temp.c_str(), std::strerror(errno));
    return false;
  }
  files_.push_back(p);
  bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) std::fprintf(stderr, "quorril-pack %s: cannot write '%s'\n", command_, p.temp.c_str());
  return ok;
}

bool OutputSet::Commit() {
  std::error_code ec;
  for (size_t i = 0; i < files_.size(); ++i) {
    const Pending& p = files_[i];
    if (!p.permissionsFrom.empty()) {
      fs::perms perms = fs::status(fs::path(p.permissionsFrom), ec).permissions();
      if (!ec) fs::permissions(fs::path(p.temp), perms, ec);
    }
    fs::rename(fs::path(p.temp), fs::path(p.path), ec);
    if (ec) {
      std::fprintf(stderr, "quorril-pack %s: cannot write '%s': %s\n", command_, p.path.c_str(),
                   ec.message().c_str());
      if (i > 0) std::fprintf(stderr, "quorril-pack %s: %zu files were already in place\n", command_, i);
      files_.erase(files_.begin(), files_.begin() + std::ptrdiff_t(i));
      createdDirectories_.clear();  // they hold files now
      return false;
    }
    if (p.dated && !SetHostModified(p.path, p.when))
      std::fprintf(stderr, "quorril-pack %s: warning: cannot set the date of '%s'\n", command_, p.path.c_str());
  }
  committed_ = true;
  return true;
}

}  // namespace quorril::pack
