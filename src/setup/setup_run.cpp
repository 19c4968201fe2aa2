#include "setup/setup_run.h"

#include "groups/program_group_dialog.h"
#include "groups/progman_client.h"
#include "groups/progman_text.h"
#include "install/copy_engine.h"
#include "install/ownership.h"
#include "install/rollback.h"
#include "install/shared_libraries.h"
#include "setup/completion.h"
#include "setup/description.h"
#include "setup/logged_parts.h"
#include "setup/response_file.h"
#include "setup/rollback.h"
#include "setup/run_log.h"
#include "setup/start.h"
#include "setup/state.h"
#include "setup/unattended.h"
#include "system/registry.h"
#include "text/text.h"
#include "system/services.h"
#include "system/system_ini.h"
#include "system/tape_config.h"
#include "ui/background_window.h"
#include "ui/directory_rules.h"
#include "ui/install_dir_dialog.h"
#include "ui/license_dialog.h"
#include "uninstall/launcher.h"
#include "uninstall/removal.h"
#include "uninstall/uninstall_dialogs.h"

namespace setup {
namespace {

int ExitCodeFor(const SetupState& state, int setupStatus, int uninstallResult) {
  if (setupStatus == status::kAccessDenied) return exitcode::kAccessDenied;
  if (state.mode == Mode::kRestart) {
    // Removed, but a file of it goes only when Windows next starts.
    if (uninstallResult == uninstall::kCompleted && state.removalEndsAtNextStart) {
      return exitcode::kRestartNeeded;
    }
    return uninstallResult;
  }
  return setupStatus;
}

// What a mode's steps give besides a status: the user refused the removal
// of the qic117 driver (setup ends at once, no completion).
constexpr int kEndedAtOnce = -2;
// A silent removal whose program group could not be verified: nothing was
// removed (completion says so), and the exit code tells it apart.
constexpr int kGroupNotVerified = -3;

// How the program files are removed: the option dialog's choice, or in a
// silent run the response file's. Complete where the dialog refuses it is
// refused in a silent run too: nothing is removed. False when nothing is
// to be removed.
bool ChooseRemoval(SetupState& state, ::uninstall::FileRemoval* option) {
  if (!IsSilent(state)) {
    ::uninstall::UninstallOptionDialog options(state);
    if (options.Run() != platform::cmd::kOk) return false;
    *option = options.Option();
    return true;
  }
  if (!state.unattended->answers.completeRemoval) return true;
  if (!::uninstall::MayRemoveWholeDirectory(state)) {
    state.machine.ui.MessageBox(state.backgroundWindow,
                                Msg(state, MSG_COMPLETE_REMOVAL_REFUSED, kText),
                                Msg(state, MSG_COMPLETE_REMOVAL_REFUSED, kCaption),
                                platform::mb::kOk | platform::mb::kIconWarning);
    return false;
  }
  *option = ::uninstall::FileRemoval::kComplete;
  return true;
}

// An installation that stopped before its uninstall entry was registered
// (so before its group was made): the removal steps take only the files
// its log names where its file list puts them; there is no entry, group
// or choice of removal. Returns the uninstall result.
int RemoveUnregisteredInstallation(SetupState& state) {
  LogStep(state, "the installation in " + state.uninstallDir +
                     " has no uninstall entry: only the logged files its SETUP.DAT installs are removed");
  ::uninstall::UninstallProgressDialog progress(state, ::uninstall::FileRemoval::kUnregistered);
  return progress.Run();
}

// Restart mode: confirmation, the entry number and group name of the
// installed product, the choice of how files are removed, the removal
// steps, and on Windows NT the product's driver service. Returns the
// uninstall result.
int RunRestartMode(SetupState& state) {
  std::string text = Msg(state, MSG_CONFIRM_UNINSTALL, kText);
  std::string caption = Msg(state, MSG_CONFIRM_UNINSTALL, kCaption);
  ExpectQuestion(state, Question::kConfirmUninstall);
  int answer = state.machine.ui.MessageBox(state.backgroundWindow, text, caption,
                                           platform::mb::kYesNo | platform::mb::kIconQuestion);
  if (answer != platform::answer::kYes) return uninstall::kNothingDone;
  if (::uninstall::IsUnregisteredInstallation(state)) return RemoveUnregisteredInstallation(state);

  state.entryNumber = state.machine.profile.GetString("Misc", "SeqID", "00", 3,
                                                      state.restartDescriptionPath);
  integration::UpdateRegistryEntries(state, integration::RegistryOperation::kReadGroupName);

  // The option dialog offers OK only for a verified group; a silent run
  // has no Browse to choose another, so it removes nothing: the group
  // deleted could be another program's, the one left behind ours.
  if (IsSilent(state) && !::uninstall::RecordedGroupVerified(state)) {
    const std::string entry = "Dastrel" + state.entryNumber;
    std::string why;
    if (state.groupName.empty()) {
      why = "the uninstall entry " + entry + " names no program group";
    } else if (!groups::GroupNameSendable(state.groupName)) {
      why = "the program group " + LogText(state.groupName) + " of the uninstall entry " + entry +
            " has a name no Program Manager command can carry";
    } else {
      why = "the program group " + LogText(state.groupName) + " of the uninstall entry " + entry +
            " does not exist with exactly that name";
    }
    state.unattended->log.Line("refused", why + "; nothing was removed");
    return kGroupNotVerified;
  }
  ::uninstall::FileRemoval option = ::uninstall::FileRemoval::kSelective;
  if (!ChooseRemoval(state, &option)) return uninstall::kNothingDone;
  ::uninstall::UninstallProgressDialog progress(state, option);
  int result = progress.Run();
  if (state.windowsNt && !state.scsi) integration::RemoveZemaqwntService(state);
  return result;
}

// What turns a successful installation into "Windows must restart".
struct RestartReasons {
  bool restartNeeded = false;         // the qic117 service went, or a library waits
  bool configurationChanged = false;  // SYSTEM.INI was changed
};

// The conflicting qic117 driver service (Windows NT, QIC products): asked
// about before the install dialogs, removed only after them, so that a
// cancel in them leaves it registered; an installation that stops after
// the removal registers it again.
struct Qic117Service {
  bool agreed = false;                  // "System Check" was answered OK
  integration::RemovedService removed;  // what was removed, as it was
};

// The question. False when the user refused: setup ends at once.
bool CheckQic117Service(SetupState& state, Qic117Service& qic117) {
  if (!state.windowsNt || state.scsi) return true;
  integration::Qic117Result result = integration::AskToDisableQic117Service(state);
  if (result == integration::Qic117Result::kUserRefused) return false;
  qic117.agreed = result == integration::Qic117Result::kAgreed;
  return true;
}

// Once the dialogs are past: the removal the user agreed to.
void RemoveAgreedQic117Service(SetupState& state, Qic117Service& qic117, RestartReasons& reasons) {
  if (!qic117.agreed) return;
  reasons.restartNeeded = integration::RemoveQic117Service(state, &qic117.removed);
}

// QIC products: conflicting tape drivers in SYSTEM.INI are commented out
// before any file is copied. False when they were found but SYSTEM.INI
// could not be rewritten (the user has been told): the product's driver
// would conflict with them, so the installation stops.
bool DeactivateConflictingDrivers(SetupState& state, RestartReasons& reasons) {
  if (state.scsi) return true;
  const integration::SystemIniResult result = integration::DeactivateSystemIniDrivers(state);
  reasons.configurationChanged = result == integration::SystemIniResult::kChanged;
  return result != integration::SystemIniResult::kFailed;
}

// No uninstall entry could be registered: every entry number is another
// group's, or the entry could not be written (told now), or the Uninstall
// key could not be opened (told already). The installation stops there,
// failed. The installed SETUP.DAT gets the entry number "xx", which no
// entry has, so its uninstaller never takes another product's entry (the
// number it reads when none is stored is "00").
int RegistrationFailed(SetupState& state, int registered) {
  if (registered != 0) {
    state.machine.ui.MessageBox(state.backgroundWindow,
                                Msg(state, MSG_UNINSTALL_KEY_FAILED, kText),
                                Msg(state, MSG_UNINSTALL_KEY_FAILED, kCaption),
                                platform::mb::kOk | platform::mb::kIconWarning);
  }
  LogStep(state, "no uninstall entry was registered (entry number " + state.entryNumber + ")");
  state.entryNumber = "xx";
  install::KeepBeforeChanging(state, state.installDir + "\\SETUP.DAT");
  state.machine.profile.WriteString("Misc", "SeqID", state.entryNumber,
                                    state.installDir + "\\SETUP.DAT");
  return status::kFailed;
}

// The installed SETUP.DAT could not be written (the disk is full): its
// uninstaller would refuse it, and the product could never be removed, so
// the installation fails (and is taken back) with the write error named.
int DescriptionNotWritten(SetupState& state) {
  const std::string path = state.installDir + "\\SETUP.DAT";
  std::string text = Msg(state, MSG_WRITE_ERROR, kText);
  const std::size_t placeholder = text.find("%s");
  if (placeholder != std::string::npos) text.replace(placeholder, 2, path);
  state.machine.ui.MessageBox(state.backgroundWindow, text, Msg(state, MSG_WRITE_ERROR, kCaption),
                              platform::mb::kOk | platform::mb::kIconError);
  LogStep(state, "the installed " + path + " could not be written");
  return status::kFailed;
}

// After copying: the uninstall entry, the shared run-time libraries, and
// the entry number in the installed SETUP.DAT. Returns the setup status.
int RegisterInstallation(SetupState& state, RestartReasons& reasons) {
  const int registered =
      integration::UpdateRegistryEntries(state, integration::RegistryOperation::kRegisterEntry);
  if (registered != 0 || state.entryNumber == "xx") return RegistrationFailed(state, registered);
  switch (install::ReplaceSharedLibraries(state)) {
    case install::SharedLibrariesResult::kDone: break;
    case install::SharedLibrariesResult::kRestartNeeded: reasons.restartNeeded = true; break;
    default: return status::kFailed;
  }
  if (!state.machine.profile.WriteString("Misc", "SeqID", state.entryNumber,
                                         state.installDir + "\\SETUP.DAT")) {
    return DescriptionNotWritten(state);
  }
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

// The answers of a silent installation, checked before anything is changed
// as the dialogs check what is typed: the license must be accepted, the
// install directory one the directory dialog takes, the group name one the
// group dialog takes. An exit code, kOk when the run goes on.
int ApplyAnswers(SetupState& state) {
  const Answers& answers = state.unattended->answers;
  RunLog& log = state.unattended->log;
  if (!answers.licenseAccepted) {
    log.Line("refused", "the response file does not accept the license (AcceptLicense=yes)");
    return exitcode::kLicenseNotAccepted;
  }
  // The directory meant, spelt as the dialog would keep it.
  const std::string dir = ui::TakeInstallDirText(
      answers.installDir.empty() ? state.defaultInstallDir : answers.installDir);
  const char* dirProblem = nullptr;
  switch (ui::CheckInstallDirText(state.machine.files, dir, state.windowsDir,
                                  ui::ProgramFilesDirOf(state))) {
    case ui::DirText::kIncomplete: dirProblem = "lacks a drive or a backslash"; break;
    case ui::DirText::kNotAllowed: dirProblem = "is a directory the product may not be installed in"; break;
    case ui::DirText::kInvalid: dirProblem = "is not a valid directory name"; break;
    case ui::DirText::kAcceptable: break;
  }
  platform::FileStatus status;
  if (dirProblem == nullptr && state.machine.files.GetFileStatus(dir, &status) == 0 &&
      !(status.attributes & platform::attr::kDirectory)) {
    dirProblem = "is a file";
  }
  if (dirProblem != nullptr) {
    log.Line("refused", "the install directory " + LogText(dir) + " " + dirProblem);
    return exitcode::kResponseFileRefused;
  }
  const std::string group =
      answers.groupName.empty() ? DefaultGroupName(state) : groups::ProgramGroupDialog::TrimmedName(answers.groupName);
  // As in the dialog, a name of white space only is no name.
  const groups::GroupNameCheck check = text::Trim(group).empty() ? groups::GroupNameCheck::kEmpty
                                                                : groups::CheckGroupName(group);
  if (check != groups::GroupNameCheck::kOk) {
    log.Line("refused", "the group name " + LogText(group) + ": " + groups::GroupNameProblemText(check));
    return exitcode::kResponseFileRefused;
  }
  state.installDir = dir;
  state.groupName = group;
  return exitcode::kOk;
}

// What the user chose in the install dialogs, for /record.
void RecordDialogAnswers(SetupState& state) {
  if (state.unattended == nullptr) return;
  Answers& recorded = state.unattended->recorded;
  recorded.licenseAccepted = true;
  recorded.installDir = state.installDir;
  recorded.groupName = state.groupName;
}

// The steps of install mode. Returns the setup status, or kEndedAtOnce.
int RunInstallSteps(SetupState& state, Qic117Service& qic117) {
  platform::Ui& ui = state.machine.ui;
  const bool silent = IsSilent(state);
  // English installations (slot 0 only) agree to the license first; a
  // silent run has agreed in its response file.
  if (state.language == 0 && !silent) {
    ui::LicenseAgreementDialog license(state);
    if (ui.RunModal(ui.GetMainWindow(), license) == platform::cmd::kCancel) {
      return status::kCancelled;
    }
  }

  RestartReasons reasons;
  if (!CheckQic117Service(state, qic117)) return kEndedAtOnce;

  if (silent) {
    // The directory was checked as the dialog checks it; the dialog would
    // have made its missing parents.
    LogStep(state, "install directory " + state.installDir);
    install::NoteInstallDirBefore(state);
    std::vector<std::string> created;
    ui::CreateDirectoryPath(state.machine.files, state.installDir, &created);
    for (const std::string& level : created) install::NoteCreatedDirectory(state, level);
    platform::FileStatus made;
    if (state.machine.files.GetFileStatus(state.installDir, &made) != 0 ||
        !(made.attributes & platform::attr::kDirectory)) {
      // The dialog would say "Cannot accept that entry" and stay open.
      LogStep(state, "the install directory " + state.installDir + " could not be created");
      return status::kFailed;
    }
    LogStep(state, "program group " + LogText(state.groupName));
  } else {
    // Cancel cancels the installation; so does a dialog that could not be
    // made, since no directory, or no group name, was chosen.
    ui::InstallDirDialog installDir(state);
    if (ui.RunModal(ui.GetMainWindow(), installDir) != platform::cmd::kOk) {
      return status::kCancelled;
    }
    groups::ProgramGroupDialog groupDialog(state);
    if (groupDialog.Run() != platform::cmd::kOk) return status::kCancelled;
    RecordDialogAnswers(state);
    install::NoteInstallDirBefore(state);
  }
  RemoveAgreedQic117Service(state, qic117, reasons);

  if (state.machine.files.CreateDirectory(state.installDir) == platform::err::kSuccess) {
    install::NoteCreatedDirectory(state, state.installDir);
  }
  // Nothing was installed: the directories made for it go again with the
  // rest of the rollback.
  if (!DeactivateConflictingDrivers(state, reasons)) return status::kFailed;

  int copied = install::CopyProductFiles(state, state.installDir);
  if (copied != install::kCopyDone) return copied;
  // What this installation created, kept with it (an installation that
  // stops later is taken back, this record with it).
  const std::string description = state.installDir + "\\SETUP.DAT";
  install::KeepBeforeChanging(state, description);
  platform::FileStatus found;
  const bool installed = state.machine.files.GetFileStatus(description, &found) == platform::err::kSuccess;
  if (!install::WriteOwnershipRecord(state) && installed) return DescriptionNotWritten(state);
  int registered = RegisterInstallation(state, reasons);
  if (registered != status::kInstalled) return registered;
  CompleteInstallation(state);

  bool restart = reasons.restartNeeded || reasons.configurationChanged;
  return restart ? status::kRestartNeeded : status::kInstalled;
}

// "/restart" without the quoted directory: no installed SETUP.DAT names
// the language, so the one beside the program does when it is there (read
// quietly: its absence is no error here); else the message is English.
void RefuseRestartWithoutDirectory(SetupState& state) {
  if (ReadSetupDatFile(state) == kDescriptionRead) state.language = LanguageFromCode(state.values.lng);
  state.fileList.clear();
  state.machine.ui.MessageBox(platform::kNoWindow, Msg(state, MSG_RESTART_NEEDS_DIRECTORY, kText),
                              Msg(state, MSG_RESTART_NEEDS_DIRECTORY, kCaption),
                              platform::mb::kIconError);
}

// Install mode. Returns the setup status, or kEndedAtOnce. An installation
// that stopped (cancelled or failed) after removing the qic117 service
// registers it again as it was.
int RunInstallMode(SetupState& state) {
  Qic117Service qic117;
  const int result = RunInstallSteps(state, qic117);
  if (result == status::kCancelled || result == status::kFailed) {
    integration::RegisterServiceAgain(state, qic117.removed);
  }
  return result;
}

// A run's steps on a machine (the machine's own parts, or the logged and
// windowless ones of a run with switches).
int RunSteps(platform::Machine& machine, const StartInfo& start, Unattended* run) {
  SetupState state(machine);
  state.unattended = run;

  platform::OsVersion version = machine.system.GetVersion();
  state.windowsNt = version.platformId == 2;
  state.windows98 = version.platformId == 1 && version.minor == 10;

  state.sourceDir = start.sourceDir;
  state.windowsDir = Truncate(machine.system.GetWindowsDirectory(), kPathCapacity);
  if (start.mode == Mode::kRestart) {
    if (start.commandLineRefused) {
      RefuseRestartWithoutDirectory(state);
      return exitcode::kBadCommandLine;
    }
    state.uninstallDir = start.uninstallDir;
    state.restartDescriptionPath = start.uninstallDir + "\\SETUP.DAT";
    // An installation that stopped before its SETUP.DAT was whole: the
    // disk's description, when the uninstaller runs from the disk.
    if (::uninstall::UseDiskDescription(state)) {
      LogStep(state, "the installed SETUP.DAT cannot be read; " + state.restartDescriptionPath +
                         " stands in for it");
    }
  }

  int loaded = LoadSetupDescription(state);
  if (loaded != 0) {
    return loaded == 1 ? exitcode::kDescriptionMissing : exitcode::kDescriptionInvalid;
  }

  if (start.mode == Mode::kUninstallLaunch) {
    if (IsSilent(state)) return ::uninstall::LaunchUninstallerAndWait(state, start.switches);
    if (::uninstall::LaunchUninstaller(state, start.switches) != 0) {
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
  if (state.mode == Mode::kInstall && IsSilent(state)) {
    const int refused = ApplyAnswers(state);
    if (refused != exitcode::kOk) {
      machine.ui.DestroyWindow(window);
      return refused;
    }
  }

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
  // An installation that ends cancelled or failed is taken back before the
  // user is told; one that completed drops the backups it kept.
  std::vector<std::string> notRestored;
  if (!refused && state.mode == Mode::kInstall) {
    if (reached == status::kFailed || reached == status::kCancelled || reached == kEndedAtOnce) {
      notRestored = RollBackInstallation(state);
    } else {
      install::DiscardBackups(state);
    }
  }
  if (reached != kEndedAtOnce) {
    if (refused) {
      // The steps did not run: nothing to take from them.
    } else if (state.mode == Mode::kRestart) {
      uninstallResult = reached == kGroupNotVerified ? uninstall::kNothingDone : reached;
    } else {
      setupStatus = reached;
    }
    FinishSetup(state, static_cast<int>(state.mode), setupStatus, uninstallResult);
  }
  ShowNotRestored(state, notRestored);

  state.fileList.clear();
  machine.ui.DestroyWindow(window);
  state.backgroundWindow = platform::kNoWindow;
  if (reached == kEndedAtOnce) return exitcode::kCancelled;
  if (reached == kGroupNotVerified) return exitcode::kGroupNotVerified;
  return ExitCodeFor(state, setupStatus, uninstallResult);
}

// The log's last line: the exit code the run ends with. Built in steps (a
// literal joined with operator+ trips a false overlap warning of the 32-bit
// compiler).
void LogEnd(RunLog& log, int code) {
  std::string text = "exit code ";
  text += std::to_string(code);
  log.Line("end", text);
}

// A run with switches: its log, its response file, its machine parts that
// log what they change, and no window when silent. Ends like a run without
// them, with the exit code last in the log.
int RunWithSwitches(platform::Machine& machine, const StartInfo& start) {
  const Switches& switches = start.switches;
  RunLog log(machine.files);
  if (!switches.logPath.empty()) log.Open(switches.logPath);
  log.Line("start", LogText(machine.system.GetCommandLine()));
  std::string problem = start.switchProblem;
  if (problem.empty() && !switches.answersPath.empty() && !switches.silent) {
    problem = "The switch /answers needs /s.";
  }
  if (problem.empty() && !switches.recordPath.empty() && switches.silent) {
    problem = "The switch /record records the answers of a run with windows; it cannot be used with /s.";
  }
  if (!problem.empty()) {
    log.Line("refused", problem);
    if (!switches.silent) {
      machine.ui.MessageBox(platform::kNoWindow,
                            problem + "\n\nSETUP [/s [/answers \"<file>\"]] [/record \"<file>\"] "
                                      "[/log \"<file>\"]",
                            "Setup", platform::mb::kIconError);
    }
    LogEnd(log, exitcode::kBadCommandLine);
    return exitcode::kBadCommandLine;
  }

  // A run with windows ignores what is not setup's; the log names it.
  for (const std::string& ignored : switches.unknown) {
    log.Line("ignored", "the switch " + ignored + " is not one of setup's");
  }

  Unattended run(log);
  run.silent = switches.silent;
  if (!switches.answersPath.empty()) {
    problem = ReadResponseFile(machine.files, switches.answersPath, &run.answers);
    if (!problem.empty()) {
      log.Line("refused", "response file " + switches.answersPath + ": " + problem);
      LogEnd(log, exitcode::kResponseFileRefused);
      return exitcode::kResponseFileRefused;
    }
    log.Line("step", "response file " + switches.answersPath + " read");
  }

  LoggedFiles files(machine.files, log);
  LoggedProfile profile(machine.profile, log);
  LoggedRegistry registry(machine.registry, log);
  LoggedDde dde(machine.dde, log);
  LoggedServices services(machine.services, log);
  HeadlessUi headless(run);
  ObservedUi observed(machine.ui, run);
  platform::Ui& ui = run.silent ? static_cast<platform::Ui&>(headless) : observed;
  platform::Machine logged{machine.system, files,   profile,          registry, machine.lz,
                           ui,             dde,     machine.versions, services};
  const int code = RunSteps(logged, start, &run);

  if (!switches.recordPath.empty()) {
    const bool written = platform::WriteWholeFile(machine.files, switches.recordPath,
                                                  FormatResponseText(run.recorded)) == 0;
    log.Line("record", switches.recordPath + (written ? " written" : " could not be written"));
  }
  LogEnd(log, code);
  return code;
}

}  // namespace

int RunSetup(platform::Machine& machine) {
  const bool nt = machine.system.GetVersion().platformId == 2;
  const StartInfo start =
      AnalyseStart(nt, machine.system.GetModuleFileName(), machine.system.GetCommandLine());
  if (!start.switches.Any() && start.switchProblem.empty()) return RunSteps(machine, start, nullptr);
  return RunWithSwitches(machine, start);
}

}  // namespace setup
