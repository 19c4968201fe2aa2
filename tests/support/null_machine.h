// Parts of a machine that do nothing, for tests whose code under test uses
// only some of the machine. A test derives from one and overrides what it
// needs. Defaults: lookups fail with "not found", writes with "access
// denied", message boxes are answered OK, dialogs Cancel.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/machine.h"

namespace testsupport {

class NullSystem : public platform::System {
 public:
  platform::OsVersion GetVersion() override { return {}; }
  std::string GetModuleFileName() override { return {}; }
  std::string GetCommandLine() override { return {}; }
  std::string GetWindowsDirectory() override { return {}; }
  std::uint32_t WinExec(const std::string&, int) override { return 0; }
  std::uint32_t RunAndWait(const std::string&, std::uint32_t*) override { return 2; }
  int SpawnNoWait(const std::string&, const std::vector<std::string>&) override { return -1; }
  void EnableShutdownPrivilege() override {}
  int ExitWindowsEx(std::uint32_t, std::uint32_t) override { return 0; }
  // A clock that is `tickStep` milliseconds later each time it is read: by
  // default more than the copy engine's pump interval, so that it lets
  // messages through after every block, as on a slow disk.
  std::uint32_t GetTickCount() override { return ticks += tickStep; }
  std::uint32_t ticks = 0;
  std::uint32_t tickStep = 100;
};

class NullFiles : public platform::FileSystem {
 public:
  std::uint32_t GetFileStatus(const std::string&, platform::FileStatus*) override { return 2; }
  platform::FileHandle Open(const std::string&, platform::OpenMode, std::uint32_t* error) override {
    *error = 2;
    return platform::kInvalidFile;
  }
  std::uint32_t Read(platform::FileHandle, void*, std::uint32_t, std::uint32_t*) override { return 6; }
  std::uint32_t Write(platform::FileHandle, const void*, std::uint32_t, std::uint32_t*) override {
    return 6;
  }
  void Close(platform::FileHandle) override {}
  std::uint32_t DeleteFile(const std::string&) override { return 2; }
  std::uint32_t CreateDirectory(const std::string&) override { return 3; }
  std::uint32_t RemoveDirectory(const std::string&) override { return 2; }
  std::uint32_t MoveFile(const std::string&, const std::string&) override { return 2; }
  std::uint32_t MoveFileAtReboot(const std::string&, const std::string&) override { return 2; }
  std::uint32_t GetFileAttributes(const std::string&, std::uint32_t*) override { return 2; }
  std::uint32_t SetFileAttributes(const std::string&, std::uint32_t) override { return 2; }
  std::uint32_t SetFileTimes(const std::string&, std::int64_t) override { return 2; }
  std::uint32_t GetShortPathName(const std::string&, std::string*) override { return 2; }
  std::uint32_t FindFiles(const std::string&, std::vector<platform::FindData>*) override { return 2; }
  std::uint32_t SetCurrentDirectory(const std::string&) override { return 2; }
};

class NullProfile : public platform::Profile {
 public:
  std::string GetString(const std::string&, const std::string&, const std::string& d, std::uint32_t,
                        const std::string&) override {
    return d;
  }
  bool WriteString(const std::string&, const std::string&, const std::string&,
                   const std::string&) override {
    return false;
  }
};

class NullRegistry : public platform::Registry {
 public:
  std::uint32_t CreateKey(platform::RegKey, const std::string&, std::uint32_t, platform::RegKey*,
                          std::uint32_t*) override {
    return 5;
  }
  std::uint32_t OpenKey(platform::RegKey, const std::string&, std::uint32_t,
                        platform::RegKey*) override {
    return 2;
  }
  std::uint32_t QueryValue(platform::RegKey, const std::string&, std::uint32_t*, std::string*,
                           std::uint32_t) override {
    return 2;
  }
  std::uint32_t SetValue(platform::RegKey, const std::string&, std::uint32_t,
                         const std::string&) override {
    return 5;
  }
  std::uint32_t EnumKey(platform::RegKey, std::uint32_t, std::string*) override { return 259; }
  std::uint32_t EnumValue(platform::RegKey, std::uint32_t, std::string*, std::uint32_t*,
                          std::string*) override {
    return 259;
  }
  std::uint32_t DeleteKey(platform::RegKey, const std::string&) override { return 2; }
  std::uint32_t DeleteValue(platform::RegKey, const std::string&) override { return 2; }
  std::uint32_t CloseKey(platform::RegKey) override { return 0; }
};

class NullLz : public platform::Lz {
 public:
  int Open(const std::string&) override { return -1; }
  int Read(int, void*, int) override { return -1; }
  void Close(int) override {}
  std::string GetExpandedName(const std::string& path) override { return path; }
};

class NullUi : public platform::Ui {
 public:
  int MessageBox(platform::WindowHandle, const std::string&, const std::string&,
                 std::uint32_t) override {
    return platform::answer::kOk;
  }
  int RunModal(platform::WindowHandle, platform::DialogHandler&) override {
    return platform::cmd::kCancel;
  }
  platform::WindowHandle CreateModeless(platform::WindowHandle, platform::DialogHandler&) override {
    return platform::kNoWindow;
  }
  void EndDialog(platform::WindowHandle, int) override {}
  void DestroyWindow(platform::WindowHandle) override {}
  void SetWindowText(platform::WindowHandle, const std::string&) override {}
  std::string GetWindowText(platform::WindowHandle) override { return {}; }
  void SetItemText(platform::WindowHandle, int, const std::string&) override {}
  std::string GetItemText(platform::WindowHandle, int) override { return {}; }
  bool EnableWindow(platform::WindowHandle, bool) override { return false; }
  bool IsWindowEnabled(platform::WindowHandle) override { return true; }
  void EnableItem(platform::WindowHandle, int, bool) override {}
  void ShowWindow(platform::WindowHandle, int) override {}
  void SetTopmostAndShow(platform::WindowHandle) override {}
  platform::WindowHandle GetOwner(platform::WindowHandle) override { return platform::kNoWindow; }
  platform::WindowHandle GetMainWindow() override { return platform::kNoWindow; }
  void SetMainWindow(platform::WindowHandle) override {}
  void OwnControlPaint(platform::WindowHandle, int) override {}
  void InvalidateItem(platform::WindowHandle, int, bool) override {}
  void UpdateItem(platform::WindowHandle, int) override {}
  bool SetTimer(platform::WindowHandle, int, std::uint32_t) override { return false; }
  void KillTimer(platform::WindowHandle, int) override {}
  void PumpMessages(platform::WindowHandle) override {}
  void RunMessagesUntil(const std::function<bool()>&) override {}
  // List boxes: none.
  int ListAddString(platform::WindowHandle, int, const std::string&) override { return -1; }
  int ListCount(platform::WindowHandle, int) override { return 0; }
  std::string ListText(platform::WindowHandle, int, int) override { return {}; }
  int ListCurSel(platform::WindowHandle, int) override { return -1; }
  bool ListSetCurSel(platform::WindowHandle, int, int) override { return false; }
};

class NullVersions : public platform::Versions {
 public:
  std::uint32_t GetFileVersionInfoSize(const std::string&, std::uint32_t* error) override {
    *error = 2;
    return 0;
  }
  std::uint32_t GetFixedFileVersion(const std::string&, platform::FileVersion*) override {
    return 2;
  }
};

// No service control manager, as on Windows 95 and 98.
class NullServices : public platform::Services {
 public:
  std::uint32_t OpenSCManager(std::uint32_t, platform::ServiceHandle* out) override {
    *out = platform::kNoService;
    return 120;
  }
  std::uint32_t OpenService(platform::ServiceHandle, const std::string&, std::uint32_t,
                            platform::ServiceHandle* out) override {
    *out = platform::kNoService;
    return 6;
  }
  std::uint32_t ControlService(platform::ServiceHandle, std::uint32_t,
                               platform::ServiceStatus*) override {
    return 6;
  }
  std::uint32_t QueryServiceStatus(platform::ServiceHandle, platform::ServiceStatus*) override {
    return 6;
  }
  std::uint32_t QueryServiceConfig(platform::ServiceHandle, platform::ServiceConfig*) override {
    return 6;
  }
  std::uint32_t CreateService(platform::ServiceHandle, const std::string&,
                              const platform::ServiceConfig&, std::uint32_t,
                              platform::ServiceHandle* out) override {
    *out = platform::kNoService;
    return 6;
  }
  std::uint32_t DeleteService(platform::ServiceHandle) override { return 6; }
  std::uint32_t CloseServiceHandle(platform::ServiceHandle) override { return 6; }
};

// A DDE library that works but finds no server: every connection fails.
class NullDde : public platform::Dde {
 public:
  std::uint32_t Initialize(platform::DdeInstance* instance) override {
    *instance = 1;
    return platform::dmlerr::kNoError;
  }
  void Uninitialize(platform::DdeInstance) override {}
  platform::DdeStringHandle CreateStringHandle(platform::DdeInstance, const std::string&) override {
    return 1;
  }
  void FreeStringHandle(platform::DdeInstance, platform::DdeStringHandle) override {}
  platform::DdeConversation Connect(platform::DdeInstance, platform::DdeStringHandle,
                                    platform::DdeStringHandle) override {
    return 0;
  }
  void Disconnect(platform::DdeConversation) override {}
  bool Execute(platform::DdeInstance, platform::DdeConversation, const std::string&,
               std::uint32_t) override {
    return false;
  }
  bool Request(platform::DdeInstance, platform::DdeConversation, platform::DdeStringHandle,
               std::uint32_t, std::string* data) override {
    data->clear();
    return false;
  }
  std::uint32_t GetLastError(platform::DdeInstance) override {
    return platform::dmlerr::kNoConvEstablished;
  }
};

// Every part but the user interface, as one object.
struct NullParts : NullSystem, NullFiles, NullProfile, NullRegistry, NullLz, NullDde, NullVersions,
                   NullServices {};

}  // namespace testsupport
