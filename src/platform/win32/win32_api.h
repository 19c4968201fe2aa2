// <windows.h> for the real machine's sources. The seam has members named
// like Win32 functions (GetModuleFileName, DeleteFile, MessageBox, ...);
// <windows.h> defines those names as macros of their A or W forms, so they
// are removed here, and the sources call the A forms by name.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <lzexpand.h>
#include <winsvc.h>
#include <winver.h>

#undef GetModuleFileName
#undef GetCommandLine
#undef GetWindowsDirectory
#undef DeleteFile
#undef CreateDirectory
#undef RemoveDirectory
#undef MoveFile
#undef GetFileAttributes
#undef SetFileAttributes
#undef GetShortPathName
#undef SetCurrentDirectory
#undef GetExpandedName
#undef MessageBox
#undef SetWindowText
#undef GetWindowText
#undef GetObject
#undef OpenSCManager
#undef OpenService
#undef CreateService
#undef QueryServiceConfig
#undef GetFileVersionInfoSize
#undef GetCurrentDirectory
#undef GetSaveFileName
