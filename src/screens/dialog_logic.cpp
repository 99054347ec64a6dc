// Prompt splitting, answer cleaning, destination candidates and progress
// arithmetic of the dialogs.
#include "screens/dialog_logic.h"

#include <cstdio>

#include "platform/text.h"

namespace quorril {

void SplitPrompt(PromptLines* prompt, int askMode) {
  if (prompt->state == 1 && prompt->text.size() > kPromptWrapColumn) {
    const std::string& t = prompt->text;
    prompt->state = 2;
    if (t[kPromptWrapColumn] == ' ') {
      prompt->line1 = t.substr(0, kPromptWrapColumn);
      size_t next = t.find_first_not_of(' ', kPromptWrapColumn);
      prompt->line2 = next == std::string::npos ? std::string() : t.substr(next);
      return;
    }
    for (size_t i = kPromptWrapColumn - 1; i >= 1; --i) {
      if (t[i] == ' ') {
        prompt->line1 = t.substr(0, i);
        prompt->line2 = t.substr(i + 1);
        return;
      }
    }
    prompt->line1 = t.substr(0, kPromptWrapColumn - 1);
    prompt->line2 = t.substr(kPromptWrapColumn - 1);
    return;
  }
  if (prompt->state == 0) {
    prompt->state = 1;
    switch (askMode) {
      case 1: prompt->text = "Please enter the destination directory:"; break;
      case 2: prompt->text = "Please enter the destination drive:"; break;
      case 3: prompt->text = "Please enter the destination drive and directory:"; break;
      default: prompt->text.clear(); break;
    }
  }
}

void PromptLineTexts(const PromptLines& prompt, std::string* firstLine, std::string* secondLine) {
  if (prompt.state == 2) {
    *firstLine = prompt.line1;
    *secondLine = prompt.line2;
  } else {
    firstLine->clear();
    *secondLine = prompt.state == 1 ? prompt.text : std::string();
  }
}

static bool IsAnswerDelimiter(char c) {
  return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == '(' || c == ')' || c == ',';
}

std::string CleanAnswer(const std::string& typed) {
  std::string answer = typed.substr(0, kFieldCapacity);
  size_t first = 0;
  while (first < answer.size() && IsAnswerDelimiter(answer[first])) ++first;
  return answer.substr(first);
}

DestinationFields DestinationFieldsFor(std::string path, int askMode) {
  DestinationFields fields;
  switch (askMode) {
    case 1:
      if (path.size() == 2 && path[1] == ':') path += '\\';
      fields.readOnly = std::string(1, path.empty() ? 'C' : AsciiUpper(path[0])) + ":\\";
      fields.input = path.size() > 3 ? path.substr(3) : std::string();
      break;
    case 2:
      fields.input = path.empty() ? std::string() : path.substr(0, 1);
      fields.readOnly = path.size() > 1 ? path.substr(1) : std::string();
      break;
    default:
      fields.input = path;
      break;
  }
  return fields;
}

// IsCharAlpha for the ANSI code page: ASCII and Latin-1 letters.
static bool IsLetter(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return IsAsciiAlpha(c) || (u >= 0xC0 && u != 0xD7 && u != 0xF7);
}

Candidate BuildCandidate(const std::string& path, int askMode, const std::string& field) {
  Candidate result;
  std::string text = field.substr(0, askMode == 2 ? 1 : kFieldCapacity);
  switch (askMode) {
    case 1: {
      std::string candidate = std::string(1, path.empty() ? 'C' : path[0]) + ":\\" + text;
      size_t cut = candidate.find_first_of(" ,");
      if (cut != std::string::npos) candidate.resize(cut);
      result.candidate = candidate;
      break;
    }
    case 2:
      if (text.empty() || !IsLetter(text[0])) {
        result.status = CandidateStatus::kBadDrive;
        return result;
      }
      result.candidate = path.empty() ? text : text + path.substr(1);
      break;
    case 3: {
      if (text.empty() || !IsLetter(text[0]) || (text.size() > 1 && text[1] != ':') ||
          (text.size() > 2 && text[2] != '\\')) {
        result.status = CandidateStatus::kBadDrive;
        return result;
      }
      size_t cut = text.find(',');
      result.candidate = cut == std::string::npos ? text : text.substr(0, cut);
      break;
    }
    case 0:
    case 4:
    case 5:
      result.status = CandidateStatus::kEndAtOnce;
      return result;
    default:
      result.status = CandidateStatus::kBadMode;
      return result;
  }
  // The candidate buffer holds 127 characters; a longer path is refused
  // instead of overflowing it.
  if (result.candidate.size() > kCandidateCapacity) result.status = CandidateStatus::kBadDirectory;
  return result;
}

void ProgressMeter::Initialise() {
  if (initialised_) return;
  initialised_ = true;
  percent_ = 0;
  itemsDone_ = 0;
  creepDivisor_ = 1;
}

void ProgressMeter::Advance(uint32_t w, bool bytesUnknown, int32_t totalBytes, int32_t bytesDone) {
  if (!bytesUnknown && totalBytes > 0) {
    int32_t hundredth = totalBytes / 100;
    if (bytesDone >= totalBytes)
      percent_ = 100;
    else
      percent_ = hundredth > 0 ? bytesDone / hundredth : 100;
    if (percent_ > 100) percent_ = 100;
    if (percent_ < 0) percent_ = 0;
  } else if (w != 0) {
    creepDivisor_ = 1;
    ++itemsDone_;
    percent_ = totalItems_ > 0 ? int32_t(int64_t(itemsDone_) * 100 / totalItems_) : 100;
  } else if (totalItems_ > 0 && int64_t(totalItems_) * creepDivisor_ < 0x3FFFFFFF) {
    creepDivisor_ *= 2;
    percent_ += int32_t(100 / (int64_t(totalItems_) * creepDivisor_));
  }
}

BarLayout LayoutBar(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t percent,
                    int32_t textWidth, int32_t textHeight) {
  if (percent > 100) percent = 100;
  if (percent < 0) percent = 0;
  int32_t width = right - left;
  BarLayout layout;
  layout.fillRight = left + percent * width / 100;
  layout.textX = left + (width - textWidth) / 2;
  layout.textY = top + (bottom - top - textHeight) / 2;
  return layout;
}

std::string PercentText(int32_t percent) {
  // "%3d%%": the number right-aligned in three places.
  std::string text = FormatInt(percent);
  if (text.size() < 3) text.insert(0, 3 - text.size(), ' ');
  return text + "%";
}

void CentreOnScreen(int32_t screenWidth, int32_t screenHeight, int32_t width, int32_t height, int32_t* x,
                    int32_t* y) {
  *x = (screenWidth - width) / 2;
  *y = (screenHeight - height) / 2;
}

}  // namespace quorril
