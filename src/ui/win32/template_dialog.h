// TemplateDialog: a screen built from script text (first and last screen,
// exit message, choice group) run with its initial checks and an OK that
// the caller may refuse.
//
// At initialisation, after centring, the check boxes named in the setup are
// checked (BM_SETCHECK) and, when the setup names a checked radio button,
// CheckRadioButton is applied over its range. OK collects the ids of the
// automatic check boxes and radio buttons that are checked, in template
// order, and hands them to the checker: true ends the dialog with IDOK,
// false leaves it open (the checker has said why). Without a checker OK
// ends it at once. Cancel is ScreenDialog's quit question.
#pragma once

#include "platform/win32/handles.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/screen_surface.h"
#include "ui/win32/screen_dialog.h"

namespace quorril::win32 {

class TemplateDialog : public ScreenDialog {
 public:
  TemplateDialog(const TemplateDialogSetup& setup, std::string quitText, TemplateDialogChecker* checker)
      : ScreenDialog(std::move(quitText)), setup_(setup), checker_(checker) {}

  // The ids of the checked automatic check boxes and radio buttons.
  std::vector<int> CheckedButtons() const;

 protected:
  bool OnInitialise() override;
  bool OnOk() override;

 private:
  TemplateDialogSetup setup_;
  TemplateDialogChecker* checker_;
};

}  // namespace quorril::win32
