// The in-memory file system: a tree of nodes per drive.
#include "platform/memory/memory_file_system.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"
#include "platform/windows_path.h"

namespace quorril {

// What a handle open on a file may change besides its bytes.
struct FileInfo {
  uint32_t attributes = kAttrArchive;
  DosDateTime modified{0x5A21, 0x6000};
};

// SetFileAttributes' rules: the directory bit cannot be set or cleared, and
// NORMAL stands alone (no bits at all on a file means NORMAL).
static uint32_t NewAttributes(uint32_t attributes, bool directory) {
  uint32_t keep = directory ? uint32_t(kAttrDirectory) : 0u;
  attributes &= ~uint32_t(kAttrDirectory);
  if (!directory && (attributes & ~uint32_t(kAttrNormal)) == 0) attributes = kAttrNormal;
  if (attributes & ~uint32_t(kAttrNormal)) attributes &= ~uint32_t(kAttrNormal);
  return attributes | keep;
}

struct MemoryFileSystem::Node {
  std::string name;
  bool directory = false;
  // Shared with the handles open on the file, which may set them.
  std::shared_ptr<FileInfo> info = std::make_shared<FileInfo>();
  std::shared_ptr<std::string> data = std::make_shared<std::string>();
  std::vector<std::unique_ptr<Node>> children;  // in creation order
  bool protectedAccess = false;  // given the protected access list
  Node* parent = nullptr;

  Node* Child(std::string_view childName) const {
    for (const auto& c : children)
      if (EqualsNoCase(c->name, childName)) return c.get();
    return nullptr;
  }
};

struct MemoryFileSystem::Drive {
  DriveType type = DriveType::kFixed;
  std::string label;
  uint64_t freeBytes = 0;
  Node root;
};

namespace {

// Win32 error numbers that only this fake's callers see, for diagnosis.
constexpr uint32_t kErrorDirNotEmpty = 145;

class MemoryFileHandle : public FileHandle {
 public:
  MemoryFileHandle(std::shared_ptr<std::string> data, std::shared_ptr<FileInfo> info, OpenMode mode)
      : data_(std::move(data)), info_(std::move(info)), mode_(mode) {}
  int32_t Read(void* buffer, uint32_t count) override {
    if (mode_ == OpenMode::kCreate || mode_ == OpenMode::kCreateNew || mode_ == OpenMode::kAppend) return -1;
    if (position_ >= data_->size()) return 0;
    size_t n = std::min<size_t>(count, data_->size() - position_);
    if (n > 0x7FFFFFFF) n = 0x7FFFFFFF;
    std::memcpy(buffer, data_->data() + position_, n);
    position_ += n;
    return int32_t(n);
  }
  int32_t Write(const void* buffer, uint32_t count) override {
    if (mode_ == OpenMode::kRead) return -1;
    if (count > 0x7FFFFFFF) count = 0x7FFFFFFF;
    if (mode_ == OpenMode::kAppend) position_ = data_->size();
    if (data_->size() < position_ + count) data_->resize(position_ + count);
    std::memcpy(&(*data_)[position_], buffer, count);
    position_ += count;
    return int32_t(count);
  }
  int64_t Seek(int64_t offset, int origin) override {
    int64_t base = origin == 0 ? int64_t(0) : origin == 1 ? int64_t(position_) : int64_t(data_->size());
    if (origin < 0 || origin > 2 || base + offset < 0) return -1;
    position_ = size_t(base + offset);
    return int64_t(position_);
  }
  int64_t Size() override { return int64_t(data_->size()); }
  bool SetModifiedAndAttributes(DosDateTime when, uint32_t attributes) override {
    if (mode_ == OpenMode::kRead) return false;
    info_->modified = when;
    info_->attributes = NewAttributes(attributes, false);
    return true;
  }

 private:
  std::shared_ptr<std::string> data_;
  std::shared_ptr<FileInfo> info_;
  OpenMode mode_;
  size_t position_ = 0;
};

// Windows wildcard matching: * any run, ? any one character; a pattern that
// ends in ".*" also matches a name without a dot.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*" || pattern == "*") return true;
  size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || AsciiUpper(pattern[p]) == AsciiUpper(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  if (p + 2 == pattern.size() && pattern[p] == '.' && pattern[p + 1] == '*') return true;
  if (p + 1 == pattern.size() && pattern[p] == '.') return true;
  return p == pattern.size();
}

bool IsValidName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name)
    if (std::strchr("<>:\"|?*", c) || (unsigned char)c < 32) return false;
  return true;
}

// True when a component after the drive holds a character that no name may
// hold: such a path is an invalid name whatever exists.
bool HasInvalidCharacters(const std::string& absolute) {
  for (size_t i = 2; i < absolute.size(); ++i)
    if (std::strchr("<>:\"|?*", absolute[i]) || (unsigned char)absolute[i] < 32) return true;
  return false;
}

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

// Find lists entries in the order NTFS keeps them: by their names in upper
// case, byte by byte.
bool NameOrder(const FindEntry& a, const FindEntry& b) {
  return AsciiUpperCopy(a.name) < AsciiUpperCopy(b.name);
}

}  // namespace

MemoryFileSystem::MemoryFileSystem() {
  AddDrive('C', DriveType::kFixed, "");
}

MemoryFileSystem::~MemoryFileSystem() = default;

bool MemoryFileSystem::Fail(uint32_t error) {
  lastError_ = error;
  return false;
}

void MemoryFileSystem::AddDrive(char letter, DriveType type, const std::string& label, uint64_t freeBytes) {
  letter = AsciiUpper(letter);
  auto drive = std::make_unique<Drive>();
  drive->type = type;
  drive->label = label;
  drive->freeBytes = freeBytes;
  drive->root.directory = true;
  drive->root.info->attributes = kAttrDirectory;
  drive->root.name = std::string(1, letter) + ":";
  drives_[letter] = std::move(drive);
}

void MemoryFileSystem::RemoveDrive(char letter) { drives_.erase(AsciiUpper(letter)); }

void MemoryFileSystem::SetDriveFreeSpace(char letter, uint64_t freeBytes) {
  auto it = drives_.find(AsciiUpper(letter));
  if (it != drives_.end()) it->second->freeBytes = freeBytes;
}

void MemoryFileSystem::SetDriveLabel(char letter, const std::string& label) {
  auto it = drives_.find(AsciiUpper(letter));
  if (it != drives_.end()) it->second->label = label;
}

std::string MemoryFileSystem::Resolve(const std::string& path) const { return ResolvePath(currentDirectory_, path); }

MemoryFileSystem::Node* MemoryFileSystem::Lookup(const std::string& absolute) const {
  if (absolute.size() < 3) return nullptr;
  auto it = drives_.find(AsciiUpper(absolute[0]));
  if (it == drives_.end()) return nullptr;
  Node* node = &it->second->root;
  for (const std::string& part : PathComponents(absolute.substr(2))) {
    if (!node->directory) return nullptr;
    Node* child = node->Child(part);
    // A name may also be given by its 8.3 alias, which always holds a "~".
    if (!child && part.find('~') != std::string::npos) {
      for (const auto& c : node->children)
        if (EqualsNoCase(ShortNameFor(*node, c->name), part)) child = c.get();
    }
    if (!child) return nullptr;
    node = child;
  }
  return node;
}

MemoryFileSystem::Node* MemoryFileSystem::Parent(const std::string& absolute) const {
  size_t cut = absolute.find_last_of('\\');
  if (cut == std::string::npos || cut < 2) return nullptr;
  std::string parent = absolute.substr(0, cut);
  if (parent.size() == 2) parent += "\\";
  return Lookup(parent);
}

MemoryFileSystem::Node* MemoryFileSystem::LookupPath(const std::string& path, std::string* absolute,
                                                     uint32_t* error) const {
  std::string abs = Resolve(path);
  if (absolute) *absolute = abs;
  Node* node = abs.empty() ? nullptr : Lookup(abs);
  if (node && EndsWithSeparator(path) && !node->directory) node = nullptr;  // "FILE\" names no directory
  if (!node) {
    Node* parent = abs.empty() || EndsWithSeparator(path) ? nullptr : Parent(abs);
    *error = parent && parent->directory ? kErrorFileNotFound : kErrorPathNotFound;
  }
  return node;
}

static std::string LastComponent(const std::string& absolute) {
  size_t cut = absolute.find_last_of('\\');
  return cut == std::string::npos ? absolute : absolute.substr(cut + 1);
}

bool MemoryFileSystem::AddDirectory(const std::string& path) {
  std::string abs = Resolve(path);
  if (abs.empty() || !drives_.count(AsciiUpper(abs[0]))) return false;
  Node* node = &drives_[AsciiUpper(abs[0])]->root;
  for (const std::string& part : PathComponents(abs.substr(2))) {
    Node* child = node->Child(part);
    if (!child) {
      auto created = std::make_unique<Node>();
      created->name = part;
      created->directory = true;
      created->info->attributes = kAttrDirectory;
      created->parent = node;
      child = created.get();
      node->children.push_back(std::move(created));
    }
    if (!child->directory) return false;
    node = child;
  }
  return true;
}

bool MemoryFileSystem::AddFile(const std::string& path, const std::string& contents, uint32_t attributes,
                               DosDateTime modified) {
  std::string abs = Resolve(path);
  size_t cut = abs.find_last_of('\\');
  if (abs.empty() || cut == std::string::npos) return false;
  if (!AddDirectory(cut == 2 ? abs.substr(0, 3) : abs.substr(0, cut))) return false;
  Node* parent = Parent(abs);
  std::string name = LastComponent(abs);
  Node* node = parent->Child(name);
  if (node && node->directory) return false;
  if (!node) {
    auto created = std::make_unique<Node>();
    created->name = name;
    created->parent = parent;
    node = created.get();
    parent->children.push_back(std::move(created));
  }
  node->data = std::make_shared<std::string>(contents);
  node->info->attributes = attributes;
  node->info->modified = modified;
  return true;
}

bool MemoryFileSystem::ReadWholeFile(const std::string& path, std::string* contents) const {
  Node* node = Lookup(Resolve(path));
  if (!node || node->directory) return false;
  *contents = *node->data;
  return true;
}

bool MemoryFileSystem::Exists(const std::string& path) const { return Lookup(Resolve(path)) != nullptr; }

std::vector<std::string> MemoryFileSystem::List() const {
  std::vector<std::string> out;
  struct Walker {
    static void Walk(const Node& node, const std::string& path, std::vector<std::string>& out) {
      for (const auto& c : node.children) {
        std::string p = path + "\\" + c->name;
        out.push_back(c->directory ? p + "\\" : p);
        if (c->directory) Walk(*c, p, out);
      }
    }
  };
  for (const auto& [letter, drive] : drives_) Walker::Walk(drive->root, std::string(1, letter) + ":", out);
  std::sort(out.begin(), out.end());
  return out;
}

std::unique_ptr<FileHandle> MemoryFileSystem::Open(const std::string& path, OpenMode mode) {
  std::string abs;
  uint32_t missing = 0;
  Node* node = LookupPath(path, &abs, &missing);
  if (!abs.empty() && HasInvalidCharacters(abs)) {
    Fail(kErrorInvalidName);
    return nullptr;
  }
  if (mode == OpenMode::kRead || mode == OpenMode::kReadWrite) {
    if (!node) {
      Fail(missing);
      return nullptr;
    }
    if (node->directory || (mode == OpenMode::kReadWrite && (node->info->attributes & kAttrReadOnly))) {
      Fail(kErrorAccessDenied);
      return nullptr;
    }
    return std::make_unique<MemoryFileHandle>(node->data, node->info, mode);
  }
  if (node && mode == OpenMode::kCreateNew) {
    Fail(node->directory ? kErrorAccessDenied : kErrorFileExists);
    return nullptr;
  }
  if (!node) {
    Node* parent = abs.empty() ? nullptr : Parent(abs);
    std::string name = LastComponent(abs);
    if (!parent || !parent->directory) {
      Fail(kErrorPathNotFound);
      return nullptr;
    }
    if (!IsValidName(name)) {
      Fail(kErrorInvalidName);
      return nullptr;
    }
    auto created = std::make_unique<Node>();
    created->name = name;
    created->parent = parent;
    node = created.get();
    parent->children.push_back(std::move(created));
  } else if (node->directory || (node->info->attributes & kAttrReadOnly)) {
    Fail(kErrorAccessDenied);
    return nullptr;
  } else if (mode == OpenMode::kCreate) {
    node->data = std::make_shared<std::string>();
  }
  return std::make_unique<MemoryFileHandle>(node->data, node->info, mode);
}

bool MemoryFileSystem::Find(const std::string& pattern, std::vector<FindEntry>* entries) {
  entries->clear();
  std::string abs = Resolve(pattern);
  if (abs.empty()) return Fail(kErrorInvalidName);
  // The last component is the pattern; a trailing "\" in the request makes
  // the pattern empty, which matches nothing.
  if (!pattern.empty() && (pattern.back() == '\\' || pattern.back() == '/')) return Fail(kErrorFileNotFound);
  size_t cut = abs.find_last_of('\\');
  std::string dirPath = cut == 2 ? abs.substr(0, 3) : abs.substr(0, cut);
  std::string namePattern = abs.substr(cut + 1);
  if (namePattern.empty()) return Fail(kErrorFileNotFound);
  Node* dir = Lookup(dirPath);
  if (!dir || !dir->directory) return Fail(kErrorPathNotFound);
  auto add = [&](const std::string& name, const Node& node) {
    FindEntry e;
    e.name = name;
    e.attributes = node.info->attributes;
    e.size = node.directory ? 0 : node.data->size();
    e.modified = node.info->modified;
    entries->push_back(e);
  };
  if (dir->parent) {
    if (WildcardMatch(namePattern, ".")) add(".", *dir);
    if (WildcardMatch(namePattern, "..")) add("..", *dir->parent);
  }
  const size_t dotEntries = entries->size();
  for (const auto& c : dir->children) {
    std::string shortName = ShortNameFor(*dir, c->name);
    if (WildcardMatch(namePattern, c->name) || EqualsNoCase(namePattern, shortName) ||
        (namePattern.find_first_of("*?") != std::string::npos && WildcardMatch(namePattern, shortName))) {
      add(c->name, *c);
      if (!EqualsNoCase(shortName, c->name)) entries->back().shortName = shortName;
    }
  }
  if (entries->empty()) return Fail(kErrorFileNotFound);
  std::sort(entries->begin() + std::ptrdiff_t(dotEntries), entries->end(), NameOrder);
  return true;
}

uint32_t MemoryFileSystem::GetAttributes(const std::string& path) {
  uint32_t missing = 0;
  Node* node = LookupPath(path, nullptr, &missing);
  if (!node) {
    Fail(missing);
    return kInvalidAttributes;
  }
  return node->info->attributes;
}

bool MemoryFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  uint32_t missing = 0;
  Node* node = LookupPath(path, nullptr, &missing);
  if (!node) return Fail(missing);
  node->info->attributes = NewAttributes(attributes, node->directory);
  return true;
}

bool MemoryFileSystem::GetModified(const std::string& path, DosDateTime* when) {
  uint32_t missing = 0;
  Node* node = LookupPath(path, nullptr, &missing);
  if (!node || node->directory) return Fail(node ? kErrorAccessDenied : missing);
  *when = node->info->modified;
  return true;
}

bool MemoryFileSystem::SetModified(const std::string& path, DosDateTime when) {
  uint32_t missing = 0;
  Node* node = LookupPath(path, nullptr, &missing);
  if (!node || node->directory) return Fail(node ? kErrorAccessDenied : missing);
  if (node->info->attributes & kAttrReadOnly) return Fail(kErrorAccessDenied);
  node->info->modified = when;
  return true;
}

bool MemoryFileSystem::CreateDirectory(const std::string& path) {
  std::string abs = Resolve(path);
  if (abs.empty()) return Fail(kErrorInvalidName);
  if (Lookup(abs)) return Fail(kErrorAlreadyExists);
  Node* parent = Parent(abs);
  if (!parent || !parent->directory) return Fail(kErrorPathNotFound);
  std::string name = LastComponent(abs);
  if (!IsValidName(name)) return Fail(kErrorInvalidName);
  auto created = std::make_unique<Node>();
  created->name = name;
  created->directory = true;
  created->info->attributes = kAttrDirectory;
  created->parent = parent;
  parent->children.push_back(std::move(created));
  return true;
}

static bool Contains(const std::string& outer, const std::string& inner) {
  return EqualsNoCase(outer, inner) || StartsWithNoCase(inner, outer + "\\");
}

bool MemoryFileSystem::RemoveDirectory(const std::string& path) {
  std::string abs;
  uint32_t missing = 0;
  Node* node = LookupPath(path, &abs, &missing);
  if (!node) return Fail(missing);
  if (!node->directory) return Fail(kErrorDirectory);
  if (!node->parent) return Fail(kErrorAccessDenied);
  if (!node->children.empty()) return Fail(kErrorDirNotEmpty);
  if (Contains(abs, currentDirectory_)) return Fail(kErrorSharingViolation);
  auto& siblings = node->parent->children;
  siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                [node](const std::unique_ptr<Node>& n) { return n.get() == node; }),
                 siblings.end());
  return true;
}

bool MemoryFileSystem::ProtectDirectory(const std::string& path) {
  std::string abs;
  uint32_t missing = 0;
  Node* node = LookupPath(path, &abs, &missing);
  if (!node) return Fail(missing);
  if (!node->directory) return Fail(kErrorDirectory);
  if (!keepsAccessLists_) return Fail(kErrorNotSupported);
  node->protectedAccess = true;
  return true;
}

bool MemoryFileSystem::IsProtected(const std::string& path) const {
  Node* node = Lookup(Resolve(path));
  return node && node->protectedAccess;
}

void MemoryFileSystem::SetInUse(const std::string& path, bool inUse) {
  std::string absolute = AsciiUpperCopy(Resolve(path));
  inUse_.erase(std::remove(inUse_.begin(), inUse_.end(), absolute), inUse_.end());
  if (inUse) inUse_.push_back(absolute);
}

bool MemoryFileSystem::DeleteFile(const std::string& path) {
  uint32_t missing = 0;
  std::string absolute;
  Node* node = LookupPath(path, &absolute, &missing);
  if (!node) return Fail(missing);
  if (std::find(inUse_.begin(), inUse_.end(), AsciiUpperCopy(absolute)) != inUse_.end())
    return Fail(kErrorSharingViolation);
  if (node->directory || (node->info->attributes & kAttrReadOnly)) return Fail(kErrorAccessDenied);
  auto& siblings = node->parent->children;
  siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                [node](const std::unique_ptr<Node>& n) { return n.get() == node; }),
                 siblings.end());
  return true;
}

bool MemoryFileSystem::MoveFile(const std::string& from, const std::string& to) {
  std::string src, dst = Resolve(to);
  uint32_t missing = 0;
  Node* node = LookupPath(from, &src, &missing);
  if (!node) return Fail(missing);
  if (!node->parent) return Fail(kErrorAccessDenied);
  Node* existing = Lookup(dst);
  if (existing && existing != node) return Fail(kErrorAlreadyExists);
  Node* parent = Parent(dst);
  if (!parent || !parent->directory) return Fail(kErrorPathNotFound);
  if (node->directory && Contains(src, dst) && !EqualsNoCase(src, dst)) return Fail(kErrorAccessDenied);
  std::string name = LastComponent(dst);
  if (!IsValidName(name)) return Fail(kErrorInvalidName);
  auto& siblings = node->parent->children;
  auto it = std::find_if(siblings.begin(), siblings.end(),
                         [node](const std::unique_ptr<Node>& n) { return n.get() == node; });
  std::unique_ptr<Node> owned = std::move(*it);
  siblings.erase(it);
  owned->name = name;
  owned->parent = parent;
  parent->children.push_back(std::move(owned));
  return true;
}

bool MemoryFileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  std::string src, dst = Resolve(to);
  uint32_t missing = 0;
  Node* node = LookupPath(from, &src, &missing);
  if (!node) return Fail(missing);
  if (node->directory) return Fail(kErrorAccessDenied);
  Node* existing = Lookup(dst);
  if (existing && existing != node) {
    if (existing->directory || (existing->info->attributes & kAttrReadOnly)) return Fail(kErrorAccessDenied);
    if (!DeleteFile(dst)) return false;
  }
  return MoveFile(src, dst);
}

bool MemoryFileSystem::DeleteFileAtRestart(const std::string& path) {
  uint32_t missing = 0;
  std::string absolute;
  Node* node = LookupPath(path, &absolute, &missing);
  if (!node) return Fail(missing);
  if (node->directory) return Fail(kErrorAccessDenied);
  deletedAtRestart_.push_back(absolute);
  return true;
}

bool MemoryFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  uint32_t missing = 0;
  Node* node = LookupPath(from, nullptr, &missing);
  if (!node) return Fail(missing);
  if (node->directory) return Fail(kErrorAccessDenied);
  std::string dst = Resolve(to);
  Node* existing = Lookup(dst);
  if (existing && failIfExists) return Fail(kErrorFileExists);
  if (existing && (existing->directory || (existing->info->attributes & kAttrReadOnly))) return Fail(kErrorAccessDenied);
  Node* parent = Parent(dst);
  if (!parent || !parent->directory) return Fail(kErrorPathNotFound);
  std::string contents = *node->data;
  uint32_t attributes = node->info->attributes | kAttrArchive;
  DosDateTime when = node->info->modified;
  return AddFile(dst, contents, attributes, when) || Fail(kErrorAccessDenied);
}

std::string MemoryFileSystem::GetCurrentDirectory() { return currentDirectory_; }

bool MemoryFileSystem::SetCurrentDirectory(const std::string& path) {
  std::string abs;
  uint32_t missing = 0;
  Node* node = LookupPath(path, &abs, &missing);
  if (!node) return Fail(missing);
  if (!node->directory) return Fail(kErrorDirectory);
  // The system keeps the path in the case it was given in, drive letter
  // included, with "." and ".." resolved and no trailing "\" (but a root's).
  if (path.size() >= 2 && path[1] == ':') abs[0] = path[0];
  currentDirectory_ = abs;
  return true;
}

DriveType MemoryFileSystem::GetDriveType(const std::string& root) {
  char letter = root.empty() ? currentDirectory_[0] : root[0];
  if (!root.empty() && (root.size() < 2 || root[1] != ':')) return DriveType::kNoRootDir;
  auto it = drives_.find(AsciiUpper(letter));
  return it == drives_.end() ? DriveType::kNoRootDir : it->second->type;
}

MemoryFileSystem::Drive* MemoryFileSystem::RootDrive(const std::string& root) const {
  if (!root.empty() && (root.size() < 2 || root[1] != ':')) return nullptr;
  auto it = drives_.find(AsciiUpper(root.empty() ? currentDirectory_[0] : root[0]));
  return it == drives_.end() ? nullptr : it->second.get();
}

bool MemoryFileSystem::GetVolumeLabel(const std::string& root, std::string* label) {
  Drive* drive = RootDrive(root);
  if (!drive) return Fail(kErrorPathNotFound);
  *label = drive->label;
  return true;
}

bool MemoryFileSystem::GetDiskFreeSpace(const std::string& root, DiskSpace* space) {
  Drive* drive = RootDrive(root);
  if (!drive) return Fail(kErrorPathNotFound);
  space->sectorsPerCluster = 8;
  space->bytesPerSector = 512;
  uint64_t clusters = drive->freeBytes / 4096;
  space->freeClusters = clusters > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(clusters);
  space->totalClusters = space->freeClusters;
  return true;
}

// The 8.3 alias of a name: the name itself when it already is one, else the
// first six legal characters of the base, "~" and a number, and the first
// three characters of the extension.
std::string MemoryFileSystem::ShortNameFor(const Node& dir, const std::string& name) const {
  auto legal = [](char c) { return c != ' ' && c != '.' && c != '+' && c != ',' && c != ';' && c != '=' && c != '[' && c != ']'; };
  size_t dot = name.find_last_of('.');
  std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  bool fits = !base.empty() && base.size() <= 8 && ext.size() <= 3 && name.find(' ') == std::string::npos &&
              std::count(name.begin(), name.end(), '.') <= 1 &&
              std::all_of(base.begin(), base.end(), legal) && std::all_of(ext.begin(), ext.end(), legal);
  if (fits || name == "." || name == "..") return name;
  std::string stem;
  for (char c : base)
    if (legal(c) && stem.size() < 6) stem += AsciiUpper(c);
  std::string shortExt;
  for (char c : ext)
    if (legal(c) && shortExt.size() < 3) shortExt += AsciiUpper(c);
  // Number the alias by the names before it in the directory that share it.
  int number = 1;
  for (const auto& c : dir.children) {
    if (c->name == name) break;
    size_t d = c->name.find_last_of('.');
    std::string b = d == std::string::npos ? c->name : c->name.substr(0, d);
    std::string s;
    for (char ch : b)
      if (legal(ch) && s.size() < 6) s += AsciiUpper(ch);
    if (s == stem) ++number;
  }
  std::string alias = stem + "~" + std::to_string(number);
  return shortExt.empty() ? alias : alias + "." + shortExt;
}

bool MemoryFileSystem::GetShortPathName(const std::string& path, std::string* shortPath) {
  std::string abs;
  uint32_t missing = 0;
  Node* node = LookupPath(path, &abs, &missing);
  if (!node) return Fail(kErrorFileNotFound);  // whichever component is missing
  std::vector<const Node*> chain;
  for (const Node* n = node; n->parent; n = n->parent) chain.push_back(n);
  std::string out = abs.substr(0, 2);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) out += "\\" + ShortNameFor(*(*it)->parent, (*it)->name);
  if (chain.empty() || (!path.empty() && path.back() == '\\')) out += "\\";
  *shortPath = out;
  return true;
}

bool MemoryFileSystem::GetTempDirectory(std::string* path) {
  if (tempDirectory_.empty()) return Fail(kErrorPathNotFound);
  *path = tempDirectory_;
  return true;
}

}  // namespace quorril
