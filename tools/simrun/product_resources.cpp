#include "simrun/product_resources.h"

#include <map>

#include "ui/dialog_templates.h"

namespace simrun {
namespace {

class Product : public sim::Resources {
 public:
  const sim::DialogResource* FindDialog(int id) const override {
    auto it = dialogs_.find(id);
    if (it != dialogs_.end()) return &it->second;
    const ui::DialogTemplate* t = ui::FindDialogTemplate(id);
    if (t == nullptr) return nullptr;
    return &dialogs_.emplace(id, Convert(*t)).first->second;
  }

  bool BitmapSize(int id, platform::Size* out) const override {
    // The sizes of src/ui/bitmaps.
    if (id == ui::kLogoBitmap) {
      *out = {230, 110};
      return true;
    }
    if (id == ui::kOemLogoBitmap) {
      *out = {148, 33};
      return true;
    }
    return false;
  }

  bool HasIcon(int id) const override {
    // The icons of src/ui/resources.rc: the program icon and those of the
    // uninstall progress dialog.
    for (int icon : {ui::kProgramIcon, ui::kFifthMarkerIcon, ui::kBarrelIcon, ui::kBurningBarrelIcon,
                     ui::kCheckMarkIcon}) {
      if (id == icon) return true;
    }
    return false;
  }

 private:
  static sim::DialogResource Convert(const ui::DialogTemplate& t) {
    sim::DialogResource d;
    d.caption = t.caption;
    d.cx = t.cx;
    d.cy = t.cy;
    d.visible = t.visible;
    for (const ui::ControlTemplate& c : t.controls) {
      if (c.id == -1) continue;  // never addressed by the program
      const bool push = c.kind == ui::ControlKind::kButton || c.kind == ui::ControlKind::kDefButton;
      sim::ListStyle list = c.kind == ui::ControlKind::kSortedListBox ? sim::ListStyle::kSorted
                            : c.kind == ui::ControlKind::kListBox     ? sim::ListStyle::kList
                                                                      : sim::ListStyle::kNone;
      sim::ControlResource control{c.id, c.text, c.cx, c.cy, list, c.visible, push,
                                   c.kind == ui::ControlKind::kDefButton};
      AddState(c, &control);
      d.controls.push_back(control);
    }
    return d;
  }

  // The state a control is created in beyond its kind's look: enabled or
  // not, and the check state buttons of their own kind.
  static void AddState(const ui::ControlTemplate& c, sim::ControlResource* out) {
    out->enabled = c.enabled;
    out->groupStart = c.groupStart;
    out->check = c.kind == ui::ControlKind::kRadio      ? sim::CheckStyle::kAutoRadio
                 : c.kind == ui::ControlKind::kCheckBox ? sim::CheckStyle::kAutoCheckBox
                                                        : sim::CheckStyle::kNone;
  }

  // Converted on first use; entries are never removed, so the pointers
  // handed out stay valid.
  mutable std::map<int, sim::DialogResource> dialogs_;
};

}  // namespace

const sim::Resources& ProductResources() {
  static const Product product;
  return product;
}

}  // namespace simrun
