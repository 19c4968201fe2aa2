#include "ui/background_window.h"

#include <cstdio>

#include "text/text.h"
#include "ui/dialog_templates.h"

namespace ui {

std::string BackgroundWindow::CaptionProductName(const setup::SetupState& state) {
  std::string name = state.productName;
  if (state.seEdition) {
    name += " SE";
  } else {
    if (text::Contains(state.productName, "Halvorn")) name += "+";
    if (text::Contains(state.productName, "Pellidor")) name += "+";
  }
  return name;
}

std::string BackgroundWindow::Caption(setup::SetupState& state) {
  int member = state.mode == setup::Mode::kRestart ? 1 : 0;
  // The format is shown as stored: the platform text keeps what SETUP.DAT
  // says rather than the running Windows version.
  const char* format = state.catalog.Text(setup::MSG_BACKGROUND_TITLE, state.language, member);
  std::string product = CaptionProductName(state);
  char caption[256];
  std::snprintf(caption, sizeof caption, format, product.c_str(), state.version.c_str(),
                state.platformText.c_str());
  return caption;
}

bool BackgroundWindow::OnInitDialog(platform::WindowHandle dialog) {
  window_ = platform::Dialog(state_.machine.ui, dialog);
  window_.SetText(Caption(state_));
  window_.Show(platform::sw::kShowMaximized);
  return true;
}

void BackgroundWindow::PaintGradient(platform::Painter& painter) {
  platform::Rect client = painter.ClientRect();
  double step = static_cast<double>(client.Height()) / 256.0;
  for (int i = 0; i < 256; ++i) {
    platform::Rect band;
    band.left = 0;
    band.right = client.Width() + 1;
    band.top = static_cast<int>(i * step);
    band.bottom = static_cast<int>((i + 1) * step);
    painter.FillSolid(band, platform::Rgb(0, 0, 255 - i));
  }
}

void BackgroundWindow::PaintLogo(platform::Painter& painter) {
  // A bitmap that cannot be loaded leaves the logo out.
  if (text::Contains(state_.productName, "RQ-TAPE")) {
    painter.DrawBitmap(kOemLogoBitmap, 10, 10, platform::Rop::kSrcCopy);
  } else {
    // The shadow first, offset down and right, then the logo's dark parts
    // in white over it.
    if (painter.DrawBitmap(kLogoBitmap, 3, 3, platform::Rop::kSrcAnd)) {
      painter.DrawBitmap(kLogoBitmap, 0, 0, platform::Rop::kMergePaint);
    }
  }
}

bool BackgroundWindow::OnPaint(platform::WindowHandle, platform::Painter& painter) {
  PaintGradient(painter);
  painter.DefaultPaint();
  if (!firstPaintDone_) {
    PaintGradient(painter);
    firstPaintDone_ = true;
  }
  PaintLogo(painter);
  return true;
}

bool BackgroundWindow::OnNcActivate(platform::WindowHandle, bool active, bool* result) {
  if (active) return false;
  // Keep the caption drawn as active while dialogs are in front.
  *result = true;
  return true;
}

}  // namespace ui
