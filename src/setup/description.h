// SETUP.DAT: the setup description file beside the program.
#pragma once

#include <string>
#include <vector>

#include "setup/state.h"

namespace setup {

// Results of ReadSetupDatFile and LoadSetupDescription.
constexpr int kDescriptionRead = 0;
constexpr int kDescriptionOpenFailed = 1;
constexpr int kDescriptionInvalid = 3;

// What the reader takes from the file's text.
struct DescriptionContent {
  DescriptionValues values;
  std::vector<std::string> fileList;
  int result = kDescriptionRead;
};

// Reads the text of a description file: 80-character line reads, the
// three-character key match, the last line of a key wins, file-list lines
// kept verbatim. Result 3 when a key is missing, a value is longer than its
// field, or the list holds more lines than the program keeps.
DescriptionContent ParseSetupDat(const std::string& text);

// Reads the description file of the run into the state; 1 when it cannot be
// opened, 3 when it is incomplete.
int ReadSetupDatFile(SetupState& state);

// Reads the description and derives the settings; shows the failure
// message itself. 0, 1 or 3.
int LoadSetupDescription(SetupState& state);

// Derivations shared with other code.
int LanguageFromCode(const std::string& lng);
// The file count from `fct`: an optional sign and the leading decimal
// digits; nothing readable gives 0. A negative count is kept as it is: the
// copy progress dialog takes it as a count it never reaches.
int FileCountFromValue(const std::string& fct);
void SetCompanyNames(SetupState& state);

}  // namespace setup
