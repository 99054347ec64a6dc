// File installation (see file_install.h), organised as:
//  - path helpers (absolute names, directory and file parts, roots);
//  - SourcePath and the outside decompressors' command lines;
//  - InstallFileEntry: the destination directory, then the file loop;
//  - InstallOneFile: the container offer, the overwrite decision, the copy;
//  - RenameEntry and DeleteEntry with their wildcard forms.
#include "package/file_install.h"

#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "journal/journal.h"
#include "package/virtual_file.h"
#include "platform/text.h"
#include "model/variables.h"
#include "shell/setup_context.h"
#include "system/component_versions.h"

namespace quorril {

// ---- path helpers -----------------------------------------------------------------

namespace {

// A name that begins with "\" or has ":" as its second character.
bool IsAbsoluteName(const std::string& name) {
  return (!name.empty() && name[0] == '\\') || (name.size() >= 2 && name[1] == ':');
}

bool EndsWithBackslash(const std::string& path) { return !path.empty() && path.back() == '\\'; }

std::string JoinPath(const std::string& directory, const std::string& name) {
  return EndsWithBackslash(directory) ? directory + name : directory + "\\" + name;
}

// The file name of a path: what follows its last backslash, or its drive.
std::string FileNamePart(const std::string& path) {
  size_t cut = path.find_last_of('\\');
  if (cut != std::string::npos) return path.substr(cut + 1);
  if (path.size() >= 2 && path[1] == ':') return path.substr(2);
  return path;
}

// The directory to make current for a wildcard in `name`: the part before
// its last backslash, where a drive root stays a root ("C:\", "\") so that
// the root itself is searched and not the drive's current directory. Empty
// when the name has no directory part.
std::string WildcardDirectory(const std::string& name) {
  size_t cut = name.find_last_of('\\');
  if (cut == std::string::npos) return std::string();
  if (cut == 0) return "\\";
  if (cut == 2 && name[1] == ':') return name.substr(0, 3);
  return name.substr(0, cut);
}

// True when two paths are spelled alike (without regard to case and to
// doubled backslashes): renaming or copying such a file onto itself would
// first destroy it.
bool SamePath(const std::string& a, const std::string& b) {
  auto squeeze = [](const std::string& s) {
    std::string out;
    for (char c : s)
      if (!(c == '\\' && EndsWithBackslash(out))) out += AsciiUpper(c);
    return out;
  };
  return squeeze(a) == squeeze(b);
}

void ShowCopyError(SetupContext& ctx, const std::string& text) {
  ctx.ShowMessage(text, std::nullopt, kMbOk | kMbIconWarning);
}

void ShowFileNotFound(SetupContext& ctx, const std::string& sourcePath) {
  ctx.ShowMessage(ctx.Prompt(PromptId::kFileNotFound) + sourcePath + ". ", std::string(" "), kMbOk | kMbIconWarning);
}

}  // namespace

// ---- source paths and command lines ---------------------------------------------------

std::string SourcePath(SetupContext& ctx, const FileEntry& entry, const std::string& fileName) {
  const std::string& sourceDir = ctx.variables.sourceDir;
  std::string path;
  switch (entry.sourceKind) {
    case 2:  // drive-qualified, or a variable
      path = entry.sourceDirectory;
      if (!path.empty() && path[0] == '$') ExpandVariables(ctx.variables, &path);
      if (!EndsWithBackslash(path)) path += '\\';
      break;
    case 1:  // from the root of the source drive
      path = sourceDir.substr(0, 2) + entry.sourceDirectory + "\\";
      break;
    default:  // below the source directory (stored with "\" in front)
      path = sourceDir;
      if (entry.sourceGiven) path += entry.sourceDirectory;
      if (!EndsWithBackslash(path)) path += '\\';
      break;
  }
  return path + fileName;
}

std::string DecompressorCommandLine(int32_t tool, int32_t compression, OverwritePolicy policy,
                                    const std::string& source, const std::string& destination) {
  // With SELF-EXTRACT no tool is named: the source file is the program.
  std::string line = "dosshell.pif /C ";
  if (tool == 0) {
    if (compression == 1) line += "pkunzip ";
    line += source + " -d ";
    if (policy == OverwritePolicy::kYes) line += "-o ";
    if (policy == OverwritePolicy::kNew) line += "-n ";
  } else {
    if (compression == 1) {
      line += "lha x ";
      if (policy == OverwritePolicy::kYes) line += "/c1 ";
    }
    line += source + " ";
  }
  return line + destination + "\\";
}

// ---- FILE entries -------------------------------------------------------------------

namespace {

class FileLoop {
 public:
  FileLoop(SetupContext& ctx, CopyHost& host, const FileEntry& entry, const std::string& pattern,
           const std::string& destination)
      : ctx_(ctx), host_(host), entry_(entry), pattern_(pattern), destination_(destination) {}

  int Run();

 private:
  bool FindSources(std::vector<FindEntry>* found);
  int InstallFound(const std::string& name);
  int InstallPlain(const std::string& name, const std::string& source);

  SetupContext& ctx_;
  CopyHost& host_;
  const FileEntry& entry_;
  const std::string pattern_;
  const std::string destination_;
};

// Finds the sources of the pattern, asking for the next disk while none is
// there. False when the installation must stop.
bool FileLoop::FindSources(std::vector<FindEntry>* found) {
  for (;;) {
    const std::string path = SourcePath(ctx_, entry_, pattern_);
    if (path.size() > kSourcePathCapacity) {
      ShowFileNotFound(ctx_, path);
      return false;
    }
    found->clear();
    // One file of that name, in the embedded archive or on the disk ...
    if (ctx_.archive.Open(path)) {
      FindEntry single;
      single.name = pattern_;
      found->push_back(single);
      return true;
    }
    // ... or a search of the disk.
    if (ctx_.files().Find(path, found) && !found->empty()) return true;
    if (!host_.DiskEntryReached()) {
      ShowFileNotFound(ctx_, path);
      return false;
    }
    if (host_.AskNextDisk(false, true) != 0) return false;
  }
}

int FileLoop::InstallPlain(const std::string& name, const std::string& source) {
  if (InstallOneFile(ctx_, host_, JoinPath(destination_, name), source, entry_.overwrite, entry_.attributes) !=
      kCopyDone)
    return kFileEntryStop;
  host_.Progress(0);
  return kFileEntryDone;
}

int FileLoop::Run() {
  if (pattern_.empty()) return kFileEntryDone;
  std::vector<FindEntry> found;
  if (!FindSources(&found)) return kFileEntryStop;

  // First volumes of split containers, installed after every other file
  // because they may ask for further disks.
  std::vector<std::string> splitContainers;
  for (const FindEntry& item : found) {
    if (!(item.attributes & kAttrDirectory)) {
      const std::string source = SourcePath(ctx_, entry_, item.name);
      if (source.size() > kSourcePathCapacity) {
        ShowFileNotFound(ctx_, source);
        return kFileEntryStop;
      }
      if (entry_.compression == 1 || entry_.compression == 2) {
        // Its exit code is not examined: the tool reports its own errors.
        ctx_.process().RunAndWait(DecompressorCommandLine(ctx_.settings.compressionMethod, entry_.compression,
                                                          entry_.overwrite, source, destination_));
        host_.Progress(0);
      } else if (IsSplitContainerStart(ctx_, source)) {
        splitContainers.push_back(item.name);
      } else if (InstallPlain(item.name, source) != kFileEntryDone) {
        return kFileEntryStop;
      }
    }
    if (host_.PumpMessages()) return kFileEntryStop;
  }
  for (const std::string& name : splitContainers)
    if (InstallPlain(name, SourcePath(ctx_, entry_, name)) != kFileEntryDone) return kFileEntryStop;
  return kFileEntryDone;
}

}  // namespace

int InstallFileEntry(SetupContext& ctx, CopyHost& host, FileEntry& entry) {
  ExpandVariables(ctx.variables, &entry.name);
  size_t cut = entry.name.find_last_of('\\');
  const std::string directoryPart = cut == std::string::npos ? std::string() : entry.name.substr(0, cut + 1);
  const std::string pattern = cut == std::string::npos ? entry.name : entry.name.substr(cut + 1);

  // That file was already read as the continuation volume of a container.
  if (!ctx.continuationName.empty() && EqualsNoCase(pattern, ctx.continuationName)) return kFileEntryDone;

  const std::string& defaultDir = ctx.variables.defaultDir;
  std::string destination;
  if (directoryPart.empty()) {
    destination = defaultDir;
  } else {
    if (IsAbsoluteName(directoryPart)) {
      destination = directoryPart;
      bool root = destination == "\\" || (destination.size() == 3 && destination[1] == ':');
      if (!root) destination.pop_back();
    } else {
      destination = defaultDir;
      if (!EndsWithBackslash(destination)) destination += '\\';
      destination += directoryPart.substr(0, directoryPart.size() - 1);
    }
    if (MakeDirectoryPath(ctx, destination) != kMakeDirectoryOk) return kFileEntryStop;
    ctx.files().SetCurrentDirectory(defaultDir);
  }
  return FileLoop(ctx, host, entry, pattern, destination).Run();
}

// ---- one file -----------------------------------------------------------------------

namespace {

class PlainCopy {
 public:
  PlainCopy(SetupContext& ctx, CopyHost& host, const std::string& target, const std::string& source,
            OverwritePolicy policy, uint32_t attributes)
      : ctx_(ctx), host_(host), files_(ctx.files()), target_(target), source_(source), policy_(policy),
        attributes_(attributes) {}

  int Run();

 private:
  bool ShouldWrite();
  bool SourceIsNewer();
  bool Copy(FileHandle& output);

  SetupContext& ctx_;
  CopyHost& host_;
  FileSystem& files_;
  const std::string target_;
  const std::string source_;
  const OverwritePolicy policy_;
  const uint32_t attributes_;
  std::unique_ptr<VirtualFile> input_;
};

// NEW: a component's version text decides first (compared as text); equal
// or unreadable versions leave it to the DOS dates, where the target is
// kept unless the source is strictly later.
bool PlainCopy::SourceIsNewer() {
  std::string sourceVersion, targetVersion;
  if (IsComponentFile(FileNamePart(source_)) && QueryFileVersion(ctx_, source_, &sourceVersion) &&
      QueryFileVersion(ctx_, target_, &targetVersion)) {
    int order = CompareVersions(sourceVersion, targetVersion);
    if (order != 0) return order > 0;
  }
  DosDateTime current;
  if (!files_.GetModified(target_, &current)) return true;
  bool keep = current.date > input_->DosDate() ||
              (current.date == input_->DosDate() && current.time >= input_->DosTime());
  return !keep;
}

bool PlainCopy::ShouldWrite() {
  // A source that is the target itself is in place already; writing it
  // would empty it before it is read.
  if (!input_->InArchive() && SamePath(source_, target_)) return false;
  if (policy_ == OverwritePolicy::kYes) {
    ClearAttributes(files_, target_);
    return true;
  }
  if (!files_.Open(target_, OpenMode::kRead)) return true;  // no target yet
  switch (policy_) {
    case OverwritePolicy::kAsk:
      if (ctx_.ShowMessage(ctx_.Prompt(PromptId::kFileExist) + target_ + "?", std::string(),
                           kMbYesNo | kMbIconQuestion) != kIdYes)
        return false;
      // When pop-up messages are shown, the pop-up is brought up to date and
      // the progress dialog made active again here, after the question.
      files_.SetAttributes(target_, kAttrNormal);
      return true;
    case OverwritePolicy::kNew:
      if (!SourceIsNewer()) return false;
      files_.SetAttributes(target_, kAttrNormal);
      return true;
    default:
      return false;
  }
}

// Copies the source into `output` in blocks, advancing the byte progress.
bool PlainCopy::Copy(FileHandle& output) {
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBlockSize]());
  if (!buffer) {
    ShowCopyError(ctx_, ctx_.Prompt(PromptId::kExpansionMemoryError));
    return false;
  }
  host_.ShowFileName(target_);
  ProgressCounters& counters = host_.Counters();
  int32_t mark = counters.bytesDone;
  for (;;) {
    int32_t got = ctx_.archive.Read(*input_, buffer.get(), kCopyBlockSize);
    if (got < 0) {
      ShowCopyError(ctx_, ctx_.Prompt(PromptId::kReadDiskError));
      return false;
    }
    if (got > 0 && output.Write(buffer.get(), uint32_t(got)) != got) {
      ShowCopyError(ctx_, ctx_.Prompt(PromptId::kWriteDiskError));
      return false;
    }
    if (counters.CountsBytes()) {
      counters.Add(got);
      if (int64_t(counters.bytesDone) - mark > kProgressStep) {
        mark = counters.bytesDone;
        host_.Progress(0);
      }
    }
    if (got < kCopyBlockSize) return true;
  }
}

int PlainCopy::Run() {
  input_ = ctx_.archive.Open(source_);
  if (!input_) {
    // Found a moment ago, gone now (a disk taken out, say).
    ShowFileNotFound(ctx_, source_);
    return kCopyStopped;
  }
  ProgressCounters& counters = host_.Counters();
  if (!ShouldWrite()) {
    if (counters.CountsBytes()) {
      counters.Add(input_->Size());
      host_.Progress(0);
    }
    return kCopyDone;
  }

  std::unique_ptr<FileHandle> output = files_.Open(target_, OpenMode::kCreate);
  if (!output) {
    ShowCopyError(ctx_, ctx_.Prompt(PromptId::kCreateFileError) + target_);
    return kCopyStopped;
  }
  if (!Copy(*output)) {
    // A target that could not be completed is not left half written.
    output.reset();
    files_.DeleteFile(target_);
    return kCopyStopped;
  }
  if (counters.CountsBytes()) host_.Progress(0);
  // Dated through the handle that wrote the file, so that closing it cannot
  // move the date again.
  output->SetModifiedAndAttributes(DosDateTime{input_->DosDate(), input_->DosTime()}, attributes_);
  output.reset();
  input_.reset();
  AppendJournal(ctx_, "FILE: \"" + target_ + "\"");
  return kCopyDone;
}

}  // namespace

int InstallOneFile(SetupContext& ctx, CopyHost& host, const std::string& target, const std::string& source,
                   OverwritePolicy policy, uint32_t attributes) {
  int unshrunk = UnshrinkContainer(ctx, host, target, source, policy, attributes);
  if (unshrunk != kUnshrinkNotContainer) return unshrunk == kUnshrinkDone ? kCopyDone : kCopyStopped;
  return PlainCopy(ctx, host, target, source, policy, attributes).Run();
}

// ---- RENAME ---------------------------------------------------------------------------

namespace {

// Renames `from` to `to`, replacing an existing `to`, and journals it.
// Nothing happens when `from` is no file, or when both name the same file.
void RenameOneFile(SetupContext& ctx, const std::string& from, const std::string& to) {
  FileSystem& files = ctx.files();
  uint32_t attributes = files.GetAttributes(from);
  if (attributes == kInvalidAttributes || (attributes & kAttrDirectory)) return;
  if (SamePath(from, to)) return;
  if (files.GetAttributes(to) != kInvalidAttributes) files.DeleteFile(to);
  if (files.MoveFile(from, to)) AppendJournal(ctx, "RENAME: " + to + ", " + from);
}

// The base name of a file name (up to its last full stop) and its
// extension (from its last full stop on; empty when it has none).
std::string BaseName(const std::string& name) {
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}
std::string Extension(const std::string& name) {
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

enum class RenamePattern { kPrefix = 1, kExtension = 2, kWhole = 3 };

// AB* keeps each file's extension, *.TXT each file's base name, *.* each
// file's whole name.
RenamePattern ClassifyRenamePattern(const std::string& oldName) {
  size_t star = oldName.find('*');
  if (star + 1 >= oldName.size() || oldName[star + 1] != '.') return RenamePattern::kPrefix;
  if (star + 2 < oldName.size() && oldName[star + 2] == '*') return RenamePattern::kWhole;
  return RenamePattern::kExtension;
}

void RenameMatches(SetupContext& ctx, const std::string& oldName, const std::string& newName,
                   const std::string& newDirectory) {
  FileSystem& files = ctx.files();
  const std::string directory = WildcardDirectory(oldName);
  if (directory.empty() || !files.SetCurrentDirectory(directory)) return;
  const std::string here = files.GetCurrentDirectory();
  // A new name without a directory or drive renames within the old directory.
  const std::string targetDirectory = IsAbsoluteName(newDirectory) ? newDirectory : JoinPath(here, newDirectory);
  const RenamePattern kind = ClassifyRenamePattern(oldName);
  const std::string newFile = FileNamePart(newName);

  std::vector<FindEntry> found;
  if (!files.Find(FileNamePart(oldName), &found)) return;
  std::vector<std::string> produced;  // targets written by this rename
  for (const FindEntry& item : found) {
    if (item.attributes & kAttrDirectory) continue;
    std::string target = targetDirectory;
    switch (kind) {
      case RenamePattern::kPrefix: target += BaseName(newFile) + Extension(item.name); break;
      case RenamePattern::kExtension: target += BaseName(item.name) + Extension(newFile); break;
      case RenamePattern::kWhole: target += item.name; break;
    }
    // Two files of the pattern that map to one target: the second does not
    // replace the file that the first became.
    bool taken = false;
    for (const std::string& p : produced) taken = taken || SamePath(p, target);
    if (taken) continue;
    const std::string from = JoinPath(here, item.name);
    RenameOneFile(ctx, from, target);
    if (files.GetAttributes(from) == kInvalidAttributes) produced.push_back(target);
  }
}

}  // namespace

void RenameEntry(SetupContext& ctx, RenameRecord& record) {
  ExpandVariables(ctx.variables, &record.oldName);
  ExpandVariables(ctx.variables, &record.newName);
  FileSystem& files = ctx.files();
  const std::string saved = files.GetCurrentDirectory();

  const std::string& newName = record.newName;
  std::string newDirectory;
  size_t cut = newName.find_last_of('\\');
  if (cut != std::string::npos) {
    // Its failure has been shown; the rename then fails on its own.
    MakeDirectoryPath(ctx, newName.substr(0, cut));
    newDirectory = newName.substr(0, cut) + "\\";
  } else if (newName.size() >= 2 && newName[1] == ':') {
    newDirectory = newName.substr(0, 2);
  }
  files.SetCurrentDirectory(saved);

  if (record.oldName.find('*') == std::string::npos) {
    RenameOneFile(ctx, record.oldName, newName);
    return;
  }
  RenameMatches(ctx, record.oldName, newName, newDirectory);
  files.SetCurrentDirectory(saved);
}

// ---- DELETE ---------------------------------------------------------------------------

namespace {

void DeleteOneFile(FileSystem& files, const std::string& path) {
  if (files.DeleteFile(path)) return;
  uint32_t attributes = files.GetAttributes(path);
  if (attributes == kInvalidAttributes || (attributes & kAttrDirectory)) return;
  files.SetAttributes(path, kAttrNormal);
  files.DeleteFile(path);
}

}  // namespace

void DeleteEntry(SetupContext& ctx, DeleteRecord& record) {
  ExpandVariables(ctx.variables, &record.file);
  std::string name = record.file;
  if (!IsAbsoluteName(name)) name = ctx.variables.defaultDir + "\\" + name;
  FileSystem& files = ctx.files();

  if (name.find_first_of("*?") == std::string::npos) {
    DeleteOneFile(files, name);
    return;
  }
  const std::string saved = files.GetCurrentDirectory();
  const std::string directory = WildcardDirectory(name);
  if (directory.empty() || !files.SetCurrentDirectory(directory)) return;
  const std::string here = files.GetCurrentDirectory();
  std::vector<FindEntry> found;
  if (files.Find(FileNamePart(name), &found)) {
    for (const FindEntry& item : found)
      if (!(item.attributes & kAttrDirectory)) DeleteOneFile(files, JoinPath(here, item.name));
  }
  files.SetCurrentDirectory(saved);
}

}  // namespace quorril
