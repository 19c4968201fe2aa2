// The simulated machine's profile (INI) files: GetPrivateProfileStringA and
// WritePrivateProfileStringA on files of the simulated drives, read and
// written whole through the machine's own files.
#include <string>
#include <vector>

#include "platform/sim/sim_files.h"
#include "text/text.h"

namespace sim {

namespace {

// Profile lines are trimmed of spaces, tabs and a stray CR only.
std::string TrimBlanks(const std::string& s) { return text::Trim(s, " \t\r"); }

struct IniLine {
  std::string text;    // without its line end
  std::string ending;  // "\r\n", "\n" or "" (last line)
};

std::vector<IniLine> SplitLines(const std::string& data) {
  std::vector<IniLine> lines;
  std::size_t pos = 0;
  while (pos < data.size()) {
    std::size_t nl = data.find('\n', pos);
    IniLine l;
    if (nl == std::string::npos) {
      l.text = data.substr(pos);
      pos = data.size();
    } else {
      l.text = data.substr(pos, nl - pos);
      l.ending = "\n";
      pos = nl + 1;
    }
    if (!l.text.empty() && l.text.back() == '\r') {
      l.text.pop_back();
      l.ending = "\r" + l.ending;
    }
    lines.push_back(l);
  }
  return lines;
}

// The section a line opens, or false.
bool SectionOf(const std::string& line, std::string* name) {
  std::string t = TrimBlanks(line);
  if (t.empty() || t[0] != '[') return false;
  std::size_t close = t.find(']');
  *name = TrimBlanks(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

bool KeyOf(const std::string& line, std::string* key, std::string* value) {
  std::string t = TrimBlanks(line);
  if (t.empty() || t[0] == ';') return false;
  std::size_t eq = t.find('=');
  *key = TrimBlanks(t.substr(0, eq));
  *value = eq == std::string::npos ? "" : TrimBlanks(t.substr(eq + 1));
  return true;
}

}  // namespace

std::string SimProfile::FullPath(const std::string& file) const {
  if (file.find_first_of("\\/:") == std::string::npos) return windowsDir_ + "\\" + file;
  return file;
}

std::string SimProfile::GetString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue, std::uint32_t size,
                                  const std::string& file) {
  if (size == 0) return "";
  std::string result = defaultValue;
  // Windows drops trailing blanks of the default.
  while (!result.empty() && result.back() == ' ') result.pop_back();
  std::string data;
  if (platform::ReadWholeFile(files_, FullPath(file), &data) == 0) {
    std::string wantSection = FoldCase(TrimBlanks(section));
    std::string wantKey = FoldCase(TrimBlanks(key));
    bool inSection = false;
    for (const IniLine& l : SplitLines(data)) {
      std::string name, k, v;
      if (SectionOf(l.text, &name)) {
        if (inSection) break;
        inSection = FoldCase(name) == wantSection;
        continue;
      }
      if (!inSection || !KeyOf(l.text, &k, &v)) continue;
      if (FoldCase(k) == wantKey) {
        if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
          v = v.substr(1, v.size() - 2);
        result = v;
        break;
      }
    }
  }
  if (result.size() > size - 1) result.resize(size - 1);
  return result;
}

bool SimProfile::WriteString(const std::string& section, const std::string& key,
                             const std::string& value, const std::string& file) {
  std::string path = FullPath(file);
  std::string data;
  std::uint32_t e = platform::ReadWholeFile(files_, path, &data);
  if (e != 0 && e != platform::err::kFileNotFound) return false;
  std::vector<IniLine> lines = SplitLines(data);
  std::string wantSection = FoldCase(TrimBlanks(section));
  std::string wantKey = FoldCase(TrimBlanks(key));
  std::string newLine = TrimBlanks(key) + "=" + value;

  int sectionAt = -1;
  int lastEntry = -1;
  bool done = false;
  for (std::size_t i = 0; i < lines.size() && !done; ++i) {
    std::string name, k, v;
    if (SectionOf(lines[i].text, &name)) {
      if (sectionAt >= 0) break;
      if (FoldCase(name) == wantSection) {
        sectionAt = static_cast<int>(i);
        lastEntry = sectionAt;
      }
      continue;
    }
    if (sectionAt < 0) continue;
    if (!TrimBlanks(lines[i].text).empty()) lastEntry = static_cast<int>(i);
    if (KeyOf(lines[i].text, &k, &v) && FoldCase(k) == wantKey) {
      // Keep the name as stored.
      std::string t = TrimBlanks(lines[i].text);
      lines[i].text = TrimBlanks(t.substr(0, t.find('='))) + "=" + value;
      done = true;
    }
  }
  if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = "\r\n";
  if (!done) {
    if (sectionAt < 0) {
      if (!lines.empty() && !TrimBlanks(lines.back().text).empty()) lines.push_back({"", "\r\n"});
      lines.push_back({"[" + TrimBlanks(section) + "]", "\r\n"});
      lines.push_back({newLine, "\r\n"});
    } else {
      lines.insert(lines.begin() + lastEntry + 1, IniLine{newLine, "\r\n"});
    }
  }
  std::string out;
  for (const IniLine& l : lines) out += l.text + l.ending;
  return platform::WriteWholeFile(files_, path, out) == 0;
}

}  // namespace sim
