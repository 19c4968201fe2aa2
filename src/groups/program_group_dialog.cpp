#include "groups/program_group_dialog.h"

#include "groups/progman_client.h"
#include "groups/progman_text.h"
#include "setup/catalog.h"
#include "setup/start.h"

namespace groups {
namespace {

bool IsTrailingWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The lower-case form of a Windows-1252 letter: A-Z, the accented capitals
// 0xC0-0xDE (but the multiplication sign 0xD7), and the three capitals of
// 0x80-0x9F whose small letters lie elsewhere.
unsigned char FoldCase(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A: return 0x9A;  // S caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z caron
    case 0x9F: return 0xFF;  // Y diaeresis
    default: return c;
  }
}

}  // namespace

std::string ProgramGroupDialog::TrimmedName(const std::string& editText) {
  std::string name = editText.substr(0, editText.find('\0'));
  if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
  while (name.size() > 1 && IsTrailingWhiteSpace(name.back())) name.pop_back();
  return name;
}

bool ProgramGroupDialog::SameGroupName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

int ProgramGroupDialog::Run() {
  return state_.machine.ui.RunModal(state_.backgroundWindow, *this);
}

bool ProgramGroupDialog::OnInitDialog(platform::WindowHandle dialog) {
  window_ = platform::Dialog(state_.machine.ui, dialog);
  // The framework's data exchange puts the (empty) text member into the
  // edit box.
  window_.SetItemText(group_ctl::kGroupName, name_);
  FillGroupList();
  window_.SetText(setup::Msg(state_, setup::MSG_GROUP_DIALOG_TITLE));
  ProposeDefault();
  SetTexts();
  window_.ListSetCurSel(group_ctl::kGroupList, 0);
  // The focus goes to the first control with a tab stop, the edit box.
  return true;
}

void ProgramGroupDialog::FillGroupList() {
  // When Program Manager does not answer, the list stays empty and no name
  // is reported as existing.
  GroupList list = ListProgramGroups(state_);
  for (const std::string& name : list.names) window_.ListAddString(group_ctl::kGroupList, name);
}

void ProgramGroupDialog::SetTexts() {
  using setup::Msg;
  window_.SetItemText(group_ctl::kNameLabel, Msg(state_, setup::MSG_GROUP_LABELS, 0));
  window_.SetItemText(group_ctl::kListLabel, Msg(state_, setup::MSG_GROUP_LABELS, 1));
  window_.SetItemText(group_ctl::kOk, Msg(state_, setup::MSG_BUTTON_LABELS, 0));
  window_.SetItemText(group_ctl::kCancel, Msg(state_, setup::MSG_BUTTON_LABELS, 1));
  window_.SetItemText(group_ctl::kDefault, Msg(state_, setup::MSG_BUTTON_LABELS, 6));
}

bool ProgramGroupDialog::OnCommand(platform::WindowHandle /*dialog*/, int id, int notifyCode) {
  if (id == group_ctl::kGroupList) {
    if (notifyCode != platform::lbn::kDblClk) return false;
    CopySelectedGroup();
    return true;
  }
  if (notifyCode != 0) return false;  // only clicks (BN_CLICKED) and the keys
  switch (id) {
    case group_ctl::kOk:
      Accept();
      return true;
    case group_ctl::kCancel:
      ConfirmCancel();
      return true;
    case group_ctl::kDefault:
      ProposeDefault();
      return true;
    default:
      return false;
  }
}

void ProgramGroupDialog::ProposeDefault() {
  window_.SetItemText(group_ctl::kGroupName, setup::DefaultGroupName(state_));
  name_ = window_.GetItemText(group_ctl::kGroupName);
}

void ProgramGroupDialog::CopySelectedGroup() {
  int index = window_.ListCurSel(group_ctl::kGroupList);
  if (index < 0) return;
  window_.SetItemText(group_ctl::kGroupName, window_.ListText(group_ctl::kGroupList, index));
}

bool ProgramGroupDialog::ListHolds(const std::string& name) {
  int count = window_.ListCount(group_ctl::kGroupList);
  for (int i = 0; i < count; ++i) {
    if (SameGroupName(window_.ListText(group_ctl::kGroupList, i), name)) return true;
  }
  return false;
}

void ProgramGroupDialog::Accept() {
  name_ = window_.GetItemText(group_ctl::kGroupName);
  std::string name = TrimmedName(name_);
  if (name.empty()) return;  // nothing shown; the dialog stays open
  // A name of white space only keeps one character after trimming; it is
  // refused like an empty one.
  if (name.size() == 1 && IsTrailingWhiteSpace(name[0])) return;
  // A name that no Program Manager command can carry safely never reaches
  // the state (nor, through it, the commands and the uninstall entry).
  if (CheckGroupName(name) != GroupNameCheck::kOk) {
    window_.MessageBox(setup::Msg(state_, setup::MSG_GROUP_NAME_REFUSED, setup::kText),
                       setup::Msg(state_, setup::MSG_GROUP_NAME_REFUSED, setup::kCaption),
                       platform::mb::kOk | platform::mb::kIconWarning);
    return;
  }
  state_.groupName = name;
  if (ListHolds(name)) {
    int answer = window_.MessageBox(setup::Msg(state_, setup::MSG_GROUP_EXISTS, setup::kText),
                                    setup::Msg(state_, setup::MSG_GROUP_EXISTS, setup::kCaption),
                                    platform::mb::kYesNo | platform::mb::kIconQuestion);
    if (answer == platform::answer::kNo) return;
  }
  window_.End(platform::cmd::kOk);
}

void ProgramGroupDialog::ConfirmCancel() {
  int answer = window_.MessageBox(setup::Msg(state_, setup::MSG_CONFIRM_CANCEL, setup::kText),
                                  setup::Msg(state_, setup::MSG_CONFIRM_CANCEL, setup::kCaption),
                                  platform::mb::kYesNo | platform::mb::kIconQuestion);
  if (answer == platform::answer::kNo) return;
  window_.End(platform::cmd::kCancel);
}

}  // namespace groups
