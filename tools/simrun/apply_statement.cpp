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
  std::string data;
  if (st.hostPath == "@SETUP.EXE" && programFile.empty()) {
    data = "MZ stand-in for SETUP.EXE on the simulated machine\r\n";
  } else {
    std::string host = st.hostPath == "@SETUP.EXE" ? programFile
                                                   : scenario::ResolveHostPath(scenario, st.hostPath);
    if (!ReadHostFile(host, &data)) {
      *error = "cannot read the host file '" + host + "'";
      return false;
    }
  }
  *e = machine.files().PutFile(Win(st.windowsPath), data);
  return true;
}

// `attrib`: the named attributes added to what the file has.
std::uint32_t Attrib(sim::SimMachine& machine, const scenario::Statement& st) {
  std::uint32_t current = 0;
  std::uint32_t e = machine.files().GetFileAttributes(Win(st.windowsPath), &current);
  if (e != 0) return e;
  current &= ~(platform::attr::kNormal | platform::attr::kDirectory);
  return machine.files().SetFileAttributes(Win(st.windowsPath), current | st.attributes);
}

// The statements that cannot fail; false when `st` is none of them.
bool ApplySimple(sim::SimMachine& machine, const scenario::Statement& st,
                 const scenario::Scenario& scenario) {
  switch (st.kind) {
    case scenario::Kind::kPlatform:
      machine.SetPlatform(PlatformOf(st.platform));
      return true;
    case scenario::Kind::kDrive:
      machine.MapDrive(st.drive, AbsoluteHostPath(scenario, st.hostPath));
      return true;
    case scenario::Kind::kRegistryDelete:
      machine.registry().DeleteValueAt(Win(st.keyPath), Win(st.valueName));
      return true;
    case scenario::Kind::kRegistryDeleteKey:
      machine.registry().DeleteTreeAt(Win(st.keyPath));
      return true;
    case scenario::Kind::kDiskFree:
      machine.files().SetFreeSpace(st.drive, st.bytes);
      return true;
    case scenario::Kind::kRefuseRestart:
      machine.system().SetRefuseRestart(true);
      return true;
    case scenario::Kind::kGroup:
      machine.progman().AddGroup(Win(st.text));
      return true;
    case scenario::Kind::kProgman:
      if (st.bytes == 0) {
        machine.progman().SetAnswer(sim::SimProgman::Answer::kAbsent);
      } else {
        machine.progman().SetAnswer(sim::SimProgman::Answer::kFailing,
                                    static_cast<std::uint32_t>(st.bytes));
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
  switch (st.kind) {
    case scenario::Kind::kCopy:
      if (!Copy(machine, st, scenario, programFile, &e, error)) {
        *error = where + *error;
        return false;
      }
      break;
    case scenario::Kind::kRegistrySet:
      e = machine.registry().SetString(Win(st.keyPath), Win(st.valueName), Win(st.text));
      break;
    case scenario::Kind::kAttrib:
      e = Attrib(machine, st);
      break;
    case scenario::Kind::kMkdir:
      e = machine.files().MakeDirectories(Win(st.windowsPath));
      break;
    case scenario::Kind::kDeleteFile:
      e = machine.files().DeleteFile(Win(st.windowsPath));
      break;
    case scenario::Kind::kService:
      // Demand start, as the test set-up under Wine creates it.
      e = machine.services().Register(Win(st.valueName), static_cast<std::uint32_t>(st.bytes), 3,
                                      Win(st.windowsPath));
      break;
    case scenario::Kind::kHold:
      e = machine.files().Hold(Win(st.windowsPath));
      break;
    case scenario::Kind::kDenyKey:
      e = machine.registry().Deny(Win(st.keyPath));
      break;
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
  machine.system().SetCommandLine(Win(scenario.run.text));
}

void InsertDisk(sim::SimMachine& machine, const scenario::Scenario& scenario, char drive,
                const std::string& folder) {
  machine.MapDrive(drive, AbsoluteHostPath(scenario, folder));
}

}  // namespace simrun
