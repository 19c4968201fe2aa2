// The copy progress dialog ("File Copy"): the file being copied, a bar for
// the current file, a bar for all files, and Cancel with confirmation. It
// runs no message loop of its own: the copy engine asks it after every
// block whether the user cancelled (CancelRequested), and it lets pending
// messages through then when kPumpInterval has passed since the last time.
// What it shows is brought up to date at those times (Refresh), and by the
// engine before it asks the user anything; in between only the counts
// move. On the disks the program was written for a block took longer than
// the interval, so every block still lets messages through there; on a
// fast disk the window stays responsive and Cancel is honoured within the
// interval and one block, without the cost of a pump and a repaint per
// block (under Wine a pump is a round trip to its server).
#pragma once

#include <cstdint>
#include <string>

#include "platform/dialog.h"
#include "platform/machine.h"
#include "setup/state.h"
#include "ui/dialog_ids.h"

namespace install {

// Controls of the dialog's template, by name.
namespace progress_ctl = ui::ids::copy_progress;

constexpr int kCompletionTimer = 1;
constexpr std::uint32_t kCompletionTimerPeriod = 2000;  // milliseconds
constexpr int kCompletionTicks = 2;
// The most time, in milliseconds of System::GetTickCount, between two
// times the copy lets messages through and the window is brought up to
// date.
constexpr std::uint32_t kPumpInterval = 50;

enum class ProgressMode { kBegin, kBlock, kNextFile, kComplete };

// A static control drawn as a filled bar with a centred percentage.
class PercentBar {
 public:
  static constexpr platform::Color kBarColor = platform::Rgb(0, 0, 255);
  static constexpr platform::Color kBackColor = platform::Rgb(255, 255, 255);
  static constexpr platform::Color kFrameColor = platform::Rgb(0, 0, 0);

  // Takes over the dialog's static control: from now on the dialog handler
  // forwards its paint messages here. Sets the maximum and invalidates the
  // control with erasing.
  void Attach(platform::Dialog dialog, int controlId, std::uint32_t maximum);
  // The maximum alone, without a redraw (the next position change redraws).
  void SetMaximum(std::uint32_t maximum) { maximum_ = maximum; }
  // Position = the smaller of value and maximum; invalidates with erasing
  // when the bar would then look different from its last paint (another
  // split point or percentage text, or no paint yet). Returns whether it
  // invalidated: the bar is drawn for every block of a file, and a repaint
  // that changes no pixel is the costliest part of a block under Wine.
  bool SetPosition(std::uint32_t value);
  // The paint message: frame, filled part, percentage white on blue over the
  // filled part and blue on white over the rest. A maximum of 0 becomes 1.
  void Paint(platform::Painter& painter);

  std::uint32_t Maximum() const { return maximum_; }
  std::uint32_t Position() const { return position_; }
  int ControlId() const { return controlId_; }

 private:
  platform::Dialog dialog_;
  int controlId_ = 0;
  std::uint32_t maximum_ = 100;
  std::uint32_t position_ = 0;
  // What the last paint showed.
  bool painted_ = false;
  int paintedWidth_ = 0;
  std::uint16_t paintedFilled_ = 0;
  std::uint16_t paintedPercent_ = 0;
  platform::Color barColor_ = kBarColor;
  platform::Color backColor_ = kBackColor;
};

class CopyProgressDialog : public platform::DialogHandler {
 public:
  static constexpr int kTemplate = ui::ids::copy_progress::kTemplate;

  explicit CopyProgressDialog(setup::SetupState& state)
      : DialogHandler(kTemplate), state_(state), window_(state.machine.ui, platform::kNoWindow) {}
  ~CopyProgressDialog() override;
  CopyProgressDialog(const CopyProgressDialog&) = delete;
  CopyProgressDialog& operator=(const CopyProgressDialog&) = delete;

  // Creates the dialog modelessly from its template, owned by `owner`.
  // Disables the owner while the dialog exists (when it was enabled);
  // enables it again if creation fails. False when creation failed.
  bool Create(platform::WindowHandle owner);
  // Enables the owner again if creation disabled it, then destroys the
  // window.
  void DestroyWindow();
  platform::WindowHandle Window() const { return window_.Handle(); }

  // Moves the counts, the bars' positions and the status text; the window
  // shows them at the next Refresh (kComplete refreshes at once, then holds
  // the completion display).
  void UpdateProgress(ProgressMode mode, const std::string& fileText, std::uint32_t count,
                      std::uint32_t total);
  // An entry passed over: one more file done, nothing redrawn.
  void CountSkippedFile() { ++filesDone_; }
  // Brings the window up to date: the status text when it changed, and
  // each bar repainted at once when it would look different.
  void Refresh();
  // Runs every pending message of the thread without waiting.
  void PumpMessages();
  // Refreshes and pumps when kPumpInterval has passed since the last time
  // (or never did), then returns whether the user confirmed cancelling
  // since the last call, and forgets it.
  bool CancelRequested();

  std::uint32_t BlocksDone() const { return blocksDone_; }
  std::uint32_t FilesDone() const { return filesDone_; }
  int TimerTicks() const { return timerTicks_; }
  const PercentBar& CurrentFileBar() const { return currentBar_; }
  const PercentBar& FilesBar() const { return filesBar_; }

  // Dialog behaviour.
  bool OnInitDialog(platform::WindowHandle dialog) override;
  bool OnCommand(platform::WindowHandle dialog, int id, int notifyCode) override;
  void OnTimer(platform::WindowHandle dialog, int timerId) override;
  void OnPaintControl(platform::WindowHandle dialog, int controlId, platform::Painter& painter) override;
  void OnDestroy(platform::WindowHandle dialog) override;

 private:
  void EnableOwnerAgain();

  setup::SetupState& state_;
  platform::Dialog window_;
  platform::WindowHandle owner_ = platform::kNoWindow;
  PercentBar currentBar_;
  PercentBar filesBar_;
  std::uint32_t blocksDone_ = 0;
  std::uint32_t filesDone_ = 0;
  // What the next Refresh shows.
  std::uint32_t currentMaximum_ = 100;
  std::uint32_t currentPosition_ = 0;
  std::uint32_t filesMaximum_ = 100;
  std::uint32_t filesPosition_ = 0;
  std::string status_;
  bool statusChanged_ = false;
  // When messages last went through.
  bool pumped_ = false;
  std::uint32_t lastPump_ = 0;
  bool cancelFlag_ = false;
  int timerTicks_ = 0;
  bool ownerDisabled_ = false;
};

}  // namespace install
