// MemoryProfile: an in-memory fake of the profile port that keeps each INI
// file as text in a file-system port, so that a test sees the very bytes
// that were written.
//
// Every call reads the file afresh and parses it the way Wine's profile
// code does; a change writes the whole file back in Wine's form, or leaves
// it untouched when nothing changed (the same value written again, a key
// that was not there deleted):
//   file        := [key line...] then section...   (keys before the first
//                  header belong to the section named "")
//   section     := "[" name "]" line, then its key lines; the name runs to
//                  the last "]" of the line, what follows is dropped
//   key line    := name "=" value, or a name alone (no value: never listed,
//                  read as missing); a key line that begins with ";" is a
//                  comment, which reads like a key but is never listed
//   written as  "[name]\r\n" and "name=value\r\n" lines, blank lines
//               dropped, names and values without surrounding blanks
// Blanks are the C locale's white space and Ctrl-Z. Names compare without
// regard to ASCII case, the first of two alike counts; a value read comes
// back without one pair of enclosing quotes, a value written loses its
// leading blanks. Names without "\" or "/" lie in the machine's Windows
// directory.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/machine.h"
#include "platform/profile.h"

namespace quorril {

class MemoryProfile : public Profile {
 public:
  MemoryProfile(FileSystem& files, Machine& machine) : files_(files), machine_(machine) {}

  bool ReadKeyNames(const std::string& file, const std::string& section, std::vector<std::string>* names) override;
  bool ReadValue(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& defaultValue, std::string* value) override;
  bool WriteValue(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) override;
  bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) override;
  bool DeleteSection(const std::string& file, const std::string& section) override;
  bool Flush(const std::string& file) override;
  std::string FullPath(const std::string& file) override;

 private:
  struct Document;

  // Parses a file; a file that is not there (nor its directory) is an empty
  // document. False when the file exists but cannot be read.
  bool Load(const std::string& path, Document* document);
  bool Store(const std::string& path, const Document& document);

  FileSystem& files_;
  Machine& machine_;
};

}  // namespace quorril
