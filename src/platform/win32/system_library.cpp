// Libraries loaded by their full path in the system directory, and the
// functions SETUP.EXE calls in them.
#include "platform/win32/system_library.h"

#include <string>

namespace platform::win32 {
namespace {

constexpr char kLz32[] = "LZ32.DLL";
constexpr char kVersion[] = "VERSION.DLL";
constexpr char kComdlg32[] = "COMDLG32.DLL";

// FUNCTION of the system library LIBRARY as a pointer of type F, or null.
// The library stays loaded for the life of the process.
template <typename F>
F Find(const char* library, const char* function) {
  HMODULE module = LoadSystemLibrary(library);
  if (!module) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, function)));
}

// The function's pointer, looked up once, on first use.
#define SETUP_SYSTEM_FUNCTION(library, name) \
  static const auto fn = Find<decltype(&::name)>(library, #name)

BOOL FailMissing() {
  ::SetLastError(ERROR_MOD_NOT_FOUND);
  return FALSE;
}

}  // namespace

HMODULE LoadSystemLibrary(const char* name) {
  char dir[MAX_PATH + 1];
  const UINT length = ::GetSystemDirectoryA(dir, sizeof dir);
  if (length == 0 || length >= sizeof dir) return nullptr;
  std::string path(dir, length);
  if (path.back() != '\\') path += '\\';
  path += name;
  // LOAD_WITH_ALTERED_SEARCH_PATH: the library's own imports are searched
  // for from the system directory rather than from the program's folder.
  // A system that refuses the flag still gets the library by its path.
  HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return module ? module : ::LoadLibraryA(path.c_str());
}

namespace syslib {

INT LZOpenFileA(LPSTR name, LPOFSTRUCT reopen, WORD style) {
  SETUP_SYSTEM_FUNCTION(kLz32, LZOpenFileA);
  return fn ? fn(name, reopen, style) : LZERROR_BADINHANDLE;
}

INT LZInit(INT file) {
  SETUP_SYSTEM_FUNCTION(kLz32, LZInit);
  return fn ? fn(file) : LZERROR_BADINHANDLE;
}

INT LZRead(INT file, LPSTR buffer, INT count) {
  SETUP_SYSTEM_FUNCTION(kLz32, LZRead);
  return fn ? fn(file, buffer, count) : LZERROR_BADINHANDLE;
}

LONG LZSeek(INT file, LONG offset, INT origin) {
  SETUP_SYSTEM_FUNCTION(kLz32, LZSeek);
  return fn ? fn(file, offset, origin) : LZERROR_BADINHANDLE;
}

void LZClose(INT file) {
  SETUP_SYSTEM_FUNCTION(kLz32, LZClose);
  if (fn) fn(file);
}

INT GetExpandedNameA(LPSTR source, LPSTR buffer) {
  SETUP_SYSTEM_FUNCTION(kLz32, GetExpandedNameA);
  return fn ? fn(source, buffer) : LZERROR_BADINHANDLE;
}

DWORD GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle) {
  SETUP_SYSTEM_FUNCTION(kVersion, GetFileVersionInfoSizeA);
  if (fn) return fn(path, handle);
  FailMissing();
  return 0;
}

BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data) {
  SETUP_SYSTEM_FUNCTION(kVersion, GetFileVersionInfoA);
  return fn ? fn(path, handle, size, data) : FailMissing();
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length) {
  SETUP_SYSTEM_FUNCTION(kVersion, VerQueryValueA);
  return fn ? fn(block, subBlock, buffer, length) : FailMissing();
}

BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) {
  SETUP_SYSTEM_FUNCTION(kComdlg32, GetSaveFileNameA);
  return fn ? fn(ofn) : FailMissing();
}

#undef SETUP_SYSTEM_FUNCTION

}  // namespace syslib
}  // namespace platform::win32
