// The license agreement dialog: the product's license text, Agree and
// Cancel, Cancel being the default button. Shown to English installations
// before anything is installed.
#pragma once

#include <string>

#include "platform/dialog.h"
#include "platform/machine.h"
#include "setup/state.h"
#include "ui/dialog_ids.h"

namespace ui {

// The license text as stored: CR LF line breaks, the product placeholder
// "Halvorn+" and the company marker "!!co_long!!".
const char* LicenseTextSource();
// The title as stored, with the company marker "!!co_shrt!!".
const char* LicenseTitleSource();

// Both expanded for the state's product and company (owned by the
// expansion cache).
const char* ExpandedLicenseText(setup::SetupState& state);
const char* ExpandedLicenseTitle(setup::SetupState& state);

class LicenseAgreementDialog : public platform::DialogHandler {
 public:
  static constexpr int kTemplate = ids::license::kTemplate;

  explicit LicenseAgreementDialog(setup::SetupState& state)
      : DialogHandler(kTemplate), state_(state) {}

  bool OnInitDialog(platform::WindowHandle dialog) override;

 private:
  setup::SetupState& state_;
  platform::Dialog window_;
};

}  // namespace ui
