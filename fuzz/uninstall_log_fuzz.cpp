// Fuzz target of the uninstall log reader: any bytes as UNINST.LST of the
// installation in C:\TAPE, read by RemoveLoggedFiles on an in-memory
// machine whose reads come in pieces of varying size and may fail midway.
//
// What must hold, besides no crash and no out-of-bounds access:
// - every file deleted is named by a whole line of the log (a CR before the
//   line feed dropped, the text cut at a zero byte), never by a piece of a
//   longer line, and is an absolute drive path without "." or ".."
//   components; apart from those only the log itself is deleted, at the end;
// - when the log was read to its end without error, every such line has
//   been deleted (a listed file is not passed over);
// - every handle opened is closed, and a missing log deletes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "install/uninstall_log.h"
#include "setup/state.h"
#include "text/text.h"
#include "text/windows_path.h"

namespace {

constexpr char kInstallDir[] = "C:\\TAPE";
constexpr char kLogPath[] = "C:\\TAPE\\UNINST.LST";

[[noreturn]] void Fail() { __builtin_trap(); }

class MemoryFiles : public platform::FileSystem {
 public:
  std::map<std::string, std::string> files;  // upper-case path -> content
  std::vector<std::string> deleted;          // DeleteFile calls, as given
  std::uint32_t pieceSize = 512;             // most bytes one Read gives
  std::uint32_t failReadAfter = UINT32_MAX;  // bytes delivered before a read fails
  bool readFailed = false;

  std::uint32_t GetFileStatus(const std::string& path, platform::FileStatus* out) override {
    auto it = files.find(text::ToUpperAscii(path));
    if (it == files.end()) return platform::err::kFileNotFound;
    out->size = it->second.size();
    return 0;
  }
  platform::FileHandle Open(const std::string& path, platform::OpenMode mode, std::uint32_t* error) override {
    const std::string key = text::ToUpperAscii(path);
    if (mode != platform::OpenMode::kRead) {
      *error = platform::err::kAccessDenied;
      return platform::kInvalidFile;
    }
    if (files.count(key) == 0) {
      *error = platform::err::kFileNotFound;
      return platform::kInvalidFile;
    }
    handles_[++next_] = Handle{key, 0};
    return next_;
  }
  std::uint32_t Read(platform::FileHandle h, void* buffer, std::uint32_t size, std::uint32_t* read) override {
    *read = 0;
    auto it = handles_.find(h);
    if (it == handles_.end()) Fail();
    Handle& handle = it->second;
    const std::string& content = files[handle.key];
    if (handle.pos >= failReadAfter && handle.pos < content.size()) {
      readFailed = true;
      return platform::err::kReadFault;
    }
    std::size_t n = size;
    if (n > pieceSize) n = pieceSize;
    if (n > content.size() - handle.pos) n = content.size() - handle.pos;
    if (failReadAfter != UINT32_MAX && handle.pos + n > failReadAfter) n = failReadAfter - handle.pos;
    for (std::size_t i = 0; i < n; ++i) static_cast<char*>(buffer)[i] = content[handle.pos + i];
    handle.pos += n;
    *read = static_cast<std::uint32_t>(n);
    return 0;
  }
  std::uint32_t Write(platform::FileHandle, const void*, std::uint32_t, std::uint32_t* written) override {
    *written = 0;
    return platform::err::kAccessDenied;
  }
  void Close(platform::FileHandle h) override {
    if (handles_.erase(h) != 1) Fail();
  }
  std::uint32_t DeleteFile(const std::string& path) override {
    deleted.push_back(path);
    const std::string key = text::ToUpperAscii(path);
    for (const auto& [h, handle] : handles_) {
      if (handle.key == key) return platform::err::kSharingViolation;  // open, as on Windows
    }
    return files.erase(key) != 0 ? 0 : platform::err::kFileNotFound;
  }
  std::uint32_t CreateDirectory(const std::string&) override { return platform::err::kAccessDenied; }
  std::uint32_t RemoveDirectory(const std::string&) override { return platform::err::kAccessDenied; }
  std::uint32_t MoveFile(const std::string&, const std::string&) override { Fail(); }
  std::uint32_t MoveFileAtReboot(const std::string&, const std::string&) override { Fail(); }
  std::uint32_t GetFileAttributes(const std::string&, std::uint32_t*) override {
    return platform::err::kFileNotFound;
  }
  std::uint32_t SetFileAttributes(const std::string&, std::uint32_t) override { Fail(); }
  std::uint32_t SetFileTimes(const std::string&, std::int64_t) override { Fail(); }
  std::uint32_t GetShortPathName(const std::string&, std::string*) override {
    return platform::err::kFileNotFound;
  }
  std::uint32_t FindFiles(const std::string&, std::vector<platform::FindData>*) override {
    return platform::err::kFileNotFound;
  }
  std::uint32_t SetCurrentDirectory(const std::string&) override { return 0; }

  std::size_t OpenHandles() const { return handles_.size(); }

 private:
  struct Handle {
    std::string key;
    std::size_t pos = 0;
  };
  std::map<platform::FileHandle, Handle> handles_;
  platform::FileHandle next_ = 0;
};

// The rest of the machine: nothing of it may be used but message boxes.
struct Rest : platform::System, platform::Profile, platform::Registry, platform::Lz, platform::Ui,
              platform::Dde {
  int boxes = 0;

  std::uint32_t Initialize(platform::DdeInstance*) override { Fail(); }
  void Uninitialize(platform::DdeInstance) override { Fail(); }
  platform::DdeStringHandle CreateStringHandle(platform::DdeInstance, const std::string&) override { Fail(); }
  void FreeStringHandle(platform::DdeInstance, platform::DdeStringHandle) override { Fail(); }
  platform::DdeConversation Connect(platform::DdeInstance, platform::DdeStringHandle,
                                    platform::DdeStringHandle) override {
    Fail();
  }
  void Disconnect(platform::DdeConversation) override { Fail(); }
  bool Execute(platform::DdeInstance, platform::DdeConversation, const std::string&, std::uint32_t) override {
    Fail();
  }
  bool Request(platform::DdeInstance, platform::DdeConversation, platform::DdeStringHandle, std::uint32_t,
               std::string*) override {
    Fail();
  }
  std::uint32_t GetLastError(platform::DdeInstance) override { Fail(); }
  std::string lastBoxText;

  platform::OsVersion GetVersion() override { return {}; }
  std::string GetModuleFileName() override { return "C:\\TAPE\\UNINSTAL.EXE"; }
  std::string GetCommandLine() override { return {}; }
  std::string GetWindowsDirectory() override { return "C:\\WINDOWS"; }
  std::uint32_t WinExec(const std::string&, int) override { Fail(); }
  int SpawnNoWait(const std::string&, const std::vector<std::string>&) override { Fail(); }
  std::uint32_t RunAndWait(const std::string&, std::uint32_t*) override { Fail(); }
  void EnableShutdownPrivilege() override { Fail(); }
  int ExitWindowsEx(std::uint32_t, std::uint32_t) override { Fail(); }

  std::string GetString(const std::string&, const std::string&, const std::string& def, std::uint32_t,
                        const std::string&) override {
    return def;
  }
  bool WriteString(const std::string&, const std::string&, const std::string&, const std::string&) override {
    Fail();
  }

  std::uint32_t CreateKey(platform::RegKey, const std::string&, std::uint32_t, platform::RegKey*,
                          std::uint32_t*) override {
    Fail();
  }
  std::uint32_t OpenKey(platform::RegKey, const std::string&, std::uint32_t, platform::RegKey*) override {
    Fail();
  }
  std::uint32_t QueryValue(platform::RegKey, const std::string&, std::uint32_t*, std::string*,
                           std::uint32_t) override {
    Fail();
  }
  std::uint32_t SetValue(platform::RegKey, const std::string&, std::uint32_t, const std::string&) override {
    Fail();
  }
  std::uint32_t EnumKey(platform::RegKey, std::uint32_t, std::string*) override { Fail(); }
  std::uint32_t EnumValue(platform::RegKey, std::uint32_t, std::string*, std::uint32_t*, std::string*) override {
    Fail();
  }
  std::uint32_t DeleteKey(platform::RegKey, const std::string&) override { Fail(); }
  std::uint32_t DeleteValue(platform::RegKey, const std::string&) override { Fail(); }
  std::uint32_t CloseKey(platform::RegKey) override { Fail(); }

  int Open(const std::string&) override { Fail(); }
  int Read(int, void*, int) override { Fail(); }
  void Close(int) override { Fail(); }
  std::string GetExpandedName(const std::string&) override { Fail(); }

  int MessageBox(platform::WindowHandle, const std::string& text, const std::string&, std::uint32_t) override {
    ++boxes;
    lastBoxText = text;
    return platform::answer::kOk;
  }
  int RunModal(platform::WindowHandle, platform::DialogHandler&) override { Fail(); }
  platform::WindowHandle CreateModeless(platform::WindowHandle, platform::DialogHandler&) override { Fail(); }
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
  int ListAddString(platform::WindowHandle, int, const std::string&) override { Fail(); }
  int ListCount(platform::WindowHandle, int) override { Fail(); }
  std::string ListText(platform::WindowHandle, int, int) override { Fail(); }
  int ListCurSel(platform::WindowHandle, int) override { Fail(); }
  bool ListSetCurSel(platform::WindowHandle, int, int) override { Fail(); }
};

// A line of the log as a path: one CR before the line feed dropped, cut at
// a zero byte.
std::string AsPath(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::size_t zero = line.find('\0');
  if (zero != std::string::npos) line.resize(zero);
  return line;
}

// The path a log line names, as Windows resolves it, when it lies where the
// copy engine writes (see below); else empty.
std::string WritablePlace(const std::string& line) {
  if (line.size() < 3 || line[1] != ':' || line[2] == ':') return {};
  const text::WindowsPath p = text::ResolvePath(line);
  if (!p.valid || p.root != "C:" || p.parts.empty()) return {};
  for (const std::string& part : p.parts) {
    for (unsigned char c : part) {
      if (c < 32 || std::string("<>\"|*?:").find(static_cast<char>(c)) != std::string::npos) return {};
    }
  }
  const bool inTree = p.parts.size() >= 2 && p.parts[0] == "TAPE";
  const bool backupTool = p.parts.size() == 2 && p.parts[0] == "WINDOWS" && p.parts[1] == "LFNBK.EXE";
  const bool driver = p.parts.size() == 3 && p.parts[0] == "WINDOWS" && p.parts[1] == "SYSTEM" &&
                      p.parts[2].find(".VXD") != std::string::npos;
  return inTree || backupTool || driver ? p.Text() : std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Byte 0: how reads come (piece size, whether and where one fails, or no
  // log at all); the rest is the log.
  if (size == 0) return 0;
  const std::uint8_t control = data[0];
  const std::string log(reinterpret_cast<const char*>(data + 1), size - 1);

  // One machine and state for all runs: building the message catalog of a
  // state costs more than a run. The files are set up afresh each time.
  static MemoryFiles& files = *new MemoryFiles;
  static Rest& rest = *new Rest;
  static platform::Machine machine{rest, files, rest, rest, rest, rest, rest};
  static setup::SetupState& state = *new setup::SetupState(machine);
  files.files.clear();
  files.deleted.clear();
  files.failReadAfter = UINT32_MAX;
  files.readFailed = false;
  rest.boxes = 0;
  rest.lastBoxText.clear();
  state.uninstallDir = kInstallDir;
  state.windowsDir = "C:\\WINDOWS";

  static const char* const kOthers[] = {
      "C:\\TAPE\\HALVORN.EXE",   "C:\\TAPE\\HELP\\HELP.TXT", "C:\\TAPE\\UNINSTAL.EXE",
      "C:\\WINDOWS\\WIN.INI",    "C:\\WINDOWS\\SYSTEM\\ZEMAQW.VXD", "C:\\AUTOEXEC.BAT",
      "C:\\TAPE2\\KEEP.TXT",     "D:\\DATA.DAT",
  };
  for (const char* other : kOthers) files.files[text::ToUpperAscii(other)] = "x";
  const bool logPresent = (control & 0x80) == 0;
  if (logPresent) files.files[text::ToUpperAscii(kLogPath)] = log;
  files.pieceSize = 1 + (control & 0x0F) * 37u;
  if (control & 0x40) files.failReadAfter = static_cast<std::uint32_t>(log.size() * (control & 0x30) / 64);

  install::RemoveLoggedFiles(state);

  if (files.OpenHandles() != 0) Fail();
  if (!logPresent) {
    if (!files.deleted.empty() || rest.boxes != 1 || rest.lastBoxText != kLogPath) Fail();
    return 0;
  }
  if (rest.boxes != 0) Fail();

  // The paths the log names, line by line.
  std::set<std::string> named;
  std::size_t begin = 0;
  while (begin < log.size()) {
    std::size_t end = log.find('\n', begin);
    if (end == std::string::npos) {
      named.insert(AsPath(log.substr(begin)));
      break;
    }
    named.insert(AsPath(log.substr(begin, end - begin)));
    begin = end + 1;
  }

  // The log itself is deleted last, once. Every other deletion is a named
  // line as Windows resolves it, in a place the copy engine writes: below
  // the install directory, LFNBK.EXE in the Windows directory, a ".VXD"
  // name directly in its SYSTEM directory.
  if (files.deleted.empty() || files.deleted.back() != kLogPath) Fail();
  std::set<std::string> allowed;
  for (const std::string& line : named) {
    const std::string resolved = WritablePlace(line);
    if (!resolved.empty()) allowed.insert(resolved);
  }
  std::set<std::string> deleted;
  for (std::size_t i = 0; i + 1 < files.deleted.size(); ++i) {
    const std::string& path = files.deleted[i];
    if (allowed.count(path) == 0) Fail();
    deleted.insert(path);
  }
  if (!files.readFailed) {
    for (const std::string& path : allowed) {
      if (deleted.count(path) == 0) Fail();
    }
  }
  return 0;
}
