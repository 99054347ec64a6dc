// The parser's state of one run: the pass, the IF state and the per-item
// disk space of the first pass. It lives in ScriptState and is shared with
// the condition tests, which capture deferred blocks.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/script_model.h"

namespace quorril {

struct IfState {
  bool skipping = false;
  int32_t lastResult = 0;
  bool inFalseBranch = false;
  bool elseAllowed = false;
  bool endifAllowed = false;
  void Clear() { *this = IfState(); }
};

// Why the last pass failed.
enum class ParseFailure : int32_t {
  kNone = 0,
  kScriptNotFound,      // the script could not be opened
  kSyntaxError,         // "Syntax error, line: N" was shown
  kExitMessage,         // EXITMESSAGE ended the pass; the block is in InstallScript::exitMessage
  kBlockCountMismatch,  // the second pass refused to run
};

// The syntax-error message of the last failure: the line number of the
// caption ("Syntax error, line: N") and the line shown as the text (empty at
// the end of the script). For kExitMessage, the EXITMESSAGE line.
struct SyntaxErrorReport {
  int32_t lineNumber = 0;
  std::string lineText;
};

struct ParserState {
  int32_t pass = 0;  // 0 first pass, 1 second pass (never reset)
  IfState ifState;
  bool inExitMessage = false;  // a skipped branch is passing over EXITMESSAGE ... EXIT
  std::array<int32_t, kMaxChoiceItems> itemDiskSpace;  // by choice-item number, -1 = not given
  int32_t deferredState = 0;  // 0 none stored, 1 blocks stored, 2 a text block is being read
  ParseFailure failure = ParseFailure::kNone;  // of the last pass
  SyntaxErrorReport lastError;                 // of the last pass

  ParserState() { itemDiskSpace.fill(-1); }
};

}  // namespace quorril
