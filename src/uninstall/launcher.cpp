#include "uninstall/launcher.h"

#include <vector>

#include "setup/unattended.h"

namespace uninstall {

namespace {

std::string CopyPath(const setup::SetupState& state) { return state.windowsDir + "\\UNINSTX$.EXE"; }


// Copies UNINSTAL.EXE to UNINSTX$.EXE in the Windows directory. 0 when
// copied.
int CopyUninstaller(setup::SetupState& state) {
  platform::FileSystem& fs = state.machine.files;
  std::uint32_t error = 0;
  platform::FileHandle in = fs.Open(state.sourceDir + "\\UNINSTAL.EXE", platform::OpenMode::kRead, &error);
  if (in == platform::kInvalidFile) return 1;
  std::string copyPath = CopyPath(state);
  platform::FileHandle out = fs.Open(copyPath, platform::OpenMode::kReadWriteCreate, &error);
  if (out == platform::kInvalidFile) {
    fs.Close(in);
    return 1;
  }
  std::vector<char> block(16000);
  int result = 0;
  for (;;) {
    std::uint32_t got = 0;
    // A read error would start a truncated copy: give up instead.
    if (fs.Read(in, block.data(), static_cast<std::uint32_t>(block.size()), &got) != 0) {
      result = 1;
      break;
    }
    if (got == 0) break;
    std::uint32_t written = 0;
    if (fs.Write(out, block.data(), got, &written) != 0 || written != got) {
      result = 1;
      break;
    }
  }
  fs.Close(in);
  fs.Close(out);
  return result;
}

void AddFileSwitch(std::string* line, const char* name, const std::string& path) {
  if (!path.empty()) *line += std::string(" ") + name + " \"" + path + "\"";
}

}  // namespace

std::string TemporaryCopyCommandLine(const setup::SetupState& state, const setup::Switches& switches) {
  // The copy's path in double quotes, as the Windows directory may hold
  // blanks: unquoted, Windows would try the shorter runs of words first.
  // Built in steps: a literal joined with operator+ trips a false overlap
  // warning of the cross compiler.
  std::string line = "\"";
  line += CopyPath(state);
  line += "\" /restart \"";
  line += state.sourceDir;
  line += '"';
  if (switches.silent) line += " /s";
  AddFileSwitch(&line, "/answers", switches.answersPath);
  AddFileSwitch(&line, "/log", switches.logPath);
  return line;
}

int LaunchUninstaller(setup::SetupState& state, const setup::Switches& switches) {
  if (CopyUninstaller(state) != 0) return 1;
  state.machine.system.WinExec(TemporaryCopyCommandLine(state, switches), platform::sw::kShow);
  return 0;
}

int LaunchUninstallerAndWait(setup::SetupState& state, const setup::Switches& switches) {
  if (CopyUninstaller(state) != 0) {
    setup::LogStep(state, "the temporary copy of the uninstaller could not be made");
    return 1;
  }
  // The temporary copy writes the log from now on; this run adds to it
  // only what it learns at the end.
  const std::string commandLine = TemporaryCopyCommandLine(state, switches);
  // A program's current directory cannot be removed while it runs: this
  // one waits in the Windows directory, not in the directory the copy is
  // to remove.
  state.machine.files.SetCurrentDirectory(state.windowsDir);
  if (state.unattended != nullptr) state.unattended->log.Close();
  std::uint32_t exitCode = 1;
  const std::uint32_t error = state.machine.system.RunAndWait(commandLine, &exitCode);
  if (state.unattended != nullptr && !switches.logPath.empty() &&
      state.unattended->log.Open(switches.logPath, true)) {
    setup::LogStep(state, error == 0 ? "the temporary copy ended with " + std::to_string(exitCode)
                                     : "the temporary copy could not be started (error " +
                                           std::to_string(error) + ")");
  }
  return error == 0 ? static_cast<int>(exitCode) : 1;
}

}  // namespace uninstall
