// The texts of the Program Manager conversation: the group list it sends,
// the arguments and command lines setup sends it, and which group names
// can be sent at all.
//
// Program Manager reads an execute text as commands in square brackets,
// arguments in parentheses separated by commas. An argument that is not in
// double quotes ends at the next comma, parenthesis or bracket, so a name
// holding one of them would end early and the rest of it would be read as
// more commands: "x)][DeleteGroup(Accessories" sent as a group name would
// delete the group Accessories. An argument in double quotes runs to the
// next double quote, and there is no way to put a double quote inside one.
// So setup sends every name that Program Manager would read as it stands
// unchanged, quotes the ones holding a comma, parenthesis or bracket, and
// refuses the few that no quoting can carry (see CheckGroupName).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace groups {

// ---------------------------------------------------------------- group list

// Splits the reply to the "Groups" request into group names, in the order
// sent. The reply is a CF_TEXT block: it ends at its first zero byte (or at
// its size when it has none). It is split at line feeds and empty pieces
// are skipped, so CR LF lines, LF-only lines, empty lines and a last line
// without a line end all give their names. Each piece is cut at its last
// carriage return; a piece that is then empty gives no name. Names are kept
// whole (a name of 300 characters stays 300 characters) and as bytes
// (Windows-1252, nothing converted, no case changed). The work is linear in
// the size of the reply, so a reply of several megabytes is read in one
// pass; every name in it is returned.
std::vector<std::string> ParseGroupList(const std::string& reply);

// ---------------------------------------------------------------- group names

enum class GroupNameCheck {
  kOk,
  kEmpty,
  kHoldsQuote,       // a double quote: no argument form can carry it
  kHoldsControl,     // a byte below 0x20 (tab, line break, zero)
  kNotAFolderName,   // \ / : * ? < > |, or dots and blanks only
};

// Whether `name` can be sent as a group name. A name holding a comma,
// parenthesis or bracket is fine: it is sent quoted. Refused: a double
// quote or a control character (Program Manager would read the command
// differently, or the group list could not give the name back), and what
// cannot be a folder name on Windows 95, 98 and NT, whose shells keep each
// group as a folder: the characters \ / : * ? < > | would name another
// folder (a group "..\.." would be the Start Menu's parent), as would a
// name of dots and blanks only.
GroupNameCheck CheckGroupName(const std::string& name);

// The message for a refused name (English, for a message box); empty for
// kOk.
const char* GroupNameProblemText(GroupNameCheck check);

// ---------------------------------------------------------------- arguments

// A text as one argument of a command.
struct DdeArgument {
  bool sendable = false;  // false: no form carries it (a double quote or control character)
  std::string text;       // the text to put between the parentheses
};

// Leaves a text unchanged when Program Manager reads it as it stands;
// puts it in double quotes when it holds a comma, a parenthesis or a
// bracket, starts or ends with a blank (which an unquoted argument loses),
// or is empty.
DdeArgument QuoteDdeArgument(const std::string& text);

// ---------------------------------------------------------------- command lines

// The most characters an item's command line may hold.
constexpr std::size_t kMaxCommandLine = 259;

enum class CommandLineCheck {
  kOk,
  kTooLong,    // over kMaxCommandLine characters
  kUnsendable  // the Notepad form holds a comma, parenthesis or bracket, or a
               // path holds a double quote or control character
};

struct ItemCommandLine {
  CommandLineCheck check = CommandLineCheck::kOk;
  std::string text;  // as sent: it is already in the form Program Manager reads
};

// The command line of an item: for a file name containing ".TXT" Notepad
// of the Windows directory with the quoted path of the file
// (C:\WINDOWS\NOTEPAD.EXE "C:\TAPE\README.TXT"), else the quoted path of
// the file ("C:\TAPE\HALVORN.EXE"). A command line longer than 259
// characters is not cut (it would name another file): it is marked too
// long and the item is not added. The Notepad form cannot be quoted as a
// whole (it holds double quotes), so when a directory in it holds a comma,
// parenthesis or bracket it is marked unsendable, and that item is not
// added either.
ItemCommandLine FormItemCommandLine(const std::string& windowsDir, const std::string& installDir,
                                    const std::string& fileName);

// The Notepad form for the 8.3 forms of the Windows and install
// directories, used when FormItemCommandLine marks the usual form
// unsendable (C:\TAPE (new)): without blanks the file's path needs no
// double quotes of its own, so the whole command line can be sent as one
// quoted argument, which may hold commas, parentheses and brackets
// ("C:\WINDOWS\NOTEPAD.EXE C:\TAPE(N~1\README.TXT"). Unsendable when a
// path or the file name still holds a blank, a double quote or a control
// character; too long over kMaxCommandLine characters (without the
// quotes).
ItemCommandLine FormShortNotepadCommandLine(const std::string& shortWindowsDir,
                                            const std::string& shortInstallDir,
                                            const std::string& fileName);

}  // namespace groups
