// The machine's set-up statements under Wine: files, directories, links,
// attributes, registry values, services, held files and program groups are
// made with the Win32 calls; drives and `refuse mkdir` are asked of the
// runner script, which owns the prefix's folders. The platform becomes the
// Windows version Wine reports to our programs
// (HKCU\Software\Wine\AppDefaults\<exe>\Version).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver.h"
#include "text/text.h"

namespace uidriver {

using scenario::Kind;
using scenario::Statement;

// Asks whoever started the driver to show a host folder as a drive.
bool Driver::MapDrive(char drive, const std::string& hostPath) {
  std::printf("drive %c: %s\n", drive, hostPath.c_str());
  std::fflush(stdout);
  char reply[1024] = {};
  if (!std::fgets(reply, sizeof reply, stdin)) {
    Fail(std::string(1, drive) + ": " + hostPath + ": nobody answered the drive request");
    return false;
  }
  std::string answer = reply;
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  if (answer != "ok") {
    Fail(std::string(1, drive) + ": " + hostPath + ": " + answer);
    return false;
  }
  Progress();
  return true;
}

// `refuse mkdir`: a Windows program cannot make a directory refuse the
// creation of directories in it (the read-only attribute does not, and
// the prefix runs as a user whom Unix permissions may not stop), so the
// runner script does it on the host: it makes the directory immutable
// (chattr +i), which refuses every new entry in it, and takes that back
// when the run ends. Wine answers access denied (5) for it.
bool Driver::RefuseMkdir(const std::string& windowsPath) {
  std::printf("refuse mkdir %s\n", windowsPath.c_str());
  std::fflush(stdout);
  char reply[1024] = {};
  if (!std::fgets(reply, sizeof reply, stdin)) {
    Fail(windowsPath + ": nobody answered the refuse mkdir request");
    return false;
  }
  std::string answer = reply;
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  if (answer != "ok") {
    Fail("refuse mkdir " + windowsPath + ": " + answer);
    return false;
  }
  return true;
}

// A host path of the scenario as this process reaches it.
std::string Driver::HostPath(const std::string& written) {
  if (written == "@SETUP.EXE") return options_.program;
  std::string path = written;
  if (!path.empty() && path[0] == '/') {
    path = "Z:" + path;  // the host's root folder is drive Z:
  } else {
    path = scenario::ResolveHostPath(scenario_, path);
  }
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

namespace {

bool SplitKeyPath(const std::string& path, HKEY* root, std::string* subkey) {
  std::size_t slash = path.find('\\');
  std::string head = path.substr(0, slash);
  *subkey = slash == std::string::npos ? "" : path.substr(slash + 1);
  if (lstrcmpiA(head.c_str(), "HKLM") == 0) *root = HKEY_LOCAL_MACHINE;
  else if (lstrcmpiA(head.c_str(), "HKCU") == 0) *root = HKEY_CURRENT_USER;
  else if (lstrcmpiA(head.c_str(), "HKCR") == 0) *root = HKEY_CLASSES_ROOT;
  else if (lstrcmpiA(head.c_str(), "HKU") == 0) *root = HKEY_USERS;
  else return false;
  return true;
}

// Creates a directory and its missing parents.
bool MakeDirectories(const std::string& path) {
  if (path.empty()) return false;
  DWORD a = ::GetFileAttributesA(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  std::size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos && slash > 2) {
    if (!MakeDirectories(path.substr(0, slash))) return false;
  }
  return ::CreateDirectoryA(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string ParentOf(const std::string& path) {
  std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool SetAppVersion(const std::string& exe, const char* version) {
  HKEY key = nullptr;
  std::string path = "Software\\Wine\\AppDefaults\\" + exe;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG r = ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                            static_cast<DWORD>(std::strlen(version) + 1));
  ::RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

// The Windows version Wine reports to `exe`, "" when none is set.
std::string AppVersion(const std::string& exe) {
  HKEY key = nullptr;
  std::string path = "Software\\Wine\\AppDefaults\\" + exe;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::string();
  }
  char value[32] = {};
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  LONG r = ::RegQueryValueExA(key, "Version", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  ::RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_SZ) return std::string();
  value[sizeof value - 1] = '\0';
  return value;
}


}  // namespace

std::string ProgramOf(const std::string& commandLine) {
  if (!commandLine.empty() && commandLine[0] == '"') {
    std::size_t end = commandLine.find('"', 1);
    return commandLine.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  }
  return commandLine.substr(0, commandLine.find_first_of(" \t"));
}

bool Driver::PrepareStatement(const Statement& st) {
  std::string where = scenario::Where(scenario_, st) + ": ";
  switch (st.kind) {
    case Kind::kPlatform:
    case Kind::kDiskFree:       // the prefix's real free space applies
    case Kind::kRefuseRestart:  // Wine's ExitWindowsEx is not under our control
      return true;
    case Kind::kGroup: {
      // Wine's shell lists the folders of the Start Menu Programs as groups.
      std::string folder = ProgramsFolder();
      if (folder.empty()) {
        Fail(where + "cannot find the Start Menu Programs folder");
        return false;
      }
      std::string group = folder + "\\" + text::Utf8ToCp1252(st.As<scenario::GroupSetup>().name);
      if (!MakeDirectories(group)) {
        Fail(where + "cannot create the group folder " + group);
        return false;
      }
      return true;
    }
    case Kind::kDrive:
      return MapDrive(st.As<scenario::DriveSetup>().drive, st.As<scenario::DriveSetup>().hostPath);
    case Kind::kCopy: {
      std::string from = HostPath(st.As<scenario::CopySetup>().hostPath);
      std::string to = text::Utf8ToCp1252(st.As<scenario::CopySetup>().windowsPath);
      MakeDirectories(ParentOf(to));
      if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        Fail(where + "cannot copy " + from + " to " + to + " (error " +
             std::to_string(::GetLastError()) + ")");
        return false;
      }
      return true;
    }
    case Kind::kMkdir:
      if (!MakeDirectories(text::Utf8ToCp1252(st.As<scenario::PathSetup>().windowsPath))) {
        Fail(where + "cannot create the directory");
        return false;
      }
      return true;
    case Kind::kLink: {
      // CreateSymbolicLinkA is looked up: the driver also runs where it is
      // missing, and only this statement needs it.
      using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
      auto create = reinterpret_cast<CreateLink>(reinterpret_cast<void*>(
          ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
      const std::string link = text::Utf8ToCp1252(st.As<scenario::LinkSetup>().windowsPath);
      const std::string target = text::Utf8ToCp1252(st.As<scenario::LinkSetup>().target);
      const DWORD attributes = ::GetFileAttributesA(target.c_str());
      const DWORD flags = attributes != INVALID_FILE_ATTRIBUTES &&
                                  (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                              ? 1u  // SYMBOLIC_LINK_FLAG_DIRECTORY
                              : 0u;
      if (create == nullptr || !create(link.c_str(), target.c_str(), flags)) {
        Fail(where + "cannot create the link (error " + std::to_string(::GetLastError()) + ")");
        return false;
      }
      return true;
    }
    case Kind::kDeleteFile:
      if (!::DeleteFileA(text::Utf8ToCp1252(st.As<scenario::PathSetup>().windowsPath).c_str())) {
        Fail(where + "cannot delete the file (error " + std::to_string(::GetLastError()) + ")");
        return false;
      }
      return true;
    case Kind::kAttrib: {
      const scenario::AttribSetup& f = st.As<scenario::AttribSetup>();
      if (!::SetFileAttributesA(text::Utf8ToCp1252(f.windowsPath).c_str(),
                                f.attributes == 0 ? FILE_ATTRIBUTE_NORMAL : f.attributes)) {
        Fail(where + "cannot set the attributes (error " + std::to_string(::GetLastError()) + ")");
        return false;
      }
      return true;
    }
    case Kind::kRegistrySet:
    case Kind::kRegistryDelete:
    case Kind::kRegistryDeleteKey: {
      HKEY root = nullptr;
      std::string subkey;
      const scenario::RegistrySetup& f = st.As<scenario::RegistrySetup>();
      if (!SplitKeyPath(text::Utf8ToCp1252(f.keyPath), &root, &subkey)) {
        Fail(where + "unknown registry root");
        return false;
      }
      std::string name = text::Utf8ToCp1252(f.valueName);
      if (st.kind == Kind::kRegistryDeleteKey) {
        LONG r = ::RegDeleteTreeA(root, subkey.c_str());
        if (r == ERROR_SUCCESS) ::RegDeleteKeyA(root, subkey.c_str());
        return true;
      }
      HKEY key = nullptr;
      if (st.kind == Kind::kRegistryDelete) {
        if (::RegOpenKeyExA(root, subkey.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
          ::RegDeleteValueA(key, name.c_str());
          ::RegCloseKey(key);
        }
        return true;
      }
      if (::RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
        Fail(where + "cannot create the registry key");
        return false;
      }
      std::string text = text::Utf8ToCp1252(f.text);
      LONG r = ::RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(text.c_str()),
                                static_cast<DWORD>(text.size() + 1));
      ::RegCloseKey(key);
      if (r != ERROR_SUCCESS) {
        Fail(where + "cannot set the registry value");
        return false;
      }
      return true;
    }
    default:
      return PrepareSystemStatement(st);
  }
}

// The set-up statements of services, held files and program groups.
bool Driver::PrepareSystemStatement(const Statement& st) {
  std::string where = scenario::Where(scenario_, st) + ": ";
  switch (st.kind) {
    case Kind::kService: {
      const scenario::ServiceSetup& f = st.As<scenario::ServiceSetup>();
      // Wine's service control manager knows a service only when it was
      // created through it (a registry key alone is not enough).
      SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
      SC_HANDLE service =
          manager ? ::CreateServiceA(manager, f.name.c_str(), f.name.c_str(),
                                     SERVICE_ALL_ACCESS, static_cast<DWORD>(f.type),
                                     SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                     text::Utf8ToCp1252(f.imagePath).c_str(), nullptr, nullptr,
                                     nullptr, nullptr, nullptr)
                  : nullptr;
      DWORD error = ::GetLastError();
      if (service) ::CloseServiceHandle(service);
      if (manager) ::CloseServiceHandle(manager);
      if (!service) {
        Fail(where + "cannot create the service (error " + std::to_string(error) + ")");
        return false;
      }
      return true;
    }
    case Kind::kRefuseMkdir:
      return RefuseMkdir(st.As<scenario::PathSetup>().windowsPath);
    case Kind::kHold: {
      HANDLE h = ::CreateFileA(text::Utf8ToCp1252(st.As<scenario::PathSetup>().windowsPath).c_str(), GENERIC_READ,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      if (h == INVALID_HANDLE_VALUE) {
        Fail(where + "cannot open the file (error " + std::to_string(::GetLastError()) + ")");
        return false;
      }
      held_.push_back(h);
      return true;
    }
    case Kind::kDenyKey:
    case Kind::kProgman:
    case Kind::kFail:
      Fail(where + "this statement works on the simulated machine only (docs/scenarios.md)");
      return false;
    default:
      return true;
  }
}

// Makes the machine look as the scenario's set-up says.
bool Driver::Prepare() {
  // A scenario without a platform statement keeps the machine's: the
  // version an earlier scenario of its chain gave our programs in this
  // prefix, as the simulated machine keeps its platform; Windows 95 on a
  // fresh machine.
  std::string kept = AppVersion("setup.exe");
  const char* version = kept.empty() ? "win95" : kept.c_str();
  for (const Statement& st : scenario_.setup) {
    if (st.kind == Kind::kPlatform) {
      const scenario::Platform platform = st.As<scenario::PlatformSetup>().platform;
      version = platform == scenario::Platform::kNt    ? "nt40"
                : platform == scenario::Platform::kWin98 ? "win98"
                                                            : "win95";
    }
  }
  for (const Statement& st : scenario_.setup) {
    if (!PrepareStatement(st)) return false;
  }
  // The program of the run statement is the program under test unless the
  // scenario put something else there. `remove` and `start` name programs
  // the machine has.
  std::string program = ProgramOf(text::Utf8ToCp1252(scenario_.run.As<scenario::RunStart>().commandLine));
  if (scenario_.run.kind == Kind::kRun &&
      ::GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (options_.program.empty()) {
      Fail(program + " does not exist and no --program was given");
      return false;
    }
    MakeDirectories(ParentOf(program));
    if (!::CopyFileA(options_.program.c_str(), program.c_str(), FALSE)) {
      Fail("cannot put the program under test at " + program + " (error " +
           std::to_string(::GetLastError()) + ")");
      return false;
    }
  }
  // The Windows version each of our programs sees: the installer, the
  // installed uninstaller, its temporary copy, and the program run.
  std::string runName =
      scenario_.run.kind == Kind::kRun ? program.substr(program.find_last_of("\\:") + 1)
                                       : std::string("setup.exe");
  for (const std::string& exe : {std::string("setup.exe"), std::string("uninstal.exe"),
                                 std::string("uninstx$.exe"), runName}) {
    if (!SetAppVersion(exe, version)) {
      Fail("cannot set the Windows version for " + exe);
      return false;
    }
  }
  return true;
}

}  // namespace uidriver
