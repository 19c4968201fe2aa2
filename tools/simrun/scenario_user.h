// The simulated machine's user, filled from a scenario: message boxes get
// the answers of `box` statements, dialogs run the actions of `dialog`
// statements (a modeless dialog once the leading `wait` conditions hold),
// and every window the user sees becomes a transcript record.
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
#include "scenario/scenario.h"
#include "scenario/user.h"

namespace simrun {

class ScenarioUser : public sim::User {
 public:
  explicit ScenarioUser(const scenario::Scenario& scenario) : user_(scenario) {}

  // Called for `insert <drive>: <folder>` actions (folder as written).
  void SetInsertHandler(std::function<void(char, const std::string&)> insert) {
    insert_ = std::move(insert);
  }
  // Gives the 8.3 alias of a Windows path for `set <ctl> short "<path>"`.
  void SetShortPathHandler(std::function<std::string(const std::string&)> shortPath) {
    shortPath_ = std::move(shortPath);
  }
  // Receives each transcript record as it happens.
  void SetRecorder(std::function<void(const std::string&)> record) { record_ = std::move(record); }

  const std::vector<std::string>& records() const { return records_; }
  // Whether every statement was used; one line per unused one.
  bool Done() const { return user_.Done(); }
  // The program ended: uses a `follow` statement when it is next.
  bool TakeFollow() { return user_.TakeFollow(); }
  std::string UnusedError() const { return user_.UnusedError(); }
  // A dialog statement started but not finished (waiting on a `wait`).
  bool HasPendingStatement() const { return active_.statement != nullptr; }

  // sim::User.
  int AnswerMessageBox(sim::SimUi& ui, platform::WindowHandle owner, const std::string& text,
                       const std::string& caption, std::uint32_t flags) override;
  void ModelessDialogShown(sim::SimUi& ui, platform::WindowHandle dialog) override;
  bool ModelessDialogsOpen(sim::SimUi& ui) override;
  bool ModalDialogWaits(sim::SimUi& ui, platform::WindowHandle dialog) override;
  std::string WhyModalDialogWaits(sim::SimUi& ui, platform::WindowHandle dialog) override;
  void DialogDestroyed(sim::SimUi& ui, platform::WindowHandle dialog, int templateId,
                       bool modal) override;
  std::string DescribeNext() const override { return user_.DescribeNext(); }

 private:
  // The statement being run on a dialog, and how far.
  struct Active {
    const scenario::Statement* statement = nullptr;
    platform::WindowHandle window = platform::kNoWindow;
    std::size_t next = 0;
    bool recorded = false;
  };

  // Runs the statements that are due on open dialogs; `modal` is the modal
  // dialog whose loop is running (kNoWindow for a plain pump). Returns true
  // when any action ran.
  bool RunStatements(sim::SimUi& ui, platform::WindowHandle modal);
  // Starts the next statement when it is for an open dialog.
  bool StartNext(sim::SimUi& ui, platform::WindowHandle modal);
  // Runs the active statement as far as its waits allow; true when done.
  bool Continue(sim::SimUi& ui);
  void DoubleClick(sim::SimUi& ui, const scenario::Statement& st, platform::WindowHandle h,
                   const scenario::Action& a);
  void RunAction(sim::SimUi& ui, const scenario::Statement& st, platform::WindowHandle h,
                 const scenario::Action& a);
  void Press(sim::SimUi& ui, const scenario::Statement& st, platform::WindowHandle h,
             int controlId);
  // Fails the run when a click could not happen.
  void Clicked(sim::SimUi& ui, const scenario::Statement& st, platform::WindowHandle h,
               int controlId, sim::SimUi::Click click);
  // The `open` action: a double click on a list item.
  void OpenItem(sim::SimUi& ui, const scenario::Statement& st, platform::WindowHandle h,
                const scenario::Action& a);
  void RecordDialog(sim::SimUi& ui);
  void Record(const std::string& line);
  [[noreturn]] void Abort(const std::string& message);
  std::string OwnerName(sim::SimUi& ui, platform::WindowHandle owner);
  std::string Where(const scenario::Statement& st) const;

  scenario::ScriptedUser user_;
  std::function<void(char, const std::string&)> insert_;
  std::function<std::string(const std::string&)> shortPath_;
  std::function<void(const std::string&)> record_;
  std::vector<std::string> records_;
  Active active_;
  bool inStatement_ = false;
};

}  // namespace simrun
