#include "scenario/user.h"

#include "scenario/transcript.h"
#include "text/text.h"

namespace scenario {

bool BoxMatches(const Statement& statement, const std::string& caption, const std::string& text) {
  if (statement.kind != Kind::kBox) return false;
  const BoxStatement& box = statement.As<BoxStatement>();
  if (text::Cp1252ToUtf8(caption) != box.caption) return false;
  if (box.hasText && text::Cp1252ToUtf8(text).find(box.text) == std::string::npos) return false;
  return true;
}

int BoxAnswer(const Statement& statement) {
  if (statement.actions.empty() || statement.actions.back().kind != ActionKind::kAnswer) return 0;
  return statement.actions.back().answer;
}

bool WaitHolds(const Action& wait, const ControlState& control) {
  switch (wait.waitFor) {
    case WaitFor::kVisible:
      return control.visible;
    case WaitFor::kEnabled:
      return control.enabled;
    case WaitFor::kText:
      break;
  }
  return text::Cp1252ToUtf8(control.text).find(wait.text) != std::string::npos;
}

std::string DescribeWaitState(const Action& wait, const ControlState& control) {
  switch (wait.waitFor) {
    case WaitFor::kVisible:
      return control.visible ? "is visible" : "is hidden";
    case WaitFor::kEnabled:
      return control.enabled ? "is enabled" : "is disabled";
    case WaitFor::kText:
      break;
  }
  return "shows " + text::Quote(text::Cp1252ToUtf8(control.text));
}

const Statement* ScriptedUser::Next() const {
  return Done() ? nullptr : &scenario_.user[next_];
}

const Statement* ScriptedUser::Take() {
  if (Done()) return nullptr;
  return &scenario_.user[next_++];
}

bool ScriptedUser::TakeFollow() {
  const Statement* st = Next();
  if (st == nullptr || st->kind != Kind::kFollow) return false;
  Take();
  return true;
}

std::string ScriptedUser::DescribeNext() const {
  const Statement* st = Next();
  if (st == nullptr) return "no statements are left";
  return "the next statement (" + Where(scenario_, *st) + ") is '" + st->source + "'";
}

const Statement* ScriptedUser::TakeBox(const std::string& caption, const std::string& text,
                                       std::uint32_t flags, std::string* error) {
  const Statement* st = Next();
  if (st == nullptr || !BoxMatches(*st, caption, text)) {
    *error = "unexpected window: message box caption=" + text::Quote(text::Cp1252ToUtf8(caption)) +
             " text=" + text::Quote(text::Cp1252ToUtf8(text)) + " buttons=" + ButtonsName(flags) +
             "; " + DescribeNext();
    return nullptr;
  }
  int answer = BoxAnswer(*st);
  if (!BoxHasButton(flags, answer)) {
    *error = Where(scenario_, *st) + ": the answer '" + AnswerName(answer) +
             "' is not a button of the box (buttons=" + ButtonsName(flags) + ")";
    return nullptr;
  }
  return Take();
}

const Statement* ScriptedUser::TakeDialog(int templateId, std::string* error) {
  const Statement* st = Next();
  if (st == nullptr || st->kind != Kind::kDialog ||
      st->As<DialogStatement>().dialogId != templateId) {
    *error = "unexpected window: dialog " + std::to_string(templateId) + " waits for the user; " +
             DescribeNext();
    return nullptr;
  }
  return Take();
}

std::string ScriptedUser::UnusedError() const {
  std::string out;
  for (std::size_t i = next_; i < scenario_.user.size(); ++i) {
    if (!out.empty()) out += "\n";
    out += Where(scenario_, scenario_.user[i]) + ": unused statement: " + scenario_.user[i].source;
  }
  return out;
}

}  // namespace scenario
