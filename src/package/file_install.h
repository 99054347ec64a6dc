// File installation: the FILE, RENAME and DELETE commands of the script.
//
// InstallFileEntry takes one FILE entry of the file list: it expands the
// entry's name, splits it into a destination directory part and a file part
// (a pattern), creates the destination, and walks the source files that
// match the pattern in the source directory. Each source file is handed to
// an outside decompressor (COMPRESSED, SELF-EXTRACT), or to InstallOneFile,
// which extracts it when it is a shrunk-file container (container.h) and
// otherwise copies it under the entry's overwrite policy. The first volume
// of a split container is installed after every other file of the entry,
// because it may ask for further disks.
//
//   FILE name        directory part      destination
//   X.DLL            (none)              $DEFAULTDIR$
//   SUB\X.DLL        SUB\                $DEFAULTDIR$\SUB (created)
//   C:\DIR\X.DLL     C:\DIR\             C:\DIR (created)
//   \X.DLL, C:\X.DLL \ , C:\             the root as it is
//
// The source is always looked up with the file part only, in the directory
// that SourcePath builds from $SOURCEDIR$ and the entry's SOURCE= value.
//
// Everything the user sees goes through the CopyHost (progress, file names,
// the next-disk and overwrite questions, message pumping, the reports of
// failures); this code owns no window. Each file written is dated, given
// its attributes and journalled ("FILE: "), each rename journalled
// ("RENAME: new, old"); deletions are not journalled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/capacities.h"
#include "model/script_model.h"
#include "package/copy_host.h"

namespace quorril {

class Machine;
class Process;

// What the FILE, RENAME and DELETE commands work with.
struct FileInstallContext {
  CopyContext copy;
  Machine& machine;                  // version texts, for NEW
  Process& process;                  // outside decompressors
  const ScriptVariables& variables;  // $SOURCEDIR$, $DEFAULTDIR$ and the expansions
  CompressionTool compressionTool;   // the script's COMPRESSION setting
};

// Results of InstallFileEntry.
enum : int { kFileEntryDone = 0, kFileEntryStop = 1 };
// Results of InstallOneFile.
enum : int { kCopyDone = 0, kCopyStopped = -1 };

// The longest source path that is looked up; a longer one is reported as
// not found.
constexpr size_t kSourcePathCapacity = capacity::kPath;
// Plain copies move data in blocks of this size.
constexpr int32_t kCopyBlockSize = 32768;

// Installs every source file of one FILE entry. The entry's name is
// replaced by its expansion. Returns kFileEntryDone (also when there was
// nothing to do, or the file was already read as a container's continuation
// volume) or kFileEntryStop when the installation must stop; a message has
// then been reported, except when the user cancelled or quit at the
// next-disk question.
int InstallFileEntry(const FileInstallContext& ctx, FileEntry& entry);

// Installs one source file as `target`: extracts it into the target's
// directory when it is a shrunk-file container, else copies it under
// `policy`, dates it from the source, gives it `attributes` and journals it.
// Returns kCopyDone (also when an existing target was kept) or kCopyStopped
// after a report.
int InstallOneFile(const FileInstallContext& ctx, const std::string& target, const std::string& source,
                   OverwritePolicy policy, uint32_t attributes);

// The full source path of the file `fileName` of `entry`, built from
// $SOURCEDIR$ and the entry's SOURCE= directory. It is not cut: callers
// refuse paths longer than kSourcePathCapacity.
std::string SourcePath(const ScriptVariables& variables, const FileEntry& entry, const std::string& fileName);

// The command line that runs an outside decompressor (`tool`, the script's
// COMPRESSION setting; `compression`, COMPRESSED or SELF-EXTRACT) on
// `source` into `destination`.
std::string DecompressorCommandLine(CompressionTool tool, Compression compression, OverwritePolicy policy,
                                    const std::string& source, const std::string& destination);

// RENAME: renames one file, or every file that matches a "*" pattern
// (AB*, *.TXT or *.*), journalling each rename. The record's names are
// replaced by their expansions. Failures are silent, except a directory of
// the new name that cannot be created (kBadDirectory).
void RenameEntry(const CopyContext& copy, const ScriptVariables& variables, RenameRecord& record);

// DELETE: deletes one file, or every file that matches a "*" or "?"
// pattern, clearing a read-only attribute when the first attempt fails. A
// name without drive or leading "\" is taken inside $DEFAULTDIR$. The
// record's name is replaced by its expansion. Failures are silent.
void DeleteEntry(FileSystem& files, const ScriptVariables& variables, DeleteRecord& record);

}  // namespace quorril
