// SETUP.EXE: builds the real machine and runs the setup on it; the setup's
// result is the process exit code.
#include <windows.h>

#include "platform/win32/win32_machine.h"
#include "setup/setup_run.h"

namespace {

// Keeps DLLs the system loads on the program's behalf from being taken
// from the program's own folder (a download folder, a disk anyone can
// write) or the current directory. The calls came after the systems the
// program is for, so they are looked up at run time; where neither exists
// (Windows 95, 98, NT 4.0) the loader's usual search stays.
void HardenDllSearch() {
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (!kernel) return;
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault && setDefault(kSearchSystem32)) return;
  auto setDirectory = reinterpret_cast<SetDllDirectoryFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDllDirectoryA")));
  if (setDirectory) setDirectory("");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HardenDllSearch();
  platform::win32::Win32Machine machine(instance);
  return setup::RunSetup(machine.Get());
}
