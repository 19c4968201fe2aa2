// The table of dialog templates, expanded from dialogs.def.
#include "ui/dialog_templates.h"

#include <cstdint>

#include "ui/window_styles.h"

namespace ui {
namespace {

constexpr bool IsCreatedVisible(ControlKind kind) {
  return kind != ControlKind::kHiddenButton && kind != ControlKind::kHiddenStatic &&
         kind != ControlKind::kHiddenIcon;
}

// A control as the table holds it: the visibility its kind gives it, and
// what the template's own style argument (the styles its kind lacks)
// says of its state: created disabled (WS_DISABLED), starting a group
// (WS_GROUP).
ControlTemplate Control(int id, ControlKind kind, const char* text, int x, int y, int cx, int cy,
                        std::uint32_t style) {
  ControlTemplate c{id, kind, text, x, y, cx, cy, IsCreatedVisible(kind)};
  c.enabled = (style & styles::WS_DISABLED) == 0;
  c.groupStart = (style & styles::WS_GROUP) != 0;
  return c;
}

// Window styles of a dialog only matter to the resource compiler; a
// control's style argument is evaluated (window_styles.h names its
// constants) for the state the control is created in.
#define SETUP_DIALOG(name, id, caption, x, y, cx, cy, font, size, visible, style, exstyle) \
  DialogTemplate{id, caption, x, y, cx, cy, font, size, (visible) != 0, {
#define SETUP_DIALOG_NOCAPTION(name, id, x, y, cx, cy, font, size, visible, style, exstyle) \
  DialogTemplate{id, "", x, y, cx, cy, font, size, (visible) != 0, {
#define SETUP_CONTROL(kind, name, id, text, x, y, cx, cy, style, exstyle) \
  Control(id, ControlKind::kind, text, x, y, cx, cy, (style)),
#define SETUP_UNNAMED_CONTROL(kind, text, x, y, cx, cy, style, exstyle) \
  Control(-1, ControlKind::kind, text, x, y, cx, cy, (style)),
#define SETUP_DIALOG_END() }},

const std::vector<DialogTemplate>& Templates() {
  using namespace styles;  // the style names of dialogs.def
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
