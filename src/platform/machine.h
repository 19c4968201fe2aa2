// The machine seam: the small set of Windows services the setup logic uses.
//
// The setup logic never includes <windows.h>. It talks to a Machine, whose
// parts are shaped after the Windows calls the logic makes, and whose results
// keep the Windows conventions the logic relies on (error numbers such as
// 2, 5, 32, 259, 1010; message box answers 1, 2, 6, 7).
//
// Two machines implement it: the real one (platform/win32, compiled into
// SETUP.EXE) and a simulated Windows 95/98/NT machine kept in a host
// directory (platform/sim), used by the native tests and the scenario runner.
//
// Texts are byte strings in the Windows-1252 code page, exactly as shown.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// ---------------------------------------------------------------- constants

// Win32 error numbers the logic looks at.
namespace err {
constexpr std::uint32_t kSuccess = 0;
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kInvalidHandle = 6;
constexpr std::uint32_t kWriteFault = 29;
constexpr std::uint32_t kReadFault = 30;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kHandleDiskFull = 39;
constexpr std::uint32_t kInvalidParameter = 87;
constexpr std::uint32_t kDiskFull = 112;
constexpr std::uint32_t kInsufficientBuffer = 122;
constexpr std::uint32_t kDirNotEmpty = 145;
constexpr std::uint32_t kAlreadyExists = 183;
constexpr std::uint32_t kMoreData = 234;
constexpr std::uint32_t kNoMoreItems = 259;
constexpr std::uint32_t kBadKey = 1010;
constexpr std::uint32_t kCantOpenKey = 1011;
constexpr std::uint32_t kKeyDeleted = 1018;
constexpr std::uint32_t kBadFormat = 11;
constexpr std::uint32_t kCallNotImplemented = 120;
constexpr std::uint32_t kInvalidServiceControl = 1052;
constexpr std::uint32_t kServiceDoesNotExist = 1060;
constexpr std::uint32_t kServiceNotActive = 1062;
constexpr std::uint32_t kServiceMarkedForDelete = 1072;
constexpr std::uint32_t kServiceExists = 1073;
constexpr std::uint32_t kResourceDataNotFound = 1812;
constexpr std::uint32_t kResourceTypeNotFound = 1813;
}  // namespace err

// Message box flags (MB_*) and answers (ID*), with their Windows values.
namespace mb {
constexpr std::uint32_t kOk = 0x0;
constexpr std::uint32_t kOkCancel = 0x1;
constexpr std::uint32_t kAbortRetryIgnore = 0x2;
constexpr std::uint32_t kYesNoCancel = 0x3;
constexpr std::uint32_t kYesNo = 0x4;
constexpr std::uint32_t kRetryCancel = 0x5;
constexpr std::uint32_t kButtonMask = 0xF;
constexpr std::uint32_t kIconError = 0x10;        // MB_ICONHAND / MB_ICONSTOP
constexpr std::uint32_t kIconQuestion = 0x20;
constexpr std::uint32_t kIconWarning = 0x30;      // MB_ICONEXCLAMATION
constexpr std::uint32_t kIconInformation = 0x40;  // MB_ICONASTERISK
constexpr std::uint32_t kIconMask = 0xF0;
}  // namespace mb

namespace answer {
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kAbort = 3;
constexpr int kRetry = 4;
constexpr int kIgnore = 5;
constexpr int kYes = 6;
constexpr int kNo = 7;
}  // namespace answer

// Command ids (WM_COMMAND) that Windows gives a dialog of its own: IDOK for
// Enter and IDCANCEL for Escape and the close box. A modal dialog ends with
// them unless its handler takes them (platform/dialog.h).
namespace cmd {
constexpr int kOk = 1;
constexpr int kCancel = 2;
}  // namespace cmd

// List box notifications (the notify code of WM_COMMAND from a list box
// with LBS_NOTIFY).
namespace lbn {
constexpr int kSelChange = 1;  // LBN_SELCHANGE
constexpr int kDblClk = 2;     // LBN_DBLCLK
}  // namespace lbn

// ShowWindow commands used by the logic.
namespace sw {
constexpr int kHide = 0;
constexpr int kShowNormal = 1;
constexpr int kShowMaximized = 3;
constexpr int kShow = 5;
}  // namespace sw

// ---------------------------------------------------------------- system

struct OsVersion {
  std::uint32_t platformId = 0;  // 1 Windows 95 family, 2 Windows NT
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
};

class System {
 public:
  virtual ~System() = default;
  virtual OsVersion GetVersion() = 0;                 // GetVersionExA
  virtual std::string GetModuleFileName() = 0;        // full path of the program
  virtual std::string GetCommandLine() = 0;           // GetCommandLineA, whole
  virtual std::string GetWindowsDirectory() = 0;      // GetWindowsDirectoryA
  // WinExec: result above 31 means started.
  virtual std::uint32_t WinExec(const std::string& commandLine, int show) = 0;
  // CreateProcessA(command line), WaitForSingleObject(INFINITE) and
  // GetExitCodeProcess: 0 and the program's exit code once it has ended,
  // or the error that kept it from starting (2 when there is no such
  // program).
  virtual std::uint32_t RunAndWait(const std::string& commandLine, std::uint32_t* exitCode) = 0;
  // Starts a program with an argument list without waiting; -1 on failure.
  virtual int SpawnNoWait(const std::string& program,
                          const std::vector<std::string>& args) = 0;
  // OpenProcessToken, LookupPrivilegeValueA("SeShutdownPrivilege") and
  // AdjustTokenPrivileges(SE_PRIVILEGE_ENABLED); results are not reported.
  virtual void EnableShutdownPrivilege() = 0;
  // ExitWindowsEx: nonzero when the shutdown was started.
  virtual int ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
  // GetTickCount: milliseconds since some start, wrapping at 2^32 (compare
  // differences, unsigned). It paces work in time rather than in steps (the
  // copy engine lets messages through every so many milliseconds). Both
  // machines have their own; parts made for tests that do not care see a
  // clock that moves on 100 ms at each reading (no host clock: the shipped
  // program must not import the run-time's clock functions).
  virtual std::uint32_t GetTickCount() { return defaultTicks_ += 100; }

 private:
  std::uint32_t defaultTicks_ = 0;
};

// ---------------------------------------------------------------- files

namespace attr {
constexpr std::uint32_t kReadOnly = 0x01;
constexpr std::uint32_t kHidden = 0x02;
constexpr std::uint32_t kSystem = 0x04;
constexpr std::uint32_t kDirectory = 0x10;
constexpr std::uint32_t kArchive = 0x20;
constexpr std::uint32_t kNormal = 0x80;
constexpr std::uint32_t kReparsePoint = 0x400;  // a junction or symbolic link
constexpr std::uint32_t kInvalid = 0xFFFFFFFFu;
}  // namespace attr

struct FileStatus {
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::int64_t lastWriteUnix = 0;  // seconds since 1970-01-01 UTC
};

struct FindData {
  std::string name;  // long name of the entry, no directory
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
};

using FileHandle = std::intptr_t;
constexpr FileHandle kInvalidFile = -1;

enum class OpenMode {
  kRead,          // existing file, read access, shared reading and writing
  kWriteCreate,   // CREATE_ALWAYS, write access, shared writing
  kReadWriteCreate,  // CREATE_ALWAYS, read and write access
  kAppend,        // OPEN_ALWAYS, write at the end
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Status of a path (file or directory). Returns 0 or an error number
  // (2 or 3 when it does not exist).
  virtual std::uint32_t GetFileStatus(const std::string& path, FileStatus* out) = 0;
  // Open a file; on failure returns kInvalidFile and sets *error.
  virtual FileHandle Open(const std::string& path, OpenMode mode, std::uint32_t* error) = 0;
  // ReadFile: returns 0 and the count read (0 at the end), or an error.
  virtual std::uint32_t Read(FileHandle h, void* buffer, std::uint32_t size,
                             std::uint32_t* read) = 0;
  // WriteFile: returns 0 when every byte was written, else an error
  // (112 when the disk is full); *written tells how many were.
  virtual std::uint32_t Write(FileHandle h, const void* data, std::uint32_t size,
                              std::uint32_t* written) = 0;
  virtual void Close(FileHandle h) = 0;

  virtual std::uint32_t DeleteFile(const std::string& path) = 0;
  virtual std::uint32_t CreateDirectory(const std::string& path) = 0;  // one level
  virtual std::uint32_t RemoveDirectory(const std::string& path) = 0;  // empty only
  virtual std::uint32_t MoveFile(const std::string& from, const std::string& to) = 0;
  // MoveFileExA(from, to or empty to delete, MOVEFILE_DELAY_UNTIL_REBOOT).
  virtual std::uint32_t MoveFileAtReboot(const std::string& from, const std::string& to) = 0;
  virtual std::uint32_t GetFileAttributes(const std::string& path, std::uint32_t* attributes) = 0;
  virtual std::uint32_t SetFileAttributes(const std::string& path, std::uint32_t attributes) = 0;
  // Last-access and last-write time, seconds since 1970-01-01 00:00:00 UTC.
  virtual std::uint32_t SetFileTimes(const std::string& path, std::int64_t unixSeconds) = 0;
  // The same times set through a handle this program opened for writing
  // (SetFileTime on the handle, as Windows 95 and NT have it): no second
  // open of the file by name. 6 for an unknown handle, 5 for one open for
  // reading only. A machine without it answers 120; the caller then sets
  // them by name.
  virtual std::uint32_t SetOpenFileTimes(FileHandle /*h*/, std::int64_t /*unixSeconds*/) {
    return err::kCallNotImplemented;
  }
  virtual std::uint32_t GetShortPathName(const std::string& path, std::string* out) = 0;
  // FindFirstFileA/FindNextFileA over a pattern such as "C:\DIR\*.*";
  // "." and ".." are included as Windows lists them. Returns 0, or 2/3/18.
  virtual std::uint32_t FindFiles(const std::string& pattern, std::vector<FindData>* out) = 0;
  virtual std::uint32_t SetCurrentDirectory(const std::string& path) = 0;
  // MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING): `to` is replaced by
  // `from` in one step where the platform can. Windows 95 and 98 do not
  // implement MoveFileExA (120); there, and by default, the old file is
  // deleted first and the new one renamed.
  virtual std::uint32_t MoveFileReplacing(const std::string& from, const std::string& to) {
    std::uint32_t e = DeleteFile(to);
    if (e != err::kSuccess && e != err::kFileNotFound) return e;
    return MoveFile(from, to);
  }
  // GetCurrentDirectoryA: the full current directory ("C:\" at a root).
  // Both machines have it; parts made for tests that never ask may leave
  // it (empty).
  virtual std::string GetCurrentDirectory() { return std::string(); }
};

// Whole-file helpers on top of FileSystem.
std::uint32_t ReadWholeFile(FileSystem& fs, const std::string& path, std::string* out);
std::uint32_t WriteWholeFile(FileSystem& fs, const std::string& path, const std::string& data);

// ---------------------------------------------------------------- profiles

class Profile {
 public:
  virtual ~Profile() = default;
  // GetPrivateProfileStringA: copies at most size-1 bytes of the value.
  virtual std::string GetString(const std::string& section, const std::string& key,
                                const std::string& defaultValue, std::uint32_t size,
                                const std::string& file) = 0;
  // WritePrivateProfileStringA: true on success.
  virtual bool WriteString(const std::string& section, const std::string& key,
                           const std::string& value, const std::string& file) = 0;
};

// ---------------------------------------------------------------- registry

using RegKey = std::uintptr_t;
namespace hkey {
constexpr RegKey kClassesRoot = 0x80000000u;
constexpr RegKey kCurrentUser = 0x80000001u;
constexpr RegKey kLocalMachine = 0x80000002u;
constexpr RegKey kUsers = 0x80000003u;
}  // namespace hkey

namespace regtype {
constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kSz = 1;
constexpr std::uint32_t kExpandSz = 2;
constexpr std::uint32_t kBinary = 3;
constexpr std::uint32_t kDword = 4;
constexpr std::uint32_t kMultiSz = 7;
}  // namespace regtype

constexpr std::uint32_t kKeyAllAccess = 0xF003F;
constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::uint32_t kRegCreatedNewKey = 1;
constexpr std::uint32_t kRegOpenedExistingKey = 2;

class Registry {
 public:
  virtual ~Registry() = default;
  virtual std::uint32_t CreateKey(RegKey root, const std::string& subkey, std::uint32_t access,
                                  RegKey* out, std::uint32_t* disposition) = 0;
  virtual std::uint32_t OpenKey(RegKey root, const std::string& subkey, std::uint32_t access,
                                RegKey* out) = 0;
  // RegQueryValueExA with a buffer of maxSize bytes: 234 when the value
  // (with its terminating zero for strings) does not fit; *data then empty.
  virtual std::uint32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                   std::string* data, std::uint32_t maxSize) = 0;
  // RegSetValueExA; for REG_SZ, data is the text without its terminator.
  virtual std::uint32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                 const std::string& data) = 0;
  virtual std::uint32_t EnumKey(RegKey key, std::uint32_t index, std::string* name) = 0;
  virtual std::uint32_t EnumValue(RegKey key, std::uint32_t index, std::string* name,
                                  std::uint32_t* type, std::string* data) = 0;
  // RegDeleteKeyA: Windows 95/98 delete the whole tree; Windows NT refuses a
  // key with subkeys (5).
  virtual std::uint32_t DeleteKey(RegKey key, const std::string& subkey) = 0;
  virtual std::uint32_t DeleteValue(RegKey key, const std::string& name) = 0;
  virtual std::uint32_t CloseKey(RegKey key) = 0;
};

// ---------------------------------------------------------------- LZ

class Lz {
 public:
  virtual ~Lz() = default;
  // LZOpenFileA(path, OF_READ): a handle >= 0, or a negative LZERROR_*.
  virtual int Open(const std::string& path) = 0;
  // LZRead: bytes read (less than size only at the end), negative on error.
  virtual int Read(int handle, void* buffer, int size) = 0;
  virtual void Close(int handle) = 0;
  // GetExpandedNameA: the path with the name stored in a compressed file's
  // header, or the path unchanged for a plain file.
  virtual std::string GetExpandedName(const std::string& path) = 0;
  // The uncompressed length recorded in the header of the compressed file
  // open as `handle` (for a plain file, its size), or -1 when the machine
  // cannot tell. Reading a truncated compressed file gives no error, so the
  // reader compares what Read delivered with this length.
  virtual std::int64_t ExpandedLength(int handle) {
    (void)handle;
    return -1;
  }
};

// ---------------------------------------------------------------- versions

// The file version of a file's fixed version information
// (VS_FIXEDFILEINFO dwFileVersionMS and dwFileVersionLS).
struct FileVersion {
  std::uint32_t ms = 0;
  std::uint32_t ls = 0;
};

class Versions {
 public:
  virtual ~Versions() = default;
  // GetFileVersionInfoSizeA: the size of the file's version information,
  // 0 when it has none; *error then says why (2 no such file, 11 not a
  // program file, 1812 no resources, 1813 no version resource).
  virtual std::uint32_t GetFileVersionInfoSize(const std::string& path, std::uint32_t* error) = 0;
  // GetFileVersionInfoA, then VerQueryValueA with the root block "\": the
  // file version of VS_FIXEDFILEINFO. Returns 0, or an error number (1813
  // when the information holds no fixed part); *out is then untouched.
  virtual std::uint32_t GetFixedFileVersion(const std::string& path, FileVersion* out) = 0;
};

// ---------------------------------------------------------------- services

// Service control manager of Windows NT.
using ServiceHandle = std::uintptr_t;  // SC_HANDLE; 0: none
constexpr ServiceHandle kNoService = 0;
constexpr std::uint32_t kScManagerAllAccess = 0xF003F;
constexpr std::uint32_t kServiceAllAccess = 0xF01FF;

namespace service {
constexpr std::uint32_t kControlStop = 1;      // SERVICE_CONTROL_STOP
constexpr std::uint32_t kStopped = 1;          // SERVICE_STOPPED
constexpr std::uint32_t kStopPending = 3;      // SERVICE_STOP_PENDING
constexpr std::uint32_t kRunning = 4;          // SERVICE_RUNNING
constexpr std::uint32_t kKernelDriver = 0x1;   // SERVICE_KERNEL_DRIVER
constexpr std::uint32_t kDemandStart = 3;      // SERVICE_DEMAND_START
}  // namespace service

struct ServiceStatus {
  std::uint32_t serviceType = 0;
  std::uint32_t currentState = 0;  // service::kStopped, kRunning, ...
};

// What QueryServiceConfigA gives and CreateServiceA takes: a service's
// registration with the manager. Texts empty where the manager has none.
struct ServiceConfig {
  std::uint32_t serviceType = 0;   // service::kKernelDriver, ...
  std::uint32_t startType = 0;     // 0 boot ... 3 demand, 4 disabled
  std::uint32_t errorControl = 0;
  std::string binaryPathName;
  std::string loadOrderGroup;
  std::uint32_t tagId = 0;         // read only: the manager gives tags itself
  std::string dependencies;        // each name followed by a zero byte; "" for none
  std::string serviceStartName;
  std::string displayName;
};

class Services {
 public:
  virtual ~Services() = default;
  // OpenSCManagerA(local machine, active database, access). Windows 95 and
  // 98 have no service control manager (120).
  virtual std::uint32_t OpenSCManager(std::uint32_t access, ServiceHandle* out) = 0;
  // OpenServiceA: 1060 when no such service is registered.
  virtual std::uint32_t OpenService(ServiceHandle manager, const std::string& name,
                                    std::uint32_t access, ServiceHandle* out) = 0;
  // ControlService; the status after the control (1062 when not running).
  virtual std::uint32_t ControlService(ServiceHandle service, std::uint32_t control,
                                       ServiceStatus* status) = 0;
  virtual std::uint32_t QueryServiceStatus(ServiceHandle service, ServiceStatus* status) = 0;
  // QueryServiceConfigA of a service opened with all access; *config is
  // untouched on failure.
  virtual std::uint32_t QueryServiceConfig(ServiceHandle service, ServiceConfig* config) = 0;
  // CreateServiceA with `config` (its tag not asked for): 1073 when a
  // service of that name exists, 1072 while one is marked for deletion.
  virtual std::uint32_t CreateService(ServiceHandle manager, const std::string& name,
                                      const ServiceConfig& config, std::uint32_t access,
                                      ServiceHandle* out) = 0;
  // DeleteService: marks the service for deletion; it goes once every
  // handle is closed and it has stopped (1072 when already marked).
  virtual std::uint32_t DeleteService(ServiceHandle service) = 0;
  virtual std::uint32_t CloseServiceHandle(ServiceHandle handle) = 0;
};

// ---------------------------------------------------------------- UI

using WindowHandle = std::uintptr_t;  // 0: no window
constexpr WindowHandle kNoWindow = 0;

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};
struct Size {
  int cx = 0, cy = 0;
};
using Color = std::uint32_t;  // 0x00BBGGRR as COLORREF
constexpr Color Rgb(int r, int g, int b) {
  return static_cast<Color>(r & 0xFF) | (static_cast<Color>(g & 0xFF) << 8) |
         (static_cast<Color>(b & 0xFF) << 16);
}

// Raster operations for bitmap drawing.
enum class Rop { kSrcCopy, kSrcAnd, kMergePaint };

// A device context to draw on, given to paint handlers.
class Painter {
 public:
  virtual ~Painter() = default;
  virtual Rect ClientRect() = 0;
  virtual void FillSolid(const Rect& r, Color c) = 0;
  virtual void FrameRect(const Rect& r, Color c) = 0;
  // Size of bitmap resource id; false when it cannot be loaded.
  virtual bool BitmapSize(int bitmapId, Size* out) = 0;
  virtual bool DrawBitmap(int bitmapId, int x, int y, Rop rop) = 0;
  // DrawIcon of icon resource iconId (its standard size) with its top left
  // at x, y; false when it cannot be loaded.
  virtual bool DrawIcon(int iconId, int x, int y) = 0;
  virtual Size TextExtent(const std::string& text) = 0;
  // ExtTextOut with ETO_OPAQUE|ETO_CLIPPED in the given colours.
  virtual void DrawTextClipped(int x, int y, const Rect& clip, const std::string& text,
                               Color textColor, Color backColor) = 0;
  // The default window procedure's handling of the paint message, which
  // validates the window.
  virtual void DefaultPaint() = 0;
};

class Ui;

// The behaviour of one dialog, written in the setup logic. The machine
// creates the window from the handler's template and calls these. A
// handler knows its window through a platform::Dialog (platform/dialog.h).
class DialogHandler {
 public:
  // `templateId`: the dialog template the window is made from (a name of
  // ui/dialog_ids.h).
  explicit DialogHandler(int templateId) : templateId_(templateId) {}
  virtual ~DialogHandler() = default;

  int TemplateId() const { return templateId_; }

  // WM_INITDIALOG; true lets the system set the focus.
  virtual bool OnInitDialog(WindowHandle dialog) = 0;
  // WM_COMMAND; return false for the default handling, which for a modal
  // dialog ends it with cmd::kOk and cmd::kCancel (Escape and the close box
  // give cmd::kCancel); see platform::DefaultCommand.
  virtual bool OnCommand(WindowHandle /*dialog*/, int /*id*/, int /*notifyCode*/) {
    return false;
  }
  virtual void OnTimer(WindowHandle /*dialog*/, int /*timerId*/) {}
  // WM_PAINT of the dialog itself; false for the default handling.
  virtual bool OnPaint(WindowHandle /*dialog*/, Painter& /*painter*/) { return false; }
  // WM_PAINT of a control the handler draws itself (see Ui::OwnControlPaint).
  virtual void OnPaintControl(WindowHandle /*dialog*/, int /*controlId*/, Painter& /*painter*/) {}
  // WM_NCACTIVATE: return true and set *result to answer it without the
  // default handling.
  virtual bool OnNcActivate(WindowHandle /*dialog*/, bool /*active*/, bool* /*result*/) {
    return false;
  }
  // WM_DESTROY.
  virtual void OnDestroy(WindowHandle /*dialog*/) {}

 private:
  int templateId_;
};

// The hook of the classic common save-file dialog (Ui::GetSaveFileName):
// the logic adapts the dialog the system made from its template.
class FileDialogHook {
 public:
  virtual ~FileDialogHook() = default;
  // WM_INITDIALOG of the dialog, before it is first shown.
  virtual void OnInitDialog(WindowHandle dialog) = 0;
  // Each WM_PAINT of the dialog, before the dialog paints itself.
  virtual void OnPaint(WindowHandle /*dialog*/) {}
};

// OPENFILENAME options (OFN_*) the logic uses.
namespace ofn {
constexpr std::uint32_t kOverwritePrompt = 0x2;
constexpr std::uint32_t kHideReadOnly = 0x4;
constexpr std::uint32_t kShowHelp = 0x10;
constexpr std::uint32_t kEnableHook = 0x20;
constexpr std::uint32_t kEnableTemplate = 0x40;
constexpr std::uint32_t kExplorer = 0x80000;
}  // namespace ofn

class Ui {
 public:
  virtual ~Ui() = default;
  // MessageBoxA: returns the answer (answer::*).
  virtual int MessageBox(WindowHandle owner, const std::string& text,
                         const std::string& caption, std::uint32_t flags) = 0;
  // DialogBoxParam from the handler's template: returns the EndDialog value.
  virtual int RunModal(WindowHandle owner, DialogHandler& handler) = 0;
  // CreateDialogParam from the handler's template: the new window, or
  // kNoWindow.
  virtual WindowHandle CreateModeless(WindowHandle owner, DialogHandler& handler) = 0;
  virtual void EndDialog(WindowHandle dialog, int result) = 0;
  virtual void DestroyWindow(WindowHandle window) = 0;

  virtual void SetWindowText(WindowHandle window, const std::string& text) = 0;
  virtual std::string GetWindowText(WindowHandle window) = 0;
  virtual void SetItemText(WindowHandle dialog, int controlId, const std::string& text) = 0;
  virtual std::string GetItemText(WindowHandle dialog, int controlId) = 0;
  virtual bool EnableWindow(WindowHandle window, bool enable) = 0;  // previous state: was disabled
  virtual bool IsWindowEnabled(WindowHandle window) = 0;
  virtual void EnableItem(WindowHandle dialog, int controlId, bool enable) = 0;
  virtual void ShowWindow(WindowHandle window, int command) = 0;
  virtual void SetTopmostAndShow(WindowHandle window) = 0;  // HWND_TOPMOST, NOMOVE|NOSIZE|SHOW
  virtual WindowHandle GetOwner(WindowHandle window) = 0;
  virtual WindowHandle GetMainWindow() = 0;  // the application's main window
  virtual void SetMainWindow(WindowHandle window) = 0;

  // The handler's OnPaintControl draws this static control from now on.
  virtual void OwnControlPaint(WindowHandle dialog, int controlId) = 0;
  // InvalidateRect(control, erase) and UpdateWindow (repaint at once).
  virtual void InvalidateItem(WindowHandle dialog, int controlId, bool erase) = 0;
  virtual void UpdateItem(WindowHandle dialog, int controlId) = 0;

  virtual bool SetTimer(WindowHandle window, int timerId, std::uint32_t milliseconds) = 0;
  virtual void KillTimer(WindowHandle window, int timerId) = 0;
  // Runs every pending message of the thread without waiting; keyboard
  // messages for `dialog` go through IsDialogMessage.
  virtual void PumpMessages(WindowHandle dialog) = 0;
  // Waits for and runs messages until `done` holds (checked after each).
  virtual void RunMessagesUntil(const std::function<bool()>& done) = 0;

  // ---- list boxes: LB_* messages to a dialog's list box control
  // LB_ADDSTRING: a sorted list box (LBS_SORT) puts the text in its place,
  // comparing without regard to case; others append it. The index of the
  // new entry, or -1 (no such list box).
  virtual int ListAddString(WindowHandle dialog, int controlId, const std::string& text) = 0;
  // LB_GETCOUNT: the number of entries; 0 when there is no such list box.
  virtual int ListCount(WindowHandle dialog, int controlId) = 0;
  // LB_GETTEXT: the text of an entry; empty for an index out of range.
  virtual std::string ListText(WindowHandle dialog, int controlId, int index) = 0;
  // LB_GETCURSEL: the selected entry, or -1 when none is.
  virtual int ListCurSel(WindowHandle dialog, int controlId) = 0;
  // LB_SETCURSEL: selects an entry (-1: none); false for an index out of
  // range, which leaves nothing selected, as on Windows.
  virtual bool ListSetCurSel(WindowHandle dialog, int controlId, int index) = 0;
  // ---- placement, focus and edit limits; the classic save-file dialog
  // Both machines have these; the defaults (nothing done, empty
  // rectangles, the dialog cancelled) serve parts made for tests that
  // never show these dialogs.
  // GetWindowRect: the window's rectangle in screen pixels.
  virtual Rect GetWindowRect(WindowHandle /*window*/) { return Rect{}; }
  // GetWindowRect(GetDesktopWindow()): the whole screen.
  virtual Rect GetDesktopRect() { return Rect{}; }
  // SetWindowPos(x, y) with SWP_NOSIZE | SWP_NOZORDER: keeps size and z-order.
  virtual void MoveWindow(WindowHandle /*window*/, int /*x*/, int /*y*/) {}
  // SetFocus on a control of a dialog.
  virtual void SetItemFocus(WindowHandle /*dialog*/, int /*controlId*/) {}
  // ShowWindow(SW_HIDE / SW_SHOW) on a control of a dialog.
  virtual void ShowItem(WindowHandle /*dialog*/, int /*controlId*/, bool /*show*/) {}
  // EM_LIMITTEXT: the most characters the user can type into an edit box.
  virtual void LimitItemText(WindowHandle /*dialog*/, int /*controlId*/, int /*maxChars*/) {}
  // BM_GETCHECK: true when the check box or radio button is checked.
  virtual bool IsItemChecked(WindowHandle /*dialog*/, int /*controlId*/) { return false; }
  // BM_SETCHECK: checks or clears a check box or radio button (the other
  // buttons of a radio group are left as they are, as on Windows).
  virtual void CheckItem(WindowHandle /*dialog*/, int /*controlId*/, bool /*checked*/) {}
  // LB_SETCURSEL on a list box of a dialog.
  virtual void SelectListItem(WindowHandle /*dialog*/, int /*controlId*/, int /*index*/) {}
  // GetSaveFileNameA with the program's dialog template `templateId`
  // (OFN_ENABLETEMPLATE and OFN_ENABLEHOOK are added), no filter, no
  // initial file name or directory, and `flags`. True when the user chose
  // OK; *path is then the full path the dialog returns.
  virtual bool GetSaveFileName(WindowHandle /*owner*/, int /*templateId*/,
                               std::uint32_t /*flags*/, FileDialogHook& /*hook*/,
                               std::string* /*path*/) {
    return false;
  }
};

// ---------------------------------------------------------------- DDE

// The dynamic data exchange management library (DDEML), as a client of the
// shell's Program Manager. Handles are the library's own numbers; 0 stands
// for "none" as in Windows.
using DdeInstance = std::uint32_t;         // DdeInitializeA's instance id
using DdeStringHandle = std::uintptr_t;    // HSZ
using DdeConversation = std::uintptr_t;    // HCONV

// DDEML error numbers (DMLERR_*), as DdeGetLastError and DdeInitializeA
// give them.
namespace dmlerr {
constexpr std::uint32_t kNoError = 0;
constexpr std::uint32_t kBusy = 0x4001;
constexpr std::uint32_t kDllNotInitialized = 0x4003;
constexpr std::uint32_t kExecAckTimeout = 0x4005;
constexpr std::uint32_t kInvalidParameter = 0x4006;
constexpr std::uint32_t kNotProcessed = 0x4009;
constexpr std::uint32_t kNoConvEstablished = 0x400A;
constexpr std::uint32_t kSysError = 0x400F;
}  // namespace dmlerr

class Dde {
 public:
  virtual ~Dde() = default;
  // DdeInitializeA(APPCMD_CLIENTONLY) with a callback that answers every
  // transaction with 0. Returns 0 and sets *instance, or a DMLERR_* number.
  virtual std::uint32_t Initialize(DdeInstance* instance) = 0;
  // DdeUninitialize: frees everything the instance still holds.
  virtual void Uninitialize(DdeInstance instance) = 0;
  // DdeCreateStringHandleA(CP_WINANSI); 0 on failure.
  virtual DdeStringHandle CreateStringHandle(DdeInstance instance, const std::string& text) = 0;
  virtual void FreeStringHandle(DdeInstance instance, DdeStringHandle handle) = 0;
  // DdeConnect(service, topic) with a default CONVCONTEXT (size set, the
  // rest zero); 0 when no server answers.
  virtual DdeConversation Connect(DdeInstance instance, DdeStringHandle service,
                                  DdeStringHandle topic) = 0;
  virtual void Disconnect(DdeConversation conversation) = 0;  // DdeDisconnect
  // DdeCreateDataHandle of `command` and its terminating zero (CF_TEXT, no
  // item), then DdeClientTransaction(handle, -1, no item, format 0,
  // XTYP_EXECUTE, timeout). True when the server carried the command out.
  // On a conversation of 0 it fails and leaves the last error as it was.
  virtual bool Execute(DdeInstance instance, DdeConversation conversation,
                       const std::string& command, std::uint32_t timeoutMs) = 0;
  // DdeClientTransaction(no data, item, CF_TEXT, XTYP_REQUEST, timeout);
  // when data came back, DdeAccessData, a copy of all its bytes (the
  // server's terminating zero included) into *data, DdeUnaccessData and
  // DdeFreeDataHandle. False, and *data empty, when nothing came back.
  virtual bool Request(DdeInstance instance, DdeConversation conversation, DdeStringHandle item,
                       std::uint32_t timeoutMs, std::string* data) = 0;
  // DdeGetLastError: the instance's last error, which it then resets to 0.
  virtual std::uint32_t GetLastError(DdeInstance instance) = 0;
};

// ---------------------------------------------------------------- machine

// Parts for a machine that lacks them: no file has version information
// (1813), and there is no service control manager (120, as on Windows 95
// and 98). Tests of other parts leave these members to their defaults.
Versions& NoVersionLibrary();
Services& NoServiceManager();

struct Machine {
  System& system;
  FileSystem& files;
  Profile& profile;
  Registry& registry;
  Lz& lz;
  Ui& ui;
  Dde& dde;
  Versions& versions = NoVersionLibrary();
  Services& services = NoServiceManager();
};

}  // namespace platform
