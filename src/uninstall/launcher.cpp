#include "uninstall/launcher.h"

#include <vector>

namespace uninstall {

int LaunchUninstaller(setup::SetupState& state) {
  platform::FileSystem& fs = state.machine.files;
  std::uint32_t error = 0;
  platform::FileHandle in = fs.Open(state.sourceDir + "\\UNINSTAL.EXE", platform::OpenMode::kRead, &error);
  if (in == platform::kInvalidFile) return 1;
  std::string copyPath = state.windowsDir + "\\UNINSTX$.EXE";
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
  if (result != 0) return result;
  state.machine.system.WinExec(copyPath + " /restart \"" + state.sourceDir + "\"", platform::sw::kShow);
  return 0;
}

}  // namespace uninstall
