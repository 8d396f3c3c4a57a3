// LocationDialog.cpp: the location dialog's window procedure.
#include "app/win32/LocationDialog.h"

#include <vector>

#include "app/LocationList.h"
#include "res/DialogLayout.h"

namespace {

struct LocationChoice {
  std::vector<LocationItem> locations;
  std::int32_t chosenId = 0;
};

void FillList(HWND dialog, const LocationChoice& choice) {
  HWND list = ::GetDlgItem(dialog, qiva::res::kIdLocationList);
  for (const LocationItem& item : choice.locations) {
    const LRESULT index =
        ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.name.c_str()));
    if (index >= 0) ::SendMessageA(list, CB_SETITEMDATA, index, item.id);
  }
}

// OK: the selected item's id ends the dialog; typed text or no selection asks for a location.
void OnOk(HWND dialog, LocationChoice& choice) {
  HWND list = ::GetDlgItem(dialog, qiva::res::kIdLocationList);
  const LRESULT index = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) {
    ::MessageBoxA(dialog, qiva::res::kSelectLocationText, qiva::res::kMessageTitle, MB_OK);
    return;
  }
  choice.chosenId = static_cast<std::int32_t>(::SendMessageA(list, CB_GETITEMDATA, index, 0));
  ::EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK LocationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* choice = reinterpret_cast<LocationChoice*>(::GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      FillList(dialog, *reinterpret_cast<LocationChoice*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        OnOk(dialog, *choice);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

std::optional<std::int32_t> RunLocationDialog(HWND owner, CAdoDatabase& db, CAdoRecordset& rs) {
  LocationChoice choice;
  choice.locations = LoadLocations(db, rs);
  const INT_PTR result = ::DialogBoxParamA(::GetModuleHandleA(nullptr),
                                           MAKEINTRESOURCEA(qiva::res::kLocationDialog.id), owner,
                                           LocationDialogProc, reinterpret_cast<LPARAM>(&choice));
  if (result != IDOK) return std::nullopt;
  return choice.chosenId;
}
