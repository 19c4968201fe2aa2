// SETUP.EXE: builds the real machine and runs the setup on it; the setup's
// result is the process exit code.
#include <windows.h>

#include "platform/win32/win32_machine.h"
#include "setup/setup_run.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  platform::win32::Win32Machine machine(instance);
  return setup::RunSetup(machine.Get());
}
