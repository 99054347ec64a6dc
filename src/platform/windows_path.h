// Windows paths as the engine composes them: texts in the ANSI code page,
// "\" between components, "X:" in front of a drive-qualified path. These
// are text rules only; nothing here asks the file system.
//
//   path                   FileName     FileTitle   DirectoryPart  CutAtLastBackslash
//   C:\APP\READ.ME.TXT     READ.ME.TXT  READ.ME     C:\APP\        C:\APP
//   C:SETUP.EXE            SETUP.EXE    SETUP       ""             ""
//   \ROOT.TXT              ROOT.TXT     ROOT        \              ""
//
//   name                   WithoutExtension   Extension
//   READ.ME.TXT            READ.ME            .TXT
//   MAKEFILE               MAKEFILE           ""
//
//   current  path            ResolvePath
//   C:\WORK  SUB/..\A.INI.   C:\WORK\A.INI
//   C:\WORK  \ROOT.INI       C:\ROOT.INI
//   C:\WORK  D:X.INI         D:\X.INI
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorril {

// True when the second character is ":" (a drive letter in front).
bool HasDrive(std::string_view path);
// True for a path that does not hang below the current or destination
// directory: it begins with "\" or names a drive.
bool IsAbsolutePath(std::string_view path);
bool EndsWithBackslash(std::string_view path);

// The file name with its extension: what follows the last "\", or the
// drive prefix when there is no backslash.
std::string FileName(const std::string& path);
// The file name without its extension, as the C runtime's _splitpath gives
// it: the last component after the drive and the last "\" or "/", up to its
// last full stop.
std::string FileTitle(const std::string& path);
// A name up to its last full stop (all of it when it has none), and from
// its last full stop on (empty when it has none).
std::string WithoutExtension(const std::string& name);
std::string Extension(const std::string& name);

// Up to and including the last backslash ("" when there is none).
std::string DirectoryPart(const std::string& path);
// The text before the last backslash ("" when there is none).
std::string CutAtLastBackslash(const std::string& path);
// One trailing backslash removed ("C:\" becomes "C:").
std::string WithoutTrailingBackslash(std::string path);
// `directory` and `name` with exactly the one backslash between them that
// `directory` may already end in.
std::string JoinPath(const std::string& directory, const std::string& name);

// The components of a path between its "\" and "/" separators, empty ones
// left out ("C:\\A/B\" gives "C:", "A", "B").
std::vector<std::string> PathComponents(std::string_view path);

// The absolute form of `path` as the system resolves it against the
// current directory `current` ("C:\" or "C:\DIR"): a relative path hangs
// below `current`, a root-relative one ("\X") below its drive's root, a
// drive-relative one ("D:X") below `current` when that is on the same drive
// and below the drive's root otherwise. "/" separates like "\", "." and ".."
// are resolved, trailing dots and blanks of a component are dropped, and
// the result ends in "\" only when it is a root. "" for an empty path.
std::string ResolvePath(const std::string& current, const std::string& path);

// True when two paths are spelled alike, without regard to ASCII case and
// to doubled backslashes: copying or renaming such a file onto itself would
// first destroy it.
bool SamePath(const std::string& a, const std::string& b);

}  // namespace quorril
