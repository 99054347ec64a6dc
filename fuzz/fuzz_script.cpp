// Fuzz target: an install script through both passes of the parser, with
// every condition test, over the in-memory machine.
#include <cstdint>
#include <string>

#include "package/virtual_file.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "script/parser.h"
#include "script/script_context.h"

using namespace quorril;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  MemoryFileSystem files;
  MemoryMachine machine;
  ScriptedUserInterface ui;
  files.AddDirectory("C:\\SETUP");
  files.AddDirectory("C:\\WINDOWS\\SYSTEM");
  files.AddFile("C:\\SETUP\\S.CFG", std::string(reinterpret_cast<const char*>(data), size));
  files.AddFile("C:\\WINDOWS\\SYSTEM.INI", "[386Enh]\ndevice=x\n");
  files.SetCurrentDirectory("C:\\SETUP");
  VirtualFileSystem archive(&files);
  ScriptState state;
  const ScriptContext ctx{state, files, machine, ui, archive};
  CreateInstallScript(state, files, machine);
  state.variables.sourceDir = "C:\\SETUP";
  state.variables.winDir = "C:\\WINDOWS";
  if (ParseScript(ctx, "C:\\SETUP\\S.CFG") == 0 && state.model->deferredBlockCount > 0) {
    state.settings.itemChosen = state.settings.itemPreset;
    ParseDeferredBlocks(ctx);
  }
  return 0;
}
