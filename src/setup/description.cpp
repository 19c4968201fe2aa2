#include "setup/description.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

#include "text/text.h"

namespace setup {
namespace {

constexpr std::size_t kLineLimit = 80;  // a read takes at most 79 characters

// Text-mode reading turns CR LF into LF and ends at the first Ctrl-Z
// (0x1A), which files written by old editors carry as their end mark.
std::string ToTextMode(const std::string& raw) {
  const std::size_t end = std::min(raw.find('\x1a'), raw.size());
  std::string out;
  out.reserve(end);
  for (std::size_t i = 0; i < end; ++i) {
    if (raw[i] == '\r' && i + 1 < end && raw[i + 1] == '\n') continue;
    out.push_back(raw[i]);
  }
  return out;
}

// Splits like repeated fgets with an 80-byte buffer: at most 79 characters,
// a newline ends a read and stays in it. A zero byte ends the string the
// caller sees, as it would in a C buffer.
std::vector<std::string> ReadLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t take = 0;
    while (take < kLineLimit - 1 && pos + take < text.size()) {
      ++take;
      if (text[pos + take - 1] == '\n') break;
    }
    std::string line = text.substr(pos, take);
    pos += take;
    std::size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    lines.push_back(std::move(line));
  }
  return lines;
}

struct KeyField {
  const char* key;
  std::string DescriptionValues::*field;
  std::size_t capacity;
};

const KeyField kKeys[] = {
    {"mct", &DescriptionValues::mct, kShortValueCapacity},
    {"fct", &DescriptionValues::fct, kShortValueCapacity},
    {"lng", &DescriptionValues::lng, kShortValueCapacity},
    {"prd", &DescriptionValues::prd, kProductCapacity},
    {"aux", &DescriptionValues::aux, kShortValueCapacity},
    {"ver", &DescriptionValues::ver, kLongValueCapacity},
    {"plt", &DescriptionValues::plt, kLongValueCapacity},
    {"ifc", &DescriptionValues::ifc, kLongValueCapacity},
};

}  // namespace

DescriptionContent ParseSetupDat(const std::string& raw) {
  DescriptionContent content;
  bool found[8] = {};
  bool listPhase = false;
  bool tooManyLines = false;

  for (const std::string& line : ReadLines(ToTextMode(raw))) {
    if (text::Contains(line, "[Filelist]")) {
      listPhase = true;
      continue;
    }
    if (listPhase) {
      if (!text::Contains(line, "/D")) continue;
      if (content.fileList.size() >= kMaxFileListLines) {
        tooManyLines = true;
        continue;
      }
      content.fileList.push_back(line);
      continue;
    }
    for (std::size_t k = 0; k < 8; ++k) {
      if (!text::StartsWithIgnoreCase(line, kKeys[k].key)) continue;
      // A key line without "=" has no value; it does not count as the key.
      std::size_t eq = line.find('=');
      if (eq == std::string::npos) break;
      content.values.*kKeys[k].field = text::Trim(std::string_view(line).substr(eq + 1));
      found[k] = true;
      break;
    }
  }

  content.result = kDescriptionRead;
  for (std::size_t k = 0; k < 8; ++k) {
    // A value longer than its field is refused rather than cut: a cut
    // product name or disk count would install something else.
    if (!found[k] || (content.values.*kKeys[k].field).size() > kKeys[k].capacity - 1) {
      content.result = kDescriptionInvalid;
    }
  }
  // A list longer than the program keeps would install an incomplete
  // product without a word; refuse it.
  if (tooManyLines) content.result = kDescriptionInvalid;
  return content;
}

int ReadSetupDatFile(SetupState& state) {
  std::string path = state.restartDescriptionPath.empty()
                         ? state.sourceDir + "\\SETUP.DAT"
                         : state.restartDescriptionPath;
  std::string text;
  if (platform::ReadWholeFile(state.machine.files, path, &text) != 0) {
    return kDescriptionOpenFailed;
  }
  DescriptionContent content = ParseSetupDat(text);
  state.values = content.values;
  state.fileList = std::move(content.fileList);
  return content.result;
}

int LanguageFromCode(const std::string& lng) {
  static const char* const kCodes[] = {"ENG", "GER", "FRE", "SWE", "BRI", "SPA", "ITA", "POR"};
  int language = 0;
  for (int i = 0; i < kLanguageCount; ++i) {
    if (text::Contains(lng, kCodes[i])) language = i;
  }
  return language;
}

int FileCountFromValue(const std::string& fct) {
  std::size_t i = 0;
  const bool negative = !fct.empty() && fct[0] == '-';
  if (!fct.empty() && (fct[0] == '-' || fct[0] == '+')) i = 1;
  int count = 0;
  for (; i < fct.size() && fct[i] >= '0' && fct[i] <= '9'; ++i) {
    // Held below the int range; the field has room for 3 characters anyway.
    if (count < 100000000) count = count * 10 + (fct[i] - '0');
  }
  return negative ? -count : count;
}

void SetCompanyNames(SetupState& state) {
  const std::string& prd = state.values.prd;
  if (text::Contains(prd, "RQ-TAPE")) {
    state.companyShort = "Dunmarrow";
    state.companyLong = "Dunmarrow Corporation";
  } else if (text::Contains(prd, "Hesketh")) {
    state.companyShort = "Hesketh";
    state.companyLong = "Hesketh Corporation";
  } else {
    state.companyShort = "Brennick";
    state.companyLong = "Brennick Corporation";
  }
}

int LoadSetupDescription(SetupState& state) {
  int result = ReadSetupDatFile(state);
  if (result != kDescriptionRead) {
    // The setup language is not known yet: the message is English.
    MsgId id = result == kDescriptionOpenFailed ? MSG_SETUP_DAT_OPEN_FAILED : MSG_SETUP_DAT_INVALID;
    const char* text = ExpandText(state, state.catalog.Text(id, 0));
    state.machine.ui.MessageBox(state.backgroundWindow, text, "", platform::mb::kIconError);
  } else {
    const DescriptionValues& v = state.values;
    state.scsi = text::Contains(v.ifc, "SCSI");
    state.language = LanguageFromCode(v.lng);
    state.fileCount = FileCountFromValue(v.fct);
    state.productName = v.prd;
    state.version = v.ver;
    state.platformText = text::Contains(v.plt, "95/NT") ? "95/98/NT" : v.plt;
    if (text::Contains(state.productName, "Pellidor")) {
      state.scsi = true;
      state.writeTapeConfiguration = false;
    }
    state.seEdition = !v.aux.empty() && (v.aux[0] == 'S' || v.aux[0] == 'Y');
    state.yEdition = !v.aux.empty() && v.aux[0] == 'Y';
  }
  SetCompanyNames(state);
  return result;
}

}  // namespace setup
