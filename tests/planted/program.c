/* A program planted as C:\Program.exe, where Windows looks first for the
 * program of an unquoted command line that starts "C:\Program Files\...".
 * Started so, it writes its command line to C:\PLANTED.RAN: a test that
 * finds the file knows a program start was not quoted.
 *
 * "Program.exe /winexec "<command line>"" instead starts that command line
 * with WinExec, as setup starts its programs: the test's proof that an
 * unquoted command line does reach the planted program on this system. */
#include <string.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show) {
  (void)instance;
  (void)previous;
  (void)show;
  (void)arguments;
  /* The command line to start is one argument (in double quotes when it
   * holds blanks, as a shell passes it). */
  if (__argc == 3 && strcmp(__argv[1], "/winexec") == 0) {
    return WinExec(__argv[2], SW_SHOW) > 31 ? 0 : 1;
  }
  HANDLE marker = CreateFileA("C:\\PLANTED.RAN", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
  if (marker == INVALID_HANDLE_VALUE) return 2;
  const char* line = GetCommandLineA();
  DWORD written = 0;
  WriteFile(marker, line, (DWORD)strlen(line), &written, NULL);
  CloseHandle(marker);
  return 0;
}
