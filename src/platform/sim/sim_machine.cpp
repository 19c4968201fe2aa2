#include "platform/sim/sim_machine.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "lz/szdd.h"

namespace fs = std::filesystem;

namespace sim {
namespace {

bool ReadHostFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *out = s.str();
  return true;
}

bool WriteHostFile(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
  return static_cast<bool>(out);
}

const char* PlatformName(Platform p) {
  switch (p) {
    case Platform::kWin98: return "win98";
    case Platform::kNt: return "nt";
    default: return "win95";
  }
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

// ---------------------------------------------------------------- system

void SimSystem::SetCommandLine(const std::string& commandLine) {
  commandLine_ = commandLine;
  std::string program;
  if (!commandLine.empty() && commandLine[0] == '"') {
    std::size_t close = commandLine.find('"', 1);
    program = commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  } else {
    program = commandLine.substr(0, commandLine.find_first_of(" \t"));
  }
  moduleFileName_ = program;
}

platform::OsVersion SimSystem::GetVersion() {
  // The numbers Wine gives for its win95, win98 and nt40 settings.
  switch (platform_) {
    case Platform::kWin98: return {1, 4, 10, 0x040A08AE};
    case Platform::kNt: return {2, 4, 0, 1381};
    default: return {1, 4, 0, 0x040003B6};
  }
}

void SimSystem::Log(const std::string& line) {
  log_.push_back(line);
  std::ofstream out(logPath_, std::ios::binary | std::ios::app);
  out << line << "\n";
}

std::uint32_t SimSystem::WinExec(const std::string& commandLine, int show) {
  Log("winexec " + std::to_string(show) + " " + commandLine);
  lastWinExec_ = commandLine;
  return 33;
}

std::uint32_t SimSystem::RunAndWait(const std::string& commandLine, std::uint32_t* exitCode) {
  Log("run-and-wait " + commandLine);
  if (!programRunner_) return 2;
  const std::string savedCommandLine = commandLine_;
  const std::string savedModule = moduleFileName_;
  // The waiting program's own file stays in use while it waits.
  const int running = files_ != nullptr ? files_->BeginRunning(savedModule) : 0;
  SetCommandLine(commandLine);
  const int code = programRunner_();
  commandLine_ = savedCommandLine;
  moduleFileName_ = savedModule;
  if (files_ != nullptr) files_->EndRunning(running);
  Log("ended " + std::to_string(code));
  if (code < 0) return 2;
  *exitCode = static_cast<std::uint32_t>(code);
  return 0;
}

int SimSystem::SpawnNoWait(const std::string& program, const std::vector<std::string>& args) {
  std::string line = "spawn " + Quoted(program);
  for (const std::string& a : args) line += " " + Quoted(a);
  Log(line);
  return 0x1234;
}

void SimSystem::EnableShutdownPrivilege() {
  shutdownPrivilege_ = true;
  Log("privilege SeShutdownPrivilege");
}

int SimSystem::ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
  // Windows NT refuses without the shutdown privilege.
  int result = 1;
  if (refuseRestart_) result = 0;
  if (platform_ == Platform::kNt && !shutdownPrivilege_) result = 0;
  Log("exitwindows " + std::to_string(flags) + " " + std::to_string(reason) + " -> " +
      std::to_string(result));
  return result;
}

std::uint32_t SimSystem::GetTickCount() { return clock_ ? static_cast<std::uint32_t>(clock_()) : 0; }

// ---------------------------------------------------------------- LZ

SimLz::~SimLz() {
  for (auto& f : open_) {
    if (f->file != platform::kInvalidFile) files_.Close(f->file);
  }
}

SimLz::File* SimLz::Find(int handle) {
  for (auto& f : open_) {
    if (f->handle == handle) return f.get();
  }
  return nullptr;
}

int SimLz::Open(const std::string& path) {
  constexpr int kBadInHandle = -1;  // LZERROR_BADINHANDLE
  std::uint32_t error = 0;
  platform::FileHandle h = files_.Open(path, platform::OpenMode::kRead, &error);
  if (h == platform::kInvalidFile) return kBadInHandle;
  auto f = std::make_unique<File>();
  std::uint32_t got = 0;
  if (files_.Read(h, f->head, sizeof f->head, &got) != 0) {
    files_.Close(h);
    return kBadInHandle;
  }
  f->headSize = got;
  f->compressed = szdd::ParseHeader(f->head, got, &f->header);
  if (f->compressed) {
    // The rest is read to its end into the memory of the last compressed
    // file closed (its pages are already mapped), which mostly holds it in
    // one read; a read that comes back short ends the file.
    f->data = std::move(spare_);
    f->data.assign(f->head, f->head + got);
    for (;;) {
      std::size_t at = f->data.size();
      constexpr std::size_t kLeast = 65536;
      // Grown at least twice over, so that the memory kept is seldom
      // replaced by a larger one.
      if (f->data.capacity() - at < kLeast) f->data.reserve(std::max(at + kLeast, 2 * f->data.capacity()));
      std::size_t want = std::min<std::size_t>(f->data.capacity() - at, UINT32_MAX);
      f->data.resize(at + want);
      std::uint32_t more = 0;
      error = files_.Read(h, f->data.data() + at, static_cast<std::uint32_t>(want), &more);
      f->data.resize(at + more);
      if (error != 0 || more < want) break;
    }
    files_.Close(h);
    if (error != 0) return kBadInHandle;
    f->expander = std::make_unique<szdd::Expander>(f->data.data(), f->data.size());
    f->handle = nextCompressed_++;
  } else {
    platform::FileStatus status;
    if (files_.GetFileStatus(path, &status) != 0) {
      files_.Close(h);
      return kBadInHandle;
    }
    f->file = h;
    f->size = static_cast<std::int64_t>(status.size);
    f->handle = nextPlain_++;
  }
  int handle = f->handle;
  open_.push_back(std::move(f));
  return handle;
}

int SimLz::Read(int handle, void* buffer, int size) {
  File* f = Find(handle);
  if (size < 0 || f == nullptr) return -1;
  auto* out = static_cast<std::uint8_t*>(buffer);
  if (f->compressed) return f->expander->Read(out, size);
  std::size_t fromHead = std::min<std::size_t>(static_cast<std::size_t>(size), f->headSize - f->headPos);
  if (fromHead > 0) std::memcpy(out, f->head + f->headPos, fromHead);
  f->headPos += fromHead;
  std::uint32_t got = 0;
  if (fromHead < static_cast<std::size_t>(size) &&
      files_.Read(f->file, out + fromHead, static_cast<std::uint32_t>(size - fromHead), &got) != 0) {
    return -1;  // LZERROR_READ
  }
  return static_cast<int>(fromHead + got);
}

void SimLz::Close(int handle) {
  for (auto it = open_.begin(); it != open_.end(); ++it) {
    if ((*it)->handle == handle) {
      if ((*it)->file != platform::kInvalidFile) files_.Close((*it)->file);
      if ((*it)->data.capacity() > spare_.capacity()) spare_ = std::move((*it)->data);
      open_.erase(it);
      return;
    }
  }
}

std::string SimLz::GetExpandedName(const std::string& path) {
  std::uint32_t error = 0;
  platform::FileHandle h = files_.Open(path, platform::OpenMode::kRead, &error);
  if (h == platform::kInvalidFile) return path;
  std::uint8_t head[szdd::kHeaderSize];
  std::uint32_t got = 0;
  files_.Read(h, head, sizeof head, &got);
  files_.Close(h);
  szdd::Header header;
  if (!szdd::ParseHeader(head, got, &header)) return path;
  return szdd::ExpandedName(path, &header);
}

std::int64_t SimLz::ExpandedLength(int handle) {
  File* f = Find(handle);
  if (f == nullptr) return -1;
  return f->compressed ? static_cast<std::int64_t>(f->header.expandedLength) : f->size;
}

// ---------------------------------------------------------------- machine

SimMachine::SimMachine(std::string dir)
    : dir_(std::move(dir)),
      system_(dir_ + "/programs.log"),
      profile_(files_, "C:\\windows"),
      lz_(files_),
      versions_(files_),
      services_(registry_),
      machine_{system_, files_, profile_, registry_, lz_, ui_, progman_, versions_, services_} {
  ui_.SetFiles(&files_);
  system_.SetFiles(&files_);
  files_.SetFaults(&faults_);
  registry_.SetFaults(&faults_);
  progman_.SetFaults(&faults_);
  services_.SetFaults(&faults_);
  system_.SetClock([this] { return ui_.now() + files_.DiskMicroseconds() / 1000; });
}

SimMachine::~SimMachine() = default;

// What a fresh Windows 95 has in SYSTEM.INI: the usual sections and
// driver lines, none of them a tape driver.
constexpr char kFreshSystemIni[] =
    "[boot]\r\n"
    "shell=Explorer.exe\r\n"
    "system.drv=system.drv\r\n"
    "drivers=mmsystem.dll power.drv\r\n"
    "mouse.drv=mouse.drv\r\n"
    "keyboard.drv=keyboard.drv\r\n"
    "\r\n"
    "[boot.description]\r\n"
    "keyboard.typ=Standard 101/102-Key or Microsoft Natural Keyboard\r\n"
    "\r\n"
    "[386Enh]\r\n"
    "device=*vshare\r\n"
    "device=*dynapage\r\n"
    "device=*vcd\r\n"
    "keyboard=*vkd\r\n"
    "woafont=dosapp.fon\r\n"
    "\r\n"
    "[drivers]\r\n"
    "wave=mmdrv.dll\r\n"
    "timer=timer.drv\r\n"
    "\r\n"
    "[mci]\r\n"
    "cdaudio=mcicda.drv\r\n"
    "sequencer=mciseq.drv\r\n"
    "waveaudio=mciwave.drv\r\n"
    "avivideo=mciavi.drv\r\n";
// A stand-in for the editor the read-me item opens; never run.
constexpr char kFreshNotepad[] = "MZ stand-in for NOTEPAD.EXE of the simulated machine\r\n";

std::unique_ptr<SimMachine> SimMachine::Open(const std::string& dir, std::string* error) {
  std::error_code ec;
  std::string absolute = fs::absolute(dir, ec).lexically_normal().string();
  if (ec) absolute = dir;
  while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
  std::unique_ptr<SimMachine> m(new SimMachine(absolute));
  bool fresh = !fs::exists(absolute + "/machine.ini", ec);
  fs::create_directories(absolute + "/C", ec);
  if (ec) {
    *error = absolute + ": cannot create the machine folder: " + ec.message();
    return nullptr;
  }
  m->files_.MapDrive('C', absolute + "/C");
  if (fresh) {
    m->files_.MakeDirectories("C:\\windows\\system");
    m->files_.MakeDirectories("C:\\windows\\system32\\drivers");
    m->files_.PutFile("C:\\windows\\SYSTEM.INI", kFreshSystemIni);
    m->files_.PutFile("C:\\windows\\NOTEPAD.EXE", kFreshNotepad);
    // As a fresh Wine prefix has it.
    m->files_.MakeDirectories("C:\\Program Files");
    m->registry_.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                           "C:\\Program Files");
    // Keys every Windows has, whether anything is registered below them.
    for (const char* key : {"SOFTWARE\\Classes", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}) {
      platform::RegKey created = 0;
      std::uint32_t disposition = 0;
      if (m->registry_.CreateKey(platform::hkey::kLocalMachine, key, platform::kKeyAllAccess, &created,
                                 &disposition) == 0) {
        m->registry_.CloseKey(created);
      }
    }
    m->SetPlatform(Platform::kWin95);
    if (!m->Save(error)) return nullptr;
  } else if (!m->Load(error)) {
    return nullptr;
  }
  return m;
}

void SimMachine::SetPlatform(Platform p) {
  system_.SetPlatform(p);
  bool nt = p == Platform::kNt;
  registry_.SetNt(nt);
  services_.SetNt(nt);
  files_.SetRegistry(&registry_, nt);
}

void SimMachine::MapDrive(char letter, const std::string& hostFolder) {
  files_.MapDrive(letter, hostFolder);
}

void SimMachine::InsertDisk(char letter, const std::string& hostFolder) {
  // A drive with no disk in it: no folder (its paths give 21).
  files_.MapDrive(letter, faults_.Hit(FaultKind::kDisk) ? std::string() : hostFolder);
}

bool SimMachine::Load(std::string* error) {
  std::string ini;
  if (!ReadHostFile(dir_ + "/machine.ini", &ini)) {
    *error = dir_ + "/machine.ini: cannot read";
    return false;
  }
  std::istringstream lines(ini);
  std::string line, section;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      section = line;
      continue;
    }
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (section == "[machine]" && key == "platform") {
      if (value == "nt") SetPlatform(Platform::kNt);
      else if (value == "win98") SetPlatform(Platform::kWin98);
      else SetPlatform(Platform::kWin95);
    } else if (section == "[drives]" && key.size() == 1 && std::isalpha(static_cast<unsigned char>(key[0])) &&
               std::toupper(static_cast<unsigned char>(key[0])) != 'C') {
      files_.MapDrive(key[0], value);
    }
  }
  std::string reg;
  if (ReadHostFile(dir_ + "/registry.reg", &reg) && !registry_.Import(reg, error)) {
    *error = dir_ + "/" + *error;
    return false;
  }
  std::string attributes;
  if (ReadHostFile(dir_ + "/attributes.ini", &attributes)) files_.ImportAttributes(attributes);
  std::string progman;
  if (ReadHostFile(dir_ + "/progman.txt", &progman) && !progman_.Import(progman, error)) {
    *error = dir_ + "/" + *error;
    return false;
  }
  return true;
}

bool SimMachine::Save(std::string* error) {
  std::string ini = "[machine]\nplatform=";
  ini += PlatformName(system_.platform());
  ini += "\n\n[drives]\n";
  for (const auto& [letter, host] : files_.drives()) {
    if (letter != 'C') ini += std::string(1, letter) + "=" + host + "\n";
  }
  if (!WriteHostFile(dir_ + "/machine.ini", ini) ||
      !WriteHostFile(dir_ + "/registry.reg", registry_.Export()) ||
      !WriteHostFile(dir_ + "/attributes.ini", files_.ExportAttributes()) ||
      !WriteHostFile(dir_ + "/progman.txt", progman_.Export())) {
    *error = dir_ + ": cannot save the machine";
    return false;
  }
  return true;
}

void SimMachine::ApplyPendingRenames() {
  RenameFromWininit();
  RenameFromSessionManager();
}

// WININIT.INI [rename]: "destination=source", NUL as destination deletes;
// the file is kept as WININIT.BAK afterwards.
void SimMachine::RenameFromWininit() {
  std::string wininit = "C:\\windows\\WININIT.INI";
  std::string data;
  if (platform::ReadWholeFile(files_, wininit, &data) != 0) return;
  std::istringstream lines(data);
  std::string line;
  bool inRename = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inRename = FoldCase(line) == "[RENAME]";
      continue;
    }
    std::size_t eq = line.find('=');
    if (!inRename || eq == std::string::npos) continue;
    std::string to = line.substr(0, eq), from = line.substr(eq + 1);
    // The source is looked up first (by its 8.3 alias, as setup writes
    // it): a line whose source is not there leaves the destination alone,
    // rather than deleting it and then having nothing to move.
    platform::FileStatus source;
    if (files_.GetFileStatus(from, &source) != 0) continue;
    files_.SetFileAttributes(from, platform::attr::kNormal);
    if (FoldCase(to) == "NUL") {
      files_.DeleteFile(from);
    } else {
      files_.SetFileAttributes(to, platform::attr::kNormal);
      files_.DeleteFile(to);
      files_.MoveFile(from, to);
    }
  }
  files_.DeleteFile("C:\\windows\\WININIT.BAK");
  files_.MoveFile(wininit, "C:\\windows\\WININIT.BAK");
}

// PendingFileRenameOperations: pairs of "\??\source" and "!\??\destination"
// (an empty destination deletes), ended by an empty item.
void SimMachine::RenameFromSessionManager() {
  const char* key = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  std::uint32_t type = 0;
  std::string data;
  if (registry_.GetValueAt(key, "PendingFileRenameOperations", &type, &data) != 0) return;
  std::vector<std::string> items;
  std::size_t pos = 0;
  while (pos < data.size()) {
    std::size_t end = data.find('\0', pos);
    if (end == std::string::npos) end = data.size();
    items.push_back(data.substr(pos, end - pos));
    pos = end + 1;
  }
  auto strip = [](std::string s) {
    if (!s.empty() && s[0] == '!') s.erase(0, 1);
    if (s.rfind("\\??\\", 0) == 0) s.erase(0, 4);
    return s;
  };
  for (std::size_t i = 0; i + 1 < items.size(); i += 2) {
    if (items[i].empty()) break;
    std::string from = strip(items[i]), to = strip(items[i + 1]);
    if (to.empty()) {
      files_.DeleteFile(from);
    } else {
      files_.DeleteFile(to);
      files_.MoveFile(from, to);
    }
  }
  registry_.DeleteValueAt(key, "PendingFileRenameOperations");
  services_.Restart();
}

}  // namespace sim
