// The user of the simulated machine and the program's resources, as the
// machine sees them. Both come from outside: the runner fills the user in
// (from a scenario) and hands over the program's dialog templates and
// bitmaps, the way Windows loads them from the program file. The machine
// knows neither the scenario language nor the product.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/machine.h"

namespace sim {

class SimUi;

// Whoever answers the machine's windows. Every call may throw RunAborted
// (sim_ui.h) when the user cannot go on.
class User {
 public:
  virtual ~User() = default;

  // A message box needs an answer: the button the user picks
  // (platform::answer values).
  virtual int AnswerMessageBox(SimUi& ui, platform::WindowHandle owner, const std::string& text,
                               const std::string& caption, std::uint32_t flags) = 0;
  // A modeless dialog is shown for the first time.
  virtual void ModelessDialogShown(SimUi& ui, platform::WindowHandle dialog) = 0;
  // The program pumps messages while modeless dialogs are open. True when
  // the user did anything.
  virtual bool ModelessDialogsOpen(SimUi& ui) = 0;
  // A modal dialog's loop waits for the user (who may act on the open
  // modeless dialogs as well). True when the user did anything.
  virtual bool ModalDialogWaits(SimUi& ui, platform::WindowHandle dialog) = 0;
  // Nothing else will end the modal dialog: why the user does not, the
  // message with which the run stops.
  virtual std::string WhyModalDialogWaits(SimUi& ui, platform::WindowHandle dialog) = 0;
  // A dialog made from `templateId` was destroyed.
  virtual void DialogDestroyed(SimUi& ui, platform::WindowHandle dialog, int templateId,
                               bool modal) = 0;
  // What the user will do next, for messages of a run that stops.
  virtual std::string DescribeNext() const = 0;
};

// A dialog template as the machine builds windows from it (sizes in dialog
// units; controls the program never addresses are left out).
enum class ListStyle { kNone, kList, kSorted };  // not a list box; LBS_SORT or not
// Buttons that keep a check state: BS_AUTORADIOBUTTON (a click checks it
// and clears the other radio buttons of its group), BS_AUTOCHECKBOX (a
// click toggles it).
enum class CheckStyle { kNone, kAutoRadio, kAutoCheckBox };
struct ControlResource {
  int id = 0;
  std::string text;
  int cx = 0, cy = 0;
  ListStyle list = ListStyle::kNone;
  bool visible = true;  // WS_VISIBLE: a control may be created hidden
  bool pushButton = false;     // BS_PUSHBUTTON or BS_DEFPUSHBUTTON
  bool defaultButton = false;  // BS_DEFPUSHBUTTON: Enter presses it
  bool enabled = true;         // false: created disabled (WS_DISABLED)
  CheckStyle check = CheckStyle::kNone;
  bool groupStart = false;     // WS_GROUP: starts a group of radio buttons
};
struct DialogResource {
  std::string caption;
  int cx = 0, cy = 0;
  bool visible = false;  // WS_VISIBLE: shown when created
  std::vector<ControlResource> controls;
};

// The resources of the program that runs on the machine.
class Resources {
 public:
  virtual ~Resources() = default;
  // The dialog template with that number, or null.
  virtual const DialogResource* FindDialog(int id) const = 0;
  // The size of a bitmap resource; false when there is none.
  virtual bool BitmapSize(int id, platform::Size* out) const = 0;
  // Whether the program has an icon resource with that number.
  virtual bool HasIcon(int id) const = 0;
};

}  // namespace sim
