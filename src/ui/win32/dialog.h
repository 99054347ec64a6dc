// Dialog: the base of every dialog box of the Win32 user interface, and
// ConfirmQuit, the question every dialog asks before it lets the user quit.
//
// One static dialog procedure serves all dialogs. The object's address goes
// in as the creation parameter; at WM_INITDIALOG the procedure keeps it in
// the window's DWLP_USER slot and from then on hands every message to the
// object's HandleMessage(). Messages before WM_INITDIALOG get the system's
// default handling, and nothing thrown inside a handler leaves the
// procedure (the message then gets the default handling too).
//
// A dialog is modal (RunModal, RunModalIndirect: the call returns the
// value that End() gave) or modeless (CreateModeless: End() destroys the
// window). A modeless dialog's window goes with its object; the object
// forgets its handle at WM_NCDESTROY when the window goes first.
#pragma once

#include "platform/win32/handles.h"

#include <cstdint>
#include <string>

namespace quorril::win32 {

class Dialog {
 public:
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // The dialog's window; null before it is created and after it is gone.
  HWND Handle() const { return handle_; }

 protected:
  Dialog() = default;

  // A modal dialog from the resource `resourceId`, owned by `owner` (may be
  // null): the value the dialog ended with, or -1 when it could not be
  // created.
  INT_PTR RunModal(HINSTANCE instance, int resourceId, HWND owner);
  // The same from an in-memory template (a DLGTEMPLATE on a 4-byte boundary).
  INT_PTR RunModalIndirect(HINSTANCE instance, const void* dialogTemplate, HWND owner);
  // A modeless dialog from a resource; false when the system refuses.
  bool CreateModeless(HINSTANCE instance, int resourceId, HWND owner);
  // The same from an in-memory template (a DLGTEMPLATE on a 4-byte boundary).
  bool CreateModelessIndirect(HINSTANCE instance, const void* dialogTemplate, HWND owner);
  // Ends a modal dialog with `result`; destroys a modeless one.
  void End(INT_PTR result);

  // Moves the dialog to the middle of the screen, without resizing or
  // activating it.
  void CentreOnScreen();
  // The answer to WM_CTLCOLOR* that paints the dialog and its controls in
  // the window colour (COLOR_WINDOW) with `brush`; a null brush leaves the
  // system's colours.
  static INT_PTR WindowColour(WPARAM dc, HBRUSH brush);
  // True for the WM_CTLCOLOR* messages (WM_CTLCOLORMSGBOX to WM_CTLCOLORSTATIC).
  static bool IsColourMessage(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

  // The text of control `id`, at most `capacity` characters of it.
  std::string ItemText(int id, size_t capacity) const;
  void SetItemText(int id, const std::string& text);

  // The handler: a dialog procedure's answer (TRUE when handled; for
  // WM_INITDIALOG, TRUE lets the system give the focus). The base answers
  // FALSE to everything.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND handle_ = nullptr;
  bool modal_ = false;
};

// Asks `quitText` ("Do you wish to quit?") in a message box owned by
// `owner`, with Yes and No and the exclamation icon. True on Yes.
bool ConfirmQuit(HWND owner, const std::string& caption, const std::string& quitText);

}  // namespace quorril::win32
