#include "simrun/scenario_user.h"

#include <exception>

#include "ui/dialog_ids.h"

namespace simrun {
namespace {

using platform::WindowHandle;
using scenario::Outcome;

WindowHandle Handle(scenario::Window w) { return static_cast<WindowHandle>(w); }
scenario::Window Ref(WindowHandle h) { return static_cast<scenario::Window>(h); }

// The machine's answer to a click, as the engine words its failures.
Outcome OutcomeOf(sim::SimUi::Click click) {
  switch (click) {
    case sim::SimUi::Click::kDone:
      return Outcome::Done();
    case sim::SimUi::Click::kDialogDisabled:
      return Outcome::Failed(Outcome::Code::kDialogDisabled);
    case sim::SimUi::Click::kNoControl:
      return Outcome::Failed(Outcome::Code::kNoControl);
    case sim::SimUi::Click::kControlDisabled:
      return Outcome::Failed(Outcome::Code::kControlDisabled);
    case sim::SimUi::Click::kNoEntry:
      return Outcome::Failed(Outcome::Code::kFailed, "the list has no such entry");
  }
  return Outcome::Failed(Outcome::Code::kFailed, "unknown answer of the machine");
}

}  // namespace

ScenarioUser::ScenarioUser(const scenario::Scenario& scenario)
    : engine_(scenario, *this, ui::ids::background::kTemplate) {}

// ------------------------------------------------------------------ sim::User

int ScenarioUser::AnswerMessageBox(sim::SimUi& ui, WindowHandle owner, const std::string& text,
                                   const std::string& caption, std::uint32_t flags) {
  ui_ = &ui;
  // The box has no window of its own on the simulated machine.
  return engine_.AnswerBox(scenario::kNoWindow,
                           owner == platform::kNoWindow ? 0 : ui.TemplateOf(owner), caption, text,
                           flags);
}

void ScenarioUser::ModelessDialogShown(sim::SimUi& ui, WindowHandle dialog) {
  ui_ = &ui;
  engine_.WindowShown(Ref(dialog), ui.TemplateOf(dialog), ui.GetWindowText(dialog));
}

bool ScenarioUser::ModelessDialogsOpen(sim::SimUi& ui) {
  ui_ = &ui;
  return engine_.RunDue(scenario::kNoWindow);
}

bool ScenarioUser::ModalDialogWaits(sim::SimUi& ui, WindowHandle dialog) {
  ui_ = &ui;
  return engine_.RunDue(Ref(dialog));
}

std::string ScenarioUser::WhyModalDialogWaits(sim::SimUi& ui, WindowHandle dialog) {
  ui_ = &ui;
  return engine_.WhyDialogWaits(ui.TemplateOf(dialog));
}

void ScenarioUser::DialogDestroyed(sim::SimUi& ui, WindowHandle dialog, int templateId,
                                   bool modal) {
  ui_ = &ui;
  // While the run is already stopping (a window closed by a destructor
  // during the unwinding), a second failure would end the process.
  if (std::uncaught_exceptions() > 0) return;
  engine_.DialogGone(Ref(dialog), templateId, modal, ui.CountWindows(templateId) > 0);
}

// ------------------------------------------------------------------ the driver

scenario::Window ScenarioUser::FindOpenDialog(int templateId, scenario::Window modal) {
  return Ref(ui().FindOpenDialog(templateId, Handle(modal)));
}

bool ScenarioUser::IsOpen(scenario::Window dialog) { return ui().IsOpen(Handle(dialog)); }

bool ScenarioUser::HasControl(scenario::Window dialog, int control) {
  return ui().HasControl(Handle(dialog), control);
}

scenario::ControlState ScenarioUser::ReadControl(scenario::Window dialog, int control) {
  scenario::ControlState state;
  state.text = ui().GetItemText(Handle(dialog), control);
  state.visible = ui().IsItemVisible(Handle(dialog), control);
  state.enabled = ui().IsItemEnabled(Handle(dialog), control);
  return state;
}

bool ScenarioUser::ReadList(scenario::Window dialog, int control,
                            std::vector<std::string>* entries) {
  return ui().ListEntries(Handle(dialog), control, entries);
}

std::string ScenarioUser::Title(scenario::Window window) {
  return ui().GetWindowText(Handle(window));
}

int ScenarioUser::OwnerTemplate(scenario::Window window) {
  WindowHandle owner = ui().GetOwner(Handle(window));
  return owner == platform::kNoWindow ? 0 : ui().TemplateOf(owner);
}

Outcome ScenarioUser::SetText(scenario::Window dialog, int control, const std::string& text) {
  ui().TypeText(Handle(dialog), control, text);
  return Outcome::Done();
}

bool ScenarioUser::ShortPath(const std::string& path, std::string* alias) {
  return shortPath_ && shortPath_(path, alias);
}

Outcome ScenarioUser::Press(scenario::Window dialog, int control) {
  return OutcomeOf(ui().PressButton(Handle(dialog), control));
}

Outcome ScenarioUser::PressKey(scenario::Window dialog, scenario::Key key, int* button) {
  return OutcomeOf(ui().PressKey(Handle(dialog),
                                 key == scenario::Key::kEnter ? sim::SimUi::Key::kEnter
                                                              : sim::SimUi::Key::kEscape,
                                 button));
}

Outcome ScenarioUser::DoubleClickEntry(scenario::Window dialog, int control, int /*index*/,
                                       const std::string& entry) {
  return OutcomeOf(ui().DoubleClickListEntry(Handle(dialog), control, entry));
}

Outcome ScenarioUser::OpenItem(scenario::Window dialog, int control, const std::string& item) {
  std::string items;
  switch (ui().OpenListItem(Handle(dialog), control, item, &items)) {
    case sim::SimUi::ListOpen::kDone:
      return Outcome::Done();
    case sim::SimUi::ListOpen::kNoList:
      return Outcome::Failed(Outcome::Code::kFailed,
                             "the simulated machine opens items of the file dialog's directory "
                             "list (1121) only");
    case sim::SimUi::ListOpen::kNoItem:
      return Outcome::Failed(Outcome::Code::kNoItem, items);
  }
  return Outcome::Failed(Outcome::Code::kFailed, "unknown answer of the machine");
}

bool ScenarioUser::Insert(char drive, const std::string& folder, std::string* /*error*/) {
  if (insert_) insert_(drive, folder);
  return true;
}

void ScenarioUser::Record(const std::string& record) {
  records_.push_back(record);
  if (record_) record_(record);
}

void ScenarioUser::Fail(const std::string& message) { throw sim::RunAborted(message); }

}  // namespace simrun
