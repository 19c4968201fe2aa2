// Files and profile files of the simulated machine.
//
// Drives are host folders: C: is <machine>/C, other letters are mapped to
// any host folder (the disks). Windows paths follow the Windows rules:
// drive letters, "\" or "/", relative paths against a current directory,
// "." and ".." (never above the drive's root), trailing dots and blanks
// dropped, names compared without regard to case (Windows-1252 folding)
// against the existing host entries, new names keeping the case given.
// Host names are the UTF-8 form of the Windows-1252 names.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "platform/sim/sim_faults.h"

namespace sim {

class SimRegistry;

// Windows-1252 case folding (to upper case), used for every name comparison.
std::string FoldCase(const std::string& name);

class SimFiles : public platform::FileSystem {
 public:
  SimFiles() = default;
  ~SimFiles() override;

  // Drives. C: must be mapped before use.
  void MapDrive(char letter, const std::string& hostFolder);
  const std::map<char, std::string>& drives() const { return drives_; }
  // A free-space limit for a drive; writes that would grow its files
  // beyond it fail with 112.
  void SetFreeSpace(char letter, std::uint64_t bytes);
  // Free bytes left on a limited drive; UINT64_MAX when unlimited.
  std::uint64_t FreeSpace(char letter) const;
  // The machine's injected faults (reads of disk files, writes); null: none.
  void SetFaults(Faults* faults) { faults_ = faults; }
  // Where pending renames go on Windows NT; null: none.
  void SetRegistry(SimRegistry* registry, bool nt) {
    registry_ = registry;
    nt_ = nt;
  }

  // A Windows path resolved against the drives.
  struct Resolved {
    char drive = 0;
    std::string host;         // host path (existing parts with their host names)
    std::string windows;      // canonical Windows path, existing parts as stored
    std::size_t parts = 0;    // path components below the root
    std::size_t existing = 0; // leading components that exist
    bool isDirectory = false; // the whole path exists and is a directory
    bool Exists() const { return existing == parts; }
    bool ParentExists() const { return existing + 1 >= parts; }
  };
  // 0, or 3 (unknown drive, bad form), 21 (drive without a disk), 123
  // (invalid name), 206 (too long). Wildcards are allowed in the last
  // component when `pattern` is set.
  std::uint32_t Resolve(const std::string& path, Resolved* out, bool pattern = false) const;

  // Set-up helpers (all directories created as needed).
  std::uint32_t MakeDirectories(const std::string& path);
  // A link (a junction or symbolic link: a reparse point) at `path` to the
  // existing `target`; its parent must exist. Searches report it with
  // attr::kReparsePoint; removing it removes the link, not the target.
  std::uint32_t MakeLink(const std::string& path, const std::string& target);
  std::uint32_t PutFile(const std::string& path, const std::string& data);
  // Set-up: another program holds the file open for reading and lets
  // others only read it (as a program that has a library loaded): opening
  // it for writing, deleting or renaming it fails with 32 for the rest of
  // the run. Not kept with the machine.
  std::uint32_t Hold(const std::string& path);
  // Set-up: creating a directory directly inside the directory `path`
  // (which need not exist yet) fails with `error`, as in a directory the
  // user may not write (5) or on write-protected media (19). Creating an
  // existing directory still answers 183. Not kept with the machine.
  std::uint32_t RefuseDirectoryCreation(const std::string& path, std::uint32_t error);
  // The file of a program that runs (a program waiting in RunAndWait for
  // the one it started): it can be read and renamed, but deleting it fails
  // with 5 and opening it for writing with 32, as Windows NT and Wine treat
  // a running program's file. BeginRunning returns the mark EndRunning
  // takes; 0 when the path names no file.
  int BeginRunning(const std::string& path);
  void EndRunning(int mark);
  // Host path of a Windows path (for tests and the runner), "" when invalid.
  std::string HostPath(const std::string& path) const;

  // Attributes other than the defaults, kept as "<canonical path>=<hex>".
  std::string ExportAttributes() const;
  void ImportAttributes(const std::string& text);

  // FileSystem.
  std::uint32_t GetFileStatus(const std::string& path, platform::FileStatus* out) override;
  platform::FileHandle Open(const std::string& path, platform::OpenMode mode,
                            std::uint32_t* error) override;
  std::uint32_t Read(platform::FileHandle h, void* buffer, std::uint32_t size,
                     std::uint32_t* read) override;
  std::uint32_t Write(platform::FileHandle h, const void* data, std::uint32_t size,
                      std::uint32_t* written) override;
  void Close(platform::FileHandle h) override;
  std::uint32_t DeleteFile(const std::string& path) override;
  std::uint32_t CreateDirectory(const std::string& path) override;
  std::uint32_t RemoveDirectory(const std::string& path) override;
  std::uint32_t MoveFile(const std::string& from, const std::string& to) override;
  std::uint32_t MoveFileAtReboot(const std::string& from, const std::string& to) override;
  std::uint32_t GetFileAttributes(const std::string& path, std::uint32_t* attributes) override;
  std::uint32_t SetFileAttributes(const std::string& path, std::uint32_t attributes) override;
  std::uint32_t SetFileTimes(const std::string& path, std::int64_t unixSeconds) override;
  std::uint32_t SetOpenFileTimes(platform::FileHandle h, std::int64_t unixSeconds) override;
  std::uint32_t GetShortPathName(const std::string& path, std::string* out) override;
  std::uint32_t FindFiles(const std::string& pattern, std::vector<platform::FindData>* out) override;
  std::uint32_t SetCurrentDirectory(const std::string& path) override;
  std::string GetCurrentDirectory() override { return cwd_; }

  const std::string& currentDirectory() const { return cwd_; }
  std::size_t OpenHandleCount() const { return handles_.size(); }

  // The time the machine's disks have spent so far, in microseconds (part
  // of the machine's clock, SimSystem::GetTickCount). A model, not a
  // measurement: opening a file costs kOpenMicroseconds (a seek and a
  // directory search on the disks of the time), moving data one microsecond
  // per kBytesPerMicrosecond bytes (4 MB/s, a hard disk of the time). So
  // that work paced in time sees time pass: the copy engine lets messages
  // through at the first block of every file and every 50 ms within one.
  static constexpr std::uint64_t kOpenMicroseconds = 60000;
  static constexpr std::uint64_t kBytesPerMicrosecond = 4;
  std::uint64_t DiskMicroseconds() const { return diskMicroseconds_; }

 private:
  struct OpenFile {
    std::string host;
    char drive = 0;
    int fd = -1;
    bool read = false, write = false, append = false;
    bool shareRead = false, shareWrite = false;
  };
  // Directories (folded canonical Windows paths) in which creating a
  // directory fails, with the error it fails with.
  std::map<std::string, std::uint32_t> refusedDirectoryCreation_;
  std::uint32_t AttributesOf(const Resolved& r) const;
  bool IsOpen(const std::string& host) const;
  bool IsRunning(const std::string& host) const;
  bool Shares(const std::string& host, bool read, bool write, bool shareRead,
              bool shareWrite) const;
  void Charge(char drive, std::int64_t bytes);
  std::uint32_t NotFound(const Resolved& r) const { return r.ParentExists() ? 2 : 3; }

  std::map<char, std::string> drives_;
  std::map<char, std::uint64_t> freeSpace_;
  std::map<std::string, std::uint32_t> attributes_;  // key: FoldCase(canonical path)
  std::map<platform::FileHandle, OpenFile> handles_;
  std::map<int, std::string> running_;  // BeginRunning's mark: host path
  int nextRunning_ = 1;
  platform::FileHandle nextHandle_ = 0x100;
  std::string cwd_ = "C:\\";
  SimRegistry* registry_ = nullptr;
  Faults* faults_ = nullptr;
  bool nt_ = false;
  std::uint64_t diskMicroseconds_ = 0;
};

// Private profile (INI) files with the Windows rules: a bare file name
// means the Windows directory; sections and keys compared without regard
// to case; values trimmed, one pair of surrounding quotes removed.
class SimProfile : public platform::Profile {
 public:
  SimProfile(platform::FileSystem& files, std::string windowsDir)
      : files_(files), windowsDir_(std::move(windowsDir)) {}
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue, std::uint32_t size,
                        const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override;

 private:
  std::string FullPath(const std::string& file) const;
  platform::FileSystem& files_;
  std::string windowsDir_;
};

}  // namespace sim
