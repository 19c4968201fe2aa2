// The scripted user: the user's statements of a scenario, used one after
// the other as windows need them. Both runners use it the same way:
//
//   scenario::ScriptedUser user(scenario);
//   // a message box is up (texts Windows-1252, as the program shows them):
//   const Statement* st = user.TakeBox(caption, text, flags, &error);
//   if (!st) fail(error);          // "unexpected window: message box ..."
//   // insert actions of st->actions, then answer with BoxAnswer(*st).
//   // a modal dialog waits for the user:
//   st = user.TakeDialog(templateId, &error);
//   // a modeless dialog is open: when user.Next() is a dialog statement for
//   // it, run its actions once its leading `wait` conditions hold, then
//   // user.Take().
//   // at the end of the program:
//   if (user.TakeFollow()) { run the program it started, with the same user }
//   else if (!user.Done()) fail(user.UnusedError());
//
// The matcher only keeps the order and checks the match; running the
// actions is the scenario engine's part (engine.h), which both runners use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "scenario/scenario.h"

namespace scenario {

// Whether a box statement fits a box: the caption is equal and, when the
// statement has a `text` condition, the box's text contains it. caption and
// text are Windows-1252 as shown.
bool BoxMatches(const Statement& statement, const std::string& caption, const std::string& text);

// The answer of a box statement (its last action); 0 when it has none.
int BoxAnswer(const Statement& statement);

// What a runner reads of a control for a `wait` action: its text
// (Windows-1252) and whether it is visible and enabled.
struct ControlState {
  std::string text;
  bool visible = true;
  bool enabled = true;
};

// Whether the control satisfies a `wait` action.
bool WaitHolds(const Action& wait, const ControlState& control);

// What the control shows of the wait's condition, for the message of a
// wait that does not hold: `shows "<text>"`, `is hidden`, `is disabled`.
std::string DescribeWaitState(const Action& wait, const ControlState& control);

class ScriptedUser {
 public:
  explicit ScriptedUser(const Scenario& scenario) : scenario_(scenario) {}

  // The next statement not yet used, or null when all are used.
  const Statement* Next() const;
  // Uses the next statement; returns it (null when none is left).
  const Statement* Take();

  // A message box appeared. Uses and returns the next statement when it is
  // a box statement that fits the box and whose answer is one of the box's
  // buttons; otherwise returns null and sets *error.
  const Statement* TakeBox(const std::string& caption, const std::string& text,
                           std::uint32_t flags, std::string* error);
  // A modal dialog from template `templateId` waits for the user. Uses and
  // returns the next statement when it is a dialog statement for that
  // template; otherwise returns null and sets *error.
  const Statement* TakeDialog(int templateId, std::string* error);

  // The program ended: when the next statement is `follow`, uses it and
  // returns true (the statements after it answer the program the ended one
  // started); false otherwise, nothing used.
  bool TakeFollow();

  bool Done() const { return next_ >= scenario_.user.size(); }
  // One line per statement not used: "<file>:<line>: unused statement: <source>".
  std::string UnusedError() const;
  // "the next statement (<file>:<line>) is '<source>'" or "no statements are left".
  std::string DescribeNext() const;

  const Scenario& scenario() const { return scenario_; }

 private:
  const Scenario& scenario_;
  std::size_t next_ = 0;
};

}  // namespace scenario
