#include "setup/setup_run.h"

#include "groups/program_group_dialog.h"
#include "groups/progman_client.h"
#include "install/copy_engine.h"
#include "install/shared_libraries.h"
#include "setup/completion.h"
#include "setup/description.h"
#include "setup/start.h"
#include "setup/state.h"
#include "system/registry.h"
#include "system/services.h"
#include "system/system_ini.h"
#include "system/tape_config.h"
#include "ui/background_window.h"
#include "ui/install_dir_dialog.h"
#include "ui/license_dialog.h"
#include "uninstall/launcher.h"
#include "uninstall/uninstall_dialogs.h"

namespace setup {
namespace {

int ExitCodeFor(Mode mode, int setupStatus, int uninstallResult) {
  if (setupStatus == status::kAccessDenied) return exitcode::kAccessDenied;
  if (mode == Mode::kRestart) return uninstallResult;
  return setupStatus;
}

// What a mode's steps give besides a status: the user refused the removal
// of the qic117 driver (setup ends at once, no completion).
constexpr int kEndedAtOnce = -2;

// Restart mode: confirmation, the entry number and group name of the
// installed product, the choice of how files are removed, the removal
// steps, and on Windows NT the product's driver service. Returns the
// uninstall result.
int RunRestartMode(SetupState& state) {
  std::string text = Msg(state, MSG_CONFIRM_UNINSTALL, kText);
  std::string caption = Msg(state, MSG_CONFIRM_UNINSTALL, kCaption);
  int answer = state.machine.ui.MessageBox(state.backgroundWindow, text, caption,
                                           platform::mb::kYesNo | platform::mb::kIconQuestion);
  if (answer != platform::answer::kYes) return uninstall::kNothingDone;

  state.entryNumber = state.machine.profile.GetString("Misc", "SeqID", "00", 3,
                                                      state.restartDescriptionPath);
  integration::UpdateRegistryEntries(state, integration::RegistryOperation::kReadGroupName);

  ::uninstall::UninstallOptionDialog options(state);
  if (options.Run() != platform::cmd::kOk) return uninstall::kNothingDone;
  ::uninstall::UninstallProgressDialog progress(state, options.Option());
  int result = progress.Run();
  if (state.windowsNt && !state.scsi) integration::RemoveZemaqwntService(state);
  return result;
}

// What turns a successful installation into "Windows must restart".
struct RestartReasons {
  bool restartNeeded = false;         // the qic117 service went, or a library waits
  bool configurationChanged = false;  // SYSTEM.INI was changed
};

// Windows NT, QIC products: the conflicting qic117 driver service is
// removed with the user's consent. False when the user refused: setup
// ends at once.
bool CheckQic117Service(SetupState& state, RestartReasons& reasons) {
  if (!state.windowsNt || state.scsi) return true;
  integration::Qic117Result result = integration::DisableQic117Service(state);
  if (result == integration::Qic117Result::kUserRefused) return false;
  reasons.restartNeeded = result == integration::Qic117Result::kRemoved;
  return true;
}

// QIC products: conflicting tape drivers in SYSTEM.INI are commented out
// before any file is copied.
void DeactivateConflictingDrivers(SetupState& state, RestartReasons& reasons) {
  if (state.scsi) return;
  reasons.configurationChanged =
      integration::DeactivateSystemIniDrivers(state) == integration::SystemIniResult::kChanged;
}

// After copying: the uninstall entry, the shared run-time libraries, and
// the entry number in the installed SETUP.DAT. Returns the setup status.
int RegisterInstallation(SetupState& state, RestartReasons& reasons) {
  integration::UpdateRegistryEntries(state, integration::RegistryOperation::kRegisterEntry);
  switch (install::ReplaceSharedLibraries(state)) {
    case install::SharedLibrariesResult::kDone: break;
    case install::SharedLibrariesResult::kRestartNeeded: reasons.restartNeeded = true; break;
    default: return status::kFailed;
  }
  state.machine.profile.WriteString("Misc", "SeqID", state.entryNumber,
                                    state.installDir + "\\SETUP.DAT");
  return status::kInstalled;
}

// The program group with its items, the background window back to full
// screen, and the tape configuration last.
void CompleteInstallation(SetupState& state) {
  groups::CreateProgramGroup(state);
  groups::AddProgramItems(state);
  state.machine.ui.ShowWindow(state.backgroundWindow, platform::sw::kShowMaximized);
  if (state.writeTapeConfiguration) integration::WriteTapeConfiguration(state);
}

// Install mode. Returns the setup status, or kEndedAtOnce.
int RunInstallMode(SetupState& state) {
  platform::Ui& ui = state.machine.ui;
  // English installations (slot 0 only) agree to the license first.
  if (state.language == 0) {
    ui::LicenseAgreementDialog license(state);
    if (ui.RunModal(ui.GetMainWindow(), license) == platform::cmd::kCancel) {
      return status::kCancelled;
    }
  }

  RestartReasons reasons;
  if (!CheckQic117Service(state, reasons)) return kEndedAtOnce;

  ui::InstallDirDialog installDir(state);
  if (ui.RunModal(ui.GetMainWindow(), installDir) == platform::cmd::kCancel) {
    return status::kCancelled;
  }

  // Cancel cancels the installation; so does a dialog that could not be
  // made, since no group name was chosen.
  groups::ProgramGroupDialog groupDialog(state);
  if (groupDialog.Run() != platform::cmd::kOk) return status::kCancelled;

  state.machine.files.CreateDirectory(state.installDir);
  DeactivateConflictingDrivers(state, reasons);

  int copied = install::CopyProductFiles(state, state.installDir);
  if (copied != install::kCopyDone) return copied;
  int registered = RegisterInstallation(state, reasons);
  if (registered != status::kInstalled) return registered;
  CompleteInstallation(state);

  bool restart = reasons.restartNeeded || reasons.configurationChanged;
  return restart ? status::kRestartNeeded : status::kInstalled;
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

  int setupStatus = status::kInstalled;
  int uninstallResult = uninstall::kCompleted;
  // On Windows NT a user who may not write the machine's software keys is
  // told so (in either mode), and setup goes straight to completion.
  bool refused = state.windowsNt && integration::UpdateRegistryEntries(
                                        state, integration::RegistryOperation::kCheckAccess) != 0;
  if (refused) setupStatus = status::kAccessDenied;
  int reached = 0;
  if (!refused) {
    reached = state.mode == Mode::kRestart ? RunRestartMode(state) : RunInstallMode(state);
  }
  if (reached != kEndedAtOnce) {
    if (refused) {
      // The steps did not run: nothing to take from them.
    } else if (state.mode == Mode::kRestart) {
      uninstallResult = reached;
    } else {
      setupStatus = reached;
    }
    FinishSetup(state, static_cast<int>(state.mode), setupStatus, uninstallResult);
  }

  state.fileList.clear();
  machine.ui.DestroyWindow(window);
  state.backgroundWindow = platform::kNoWindow;
  if (reached == kEndedAtOnce) return exitcode::kCancelled;
  return ExitCodeFor(state.mode, setupStatus, uninstallResult);
}

}  // namespace setup
