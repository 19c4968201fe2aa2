// What the 32-bit SETUP.EXE needs from a C run-time library beyond what
// crtdll.dll exports. GCC's C++ library brings in std::random_device with
// its string code (the program never uses it), and that refers to the old
// POSIX names read and close and to msvcrt's rand_s. mingw-w64 supplies
// these for msvcrt.dll only; here they are built on crtdll.dll and the
// kernel, so that nothing is imported that the first Windows 95 lacks.
#include <errno.h>
#include <io.h>
#include <windows.h>

extern "C" {

int read(int fd, void* buffer, unsigned int count) { return _read(fd, buffer, count); }

int close(int fd) { return _close(fd); }

namespace {

using GenRandomFn = BOOLEAN(WINAPI*)(PVOID, ULONG);

// rand_s fills *value from the system's random number generator
// (advapi32's RtlGenRandom, exported as SystemFunction036 from Windows XP
// on), looked up when first asked for; without it the call fails with
// EINVAL, as msvcrt's does when it cannot produce a number.
int __cdecl RandS(unsigned int* value) {
  static GenRandomFn generate = nullptr;
  static bool looked = false;
  if (!value) return EINVAL;
  if (!looked) {
    looked = true;
    HMODULE advapi = ::LoadLibraryA("advapi32.dll");
    if (advapi) {
      generate = reinterpret_cast<GenRandomFn>(
          reinterpret_cast<void*>(::GetProcAddress(advapi, "SystemFunction036")));
    }
  }
  if (!generate || !generate(value, sizeof *value)) {
    *value = 0;
    return EINVAL;
  }
  return 0;
}

}  // namespace

// The C++ library calls rand_s through its import pointer.
int(__cdecl* _imp__rand_s)(unsigned int*) = RandS;

}  // extern "C"
