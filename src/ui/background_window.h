// The full-screen background window behind every dialog of a setup run:
// caption, blue gradient, product logo.
#pragma once

#include <string>

#include "platform/dialog.h"
#include "platform/machine.h"
#include "setup/state.h"
#include "ui/dialog_ids.h"

namespace ui {

class BackgroundWindow : public platform::DialogHandler {
 public:
  static constexpr int kTemplate = ids::background::kTemplate;

  explicit BackgroundWindow(setup::SetupState& state)
      : DialogHandler(kTemplate), state_(state) {}

  bool OnInitDialog(platform::WindowHandle dialog) override;
  bool OnPaint(platform::WindowHandle dialog, platform::Painter& painter) override;
  bool OnNcActivate(platform::WindowHandle dialog, bool active, bool* result) override;

  // The caption for the state's product and mode.
  static std::string Caption(setup::SetupState& state);
  // The product name as the caption shows it ("Halvorn+", "Halvorn SE").
  static std::string CaptionProductName(const setup::SetupState& state);

  bool FirstPaintDone() const { return firstPaintDone_; }
  platform::WindowHandle Window() const { return window_.Handle(); }

 private:
  static void PaintGradient(platform::Painter& painter);
  void PaintLogo(platform::Painter& painter);

  setup::SetupState& state_;
  platform::Dialog window_;
  bool firstPaintDone_ = false;
};

}  // namespace ui
