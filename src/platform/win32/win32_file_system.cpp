// The file-system port over KERNEL32. Organised as: the DOS date helpers,
// the open-file handle (one CreateFileA handle per FileHandle), then the
// FileSystem methods in the order of the port header.
#include "platform/win32/win32_file_system.h"

#include <aclapi.h>

#include "platform/win32/handles.h"
#include "platform/win32/system_text.h"

namespace quorril {
namespace {

// Last-write times are stored in UTC; the port speaks local DOS dates.
bool FileTimeToDos(const FILETIME& utc, DosDateTime* when) {
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return false;
  when->date = date;
  when->time = time;
  return true;
}

bool DosToFileTime(DosDateTime when, FILETIME* utc) {
  FILETIME local;
  return DosDateTimeToFileTime(when.date, when.time, &local) && LocalFileTimeToFileTime(&local, utc);
}

// A well-known SID of the NT authority, freed with the object.
class WellKnownSid {
 public:
  WellKnownSid(DWORD first, DWORD second, BYTE count) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    if (!AllocateAndInitializeSid(&nt, count, first, second, 0, 0, 0, 0, 0, 0, &sid_)) sid_ = nullptr;
  }
  ~WellKnownSid() {
    if (sid_) FreeSid(sid_);
  }
  WellKnownSid(const WellKnownSid&) = delete;
  WellKnownSid& operator=(const WellKnownSid&) = delete;
  PSID Get() const { return sid_; }

 private:
  PSID sid_ = nullptr;
};

// One entry of the protected list: `rights` granted to `sid`, inherited by
// the files and directories below.
EXPLICIT_ACCESS_A Grant(PSID sid, DWORD rights) {
  EXPLICIT_ACCESS_A entry = {};
  entry.grfAccessPermissions = rights;
  entry.grfAccessMode = SET_ACCESS;
  entry.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
  entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  entry.Trustee.ptstrName = static_cast<LPSTR>(sid);
  return entry;
}

// The largest count moved by one Read or Write, so that it fits the result.
constexpr uint32_t kMaxTransfer = 0x7FFFFFFF;

class Win32OpenFile : public FileHandle {
 public:
  Win32OpenFile(win32::UniqueFile file, OpenMode mode) : file_(std::move(file)), mode_(mode) {}

  int32_t Read(void* buffer, uint32_t count) override {
    if (count > kMaxTransfer) count = kMaxTransfer;
    DWORD done = 0;
    if (!ReadFile(file_.Get(), buffer, count, &done, nullptr)) return -1;
    return int32_t(done);
  }

  int32_t Write(const void* buffer, uint32_t count) override {
    if (count > kMaxTransfer) count = kMaxTransfer;
    if (mode_ == OpenMode::kAppend) {
      LARGE_INTEGER zero{};
      if (!SetFilePointerEx(file_.Get(), zero, nullptr, FILE_END)) return -1;
    }
    DWORD done = 0;
    if (!WriteFile(file_.Get(), buffer, count, &done, nullptr)) return -1;
    return int32_t(done);
  }

  int64_t Seek(int64_t offset, int origin) override {
    static const DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    if (origin < 0 || origin > 2) return -1;
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(file_.Get(), distance, &position, kMethods[origin])) return -1;
    return position.QuadPart;
  }

  int64_t Size() override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.Get(), &size)) return -1;
    return size.QuadPart;
  }

  bool SetModifiedAndAttributes(DosDateTime when, uint32_t attributes) override {
    // Wine lets a handle opened for reading change them; Windows does not.
    if (mode_ == OpenMode::kRead) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    FILE_BASIC_INFO info{};  // zero times are left as they are
    FILETIME written;
    bool dated = DosToFileTime(when, &written);
    if (dated) {
      info.LastWriteTime.LowPart = written.dwLowDateTime;
      info.LastWriteTime.HighPart = int32_t(written.dwHighDateTime);
    }
    // The directory bit is not a file's to set, and NORMAL stands alone: no
    // other bits means NORMAL (a zero here would mean "unchanged"). The
    // attributes are set even when the date is bad.
    attributes &= ~DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NORMAL);
    info.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file_.Get(), FileBasicInfo, &info, sizeof info) && dated;
  }

 private:
  win32::UniqueFile file_;
  OpenMode mode_;
};

FindEntry ToFindEntry(const WIN32_FIND_DATAA& data) {
  FindEntry entry;
  entry.name = data.cFileName;
  // The system leaves the alternate name empty when the name is already a
  // short name; some file systems repeat it instead.
  std::string alternate = data.cAlternateFileName;
  if (!alternate.empty() && lstrcmpiA(alternate.c_str(), data.cFileName) != 0) entry.shortName = alternate;
  entry.attributes = data.dwFileAttributes;
  entry.size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  FileTimeToDos(data.ftLastWriteTime, &entry.modified);  // stays 0 outside the DOS range
  return entry;
}

const char* RootOrNull(const std::string& root) { return root.empty() ? nullptr : root.c_str(); }

}  // namespace

bool Win32FileSystem::Fail() {
  lastError_ = GetLastError();
  return false;
}

bool Win32FileSystem::Fail(uint32_t error) {
  lastError_ = error;
  return false;
}

bool Win32FileSystem::Check(bool ok) { return ok || Fail(); }

bool Win32FileSystem::IsReadOnlyFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY) ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  Fail(ERROR_ACCESS_DENIED);
  return true;
}

std::unique_ptr<FileHandle> Win32FileSystem::Open(const std::string& path, OpenMode mode) {
  if (win32::HasNul(path)) {
    Fail(ERROR_INVALID_NAME);
    return nullptr;
  }
  DWORD access = GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  switch (mode) {
    case OpenMode::kRead:
      break;
    case OpenMode::kReadWrite:
      access = GENERIC_READ | GENERIC_WRITE;
      break;
    case OpenMode::kCreate:
      access = GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
      break;
    case OpenMode::kCreateNew:
      access = GENERIC_WRITE;
      disposition = CREATE_NEW;
      break;
    case OpenMode::kAppend:
      access = GENERIC_WRITE;
      disposition = OPEN_ALWAYS;
      break;
  }
  // (A new file cannot be read-only: creating it fails on any file there.)
  if (mode != OpenMode::kRead && mode != OpenMode::kCreateNew && IsReadOnlyFile(path)) return nullptr;
  // Other handles on the same file may read and write meanwhile, as with the
  // C runtime's and _lopen's compatibility sharing.
  win32::UniqueFile file(CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    Fail();
    return nullptr;
  }
  return std::make_unique<Win32OpenFile>(std::move(file), mode);
}

bool Win32FileSystem::Find(const std::string& pattern, std::vector<FindEntry>* entries) {
  entries->clear();
  if (win32::HasNul(pattern)) return Fail(ERROR_INVALID_NAME);
  WIN32_FIND_DATAA data;
  win32::UniqueFind find(FindFirstFileA(pattern.c_str(), &data));
  if (!find) return Fail();
  do {
    entries->push_back(ToFindEntry(data));
  } while (FindNextFileA(find.Get(), &data));
  DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES) {
    // A listing cut short is not passed off as complete.
    entries->clear();
    return Fail(error);
  }
  return true;
}

uint32_t Win32FileSystem::GetAttributes(const std::string& path) {
  if (win32::HasNul(path)) {
    Fail(ERROR_INVALID_NAME);
    return kInvalidAttributes;
  }
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) Fail();
  return attributes;
}

bool Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  if (win32::HasNul(path)) return Fail(ERROR_INVALID_NAME);
  return Check(SetFileAttributesA(path.c_str(), attributes));
}

bool Win32FileSystem::GetModified(const std::string& path, DosDateTime* when) {
  if (win32::HasNul(path)) return Fail(ERROR_INVALID_NAME);
  win32::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Fail();
  FILETIME written;
  if (!GetFileTime(file.Get(), nullptr, nullptr, &written)) return Fail();
  return Check(FileTimeToDos(written, when));
}

bool Win32FileSystem::SetModified(const std::string& path, DosDateTime when) {
  if (win32::HasNul(path)) return Fail(ERROR_INVALID_NAME);
  FILETIME written;
  if (!DosToFileTime(when, &written)) return Fail();
  // Opened for reading and writing, so a read-only file refuses the change.
  if (IsReadOnlyFile(path)) return false;
  win32::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Fail();
  return Check(SetFileTime(file.Get(), nullptr, nullptr, &written));
}

bool Win32FileSystem::CreateDirectory(const std::string& path) {
  if (win32::HasNul(path)) return Fail(ERROR_INVALID_NAME);
  return Check(CreateDirectoryA(path.c_str(), nullptr));
}

bool Win32FileSystem::RemoveDirectory(const std::string& path) {
  if (win32::HasNul(path)) return Fail(ERROR_INVALID_NAME);
  return Check(RemoveDirectoryA(path.c_str()));
}

bool Win32FileSystem::ProtectDirectory(const std::string& path) {
  if (win32::HasNul(path)) return Fail(ERROR_INVALID_NAME);
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Fail();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Fail(ERROR_DIRECTORY);
  WellKnownSid administrators(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 2);
  WellKnownSid system(SECURITY_LOCAL_SYSTEM_RID, 0, 1);
  WellKnownSid users(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 2);
  if (!administrators.Get() || !system.Get() || !users.Get()) return Fail();
  EXPLICIT_ACCESS_A entries[] = {
      Grant(administrators.Get(), FILE_ALL_ACCESS),
      Grant(system.Get(), FILE_ALL_ACCESS),
      Grant(users.Get(), FILE_GENERIC_READ | FILE_GENERIC_EXECUTE),
  };
  PACL list = nullptr;
  DWORD error = SetEntriesInAclA(DWORD(sizeof entries / sizeof entries[0]), entries, nullptr, &list);
  if (error != ERROR_SUCCESS) return Fail(error);
  std::string name = path;  // the call takes a writable name
  error = SetNamedSecurityInfoA(&name[0], SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                list, nullptr);
  LocalFree(list);
  if (error != ERROR_SUCCESS) return Fail(error);
  return true;
}

bool Win32FileSystem::DeleteFile(const std::string& path) {
  if (win32::HasNul(path)) return Fail(ERROR_INVALID_NAME);
  return Check(DeleteFileA(path.c_str()));
}

bool Win32FileSystem::MoveFile(const std::string& from, const std::string& to) {
  if (win32::HasNul(from) || win32::HasNul(to)) return Fail(ERROR_INVALID_NAME);
  return Check(MoveFileA(from.c_str(), to.c_str()));
}

bool Win32FileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  if (win32::HasNul(from) || win32::HasNul(to)) return Fail(ERROR_INVALID_NAME);
  // Windows refuses to replace a read-only file; Wine would replace it.
  DWORD attributes = GetFileAttributesA(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return Fail(ERROR_ACCESS_DENIED);
  return Check(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

bool Win32FileSystem::DeleteFileAtRestart(const std::string& path) {
  if (win32::HasNul(path)) return Fail(ERROR_INVALID_NAME);
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return Check(FALSE);
  return Check(MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
}

bool Win32FileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  if (win32::HasNul(from) || win32::HasNul(to)) return Fail(ERROR_INVALID_NAME);
  return Check(CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE));
}

std::string Win32FileSystem::GetCurrentDirectory() {
  std::string directory;
  if (!win32::ReadSystemText([](char* buffer, DWORD size) { return GetCurrentDirectoryA(size, buffer); },
                             &directory))
    Fail();
  return directory;
}

bool Win32FileSystem::SetCurrentDirectory(const std::string& path) {
  if (win32::HasNul(path)) return Fail(ERROR_INVALID_NAME);
  return Check(SetCurrentDirectoryA(path.c_str()));
}

DriveType Win32FileSystem::GetDriveType(const std::string& root) {
  if (win32::HasNul(root)) return DriveType::kNoRootDir;
  UINT type = GetDriveTypeA(RootOrNull(root));
  return type <= UINT(DriveType::kRamDisk) ? DriveType(type) : DriveType::kUnknown;
}

bool Win32FileSystem::GetVolumeLabel(const std::string& root, std::string* label) {
  if (win32::HasNul(root)) return Fail(ERROR_INVALID_NAME);
  char name[MAX_PATH + 1] = {};
  if (!GetVolumeInformationA(RootOrNull(root), name, sizeof name, nullptr, nullptr, nullptr, nullptr, 0))
    return Fail();
  *label = name;
  return true;
}

bool Win32FileSystem::GetDiskFreeSpace(const std::string& root, DiskSpace* space) {
  if (win32::HasNul(root)) return Fail(ERROR_INVALID_NAME);
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceA(RootOrNull(root), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
    return Fail();
  space->sectorsPerCluster = sectorsPerCluster;
  space->bytesPerSector = bytesPerSector;
  space->freeClusters = freeClusters;
  space->totalClusters = totalClusters;
  return true;
}

bool Win32FileSystem::GetShortPathName(const std::string& path, std::string* shortPath) {
  if (win32::HasNul(path)) return Fail(ERROR_INVALID_NAME);
  const char* longPath = path.c_str();
  return Check(win32::ReadSystemText(
      [longPath](char* buffer, DWORD size) { return GetShortPathNameA(longPath, buffer, size); }, shortPath));
}

bool Win32FileSystem::GetTempDirectory(std::string* path) {
  std::string directory;
  if (!win32::ReadSystemText([](char* buffer, DWORD size) { return GetTempPathA(size, buffer); }, &directory))
    return Fail();
  if (directory.empty()) return Fail(ERROR_PATH_NOT_FOUND);
  if (directory.back() != '\\') directory += '\\';
  *path = directory;
  return true;
}

}  // namespace quorril
