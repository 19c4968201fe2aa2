#include "setup/start.h"

namespace setup {

std::string ArgumentPart(const std::string& commandLine) {
  std::size_t i = 0;
  while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  if (i < commandLine.size() && commandLine[i] == '"') {
    std::size_t close = commandLine.find('"', i + 1);
    return close == std::string::npos ? std::string() : commandLine.substr(close + 1);
  }
  while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
  return commandLine.substr(i);
}

std::string CutToDirectory(const std::string& path) {
  std::string dir = path;
  std::size_t cut = dir.find_last_of("\\:");
  if (cut != std::string::npos) dir.resize(cut);
  if (dir.find(':') == std::string::npos) dir += ":";
  return dir;
}

StartInfo AnalyseStart(bool windowsNt, const std::string& moduleFileName,
                       const std::string& commandLine) {
  StartInfo info;
  std::string source;
  if (windowsNt) {
    source = moduleFileName;
  } else {
    source = commandLine;
    if (!source.empty() && source[0] == '"') source.erase(0, 1);
  }
  if (source.size() > kSourceDirMax) source.resize(kSourceDirMax);

  info.mode = source.find("UNINST") != std::string::npos ? Mode::kUninstallLaunch : Mode::kInstall;
  std::string args = ArgumentPart(commandLine);
  if (args.find("/restart") != std::string::npos) {
    info.mode = Mode::kRestart;
    std::size_t open = args.find('"');
    std::size_t close = open == std::string::npos ? std::string::npos : args.find('"', open + 1);
    if (close == std::string::npos) {
      info.commandLineRefused = true;
    } else {
      info.uninstallDir = args.substr(open + 1, close - open - 1);
      // The directory and "\SETUP.DAT" must fit a path field.
      if (info.uninstallDir.empty() ||
          info.uninstallDir.size() + 10 > kPathCapacity - 1) {
        info.commandLineRefused = true;
      }
    }
  }
  info.sourceDir = CutToDirectory(source);
  return info;
}

void SetDefaultInstallDir(SetupState& state) {
  std::string dir = "?:";
  if (!state.windowsDir.empty()) dir[0] = state.windowsDir[0];

  platform::Registry& reg = state.machine.registry;
  platform::RegKey key = 0;
  if (reg.OpenKey(platform::hkey::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                  platform::kKeyAllAccess, &key) == 0) {
    std::uint32_t type = 0;
    std::string value;
    if (reg.QueryValue(key, "ProgramFilesDir", &type, &value, 128) == 0) {
      std::size_t nul = value.find('\0');
      if (nul != std::string::npos) value.resize(nul);
      if (!value.empty()) dir = value;
    }
    reg.CloseKey(key);
  }
  dir += "\\";
  dir += Msg(state, MSG_DEFAULT_FOLDER);
  state.defaultInstallDir = Truncate(dir, kPathCapacity);
}

std::string DefaultGroupName(SetupState& state) {
  std::string name = Msg(state, MSG_DEFAULT_FOLDER);
  if (state.productName.find("Halvorn") != std::string::npos) {
    name += state.scsi ? " - SCSI" : " - QIC";
  }
  return Truncate(name, kPathCapacity);
}

}  // namespace setup
