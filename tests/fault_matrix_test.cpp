// The fault matrix: the sample product's two-disk installation on the
// simulated Windows 95 and Windows NT, run once clean to count the points
// of each kind, then once per point with a fault injected there (a
// confirmed Cancel at every dialog and every pump of the copy, a full disk
// at every write, a read error at every read of a disk file, no disk at the
// disk change, a failing registry change, DDE transaction or service call).
// The user follows the install road and gives up at every fault message.
// After each run the machine is checked from outside the program: the exit
// code and the last message, the uninstall log against the files the run
// made, SYSTEM.INI old or complete with its backup, nothing changed outside
// what the design touches. A run that stopped (cancelled or failed) must
// have been taken back: the machine is as it was before the run
// (CheckTakenBack). After a completed run the uninstaller (Selective) must
// leave the machine as it was but for the documented leftovers, and every
// file and directory that was there before the installation (other
// programs' folders, empty ones too, among them) is there after the
// uninstallation with its content (PreExistingKept). Installing again over
// a whole installation and stopping must leave that installation as it
// was. The uninstall side
// gets a file in use, a read-only file and a fault at every point of its
// own run. Needs the test disks (scripts/make-test-disks.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <sstream>

#include <unistd.h>

#include "platform/sim/sim_machine.h"
#include "setup/setup_run.h"
#include "simrun/product_resources.h"
#include "text/text.h"

namespace {

namespace fs = std::filesystem;
using platform::WindowHandle;

const fs::path kScenarios = fs::path(SETUP_SOURCE_DIR) / "tests" / "scenarios";
const fs::path kDisks = kScenarios / "built" / "full";

constexpr int kLicense = 129, kInstallDir = 102, kGroup = 103, kCopy = 135;
constexpr int kUninstallOptions = 137, kSelectGroup = 138;

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

std::string Upper(std::string s) { return sim::FoldCase(s); }

// Follows the install and uninstall road and gives up at every fault
// message: Cancel, Abort or No as the box offers, Yes to "Confirm Cancel".
// When told to, it cancels at the Nth cancel point instead: a road dialog
// shown, or a pump of the copy progress dialog.
class RoadUser : public sim::User {
 public:
  RoadUser(sim::SimMachine& machine, int cancelAt) : machine_(machine), cancelAt_(cancelAt) {}

  int cancelPoints() const { return cancelPoints_; }
  bool cancelled() const { return cancelled_; }
  const std::vector<std::string>& boxes() const { return boxes_; }
  std::string LastBox() const { return boxes_.empty() ? std::string() : boxes_.back(); }

  int AnswerMessageBox(sim::SimUi&, WindowHandle, const std::string& text,
                       const std::string& caption, std::uint32_t flags) override {
    boxes_.push_back(caption + ": " + text);
    // A write error shows once per failing block: a few hundred for the
    // largest file.
    if (boxes_.size() > 2000) throw sim::RunAborted("more than 2000 message boxes");
    using namespace platform::answer;
    if (caption == "Confirm Cancel" || caption == "Confirm Uninstall") return kYes;
    if (caption == "System Check") return kOk;  // the qic117 service may go
    // Installing again: into the directory and the group of before.
    if (caption == "Confirm Directory Choice" || caption == "Warning") return kYes;
    if (caption == "Next Diskette Needed") {
      std::size_t hash = text.find('#');
      std::string disk = hash == std::string::npos ? "" : text.substr(hash + 1, 1);
      machine_.InsertDisk('A', (kDisks / ("disk" + disk)).string());
      return kOk;
    }
    switch (flags & platform::mb::kButtonMask) {
      case platform::mb::kOkCancel:
      case platform::mb::kYesNoCancel:
      case platform::mb::kRetryCancel:
        return kCancel;
      case platform::mb::kYesNo:
        return kNo;
      case platform::mb::kAbortRetryIgnore:
        return kAbort;
      default:
        return kOk;
    }
  }

  void ModelessDialogShown(sim::SimUi&, WindowHandle) override {}

  bool ModelessDialogsOpen(sim::SimUi& ui) override {
    WindowHandle copy = ui.FindOpenDialog(kCopy, platform::kNoWindow);
    if (copy == platform::kNoWindow || cancelled_ || !ui.IsItemEnabled(copy, platform::cmd::kCancel))
      return false;
    if (++cancelPoints_ != cancelAt_) return false;
    cancelled_ = true;
    ui.PressButton(copy, platform::cmd::kCancel);
    return true;
  }

  bool ModalDialogWaits(sim::SimUi& ui, WindowHandle dialog) override {
    int id = ui.TemplateOf(dialog);
    if (id != kLicense && id != kInstallDir && id != kGroup && id != kUninstallOptions &&
        id != kSelectGroup) {
      return false;  // the uninstall progress runs on its timers
    }
    if (++acted_[dialog] > 5) throw sim::RunAborted("dialog " + std::to_string(id) + " does not end");
    if (acted_[dialog] == 1 && !cancelled_ && ++cancelPoints_ == cancelAt_) {
      cancelled_ = true;
      ui.PressButton(dialog, platform::cmd::kCancel);
      return true;
    }
    // The uninstall options: Selective (the default) with OK, unless the
    // group could not be verified (OK disabled): then Cancel.
    bool ok = ui.IsItemEnabled(dialog, platform::cmd::kOk);
    ui.PressButton(dialog, ok ? platform::cmd::kOk : platform::cmd::kCancel);
    return true;
  }

  std::string WhyModalDialogWaits(sim::SimUi& ui, WindowHandle dialog) override {
    return "dialog " + std::to_string(ui.TemplateOf(dialog)) + " waits and no timer runs";
  }
  void DialogDestroyed(sim::SimUi&, WindowHandle, int, bool) override {}
  std::string DescribeNext() const override { return "the road user answers everything"; }

 private:
  sim::SimMachine& machine_;
  int cancelAt_;
  int cancelPoints_ = 0;
  bool cancelled_ = false;
  std::map<WindowHandle, int> acted_;
  std::vector<std::string> boxes_;
};

// What the machine holds, seen from outside the program: one line per
// directory, file (with its content), registry key and value, program
// group and item.
using Snapshot = std::map<std::string, std::string>;

void AddFiles(const fs::path& root, const fs::path& dir, Snapshot* out) {
  for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
    std::string rel = e.path().lexically_relative(root).generic_string();
    if (e.is_directory() && !e.is_symlink()) {
      (*out)["dir C/" + rel] = "";
      AddFiles(root, e.path(), out);
    } else {
      // Read in one go: the matrix takes thousands of these.
      std::string data(static_cast<std::size_t>(e.file_size()), '\0');
      std::FILE* f = std::fopen(e.path().c_str(), "rb");
      if (f == nullptr || std::fread(data.data(), 1, data.size(), f) != data.size()) data = "<unreadable>";
      if (f != nullptr) std::fclose(f);
      (*out)["file C/" + rel] = std::move(data);
    }
  }
}

Snapshot Take(sim::SimMachine& m) {
  Snapshot out;
  fs::path c = fs::path(m.dir()) / "C";
  AddFiles(c, c, &out);
  std::istringstream reg(m.registry().Export());
  std::string line, key;
  while (std::getline(reg, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (StartsWith(line, "[")) {
      key = line;
      out["reg " + key] = "";
    } else if (!line.empty() && !key.empty()) {
      std::size_t eq = line.find('=');
      out["reg " + key + " " + line.substr(0, eq)] = eq == std::string::npos ? "" : line.substr(eq);
    }
  }
  std::istringstream groups(m.progman().Export());
  std::string group;
  while (std::getline(groups, line)) {
    if (StartsWith(line, "group ")) {
      group = line.substr(6);
      out["group " + group] = "";
    } else if (StartsWith(line, "item ")) {
      out["item " + group + "/" + line.substr(5, line.find('\t') - 5)] = line;
    }
  }
  // Attributes the program set (read-only) count as a change of the file.
  std::istringstream attributes(m.files().ExportAttributes());
  while (std::getline(attributes, line)) {
    if (!line.empty()) out["attrib " + Upper(line.substr(0, line.find('=')))] = line;
  }
  return out;
}

// The lines that differ, with what they are: "+", "-" or "~" and the line.
std::vector<std::string> Diff(const Snapshot& before, const Snapshot& after) {
  std::vector<std::string> out;
  for (const auto& [k, v] : after) {
    auto it = before.find(k);
    if (it == before.end()) out.push_back("+" + k);
    else if (it->second != v) out.push_back("~" + k);
  }
  for (const auto& [k, v] : before) {
    if (after.count(k) == 0) out.push_back("-" + k);
  }
  return out;
}

struct Platform {
  const char* name;
  sim::Platform platform;
  std::string installDir;  // the default one, as the road takes it
  std::string group;
};

// gtest names the parameter by its platform.
void PrintTo(const Platform& p, std::ostream* os) { *os << p.name; }

const Platform kWin95{"win95", sim::Platform::kWin95,
                      "C:\\Program Files\\Halvorn+ for Windows 95 - QIC",
                      "Halvorn+ for Windows 95 - QIC"};
const Platform kNt{"nt", sim::Platform::kNt, "C:\\Program Files\\Halvorn+ for Windows NT - QIC",
                   "Halvorn+ for Windows NT - QIC"};

// The host form of a Windows path below C:, as a snapshot line names it.
std::string SnapshotPath(const std::string& windows) {
  std::string rel = windows.substr(3);
  std::replace(rel.begin(), rel.end(), '\\', '/');
  return "C/" + rel;
}

// What a change may be, by where it is. Names compared in upper case.
struct Allowed {
  std::string installDir;  // "C/PROGRAM FILES/..."
  std::string group;
  bool installDirAny = true;     // anything below the install directory
  bool productRegistry = true;   // the uninstall entry, the product's keys and services
  bool productGroup = true;
  bool windowsFiles = true;      // the documented files of the Windows directory

  bool operator()(const std::string& change) const {
    std::string line = Upper(change.substr(1));
    std::string what = line.substr(0, line.find(' '));
    std::string rest = line.substr(what.size() + 1);
    if (what == "DIR" || what == "FILE" || what == "ATTRIB") {
      if (what == "ATTRIB") {  // "C:\PATH" as the attribute file holds it
        rest = SnapshotPath(rest);
        rest = Upper(rest);
      }
      if (installDirAny && (rest == installDir || StartsWith(rest, installDir + "/"))) return true;
      if (!windowsFiles) return false;
      return rest == "C/WINDOWS/SYSTEM.INI" || StartsWith(rest, "C/WINDOWS/SYSTEM.0") ||
             rest == "C/WINDOWS/LFNBK.EXE" || rest == "C/WINDOWS/UNINSTX$.EXE" ||
             rest == "C/WINDOWS/WININIT.INI" || rest == "C/WINDOWS/SYSTEM/ZEMAQW.VXD" ||
             rest == "C/WINDOWS/SYSTEM32/DRIVERS/ZEMAQWNT.SYS" || IsSharedLibrary(rest);
    }
    if (what == "REG") {
      if (!productRegistry) return false;
      for (const char* key :
           {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\",
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\DASTREL", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\BRENNICK",
            "[HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\SERVICES\\ZEMAQWNT",
            "[HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\SERVICES\\QIC117"}) {
        if (StartsWith(rest, key)) return true;
      }
      return false;
    }
    if (what == "GROUP" || what == "ITEM") {
      return productGroup && (rest == Upper(group) || StartsWith(rest, Upper(group) + "/"));
    }
    return false;
  }

  static bool IsSharedLibrary(const std::string& path) {
    for (const char* dir : {"C/WINDOWS/SYSTEM/", "C/WINDOWS/SYSTEM32/"}) {
      for (const char* name : {"MSVCRT20.DLL", "MSVCRT40.DLL", "MFC40.DLL"}) {
        if (path == std::string(dir) + name) return true;
      }
    }
    return false;
  }
};

// The counts of one matrix, printed at the end.
struct Tally {
  std::map<std::string, int> points;
  void Add(const std::string& kind) { ++points[kind]; }
  std::string Text() const {
    std::string s;
    int total = 0;
    for (const auto& [k, n] : points) {
      s += (s.empty() ? "" : ", ") + k + " " + std::to_string(n);
      total += n;
    }
    return s + " (" + std::to_string(total) + " runs)";
  }
};

// One run of the program on the machine.
struct Outcome {
  int code = -1;
  std::string aborted;  // why the run stopped, or ""
  std::string lastBox;
  std::vector<std::string> boxes;
};

class FaultMatrix : public ::testing::TestWithParam<Platform> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::is_directory(kDisks / "disk1") && fs::is_directory(kDisks / "disk2"))
        << kDisks << " missing: scripts/make-test-disks.sh makes the test disks";
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->name());
    std::replace(name.begin(), name.end(), '/', '_');
    // Hundreds of installations: in memory where the host has a memory
    // file system.
    fs::path temp = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::path(::testing::TempDir());
    root_ = temp / ("fault_matrix_" + std::to_string(::getpid()) + "_" + name);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  // A fresh machine with SYSTEM.INI holding conflicting tape drivers and,
  // on Windows NT, the qic117 service, so that every part of the road runs.
  std::unique_ptr<sim::SimMachine> Fresh() {
    std::error_code ec;
    fs::remove_all(root_, ec);
    std::string error;
    std::unique_ptr<sim::SimMachine> m = sim::SimMachine::Open(root_.string(), &error);
    EXPECT_NE(m, nullptr) << error;
    if (!m) return m;
    m->SetPlatform(GetParam().platform);
    std::ifstream ini(kScenarios / "files" / "SYSTEM.INI", std::ios::binary);
    std::ostringstream s;
    s << ini.rdbuf();
    EXPECT_EQ(m->files().PutFile("C:\\windows\\SYSTEM.INI", s.str()), 0u);
    if (GetParam().platform == sim::Platform::kNt) {
      EXPECT_EQ(m->files().PutFile("C:\\windows\\system32\\drivers\\qic117.sys", "driver"), 0u);
      EXPECT_EQ(m->services().Register("qic117", 1, 3, "C:\\windows\\system32\\drivers\\qic117.sys"), 0u);
    }
    // Other programs' folders, empty ones among them, beside the install
    // directory and in the Windows directory: the invariant checks that
    // they stay.
    for (const char* dir : {"C:\\Program Files\\Common Files\\System", "C:\\Program Files\\OtherApp\\Logs",
                            "C:\\windows\\TEMP", "C:\\windows\\SendTo"}) {
      EXPECT_EQ(m->files().MakeDirectories(dir), 0u) << dir;
    }
    EXPECT_EQ(m->files().PutFile("C:\\Program Files\\OtherApp\\OTHER.EXE", "other"), 0u);
    m->MapDrive('A', (kDisks / "disk1").string());
    m->ui().SetResources(&simrun::ProductResources());
    return m;
  }

  // Runs a program with the road user; `follow`: runs the program it
  // started with WinExec too (the uninstaller's temporary copy).
  Outcome Run(sim::SimMachine& m, const std::string& commandLine, int cancelAt, bool follow,
              int* cancelPoints = nullptr) {
    RoadUser user(m, cancelAt);
    m.ui().SetUser(&user);
    m.system().SetCommandLine(commandLine);
    Outcome o;
    try {
      o.code = setup::RunSetup(m.machine());
      std::string next = m.system().TakeLastWinExec();
      if (follow && o.code == 0 && !next.empty()) {
        m.system().SetCommandLine(next);
        o.code = setup::RunSetup(m.machine());
      }
    } catch (const sim::RunAborted& e) {
      o.aborted = e.what();
    } catch (const std::exception& e) {
      o.aborted = std::string("the run stopped with an error: ") + e.what();
    }
    m.ui().SetUser(nullptr);
    o.lastBox = user.LastBox();
    o.boxes = user.boxes();
    if (cancelPoints) *cancelPoints = user.cancelPoints();
    return o;
  }

  Outcome Install(sim::SimMachine& m, int cancelAt = 0, int* cancelPoints = nullptr) {
    m.faults().Arm();
    return Run(m, "A:\\SETUP.EXE", cancelAt, false, cancelPoints);
  }
  // The uninstaller as the user starts it: the installed UNINSTAL.EXE, which
  // starts its temporary copy. Without it (the install stopped before
  // copying it), the temporary copy directly.
  // A fault of the uninstallation's own: `nth` of `kind` fails (0: none).
  Outcome Uninstall(sim::SimMachine& m, sim::FaultKind kind = sim::FaultKind::kWrite,
                    std::uint64_t nth = 0) {
    const std::string dir = GetParam().installDir;
    platform::FileStatus status;
    // The fault of the installation is over; the user made room on the disk.
    m.faults().Clear();
    m.files().SetFreeSpace('C', UINT64_MAX);
    m.faults().Fail(kind, nth);
    m.faults().Arm();
    if (m.files().GetFileStatus(dir + "\\UNINSTAL.EXE", &status) == 0)
      return Run(m, "\"" + dir + "\\UNINSTAL.EXE\"", 0, true);
    return Run(m, "C:\\windows\\UNINSTX$.EXE /restart \"" + dir + "\"", 0, false);
  }

  Allowed Design() const {
    Allowed a;
    a.installDir = Upper(SnapshotPath(GetParam().installDir));
    a.group = GetParam().group;
    return a;
  }

  // Failures of one run, "" when every check holds.
  std::string Problems(const std::vector<std::string>& diff, const Allowed& allowed) {
    std::string out;
    for (const std::string& d : diff) {
      if (!allowed(d)) out += "  changed: " + d.substr(0, 160) + "\n";
    }
    return out;
  }

  fs::path root_;
};

// The documented last messages of the installation, by exit code.
std::string CheckInstallEnd(const Outcome& o) {
  if (!o.aborted.empty()) return "the run stopped: " + o.aborted;
  switch (o.code) {
    case 0:
      if (o.lastBox == "Install Complete: Setup has completed successfully." ||
          StartsWith(o.lastBox, ": Would you like to view README.TXT"))
        return "";
      break;
    case 1:
      if (o.lastBox == "Exiting Install: There was an error attempting to install.") return "";
      break;
    case 2:
      if (o.lastBox == "Exiting Install: Setup canceled by user.") return "";
      break;
    case 10:
      if (o.lastBox == ": Can't find or open SETUP.DAT.") return "";
      break;
    case 3:
      if (StartsWith(o.lastBox, "Installation Complete: Setup has completed successfully."))
        return "";
      break;
    default:
      return "undocumented exit code " + std::to_string(o.code);
  }
  return "exit " + std::to_string(o.code) + " after the message '" + o.lastBox + "'";
}

std::string CheckUninstallEnd(const Outcome& o) {
  if (!o.aborted.empty()) return "the run stopped: " + o.aborted;
  if (o.code == 0 && o.lastBox == "UnInstall Complete: UnInstall has completed successfully.")
    return "";
  if (o.code == 1 && o.lastBox == "Exiting UnInstall: There was an error attempting to uninstall.")
    return "";
  if (o.code == 2 && o.lastBox == "UnInstall Canceled: No UnInstall was performed.") return "";
  // The installed SETUP.DAT is missing or incomplete (the installation
  // stopped before it was whole): the uninstaller refuses.
  if (o.code == 10 && o.lastBox == ": Can't find or open SETUP.DAT.") return "";
  if (o.code == 13 && o.lastBox == ": There are invalid fields in SETUP.DAT") return "";
  return "uninstall exit " + std::to_string(o.code) + " after the message '" + o.lastBox + "'";
}

// The lines of the uninstall log of an installation.
std::vector<std::string> LoggedFiles(sim::SimMachine& m, const std::string& installDir) {
  std::string log;
  std::vector<std::string> out;
  if (platform::ReadWholeFile(m.files(), installDir + "\\UNINST.LST", &log) != 0) return out;
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

// Every file the run made in or below the install directory, and every
// file it made elsewhere that the uninstaller removes (LFNBK.EXE, the
// drivers), is named in UNINST.LST.
std::string CheckLog(sim::SimMachine& m, const std::vector<std::string>& diff,
                     const std::string& installDir) {
  std::set<std::string> named;
  for (const std::string& line : LoggedFiles(m, installDir)) {
    if (line.size() > 3) named.insert(Upper(SnapshotPath(line)));
  }
  std::string out;
  std::string dir = Upper(SnapshotPath(installDir)) + "/";
  for (const std::string& d : diff) {
    if (d[0] != '+' || !StartsWith(d, "+file ")) continue;
    std::string path = Upper(d.substr(6));
    bool ours = StartsWith(path, dir) || path == "C/WINDOWS/LFNBK.EXE" ||
                path == "C/WINDOWS/SYSTEM/ZEMAQW.VXD" ||
                path == "C/WINDOWS/SYSTEM32/DRIVERS/ZEMAQWNT.SYS";
    if (!ours || path == dir + "UNINST.LST") continue;
    if (named.count(path) == 0) out += "  not in UNINST.LST: " + d.substr(6) + "\n";
  }
  return out;
}

// SYSTEM.INI: the original, or the complete new content with a backup
// holding the original; never a temporary file left beside it.
std::string CheckSystemIni(const Snapshot& before, const Snapshot& after, const Snapshot& clean) {
  const std::string ini = "file C/windows/SYSTEM.INI";
  std::string out;
  auto now = after.find(ini);
  if (now == after.end()) return "  SYSTEM.INI is gone\n";
  if (now->second == before.at(ini)) return "";
  if (now->second != clean.at(ini)) out += "  SYSTEM.INI is neither the old nor the new content\n";
  bool backup = false;
  for (const auto& [k, v] : after) {
    if (StartsWith(Upper(k), "FILE C/WINDOWS/SYSTEM.0") && before.count(k) == 0 &&
        v == before.at(ini))
      backup = true;
  }
  if (!backup) out += "  SYSTEM.INI changed without a backup of the old content\n";
  return out;
}

// An installation that stopped (cancelled or failed) after removing the
// qic117 service has registered it again: its key and subkeys hold what
// they held before the run, value for value. "" when they do.
std::string CheckQic117Kept(const Snapshot& before, const Snapshot& after) {
  const std::string key = "REG [HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\SERVICES\\QIC117";
  auto ofService = [&](const Snapshot& snapshot) {
    Snapshot lines;
    for (const auto& [k, v] : snapshot) {
      const std::string upper = Upper(k);
      if (StartsWith(upper, key + "]") || StartsWith(upper, key + "\\")) lines[k] = v;
    }
    return lines;
  };
  const Snapshot was = ofService(before);
  if (was.empty()) return "  the machine had no qic117 service before the run\n";
  std::string out;
  for (const std::string& d : Diff(was, ofService(after))) out += "  qic117 not as before: " + d.substr(0, 160) + "\n";
  return out;
}

bool IsLeftover(const std::string& change, bool nt) {
  std::string line = Upper(change.substr(1));
  if (StartsWith(line, "FILE C/WINDOWS/UNINSTX$.EXE") || StartsWith(line, "FILE C/WINDOWS/SYSTEM.INI") ||
      StartsWith(line, "FILE C/WINDOWS/SYSTEM.0") ||
      Allowed::IsSharedLibrary(line.substr(line.find(' ') + 1)))
    return true;
  // The qic117 service the installation removed stays removed.
  return nt && change[0] == '-' &&
         StartsWith(line, "REG [HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\SERVICES\\QIC117");
}

// A cancelled or failed installation was taken back: the machine is as it
// was before the run, file by file (content and attributes), registry key
// by key and value by value, group by group. "" when it is.
std::string CheckTakenBack(const Snapshot& before, const Snapshot& after) {
  std::string out;
  for (const std::string& d : Diff(before, after)) out += "  not taken back: " + d.substr(0, 160) + "\n";
  return out;
}

// The machine invariant of a removal: every file and directory that was
// there before the installation is there after the uninstallation, with
// the same content, but for what the design changes on purpose
// (SYSTEM.INI with its conflicting drivers commented out, the shared
// run-time libraries brought up to date). "" when it holds.
std::string PreExistingKept(const Snapshot& before, const Snapshot& after) {
  std::string out;
  for (const auto& [k, v] : before) {
    const std::string line = Upper(k);
    if (!StartsWith(line, "DIR ") && !StartsWith(line, "FILE ")) continue;
    const std::string path = line.substr(line.find(' ') + 1);
    if (path == "C/WINDOWS/SYSTEM.INI" || Allowed::IsSharedLibrary(path)) continue;
    auto now = after.find(k);
    if (now == after.end()) out += "  gone, though there before the installation: " + k + "\n";
    else if (now->second != v) out += "  changed, though there before the installation: " + k + "\n";
  }
  return out;
}

TEST_P(FaultMatrix, InstallWithAFaultAtEveryPoint) {
  const Platform& p = GetParam();
  const bool nt = p.platform == sim::Platform::kNt;
  const sim::FaultKind kinds[] = {sim::FaultKind::kWrite, sim::FaultKind::kRead,
                                  sim::FaultKind::kRegistry, sim::FaultKind::kDde,
                                  sim::FaultKind::kService, sim::FaultKind::kDisk};
  // The clean run: the road's result and its points.
  std::unique_ptr<sim::SimMachine> m = Fresh();
  ASSERT_NE(m, nullptr);
  const Snapshot before = Take(*m);
  int cancelPoints = 0;
  Outcome clean = Install(*m, 0, &cancelPoints);
  ASSERT_EQ(CheckInstallEnd(clean), "");
  ASSERT_EQ(clean.code, 3) << "the road ends with the restart question (SYSTEM.INI changed)";
  const Snapshot installed = Take(*m);
  std::map<sim::FaultKind, std::uint64_t> points;
  for (sim::FaultKind k : kinds) points[k] = m->faults().Count(k);
  ASSERT_GT(points[sim::FaultKind::kWrite], 0u);
  ASSERT_GT(points[sim::FaultKind::kRead], 0u);
  ASSERT_GT(points[sim::FaultKind::kRegistry], 0u);
  ASSERT_GT(points[sim::FaultKind::kDde], 0u);
  ASSERT_EQ(points[sim::FaultKind::kDisk], 1u);
  if (nt) {
    ASSERT_GT(points[sim::FaultKind::kService], 0u);
  }
  ASSERT_GT(cancelPoints, 3);

  Tally tally;
  std::map<std::string, int> codes;
  std::map<int, int> uninstallRefused;
  int takenBack = 0;
  int roundTrips = 0;
  int failed = 0;
  std::map<std::string, int> kindsOfFailure;
  std::map<std::string, std::uint64_t> firstOf;
  const char* traceEnv = std::getenv("FAULT_MATRIX_TRACE");
  std::string trace = traceEnv ? traceEnv : "";
  std::string failures;
  // One run: the fault (a kind and its number, or a cancel point).
  auto one = [&](const std::string& what, sim::FaultKind kind, std::uint64_t nth, int cancelAt) {
    std::unique_ptr<sim::SimMachine> run = Fresh();
    if (!run) return;
    if (nth > 0) run->faults().Fail(kind, nth);
    Outcome o = Install(*run, cancelAt);
    std::string problems;
    std::vector<std::string> uninstallBoxes;
    if (nth > 0 && !run->faults().Fired(kind)) problems += "  the fault never came\n";
    std::string end = CheckInstallEnd(o);
    if (!end.empty()) problems += "  " + end + "\n";
    Snapshot after = Take(*run);
    std::vector<std::string> diff = Diff(before, after);
    problems += Problems(diff, Design());
    problems += CheckLog(*run, diff, p.installDir);
    problems += CheckSystemIni(before, after, installed);
    if (nt && (o.code == 1 || o.code == 2)) problems += CheckQic117Kept(before, after);
    ++codes[std::to_string(o.code)];
    const bool completed = o.code == 0 || o.code == 3;
    // A run that stopped (cancelled, failed, or before it began) leaves the
    // machine as it was; nothing is left for the uninstaller.
    if (!completed && o.aborted.empty()) {
      problems += CheckTakenBack(before, after);
      ++takenBack;
    }
    // After a completed run, the uninstaller's round trip.
    if (completed && o.aborted.empty()) {
      ++roundTrips;
      Outcome u = Uninstall(*run);
      uninstallBoxes = u.boxes;
      std::string uend = CheckUninstallEnd(u);
      if (!uend.empty()) problems += "  " + uend + "\n";
      Snapshot removed = Take(*run);
      problems += PreExistingKept(before, removed);
      if (u.code == 10 || u.code == 13) {
        problems += "  the uninstaller refused the installed SETUP.DAT of a completed installation\n";
      }
      if (u.code == 2 && after.count("group " + p.group) != 0) {
        problems += "  the uninstaller did nothing though the installation's group is there\n";
      }
      if (u.code == 2 || u.code == 10 || u.code == 13) {
        // Refused (the group Program Manager did not create is unknown):
        // the uninstaller changed nothing.
        ++uninstallRefused[u.code];
        for (const std::string& d : Diff(after, removed)) {
          if (!StartsWith(d.substr(1), "file C/windows/UNINSTX$.EXE"))
            problems += "  the refused uninstall changed: " + d.substr(0, 160) + "\n";
        }
      } else {
        for (const std::string& d : Diff(before, removed)) {
          if (!IsLeftover(d, nt))
            problems += "  left after uninstall: " + d.substr(0, 160) + "\n";
        }
      }
    }
    tally.Add(what);
    if (problems.empty()) return;
    const std::uint64_t number = nth > 0 ? nth : static_cast<std::uint64_t>(cancelAt);
    const std::string name = what + " " + std::to_string(number);
    // FAULT_MATRIX_TRACE="write 7" prints that run's messages.
    if (trace == name) {
      for (const std::string& b : o.boxes) std::printf("install box: %s\n", b.c_str());
      for (const std::string& b : uninstallBoxes) std::printf("uninstall box: %s\n", b.c_str());
    }
    std::string key = what + ": " + problems.substr(0, problems.find('\n'));
    if (kindsOfFailure[key]++ == 0) firstOf[key] = number;
    if (++failed <= 6) {
      failures += name + " (exit " + std::to_string(o.code) + ", last '" + o.lastBox.substr(0, 80) +
                  "'):\n" + problems;
    }
  };
  one("clean", sim::FaultKind::kWrite, 0, 0);  // the road itself, checked the same way
  for (sim::FaultKind k : kinds) {
    for (std::uint64_t n = 1; n <= points[k]; ++n) one(sim::Faults::Name(k), k, n, 0);
  }
  for (int c = 1; c <= cancelPoints; ++c) one("cancel", sim::FaultKind::kWrite, 0, c);

  std::string codeText;
  for (const auto& [c, n] : codes) codeText += " exit " + c + ": " + std::to_string(n) + ";";
  std::printf("fault matrix, install on %s: %s;%s taken back, the machine as before: %d runs; "
              "the uninstaller's round trip after %d completed runs, refused: %d times "
              "for lack of the installed SETUP.DAT (exit 10, 13), %d for an unknown group (exit 2)\n",
              p.name, tally.Text().c_str(), codeText.c_str(), takenBack, roundTrips,
              uninstallRefused[10] + uninstallRefused[13], uninstallRefused[2]);
  std::string summary;
  for (const auto& [k, n] : kindsOfFailure)
    summary += std::to_string(n) + " x " + k + " (first " + std::to_string(firstOf[k]) + ")\n";
  EXPECT_EQ(failed, 0) << "the failures, by kind:\n"
                       << summary << "the first of the failed runs:\n"
                       << failures;
}

// Installing again over a whole installation, and stopping: a confirmed
// Cancel at every cancel point, a full disk from every write on. Each
// stopped run must leave the earlier installation exactly as it was: its
// files (every one replaced and put back from its backup), UNINST.LST,
// the installed SETUP.DAT with its "SeqID" and record, its uninstall entry
// and group; and its uninstaller then still removes it all.
TEST_P(FaultMatrix, ReinstallStoppedAtEveryPointKeepsTheEarlierInstallation) {
  const Platform& p = GetParam();
  const bool nt = p.platform == sim::Platform::kNt;
  std::unique_ptr<sim::SimMachine> m = Fresh();
  ASSERT_NE(m, nullptr);
  const Snapshot before = Take(*m);
  ASSERT_EQ(Install(*m).code, 3);
  const Snapshot installed = Take(*m);
  int cancelPoints = 0;
  m->MapDrive('A', (kDisks / "disk1").string());  // disk 2 is still in the drive
  Outcome again = Install(*m, 0, &cancelPoints);
  ASSERT_EQ(CheckInstallEnd(again), "");
  ASSERT_EQ(again.code, 0) << "nothing left to deactivate: no restart needed";
  const std::uint64_t writes = m->faults().Count(sim::FaultKind::kWrite);
  ASSERT_GT(writes, 0u);
  ASSERT_GT(cancelPoints, 3);

  Tally tally;
  int failed = 0;
  std::string failures;
  auto one = [&](const std::string& what, std::uint64_t nth, int cancelAt) {
    std::unique_ptr<sim::SimMachine> run = Fresh();
    if (!run) return;
    std::string problems;
    if (Install(*run).code != 3) problems += "  the first installation did not complete\n";
    if (nth > 0) run->faults().Fail(sim::FaultKind::kWrite, nth);
    run->MapDrive('A', (kDisks / "disk1").string());
    Outcome o = Install(*run, cancelAt);
    std::string end = CheckInstallEnd(o);
    if (!end.empty()) problems += "  " + end + "\n";
    const Snapshot after = Take(*run);
    if (o.code == 1 || o.code == 2) {
      for (const std::string& d : Diff(installed, after)) {
        problems += "  the earlier installation changed: " + d.substr(0, 160) + "\n";
      }
    }
    Outcome u = Uninstall(*run);
    if (u.code != 0) problems += "  " + CheckUninstallEnd(u) + " (exit " + std::to_string(u.code) + ")\n";
    for (const std::string& d : Diff(before, Take(*run))) {
      if (!IsLeftover(d, nt)) problems += "  left after uninstall: " + d.substr(0, 160) + "\n";
    }
    tally.Add(what);
    if (!problems.empty() && ++failed <= 6) {
      failures += what + " " + std::to_string(nth > 0 ? nth : static_cast<std::uint64_t>(cancelAt)) +
                  " (exit " + std::to_string(o.code) + ", last '" + o.lastBox.substr(0, 80) + "'):\n" + problems;
    }
  };
  for (int c = 1; c <= cancelPoints; ++c) one("cancel", 0, c);
  for (std::uint64_t n = 1; n <= writes; ++n) one("write", n, 0);
  std::printf("fault matrix, installing again on %s: %s\n", p.name, tally.Text().c_str());
  EXPECT_EQ(failed, 0) << "the first of the failed runs:\n" << failures;
}

// The uninstaller after a whole installation, with a file in use, a
// read-only file, and a fault at every point of its own run (a full disk
// from every write on, a failing registry deletion or change, DDE
// transaction, service call). Each file of the log is tried in use and
// read-only: it stays, the rest goes, the removal completes. A fault
// leaves at most what the failing operation would have removed.
TEST_P(FaultMatrix, UninstallWithAFaultAtEveryPoint) {
  const Platform& p = GetParam();
  const bool nt = p.platform == sim::Platform::kNt;
  std::unique_ptr<sim::SimMachine> m = Fresh();
  ASSERT_NE(m, nullptr);
  const Snapshot before = Take(*m);
  ASSERT_EQ(Install(*m).code, 3);
  const Snapshot installed = Take(*m);
  const std::vector<std::string> logged = LoggedFiles(*m, p.installDir);
  ASSERT_GT(logged.size(), 5u);
  Outcome clean = Uninstall(*m);
  ASSERT_EQ(CheckUninstallEnd(clean), "");
  ASSERT_EQ(clean.code, 0);
  EXPECT_EQ(PreExistingKept(before, Take(*m)), "");
  for (const std::string& d : Diff(before, Take(*m))) EXPECT_TRUE(IsLeftover(d, nt)) << d;
  const sim::FaultKind kinds[] = {sim::FaultKind::kWrite, sim::FaultKind::kRegistry,
                                  sim::FaultKind::kDde, sim::FaultKind::kService};
  std::map<sim::FaultKind, std::uint64_t> points;
  for (sim::FaultKind k : kinds) points[k] = m->faults().Count(k);
  ASSERT_GT(points[sim::FaultKind::kWrite], 0u);
  ASSERT_GT(points[sim::FaultKind::kRegistry], 0u);
  ASSERT_GT(points[sim::FaultKind::kDde], 0u);

  Tally tally;
  std::map<std::string, int> codes;
  int failed = 0;
  std::string failures;
  // One uninstallation after a whole installation; `prepare` sets up the
  // machine; `mayStay` tells what may be left beyond the usual leftovers.
  auto one = [&](const std::string& what, const std::string& which,
                 const std::function<void(sim::SimMachine&)>& prepare, sim::FaultKind kind,
                 std::uint64_t nth, const std::function<bool(const std::string&)>& mayStay) {
    std::unique_ptr<sim::SimMachine> run = Fresh();
    if (!run) return;
    std::string problems;
    if (Install(*run).code != 3) problems += "  the installation did not complete\n";
    prepare(*run);
    Outcome u = Uninstall(*run, kind, nth);
    if (nth > 0 && !run->faults().Fired(kind)) problems += "  the fault never came\n";
    std::string end = CheckUninstallEnd(u);
    if (!end.empty()) problems += "  " + end + "\n";
    ++codes[std::to_string(u.code)];
    const Snapshot after = Take(*run);
    problems += PreExistingKept(before, after);
    if (u.code == 2) {
      // Nothing done (the group could not be verified): nothing changed.
      for (const std::string& d : Diff(installed, after)) {
        if (!StartsWith(d.substr(1), "file C/windows/UNINSTX$.EXE"))
          problems += "  the cancelled uninstall changed: " + d.substr(0, 160) + "\n";
      }
    }
    for (const std::string& d : u.code == 2 ? std::vector<std::string>() : Diff(before, after)) {
      if (IsLeftover(d, nt)) continue;
      // What stays was there after the installation, unchanged (but for
      // the attribute the test gave it).
      bool unchanged = d[0] == '+' && (installed.count(d.substr(1)) != 0 ||
                                       StartsWith(d, "+attrib "));
      if (!unchanged || !mayStay(d.substr(1)))
        problems += "  left after uninstall: " + d.substr(0, 160) + "\n";
    }
    tally.Add(what);
    if (!problems.empty() && ++failed <= 6)
      failures += what + " " + which + " (exit " + std::to_string(u.code) + ", last '" +
                  u.lastBox.substr(0, 80) + "'):\n" + problems;
  };
  // A path of the log, its directories and its attribute line may stay.
  auto fileAndDirs = [&](const std::string& windows) {
    std::string path = Upper(SnapshotPath(windows));
    std::string attrib = "ATTRIB " + Upper(windows);
    return [path, attrib](const std::string& line) {
      std::string l = Upper(line);
      if (l == "FILE " + path || l == attrib) return true;
      return StartsWith(l, "DIR ") && (path.rfind(l.substr(4) + "/", 0) == 0);
    };
  };
  for (const std::string& file : logged) {
    one("in-use", file, [&](sim::SimMachine& r) { EXPECT_EQ(r.files().Hold(file), 0u) << file; },
        sim::FaultKind::kWrite, 0, fileAndDirs(file));
    one("read-only", file,
        [&](sim::SimMachine& r) {
          std::uint32_t a = 0;
          EXPECT_EQ(r.files().GetFileAttributes(file, &a), 0u) << file;
          EXPECT_EQ(r.files().SetFileAttributes(file, a | platform::attr::kReadOnly), 0u);
        },
        sim::FaultKind::kWrite, 0, fileAndDirs(file));
  }
  const Allowed design = Design();
  for (sim::FaultKind k : kinds) {
    for (std::uint64_t n = 1; n <= points[k]; ++n) {
      // The failing operation's own part of the product may stay: with a
      // full disk (the temporary copy cannot be made) the whole product.
      auto mayStay = [&, k](const std::string& line) {
        std::string what = Upper(line.substr(0, line.find(' ')));
        switch (k) {
          case sim::FaultKind::kRegistry:
          case sim::FaultKind::kService:
            return what == "REG" && design("+" + line);
          case sim::FaultKind::kDde:
            return (what == "GROUP" || what == "ITEM") && design("+" + line);
          default:
            return design("+" + line);
        }
      };
      one(sim::Faults::Name(k), "#" + std::to_string(n), [](sim::SimMachine&) {}, k, n, mayStay);
    }
  }
  std::string codeText;
  for (const auto& [c, n] : codes) codeText += " exit " + c + ": " + std::to_string(n) + ";";
  std::printf("fault matrix, uninstall on %s: %s;%s\n", p.name, tally.Text().c_str(),
              codeText.c_str());
  EXPECT_EQ(failed, 0) << "the first of the failed runs:\n" << failures;
}

INSTANTIATE_TEST_SUITE_P(Platforms, FaultMatrix, ::testing::Values(kWin95, kNt),
                         [](const ::testing::TestParamInfo<Platform>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
