// The script parser: reads the install script into the script model.
//
// ParseScript is the first pass (start-up): it reads the whole script
// through VirtualFileSystem, decides IF blocks on machine tests and stores
// the blocks that wait for the user's choices. ParseDeferredBlocks is the
// second pass (after the choice screens): it replays the stored blocks.
// Both show their own messages (file not found, "Syntax error, line: N").
#pragma once

#include <string>

#include "script/line_source.h"

namespace quorril {

class SetupContext;

// 0 when the script was read without error, 1 otherwise (also after
// EXITMESSAGE, whose screen has been shown).
int ParseScript(SetupContext& ctx, const std::string& scriptPath);
// 0 when every stored block was read without error, -1 otherwise.
int ParseDeferredBlocks(SetupContext& ctx);

// The text of the syntax-error message of the last failure: the caption
// ("Syntax error, line: N") and the line shown. Empty when none occurred.
struct SyntaxErrorReport {
  int32_t lineNumber = 0;
  std::string lineText;
};

}  // namespace quorril
