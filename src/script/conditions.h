// Conditions: the test of one IF line.
//
// EvaluateCondition decides a test of the first pass: the machine tests at
// once; the tests on the user's choices (GROUP, $ASKn) capture the IF block
// as a DeferredBlock for the second pass. EvaluateChoiceCondition decides
// the IF line of a deferred block in the second pass.
// Results: kConditionTrue 1, kConditionFalse 0, kConditionError -1 (the
// parser reports a syntax error), kConditionStored 100 (first pass only).
#pragma once

#include <cstdint>
#include <string>

#include "script/line_source.h"
#include "script/tokenizer.h"

namespace quorril {

class FileSystem;
struct ScriptContext;
struct ScriptVariables;

enum : int { kConditionTrue = 1, kConditionFalse = 0, kConditionError = -1, kConditionStored = 100 };

enum class CompareOp : int32_t {
  kNone = 0,
  kEqual = 1,
  kGreater = 2,
  kLess = 3,
  kGreaterOrEqual = 4,
  kLessOrEqual = 5,
  kNotEqual = 6,
  kRange = 7,
};

// The tokenizer stands just after the IF keyword. `source` gives the raw
// lines of a block to capture; `ifLineNumber` is the IF line's number.
int EvaluateCondition(const ScriptContext& ctx, ScriptTokenizer& tokenizer, LineSource& source, int32_t ifLineNumber);
int EvaluateChoiceCondition(const ScriptContext& ctx, ScriptTokenizer& tokenizer);

// The parts of the tests, usable alone.
CompareOp ReadCompareOp(ScriptTokenizer& tokenizer);
int PathExists(FileSystem& files, const ScriptVariables& variables, std::string path);
int SearchTextFile(FileSystem& files, ScriptVariables& variables, const std::string& file, const std::string& text,
                   const std::string& skipPrefix, const std::string& beginMarker, const std::string& endMarker);
// driveNumber: above 0 one drive (1 = A), 0 fixed and network drives,
// -1 fixed drives, -2 network drives. Returns the found flag.
int LocateFile(FileSystem& files, ScriptVariables& variables, const std::string& pattern, int driveNumber);
// kind 1 colours, 2 resolution, 3 both; returns 1, 0 or -1 (bad operator).
int CompareDisplay(const std::string& op, uint32_t colours, int32_t width, int32_t height, int kind,
                   uint64_t displayColours, int32_t displayWidth, int32_t displayHeight);

}  // namespace quorril
