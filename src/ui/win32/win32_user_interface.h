// Win32UserInterface: the user-interface port on Win32.
//
// Message boxes are MessageBoxA. One that asks to be owned belongs to the
// modal dialog on screen (a question or destination dialog run through this
// adapter), else to the main window when it exists. The main window is a
// MainWindow (the Win32 UI layer); the dialogs are the ProgressDialog,
// AskDialog and DestinationDialog of the same layer, made from the
// resources in ui/win32/dialogs.rc, which the program must link.
//
// The message loop (GetMessageA until WM_QUIT) and PumpMessages() (every
// message waiting, PeekMessageA) hand the progress dialog its keyboard
// messages through IsDialogMessageA, so Tab, Enter and Escape work in it.
// A WM_QUIT met by PumpMessages() is posted again for the loop that waits
// for it.
//
// The progress dialog object lives from a CreateProgressDialog() whose
// window could be made until DestroyProgressDialog(): HasProgressDialog()
// stays true after the user cancelled and the window went. The cancel
// answer of PumpMessages() stays true until the next progress dialog. A
// modal dialog that cannot be made (or an ask mode without a dialog)
// answers kIdCancel: nothing is taken as the user's answer that the user
// did not give.
//
// It is also the screen surface: the main window's appearance (kept until
// the window exists), the intro window, the template dialogs (run like the
// question dialogs, owning the message boxes shown meanwhile) and the
// pop-up message, whose placement — once one was placed in the run — puts
// the progress dialog below it, at its creation and at each
// KeepProgressInFront().
//
// The adapter owns the window-colour brush (COLOR_WINDOW) that the question
// and progress dialogs hand out for their controls; it is made when first
// needed and deleted with the adapter, after the windows.
#pragma once

#include "platform/win32/handles.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/screen_surface.h"
#include "platform/user_interface.h"
#include "screens/screen_painting.h"
#include "ui/win32/gdi.h"

namespace quorril {

namespace win32 {
class Dialog;
class IntroWindow;
class MainWindow;
class PopupMessage;
class ProgressDialog;
}  // namespace win32

class Win32UserInterface : public UserInterface, public ScreenSurface {
 public:
  explicit Win32UserInterface(HINSTANCE instance);
  ~Win32UserInterface() override;

  int ShowMessageBox(const MessageBoxRequest& request) override;
  void CreateMainWindow() override;
  void ShowMainWindow(const std::string& title) override;
  void ShowCheckingBanner(const std::string& text) override;
  void PostInstallPhase() override;
  void RunMessageLoop(MainWindowEvents* events) override;
  void QuitMessageLoop() override;

  void Beep(uint32_t type) override;
  bool PumpMessages() override;
  void CreateProgressDialog(int32_t totalItems, const DialogTexts& texts) override;
  bool HasProgressDialog() override;
  void SetProgressTexts(const std::string& upper, const std::string& lower) override;
  void ShowProgress(int32_t percent) override;
  void DestroyProgressDialog() override;
  int RunAskDialog(const DialogPrompt& prompt, const std::string& defaultAnswer, const DialogTexts& texts,
                   std::string* typed) override;
  int RunDestinationDialog(const DialogPrompt& prompt, int askMode, const std::string& input,
                           const std::string& readOnly, const DialogTexts& texts,
                           DestinationChecker* checker) override;

  // ---- ScreenSurface --------------------------------------------------------
  void SetAppearance(const ScreenAppearance& appearance) override;
  void ShowIntro(const BitmapData& image, int32_t seconds) override;
  void CloseIntro() override;
  int32_t TextWidth(const std::string& face, int32_t pointSize, bool italic, bool underline,
                    const std::string& text) override;
  int32_t DialogBaseUnitX(const std::string& face, int32_t pointSize) override;
  int RunTemplateDialog(const std::vector<uint8_t>& dialogTemplate, const TemplateDialogSetup& setup,
                        const std::string& quitText, TemplateDialogChecker* checker) override;
  void ShowPopup(const std::vector<uint8_t>& dialogTemplate) override;
  void ClosePopup() override;
  void KeepProgressInFront() override;

  // The main window's handle; null before CreateMainWindow or after it closed.
  HWND MainWindowHandle() const;
  // The progress dialog's window; null when there is none on screen.
  HWND ProgressDialogHandle() const;
  // The intro window and the pop-up on screen; null when there is none.
  HWND IntroWindowHandle() const;
  HWND PopupHandle() const;
  // Where the last pop-up of the run was placed, if one was.
  const std::optional<PopupPlacement>& LastPopupPlacement() const { return popupPlacement_; }
  // The window that owns an owned message box now.
  HWND MessageBoxOwner() const;
  // The window-colour brush of the dialogs (made on first use).
  HBRUSH WindowBrush();

 private:
  // Runs a modal dialog as the owner of owned message boxes; restores the
  // previous one after it.
  template <typename Run>
  INT_PTR RunModal(win32::Dialog* dialog, Run run);
  // Hands `msg` to the progress dialog's keyboard handling; true when taken.
  bool ProgressDialogTakes(MSG* msg);

  HINSTANCE instance_;
  win32::Brush windowBrush_;
  std::unique_ptr<win32::MainWindow> mainWindow_;
  std::unique_ptr<win32::ProgressDialog> progress_;
  std::unique_ptr<win32::IntroWindow> intro_;
  std::unique_ptr<win32::PopupMessage> popup_;
  std::optional<PopupPlacement> popupPlacement_;
  ScreenAppearance appearance_;
  bool progressCancelled_ = false;
  win32::Dialog* modalDialog_ = nullptr;
};

}  // namespace quorril
