// Forwarding parts: one for each interface of the machine seam. Each holds
// a reference to another part of the same kind (the inner part) and passes
// every call on to it: the same arguments, the inner part's result given
// back unchanged, nothing added, nothing kept. The seam's own defaults
// (SetOpenFileTimes answering 120, MoveFileReplacing as delete and rename,
// an empty current directory, ...) are never used on the way: the inner
// part answers each call itself.
//
// A decorator (the logged parts of a run with /log, the observed user
// interface of a recorded run) derives from one of these and overrides only
// the calls it watches; every other call, among them any call the seam
// gains later, reaches the machine. A test checks that each forwarding
// part overrides every call of its interface (tests/forwarding_test.cpp).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/machine.h"

namespace platform {

class ForwardingSystem : public System {
 public:
  explicit ForwardingSystem(System& inner) : inner_(inner) {}

  OsVersion GetVersion() override { return inner_.GetVersion(); }
  std::string GetModuleFileName() override { return inner_.GetModuleFileName(); }
  std::string GetCommandLine() override { return inner_.GetCommandLine(); }
  std::string GetWindowsDirectory() override { return inner_.GetWindowsDirectory(); }
  std::uint32_t WinExec(const std::string& commandLine, int show) override {
    return inner_.WinExec(commandLine, show);
  }
  std::uint32_t RunAndWait(const std::string& commandLine, std::uint32_t* exitCode) override {
    return inner_.RunAndWait(commandLine, exitCode);
  }
  int SpawnNoWait(const std::string& program, const std::vector<std::string>& args) override {
    return inner_.SpawnNoWait(program, args);
  }
  void EnableShutdownPrivilege() override { inner_.EnableShutdownPrivilege(); }
  int ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
    return inner_.ExitWindowsEx(flags, reason);
  }
  std::uint32_t GetTickCount() override { return inner_.GetTickCount(); }

 protected:
  System& Inner() { return inner_; }

 private:
  System& inner_;
};

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

  std::uint32_t GetFileStatus(const std::string& path, FileStatus* out) override {
    return inner_.GetFileStatus(path, out);
  }
  FileHandle Open(const std::string& path, OpenMode mode, std::uint32_t* error) override {
    return inner_.Open(path, mode, error);
  }
  std::uint32_t Read(FileHandle h, void* buffer, std::uint32_t size, std::uint32_t* read) override {
    return inner_.Read(h, buffer, size, read);
  }
  std::uint32_t Write(FileHandle h, const void* data, std::uint32_t size,
                      std::uint32_t* written) override {
    return inner_.Write(h, data, size, written);
  }
  void Close(FileHandle h) override { inner_.Close(h); }
  std::uint32_t DeleteFile(const std::string& path) override { return inner_.DeleteFile(path); }
  std::uint32_t CreateDirectory(const std::string& path) override {
    return inner_.CreateDirectory(path);
  }
  std::uint32_t RemoveDirectory(const std::string& path) override {
    return inner_.RemoveDirectory(path);
  }
  std::uint32_t MoveFile(const std::string& from, const std::string& to) override {
    return inner_.MoveFile(from, to);
  }
  std::uint32_t MoveFileAtReboot(const std::string& from, const std::string& to) override {
    return inner_.MoveFileAtReboot(from, to);
  }
  std::uint32_t GetFileAttributes(const std::string& path, std::uint32_t* attributes) override {
    return inner_.GetFileAttributes(path, attributes);
  }
  std::uint32_t SetFileAttributes(const std::string& path, std::uint32_t attributes) override {
    return inner_.SetFileAttributes(path, attributes);
  }
  std::uint32_t SetFileTimes(const std::string& path, std::int64_t unixSeconds) override {
    return inner_.SetFileTimes(path, unixSeconds);
  }
  std::uint32_t SetOpenFileTimes(FileHandle h, std::int64_t unixSeconds) override {
    return inner_.SetOpenFileTimes(h, unixSeconds);
  }
  std::uint32_t GetShortPathName(const std::string& path, std::string* out) override {
    return inner_.GetShortPathName(path, out);
  }
  std::uint32_t FindFiles(const std::string& pattern, std::vector<FindData>* out) override {
    return inner_.FindFiles(pattern, out);
  }
  std::uint32_t SetCurrentDirectory(const std::string& path) override {
    return inner_.SetCurrentDirectory(path);
  }
  std::uint32_t MoveFileReplacing(const std::string& from, const std::string& to) override {
    return inner_.MoveFileReplacing(from, to);
  }
  std::string GetCurrentDirectory() override { return inner_.GetCurrentDirectory(); }

 protected:
  FileSystem& Inner() { return inner_; }

 private:
  FileSystem& inner_;
};

class ForwardingProfile : public Profile {
 public:
  explicit ForwardingProfile(Profile& inner) : inner_(inner) {}

  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue, std::uint32_t size,
                        const std::string& file) override {
    return inner_.GetString(section, key, defaultValue, size, file);
  }
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override {
    return inner_.WriteString(section, key, value, file);
  }

 protected:
  Profile& Inner() { return inner_; }

 private:
  Profile& inner_;
};

class ForwardingRegistry : public Registry {
 public:
  explicit ForwardingRegistry(Registry& inner) : inner_(inner) {}

  std::uint32_t CreateKey(RegKey root, const std::string& subkey, std::uint32_t access,
                          RegKey* out, std::uint32_t* disposition) override {
    return inner_.CreateKey(root, subkey, access, out, disposition);
  }
  std::uint32_t OpenKey(RegKey root, const std::string& subkey, std::uint32_t access,
                        RegKey* out) override {
    return inner_.OpenKey(root, subkey, access, out);
  }
  std::uint32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                           std::string* data, std::uint32_t maxSize) override {
    return inner_.QueryValue(key, name, type, data, maxSize);
  }
  std::uint32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                         const std::string& data) override {
    return inner_.SetValue(key, name, type, data);
  }
  std::uint32_t EnumKey(RegKey key, std::uint32_t index, std::string* name) override {
    return inner_.EnumKey(key, index, name);
  }
  std::uint32_t EnumValue(RegKey key, std::uint32_t index, std::string* name,
                          std::uint32_t* type, std::string* data) override {
    return inner_.EnumValue(key, index, name, type, data);
  }
  std::uint32_t DeleteKey(RegKey key, const std::string& subkey) override {
    return inner_.DeleteKey(key, subkey);
  }
  std::uint32_t DeleteValue(RegKey key, const std::string& name) override {
    return inner_.DeleteValue(key, name);
  }
  std::uint32_t CloseKey(RegKey key) override { return inner_.CloseKey(key); }

 protected:
  Registry& Inner() { return inner_; }

 private:
  Registry& inner_;
};

class ForwardingLz : public Lz {
 public:
  explicit ForwardingLz(Lz& inner) : inner_(inner) {}

  int Open(const std::string& path) override { return inner_.Open(path); }
  int Read(int handle, void* buffer, int size) override { return inner_.Read(handle, buffer, size); }
  void Close(int handle) override { inner_.Close(handle); }
  std::string GetExpandedName(const std::string& path) override {
    return inner_.GetExpandedName(path);
  }
  std::int64_t ExpandedLength(int handle) override { return inner_.ExpandedLength(handle); }

 protected:
  Lz& Inner() { return inner_; }

 private:
  Lz& inner_;
};

class ForwardingVersions : public Versions {
 public:
  explicit ForwardingVersions(Versions& inner) : inner_(inner) {}

  std::uint32_t GetFileVersionInfoSize(const std::string& path, std::uint32_t* error) override {
    return inner_.GetFileVersionInfoSize(path, error);
  }
  std::uint32_t GetFixedFileVersion(const std::string& path, FileVersion* out) override {
    return inner_.GetFixedFileVersion(path, out);
  }

 protected:
  Versions& Inner() { return inner_; }

 private:
  Versions& inner_;
};

class ForwardingServices : public Services {
 public:
  explicit ForwardingServices(Services& inner) : inner_(inner) {}

  std::uint32_t OpenSCManager(std::uint32_t access, ServiceHandle* out) override {
    return inner_.OpenSCManager(access, out);
  }
  std::uint32_t OpenService(ServiceHandle manager, const std::string& name, std::uint32_t access,
                            ServiceHandle* out) override {
    return inner_.OpenService(manager, name, access, out);
  }
  std::uint32_t ControlService(ServiceHandle service, std::uint32_t control,
                               ServiceStatus* status) override {
    return inner_.ControlService(service, control, status);
  }
  std::uint32_t QueryServiceStatus(ServiceHandle service, ServiceStatus* status) override {
    return inner_.QueryServiceStatus(service, status);
  }
  std::uint32_t QueryServiceConfig(ServiceHandle service, ServiceConfig* config) override {
    return inner_.QueryServiceConfig(service, config);
  }
  std::uint32_t CreateService(ServiceHandle manager, const std::string& name,
                              const ServiceConfig& config, std::uint32_t access,
                              ServiceHandle* out) override {
    return inner_.CreateService(manager, name, config, access, out);
  }
  std::uint32_t DeleteService(ServiceHandle service) override {
    return inner_.DeleteService(service);
  }
  std::uint32_t CloseServiceHandle(ServiceHandle handle) override {
    return inner_.CloseServiceHandle(handle);
  }

 protected:
  Services& Inner() { return inner_; }

 private:
  Services& inner_;
};

class ForwardingPainter : public Painter {
 public:
  explicit ForwardingPainter(Painter& inner) : inner_(inner) {}

  Rect ClientRect() override { return inner_.ClientRect(); }
  void FillSolid(const Rect& r, Color c) override { inner_.FillSolid(r, c); }
  void FrameRect(const Rect& r, Color c) override { inner_.FrameRect(r, c); }
  bool BitmapSize(int bitmapId, Size* out) override { return inner_.BitmapSize(bitmapId, out); }
  bool DrawBitmap(int bitmapId, int x, int y, Rop rop) override {
    return inner_.DrawBitmap(bitmapId, x, y, rop);
  }
  bool DrawIcon(int iconId, int x, int y) override { return inner_.DrawIcon(iconId, x, y); }
  Size TextExtent(const std::string& text) override { return inner_.TextExtent(text); }
  void DrawTextClipped(int x, int y, const Rect& clip, const std::string& text, Color textColor,
                       Color backColor) override {
    inner_.DrawTextClipped(x, y, clip, text, textColor, backColor);
  }
  void DefaultPaint() override { inner_.DefaultPaint(); }

 protected:
  Painter& Inner() { return inner_; }

 private:
  Painter& inner_;
};

class ForwardingUi : public Ui {
 public:
  explicit ForwardingUi(Ui& inner) : inner_(inner) {}

  int MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                 std::uint32_t flags) override {
    return inner_.MessageBox(owner, text, caption, flags);
  }
  int RunModal(WindowHandle owner, DialogHandler& handler) override {
    return inner_.RunModal(owner, handler);
  }
  WindowHandle CreateModeless(WindowHandle owner, DialogHandler& handler) override {
    return inner_.CreateModeless(owner, handler);
  }
  void EndDialog(WindowHandle dialog, int result) override { inner_.EndDialog(dialog, result); }
  void DestroyWindow(WindowHandle window) override { inner_.DestroyWindow(window); }

  void SetWindowText(WindowHandle window, const std::string& text) override {
    inner_.SetWindowText(window, text);
  }
  std::string GetWindowText(WindowHandle window) override { return inner_.GetWindowText(window); }
  void SetItemText(WindowHandle dialog, int controlId, const std::string& text) override {
    inner_.SetItemText(dialog, controlId, text);
  }
  std::string GetItemText(WindowHandle dialog, int controlId) override {
    return inner_.GetItemText(dialog, controlId);
  }
  bool EnableWindow(WindowHandle window, bool enable) override {
    return inner_.EnableWindow(window, enable);
  }
  bool IsWindowEnabled(WindowHandle window) override { return inner_.IsWindowEnabled(window); }
  void EnableItem(WindowHandle dialog, int controlId, bool enable) override {
    inner_.EnableItem(dialog, controlId, enable);
  }
  void ShowWindow(WindowHandle window, int command) override { inner_.ShowWindow(window, command); }
  void SetTopmostAndShow(WindowHandle window) override { inner_.SetTopmostAndShow(window); }
  WindowHandle GetOwner(WindowHandle window) override { return inner_.GetOwner(window); }
  WindowHandle GetMainWindow() override { return inner_.GetMainWindow(); }
  void SetMainWindow(WindowHandle window) override { inner_.SetMainWindow(window); }

  void OwnControlPaint(WindowHandle dialog, int controlId) override {
    inner_.OwnControlPaint(dialog, controlId);
  }
  void InvalidateItem(WindowHandle dialog, int controlId, bool erase) override {
    inner_.InvalidateItem(dialog, controlId, erase);
  }
  void UpdateItem(WindowHandle dialog, int controlId) override {
    inner_.UpdateItem(dialog, controlId);
  }

  bool SetTimer(WindowHandle window, int timerId, std::uint32_t milliseconds) override {
    return inner_.SetTimer(window, timerId, milliseconds);
  }
  void KillTimer(WindowHandle window, int timerId) override { inner_.KillTimer(window, timerId); }
  void PumpMessages(WindowHandle dialog) override { inner_.PumpMessages(dialog); }
  void RunMessagesUntil(const std::function<bool()>& done) override {
    inner_.RunMessagesUntil(done);
  }

  int ListAddString(WindowHandle dialog, int controlId, const std::string& text) override {
    return inner_.ListAddString(dialog, controlId, text);
  }
  int ListCount(WindowHandle dialog, int controlId) override {
    return inner_.ListCount(dialog, controlId);
  }
  std::string ListText(WindowHandle dialog, int controlId, int index) override {
    return inner_.ListText(dialog, controlId, index);
  }
  int ListCurSel(WindowHandle dialog, int controlId) override {
    return inner_.ListCurSel(dialog, controlId);
  }
  bool ListSetCurSel(WindowHandle dialog, int controlId, int index) override {
    return inner_.ListSetCurSel(dialog, controlId, index);
  }

  Rect GetWindowRect(WindowHandle window) override { return inner_.GetWindowRect(window); }
  Rect GetDesktopRect() override { return inner_.GetDesktopRect(); }
  void MoveWindow(WindowHandle window, int x, int y) override { inner_.MoveWindow(window, x, y); }
  void SetItemFocus(WindowHandle dialog, int controlId) override {
    inner_.SetItemFocus(dialog, controlId);
  }
  void ShowItem(WindowHandle dialog, int controlId, bool show) override {
    inner_.ShowItem(dialog, controlId, show);
  }
  void LimitItemText(WindowHandle dialog, int controlId, int maxChars) override {
    inner_.LimitItemText(dialog, controlId, maxChars);
  }
  bool IsItemChecked(WindowHandle dialog, int controlId) override {
    return inner_.IsItemChecked(dialog, controlId);
  }
  void CheckItem(WindowHandle dialog, int controlId, bool checked) override {
    inner_.CheckItem(dialog, controlId, checked);
  }
  void SelectListItem(WindowHandle dialog, int controlId, int index) override {
    inner_.SelectListItem(dialog, controlId, index);
  }
  bool GetSaveFileName(WindowHandle owner, int templateId, std::uint32_t flags,
                       FileDialogHook& hook, std::string* path) override {
    return inner_.GetSaveFileName(owner, templateId, flags, hook, path);
  }

 protected:
  Ui& Inner() { return inner_; }

 private:
  Ui& inner_;
};

class ForwardingDde : public Dde {
 public:
  explicit ForwardingDde(Dde& inner) : inner_(inner) {}

  std::uint32_t Initialize(DdeInstance* instance) override { return inner_.Initialize(instance); }
  void Uninitialize(DdeInstance instance) override { inner_.Uninitialize(instance); }
  DdeStringHandle CreateStringHandle(DdeInstance instance, const std::string& text) override {
    return inner_.CreateStringHandle(instance, text);
  }
  void FreeStringHandle(DdeInstance instance, DdeStringHandle handle) override {
    inner_.FreeStringHandle(instance, handle);
  }
  DdeConversation Connect(DdeInstance instance, DdeStringHandle service,
                          DdeStringHandle topic) override {
    return inner_.Connect(instance, service, topic);
  }
  void Disconnect(DdeConversation conversation) override { inner_.Disconnect(conversation); }
  bool Execute(DdeInstance instance, DdeConversation conversation, const std::string& command,
               std::uint32_t timeoutMs) override {
    return inner_.Execute(instance, conversation, command, timeoutMs);
  }
  bool Request(DdeInstance instance, DdeConversation conversation, DdeStringHandle item,
               std::uint32_t timeoutMs, std::string* data) override {
    return inner_.Request(instance, conversation, item, timeoutMs, data);
  }
  std::uint32_t GetLastError(DdeInstance instance) override {
    return inner_.GetLastError(instance);
  }

 protected:
  Dde& Inner() { return inner_; }

 private:
  Dde& inner_;
};

}  // namespace platform
