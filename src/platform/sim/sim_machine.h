// The simulated Windows 95/98/NT machine, kept in a host directory:
//
//   <dir>/C/              drive C: (fresh: C:\windows, C:\windows\system)
//   <dir>/machine.ini     platform and drive mappings
//   <dir>/registry.reg    the registry (REGEDIT4)
//   <dir>/attributes.ini  file attributes other than the defaults
//   <dir>/programs.log    programs started and restarts asked for (never run)
//   <dir>/progman.txt     Program Manager groups and items (see sim_progman.h)
//
//   std::string error;
//   auto m = sim::SimMachine::Open("out/m1", &error);
//   m->SetPlatform(sim::Platform::kNt);           // set up as the runner wants
//   m->ui().SetResources(&programResources);       // the program's templates
//   m->ui().SetUser(&user);                        // who answers its windows
//   m->system().SetCommandLine("A:\\SETUP.EXE");   // Windows-1252
//   int code = setup::RunSetup(m->machine());
//   m->Save(&error);
//
// The machine knows no scenario: tools/simrun applies a scenario to it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lz/szdd.h"
#include "platform/machine.h"
#include "platform/sim/sim_faults.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_progman.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_ui.h"
#include "platform/sim/sim_versions.h"

namespace sim {

// The Windows the machine plays.
enum class Platform { kWin95, kWin98, kNt };

class SimSystem : public platform::System {
 public:
  explicit SimSystem(std::string logPath) : logPath_(std::move(logPath)) {}
  void SetPlatform(Platform p) { platform_ = p; }
  Platform platform() const { return platform_; }
  // The command line (Windows-1252); its program is the module file name.
  void SetCommandLine(const std::string& commandLine);
  void SetRefuseRestart(bool refuse) { refuseRestart_ = refuse; }
  // Lines written to programs.log during this run.
  const std::vector<std::string>& log() const { return log_; }
  // The command line of the last program WinExec started since the last
  // call ("" when none): the program a runner runs next on this machine.
  std::string TakeLastWinExec() { return std::exchange(lastWinExec_, std::string()); }

  platform::OsVersion GetVersion() override;
  std::string GetModuleFileName() override { return moduleFileName_; }
  std::string GetCommandLine() override { return commandLine_; }
  std::string GetWindowsDirectory() override { return "C:\\windows"; }
  std::uint32_t WinExec(const std::string& commandLine, int show) override;
  // Runs the program through the runner's hook, this machine's command line
  // being the program's while it runs; 2 without a hook, or when the hook
  // cannot start it (a negative result).
  std::uint32_t RunAndWait(const std::string& commandLine, std::uint32_t* exitCode) override;
  // How the runner runs a program on this machine and waits for it: its
  // exit code, or a negative number when it cannot be started.
  void SetProgramRunner(std::function<int()> run) { programRunner_ = std::move(run); }
  // The files whose running programs RunAndWait marks while they wait.
  void SetFiles(SimFiles* files) { files_ = files; }
  int SpawnNoWait(const std::string& program, const std::vector<std::string>& args) override;
  void EnableShutdownPrivilege() override;
  int ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
  // The machine's clock: the virtual time its windows have waited (timers)
  // plus the time its disks have spent (SimFiles::DiskMicroseconds). Both
  // advance only with the program's own work, so runs are repeatable.
  std::uint32_t GetTickCount() override;
  void SetClock(std::function<std::uint64_t()> milliseconds) { clock_ = std::move(milliseconds); }

 private:
  void Log(const std::string& line);
  std::function<std::uint64_t()> clock_;
  std::string logPath_;
  Platform platform_ = Platform::kWin95;
  std::string commandLine_;
  std::string moduleFileName_;
  bool refuseRestart_ = false;
  bool shutdownPrivilege_ = false;
  std::vector<std::string> log_;
  std::string lastWinExec_;
  std::function<int()> programRunner_;
  SimFiles* files_ = nullptr;
};

// An allocator whose elements are left as they are when a vector grows
// (not zeroed): for buffers that a read fills at once.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <typename U>
  UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// LZ expansion over the machine's files with our SZDD reader. Handles of
// compressed files start at 0x400, plain files get small ones, as lz32.
// A compressed file is read whole into the memory the reader expands from
// (the memory of the last one closed, so mostly in one read); a plain file
// stays open and is read as it is asked for.
class SimLz : public platform::Lz {
 public:
  explicit SimLz(platform::FileSystem& files) : files_(files) {}
  ~SimLz() override;
  int Open(const std::string& path) override;
  int Read(int handle, void* buffer, int size) override;
  void Close(int handle) override;
  std::string GetExpandedName(const std::string& path) override;
  std::int64_t ExpandedLength(int handle) override;

 private:
  struct File {
    int handle = 0;
    bool compressed = false;
    // A compressed file: its bytes and the reader over them.
    std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>> data;
    szdd::Header header;
    std::unique_ptr<szdd::Expander> expander;
    // A plain file: the bytes read to look for a header, handed out first,
    // then the file itself.
    platform::FileHandle file = platform::kInvalidFile;
    std::uint8_t head[szdd::kHeaderSize] = {};
    std::size_t headSize = 0, headPos = 0;
    std::int64_t size = 0;
  };
  File* Find(int handle);
  platform::FileSystem& files_;
  std::vector<std::unique_ptr<File>> open_;
  std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>> spare_;
  int nextCompressed_ = 0x400;
  int nextPlain_ = 5;
};

class SimMachine {
 public:
  // Opens the machine kept in `dir`, creating a fresh one when missing.
  static std::unique_ptr<SimMachine> Open(const std::string& dir, std::string* error);
  ~SimMachine();

  platform::Machine& machine() { return machine_; }
  SimSystem& system() { return system_; }
  SimFiles& files() { return files_; }
  SimProfile& profile() { return profile_; }
  SimRegistry& registry() { return registry_; }
  SimLz& lz() { return lz_; }
  SimUi& ui() { return ui_; }
  SimVersions& versions() { return versions_; }
  SimServices& services() { return services_; }
  SimProgman& progman() { return progman_; }
  // Faults injected into the run (see sim_faults.h); not kept.
  Faults& faults() { return faults_; }
  const std::string& dir() const { return dir_; }

  void SetPlatform(Platform p);
  // Maps a drive letter (not C:) to a host folder.
  void MapDrive(char letter, const std::string& hostFolder);
  // The user puts another disk into the drive (not C:): it shows that
  // host folder from now on, or nothing when the disk-change fault hits.
  void InsertDisk(char letter, const std::string& hostFolder);
  // What Windows does at its next start with pending renames (WININIT.INI
  // [rename] and PendingFileRenameOperations); Wine does the same when a
  // prefix's server starts.
  void ApplyPendingRenames();

  bool Save(std::string* error);

 private:
  explicit SimMachine(std::string dir);
  bool Load(std::string* error);
  void RenameFromWininit();
  void RenameFromSessionManager();

  std::string dir_;
  Faults faults_;
  SimSystem system_;
  SimFiles files_;
  SimProfile profile_;
  SimRegistry registry_;
  SimLz lz_;
  SimUi ui_;
  SimVersions versions_;
  SimServices services_;
  SimProgman progman_;
  platform::Machine machine_;
};

}  // namespace sim
