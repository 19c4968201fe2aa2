#include "platform/sim/sim_progman.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>

namespace sim {
namespace {

// Program Manager compares names without regard to case, with the letters
// of Windows-1252 (ASCII and the accented Latin-1 letters).
unsigned char FoldByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  return c;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldByte(static_cast<unsigned char>(a[i])) != FoldByte(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// ---------------------------------------------------------------- reading

// Reads one execute text; positions are byte offsets into it.
class CommandReader {
 public:
  explicit CommandReader(const std::string& text) : t_(text) {}

  bool AtEnd() {
    SkipBlanks();
    return p_ >= t_.size();
  }

  // "[Name]" or "[Name(arg, ...)]" with blanks around the parts.
  bool ReadCommand(std::string* name, std::vector<std::string>* args) {
    args->clear();
    SkipBlanks();
    if (!Take('[')) return false;
    SkipBlanks();
    std::size_t end = t_.find_first_of(" ,()[]\"", p_);
    if (end == std::string::npos || end == p_) return false;
    *name = t_.substr(p_, end - p_);
    p_ = end;
    SkipBlanks();
    if (Take('(') && !ReadArguments(args)) return false;
    SkipBlanks();
    return Take(']');
  }

 private:
  // After "(": arguments up to and including ")".
  bool ReadArguments(std::vector<std::string>* args) {
    SkipBlanks();
    if (Take(')')) return true;
    for (;;) {
      std::string arg;
      if (!ReadArgument(&arg)) return false;
      args->push_back(arg);
      SkipBlanks();
      if (Take(')')) return true;
      if (!Take(',')) return false;
    }
  }

  // A quoted argument runs to the next double quote (there is no escape
  // for a double quote inside); an unquoted one to the next comma,
  // parenthesis or bracket, without its trailing blanks.
  bool ReadArgument(std::string* arg) {
    SkipBlanks();
    if (Take('"')) {
      std::size_t close = t_.find('"', p_);
      if (close == std::string::npos) return false;
      *arg = t_.substr(p_, close - p_);
      p_ = close + 1;
      return true;
    }
    std::size_t end = t_.find_first_of(",()[]", p_);
    if (end == std::string::npos) return false;
    std::size_t last = end;
    while (last > p_ && t_[last - 1] == ' ') --last;
    *arg = t_.substr(p_, last - p_);
    p_ = end;
    return true;
  }

  void SkipBlanks() {
    while (p_ < t_.size() && t_[p_] == ' ') ++p_;
  }
  bool Take(char c) {
    if (p_ >= t_.size() || t_[p_] != c) return false;
    ++p_;
    return true;
  }

  const std::string& t_;
  std::size_t p_ = 0;
};

// ---------------------------------------------------------------- state file

std::string Escape(const std::string& s) {
  std::string out;
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == '%') {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += ch;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

bool ParseProgmanCommands(const std::string& text, const ProgmanCommandRunner& run) {
  // The text is a zero-terminated block: Program Manager reads up to the
  // first zero byte.
  std::string command = text.substr(0, text.find('\0'));
  CommandReader reader(command);
  if (reader.AtEnd()) return false;
  std::string name;
  std::vector<std::string> args;
  while (!reader.AtEnd()) {
    if (!reader.ReadCommand(&name, &args)) return false;
    if (!run(name, args)) return false;
  }
  return true;
}

// ---------------------------------------------------------------- state

const SimProgman::Group* SimProgman::FindGroup(const std::string& name) const {
  for (const Group& g : groups_) {
    if (SameName(g.name, name)) return &g;
  }
  return nullptr;
}

void SimProgman::AddGroup(const std::string& name) {
  if (FindGroup(name) == nullptr) groups_.push_back(Group{name, {}});
}

void SimProgman::SetAnswer(Answer answer, std::uint32_t error) {
  answer_ = answer;
  failingError_ = error;
}

std::string SimProgman::Export() const {
  std::string out =
      "; Program Manager of the simulated machine: how it answers, then each\n"
      "; group with its items (caption, a tab, command line). Bytes below\n"
      "; 0x20 and '%' are written as %XX.\n";
  switch (answer_) {
    case Answer::kAbsent: out += "answer absent\n"; break;
    case Answer::kFailing: out += "answer failing " + std::to_string(failingError_) + "\n"; break;
    default: out += "answer normal\n"; break;
  }
  for (const Group& g : groups_) {
    out += "group " + Escape(g.name) + "\n";
    for (const Item& item : g.items) {
      out += "item " + Escape(item.caption) + "\t" + Escape(item.commandLine) + "\n";
    }
  }
  return out;
}

bool SimProgman::Import(const std::string& text, std::string* error) {
  std::vector<Group> groups;
  Answer answer = Answer::kNormal;
  std::uint32_t failing = platform::dmlerr::kNotProcessed;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string where = "progman line " + std::to_string(number) + ": ";
    if (line.empty() || line[0] == ';') continue;
    if (line == "answer normal" || line == "answer absent") {
      answer = line == "answer normal" ? Answer::kNormal : Answer::kAbsent;
    } else if (line.rfind("answer failing ", 0) == 0) {
      answer = Answer::kFailing;
      failing = static_cast<std::uint32_t>(std::strtoul(line.c_str() + 15, nullptr, 10));
    } else if (line.rfind("group ", 0) == 0) {
      groups.push_back(Group{Unescape(line.substr(6)), {}});
    } else if (line.rfind("item ", 0) == 0 && !groups.empty() && line.find('\t') != std::string::npos) {
      std::size_t tab = line.find('\t');
      groups.back().items.push_back(Item{Unescape(line.substr(5, tab - 5)), Unescape(line.substr(tab + 1))});
    } else {
      *error = where + "not an answer, group or item line";
      return false;
    }
  }
  groups_ = std::move(groups);
  answer_ = answer;
  failingError_ = failing;
  return true;
}

// ---------------------------------------------------------------- commands

SimProgman::Group* SimProgman::Active() {
  for (Group& g : groups_) {
    if (!active_.empty() && SameName(g.name, active_)) return &g;
  }
  return nullptr;
}

bool SimProgman::RunCommands(const std::string& text) {
  return ParseProgmanCommands(text, [this](const std::string& name, const std::vector<std::string>& args) {
    return RunCommand(name, args);
  });
}

bool SimProgman::RunCommand(const std::string& name, const std::vector<std::string>& args) {
  if (SameName(name, "CreateGroup")) return CreateGroup(args);
  if (SameName(name, "ShowGroup")) {
    if (args.empty() || FindGroup(args[0]) == nullptr) return false;
    active_ = FindGroup(args[0])->name;
    return true;
  }
  if (SameName(name, "DeleteGroup")) return DeleteGroup(args);
  if (SameName(name, "AddItem")) return AddItem(args);
  if (SameName(name, "ReplaceItem")) return RemoveItem(args, true);
  if (SameName(name, "DeleteItem")) return RemoveItem(args, false);
  if (SameName(name, "Reload") || SameName(name, "ExitProgman")) return true;
  return false;
}

// CreateGroup(name[,group file]): creates the group when it is missing and
// makes it the active group.
bool SimProgman::CreateGroup(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2 || args[0].empty()) return false;
  AddGroup(args[0]);
  active_ = FindGroup(args[0])->name;
  replacePlace_ = -1;
  return true;
}

// DeleteGroup(name[,common]): fails when there is no such group.
bool SimProgman::DeleteGroup(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) return false;
  for (auto it = groups_.begin(); it != groups_.end(); ++it) {
    if (!SameName(it->name, args[0])) continue;
    if (SameName(it->name, active_)) {
      active_.clear();
      replacePlace_ = -1;
    }
    groups_.erase(it);
    return true;
  }
  return false;
}

// AddItem(command line[,caption[,icon path[,...]]]) into the active group;
// without a caption the program's file name without its extension.
bool SimProgman::AddItem(const std::vector<std::string>& args) {
  Group* group = Active();
  if (group == nullptr || args.empty() || args.size() > 9 || args[0].empty()) return false;
  std::string caption = args.size() > 1 ? args[1] : std::string();
  if (caption.empty()) {
    std::string program = args[0].substr(0, args[0].find(' '));
    std::size_t slash = program.find_last_of("\\:");
    if (slash != std::string::npos) program.erase(0, slash + 1);
    caption = program.substr(0, program.find('.'));
  }
  Item item{caption, args[0]};
  if (replacePlace_ >= 0 && static_cast<std::size_t>(replacePlace_) <= group->items.size()) {
    group->items.insert(group->items.begin() + replacePlace_, item);
  } else {
    group->items.push_back(item);
  }
  replacePlace_ = -1;
  return true;
}

// ReplaceItem(caption) and DeleteItem(caption) in the active group; the
// place a ReplaceItem frees is where the next AddItem goes.
bool SimProgman::RemoveItem(const std::vector<std::string>& args, bool keepPlace) {
  Group* group = Active();
  if (group == nullptr || args.size() != 1) return false;
  for (std::size_t i = 0; i < group->items.size(); ++i) {
    if (!SameName(group->items[i].caption, args[0])) continue;
    group->items.erase(group->items.begin() + static_cast<long>(i));
    replacePlace_ = keepPlace ? static_cast<long>(i) : -1;
    return true;
  }
  return false;
}

// ---------------------------------------------------------------- library

bool SimProgman::SetError(platform::DdeInstance instance, std::uint32_t error) {
  auto it = instances_.find(instance);
  if (it != instances_.end()) it->second.lastError = error;
  return false;
}

bool SimProgman::IsProgman(platform::DdeStringHandle handle) const {
  auto it = strings_.find(handle);
  return it != strings_.end() && SameName(it->second.text, "PROGMAN");
}

std::uint32_t SimProgman::Initialize(platform::DdeInstance* instance) {
  *instance = 0;
  if (initializeFails_) return platform::dmlerr::kSysError;
  *instance = nextHandle_++;
  instances_[*instance] = Instance{};
  return platform::dmlerr::kNoError;
}

void SimProgman::Uninitialize(platform::DdeInstance instance) {
  instances_.erase(instance);
  for (auto it = strings_.begin(); it != strings_.end();) {
    it = it->second.instance == instance ? strings_.erase(it) : std::next(it);
  }
  for (auto it = conversations_.begin(); it != conversations_.end();) {
    it = it->second == instance ? conversations_.erase(it) : std::next(it);
  }
}

platform::DdeStringHandle SimProgman::CreateStringHandle(platform::DdeInstance instance,
                                                         const std::string& text) {
  if (instances_.count(instance) == 0) return 0;
  if (stringHandlesFail_) {
    SetError(instance, platform::dmlerr::kSysError);
    return 0;
  }
  platform::DdeStringHandle h = nextHandle_++;
  strings_[h] = StringHandle{instance, text.substr(0, text.find('\0'))};
  return h;
}

void SimProgman::FreeStringHandle(platform::DdeInstance instance, platform::DdeStringHandle handle) {
  auto it = strings_.find(handle);
  if (it != strings_.end() && it->second.instance == instance) strings_.erase(it);
}

platform::DdeConversation SimProgman::Connect(platform::DdeInstance instance,
                                              platform::DdeStringHandle service,
                                              platform::DdeStringHandle topic) {
  if (instances_.count(instance) == 0) return 0;
  if (answer_ == Answer::kAbsent || !IsProgman(service) || !IsProgman(topic)) {
    SetError(instance, platform::dmlerr::kNoConvEstablished);
    return 0;
  }
  platform::DdeConversation c = nextHandle_++;
  conversations_[c] = instance;
  return c;
}

void SimProgman::Disconnect(platform::DdeConversation conversation) {
  conversations_.erase(conversation);
}

bool SimProgman::Execute(platform::DdeInstance instance, platform::DdeConversation conversation,
                         const std::string& command, std::uint32_t timeoutMs) {
  auto it = conversations_.find(conversation);
  if (it == conversations_.end() || it->second != instance) return false;
  transactions_.push_back(Transaction{true, command, timeoutMs, false});
  if (answer_ == Answer::kFailing) return SetError(instance, failingError_);
  if (faults_ != nullptr && faults_->Hit(FaultKind::kDde))
    return SetError(instance, platform::dmlerr::kNotProcessed);
  bool refused = !refusedText_.empty() && command.find(refusedText_) != std::string::npos;
  if (refused || !RunCommands(command)) return SetError(instance, platform::dmlerr::kNotProcessed);
  transactions_.back().succeeded = true;
  return true;
}

bool SimProgman::Request(platform::DdeInstance instance, platform::DdeConversation conversation,
                         platform::DdeStringHandle item, std::uint32_t timeoutMs, std::string* data) {
  data->clear();
  auto it = conversations_.find(conversation);
  if (it == conversations_.end() || it->second != instance) return false;
  auto name = strings_.find(item);
  transactions_.push_back(
      Transaction{false, name == strings_.end() ? std::string() : name->second.text, timeoutMs, false});
  if (faults_ != nullptr && faults_->Hit(FaultKind::kDde))
    return SetError(instance, platform::dmlerr::kNotProcessed);
  if (name == strings_.end() || !SameName(name->second.text, "Groups"))
    return SetError(instance, platform::dmlerr::kNotProcessed);
  // CF_TEXT: every name with CR LF, then the terminating zero.
  for (const Group& g : groups_) *data += g.name + "\r\n";
  *data += '\0';
  transactions_.back().succeeded = true;
  return true;
}

std::uint32_t SimProgman::GetLastError(platform::DdeInstance instance) {
  auto it = instances_.find(instance);
  if (it == instances_.end()) return platform::dmlerr::kDllNotInitialized;
  std::uint32_t e = it->second.lastError;
  it->second.lastError = platform::dmlerr::kNoError;
  return e;
}

}  // namespace sim
