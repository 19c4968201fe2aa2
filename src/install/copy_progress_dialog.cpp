#include "install/copy_progress_dialog.h"

#include <cstdio>

namespace install {

// ---------------------------------------------------------------- PercentBar

void PercentBar::Attach(platform::Dialog dialog, int controlId, std::uint32_t maximum) {
  dialog_ = dialog;
  controlId_ = controlId;
  dialog_.OwnControlPaint(controlId);
  maximum_ = maximum;
  dialog_.InvalidateItem(controlId, true);
}

namespace {

// The filled width and the percentage a bar of `width` inner pixels shows.
// The products are taken in 32-bit unsigned arithmetic and the quotients
// as unsigned 16-bit values, as the bar has always computed them: a file
// of more than about 200 GB of blocks wraps, it does not fault.
struct BarLook {
  std::uint16_t filled;
  std::uint16_t percent;
};

BarLook Look(int width, std::uint32_t position, std::uint32_t maximum) {
  const std::uint32_t w = width > 0 ? static_cast<std::uint32_t>(width) : 0u;
  return {static_cast<std::uint16_t>((w * position) / maximum),
          static_cast<std::uint16_t>((position * 100u) / maximum)};
}

}  // namespace

bool PercentBar::SetPosition(std::uint32_t value) {
  position_ = value < maximum_ ? value : maximum_;
  if (!dialog_.HasWindow()) return false;
  if (painted_) {
    // As Paint will see it: a maximum of 0 counts as 1.
    const std::uint32_t maximum = maximum_ == 0 ? 1u : maximum_;
    const BarLook look = Look(paintedWidth_, position_ < maximum ? position_ : maximum, maximum);
    if (look.filled == paintedFilled_ && look.percent == paintedPercent_) {
      // Left as the paint would leave it (a maximum of 0 stored as 1).
      maximum_ = maximum;
      if (position_ > maximum_) position_ = maximum_;
      return false;
    }
  }
  dialog_.InvalidateItem(controlId_, true);
  return true;
}

void PercentBar::Paint(platform::Painter& painter) {
  platform::Rect client = painter.ClientRect();
  painter.FrameRect(client, kFrameColor);
  platform::Rect inner{client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};

  if (position_ > maximum_) position_ = maximum_;
  if (maximum_ == 0) maximum_ = 1;
  if (position_ > maximum_) position_ = maximum_;

  const int innerWidth = inner.Width();
  const int innerHeight = inner.Height();
  const BarLook look = Look(innerWidth, position_, maximum_);
  const int split = inner.left + look.filled;
  const auto percent = look.percent;
  painted_ = true;
  paintedWidth_ = innerWidth;
  paintedFilled_ = look.filled;
  paintedPercent_ = look.percent;

  char text[16];
  std::snprintf(text, sizeof text, "%3d%%", static_cast<int>(percent));
  platform::Size extent = painter.TextExtent(text);
  const int x = (innerWidth - extent.cx) / 2 + 1;
  const int y = (innerHeight - extent.cy) / 2 + 1;

  platform::Rect emptyPart{split, inner.top, inner.right, inner.bottom};
  painter.DrawTextClipped(x, y, emptyPart, text, barColor_, backColor_);
  platform::Rect filledPart{inner.left, inner.top, split, inner.bottom};
  painter.DrawTextClipped(x, y, filledPart, text, backColor_, barColor_);
}

// ---------------------------------------------------------------- dialog

CopyProgressDialog::~CopyProgressDialog() {
  if (window_.HasWindow()) DestroyWindow();
  EnableOwnerAgain();
}

bool CopyProgressDialog::Create(platform::WindowHandle owner) {
  platform::Ui& ui = state_.machine.ui;
  owner_ = owner;
  if (owner != platform::kNoWindow && ui.IsWindowEnabled(owner)) {
    ui.EnableWindow(owner, false);
    ownerDisabled_ = true;
  }
  platform::WindowHandle window = ui.CreateModeless(owner, *this);
  window_ = platform::Dialog(ui, window);
  if (window == platform::kNoWindow) {
    EnableOwnerAgain();
    return false;
  }
  return true;
}

void CopyProgressDialog::EnableOwnerAgain() {
  if (!ownerDisabled_) return;
  ownerDisabled_ = false;
  state_.machine.ui.EnableWindow(owner_, true);
}

void CopyProgressDialog::DestroyWindow() {
  EnableOwnerAgain();
  platform::Dialog window = window_;
  window_.Detach();
  if (window.HasWindow()) window.Destroy();
}

bool CopyProgressDialog::OnInitDialog(platform::WindowHandle dialog) {
  window_ = platform::Dialog(state_.machine.ui, dialog);
  window_.SetText(setup::Msg(state_, setup::MSG_COPY_LABELS, 0));
  currentBar_.Attach(window_, progress_ctl::kCurrentBar, 100);
  filesBar_.Attach(window_, progress_ctl::kFilesBar, 100);
  window_.SetItemText(progress_ctl::kCurrentLabel, setup::Msg(state_, setup::MSG_COPY_LABELS, 1));
  window_.SetItemText(progress_ctl::kFilesLabel, setup::Msg(state_, setup::MSG_COPY_LABELS, 2));
  window_.SetItemText(progress_ctl::kCancel, setup::Msg(state_, setup::MSG_BUTTON_LABELS, 1));
  return true;
}

// The Cancel button is the dialog's Cancel command, so that Escape and the
// close box ask the same question.
static_assert(progress_ctl::kCancel == platform::cmd::kCancel);

bool CopyProgressDialog::OnCommand(platform::WindowHandle /*dialog*/, int id, int /*notifyCode*/) {
  if (id == platform::cmd::kOk) return true;  // Enter does nothing here
  if (id == platform::cmd::kCancel) {
    // The dialog stays open either way; the engine sees the flag at its
    // next CancelRequested.
    int answer = window_.MessageBox(
        setup::Msg(state_, setup::MSG_CONFIRM_CANCEL, setup::kText),
        setup::Msg(state_, setup::MSG_CONFIRM_CANCEL, setup::kCaption),
        platform::mb::kYesNo | platform::mb::kIconQuestion);
    if (answer == platform::answer::kYes) cancelFlag_ = true;
    return true;
  }
  return false;
}

void CopyProgressDialog::OnTimer(platform::WindowHandle, int timerId) {
  if (timerId == kCompletionTimer) ++timerTicks_;
}

void CopyProgressDialog::OnPaintControl(platform::WindowHandle, int controlId,
                                        platform::Painter& painter) {
  if (controlId == currentBar_.ControlId()) {
    currentBar_.Paint(painter);
  } else if (controlId == filesBar_.ControlId()) {
    filesBar_.Paint(painter);
  }
}

void CopyProgressDialog::OnDestroy(platform::WindowHandle) {
  EnableOwnerAgain();
  window_.Detach();
}

namespace {

// A bar's maximum of 0 counts as 1, as its paint takes it.
std::uint32_t AtLeastOne(std::uint32_t maximum) { return maximum == 0 ? 1u : maximum; }

}  // namespace

void CopyProgressDialog::UpdateProgress(ProgressMode mode, const std::string& fileText,
                                        std::uint32_t count, std::uint32_t total) {
  switch (mode) {
    case ProgressMode::kBegin:
      blocksDone_ = 0;
      currentMaximum_ = count;
      filesDone_ = 0;
      filesMaximum_ = total;
      break;
    case ProgressMode::kBlock:
      ++blocksDone_;
      break;
    case ProgressMode::kNextFile:
      ++filesDone_;
      blocksDone_ = 0;
      currentMaximum_ = count;
      break;
    case ProgressMode::kComplete:
      ++filesDone_;
      break;
  }

  // The current bar stays where it is once a file has more blocks than it counted.
  if (mode != ProgressMode::kComplete && blocksDone_ <= AtLeastOne(currentMaximum_)) {
    currentPosition_ = blocksDone_;
  }
  // A file count that is too small freezes the files bar and the status
  // text once it is passed.
  if (mode != ProgressMode::kBlock && filesDone_ <= AtLeastOne(filesMaximum_)) {
    filesPosition_ = filesDone_;
    status_ = mode == ProgressMode::kComplete
                  ? std::string(setup::Msg(state_, setup::MSG_TRANSFER_COMPLETE))
                  : std::string(setup::Msg(state_, setup::MSG_COPYING)) + fileText;
    statusChanged_ = true;
  }

  if (mode == ProgressMode::kComplete) {
    Refresh();
    if (!window_.HasWindow()) return;
    window_.EnableItem(progress_ctl::kCancel, false);
    // Without a timer there is nothing to wait for; waiting would never end.
    if (window_.SetTimer(kCompletionTimer, kCompletionTimerPeriod)) {
      const int start = timerTicks_;
      // A dialog destroyed meanwhile ends the wait too.
      state_.machine.ui.RunMessagesUntil([this, start] {
        return timerTicks_ - start >= kCompletionTicks || !window_.HasWindow();
      });
      if (window_.HasWindow()) window_.KillTimer(kCompletionTimer);
    }
  }
}

void CopyProgressDialog::Refresh() {
  const bool haveWindow = window_.HasWindow();
  // A bar whose split point and percentage stay as they are is not
  // repainted: it would look the same.
  currentBar_.SetMaximum(AtLeastOne(currentMaximum_));
  if (currentBar_.SetPosition(currentPosition_) && haveWindow) window_.UpdateItem(progress_ctl::kCurrentBar);
  filesBar_.SetMaximum(AtLeastOne(filesMaximum_));
  if (filesBar_.SetPosition(filesPosition_) && haveWindow) window_.UpdateItem(progress_ctl::kFilesBar);
  if (statusChanged_ && haveWindow) {
    window_.SetItemText(progress_ctl::kStatusText, status_);
    statusChanged_ = false;
  }
}

void CopyProgressDialog::PumpMessages() { window_.PumpMessages(); }

bool CopyProgressDialog::CancelRequested() {
  const std::uint32_t now = state_.machine.system.GetTickCount();
  if (!pumped_ || now - lastPump_ >= kPumpInterval) {
    pumped_ = true;
    lastPump_ = now;
    Refresh();
    PumpMessages();
  }
  bool requested = cancelFlag_;
  cancelFlag_ = false;
  return requested;
}

}  // namespace install
