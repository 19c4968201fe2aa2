#include "ui/license_dialog.h"

#include <memory>
#include <string>
#include <vector>

#include "ui/directory_rules.h"

namespace ui {

namespace ctl = ids::license;

namespace {

// The license of the family's products. Written without the digits of a
// Windows version, so that expansion only puts in the names.
constexpr char kLicenseText[] =
    "IMPORTANT: PLEASE READ THIS AGREEMENT BEFORE YOU INSTALL Halvorn+.\r\n"
    "\r\n"
    "This agreement is between you, the person or organisation installing the "
    "software, and !!co_long!!. By choosing Agree you accept its terms. If you do "
    "not accept them, choose Cancel: nothing will be installed, and you may return "
    "the complete package to the place of purchase for a refund.\r\n"
    "\r\n"
    "1. LICENSE. !!co_long!! grants you the right to install and use one copy of "
    "Halvorn+, its tape drivers, its scheduler and its documentation (together, the "
    "software) on one computer at a time, to back up and restore the data of that "
    "computer and of the network drives it reaches. You may make one copy of the "
    "distribution disks for safekeeping.\r\n"
    "\r\n"
    "2. OWNERSHIP. The software is licensed, not sold. !!co_long!! and its "
    "suppliers keep the title and every right not granted here. The tape format "
    "written by the software may be read by any program.\r\n"
    "\r\n"
    "3. RESTRICTIONS. You may not rent, lease or lend the software, place it on a "
    "network server for others to install, or reverse engineer, decompile or "
    "disassemble it, except where the law allows it despite this restriction. You "
    "may transfer the license once, together with every disk and manual, if the "
    "receiver accepts this agreement and you keep no copy.\r\n"
    "\r\n"
    "4. YOUR BACKUPS. A backup is only as good as its last verified restore. "
    "Verify your tapes regularly, keep at least one set away from the computer, "
    "and replace tapes that report errors. The software cannot recover data that "
    "was never written to tape or that a faulty drive recorded incorrectly.\r\n"
    "\r\n"
    "5. LIMITED WARRANTY. !!co_long!! warrants for ninety days from purchase that "
    "the disks are free from defects in materials and workmanship and that the "
    "software performs substantially as its manual describes. Your only remedy is "
    "the replacement of the disks or, if that fails, the refund of the price "
    "paid. ANY OTHER WARRANTY, INCLUDING FITNESS FOR A PARTICULAR PURPOSE, IS "
    "EXCLUDED AS FAR AS THE LAW ALLOWS.\r\n"
    "\r\n"
    "6. LIABILITY. In no event is !!co_long!! liable for lost data, lost profits or "
    "any indirect damage arising from the use of Halvorn+, even if it was told of "
    "the possibility. Its liability never exceeds the price paid for the "
    "license.\r\n"
    "\r\n"
    "7. TERMINATION. This license ends if you break its terms; you must then "
    "remove the software and destroy every copy.\r\n"
    "\r\n"
    "8. UPDATES. An update or upgrade of Halvorn+ replaces the version it updates, "
    "and this agreement covers it unless the update comes with an agreement of its "
    "own. You may keep the earlier version only to restore tapes it wrote.\r\n"
    "\r\n"
    "9. GENERAL. This is the whole agreement about Halvorn+. If a court finds a "
    "part of it unenforceable, the rest stays in force.\r\n";

constexpr char kLicenseTitle[] = "!!co_shrt!! Software License Agreement";

// Expands a fixed text. ExpandText may rewrite a text in place and
// remembers the texts it returned by their address, so it is given a copy
// that lives as long as the process.
const char* ExpandFixed(setup::SetupState& state, const char* source) {
  static std::vector<std::unique_ptr<char[]>> copies;
  std::string text(source);
  auto buffer = std::make_unique<char[]>(text.size() + 1);
  text.copy(buffer.get(), text.size());
  buffer[text.size()] = '\0';
  char* result = setup::ExpandText(state, buffer.get());
  copies.push_back(std::move(buffer));
  return result;
}

}  // namespace

const char* LicenseTextSource() { return kLicenseText; }
const char* LicenseTitleSource() { return kLicenseTitle; }

const char* ExpandedLicenseText(setup::SetupState& state) { return ExpandFixed(state, kLicenseText); }
const char* ExpandedLicenseTitle(setup::SetupState& state) {
  return ExpandFixed(state, kLicenseTitle);
}

bool LicenseAgreementDialog::OnInitDialog(platform::WindowHandle dialog) {
  platform::Ui& ui = state_.machine.ui;
  window_ = platform::Dialog(ui, dialog);
  CenterWindowOnDesktop(ui, dialog, false);
  window_.SetText(ExpandedLicenseTitle(state_));
  window_.SetItemText(ctl::kLicenseText, ExpandedLicenseText(state_));
  window_.SetItemText(ctl::kAgree, setup::Msg(state_, setup::MSG_BUTTON_LABELS, 4));
  window_.SetItemText(ctl::kCancel, setup::Msg(state_, setup::MSG_BUTTON_LABELS, 1));
  // The focus goes to Cancel, the default button: the system would give it
  // to the text, which then opens fully selected and scrolled to its end.
  // So the text opens at its top with nothing selected, and Enter cancels.
  ui.SetItemFocus(dialog, ctl::kCancel);
  return false;
}

}  // namespace ui
