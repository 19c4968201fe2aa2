// The dialogs of the uninstaller, run one after the other over the
// background window:
//
//   uninstall::UninstallOptionDialog options(state);
//   if (options.Run() != platform::cmd::kOk) ...      // nothing is removed
//   uninstall::UninstallProgressDialog progress(state, options.Option());
//   int result = progress.Run();   // 0 when every removal step ran
//
// The option dialog shows what will be removed (the program group and the
// install directory), lets OK through only for a group that exists, and
// offers Selective (the logged files) or Complete (the whole directory).
// Browse picks another group when the recorded one is unknown or gone.
// The progress dialog runs the removal steps on a timer, one every two
// seconds, with a check mark beside each step once it is done and a burning
// barrel that flickers meanwhile; it closes by itself.
#pragma once

#include <string>

#include "platform/dialog.h"
#include "platform/machine.h"
#include "setup/state.h"
#include "ui/dialog_ids.h"
#include "uninstall/removal.h"

namespace uninstall {

// The group selection dialog ("Select Group"): the groups Program Manager
// has, the first one selected; OK stores the selected one as the group
// name of the state.
// Whether the group name of the uninstall entry names a group Program
// Manager has, exactly so spelled (letter case included). The option
// dialog offers OK only then (or for a group the user chose with Browse);
// a silent removal removes nothing without it. A name the Program Manager
// client refuses to send (groups::GroupNameSendable) is never verified:
// it could be listed, but not removed.
bool RecordedGroupVerified(setup::SetupState& state);

class SelectGroupDialog : public platform::DialogHandler {
 public:
  explicit SelectGroupDialog(setup::SetupState& state)
      : DialogHandler(ui::ids::select_group::kTemplate), state_(state) {}
  SelectGroupDialog(const SelectGroupDialog&) = delete;
  SelectGroupDialog& operator=(const SelectGroupDialog&) = delete;

  // cmd::kOk once a group name is stored, cmd::kCancel otherwise.
  int Run(platform::WindowHandle owner);

  bool OnInitDialog(platform::WindowHandle dialog) override;
  bool OnCommand(platform::WindowHandle dialog, int id, int notifyCode) override;

 private:
  void Accept();

  setup::SetupState& state_;
  platform::Dialog window_;
};

class UninstallOptionDialog : public platform::DialogHandler {
 public:
  explicit UninstallOptionDialog(setup::SetupState& state)
      : DialogHandler(ui::ids::uninstall_option::kTemplate), state_(state) {}
  UninstallOptionDialog(const UninstallOptionDialog&) = delete;
  UninstallOptionDialog& operator=(const UninstallOptionDialog&) = delete;

  // cmd::kOk with the file removal option set, or cmd::kCancel.
  int Run();
  // Selective until OK was pressed with Complete checked.
  FileRemoval Option() const { return option_; }

  bool OnInitDialog(platform::WindowHandle dialog) override;
  bool OnCommand(platform::WindowHandle dialog, int id, int notifyCode) override;

 private:
  void SetTexts();
  // The group name and the directory, with OK enabled.
  void ShowSummary();
  // Why the group cannot be verified; only Browse and Cancel remain.
  void ShowGroupUnknown();
  void Browse();
  void Accept();

  setup::SetupState& state_;
  platform::Dialog window_;
  FileRemoval option_ = FileRemoval::kSelective;
};

class UninstallProgressDialog : public platform::DialogHandler {
 public:
  static constexpr int kAnimationTimer = 1;
  static constexpr int kStepTimer = 2;
  static constexpr std::uint32_t kAnimationPeriodMs = 500;
  static constexpr std::uint32_t kStepPeriodMs = 2000;
  // Ticks of the step timer until the dialog closes: three steps, the last
  // check mark, and a last look.
  static constexpr int kTicks = 5;

  UninstallProgressDialog(setup::SetupState& state, FileRemoval option)
      : DialogHandler(ui::ids::uninstall_progress::kTemplate), state_(state), option_(option) {}
  UninstallProgressDialog(const UninstallProgressDialog&) = delete;
  UninstallProgressDialog& operator=(const UninstallProgressDialog&) = delete;

  // The uninstall result: 0 when every step ran; Enter ends it early with
  // 1 and Escape with 2, skipping the steps not yet run.
  int Run();

  bool OnInitDialog(platform::WindowHandle dialog) override;
  void OnTimer(platform::WindowHandle dialog, int timerId) override;
  void OnPaintControl(platform::WindowHandle dialog, int controlId,
                      platform::Painter& painter) override;

 private:
  void Animate();
  // One tick of the step timer: the previous step's check mark, the next
  // step's label and work.
  void NextStep();

  setup::SetupState& state_;
  FileRemoval option_;
  platform::Dialog window_;
  int frameIcon_ = 0;  // the animation icon drawn last, 0 before the first tick
  // Advanced before a step's work begins: a step that waits in a message
  // box lets the timer start the following steps, and each runs once.
  int ticks_ = 0;
};

}  // namespace uninstall
