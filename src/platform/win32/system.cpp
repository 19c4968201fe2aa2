// System, files, profiles, registry and LZ expansion of the real machine.
#include "platform/win32/win32_machine.h"
#include "platform/win32/system_library.h"


#include <cstring>
#include <limits>

namespace platform::win32 {
namespace {

std::uint32_t LastErrorOr(std::uint32_t fallback) {
  DWORD e = ::GetLastError();
  return e != 0 ? e : fallback;
}

std::uint32_t Result(BOOL ok) { return ok ? err::kSuccess : LastErrorOr(err::kInvalidParameter); }

// A path handed to an ANSI call: the calls stop at the first zero byte, so a
// text with an embedded zero is refused rather than silently shortened.
bool Usable(const std::string& s) { return s.find('\0') == std::string::npos; }

constexpr std::int64_t kUnixEpochAsFileTime = 11644473600LL;  // seconds 1601..1970

std::int64_t FileTimeToUnix(const FILETIME& ft) {
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  return static_cast<std::int64_t>(v.QuadPart / 10000000ULL) - kUnixEpochAsFileTime;
}

// Seconds since 1970 as a FILETIME (100 ns since 1601); false for what it
// cannot hold.
bool UnixToFileTime(std::int64_t unixSeconds, FILETIME* ft) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max() / 10000000LL -
                                kUnixEpochAsFileTime;
  if (unixSeconds < -kUnixEpochAsFileTime || unixSeconds > kMax) return false;
  ULARGE_INTEGER v;
  v.QuadPart = static_cast<std::uint64_t>(unixSeconds + kUnixEpochAsFileTime) * 10000000ULL;
  ft->dwLowDateTime = v.LowPart;
  ft->dwHighDateTime = v.HighPart;
  return true;
}

// Quotes one argument of a command line the way the C run-time parses it.
std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

}  // namespace

// ---------------------------------------------------------------- system

OsVersion Win32System::GetVersion() {
  OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  OsVersion v;
  if (::GetVersionExA(&info)) {
    v.platformId = info.dwPlatformId;
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
    v.build = info.dwBuildNumber;
  }
  return v;
}

std::string Win32System::GetModuleFileName() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size() - 1 || buffer.size() >= 32768) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

std::string Win32System::GetCommandLine() {
  const char* line = ::GetCommandLineA();
  return line ? std::string(line) : std::string();
}

std::string Win32System::GetWindowsDirectory() {
  char buffer[MAX_PATH + 1] = {};
  UINT n = ::GetWindowsDirectoryA(buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return std::string();
  return std::string(buffer, n);
}

std::uint32_t Win32System::WinExec(const std::string& commandLine, int show) {
  if (!Usable(commandLine)) return 0;
  return ::WinExec(commandLine.c_str(), static_cast<UINT>(show));
}

namespace {

// CreateProcessA of `program` (null: the command line's first word) with
// a default start-up; the thread handle closed. False when not started.
bool StartProcess(const char* program, const std::string& commandLine, PROCESS_INFORMATION* process) {
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  std::memset(process, 0, sizeof *process);
  if (!::CreateProcessA(program, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, process)) {
    return false;
  }
  ::CloseHandle(process->hThread);
  return true;
}

}  // namespace

std::uint32_t Win32System::RunAndWait(const std::string& commandLine, std::uint32_t* exitCode) {
  if (!Usable(commandLine)) return ERROR_INVALID_PARAMETER;
  PROCESS_INFORMATION process;
  if (!StartProcess(nullptr, commandLine, &process)) return ::GetLastError();
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  const BOOL got = ::GetExitCodeProcess(process.hProcess, &code);
  const DWORD error = got ? 0 : ::GetLastError();
  ::CloseHandle(process.hProcess);
  *exitCode = code;
  return error;
}

int Win32System::SpawnNoWait(const std::string& program, const std::vector<std::string>& args) {
  if (!Usable(program)) return -1;
  std::string line = QuoteArgument(program);
  for (const std::string& a : args) {
    if (!Usable(a)) return -1;
    line += ' ';
    line += QuoteArgument(a);
  }
  PROCESS_INFORMATION process;
  if (!StartProcess(program.c_str(), line, &process)) return -1;
  ::CloseHandle(process.hProcess);
  return static_cast<int>(process.dwProcessId & 0x7FFFFFFF);
}

void Win32System::EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
  TOKEN_PRIVILEGES privileges;
  std::memset(&privileges, 0, sizeof privileges);
  ::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (token) {
    ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    ::CloseHandle(token);
  }
}

int Win32System::ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
  return ::ExitWindowsEx(flags, reason) ? 1 : 0;
}

// In steps of the system's timer tick (some tens of milliseconds at most):
// fine for pacing the message pump.
std::uint32_t Win32System::GetTickCount() { return ::GetTickCount(); }

// ---------------------------------------------------------------- files

std::uint32_t Win32FileSystem::GetFileStatus(const std::string& path, FileStatus* out) {
  if (!Usable(path)) return err::kInvalidParameter;
  // The first Windows 95 has no GetFileAttributesEx: the attributes come
  // from GetFileAttributes (which also answers for a root directory), the
  // size and time from the directory entry. A wildcard would make
  // FindFirstFile report some other file, so such a name is refused.
  if (path.find_first_of("*?") != std::string::npos) return err::kInvalidParameter;
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastErrorOr(err::kFileNotFound);
  if (out) {
    *out = FileStatus{};
    out->attributes = attributes;
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA(path.c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      ::FindClose(find);
      out->size = (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
      out->lastWriteUnix = FileTimeToUnix(entry.ftLastWriteTime);
    }
  }
  return err::kSuccess;
}

FileHandle Win32FileSystem::Open(const std::string& path, OpenMode mode, std::uint32_t* error) {
  std::uint32_t ignored = 0;
  if (!error) error = &ignored;
  *error = err::kSuccess;
  if (!Usable(path)) {
    *error = err::kInvalidParameter;
    return kInvalidFile;
  }
  DWORD access = 0, share = 0, disposition = 0;
  switch (mode) {
    case OpenMode::kRead:
      access = GENERIC_READ;
      share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      disposition = OPEN_EXISTING;
      break;
    case OpenMode::kWriteCreate:
      access = GENERIC_WRITE;
      share = FILE_SHARE_WRITE;
      disposition = CREATE_ALWAYS;
      break;
    case OpenMode::kReadWriteCreate:
      access = GENERIC_READ | GENERIC_WRITE;
      share = 0;
      disposition = CREATE_ALWAYS;
      break;
    case OpenMode::kAppend:
      access = GENERIC_WRITE;
      share = FILE_SHARE_READ;
      disposition = OPEN_ALWAYS;
      break;
  }
  HANDLE h = ::CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = LastErrorOr(err::kFileNotFound);
    return kInvalidFile;
  }
  if (mode == OpenMode::kAppend &&
      ::SetFilePointer(h, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      ::GetLastError() != NO_ERROR) {
    *error = LastErrorOr(err::kInvalidHandle);
    ::CloseHandle(h);
    return kInvalidFile;
  }
  return reinterpret_cast<FileHandle>(h);
}

std::uint32_t Win32FileSystem::Read(FileHandle h, void* buffer, std::uint32_t size,
                                    std::uint32_t* read) {
  DWORD got = 0;
  if (read) *read = 0;
  if (h == kInvalidFile) return err::kInvalidHandle;
  if (!::ReadFile(reinterpret_cast<HANDLE>(h), buffer, size, &got, nullptr)) {
    return LastErrorOr(err::kReadFault);
  }
  if (read) *read = got;
  return err::kSuccess;
}

std::uint32_t Win32FileSystem::Write(FileHandle h, const void* data, std::uint32_t size,
                                     std::uint32_t* written) {
  DWORD put = 0;
  if (written) *written = 0;
  if (h == kInvalidFile) return err::kInvalidHandle;
  BOOL ok = ::WriteFile(reinterpret_cast<HANDLE>(h), data, size, &put, nullptr);
  if (written) *written = put;
  if (!ok) return LastErrorOr(err::kWriteFault);
  // A short write without an error means the medium is full.
  if (put < size) return err::kDiskFull;
  return err::kSuccess;
}

void Win32FileSystem::Close(FileHandle h) {
  if (h != kInvalidFile) ::CloseHandle(reinterpret_cast<HANDLE>(h));
}

std::uint32_t Win32FileSystem::DeleteFile(const std::string& path) {
  if (!Usable(path)) return err::kInvalidParameter;
  return Result(::DeleteFileA(path.c_str()));
}

std::uint32_t Win32FileSystem::CreateDirectory(const std::string& path) {
  if (!Usable(path)) return err::kInvalidParameter;
  return Result(::CreateDirectoryA(path.c_str(), nullptr));
}

std::uint32_t Win32FileSystem::RemoveDirectory(const std::string& path) {
  if (!Usable(path)) return err::kInvalidParameter;
  return Result(::RemoveDirectoryA(path.c_str()));
}

std::uint32_t Win32FileSystem::MoveFile(const std::string& from, const std::string& to) {
  if (!Usable(from) || !Usable(to)) return err::kInvalidParameter;
  return Result(::MoveFileA(from.c_str(), to.c_str()));
}

std::uint32_t Win32FileSystem::MoveFileAtReboot(const std::string& from, const std::string& to) {
  if (!Usable(from) || !Usable(to)) return err::kInvalidParameter;
  return Result(::MoveFileExA(from.c_str(), to.empty() ? nullptr : to.c_str(),
                              MOVEFILE_DELAY_UNTIL_REBOOT));
}

std::uint32_t Win32FileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  if (!Usable(from) || !Usable(to)) return err::kInvalidParameter;
  std::uint32_t e = Result(::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
  // Windows 95 and 98 have no MoveFileExA: delete, then rename.
  if (e == err::kCallNotImplemented) return FileSystem::MoveFileReplacing(from, to);
  return e;
}

std::uint32_t Win32FileSystem::GetFileAttributes(const std::string& path,
                                                 std::uint32_t* attributes) {
  if (attributes) *attributes = attr::kInvalid;
  if (!Usable(path)) return err::kInvalidParameter;
  DWORD a = ::GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return LastErrorOr(err::kFileNotFound);
  if (attributes) *attributes = a;
  return err::kSuccess;
}

std::uint32_t Win32FileSystem::SetFileAttributes(const std::string& path,
                                                 std::uint32_t attributes) {
  if (!Usable(path)) return err::kInvalidParameter;
  return Result(::SetFileAttributesA(path.c_str(), attributes));
}

std::uint32_t Win32FileSystem::SetFileTimes(const std::string& path, std::int64_t unixSeconds) {
  if (!Usable(path)) return err::kInvalidParameter;
  FILETIME ft;
  if (!UnixToFileTime(unixSeconds, &ft)) return err::kInvalidParameter;
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastErrorOr(err::kFileNotFound);
  std::uint32_t result = Result(::SetFileTime(h, nullptr, &ft, &ft));
  ::CloseHandle(h);
  return result;
}

// Under Wine this is one call on a descriptor the handle already has,
// where the times set by name cost an open, a descriptor fetch and a close,
// each a round trip to its server.
std::uint32_t Win32FileSystem::SetOpenFileTimes(FileHandle h, std::int64_t unixSeconds) {
  if (h == kInvalidFile) return err::kInvalidHandle;
  FILETIME ft;
  if (!UnixToFileTime(unixSeconds, &ft)) return err::kInvalidParameter;
  return Result(::SetFileTime(reinterpret_cast<HANDLE>(h), nullptr, &ft, &ft));
}

std::uint32_t Win32FileSystem::GetShortPathName(const std::string& path, std::string* out) {
  if (out) out->clear();
  if (!Usable(path)) return err::kInvalidParameter;
  std::vector<char> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD n = ::GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return LastErrorOr(err::kFileNotFound);
    if (n < buffer.size()) {
      if (out) out->assign(buffer.data(), n);
      return err::kSuccess;
    }
    buffer.resize(n + 1);
  }
  return err::kInsufficientBuffer;
}

std::uint32_t Win32FileSystem::FindFiles(const std::string& pattern, std::vector<FindData>* out) {
  if (out) out->clear();
  if (!Usable(pattern)) return err::kInvalidParameter;
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return LastErrorOr(err::kFileNotFound);
  do {
    if (out) {
      FindData entry;
      data.cFileName[sizeof data.cFileName - 1] = '\0';
      entry.name = data.cFileName;
      entry.attributes = data.dwFileAttributes;
      entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      out->push_back(std::move(entry));
    }
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return err::kSuccess;
}

std::uint32_t Win32FileSystem::SetCurrentDirectory(const std::string& path) {
  if (!Usable(path)) return err::kInvalidParameter;
  return Result(::SetCurrentDirectoryA(path.c_str()));
}

std::string Win32FileSystem::GetCurrentDirectory() {
  char buffer[MAX_PATH + 1] = {};
  DWORD n = ::GetCurrentDirectoryA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer) return std::string();
  return std::string(buffer, n);
}

// ---------------------------------------------------------------- profiles

std::string Win32Profile::GetString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, std::uint32_t size,
                                    const std::string& file) {
  if (size == 0) return std::string();
  if (!Usable(section) || !Usable(key) || !Usable(file)) return std::string();
  // The value can never be longer than a profile line; keep the buffer sane.
  std::uint32_t capacity = size > 65536 ? 65536 : size;
  std::vector<char> buffer(capacity, '\0');
  DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                       buffer.data(), capacity, file.c_str());
  if (n >= capacity) n = capacity - 1;
  return std::string(buffer.data(), std::strlen(buffer.data()) < n ? std::strlen(buffer.data()) : n);
}

bool Win32Profile::WriteString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file) {
  if (!Usable(section) || !Usable(key) || !Usable(value) || !Usable(file)) return false;
  return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         FALSE;
}

// ---------------------------------------------------------------- registry

namespace {

// The seam numbers the predefined keys as 32-bit Windows does; 64-bit
// Windows sign-extends them.
HKEY ToHkey(RegKey key) {
  switch (key) {
    case hkey::kClassesRoot: return HKEY_CLASSES_ROOT;
    case hkey::kCurrentUser: return HKEY_CURRENT_USER;
    case hkey::kLocalMachine: return HKEY_LOCAL_MACHINE;
    case hkey::kUsers: return HKEY_USERS;
    default: return reinterpret_cast<HKEY>(key);
  }
}

bool IsPredefined(RegKey key) { return key >= hkey::kClassesRoot && key <= hkey::kUsers; }

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// A string value without its terminator: a string read back is the text a
// C program would see in the buffer.
std::string StringData(const std::vector<BYTE>& buffer, DWORD size, DWORD type) {
  std::string data(reinterpret_cast<const char*>(buffer.data()), size);
  if (IsString(type)) {
    std::size_t zero = data.find('\0');
    if (zero != std::string::npos) data.resize(zero);
  }
  return data;
}

}  // namespace

std::uint32_t Win32Registry::CreateKey(RegKey root, const std::string& subkey,
                                       std::uint32_t access, RegKey* out,
                                       std::uint32_t* disposition) {
  if (out) *out = 0;
  if (!Usable(subkey)) return err::kInvalidParameter;
  HKEY key = nullptr;
  DWORD disp = 0;
  LONG r = ::RegCreateKeyExA(ToHkey(root), subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             access, nullptr, &key, &disp);
  if (r != ERROR_SUCCESS) return static_cast<std::uint32_t>(r);
  if (out) *out = reinterpret_cast<RegKey>(key);
  else ::RegCloseKey(key);
  if (disposition) *disposition = disp;
  return err::kSuccess;
}

std::uint32_t Win32Registry::OpenKey(RegKey root, const std::string& subkey, std::uint32_t access,
                                     RegKey* out) {
  if (out) *out = 0;
  if (!Usable(subkey)) return err::kInvalidParameter;
  HKEY key = nullptr;
  LONG r = ::RegOpenKeyExA(ToHkey(root), subkey.c_str(), 0, access, &key);
  if (r != ERROR_SUCCESS) return static_cast<std::uint32_t>(r);
  if (out) *out = reinterpret_cast<RegKey>(key);
  else ::RegCloseKey(key);
  return err::kSuccess;
}

std::uint32_t Win32Registry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                        std::string* data, std::uint32_t maxSize) {
  if (data) data->clear();
  if (!Usable(name)) return err::kInvalidParameter;
  // Values larger than a megabyte are not ours; the buffer stays bounded.
  DWORD capacity = maxSize > (1u << 20) ? (1u << 20) : maxSize;
  std::vector<BYTE> buffer(capacity + 1, 0);
  DWORD size = capacity;
  DWORD valueType = REG_NONE;
  LONG r = ::RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType, buffer.data(), &size);
  if (type) *type = valueType;
  if (r != ERROR_SUCCESS) return static_cast<std::uint32_t>(r);
  if (size > capacity) size = capacity;
  if (data) *data = StringData(buffer, size, valueType);
  return err::kSuccess;
}

std::uint32_t Win32Registry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                      const std::string& data) {
  if (!Usable(name)) return err::kInvalidParameter;
  std::string bytes = data;
  if (IsString(type)) {
    if (!Usable(data)) return err::kInvalidParameter;
    bytes.push_back('\0');
  }
  if (bytes.size() > 0x7FFFFFFF) return err::kInvalidParameter;
  return static_cast<std::uint32_t>(
      ::RegSetValueExA(ToHkey(key), name.c_str(), 0, type,
                       reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size())));
}

std::uint32_t Win32Registry::EnumKey(RegKey key, std::uint32_t index, std::string* name) {
  if (name) name->clear();
  char buffer[256] = {};
  DWORD size = sizeof buffer;
  LONG r = ::RegEnumKeyExA(ToHkey(key), index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
  if (r != ERROR_SUCCESS) return static_cast<std::uint32_t>(r);
  if (name) name->assign(buffer, size < sizeof buffer ? size : sizeof buffer - 1);
  return err::kSuccess;
}

std::uint32_t Win32Registry::EnumValue(RegKey key, std::uint32_t index, std::string* name,
                                       std::uint32_t* type, std::string* data) {
  if (name) name->clear();
  if (data) data->clear();
  DWORD maxName = 0, maxData = 0;
  LONG r = ::RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, &maxName, &maxData, nullptr, nullptr);
  if (r != ERROR_SUCCESS) return static_cast<std::uint32_t>(r);
  // The sizes can grow between the two calls: retry a few times.
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::vector<char> nameBuffer(maxName + 2, '\0');
    std::vector<BYTE> dataBuffer(maxData + 2, 0);
    DWORD nameSize = static_cast<DWORD>(nameBuffer.size());
    DWORD dataSize = static_cast<DWORD>(dataBuffer.size() - 1);
    DWORD valueType = REG_NONE;
    r = ::RegEnumValueA(ToHkey(key), index, nameBuffer.data(), &nameSize, nullptr, &valueType,
                        dataBuffer.data(), &dataSize);
    if (r == ERROR_MORE_DATA) {
      maxName = maxName * 2 + 256;
      maxData = maxData * 2 + 256;
      if (maxData > (16u << 20)) break;
      continue;
    }
    if (r != ERROR_SUCCESS) return static_cast<std::uint32_t>(r);
    if (name) name->assign(nameBuffer.data(), nameSize < nameBuffer.size() ? nameSize : 0);
    if (type) *type = valueType;
    if (dataSize > dataBuffer.size() - 1) dataSize = static_cast<DWORD>(dataBuffer.size() - 1);
    if (data) *data = StringData(dataBuffer, dataSize, valueType);
    return err::kSuccess;
  }
  return err::kMoreData;
}

std::uint32_t Win32Registry::DeleteKey(RegKey key, const std::string& subkey) {
  if (!Usable(subkey)) return err::kInvalidParameter;
  return static_cast<std::uint32_t>(::RegDeleteKeyA(ToHkey(key), subkey.c_str()));
}

std::uint32_t Win32Registry::DeleteValue(RegKey key, const std::string& name) {
  if (!Usable(name)) return err::kInvalidParameter;
  return static_cast<std::uint32_t>(::RegDeleteValueA(ToHkey(key), name.c_str()));
}

std::uint32_t Win32Registry::CloseKey(RegKey key) {
  if (IsPredefined(key) || key == 0) return err::kSuccess;
  return static_cast<std::uint32_t>(::RegCloseKey(ToHkey(key)));
}

// ---------------------------------------------------------------- LZ

int Win32Lz::Open(const std::string& path) {
  if (!Usable(path)) return LZERROR_BADINHANDLE;
  OFSTRUCT ofs;
  std::memset(&ofs, 0, sizeof ofs);
  if (path.size() < sizeof ofs.szPathName) {
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    return syslib::LZOpenFileA(name.data(), &ofs, OF_READ);
  }
  // OFSTRUCT holds only 128 bytes of path: open longer paths ourselves and
  // hand the file to the library.
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LZERROR_BADINHANDLE;
  INT handle = syslib::LZInit(static_cast<HFILE>(reinterpret_cast<INT_PTR>(h)));
  if (handle < 0) ::CloseHandle(h);
  return handle;
}

int Win32Lz::Read(int handle, void* buffer, int size) {
  if (size <= 0) return 0;
  return syslib::LZRead(handle, static_cast<char*>(buffer), size);
}

std::int64_t Win32Lz::ExpandedLength(int handle) {
  // Seeking to the end gives the length of the expanded data (the header's
  // length for a compressed file); the position is put back afterwards.
  LONG current = syslib::LZSeek(handle, 0, 1);
  if (current < 0) return -1;
  LONG end = syslib::LZSeek(handle, 0, 2);
  syslib::LZSeek(handle, current, 0);
  return end < 0 ? -1 : end;
}

void Win32Lz::Close(int handle) {
  if (handle >= 0) syslib::LZClose(handle);
}

std::string Win32Lz::GetExpandedName(const std::string& path) {
  if (!Usable(path)) return path;
  std::vector<char> in(path.begin(), path.end());
  in.push_back('\0');
  // The result is the input with its last character or extension changed;
  // leave generous room.
  std::string out(path.size() * 2 + MAX_PATH, '\0');
  if (syslib::GetExpandedNameA(in.data(), out.data()) < 0) return path;
  out.resize(strnlen(out.data(), out.size() - 1));
  return out;
}

}  // namespace platform::win32
