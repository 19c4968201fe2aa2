#include "system/tape_config.h"

#include "setup/unattended.h"

namespace integration {
namespace {

constexpr char kDefault[] = "dummy";
constexpr std::uint32_t kValueCapacity = 256;
constexpr char kDriveSection[] = "Tape Drive Setup";
constexpr char kInitialSection[] = "Tape Configuration (initial settings)";

bool AskToReconfigure(setup::SetupState& state) {
  std::string text = setup::Msg(state, setup::MSG_RECONFIGURE_TAPE, setup::kText);
  std::string caption = setup::Msg(state, setup::MSG_RECONFIGURE_TAPE, setup::kCaption);
  setup::ExpectQuestion(state, setup::Question::kReconfigureTape);
  return state.machine.ui.MessageBox(state.backgroundWindow, text, caption,
                                     platform::mb::kYesNo | platform::mb::kIconQuestion) ==
         platform::answer::kYes;
}

void ResetConfiguration(setup::SetupState& state) {
  platform::Profile& profile = state.machine.profile;
  std::string halvorn = state.installDir + "\\HALVORN.INI";
  profile.WriteString(kDriveSection, "tape drives", "", halvorn);
  profile.WriteString("Misc. Options", "run auto test", "ON", halvorn);
  if (state.values.ifc.find("SCSI") != std::string::npos) return;
  std::string zemax = state.installDir + "\\ZEMAX.INI";
  profile.WriteString(kInitialSection, "interface type", "unknown", zemax);
  profile.WriteString(kInitialSection, "find qic", "OFF", zemax);
}

}  // namespace

bool HasConfiguredDrive(const std::string& tapeDrives) {
  return !tapeDrives.empty() && tapeDrives.find(kDefault) == std::string::npos;
}

TapeConfigResult WriteTapeConfiguration(setup::SetupState& state) {
  std::string drives = state.machine.profile.GetString(kDriveSection, "tape drives", kDefault,
                                                       kValueCapacity,
                                                       state.installDir + "\\HALVORN.INI");
  if (!HasConfiguredDrive(drives)) return TapeConfigResult::kNoEarlierConfiguration;
  if (!AskToReconfigure(state)) return TapeConfigResult::kKept;
  ResetConfiguration(state);
  return TapeConfigResult::kReset;
}

}  // namespace integration
