#include "setup/start.h"

#include <algorithm>
#include <vector>

#include "text/text.h"

namespace setup {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

struct Word {
  std::string text;
  bool quoted = false;
};

// Splits the arguments at blanks; a word starting with a double quote runs
// to the next one, or to the end when none follows.
std::vector<Word> SplitWords(const std::string& args) {
  std::vector<Word> words;
  std::size_t i = 0;
  for (;;) {
    while (i < args.size() && IsBlank(args[i])) ++i;
    if (i >= args.size()) return words;
    Word word;
    if (args[i] == '"') {
      std::size_t close = std::min(args.find('"', i + 1), args.size());
      word.text = args.substr(i + 1, close - i - 1);
      word.quoted = true;
      i = close + 1;
    } else {
      std::size_t end = i;
      while (end < args.size() && !IsBlank(args[end])) ++end;
      word.text = args.substr(i, end - i);
      i = end;
    }
    words.push_back(word);
  }
}

// The switch a file switch's word names, or null.
std::string* FileSwitch(const std::string& name, Switches* out) {
  if (text::EqualsIgnoreCase(name, "/answers")) return &out->answersPath;
  if (text::EqualsIgnoreCase(name, "/record")) return &out->recordPath;
  if (text::EqualsIgnoreCase(name, "/log")) return &out->logPath;
  return nullptr;
}

}  // namespace

std::string ParseSwitches(const std::string& args, Switches* out) {
  const std::vector<Word> words = SplitWords(args);
  // The first problem is the one reported; the words after it are still
  // read, so that a /log further on still gets the refusal. An unknown
  // switch is a problem only once /s is known to be given, which may come
  // after it.
  struct Problem {
    std::string text;
    bool unknownSwitch = false;
  };
  std::vector<Problem> problems;
  auto note = [&problems](const std::string& text) { problems.push_back(Problem{text, false}); };
  bool silentSeen = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const Word& word = words[i];
    if (word.quoted || word.text.empty() || word.text[0] != '/') continue;
    if (word.text.find("/restart") != std::string::npos) {
      if (i + 1 < words.size() && words[i + 1].quoted) ++i;
      continue;
    }
    if (text::EqualsIgnoreCase(word.text, "/s")) {
      if (silentSeen) note("The switch /s is given twice.");
      silentSeen = out->silent = true;
      continue;
    }
    std::string* path = FileSwitch(word.text, out);
    if (path == nullptr) {
      out->unknown.push_back(word.text);
      problems.push_back(Problem{"Unknown switch " + word.text + ".", true});
      continue;
    }
    if (i + 1 >= words.size() || words[i + 1].text.empty() ||
        (!words[i + 1].quoted && words[i + 1].text[0] == '/')) {
      note("The switch " + word.text + " needs a file name: " + word.text + " \"<file>\".");
      continue;
    }
    const std::string& value = words[++i].text;
    if (!path->empty()) {
      note("The switch " + word.text + " is given twice.");
    } else if (value.size() > kPathCapacity - 1) {
      note("The file name after " + word.text + " is too long.");
    } else if (value.find('"') != std::string::npos) {
      note("The file name after " + word.text + " holds a double quote.");
    } else {
      *path = value;
    }
  }
  for (const Problem& problem : problems) {
    if (!problem.unknownSwitch || out->silent) return problem.text;
  }
  return std::string();
}

std::string ArgumentPart(const std::string& commandLine) {
  std::size_t i = 0;
  while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  if (i < commandLine.size() && commandLine[i] == '"') {
    std::size_t close = commandLine.find('"', i + 1);
    return close == std::string::npos ? std::string() : commandLine.substr(close + 1);
  }
  while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
  return commandLine.substr(i);
}

std::string CutToDirectory(const std::string& path) {
  std::string dir = path;
  std::size_t cut = dir.find_last_of("\\:");
  if (cut != std::string::npos) dir.resize(cut);
  if (dir.find(':') == std::string::npos) dir += ":";
  return dir;
}

StartInfo AnalyseStart(bool windowsNt, const std::string& moduleFileName,
                       const std::string& commandLine) {
  StartInfo info;
  std::string source;
  if (windowsNt) {
    source = moduleFileName;
  } else {
    source = commandLine;
    if (!source.empty() && source[0] == '"') source.erase(0, 1);
  }
  std::string args = ArgumentPart(commandLine);
  info.switchProblem = ParseSwitches(args, &info.switches);
  // On Windows 95 the source is the command line; the file names of the
  // unattended-run switches, and the switches it ignores, must not become
  // part of it. Command lines without them keep their old reading.
  if (!windowsNt && (info.switches.Any() || !info.switches.unknown.empty())) {
    source.resize(source.size() - std::min(source.size(), args.size()));
    if (!source.empty() && source.back() == '"') source.pop_back();
  }
  if (source.size() > kSourceDirMax) source.resize(kSourceDirMax);

  info.mode = source.find("UNINST") != std::string::npos ? Mode::kUninstallLaunch : Mode::kInstall;
  if (args.find("/restart") != std::string::npos) {
    info.mode = Mode::kRestart;
    std::size_t open = args.find('"');
    std::size_t close = open == std::string::npos ? std::string::npos : args.find('"', open + 1);
    if (close == std::string::npos) {
      info.commandLineRefused = true;
    } else {
      info.uninstallDir = args.substr(open + 1, close - open - 1);
      // The directory and "\SETUP.DAT" must fit a path field.
      if (info.uninstallDir.empty() ||
          info.uninstallDir.size() + 10 > kPathCapacity - 1) {
        info.commandLineRefused = true;
      }
    }
  }
  info.sourceDir = CutToDirectory(source);
  return info;
}

void SetDefaultInstallDir(SetupState& state) {
  std::string dir = "?:";
  if (!state.windowsDir.empty()) dir[0] = state.windowsDir[0];

  platform::Registry& reg = state.machine.registry;
  platform::RegKey key = 0;
  if (reg.OpenKey(platform::hkey::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                  platform::kKeyAllAccess, &key) == 0) {
    std::uint32_t type = 0;
    std::string value;
    if (reg.QueryValue(key, "ProgramFilesDir", &type, &value, 128) == 0) {
      std::size_t nul = value.find('\0');
      if (nul != std::string::npos) value.resize(nul);
      // "C:\Program Files\" names the same directory: one backslash
      // joins it to the folder name.
      while (!value.empty() && value.back() == '\\') value.pop_back();
      if (!value.empty()) dir = value;
    }
    reg.CloseKey(key);
  }
  dir += "\\";
  dir += Msg(state, MSG_DEFAULT_FOLDER);
  state.defaultInstallDir = Truncate(dir, kPathCapacity);
}

std::string DefaultGroupName(SetupState& state) {
  std::string name = Msg(state, MSG_DEFAULT_FOLDER);
  if (state.productName.find("Halvorn") != std::string::npos) {
    name += state.scsi ? " - SCSI" : " - QIC";
  }
  return Truncate(name, kPathCapacity);
}

}  // namespace setup
