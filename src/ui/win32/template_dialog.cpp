// TemplateDialog: initial checks and the checked buttons on OK.
#include "ui/win32/template_dialog.h"

namespace quorril::win32 {

bool TemplateDialog::OnInitialise() {
  for (int id : setup_.checkBoxes) CheckDlgButton(Handle(), id, BST_CHECKED);
  if (setup_.radioChecked != 0)
    CheckRadioButton(Handle(), setup_.radioFirst, setup_.radioLast, setup_.radioChecked);
  return true;
}

std::vector<int> TemplateDialog::CheckedButtons() const {
  std::vector<int> checked;
  if (!Handle()) return checked;
  for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG_PTR type = GetWindowLongPtrA(child, GWL_STYLE) & BS_TYPEMASK;
    if (type != BS_AUTOCHECKBOX && type != BS_AUTORADIOBUTTON) continue;
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Button") != 0) continue;
    if (SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED) checked.push_back(GetDlgCtrlID(child));
  }
  return checked;
}

bool TemplateDialog::OnOk() { return !checker_ || checker_->Accept(CheckedButtons()); }

}  // namespace quorril::win32
