// The pieces of the C++ run-time SETUP.EXE needs, built with the program
// instead of taken from GCC's prebuilt C++ library and mingw-w64's: those
// are built for the Pentium Pro and later (cmov, fcomi), and they bring in
// the exception machinery (the unwinder, type information, the demangler
// behind the default terminate handler) and mingw-w64's own printf, which
// together were most of the program's size.
//
// The program is built without exceptions. Where the C++ library would
// throw (a length beyond max_size, an index out of range, allocation
// failing) the program ends at once with abort(), which is where an
// uncaught exception led before: std::terminate, then abort().
#include <bits/functexcept.h>

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

[[noreturn]] void Fail() { std::abort(); }

void* Allocate(std::size_t size) {
  // malloc(0) may return null: every allocation gets a distinct pointer.
  void* block = std::malloc(size ? size : 1);
  if (!block) Fail();
  return block;
}

}  // namespace

// ---------------------------------------------------------------- allocation

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

// ---------------------------------------------------------------- the C++ library's failures

namespace std {

void __throw_bad_exception() { Fail(); }
void __throw_bad_alloc() { Fail(); }
void __throw_bad_array_new_length() { Fail(); }
void __throw_bad_cast() { Fail(); }
void __throw_bad_typeid() { Fail(); }
void __throw_logic_error(const char*) { Fail(); }
void __throw_domain_error(const char*) { Fail(); }
void __throw_invalid_argument(const char*) { Fail(); }
void __throw_length_error(const char*) { Fail(); }
void __throw_out_of_range(const char*) { Fail(); }
void __throw_out_of_range_fmt(const char*, ...) { Fail(); }
void __throw_runtime_error(const char*) { Fail(); }
void __throw_range_error(const char*) { Fail(); }
void __throw_overflow_error(const char*) { Fail(); }
void __throw_underflow_error(const char*) { Fail(); }
void __throw_ios_failure(const char*) { Fail(); }
void __throw_ios_failure(const char*, int) { Fail(); }
void __throw_system_error(int) { Fail(); }
void __throw_future_error(int) { Fail(); }
void __throw_bad_function_call() { Fail(); }

}  // namespace std

// ---------------------------------------------------------------- formatting

// GCC's C++ library has mingw-w64 route snprintf to its own C99 printf
// (__mingw_vsnprintf, with its floating-point conversion): 80 KB, built for
// the Pentium Pro. The program formats only integers and strings, which
// the C run-time library's own _vsnprintf formats the same way; this
// passes them to it. Its differences from C99 are kept out: a conversion
// outside what both agree on (length modifiers other than h and l,
// floating point, pointers, %n) fails the call with -1 and an empty text,
// and a text cut short at the end of the buffer is still terminated (the
// call returns -1 then, where C99 would return the length it needed).
namespace {

// True when every conversion of format is one the C run-time formats as
// C99 does: flags, width and precision (digits or *), h or l, and d i u o
// x X c s or %.
bool PortableFormat(const char* format) {
  for (const char* p = format; *p; ++p) {
    if (*p != '%') continue;
    ++p;
    while (*p == '-' || *p == '+' || *p == ' ' || *p == '#' || *p == '0') ++p;
    if (*p == '*') ++p;
    else while (*p >= '0' && *p <= '9') ++p;
    if (*p == '.') {
      ++p;
      if (*p == '*') ++p;
      else while (*p >= '0' && *p <= '9') ++p;
    }
    if (*p == 'h' || *p == 'l') {
      ++p;
      if (*p == 'h' || *p == 'l') return false;
    }
    switch (*p) {
      case 'd': case 'i': case 'u': case 'o': case 'x': case 'X': case 'c': case 's': case '%':
        break;
      default:
        return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int __cdecl __mingw_vsnprintf(char* buffer, std::size_t size, const char* format, va_list args) {
  if (!PortableFormat(format)) {
    if (size) buffer[0] = '\0';
    return -1;
  }
  if (size == 0) return -1;
  const int written = ::_vsnprintf(buffer, size, format, args);
  if (written < 0 || static_cast<std::size_t>(written) >= size) {
    buffer[size - 1] = '\0';
    return -1;
  }
  return written;
}

extern "C" int __cdecl __mingw_snprintf(char* buffer, std::size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int written = __mingw_vsnprintf(buffer, size, format, args);
  va_end(args);
  return written;
}
