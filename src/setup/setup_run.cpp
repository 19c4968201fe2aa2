#include "setup/setup_run.h"

#include "install/copy_engine.h"
#include "setup/completion.h"
#include "setup/description.h"
#include "setup/start.h"
#include "setup/state.h"
#include "ui/background_window.h"
#include "ui/install_dir_dialog.h"
#include "ui/license_dialog.h"
#include "uninstall/launcher.h"

namespace setup {
namespace {

int ExitCodeFor(Mode mode, int setupStatus, int uninstallResult) {
  if (setupStatus == status::kAccessDenied) return exitcode::kAccessDenied;
  if (mode == Mode::kRestart) return uninstallResult;
  return setupStatus;
}

// Restart mode: confirmation, then the removal. Returns the uninstall
// result, or -1 when the run stops at a step this build does not have.
int RunRestartMode(SetupState& state) {
  std::string text = Msg(state, MSG_CONFIRM_UNINSTALL, kText);
  std::string caption = Msg(state, MSG_CONFIRM_UNINSTALL, kCaption);
  int answer = state.machine.ui.MessageBox(state.backgroundWindow, text, caption,
                                           platform::mb::kYesNo | platform::mb::kIconQuestion);
  if (answer != platform::answer::kYes) return uninstall::kNothingDone;

  state.entryNumber = state.machine.profile.GetString("Misc", "SeqID", "00", 3,
                                                      state.restartDescriptionPath);
  // The removal itself (group name from the uninstall entry, the option and
  // progress dialogs) is not part of this build: stop here without claiming
  // anything was removed.
  return -1;
}

// Install mode. Returns the setup status, or -1 when the run stops at a step
// this build does not have.
int RunInstallMode(SetupState& state) {
  platform::Ui& ui = state.machine.ui;
  // English installations (slot 0 only) agree to the license first.
  if (state.language == 0) {
    ui::LicenseAgreementDialog license(state);
    if (ui.RunModal(ui.GetMainWindow(), license) == platform::cmd::kCancel) {
      return status::kCancelled;
    }
  }

  ui::InstallDirDialog installDir(state);
  if (ui.RunModal(ui.GetMainWindow(), installDir) == platform::cmd::kCancel) {
    return status::kCancelled;
  }

  // The group dialog is not part of this build: the default group stands.
  state.groupName = DefaultGroupName(state);

  state.machine.files.CreateDirectory(state.installDir);

  int copied = install::CopyProductFiles(state, state.installDir);
  if (copied != install::kCopyDone) return copied;

  // The uninstall entry, the shared libraries, the program group and the
  // tape configuration follow the copy; this build ends here, before any
  // completion message, so nothing claims an installation that did not
  // happen.
  return -1;
}

}  // namespace

int RunSetup(platform::Machine& machine) {
  SetupState state(machine);

  platform::OsVersion version = machine.system.GetVersion();
  state.windowsNt = version.platformId == 2;
  state.windows98 = version.platformId == 1 && version.minor == 10;

  StartInfo start = AnalyseStart(state.windowsNt, machine.system.GetModuleFileName(),
                                 machine.system.GetCommandLine());
  state.sourceDir = start.sourceDir;
  state.windowsDir = Truncate(machine.system.GetWindowsDirectory(), kPathCapacity);
  if (start.mode == Mode::kRestart) {
    if (start.commandLineRefused) {
      machine.ui.MessageBox(platform::kNoWindow,
                            "UnInstall needs the directory of the installed product:\n"
                            "/restart \"<directory>\"",
                            "Exiting UnInstall", platform::mb::kIconError);
      return exitcode::kBadCommandLine;
    }
    state.uninstallDir = start.uninstallDir;
    state.restartDescriptionPath = start.uninstallDir + "\\SETUP.DAT";
  }

  int loaded = LoadSetupDescription(state);
  if (loaded != 0) {
    return loaded == 1 ? exitcode::kDescriptionMissing : exitcode::kDescriptionInvalid;
  }

  if (start.mode == Mode::kUninstallLaunch) {
    if (::uninstall::LaunchUninstaller(state) != 0) {
      const char* text = state.catalog.Text(MSG_UNINSTALL_FAILED, state.language, kText);
      const char* caption = state.catalog.Text(MSG_UNINSTALL_FAILED, state.language, kCaption);
      machine.ui.MessageBox(platform::kNoWindow, text, caption, platform::mb::kIconError);
      return exitcode::kFailed;
    }
    return exitcode::kOk;
  }

  state.mode = start.mode;
  ui::BackgroundWindow background(state);
  platform::WindowHandle window = machine.ui.CreateModeless(platform::kNoWindow, background);
  machine.ui.SetMainWindow(window);
  machine.ui.SetTopmostAndShow(window);
  state.backgroundWindow = window;

  SetDefaultInstallDir(state);

  // On Windows NT the registry access check comes here once the registry
  // entries are part of the build.

  int setupStatus = status::kInstalled;
  int uninstallResult = uninstall::kCompleted;
  int reached = state.mode == Mode::kRestart ? RunRestartMode(state) : RunInstallMode(state);
  bool stoppedEarly = reached < 0;
  if (!stoppedEarly) {
    if (state.mode == Mode::kRestart) {
      uninstallResult = reached;
    } else {
      setupStatus = reached;
    }
    FinishSetup(state, static_cast<int>(state.mode), setupStatus, uninstallResult);
  }

  state.fileList.clear();
  machine.ui.DestroyWindow(window);
  state.backgroundWindow = platform::kNoWindow;
  if (stoppedEarly) return exitcode::kStoppedAtStepNotBuilt;
  return ExitCodeFor(state.mode, setupStatus, uninstallResult);
}

}  // namespace setup
