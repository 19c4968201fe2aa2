// File-list lines, the disk table of one disk, and the request for the next
// disk, on a small in-memory machine of this file.
#include <gtest/gtest.h>
#include "support/fake_ui.h"
#include "support/null_machine.h"

#include <deque>
#include <map>

#include "install/file_list.h"
#include "install/install_text.h"
#include "text/text.h"

namespace install {
namespace {

using testsupport::Box;

// ---------------------------------------------------------------- fakes

// Files only: paths compared without regard to case; every file exists with
// a size. Nothing else of the file system is used by the code under test.
class ListFiles : public testsupport::NullFiles {
 public:
  std::map<std::string, std::uint64_t> sizes;  // upper-case path -> size
  void Add(const std::string& path, std::uint64_t size) { sizes[text::ToUpperAscii(path)] = size; }
  void Remove(const std::string& path) { sizes.erase(text::ToUpperAscii(path)); }
  std::vector<std::string> asked;

  std::uint32_t GetFileStatus(const std::string& path, platform::FileStatus* out) override {
    asked.push_back(path);
    auto it = sizes.find(text::ToUpperAscii(path));
    if (it == sizes.end()) return platform::err::kFileNotFound;
    out->size = it->second;
    out->attributes = platform::attr::kArchive;
    return platform::err::kSuccess;
  }
  platform::FileHandle Open(const std::string&, platform::OpenMode, std::uint32_t* e) override {
    *e = platform::err::kAccessDenied;
    return platform::kInvalidFile;
  }
};

class NoSystem : public testsupport::NullSystem {
 public:
  platform::OsVersion GetVersion() override { return {1, 4, 0, 950}; }
  std::string GetModuleFileName() override { return "A:\\SETUP.EXE"; }
  std::string GetCommandLine() override { return "A:\\SETUP.EXE"; }
  std::string GetWindowsDirectory() override { return "C:\\WINDOWS"; }
};

class FileListTest : public ::testing::Test {
 protected:
  static constexpr platform::WindowHandle kBackground = 0x132;
  static constexpr platform::WindowHandle kProgress = 0x135;

  FileListTest() {
    state.sourceDir = "A:";
    state.backgroundWindow = kBackground;
    state.fileCount = 20;
    state.values.prd = "Halvorn";
  }
  void List(std::initializer_list<const char*> lines) {
    for (const char* l : lines) state.fileList.push_back(std::string(l) + "\n");
  }

  NoSystem system;
  ListFiles files;
  testsupport::NullProfile profile;
  testsupport::NullRegistry registry;
  testsupport::NullLz lz;
  testsupport::FakeUi ui;
  testsupport::NullDde dde;
  platform::Machine machine{system, files, profile, registry, lz, ui, dde};
  setup::SetupState state{machine};
  // The table of an earlier disk, which every build must replace.
  DiskTable table{{DiskEntry{"POISON.0XA5", 0xA5A5A5A5u, "A5", "POISON", "POISON", -1}}, "POISON.0XA5"};
};

// ---------------------------------------------------------------- parsing

TEST(FileListLineTest, OptionsTable) {
  struct Case {
    const char* line;
    const char* name;
    const char* platform;
    const char* installName;
    const char* subDir;
    std::int32_t time;
  } cases[] = {
      {"README.TX_,/D1\n", "README.TX_", "", "", "", 0},
      {"A.EX_,/D2 /PNT /RB.EXE /T820454400 /XSUB\n", "A.EX_", "NT", "B.EXE", "SUB", 820454400},
      // Options in any order; values stop at the first blank or tab.
      {"A.EX_,/XDIR\tJUNK /T-5 /P95 /D1", "A.EX_", "95", "", "DIR", -5},
      {"A.EX_,/D1 /Tabc", "A.EX_", "", "", "", 0},
      {"A.EX_,/D1 /T+12x", "A.EX_", "", "", "", 12},
      {"A.EX_,/D1 /T99999999999", "A.EX_", "", "", "", INT32_MAX},
      {"A.EX_,/D1 /T-99999999999", "A.EX_", "", "", "", INT32_MIN},
      // The first occurrence counts; an empty value is empty.
      {"A.EX_,/D1 /RFIRST /RSECOND /X", "A.EX_", "", "FIRST", "", 0},
      // The name is taken as it stands, up to the first comma.
      {" A B,C,/D1", " A B", "", "", "", 0},
      {"A.EX_,/D1 /XMY DIR", "A.EX_", "", "", "MY", 0},
  };
  for (const Case& c : cases) {
    FileListLine p = ParseFileListLine(c.line);
    EXPECT_TRUE(p.hasComma) << c.line;
    EXPECT_EQ(p.name, c.name) << c.line;
    EXPECT_EQ(p.platform, c.platform) << c.line;
    EXPECT_EQ(p.installName, c.installName) << c.line;
    EXPECT_EQ(p.subDir, c.subDir) << c.line;
    EXPECT_EQ(p.timeStamp, c.time) << c.line;
  }
  EXPECT_FALSE(ParseFileListLine("NOCOMMA /D1").hasComma);
}

TEST(FileListLineTest, HostileAndOversizedLinesAreRefused) {
  const char* refused[] = {
      "NOCOMMA /D1",
      ",/D1",
      "..,/D1",
      "...,/D1",
      "..\\EVIL.EXE,/D1",
      "SUB\\A.EXE,/D1",
      "C:EVIL.EXE,/D1",
      "\\EVIL.EXE,/D1",
      "/EVIL.EXE,/D1",
      "A*.EXE,/D1",
      "CON,/D1",
      "nul.txt,/D1",
      "COM1.EXE,/D1",
      "ABCDEFGHI.EXE,/D1",  // 13 characters
      "A.EXE,/D1 /R..",
      "A.EXE,/D1 /R..\\..\\WIN.INI",
      "A.EXE,/D1 /RC:\\AUTOEXEC.BAT",
      "A.EXE,/D1 /R\\A.EXE",
      "A.EXE,/D1 /RD:A.EXE",
      "A.EXE,/D1 /RLPT1",
      "A.EXE,/D1 /RABCDEFGHI.EXE",
      "A.EXE,/D1 /X..",
      "A.EXE,/D1 /XSUB\\..\\..",
      "A.EXE,/D1 /X\\WINDOWS",
      "A.EXE,/D1 /XC:\\WINDOWS",
      "A.EXE,/D1 /XC:",
      "A.EXE,/D1 /XSUB\\",
      "A.EXE,/D1 /XA\\\\B",
      "A.EXE,/D1 /XA/B",
      "A.EXE,/D1 /X.",
      "A.EXE,/D1 /XAUX",
      ("A.EXE,/D1 /X" "0123456789012345678901234567890123456789012345678901234567890123"),  // 64
      "A.EXE,/D1 /P95NT",
  };
  for (const char* line : refused) {
    EXPECT_FALSE(CheckFileListLine(ParseFileListLine(line)).empty()) << line;
  }
  const char* accepted[] = {
      "ABCDEFGH.EXE,/D1",  // 12 characters
      "A.EXE,/D1 /RUNINSTAL.EXE /XSUB\\DEEPER /PNT /T0",
      ("A.EXE,/D1 /X" "012345678901234567890123456789012345678901234567890123456789012"),  // 63
      "CONFIG.EX_,/D1 /XCOMMON",  // device names only as whole base names
      "A.EXE,/D1 /X..X",
  };
  for (const char* line : accepted) {
    EXPECT_EQ(CheckFileListLine(ParseFileListLine(line)), "") << line;
  }
}

// ---------------------------------------------------------------- disk table

TEST_F(FileListTest, TakesTheLinesOfItsDiskWithTheirValues) {
  List({"SETUP.DAT,/D1", "DISK.001,/D1", "A.EX_,/D1 /PNT /RB.EXE /T7 /XSUB", "C.DL_,/D2",
        "WNASPI32.DLL,/D1", "D.TX_,/D1"});
  for (const char* f : {"A:\\SETUP.DAT", "A:\\DISK.001", "A:\\A.EX_", "A:\\WNASPI32.DLL", "A:\\D.TX_"}) {
    files.Add(f, 12000);
  }
  ASSERT_EQ(BuildDiskTable(state, 1, &table), 3);
  EXPECT_EQ(table.entries[0].sourceName, "SETUP.DAT");
  const DiskEntry& a = table.entries[1];
  EXPECT_EQ(a.sourceName, "A.EX_");
  EXPECT_EQ(a.sourceSize, 12000u);
  EXPECT_EQ(a.platform, "NT");
  EXPECT_EQ(a.installName, "B.EXE");
  EXPECT_EQ(a.subDir, "SUB");
  EXPECT_EQ(a.timeStamp, 7);
  EXPECT_EQ(table.entries[2].sourceName, "D.TX_");
  EXPECT_EQ(table.lastEntryName, "D.TX_");
  // WNASPI32.DLL lowers the count; the identification file does not.
  EXPECT_EQ(state.fileCount, 19);
  EXPECT_TRUE(ui.boxes.empty());
  // Disk 2's file is not looked for while disk 1 is built.
  for (const std::string& p : files.asked) EXPECT_NE(p, "A:\\C.DL_");
}

TEST_F(FileListTest, ExcludedNamesLowerTheCountOncePerName) {
  List({"APIX.VXD,/D1", "ASPIENUM.VXD,/D1", "WINASPI.DLL,/D1", "1WINASPI.DLL,/D1", "DISK.001,/D1",
        "MYDISK.002,/D1"});
  for (const char* f : {"APIX.VXD", "ASPIENUM.VXD", "WINASPI.DLL", "1WINASPI.DLL", "DISK.001", "MYDISK.002"}) {
    files.Add(std::string("A:\\") + f, 1);
  }
  EXPECT_EQ(BuildDiskTable(state, 1, &table), 0);
  EXPECT_EQ(state.fileCount, 16);
  EXPECT_TRUE(table.lastEntryName.empty());
}

TEST_F(FileListTest, MissingListedFileStopsTheDisk) {
  // The test comes before the exclusions: a missing identification file
  // stops the disk too.
  List({"A.EXE,/D1", "DISK.001,/D1", "B.EXE,/D1"});
  files.Add("A:\\A.EXE", 1);
  files.Add("A:\\B.EXE", 1);
  EXPECT_EQ(BuildDiskTable(state, 1, &table), kDiskTableFailed);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Listed file DISK.001 not found! Exiting.");
  EXPECT_EQ(ui.boxes[0].caption, "Program Error");
  EXPECT_EQ(ui.boxes[0].flags, platform::mb::kOk | platform::mb::kIconInformation);
  EXPECT_EQ(ui.boxes[0].owner, kBackground);
}

TEST_F(FileListTest, DiskTagIsASubstringTest) {
  // As designed, "/D1" is also found inside "/D10"; disks run from 1 to 9.
  List({"A.EXE,/D10", "B.EXE,/D2"});
  files.Add("A:\\A.EXE", 1);
  EXPECT_EQ(BuildDiskTable(state, 1, &table), 1);
  EXPECT_EQ(table.entries[0].sourceName, "A.EXE");
}

TEST_F(FileListTest, EmptyListGivesAnEmptyTable) {
  table.entries.push_back({});
  EXPECT_EQ(BuildDiskTable(state, 1, &table), 0);
  EXPECT_TRUE(table.entries.empty());
}

TEST_F(FileListTest, HostileLineRefusesTheDisk) {
  List({"GOOD.EXE,/D1", "EVIL.EXE,/D1 /R..\\..\\WIN.INI", "LATER.EXE,/D1"});
  files.Add("A:\\GOOD.EXE", 1);
  files.Add("A:\\EVIL.EXE", 1);
  files.Add("A:\\LATER.EXE", 1);
  EXPECT_EQ(BuildDiskTable(state, 1, &table), kDiskTableFailed);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "Program Error");
  EXPECT_NE(ui.boxes[0].text.find("EVIL.EXE,/D1 /R..\\..\\WIN.INI"), std::string::npos);
  EXPECT_EQ(ui.boxes[0].owner, kBackground);
  EXPECT_EQ(ui.boxes[0].flags & platform::mb::kIconMask, platform::mb::kIconError);
}

TEST_F(FileListTest, MoreThanHundredFilesOnADiskAreRefused) {
  for (int i = 0; i < 101; ++i) {
    std::string name = "F" + std::to_string(i) + ".EXE";
    state.fileList.push_back(name + ",/D1\n");
    files.Add("A:\\" + name, 1);
  }
  EXPECT_EQ(BuildDiskTable(state, 1, &table), kDiskTableFailed);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_NE(ui.boxes[0].text.find("F100.EXE"), std::string::npos);

  state.fileList.pop_back();
  ui.boxes.clear();
  EXPECT_EQ(BuildDiskTable(state, 1, &table), 100);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileListTest, EndOfDiskTest) {
  table.lastEntryName = "Last.Ex_";
  EXPECT_TRUE(DiskFinished(table, "LAST.EX_", 1, 2));
  EXPECT_FALSE(DiskFinished(table, "LAST.EX_", 2, 2));  // no further disk due
  EXPECT_FALSE(DiskFinished(table, "OTHER.EX_", 1, 3));
}

// ---------------------------------------------------------------- disk request

TEST_F(FileListTest, WrongDiskThenRightOne) {
  // The first insert prompt is answered with the wrong disk in the drive;
  // after "Disk Error" the user inserts the right one.
  int prompts = 0;
  ui.onBox = [&](const Box& b) {
    if (b.caption == "Next Diskette Needed" && ++prompts == 2) files.Add("A:\\DISK.002", 1);
  };
  ui.answers = {platform::answer::kOk, platform::answer::kOk, platform::answer::kOk};
  EXPECT_EQ(RequestDisk(state, 2, kProgress), kDiskInPlace);
  ASSERT_EQ(ui.boxes.size(), 3u);
  EXPECT_EQ(ui.boxes[0].text, "Please insert disk #2");
  EXPECT_EQ(ui.boxes[0].caption, "Next Diskette Needed");
  EXPECT_EQ(ui.boxes[0].flags, platform::mb::kOk | platform::mb::kIconInformation);
  EXPECT_EQ(ui.boxes[1].caption, "Disk Error");
  EXPECT_EQ(ui.boxes[1].text, "Disk error or wrong disk inserted.\nDo you want to try again?");
  EXPECT_EQ(ui.boxes[1].flags, platform::mb::kOkCancel | platform::mb::kIconQuestion);
  EXPECT_EQ(ui.boxes[2].caption, "Next Diskette Needed");
  for (const Box& b : ui.boxes) EXPECT_EQ(b.owner, kProgress);
}

TEST_F(FileListTest, CancelOnDiskErrorGivesUp) {
  ui.answers = {platform::answer::kOk, platform::answer::kCancel};
  EXPECT_EQ(RequestDisk(state, 3, kProgress), kDiskGivenUp);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, "Please insert disk #3");
  EXPECT_EQ(ui.boxes[1].caption, "Disk Error");
}

TEST_F(FileListTest, InsertPromptInTheSetupLanguage) {
  state.language = 1;
  files.Add("A:\\DISK.002", 1);
  EXPECT_EQ(RequestDisk(state, 2, kProgress), kDiskInPlace);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Legen Sie Diskette #2 ein");
}

TEST(FillPlaceholderTest, FillsOnlyTheFirstPlaceholder) {
  EXPECT_EQ(FillPlaceholder("a %s b %s %d %%", "X"), "a X b %s %d %");
  EXPECT_EQ(FillPlaceholder("#%d.", "7"), "#7.");
  EXPECT_EQ(FillPlaceholder("100%", "7"), "100%");
}

}  // namespace
}  // namespace install
