#include "simrun/apply_statement.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "text/text.h"

namespace fs = std::filesystem;

namespace simrun {
namespace {

bool ReadHostFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *out = s.str();
  return true;
}

std::string AbsoluteHostPath(const scenario::Scenario& scenario, const std::string& path) {
  std::error_code ec;
  std::string host = scenario::ResolveHostPath(scenario, path);
  std::string absolute = fs::absolute(host, ec).lexically_normal().string();
  return ec ? host : absolute;
}

std::string Win(const std::string& utf8) { return text::Utf8ToCp1252(utf8); }

// `copy`: a host file (or the program under test) onto the machine; the
// Windows error of the write, or false with *error when the host file
// cannot be read.
bool Copy(sim::SimMachine& machine, const scenario::Statement& st,
          const scenario::Scenario& scenario, const std::string& programFile, std::uint32_t* e,
          std::string* error) {
  const scenario::CopySetup& f = st.As<scenario::CopySetup>();
  std::string data;
  if (f.hostPath == "@SETUP.EXE" && programFile.empty()) {
    data = "MZ stand-in for SETUP.EXE on the simulated machine\r\n";
  } else {
    std::string host = f.hostPath == "@SETUP.EXE" ? programFile
                                                  : scenario::ResolveHostPath(scenario, f.hostPath);
    if (!ReadHostFile(host, &data)) {
      *error = "cannot read the host file '" + host + "'";
      return false;
    }
  }
  *e = machine.files().PutFile(Win(f.windowsPath), data);
  return true;
}

// `attrib`: the named attributes added to what the file has.
std::uint32_t Attrib(sim::SimMachine& machine, const scenario::Statement& st) {
  const scenario::AttribSetup& f = st.As<scenario::AttribSetup>();
  std::uint32_t current = 0;
  std::uint32_t e = machine.files().GetFileAttributes(Win(f.windowsPath), &current);
  if (e != 0) return e;
  current &= ~(platform::attr::kNormal | platform::attr::kDirectory);
  return machine.files().SetFileAttributes(Win(f.windowsPath), current | f.attributes);
}

// The statements that cannot fail; false when `st` is none of them.
bool ApplySimple(sim::SimMachine& machine, const scenario::Statement& st,
                 const scenario::Scenario& scenario) {
  switch (st.kind) {
    case scenario::Kind::kPlatform:
      machine.SetPlatform(PlatformOf(st.As<scenario::PlatformSetup>().platform));
      return true;
    case scenario::Kind::kDrive:
      machine.MapDrive(st.As<scenario::DriveSetup>().drive,
                       AbsoluteHostPath(scenario, st.As<scenario::DriveSetup>().hostPath));
      return true;
    case scenario::Kind::kRegistryDelete:
      machine.registry().DeleteValueAt(Win(st.As<scenario::RegistrySetup>().keyPath),
                                       Win(st.As<scenario::RegistrySetup>().valueName));
      return true;
    case scenario::Kind::kRegistryDeleteKey:
      machine.registry().DeleteTreeAt(Win(st.As<scenario::RegistrySetup>().keyPath));
      return true;
    case scenario::Kind::kDiskFree:
      machine.files().SetFreeSpace(st.As<scenario::DiskFreeSetup>().drive,
                                   st.As<scenario::DiskFreeSetup>().bytes);
      return true;
    case scenario::Kind::kRefuseRestart:
      machine.system().SetRefuseRestart(true);
      return true;
    case scenario::Kind::kGroup:
      machine.progman().AddGroup(Win(st.As<scenario::GroupSetup>().name));
      return true;
    case scenario::Kind::kProgman:
      if (st.As<scenario::ProgmanSetup>().failingError == 0) {
        machine.progman().SetAnswer(sim::SimProgman::Answer::kAbsent);
      } else {
        machine.progman().SetAnswer(sim::SimProgman::Answer::kFailing,
                                    st.As<scenario::ProgmanSetup>().failingError);
      }
      return true;
    default:
      return false;
  }
}

}  // namespace

sim::Platform PlatformOf(scenario::Platform platform) {
  switch (platform) {
    case scenario::Platform::kWin98: return sim::Platform::kWin98;
    case scenario::Platform::kNt: return sim::Platform::kNt;
    default: return sim::Platform::kWin95;
  }
}

bool ApplySetupStatement(sim::SimMachine& machine, const scenario::Statement& st,
                         const scenario::Scenario& scenario, const std::string& programFile,
                         std::string* error) {
  std::string where = scenario::Where(scenario, st) + ": ";
  if (ApplySimple(machine, st, scenario)) return true;
  std::uint32_t e = 0;
  const std::string path = Win(st.As<scenario::PathSetup>().windowsPath);
  switch (st.kind) {
    case scenario::Kind::kCopy:
      if (!Copy(machine, st, scenario, programFile, &e, error)) {
        *error = where + *error;
        return false;
      }
      break;
    case scenario::Kind::kRegistrySet:
      e = machine.registry().SetString(Win(st.As<scenario::RegistrySetup>().keyPath),
                                       Win(st.As<scenario::RegistrySetup>().valueName),
                                       Win(st.As<scenario::RegistrySetup>().text));
      break;
    case scenario::Kind::kAttrib:
      e = Attrib(machine, st);
      break;
    case scenario::Kind::kMkdir:
      e = machine.files().MakeDirectories(path);
      break;
    case scenario::Kind::kLink:
      e = machine.files().MakeLink(Win(st.As<scenario::LinkSetup>().windowsPath),
                                   Win(st.As<scenario::LinkSetup>().target));
      break;
    case scenario::Kind::kDeleteFile:
      e = machine.files().DeleteFile(path);
      break;
    case scenario::Kind::kService:
      // Demand start, as the test set-up under Wine creates it.
      e = machine.services().Register(Win(st.As<scenario::ServiceSetup>().name),
                                      st.As<scenario::ServiceSetup>().type, 3,
                                      Win(st.As<scenario::ServiceSetup>().imagePath));
      break;
    case scenario::Kind::kHold:
      e = machine.files().Hold(path);
      break;
    case scenario::Kind::kRefuseMkdir:
      e = machine.files().MakeDirectories(path);
      if (e == 0) {
        e = machine.files().RefuseDirectoryCreation(path, platform::err::kAccessDenied);
      }
      break;
    case scenario::Kind::kDenyKey:
      e = machine.registry().Deny(Win(st.As<scenario::DenySetup>().keyPath));
      break;
    case scenario::Kind::kFail: {
      sim::FaultKind kind;
      const scenario::FailSetup& fail = st.As<scenario::FailSetup>();
      if (!sim::Faults::Parse(fail.operation, &kind)) {
        *error = where + "no such kind of operation: " + fail.operation;
        return false;
      }
      machine.faults().Fail(kind, fail.nth);
      break;
    }
    default:
      *error = where + "not a machine set-up statement";
      return false;
  }
  if (e != 0) {
    *error = where + "failed with Windows error " + std::to_string(e);
    return false;
  }
  return true;
}

void SetRun(sim::SimMachine& machine, const scenario::Scenario& scenario) {
  machine.system().SetCommandLine(Win(scenario.run.As<scenario::RunStart>().commandLine));
}

namespace {

bool IsFile(sim::SimMachine& machine, const std::string& path) {
  std::uint32_t attributes = 0;
  return machine.files().GetFileAttributes(path, &attributes) == 0 &&
         (attributes & platform::attr::kDirectory) == 0;
}

// The command line becomes the running program's; false with *error when
// its program file is not on the machine.
bool SetExistingProgram(sim::SimMachine& machine, const std::string& commandLine,
                        std::string* error) {
  machine.system().SetCommandLine(commandLine);
  std::string program = machine.system().GetModuleFileName();
  if (!IsFile(machine, program)) {
    *error = "the program " + text::Cp1252ToUtf8(program) + " of the command line " +
             text::Quote(text::Cp1252ToUtf8(commandLine)) + " does not exist on the machine";
    return false;
  }
  return true;
}

// The UninstallString of an entry of the uninstall key; "" with *error when
// the entry lacks it or its DisplayName.
std::string UninstallString(sim::SimMachine& machine, const std::string& entry,
                            std::string* error) {
  std::string key = std::string("HKLM\\") + scenario::kUninstallKey + "\\" + Win(entry);
  std::string displayName, commandLine;
  std::uint32_t type = 0;
  if (machine.registry().GetValueAt(key, "DisplayName", &type, &displayName) != 0 ||
      machine.registry().GetValueAt(key, "UninstallString", &type, &commandLine) != 0 ||
      commandLine.empty()) {
    *error = "no uninstall entry '" + entry +
             "' with a DisplayName and an UninstallString (Add/Remove Programs lists none)";
    return "";
  }
  return commandLine;
}

// An item's command line as the shell starts it: the item's program is
// found as CreateProcess finds an unquoted one (the shortest run of words
// that names a file) and started in quotes, as a shortcut's target is.
std::string QuotedProgram(sim::SimMachine& machine, const std::string& commandLine) {
  if (commandLine.empty() || commandLine[0] == '"') return commandLine;
  for (std::size_t end = commandLine.find(' '); ; end = commandLine.find(' ', end + 1)) {
    std::string program = commandLine.substr(0, end);
    if (IsFile(machine, program)) {
      return "\"" + program + "\"" + (end == std::string::npos ? "" : commandLine.substr(end));
    }
    if (end == std::string::npos) return commandLine;
  }
}

// The command line of an item of a Program Manager group; "" with *error
// when there is none.
std::string ItemCommandLine(sim::SimMachine& machine, const std::string& group,
                            const std::string& item, std::string* error) {
  const sim::SimProgman::Group* g = machine.progman().FindGroup(Win(group));
  if (g != nullptr) {
    for (const sim::SimProgman::Item& i : g->items) {
      if (text::EqualsIgnoreCase(i.caption, Win(item)) && !i.commandLine.empty())
        return QuotedProgram(machine, i.commandLine);
    }
  }
  *error = "no item '" + item + "' in a program group '" + group + "'";
  return "";
}

}  // namespace

bool StartProgram(sim::SimMachine& machine, const scenario::Scenario& scenario,
                  std::string* error) {
  const scenario::Statement& st = scenario.run;
  std::string commandLine;
  switch (st.kind) {
    case scenario::Kind::kRemove:
      commandLine = UninstallString(machine, st.As<scenario::RemoveStart>().entry, error);
      break;
    case scenario::Kind::kStart:
      commandLine = ItemCommandLine(machine, st.As<scenario::StartItem>().group,
                                    st.As<scenario::StartItem>().item, error);
      break;
    default:
      SetRun(machine, scenario);
      return true;
  }
  if (!commandLine.empty() && SetExistingProgram(machine, commandLine, error)) return true;
  *error = scenario::Where(scenario, st) + ": " + *error;
  return false;
}

bool FollowProgram(sim::SimMachine& machine, std::string* error) {
  std::string commandLine = machine.system().TakeLastWinExec();
  if (commandLine.empty()) {
    *error = "the program started no other program (no WinExec)";
    return false;
  }
  return SetExistingProgram(machine, commandLine, error);
}

void InsertDisk(sim::SimMachine& machine, const scenario::Scenario& scenario, char drive,
                const std::string& folder) {
  machine.InsertDisk(drive, AbsoluteHostPath(scenario, folder));
}

}  // namespace simrun
