// Undoing an installation from its journal (see undo.h).
#include "uninstall/undo.h"

#include <algorithm>
#include <cstddef>

#include "platform/file_system.h"
#include "platform/machine.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/windows_path.h"
#include "system/component_versions.h"
#include "system/text_file.h"

namespace quorril {
namespace {

constexpr const char kTemporaryName[] = "~Zemko.tmp";

struct Outcome {
  UndoResult result;
  std::string why;
};

Outcome Done() { return {UndoResult::kUndone, ""}; }
Outcome Kept(std::string why) { return {UndoResult::kKept, std::move(why)}; }
Outcome Failed(std::string why) { return {UndoResult::kFailed, std::move(why)}; }
Outcome Refused(std::string why) { return {UndoResult::kRefused, std::move(why)}; }
Outcome Nothing(std::string why) { return {UndoResult::kSkipped, std::move(why)}; }

bool IsDeviceName(const std::string& component) {
  std::string base = AsciiUpperCopy(component.substr(0, component.find('.')));
  while (!base.empty() && (base.back() == ' ')) base.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"})
    if (base == device) return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '0' &&
      base[3] <= '9')
    return true;
  return false;
}

bool IsBelow(const std::string& inner, const std::string& outer) {
  std::string prefix = WithoutTrailingBackslash(outer) + "\\";
  return inner.size() > prefix.size() && StartsWithNoCase(inner, prefix);
}

class Undoer {
 public:
  Undoer(const UndoContext& ctx, const std::vector<JournalEntry>& entries) : ctx_(ctx), entries_(entries) {
    // The destination each line belongs to: the last DEFAULTDIR before it.
    std::string destination;
    for (const JournalEntry& entry : entries_) {
      if (entry.kind == JournalKind::kDefaultDir) destination = entry.fields[0];
      destinations_.push_back(destination);
    }
    journalDirectory_ = CutAtLastBackslash(ctx_.journalPath);
    bootDrive_ = ctx_.files.GetDriveType("A:\\") == DriveType::kFixed ? "A" : "C";
  }

  std::vector<UndoRecord> Run() {
    // No directory the uninstaller may remove is its current one.
    ctx_.files.SetCurrentDirectory(ctx_.machine.WindowsDirectory());
    Plan plan = MakePlan();
    size_t total = plan.first.size() + 1 + plan.last.size() + plan.above.size(), done = 0;
    std::vector<UndoRecord> records;
    auto work = [&](const std::vector<size_t>& steps) {
      for (size_t i : steps) {
        const JournalEntry& entry = entries_[i];
        if (!stopped_ && ctx_.progress && !ctx_.progress(done, total)) stopped_ = true;
        ++done;
        records.push_back(Record(entry, stopped_ ? Kept("the removal was stopped") : Undo(entry, destinations_[i])));
      }
    };
    work(plan.first);
    // The journal goes once everything else has gone; where something
    // failed it stays, so that another run can take up what is left.
    bool failed = false;
    for (const UndoRecord& record : records) failed = failed || record.result == UndoResult::kFailed;
    if (!stopped_ && ctx_.progress && !ctx_.progress(done, total)) stopped_ = true;
    ++done;
    if (!failed && !stopped_ && ctx_.removeJournal) {
      journalGone_ = ctx_.files.DeleteFile(ctx_.journalPath);
      Outcome outcome =
          journalGone_ ? Done() : Failed("it cannot be deleted (error " + FormatInt(ctx_.files.LastError()) + ")");
      records.push_back(UndoRecord{0, ctx_.journalPath, outcome.result, outcome.why});
    }
    work(plan.last);
    // The folders above the journal's directory were made for it; they go
    // when it has gone, and only then.
    journalDirectoryGone_ = IsDeferred(journalDirectory_) ||
                            ctx_.files.GetAttributes(journalDirectory_) == kInvalidAttributes;
    work(plan.above);
    return records;
  }

 private:
  // The order of the work: the lines that go first, the journal, then the
  // journal's directory and the uninstaller beside it, then the folders
  // above that directory, deepest first.
  struct Plan {
    std::vector<size_t> first, last, above;
  };

  Plan MakePlan() const {
    Plan plan;
    std::vector<size_t> sections;
    for (size_t i = entries_.size(); i-- > 0;) {
      const JournalEntry& entry = entries_[i];
      if (entry.kind == JournalKind::kEmpty) continue;
      if (IsLastStep(entry)) {
        plan.last.push_back(i);
        continue;
      }
      if (IsAboveJournal(entry)) {
        plan.above.push_back(i);
        continue;
      }
      // The registry keys of one block stand deepest first: they go in
      // their journal order, the run of them at once.
      if (entry.kind == JournalKind::kRegKey) {
        size_t first = i;
        while (first > 0 && entries_[first - 1].kind == JournalKind::kRegKey) --first;
        for (size_t k = first; k <= i; ++k) plan.first.push_back(k);
        i = first;
        continue;
      }
      // A section made anew can go only once its keys have gone, and they
      // stand after it in the journal.
      if (entry.kind == JournalKind::kIniFile && entry.fields.size() == 2) {
        sections.push_back(i);
        continue;
      }
      plan.first.push_back(i);
    }
    plan.first.insert(plan.first.end(), sections.begin(), sections.end());
    std::stable_sort(plan.above.begin(), plan.above.end(), [this](size_t a, size_t b) {
      return entries_[a].fields[0].size() > entries_[b].fields[0].size();
    });
    return plan;
  }

  static UndoRecord Record(const JournalEntry& entry, Outcome outcome) {
    return UndoRecord{entry.lineNumber, entry.text, outcome.result, std::move(outcome.why)};
  }

  // The journal's own directory and the uninstaller beside the journal go
  // after everything else (the journal goes just before them).
  bool IsLastStep(const JournalEntry& entry) const {
    if (entry.kind == JournalKind::kDefaultDir || entry.kind == JournalKind::kDirectory)
      return SamePath(entry.fields[0], journalDirectory_);
    if (entry.kind == JournalKind::kFile)
      return SamePath(entry.fields[0], JoinPath(journalDirectory_, "unstall.exe"));
    return false;
  }

  bool IsAboveJournal(const JournalEntry& entry) const {
    return (entry.kind == JournalKind::kDefaultDir || entry.kind == JournalKind::kDirectory) &&
           IsBelow(journalDirectory_, entry.fields[0]);
  }

  bool IsDeferred(const std::string& path) const {
    for (const std::string& later : deferred_)
      if (SamePath(later, path)) return true;
    return false;
  }

  Outcome Defer(const std::string& path, std::string why) {
    if (!IsDeferred(path)) {
      deferred_.push_back(path);
      ctx_.afterExit->push_back(path);
    }
    return {UndoResult::kAtExit, std::move(why)};
  }

  Outcome Undo(const JournalEntry& entry, const std::string& destination) {
    const std::vector<std::string>& f = entry.fields;
    switch (entry.kind) {
      case JournalKind::kEmpty: return Nothing("");
      // Whatever it stood for is left, and the run says so.
      case JournalKind::kDamaged: return Kept("a damaged line: " + entry.problem);
      case JournalKind::kBeginPrompt:
      case JournalKind::kEndPrompt:
      case JournalKind::kTitlePrompt: return Nothing("a text");
      case JournalKind::kFile: return UndoFile(f[0]);
      case JournalKind::kRename: return UndoRename(f[0], f[1]);
      case JournalKind::kDefaultDir: return UndoDirectory(f[0], true);
      case JournalKind::kDirectory: return UndoDirectory(f[0], false);
      case JournalKind::kIniFile: return UndoIniFile(f);
      case JournalKind::kAddText: {
        std::string file = IsAbsolutePath(f[1]) ? f[1] : JoinPath(destination, f[1]);
        return UndoTextLine(file, f[0], f[2]);
      }
      case JournalKind::kAutoexec: return UndoTextLine(bootDrive_ + ":\\AUTOEXEC.BAT", f[0], f[1]);
      case JournalKind::kConfig: return UndoTextLine(bootDrive_ + ":\\CONFIG.SYS", f[0], f[1]);
      case JournalKind::kRegServer: {
        std::string unsafe = UnsafePathReason(f[0]);
        if (!unsafe.empty()) return Refused(unsafe);
        std::string why;
        UndoResult result = ctx_.services.UnregisterComponent(f[0], &why);
        return {result, why};
      }
      case JournalKind::kRegKey: {
        std::string why;
        UndoResult result = ctx_.services.DeleteRegistryKey(f[0], f[1], &why);
        return {result, why};
      }
      case JournalKind::kWinItem: {
        std::string why;
        UndoResult result = ctx_.services.DeleteProgramItem(f[0], f[1], &why);
        return {result, why};
      }
    }
    return Nothing("");
  }

  Outcome UndoFile(const std::string& path) {
    std::string unsafe = UnsafePathReason(path);
    if (!unsafe.empty()) return Refused(unsafe);
    FileSystem& files = ctx_.files;
    if (!ctx_.runningPath.empty() && SamePath(path, ctx_.runningPath) &&
        files.GetAttributes(path) != kInvalidAttributes) {
      // It cannot go while it runs, nor before the journal it serves.
      if (!ctx_.afterExit || !journalGone_) return Kept("it is the running uninstaller");
      return Defer(path, "it is the running uninstaller: it goes once it has ended");
    }
    uint32_t attributes = files.GetAttributes(path);
    if (attributes == kInvalidAttributes) return Nothing("it is not there");
    if (attributes & kAttrDirectory) return Refused("it is a directory");
    std::string directory = CutAtLastBackslash(path);
    bool shared = IsComponentFile(FileName(path)) && (SamePath(directory, ctx_.machine.WindowsDirectory()) ||
                                                      SamePath(directory, ctx_.machine.SystemDirectory()));
    if (shared && !ctx_.services.AskDeleteSharedFile(path)) return Kept("a component other programs may share");
    if (attributes & kAttrReadOnly) files.SetAttributes(path, attributes & ~uint32_t(kAttrReadOnly));
    if (files.DeleteFile(path)) return Done();
    uint32_t error = files.LastError();
    if (error == kErrorSharingViolation && files.DeleteFileAtRestart(path))
      return {UndoResult::kAtRestart, "it is in use: it goes when Windows starts again"};
    if (attributes & kAttrReadOnly) files.SetAttributes(path, attributes);
    return Failed(error == kErrorSharingViolation ? "it is in use" : "it cannot be deleted (error " +
                                                                         FormatInt(error) + ")");
  }

  Outcome UndoRename(const std::string& now, const std::string& before) {
    for (const std::string* path : {&now, &before}) {
      std::string unsafe = UnsafePathReason(*path);
      if (!unsafe.empty()) return Refused(unsafe);
    }
    FileSystem& files = ctx_.files;
    uint32_t attributes = files.GetAttributes(now);
    if (attributes == kInvalidAttributes) return Nothing("it is not there");
    if (attributes & kAttrDirectory) return Refused("it is a directory");
    if (files.GetAttributes(before) != kInvalidAttributes) return Kept("its old name is taken");
    if (!files.MoveFile(now, before)) return Failed("it cannot be moved back (error " + FormatInt(files.LastError()) + ")");
    return Done();
  }

  // A DIRECTORY line names a directory the installation made; a DEFAULTDIR
  // line the destination, which may have been there before: what it holds
  // besides is not the installation's, and leaving it is no loss.
  Outcome UndoDirectory(const std::string& path, bool destination) {
    std::string unsafe = UnsafePathReason(path);
    if (!unsafe.empty()) return Refused(unsafe);
    std::string directory = path.size() == 3 ? path.substr(0, 2) : WithoutTrailingBackslash(path);
    if (directory.size() <= 2) return Refused("it is a drive root");
    if (SamePath(directory, ctx_.machine.WindowsDirectory()) || SamePath(directory, ctx_.machine.SystemDirectory()))
      return Refused("it is a directory of the system");
    if (IsBelow(journalDirectory_, directory) && !journalDirectoryGone_)
      return Refused("it holds the journal's own directory");
    FileSystem& files = ctx_.files;
    uint32_t attributes = files.GetAttributes(directory);
    if (attributes == kInvalidAttributes) return Nothing("it is not there");
    if (!(attributes & kAttrDirectory)) return Refused("it is no directory");
    std::vector<FindEntry> found;
    bool holdsAnything = false;
    if (files.Find(JoinPath(directory, "*.*"), &found))
      for (const FindEntry& e : found) {
        if (e.name == "." || e.name == "..") continue;
        if (!IsDeferred(JoinPath(directory, e.name)))
          return destination ? Nothing("it is not empty") : Kept("it is not empty");
        holdsAnything = true;
      }
    if (holdsAnything) return Defer(directory, "it holds only the running uninstaller: it goes once that has ended");
    if (!files.RemoveDirectory(directory))
      return Failed("it cannot be removed (error " + FormatInt(files.LastError()) + ")");
    return Done();
  }

  Outcome UndoIniFile(const std::vector<std::string>& f) {
    const std::string& file = f.size() == 2 ? f[1] : f[3];
    if (file.find('\\') != std::string::npos || file.find('/') != std::string::npos) {
      std::string unsafe = UnsafePathReason(file);
      if (!unsafe.empty()) return Refused(unsafe);
    } else if (file.empty() || IsDeviceName(file)) {
      return Refused("it names no file");
    }
    Profile& profile = ctx_.profile;
    if (f.size() == 2) {
      std::vector<std::string> keys;
      if (!profile.ReadKeyNames(file, f[0], &keys)) return Failed("the file cannot be read");
      if (!keys.empty()) return Kept("the section is not empty");
      if (!profile.DeleteSection(file, f[0])) return Failed("the section cannot be deleted");
      profile.Flush(file);
      return Done();
    }
    const std::string& section = f[0];
    const std::string& key = f[1];
    const std::string& written = f[2];
    std::string current;
    const std::string missing = "\x01";
    if (!profile.ReadValue(file, section, key, missing, &current)) return Failed("the file cannot be read");
    if (current == missing) return Nothing("the key is not there");
    bool ok;
    if (f.size() == 4) {
      if (!EqualsNoCase(current, written)) return Kept("its value was changed since");
      ok = profile.DeleteKey(file, section, key);
    } else if (EqualsNoCase(current, written)) {
      ok = profile.WriteValue(file, section, key, f[4]);  // the value it replaced
    } else if (EqualsNoCase(current, f[4]) && f[4].size() > written.size() &&
               EqualsNoCase(std::string_view(f[4]).substr(f[4].size() - written.size() - 1), " " + written)) {
      ok = profile.WriteValue(file, section, key, f[4].substr(0, f[4].size() - written.size() - 1));
    } else {
      return Kept("its value was changed since");
    }
    if (!ok) return Failed("the key cannot be written");
    profile.Flush(file);
    return Done();
  }

  Outcome UndoTextLine(const std::string& file, const std::string& before, const std::string& after) {
    std::string unsafe = UnsafePathReason(file);
    if (!unsafe.empty()) return Refused(unsafe);
    TextFile text;
    TextRead read = ReadTextFile(ctx_.files, file, &text);
    std::vector<TextLine>& lines = text.lines;
    if (read == TextRead::kMissing) return Nothing("the file is not there");
    if (read == TextRead::kFailed) return Failed("the file cannot be read");
    size_t at = 0;
    while (at < lines.size() && lines[at].text != after) ++at;
    if (at == lines.size()) return Kept("the line is no longer there as written");
    if (before.empty())
      lines.erase(lines.begin() + long(at));
    else
      lines[at].text = before;
    std::string temporary = JoinPath(DirectoryPart(file), kTemporaryName);
    if (!ReplaceFileContents(ctx_.files, temporary, file, RenderTextFile(text)))
      return Failed("the file cannot be written");
    return Done();
  }

  const UndoContext& ctx_;
  const std::vector<JournalEntry>& entries_;
  std::vector<std::string> destinations_;
  std::string journalDirectory_;
  std::string bootDrive_;
  std::vector<std::string> deferred_;  // what goes once the uninstaller has ended
  bool stopped_ = false;               // the progress callback said stop
  bool journalGone_ = false;
  bool journalDirectoryGone_ = false;
};

}  // namespace

const char* UndoResultName(UndoResult result) {
  switch (result) {
    case UndoResult::kUndone: return "undone";
    case UndoResult::kKept: return "kept";
    case UndoResult::kFailed: return "failed";
    case UndoResult::kRefused: return "refused";
    case UndoResult::kSkipped: return "skipped";
    case UndoResult::kAtRestart: return "at restart";
    case UndoResult::kAtExit: return "after the uninstaller";
  }
  return "";
}

std::string UnsafePathReason(const std::string& path) {
  if (path.size() < 3 || !IsAsciiAlpha(path[0]) || path[1] != ':' || path[2] != '\\')
    return "it is not a full path on a drive";
  if (path.find('/') != std::string::npos) return "it holds a \"/\"";
  size_t start = 3;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    std::string component = path.substr(start, end - start);
    if (component == "." || component == "..") return "it holds a \".\" or \"..\" component";
    if (component.empty() && end != path.size()) return "it holds an empty component";
    if (IsDeviceName(component)) return "it names a device";
    if (component.find_first_of(":*?\"<>|") != std::string::npos) return "it holds a character no path may hold";
    start = end + 1;
  }
  return "";
}

std::vector<UndoRecord> UndoJournal(const UndoContext& ctx, const std::vector<JournalEntry>& entries) {
  return Undoer(ctx, entries).Run();
}

}  // namespace quorril
