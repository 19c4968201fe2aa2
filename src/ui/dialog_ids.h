// The template and control ids of the program's dialogs, by name.
//
// Expanded from dialogs.def, where each number is written once: for every
// dialog a namespace ui::ids::<dialog> with its template id kTemplate and
// one constant per control the program addresses, for example
// ui::ids::copy_progress::kTemplate (135) and
// ui::ids::copy_progress::kStatusText (1013). Handlers, tests and the
// runners use these names; nobody else types the numbers.
#pragma once

namespace ui::ids {

#define SETUP_DIALOG(name, id, caption, x, y, cx, cy, font, size, visible, style, exstyle) \
  namespace name {                                                                       \
  inline constexpr int kTemplate = id;
#define SETUP_DIALOG_NOCAPTION(name, id, x, y, cx, cy, font, size, visible, style, exstyle) \
  namespace name {                                                                         \
  inline constexpr int kTemplate = id;
#define SETUP_CONTROL(kind, name, id, text, x, y, cx, cy, style, exstyle) \
  inline constexpr int name = id;
#define SETUP_UNNAMED_CONTROL(kind, text, x, y, cx, cy, style, exstyle)
#define SETUP_DIALOG_END() }

#include "ui/dialogs.def"

#undef SETUP_DIALOG
#undef SETUP_DIALOG_NOCAPTION
#undef SETUP_CONTROL
#undef SETUP_UNNAMED_CONTROL
#undef SETUP_DIALOG_END

}  // namespace ui::ids
