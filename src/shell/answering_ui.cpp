// AnsweringUi: one member per call of the two ports; the answers are
// decided here, what is still shown is handed to the shown interface.
#include "shell/answering_ui.h"

#include "model/script_model.h"
#include "model/script_state.h"
#include "screens/dialog_logic.h"

namespace quorril {

namespace {

// The fake font of a run without windows: every character 8 pixels wide,
// a dialog base unit of 8.
constexpr int32_t kCharacterWidth = 8;
constexpr int32_t kBaseUnit = 8;

const char* YesNoText(bool yes) { return yes ? "Yes" : "No"; }

// A message as the log shows it: its text, after its caption when the
// caption says something ("Syntax error, line: 3: OVERWRITEFILE: maybe").
std::string MessageText(const MessageBoxRequest& request) {
  if (!request.caption || request.caption->find_first_not_of(' ') == std::string::npos) return request.text;
  return *request.caption + ": " + request.text;
}

}  // namespace


static const char* AnswerText(int answer) {
  switch (answer) {
    case kIdOk: return "OK";
    case kIdCancel: return "Cancel";
    case kIdYes: return "Yes";
    case kIdNo: return "No";
  }
  return "closed";
}

int AnsweringUi::ShowMessageBox(const MessageBoxRequest& request) {
  uint32_t buttons = request.style & 0x0F;
  if (person_) {
    int answer = shown_->ShowMessageBox(request);
    if (buttons == kMbOk) {
      lastMessage_ = MessageText(request);
      log_.push_back("message: " + lastMessage_);
    } else {
      if (script_ && request.text == script_->prompts.Get(PromptId::kQuit) && answer == kIdYes) quit_ = true;
      log_.push_back("question: " + request.text + " " + AnswerText(answer));
    }
    return answer;
  }
  if (buttons == kMbYesNo) {
    bool yes = answers_.modify;
    if (script_) {
      const PromptTexts& prompts = script_->prompts;
      const std::string& overwrite = prompts.Get(PromptId::kFileExist);
      if (request.text == prompts.Get(PromptId::kQuit)) {
        yes = true;
        quit_ = true;
      } else if (request.text == prompts.Get(PromptId::kReboot)) {
        yes = answers_.restart;
      } else if (!overwrite.empty() && request.text.compare(0, overwrite.size(), overwrite) == 0) {
        yes = answers_.overwrite;
      }
    }
    log_.push_back("question: " + request.text + " " + YesNoText(yes));
    return yes ? kIdYes : kIdNo;
  }
  if (buttons == kMbOkCancel) {
    // The same disk question again at once: the disk is not there.
    bool again = request.text == lastDiskQuestion_;
    lastDiskQuestion_ = request.text;
    log_.push_back("question: " + request.text + (again ? " Cancel" : " OK"));
    return again ? kIdCancel : kIdOk;
  }
  lastDiskQuestion_.clear();
  lastMessage_ = MessageText(request);
  log_.push_back("message: " + lastMessage_);
  return kIdOk;
}

void AnsweringUi::CreateMainWindow() {
  if (shown_) shown_->CreateMainWindow();
}

void AnsweringUi::ShowMainWindow(const std::string& title) {
  if (shown_) shown_->ShowMainWindow(title);
}

void AnsweringUi::ShowCheckingBanner(const std::string& text) {
  if (shown_) shown_->ShowCheckingBanner(text);
}

void AnsweringUi::PostInstallPhase() {
  if (shown_)
    shown_->PostInstallPhase();
  else
    phasePosted_ = true;
}

void AnsweringUi::RunMessageLoop(MainWindowEvents* events) {
  if (shown_) {
    shown_->RunMessageLoop(events);
    return;
  }
  if (phasePosted_ && events) {
    phasePosted_ = false;
    events->OnInstallPhase();
  }
}

void AnsweringUi::QuitMessageLoop() {
  if (shown_) shown_->QuitMessageLoop();
}

void AnsweringUi::Beep(uint32_t type) {}

bool AnsweringUi::PumpMessages() {
  // Only a person can cancel through the progress dialog (in /SILENT too).
  if (shown_ && shown_->PumpMessages()) {
    quit_ = true;
    return true;
  }
  return false;
}

void AnsweringUi::CreateProgressDialog(int32_t totalItems, const DialogTexts& texts) {
  if (shown_)
    shown_->CreateProgressDialog(totalItems, texts);
  else
    progress_ = totalItems != 0;
}

bool AnsweringUi::HasProgressDialog() { return shown_ ? shown_->HasProgressDialog() : progress_; }

void AnsweringUi::SetProgressTexts(const std::string& upper, const std::string& lower) {
  if (lower != copying_ && !lower.empty()) log_.push_back("copying: " + lower);
  copying_ = lower;
  if (shown_) shown_->SetProgressTexts(upper, lower);
}

void AnsweringUi::ShowProgress(int32_t percent) {
  if (shown_) shown_->ShowProgress(percent);
}

void AnsweringUi::DestroyProgressDialog() {
  if (shown_)
    shown_->DestroyProgressDialog();
  else
    progress_ = false;
}

int AnsweringUi::RunAskDialog(const DialogPrompt& prompt, const std::string& defaultAnswer,
                              const DialogTexts& texts, std::string* typed) {
  // The run asks ASK1 ... ASK5 in order and lets go of each record once
  // asked, so the question now asked is the first record still held.
  size_t n = 0;
  if (script_ && script_->model)
    while (n < script_->model->asks.size() && !script_->model->asks[n]) ++n;
  if (person_) {
    int result = shown_->RunAskDialog(prompt, defaultAnswer, texts, typed);
    if (result != kIdOk) quit_ = true;
    log_.push_back("answer: ASK" + std::to_string(n + 1) + (result == kIdOk ? " " + *typed : std::string(" Cancel")));
    return result;
  }
  const std::optional<std::string>* answer = n < answers_.ask.size() ? &answers_.ask[n] : nullptr;
  *typed = answer && answer->has_value() ? **answer : defaultAnswer;
  log_.push_back("answer: ASK" + std::to_string(n + 1) + " " + *typed);
  return kIdOk;
}

int AnsweringUi::RunDestinationDialog(const DialogPrompt& prompt, int askMode, const std::string& input,
                                      const std::string& readOnly, const DialogTexts& texts,
                                      DestinationChecker* checker) {
  if (person_) {
    int result = shown_->RunDestinationDialog(prompt, askMode, input, readOnly, texts, checker);
    if (result != kIdOk) quit_ = true;
    log_.push_back(std::string("destination: ") + (result == kIdOk ? "OK" : "Cancel"));
    return result;
  }
  // The first dialog of the destination step is DEFAULTDIR's when it asks.
  bool first = !defaultDirAsked_;
  defaultDirAsked_ = true;
  std::string typed = input;
  const InstallScript* model = script_ ? script_->model.get() : nullptr;
  if (first && answers_.dir && model && model->defaultDir && model->defaultDir->askMode != 0)
    typed = DestinationFieldsFor(*answers_.dir, askMode).input;
  bool accepted = checker->Accept(typed);
  log_.push_back("destination: " + typed + (accepted ? "" : " refused"));
  return accepted ? kIdOk : kIdCancel;
}

void AnsweringUi::SetAppearance(const ScreenAppearance& appearance) {
  if (shownSurface_) shownSurface_->SetAppearance(appearance);
}

void AnsweringUi::ShowIntro(const BitmapData& image, int32_t seconds) {
  if (person_) {
    shownSurface_->ShowIntro(image, seconds);
    return;
  }
  // The intro screen would post the installation phase when it closes.
  PostInstallPhase();
}

int32_t AnsweringUi::TextWidth(const std::string& face, int32_t pointSize, bool italic, bool underline,
                               const std::string& text) {
  if (shownSurface_) return shownSurface_->TextWidth(face, pointSize, italic, underline, text);
  return int32_t(text.size()) * kCharacterWidth;
}

int32_t AnsweringUi::DialogBaseUnitX(const std::string& face, int32_t pointSize) {
  return shownSurface_ ? shownSurface_->DialogBaseUnitX(face, pointSize) : kBaseUnit;
}

void AnsweringUi::CloseIntro() {
  if (person_) shownSurface_->CloseIntro();
}

int AnsweringUi::RunTemplateDialog(const std::vector<uint8_t>& dialogTemplate, const TemplateDialogSetup& setup,
                                   const std::string& quitText, TemplateDialogChecker* checker) {
  if (person_) {
    int result = shownSurface_->RunTemplateDialog(dialogTemplate, setup, quitText, checker);
    if (result == kIdCancel) quit_ = true;
    log_.push_back(std::string("screen: ") + (result == kIdCancel ? "Cancel" : "OK"));
    return result;
  }
  std::vector<int> checked = setup.checkBoxes;
  if (setup.radioChecked) checked.push_back(setup.radioChecked);
  bool accepted = !checker || checker->Accept(checked);
  log_.push_back(accepted ? "screen: OK" : "screen: refused");
  return accepted ? kIdOk : kIdCancel;
}

void AnsweringUi::ShowPopup(const std::vector<uint8_t>& dialogTemplate) {
  if (shownSurface_) shownSurface_->ShowPopup(dialogTemplate);
}

void AnsweringUi::ClosePopup() {
  if (shownSurface_) shownSurface_->ClosePopup();
}

void AnsweringUi::KeepProgressInFront() {
  if (shownSurface_) shownSurface_->KeepProgressInFront();
}

}  // namespace quorril
