// The program group dialog ("Select Program Group Name"): proposes the
// default group name, lists the groups Program Manager has, copies a
// double-clicked group into the edit box, and on OK stores the chosen name
// as the group name of the setup state.
//
//   groups::ProgramGroupDialog dialog(state);
//   if (dialog.Run() == platform::cmd::kCancel) ...  // the user cancelled
//   // state.groupName: at most 79 characters, no trailing white space
#pragma once

#include <cstddef>
#include <string>

#include "platform/dialog.h"
#include "platform/machine.h"
#include "setup/state.h"
#include "ui/dialog_ids.h"

namespace groups {

// Controls of the dialog's template, by name.
namespace group_ctl = ui::ids::program_group;

class ProgramGroupDialog : public platform::DialogHandler {
 public:
  static constexpr int kTemplate = ui::ids::program_group::kTemplate;
  // The most characters of the edit box that OK takes.
  static constexpr std::size_t kMaxNameLength = 79;

  explicit ProgramGroupDialog(setup::SetupState& state)
      : DialogHandler(kTemplate), state_(state) {}
  ProgramGroupDialog(const ProgramGroupDialog&) = delete;
  ProgramGroupDialog& operator=(const ProgramGroupDialog&) = delete;

  // Runs the dialog modally, owned by the background window: cmd::kOk once
  // a name is stored in the state, cmd::kCancel when the user cancelled.
  int Run();

  // The text member bound to the edit box, as last exchanged.
  const std::string& NameMember() const { return name_; }

  // Dialog behaviour.
  bool OnInitDialog(platform::WindowHandle dialog) override;
  bool OnCommand(platform::WindowHandle dialog, int id, int notifyCode) override;

  // What OK makes of the edit box text: the first 79 characters without
  // trailing white space (blank, tab, line feed, vertical tab, form feed,
  // carriage return). Trimming stops at the first character, so a name of
  // white space only keeps one character; leading blanks stay.
  static std::string TrimmedName(const std::string& editText);
  // Whether two group names are equal without regard to case (the letters
  // of Windows-1252, accented ones included).
  static bool SameGroupName(const std::string& a, const std::string& b);

 private:
  void FillGroupList();
  void SetTexts();
  // The Default button: the default folder name, with " - SCSI" or
  // " - QIC" for the main product, into the edit box and the member.
  void ProposeDefault();
  // A double click in the list: the selected entry into the edit box.
  void CopySelectedGroup();
  // OK: checks the name, asks when it exists, ends with cmd::kOk.
  void Accept();
  // Cancel: asks "Confirm Cancel"; ends with cmd::kCancel unless the
  // answer is No.
  void ConfirmCancel();
  // Whether the list holds the name in any letter case.
  bool ListHolds(const std::string& name);

  setup::SetupState& state_;
  platform::Dialog window_;
  std::string name_;  // the text member of the edit box
};

}  // namespace groups
