// The fixture of the parser tests: a script on the in-memory machine, the
// first pass, the second pass with chosen items, and the messages shown.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "script/parser.h"
#include "script/parser_internal.h"
#include "shell/setup_context.h"

namespace quorril::testing {

class ParserTest : public ::testing::Test {
 protected:
  static constexpr const char* kScriptPath = "C:\\SETUP\\SETUP.CFG";

  ParserTest() {
    files.AddDirectory("C:\\WINDOWS\\SYSTEM");
    files.AddDirectory("C:\\SETUP");
    files.SetCurrentDirectory("C:\\SETUP");
    CreateInstallScript(ctx);
    ctx.variables.sourceDir = "C:\\SETUP";
    ctx.variables.sourceDir8 = "C:\\SETUP";
    ctx.variables.sourceDrive = "C";
    ctx.variables.winDir = "C:\\WINDOWS";
    ctx.variables.winSysDir = "C:\\WINDOWS\\SYSTEM";
    ctx.variables.winHelpDir = "C:\\WINDOWS\\help";
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
    ctx.settings = ScriptSettings();
    ctx.parser = ParserState();
    CreateInstallScript(ctx);
    ScriptVariables& vars = ctx.variables;
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
      int32_t index = ctx.settings.itemNumberMap[size_t(number)];
      if (index >= 0) ctx.settings.itemChosen[size_t(index)] = 1;
    }
    return ParseDeferredBlocks(ctx);
  }

  InstallScript& script() { return *ctx.script; }
  const SyntaxErrorReport& error() const { return ctx.parser.lastError; }
  // The caption of the last message box, "<default>" for the system's.
  std::string LastCaption() const {
    if (ui.boxes.empty()) return "(no box)";
    return ui.boxes.back().caption ? *ui.boxes.back().caption : "<default>";
  }
  // Expects the first pass to fail with a syntax error at `line` showing
  // `text`.
  void ExpectSyntaxError(int result, int32_t line, const std::string& text) {
    EXPECT_EQ(result, 1);
    EXPECT_EQ(ctx.parser.failure, ParseFailure::kSyntaxError);
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
  SetupContext ctx{Ports{&files, &machine, &process, &ui}};
};

}  // namespace quorril::testing
