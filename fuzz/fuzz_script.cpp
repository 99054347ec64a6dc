// Fuzz target: an install script through both passes of the parser, with
// every condition test, over the in-memory machine.
#include <cstdint>
#include <string>

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "script/parser.h"
#include "shell/setup_context.h"

using namespace quorril;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  MemoryFileSystem files;
  MemoryMachine machine;
  MemoryProcess process;
  ScriptedUserInterface ui;
  files.AddDirectory("C:\\SETUP");
  files.AddDirectory("C:\\WINDOWS\\SYSTEM");
  files.AddFile("C:\\SETUP\\S.CFG", std::string(reinterpret_cast<const char*>(data), size));
  files.AddFile("C:\\WINDOWS\\SYSTEM.INI", "[386Enh]\ndevice=x\n");
  files.SetCurrentDirectory("C:\\SETUP");
  SetupContext ctx(Ports{&files, &machine, &process, &ui});
  CreateInstallScript(ctx);
  ctx.variables.sourceDir = "C:\\SETUP";
  ctx.variables.winDir = "C:\\WINDOWS";
  if (ParseScript(ctx, "C:\\SETUP\\S.CFG") == 0 && ctx.script->deferredBlockCount > 0) {
    ctx.settings.itemChosen = ctx.settings.itemPreset;
    ParseDeferredBlocks(ctx);
  }
  return 0;
}
