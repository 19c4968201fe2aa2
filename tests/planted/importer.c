/* The check of the planted-library test itself: a program that imports
 * VERSION.DLL, LZ32.DLL and COMDLG32.DLL the ordinary way. Started beside
 * the planted DLLs it must load those Wine is told to prefer (their markers
 * appear); otherwise the
 * test could not tell a planted DLL from one never loaded. */
#include <windows.h>
#include <commdlg.h>
#include <lzexpand.h>
#include <winver.h>

int main(int argc, char** argv) {
  (void)argv;
  /* Never true: the calls only make the imports. */
  if (argc > 100) {
    DWORD handle = 0;
    GetFileVersionInfoSizeA("x", &handle);
    LZClose(0);
    GetSaveFileNameA(NULL);
  }
  return 0;
}
