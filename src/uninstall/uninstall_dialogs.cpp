#include "uninstall/uninstall_dialogs.h"

#include "groups/progman_client.h"
#include "install/install_text.h"
#include "setup/catalog.h"
#include "system/registry.h"
#include "ui/dialog_templates.h"

namespace uninstall {

namespace option_ctl = ui::ids::uninstall_option;
namespace select_ctl = ui::ids::select_group;
namespace progress_ctl = ui::ids::uninstall_progress;

using setup::Msg;

namespace {

// The last component of a directory: its own folder name.
std::string FolderName(const std::string& dir) {
  const std::size_t cut = dir.rfind('\\');
  return cut == std::string::npos ? dir : dir.substr(cut + 1);
}

}  // namespace

bool RecordedGroupVerified(setup::SetupState& state) {
  return !state.groupName.empty() && groups::GroupNameSendable(state.groupName) &&
         groups::ProgramGroupExists(state);
}

// ---------------------------------------------------------------- group selection

int SelectGroupDialog::Run(platform::WindowHandle owner) {
  return state_.machine.ui.RunModal(owner, *this);
}

bool SelectGroupDialog::OnInitDialog(platform::WindowHandle dialog) {
  window_ = platform::Dialog(state_.machine.ui, dialog);
  // A group whose name cannot be sent could be chosen but never removed.
  for (const std::string& name : groups::ListProgramGroups(state_).names) {
    if (groups::GroupNameSendable(name)) window_.ListAddString(select_ctl::kGroupList, name);
  }
  window_.SetItemText(select_ctl::kPrompt, Msg(state_, setup::MSG_SELECT_GROUP_TO_REMOVE));
  window_.SetItemText(select_ctl::kOk, Msg(state_, setup::MSG_BUTTON_LABELS, 0));
  window_.SetItemText(select_ctl::kCancel, Msg(state_, setup::MSG_BUTTON_LABELS, 1));
  // Nothing is preselected: the group removed is one the user chose. OK
  // stays disabled until an entry is selected, so Enter alone removes
  // nothing.
  window_.EnableItem(select_ctl::kOk, false);
  return true;
}

bool SelectGroupDialog::OnCommand(platform::WindowHandle, int id, int notifyCode) {
  constexpr int kSelectionChanged = 1;  // LBN_SELCHANGE
  constexpr int kDoubleClick = 2;       // LBN_DBLCLK
  if (id == select_ctl::kGroupList && notifyCode == kSelectionChanged) {
    window_.EnableItem(select_ctl::kOk, window_.ListCurSel(select_ctl::kGroupList) >= 0);
    return true;
  }
  if (id == select_ctl::kOk || (id == select_ctl::kGroupList && notifyCode == kDoubleClick)) {
    Accept();
    return true;
  }
  return false;
}

void SelectGroupDialog::Accept() {
  const int selected = window_.ListCurSel(select_ctl::kGroupList);
  if (selected < 0) return;  // nothing chosen: the dialog stays
  state_.groupName = window_.ListText(select_ctl::kGroupList, selected);
  window_.End(platform::cmd::kOk);
}

// ---------------------------------------------------------------- option dialog

int UninstallOptionDialog::Run() {
  return state_.machine.ui.RunModal(state_.backgroundWindow, *this);
}

bool UninstallOptionDialog::OnInitDialog(platform::WindowHandle dialog) {
  window_ = platform::Dialog(state_.machine.ui, dialog);
  // The data exchange: an empty summary and Selective checked.
  window_.SetItemText(option_ctl::kSummary, "");
  window_.CheckItem(option_ctl::kSelective, true);
  window_.CheckItem(option_ctl::kComplete, false);
  SetTexts();
  if (RecordedGroupVerified(state_)) {
    ShowSummary();
  } else {
    ShowGroupUnknown();
  }
  return true;
}

void UninstallOptionDialog::SetTexts() {
  window_.SetItemText(option_ctl::kOk, Msg(state_, setup::MSG_BUTTON_LABELS, 0));
  window_.SetItemText(option_ctl::kCancel, Msg(state_, setup::MSG_BUTTON_LABELS, 1));
  window_.SetItemText(option_ctl::kBrowse, Msg(state_, setup::MSG_BUTTON_LABELS, 5));
  window_.SetItemText(option_ctl::kOptionBox, Msg(state_, setup::MSG_UNINSTALL_OPTION_LABELS, 0));
  window_.SetItemText(option_ctl::kSelective, Msg(state_, setup::MSG_UNINSTALL_OPTION_LABELS, 1));
  window_.SetItemText(option_ctl::kComplete,
                      install::FillPlaceholder(Msg(state_, setup::MSG_UNINSTALL_OPTION_LABELS, 2),
                                               FolderName(state_.uninstallDir)));
}

void UninstallOptionDialog::ShowSummary() {
  window_.SetItemText(option_ctl::kSummary,
                      install::FillPlaceholders(Msg(state_, setup::MSG_REMOVE_ITEMS_SUMMARY),
                                                {state_.groupName, state_.uninstallDir}));
  window_.EnableItem(option_ctl::kOk, true);
}

void UninstallOptionDialog::ShowGroupUnknown() {
  std::string text = Msg(state_, setup::MSG_GROUP_NAME_UNDETERMINED);
  text += Msg(state_, state_.groupName.empty() ? setup::MSG_BROWSE_OR_CANCEL_HINT
                                               : setup::MSG_GROUP_NAME_CHANGED);
  window_.SetItemText(option_ctl::kSummary, text);
  window_.EnableItem(option_ctl::kOk, false);
  // The text may tell the user to click Browse: the button is there.
  window_.ShowItem(option_ctl::kBrowse, true);
  window_.EnableItem(option_ctl::kBrowse, true);
}

bool UninstallOptionDialog::OnCommand(platform::WindowHandle, int id, int) {
  if (id == option_ctl::kOk) {
    Accept();
    return true;
  }
  if (id == option_ctl::kBrowse) {
    Browse();
    return true;
  }
  return false;  // Cancel and Escape end the dialog with cmd::kCancel
}

void UninstallOptionDialog::Browse() {
  SelectGroupDialog select(state_);
  if (select.Run(window_.Handle()) != platform::cmd::kOk) return;
  ShowSummary();
}

void UninstallOptionDialog::Accept() {
  const FileRemoval chosen = window_.IsItemChecked(option_ctl::kComplete) ? FileRemoval::kComplete
                                                                          : FileRemoval::kSelective;
  if (chosen == FileRemoval::kComplete && !MayRemoveWholeDirectory(state_)) {
    window_.MessageBox(Msg(state_, setup::MSG_COMPLETE_REMOVAL_REFUSED, setup::kText),
                       Msg(state_, setup::MSG_COMPLETE_REMOVAL_REFUSED, setup::kCaption),
                       platform::mb::kOk | platform::mb::kIconWarning);
    return;  // the dialog stays open for Selective or Cancel
  }
  option_ = chosen;
  window_.End(platform::cmd::kOk);
}

// ---------------------------------------------------------------- progress dialog

int UninstallProgressDialog::Run() {
  return state_.machine.ui.RunModal(state_.backgroundWindow, *this);
}

bool UninstallProgressDialog::OnInitDialog(platform::WindowHandle dialog) {
  window_ = platform::Dialog(state_.machine.ui, dialog);
  window_.EnableItem(progress_ctl::kStep1Label, true);
  const int labels[] = {progress_ctl::kStep1Label, progress_ctl::kStep2Label,
                        progress_ctl::kStep3Label, progress_ctl::kStep4Label,
                        progress_ctl::kStep5Label};
  for (int member = 0; member < 5; ++member) {
    window_.SetItemText(labels[member], Msg(state_, setup::MSG_UNINSTALL_STEPS, member));
  }
  for (int id : {progress_ctl::kStep1Marker, progress_ctl::kStep2Marker, progress_ctl::kStep3Marker,
                 progress_ctl::kStep4Marker, progress_ctl::kAnimation}) {
    window_.OwnControlPaint(id);
  }
  // The registry entries go before the dialog is seen (an unregistered
  // installation has none: another product's entry must not go).
  if (option_ != FileRemoval::kUnregistered) {
    integration::UpdateRegistryEntries(state_, integration::RegistryOperation::kRemoveEntries);
  }
  window_.SetTimer(kAnimationTimer, kAnimationPeriodMs);
  window_.SetTimer(kStepTimer, kStepPeriodMs);
  return true;
}

void UninstallProgressDialog::OnTimer(platform::WindowHandle, int timerId) {
  if (timerId == kAnimationTimer) {
    Animate();
  } else if (timerId == kStepTimer) {
    NextStep();
  }
}

void UninstallProgressDialog::Animate() {
  frameIcon_ = frameIcon_ == ui::kBarrelIcon ? ui::kBurningBarrelIcon : ui::kBarrelIcon;
  window_.InvalidateItem(progress_ctl::kAnimation, false);
  window_.UpdateItem(progress_ctl::kAnimation);
}

void UninstallProgressDialog::NextStep() {
  const int tick = ticks_++;
  switch (tick) {
    case 0:
      window_.ShowItem(progress_ctl::kStep1Marker, true);
      window_.EnableItem(progress_ctl::kStep2Label, true);
      // An unregistered installation made no group.
      if (option_ != FileRemoval::kUnregistered) groups::DeleteProgramGroup(state_);
      break;
    case 1:
      window_.ShowItem(progress_ctl::kStep2Marker, true);
      window_.EnableItem(progress_ctl::kStep3Label, true);
      RemoveProgramFiles(state_, option_);
      break;
    case 2:
      // Checking the system files needs no work of its own.
      window_.ShowItem(progress_ctl::kStep3Marker, true);
      window_.EnableItem(progress_ctl::kStep4Label, true);
      break;
    case 3:
      window_.ShowItem(progress_ctl::kStep4Marker, true);
      break;
    default:
      break;
  }
  if (ticks_ >= kTicks) {
    window_.KillTimer(kAnimationTimer);
    window_.KillTimer(kStepTimer);
    window_.End(setup::uninstall::kCompleted);
  }
}

void UninstallProgressDialog::OnPaintControl(platform::WindowHandle, int controlId,
                                             platform::Painter& painter) {
  if (controlId == progress_ctl::kAnimation) {
    if (frameIcon_ != 0) painter.DrawIcon(frameIcon_, 0, 0);
  } else {
    painter.DrawIcon(ui::kCheckMarkIcon, 0, 0);
  }
}

}  // namespace uninstall
