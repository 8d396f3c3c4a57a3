// The Windows resource script and the layouts the Qt dialogs are built from describe the same
// three dialogs: every control with its text, id and place, and each dialog's size and font.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "res/DialogLayout.h"

namespace {

using qiva::res::ControlTemplate;
using qiva::res::DialogTemplate;

std::string ResourceScript() {
  std::ifstream in(QIVA_SOURCE_DIR "/res/qiva_import.rc", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string IdText(int id) {
  if (id == qiva::res::kIdOk) return "IDOK";
  if (id == qiva::res::kIdCancel) return "IDCANCEL";
  return std::to_string(id);
}

// The operands of a control line as the script writes them: "text", id, x, y, width, height
// (edit and combo box controls have no text; an icon names its resource where the text would be).
std::string ControlOperands(const ControlTemplate& c, int iconResource) {
  std::string operands;
  if (c.kind == qiva::res::ControlKind::Icon) {
    operands = std::to_string(iconResource) + ", " + IdText(qiva::res::kNoId);
  } else if (c.kind == qiva::res::ControlKind::Edit || c.kind == qiva::res::ControlKind::ComboBox) {
    operands = IdText(c.id);
  } else {
    operands = "\"" + std::string(c.text) + "\", " + IdText(c.id);
  }
  return operands + ", " + std::to_string(c.x) + ", " + std::to_string(c.y) + ", " +
         std::to_string(c.width) + ", " + std::to_string(c.height);
}

template <std::size_t N>
void ExpectDialog(const std::string& script, const DialogTemplate& dialog,
                  const std::array<ControlTemplate, N>& controls) {
  const std::string head = std::to_string(dialog.id) + " DIALOGEX 0, 0, " +
                           std::to_string(dialog.width) + ", " + std::to_string(dialog.height);
  const std::size_t start = script.find(head);
  ASSERT_NE(start, std::string::npos) << head;
  const std::size_t end = script.find("\nEND", start);
  const std::string block = script.substr(start, end - start);
  EXPECT_NE(block.find("CAPTION \"" + std::string(dialog.caption) + "\""), std::string::npos);
  EXPECT_NE(
      block.find("FONT " + std::to_string(dialog.fontPoints) + ", \"" + dialog.fontFace + "\""),
      std::string::npos);
  std::size_t previous = 0;
  for (const ControlTemplate& control : controls) {
    const std::size_t at = block.find(ControlOperands(control, control.id));
    EXPECT_NE(at, std::string::npos) << ControlOperands(control, control.id);
    if (at != std::string::npos) {
      EXPECT_GT(at, previous) << "template (tab) order: " << ControlOperands(control, control.id);
      previous = at;
    }
  }
}

TEST(ResourceScript, describesTheSameDialogsAsTheLayouts) {
  const std::string script = ResourceScript();
  ASSERT_FALSE(script.empty());
  ExpectDialog(script, qiva::res::kMainDialog, qiva::res::kMainDialogControls);
  ExpectDialog(script, qiva::res::kAboutDialog, qiva::res::kAboutDialogControls);
  ExpectDialog(script, qiva::res::kLocationDialog, qiva::res::kLocationDialogControls);
  EXPECT_NE(script.find("101 \"" + std::string(qiva::res::kAboutMenuText) + "\""),
            std::string::npos);
}

}  // namespace
