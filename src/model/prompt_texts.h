// PromptTexts: every replaceable message text of the engine, with its
// default, the script key that rewords it and the key's capacity.
//
// The table is state of one run (it lives in ScriptState).
// Start-up sets three of the texts before the script model exists; creating
// the model loads all defaults; the parser replaces a text when the script
// names its key. Texts without a key are fixed and only read.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace quorril {

enum class PromptId {
  // Texts a script can reword.
  kCopyFile,
  kAutoexec,
  kConfig,
  kCpu,
  kIniFile,
  kInsertDisk,
  kLocate,
  kNoGroup,
  kNoSpace,
  kQuit,
  kReboot,
  kBadDir,
  kBadDrive,
  kFileExist,
  kFileNotFound,
  kOk,
  kCancel,
  kUninstallBegin,
  kUninstallEnd,
  kUninstallTitle,
  // Fixed texts.
  kDirectoryPrompt,
  kDrivePrompt,
  kDriveAndDirectoryPrompt,
  kNextDisk,
  kCommandFailure,
  kSyntaxErrorCaption,
  kMissingEndFirstScreen,
  kReadDiskError,
  kWriteDiskError,
  kExpansionMemoryError,
  kReadFileError,
  kCreateFileError,
  kBadArchiveError,
  kRegistrationFailure,
  kCount
};

// Capacity of a text whose size is not bounded by the engine.
constexpr size_t kUnboundedText = static_cast<size_t>(-1);

struct PromptInfo {
  PromptId id;
  const char* key;  // script key, or nullptr for a fixed text
  const char* defaultText;
  size_t capacity;
};

// The table of all texts in PromptId order.
const std::array<PromptInfo, static_cast<size_t>(PromptId::kCount)>& PromptTable();
// The text whose key equals `key` without regard to case, or nullptr.
const PromptInfo* FindPromptKey(std::string_view key);

class PromptTexts {
 public:
  PromptTexts() { LoadDefaults(); }
  void LoadDefaults();
  const std::string& Get(PromptId id) const { return texts_[static_cast<size_t>(id)]; }
  // Sets a text; false (text unchanged) when it exceeds the text's capacity.
  bool Set(PromptId id, std::string_view text);

 private:
  std::array<std::string, static_cast<size_t>(PromptId::kCount)> texts_;
};

}  // namespace quorril
