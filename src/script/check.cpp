// The publisher's script check: arguments, the run of both passes on a
// prepared context, and the output (see check.h for its stable form).
#include "script/check.h"

#include <cstdio>

#include "platform/text.h"
#include "script/parser.h"

namespace quorril {

namespace {

// "4", "4.0", "3.95", "4.10": a major and a minor version of 0 to 255.
bool ParseVersion(const std::string& text, int* major, int* minor) {
  size_t dot = text.find('.');
  std::string majorText = text.substr(0, dot);
  std::string minorText = dot == std::string::npos ? "0" : text.substr(dot + 1);
  auto digitsOnly = [](const std::string& s) {
    if (s.empty() || s.size() > 3) return false;
    for (char c : s)
      if (!IsAsciiDigit(c)) return false;
    return true;
  };
  if (!digitsOnly(majorText) || !digitsOnly(minorText)) return false;
  *major = ParseInt(majorText);
  *minor = ParseInt(minorText);
  return *major <= 255 && *minor <= 255;
}

bool ParseUnsigned(const std::string& text, uint64_t limit, uint64_t* value) {
  if (text.empty() || text.size() > 19) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (!IsAsciiDigit(c)) return false;
    v = v * 10 + uint64_t(c - '0');
  }
  if (v > limit) return false;
  *value = v;
  return true;
}

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

std::string Summary(SetupContext& ctx, const CheckRequest& request, int passes) {
  const InstallScript& script = *ctx.script;
  std::string out = request.script + ": OK\n";
  auto line = [&out](const std::string& key, const std::string& value) { out += "  " + key + ": " + value + "\n"; };

  line("title", script.title.empty() ? "(none)" : "\"" + script.title + "\"");
  std::string destination = ctx.variables.defaultDir;
  destination += script.defaultDir ? std::string(" (") + AskModeText(script.defaultDir->askMode) + ")"
                                   : " (default; asks drive and directory)";
  line("destination", destination);

  int64_t compressed = 0, disks = 0;
  for (const FileEntry& entry : script.fileEntries) {
    if (entry.kind == EntryKind::kFile && entry.compression != 0) ++compressed;
    if (entry.kind != EntryKind::kFile) ++disks;
  }
  line("files", FormatInt(script.fileCount) + " (" + FormatInt(compressed) + " compressed), " +
                    Plural(disks, "disk", "disks"));

  int64_t preset = 0;
  for (int32_t i = 0; i < script.choiceItemCount && i < int32_t(kMaxChoiceItems); ++i) preset += ctx.settings.itemPreset[size_t(i)];
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
                             Plural(int64_t(ctx.settings.components.size()), "component", "components") +
                             (script.autoexec.mode ? ", AUTOEXEC.BAT" : "") + (script.config.mode ? ", CONFIG.SYS" : ""));
  line("deferred blocks", FormatInt(script.deferredBlockCount) +
                              (passes == 2 ? " (replayed with the preset choices and the default answers)" : ""));
  return out;
}

}  // namespace

std::string UnreadableScriptLine(const std::string& script) {
  return "File not found on the installation disk: " + script + ". \n";
}

bool ParseCheckArguments(const std::vector<std::string>& args, CheckRequest* request, std::string* error) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (optionsEnded || arg.compare(0, 2, "--") != 0) {
      if (!request->script.empty()) {
        *error = "more than one script given";
        return false;
      }
      request->script = arg;
      continue;
    }
    if (i + 1 >= args.size()) {
      *error = arg + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    uint64_t number = 0;
    if (arg == "--winver") {
      if (!ParseVersion(value, &request->winMajor, &request->winMinor)) {
        *error = "--winver takes a version such as 4.0 or 3.95";
        return false;
      }
    } else if (arg == "--dosver") {
      if (!ParseVersion(value, &request->dosMajor, &request->dosMinor)) {
        *error = "--dosver takes a version such as 7.0 or 6.22";
        return false;
      }
    } else if (arg == "--memory") {
      if (!ParseUnsigned(value, 0xFFFFFFFFu, &number)) {
        *error = "--memory takes a number of kilobytes";
        return false;
      }
      request->memoryKb = uint32_t(number);
    } else if (arg == "--colors") {
      if (!ParseUnsigned(value, uint64_t(1) << 32, &number) || number < 2 || (number & (number - 1)) != 0) {
        *error = "--colors takes a power of two from 2 to 4294967296";
        return false;
      }
      int bits = 0;
      while ((uint64_t(1) << bits) < number) ++bits;
      request->bitsPerPixel = bits;
    } else if (arg == "--screen") {
      size_t x = value.find_first_of("xX");
      uint64_t w = 0, h = 0;
      if (x == std::string::npos || !ParseUnsigned(value.substr(0, x), 100000, &w) ||
          !ParseUnsigned(value.substr(x + 1), 100000, &h) || w == 0 || h == 0) {
        *error = "--screen takes WIDTHxHEIGHT, such as 800x600";
        return false;
      }
      request->width = int32_t(w);
      request->height = int32_t(h);
    } else if (arg == "--file") {
      if (value.size() < 4 || !IsAsciiAlpha(value[0]) || value[1] != ':' || value[2] != '\\' ||
          value.back() == '\\') {
        *error = "--file takes a full Windows path such as C:\\WINDOWS\\WIN.INI";
        return false;
      }
      request->files.push_back(value);
    } else if (arg == "--option") {
      if (request->options.size() >= 3) {
        *error = "at most three --option values";
        return false;
      }
      request->options.push_back(value);
    } else {
      *error = "unknown option " + arg;
      return false;
    }
  }
  if (request->script.empty()) {
    *error = "no script given";
    return false;
  }
  return true;
}

CheckResult CheckScriptInContext(SetupContext& ctx, const CheckRequest& request, const std::string& scriptName) {
  std::string sourceDir = kCheckSourceDirectory;
  StartupValues& startup = ctx.startup;
  startup.executablePath = ctx.machine().ExecutablePath();
  startup.executableDirectory = sourceDir + "\\";
  startup.scriptPath = sourceDir + "\\" + scriptName;
  if (!ctx.files().GetShortPathName(startup.scriptPath, &startup.shortScriptPath))
    startup.shortScriptPath = startup.scriptPath;
  ctx.machine().ScreenSize(&startup.screenWidth, &startup.screenHeight);

  CreateInstallScript(ctx);
  ScriptVariables& vars = ctx.variables;
  vars.sourceDir = sourceDir;
  size_t cut = startup.shortScriptPath.rfind('\\');
  vars.sourceDir8 = cut == std::string::npos ? std::string() : startup.shortScriptPath.substr(0, cut);
  vars.sourceDrive = sourceDir.substr(0, 1);
  vars.winDir = ctx.machine().WindowsDirectory();
  vars.winSysDir = ctx.machine().SystemDirectory();
  vars.winHelpDir = vars.winDir + "\\help";
  std::string* options[3] = {&vars.system, &vars.sys2, &vars.sys3};
  for (size_t i = 0; i < 3; ++i) *options[i] = i < request.options.size() ? request.options[i] : std::string();

  CheckResult result;
  auto syntaxError = [&]() {
    const SyntaxErrorReport& report = ctx.parser.lastError;
    std::string n = FormatInt(report.lineNumber);
    return request.script + ":" + n + ": Syntax error, line: " + n + ": " + report.lineText + "\n";
  };
  auto exitMessage = [&]() {
    return request.script + ":" + FormatInt(ctx.parser.lastError.lineNumber) +
           ": note: EXITMESSAGE ends the installation on this machine; the lines after it were not read\n";
  };

  if (ParseScript(ctx, startup.scriptPath) != 0) {
    switch (ctx.parser.failure) {
      case ParseFailure::kScriptNotFound:
        return CheckResult{kCheckUnreadable, UnreadableScriptLine(request.script)};
      case ParseFailure::kExitMessage:
        return CheckResult{kCheckOk, exitMessage() + Summary(ctx, request, 1)};
      default:
        return CheckResult{kCheckSyntaxError, syntaxError()};
    }
  }
  int passes = 1;
  if (ctx.script->deferredBlockCount > 0) {
    ctx.settings.itemChosen = ctx.settings.itemPreset;
    passes = 2;
    if (ParseDeferredBlocks(ctx) != 0) {
      if (ctx.parser.failure == ParseFailure::kExitMessage)
        return CheckResult{kCheckOk, exitMessage() + Summary(ctx, request, passes)};
      if (ctx.parser.failure == ParseFailure::kSyntaxError) return CheckResult{kCheckSyntaxError, syntaxError()};
      return CheckResult{kCheckSyntaxError, request.script + ":0: the stored IF blocks cannot be replayed\n"};
    }
  }
  result.output = Summary(ctx, request, passes);
  return result;
}

}  // namespace quorril
