// SetupContext: the state of one run of the engine, held by the shell.
//
// It owns what a run is made of, each part by the layer that owns it: the
// ports through which the engine reaches the machine, the values fixed at
// start-up, the script's state (model/script_state.h), the embedded archive
// and virtual files, the install journal, and the continuation name of the
// copy code. Only the shell and the tools hold it; every lower layer takes
// the part it uses, and the small views below (ForScript, ForCopy) hand
// them out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "journal/journal.h"
#include "model/capacities.h"
#include "model/script_state.h"
#include "package/copy_host.h"
#include "package/file_install.h"
#include "package/unshrink.h"
#include "package/virtual_file.h"
#include "platform/ports.h"
#include "script/script_context.h"

namespace quorril {

// Values fixed at start-up.
struct StartupValues {
  static constexpr size_t kPathCapacity = capacity::kPath;
  static constexpr size_t kShortPathCapacity = capacity::kShortPath;
  static constexpr size_t kOptionCapacity = capacity::kStartupOption;
  std::string executableDirectory;  // ends in "\"
  std::string executablePath;
  std::string scriptPath;       // the full script path
  std::string shortScriptPath;  // its 8.3 form
  int32_t screenWidth = 0;
  int32_t screenHeight = 0;
  // Set once the main window owns the message boxes.
  bool ownerWindowSet = false;
  // An installation started with switches (/SILENT, /LOG=, ...) never
  // relaunches: it runs from where it was started, so that its answers,
  // its log and its exit code stay with this process.
  bool unattended = false;
};

class SetupContext {
  Ports ports_;

 public:
  explicit SetupContext(const Ports& ports) : ports_(ports), archive(ports.files) {}
  SetupContext(const SetupContext&) = delete;
  SetupContext& operator=(const SetupContext&) = delete;

  FileSystem& files() { return *ports_.files; }
  Machine& machine() { return *ports_.machine; }
  Process& process() { return *ports_.process; }
  UserInterface& ui() { return *ports_.ui; }
  bool HasScreens() const { return ports_.screens != nullptr; }
  ScreenSurface& screens() { return *ports_.screens; }
  Profile& profile() { return *ports_.profile; }
  Registry& registry() { return *ports_.registry; }
  ProgramManager& programManager() { return *ports_.programManager; }

  // Shows a message box, owned by the main window once it exists.
  int ShowMessage(const std::string& text, std::optional<std::string> caption, uint32_t style) {
    return ShowMessageBox(*ports_.ui, text, std::move(caption), style, startup.ownerWindowSet);
  }
  // The same, never owned (messages shown before the main window exists or
  // that the engine shows without owner by design).
  int ShowUnownedMessage(const std::string& text, std::optional<std::string> caption, uint32_t style) {
    return ShowMessageBox(*ports_.ui, text, std::move(caption), style, false);
  }
  const std::string& Prompt(PromptId id) const { return script.Prompt(id); }

  // What the script language works with.
  ScriptContext ForScript() { return ScriptContext{script, files(), machine(), ui(), archive}; }
  // What the copy code works with, reporting to `host`.
  CopyContext ForCopy(CopyHost& host) {
    return CopyContext{files(), archive, journal, host, continuationName, ports_.worker, &unshrinkBuffers};
  }
  // What the FILE, RENAME and DELETE commands work with.
  FileInstallContext ForFiles(CopyHost& host) {
    return FileInstallContext{ForCopy(host), machine(), process(), script.variables,
                              script.settings.compressionMethod};
  }

  StartupValues startup;
  ScriptState script;
  VirtualFileSystem archive;
  Journal journal;
  // The file name of the last continuation volume of a shrunk-file
  // container that was opened; FILE entries of that name are skipped.
  std::string continuationName;
  // Kept from one container to the next.
  UnshrinkBuffers unshrinkBuffers;
};

}  // namespace quorril
