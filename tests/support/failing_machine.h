// A machine whose parts stop the process on a call the code under test has
// no business making, for the fuzz targets: such a call is a fault the
// fuzzer reports as a crash (the call's name on standard error first). A
// target derives from a part and gives the calls it allows an answer.
//
// What the parts allow from the start: the Windows directory (C:\WINDOWS),
// the program's path (`moduleFileName`), profile reads (their default),
// message boxes (counted, the last text kept, answered OK) and the window
// calls that only change what a user would see.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "null_machine.h"

namespace testsupport {

[[noreturn]] inline void FailOnUse(const char* call) {
  std::fprintf(stderr, "failing machine: %s was called\n", call);
  __builtin_trap();
}

class FailingFiles : public platform::FileSystem {
 public:
  std::uint32_t GetFileStatus(const std::string&, platform::FileStatus*) override { FailOnUse("GetFileStatus"); }
  platform::FileHandle Open(const std::string&, platform::OpenMode, std::uint32_t*) override { FailOnUse("Open"); }
  std::uint32_t Read(platform::FileHandle, void*, std::uint32_t, std::uint32_t*) override { FailOnUse("Read"); }
  std::uint32_t Write(platform::FileHandle, const void*, std::uint32_t, std::uint32_t*) override {
    FailOnUse("Write");
  }
  void Close(platform::FileHandle) override { FailOnUse("Close"); }
  std::uint32_t DeleteFile(const std::string&) override { FailOnUse("DeleteFile"); }
  std::uint32_t CreateDirectory(const std::string&) override { FailOnUse("CreateDirectory"); }
  std::uint32_t RemoveDirectory(const std::string&) override { FailOnUse("RemoveDirectory"); }
  std::uint32_t MoveFile(const std::string&, const std::string&) override { FailOnUse("MoveFile"); }
  std::uint32_t MoveFileAtReboot(const std::string&, const std::string&) override {
    FailOnUse("MoveFileAtReboot");
  }
  std::uint32_t GetFileAttributes(const std::string&, std::uint32_t*) override { FailOnUse("GetFileAttributes"); }
  std::uint32_t SetFileAttributes(const std::string&, std::uint32_t) override { FailOnUse("SetFileAttributes"); }
  std::uint32_t SetFileTimes(const std::string&, std::int64_t) override { FailOnUse("SetFileTimes"); }
  std::uint32_t SetOpenFileTimes(platform::FileHandle, std::int64_t) override { FailOnUse("SetOpenFileTimes"); }
  std::uint32_t GetShortPathName(const std::string&, std::string*) override { FailOnUse("GetShortPathName"); }
  std::uint32_t FindFiles(const std::string&, std::vector<platform::FindData>*) override { FailOnUse("FindFiles"); }
  std::uint32_t SetCurrentDirectory(const std::string&) override { FailOnUse("SetCurrentDirectory"); }
  std::uint32_t MoveFileReplacing(const std::string&, const std::string&) override {
    FailOnUse("MoveFileReplacing");
  }
  std::string GetCurrentDirectory() override { FailOnUse("GetCurrentDirectory"); }
};

class FailingSystem : public platform::System {
 public:
  std::string moduleFileName = "A:\\SETUP.EXE";

  platform::OsVersion GetVersion() override { return {}; }
  std::string GetModuleFileName() override { return moduleFileName; }
  std::string GetCommandLine() override { return {}; }
  std::string GetWindowsDirectory() override { return "C:\\WINDOWS"; }
  std::uint32_t WinExec(const std::string&, int) override { FailOnUse("WinExec"); }
  int SpawnNoWait(const std::string&, const std::vector<std::string>&) override { FailOnUse("SpawnNoWait"); }
  std::uint32_t RunAndWait(const std::string&, std::uint32_t*) override { FailOnUse("RunAndWait"); }
  void EnableShutdownPrivilege() override { FailOnUse("EnableShutdownPrivilege"); }
  int ExitWindowsEx(std::uint32_t, std::uint32_t) override { FailOnUse("ExitWindowsEx"); }
};

class FailingProfile : public platform::Profile {
 public:
  std::string GetString(const std::string&, const std::string&, const std::string& def, std::uint32_t,
                        const std::string&) override {
    return def;
  }
  bool WriteString(const std::string&, const std::string&, const std::string&, const std::string&) override {
    FailOnUse("WriteString");
  }
};

class FailingRegistry : public platform::Registry {
 public:
  std::uint32_t CreateKey(platform::RegKey, const std::string&, std::uint32_t, platform::RegKey*,
                          std::uint32_t*) override {
    FailOnUse("CreateKey");
  }
  std::uint32_t OpenKey(platform::RegKey, const std::string&, std::uint32_t, platform::RegKey*) override {
    FailOnUse("OpenKey");
  }
  std::uint32_t QueryValue(platform::RegKey, const std::string&, std::uint32_t*, std::string*,
                           std::uint32_t) override {
    FailOnUse("QueryValue");
  }
  std::uint32_t SetValue(platform::RegKey, const std::string&, std::uint32_t, const std::string&) override {
    FailOnUse("SetValue");
  }
  std::uint32_t EnumKey(platform::RegKey, std::uint32_t, std::string*) override { FailOnUse("EnumKey"); }
  std::uint32_t EnumValue(platform::RegKey, std::uint32_t, std::string*, std::uint32_t*, std::string*) override {
    FailOnUse("EnumValue");
  }
  std::uint32_t DeleteKey(platform::RegKey, const std::string&) override { FailOnUse("DeleteKey"); }
  std::uint32_t DeleteValue(platform::RegKey, const std::string&) override { FailOnUse("DeleteValue"); }
  std::uint32_t CloseKey(platform::RegKey) override { FailOnUse("CloseKey"); }
};

class FailingLz : public platform::Lz {
 public:
  int Open(const std::string&) override { FailOnUse("LZOpenFile"); }
  int Read(int, void*, int) override { FailOnUse("LZRead"); }
  void Close(int) override { FailOnUse("LZClose"); }
  std::string GetExpandedName(const std::string&) override { FailOnUse("GetExpandedName"); }
  std::int64_t ExpandedLength(int) override { FailOnUse("ExpandedLength"); }
};

class FailingUi : public NullUi {
 public:
  int boxes = 0;
  std::string lastBoxText;

  int MessageBox(platform::WindowHandle, const std::string& text, const std::string&, std::uint32_t) override {
    ++boxes;
    lastBoxText = text;
    return platform::answer::kOk;
  }
  int RunModal(platform::WindowHandle, platform::DialogHandler&) override { FailOnUse("RunModal"); }
  platform::WindowHandle CreateModeless(platform::WindowHandle, platform::DialogHandler&) override {
    FailOnUse("CreateModeless");
  }
  // The window calls that only change what a user would see are NullUi's.
  int ListAddString(platform::WindowHandle, int, const std::string&) override { FailOnUse("ListAddString"); }
  int ListCount(platform::WindowHandle, int) override { FailOnUse("ListCount"); }
  std::string ListText(platform::WindowHandle, int, int) override { FailOnUse("ListText"); }
  int ListCurSel(platform::WindowHandle, int) override { FailOnUse("ListCurSel"); }
  bool ListSetCurSel(platform::WindowHandle, int, int) override { FailOnUse("ListSetCurSel"); }
  bool GetSaveFileName(platform::WindowHandle, int, std::uint32_t, platform::FileDialogHook&,
                       std::string*) override {
    FailOnUse("GetSaveFileName");
  }
};

class FailingDde : public platform::Dde {
 public:
  std::uint32_t Initialize(platform::DdeInstance*) override { FailOnUse("DdeInitialize"); }
  void Uninitialize(platform::DdeInstance) override { FailOnUse("DdeUninitialize"); }
  platform::DdeStringHandle CreateStringHandle(platform::DdeInstance, const std::string&) override {
    FailOnUse("DdeCreateStringHandle");
  }
  void FreeStringHandle(platform::DdeInstance, platform::DdeStringHandle) override {
    FailOnUse("DdeFreeStringHandle");
  }
  platform::DdeConversation Connect(platform::DdeInstance, platform::DdeStringHandle,
                                    platform::DdeStringHandle) override {
    FailOnUse("DdeConnect");
  }
  void Disconnect(platform::DdeConversation) override { FailOnUse("DdeDisconnect"); }
  bool Execute(platform::DdeInstance, platform::DdeConversation, const std::string&, std::uint32_t) override {
    FailOnUse("DdeExecute");
  }
  bool Request(platform::DdeInstance, platform::DdeConversation, platform::DdeStringHandle, std::uint32_t,
               std::string*) override {
    FailOnUse("DdeRequest");
  }
  std::uint32_t GetLastError(platform::DdeInstance) override { FailOnUse("DdeGetLastError"); }
};

// Every part but the files, as one object; a target gives the machine its
// own files.
struct FailingParts : FailingSystem, FailingProfile, FailingRegistry, FailingLz, FailingUi, FailingDde {};

}  // namespace testsupport
