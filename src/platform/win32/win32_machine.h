// The real machine: every part of the machine seam implemented with the
// Win32 calls it is shaped after. Compiled only into SETUP.EXE.
#pragma once

#include "platform/win32/win32_api.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/machine.h"

namespace platform::win32 {

struct DialogContext;  // what a dialog window needs to reach its handler

// The window property that names the template a dialog was made from. Our
// UI driver reads it to tell our dialogs from message boxes.
inline constexpr char kDialogIdProperty[] = "SetupDialogId";
// Set (to 1) on dialogs run modally.
inline constexpr char kDialogModalProperty[] = "SetupDialogModal";
// The number of timers running on a window, while there are any: a modal
// dialog with a timer is busy rather than waiting for the user.
inline constexpr char kTimersProperty[] = "SetupTimers";

class Win32System : public System {
 public:
  OsVersion GetVersion() override;
  std::string GetModuleFileName() override;
  std::string GetCommandLine() override;
  std::string GetWindowsDirectory() override;
  std::uint32_t WinExec(const std::string& commandLine, int show) override;
  std::uint32_t RunAndWait(const std::string& commandLine, std::uint32_t* exitCode) override;
  int SpawnNoWait(const std::string& program, const std::vector<std::string>& args) override;
  void EnableShutdownPrivilege() override;
  int ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
  std::uint32_t GetTickCount() override;
};

class Win32FileSystem : public FileSystem {
 public:
  std::uint32_t GetFileStatus(const std::string& path, FileStatus* out) override;
  FileHandle Open(const std::string& path, OpenMode mode, std::uint32_t* error) override;
  std::uint32_t Read(FileHandle h, void* buffer, std::uint32_t size, std::uint32_t* read) override;
  std::uint32_t Write(FileHandle h, const void* data, std::uint32_t size,
                      std::uint32_t* written) override;
  void Close(FileHandle h) override;
  std::uint32_t DeleteFile(const std::string& path) override;
  std::uint32_t CreateDirectory(const std::string& path) override;
  std::uint32_t RemoveDirectory(const std::string& path) override;
  std::uint32_t MoveFile(const std::string& from, const std::string& to) override;
  std::uint32_t MoveFileAtReboot(const std::string& from, const std::string& to) override;
  std::uint32_t GetFileAttributes(const std::string& path, std::uint32_t* attributes) override;
  std::uint32_t SetFileAttributes(const std::string& path, std::uint32_t attributes) override;
  std::uint32_t SetFileTimes(const std::string& path, std::int64_t unixSeconds) override;
  std::uint32_t SetOpenFileTimes(FileHandle h, std::int64_t unixSeconds) override;
  std::uint32_t GetShortPathName(const std::string& path, std::string* out) override;
  std::uint32_t FindFiles(const std::string& pattern, std::vector<FindData>* out) override;
  std::uint32_t SetCurrentDirectory(const std::string& path) override;
  std::uint32_t MoveFileReplacing(const std::string& from, const std::string& to) override;
  std::string GetCurrentDirectory() override;
};

class Win32Profile : public Profile {
 public:
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue, std::uint32_t size,
                        const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override;
};

class Win32Registry : public Registry {
 public:
  std::uint32_t CreateKey(RegKey root, const std::string& subkey, std::uint32_t access, RegKey* out,
                          std::uint32_t* disposition) override;
  std::uint32_t OpenKey(RegKey root, const std::string& subkey, std::uint32_t access,
                        RegKey* out) override;
  std::uint32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                           std::string* data, std::uint32_t maxSize) override;
  std::uint32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                         const std::string& data) override;
  std::uint32_t EnumKey(RegKey key, std::uint32_t index, std::string* name) override;
  std::uint32_t EnumValue(RegKey key, std::uint32_t index, std::string* name, std::uint32_t* type,
                          std::string* data) override;
  std::uint32_t DeleteKey(RegKey key, const std::string& subkey) override;
  std::uint32_t DeleteValue(RegKey key, const std::string& name) override;
  std::uint32_t CloseKey(RegKey key) override;
};

class Win32Lz : public Lz {
 public:
  int Open(const std::string& path) override;
  int Read(int handle, void* buffer, int size) override;
  void Close(int handle) override;
  std::string GetExpandedName(const std::string& path) override;
  std::int64_t ExpandedLength(int handle) override;
};

class Win32Versions : public Versions {
 public:
  std::uint32_t GetFileVersionInfoSize(const std::string& path, std::uint32_t* error) override;
  std::uint32_t GetFixedFileVersion(const std::string& path, FileVersion* out) override;
};

class Win32Services : public Services {
 public:
  std::uint32_t OpenSCManager(std::uint32_t access, ServiceHandle* out) override;
  std::uint32_t OpenService(ServiceHandle manager, const std::string& name, std::uint32_t access,
                            ServiceHandle* out) override;
  std::uint32_t ControlService(ServiceHandle service, std::uint32_t control,
                               ServiceStatus* status) override;
  std::uint32_t QueryServiceStatus(ServiceHandle service, ServiceStatus* status) override;
  std::uint32_t QueryServiceConfig(ServiceHandle service, ServiceConfig* config) override;
  std::uint32_t CreateService(ServiceHandle manager, const std::string& name,
                              const ServiceConfig& config, std::uint32_t access,
                              ServiceHandle* out) override;
  std::uint32_t DeleteService(ServiceHandle service) override;
  std::uint32_t CloseServiceHandle(ServiceHandle handle) override;
};

class Win32Dde : public Dde {
 public:
  std::uint32_t Initialize(DdeInstance* instance) override;
  void Uninitialize(DdeInstance instance) override;
  DdeStringHandle CreateStringHandle(DdeInstance instance, const std::string& text) override;
  void FreeStringHandle(DdeInstance instance, DdeStringHandle handle) override;
  DdeConversation Connect(DdeInstance instance, DdeStringHandle service, DdeStringHandle topic) override;
  void Disconnect(DdeConversation conversation) override;
  bool Execute(DdeInstance instance, DdeConversation conversation, const std::string& command,
               std::uint32_t timeoutMs) override;
  bool Request(DdeInstance instance, DdeConversation conversation, DdeStringHandle item,
               std::uint32_t timeoutMs, std::string* data) override;
  std::uint32_t GetLastError(DdeInstance instance) override;
};

class Win32Ui : public Ui {
 public:
  explicit Win32Ui(HINSTANCE instance);
  ~Win32Ui() override;

  int MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                 std::uint32_t flags) override;
  int RunModal(WindowHandle owner, DialogHandler& handler) override;
  WindowHandle CreateModeless(WindowHandle owner, DialogHandler& handler) override;
  void EndDialog(WindowHandle dialog, int result) override;
  void DestroyWindow(WindowHandle window) override;
  void SetWindowText(WindowHandle window, const std::string& text) override;
  std::string GetWindowText(WindowHandle window) override;
  void SetItemText(WindowHandle dialog, int controlId, const std::string& text) override;
  std::string GetItemText(WindowHandle dialog, int controlId) override;
  bool EnableWindow(WindowHandle window, bool enable) override;
  bool IsWindowEnabled(WindowHandle window) override;
  void EnableItem(WindowHandle dialog, int controlId, bool enable) override;
  void ShowWindow(WindowHandle window, int command) override;
  void SetTopmostAndShow(WindowHandle window) override;
  WindowHandle GetOwner(WindowHandle window) override;
  WindowHandle GetMainWindow() override;
  void SetMainWindow(WindowHandle window) override;
  void OwnControlPaint(WindowHandle dialog, int controlId) override;
  void InvalidateItem(WindowHandle dialog, int controlId, bool erase) override;
  void UpdateItem(WindowHandle dialog, int controlId) override;
  bool SetTimer(WindowHandle window, int timerId, std::uint32_t milliseconds) override;
  void KillTimer(WindowHandle window, int timerId) override;
  void PumpMessages(WindowHandle dialog) override;
  void RunMessagesUntil(const std::function<bool()>& done) override;

  // List boxes.
  int ListAddString(WindowHandle dialog, int controlId, const std::string& text) override;
  int ListCount(WindowHandle dialog, int controlId) override;
  std::string ListText(WindowHandle dialog, int controlId, int index) override;
  int ListCurSel(WindowHandle dialog, int controlId) override;
  bool ListSetCurSel(WindowHandle dialog, int controlId, int index) override;
  Rect GetWindowRect(WindowHandle window) override;
  Rect GetDesktopRect() override;
  void MoveWindow(WindowHandle window, int x, int y) override;
  void SetItemFocus(WindowHandle dialog, int controlId) override;
  void ShowItem(WindowHandle dialog, int controlId, bool show) override;
  void LimitItemText(WindowHandle dialog, int controlId, int maxChars) override;
  bool IsItemChecked(WindowHandle dialog, int controlId) override;
  void CheckItem(WindowHandle dialog, int controlId, bool checked) override;
  void SelectListItem(WindowHandle dialog, int controlId, int index) override;
  bool GetSaveFileName(WindowHandle owner, int templateId, std::uint32_t flags,
                       FileDialogHook& hook, std::string* path) override;

  HINSTANCE Instance() const { return instance_; }

 private:
  // Runs one message through the dialog manager of the dialog it belongs
  // to, or translates and dispatches it.
  void Dispatch(MSG& msg, HWND preferredDialog);

  HINSTANCE instance_;
  HWND mainWindow_ = nullptr;
  // Contexts of the modeless dialogs created.
  std::vector<std::unique_ptr<DialogContext>> modeless_;
  // Timers running, to publish their number on each window.
  std::vector<std::pair<HWND, UINT_PTR>> timers_;
};

// The whole machine, owning its parts.
class Win32Machine {
 public:
  explicit Win32Machine(HINSTANCE instance);
  Machine& Get() { return machine_; }

 private:
  Win32System system_;
  Win32FileSystem files_;
  Win32Profile profile_;
  Win32Registry registry_;
  Win32Lz lz_;
  Win32Ui ui_;
  Win32Versions versions_;
  Win32Services services_;
  Win32Dde dde_;
  Machine machine_;
};

// Texts of a window or control, at any length.
std::string WindowText(HWND window);

}  // namespace platform::win32
