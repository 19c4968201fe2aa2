#include "simrun/scenario_user.h"

#include <exception>

#include "scenario/transcript.h"
#include "text/text.h"
#include "ui/dialog_ids.h"

namespace simrun {
namespace {

using platform::WindowHandle;

// What the user sees of a control, for `wait` actions.
scenario::ControlState ControlStateOf(sim::SimUi& ui, WindowHandle dialog, int controlId) {
  scenario::ControlState state;
  state.text = ui.GetItemText(dialog, controlId);
  state.visible = ui.IsItemVisible(dialog, controlId);
  state.enabled = ui.IsItemEnabled(dialog, controlId);
  return state;
}

}  // namespace

void ScenarioUser::Record(const std::string& line) {
  records_.push_back(line);
  if (record_) record_(line);
}

void ScenarioUser::Abort(const std::string& message) { throw sim::RunAborted(message); }

std::string ScenarioUser::OwnerName(sim::SimUi& ui, WindowHandle owner) {
  return scenario::OwnerName(owner == platform::kNoWindow ? 0 : ui.TemplateOf(owner),
                             ui::ids::background::kTemplate);
}

std::string ScenarioUser::Where(const scenario::Statement& st) const {
  return scenario::Where(user_.scenario(), st);
}

int ScenarioUser::AnswerMessageBox(sim::SimUi& ui, WindowHandle owner, const std::string& text,
                                   const std::string& caption, std::uint32_t flags) {
  std::string error;
  const scenario::Statement* st = user_.TakeBox(caption, text, flags, &error);
  if (st == nullptr) Abort(error);
  int answer = scenario::BoxAnswer(*st);
  Record(scenario::FormatBox(OwnerName(ui, owner), flags, caption, text, answer));
  for (const scenario::Action& a : st->actions) {
    if (a.kind == scenario::ActionKind::kInsert && insert_) insert_(a.drive, a.text);
  }
  return answer;
}

void ScenarioUser::ModelessDialogShown(sim::SimUi& ui, WindowHandle dialog) {
  Record(scenario::FormatWindow(ui.TemplateOf(dialog), OwnerName(ui, ui.GetOwner(dialog)),
                                ui.GetWindowText(dialog)));
}

bool ScenarioUser::ModelessDialogsOpen(sim::SimUi& ui) {
  return RunStatements(ui, platform::kNoWindow);
}

bool ScenarioUser::ModalDialogWaits(sim::SimUi& ui, WindowHandle dialog) {
  return RunStatements(ui, dialog);
}

std::string ScenarioUser::WhyModalDialogWaits(sim::SimUi& ui, WindowHandle dialog) {
  std::string id = std::to_string(ui.TemplateOf(dialog));
  if (active_.statement == nullptr)
    return "unexpected window: dialog " + id + " waits for the user; " + user_.DescribeNext();
  const scenario::Action& a = active_.statement->actions[active_.next];
  return Where(*active_.statement) + ": dialog " + id + " waits for the user, but '" + a.written +
         "' does not hold (control " + std::to_string(a.control) + " " +
         scenario::DescribeWaitState(a, ControlStateOf(ui, active_.window, a.control)) +
         ", and no timer runs that could change it)";
}

void ScenarioUser::DialogDestroyed(sim::SimUi& ui, WindowHandle dialog, int templateId,
                                   bool modal) {
  // A statement waiting on this dialog can no longer be satisfied.
  const scenario::Statement* waiting = nullptr;
  if (active_.statement != nullptr && active_.window == dialog) {
    waiting = active_.statement;
  } else if (!modal && active_.statement == nullptr) {
    const scenario::Statement* next = user_.Next();
    if (next != nullptr && next->kind == scenario::Kind::kDialog &&
        next->dialogId == templateId && ui.CountWindows(templateId) == 0)
      waiting = next;
  }
  // While the run is already stopping (a window closed by a destructor
  // during the unwinding), a second failure would end the process.
  if (waiting == nullptr || std::uncaught_exceptions() > 0) return;
  active_ = Active();
  Abort(Where(*waiting) + ": dialog " + std::to_string(templateId) +
        " went away before the statement '" + waiting->source + "' could run");
}

bool ScenarioUser::StartNext(sim::SimUi& ui, WindowHandle modal) {
  const scenario::Statement* st = user_.Next();
  if (st == nullptr || st->kind != scenario::Kind::kDialog) return false;
  WindowHandle target = ui.FindOpenDialog(st->dialogId, modal);
  if (target == platform::kNoWindow) return false;
  user_.Take();
  active_ = Active{st, target, 0, false};
  return true;
}

bool ScenarioUser::RunStatements(sim::SimUi& ui, WindowHandle modal) {
  // A pump inside an action's own handling starts no further statement;
  // a modal dialog opened by an action runs its own statements.
  if (inStatement_ && modal == platform::kNoWindow) return false;
  bool ran = false;
  for (;;) {
    if (active_.statement == nullptr && !StartNext(ui, modal)) break;
    std::size_t before = active_.next;
    bool wasRecorded = active_.recorded;
    bool done = Continue(ui);
    if (active_.next != before || active_.recorded != wasRecorded) ran = true;
    if (!done) break;
    active_ = Active();
    ran = true;
  }
  return ran;
}

void ScenarioUser::RecordDialog(sim::SimUi& ui) {
  if (active_.recorded) return;
  active_.recorded = true;
  const scenario::Statement& st = *active_.statement;
  WindowHandle h = active_.window;
  std::vector<std::pair<int, std::string>> controls;
  for (int id : st.readControls) {
    std::vector<std::string> entries;
    if (ui.ListEntries(h, id, &entries)) {
      controls.emplace_back(id, scenario::JoinListEntries(entries));
    } else {
      controls.emplace_back(id, ui.GetItemText(h, id));
    }
  }
  Record(scenario::FormatDialog(st.dialogId, OwnerName(ui, ui.GetOwner(h)), ui.GetWindowText(h),
                                controls, st));
}

bool ScenarioUser::Continue(sim::SimUi& ui) {
  struct Guard {
    bool& flag;
    bool old;
    explicit Guard(bool& f) : flag(f), old(f) { flag = true; }
    ~Guard() { flag = old; }
  } guard(inStatement_);
  const scenario::Statement& st = *active_.statement;
  while (active_.next < st.actions.size()) {
    const scenario::Action& a = st.actions[active_.next];
    WindowHandle h = active_.window;
    if (!ui.IsOpen(h)) {
      Abort(Where(st) + ": dialog " + std::to_string(st.dialogId) + " went away before '" +
            a.written + "'");
    }
    if (a.kind != scenario::ActionKind::kInsert && a.kind != scenario::ActionKind::kKey &&
        !ui.HasControl(h, a.control)) {
      Abort(Where(st) + ": dialog " + std::to_string(st.dialogId) + " has no control " +
            std::to_string(a.control));
    }
    if (a.kind == scenario::ActionKind::kWait) {
      if (!scenario::WaitHolds(a, ControlStateOf(ui, h, a.control))) return false;
      ++active_.next;
      continue;
    }
    RecordDialog(ui);
    ++active_.next;
    // An action may open a modal dialog that runs statements of its own
    // (Browse opens the directory browser): none is active meanwhile, and
    // this statement goes on afterwards.
    const Active saved = active_;
    active_ = Active();
    RunAction(ui, st, saved.window, a);
    if (active_.statement != nullptr) {
      // A statement started meanwhile still waits (on a modeless dialog).
      if (saved.next < st.actions.size()) {
        Abort(Where(st) + ": '" + st.actions[saved.next].written +
              "' cannot run while the statement '" + active_.statement->source +
              "' waits");
      }
      return false;
    }
    active_ = saved;
  }
  RecordDialog(ui);
  return true;
}

void ScenarioUser::RunAction(sim::SimUi& ui, const scenario::Statement& st, WindowHandle h,
                             const scenario::Action& a) {
  switch (a.kind) {
    case scenario::ActionKind::kSet: {
      std::string typed = text::Utf8ToCp1252(a.text);
      if (a.shortPath) {
        if (!shortPath_) Abort(Where(st) + ": no machine gives 8.3 aliases");
        typed = shortPath_(typed);
      }
      ui.TypeText(h, a.control, typed);
      break;
    }
    case scenario::ActionKind::kPress:
      Press(ui, st, h, a.control);
      break;
    case scenario::ActionKind::kDblClick:
      DoubleClick(ui, st, h, a);
      break;
    case scenario::ActionKind::kInsert:
      if (insert_) insert_(a.drive, a.text);
      break;
    case scenario::ActionKind::kOpen:
      OpenItem(ui, st, h, a);
      break;
    case scenario::ActionKind::kKey: {
      int button = 0;
      sim::SimUi::Click click = ui.PressKey(
          h, a.key == scenario::Key::kEnter ? sim::SimUi::Key::kEnter : sim::SimUi::Key::kEscape,
          &button);
      Clicked(ui, st, h, button, click);
      break;
    }
    default:
      break;
  }
}

void ScenarioUser::OpenItem(sim::SimUi& ui, const scenario::Statement& st, WindowHandle h,
                            const scenario::Action& a) {
  std::string where = Where(st) + ": '" + a.written + "': ";
  std::string items;
  switch (ui.OpenListItem(h, a.control, text::Utf8ToCp1252(a.text), &items)) {
    case sim::SimUi::ListOpen::kDone:
      return;
    case sim::SimUi::ListOpen::kNoList:
      Abort(where + "the simulated machine opens items of the file dialog's directory list " +
            "(1121) only");
    case sim::SimUi::ListOpen::kNoItem:
      Abort(where + "the list holds no such item (it holds " + text::Cp1252ToUtf8(items) + ")");
  }
}

void ScenarioUser::Press(sim::SimUi& ui, const scenario::Statement& st, WindowHandle h,
                         int controlId) {
  Clicked(ui, st, h, controlId, ui.PressButton(h, controlId));
}

void ScenarioUser::Clicked(sim::SimUi& ui, const scenario::Statement& st, WindowHandle h,
                           int controlId, sim::SimUi::Click click) {
  std::string where = Where(st) + ": ";
  std::string dialog = std::to_string(ui.TemplateOf(h));
  switch (click) {
    case sim::SimUi::Click::kDone:
      return;
    case sim::SimUi::Click::kDialogDisabled:
      Abort(where + "dialog " + dialog + " is disabled");
    case sim::SimUi::Click::kNoControl:
      Abort(where + "dialog " + dialog + " has no control " + std::to_string(controlId));
    case sim::SimUi::Click::kControlDisabled:
      Abort(where + "control " + std::to_string(controlId) + " of dialog " + dialog +
            " is disabled");
    case sim::SimUi::Click::kNoEntry:
      Abort(where + "control " + std::to_string(controlId) + " of dialog " + dialog +
            " has no such entry");
  }
}

void ScenarioUser::DoubleClick(sim::SimUi& ui, const scenario::Statement& st, WindowHandle h,
                               const scenario::Action& a) {
  std::string where = Where(st) + ": ";
  std::string dialog = std::to_string(ui.TemplateOf(h));
  switch (ui.DoubleClickListEntry(h, a.control, text::Utf8ToCp1252(a.text))) {
    case sim::SimUi::Click::kDone:
      return;
    case sim::SimUi::Click::kDialogDisabled:
      Abort(where + "dialog " + dialog + " is disabled");
    case sim::SimUi::Click::kNoControl:
      Abort(where + "dialog " + dialog + " has no list box " + std::to_string(a.control));
    case sim::SimUi::Click::kControlDisabled:
      Abort(where + "control " + std::to_string(a.control) + " of dialog " + dialog +
            " is disabled");
    case sim::SimUi::Click::kNoEntry:
      Abort(where + "list " + std::to_string(a.control) + " of dialog " + dialog +
            " has no entry " + text::Quote(a.text));
  }
}

}  // namespace simrun
