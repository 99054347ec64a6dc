// The robot's check mode: compares what an installation left on the
// machine with the expectations of a scenario, seen the way Windows sees
// it (DOS dates in local time, file attributes, the registry).
//
//   robot.exe check [--items DIR] [--files FILE] [--registry FILE]
//                   [--journal PATH EXPECTED|absent]
//
// Every check is made and reported ("ok ..." or "FAIL ..."), then one line
// counts them; the exit code is 0 when none failed. The formats are in
// tests/e2e/README.md ("Expectations"). Paths may hold environment
// variables written %NAME% (%TEMP%, %WINDIR%).
#include "robot.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace robot {

int RunChecks(const std::vector<std::string>& args, bool* usageError);

namespace {

class Checker {
 public:
  explicit Checker(std::string items) : items_(std::move(items)) {}

  void Files(const std::string& path) {
    std::vector<std::string> lines;
    if (!ReadLines(path, &lines)) return Failed("cannot read " + path);
    for (size_t n = 0; n < lines.size(); ++n) {
      std::vector<std::string> w = Words(lines[n]);
      if (w.empty() || w[0][0] == '#') continue;
      where_ = "files.txt:" + std::to_string(n + 1) + ": ";
      CheckFile(w);
    }
    where_.clear();
  }

  void Registry(const std::string& path) {
    std::vector<std::string> lines;
    if (!ReadLines(path, &lines)) return Failed("cannot read " + path);
    for (size_t n = 0; n < lines.size(); ++n) {
      std::vector<std::string> w = Words(lines[n]);
      if (w.empty() || w[0][0] == '#') continue;
      where_ = "registry.txt:" + std::to_string(n + 1) + ": ";
      CheckRegistry(w);
    }
    where_.clear();
  }

  void Journal(const std::string& rawPath, const std::string& expectedPath) {
    std::string path = Expand(rawPath);
    std::string actual;
    bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (expectedPath == "absent") {
      if (exists) return Failed("the journal " + path + " exists, expected none");
      return Passed("no journal " + path);
    }
    if (!exists || !ReadWholeFile(path, &actual)) return Failed("no journal " + path);
    std::vector<std::string> expected;
    if (!ReadLines(expectedPath, &expected)) return Failed("cannot read " + expectedPath);
    // The journal is a text file: every line ends in CR LF.
    std::vector<std::string> lines;
    std::string problem;
    size_t start = 0;
    while (start < actual.size()) {
      size_t lf = actual.find('\n', start);
      if (lf == std::string::npos) {
        problem = "its last line has no line end";
        lines.push_back(actual.substr(start));
        break;
      }
      std::string line = actual.substr(start, lf - start);
      if (line.empty() || line.back() != '\r') {
        if (problem.empty()) problem = "line " + std::to_string(lines.size() + 1) + " does not end in CR LF";
      } else {
        line.pop_back();
      }
      lines.push_back(line);
      start = lf + 1;
    }
    Say("journal " + path + ":");
    for (const std::string& line : lines) Say("  | " + line);
    for (size_t i = 0; i < lines.size() || i < expected.size(); ++i) {
      std::string got = i < lines.size() ? Quote(lines[i]) : "(the end)";
      std::string want = i < expected.size() ? Quote(expected[i]) : "(the end)";
      if (got != want)
        return Failed("journal line " + std::to_string(i + 1) + " is " + got + ", expected " + want);
    }
    if (!problem.empty()) return Failed("journal: " + problem);
    Passed("journal " + path + " (" + std::to_string(lines.size()) + " lines)");
  }

  int failed() const { return failed_; }
  int passed() const { return passed_; }

 private:
  void Failed(const std::string& what) {
    ++failed_;
    Say("FAIL " + where_ + what);
  }
  void Passed(const std::string& what) {
    ++passed_;
    Say("ok " + what);
  }

  static std::string Expand(const std::string& path) {
    char buffer[4096];
    DWORD n = ExpandEnvironmentStringsA(path.c_str(), buffer, sizeof buffer);
    if (n == 0 || n > sizeof buffer) return path;
    return buffer;
  }

  std::string ItemPath(const std::string& item) const {
    std::string path = items_;
    if (!path.empty() && path.back() != '\\') path += '\\';
    for (char c : item) path += c == '/' ? '\\' : c;
    return path;
  }

  // The file's DOS date and time (local time) as "YYYY-MM-DD" and "HH:MM:SS".
  static bool DosStamp(const std::string& path, std::string* date, std::string* time) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME written{}, local{};
    WORD dosDate = 0, dosTime = 0;
    bool ok = GetFileTime(file, nullptr, nullptr, &written) && FileTimeToLocalFileTime(&written, &local) &&
              FileTimeToDosDateTime(&local, &dosDate, &dosTime);
    CloseHandle(file);
    if (!ok) return false;
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", 1980 + (dosDate >> 9), (dosDate >> 5) & 15, dosDate & 31);
    *date = text;
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", dosTime >> 11, (dosTime >> 5) & 63, (dosTime & 31) * 2);
    *time = text;
    return true;
  }

  static std::string AttributeLetters(DWORD attributes) {
    std::string letters;
    if (attributes & FILE_ATTRIBUTE_READONLY) letters += 'R';
    if (attributes & FILE_ATTRIBUTE_HIDDEN) letters += 'H';
    if (attributes & FILE_ATTRIBUTE_SYSTEM) letters += 'S';
    if (attributes & FILE_ATTRIBUTE_ARCHIVE) letters += 'A';
    return letters.empty() ? "-" : letters;
  }

  // Expected letters in any order, written the way AttributeLetters does.
  static std::string NormalLetters(const std::string& text) {
    if (text == "-") return text;
    std::string letters;
    for (char wanted : std::string("RHSA"))
      for (char c : text)
        if ((c & ~0x20) == wanted) {
          letters += wanted;
          break;
        }
    return letters.empty() ? "-" : letters;
  }

  // A text with every line end stored as CR LF (a lone LF becomes CR LF).
  static std::string WithCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
      out += text[i];
    }
    return out;
  }

  // Where two texts part: the line number and both lines there.
  static std::string FirstDifference(const std::string& expected, const std::string& found) {
    size_t at = 0;
    while (at < expected.size() && at < found.size() && expected[at] == found[at]) ++at;
    size_t line = 1 + size_t(std::count(expected.begin(), expected.begin() + long(at), '\n'));
    auto lineAt = [at](const std::string& text) {
      size_t start = text.rfind('\n', at == 0 ? 0 : at - 1);
      start = (start == std::string::npos || at == 0) ? 0 : start + 1;
      size_t end = text.find('\n', start);
      std::string s = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (!s.empty() && s.back() == '\r') s.pop_back();
      return at >= text.size() && start >= text.size() ? std::string("(end)") : Quote(s);
    };
    return "at line " + std::to_string(line) + ": expected " + lineAt(expected) + ", found " + lineAt(found);
  }

  void CheckFile(const std::vector<std::string>& w) {
    std::string path = Expand(w[0]);
    DWORD attributes = GetFileAttributesA(path.c_str());
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    bool directory = exists && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (w.size() == 2 && w[1] == "absent") {
      if (exists) return Failed(path + " exists, expected none");
      return Passed(path + " absent");
    }
    if (w.size() == 2 && w[1] == "dir") {
      if (!directory) return Failed(path + " is not a directory");
      return Passed(path + " is a directory");
    }
    if (w.size() != 5) return Failed("expected PATH absent, PATH dir or PATH CONTENT DATE TIME ATTRIBUTES");
    if (!exists) return Failed(path + " does not exist");
    if (directory) return Failed(path + " is a directory");
    std::string data;
    if (!ReadWholeFile(path, &data)) return Failed(path + " cannot be read");
    std::string date, time;
    DosStamp(path, &date, &time);
    std::string letters = AttributeLetters(attributes);
    std::string sha = Sha256Hex(data);
    std::string seen = std::to_string(data.size()) + " sha256:" + sha + " " + date + " " + time + " " + letters;

    const std::string& content = w[1];
    std::string problem;
    if (content == "*") {
    } else if (content[0] == '=') {
      std::string expected;
      std::string item = ItemPath(content.substr(1));
      if (!ReadWholeFile(item, &expected))
        problem = "cannot read the expected contents " + item;
      else if (expected != data)
        problem = "its contents differ from " + content.substr(1) + " (" + std::to_string(expected.size()) +
                  " bytes)";
    } else if (content.rfind("text=", 0) == 0) {
      std::string expected;
      std::string item = ItemPath(content.substr(5));
      if (!ReadWholeFile(item, &expected)) {
        problem = "cannot read the expected text " + item;
      } else {
        expected = WithCrLf(expected);
        if (expected != data) problem = "its text differs from " + content.substr(5) + " " + FirstDifference(expected, data);
      }
    } else if (content.rfind("sha256:", 0) == 0) {
      std::string wanted = content.substr(7);
      for (char& c : wanted) c = char(std::tolower(static_cast<unsigned char>(c)));
      if (wanted != sha) problem = "its SHA-256 differs";
    } else if (content.rfind("contains:", 0) == 0) {
      // Without regard to ASCII case, as Windows paths are compared.
      std::string wanted = content.substr(9), folded = data;
      for (char& c : wanted) c = char(std::tolower(static_cast<unsigned char>(c)));
      for (char& c : folded) c = char(std::tolower(static_cast<unsigned char>(c)));
      if (folded.find(wanted) == std::string::npos) problem = "it does not hold " + Quote(content.substr(9));
    } else if (content.find_first_not_of("0123456789") == std::string::npos) {
      if (std::to_string(data.size()) != content) problem = "its size is not " + content;
    } else {
      problem =
          "unknown contents " + Quote(content) + " (use *, =ITEM, text=ITEM, contains:TEXT, sha256:HEX or a size)";
    }
    if (problem.empty() && w[2] != "*" && w[2] != date) problem = "its date is not " + w[2];
    if (problem.empty() && w[3] != "*" && w[3] != time) problem = "its time is not " + w[3];
    if (problem.empty() && w[4] != "*" && NormalLetters(w[4]) != letters) problem = "its attributes are not " + w[4];
    if (!problem.empty()) return Failed(path + ": " + problem + "; it is " + seen);
    Passed(path + " " + seen);
  }

  static bool OpenRoot(const std::string& name, HKEY* root) {
    static const struct {
      const char* full;
      const char* brief;
      HKEY key;
    } kRoots[] = {{"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
                  {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
                  {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
                  {"HKEY_USERS", "HKU", HKEY_USERS}};
    for (const auto& r : kRoots)
      if (_stricmp(name.c_str(), r.full) == 0 || _stricmp(name.c_str(), r.brief) == 0) {
        *root = r.key;
        return true;
      }
    return false;
  }

  static std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
      out += digits[c >> 4];
      out += digits[c & 15];
    }
    return out;
  }

  void CheckRegistry(const std::vector<std::string>& w) {
    const std::string& full = w[0];
    size_t slash = full.find('\\');
    HKEY root{};
    if (!OpenRoot(full.substr(0, slash), &root)) return Failed("unknown root key in " + Quote(full));
    std::string subkey = slash == std::string::npos ? std::string() : full.substr(slash + 1);
    HKEY key{};
    bool opened = RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (w.size() == 2 && (w[1] == "absent" || w[1] == "exists")) {
      if (opened) RegCloseKey(key);
      if (opened != (w[1] == "exists")) return Failed(full + (opened ? " exists" : " does not exist"));
      return Passed(full + " " + w[1]);
    }
    if (!opened) return Failed(full + " does not exist");
    std::string name = w.size() > 1 && w[1] != "@" ? w[1] : std::string();
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::string data(size, '\0');
    if (status == ERROR_SUCCESS && size > 0)
      status = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    RegCloseKey(key);
    data.resize(size);
    std::string label = full + " " + (name.empty() ? "@" : name);
    if (w.size() == 3 && w[2] == "absent") {
      if (status == ERROR_SUCCESS) return Failed(label + " exists");
      return Passed(label + " absent");
    }
    if (w.size() != 4) return Failed("expected KEY absent|exists, KEY NAME absent, or KEY NAME TYPE DATA");
    if (status != ERROR_SUCCESS) return Failed(label + " does not exist");
    std::string seen;
    std::string typeName;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      typeName = type == REG_SZ ? "REG_SZ" : "REG_EXPAND_SZ";
      seen = data.substr(0, data.find('\0'));
    } else if (type == REG_DWORD && data.size() == 4) {
      typeName = "REG_DWORD";
      DWORD value = 0;
      std::copy(data.begin(), data.end(), reinterpret_cast<char*>(&value));
      seen = std::to_string(value);
    } else {
      // The other types by name, their bytes in hexadecimal.
      static const char* const kByteTypes[] = {"REG_NONE",  "REG_SZ",   "REG_EXPAND_SZ", "REG_BINARY",
                                               "REG_DWORD", "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ"};
      typeName = type < sizeof kByteTypes / sizeof kByteTypes[0] ? kByteTypes[type] : "type " + std::to_string(type);
      seen = Hex(data);
    }
    std::string wanted = w[3];
    if (typeName == "REG_DWORD" && wanted.rfind("0x", 0) == 0)
      wanted = std::to_string(std::strtoul(wanted.c_str(), nullptr, 16));
    if (typeName != w[2] || seen != wanted)
      return Failed(label + " is " + typeName + " " + Quote(seen) + ", expected " + w[2] + " " + Quote(w[3]));
    Passed(label + " " + typeName + " " + Quote(seen));
  }

  std::string items_;
  std::string where_;
  int failed_ = 0;
  int passed_ = 0;
};

}  // namespace

int RunChecks(const std::vector<std::string>& args, bool* usageError) {
  std::string items, files, registry, journal, journalExpected;
  *usageError = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--items" && i + 1 < args.size()) {
      items = args[++i];
    } else if (a == "--files" && i + 1 < args.size()) {
      files = args[++i];
    } else if (a == "--registry" && i + 1 < args.size()) {
      registry = args[++i];
    } else if (a == "--journal" && i + 2 < args.size()) {
      journal = args[++i];
      journalExpected = args[++i];
    } else {
      std::fprintf(stderr, "robot check: unknown or incomplete option '%s'\n", a.c_str());
      *usageError = true;
      return 2;
    }
  }
  Checker checker(items);
  if (!journal.empty()) checker.Journal(journal, journalExpected);
  if (!files.empty()) checker.Files(files);
  if (!registry.empty()) checker.Registry(registry);
  Say("checks: " + std::to_string(checker.passed()) + " passed, " + std::to_string(checker.failed()) + " failed");
  return checker.failed() == 0 ? 0 : 1;
}

int RunCheckMode(const std::vector<std::string>& args) {
  bool usageError = false;
  int result = RunChecks(args, &usageError);
  if (usageError) return 2;
  Say(result == 0 ? "robot: done" : "robot: FAIL: some checks failed");
  return result;
}

}  // namespace robot
