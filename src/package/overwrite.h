// The overwrite decision: whether a file about to be installed replaces a
// target that is already there, for plain copies and for the members of
// shrunk-file containers alike.
//
//   policy   target missing   target there
//   YES      write            write (its attributes cleared first)
//   NO       write            keep
//   ASK      write            the host asks; Yes writes (attributes cleared)
//   NEW      write            write when the new file is newer, else keep
//
// "Newer": for a plain copy of a component (a DLL, VBX or OCX whose
// version texts can both be read) the version texts decide first, compared
// as texts (component_versions.h); equal or unreadable versions go on to
// the DOS dates, where only a strictly later date and time of the new file
// writes. A target whose date cannot be read is written. Only a plain copy
// clears the attributes of a target that NEW replaces, so a read-only
// target is replaced by a plain copy and refused to a container member.
// A plain copy whose source is the target itself is always kept: writing it
// would empty it before it is read.
//
// DecideOverwrite is the pure rule; ProbeTarget gathers what it looks at
// through the ports, and CarryOutOverwrite asks and clears attributes.
#pragma once

#include <cstdint>
#include <string>

#include "model/script_model.h"
#include "platform/file_system.h"

namespace quorril {

class CopyHost;
class Machine;

enum class CopyKind { kPlainFile, kContainerMember };

struct OverwriteFacts {
  OverwritePolicy policy = OverwritePolicy::kAsk;
  CopyKind kind = CopyKind::kPlainFile;
  bool targetExists = false;
  bool sameFile = false;       // plain copies: the source is the target itself
  DosDateTime source;          // the new file's date and time
  bool targetDateKnown = false;
  DosDateTime target;          // the existing target's
  // NEW on plain copies of components: 1 when the source's version text
  // orders after the target's, -1 before, 0 equal or not compared.
  int versionOrder = 0;
};

enum class OverwriteAction { kWrite, kKeep, kAsk };

struct OverwriteDecision {
  OverwriteAction action = OverwriteAction::kKeep;
  // Give the target normal attributes before it is written (kWrite), or
  // after the user said Yes (kAsk).
  bool clearAttributes = false;
};

OverwriteDecision DecideOverwrite(const OverwriteFacts& facts);

// What an existing target looks like: whether it can be opened for reading,
// its size (for the progress of a kept target) and, for NEW, its date.
struct ExistingTarget {
  bool exists = false;
  int64_t size = 0;
  bool dateKnown = false;
  DosDateTime date;
};
// Under YES nothing is looked at.
ExistingTarget ProbeTarget(FileSystem& files, const std::string& target, OverwritePolicy policy);

// For NEW on a plain copy: the order of the version texts of `source` and
// `target` when `source` names a component and both texts can be read, else
// 0.
int ComponentVersionOrder(Machine& machine, const std::string& source, const std::string& target);

// Carries out a decision for `target`: asks the host when the decision is
// kAsk, clears the attributes where it says so. True when the target is to
// be written.
bool CarryOutOverwrite(FileSystem& files, CopyHost& host, const OverwriteDecision& decision,
                       const std::string& target);

}  // namespace quorril
