// Fuzz target: the program's name and command line as AnalyseStart reads
// them, on Windows NT (the module file name) and on Windows 95 (the command
// line). Byte 0 picks the system; the rest, up to a line feed, is the
// module file name and after it the command line. What must hold:
// - the source directory has a colon and is at most 250 bytes and the
//   colon;
// - restart mode only with "/restart" in the arguments; a directory it
//   keeps is the text between the first two double quotes of the
//   arguments, not empty, without a double quote, and room for
//   "\SETUP.DAT" in a path field; otherwise the command line is refused;
// - the arguments are the end of the command line;
// - the unattended-run switches: a file switch keeps a name that fits a
//   path field and holds no double quote, and appears in the arguments; a
//   command line with "/s" (and no problem) is silent; the source
//   directory of a run with switches is cut before the arguments.
#include <cstddef>
#include <cstdint>
#include <string>

#include "setup/start.h"
#include "setup/state.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool nt = (data[0] & 1) != 0;
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t split = rest.find('\n');
  const std::string module = split == std::string::npos ? rest : rest.substr(0, split);
  const std::string commandLine = split == std::string::npos ? rest : rest.substr(split + 1);

  const std::string args = setup::ArgumentPart(commandLine);
  if (!EndsWith(commandLine, args)) Fail();

  const setup::StartInfo info = setup::AnalyseStart(nt, module, commandLine);
  for (const std::string* path :
       {&info.switches.answersPath, &info.switches.recordPath, &info.switches.logPath}) {
    if (path->size() > setup::kPathCapacity - 1 || path->find('"') != std::string::npos ||
        (!path->empty() && args.find(*path) == std::string::npos))
      Fail();
  }
  if (info.switches.silent && args.find("/s") == std::string::npos &&
      args.find("/S") == std::string::npos)
    Fail();
  if (!nt && info.switches.Any() && info.sourceDir.size() > commandLine.size() - args.size() + 1)
    Fail();
  if (info.sourceDir.find(':') == std::string::npos || info.sourceDir.size() > setup::kSourceDirMax + 1)
    Fail();
  const bool restart = args.find("/restart") != std::string::npos;
  if (restart != (info.mode == setup::Mode::kRestart)) Fail();
  if (!restart) {
    if (info.commandLineRefused || !info.uninstallDir.empty()) Fail();
    return 0;
  }
  if (info.commandLineRefused) return 0;
  const std::size_t open = args.find('"');
  if (open == std::string::npos) Fail();
  if (info.uninstallDir.empty() || info.uninstallDir.find('"') != std::string::npos ||
      info.uninstallDir.size() + 10 > setup::kPathCapacity - 1 ||
      args.compare(open + 1, info.uninstallDir.size(), info.uninstallDir) != 0 ||
      args[open + 1 + info.uninstallDir.size()] != '"')
    Fail();
  return 0;
}
