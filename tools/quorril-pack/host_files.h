// Host files for every command of the tool: whole files in and out, DOS
// dates on host files, case-blind lookup of a file beside another (the
// continuation volumes of a split container), and an output set that
// becomes visible all at once or not at all.
//
// The tool works on host paths (POSIX or Windows). Everything here reports
// its own failures on stderr as "quorril-pack COMMAND: ..." and returns
// false; nothing throws.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace quorril::pack {

constexpr uint64_t kNoSizeLimit = UINT64_MAX;

// Opens a host file to read it as a stream; null (with a message) when it
// cannot be opened or is a directory.
FILE* OpenHostFile(const char* command, const std::string& path);

// Reads a whole file into `data`, which is left as it was on failure. A
// file of more than `limit` bytes is refused. A null `command` reads
// quietly: failures only return false.
bool ReadHostFile(const char* command, const std::string& path, std::string* data,
                  uint64_t limit = kNoSizeLimit);

// The last-write time of a host file as a DOS date and time (local time,
// clamped to the DOS range 1980 to 2107).
bool HostModified(const char* command, const std::string& path, DosDateTime* when);

// The file name of a host path (after its last "/" or "\"), and the
// directory part (up to that separator, "." when there is none).
std::string HostBaseName(const std::string& path);
std::string HostDirectory(const std::string& path);

// Finds `name` in the host directory `directory` without regard to ASCII
// case; the host path of the file, or "" when there is none.
std::string FindBeside(const std::string& directory, const std::string& name);

// "2024-05-17 13:45:06" for a DOS date and time; a field that cannot be
// (month 15, February 30, hour 31, minute 63, second 62) is "??".
std::string DosDateTimeText(DosDateTime when);
// Attribute letters "RHSDA" with "-" for bits that are clear, and the
// value in hexadecimal when other bits are set.
std::string AttributesText(uint32_t attributes);

// A name or path from the input (or the command line) as it may be shown
// on a terminal: the bytes a terminal could take for a control, below 0x20,
// 0x7F and 0x80 to 0x9F (the C1 controls, and the second byte of a C1
// control in UTF-8), as "\xHH"; every other byte, backslashes and the
// letters of the ANSI code page included, as it is.
std::string Printable(std::string_view text);

// A set of output files, each written beside its final name as a temporary
// file, then moved into place together by Commit. Directories it had to
// create, and every temporary file, are removed again when the set goes
// away without a successful Commit; so is a file that is being written.
//
// A file is given whole (Add) or written as a stream (Open, Write ...,
// Close), one at a time. A temporary is only ever a new file: an existing
// file or symbolic link of its name is neither written nor followed, and
// another name is tried (PATH.quorril-tmp first, then
// PATH.<random>.quorril-tmp).
//
// A set kept within a directory (KeepWithin) writes nothing through a
// symbolic link found below it (on Windows: any reparse point, junctions
// included): a directory or file whose path below the directory passes
// through one, or is one, is refused with a message naming the link. The
// paths are checked when a directory is made, when a file is started, and
// once more, all of them, before Commit moves the first file into place.
class OutputSet {
 public:
  explicit OutputSet(const char* command) : command_(command) {}
  ~OutputSet();
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // Keeps every later path that begins with `root` (a directory path that
  // ends in a separator) free of links below it; `root` itself may be a
  // link, as it was chosen by whoever runs the tool.
  void KeepWithin(const std::string& root) { root_ = root; }
  // True once a path was refused for a link below the root.
  bool RefusedLink() const { return refusedLink_; }

  // Creates the directory `path` and any missing parent.
  bool MakeDirectories(const std::string& path);
  // Writes `data` as the file `path`: Open, Write and Close at once.
  bool Add(const std::string& path, const std::string& data, const DosDateTime* when = nullptr,
           const std::string& permissionsFrom = std::string());
  // Starts the file `path`, closing the one before. `when` (if not null)
  // dates the file once it is in place; `permissionsFrom` names a file whose
  // permissions it gets. Once a file could not be created or written, the
  // set refuses everything after, Commit included.
  bool Open(const std::string& path, const DosDateTime* when = nullptr,
            const std::string& permissionsFrom = std::string());
  // Appends to the file started last. False from the first failed write on.
  bool Write(const void* data, size_t size);
  // Finishes the file started last; false when it could not be written.
  bool Close();
  // Moves every file into place, once each was written whole. On failure
  // the files already moved stay (with a message naming them) and the rest
  // is removed.
  bool Commit();

 private:
  struct Pending {
    std::string path;
    std::string temp;
    bool dated = false;
    DosDateTime when;
    std::string permissionsFrom;
  };
  void WriteFailed(int error);
  // False (with a message, the set spoilt) when `path` is below the root
  // and passes through a link there.
  bool FreeOfLinks(const std::string& path);

  const char* command_;
  std::vector<Pending> files_;
  std::vector<std::string> createdDirectories_;  // in creation order
  FILE* open_ = nullptr;                         // the temporary of files_.back() while it is written
  bool failed_ = false;                          // a file could not be made: nothing is committed
  bool committed_ = false;
  std::string root_;                             // KeepWithin's directory; empty: not checked
  bool refusedLink_ = false;                     // a path was refused for a link below root_
};

}  // namespace quorril::pack
