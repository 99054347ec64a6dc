// File installation (see file_install.h), organised as:
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
#include "model/variables.h"
#include "package/container_reader.h"
#include "package/overwrite.h"
#include "package/target_writer.h"
#include "package/unshrink.h"
#include "package/virtual_file.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/windows_path.h"

namespace quorril {

namespace {

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

}  // namespace

// ---- source paths and command lines ---------------------------------------------------

std::string SourcePath(const ScriptVariables& variables, const FileEntry& entry, const std::string& fileName) {
  const std::string& sourceDir = variables.sourceDir;
  std::string path;
  switch (entry.sourceKind) {
    case SourceKind::kAsGiven:
      path = entry.sourceDirectory;
      if (!path.empty() && path[0] == '$') ExpandVariables(variables, &path);
      if (!EndsWithBackslash(path)) path += '\\';
      break;
    case SourceKind::kSourceRoot:
      path = sourceDir.substr(0, 2) + entry.sourceDirectory + "\\";
      break;
    case SourceKind::kBelowSource:
      path = sourceDir;
      if (entry.sourceGiven) path += entry.sourceDirectory;
      if (!EndsWithBackslash(path)) path += '\\';
      break;
  }
  return path + fileName;
}

std::string DecompressorCommandLine(CompressionTool tool, Compression compression, OverwritePolicy policy,
                                    const std::string& source, const std::string& destination) {
  // With SELF-EXTRACT no tool is named: the source file is the program.
  const bool named = compression == Compression::kCompressed;
  std::string line = "dosshell.pif /C ";
  if (tool == CompressionTool::kPkware) {
    if (named) line += "pkunzip ";
    line += source + " -d ";
    if (policy == OverwritePolicy::kYes) line += "-o ";
    if (policy == OverwritePolicy::kNew) line += "-n ";
  } else {
    if (named) {
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
  FileLoop(const FileInstallContext& ctx, const FileEntry& entry, const std::string& pattern,
           const std::string& destination)
      : ctx_(ctx), host_(ctx.copy.host), entry_(entry), pattern_(pattern), destination_(destination) {}

  int Run();

 private:
  bool FindSources(std::vector<FindEntry>* found);
  int InstallPlain(const std::string& name, const std::string& source);

  const FileInstallContext& ctx_;
  CopyHost& host_;
  const FileEntry& entry_;
  const std::string pattern_;
  const std::string destination_;
};

// Finds the sources of the pattern, asking for the next disk while none is
// there. False when the installation must stop.
bool FileLoop::FindSources(std::vector<FindEntry>* found) {
  for (;;) {
    const std::string path = SourcePath(ctx_.variables, entry_, pattern_);
    if (path.size() > kSourcePathCapacity) {
      host_.ReportFailure(CopyFailure::kFileNotFound, path);
      return false;
    }
    found->clear();
    // One file of that name, in the embedded archive or on the disk ...
    if (ctx_.copy.archive.Open(path)) {
      FindEntry single;
      single.name = pattern_;
      found->push_back(single);
      return true;
    }
    // ... or a search of the disk.
    if (ctx_.copy.files.Find(path, found) && !found->empty()) return true;
    if (!host_.DiskEntryReached()) {
      host_.ReportFailure(CopyFailure::kFileNotFound, path);
      return false;
    }
    if (host_.AskNextDisk(false, true) != 0) return false;
  }
}

int FileLoop::InstallPlain(const std::string& name, const std::string& source) {
  if (InstallOneFile(ctx_, JoinPath(destination_, name), source, entry_.overwrite, entry_.attributes) != kCopyDone)
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
      const std::string source = SourcePath(ctx_.variables, entry_, item.name);
      if (source.size() > kSourcePathCapacity) {
        host_.ReportFailure(CopyFailure::kFileNotFound, source);
        return kFileEntryStop;
      }
      if (entry_.compression != Compression::kNone) {
        // Its exit code is not examined: the tool reports its own errors.
        ctx_.process.RunAndWait(
            DecompressorCommandLine(ctx_.compressionTool, entry_.compression, entry_.overwrite, source, destination_));
        host_.Progress(0);
      } else if (IsSplitContainerStart(ctx_.copy.archive, source)) {
        splitContainers.push_back(item.name);
      } else if (InstallPlain(item.name, source) != kFileEntryDone) {
        return kFileEntryStop;
      }
    }
    if (host_.PumpMessages()) return kFileEntryStop;
  }
  for (const std::string& name : splitContainers)
    if (InstallPlain(name, SourcePath(ctx_.variables, entry_, name)) != kFileEntryDone) return kFileEntryStop;
  return kFileEntryDone;
}

}  // namespace

int InstallFileEntry(const FileInstallContext& ctx, FileEntry& entry) {
  ExpandVariables(ctx.variables, &entry.name);
  const std::string directoryPart = DirectoryPart(entry.name);
  const std::string pattern = entry.name.substr(directoryPart.size());

  // That file was already read as the continuation volume of a container.
  const std::string& continuation = ctx.copy.continuationName;
  if (!continuation.empty() && EqualsNoCase(pattern, continuation)) return kFileEntryDone;

  const std::string& defaultDir = ctx.variables.defaultDir;
  std::string destination;
  if (directoryPart.empty()) {
    destination = defaultDir;
  } else {
    if (IsAbsolutePath(directoryPart)) {
      destination = directoryPart;
      bool root = destination == "\\" || (destination.size() == 3 && destination[1] == ':');
      if (!root) destination.pop_back();
    } else {
      destination = JoinPath(defaultDir, directoryPart.substr(0, directoryPart.size() - 1));
    }
    if (MakeTargetDirectory(ctx.copy, destination) != kMakeDirectoryOk) return kFileEntryStop;
    ctx.copy.files.SetCurrentDirectory(defaultDir);
  }
  return FileLoop(ctx, entry, pattern, destination).Run();
}

// ---- one file -----------------------------------------------------------------------

namespace {

class PlainCopy {
 public:
  PlainCopy(const FileInstallContext& ctx, const std::string& target, const std::string& source, OverwritePolicy policy,
            uint32_t attributes)
      : ctx_(ctx), copy_(ctx.copy), target_(target), source_(source), policy_(policy), attributes_(attributes) {}

  int Run();

 private:
  bool ShouldWrite();
  bool Copy(TargetWriter& output);

  const FileInstallContext& ctx_;
  const CopyContext& copy_;
  const std::string target_;
  const std::string source_;
  const OverwritePolicy policy_;
  const uint32_t attributes_;
  std::unique_ptr<VirtualFile> input_;
};

bool PlainCopy::ShouldWrite() {
  OverwriteFacts facts;
  facts.policy = policy_;
  facts.kind = CopyKind::kPlainFile;
  // A source that is the target itself is in place already.
  facts.sameFile = !input_->InArchive() && SamePath(source_, target_);
  facts.source = DosDateTime{input_->DosDate(), input_->DosTime()};
  if (!facts.sameFile) {
    ExistingTarget existing = ProbeTarget(copy_.files, target_, policy_);
    facts.targetExists = existing.exists;
    facts.targetDateKnown = existing.dateKnown;
    facts.target = existing.date;
    if (existing.exists && policy_ == OverwritePolicy::kNew)
      facts.versionOrder = ComponentVersionOrder(ctx_.machine, source_, target_);
  }
  return CarryOutOverwrite(copy_.files, copy_.host, DecideOverwrite(facts), target_);
}

// Copies the source into `output` in blocks.
bool PlainCopy::Copy(TargetWriter& output) {
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBlockSize]);
  if (!buffer) {
    copy_.host.ReportFailure(CopyFailure::kNoMemory, std::string());
    return false;
  }
  for (bool first = true;; first = false) {
    int32_t got = copy_.archive.Read(*input_, buffer.get(), kCopyBlockSize);
    if (got < 0) {
      copy_.host.ReportFailure(CopyFailure::kReadDisk, std::string());
      return false;
    }
    // A container comes here only when it could not be opened as one a
    // moment ago: its volume is never installed in place of its members.
    if (first && got >= int32_t(kVolumeHeaderSize)) {
      VolumeHeader header;
      ParseVolumeHeader(reinterpret_cast<const uint8_t*>(buffer.get()), &header);
      if (header.IsFirstVolume()) {
        copy_.host.ReportFailure(CopyFailure::kReadDisk, std::string());
        return false;
      }
    }
    if (got > 0 && !output.Write(buffer.get(), uint32_t(got))) return false;
    // Only the end of the data ends the copy: a member cut short fails its
    // read there rather than ending early.
    if (got == 0) return true;
  }
}

int PlainCopy::Run() {
  input_ = copy_.archive.Open(source_);
  if (!input_) {
    // Found a moment ago, gone now (a disk taken out, say).
    copy_.host.ReportFailure(CopyFailure::kFileNotFound, source_);
    return kCopyStopped;
  }
  ProgressCounters& counters = copy_.host.Counters();
  TargetWriter output(copy_, target_);
  if (!output.CreateIfNew()) {
    if (!ShouldWrite()) {
      if (counters.CountsBytes()) {
        counters.Add(input_->Size());
        copy_.host.Progress(0);
      }
      return kCopyDone;
    }
    if (!output.Create()) return kCopyStopped;
  }
  if (!Copy(output) || !output.Flush()) {
    // A target that could not be completed is not left half written.
    output.Abandon();
    return kCopyStopped;
  }
  if (counters.CountsBytes()) copy_.host.Progress(0);
  const DosDateTime when{input_->DosDate(), input_->DosTime()};
  input_.reset();
  return output.Finish(when, attributes_) ? kCopyDone : kCopyStopped;
}

}  // namespace

int InstallOneFile(const FileInstallContext& ctx, const std::string& target, const std::string& source,
                   OverwritePolicy policy, uint32_t attributes) {
  int unshrunk = UnshrinkContainer(ctx.copy, target, source, policy, attributes);
  if (unshrunk != kUnshrinkNotContainer) return unshrunk == kUnshrinkDone ? kCopyDone : kCopyStopped;
  return PlainCopy(ctx, target, source, policy, attributes).Run();
}

// ---- RENAME ---------------------------------------------------------------------------

namespace {

// Renames `from` to `to`, replacing an existing `to`, and journals it.
// Nothing happens when `from` is no file, or when both name the same file.
void RenameOneFile(const CopyContext& copy, const std::string& from, const std::string& to) {
  FileSystem& files = copy.files;
  uint32_t attributes = files.GetAttributes(from);
  if (attributes == kInvalidAttributes || (attributes & kAttrDirectory)) return;
  if (SamePath(from, to)) return;
  if (files.GetAttributes(to) != kInvalidAttributes) files.DeleteFile(to);
  if (files.MoveFile(from, to)) AppendJournal(files, copy.journal, "RENAME: " + to + ", " + from);
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

void RenameMatches(const CopyContext& copy, const std::string& oldName, const std::string& newName,
                   const std::string& newDirectory) {
  FileSystem& files = copy.files;
  const std::string directory = WildcardDirectory(oldName);
  if (directory.empty() || !files.SetCurrentDirectory(directory)) return;
  const std::string here = files.GetCurrentDirectory();
  // A new name without a directory or drive renames within the old directory.
  const std::string targetDirectory = IsAbsolutePath(newDirectory) ? newDirectory : JoinPath(here, newDirectory);
  const RenamePattern kind = ClassifyRenamePattern(oldName);
  const std::string newFile = FileName(newName);

  std::vector<FindEntry> found;
  if (!files.Find(FileName(oldName), &found)) return;
  std::vector<std::string> produced;  // targets written by this rename
  for (const FindEntry& item : found) {
    if (item.attributes & kAttrDirectory) continue;
    std::string target = targetDirectory;
    switch (kind) {
      case RenamePattern::kPrefix: target += WithoutExtension(newFile) + Extension(item.name); break;
      case RenamePattern::kExtension: target += WithoutExtension(item.name) + Extension(newFile); break;
      case RenamePattern::kWhole: target += item.name; break;
    }
    // Two files of the pattern that map to one target: the second does not
    // replace the file that the first became.
    bool taken = false;
    for (const std::string& p : produced) taken = taken || SamePath(p, target);
    if (taken) continue;
    const std::string from = JoinPath(here, item.name);
    RenameOneFile(copy, from, target);
    if (files.GetAttributes(from) == kInvalidAttributes) produced.push_back(target);
  }
}

}  // namespace

void RenameEntry(const CopyContext& copy, const ScriptVariables& variables, RenameRecord& record) {
  ExpandVariables(variables, &record.oldName);
  ExpandVariables(variables, &record.newName);
  FileSystem& files = copy.files;
  const std::string saved = files.GetCurrentDirectory();

  const std::string& newName = record.newName;
  std::string newDirectory;
  size_t cut = newName.find_last_of('\\');
  if (cut != std::string::npos) {
    // Its failure has been reported; the rename then fails on its own.
    MakeTargetDirectory(copy, newName.substr(0, cut));
    newDirectory = newName.substr(0, cut) + "\\";
  } else if (HasDrive(newName)) {
    newDirectory = newName.substr(0, 2);
  }
  files.SetCurrentDirectory(saved);

  if (record.oldName.find('*') == std::string::npos) {
    RenameOneFile(copy, record.oldName, newName);
    return;
  }
  RenameMatches(copy, record.oldName, newName, newDirectory);
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

void DeleteEntry(FileSystem& files, const ScriptVariables& variables, DeleteRecord& record) {
  ExpandVariables(variables, &record.file);
  std::string name = record.file;
  if (!IsAbsolutePath(name)) name = variables.defaultDir + "\\" + name;

  if (name.find_first_of("*?") == std::string::npos) {
    DeleteOneFile(files, name);
    return;
  }
  const std::string saved = files.GetCurrentDirectory();
  const std::string directory = WildcardDirectory(name);
  if (directory.empty() || !files.SetCurrentDirectory(directory)) return;
  const std::string here = files.GetCurrentDirectory();
  std::vector<FindEntry> found;
  if (files.Find(FileName(name), &found)) {
    for (const FindEntry& item : found)
      if (!(item.attributes & kAttrDirectory)) DeleteOneFile(files, JoinPath(here, item.name));
  }
  files.SetCurrentDirectory(saved);
}

}  // namespace quorril
