// The full-screen background window behind every dialog of a setup run:
// caption, blue gradient, product logo.
#pragma once

#include <string>

#include "platform/machine.h"
#include "setup/state.h"

namespace ui {

class BackgroundWindow : public platform::DialogHandler {
 public:
  explicit BackgroundWindow(setup::SetupState& state) : state_(state) {}

  bool OnInitDialog(platform::WindowHandle dialog) override;
  bool OnPaint(platform::WindowHandle dialog, platform::Painter& painter) override;
  bool OnNcActivate(platform::WindowHandle dialog, bool active, bool* result) override;

  // The caption for the state's product and mode.
  static std::string Caption(setup::SetupState& state);
  // The product name as the caption shows it ("Halvorn+", "Halvorn SE").
  static std::string CaptionProductName(const setup::SetupState& state);

  bool FirstPaintDone() const { return firstPaintDone_; }

 private:
  static void PaintGradient(platform::Painter& painter);
  void PaintLogo(platform::Painter& painter);

  setup::SetupState& state_;
  bool firstPaintDone_ = false;
};

}  // namespace ui
