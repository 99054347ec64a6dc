// The imagined machine of `quorril-pack check` and its command line (see
// check_machine.h).
#include "check_machine.h"

#include <unordered_map>

#include "commands.h"
#include "host_files.h"

#include "package/virtual_file.h"
#include "platform/text.h"

namespace quorril::pack {

namespace {

// "4", "4.0", "3.95", "4.10": a major and a minor version of 0 to 255.
bool ParseVersion(const std::string& text, int* major, int* minor) {
  size_t dot = text.find('.');
  std::string majorText = text.substr(0, dot);
  std::string minorText = dot == std::string::npos ? "0" : text.substr(dot + 1);
  auto digitsOnly = [](const std::string& s) {
    if (s.empty() || s.size() > 3) return false;
    for (char c : s)
      if (!IsAsciiDigit(c)) return false;
    return true;
  };
  if (!digitsOnly(majorText) || !digitsOnly(minorText)) return false;
  *major = ParseInt(majorText);
  *minor = ParseInt(minorText);
  return *major <= 255 && *minor <= 255;
}

// A decimal number of at most 19 digits and at most `limit`.
bool ParseNumber(const std::string& text, uint64_t limit, uint64_t* value) {
  return ParseDecimal(text, limit, value, 19);
}

}  // namespace

bool ParseCheckArguments(const std::vector<std::string>& args, CheckRequest* request, std::string* error) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && arg == "--strict") {
      request->strict = true;
      continue;
    }
    if (optionsEnded || arg.compare(0, 2, "--") != 0) {
      if (!request->script.empty()) {
        *error = "more than one script given";
        return false;
      }
      request->script = arg;
      continue;
    }
    if (i + 1 >= args.size()) {
      *error = arg + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    uint64_t number = 0;
    if (arg == "--winver") {
      if (!ParseVersion(value, &request->winMajor, &request->winMinor)) {
        *error = "--winver takes a version such as 4.0 or 3.95";
        return false;
      }
    } else if (arg == "--dosver") {
      if (!ParseVersion(value, &request->dosMajor, &request->dosMinor)) {
        *error = "--dosver takes a version such as 7.0 or 6.22";
        return false;
      }
    } else if (arg == "--memory") {
      if (!ParseNumber(value, 0xFFFFFFFFu, &number)) {
        *error = "--memory takes a number of kilobytes";
        return false;
      }
      request->memoryKb = uint32_t(number);
    } else if (arg == "--colors") {
      if (!ParseNumber(value, uint64_t(1) << 32, &number) || number < 2 || (number & (number - 1)) != 0) {
        *error = "--colors takes a power of two from 2 to 4294967296";
        return false;
      }
      int bits = 0;
      while ((uint64_t(1) << bits) < number) ++bits;
      request->bitsPerPixel = bits;
    } else if (arg == "--screen") {
      size_t x = value.find_first_of("xX");
      uint64_t w = 0, h = 0;
      if (x == std::string::npos || !ParseNumber(value.substr(0, x), 100000, &w) ||
          !ParseNumber(value.substr(x + 1), 100000, &h) || w == 0 || h == 0) {
        *error = "--screen takes WIDTHxHEIGHT, such as 800x600";
        return false;
      }
      request->width = int32_t(w);
      request->height = int32_t(h);
    } else if (arg == "--file") {
      if (value.size() < 4 || !IsAsciiAlpha(value[0]) || value[1] != ':' || value[2] != '\\' ||
          value.back() == '\\') {
        *error = "--file takes a full Windows path such as C:\\WINDOWS\\WIN.INI";
        return false;
      }
      request->files.push_back(value);
    } else if (arg == "--option") {
      if (request->options.size() >= 3) {
        *error = "at most three --option values";
        return false;
      }
      request->options.push_back(value);
    } else {
      *error = "unknown option " + arg;
      return false;
    }
  }
  if (request->script.empty()) {
    *error = "no script given";
    return false;
  }
  return true;
}

void LoadCheckFolder(const std::filesystem::path& folder, const std::filesystem::path& skipped, CheckPackage* package) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
  size_t entries = 0;
  for (; !ec && it != end && entries < kMaxFolderEntries; it.increment(ec), ++entries) {
    std::error_code fileError;
    if (!it->is_regular_file(fileError)) continue;
    if (fs::equivalent(it->path(), skipped, fileError)) continue;
    std::string name = it->path().lexically_relative(folder).generic_string();
    for (char& c : name)
      if (c == '/') c = '\\';
    CheckFile file;
    file.name = name;
    file.hostPath = it->path().string();
    HostModified(nullptr, it->path().string(), &file.modified);
    package->files.push_back(std::move(file));
  }
}

void BuildCheckMachine(const CheckRequest& request, const CheckPackage& package, MemoryFileSystem* files,
                              MemoryMachine* machine) {
  files->AddDrive('C', DriveType::kFixed, "", uint64_t(2000) * 1024 * 1024);
  files->AddDirectory("C:\\WINDOWS\\SYSTEM");
  files->AddDirectory("C:\\WINDOWS\\TEMP");
  files->AddDirectory(kCheckSourceDirectory);
  for (const CheckFile& file : package.files) {
    std::string path = std::string(kCheckSourceDirectory) + "\\" + file.name;
    size_t cut = path.rfind('\\');
    files->AddDirectory(path.substr(0, cut));
    files->AddFile(path, file.contents, kAttrArchive, file.modified);
  }
  for (const std::string& path : request.files) {
    char drive = AsciiUpper(path[0]);
    if (files->GetDriveType(std::string(1, drive) + ":\\") == DriveType::kNoRootDir)
      files->AddDrive(drive, DriveType::kFixed);
    size_t cut = path.rfind('\\');
    if (cut > 2) files->AddDirectory(path.substr(0, cut));
    files->AddFile(path, "");
  }
  files->SetCurrentDirectory(kCheckSourceDirectory);
  machine->SetVersions(request.winMajor, request.winMinor, request.dosMajor, request.dosMinor);
  machine->memory = request.memoryKb > 0xFFFFFFFFu / 1024 ? 0xFFFFFFFFu : request.memoryKb * 1024;
  machine->display = DisplayFacts{request.bitsPerPixel, 1, request.width, request.height};
  machine->windowsDirectory = "C:\\WINDOWS";
  machine->systemDirectory = "C:\\WINDOWS\\SYSTEM";
  machine->executablePath = std::string(kCheckSourceDirectory) + "\\SETUP.EXE";
}

namespace {

// The checked machine's file system, reading a file of the script's folder
// from the host only when the check opens it (or copies or moves it): a
// folder of many large files costs nothing until a test asks for one. A
// file that is written, replaced or deleted first is never read.
class LazyFolder : public FileSystem {
 public:
  LazyFolder(MemoryFileSystem& files, const CheckPackage& package) : files_(files) {
    for (const CheckFile& file : package.files)
      if (!file.hostPath.empty())
        pending_[AsciiUpperCopy(files_.Resolve(std::string(kCheckSourceDirectory) + "\\" + file.name))] =
            file.hostPath;
  }

  std::unique_ptr<FileHandle> Open(const std::string& path, OpenMode mode) override {
    if (mode == OpenMode::kCreate) Forget(path); else Load(path);
    return files_.Open(path, mode);
  }
  bool Find(const std::string& pattern, std::vector<FindEntry>* entries) override {
    return files_.Find(pattern, entries);
  }
  uint32_t GetAttributes(const std::string& path) override { return files_.GetAttributes(path); }
  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    return files_.SetAttributes(path, attributes);
  }
  bool GetModified(const std::string& path, DosDateTime* when) override { return files_.GetModified(path, when); }
  bool SetModified(const std::string& path, DosDateTime when) override { return files_.SetModified(path, when); }
  bool CreateDirectory(const std::string& path) override { return files_.CreateDirectory(path); }
  bool RemoveDirectory(const std::string& path) override { return files_.RemoveDirectory(path); }
  bool ProtectDirectory(const std::string& path) override { return files_.ProtectDirectory(path); }
  bool DeleteFile(const std::string& path) override {
    bool deleted = files_.DeleteFile(path);
    if (deleted) Forget(path);
    return deleted;
  }
  bool MoveFile(const std::string& from, const std::string& to) override {
    Load(from);
    Forget(to);
    return files_.MoveFile(from, to);
  }
  bool ReplaceFile(const std::string& from, const std::string& to) override {
    Load(from);
    Forget(to);
    return files_.ReplaceFile(from, to);
  }
  bool DeleteFileAtRestart(const std::string& path) override { return files_.DeleteFileAtRestart(path); }
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
    Load(from);
    if (!failIfExists) Forget(to);
    return files_.CopyFile(from, to, failIfExists);
  }
  std::string GetCurrentDirectory() override { return files_.GetCurrentDirectory(); }
  bool SetCurrentDirectory(const std::string& path) override { return files_.SetCurrentDirectory(path); }
  DriveType GetDriveType(const std::string& root) override { return files_.GetDriveType(root); }
  bool GetVolumeLabel(const std::string& root, std::string* label) override {
    return files_.GetVolumeLabel(root, label);
  }
  bool GetDiskFreeSpace(const std::string& root, DiskSpace* space) override {
    return files_.GetDiskFreeSpace(root, space);
  }
  bool GetShortPathName(const std::string& path, std::string* shortPath) override {
    return files_.GetShortPathName(path, shortPath);
  }
  bool GetTempDirectory(std::string* path) override { return files_.GetTempDirectory(path); }
  uint32_t LastError() const override { return files_.LastError(); }

  // Host files read so far, for tests.
  size_t Loaded() const { return loaded_; }

 private:
  // Reads the host file behind `path` into its empty placeholder, once.
  void Load(const std::string& path) {
    auto it = pending_.find(AsciiUpperCopy(files_.Resolve(path)));
    if (it == pending_.end()) return;
    std::string contents;
    const std::string resolved = files_.Resolve(path);
    DosDateTime when;
    files_.GetModified(resolved, &when);
    uint32_t attributes = files_.GetAttributes(resolved);
    if (ReadHostFile(nullptr, it->second, &contents, kMaxLoadedFileSize) && !contents.empty())
      files_.AddFile(resolved, contents, attributes, when);
    ++loaded_;
    pending_.erase(it);
  }
  void Forget(const std::string& path) { pending_.erase(AsciiUpperCopy(files_.Resolve(path))); }

  MemoryFileSystem& files_;
  std::unordered_map<std::string, std::string> pending_;  // upper-case path on the machine -> host path
  size_t loaded_ = 0;
};

}  // namespace

CheckResult RunScriptCheck(const CheckRequest& request, const CheckPackage& package) {
  if (!package.scriptReadable) return CheckResult{kCheckUnreadable, UnreadableScriptLine(request.script)};
  MemoryFileSystem memory;
  MemoryMachine machine;
  ScriptedUserInterface ui;
  BuildCheckMachine(request, package, &memory, &machine);
  LazyFolder files(memory, package);
  VirtualFileSystem archive(&files);
  ScriptState state;
  ScriptContext ctx{state, files, machine, ui, archive};
  CheckInput input;
  input.shownName = request.script;
  input.sourceDirectory = kCheckSourceDirectory;
  input.scriptName = package.scriptName;
  input.options = request.options;
  input.strict = request.strict;
  return CheckScript(ctx, input);
}

}  // namespace quorril::pack
