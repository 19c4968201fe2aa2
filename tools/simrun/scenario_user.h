// The simulated machine's user, filled from a scenario: the scenario
// engine (scenario/engine.h) says what the statements do; this class is its
// driver on the simulated machine (it finds the machine's dialogs, reads
// their controls and presses their buttons) and the machine's sim::User.
//
//   simrun::ScenarioUser user(scn);
//   user.SetInsertHandler([&](char drive, const std::string& folder) { ... });
//   user.SetRecorder([&](const std::string& record) { ... });
//   machine->ui().SetUser(&user);
//   ... run the program ...
//   if (!user.Done()) fail(user.UnusedError());
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/sim_ui.h"
#include "platform/sim/sim_user.h"
#include "scenario/engine.h"
#include "scenario/scenario.h"

namespace simrun {

class ScenarioUser : public sim::User, private scenario::WindowDriver {
 public:
  explicit ScenarioUser(const scenario::Scenario& scenario);

  // Called for `insert <drive>: <folder>` actions (folder as written).
  void SetInsertHandler(std::function<void(char, const std::string&)> insert) {
    insert_ = std::move(insert);
  }
  // Gives the 8.3 alias of a Windows path for `set <ctl> short "<path>"`;
  // false when the path has none.
  void SetShortPathHandler(std::function<bool(const std::string&, std::string*)> shortPath) {
    shortPath_ = std::move(shortPath);
  }
  // Receives each transcript record as it happens.
  void SetRecorder(std::function<void(const std::string&)> record) { record_ = std::move(record); }

  const std::vector<std::string>& records() const { return records_; }
  // Whether every statement was used; one line per unused one.
  bool Done() const { return engine_.user().Done(); }
  // The program ended: uses a `follow` statement when it is next.
  bool TakeFollow() { return engine_.user().TakeFollow(); }
  std::string UnusedError() const { return engine_.user().UnusedError(); }
  // A dialog statement started but not finished (waiting on a `wait`).
  bool HasPendingStatement() const { return engine_.HasRunning(); }
  // The failure of a program that ended with a statement not finished.
  std::string UnfinishedError() const { return engine_.Unfinished(); }

  // sim::User.
  int AnswerMessageBox(sim::SimUi& ui, platform::WindowHandle owner, const std::string& text,
                       const std::string& caption, std::uint32_t flags) override;
  void ModelessDialogShown(sim::SimUi& ui, platform::WindowHandle dialog) override;
  bool ModelessDialogsOpen(sim::SimUi& ui) override;
  bool ModalDialogWaits(sim::SimUi& ui, platform::WindowHandle dialog) override;
  std::string WhyModalDialogWaits(sim::SimUi& ui, platform::WindowHandle dialog) override;
  void DialogDestroyed(sim::SimUi& ui, platform::WindowHandle dialog, int templateId,
                       bool modal) override;
  std::string DescribeNext() const override { return engine_.user().DescribeNext(); }

 private:
  // scenario::WindowDriver on the simulated machine's windows.
  scenario::Window FindOpenDialog(int templateId, scenario::Window modal) override;
  bool IsOpen(scenario::Window dialog) override;
  bool HasControl(scenario::Window dialog, int control) override;
  scenario::ControlState ReadControl(scenario::Window dialog, int control) override;
  bool ReadList(scenario::Window dialog, int control, std::vector<std::string>* entries) override;
  std::string Title(scenario::Window window) override;
  int OwnerTemplate(scenario::Window window) override;
  scenario::Outcome SetText(scenario::Window dialog, int control, const std::string& text) override;
  bool ShortPath(const std::string& path, std::string* alias) override;
  scenario::Outcome Press(scenario::Window dialog, int control) override;
  scenario::Outcome PressKey(scenario::Window dialog, scenario::Key key, int* button) override;
  scenario::Outcome DoubleClickEntry(scenario::Window dialog, int control, int index,
                                     const std::string& entry) override;
  scenario::Outcome OpenItem(scenario::Window dialog, int control, const std::string& item) override;
  bool Insert(char drive, const std::string& folder, std::string* error) override;
  void Record(const std::string& record) override;
  [[noreturn]] void Fail(const std::string& message) override;

  sim::SimUi& ui() const { return *ui_; }

  scenario::Engine engine_;
  sim::SimUi* ui_ = nullptr;  // the machine's, as its last call gave it
  std::function<void(char, const std::string&)> insert_;
  std::function<bool(const std::string&, std::string*)> shortPath_;
  std::function<void(const std::string&)> record_;
  std::vector<std::string> records_;
};

}  // namespace simrun
