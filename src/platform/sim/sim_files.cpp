// The simulated machine's files: drives mapped to host folders, Windows path
// rules (drive letters, either separator, names compared without regard to
// case, short names, length limits), attributes, sharing of open files,
// free space, search, pending renames and links.
//
// Over 700 lines because every call goes through one private resolution of
// a Windows path to a host path (Resolve) and the state it keeps (open
// handles, sharing, free space, attributes); a split by call would put that
// resolution into a header every part includes. The profile files are in
// sim_profile.cpp.
#include "platform/sim/sim_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/sim/sim_registry.h"
#include "text/text.h"

namespace fs = std::filesystem;

namespace sim {
namespace {

constexpr std::uint32_t kNotReady = 21;
constexpr std::uint32_t kCallNotImplemented = 120;
constexpr std::uint32_t kInvalidName = 123;
constexpr std::uint32_t kFileNameTooLong = 206;
constexpr std::uint32_t kNotSameDevice = 17;
constexpr std::uint32_t kDirectoryError = 267;
constexpr std::size_t kMaxPath = 260;

char Fold(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 0x20);
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 0x20);
  if (u == 0x9A || u == 0x9C || u == 0x9E) return static_cast<char>(u - 0x10);
  if (u == 0xFF) return static_cast<char>(0x9F);
  return c;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string HostName(const std::string& windowsName) { return text::Cp1252ToUtf8(windowsName); }
std::string WindowsName(const std::string& hostName) { return text::Utf8ToCp1252(hostName); }

bool ValidName(const std::string& name, bool pattern) {
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32) return false;
    if (std::string("<>:\"|").find(c) != std::string::npos) return false;
    if (!pattern && (c == '*' || c == '?')) return false;
  }
  return true;
}

// Wildcard match as FindFirstFile does it: '*' any run, '?' one character,
// compared without regard to case.
bool Match(const char* p, const char* n) {
  while (*p != '\0') {
    if (*p == '*') {
      while (*p == '*') ++p;
      if (*p == '\0') return true;
      for (; *n != '\0'; ++n) {
        if (Match(p, n)) return true;
      }
      return Match(p, n);
    }
    if (*n == '\0') return false;
    if (*p != '?' && Fold(*p) != Fold(*n)) return false;
    ++p;
    ++n;
  }
  return *n == '\0';
}

bool MatchName(const std::string& pattern, const std::string& name) {
  if (Match(pattern.c_str(), name.c_str())) return true;
  // "X.*" also matches names without a dot, "*.*" matches every name.
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
      name.find('.') == std::string::npos) {
    return Match(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str());
  }
  return false;
}

// Whether a name is already a short (8.3) name.
bool FitsShort(const std::string& name) {
  if (name == "." || name == "..") return true;
  std::size_t dot = name.find('.');
  if (dot != name.rfind('.')) return false;
  std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
  for (char c : name) {
    if (c == ' ' || std::string("+,;=[]").find(c) != std::string::npos) return false;
  }
  return true;
}

std::string ShortStem(const std::string& name, std::string* ext) {
  std::size_t dot = name.rfind('.');
  std::string base = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  std::string e = dot == std::string::npos || dot == 0 ? "" : name.substr(dot + 1);
  auto clean = [](const std::string& s, std::size_t max) {
    std::string out;
    for (char c : s) {
      if (c == ' ' || c == '.') continue;
      if (std::string("+,;=[]").find(c) != std::string::npos) c = '_';
      out.push_back(Fold(c));
      if (out.size() == max) break;
    }
    return out;
  };
  *ext = clean(e, 3);
  return clean(base, 6);
}

// The 8.3 alias Windows 95 gives the entry `name` of the host folder
// `hostDir`: the name itself when it fits, else the first six characters
// of its cleaned stem, "~" and its number among the siblings with the same
// stem and extension (in name order), and the cleaned extension.
std::string ShortAlias(const std::string& hostDir, const std::string& name) {
  if (FitsShort(name)) return name;
  std::string ext;
  const std::string stem = ShortStem(name, &ext);
  std::vector<std::string> same;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(hostDir, ec)) {
    std::string sibling = WindowsName(e.path().filename().string());
    if (FitsShort(sibling)) continue;
    std::string siblingExt;
    if (ShortStem(sibling, &siblingExt) == stem && siblingExt == ext) same.push_back(FoldCase(sibling));
  }
  std::sort(same.begin(), same.end());
  std::size_t n = 1 + static_cast<std::size_t>(
                          std::find(same.begin(), same.end(), FoldCase(name)) - same.begin());
  std::string number = "~" + std::to_string(n);
  std::string alias = stem.substr(0, std::min(stem.size(), 8 - number.size())) + number;
  if (!ext.empty()) alias += "." + ext;
  return alias;
}

}  // namespace

std::string FoldCase(const std::string& name) {
  std::string out = name;
  for (char& c : out) c = Fold(c);
  return out;
}

SimFiles::~SimFiles() {
  for (auto& [h, f] : handles_) {
    if (f.fd >= 0) ::close(f.fd);
  }
}

void SimFiles::MapDrive(char letter, const std::string& hostFolder) {
  drives_[Fold(letter)] = hostFolder;
}

void SimFiles::SetFreeSpace(char letter, std::uint64_t bytes) { freeSpace_[Fold(letter)] = bytes; }

std::uint64_t SimFiles::FreeSpace(char letter) const {
  auto it = freeSpace_.find(Fold(letter));
  return it == freeSpace_.end() ? UINT64_MAX : it->second;
}

void SimFiles::Charge(char drive, std::int64_t bytes) {
  auto it = freeSpace_.find(drive);
  if (it == freeSpace_.end()) return;
  if (bytes >= 0) {
    it->second -= std::min<std::uint64_t>(it->second, static_cast<std::uint64_t>(bytes));
  } else {
    it->second += static_cast<std::uint64_t>(-bytes);
  }
}

std::uint32_t SimFiles::Resolve(const std::string& path, Resolved* out, bool pattern) const {
  *out = Resolved();
  if (path.empty()) return platform::err::kPathNotFound;
  if (path.size() >= kMaxPath) return kFileNameTooLong;
  if (path.find('\0') != std::string::npos) return kInvalidName;

  char drive = cwd_[0];
  std::string rest;
  if (path.size() >= 2 && path[1] == ':') {
    drive = Fold(path[0]);
    if (drive < 'A' || drive > 'Z') return kInvalidName;
    rest = path.substr(2);
    if (rest.empty() || !IsSeparator(rest[0])) {
      // "A:" and "A:x" are relative to the drive's current directory.
      std::string base = drive == cwd_[0] ? cwd_.substr(2) : std::string("\\");
      rest = base + "\\" + rest;
    }
  } else if (IsSeparator(path[0])) {
    if (path.size() > 1 && IsSeparator(path[1])) return platform::err::kPathNotFound;  // UNC
    rest = path;
  } else {
    rest = cwd_.substr(2) + "\\" + path;
  }
  auto d = drives_.find(drive);
  if (d == drives_.end()) return platform::err::kPathNotFound;
  std::error_code ec;
  // A drive whose folder is missing has no disk in it (21). Looked at only
  // when nothing of the path was found there: a name found in the folder
  // shows that it is there.
  auto notReady = [&] { return !fs::is_directory(d->second, ec); };

  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= rest.size()) {
    std::size_t j = i;
    while (j < rest.size() && !IsSeparator(rest[j])) ++j;
    std::string name = rest.substr(i, j - i);
    bool last = j >= rest.size();
    i = j + 1;
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!parts.empty()) parts.pop_back();  // never above the root
      continue;
    }
    // Windows drops trailing dots and blanks of a name.
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.empty()) return notReady() ? kNotReady : kInvalidName;
    if (name.size() > 255) return notReady() ? kNotReady : kFileNameTooLong;
    if (!ValidName(name, pattern && last)) return notReady() ? kNotReady : kInvalidName;
    parts.push_back(name);
  }

  out->drive = drive;
  out->parts = parts.size();
  std::string host = d->second;
  std::string windows = std::string(1, drive) + ":";
  bool existing = true;
  bool directory = true;
  for (const std::string& name : parts) {
    std::string hostName;
    std::string shownName = name;
    if (existing && directory) {
      std::string folded = FoldCase(name);
      bool found = false;
      // The name as written is looked up first: a path resolves without
      // reading its directories when every name in it is spelled as it is
      // stored, as most are. Otherwise the directory is searched without
      // regard to case.
      const std::string exact = HostName(name);
      struct stat st;
      bool knownType = false;
      if (::lstat((host + "/" + exact).c_str(), &st) == 0 && FoldCase(WindowsName(exact)) == folded) {
        hostName = exact;
        shownName = WindowsName(exact);
        found = true;
        // A link is followed below to see what it points to.
        knownType = !S_ISLNK(st.st_mode);
      }
      if (!found) {
        for (const fs::directory_entry& e : fs::directory_iterator(host, ec)) {
          std::string candidate = e.path().filename().string();
          std::string asWindows = WindowsName(candidate);
          if (FoldCase(asWindows) == folded) {
            hostName = candidate;
            shownName = asWindows;
            found = true;
            break;
          }
        }
      }
      // An 8.3 alias (PROGRA~1) names the entry it stands for, as on
      // Windows; the path then shows the entry's long name.
      if (!found && name.find('~') != std::string::npos) {
        for (const fs::directory_entry& e : fs::directory_iterator(host, ec)) {
          std::string candidate = e.path().filename().string();
          std::string asWindows = WindowsName(candidate);
          if (FoldCase(ShortAlias(host, asWindows)) == folded) {
            hostName = candidate;
            shownName = asWindows;
            found = true;
            break;
          }
        }
      }
      if (found) {
        directory = knownType ? S_ISDIR(st.st_mode) : fs::is_directory(host + "/" + hostName, ec);
        // A file in the middle of a path: the rest is "path not found".
        if (directory || &name == &parts.back()) ++out->existing;
        else existing = false;
      } else {
        existing = false;
      }
    } else {
      existing = false;
    }
    if (hostName.empty()) hostName = HostName(name);
    host += "/" + hostName;
    windows += "\\" + shownName;
  }
  if (parts.empty()) windows += "\\";
  if (out->existing == 0 && notReady()) {
    *out = Resolved();
    return kNotReady;
  }
  out->host = host;
  out->windows = windows;
  out->isDirectory = out->Exists() && directory;
  return 0;
}

std::string SimFiles::HostPath(const std::string& path) const {
  Resolved r;
  if (Resolve(path, &r) != 0) return "";
  return r.host;
}

std::uint32_t SimFiles::AttributesOf(const Resolved& r) const {
  auto it = attributes_.find(FoldCase(r.windows));
  std::uint32_t a = 0;
  if (it != attributes_.end()) {
    a = it->second;
  } else {
    a = r.isDirectory ? platform::attr::kDirectory : platform::attr::kArchive;
  }
  if (r.isDirectory) a |= platform::attr::kDirectory;
  else a &= ~platform::attr::kDirectory;
  // A link (MakeLink) is a reparse point.
  std::error_code ec;
  if (!r.host.empty() && fs::is_symlink(r.host, ec)) a |= platform::attr::kReparsePoint;
  return a;
}

std::string SimFiles::ExportAttributes() const {
  std::string out;
  for (const auto& [path, a] : attributes_) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(a));
    out += path + "=" + hex + "\n";
  }
  return out;
}

void SimFiles::ImportAttributes(const std::string& text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    pos = nl == std::string::npos ? text.size() : nl + 1;
    std::size_t eq = line.rfind('=');
    if (eq == std::string::npos || eq == 0) continue;
    unsigned long v = std::strtoul(line.c_str() + eq + 1, nullptr, 16);
    attributes_[FoldCase(line.substr(0, eq))] = static_cast<std::uint32_t>(v);
  }
}

bool SimFiles::IsOpen(const std::string& host) const {
  for (const auto& [h, f] : handles_) {
    if (f.host == host) return true;
  }
  return false;
}

bool SimFiles::IsRunning(const std::string& host) const {
  for (const auto& [mark, h] : running_) {
    if (h == host) return true;
  }
  return false;
}

int SimFiles::BeginRunning(const std::string& path) {
  Resolved r;
  if (Resolve(path, &r) != 0 || !r.Exists() || r.isDirectory) return 0;
  running_[nextRunning_] = r.host;
  return nextRunning_++;
}

void SimFiles::EndRunning(int mark) { running_.erase(mark); }

bool SimFiles::Shares(const std::string& host, bool read, bool write, bool shareRead,
                      bool shareWrite) const {
  for (const auto& [h, f] : handles_) {
    if (f.host != host) continue;
    if ((read && !f.shareRead) || (write && !f.shareWrite)) return false;
    if ((f.read && !shareRead) || (f.write && !shareWrite)) return false;
  }
  return true;
}

std::uint32_t SimFiles::GetFileStatus(const std::string& path, platform::FileStatus* out) {
  *out = platform::FileStatus();
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) return e;
  if (!r.Exists()) return NotFound(r);
  out->attributes = AttributesOf(r);
  std::error_code ec;
  struct stat st {};
  if (::stat(r.host.c_str(), &st) == 0) {
    out->size = r.isDirectory ? 0 : static_cast<std::uint64_t>(st.st_size);
    out->lastWriteUnix = static_cast<std::int64_t>(st.st_mtime);
  }
  return 0;
}

platform::FileHandle SimFiles::Open(const std::string& path, platform::OpenMode mode,
                                    std::uint32_t* error) {
  *error = 0;
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) {
    *error = e;
    return platform::kInvalidFile;
  }
  OpenFile f;
  f.host = r.host;
  f.drive = r.drive;
  bool create = mode != platform::OpenMode::kRead;
  bool truncate = mode == platform::OpenMode::kWriteCreate ||
                  mode == platform::OpenMode::kReadWriteCreate;
  switch (mode) {
    case platform::OpenMode::kRead:
      f.read = true;
      f.shareRead = f.shareWrite = true;
      break;
    case platform::OpenMode::kWriteCreate:
      f.write = true;
      f.shareWrite = true;
      break;
    case platform::OpenMode::kReadWriteCreate:
      f.read = f.write = true;
      f.shareRead = true;
      break;
    case platform::OpenMode::kAppend:
      f.write = f.append = true;
      f.shareRead = true;
      break;
  }
  if (!r.Exists()) {
    if (!create || !r.ParentExists()) {
      *error = NotFound(r);
      return platform::kInvalidFile;
    }
    // The parent must be a directory.
    std::error_code ec;
    if (!fs::is_directory(fs::path(r.host).parent_path(), ec)) {
      *error = platform::err::kPathNotFound;
      return platform::kInvalidFile;
    }
  } else {
    if (r.isDirectory) {
      *error = platform::err::kAccessDenied;
      return platform::kInvalidFile;
    }
    if (f.write && (AttributesOf(r) & platform::attr::kReadOnly)) {
      *error = platform::err::kAccessDenied;
      return platform::kInvalidFile;
    }
  }
  if (!Shares(r.host, f.read, f.write, f.shareRead, f.shareWrite) || (f.write && IsRunning(r.host))) {
    *error = platform::err::kSharingViolation;
    return platform::kInvalidFile;
  }
  std::int64_t oldSize = 0;
  struct stat st {};
  if (r.Exists() && ::stat(r.host.c_str(), &st) == 0) oldSize = st.st_size;
  int flags = f.read && f.write ? O_RDWR : f.write ? O_WRONLY : O_RDONLY;
  if (create) flags |= O_CREAT;
  if (truncate) flags |= O_TRUNC;
  f.fd = ::open(r.host.c_str(), flags | O_CLOEXEC, 0644);
  if (f.fd < 0) {
    *error = platform::err::kAccessDenied;
    return platform::kInvalidFile;
  }
  if (truncate) {
    Charge(r.drive, -oldSize);
    if (r.Exists()) {
      // A rewritten file gets the archive attribute, keeping the others.
      auto it = attributes_.find(FoldCase(r.windows));
      if (it != attributes_.end()) it->second |= platform::attr::kArchive;
    }
  }
  platform::FileHandle h = nextHandle_;
  nextHandle_ += 4;
  handles_[h] = f;
  diskMicroseconds_ += kOpenMicroseconds;
  return h;
}

std::uint32_t SimFiles::Read(platform::FileHandle h, void* buffer, std::uint32_t size,
                             std::uint32_t* read) {
  *read = 0;
  auto it = handles_.find(h);
  if (it == handles_.end()) return platform::err::kInvalidHandle;
  if (!it->second.read) return platform::err::kAccessDenied;
  // A bad sector of a disk (not of the hard disk C:).
  if (faults_ != nullptr && it->second.drive != 'C' && faults_->Hit(FaultKind::kRead))
    return fault_error::kCrc;
  std::uint8_t* p = static_cast<std::uint8_t*>(buffer);
  while (*read < size) {
    ssize_t n = ::read(it->second.fd, p + *read, size - *read);
    if (n < 0) return platform::err::kReadFault;
    if (n == 0) break;
    *read += static_cast<std::uint32_t>(n);
  }
  diskMicroseconds_ += *read / kBytesPerMicrosecond;
  return 0;
}

std::uint32_t SimFiles::Write(platform::FileHandle h, const void* data, std::uint32_t size,
                              std::uint32_t* written) {
  *written = 0;
  auto it = handles_.find(h);
  if (it == handles_.end()) return platform::err::kInvalidHandle;
  OpenFile& f = it->second;
  if (!f.write) return platform::err::kAccessDenied;
  // The disk is full from this write on.
  if (faults_ != nullptr && faults_->Hit(FaultKind::kWrite)) {
    SetFreeSpace(f.drive, 0);
    return fault_error::kDiskFull;
  }
  struct stat st {};
  if (::fstat(f.fd, &st) != 0) return platform::err::kWriteFault;
  off_t pos = f.append ? st.st_size : ::lseek(f.fd, 0, SEEK_CUR);
  if (pos < 0) return platform::err::kWriteFault;
  std::int64_t growth = static_cast<std::int64_t>(pos) + size - st.st_size;
  if (growth > 0 && static_cast<std::uint64_t>(growth) > FreeSpace(f.drive)) {
    return platform::err::kDiskFull;
  }
  if (f.append) ::lseek(f.fd, 0, SEEK_END);
  const std::uint8_t* p = static_cast<const std::uint8_t*>(data);
  while (*written < size) {
    ssize_t n = ::write(f.fd, p + *written, size - *written);
    if (n <= 0) return platform::err::kWriteFault;
    *written += static_cast<std::uint32_t>(n);
  }
  if (growth > 0) Charge(f.drive, growth);
  diskMicroseconds_ += *written / kBytesPerMicrosecond;
  return 0;
}

void SimFiles::Close(platform::FileHandle h) {
  auto it = handles_.find(h);
  if (it == handles_.end()) return;
  ::close(it->second.fd);
  handles_.erase(it);
}

std::uint32_t SimFiles::Hold(const std::string& path) {
  std::uint32_t error = 0;
  platform::FileHandle h = Open(path, platform::OpenMode::kRead, &error);
  if (h == platform::kInvalidFile) return error;
  handles_[h].shareWrite = false;
  return 0;
}

std::uint32_t SimFiles::RefuseDirectoryCreation(const std::string& path, std::uint32_t error) {
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) return e;
  std::string key = FoldCase(r.windows);
  if (!key.empty() && key.back() == '\\') key.pop_back();  // a root: "C:"
  refusedDirectoryCreation_[key] = error;
  return 0;
}

std::uint32_t SimFiles::DeleteFile(const std::string& path) {
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) return e;
  if (!r.Exists()) return NotFound(r);
  if (r.isDirectory) return platform::err::kAccessDenied;
  if (AttributesOf(r) & platform::attr::kReadOnly) return platform::err::kAccessDenied;
  if (IsRunning(r.host)) return platform::err::kAccessDenied;
  if (IsOpen(r.host)) return platform::err::kSharingViolation;
  struct stat st {};
  std::int64_t size = ::stat(r.host.c_str(), &st) == 0 ? st.st_size : 0;
  if (::unlink(r.host.c_str()) != 0) return platform::err::kAccessDenied;
  Charge(r.drive, -size);
  attributes_.erase(FoldCase(r.windows));
  return 0;
}

std::uint32_t SimFiles::CreateDirectory(const std::string& path) {
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) return e;
  if (r.Exists()) return platform::err::kAlreadyExists;
  if (!r.ParentExists()) return platform::err::kPathNotFound;
  std::error_code ec;
  if (!fs::is_directory(fs::path(r.host).parent_path(), ec)) return platform::err::kPathNotFound;
  const std::size_t cut = r.windows.rfind('\\');
  if (cut != std::string::npos) {
    auto refused = refusedDirectoryCreation_.find(FoldCase(r.windows.substr(0, cut)));
    if (refused != refusedDirectoryCreation_.end()) return refused->second;
  }
  if (::mkdir(r.host.c_str(), 0755) != 0) return platform::err::kAccessDenied;
  return 0;
}

std::uint32_t SimFiles::RemoveDirectory(const std::string& path) {
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) return e;
  if (!r.Exists()) return NotFound(r);
  if (!r.isDirectory) return kDirectoryError;
  if (r.parts == 0) return platform::err::kAccessDenied;
  if (AttributesOf(r) & platform::attr::kReadOnly) return platform::err::kAccessDenied;
  std::string folded = FoldCase(r.windows);
  std::string cwd = FoldCase(cwd_);
  if (cwd == folded || cwd.rfind(folded + "\\", 0) == 0) return platform::err::kSharingViolation;
  std::error_code ec;
  if (fs::is_symlink(r.host, ec)) {
    // A directory link goes as a link, whatever its target holds.
    if (::unlink(r.host.c_str()) != 0) return platform::err::kAccessDenied;
    attributes_.erase(folded);
    return 0;
  }
  if (!fs::is_empty(r.host, ec)) return platform::err::kDirNotEmpty;
  if (::rmdir(r.host.c_str()) != 0) return platform::err::kAccessDenied;
  attributes_.erase(folded);
  return 0;
}

std::uint32_t SimFiles::MoveFile(const std::string& from, const std::string& to) {
  Resolved a, b;
  if (std::uint32_t e = Resolve(from, &a)) return e;
  if (std::uint32_t e = Resolve(to, &b)) return e;
  if (!a.Exists()) return NotFound(a);
  if (a.parts == 0) return platform::err::kAccessDenied;
  if (b.Exists()) {
    // Renaming a file to its own name in another case is allowed.
    if (FoldCase(a.windows) != FoldCase(b.windows)) return platform::err::kAlreadyExists;
  } else if (!b.ParentExists()) {
    return platform::err::kPathNotFound;
  }
  std::string fa = FoldCase(a.windows);
  std::string fb = FoldCase(b.windows);
  if (a.isDirectory && fb.rfind(fa + "\\", 0) == 0) return platform::err::kAccessDenied;
  if (IsOpen(a.host)) return platform::err::kSharingViolation;
  std::error_code ec;
  std::uint64_t size = a.isDirectory ? 0 : fs::file_size(a.host, ec);
  if (a.drive != b.drive) {
    if (a.isDirectory) return kNotSameDevice;
    if (size > FreeSpace(b.drive)) return platform::err::kDiskFull;
  }
  std::string target = b.host;
  if (fa == fb) {
    // A change of case only: the new name as given.
    std::string given = to.substr(to.find_last_of("\\/:") == std::string::npos ? 0 : to.find_last_of("\\/:") + 1);
    while (!given.empty() && (given.back() == '.' || given.back() == ' ')) given.pop_back();
    target = fs::path(a.host).parent_path().string() + "/" + HostName(given);
  }
  // To another drive a file is copied and deleted: a running program's
  // file cannot be deleted.
  if (a.drive != b.drive && IsRunning(a.host)) return platform::err::kAccessDenied;
  fs::rename(a.host, target, ec);
  if (ec) {
    if (a.isDirectory) return platform::err::kAccessDenied;
    fs::copy_file(a.host, target, ec);
    if (ec) return platform::err::kAccessDenied;
    fs::remove(a.host, ec);
  }
  if (a.drive != b.drive) {
    Charge(a.drive, -static_cast<std::int64_t>(size));
    Charge(b.drive, static_cast<std::int64_t>(size));
  }
  // A running program's file goes on running from its new place.
  for (auto& [mark, host] : running_) {
    if (host == a.host) host = target;
    else if (host.rfind(a.host + "/", 0) == 0) host = target + host.substr(a.host.size());
  }
  // Attributes move with the entry and everything below it.
  std::map<std::string, std::uint32_t> moved;
  for (auto it = attributes_.begin(); it != attributes_.end();) {
    if (it->first == fa || it->first.rfind(fa + "\\", 0) == 0) {
      moved[fb + it->first.substr(fa.size())] = it->second;
      it = attributes_.erase(it);
    } else {
      ++it;
    }
  }
  attributes_.insert(moved.begin(), moved.end());
  return 0;
}

std::uint32_t SimFiles::MoveFileAtReboot(const std::string& from, const std::string& to) {
  // Windows 95 and 98 do not have it: they use WININIT.INI instead.
  if (!nt_ || registry_ == nullptr) return kCallNotImplemented;
  Resolved a;
  if (std::uint32_t e = Resolve(from, &a)) return e;
  std::string entry = "\\??\\" + a.windows + std::string(1, '\0');
  if (to.empty()) {
    entry += std::string(1, '\0');
  } else {
    Resolved b;
    if (std::uint32_t e = Resolve(to, &b)) return e;
    entry += "!\\??\\" + b.windows + std::string(1, '\0');
  }
  return registry_->AppendPendingRename(entry);
}

std::uint32_t SimFiles::GetFileAttributes(const std::string& path, std::uint32_t* attributes) {
  *attributes = platform::attr::kInvalid;
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) return e;
  if (!r.Exists()) return NotFound(r);
  *attributes = AttributesOf(r);
  return 0;
}

std::uint32_t SimFiles::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) return e;
  if (!r.Exists()) return NotFound(r);
  std::uint32_t keep = attributes & (platform::attr::kReadOnly | platform::attr::kHidden |
                                     platform::attr::kSystem | platform::attr::kArchive |
                                     platform::attr::kNormal);
  if (keep & ~platform::attr::kNormal) keep &= ~platform::attr::kNormal;
  if (r.isDirectory) keep = (keep & ~platform::attr::kNormal) | platform::attr::kDirectory;
  if (keep == 0) keep = platform::attr::kNormal;
  attributes_[FoldCase(r.windows)] = keep;
  return 0;
}

namespace {

// The last-access and last-write times of SetFileTime, both the same.
struct TimePair {
  struct timespec t[2];
};
TimePair AccessAndWriteTimes(std::int64_t unixSeconds) {
  TimePair times{};
  times.t[0].tv_sec = static_cast<time_t>(unixSeconds);
  times.t[1] = times.t[0];
  return times;
}

}  // namespace

std::uint32_t SimFiles::SetFileTimes(const std::string& path, std::int64_t unixSeconds) {
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) return e;
  if (!r.Exists()) return NotFound(r);
  // Setting times needs a handle open for writing.
  if (!r.isDirectory && (AttributesOf(r) & platform::attr::kReadOnly))
    return platform::err::kAccessDenied;
  const TimePair times = AccessAndWriteTimes(unixSeconds);
  if (::utimensat(AT_FDCWD, r.host.c_str(), times.t, 0) != 0) return platform::err::kAccessDenied;
  return 0;
}

std::uint32_t SimFiles::SetOpenFileTimes(platform::FileHandle h, std::int64_t unixSeconds) {
  auto it = handles_.find(h);
  if (it == handles_.end()) return platform::err::kInvalidHandle;
  if (!it->second.write) return platform::err::kAccessDenied;
  const TimePair times = AccessAndWriteTimes(unixSeconds);
  if (::futimens(it->second.fd, times.t) != 0) return platform::err::kAccessDenied;
  return 0;
}

std::uint32_t SimFiles::GetShortPathName(const std::string& path, std::string* out) {
  out->clear();
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) return e;
  if (!r.Exists()) return NotFound(r);
  // Walk the canonical path; each long name gets the ~n name Windows 95
  // would give it: the n-th among its siblings with the same stem.
  std::string result = r.windows.substr(0, 2);
  std::string host = drives_[r.drive];
  std::size_t pos = 3;
  while (pos <= r.windows.size() && r.parts > 0) {
    std::size_t next = r.windows.find('\\', pos);
    std::string name = r.windows.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
    const std::string shortName = ShortAlias(host, name);
    result += "\\" + shortName;
    host += "/" + HostName(name);
    // Use the host entry's own name for the walk.
    Resolved step;
    if (Resolve(r.windows.substr(0, next == std::string::npos ? r.windows.size() : next), &step) == 0)
      host = step.host;
    if (next == std::string::npos) break;
    pos = next + 1;
  }
  if (r.parts == 0) result += "\\";
  *out = result;
  return 0;
}

std::uint32_t SimFiles::FindFiles(const std::string& pattern, std::vector<platform::FindData>* out) {
  out->clear();
  std::size_t cut = pattern.find_last_of("\\/");
  std::string dir, name;
  if (cut == std::string::npos) {
    if (pattern.size() >= 2 && pattern[1] == ':') {
      dir = pattern.substr(0, 2);
      name = pattern.substr(2);
    } else {
      dir = cwd_;
      name = pattern;
    }
  } else {
    dir = pattern.substr(0, cut + 1);
    name = pattern.substr(cut + 1);
  }
  if (name.empty()) return platform::err::kFileNotFound;
  if (!ValidName(name, true)) return kInvalidName;
  Resolved r;
  if (std::uint32_t e = Resolve(dir, &r)) return e;
  if (!r.Exists() || !r.isDirectory) return platform::err::kPathNotFound;
  std::vector<platform::FindData> found;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(r.host, ec)) {
    platform::FindData fd;
    fd.name = WindowsName(e.path().filename().string());
    // A pattern is matched against the long name and, as FindFirstFileA
    // does, against the 8.3 alias (looked at only for a pattern with "~").
    if (!MatchName(name, fd.name) &&
        (name.find('~') == std::string::npos || !MatchName(name, ShortAlias(r.host, fd.name))))
      continue;
    Resolved entry;
    if (Resolve(r.windows + (r.parts ? "\\" : "") + fd.name, &entry) != 0) continue;
    fd.attributes = AttributesOf(entry);
    fd.size = entry.isDirectory ? 0 : fs::file_size(entry.host, ec);
    found.push_back(fd);
  }
  std::sort(found.begin(), found.end(), [](const platform::FindData& x, const platform::FindData& y) {
    return FoldCase(x.name) < FoldCase(y.name);
  });
  if (r.parts > 0) {
    for (const char* dot : {".", ".."}) {
      if (MatchName(name, dot)) out->push_back({dot, platform::attr::kDirectory, 0});
    }
  }
  out->insert(out->end(), found.begin(), found.end());
  return out->empty() ? platform::err::kFileNotFound : 0;
}

std::uint32_t SimFiles::SetCurrentDirectory(const std::string& path) {
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) return e;
  if (!r.Exists()) return NotFound(r);
  if (!r.isDirectory) return kDirectoryError;
  cwd_ = r.windows;
  return 0;
}

std::uint32_t SimFiles::MakeDirectories(const std::string& path) {
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) return e;
  if (r.Exists()) return r.isDirectory ? 0 : platform::err::kAlreadyExists;
  std::error_code ec;
  fs::create_directories(r.host, ec);
  return ec ? platform::err::kAccessDenied : 0;
}

std::uint32_t SimFiles::MakeLink(const std::string& path, const std::string& target) {
  Resolved link, to;
  if (std::uint32_t e = Resolve(path, &link)) return e;
  if (std::uint32_t e = Resolve(target, &to)) return e;
  if (link.Exists()) return platform::err::kAlreadyExists;
  if (!to.Exists()) return NotFound(to);
  std::error_code ec;
  fs::create_symlink(fs::absolute(to.host, ec), link.host, ec);
  return ec ? platform::err::kAccessDenied : 0;
}

std::uint32_t SimFiles::PutFile(const std::string& path, const std::string& data) {
  Resolved r;
  if (std::uint32_t e = Resolve(path, &r)) return e;
  std::size_t cut = r.windows.rfind('\\');
  if (cut != std::string::npos && cut > 2) {
    if (std::uint32_t e = MakeDirectories(r.windows.substr(0, cut))) return e;
  }
  return platform::WriteWholeFile(*this, path, data);
}

}  // namespace sim
