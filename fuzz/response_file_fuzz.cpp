// Fuzz target: the response file of an unattended run, as ParseResponseText
// reads its bytes. What must hold:
// - a refused text leaves the answers as they were and says why, with its
//   line number when a line is to blame;
// - an accepted text holds no control byte other than tab, CR before LF
//   (or at the end) and LF, is
//   at most 16 KB, and its install directory and group name fit their
//   limits;
// - accepted answers, formatted and read again, are the same answers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "setup/response_file.h"
#include "ui/directory_rules.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

bool Same(const setup::Answers& a, const setup::Answers& b) {
  return a.installDir == b.installDir && a.groupName == b.groupName &&
         a.licenseAccepted == b.licenseAccepted && a.reconfigureTape == b.reconfigureTape &&
         a.disableQic117 == b.disableQic117 && a.restart == b.restart &&
         a.showReadme == b.showReadme && a.completeRemoval == b.completeRemoval;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  setup::Answers answers;
  answers.groupName = "\x01untouched";
  const std::string problem = setup::ParseResponseText(text, &answers);
  if (!problem.empty()) {
    if (answers.groupName != "\x01untouched") Fail();
    return 0;
  }
  if (size > setup::kMaxResponseFileSize) Fail();
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char c = data[i];
    if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F) Fail();
    if (c == '\r' && i + 1 < size && data[i + 1] != '\n') Fail();
  }
  if (answers.installDir.size() > ui::kMaxInstallDirLength ||
      answers.groupName.size() > setup::kMaxGroupNameLength)
    Fail();
  // Values that start or end with blanks, or hold line breaks, cannot be
  // written back as they are; the rest must read back the same.
  for (const std::string* v : {&answers.installDir, &answers.groupName}) {
    if (!v->empty() && (v->front() == ' ' || v->back() == ' ' || v->front() == '\t' ||
                        v->back() == '\t' || v->front() == '"' || v->back() == '"'))
      return 0;
  }
  setup::Answers again;
  if (!setup::ParseResponseText(setup::FormatResponseText(answers), &again).empty()) Fail();
  if (!Same(answers, again)) Fail();
  return 0;
}
