#include "scenario/engine.h"

#include "scenario/transcript.h"
#include "text/text.h"

namespace scenario {
namespace {

// Marks the engine as inside an action for as long as it lives (restored
// also when a driver's failure unwinds through it).
class InAction {
 public:
  explicit InAction(int& depth) : depth_(depth) { ++depth_; }
  ~InAction() { --depth_; }
  InAction(const InAction&) = delete;
  InAction& operator=(const InAction&) = delete;

 private:
  int& depth_;
};

bool NeedsControl(ActionKind kind) {
  return kind != ActionKind::kInsert && kind != ActionKind::kKey && kind != ActionKind::kAnswer;
}

std::string Dialog(int templateId) { return "dialog " + std::to_string(templateId); }

}  // namespace

std::string Engine::Where(const Statement& st) const {
  return scenario::Where(user_.scenario(), st);
}

void Engine::Fail(const std::string& message) {
  if (failed_) return;
  // A driver that throws stops the run here; one that returns leaves the
  // engine failed, and it does nothing more.
  driver_.Fail(message);
  failed_ = true;
}

// ------------------------------------------------------------------ windows

int Engine::AnswerBox(Window box, int ownerTemplate, const std::string& caption, const std::string& text,
                      std::uint32_t flags) {
  if (failed_) return 0;
  std::string error;
  const Statement* st = user_.TakeBox(caption, text, flags, &error);
  if (st == nullptr) {
    driver_.Shot(box, "unexpected-box");
    Fail(error);
    return 0;
  }
  const int answer = BoxAnswer(*st);
  driver_.Record(FormatBox(OwnerName(ownerTemplate, background_), flags, caption, text, answer));
  driver_.Shot(box, "box");
  for (const Action& a : st->actions) {
    if (a.kind != ActionKind::kInsert) continue;
    if (!driver_.Insert(a.drive, a.text, &error)) {
      Fail(Where(*st) + ": '" + a.written + "': " + error);
      return 0;
    }
  }
  driver_.Progressed();
  return answer;
}

void Engine::WindowShown(Window window, int templateId, const std::string& title) {
  driver_.Record(FormatWindow(templateId, OwnerName(driver_.OwnerTemplate(window), background_),
                              title));
  driver_.Shot(window, "window-" + std::to_string(templateId));
}

// ------------------------------------------------------------------ statements

void Engine::Begin(const Statement* statement, Window dialog, int templateId) {
  active_ = Active{};
  active_.statement = statement;
  active_.dialog = dialog;
  active_.templateId = templateId;
  driver_.Progressed();
}

void Engine::Finish() {
  active_ = Active{};
  if (!suspended_.empty()) {
    active_ = suspended_.back();
    suspended_.pop_back();
  }
}

bool Engine::StartNext(Window modal) {
  if (failed_ || active_.statement != nullptr) return false;
  const Statement* st = user_.Next();
  if (st == nullptr || st->kind != Kind::kDialog) return false;
  const int templateId = st->As<DialogStatement>().dialogId;
  Window target = driver_.FindOpenDialog(templateId, modal);
  if (target == kNoWindow) return false;
  Begin(user_.Take(), target, templateId);
  return true;
}

bool Engine::RunDue(Window modal) {
  if (inAction_ > 0 && modal == kNoWindow) return false;
  bool ran = false;
  for (;;) {
    if (active_.statement == nullptr && !StartNext(modal)) break;
    const std::size_t before = active_.next;
    const bool wasRecorded = active_.recorded;
    const Step step = Continue();
    if (active_.next != before || active_.recorded != wasRecorded) ran = true;
    if (step != Step::kDone) break;
    ran = true;
  }
  return ran;
}

Engine::Taken Engine::TakeModal(Window dialog, int templateId) {
  if (active_.statement != nullptr && !active_.pending) return Taken::kHeldBack;
  const Statement* next = user_.Next();
  if (next == nullptr || next->kind != Kind::kDialog ||
      next->As<DialogStatement>().dialogId != templateId)
    return Taken::kNotNext;
  if (active_.statement != nullptr) suspended_.push_back(active_);
  Begin(user_.Take(), dialog, templateId);
  return Taken::kTaken;
}

void Engine::FailUnexpectedDialog(Window dialog, int templateId) {
  std::string error;
  user_.TakeDialog(templateId, &error);
  driver_.Shot(dialog, "unexpected-dialog-" + std::to_string(templateId));
  Fail(error);
}

void Engine::RecordDialog() {
  if (active_.recorded) return;
  active_.recorded = true;
  const Statement& st = *active_.statement;
  const Window h = active_.dialog;
  std::vector<std::pair<int, std::string>> controls;
  for (int id : st.As<DialogStatement>().readControls) {
    std::vector<std::string> entries;
    if (driver_.ReadList(h, id, &entries)) {
      controls.emplace_back(id, JoinListEntries(entries));
    } else {
      controls.emplace_back(id, driver_.ReadControl(h, id).text);
    }
  }
  driver_.Record(FormatDialog(active_.templateId, OwnerName(driver_.OwnerTemplate(h), background_),
                              driver_.Title(h), controls, st));
  driver_.Shot(h, "dialog-" + std::to_string(active_.templateId));
}

Engine::Step Engine::Continue() {
  if (failed_) return Step::kFailed;
  if (active_.statement == nullptr) return Step::kIdle;
  InAction inAction(inAction_);
  if (active_.pending) {
    if (!driver_.ActionFinished(active_.token)) return Step::kWaiting;
    active_.pending = false;
    driver_.Progressed();
  }
  const Statement& st = *active_.statement;
  while (active_.next < st.actions.size()) {
    const Action& a = st.actions[active_.next];
    if (!driver_.IsOpen(active_.dialog)) {
      Fail(Where(st) + ": " + Dialog(active_.templateId) + " went away before '" + a.written +
           "'");
      return Step::kFailed;
    }
    if (NeedsControl(a.kind) && !driver_.HasControl(active_.dialog, a.control)) {
      Fail(Where(st) + ": " + Dialog(active_.templateId) + " has no control " +
           std::to_string(a.control));
      return Step::kFailed;
    }
    if (a.kind == ActionKind::kWait) {
      if (!WaitHolds(a, driver_.ReadControl(active_.dialog, a.control))) return Step::kWaiting;
      driver_.Shot(kNoWindow, "wait-" + std::to_string(active_.templateId));
      driver_.Progressed();
      ++active_.next;
      continue;
    }
    RecordDialog();
    ++active_.next;
    // An action may open a modal dialog that runs statements of its own
    // within it (Browse opens the directory browser on the simulated
    // machine): none is running meanwhile, and this one goes on after.
    const Active saved = active_;
    active_ = Active{};
    const Outcome outcome = Perform(saved, a);
    if (failed_) return Step::kFailed;
    if (outcome.code == Outcome::Code::kPending) {
      active_ = saved;
      active_.pending = true;
      active_.token = outcome.token;
      driver_.Progressed();
      return Step::kWaiting;
    }
    if (outcome.code != Outcome::Code::kDone) {
      FailOutcome(saved, a, outcome, a.control);
      return Step::kFailed;
    }
    driver_.Progressed();
    if (active_.statement != nullptr) {
      // A statement started meanwhile still waits (on a modeless dialog).
      if (saved.next < st.actions.size()) {
        Fail(Where(st) + ": '" + st.actions[saved.next].written +
             "' cannot run while the statement '" + active_.statement->source + "' waits");
        return Step::kFailed;
      }
      return Step::kWaiting;
    }
    active_ = saved;
  }
  if (driver_.IsOpen(active_.dialog)) RecordDialog();
  Finish();
  return Step::kDone;
}

Outcome Engine::Perform(const Active& active, const Action& a) {
  const Statement& st = *active.statement;
  const Window h = active.dialog;
  switch (a.kind) {
    case ActionKind::kSet: {
      std::string typed = text::Utf8ToCp1252(a.text);
      if (a.shortPath) {
        std::string alias;
        if (!driver_.ShortPath(typed, &alias)) {
          Fail(Where(st) + ": no 8.3 alias of " + a.text);
          return Outcome::Failed(Outcome::Code::kFailed);
        }
        typed = alias;
      }
      return driver_.SetText(h, a.control, typed);
    }
    case ActionKind::kPress:
      return driver_.Press(h, a.control);
    case ActionKind::kKey: {
      int button = 0;
      Outcome o = driver_.PressKey(h, a.key, &button);
      if (o.code != Outcome::Code::kDone && o.code != Outcome::Code::kPending) {
        FailOutcome(active, a, o, button);
      }
      return o;
    }
    case ActionKind::kDblClick: {
      const std::string where = Where(st) + ": ";
      const std::string dialog = Dialog(active.templateId);
      std::vector<std::string> entries;
      if (!driver_.ReadList(h, a.control, &entries)) {
        Fail(where + dialog + " has no list box " + std::to_string(a.control));
        return Outcome::Failed(Outcome::Code::kFailed);
      }
      if (!driver_.ReadControl(h, a.control).enabled) {
        return Outcome::Failed(Outcome::Code::kControlDisabled);
      }
      const std::string wanted = text::Utf8ToCp1252(a.text);
      for (std::size_t i = 0; i < entries.size(); ++i) {
        if (text::EqualsIgnoreCase(entries[i], wanted))
          return driver_.DoubleClickEntry(h, a.control, static_cast<int>(i), entries[i]);
      }
      Fail(where + "list " + std::to_string(a.control) + " of " + dialog + " has no entry " +
           text::Quote(a.text) + " (it holds " +
           text::Quote(text::Cp1252ToUtf8(JoinListEntries(entries))) + ")");
      return Outcome::Failed(Outcome::Code::kFailed);
    }
    case ActionKind::kOpen:
      return driver_.OpenItem(h, a.control, text::Utf8ToCp1252(a.text));
    case ActionKind::kInsert: {
      std::string error;
      if (!driver_.Insert(a.drive, a.text, &error)) {
        Fail(Where(st) + ": '" + a.written + "': " + error);
        return Outcome::Failed(Outcome::Code::kFailed);
      }
      return Outcome::Done();
    }
    case ActionKind::kAnswer:
    case ActionKind::kWait:
      break;
  }
  Fail(Where(st) + ": '" + a.written + "' is no action of a dialog statement");
  return Outcome::Failed(Outcome::Code::kFailed);
}

// The one text of each failure of an action.
bool Engine::FailOutcome(const Active& active, const Action& a, const Outcome& o, int control) {
  if (failed_) return false;
  const std::string where = Where(*active.statement) + ": ";
  const std::string dialog = Dialog(active.templateId);
  const std::string id = std::to_string(control);
  switch (o.code) {
    case Outcome::Code::kDone:
    case Outcome::Code::kPending:
      return true;
    case Outcome::Code::kDialogDisabled:
      Fail(where + dialog + " is disabled");
      break;
    case Outcome::Code::kNoControl:
      Fail(where + dialog + " has no control " + id);
      break;
    case Outcome::Code::kControlDisabled:
      Fail(where + "control " + id + " of " + dialog + " is disabled");
      break;
    case Outcome::Code::kNoItem:
      Fail(where + "'" + a.written + "': the list holds no such item (it holds " +
           text::Cp1252ToUtf8(o.detail) + ")");
      break;
    case Outcome::Code::kFailed:
      Fail(where + "'" + a.written + "': " + o.detail);
      break;
  }
  return false;
}

void Engine::DialogGone(Window dialog, int templateId, bool modal, bool othersOpen) {
  const Statement* waiting = nullptr;
  if (active_.statement != nullptr && active_.dialog == dialog) {
    waiting = active_.statement;
  } else if (!modal && active_.statement == nullptr) {
    const Statement* next = user_.Next();
    if (next != nullptr && next->kind == Kind::kDialog &&
        next->As<DialogStatement>().dialogId == templateId &&
        !othersOpen)
      waiting = next;
  }
  if (waiting == nullptr || failed_) return;
  active_ = Active{};
  Fail(Where(*waiting) + ": " + Dialog(templateId) + " went away before the statement '" +
       waiting->source + "' could run");
}

// ------------------------------------------------------------------ texts

std::string Engine::WhyDialogWaits(int templateId) {
  if (active_.statement == nullptr) {
    return "unexpected window: " + Dialog(templateId) + " waits for the user; " +
           user_.DescribeNext();
  }
  const Action& a = active_.statement->actions[active_.next];
  return Where(*active_.statement) + ": " + Dialog(templateId) + " waits for the user, but '" +
         a.written + "' does not hold (control " + std::to_string(a.control) + " " +
         DescribeWaitState(a, driver_.ReadControl(active_.dialog, a.control)) +
         ", and no timer runs that could change it)";
}

std::string Engine::DescribeWaiting() const {
  if (active_.statement == nullptr) return user_.DescribeNext();
  return Where(*active_.statement) + ": '" + active_.statement->source + "' did not complete";
}

std::string Engine::Unfinished() const {
  if (active_.statement == nullptr) return "";
  return Where(*active_.statement) + ": the program ended before '" + active_.statement->source +
         "' completed";
}

}  // namespace scenario
