// The publisher's script check: the run of both passes on a prepared
// context, and the output (see check.h for its stable form).
#include "script/check.h"

#include <cstdio>

#include "model/variables.h"
#include "platform/text.h"
#include "platform/windows_path.h"
#include "script/parser.h"
#include "script/script_warnings.h"

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

// One line for each change to the start-up files, INI files and text
// files, with the variables as the checked machine gives them.
std::string ChangeLines(const ScriptState& state) {
  const InstallScript& script = *state.model;
  std::string out;
  auto expanded = [&state](std::string text) {
    ExpandVariables(state.variables, &text);
    return text;
  };
  auto quoted = [&](const std::string& text) { return "\"" + expanded(text) + "\""; };
  auto line = [&out](const std::string& key, const std::string& value, bool asks) {
    out += "  " + key + ": " + value + (asks ? " (asks first)" : "") + "\n";
  };

  const AutoexecSpec& autoexec = script.autoexec;
  if (autoexec.mode != ChangeMode::kNone) {
    bool asks = autoexec.mode == ChangeMode::kAsk;
    std::string path;
    for (const TextValue& entry : autoexec.addPathDirectories) path += (path.empty() ? "" : " ") + expanded(entry.Text());
    if (autoexec.addPath) path += (path.empty() ? "" : " ") + state.variables.defaultDir;
    if (!path.empty()) line("AUTOEXEC.BAT", "PATH gets " + path, asks);
    if (autoexec.share) {
      std::string share = "SHARE";
      if (autoexec.shareNumbers[0] != 0) share += " /F:" + FormatInt(autoexec.shareNumbers[0]);
      if (autoexec.shareNumbers[1] != 0) share += " /L:" + FormatInt(autoexec.shareNumbers[1]);
      line("AUTOEXEC.BAT", share, asks);
    }
    for (const TextValue& add : autoexec.addLines) line("AUTOEXEC.BAT", "adds " + quoted(add.Text()), asks);
    if (path.empty() && !autoexec.share && autoexec.addLines.empty()) line("AUTOEXEC.BAT", "no change", asks);
  }
  const ConfigSpec& config = script.config;
  if (config.mode != ChangeMode::kNone) {
    bool asks = config.mode == ChangeMode::kAsk;
    if (config.fileMin > 0) line("CONFIG.SYS", "FILES at least " + FormatInt(config.fileMin), asks);
    if (config.bufferMin > 0) line("CONFIG.SYS", "BUFFERS at least " + FormatInt(config.bufferMin), asks);
    for (const TextValue& add : config.addLines) line("CONFIG.SYS", "adds " + quoted(add.Text()), asks);
    if (config.fileMin <= 0 && config.bufferMin <= 0 && config.addLines.empty()) line("CONFIG.SYS", "no change", asks);
  }
  for (const IniFileRecord& ini : script.iniFiles) {
    std::string value = expanded(ini.value);
    ExpandSearchResult(state.variables, &value);
    line("INIFILE", expanded(ini.fileName) + " [" + expanded(ini.section) + "] " + expanded(ini.entry) +
                        (ini.add ? " adds \"" : " = \"") + value + "\"",
         ini.mode == ChangeMode::kAsk);
  }
  for (const std::string& component : state.settings.components) line("REGSERVER", expanded(component), false);
  for (const RegistryBlock& block : script.registryBlocks) {
    static const char* const kActions[] = {"", "NEW", "DELETE", "RENAME", "QUERY"};
    size_t action = size_t(block.action);
    std::string text = std::string(action < 5 ? kActions[action] : "?") + " " + block.rootName + "\\" + block.keyPath;
    if (block.action == RegistryKeyAction::kRename) text += " to " + block.newKeyName;
    line("registry", text + ", " + Plural(int64_t(block.values.size()), "value", "values"), false);
  }
  for (const WinItemRecord& item : script.winItems) {
    std::string text = "\"" + expanded(item.group) + "\"";
    if (!item.title.empty()) text += " \"" + expanded(item.title) + "\"";
    if (item.mode == WinItemMode::kRemove)
      text += item.title.empty() ? " removed" : " removed from the group";
    else
      text += (item.mode == WinItemMode::kReplace ? " replaced by " : " starts ") + expanded(item.command);
    line("program item", text, false);
  }
  for (const AddTextRecord& add : script.addTexts) {
    std::string where = expanded(add.position);
    int32_t number = ParseInt(where);
    std::string place = number != 0 ? "line " + FormatInt(number) : "the line \"" + where + "\"";
    line("ADDTEXT", expanded(add.targetFile) + ", " + place + (add.replace ? ": replaced by " : ": inserts ") +
                        quoted(add.text),
         false);
  }
  return out;
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
  out += ChangeLines(state);
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

  // The script's bytes, as the warnings and the real line numbers need them.
  std::string bytes;
  if (std::unique_ptr<FileHandle> file = ctx.files.Open(scriptPath, OpenMode::kRead)) {
    char block[4096];
    int32_t got;
    while ((got = file->Read(block, sizeof block)) > 0) bytes.append(block, size_t(got));
  }
  const ScriptLines lines(bytes);
  const std::vector<ScriptWarning> warnings = ScanScript(bytes);
  std::string warningLines;
  for (const ScriptWarning& w : warnings)
    warningLines += input.shownName + ":" + FormatInt(w.line) + ": warning: " + w.text +
                    (w.engineLine != w.line ? " (the engine counts line " + FormatInt(w.engineLine) + ")" : "") +
                    "\n";
  auto ok = [&](std::string output) {
    if (!warnings.empty()) output += "  warnings: " + FormatInt(int64_t(warnings.size())) + "\n";
    return CheckResult{input.strict && !warnings.empty() ? kCheckSyntaxError : kCheckOk, warningLines + output};
  };
  auto failed = [&](std::string output) { return CheckResult{kCheckSyntaxError, warningLines + output}; };

  auto syntaxError = [&]() {
    const SyntaxErrorReport& report = state.parser.lastError;
    return input.shownName + ":" + FormatInt(lines.RealLine(report.lineNumber)) +
           ": Syntax error, line: " + FormatInt(report.lineNumber) + ": " + report.lineText + "\n";
  };
  auto exitMessage = [&]() {
    return input.shownName + ":" + FormatInt(lines.RealLine(state.parser.lastError.lineNumber)) +
           ": note: EXITMESSAGE ends the installation on this machine; the lines after it were not read\n";
  };

  if (ParseScript(ctx, scriptPath) != 0) {
    switch (state.parser.failure) {
      case ParseFailure::kScriptNotFound:
        return CheckResult{kCheckUnreadable, UnreadableScriptLine(input.shownName)};
      case ParseFailure::kExitMessage:
        return ok(exitMessage() + Summary(state, input, 1));
      default:
        return failed(syntaxError());
    }
  }
  int passes = 1;
  if (state.model->deferredBlockCount > 0) {
    state.settings.itemChosen = state.settings.itemPreset;
    passes = 2;
    if (ParseDeferredBlocks(ctx) != 0) {
      if (state.parser.failure == ParseFailure::kExitMessage) return ok(exitMessage() + Summary(state, input, passes));
      if (state.parser.failure == ParseFailure::kSyntaxError) return failed(syntaxError());
      return failed(input.shownName + ":0: the stored IF blocks cannot be replayed\n");
    }
  }
  return ok(Summary(state, input, passes));
}

}  // namespace quorril
