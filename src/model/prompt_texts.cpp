// The message texts and their defaults. Trailing blanks are part of several
// defaults: the callers append a name or a number directly.
#include "model/prompt_texts.h"

#include "model/capacities.h"
#include "platform/text.h"

namespace quorril {

const std::array<PromptInfo, static_cast<size_t>(PromptId::kCount)>& PromptTable() {
  static const std::array<PromptInfo, static_cast<size_t>(PromptId::kCount)> table = {{
      {PromptId::kCopyFile, "COPYFILEPROMPT", "Installing file: ", capacity::kShortPrompt},
      {PromptId::kAutoexec, "AUTOEXECPROMPT", "Do you wish this program to modify your AUTOEXEC.BAT?",
       capacity::kLongPrompt},
      {PromptId::kConfig, "CONFIGPROMPT", "Do you wish this program to modify file CONFIG.SYS?", capacity::kLongPrompt},
      {PromptId::kCpu, "CPUPROMPT",
       "This application requires a computer with a processor no less than: ", capacity::kLongPrompt},
      {PromptId::kIniFile, "INIFILEPROMPT", "Do you wish this program to modify file ", capacity::kLongPrompt},
      {PromptId::kInsertDisk, "INSERTDISKPROMPT", "Please insert ", capacity::kShortPrompt},
      {PromptId::kLocate, "LOCATEPROMPT", "Checking system, please wait...", capacity::kShortPrompt},
      {PromptId::kNoGroup, "NOGROUPPROMPT", "No group is selected.", capacity::kShortPrompt},
      {PromptId::kNoSpace, "NOSPACEPROMPT", "Not enough disk space on the destination drive for installation.",
       capacity::kLongPrompt},
      {PromptId::kQuit, "QUITPROMPT", "Do you wish to quit?", capacity::kShortPrompt},
      {PromptId::kReboot, "REBOOTPROMPT", "Do you wish to reboot?", capacity::kShortPrompt},
      {PromptId::kBadDir, "BADDIRPROMPT", "Invalid directory.", capacity::kDialogPrompt},
      {PromptId::kBadDrive, "BADDRIVEPROMPT", "Invalid drive specification.", capacity::kDialogPrompt},
      {PromptId::kFileExist, "FILEEXISTPROMPT", "File exists.  Overwrite ", capacity::kDialogPrompt},
      {PromptId::kFileNotFound, "FILENOTFOUNDPROMPT",
       "File not found on the installation disk: ", capacity::kDialogPrompt},
      {PromptId::kOk, "OKPROMPT", "OK", capacity::kDialogPrompt},
      {PromptId::kCancel, "CANCELPROMPT", "Cancel", capacity::kDialogPrompt},
      {PromptId::kUninstallBegin, "UNINSTALLBEGINPROMPT", "Do you want this application removed from your system?",
       kUnboundedText},
      {PromptId::kUninstallEnd, "UNINSTALLENDPROMPT",
       "This application has been successfully removed from your system.", kUnboundedText},
      {PromptId::kUninstallTitle, "UninstallTitlePrompt", "UnInstall", capacity::kUninstallPrompt},
      {PromptId::kDirectoryPrompt, nullptr, "Please enter the destination directory:", kUnboundedText},
      {PromptId::kDrivePrompt, nullptr, "Please enter the destination drive:", kUnboundedText},
      {PromptId::kDriveAndDirectoryPrompt, nullptr,
       "Please enter the destination drive and directory:", kUnboundedText},
      {PromptId::kNextDisk, nullptr, "the next disk", kUnboundedText},
      {PromptId::kCommandFailure, nullptr, "Cannot execute command ", kUnboundedText},
      {PromptId::kSyntaxErrorCaption, nullptr, "Syntax error, line: ", kUnboundedText},
      {PromptId::kMissingEndFirstScreen, nullptr, "Missing EndFirstScreen ", kUnboundedText},
      {PromptId::kReadDiskError, nullptr, "Reading disk error.", kUnboundedText},
      {PromptId::kWriteDiskError, nullptr, "Writing disk error.", kUnboundedText},
      {PromptId::kExpansionMemoryError, nullptr, "Not enough memory unshrinking files", kUnboundedText},
      {PromptId::kReadFileError, nullptr, "Reading file error: ", kUnboundedText},
      {PromptId::kCreateFileError, nullptr, "Cannot create file ", kUnboundedText},
      {PromptId::kBadArchiveError, nullptr, "Invalid compressed file ", kUnboundedText},
      {PromptId::kRegistrationFailure, nullptr, " has not been successfully registered.", kUnboundedText},
  }};
  return table;
}

const PromptInfo* FindPromptKey(std::string_view key) {
  for (const PromptInfo& info : PromptTable())
    if (info.key && EqualsNoCase(info.key, key)) return &info;
  return nullptr;
}

void PromptTexts::LoadDefaults() {
  for (const PromptInfo& info : PromptTable()) texts_[static_cast<size_t>(info.id)] = info.defaultText;
}

bool PromptTexts::Set(PromptId id, std::string_view text) {
  const PromptInfo& info = PromptTable()[static_cast<size_t>(id)];
  if (info.capacity != kUnboundedText && text.size() > info.capacity) return false;
  texts_[static_cast<size_t>(id)] = std::string(text);
  return true;
}

}  // namespace quorril
