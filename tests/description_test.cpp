// Reading SETUP.DAT: key lines, the 80-character reads, the file list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/description.h"

namespace setup {
namespace {

const char* const kKeys =
    "[Setup]\r\n"
    "mct = 2\r\n"
    "fct = 40\r\n"
    "lng = ENG\r\n"
    "prd = Halvorn\r\n"
    "aux = N\r\n"
    "ver = 7.0\r\n"
    "plt = 95/NT\r\n"
    "ifc = QIC\r\n";

TEST(ParseSetupDat, ReadsAllKeysAndKeepsFileListLinesVerbatim) {
  std::string text = std::string(kKeys) +
                     "[Filelist]\r\n"
                     "HALVORN.EX_,/D1 /T820454400\r\n"
                     "; a comment\r\n"
                     "\r\n"
                     "DRIVER.VXD,/D2 /P95\r\n";
  DescriptionContent c = ParseSetupDat(text);
  EXPECT_EQ(c.result, kDescriptionRead);
  EXPECT_EQ(c.values.mct, "2");
  EXPECT_EQ(c.values.fct, "40");
  EXPECT_EQ(c.values.prd, "Halvorn");
  EXPECT_EQ(c.values.plt, "95/NT");
  ASSERT_EQ(c.fileList.size(), 2u);
  // Kept as read in text mode: the line feed stays, the carriage return goes.
  EXPECT_EQ(c.fileList[0], "HALVORN.EX_,/D1 /T820454400\n");
  EXPECT_EQ(c.fileList[1], "DRIVER.VXD,/D2 /P95\n");
}

struct KeyCase {
  const char* name;
  std::string line;     // replaces the prd line
  int result;
  std::string prd;
};

class KeyLines : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyLines, ValueAndResult) {
  const KeyCase& k = GetParam();
  std::string text = kKeys;
  std::size_t at = text.find("prd = Halvorn\r\n");
  text.replace(at, std::string("prd = Halvorn\r\n").size(), k.line);
  DescriptionContent c = ParseSetupDat(text);
  EXPECT_EQ(c.result, k.result);
  if (k.result == kDescriptionRead) {
    EXPECT_EQ(c.values.prd, k.prd);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeyLines,
    ::testing::Values(
        KeyCase{"BlanksAroundValue", "prd =    Ostrilk   \t \r\n", kDescriptionRead, "Ostrilk"},
        KeyCase{"NoBlanks", "prd=Quivvel\r\n", kDescriptionRead, "Quivvel"},
        KeyCase{"KeyIgnoresCase", "PRD=Trevanix\r\n", kDescriptionRead, "Trevanix"},
        KeyCase{"OnlyThreeCharactersCompared", "prduct = Pellidor\r\n", kDescriptionRead,
                "Pellidor"},
        KeyCase{"LastLineWins", "prd = First\r\nprd = Second\r\n", kDescriptionRead, "Second"},
        KeyCase{"ValueAfterFirstEquals", "prd = A=B\r\n", kDescriptionRead, "A=B"},
        KeyCase{"EmptyValueStillFound", "prd =\r\n", kDescriptionRead, ""},
        KeyCase{"MissingKey", "", kDescriptionInvalid, ""},
        KeyCase{"KeyWithoutEqualsDoesNotCount", "prd Halvorn\r\n", kDescriptionInvalid, ""},
        KeyCase{"ValueLongerThanField", "prd = ABCDEFGHIJKLMNOP\r\n", kDescriptionInvalid, ""},
        KeyCase{"ValueExactlyFillsField", "prd = ABCDEFGHIJKLMNO\r\n", kDescriptionRead,
                "ABCDEFGHIJKLMNO"},
        KeyCase{"OverlongValueReplacedByLaterLine", "prd = ABCDEFGHIJKLMNOPQRS\r\nprd = Ok\r\n",
                kDescriptionRead, "Ok"},
        KeyCase{"KeyIndentedIsNotAKey", " prd = Halvorn\r\n", kDescriptionInvalid, ""},
        KeyCase{"NulEndsTheLine", std::string("prd = Hal\0vorn\r\n", 16), kDescriptionRead,
                "Hal"},
        // Read as text, the file ends at a Ctrl-Z: the keys after it are
        // missing.
        KeyCase{"CtrlZEndsTheText", "prd = Hal\x1a" "vorn\r\n", kDescriptionInvalid, ""}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

TEST(ParseSetupDat, KeysAfterFilelistDoNotCount) {
  std::string text = "[Filelist]\r\n" + std::string(kKeys);
  EXPECT_EQ(ParseSetupDat(text).result, kDescriptionInvalid);
}

TEST(ParseSetupDat, EmptyAndBinaryInputsAreInvalidNotFatal) {
  EXPECT_EQ(ParseSetupDat("").result, kDescriptionInvalid);
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary.push_back(static_cast<char>((i * 37) & 0xFF));
  EXPECT_EQ(ParseSetupDat(binary).result, kDescriptionInvalid);
}

TEST(ParseSetupDat, LongLinesAreReadIn79CharacterPieces) {
  // A key line whose value runs past 79 characters: only the first read is
  // the key line; the rest is a separate line that is ignored.
  std::string longList(100, 'X');
  std::string text = std::string(kKeys) + "[Filelist]\r\n" + "A.EXE,/D1 " + longList +
                     " /D1\r\n";
  DescriptionContent c = ParseSetupDat(text);
  ASSERT_EQ(c.result, kDescriptionRead);
  // 110 + 4 characters and a line feed: pieces of 79 and 36 characters;
  // both hold "/D".
  ASSERT_EQ(c.fileList.size(), 2u);
  EXPECT_EQ(c.fileList[0].size(), 79u);
  EXPECT_EQ(c.fileList[1], std::string(31, 'X') + " /D1\n");
}

TEST(ParseSetupDat, SecondPieceWithoutDiskOptionIsDropped) {
  std::string text = std::string(kKeys) + "[Filelist]\r\n" + "A.EXE,/D1 " +
                     std::string(90, 'Y') + "\r\n";
  DescriptionContent c = ParseSetupDat(text);
  ASSERT_EQ(c.fileList.size(), 1u);
  EXPECT_EQ(c.fileList[0].substr(0, 10), "A.EXE,/D1 ");
}

TEST(ParseSetupDat, SecondFilelistHeaderIsNeverKept) {
  std::string text = std::string(kKeys) + "[Filelist]\r\nA,/D1\r\n[Filelist] /D1\r\n";
  DescriptionContent c = ParseSetupDat(text);
  ASSERT_EQ(c.fileList.size(), 1u);
  EXPECT_EQ(c.fileList[0], "A,/D1\n");
}

TEST(ParseSetupDat, MoreFileListLinesThanKeptIsRefused) {
  std::string text = std::string(kKeys) + "[Filelist]\r\n";
  for (int i = 0; i < 499; ++i) text += "F" + std::to_string(i) + ".DAT,/D1\r\n";
  EXPECT_EQ(ParseSetupDat(text).result, kDescriptionRead);
  text += "ONEMORE.DAT,/D1\r\n";
  DescriptionContent c = ParseSetupDat(text);
  EXPECT_EQ(c.result, kDescriptionInvalid);
  EXPECT_EQ(c.fileList.size(), 499u);
}

TEST(ParseSetupDat, CtrlZAfterTheListEndsIt) {
  // As an old editor leaves a file: a Ctrl-Z after the last line, and
  // whatever follows it is not part of the text.
  std::string text = std::string(kKeys) + "[Filelist]\r\nA.EXE,/D1\r\nB.EXE,/D1\x1a" +
                     "C.EXE,/D1\r\n";
  DescriptionContent c = ParseSetupDat(text);
  ASSERT_EQ(c.result, kDescriptionRead);
  EXPECT_EQ(c.fileList, (std::vector<std::string>{"A.EXE,/D1\n", "B.EXE,/D1"}));
  // A carriage return just before the Ctrl-Z has no line feed to join.
  c = ParseSetupDat(std::string(kKeys) + "[Filelist]\r\nA.EXE,/D1\r\x1a\n");
  EXPECT_EQ(c.fileList, std::vector<std::string>{"A.EXE,/D1\r"});
}

TEST(FileCountFromValue, SignAndLeadingDigits) {
  struct {
    const char* fct;
    int count;
  } cases[] = {{"40", 40}, {"007", 7}, {"12x", 12}, {"x12", 0}, {"", 0},   {"-5", -5},
               {"+3", 3},  {"-", 0},   {"--1", 0},  {"- 1", 0}, {"999", 999}};
  for (const auto& c : cases) EXPECT_EQ(FileCountFromValue(c.fct), c.count) << "fct=" << c.fct;
}

TEST(LanguageFromCode, LastMatchingTestWins) {
  struct {
    const char* code;
    int language;
  } cases[] = {{"ENG", 0}, {"GER", 1}, {"FRE", 2}, {"SWE", 3}, {"BRI", 4}, {"SPA", 5},
               {"ITA", 6}, {"POR", 7}, {"ger", 0}, {"XYZ", 0}, {"", 0},     {"ENGGER", 1},
               {"PORENG", 7}};
  for (const auto& c : cases) EXPECT_EQ(LanguageFromCode(c.code), c.language) << c.code;
}

}  // namespace
}  // namespace setup
