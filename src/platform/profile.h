// The profile port: the keys of INI files, read and written as the
// system's private-profile functions keep them.
//
// Contract, for every implementation (Win32 adapter, in-memory fake):
//  - A file holds "[section]" lines, each followed by its "key=value" lines,
//    one line each, in the ANSI code page. Section and key names compare
//    without regard to ASCII case; when a name is there twice, the first
//    one counts. Names are given without surrounding blanks.
//  - A file name without any "\" or "/" lies in the Windows directory; any
//    other name resolves against the current directory, as the file-system
//    port resolves paths. FullPath() tells which file a name stands for.
//  - Reading never creates anything. A missing file, section or key reads
//    as the caller's default, exactly as given. A value reads back whole,
//    without the blanks around it, and without the double or single quotes
//    that enclose it ("'x'" reads as x). A key list leaves out the lines
//    that have no "=" and those that begin with ";".
//  - WriteValue() replaces an existing key where it stands (keeping its
//    spelling), adds a new key at the end of its section and a new section
//    at the end of the file, and creates a missing file (not a missing
//    directory). It returns false when the file could not be written.
//  - Deleting what is not there succeeds and creates nothing.
//  - No call throws or shows anything.
#pragma once

#include <string>
#include <vector>

namespace quorril {

class Profile {
 public:
  virtual ~Profile() = default;
  // The key names of a section, in file order, into *names: none when the
  // file or the section is missing or the section has no keys. False (and
  // no names) when the file is there but cannot be read; the system's
  // functions cannot tell that and always answer true.
  virtual bool ReadKeyNames(const std::string& file, const std::string& section, std::vector<std::string>* names) = 0;
  // The whole value of a key (never cut) into *value, or defaultValue when
  // the file, section or key is missing. False (and the default) when the
  // file is there but cannot be read, as for ReadKeyNames().
  virtual bool ReadValue(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& defaultValue, std::string* value) = 0;
  // The same where a read failure may count as missing.
  std::vector<std::string> KeyNames(const std::string& file, const std::string& section) {
    std::vector<std::string> names;
    ReadKeyNames(file, section, &names);
    return names;
  }
  std::string Value(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& defaultValue) {
    std::string value;
    ReadValue(file, section, key, defaultValue, &value);
    return value;
  }
  // Writes a key, creating the file and the section when missing; false when it could not be written.
  virtual bool WriteValue(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& value) = 0;
  // Removes a key / a whole section (for the uninstaller); true when it is gone afterwards (also when it was never
  // there).
  virtual bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) = 0;
  virtual bool DeleteSection(const std::string& file, const std::string& section) = 0;
  // Writes the system's cached copy of the file to disk; true when the file is on disk afterwards.
  virtual bool Flush(const std::string& file) = 0;
  // The full path of the file that a name stands for: a name without any "\" or "/" lies in the Windows
  // directory; other names resolve as the file-system port resolves paths (against the current directory).
  virtual std::string FullPath(const std::string& file) = 0;
};

}  // namespace quorril
