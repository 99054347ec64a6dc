// Win32Profile: the profile port over KERNEL32's private-profile calls.
//
// Reads go through GetPrivateProfileStringA into a buffer that grows until
// the whole text fits (the call cuts a value to the buffer's size less one,
// a key list to its size less two). The call hands a missing key's default
// back without its trailing blanks and enclosing quotes, so a value is
// asked for with marker defaults of the adapter's own, and the caller's
// default is returned untouched when the key is missing; a key list is
// asked for with an empty default, which the call hands back for a missing
// or empty section. Writes, deletions (a null value deletes a key, a null
// key a section) and the flush (everything null but the file) go through
// WritePrivateProfileStringA; the flush reports nothing useful, so Flush()
// looks for the file afterwards. Names holding a zero byte are refused.
// The class holds no state; the system keeps its own cache of the files.
#pragma once

#include <string>
#include <vector>

#include "platform/profile.h"

namespace quorril {

class Win32Profile : public Profile {
 public:
  bool ReadKeyNames(const std::string& file, const std::string& section, std::vector<std::string>* names) override;
  bool ReadValue(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& defaultValue, std::string* value) override;
  bool WriteValue(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) override;
  bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) override;
  bool DeleteSection(const std::string& file, const std::string& section) override;
  bool Flush(const std::string& file) override;
  std::string FullPath(const std::string& file) override;
};

}  // namespace quorril
