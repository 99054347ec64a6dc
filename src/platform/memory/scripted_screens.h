// ScriptedScreens: an in-memory fake of the screen surface. It records what
// would be painted and shown, measures every character 8 pixels wide with a
// dialog base unit of 8, and answers template dialogs from a queue: each
// answer is the list of button ids a person checks before pressing OK, or
// kCancel. Without answers, OK is pressed on the initial state.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/screen_surface.h"
#include "platform/user_interface.h"

namespace quorril {

class ScriptedScreens : public ScreenSurface {
 public:
  struct Answer {
    bool cancel = false;
    std::vector<int> checked;  // the final checked ids
  };
  static Answer Cancel() { return Answer{true, {}}; }
  static Answer Check(std::vector<int> ids) { return Answer{false, std::move(ids)}; }

  std::vector<std::string> log;  // "appearance:<title>", "intro:<seconds>", "dialog:<n bytes>", "popup", ...
  ScreenAppearance appearance;
  std::deque<Answer> answers;
  std::vector<std::vector<uint8_t>> dialogs;  // every template run
  std::vector<TemplateDialogSetup> setups;
  std::vector<uint8_t> popup;  // the pop-up on screen, empty when none
  bool introShown = false;
  std::string measuredIn, baseUnitOf;  // "FACE SIZE" of the last measuring

  void SetAppearance(const ScreenAppearance& a) override {
    appearance = a;
    log.push_back("appearance:" + a.title);
  }
  void ShowIntro(const BitmapData&, int32_t seconds) override {
    introShown = true;
    log.push_back("intro:" + std::to_string(seconds));
  }
  void CloseIntro() override {
    if (introShown) log.push_back("intro-closed");
    introShown = false;
  }
  // 8 pixels a character, 8 a base unit; the fonts asked for are recorded.
  int32_t TextWidth(const std::string& face, int32_t pointSize, bool, bool, const std::string& text) override {
    measuredIn = face + " " + std::to_string(pointSize);
    return int32_t(text.size()) * 8;
  }
  int32_t DialogBaseUnitX(const std::string& face, int32_t pointSize) override {
    baseUnitOf = face + " " + std::to_string(pointSize);
    return 8;
  }
  int RunTemplateDialog(const std::vector<uint8_t>& bytes, const TemplateDialogSetup& setup, const std::string&,
                        TemplateDialogChecker* checker) override {
    dialogs.push_back(bytes);
    setups.push_back(setup);
    log.push_back("dialog:" + std::to_string(bytes.size()));
    // Each queued answer is one press of OK (or Cancel); a refused OK takes
    // the next answer, and a dialog that runs out of answers is cancelled.
    bool first = true;
    while (true) {
      Answer answer;
      if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
      } else if (first) {
        answer.checked = setup.checkBoxes;
        if (setup.radioChecked) answer.checked.push_back(setup.radioChecked);
      } else {
        return kIdCancel;
      }
      first = false;
      if (answer.cancel) return kIdCancel;
      if (!checker || checker->Accept(answer.checked)) return kIdOk;
    }
  }
  void ShowPopup(const std::vector<uint8_t>& bytes) override {
    popup = bytes;
    log.push_back("popup:" + std::to_string(bytes.size()));
  }
  void ClosePopup() override {
    if (!popup.empty()) log.push_back("popup-closed");
    popup.clear();
  }
  void KeepProgressInFront() override { log.push_back("progress-front"); }
};

}  // namespace quorril
