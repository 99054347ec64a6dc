// The screen surface: the user-interface port's share for the screens that
// the script itself describes — what the main window paints, the intro
// screen, the dialogs built in memory from the script's text blocks (first
// and last screen, exit message, choice screens) and the pop-up messages.
//
// Contract, for every implementation (Win32 adapter, scripted fake):
//  - SetAppearance() gives the main window what it paints: the background
//    (one colour, or a vertical gradient from colour 1 to colour 2 in bands
//    of 8 pixels), the screen graphic at its position, the title with its
//    shadow. The window repaints when it is next shown or invalidated.
//  - ShowIntro() shows the intro window maximized over the main window;
//    a key, a mouse click or the end of `seconds` (0 = no limit) closes it,
//    shows the main window and posts the installation phase (1025) — so the
//    caller does not post it. CloseIntro() destroys it if it still exists.
//  - TextWidth() and DialogBaseUnitX() measure text for the dialog
//    templates in the font a dialog of that face and point size uses: the
//    width of a text in pixels, and the horizontal base unit such a dialog
//    computes from its font (its average character width); 0 when the
//    font cannot be had.
//  - RunTemplateDialog() runs a modal dialog from DLGTEMPLATE bytes,
//    centred on the screen: the check boxes or radio buttons named in
//    `setup` start checked; OK (id 1) hands the ids of the checked buttons
//    to the checker, which may keep the dialog open (it has shown why);
//    Cancel (id 2) asks the quit question (caption "") and ends with
//    kIdCancel on Yes. Without a checker OK ends with kIdOk at once.
//  - ShowPopup() shows a modeless pop-up from DLGTEMPLATE bytes, owned by
//    the main window, centred across and placed at (screen height − height
//    − 244) / 2 + 60 from the top, replacing the pop-up shown before;
//    ClosePopup() destroys it. KeepProgressInFront() places the progress
//    dialog 24 pixels below the pop-up, shows the pop-up's owned windows and
//    makes the progress dialog the active window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorril {

struct RgbColour {
  uint8_t red = 0, green = 0, blue = 0;
};

// A bitmap ready to draw: BITMAPINFO bytes (header, masks, colour table),
// the bits, and for pictures of more than 16 colours the palette colours
// and the palette-index BITMAPINFO (header and 16-bit indices 0 … n − 1).
struct BitmapData {
  int32_t width = 0;
  int32_t height = 0;
  int32_t position = 0;  // 0 centre, 1 TOPLEFT … 8 MIDDLELEFT, 9 TILE, 10 FULLSCREEN
  std::vector<uint8_t> info;
  std::vector<uint8_t> bits;
  bool needsPalette = false;
  std::vector<RgbColour> paletteColours;
  std::vector<uint8_t> paletteIndexInfo;
  bool Empty() const { return bits.empty() || info.empty(); }
};

struct ScreenAppearance {
  RgbColour colour1{0, 0, 255};
  RgbColour colour2{0, 0, 0};
  std::string title;
  std::string titleFace = "Arial";
  bool titleBold = false, titleItalic = false, titleUnderline = false;
  int32_t titleSize = 0;  // 0: the largest of 40, 36 … 4 that fits
  RgbColour titleColour{128, 128, 255};
  BitmapData graphic;  // empty: none
};

// Initial state of the buttons of a template dialog.
struct TemplateDialogSetup {
  std::vector<int> checkBoxes;  // ids checked with BM_SETCHECK
  int radioFirst = 0;           // CheckRadioButton(radioFirst, radioLast, radioChecked)
  int radioLast = 0;            // when radioChecked is not 0
  int radioChecked = 0;
};

class TemplateDialogChecker {
 public:
  virtual ~TemplateDialogChecker() = default;
  // `checked` holds the ids of the check boxes and radio buttons that are
  // checked. True ends the dialog with kIdOk.
  virtual bool Accept(const std::vector<int>& checked) = 0;
};

class ScreenSurface {
 public:
  virtual ~ScreenSurface() = default;
  virtual void SetAppearance(const ScreenAppearance& appearance) = 0;
  virtual void ShowIntro(const BitmapData& image, int32_t seconds) = 0;
  virtual void CloseIntro() = 0;
  virtual int32_t TextWidth(const std::string& face, int32_t pointSize, bool italic, bool underline,
                            const std::string& text) = 0;
  virtual int32_t DialogBaseUnitX(const std::string& face, int32_t pointSize) = 0;
  virtual int RunTemplateDialog(const std::vector<uint8_t>& dialogTemplate, const TemplateDialogSetup& setup,
                                const std::string& quitText, TemplateDialogChecker* checker) = 0;
  virtual void ShowPopup(const std::vector<uint8_t>& dialogTemplate) = 0;
  virtual void ClosePopup() = 0;
  virtual void KeepProgressInFront() = 0;
};

}  // namespace quorril
