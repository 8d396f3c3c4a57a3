// DialogLayout.h: the layouts of the program's three dialogs (main dialog 102, About box 100,
// location dialog 129), in dialog units, and their texts. Widgets are built from these.
#pragma once

#include <array>

namespace qiva::res {

enum class ControlKind { Label, Edit, PushButton, DefaultPushButton, ComboBox, Icon };

struct ControlTemplate {
  int id;  // control id; -1 for a label without one
  ControlKind kind;
  const char* text;
  int x, y, width, height;  // dialog units
};

struct DialogTemplate {
  int id;
  const char* caption;
  int width, height;  // dialog units
  const char* fontFace;
  int fontPoints;
};

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdStatusLine = 1001;
inline constexpr int kIdLocationList = 1005;
inline constexpr int kNoId = -1;

// Main dialog; controls in template order, which is also the tab order.
inline constexpr DialogTemplate kMainDialog{102, "QIVA_IMPORT", 231, 273, "MS Sans Serif", 8};
inline constexpr std::array<ControlTemplate, 12> kMainDialogControls{{
    {kIdCancel, ControlKind::PushButton, "Iesire", 57, 247, 108, 14},
    {1000, ControlKind::PushButton, "Import medici trimitatori", 57, 83, 108, 14},
    {kIdStatusLine, ControlKind::Edit, "", 19, 36, 178, 17},
    {kNoId, ControlKind::Label, "Stare operatiune :", 19, 17, 59, 14},
    {1002, ControlKind::PushButton, "Import personalizare", 57, 61, 108, 14},
    {1003, ControlKind::PushButton, "Import nomenclatoare", 57, 104, 108, 14},
    {1004, ControlKind::PushButton, "Import fisier erori", 57, 159, 108, 14},
    {1005, ControlKind::PushButton, "Import nom. farm (medicamente)", 57, 125, 108, 14},
    {1006, ControlKind::PushButton, "SPT: Import fisier erori farm", 57, 178, 108, 14},
    {1007, ControlKind::PushButton, "SPT: Import Serv Spit ZI", 57, 197, 108, 14},
    {1008, ControlKind::PushButton, "SPT: Import Feedback", 57, 217, 108, 14},
    {1009, ControlKind::PushButton, "Import NHP", 57, 142, 108, 14},
}};

// About box.
inline constexpr DialogTemplate kAboutDialog{100, "About QIVA_IMPORT", 235, 55, "MS Sans Serif", 8};
inline constexpr std::array<ControlTemplate, 3> kAboutDialogControls{{
    {128, ControlKind::Icon, "", 11, 17, 21, 20},
    {kNoId, ControlKind::Label, "QIVA_IMPORT Version 1.0", 40, 10, 119, 8},
    {kIdOk, ControlKind::DefaultPushButton, "OK", 178, 7, 50, 14},
}};

// Location dialog. The combo box's height is that of its dropped-down list.
inline constexpr DialogTemplate kLocationDialog{129, "Selecteaza locatia", 358,
                                                49,  "MS Shell Dlg",       8};
inline constexpr std::array<ControlTemplate, 4> kLocationDialogControls{{
    {kIdOk, ControlKind::DefaultPushButton, "OK", 234, 17, 50, 14},
    {kIdCancel, ControlKind::PushButton, "Cancel", 293, 17, 50, 14},
    {kNoId, ControlKind::Label, "Locatie", 8, 16, 28, 17},
    {kIdLocationList, ControlKind::ComboBox, "", 39, 17, 181, 95},
}};

// String 101: the window menu entry that opens the About box.
inline constexpr const char* kAboutMenuText = "&About QIVA_IMPORT...";
// The build version and the title made from it.
inline constexpr const char* kVersion = "2020081101";
inline constexpr const char* kTitleFormat = "QIVA_IMPORT v %s";
// Title of the message boxes (the application's name).
inline constexpr const char* kMessageTitle = "QIVA_IMPORT";
// Shown by the location dialog's OK when no location is selected.
inline constexpr const char* kSelectLocationText = "Selectati o locatie";
// File chooser filters: XML files first (any letter case), then all files.
inline constexpr const char* kXmlFilter = "XML(*.XML)";
#ifdef _WIN32
inline constexpr const char* kAllFilter = "All (*.*)";
#else
inline constexpr const char* kAllFilter = "All (*)";
#endif

}  // namespace qiva::res
