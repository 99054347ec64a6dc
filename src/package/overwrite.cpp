// The overwrite decision (see overwrite.h): the rule, and the two small
// pieces of I/O around it.
#include "package/overwrite.h"

#include <memory>

#include "package/copy_host.h"
#include "platform/machine.h"
#include "platform/windows_path.h"
#include "system/component_versions.h"

namespace quorril {

namespace {

bool Later(DosDateTime a, DosDateTime b) { return a.date > b.date || (a.date == b.date && a.time > b.time); }

// Gives an existing file normal attributes, so that it can be replaced.
// Asking first costs less than a refused change where nothing is there.
void ClearAttributes(FileSystem& files, const std::string& path) {
  if (files.GetAttributes(path) != kInvalidAttributes) files.SetAttributes(path, kAttrNormal);
}

}  // namespace

OverwriteDecision DecideOverwrite(const OverwriteFacts& facts) {
  if (facts.sameFile) return {OverwriteAction::kKeep, false};
  if (facts.policy == OverwritePolicy::kYes) return {OverwriteAction::kWrite, true};
  if (!facts.targetExists) return {OverwriteAction::kWrite, false};
  switch (facts.policy) {
    case OverwritePolicy::kAsk:
      return {OverwriteAction::kAsk, true};
    case OverwritePolicy::kNew: {
      bool newer = facts.versionOrder != 0 ? facts.versionOrder > 0
                                           : !facts.targetDateKnown || Later(facts.source, facts.target);
      if (!newer) return {OverwriteAction::kKeep, false};
      return {OverwriteAction::kWrite, facts.kind == CopyKind::kPlainFile};
    }
    default:
      return {OverwriteAction::kKeep, false};
  }
}

ExistingTarget ProbeTarget(FileSystem& files, const std::string& target, OverwritePolicy policy) {
  ExistingTarget existing;
  if (policy == OverwritePolicy::kYes) return existing;
  std::unique_ptr<FileHandle> handle = files.Open(target, OpenMode::kRead);
  if (!handle) return existing;
  existing.exists = true;
  existing.size = handle->Size();
  handle.reset();
  if (policy == OverwritePolicy::kNew) existing.dateKnown = files.GetModified(target, &existing.date);
  return existing;
}

int ComponentVersionOrder(Machine& machine, const std::string& source, const std::string& target) {
  std::string sourceVersion, targetVersion;
  if (!IsComponentFile(FileName(source)) || !QueryFileVersion(machine, source, &sourceVersion) ||
      !QueryFileVersion(machine, target, &targetVersion))
    return 0;
  return CompareVersions(sourceVersion, targetVersion);
}

bool CarryOutOverwrite(FileSystem& files, CopyHost& host, const OverwriteDecision& decision,
                       const std::string& target) {
  switch (decision.action) {
    case OverwriteAction::kKeep:
      return false;
    case OverwriteAction::kAsk:
      if (!host.AskOverwrite(target)) return false;
      break;
    case OverwriteAction::kWrite:
      break;
  }
  if (decision.clearAttributes) ClearAttributes(files, target);
  return true;
}

}  // namespace quorril
