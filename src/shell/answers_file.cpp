// The answers file reader: lines, the one section, and one small function
// per kind of value (texts, Yes/No, the choice list, disk numbers).
#include "shell/answers_file.h"

#include <set>

#include "model/capacities.h"
#include "platform/text.h"

namespace quorril {

namespace {

constexpr char kSectionName[] = "Setup";
constexpr size_t kPathLimit = capacity::kPath;
constexpr size_t kAnswerLimit = capacity::kAnswerField;

struct StatusText {
  AnswersStatus status;
  const char* text;
};
constexpr StatusText kStatusTexts[] = {
    {AnswersStatus::kOk, "ok"},
    {AnswersStatus::kTooLarge, "the answers file is larger than 64 KB"},
    {AnswersStatus::kNulByte, "a NUL byte"},
    {AnswersStatus::kNoSection, "a key before the section [Setup]"},
    {AnswersStatus::kUnknownSection, "unknown section"},
    {AnswersStatus::kBadSectionLine, "a section line that is not [NAME]"},
    {AnswersStatus::kNoEquals, "not a line NAME=VALUE"},
    {AnswersStatus::kUnknownKey, "unknown key"},
    {AnswersStatus::kDuplicateKey, "a key given twice"},
    {AnswersStatus::kBadYesNo, "the value is not Yes or No"},
    {AnswersStatus::kBadChoice, "a choice that is not a number from 1 to 999"},
    {AnswersStatus::kBadDiskNumber, "a disk number that is not from 1 to 99"},
    {AnswersStatus::kValueTooLong, "the value is too long"},
    {AnswersStatus::kUnclosedQuote, "a double quote that is not closed"},
};

std::string Trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// A number of at most three decimal digits and nothing else; -1 otherwise.
int32_t SmallNumber(const std::string& s) {
  if (s.empty() || s.size() > 3) return -1;
  int32_t n = 0;
  for (char c : s) {
    if (!IsAsciiDigit(c)) return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

class Reader {
 public:
  explicit Reader(Answers* answers) : answers_(*answers) {}

  AnswersResult Read(const std::string& bytes) {
    if (bytes.size() > kAnswersFileLimit) return Fail(AnswersStatus::kTooLarge, "");
    for (const std::string& line : SplitLines(bytes)) {
      ++line_;
      if (line.find('\0') != std::string::npos) return Fail(AnswersStatus::kNulByte, "");
      if (!Line(Trimmed(line))) return result_;
    }
    result_.line = 0;
    return result_;
  }

 private:
  AnswersResult Fail(AnswersStatus status, const std::string& detail) {
    result_.status = status;
    result_.line = line_;
    result_.detail = detail;
    return result_;
  }
  bool Failed(AnswersStatus status, const std::string& detail) {
    Fail(status, detail);
    return false;
  }

  bool Line(const std::string& line) {
    if (line.empty() || line[0] == ';' || line[0] == '#') return true;
    if (line[0] == '[') return Section(line);
    size_t equals = line.find('=');
    if (equals == std::string::npos) return Failed(AnswersStatus::kNoEquals, line);
    std::string name = Trimmed(line.substr(0, equals));
    if (!inSection_) return Failed(AnswersStatus::kNoSection, name);
    std::string value;
    if (!Value(Trimmed(line.substr(equals + 1)), &value)) return Failed(AnswersStatus::kUnclosedQuote, name);
    std::string key = AsciiUpperCopy(name);
    if (!seen_.insert(key).second) return Failed(AnswersStatus::kDuplicateKey, name);
    return Key(name, key, value);
  }

  bool Section(const std::string& line) {
    if (line.back() != ']') return Failed(AnswersStatus::kBadSectionLine, line);
    std::string name = Trimmed(line.substr(1, line.size() - 2));
    if (!EqualsNoCase(name, kSectionName) || sectionSeen_) return Failed(AnswersStatus::kUnknownSection, name);
    sectionSeen_ = inSection_ = true;
    return true;
  }

  // A value in double quotes loses them; one with an opening quote only is
  // refused rather than read with the quote in it.
  static bool Value(const std::string& raw, std::string* value) {
    if (!raw.empty() && raw[0] == '"') {
      if (raw.size() < 2 || raw.back() != '"') return false;
      *value = raw.substr(1, raw.size() - 2);
    } else {
      *value = raw;
    }
    return true;
  }

  bool Text(const std::string& name, const std::string& value, size_t limit, std::string* out) {
    if (value.size() > limit) return Failed(AnswersStatus::kValueTooLong, name);
    *out = value;
    return true;
  }

  bool YesNo(const std::string& name, const std::string& value, bool* out) {
    if (EqualsNoCase(value, "Yes"))
      *out = true;
    else if (EqualsNoCase(value, "No"))
      *out = false;
    else
      return Failed(AnswersStatus::kBadYesNo, name);
    return true;
  }

  bool Choices(const std::string& name, const std::string& value) {
    std::vector<int32_t> numbers;
    size_t pos = 0;
    while (true) {
      size_t start = value.find_first_not_of(" \t,", pos);
      if (start == std::string::npos) break;
      size_t end = value.find_first_of(" \t,", start);
      if (end == std::string::npos) end = value.size();
      int32_t n = SmallNumber(value.substr(start, end - start));
      if (n < 1 || n > kAnswersMaxChoice) return Failed(AnswersStatus::kBadChoice, name);
      numbers.push_back(n);
      pos = end;
    }
    answers_.choices = std::move(numbers);
    return true;
  }

  bool Key(const std::string& name, const std::string& key, const std::string& value) {
    std::string text;
    if (key == "DIR") {
      if (!Text(name, value, kPathLimit, &text)) return false;
      answers_.dir = text;
      return true;
    }
    if (key.size() == 4 && key.compare(0, 3, "ASK") == 0 && key[3] >= '1' && key[3] <= '5') {
      if (!Text(name, value, kAnswerLimit, &text)) return false;
      answers_.ask[size_t(key[3] - '1')] = text;
      return true;
    }
    if (key == "CHOICES") return Choices(name, value);
    if (key == "OVERWRITE") return YesNo(name, value, &answers_.overwrite);
    if (key == "MODIFY") return YesNo(name, value, &answers_.modify);
    if (key == "RESTART") return YesNo(name, value, &answers_.restart);
    if (key.compare(0, 5, "DISK.") == 0) {
      int32_t n = SmallNumber(key.substr(5));
      if (n < 1 || n > kAnswersMaxDisk) return Failed(AnswersStatus::kBadDiskNumber, name);
      // "Disk.1" and "Disk.01" name the same disk.
      if (answers_.disks.count(n)) return Failed(AnswersStatus::kDuplicateKey, name);
      if (!Text(name, value, kPathLimit, &text)) return false;
      answers_.disks[n] = text;
      return true;
    }
    return Failed(AnswersStatus::kUnknownKey, name);
  }

  Answers& answers_;
  AnswersResult result_;
  int32_t line_ = 0;
  bool inSection_ = false;
  bool sectionSeen_ = false;
  std::set<std::string> seen_;
};

}  // namespace

const char* AnswersStatusText(AnswersStatus status) {
  for (const StatusText& s : kStatusTexts)
    if (s.status == status) return s.text;
  return "unknown error";
}

std::string AnswersResult::Message() const {
  if (status == AnswersStatus::kOk) return "";
  std::string text = AnswersStatusText(status);
  if (line > 0) text = "line " + FormatInt(line) + ": " + text;
  if (!detail.empty()) text += ": " + detail;
  return text;
}

AnswersResult ReadAnswers(const std::string& bytes, Answers* answers) { return Reader(answers).Read(bytes); }

}  // namespace quorril
