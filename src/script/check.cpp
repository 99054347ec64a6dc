// The publisher's script check: the run of both passes on a prepared
// context, and the output (see check.h for its stable form).
#include "script/check.h"

#include <cstdio>

#include "platform/text.h"
#include "platform/windows_path.h"
#include "script/parser.h"

namespace quorril {

namespace {

std::string Plural(int64_t count, const char* one, const char* many) {
  return FormatInt(count) + " " + (count == 1 ? one : many);
}

const char* AskModeText(int32_t mode) {
  switch (mode) {
    case 0: return "asks nothing";
    case 1: return "asks the directory";
    case 2: return "asks the drive";
    default: return "asks drive and directory";
  }
}

std::string Summary(const ScriptState& state, const CheckInput& input, int passes) {
  const InstallScript& script = *state.model;
  std::string out = input.shownName + ": OK\n";
  auto line = [&out](const std::string& key, const std::string& value) { out += "  " + key + ": " + value + "\n"; };

  line("title", script.title.empty() ? "(none)" : "\"" + script.title + "\"");
  std::string destination = state.variables.defaultDir;
  destination += script.defaultDir ? std::string(" (") + AskModeText(script.defaultDir->askMode) + ")"
                                   : " (default; asks drive and directory)";
  line("destination", destination);

  int64_t compressed = 0, disks = 0;
  for (const FileEntry& entry : script.fileEntries) {
    if (entry.kind == EntryKind::kFile && entry.compression != Compression::kNone) ++compressed;
    if (entry.kind != EntryKind::kFile) ++disks;
  }
  line("files", FormatInt(script.fileCount) + " (" + FormatInt(compressed) + " compressed), " +
                    Plural(disks, "disk", "disks"));

  int64_t preset = 0;
  for (int32_t i = 0; i < script.choiceItemCount && i < int32_t(kMaxChoiceItems); ++i)
    preset += state.settings.itemPreset[size_t(i)];
  std::string groups = script.mainGroup ? "main group" : "no main group";
  groups += " and " + Plural(script.conditionalGroupCount, "conditional group", "conditional groups");
  line("choices", Plural(script.choiceItemCount, "item", "items") + " (" + FormatInt(preset) + " preset), " + groups);

  std::string asks;
  for (size_t i = 0; i < script.asks.size(); ++i)
    if (script.asks[i]) asks += (asks.empty() ? "ASK" : " ASK") + FormatInt(int64_t(i) + 1);
  line("questions", asks.empty() ? "none" : asks);

  std::string screens;
  if (script.firstScreen) screens += "first";
  if (script.lastScreen) screens += screens.empty() ? "last" : ", last";
  line("screens", screens.empty() ? "none" : screens);
  line("pop-ups", FormatInt(script.popupCount));

  line("system changes", Plural(int64_t(script.registryBlocks.size()), "registry block", "registry blocks") + ", " +
                             Plural(int64_t(script.iniFiles.size()), "INI entry", "INI entries") + ", " +
                             Plural(int64_t(script.addTexts.size()), "ADDTEXT line", "ADDTEXT lines") + ", " +
                             Plural(int64_t(script.winItems.size()), "program item", "program items") + ", " +
                             Plural(int64_t(state.settings.components.size()), "component", "components") +
                             (script.autoexec.mode != ChangeMode::kNone ? ", AUTOEXEC.BAT" : "") +
                             (script.config.mode != ChangeMode::kNone ? ", CONFIG.SYS" : ""));
  line("deferred blocks", FormatInt(script.deferredBlockCount) +
                              (passes == 2 ? " (replayed with the preset choices and the default answers)" : ""));
  return out;
}

}  // namespace

std::string UnreadableScriptLine(const std::string& script) {
  return "File not found on the installation disk: " + script + ". \n";
}

CheckResult CheckScript(const ScriptContext& ctx, const CheckInput& input) {
  ScriptState& state = ctx.state;
  const std::string scriptPath = input.sourceDirectory + "\\" + input.scriptName;
  std::string shortScriptPath;
  if (!ctx.files.GetShortPathName(scriptPath, &shortScriptPath)) shortScriptPath = scriptPath;

  CreateInstallScript(state, ctx.files, ctx.machine);
  ScriptVariables& vars = state.variables;
  vars.sourceDir = input.sourceDirectory;
  vars.sourceDir8 = CutAtLastBackslash(shortScriptPath);
  vars.sourceDrive = input.sourceDirectory.substr(0, 1);
  vars.winDir = ctx.machine.WindowsDirectory();
  vars.winSysDir = ctx.machine.SystemDirectory();
  vars.winHelpDir = vars.winDir + "\\help";
  std::string* options[3] = {&vars.system, &vars.sys2, &vars.sys3};
  for (size_t i = 0; i < 3; ++i) *options[i] = i < input.options.size() ? input.options[i] : std::string();

  auto syntaxError = [&]() {
    const SyntaxErrorReport& report = state.parser.lastError;
    std::string n = FormatInt(report.lineNumber);
    return input.shownName + ":" + n + ": Syntax error, line: " + n + ": " + report.lineText + "\n";
  };
  auto exitMessage = [&]() {
    return input.shownName + ":" + FormatInt(state.parser.lastError.lineNumber) +
           ": note: EXITMESSAGE ends the installation on this machine; the lines after it were not read\n";
  };

  if (ParseScript(ctx, scriptPath) != 0) {
    switch (state.parser.failure) {
      case ParseFailure::kScriptNotFound:
        return CheckResult{kCheckUnreadable, UnreadableScriptLine(input.shownName)};
      case ParseFailure::kExitMessage:
        return CheckResult{kCheckOk, exitMessage() + Summary(state, input, 1)};
      default:
        return CheckResult{kCheckSyntaxError, syntaxError()};
    }
  }
  int passes = 1;
  if (state.model->deferredBlockCount > 0) {
    state.settings.itemChosen = state.settings.itemPreset;
    passes = 2;
    if (ParseDeferredBlocks(ctx) != 0) {
      if (state.parser.failure == ParseFailure::kExitMessage)
        return CheckResult{kCheckOk, exitMessage() + Summary(state, input, passes)};
      if (state.parser.failure == ParseFailure::kSyntaxError) return CheckResult{kCheckSyntaxError, syntaxError()};
      return CheckResult{kCheckSyntaxError, input.shownName + ":0: the stored IF blocks cannot be replayed\n"};
    }
  }
  return CheckResult{kCheckOk, Summary(state, input, passes)};
}

}  // namespace quorril
