// PopupMessage: the modeless message shown while files are copied, made
// from an in-memory template (static texts, no buttons) and owned by the
// main window.
//
// At initialisation it moves itself to PlacePopup()'s place: centred
// across the screen, (screen height - height - 244) / 2 + 60 from the top,
// and keeps that placement with its bottom as it was created, which places
// the progress dialog below it. It stays until its object goes.
#pragma once

#include "platform/win32/handles.h"

#include <cstdint>
#include <vector>

#include "screens/screen_painting.h"
#include "ui/win32/dialog.h"

namespace quorril::win32 {

class PopupMessage : public Dialog {
 public:
  // Creates and shows the pop-up; false when the system refuses (or the
  // template is too short to be one).
  bool Create(HINSTANCE instance, const std::vector<uint8_t>& dialogTemplate, HWND owner);
  const PopupPlacement& Placement() const { return placement_; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Place();
  PopupPlacement placement_;
};

}  // namespace quorril::win32
