#include "groups/progman_text.h"

#include "install/install_text.h"
#include "text/text.h"

namespace groups {
namespace {

// The characters that end an argument that is not in double quotes.
constexpr const char kArgumentEnds[] = ",()[]";

bool HoldsControl(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
  }
  return false;
}

bool OnlyDotsAndBlanks(const std::string& text) {
  return text.find_first_not_of(". ") == std::string::npos;
}

}  // namespace

std::vector<std::string> ParseGroupList(const std::string& reply) {
  std::size_t end = reply.find('\0');
  if (end == std::string::npos) end = reply.size();
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start < end) {
    std::size_t lf = reply.find('\n', start);
    if (lf == std::string::npos || lf > end) lf = end;
    std::size_t pieceEnd = lf;
    // Cut at the last carriage return of the piece.
    for (std::size_t i = lf; i > start; --i) {
      if (reply[i - 1] == '\r') {
        pieceEnd = i - 1;
        break;
      }
    }
    if (pieceEnd > start) names.push_back(reply.substr(start, pieceEnd - start));
    start = lf + 1;
  }
  return names;
}

GroupNameCheck CheckGroupName(const std::string& name) {
  if (name.empty()) return GroupNameCheck::kEmpty;
  if (name.find('"') != std::string::npos) return GroupNameCheck::kHoldsQuote;
  if (HoldsControl(name)) return GroupNameCheck::kHoldsControl;
  if (name.find_first_of("\\/:*?<>|") != std::string::npos || OnlyDotsAndBlanks(name))
    return GroupNameCheck::kNotAFolderName;
  return GroupNameCheck::kOk;
}

const char* GroupNameProblemText(GroupNameCheck check) {
  switch (check) {
    case GroupNameCheck::kEmpty:
      return "Please type a name for the program group.";
    case GroupNameCheck::kHoldsQuote:
      return "A program group name cannot contain a double quote (\").";
    case GroupNameCheck::kHoldsControl:
      return "A program group name cannot contain tabs, line breaks or other control characters.";
    case GroupNameCheck::kNotAFolderName:
      return "A program group name cannot contain any of the characters \\ / : * ? < > | "
             "and cannot be made of dots only.";
    default:
      return "";
  }
}

DdeArgument QuoteDdeArgument(const std::string& text) {
  if (text.find('"') != std::string::npos || HoldsControl(text)) return DdeArgument{false, {}};
  bool quote = text.empty() || text.find_first_of(kArgumentEnds) != std::string::npos ||
               text.front() == ' ' || text.back() == ' ';
  return DdeArgument{true, quote ? "\"" + text + "\"" : text};
}

ItemCommandLine FormItemCommandLine(const std::string& windowsDir, const std::string& installDir,
                                    const std::string& fileName) {
  ItemCommandLine line;
  bool notepad = text::Contains(fileName, ".TXT");
  std::string path = installDir + "\\" + fileName;
  line.text = notepad ? windowsDir + "\\NOTEPAD.EXE \"" + path + "\"" : "\"" + path + "\"";
  // A double quote inside a path would end the quoted part early.
  bool unsendable = HoldsControl(line.text) || path.find('"') != std::string::npos ||
                    (notepad && (windowsDir.find('"') != std::string::npos ||
                                 line.text.find_first_of(kArgumentEnds) != std::string::npos ||
                                 line.text.front() == ' '));
  if (unsendable) {
    line.check = CommandLineCheck::kUnsendable;
  } else if (line.text.size() > kMaxCommandLine) {
    line.check = CommandLineCheck::kTooLong;
  }
  return line;
}

ItemCommandLine FormShortNotepadCommandLine(const std::string& shortWindowsDir,
                                            const std::string& shortInstallDir,
                                            const std::string& fileName) {
  ItemCommandLine line;
  const std::string text = shortWindowsDir + "\\NOTEPAD.EXE " + shortInstallDir + "\\" + fileName;
  const std::string paths = shortWindowsDir + shortInstallDir + fileName;
  if (paths.find_first_of(" \"") != std::string::npos || HoldsControl(paths)) {
    line.check = CommandLineCheck::kUnsendable;
    line.text = text;
    return line;
  }
  if (text.size() > kMaxCommandLine) line.check = CommandLineCheck::kTooLong;
  line.text = text.find_first_of(kArgumentEnds) != std::string::npos ? "\"" + text + "\"" : text;
  return line;
}

}  // namespace groups
