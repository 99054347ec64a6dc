// The parser's process-wide state: the pass, the IF state and the per-item
// disk space of the first pass. It lives in SetupContext and is shared with
// the condition tests, which capture deferred blocks.
#pragma once

#include <array>
#include <cstdint>

#include "script/script_model.h"

namespace quorril {

struct IfState {
  bool skipping = false;
  int32_t lastResult = 0;
  bool inFalseBranch = false;
  bool elseAllowed = false;
  bool endifAllowed = false;
  void Clear() { *this = IfState(); }
};

struct ParserState {
  int32_t pass = 0;  // 0 first pass, 1 second pass (never reset)
  IfState ifState;
  bool inExitMessage = false;  // a skipped branch is passing over EXITMESSAGE ... EXIT
  std::array<int32_t, kMaxChoiceItems> itemDiskSpace;  // by choice-item number, -1 = not given
  int32_t deferredState = 0;  // 0 none stored, 1 blocks stored, 2 a text block is being read

  ParserState() { itemDiskSpace.fill(-1); }
};

}  // namespace quorril
