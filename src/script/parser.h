// The script parser: reads the install script into the script model.
//
// ParseScript is the first pass (start-up): it reads the whole script
// through VirtualFileSystem, decides IF blocks on machine tests and stores
// the blocks that wait for the user's choices. ParseDeferredBlocks is the
// second pass (after the choice screens): it replays the stored blocks.
// Both show their own messages (file not found, "Syntax error, line: N").
// After a failure ScriptState::parser.failure tells why and .lastError
// holds the line of the syntax-error message (SyntaxErrorReport,
// model/parser_state.h). EXITMESSAGE stores its text block in
// InstallScript::exitMessage and ends the pass with failure without any
// message: the caller shows the exit message's screen.
#pragma once

#include <string>

#include "model/parser_state.h"
#include "script/line_source.h"

namespace quorril {

struct ScriptContext;

// 0 when the script was read without error, 1 otherwise (also after
// EXITMESSAGE).
int ParseScript(const ScriptContext& ctx, const std::string& scriptPath);
// 0 when every stored block was read without error, -1 otherwise. Sets the
// pass flag; the choices (ScriptSettings::itemChosen) and the answers
// ($ASK1$ ... $ASK5$) must be in place.
int ParseDeferredBlocks(const ScriptContext& ctx);

}  // namespace quorril
