// The table of dialog templates, expanded from dialogs.def.
#include "ui/dialog_templates.h"

namespace ui {
namespace {

constexpr bool IsCreatedVisible(ControlKind kind) {
  return kind != ControlKind::kHiddenButton && kind != ControlKind::kHiddenStatic &&
         kind != ControlKind::kHiddenIcon;
}

// The window styles only matter to the resource compiler; here they are
// dropped unread.
#define SETUP_DIALOG(name, id, caption, x, y, cx, cy, font, size, visible, style, exstyle) \
  DialogTemplate{id, caption, x, y, cx, cy, font, size, (visible) != 0, {
#define SETUP_DIALOG_NOCAPTION(name, id, x, y, cx, cy, font, size, visible, style, exstyle) \
  DialogTemplate{id, "", x, y, cx, cy, font, size, (visible) != 0, {
#define SETUP_CONTROL(kind, name, id, text, x, y, cx, cy, style, exstyle) \
  ControlTemplate{id, ControlKind::kind, text, x, y, cx, cy, IsCreatedVisible(ControlKind::kind)},
#define SETUP_UNNAMED_CONTROL(kind, text, x, y, cx, cy, style, exstyle) \
  ControlTemplate{-1, ControlKind::kind, text, x, y, cx, cy, IsCreatedVisible(ControlKind::kind)},
#define SETUP_DIALOG_END() }},

const std::vector<DialogTemplate>& Templates() {
  static const std::vector<DialogTemplate> templates = {
#include "ui/dialogs.def"
  };
  return templates;
}

#undef SETUP_DIALOG
#undef SETUP_DIALOG_NOCAPTION
#undef SETUP_CONTROL
#undef SETUP_UNNAMED_CONTROL
#undef SETUP_DIALOG_END

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate& t : Templates()) {
    if (t.id == id) return &t;
  }
  return nullptr;
}

}  // namespace ui
