// The setup state: the one record of a setup run that every operation reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/machine.h"
#include "setup/catalog.h"

namespace setup {

struct Unattended;

// Capacities of the text fields, terminator included, as the description
// file and the rest of the program assume them.
constexpr std::size_t kPathCapacity = 256;
constexpr std::size_t kSourceDirMax = 250;
constexpr std::size_t kProductCapacity = 16;
constexpr std::size_t kVersionCapacity = 8;
constexpr std::size_t kPlatformTextCapacity = 12;
constexpr std::size_t kShortValueCapacity = 4;  // mct, fct, lng, aux
constexpr std::size_t kLongValueCapacity = 8;   // ver, plt, ifc
constexpr std::size_t kCompanyShortCapacity = 32;
constexpr std::size_t kCompanyLongCapacity = 52;
constexpr std::size_t kMaxFileListLines = 499;

enum class Mode { kInstall = 0, kRestart = 1, kUninstallLaunch = 2 };

// The eight raw values of SETUP.DAT.
struct DescriptionValues {
  std::string mct, fct, lng, prd, aux, ver, plt, ifc;
};

// Setup status values passed to FinishSetup.
namespace status {
constexpr int kInstalled = 0;
constexpr int kFailed = 1;
constexpr int kCancelled = 2;
constexpr int kRestartNeeded = 3;
constexpr int kAccessDenied = 5;
}  // namespace status

// Uninstall results.
namespace uninstall {
constexpr int kCompleted = 0;
constexpr int kFailed = 1;
constexpr int kNothingDone = 2;
}  // namespace uninstall

// Keeps texts returned by ExpandText alive until the process ends and
// recognises them by identity.
class ExpansionCache {
 public:
  static constexpr std::size_t kSlots = 1000;
  bool Contains(const char* text) const;
  void Record(const char* text);
  // Takes ownership of a new text and records it; returns its address.
  char* Adopt(std::string text);
  std::size_t Count() const { return recorded_.size(); }
  void Clear();

 private:
  std::vector<const char*> recorded_;
  std::vector<std::unique_ptr<char[]>> owned_;
};

// What an installation created, kept in the installed SETUP.DAT beside
// "SeqID" (see install/ownership.h).
struct OwnershipRecord {
  bool present = false;            // an installation wrote (or this one will write) a record
  bool installDirCreated = false;  // the install directory did not exist before
  std::vector<std::string> createdDirs;  // sub-directories below it, as the file list names them
};

// What this installation changed on the machine, in the order it changed
// it, so that an installation that ends cancelled or failed can be taken
// back (install/rollback.h, setup/rollback.h). Kept in memory only.
struct RollbackRecord {
  // A file this run created, or one that was there and that it replaced or
  // changed.
  struct File {
    std::string path;
    bool existed = false;           // there before the run
    std::string backup;             // where its earlier content is kept ("": nowhere)
    bool backupIsCopy = false;      // the backup is a copy (the file itself was changed in place)
    bool keepBackup = false;        // a backup of the design's own (a library's .000), kept after success
    std::uint32_t attributes = 0;   // its attributes before the run
    std::int64_t lastWriteUnix = 0; // its time before the run (given back to a copied backup)
  };
  // A value of the uninstall entry before this run rewrote it.
  struct Value {
    std::string name;
    bool present = false;
    std::uint32_t type = 0;
    std::string data;
  };
  std::vector<File> files;
  // Directories this run created (full paths), in the order made.
  std::vector<std::string> createdDirs;
  // The hidden folder in the install directory that holds the backups of
  // replaced files, once this run made it.
  std::string backupDir;
  // Attributes of files this run changed before replacing them (LFNBK.EXE
  // loses its read-only attribute), as they were.
  std::vector<std::pair<std::string, std::uint32_t>> attributesBefore;
  // This run's backup of SYSTEM.INI, once it changed SYSTEM.INI.
  std::string systemIniBackup;
  // The uninstall entry key (below HKLM) this run created, or the one of
  // the same group whose commands it rewrote, with their values before.
  std::string createdEntryKey;
  std::string reusedEntryKey;
  std::vector<Value> reusedEntryValues;
};

struct SetupState {
  explicit SetupState(platform::Machine& m) : machine(m) {}
  platform::Machine& machine;

  // Paths.
  std::string sourceDir;
  std::string windowsDir;
  std::string defaultInstallDir;
  std::string installDir;
  std::string uninstallDir;
  std::string restartDescriptionPath;
  std::string groupName;

  // SETUP.DAT and what is derived from it.
  DescriptionValues values;
  std::string productName;
  std::string version;
  std::string platformText;
  int fileCount = 0;
  int language = 0;
  bool scsi = false;
  bool seEdition = false;
  bool yEdition = false;
  std::string companyShort;
  std::string companyLong;
  std::vector<std::string> fileList;  // kept file-list lines, line end included

  // Run values.
  Mode mode = Mode::kInstall;
  // A silent removal left the installed uninstaller's own file (and on
  // Windows NT the directory) to be deleted when Windows next starts.
  bool removalEndsAtNextStart = false;
  bool windowsNt = false;
  bool windows98 = false;
  bool writeTapeConfiguration = true;
  std::string entryNumber = "00";
  bool schedulerInstalled = false;
  // Install mode: what this installation (and an earlier one of the product
  // in the same directory) created.
  OwnershipRecord ownership;
  // Install mode: what this run changed, to be taken back if it stops.
  RollbackRecord rollback;
  platform::WindowHandle backgroundWindow = platform::kNoWindow;
  // The response file, log and record of a run with those switches; null
  // in a run without them.
  Unattended* unattended = nullptr;

  // Message catalog (writable: the platform rewrite changes it) and the
  // cache of expanded texts.
  Catalog catalog;
  ExpansionCache expansionCache;
};

// Copies at most capacity-1 bytes of `value`: the field limits of the design.
std::string Truncate(const std::string& value, std::size_t capacity);

}  // namespace setup
