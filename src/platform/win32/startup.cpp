// The entry point of SETUP.EXE, in place of mingw-w64's start-up code
// (crt2.o and what it brings in: the pseudo-relocation pass, thread-local
// storage callbacks, the argument parser, its exception filter), which is
// built for the Pentium Pro and does far more than the program needs. It is
// linked with -nostartfiles (src/platform/win32/CMakeLists.txt), and with
// auto-import of DLL data turned off, so that nothing needs the pseudo-
// relocation pass it leaves out.
//
// What it does: puts the x87 unit into the state mingw-w64's start-up
// leaves it in (fninit), runs the constructors of static objects, calls
// WinMain with the module, the command line after the program's name and
// the show state the program was started with, and ends through the C
// run-time's exit(), which runs what atexit registered (the destructors of
// static objects among them) and flushes its files.
#include <windows.h>

#include <stdlib.h>

#include <cstdlib>

extern "C" {

// The constructor and destructor lists of the Windows linker script:
// -1 (or their length), the functions, 0.
using ListedFunction = void (*)();
extern ListedFunction __CTOR_LIST__[];
extern ListedFunction __DTOR_LIST__[];

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

}  // extern "C"

namespace {

void RunStaticDestructors() {
  for (ListedFunction* f = __DTOR_LIST__ + 1; *f; ++f) (*f)();
}

// Constructors run last to first: the list holds them in reverse order of
// the objects the linker read.
void RunStaticConstructors() {
  std::size_t count = 0;
  while (__CTOR_LIST__[count + 1]) ++count;
  for (std::size_t i = count; i >= 1; --i) __CTOR_LIST__[i]();
  std::atexit(RunStaticDestructors);
}

// The command line after the program's name (quoted or not) and the
// blanks after it: what WinMain's lpCmdLine is.
char* ArgumentsOf(char* line) {
  if (*line == '"') {
    ++line;
    while (*line && *line != '"') ++line;
    if (*line == '"') ++line;
  } else {
    while (*line && *line != ' ' && *line != '\t') ++line;
  }
  while (*line == ' ' || *line == '\t') ++line;
  return line;
}

int ShowState() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  ::GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

}  // namespace

#if defined(__i386__)
// mingw-w64's import library for crtdll.dll has no call stub for _onexit,
// only its import pointer.
extern "C" _onexit_t(__cdecl* _imp___onexit)(_onexit_t);
#define SETUP_ONEXIT _imp___onexit
#else
#define SETUP_ONEXIT ::_onexit
#endif

// atexit, which mingw-w64's start-up code defines: the C run-time's own
// list of functions for exit() (_onexit) takes them. The list calls them
// without looking at a result.
extern "C" int __cdecl atexit(void(__cdecl* function)()) {
  return SETUP_ONEXIT(reinterpret_cast<_onexit_t>(function)) ? 0 : -1;
}

// The loader calls the entry point with a stack aligned only to 4 bytes on
// 32-bit Windows; the compiler may assume 16 inside.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void WinMainCRTStartup() {
#if defined(__i386__)
  __asm__ __volatile__("fninit");
#endif
  RunStaticConstructors();
  const int result = WinMain(::GetModuleHandleA(nullptr), nullptr, ArgumentsOf(::GetCommandLineA()), ShowState());
  std::exit(result);
}
