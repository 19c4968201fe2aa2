// The install directory dialog: the welcome text, the proposed directory,
// Browse (the classic directory browser), Default, and OK, which accepts
// only a directory that can be created or exists and is confirmed.
#pragma once

#include <string>

#include "platform/dialog.h"
#include "platform/machine.h"
#include "setup/state.h"
#include "ui/dialog_ids.h"

namespace ui {

// The directory the dialog proposes: the default install directory, with
// " - SCSI" or " - QIC" for the main product.
std::string ProposedInstallDir(const setup::SetupState& state);
// The program files directory the default install directory was made in
// (the default without its last level).
std::string ProgramFilesDirOf(const setup::SetupState& state);

// The hook of the directory browser: centres it over its owner, hides the
// file controls, puts the dummy file name in, focuses the directory list,
// sets the title, and selects the first directory at the first paint.
class DirectoryBrowserHook : public platform::FileDialogHook {
 public:
  // The file name the browser returns after the chosen directory.
  static constexpr char kDummyFileName[] = "Junk";

  explicit DirectoryBrowserHook(setup::SetupState& state) : state_(state) {}
  void OnInitDialog(platform::WindowHandle dialog) override;
  void OnPaint(platform::WindowHandle dialog) override;

 private:
  setup::SetupState& state_;
  bool firstPaint_ = false;
};

// The directory of a path the browser returned: the text before the file
// name, without the separator before it.
std::string BrowserDirectory(const std::string& returnedPath);

class InstallDirDialog : public platform::DialogHandler {
 public:
  static constexpr int kTemplate = ids::install_dir::kTemplate;

  explicit InstallDirDialog(setup::SetupState& state)
      : DialogHandler(kTemplate), state_(state) {}

  bool OnInitDialog(platform::WindowHandle dialog) override;
  bool OnCommand(platform::WindowHandle dialog, int id, int notifyCode) override;

 private:
  void PutProposal();
  void Browse();
  void Accept();
  void AskCancel();
  int Box(setup::MsgId id, std::uint32_t flags);
  // "Directory Not Allowed", naming the refused directory as Windows
  // resolves it (its long name, so that an 8.3 alias shows what it is).
  void RefuseDirectory(const std::string& dir);

  setup::SetupState& state_;
  platform::Dialog window_;
};

}  // namespace ui
