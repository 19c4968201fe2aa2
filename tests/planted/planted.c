/* A DLL planted beside SETUP.EXE under the name of a library the program
 * uses (VERSION.DLL, LZ32.DLL, COMDLG32.DLL). Loaded into a process, it
 * writes a marker file named after itself: "<name>.loaded" in the folder
 * of the environment variable PLANTED_MARKER_DIR (a Windows path), else
 * beside itself; the marker holds the DLL's path and the program's. It
 * exports the functions of those libraries as stubs that fail, so that a
 * program importing them loads it as it would the real one. */
#include <windows.h>

#include <string.h>

int planted_stub(void) { return 0; }

static void WriteMarker(HINSTANCE self) {
  char module[MAX_PATH];
  char marker[MAX_PATH * 2];
  DWORD length = GetModuleFileNameA(self, module, sizeof module);
  if (length == 0 || length >= sizeof module) return;
  const char* name = strrchr(module, '\\');
  name = name ? name + 1 : module;
  DWORD dir = GetEnvironmentVariableA("PLANTED_MARKER_DIR", marker, MAX_PATH);
  if (dir == 0 || dir >= MAX_PATH) {
    strcpy(marker, module);
    char* cut = strrchr(marker, '\\');
    if (cut) *cut = '\0';
  }
  strcat(marker, "\\");
  strcat(marker, name);
  strcat(marker, ".loaded");
  HANDLE h = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (h == INVALID_HANDLE_VALUE) return;
  /* The DLL's path and the program that loaded it, a line each. */
  char program[MAX_PATH];
  DWORD programLength = GetModuleFileNameA(NULL, program, sizeof program);
  if (programLength >= sizeof program) programLength = 0;
  DWORD written = 0;
  WriteFile(h, module, (DWORD)strlen(module), &written, NULL);
  WriteFile(h, "\r\n", 2, &written, NULL);
  WriteFile(h, program, programLength, &written, NULL);
  CloseHandle(h);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) WriteMarker(self);
  return TRUE;
}
