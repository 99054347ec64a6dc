// The publisher's script check: the engine's parser, both passes, run on a
// machine that the caller describes through the ports of a ScriptContext
// (the publisher's tool imagines one in memory), with the result told the
// way a compiler tells it.
//
// The script's folder is the source directory (the caller puts the script
// and the folder's files there); the second pass replays the stored IF
// blocks with the choices preset by "[X]" and the default answers of
// ASK1 ... ASK5.
//
// Output (stable; tools read it):
//   syntax error      exit 1, one line "SCRIPT:N: Syntax error, line: N: TEXT"
//   unreadable script exit 2, one line "File not found on the installation disk: SCRIPT. "
//   success           exit 0, "SCRIPT: OK" and a summary, two blanks before each
//                     summary line
// Before the result, one line "SCRIPT:N: warning: TEXT" for each warning
// (script_warnings.h), counted in the summary ("warnings: N"); with
// `strict` a warning makes the exit code 1. N is always the file's real
// line; where the engine counts the line otherwise, a warning adds "(the
// engine counts line M)", and a syntax error's text keeps the engine's
// count ("line: M").
#pragma once

#include <string>
#include <vector>

#include "script/script_context.h"

namespace quorril {

enum : int { kCheckOk = 0, kCheckSyntaxError = 1, kCheckUnreadable = 2 };

struct CheckInput {
  std::string shownName;        // the script as the publisher named it; shown in the output
  std::string sourceDirectory;  // the script's folder on the checked machine, without "\" at the end
  std::string scriptName;       // the script's file name in that folder
  std::vector<std::string> options;  // start-up options ($SYSTEM$, $SYS2$, $SYS3$)
  bool strict = false;               // a warning makes the exit code 1
};

struct CheckResult {
  int exitCode = kCheckOk;
  std::string output;  // lines ending in "\n"
};

// Sets the variables of the checked machine, creates the script model, runs
// both passes and forms the output.
CheckResult CheckScript(const ScriptContext& ctx, const CheckInput& input);

// The line for an unreadable script.
std::string UnreadableScriptLine(const std::string& script);

}  // namespace quorril
