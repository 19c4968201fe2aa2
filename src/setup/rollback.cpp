#include "setup/rollback.h"

#include "install/rollback.h"
#include "setup/unattended.h"
#include "system/registry.h"
#include "system/system_ini.h"

namespace setup {
namespace {

// The most paths the box names; the rest are counted.
constexpr std::size_t kMaxNamedInBox = 12;

bool Changed(const RollbackRecord& record) {
  return !record.files.empty() || !record.createdDirs.empty() || !record.attributesBefore.empty() ||
         !record.systemIniBackup.empty() || !record.createdEntryKey.empty() ||
         !record.reusedEntryKey.empty();
}

}  // namespace

std::vector<std::string> RollBackInstallation(SetupState& state) {
  std::vector<std::string> notRestored;
  if (!Changed(state.rollback)) return notRestored;
  LogRollback(state, "taking back what this installation changed");
  // The uninstall entry first: once its files go, it would name nothing.
  integration::TakeBackUninstallEntry(state);
  install::RollBackFiles(state, &notRestored);
  const std::string systemIni = state.windowsDir + "\\SYSTEM.INI";
  if (!integration::RestoreSystemIni(state)) notRestored.push_back(systemIni);
  LogRollback(state, notRestored.empty() ? "the machine is as it was before the installation"
                                         : std::to_string(notRestored.size()) +
                                               " file(s) could not be put back as they were");
  state.rollback = RollbackRecord();
  return notRestored;
}

void ShowNotRestored(SetupState& state, const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  std::string list;
  for (std::size_t i = 0; i < paths.size() && i < kMaxNamedInBox; ++i) {
    list += (i == 0 ? "" : "\n") + paths[i];
  }
  if (paths.size() > kMaxNamedInBox) list += "\n(+" + std::to_string(paths.size() - kMaxNamedInBox) + ")";
  std::string text = Msg(state, MSG_NOT_RESTORED, kText);
  const std::size_t placeholder = text.find("%s");
  if (placeholder != std::string::npos) text.replace(placeholder, 2, list);
  state.machine.ui.MessageBox(state.backgroundWindow, text, Msg(state, MSG_NOT_RESTORED, kCaption),
                              platform::mb::kOk | platform::mb::kIconWarning);
}

}  // namespace setup
