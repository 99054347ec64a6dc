// The fixture of the parser tests: a script on the in-memory machine, the
// first pass, the second pass with chosen items, and the messages shown.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "package/virtual_file.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "script/parser.h"
#include "script/parser_internal.h"
#include "script/script_context.h"

namespace quorril::testing {

class ParserTest : public ::testing::Test {
 protected:
  static constexpr const char* kScriptPath = "C:\\SETUP\\SETUP.CFG";

  ParserTest() {
    files.AddDirectory("C:\\WINDOWS\\SYSTEM");
    files.AddDirectory("C:\\SETUP");
    files.SetCurrentDirectory("C:\\SETUP");
    CreateInstallScript(state, files, machine);
    state.variables.sourceDir = "C:\\SETUP";
    state.variables.sourceDir8 = "C:\\SETUP";
    state.variables.sourceDrive = "C";
    state.variables.winDir = "C:\\WINDOWS";
    state.variables.winSysDir = "C:\\WINDOWS\\SYSTEM";
    state.variables.winHelpDir = "C:\\WINDOWS\\help";
  }

  // The first pass over a script of these lines (CR LF line ends).
  int Parse(std::initializer_list<std::string> lines) { return Parse(std::vector<std::string>(lines)); }
  int Parse(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return ParseText(text);
  }
  // Each call starts from a new script model, as a new run would; the
  // variables a test set stay, the destinations and answers are emptied.
  int ParseText(const std::string& text) {
    state.settings = ScriptSettings();
    state.parser = ParserState();
    CreateInstallScript(state, files, machine);
    ScriptVariables& vars = state.variables;
    vars.defaultDir.clear();
    vars.defaultDir8.clear();
    vars.defaultDrive.clear();
    vars.dir2.clear();
    vars.dir3.clear();
    for (std::string& answer : vars.ask) answer.clear();
    files.AddFile(kScriptPath, text);
    return ParseScript(ctx, kScriptPath);
  }
  // The second pass with the items of these choice numbers chosen.
  int Replay(std::initializer_list<int> chosenNumbers = {}) {
    for (int number : chosenNumbers) {
      int32_t index = state.settings.itemNumberMap[size_t(number)];
      if (index >= 0) state.settings.itemChosen[size_t(index)] = 1;
    }
    return ParseDeferredBlocks(ctx);
  }

  InstallScript& script() { return *state.model; }
  const SyntaxErrorReport& error() const { return state.parser.lastError; }
  // The caption of the last message box, "<default>" for the system's.
  std::string LastCaption() const {
    if (ui.boxes.empty()) return "(no box)";
    return ui.boxes.back().caption ? *ui.boxes.back().caption : "<default>";
  }
  // Expects the first pass to fail with a syntax error at `line` showing
  // `text`.
  void ExpectSyntaxError(int result, int32_t line, const std::string& text) {
    EXPECT_EQ(result, 1);
    EXPECT_EQ(state.parser.failure, ParseFailure::kSyntaxError);
    EXPECT_EQ(error().lineNumber, line);
    EXPECT_EQ(error().lineText, text);
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(LastCaption(), "Syntax error, line: " + std::to_string(line));
    EXPECT_EQ(ui.boxes.back().text, text);
  }

  MemoryFileSystem files;
  MemoryMachine machine;
  MemoryProcess process;
  ScriptedUserInterface ui;
  VirtualFileSystem archive{&files};
  ScriptState state;
  ScriptContext ctx{state, files, machine, ui, archive};
};

}  // namespace quorril::testing
