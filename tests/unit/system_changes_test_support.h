// The fixture of the system-change tests: a script installed into C:\APP
// with the journal on, through the whole install run and the engine's
// system changes on the in-memory machine.
#pragma once

#include <string>
#include <vector>

#include "run_test_support.h"
#include "shell/system_changes.h"

namespace quorril::testing {

// The lines of a text whose lines end in CR LF.
inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return out;
}

class SystemChangesRun : public RunTest {
 protected:
  // Installs a script with the destination C:\APP, the journal on, and
  // these lines; the journal lines after its header.
  std::vector<std::string> Install(const std::vector<std::string>& lines) {
    std::vector<std::string> all = {"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR"};
    all.insert(all.end(), lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : all) text += line + "\r\n";
    files.AddFile(kScriptPath, text);
    CreateInstallScript(ctx.script, files, machine);
    EXPECT_EQ(ParseScript(ctx.ForScript(), kScriptPath), 0) << ctx.script.parser.lastError.lineText;
    installResult = RunTest::Install(nullptr, &changes);
    return JournalAfterHeader();
  }
  // The journal's lines after its UNINSTALL...PROMPT header.
  std::vector<std::string> JournalAfterHeader() const {
    std::vector<std::string> journal = SplitLines(Journal());
    for (size_t i = 0; i < journal.size(); ++i)
      if (journal[i].rfind("UNINSTALLTITLEPROMPT: ", 0) == 0)
        return std::vector<std::string>(journal.begin() + long(i) + 1, journal.end());
    return journal;
  }
  int installResult = -1;
  std::string File(const std::string& path) const {
    std::string s;
    return files.ReadWholeFile(path, &s) ? s : "<none>";
  }
  EngineSystemChanges changes;
};

}  // namespace quorril::testing
