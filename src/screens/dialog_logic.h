// The decisions of the dialogs, apart from their windows: splitting a
// prompt over the two prompt lines, cleaning an ASK answer, building and
// checking the candidate path of the destination dialog, and the progress
// bar's arithmetic. The Win32 dialogs show what these functions decide.
#pragma once

#include <cstdint>
#include <string>

#include "model/capacities.h"
#include "platform/user_interface.h"

namespace quorril {

// A prompt and its two display lines.
//  state 0: no prompt text was given; 1: the prompt goes on one line
//  (the second prompt line); 2: it was split, line1 onto the first prompt
//  line, line2 onto the second.
using PromptLines = DialogPrompt;

constexpr size_t kPromptWrapColumn = 45;

// Splits a prompt in state 1 that is longer than the wrap column; gives a
// prompt in state 0 the default text (not split): empty for a question,
// the ask mode's text for a destination dialog (askMode 1, 2 or 3; 0 for a
// question).
void SplitPrompt(PromptLines* prompt, int askMode);
// The texts of the first and the second prompt line.
void PromptLineTexts(const PromptLines& prompt, std::string* firstLine, std::string* secondLine);

// An ASK answer as typed: cut to 497 characters, leading delimiters
// (tab, line feed, carriage return, blank, "(", ")", ",") removed.
std::string CleanAnswer(const std::string& typed);

// The destination dialog's fields for a path and ask mode (1, 2, 3):
// the input field and the read-only field (the drive root in mode 1, the
// directory in mode 2).
struct DestinationFields {
  std::string input;     // the input field
  std::string readOnly;  // the read-only field; empty in mode 3
};
DestinationFields DestinationFieldsFor(std::string path, int askMode);

// The outcome of OK in the destination dialog.
enum class CandidateStatus {
  kAccept,        // `candidate` goes to MakeDirectoryPath
  kBadDrive,      // BADDRIVEPROMPT; the field is reset to what was read
  kBadDirectory,  // BADDIRPROMPT; the path does not fit the candidate buffer
  kEndAtOnce,     // ask modes 4 and 5: the dialog ends with 1
  kBadMode,       // "AskFlag = %d": warning, the script's error flag, ends with 1
};
constexpr size_t kCandidateCapacity = capacity::kDestinationPath;
constexpr size_t kFieldCapacity = capacity::kAnswerField;
struct Candidate {
  CandidateStatus status = CandidateStatus::kAccept;
  std::string candidate;
};
// `path` is the dialog's current path, `field` the text of its input field.
Candidate BuildCandidate(const std::string& path, int askMode, const std::string& field);

// The progress bar of the progress dialog.
class ProgressMeter {
 public:
  // Creation: the number of file items. The first initialisation resets
  // the counters; later ones (repositioning) keep them.
  explicit ProgressMeter(int32_t totalItems) : totalItems_(totalItems) {}
  void Initialise();
  // WM_USER with wParam `w`: 1 = one file item done, 0 = a tick. The byte
  // counters decide when the bar measures bytes (bytesUnknown clear and
  // totalBytes > 0).
  void Advance(uint32_t w, bool bytesUnknown, int32_t totalBytes, int32_t bytesDone);
  int32_t Percent() const { return percent_ > 100 ? 100 : percent_; }
  int32_t ItemsDone() const { return itemsDone_; }

 private:
  int32_t totalItems_;
  int32_t percent_ = 0;
  int32_t itemsDone_ = 0;
  int32_t creepDivisor_ = 1;
  bool initialised_ = false;
};

// Where the percentage text and the filled part go in a bar rectangle.
struct BarLayout {
  int32_t fillRight;  // left + percent * width / 100
  int32_t textX, textY;
};
BarLayout LayoutBar(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t percent,
                    int32_t textWidth, int32_t textHeight);
// "%3d%%"
std::string PercentText(int32_t percent);

// Centring of a window of the given size on the screen.
void CentreOnScreen(int32_t screenWidth, int32_t screenHeight, int32_t width, int32_t height, int32_t* x,
                    int32_t* y);

}  // namespace quorril
