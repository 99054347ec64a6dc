// ScreenDialog: the base of the modal screens built from script text
// (first screen, last screen, exit message, choice groups), shown from an
// in-memory dialog template.
//
// Initialisation centres the screen and then calls OnInitialise(). OK
// (IDOK) ends it with IDOK; Cancel (IDCANCEL) asks ConfirmQuit with an
// empty caption and ends it with IDCANCEL on Yes. Every other command goes
// to OnCommand(), where a derived screen handles its own controls. The
// screens keep the system's colours.
#pragma once

#include "platform/win32/handles.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ui/win32/dialog.h"

namespace quorril::win32 {

class ScreenDialog : public Dialog {
 public:
  explicit ScreenDialog(std::string quitText) : quitText_(std::move(quitText)) {}

  // Shows the template (the bytes of a DLGTEMPLATE and its items), owned by
  // `owner`: IDOK, IDCANCEL, or -1 when the dialog could not be created.
  INT_PTR Run(HINSTANCE instance, const std::vector<uint8_t>& dialogTemplate, HWND owner);

 protected:
  // Called at WM_INITDIALOG after centring. True lets the system give the
  // focus.
  virtual bool OnInitialise() { return true; }
  // Called before OK ends the screen; false keeps it open.
  virtual bool OnOk() { return true; }
  // Commands other than OK and Cancel; true when handled.
  virtual bool OnCommand(int id, int notification) { return false; }
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  std::string quitText_;
};

}  // namespace quorril::win32
