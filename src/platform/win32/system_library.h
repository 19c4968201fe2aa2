// The libraries SETUP.EXE needs beyond the ones the loader maps before the
// program starts (kernel32, user32, gdi32, advapi32 and the C run-time).
//
// SETUP.EXE runs from a disk or a download folder, and a DLL of a library's
// name lying beside it would be found first by the loader's usual search.
// So these libraries are not imported: each is loaded on first use by its
// full path in the system directory, and its functions are looked up by
// name. The wrappers below take the place of the library functions of the
// same names; when the library or the function cannot be found they fail
// the way the function itself fails.
#pragma once

#include "platform/win32/win32_api.h"

namespace platform::win32 {

// NAME ("LZ32.DLL") loaded from the system directory (GetSystemDirectoryA),
// or null. Its own dependencies are searched for from that directory too.
HMODULE LoadSystemLibrary(const char* name);

namespace syslib {

// LZ32.DLL. A missing library fails as a bad handle (LZERROR_BADINHANDLE).
INT LZOpenFileA(LPSTR name, LPOFSTRUCT reopen, WORD style);
INT LZInit(INT file);
INT LZRead(INT file, LPSTR buffer, INT count);
LONG LZSeek(INT file, LONG offset, INT origin);
void LZClose(INT file);
INT GetExpandedNameA(LPSTR source, LPSTR buffer);

// VERSION.DLL. A missing library fails with ERROR_MOD_NOT_FOUND as the last
// error.
DWORD GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle);
BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data);
BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length);

// COMDLG32.DLL.
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn);

}  // namespace syslib
}  // namespace platform::win32
