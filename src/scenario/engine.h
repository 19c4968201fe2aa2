// The scenario engine: what the user's statements do, once for both
// runners. The engine keeps the order of the statements (ScriptedUser),
// runs the actions of a dialog statement one after the other, records the
// transcript, and words every failure. A runner only implements
// WindowDriver: it finds windows, reads controls and presses buttons, on
// the simulated machine (tools/simrun) or on the real windows under Wine
// (tools/uidriver).
//
//   class MyDriver : public scenario::WindowDriver { ... };
//   scenario::Engine engine(scn, driver, backgroundTemplate);
//   // a message box is up:
//   int answer = engine.AnswerBox(box, owner, caption, text, flags);  // 0: failed
//   // a modeless dialog is shown for the first time:
//   engine.WindowShown(dialog, templateId, title);
//   // the simulated machine's modal loop or pump:
//   engine.RunDue(modal);
//   // the Wine driver's poll:
//   engine.TakeModal(dialog, templateId); engine.StartNext(kNoWindow); engine.Continue();
//   // the program ended:
//   std::string unfinished = engine.Unfinished();
//
// A pressed button may be handled at once (the simulated machine, which
// may run a nested modal dialog's statements within the press) or later
// (Wine: the press returns kPending with a token, and the statement goes
// on once ActionFinished(token) says the click was handled).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scenario/scenario.h"
#include "scenario/user.h"

namespace scenario {

// A window as its driver knows it (a handle of the simulated machine, an
// HWND); 0 is none.
using Window = std::uintptr_t;
inline constexpr Window kNoWindow = 0;

// What became of an action the driver was asked to carry out.
struct Outcome {
  enum class Code {
    kDone,             // carried out
    kPending,          // started; finished when ActionFinished(token) says so
    kDialogDisabled,   // the dialog takes no input
    kNoControl,        // the dialog has no such control
    kControlDisabled,  // the control is disabled
    kNoItem,           // `open`: the list holds no such item; detail: the items it holds
    kFailed,           // detail says what went wrong
  };
  Code code = Code::kDone;
  std::string detail;
  std::uintptr_t token = 0;

  static Outcome Done() { return Outcome{}; }
  static Outcome Pending(std::uintptr_t token) { return Outcome{Code::kPending, "", token}; }
  static Outcome Failed(Code code, std::string detail = "") {
    return Outcome{code, std::move(detail), 0};
  }
};

// The runner's part: finding windows, reading them, and acting on them.
// Texts are Windows-1252, as the program shows them.
class WindowDriver {
 public:
  virtual ~WindowDriver() = default;

  // The open dialog of that template a statement can act on; `modal` is
  // the modal dialog whose loop waits (kNoWindow when none does).
  virtual Window FindOpenDialog(int templateId, Window modal) = 0;
  virtual bool IsOpen(Window dialog) = 0;
  virtual bool HasControl(Window dialog, int control) = 0;
  virtual ControlState ReadControl(Window dialog, int control) = 0;
  // A list box's entries in list order; false when the control is none.
  virtual bool ReadList(Window dialog, int control, std::vector<std::string>* entries) = 0;
  virtual std::string Title(Window window) = 0;
  // The template of the window's owner (0 when it has none or it is not
  // one of the program's dialogs).
  virtual int OwnerTemplate(Window window) = 0;

  virtual Outcome SetText(Window dialog, int control, const std::string& text) = 0;
  // The 8.3 alias the machine gives an existing path; false when none.
  virtual bool ShortPath(const std::string& path, std::string* alias) = 0;
  virtual Outcome Press(Window dialog, int control) = 0;
  // A key on the dialog; *button is the button it clicks, where known.
  virtual Outcome PressKey(Window dialog, Key key, int* button) = 0;
  // Selects entry `index` (whose text is `entry`) of a list box, then the
  // dialog gets the selection change and double-click notifications.
  virtual Outcome DoubleClickEntry(Window dialog, int control, int index,
                                   const std::string& entry) = 0;
  // Double-clicks the list item with exactly that text.
  virtual Outcome OpenItem(Window dialog, int control, const std::string& item) = 0;
  // Swaps the disk of a drive (folder as written); false with *error.
  virtual bool Insert(char drive, const std::string& folder, std::string* error) = 0;

  // Whether the action that returned kPending with `token` is handled.
  virtual bool ActionFinished(std::uintptr_t /*token*/) { return true; }
  // A transcript record, in order.
  virtual void Record(const std::string& record) = 0;
  // The run does not match the scenario; the driver stops it (it may
  // throw, the engine holds nothing that needs freeing).
  virtual void Fail(const std::string& message) = 0;
  // A screenshot of a window (kNoWindow: the whole screen) named `what`.
  virtual void Shot(Window /*window*/, const std::string& /*what*/) {}
  // Something happened (for a driver that notices a run that stands still).
  virtual void Progressed() {}
};

class Engine {
 public:
  Engine(const Scenario& scenario, WindowDriver& driver, int backgroundTemplate)
      : user_(scenario), driver_(driver), background_(backgroundTemplate) {}

  // ---------------------------------------------------------- windows
  // A message box is up: takes its statement, records it, swaps the disks
  // of its `insert` actions and returns the answer (0 when the run failed).
  // `box` is the box's window where the driver has one (for screenshots),
  // `ownerTemplate` the template of its owner (0: none).
  int AnswerBox(Window box, int ownerTemplate, const std::string& caption,
                const std::string& text, std::uint32_t flags);
  // A modeless dialog is shown for the first time: its record.
  void WindowShown(Window window, int templateId, const std::string& title);

  // ---------------------------------------------------------- dialog statements
  // Starts and runs the statements due on open dialogs as far as they go
  // (`modal`: the modal dialog whose loop runs, kNoWindow for a pump).
  // True when any action ran. A pump inside an action's own handling
  // starts nothing.
  bool RunDue(Window modal);
  // Starts the next statement when it is for an open dialog and none runs.
  bool StartNext(Window modal);
  enum class Taken { kTaken, kHeldBack, kNotNext };
  // A modal dialog appeared: the next statement takes it when it is for its
  // template. A running statement holds it back unless its pending click
  // is what opened it (that statement then goes on after this one).
  Taken TakeModal(Window dialog, int templateId);
  // A modal dialog waits for the user and no statement is for it.
  void FailUnexpectedDialog(Window dialog, int templateId);
  enum class Step { kIdle, kWaiting, kDone, kFailed };
  // Runs the running statement's actions as far as its waits allow.
  Step Continue();
  // A dialog was destroyed: fails the run when the running statement, or
  // the next one (for a modeless dialog of which none is left open), was
  // for it.
  void DialogGone(Window dialog, int templateId, bool modal, bool othersOpen);

  // ---------------------------------------------------------- state and texts
  bool HasRunning() const { return active_.statement != nullptr; }
  bool Failed() const { return failed_; }
  // Why a modal dialog waits for the user with nothing left to do.
  std::string WhyDialogWaits(int templateId);
  // What the run waits for: the running statement, else the next one.
  std::string DescribeWaiting() const;
  // The program ended: the failure when a statement had not completed, "".
  std::string Unfinished() const;
  ScriptedUser& user() { return user_; }
  const ScriptedUser& user() const { return user_; }

 private:
  struct Active {
    const Statement* statement = nullptr;
    Window dialog = kNoWindow;
    int templateId = 0;
    std::size_t next = 0;
    bool recorded = false;
    bool pending = false;
    std::uintptr_t token = 0;
  };

  void Begin(const Statement* statement, Window dialog, int templateId);
  void Finish();
  void RecordDialog();
  // Carries out one action (not a wait) on `active`'s dialog.
  Outcome Perform(const Active& active, const Action& a);
  bool FailOutcome(const Active& active, const Action& a, const Outcome& o, int control);
  void Fail(const std::string& message);
  std::string Where(const Statement& st) const;

  ScriptedUser user_;
  WindowDriver& driver_;
  int background_;
  Active active_;
  // Statements whose pending click opened a modal dialog, waiting for it.
  std::vector<Active> suspended_;
  int inAction_ = 0;
  bool failed_ = false;
};

}  // namespace scenario
