// The texts of the Program Manager conversation: reading the group list,
// which names may be sent and how, and the items' command lines.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "groups/progman_text.h"

namespace groups {
namespace {

using Names = std::vector<std::string>;

// ---------------------------------------------------------------- group list

struct ListCase {
  const char* what;
  std::string reply;
  Names expected;
};

TEST(GroupListTest, ParsesEveryLineForm) {
  const std::string longName(300, 'L');
  const ListCase cases[] = {
      {"CR LF lines, as Program Manager sends them", std::string("Main\r\nAccessories\r\nGames\r\n\0", 27),
       {"Main", "Accessories", "Games"}},
      {"LF-only lines", "Main\nAccessories\nGames\n", {"Main", "Accessories", "Games"}},
      {"empty lines between", "Main\r\n\r\n\n\nGames\r\n", {"Main", "Games"}},
      {"no final line end", "Main\r\nGames", {"Main", "Games"}},
      {"no final line end after a CR", "Main\r\nGames\r", {"Main", "Games"}},
      {"cut at the last carriage return", "A\rB\r\n", {"A\rB"}},
      {"a line of a carriage return alone", "\r\nMain\r\n", {"Main"}},
      {"blanks are part of the name", " Tools \r\n", {" Tools "}},
      {"a 300-character name stays whole", longName + "\r\n", {longName}},
      {"Windows-1252 bytes as they are", "Zubeh\xF6r\r\nD\xE9marrage\r\n", {"Zubeh\xF6r", "D\xE9marrage"}},
      {"nothing after the zero byte", std::string("Main\r\n\0Ghost\r\n", 14), {"Main"}},
      {"empty reply", "", {}},
      {"only the zero byte", std::string("\0", 1), {}},
      {"only line ends", "\r\n\n\r\n", {}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(ParseGroupList(cases[i].reply), cases[i].expected) << "row " << i << ": " << cases[i].what;
  }
}

TEST(GroupListTest, ReadsAReplyOfSeveralMegabytesInOnePass) {
  std::string reply;
  const int count = 400000;  // about 5 MB
  for (int i = 0; i < count; ++i) reply += "Group number " + std::to_string(i) + "\r\n";
  reply += '\0';
  ASSERT_GT(reply.size(), 4u * 1024 * 1024);
  auto start = std::chrono::steady_clock::now();
  Names names = ParseGroupList(reply);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(names.size(), static_cast<std::size_t>(count));
  EXPECT_EQ(names.front(), "Group number 0");
  EXPECT_EQ(names.back(), "Group number 399999");
  EXPECT_LT(seconds, 5.0) << "reading the list took " << seconds << " s";
}

TEST(GroupListTest, AVeryLongLineWithoutLineEnd) {
  std::string reply(3 * 1024 * 1024, 'x');
  Names names = ParseGroupList(reply);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].size(), reply.size());
}

// ---------------------------------------------------------------- names

TEST(GroupNameTest, RefusesOnlyWhatNoCommandCanCarry) {
  struct Case {
    std::string name;
    GroupNameCheck expected;
  } cases[] = {
      {"Halvorn+ for Windows 95 - QIC", GroupNameCheck::kOk},
      {"Zubeh\xF6r", GroupNameCheck::kOk},
      {"Tools (old), [backup]", GroupNameCheck::kOk},  // sent quoted
      {"x)][DeleteGroup(Accessories", GroupNameCheck::kOk},  // sent quoted, harmless
      {" Leading blank", GroupNameCheck::kOk},
      {"a.b", GroupNameCheck::kOk},
      {"", GroupNameCheck::kEmpty},
      {"say \"hi\"", GroupNameCheck::kHoldsQuote},
      {"x\")][DeleteGroup(\"Accessories", GroupNameCheck::kHoldsQuote},
      {"two\r\nlines", GroupNameCheck::kHoldsControl},
      {"tab\there", GroupNameCheck::kHoldsControl},
      {std::string("zero\0byte", 9), GroupNameCheck::kHoldsControl},
      {"..\\..\\Desktop", GroupNameCheck::kNotAFolderName},
      {"a/b", GroupNameCheck::kNotAFolderName},
      {"C:", GroupNameCheck::kNotAFolderName},
      {"what?", GroupNameCheck::kNotAFolderName},
      {"a*", GroupNameCheck::kNotAFolderName},
      {"<a>", GroupNameCheck::kNotAFolderName},
      {"a|b", GroupNameCheck::kNotAFolderName},
      {"..", GroupNameCheck::kNotAFolderName},
      {". .", GroupNameCheck::kNotAFolderName},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(CheckGroupName(cases[i].name), cases[i].expected) << "row " << i << ": " << cases[i].name;
    bool refused = cases[i].expected != GroupNameCheck::kOk;
    EXPECT_EQ(std::string(GroupNameProblemText(cases[i].expected)).empty(), !refused) << "row " << i;
  }
}

TEST(GroupNameTest, OrdinaryTextsGoOnTheWireUnchangedOthersQuoted) {
  struct Case {
    std::string text;
    bool sendable;
    std::string wire;
  } cases[] = {
      {"Halvorn+ for Windows 95 - QIC", true, "Halvorn+ for Windows 95 - QIC"},
      {"Read Me", true, "Read Me"},
      {"Erbjudande om upgradering f\xF6r Halvorn+", true, "Erbjudande om upgradering f\xF6r Halvorn+"},
      {"Tape Setup; v2 & more!", true, "Tape Setup; v2 & more!"},
      {"Tools, old", true, "\"Tools, old\""},
      {"Tools (old)", true, "\"Tools (old)\""},
      {"x)][DeleteGroup(Accessories", true, "\"x)][DeleteGroup(Accessories\""},
      {"[a]", true, "\"[a]\""},
      {" lead", true, "\" lead\""},
      {"trail ", true, "\"trail \""},
      {"", true, "\"\""},
      {"a\"b", false, ""},
      {"a\nb", false, ""},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    DdeArgument arg = QuoteDdeArgument(cases[i].text);
    EXPECT_EQ(arg.sendable, cases[i].sendable) << "row " << i;
    EXPECT_EQ(arg.text, cases[i].wire) << "row " << i;
  }
}

// ---------------------------------------------------------------- command lines

TEST(GroupCommandLineTest, NotepadForTextFilesElseTheQuotedPath) {
  struct Case {
    const char* windowsDir;
    const char* installDir;
    const char* file;
    CommandLineCheck check;
    const char* text;
  } cases[] = {
      {"C:\\WINDOWS", "C:\\TAPE", "README.TXT", CommandLineCheck::kOk,
       "C:\\WINDOWS\\NOTEPAD.EXE \"C:\\TAPE\\README.TXT\""},
      {"C:\\WINDOWS", "C:\\TAPE", "HALVORN.EXE", CommandLineCheck::kOk, "\"C:\\TAPE\\HALVORN.EXE\""},
      {"C:\\WINDOWS", "C:\\Program Files\\Halvorn", "UNINSTAL.EXE", CommandLineCheck::kOk,
       "\"C:\\Program Files\\Halvorn\\UNINSTAL.EXE\""},
      // ".TXT" is looked for with case.
      {"C:\\WINDOWS", "C:\\TAPE", "notes.txt", CommandLineCheck::kOk, "\"C:\\TAPE\\notes.txt\""},
      // Quoted as a whole: a parenthesis in the path is harmless.
      {"C:\\WINDOWS", "C:\\Tape (old)", "HALVORN.EXE", CommandLineCheck::kOk,
       "\"C:\\Tape (old)\\HALVORN.EXE\""},
      // The Notepad form cannot be quoted as a whole.
      {"C:\\WINDOWS", "C:\\Tape (old)", "README.TXT", CommandLineCheck::kUnsendable,
       "C:\\WINDOWS\\NOTEPAD.EXE \"C:\\Tape (old)\\README.TXT\""},
      {"C:\\WINDOWS", "C:\\x)][DeleteGroup(Accessories)][", "README.TXT", CommandLineCheck::kUnsendable,
       "C:\\WINDOWS\\NOTEPAD.EXE \"C:\\x)][DeleteGroup(Accessories)][\\README.TXT\""},
      {"C:\\WIN,DOWS", "C:\\TAPE", "README.TXT", CommandLineCheck::kUnsendable,
       "C:\\WIN,DOWS\\NOTEPAD.EXE \"C:\\TAPE\\README.TXT\""},
      {"C:\\WINDOWS", "C:\\TA\"PE", "HALVORN.EXE", CommandLineCheck::kUnsendable,
       "\"C:\\TA\"PE\\HALVORN.EXE\""},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    ItemCommandLine line = FormItemCommandLine(cases[i].windowsDir, cases[i].installDir, cases[i].file);
    EXPECT_EQ(line.text, cases[i].text) << "row " << i;
    EXPECT_EQ(line.check, cases[i].check) << "row " << i;
  }
}

// The read-me's Notepad form with the directories' 8.3 forms: a path that
// holds a parenthesis, comma or bracket is carried quoted as a whole.
TEST(GroupCommandLineTest, ShortNotepadFormIsQuotedAsAWhole) {
  const struct {
    const char* windowsDir;
    const char* installDir;
    CommandLineCheck check;
    const char* text;
  } cases[] = {
      {"C:\\WINDOWS", "C:\\TAPE(N~1", CommandLineCheck::kOk,
       "\"C:\\WINDOWS\\NOTEPAD.EXE C:\\TAPE(N~1\\README.TXT\""},
      {"C:\\WINDOWS", "C:\\TAPE_N~1", CommandLineCheck::kOk, "C:\\WINDOWS\\NOTEPAD.EXE C:\\TAPE_N~1\\README.TXT"},
      {"C:\\WINDOWS", "C:\\x)][Del~1", CommandLineCheck::kOk,
       "\"C:\\WINDOWS\\NOTEPAD.EXE C:\\x)][Del~1\\README.TXT\""},
      // A blank or a double quote left: no form carries it.
      {"C:\\WINDOWS", "C:\\TAPE (new)", CommandLineCheck::kUnsendable, nullptr},
      {"C:\\WINDOWS", "C:\\TA\"PE", CommandLineCheck::kUnsendable, nullptr},
  };
  for (const auto& c : cases) {
    ItemCommandLine line = FormShortNotepadCommandLine(c.windowsDir, c.installDir, "README.TXT");
    EXPECT_EQ(line.check, c.check) << c.installDir;
    if (c.text != nullptr) {
      EXPECT_EQ(line.text, c.text);
    }
  }
  const std::string longDir = "C:\\" + std::string(259 - 37, 'd');
  EXPECT_EQ(FormShortNotepadCommandLine("C:\\WINDOWS", longDir, "README.TXT").check, CommandLineCheck::kOk);
  EXPECT_EQ(FormShortNotepadCommandLine("C:\\WINDOWS", longDir + "d", "README.TXT").check,
            CommandLineCheck::kTooLong);
}

TEST(GroupCommandLineTest, LongerThan259CharactersIsNotCut) {
  // C:\ + name + \README.TXT in quotes: 3 + n + 11 + 2 characters.
  std::string atLimit = "C:\\" + std::string(259 - 16, 'd');
  ItemCommandLine fits = FormItemCommandLine("C:\\WINDOWS", atLimit, "README.EXE");
  EXPECT_EQ(fits.text.size(), 259u);
  EXPECT_EQ(fits.check, CommandLineCheck::kOk);

  ItemCommandLine over = FormItemCommandLine("C:\\WINDOWS", atLimit + "d", "README.EXE");
  EXPECT_EQ(over.text.size(), 260u);
  EXPECT_EQ(over.check, CommandLineCheck::kTooLong);

  // Long Windows and install directories, each under their own limit.
  std::string windowsDir = "C:\\" + std::string(200, 'w');
  std::string installDir = "C:\\" + std::string(200, 'i');
  ItemCommandLine notepad = FormItemCommandLine(windowsDir, installDir, "README.TXT");
  EXPECT_EQ(notepad.check, CommandLineCheck::kTooLong);
  EXPECT_EQ(notepad.text, windowsDir + "\\NOTEPAD.EXE \"" + installDir + "\\README.TXT\"");
}

}  // namespace
}  // namespace groups
