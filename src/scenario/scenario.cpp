// The reader of the scenario language: a line cursor, the name tables
// (answers, keys, platforms), a parser for each statement kind and for the
// actions of box and dialog statements, the marks of comment lines, and the
// placement rules of a scenario (set-up before the run, one run, the chains
// that follow it).
//
// Over 700 lines because it holds one parser per statement kind, about
// thirty, all sharing the cursor and the name tables; what the runners do
// with a statement is not here.
#include "scenario/scenario.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "text/text.h"

namespace scenario {
namespace {

constexpr std::size_t kMaxFileSize = 16u * 1024 * 1024;
// A chain of programs each starting the next is short; a longer one is a
// mistake in the scenario.
constexpr int kMaxFollows = 4;

struct Answer {
  const char* name;
  int value;
};
constexpr Answer kAnswers[] = {{"ok", 1},    {"cancel", 2}, {"abort", 3}, {"retry", 4},
                               {"ignore", 5}, {"yes", 6},    {"no", 7}};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Lines and actions never hold a line feed, so the C blanks are the
// language's blanks.
std::string Trim(const std::string& s) { return text::Trim(s); }
std::string Lower(const std::string& s) { return text::ToLowerAscii(s); }

// A cursor over one line (or one action) with the small lexical pieces of
// the language. Every reader reports failure through `error` and returns
// false; nothing reads past the end.
class Cursor {
 public:
  explicit Cursor(const std::string& text) : s_(text) {}

  void SkipBlanks() {
    while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_;
  }
  bool AtEnd() {
    SkipBlanks();
    return pos_ >= s_.size();
  }
  char Peek() {
    SkipBlanks();
    return pos_ < s_.size() ? s_[pos_] : '\0';
  }
  // A run of characters up to a blank or one of `stops`.
  std::string Word(const char* stops = "") {
    SkipBlanks();
    std::size_t b = pos_;
    while (pos_ < s_.size() && !IsBlank(s_[pos_]) && std::string(stops).find(s_[pos_]) == std::string::npos)
      ++pos_;
    return s_.substr(b, pos_ - b);
  }
  bool Expect(char c, std::string* error, const char* what) {
    if (Peek() != c) {
      *error = std::string("expected ") + what;
      return false;
    }
    ++pos_;
    return true;
  }
  // A text in double quotes. Escapes: \n \t \r \\ \"; in Windows paths
  // and key paths (path true) only \\ and \". A backslash before any other
  // character stands for itself, so "C:\TAPE" reads as written.
  bool Quoted(std::string* out, std::string* error, const char* what, bool path = false) {
    if (Peek() != '"') {
      *error = std::string("expected ") + what + " in double quotes";
      return false;
    }
    ++pos_;
    out->clear();
    while (pos_ < s_.size()) {
      char c = s_[pos_++];
      if (c == '"') return true;
      if (c != '\\') {
        out->push_back(c);
        continue;
      }
      if (pos_ >= s_.size()) break;
      char e = s_[pos_];
      if (e == '\\' || e == '"') {
        out->push_back(e);
        ++pos_;
      } else if (!path && (e == 'n' || e == 't' || e == 'r')) {
        out->push_back(e == 'n' ? '\n' : e == 't' ? '\t' : '\r');
        ++pos_;
      } else {
        out->push_back('\\');
      }
    }
    *error = std::string("unterminated quoted ") + what;
    return false;
  }
  // A quoted text, or else a bare word up to a blank or one of `stops`.
  bool PathLike(std::string* out, std::string* error, const char* what, const char* stops = "") {
    if (Peek() == '"') return Quoted(out, error, what, true);
    *out = Word(stops);
    if (out->empty()) {
      *error = std::string("expected ") + what;
      return false;
    }
    return true;
  }
  bool Number(std::uint64_t max, std::uint64_t* out, std::string* error, const char* what) {
    std::string w = Word(":;");
    if (w.empty()) {
      *error = std::string("expected ") + what;
      return false;
    }
    std::uint64_t v = 0;
    for (char c : w) {
      if (c < '0' || c > '9') {
        *error = std::string("expected ") + what + ", got '" + w + "'";
        return false;
      }
      unsigned d = static_cast<unsigned>(c - '0');
      if (v > max / 10 || v * 10 > max - d) {
        *error = std::string(what) + " '" + w + "' is too large";
        return false;
      }
      v = v * 10 + d;
    }
    *out = v;
    return true;
  }
  bool Id(int* out, std::string* error, const char* what) {
    std::uint64_t v = 0;
    if (!Number(65535, &v, error, what)) return false;
    *out = static_cast<int>(v);
    return true;
  }
  // "A:" (any case) as an upper-case letter.
  bool DriveLetter(char* out, std::string* error) {
    std::string w = Word(";");
    if (w.size() != 2 || w[1] != ':' || !std::isalpha(static_cast<unsigned char>(w[0]))) {
      *error = "expected a drive such as A:, got '" + w + "'";
      return false;
    }
    *out = static_cast<char>(std::toupper(static_cast<unsigned char>(w[0])));
    return true;
  }
  std::string Rest() {
    SkipBlanks();
    std::string r = Trim(s_.substr(pos_));
    pos_ = s_.size();
    return r;
  }
  bool End(std::string* error) {
    if (AtEnd()) return true;
    *error = "unexpected '" + Trim(s_.substr(pos_)) + "' at the end of the statement";
    return false;
  }

 private:
  const std::string& s_;
  std::size_t pos_ = 0;
};

// Splits an action list at ';' outside double quotes.
std::vector<std::string> SplitActions(const std::string& text) {
  std::vector<std::string> parts;
  std::string current;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted && c == '\\' && i + 1 < text.size()) {
      current.push_back(c);
      current.push_back(text[++i]);
      continue;
    }
    if (c == '"') quoted = !quoted;
    if (c == ';' && !quoted) {
      parts.push_back(Trim(current));
      current.clear();
      continue;
    }
    current.push_back(c);
  }
  parts.push_back(Trim(current));
  return parts;
}

std::string WrittenPath(const std::string& path) {
  for (char c : path) {
    if (IsBlank(c) || c == ';' || c == '"' || c == '\\' || c == '\n') return text::Quote(path);
  }
  return path;
}

// A name of the language and the value it stands for.
template <typename T>
struct Name {
  const char* name;
  T value;
};

// The value of `word` (compared in lower case) in `names`; false when it is
// none of them.
template <typename T, std::size_t N>
bool Lookup(const Name<T> (&names)[N], const std::string& word, T* out) {
  std::string lower = Lower(word);
  for (const Name<T>& n : names) {
    if (lower == n.name) {
      *out = n.value;
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------- actions

// Each action parser gets the cursor after the action's verb (the verb in
// lower case) and fills the action, including how the transcript repeats it.
using ActionParser = bool (*)(Cursor& c, const std::string& verb, Action* a, std::string* error);

bool ParseInsert(Cursor& c, const std::string& /*verb*/, Action* a, std::string* error) {
  a->kind = ActionKind::kInsert;
  if (!c.DriveLetter(&a->drive, error)) return false;
  if (!c.PathLike(&a->text, error, "a host folder", ";")) return false;
  if (!c.End(error)) return false;
  a->written = std::string("insert ") + a->drive + ": " + WrittenPath(a->text);
  return true;
}

// `set <control> "<text>"`, `dblclick <control> "<list entry>"` and
// `open <control> "<item>"`.
bool ParseControlText(Cursor& c, const std::string& verb, Action* a, std::string* error) {
  a->kind = verb == "set"        ? ActionKind::kSet
            : verb == "dblclick" ? ActionKind::kDblClick
                                 : ActionKind::kOpen;
  if (!c.Id(&a->control, error, "a control id")) return false;
  // `set <control> short "<path>"`: the machine's 8.3 alias of the path.
  if (verb == "set" && !c.AtEnd() && c.Peek() != '"') {
    const std::string word = Lower(c.Word());
    if (word != "short") {
      *error = "expected a quoted text or 'short' after 'set " + std::to_string(a->control) +
               "', got '" + word + "'";
      return false;
    }
    a->shortPath = true;
  }
  if (!c.Quoted(&a->text, error, "text")) return false;
  if (!c.End(error)) return false;
  a->written = verb + " " + std::to_string(a->control) + " " + (a->shortPath ? "short " : "") +
               text::Quote(a->text);
  return true;
}

constexpr Name<WaitFor> kWaitStates[] = {{"visible", WaitFor::kVisible},
                                         {"enabled", WaitFor::kEnabled}};

// `wait <control> "<text>"`, `wait <control> visible`, `wait <control> enabled`.
bool ParseWait(Cursor& c, const std::string& verb, Action* a, std::string* error) {
  a->kind = ActionKind::kWait;
  if (!c.Id(&a->control, error, "a control id")) return false;
  const std::string control = verb + " " + std::to_string(a->control) + " ";
  if (c.AtEnd() || c.Peek() == '"') {
    a->waitFor = WaitFor::kText;
    if (!c.Quoted(&a->text, error, "text")) return false;
    a->written = control + text::Quote(a->text);
    return c.End(error);
  }
  std::string state = Lower(c.Word());
  if (!Lookup(kWaitStates, state, &a->waitFor)) {
    *error = "expected a quoted text, 'visible' or 'enabled' after '" + control + "', got '" +
             state + "'";
    return false;
  }
  a->written = control + state;
  return c.End(error);
}

bool ParsePress(Cursor& c, const std::string& /*verb*/, Action* a, std::string* error) {
  a->kind = ActionKind::kPress;
  if (!c.Id(&a->control, error, "a control id")) return false;
  if (!c.End(error)) return false;
  a->written = "press " + std::to_string(a->control);
  return true;
}

constexpr Name<Key> kKeys[] = {{"enter", Key::kEnter}, {"escape", Key::kEscape}};

// `key <name>`: a key pressed on the dialog (enter, escape).
bool ParseKey(Cursor& c, const std::string& /*verb*/, Action* a, std::string* error) {
  a->kind = ActionKind::kKey;
  std::string name = Lower(c.Word());
  if (!Lookup(kKeys, name, &a->key)) {
    *error = "expected a key (enter, escape), got '" + name + "'";
    return false;
  }
  if (!c.End(error)) return false;
  a->written = "key " + name;
  return true;
}

constexpr Name<ActionParser> kDialogActions[] = {
    {"set", ParseControlText},  {"wait", ParseWait}, {"open", ParseControlText},
    {"press", ParsePress},      {"key", ParseKey},         {"insert", ParseInsert},
    {"dblclick", ParseControlText}};

// A box's answer: `<answer>` or `press <answer>`.
bool ParseAnswerAction(Cursor& c, Action* a, std::string* error) {
  std::string w = c.Word();
  if (Lower(w) == "press") w = c.Word();
  int answer = ParseAnswer(w);
  if (answer == 0) {
    *error = "expected an answer (ok, cancel, yes, no, abort, retry, ignore), got '" + w + "'";
    return false;
  }
  if (!c.End(error)) return false;
  a->kind = ActionKind::kAnswer;
  a->answer = answer;
  a->written = AnswerName(answer);
  return true;
}

// One action of a box: inserts first, the answer last.
bool ParseBoxAction(const std::string& part, bool last, Action* a, std::string* error) {
  Cursor c(part);
  if (Lower(Cursor(part).Word()) != "insert") {
    if (!ParseAnswerAction(c, a, error)) return false;
    if (!last) *error = "the answer must be the last action of a box";
    return last;
  }
  c.Word();
  if (!ParseInsert(c, "insert", a, error)) return false;
  if (last) *error = "a box needs an answer after its insert actions";
  return !last;
}

bool ParseBoxActions(const std::string& text, Statement* st, std::string* error) {
  std::vector<std::string> parts = SplitActions(text);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].empty()) {
      *error = "empty action in the action list";
      return false;
    }
    Action a;
    if (!ParseBoxAction(parts[i], i + 1 == parts.size(), &a, error)) return false;
    st->actions.push_back(a);
  }
  return true;
}

bool ParseDialogActions(const std::string& text, Statement* st, std::string* error) {
  if (Trim(text).empty()) return true;
  for (const std::string& part : SplitActions(text)) {
    if (part.empty()) {
      *error = "empty action in the action list";
      return false;
    }
    Cursor c(part);
    std::string verb = Lower(c.Word());
    ActionParser parse = nullptr;
    if (!Lookup(kDialogActions, verb, &parse)) {
      *error = "unknown action '" + verb + "' (set, press, wait, open, dblclick, key, insert)";
      return false;
    }
    Action a;
    if (!parse(c, verb, &a, error)) return false;
    st->actions.push_back(a);
  }
  return true;
}

// ---------------------------------------------------------------- statements

// Each statement parser gets the cursor after the statement's keyword and
// fills the statement, its kind included.
using StatementParser = bool (*)(Cursor& c, Statement* st, std::string* error);

constexpr Name<Platform> kPlatforms[] = {
    {"win95", Platform::kWin95}, {"win98", Platform::kWin98}, {"nt", Platform::kNt},
    {"nt40", Platform::kNt}};

bool ParsePlatform(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kPlatform;
  PlatformSetup& f = st->Set<PlatformSetup>();
  std::string w = Lower(c.Word());
  if (!Lookup(kPlatforms, w, &f.platform)) {
    *error = "unknown platform '" + w + "' (win95, win98, nt)";
    return false;
  }
  return c.End(error);
}

bool ParseDrive(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kDrive;
  DriveSetup& f = st->Set<DriveSetup>();
  if (!c.DriveLetter(&f.drive, error)) return false;
  if (f.drive == 'C') {
    *error = "drive C: is the machine's own disk and cannot be mapped";
    return false;
  }
  if (c.Peek() == '"') {
    if (!c.Quoted(&f.hostPath, error, "host folder", true)) return false;
    return c.End(error);
  }
  f.hostPath = c.Rest();
  if (f.hostPath.empty()) {
    *error = "expected a host folder";
    return false;
  }
  return true;
}

bool ParseCopy(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kCopy;
  CopySetup& f = st->Set<CopySetup>();
  if (!c.PathLike(&f.hostPath, error, "a host path")) return false;
  if (!c.Quoted(&f.windowsPath, error, "Windows path", true)) return false;
  return c.End(error);
}

bool ValidKeyPath(const std::string& path) {
  for (const char* root : {"HKLM\\", "HKCU\\", "HKCR\\", "HKU\\", "HKEY_LOCAL_MACHINE\\",
                           "HKEY_CURRENT_USER\\", "HKEY_CLASSES_ROOT\\", "HKEY_USERS\\"}) {
    if (text::StartsWithIgnoreCase(path, root) && path.size() > std::string(root).size())
      return true;
  }
  return false;
}

// A quoted key path that names a key below one of the roots.
bool KeyPath(Cursor& c, std::string* out, std::string* error) {
  if (!c.Quoted(out, error, "key path", true)) return false;
  if (!ValidKeyPath(*out)) {
    *error = "the key path must start with HKLM\\, HKCU\\, HKCR\\ or HKU\\ and name a key";
    return false;
  }
  return true;
}

constexpr Name<Kind> kRegistryOperations[] = {
    {"set", Kind::kRegistrySet}, {"delete", Kind::kRegistryDelete},
    {"deletekey", Kind::kRegistryDeleteKey}};

bool ParseRegistry(Cursor& c, Statement* st, std::string* error) {
  std::string op = Lower(c.Word());
  if (!Lookup(kRegistryOperations, op, &st->kind)) {
    *error = "unknown registry operation '" + op + "' (set, delete, deletekey)";
    return false;
  }
  RegistrySetup& f = st->Set<RegistrySetup>();
  if (!KeyPath(c, &f.keyPath, error)) return false;
  if (st->kind != Kind::kRegistryDeleteKey && !c.Quoted(&f.valueName, error, "value name"))
    return false;
  if (st->kind == Kind::kRegistrySet && !c.Quoted(&f.text, error, "value text")) return false;
  return c.End(error);
}

bool ParseDiskFree(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kDiskFree;
  DiskFreeSetup& f = st->Set<DiskFreeSetup>();
  if (!c.DriveLetter(&f.drive, error)) return false;
  if (Lower(c.Word()) != "free") {
    *error = "expected 'free' after the drive";
    return false;
  }
  if (!c.Number(UINT64_MAX / 2, &f.bytes, error, "a number of bytes")) return false;
  return c.End(error);
}

// The platform::attr bits the names stand for.
constexpr Name<std::uint32_t> kAttributes[] = {
    {"readonly", 0x01}, {"hidden", 0x02}, {"system", 0x04}, {"archive", 0x20}, {"normal", 0x80}};

bool ParseAttrib(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kAttrib;
  AttribSetup& f = st->Set<AttribSetup>();
  if (!c.Quoted(&f.windowsPath, error, "Windows path", true)) return false;
  if (c.AtEnd()) {
    *error = "expected attributes (readonly, hidden, system, archive, normal)";
    return false;
  }
  while (!c.AtEnd()) {
    std::string w = Lower(c.Word());
    std::uint32_t bit = 0;
    if (!Lookup(kAttributes, w, &bit)) {
      *error = "unknown attribute '" + w + "' (readonly, hidden, system, archive, normal)";
      return false;
    }
    f.attributes |= bit;
  }
  return true;
}

// The statements of one Windows path: mkdir, delete, hold.
bool ParseWindowsPath(Cursor& c, Kind kind, Statement* st, std::string* error) {
  st->kind = kind;
  if (!c.Quoted(&st->Set<PathSetup>().windowsPath, error, "Windows path", true)) return false;
  return c.End(error);
}

bool ParseMkdir(Cursor& c, Statement* st, std::string* error) {
  return ParseWindowsPath(c, Kind::kMkdir, st, error);
}

bool ParseDeleteFile(Cursor& c, Statement* st, std::string* error) {
  return ParseWindowsPath(c, Kind::kDeleteFile, st, error);
}

bool ParseHold(Cursor& c, Statement* st, std::string* error) {
  return ParseWindowsPath(c, Kind::kHold, st, error);
}

bool ParseLink(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kLink;
  LinkSetup& f = st->Set<LinkSetup>();
  if (!c.Quoted(&f.windowsPath, error, "Windows path", true)) return false;
  if (!c.Quoted(&f.target, error, "target path", true)) return false;
  return c.End(error);
}

// `refuse restart` or `refuse mkdir "<windows path>"`
bool ParseRefuse(Cursor& c, Statement* st, std::string* error) {
  const std::string what = Lower(c.Word());
  if (what == "mkdir") return ParseWindowsPath(c, Kind::kRefuseMkdir, st, error);
  st->kind = Kind::kRefuseRestart;
  if (what != "restart") {
    *error = "expected 'refuse restart' or 'refuse mkdir \"<windows path>\"'";
    return false;
  }
  return c.End(error);
}

constexpr Name<std::uint32_t> kServiceTypes[] = {{"kernel", 1}, {"own", 16}};

// `service <name> kernel|own "<image path>"`
bool ParseService(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kService;
  ServiceSetup& f = st->Set<ServiceSetup>();
  f.name = c.Word();
  if (f.name.empty()) {
    *error = "expected a service name";
    return false;
  }
  std::string type = Lower(c.Word());
  if (!Lookup(kServiceTypes, type, &f.type)) {
    *error = "unknown service type '" + type + "' (kernel, own)";
    return false;
  }
  if (!c.Quoted(&f.imagePath, error, "image path", true)) return false;
  return c.End(error);
}

bool ParseDeny(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kDenyKey;
  if (!KeyPath(c, &st->Set<DenySetup>().keyPath, error)) return false;
  return c.End(error);
}

bool ParseGroup(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kGroup;
  GroupSetup& f = st->Set<GroupSetup>();
  if (!c.Quoted(&f.name, error, "group name")) return false;
  if (f.name.empty()) {
    *error = "a group name cannot be empty";
    return false;
  }
  return c.End(error);
}

// `progman absent` or `progman failing <DDE error number>`
bool ParseProgman(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kProgman;
  ProgmanSetup& f = st->Set<ProgmanSetup>();
  std::string how = Lower(c.Word());
  if (how == "absent") return c.End(error);
  if (how != "failing") {
    *error = "expected 'progman absent' or 'progman failing <error number>'";
    return false;
  }
  std::uint64_t number = 0;
  if (!c.Number(0xFFFF, &number, error, "a DDE error number")) return false;
  if (number == 0) {
    *error = "the DDE error number of a failing Program Manager is not 0";
    return false;
  }
  f.failingError = static_cast<std::uint32_t>(number);
  return c.End(error);
}

// `fail <kind> <n>`: the nth operation of that kind fails.
bool ParseFail(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kFail;
  FailSetup& f = st->Set<FailSetup>();
  f.operation = Lower(c.Word());
  bool known = false;
  for (const char* kind : kFailKinds) known = known || f.operation == kind;
  if (!known) {
    *error = "expected 'fail write|read|registry|dde|service|disk <n>'";
    return false;
  }
  std::uint64_t nth = 0;
  if (!c.Number(UINT32_MAX, &nth, error, "the number of the operation that fails")) return false;
  if (nth == 0) {
    *error = "operations are counted from 1";
    return false;
  }
  f.nth = static_cast<std::uint32_t>(nth);
  return c.End(error);
}

bool ParseRun(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kRun;
  RunStart& f = st->Set<RunStart>();
  f.commandLine = c.Rest();
  if (f.commandLine.empty()) {
    *error = "expected the command line after 'run'";
    return false;
  }
  return true;
}

// `remove "<uninstall entry>"`: the program is started as Add/Remove
// Programs starts an entry's UninstallString. The entry is a key name
// below the uninstall key, so it holds no backslash.
bool ParseRemove(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kRemove;
  RemoveStart& f = st->Set<RemoveStart>();
  if (!c.Quoted(&f.entry, error, "uninstall entry name", true)) return false;
  if (f.entry.empty() || f.entry.find('\\') != std::string::npos) {
    *error = "an uninstall entry name is one key name, not empty and without '\\'";
    return false;
  }
  return c.End(error);
}

// `start "<group>" "<item>"`: the program is started as the shell starts a
// Program Manager item (under Wine: the group's Start Menu shortcut).
bool ParseStart(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kStart;
  StartItem& f = st->Set<StartItem>();
  if (!c.Quoted(&f.group, error, "group name")) return false;
  if (!c.Quoted(&f.item, error, "item name")) return false;
  if (f.group.empty() || f.item.empty()) {
    *error = "the group and item names of 'start' cannot be empty";
    return false;
  }
  return c.End(error);
}

// `follow`: the program just answered started another program and ended.
bool ParseFollow(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kFollow;
  return c.End(error);
}

// `box "<caption>" [text "<text>"]: <actions>`
bool ParseBox(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kBox;
  BoxStatement& f = st->Set<BoxStatement>();
  if (!c.Quoted(&f.caption, error, "caption")) return false;
  if (c.Peek() != ':') {
    if (Lower(c.Word(":")) != "text") {
      *error = "expected ':' or 'text' after the caption";
      return false;
    }
    f.hasText = true;
    if (!c.Quoted(&f.text, error, "text")) return false;
  }
  if (!c.Expect(':', error, "':' before the answer")) return false;
  return ParseBoxActions(c.Rest(), st, error);
}

// The control ids after `read`, up to the ':'.
bool ParseReadControls(Cursor& c, DialogStatement* f, std::string* error) {
  if (Lower(c.Word(":")) != "read") {
    *error = "expected ':' or 'read' after the dialog id";
    return false;
  }
  while (c.Peek() != ':' && !c.AtEnd()) {
    int id = 0;
    if (!c.Id(&id, error, "a control id to read")) return false;
    f->readControls.push_back(id);
  }
  if (f->readControls.empty()) {
    *error = "expected control ids after 'read'";
    return false;
  }
  return true;
}

// `dialog <id> [read <control>...]: <actions>`
bool ParseDialog(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kDialog;
  DialogStatement& f = st->Set<DialogStatement>();
  if (!c.Id(&f.dialogId, error, "a dialog template id")) return false;
  if (c.Peek() != ':' && !ParseReadControls(c, &f, error)) return false;
  if (!c.Expect(':', error, "':' before the actions")) return false;
  return ParseDialogActions(c.Rest(), st, error);
}

bool ParseEnd(Cursor& c, Statement* st, std::string* error) {
  st->kind = Kind::kEnd;
  return c.End(error);
}

constexpr Name<StatementParser> kStatements[] = {
    {"platform", ParsePlatform}, {"drive", ParseDrive},
    {"copy", ParseCopy},         {"registry", ParseRegistry},
    {"disk", ParseDiskFree},     {"attrib", ParseAttrib},
    {"mkdir", ParseMkdir},       {"delete", ParseDeleteFile},  {"link", ParseLink},       {"refuse", ParseRefuse},
    {"service", ParseService},   {"hold", ParseHold},
    {"deny", ParseDeny},         {"group", ParseGroup},
    {"progman", ParseProgman},   {"fail", ParseFail},
    {"run", ParseRun},           {"remove", ParseRemove},
    {"start", ParseStart},       {"follow", ParseFollow},
    {"box", ParseBox},
    {"dialog", ParseDialog},     {"end", ParseEnd}};

// Parses one non-empty, non-comment line.
bool ParseStatement(const std::string& line, Statement* st, std::string* error) {
  Cursor c(line);
  std::string verb = Lower(c.Word(":"));
  StatementParser parse = nullptr;
  if (!Lookup(kStatements, verb, &parse)) {
    *error = "unknown statement '" + verb + "'";
    return false;
  }
  return parse(c, st, error);
}

bool IsSetup(Kind k) {
  return !IsRunKind(k) && k != Kind::kBox && k != Kind::kDialog && k != Kind::kFollow &&
         k != Kind::kEnd;
}

// Puts a parsed statement in its place in the scenario; false (with *what)
// when it comes out of order.
bool Place(Statement st, Scenario* s, bool* haveRun, std::string* what) {
  auto refuse = [what](const char* why) {
    *what = why;
    return false;
  };
  if (IsSetup(st.kind)) {
    if (*haveRun) return refuse("machine set-up statement after 'run'");
    s->setup.push_back(std::move(st));
  } else if (IsRunKind(st.kind)) {
    if (*haveRun) return refuse("second 'run', 'remove' or 'start' statement");
    *haveRun = true;
    s->run = std::move(st);
  } else if (st.kind == Kind::kEnd) {
    if (!*haveRun) return refuse("'end' before 'run'");
    s->hasEnd = true;
  } else {
    if (!*haveRun) return refuse("user statement before 'run'");
    if (st.kind == Kind::kFollow && ++s->follows > kMaxFollows)
      return refuse("too many 'follow' statements (at most 4)");
    s->user.push_back(std::move(st));
  }
  return true;
}

// A comment line that is a mark: its text after the mark word, trimmed;
// false for any other comment.
bool MarkText(const std::string& line, const char* mark, std::string* text) {
  std::size_t pos = 1;
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  const std::string word = mark;
  if (line.compare(pos, word.size(), word) != 0) return false;
  *text = Trim(line.substr(pos + word.size()));
  return true;
}

// Reads the marks of a comment line into the scenario; false (with *what)
// for a mark out of place.
bool ReadMarks(const std::string& line, int lineNo, Scenario* s, std::string* what) {
  std::string text;
  if (MarkText(line, kAfterMark, &text)) {
    if (!s->after.empty()) {
      *what = "second '# after:' line (a scenario runs after one other)";
      return false;
    }
    if (text.empty()) {
      *what = "expected a scenario file after '# after:'";
      return false;
    }
    s->after = text;
  } else if (MarkText(line, kSimOnlyMark, &text)) {
    if (lineNo != 1) {
      *what = "'# sim-only:' must be the first line of the scenario";
      return false;
    }
    s->simOnly = true;
    s->simOnlyReason = text;
  }
  return true;
}

}  // namespace

bool IsRunKind(Kind kind) {
  return kind == Kind::kRun || kind == Kind::kRemove || kind == Kind::kStart;
}

const char* AnswerName(int answer) {
  for (const Answer& a : kAnswers) {
    if (a.value == answer) return a.name;
  }
  return "?";
}

int ParseAnswer(const std::string& name) {
  std::string n = Lower(name);
  for (const Answer& a : kAnswers) {
    if (n == a.name) return a.value;
  }
  return 0;
}

std::string Where(const Scenario& scenario, const Statement& statement) {
  return scenario.fileName + ":" + std::to_string(statement.line);
}

bool ParseScenario(const std::string& text, const std::string& fileName, Scenario* out,
                   std::string* error) {
  Scenario s;
  s.fileName = fileName;
  s.baseDir = out->baseDir;
  bool haveRun = false;
  int lineNo = 0;
  std::size_t pos = 0;
  auto fail = [&](int line, const std::string& what) {
    *error = fileName + ":" + std::to_string(line) + ": " + what;
    return false;
  };
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    std::string raw = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    pos = nl == std::string::npos ? text.size() : nl + 1;
    ++lineNo;
    if (raw.find('\0') != std::string::npos) return fail(lineNo, "NUL byte in the line");
    std::string line = Trim(raw);
    if (line.empty()) continue;
    if (line[0] == '#') {
      std::string what;
      if (!ReadMarks(line, lineNo, &s, &what)) return fail(lineNo, what);
      continue;
    }
    if (s.hasEnd) return fail(lineNo, "statement after 'end'");

    Statement st;
    st.line = lineNo;
    st.source = line;
    std::string what;
    if (!ParseStatement(line, &st, &what)) return fail(lineNo, what);
    if (!Place(std::move(st), &s, &haveRun, &what)) return fail(lineNo, what);
  }
  if (!haveRun) {
    *error = fileName + ": no 'run', 'remove' or 'start' statement";
    return false;
  }
  *out = std::move(s);
  return true;
}

bool LoadScenarioFile(const std::string& path, Scenario* out, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot open the scenario file";
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  std::string text = buffer.str();
  if (text.size() > kMaxFileSize) {
    *error = path + ": the scenario file is too large";
    return false;
  }
  std::size_t slash = path.find_last_of("/\\");
  out->baseDir = slash == std::string::npos ? "" : path.substr(0, slash);
  return ParseScenario(text, path, out, error);
}

std::string AfterPath(const Scenario& scenario) {
  return scenario.after.empty() ? std::string() : ResolveHostPath(scenario, scenario.after);
}

std::string ResolveHostPath(const Scenario& scenario, const std::string& path) {
  if (path.empty() || path[0] == '@') return path;
  bool absolute = path[0] == '/' || path[0] == '\\' ||
                  (path.size() >= 2 && path[1] == ':' &&
                   std::isalpha(static_cast<unsigned char>(path[0])));
  if (absolute || scenario.baseDir.empty()) return path;
  return scenario.baseDir + "/" + path;
}

}  // namespace scenario
