// The script parser: reads the install script into the script model.
//
// ParseScript is the first pass (start-up): it reads the whole script
// through VirtualFileSystem, decides IF blocks on machine tests and stores
// the blocks that wait for the user's choices. ParseDeferredBlocks is the
// second pass (after the choice screens): it replays the stored blocks.
// Both show their own messages (file not found, "Syntax error, line: N").
// After a failure ctx.parser.failure tells why and ctx.parser.lastError
// holds the line of the syntax-error message (SyntaxErrorReport,
// parser_state.h). EXITMESSAGE stores its text block in
// InstallScript::exitMessage and ends the pass with failure without any
// message: the caller shows the exit message's screen.
#pragma once

#include <string>

#include "script/line_source.h"
#include "model/parser_state.h"

namespace quorril {

class SetupContext;

// 0 when the script was read without error, 1 otherwise (also after
// EXITMESSAGE).
int ParseScript(SetupContext& ctx, const std::string& scriptPath);
// 0 when every stored block was read without error, -1 otherwise. Sets the
// pass flag; the choices (ScriptSettings::itemChosen) and the answers
// ($ASK1$ ... $ASK5$) must be in place.
int ParseDeferredBlocks(SetupContext& ctx);

}  // namespace quorril
