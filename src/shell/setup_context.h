// SetupContext: the state of one run of the engine, passed explicitly to
// every operation of the core.
//
// It holds the ports through which the core reaches the machine, the values
// fixed at start-up, the replaceable texts, the script's settings and
// variables, the script model and the state of each subsystem. The engine
// makes one per process; tests and `quorril-pack check` make one over the
// in-memory fakes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "journal/journal.h"
#include "package/virtual_file.h"
#include "platform/file_system.h"
#include "platform/machine.h"
#include "platform/process.h"
#include "platform/screen_surface.h"
#include "platform/user_interface.h"
#include "model/parser_state.h"
#include "model/prompt_texts.h"
#include "model/script_model.h"

namespace quorril {

struct Ports {
  FileSystem* files = nullptr;
  Machine* machine = nullptr;
  Process* process = nullptr;
  UserInterface* ui = nullptr;
  // The screens the script describes; null where none can be shown (the
  // publisher's checker), and then start-up shows no intro screen and no
  // exit message.
  ScreenSurface* screens = nullptr;
};

// Values fixed at start-up.
struct StartupValues {
  static constexpr size_t kPathCapacity = 999;
  static constexpr size_t kShortPathCapacity = 499;
  static constexpr size_t kOptionCapacity = 503;
  std::string executableDirectory;  // ends in "\"
  std::string executablePath;
  std::string scriptPath;       // the full script path
  std::string shortScriptPath;  // its 8.3 form
  int32_t screenWidth = 0;
  int32_t screenHeight = 0;
  // Set once the main window owns the message boxes.
  bool ownerWindowSet = false;
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

  // Shows a message box, owned by the main window once it exists.
  int ShowMessage(const std::string& text, std::optional<std::string> caption, uint32_t style) {
    MessageBoxRequest request;
    request.text = text;
    request.caption = std::move(caption);
    request.style = style;
    request.owned = startup.ownerWindowSet;
    return ports_.ui->ShowMessageBox(request);
  }
  // The same, never owned (messages shown before the main window exists or
  // that the engine shows without owner by design).
  int ShowUnownedMessage(const std::string& text, std::optional<std::string> caption, uint32_t style) {
    MessageBoxRequest request;
    request.text = text;
    request.caption = std::move(caption);
    request.style = style;
    return ports_.ui->ShowMessageBox(request);
  }
  const std::string& Prompt(PromptId id) const { return prompts.Get(id); }

  StartupValues startup;
  PromptTexts prompts;
  ScriptSettings settings;
  ScriptVariables variables;
  std::unique_ptr<InstallScript> script;
  ParserState parser;
  VirtualFileSystem archive;
  Journal journal;
  // The file name of the last continuation volume of a shrunk-file
  // container that was opened; FILE entries of that name are skipped.
  std::string continuationName;
};

}  // namespace quorril
