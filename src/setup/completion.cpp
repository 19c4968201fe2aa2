#include "setup/completion.h"

#include "setup/unattended.h"

namespace setup {
namespace {

constexpr std::uint32_t kEwxReboot = 2;

int ShowCatalogBox(SetupState& state, MsgId id, std::uint32_t flags) {
  // Text and caption are both expanded; the text first, as the catalog
  // texts are rewritten in place by expansion.
  std::string text = Msg(state, id, kText);
  std::string caption = Msg(state, id, kCaption);
  return state.machine.ui.MessageBox(state.backgroundWindow, text, caption, flags);
}

// The program's path in double quotes: the install directory may hold
// blanks (C:\Program Files\...), and an unquoted path would let Windows
// start C:\Program.exe first.
void RunUpgradeProgram(SetupState& state) {
  std::string command = "\"";
  command += state.installDir;
  command += "\\UPGRADE.EXE\" /install";
  state.machine.system.WinExec(command, platform::sw::kShow);
}

void OfferReadme(SetupState& state) {
  std::string question = Msg(state, MSG_VIEW_README);
  ExpectQuestion(state, Question::kShowReadme);
  int answer = state.machine.ui.MessageBox(state.backgroundWindow, question, "",
                                           platform::mb::kYesNo | platform::mb::kIconQuestion);
  if (answer != platform::answer::kYes) return;
  state.machine.system.SpawnNoWait(state.windowsDir + "\\NOTEPAD.EXE",
                                   {state.installDir + "\\README.TXT"});
}

void AskForRestart(SetupState& state) {
  ExpectQuestion(state, Question::kRestart);
  int answer = ShowCatalogBox(state, MSG_INSTALL_COMPLETE_RESTART,
                              platform::mb::kOkCancel | platform::mb::kIconInformation);
  if (answer != platform::answer::kOk) return;
  int started = state.windowsNt ? RestartWindows(state)
                                : state.machine.system.ExitWindowsEx(kEwxReboot, 0);
  if (started == 0) {
    ShowCatalogBox(state, MSG_RESTART_FAILED, platform::mb::kOk | platform::mb::kIconWarning);
  }
}

}  // namespace

int RestartWindows(SetupState& state) {
  state.machine.system.EnableShutdownPrivilege();
  return state.machine.system.ExitWindowsEx(kEwxReboot, 0);
}

void FinishSetup(SetupState& state, int mode, int setupStatus, int uninstallResult) {
  using platform::mb::kIconInformation;
  using platform::mb::kIconWarning;
  if (setupStatus == status::kAccessDenied) return;
  if (mode == 0) {
    switch (setupStatus) {
      case status::kInstalled:
        if (state.seEdition) {
          RunUpgradeProgram(state);
        } else {
          ShowCatalogBox(state, MSG_INSTALL_COMPLETE, kIconInformation);
          OfferReadme(state);
        }
        break;
      case status::kFailed:
        ShowCatalogBox(state, MSG_INSTALL_FAILED, kIconWarning);
        break;
      case status::kCancelled:
        ShowCatalogBox(state, MSG_INSTALL_CANCELLED, kIconWarning);
        break;
      case status::kRestartNeeded:
        if (state.seEdition) RunUpgradeProgram(state);
        AskForRestart(state);
        break;
      default:
        break;
    }
  } else if (mode == 1) {
    switch (uninstallResult) {
      case uninstall::kCompleted:
        ShowCatalogBox(state, MSG_UNINSTALL_COMPLETE, kIconInformation);
        break;
      case uninstall::kFailed:
        ShowCatalogBox(state, MSG_UNINSTALL_FAILED, kIconWarning);
        break;
      case uninstall::kNothingDone:
        ShowCatalogBox(state, MSG_UNINSTALL_CANCELLED, kIconWarning);
        break;
      default:
        break;
    }
  }
}

}  // namespace setup
