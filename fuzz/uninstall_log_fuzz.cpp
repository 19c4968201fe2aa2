// Fuzz target of the uninstall log reader: any bytes as UNINST.LST of the
// installation in C:\TAPE, read by RemoveLoggedFiles on an in-memory
// machine whose reads come in pieces of varying size and may fail midway,
// and then the same by the removal of an installation without its entry
// (uninstall::RemoveUnregisteredFiles), whose rule is narrower: only the
// places its file list installs to.
//
// What must hold, besides no crash and no out-of-bounds access:
// - every file deleted is named by a whole line of the log (a CR before the
//   line feed dropped, the text cut at a zero byte), never by a piece of a
//   longer line, and is an absolute drive path without "." or ".."
//   components, below C:\TAPE or one of the files the installed SETUP.DAT
//   puts outside it (never another driver in SYSTEM, WIN.INI, ...); apart
//   from those only the log itself is deleted, at the end;
// - when the log was read to its end without error, every such line has
//   been deleted (a listed file is not passed over);
// - every handle opened is closed, and a missing log deletes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "failing_machine.h"
#include "install/uninstall_log.h"
#include "uninstall/removal.h"
#include "memory_files.h"
#include "platform/forwarding.h"
#include "setup/state.h"
#include "text/text.h"
#include "text/windows_path.h"

namespace {

constexpr char kInstallDir[] = "C:\\TAPE";
constexpr char kLogPath[] = "C:\\TAPE\\UNINST.LST";

[[noreturn]] void Fail() { __builtin_trap(); }

// The in-memory files; none of the calls that change a file other than by
// deleting it may be made.
class LogFiles : public platform::ForwardingFileSystem {
 public:
  LogFiles() : ForwardingFileSystem(memory) {}
  testsupport::MemoryFiles memory;

  std::uint32_t MoveFile(const std::string&, const std::string&) override { Fail(); }
  std::uint32_t MoveFileAtReboot(const std::string&, const std::string&) override { Fail(); }
  std::uint32_t MoveFileReplacing(const std::string&, const std::string&) override { Fail(); }
  std::uint32_t SetFileAttributes(const std::string&, std::uint32_t) override { Fail(); }
  std::uint32_t SetFileTimes(const std::string&, std::int64_t) override { Fail(); }
  std::uint32_t SetOpenFileTimes(platform::FileHandle, std::int64_t) override { Fail(); }
};


// The file list of the installed SETUP.DAT: besides the product's own files
// a tape driver for the SYSTEM directory and the long-name backup tool for
// the Windows directory, the only files the log may name outside C:\TAPE.
const std::vector<std::string> kFileList = {
    "HALVORN.EXE,/D1\n", "ZEMAQW.VXD,/D1 /P95\n", "LFNBK.EXE,/D1 /P95\n",
};

// A line of the log as a path: one CR before the line feed dropped, cut at
// a zero byte.
std::string AsPath(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::size_t zero = line.find('\0');
  if (zero != std::string::npos) line.resize(zero);
  return line;
}

// The path a log line names, as Windows resolves it, when it lies where the
// copy engine writes (see below); else empty.
std::string WritablePlace(const std::string& line) {
  if (line.size() < 3 || line[1] != ':' || line[2] == ':') return {};
  const text::WindowsPath p = text::ResolvePath(line);
  if (!p.valid || p.root != "C:" || p.parts.empty()) return {};
  for (const std::string& part : p.parts) {
    for (unsigned char c : part) {
      if (c < 32 || std::string("<>\"|*?:").find(static_cast<char>(c)) != std::string::npos) return {};
    }
  }
  const bool inTree = p.parts.size() >= 2 && p.parts[0] == "TAPE";
  // Outside the install directory only the two files the installed
  // SETUP.DAT puts there (kFileList).
  const bool backupTool = p.parts.size() == 2 && p.parts[0] == "WINDOWS" && p.parts[1] == "LFNBK.EXE";
  const bool driver = p.parts.size() == 3 && p.parts[0] == "WINDOWS" && p.parts[1] == "SYSTEM" &&
                      p.parts[2] == "ZEMAQW.VXD";
  return inTree || backupTool || driver ? p.Text() : std::string();
}

// The same for an installation without its entry: only where the file
// list puts a file of that name (kFileList: HALVORN.EXE in C:\TAPE, the
// driver in SYSTEM, the backup tool in the Windows directory).
std::string ListedPlace(const std::string& line) {
  const std::string place = WritablePlace(line);
  for (const char* listed : {"C:\\TAPE\\HALVORN.EXE", "C:\\WINDOWS\\SYSTEM\\ZEMAQW.VXD",
                             "C:\\WINDOWS\\LFNBK.EXE"}) {
    if (place == listed) return place;
  }
  return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Byte 0: how reads come (piece size, whether and where one fails, or no
  // log at all); the rest is the log.
  if (size == 0) return 0;
  const std::uint8_t control = data[0];
  const std::string log(reinterpret_cast<const char*>(data + 1), size - 1);

  // One machine and state for all runs: building the message catalog of a
  // state costs more than a run. The files are set up afresh each time.
  static LogFiles& guarded = *new LogFiles;
  // Nothing of the rest of the machine may be used but message boxes.
  static testsupport::FailingParts& rest = *new testsupport::FailingParts;
  rest.moduleFileName = "C:\\TAPE\\UNINSTAL.EXE";
  static platform::Machine machine{rest, guarded, rest, rest, rest, rest, rest};
  static setup::SetupState& state = *new setup::SetupState(machine);
  for (const bool unregistered : {false, true}) {
    testsupport::MemoryFiles& files = guarded.memory;
    files = testsupport::MemoryFiles();
    files.failCreate = true;  // the reader writes no file
    rest.boxes = 0;
    rest.lastBoxText.clear();
    state.uninstallDir = kInstallDir;
    state.windowsDir = "C:\\WINDOWS";
    state.fileList = kFileList;

    static const char* const kOthers[] = {
        "C:\\TAPE\\HALVORN.EXE",   "C:\\TAPE\\HELP\\HELP.TXT", "C:\\TAPE\\UNINSTAL.EXE",
        "C:\\WINDOWS\\WIN.INI",    "C:\\WINDOWS\\SYSTEM\\ZEMAQW.VXD", "C:\\AUTOEXEC.BAT",
        "C:\\WINDOWS\\SYSTEM\\VMM32.VXD",
        "C:\\TAPE2\\KEEP.TXT",     "D:\\DATA.DAT",
    };
    for (const char* other : kOthers) files.PutFile(other, "x");
    const bool logPresent = (control & 0x80) == 0;
    if (logPresent) files.PutFile(kLogPath, log);
    files.pieceSize = 1 + (control & 0x0F) * 37u;
    if (control & 0x40) files.failReadAfter = static_cast<std::uint32_t>(log.size() * (control & 0x30) / 64);

    if (unregistered) {
      uninstall::RemoveUnregisteredFiles(state);
    } else {
      install::RemoveLoggedFiles(state);
    }

    if (files.OpenHandles() != 0) Fail();
    if (!logPresent) {
      if (!files.deleted.empty() || rest.boxes != 1 || rest.lastBoxText != kLogPath) Fail();
      continue;
    }
    if (rest.boxes != 0) Fail();

    // The paths the log names, line by line.
    std::set<std::string> named;
    std::size_t begin = 0;
    while (begin < log.size()) {
      std::size_t end = log.find('\n', begin);
      if (end == std::string::npos) {
        named.insert(AsPath(log.substr(begin)));
        break;
      }
      named.insert(AsPath(log.substr(begin, end - begin)));
      begin = end + 1;
    }

    // The log itself is deleted last, once. Every other deletion is a named
    // line as Windows resolves it, below the install directory or one of the
    // files the installed SETUP.DAT puts outside it; never another program's
    // driver or file (WIN.INI, AUTOEXEC.BAT, other ".VXD" names).
    if (files.deleted.empty() || files.deleted.back() != kLogPath) Fail();
    std::set<std::string> allowed;
    for (const std::string& line : named) {
      const std::string resolved = unregistered ? ListedPlace(line) : WritablePlace(line);
      if (!resolved.empty()) allowed.insert(resolved);
    }
    std::set<std::string> deleted;
    for (std::size_t i = 0; i + 1 < files.deleted.size(); ++i) {
      const std::string& path = files.deleted[i];
      if (allowed.count(path) == 0) Fail();
      deleted.insert(path);
    }
    if (!files.readFailed) {
      for (const std::string& path : allowed) {
        if (deleted.count(path) == 0) Fail();
      }
    }
  }
  return 0;
}
