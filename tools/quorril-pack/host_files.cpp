// Host files for the package commands, on std::filesystem (error-code
// overloads only), the C runtime's stat/utime for dates and its open with
// O_EXCL for new temporary files.
#include "host_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <utime.h>
#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

#include "platform/text.h"

namespace quorril::pack {

namespace fs = std::filesystem;

FILE* OpenHostFile(const char* command, const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(fs::path(path), ec)) {
    if (command) std::fprintf(stderr, "quorril-pack %s: '%s' is a directory\n", command, Printable(path).c_str());
    return nullptr;
  }
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f && command)
    std::fprintf(stderr, "quorril-pack %s: cannot open '%s': %s\n", command, Printable(path).c_str(),
                 std::strerror(errno));
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
      std::fprintf(stderr, "quorril-pack %s: '%s' is larger than %llu bytes\n", command, Printable(path).c_str(),
                   static_cast<unsigned long long>(limit));
    return false;
  }
  if (failed) {
    if (command) std::fprintf(stderr, "quorril-pack %s: cannot read '%s'\n", command, Printable(path).c_str());
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
    std::fprintf(stderr, "quorril-pack %s: cannot read the date of '%s': %s\n", command, Printable(path).c_str(),
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
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int year = 1980 + (when.date >> 9), month = (when.date >> 5) & 15, day = when.date & 31;
  const int hour = when.time >> 11, minute = (when.time >> 5) & 63, second = (when.time & 31) * 2;
  const bool monthOk = month >= 1 && month <= 12;
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  const bool dayOk = day >= 1 && day <= (monthOk ? (month == 2 && !leap ? 28 : kDays[month - 1]) : 31);
  // A field that no calendar or clock could show is "??".
  auto field = [](bool ok, int value) {
    char two[8];
    std::snprintf(two, sizeof two, "%02d", value);
    return ok ? std::string(two) : std::string("??");
  };
  return std::to_string(year) + "-" + field(monthOk, month) + "-" + field(dayOk, day) + " " +
         field(hour <= 23, hour) + ":" + field(minute <= 59, minute) + ":" + field(second <= 59, second);
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

std::string Printable(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || (byte >= 0x7F && byte <= 0x9F)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      shown += escaped;
    } else {
      shown += c;
    }
  }
  return shown;
}

// ---- OutputSet ---------------------------------------------------------------------

namespace {

#ifdef _WIN32
constexpr char kSeparators[] = "/\\";
#else
constexpr char kSeparators[] = "/";
#endif

// True when `path` is a symbolic link, or on Windows any reparse point (a
// junction leads elsewhere as well as a link does). Not followed.
bool IsLink(const std::string& path) {
#ifdef _WIN32
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
#else
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
#endif
}

// The first component of `path` after `root` (which `path` begins with),
// taken with everything before it, that is a link; "" when none is.
std::string LinkBelow(const std::string& root, const std::string& path) {
  size_t end = root.size();
  while (end < path.size()) {
    size_t start = path.find_first_not_of(kSeparators, end);
    if (start == std::string::npos) break;
    end = path.find_first_of(kSeparators, start);
    if (end == std::string::npos) end = path.size();
    std::string component = path.substr(0, end);
    if (IsLink(component)) return component;
  }
  return std::string();
}

constexpr char kTemporarySuffix[] = ".quorril-tmp";
constexpr int kTemporaryNames = 100;  // tried for one file before giving up

// Eight hexadecimal digits that another process cannot guess.
std::string RandomName() {
  static std::mt19937_64 engine = [] {
    uint64_t seed = uint64_t(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    try {
      std::random_device device;
      seed ^= uint64_t(device()) << 32 ^ device();
    } catch (...) {
      // The clock alone; a taken name is tried again anyway.
    }
    return std::mt19937_64(seed);
  }();
  char text[16];
  std::snprintf(text, sizeof text, "%08x", unsigned(engine() & 0xFFFFFFFFu));
  return text;
}

// Creates the new file `name` for writing. Fails (errno EEXIST) when any
// file, directory or symbolic link of that name exists: a link is never
// followed.
FILE* CreateNewFile(const std::string& name) {
#ifdef _WIN32
  int fd = ::_open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
#else
  int flags = O_WRONLY | O_CREAT | O_EXCL;
#ifdef O_NOFOLLOW
  flags |= O_NOFOLLOW;
#endif
#ifdef O_CLOEXEC
  flags |= O_CLOEXEC;
#endif
  int fd = ::open(name.c_str(), flags, 0666);
#endif
  if (fd < 0) return nullptr;
#ifdef _WIN32
  FILE* f = ::_fdopen(fd, "wb");
#else
  FILE* f = ::fdopen(fd, "wb");
#endif
  if (!f) {
    int error = errno;
#ifdef _WIN32
    ::_close(fd);
#else
    ::close(fd);
#endif
    std::remove(name.c_str());
    errno = error;
  }
  return f;
}

// Removes the directory `path` when it is empty. Allocates nothing, so that
// it also works when memory has run out.
void RemoveEmptyDirectory(const std::string& path) {
#ifdef _WIN32
  ::_rmdir(path.c_str());
#else
  ::rmdir(path.c_str());
#endif
}

}  // namespace

// Undoes everything, allocating nothing: it also runs as the stack unwinds
// from a shortage of memory.
OutputSet::~OutputSet() {
  if (open_) std::fclose(open_);
  if (committed_) return;
  for (const Pending& p : files_) std::remove(p.temp.c_str());
  for (auto it = createdDirectories_.rbegin(); it != createdDirectories_.rend(); ++it) RemoveEmptyDirectory(*it);
}

bool OutputSet::FreeOfLinks(const std::string& path) {
  if (root_.empty() || path.compare(0, root_.size(), root_) != 0) return true;
  std::string link = LinkBelow(root_, path);
  if (link.empty()) return true;
  std::fprintf(stderr, "quorril-pack %s: '%s' is a symbolic link; nothing is written through it\n", command_,
               Printable(link).c_str());
  refusedLink_ = true;
  failed_ = true;
  return false;
}

bool OutputSet::MakeDirectories(const std::string& path) {
  if (!FreeOfLinks(path)) return false;
  std::error_code ec;
  fs::path target = fs::path(path);
  if (fs::is_directory(target, ec)) return true;
  // Create the missing levels one by one, remembering them.
  std::vector<fs::path> missing;
  for (fs::path p = target; !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
    missing.push_back(p);
    if (p == p.parent_path()) break;
  }
  // Room to remember every level is made before the first is created, so
  // that none is left unremembered when memory runs out.
  createdDirectories_.reserve(createdDirectories_.size() + missing.size());
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    std::string name = it->string();
    if (!fs::create_directory(*it, ec) && !fs::is_directory(*it)) {
      std::fprintf(stderr, "quorril-pack %s: cannot create the directory '%s': %s\n", command_,
                   Printable(name).c_str(), ec ? ec.message().c_str() : "a file of that name exists");
      return false;
    }
    createdDirectories_.push_back(std::move(name));
  }
  if (!fs::is_directory(target, ec)) {
    std::fprintf(stderr, "quorril-pack %s: '%s' is not a directory\n", command_, Printable(path).c_str());
    return false;
  }
  return true;
}

bool OutputSet::Add(const std::string& path, const std::string& data, const DosDateTime* when,
                    const std::string& permissionsFrom) {
  return Open(path, when, permissionsFrom) && Write(data.data(), data.size()) && Close();
}

bool OutputSet::Open(const std::string& path, const DosDateTime* when, const std::string& permissionsFrom) {
  if (!Close()) return false;
  if (!FreeOfLinks(path)) return false;
  failed_ = true;  // until the temporary is there
  std::error_code ec;
  if (fs::is_directory(fs::path(path), ec)) {
    std::fprintf(stderr, "quorril-pack %s: '%s' is a directory\n", command_, Printable(path).c_str());
    return false;
  }
  Pending p;
  p.path = path;
  if (when) {
    p.dated = true;
    p.when = *when;
  }
  p.permissionsFrom = permissionsFrom;
  files_.reserve(files_.size() + 1);  // a temporary is never left unremembered
  for (int i = 0; i < kTemporaryNames; ++i) {
    p.temp = path + (i == 0 ? std::string() : "." + RandomName()) + kTemporarySuffix;
    open_ = CreateNewFile(p.temp);
    if (open_) {
      files_.push_back(std::move(p));
      failed_ = false;
      return true;
    }
    int error = errno;
    // Windows may tell a name taken by a directory as a denied access.
    fs::file_type type = fs::symlink_status(fs::path(p.temp), ec).type();
    bool taken = error == EEXIST || (!ec && type != fs::file_type::not_found);
    if (!taken) {
      std::fprintf(stderr, "quorril-pack %s: cannot create '%s': %s\n", command_, Printable(path).c_str(),
                   std::strerror(error));
      return false;
    }
  }
  std::fprintf(stderr, "quorril-pack %s: cannot create '%s': every temporary name tried beside it is taken\n", command_,
               Printable(path).c_str());
  return false;
}

void OutputSet::WriteFailed(int error) {
  if (!failed_)
    std::fprintf(stderr, "quorril-pack %s: cannot write '%s': %s\n", command_, Printable(files_.back().path).c_str(),
                 error ? std::strerror(error) : "write error");
  failed_ = true;
}

bool OutputSet::Write(const void* data, size_t size) {
  if (!open_ || failed_) return false;
  errno = 0;
  if (size != 0 && std::fwrite(data, 1, size, open_) != size) WriteFailed(errno);
  return !failed_;
}

bool OutputSet::Close() {
  if (!open_) return !failed_;
  errno = 0;
  if (std::fflush(open_) != 0 || std::ferror(open_)) WriteFailed(errno);
  errno = 0;
  if (std::fclose(open_) != 0) WriteFailed(errno);
  open_ = nullptr;
  return !failed_;
}

bool OutputSet::Commit() {
  if (!Close()) return false;
  // A link put in the way while the files were written moves none of them.
  for (const Pending& p : files_)
    if (!FreeOfLinks(p.path)) return false;
  std::error_code ec;
  // Everything that needs memory is done before the first file moves, so
  // that a shortage of it leaves nothing in place.
  std::vector<std::pair<fs::path, fs::path>> moves;
  moves.reserve(files_.size());
  for (const Pending& p : files_) {
    if (!p.permissionsFrom.empty()) {
      fs::perms perms = fs::status(fs::path(p.permissionsFrom), ec).permissions();
      if (!ec) fs::permissions(fs::path(p.temp), perms, ec);
    }
    // Dated while it is still the temporary, which only this set writes.
    if (p.dated && !SetHostModified(p.temp, p.when))
      std::fprintf(stderr, "quorril-pack %s: warning: cannot set the date of '%s'\n", command_,
                   Printable(p.path).c_str());
    moves.emplace_back(fs::path(p.temp), fs::path(p.path));
  }
  for (size_t i = 0; i < files_.size(); ++i) {
    fs::rename(moves[i].first, moves[i].second, ec);
    if (ec) {
      const Pending& p = files_[i];
      std::fprintf(stderr, "quorril-pack %s: cannot write '%s': %s\n", command_, Printable(p.path).c_str(),
                   ec.message().c_str());
      if (i > 0) std::fprintf(stderr, "quorril-pack %s: %zu files were already in place\n", command_, i);
      files_.erase(files_.begin(), files_.begin() + std::ptrdiff_t(i));
      createdDirectories_.clear();  // they hold files now
      return false;
    }
  }
  committed_ = true;
  return true;
}

}  // namespace quorril::pack
