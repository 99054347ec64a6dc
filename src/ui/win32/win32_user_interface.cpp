// The user-interface port on Win32: message boxes, the main window, the
// message loop and pumping, and the dialogs.
#include "ui/win32/win32_user_interface.h"

#include "ui/win32/ask_dialog.h"
#include "ui/win32/destination_dialog.h"
#include "ui/win32/intro_window.h"
#include "ui/win32/main_window.h"
#include "ui/win32/popup_message.h"
#include "ui/win32/progress_dialog.h"
#include "ui/win32/template_dialog.h"

namespace quorril {

Win32UserInterface::Win32UserInterface(HINSTANCE instance) : instance_(instance) {}

// The windows go first: the brush may still be in use by them.
Win32UserInterface::~Win32UserInterface() {
  popup_.reset();
  intro_.reset();
  progress_.reset();
  mainWindow_.reset();
}

HWND Win32UserInterface::MainWindowHandle() const { return mainWindow_ ? mainWindow_->Handle() : nullptr; }

HWND Win32UserInterface::ProgressDialogHandle() const { return progress_ ? progress_->Handle() : nullptr; }

HWND Win32UserInterface::IntroWindowHandle() const { return intro_ ? intro_->Handle() : nullptr; }

HWND Win32UserInterface::PopupHandle() const { return popup_ ? popup_->Handle() : nullptr; }

HWND Win32UserInterface::MessageBoxOwner() const {
  if (modalDialog_ && modalDialog_->Handle()) return modalDialog_->Handle();
  return MainWindowHandle();
}

HBRUSH Win32UserInterface::WindowBrush() {
  if (!windowBrush_) windowBrush_.Reset(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
  return windowBrush_.Get();
}

int Win32UserInterface::ShowMessageBox(const MessageBoxRequest& request) {
  // What the progress dialog is to show stands there before the question.
  if (progress_) progress_->FlushTexts();
  HWND owner = request.owned ? MessageBoxOwner() : nullptr;
  const char* caption = request.caption ? request.caption->c_str() : nullptr;
  return MessageBoxA(owner, request.text.c_str(), caption, request.style);
}

void Win32UserInterface::CreateMainWindow() {
  if (mainWindow_) return;
  WindowBrush();
  auto window = std::make_unique<win32::MainWindow>();
  window->SetAppearance(appearance_);
  if (window->Create(instance_)) mainWindow_ = std::move(window);
}

void Win32UserInterface::ShowMainWindow(const std::string& title) {
  if (mainWindow_) mainWindow_->Show(title);
}

void Win32UserInterface::ShowCheckingBanner(const std::string& text) {
  if (mainWindow_) mainWindow_->ShowCheckingBanner(text);
}

void Win32UserInterface::PostInstallPhase() {
  if (HWND window = MainWindowHandle()) PostMessageA(window, win32::kMessageInstallPhase, 0, 0);
}

bool Win32UserInterface::ProgressDialogTakes(MSG* msg) {
  HWND dialog = ProgressDialogHandle();
  return dialog && IsDialogMessageA(dialog, msg);
}

void Win32UserInterface::RunMessageLoop(MainWindowEvents* events) {
  if (!MainWindowHandle()) return;  // nothing could end the loop
  mainWindow_->SetEvents(events);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (ProgressDialogTakes(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // Only this loop exists to see WM_QUIT: the main window is done.
  if (mainWindow_) mainWindow_->SetEvents(nullptr);
}

void Win32UserInterface::QuitMessageLoop() { PostQuitMessage(0); }

void Win32UserInterface::Beep(uint32_t type) { MessageBeep(type); }

bool Win32UserInterface::PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Not ours to take: the message loop ends on it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (ProgressDialogTakes(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (progress_) progress_->ShowWaitingTexts();
  return progressCancelled_ || (progress_ && progress_->Cancelled());
}

void Win32UserInterface::CreateProgressDialog(int32_t totalItems, const DialogTexts& texts) {
  if (totalItems == 0 || progress_) return;
  progressCancelled_ = false;
  auto dialog = std::make_unique<win32::ProgressDialog>(WindowBrush(), texts.cancel, texts.quit);
  if (popupPlacement_) dialog->SetTop(ProgressDialogTopBelowPopup(*popupPlacement_));
  if (dialog->Create(instance_, MainWindowHandle())) progress_ = std::move(dialog);
}

bool Win32UserInterface::HasProgressDialog() { return progress_ != nullptr; }

void Win32UserInterface::SetProgressTexts(const std::string& upper, const std::string& lower) {
  if (progress_) progress_->SetTexts(upper, lower);
}

void Win32UserInterface::ShowProgress(int32_t percent) {
  if (progress_) progress_->SetPercent(percent);
}

void Win32UserInterface::DestroyProgressDialog() {
  if (!progress_) return;
  // The answer stays for the copy loop that may still ask.
  progressCancelled_ = progressCancelled_ || progress_->Cancelled();
  progress_.reset();
}

template <typename Run>
INT_PTR Win32UserInterface::RunModal(win32::Dialog* dialog, Run run) {
  if (progress_) progress_->FlushTexts();
  win32::Dialog* previous = modalDialog_;
  modalDialog_ = dialog;
  INT_PTR result = run();
  modalDialog_ = previous;
  return result;
}

int Win32UserInterface::RunAskDialog(const DialogPrompt& prompt, const std::string& defaultAnswer,
                                     const DialogTexts& texts, std::string* typed) {
  win32::AskDialog dialog(prompt, defaultAnswer, texts, WindowBrush());
  INT_PTR result = RunModal(&dialog, [&] { return dialog.Run(instance_, MainWindowHandle()); });
  if (result != IDOK) return kIdCancel;
  *typed = dialog.Answer();
  return kIdOk;
}

int Win32UserInterface::RunDestinationDialog(const DialogPrompt& prompt, int askMode, const std::string& input,
                                             const std::string& readOnly, const DialogTexts& texts,
                                             DestinationChecker* checker) {
  win32::DestinationDialog dialog(prompt, askMode, input, readOnly, texts, checker);
  INT_PTR result = RunModal(&dialog, [&] { return dialog.Run(instance_, MainWindowHandle()); });
  return result == IDOK ? kIdOk : kIdCancel;
}

// ---- the screen surface --------------------------------------------------------

void Win32UserInterface::SetAppearance(const ScreenAppearance& appearance) {
  appearance_ = appearance;
  if (mainWindow_) mainWindow_->SetAppearance(appearance);
}

// Without a window to show, the installation phase is posted at once, so
// that the run does not wait for a click that cannot come.
void Win32UserInterface::ShowIntro(const BitmapData& image, int32_t seconds) {
  intro_.reset();
  auto intro = std::make_unique<win32::IntroWindow>();
  if (!intro->Create(instance_, image, seconds)) {
    PostInstallPhase();
    return;
  }
  intro_ = std::move(intro);
  intro_->Show(MainWindowHandle());
}

void Win32UserInterface::CloseIntro() { intro_.reset(); }

namespace {

// The width in pixels of `text` in the font the dialog manager creates for
// a template with DS_SETFONT: the face at the point size in the screen's
// pixels, with the same matching parameters, so that what is measured is
// what the dialog draws. Italic and underline (the TITLE options) only ever
// widen a line. 0 when the font cannot be had.
int32_t ExtentInDialogFont(const std::string& face, int32_t pointSize, bool italic, bool underline,
                           const std::string& text) {
  win32::WindowDc screen(nullptr);
  if (!screen.Get()) return 0;
  const int pixels = MulDiv(pointSize, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
  win32::Font font(CreateFontA(-pixels, 0, 0, 0, FW_DONTCARE, italic ? TRUE : FALSE, underline ? TRUE : FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_DONTCARE,
                               face.c_str()));
  if (!font.Get()) return 0;
  win32::Selection selected(screen.Get(), font.Get());
  SIZE extent{};
  if (!GetTextExtentPoint32A(screen.Get(), text.c_str(), static_cast<int>(text.size()), &extent)) return 0;
  return static_cast<int32_t>(extent.cx);
}

}  // namespace

int32_t Win32UserInterface::TextWidth(const std::string& face, int32_t pointSize, bool italic, bool underline,
                                      const std::string& text) {
  return ExtentInDialogFont(face, pointSize, italic, underline, text);
}

// A dialog's horizontal base unit is the average width of the letters of
// its font, computed as the dialog manager does: the extent of the 52
// letters, halved twice with rounding.
int32_t Win32UserInterface::DialogBaseUnitX(const std::string& face, int32_t pointSize) {
  const int32_t letters =
      ExtentInDialogFont(face, pointSize, false, false, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return (letters / 26 + 1) / 2;
}

int Win32UserInterface::RunTemplateDialog(const std::vector<uint8_t>& dialogTemplate,
                                          const TemplateDialogSetup& setup, const std::string& quitText,
                                          TemplateDialogChecker* checker) {
  win32::TemplateDialog dialog(setup, quitText, checker);
  INT_PTR result =
      RunModal(&dialog, [&] { return dialog.Run(instance_, dialogTemplate, MainWindowHandle()); });
  return result == IDOK ? kIdOk : kIdCancel;
}

void Win32UserInterface::ShowPopup(const std::vector<uint8_t>& dialogTemplate) {
  popup_.reset();
  auto popup = std::make_unique<win32::PopupMessage>();
  if (!popup->Create(instance_, dialogTemplate, MainWindowHandle())) return;
  popupPlacement_ = popup->Placement();
  popup_ = std::move(popup);
}

void Win32UserInterface::ClosePopup() { popup_.reset(); }

void Win32UserInterface::KeepProgressInFront() {
  HWND popup = PopupHandle();
  if (!popup || !popupPlacement_ || !progress_ || !progress_->Handle()) return;
  progress_->SetTop(ProgressDialogTopBelowPopup(*popupPlacement_));
  progress_->Reposition();
  ShowOwnedPopups(popup, TRUE);
  SetActiveWindow(progress_->Handle());
}

}  // namespace quorril
