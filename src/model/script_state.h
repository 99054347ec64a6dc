// ScriptState: the install script over one run, as one value that neither
// the parser nor the screens own.
//
// It holds the script model the parser builds (InstallScript), the values
// the script sets that the whole engine reads (ScriptSettings), the $NAME$
// variables, the replaceable message texts and the parser's own state. The
// parser is the only writer while the script is read; the run sequence and
// the screens then update the user-dependent values (choices, answers,
// destinations). Functions of the lower layers take this struct, or the
// part of it they use, never the run context of the shell.
#pragma once

#include <memory>
#include <string>

#include "model/parser_state.h"
#include "model/prompt_texts.h"
#include "model/script_model.h"

namespace quorril {

class FileSystem;
class Machine;

struct ScriptState {
  std::unique_ptr<InstallScript> model;  // null until CreateInstallScript
  ScriptSettings settings;
  ScriptVariables variables;
  PromptTexts prompts;
  ParserState parser;

  const std::string& Prompt(PromptId id) const { return prompts.Get(id); }
};

// Creates the script model of the run: the records at their values of
// creation, the choice tables cleared, every default text loaded, the
// Windows and DOS versions read (machine) and the default drive letter
// decided (whether drive A: is a fixed disk).
void CreateInstallScript(ScriptState& script, FileSystem& files, Machine& machine);

// A version number as the script's tests compare it: "major.minor" read as
// a real, so a minor version of 10 reads as .1 (4.10 compares as 4.1).
double VersionNumber(int major, int minor);

}  // namespace quorril
