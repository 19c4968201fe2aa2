#include "ui/install_dir_dialog.h"

#include "install/install_text.h"
#include "install/ownership.h"
#include "install/rollback.h"
#include "ui/directory_rules.h"

namespace ui {

namespace ctl = ids::install_dir;
namespace browser = ids::browser;

std::string ProposedInstallDir(const setup::SetupState& state) {
  std::string dir = state.defaultInstallDir;
  if (state.productName.find("Halvorn") != std::string::npos) {
    dir += state.scsi ? " - SCSI" : " - QIC";
  }
  return dir;
}

// ---------------------------------------------------------------- browser

void DirectoryBrowserHook::OnInitDialog(platform::WindowHandle dialog) {
  platform::Ui& ui = state_.machine.ui;
  platform::Dialog window(ui, dialog);
  CenterWindowOver(ui, dialog, ui.GetOwner(dialog));
  for (int id : {browser::kTypeLabel, browser::kFileNameLabel, browser::kFileName, browser::kFiles,
                 browser::kTypes}) {
    ui.ShowItem(dialog, id, false);
  }
  // A file name, so that OK is accepted without a file being chosen.
  window.SetItemText(browser::kFileName, kDummyFileName);
  ui.SetItemFocus(dialog, browser::kDirectories);
  firstPaint_ = true;
  window.SetText(setup::Msg(state_, setup::MSG_DIRECTORY_BROWSER_TITLE));
}

void DirectoryBrowserHook::OnPaint(platform::WindowHandle dialog) {
  if (!firstPaint_) return;
  firstPaint_ = false;
  state_.machine.ui.SelectListItem(dialog, browser::kDirectories, 0);
}

std::string BrowserDirectory(const std::string& returnedPath) {
  std::size_t cut = returnedPath.find_last_of("\\:");
  if (cut == std::string::npos) return std::string();
  // The separator before the file name goes; a colon stays ("C:").
  return returnedPath[cut] == ':' ? returnedPath.substr(0, cut + 1) : returnedPath.substr(0, cut);
}

// ---------------------------------------------------------------- dialog

void InstallDirDialog::PutProposal() {
  window_.SetItemText(ctl::kDirectory, ProposedInstallDir(state_));
}

bool InstallDirDialog::OnInitDialog(platform::WindowHandle dialog) {
  platform::Ui& ui = state_.machine.ui;
  window_ = platform::Dialog(ui, dialog);
  // Centred by its template (DS_CENTER); the license agreement alone is
  // placed below the centre.
  ui.LimitItemText(dialog, ctl::kDirectory, kDirectoryEditLimit);
  PutProposal();
  window_.SetItemText(ctl::kWelcomeText, setup::Msg(state_, setup::MSG_WELCOME));
  window_.SetText(setup::Msg(state_, setup::MSG_SETUP_TITLE));
  window_.SetItemText(ctl::kOk, setup::Msg(state_, setup::MSG_BUTTON_LABELS, 0));
  window_.SetItemText(ctl::kCancel, setup::Msg(state_, setup::MSG_BUTTON_LABELS, 1));
  window_.SetItemText(ctl::kBrowse, setup::Msg(state_, setup::MSG_BUTTON_LABELS, 5));
  window_.SetItemText(ctl::kDefault, setup::Msg(state_, setup::MSG_BUTTON_LABELS, 6));
  return true;  // the focus goes to the first control, the directory box
}

static_assert(ctl::kOk == platform::cmd::kOk && ctl::kCancel == platform::cmd::kCancel);

bool InstallDirDialog::OnCommand(platform::WindowHandle, int id, int) {
  switch (id) {
    case ctl::kOk:
      Accept();
      return true;
    case ctl::kCancel:
      AskCancel();
      return true;
    case ctl::kBrowse:
      Browse();
      return true;
    case ctl::kDefault:
      PutProposal();
      return true;
    default:
      return false;
  }
}

int InstallDirDialog::Box(setup::MsgId id, std::uint32_t flags) {
  return window_.MessageBox(setup::Msg(state_, id, setup::kText),
                            setup::Msg(state_, id, setup::kCaption), flags);
}

void InstallDirDialog::RefuseDirectory(const std::string& dir) {
  const std::string resolved = install::LongPathText(state_.machine.files, dir);
  const std::string named = resolved.empty() ? dir : resolved;
  window_.MessageBox(
      install::FillPlaceholder(setup::Msg(state_, setup::MSG_DIRECTORY_NOT_ALLOWED, setup::kText), named),
      setup::Msg(state_, setup::MSG_DIRECTORY_NOT_ALLOWED, setup::kCaption),
      platform::mb::kIconError);
}

void InstallDirDialog::AskCancel() {
  int answer = Box(setup::MSG_CONFIRM_CANCEL, platform::mb::kYesNo | platform::mb::kIconQuestion);
  if (answer != platform::answer::kNo) window_.End(platform::cmd::kCancel);
}

void InstallDirDialog::Browse() {
  platform::Ui& ui = state_.machine.ui;
  // The browser opens in the current directory of the Windows drive.
  state_.machine.files.SetCurrentDirectory(state_.windowsDir.substr(0, 2));
  DirectoryBrowserHook hook(state_);
  std::string returned;
  const std::uint32_t flags =
      platform::ofn::kHideReadOnly | platform::ofn::kOverwritePrompt | platform::ofn::kShowHelp;
  if (!ui.GetSaveFileName(window_.Handle(), browser::kTemplate, flags, hook, &returned)) return;
  const std::string dir = BrowserDirectory(returned);
  // A drive root is never taken; neither is a directory whose removal
  // would take more than the product: the user is told why.
  if (dir.empty() || dir.back() == ':' ||
      IsProtectedDirectory(state_.machine.files, dir, state_.windowsDir, ProgramFilesDirOf(state_))) {
    RefuseDirectory(dir);
    return;
  }
  window_.SetItemText(ctl::kDirectory, dir);
}

void InstallDirDialog::Accept() {
  platform::FileSystem& files = state_.machine.files;
  // The directory meant, in the spelling the run keeps from here on.
  const std::string dir = TakeInstallDirText(window_.GetItemText(ctl::kDirectory));
  const std::string remembered = files.GetCurrentDirectory();

  switch (CheckInstallDirText(files, dir, state_.windowsDir, ProgramFilesDirOf(state_))) {
    case DirText::kIncomplete:
      Box(setup::MSG_INCOMPLETE_DIRECTORY, platform::mb::kIconError);
      return;
    case DirText::kNotAllowed:
      RefuseDirectory(dir);
      return;
    case DirText::kInvalid:
      // Not a directory name at all: the message says what a name may be.
      window_.MessageBox(
          install::FillPlaceholder(setup::Msg(state_, setup::MSG_DIRECTORY_NAME_REFUSED, setup::kText), dir),
          setup::Msg(state_, setup::MSG_DIRECTORY_NAME_REFUSED, setup::kCaption),
          platform::mb::kIconError);
      return;
    case DirText::kAcceptable:
      break;
  }

  std::vector<std::string> created;
  const int made = CreateDirectoryPath(files, dir, &created);
  // The levels above the directory made now are this run's: a stopped
  // installation removes them again when they are empty.
  for (const std::string& level : created) {
    if (level.size() < dir.size()) install::NoteCreatedDirectory(state_, level);
  }
  if (made == 0) {
    // The setup run creates the last level again when it installs.
    files.RemoveDirectory(dir);
    state_.installDir = dir;
    window_.End(platform::cmd::kOk);
    return;
  }
  if (files.SetCurrentDirectory(dir) != 0) {
    Box(setup::MSG_INVALID_DIRECTORY, platform::mb::kIconError);
    return;
  }
  int answer = Box(setup::MSG_DIRECTORY_EXISTS, platform::mb::kYesNo | platform::mb::kIconQuestion);
  // The directory is not left current: a current directory cannot be
  // removed.
  if (!remembered.empty()) files.SetCurrentDirectory(remembered);
  if (answer != platform::answer::kYes) return;
  state_.installDir = dir;
  window_.End(platform::cmd::kOk);
}

}  // namespace ui
