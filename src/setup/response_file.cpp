#include "setup/response_file.h"

#include <string_view>

#include "groups/program_group_dialog.h"
#include "text/text.h"
#include "ui/directory_rules.h"

namespace setup {
namespace {

static_assert(kMaxGroupNameLength == groups::ProgramGroupDialog::kMaxNameLength);

enum class Section { kNone, kSetup, kUninstall };

bool IsControlByte(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F; }

std::string LineProblem(int line, const std::string& what) {
  return "line " + std::to_string(line) + ": " + what;
}

// yes/no and their usual spellings.
bool ParseYesNo(std::string_view value, bool* out) {
  for (const char* yes : {"yes", "true", "1"}) {
    if (text::EqualsIgnoreCase(value, yes)) return *out = true;
  }
  for (const char* no : {"no", "false", "0"}) {
    if (text::EqualsIgnoreCase(value, no)) {
      *out = false;
      return true;
    }
  }
  return false;
}

// One key of a section: its name, and how its value is stored.
struct Key {
  Section section;
  const char* name;
  std::string (*store)(const std::string& value, Answers* out);
};

std::string StoreYesNo(const std::string& value, bool* field) {
  return ParseYesNo(value, field) ? std::string() : "\"" + value + "\" is neither yes nor no";
}

const Key kKeys[] = {
    {Section::kSetup, "InstallDir",
     [](const std::string& v, Answers* a) -> std::string {
       if (v.size() > ui::kMaxInstallDirLength) return "the install directory is too long";
       a->installDir = v;
       return {};
     }},
    {Section::kSetup, "GroupName",
     [](const std::string& v, Answers* a) -> std::string {
       if (v.size() > kMaxGroupNameLength) return "the group name is too long";
       a->groupName = v;
       return {};
     }},
    {Section::kSetup, "AcceptLicense",
     [](const std::string& v, Answers* a) { return StoreYesNo(v, &a->licenseAccepted); }},
    {Section::kSetup, "ReconfigureTape",
     [](const std::string& v, Answers* a) { return StoreYesNo(v, &a->reconfigureTape); }},
    {Section::kSetup, "DisableQic117",
     [](const std::string& v, Answers* a) { return StoreYesNo(v, &a->disableQic117); }},
    {Section::kSetup, "ShowReadme",
     [](const std::string& v, Answers* a) { return StoreYesNo(v, &a->showReadme); }},
    {Section::kSetup, "Restart",
     [](const std::string& v, Answers* a) -> std::string {
       if (text::EqualsIgnoreCase(v, "caller")) {
         a->restart = RestartChoice::kLeaveToCaller;
       } else if (text::EqualsIgnoreCase(v, "restart")) {
         a->restart = RestartChoice::kRestart;
       } else {
         return "\"" + v + "\" is neither caller nor restart";
       }
       return {};
     }},
    {Section::kUninstall, "Removal",
     [](const std::string& v, Answers* a) -> std::string {
       if (text::EqualsIgnoreCase(v, "Selective")) {
         a->completeRemoval = false;
       } else if (text::EqualsIgnoreCase(v, "Complete")) {
         a->completeRemoval = true;
       } else {
         return "\"" + v + "\" is neither Selective nor Complete";
       }
       return {};
     }},
};
constexpr std::size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

// "[Setup]" or "[Uninstall]"; false for any other section.
bool ParseSection(std::string_view line, Section* out) {
  const std::string name = text::Trim(line.substr(1, line.size() - 2));
  if (text::EqualsIgnoreCase(name, "Setup")) {
    *out = Section::kSetup;
  } else if (text::EqualsIgnoreCase(name, "Uninstall")) {
    *out = Section::kUninstall;
  } else {
    return false;
  }
  return true;
}

// A value in double quotes keeps its blanks; the quotes go.
std::string Unquoted(std::string value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

class Reader {
 public:
  explicit Reader(Answers* out) : out_(out) {}

  std::string Line(int number, std::string_view raw) {
    if (raw.size() > kMaxResponseLineLength) return LineProblem(number, "the line is too long");
    const std::string line = text::Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') return {};
    if (line.front() == '[') {
      if (line.back() != ']' || !ParseSection(line, &section_)) {
        return LineProblem(number, "unknown section " + line);
      }
      return {};
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) return LineProblem(number, "not a key=value line");
    const std::string name = text::Trim(std::string_view(line).substr(0, equals));
    const std::string value = Unquoted(text::Trim(std::string_view(line).substr(equals + 1)));
    return Key(number, name, value);
  }

 private:
  std::string Key(int number, const std::string& name, const std::string& value) {
    if (section_ == Section::kNone) return LineProblem(number, "a key before the first section");
    for (std::size_t k = 0; k < kKeyCount; ++k) {
      if (kKeys[k].section != section_ || !text::EqualsIgnoreCase(name, kKeys[k].name)) continue;
      if (seen_[k]) return LineProblem(number, name + " is given twice");
      seen_[k] = true;
      const std::string problem = kKeys[k].store(value, out_);
      return problem.empty() ? problem : LineProblem(number, name + ": " + problem);
    }
    return LineProblem(number, "unknown key " + name);
  }

  Answers* out_;
  Section section_ = Section::kNone;
  bool seen_[kKeyCount] = {};
};

}  // namespace

std::string ParseResponseText(const std::string& bytes, Answers* out) {
  if (bytes.size() > kMaxResponseFileSize) return "the file is larger than 16 KB";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    // A carriage return only ends a line, before its line feed or at the
    // end of the file.
    const bool strayReturn = c == '\r' && i + 1 < bytes.size() && bytes[i + 1] != '\n';
    if (IsControlByte(c) || strayReturn) return "the file is not a text file (it holds control bytes)";
  }
  Answers answers;
  Reader reader(&answers);
  std::size_t start = 0;
  int number = 1;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    const std::string problem = reader.Line(number, std::string_view(bytes).substr(start, end - start));
    if (!problem.empty()) return problem;
    start = end + 1;
    ++number;
  }
  *out = answers;
  return {};
}

std::string ReadResponseFile(platform::FileSystem& files, const std::string& path, Answers* out) {
  platform::FileStatus status;
  std::uint32_t error = files.GetFileStatus(path, &status);
  if (error != platform::err::kSuccess) {
    return "cannot be found (error " + std::to_string(error) + ")";
  }
  if (status.attributes & platform::attr::kDirectory) return "is a directory";
  if (status.size > kMaxResponseFileSize) return "is larger than 16 KB";
  std::string bytes;
  error = platform::ReadWholeFile(files, path, &bytes);
  if (error != platform::err::kSuccess) return "cannot be read (error " + std::to_string(error) + ")";
  return ParseResponseText(bytes, out);
}

std::string FormatResponseText(const Answers& a) {
  auto yesNo = [](bool v) { return v ? "yes" : "no"; };
  std::string t;
  t += "; Answers for an unattended run: SETUP.EXE /s /answers \"<this file>\"\r\n";
  t += "[Setup]\r\n";
  t += "; The license agreement was accepted (required).\r\n";
  t += std::string("AcceptLicense=") + yesNo(a.licenseAccepted) + "\r\n";
  t += "InstallDir=" + a.installDir + "\r\n";
  t += "GroupName=" + a.groupName + "\r\n";
  t += "; Reset an earlier tape configuration (yes) or keep it (no).\r\n";
  t += std::string("ReconfigureTape=") + yesNo(a.reconfigureTape) + "\r\n";
  t += "; Windows NT: remove the conflicting qic117 driver service.\r\n";
  t += std::string("DisableQic117=") + yesNo(a.disableQic117) + "\r\n";
  t += "; When Windows must restart: leave it to the caller, or restart.\r\n";
  t += std::string("Restart=") + (a.restart == RestartChoice::kRestart ? "restart" : "caller") + "\r\n";
  t += std::string("ShowReadme=") + yesNo(a.showReadme) + "\r\n";
  t += "[Uninstall]\r\n";
  t += std::string("Removal=") + (a.completeRemoval ? "Complete" : "Selective") + "\r\n";
  return t;
}

}  // namespace setup
