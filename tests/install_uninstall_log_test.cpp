// The uninstall log: the writer of the copy engine and the reader of the
// uninstaller, on the in-memory files of tests/support/memory_files.h.
#include <gtest/gtest.h>
#include "support/fake_ui.h"
#include "support/memory_files.h"
#include "support/null_machine.h"

#include <map>

#include "install/uninstall_log.h"
#include "text/text.h"

namespace install {
namespace {

class UninstallLogTest : public ::testing::Test {
 protected:
  UninstallLogTest() {
    state.uninstallDir = "C:\\TAPE";
    state.windowsDir = "C:\\WINDOWS";
    // The installed SETUP.DAT's list: what the product puts outside its
    // directory (a compressed name, one with "_" appended, one renamed).
    state.fileList = {"LFNBK.EX_,/D1\r\n", "QTAPE.VX_,/D1\r\n", "ZEMAQW.VXD_,/D1 /T820454400\r\n",
                      "ZTAPE.BIN,/D2 /RZTAPEW.VXD /XSUB\r\n", "HALVORN.EXE,/D1\r\n"};
  }

  testsupport::NullParts unused;  // nothing but files and message boxes is used
  testsupport::MemoryFiles files;
  testsupport::FakeUi ui;
  platform::Machine machine{unused, files, unused, unused, unused, ui, unused};
  setup::SetupState state{machine};
};

// ---------------------------------------------------------------- writer

TEST_F(UninstallLogTest, WriterReplacesAnEarlierLogAndEndsEveryLineWithCrLf) {
  files.PutFile("C:\\TAPE\\UNINST.LST", "C:\\OLD\\FILE.EXE\r\n");
  UninstallLog log;
  ASSERT_EQ(OpenUninstallLog(files, "C:\\TAPE", &log), 0u);
  EXPECT_EQ(log.path, "C:\\TAPE\\UNINST.LST");
  EXPECT_EQ(files.Data("C:\\TAPE\\UNINST.LST"), "");
  EXPECT_EQ(LogInstalledFile(log, "C:\\TAPE\\A.EXE"), 0u);
  EXPECT_EQ(LogInstalledFile(log, "C:\\WINDOWS\\SYSTEM\\B.VXD"), 0u);
  CloseUninstallLog(log);
  EXPECT_EQ(files.Data("C:\\TAPE\\UNINST.LST"), "C:\\TAPE\\A.EXE\r\nC:\\WINDOWS\\SYSTEM\\B.VXD\r\n");
  EXPECT_EQ(files.OpenHandles(), 0u);
  // Logging after closing is refused, not written anywhere.
  EXPECT_NE(LogInstalledFile(log, "C:\\TAPE\\C.EXE"), 0u);
}

TEST_F(UninstallLogTest, WriterReportsFailures) {
  UninstallLog log;
  files.failCreate = true;
  EXPECT_EQ(OpenUninstallLog(files, "C:\\TAPE", &log), platform::err::kAccessDenied);
  EXPECT_FALSE(log.IsOpen());
  CloseUninstallLog(log);  // harmless

  files.failCreate = false;
  ASSERT_EQ(OpenUninstallLog(files, "C:\\TAPE", &log), 0u);
  files.failWrites = true;
  EXPECT_EQ(LogInstalledFile(log, "C:\\TAPE\\A.EXE"), platform::err::kDiskFull);
  CloseUninstallLog(log);
}

// ---------------------------------------------------------------- reader

TEST_F(UninstallLogTest, ReaderDeletesEveryListedFileAndThenTheLog) {
  files.PutFile("C:\\TAPE\\A.EXE", "a");
  files.PutFile("C:\\TAPE\\SUB\\B.DLL", "b");
  files.PutFile("C:\\WINDOWS\\LFNBK.EXE", "c");
  files.PutFile("C:\\TAPE\\USER.DOC", "mine");
  // LF alone is accepted; the last line has no line end.
  files.PutFile("C:\\TAPE\\UNINST.LST", "C:\\TAPE\\A.EXE\r\nC:\\TAPE\\SUB\\B.DLL\nC:\\WINDOWS\\LFNBK.EXE");
  RemoveLoggedFiles(state);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.EXE"));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\SUB\\B.DLL"));
  EXPECT_FALSE(files.IsFile("C:\\WINDOWS\\LFNBK.EXE"));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\UNINST.LST"));
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\USER.DOC"));
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(files.OpenHandles(), 0u);
}

TEST_F(UninstallLogTest, EmptyLogDeletesOnlyItself) {
  files.PutFile("C:\\TAPE\\A.EXE", "a");
  files.PutFile("C:\\TAPE\\UNINST.LST", "");
  RemoveLoggedFiles(state);
  EXPECT_EQ(files.deleted, std::vector<std::string>{"C:\\TAPE\\UNINST.LST"});
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\A.EXE"));
}

TEST_F(UninstallLogTest, DuplicateLineSecondDeletionFailsSilently) {
  files.PutFile("C:\\TAPE\\A.EXE", "a");
  files.PutFile("C:\\TAPE\\UNINST.LST", "C:\\TAPE\\A.EXE\r\nC:\\TAPE\\A.EXE\r\n");
  RemoveLoggedFiles(state);
  EXPECT_EQ(files.deleted,
            (std::vector<std::string>{"C:\\TAPE\\A.EXE", "C:\\TAPE\\A.EXE", "C:\\TAPE\\UNINST.LST"}));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.EXE"));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(UninstallLogTest, LongLineIsOnePathNeverPieces) {
  // A reader taking 79 characters at a time would take the first piece of
  // this line for the path of another file and delete it.
  const std::string first = "C:\\TAPE\\" + std::string(71, 'A');
  ASSERT_EQ(first.size(), 79u);
  const std::string longPath = first + "\\KEEP.TXT";
  const std::string veryLong = "C:\\TAPE\\" + std::string(2000, 'B');
  files.PutFile(first, "keep");
  files.PutFile(longPath, "x");
  files.PutFile(veryLong, "y");
  files.PutFile("C:\\TAPE\\UNINST.LST", longPath + "\r\n" + veryLong + "\r\nC:\\TAPE\\LAST.EXE\r\n");
  files.PutFile("C:\\TAPE\\LAST.EXE", "z");
  RemoveLoggedFiles(state);
  EXPECT_TRUE(files.IsFile(first));
  EXPECT_FALSE(files.IsFile(longPath));
  EXPECT_FALSE(files.IsFile(veryLong));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\LAST.EXE"));
  EXPECT_EQ(files.deleted.size(), 4u);
}

TEST_F(UninstallLogTest, MissingLogIsReportedAndNothingDeleted) {
  files.PutFile("C:\\TAPE\\A.EXE", "a");
  RemoveLoggedFiles(state);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].owner, platform::kNoWindow);
  EXPECT_EQ(ui.boxes[0].text, "C:\\TAPE\\UNINST.LST");
  EXPECT_EQ(ui.boxes[0].caption, "Can't find file...");
  EXPECT_EQ(ui.boxes[0].flags & platform::mb::kIconMask, platform::mb::kIconError);
  EXPECT_TRUE(files.deleted.empty());
}

TEST_F(UninstallLogTest, LinesThatAreNotFullPathsArePassedOver) {
  // The line with a zero byte ends there, as a C string would.
  const char raw[] =
      "A.EXE\r\n..\\B.EXE\r\nC:\\TAPE\\..\\..\\AUTOEXEC.BAT\r\nC:REL.EXE\r\n\r\n"
      "C:\\TAPE\\OK.EXE\0C:\\OTHER.EXE\r\n";
  files.PutFile("C:\\TAPE\\UNINST.LST", std::string(raw, sizeof raw - 1));
  files.PutFile("C:\\TAPE\\OK.EXE", "ok");
  RemoveLoggedFiles(state);
  EXPECT_EQ(files.deleted, (std::vector<std::string>{"C:\\TAPE\\OK.EXE", "C:\\TAPE\\UNINST.LST"}));
}

// Which log lines are deleted, and as which path: the decision is taken on
// the path as Windows resolves it, never on its spelling.
struct LoggedLine {
  const char* name;
  const char* line;
  const char* deleted;  // the path deleted, or null when the line is passed over
};

class LoggedLineTest : public UninstallLogTest, public ::testing::WithParamInterface<LoggedLine> {};

TEST_P(LoggedLineTest, IsDeletedOnlyWhereTheCopyEngineWrites) {
  const LoggedLine& c = GetParam();
  files.PutFile("C:\\TAPE\\UNINST.LST", std::string(c.line) + "\r\n");
  RemoveLoggedFiles(state);
  std::vector<std::string> expected;
  if (c.deleted != nullptr) expected.push_back(c.deleted);
  expected.push_back("C:\\TAPE\\UNINST.LST");
  EXPECT_EQ(files.deleted, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoggedLineTest,
    ::testing::Values(
        // An install directory typed with a trailing backslash gives lines
        // with a doubled one.
        LoggedLine{"DoubledBackslash", "C:\\TAPE\\\\HALVORN.EXE", "C:\\TAPE\\HALVORN.EXE"},
        LoggedLine{"OtherCase", "c:\\tape\\sub\\b.dll", "C:\\TAPE\\SUB\\B.DLL"},
        LoggedLine{"ForwardSlashes", "C:/TAPE/SUB/B.DLL", "C:\\TAPE\\SUB\\B.DLL"},
        LoggedLine{"DotComponents", "C:\\TAPE\\.\\SUB\\..\\D.EXE", "C:\\TAPE\\D.EXE"},
        LoggedLine{"TrailingDot", "C:\\TAPE\\D.EXE.", "C:\\TAPE\\D.EXE"},
        LoggedLine{"BackupTool", "c:\\windows\\LFNBK.EXE", "C:\\WINDOWS\\LFNBK.EXE"},
        LoggedLine{"VirtualDriver", "C:\\WINDOWS\\SYSTEM\\QTAPE.VXD", "C:\\WINDOWS\\SYSTEM\\QTAPE.VXD"},
        LoggedLine{"OutOfTheTree", "C:\\TAPE\\..\\AUTOEXEC.BAT", nullptr},
        LoggedLine{"TheDirectoryItself", "C:\\TAPE\\.", nullptr},
        LoggedLine{"SiblingWithSamePrefix", "C:\\TAPEX\\A.EXE", nullptr},
        LoggedLine{"OtherDrive", "D:\\TAPE\\A.EXE", nullptr},
        LoggedLine{"Share", "\\\\SERVER\\TAPE\\A.EXE", nullptr},
        LoggedLine{"OtherWindowsFile", "C:\\WINDOWS\\WIN.INI", nullptr},
        LoggedLine{"SystemFileNoDriver", "C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL", nullptr},
        LoggedLine{"DriverBelowSystem", "C:\\WINDOWS\\SYSTEM\\IOSUBSYS\\X.VXD", nullptr},
        // Outside the directory only what the installed SETUP.DAT puts there.
        LoggedLine{"CoreOfWindows", "C:\\windows\\system\\VMM32.VXD", nullptr},
        LoggedLine{"DriverOfAnotherName", "C:\\WINDOWS\\SYSTEM\\QTAPE2.VXD", nullptr},
        LoggedLine{"AppendedUnderscore", "C:\\WINDOWS\\SYSTEM\\zemaqw.vxd", "C:\\WINDOWS\\SYSTEM\\ZEMAQW.VXD"},
        LoggedLine{"RenamedDriver", "C:\\WINDOWS\\SYSTEM\\ZTAPEW.VXD", "C:\\WINDOWS\\SYSTEM\\ZTAPEW.VXD"},
        LoggedLine{"SourceNameOfARenamedOne", "C:\\WINDOWS\\SYSTEM\\ZTAPE.BIN", nullptr},
        LoggedLine{"ListedNameInTheWrongPlace", "C:\\WINDOWS\\QTAPE.VXD", nullptr},
        LoggedLine{"ProgramInTheWindowsDirectory", "C:\\WINDOWS\\HALVORN.EXE", nullptr},
        LoggedLine{"BackupToolInSystem", "C:\\WINDOWS\\SYSTEM\\LFNBK.EXE", nullptr},
        LoggedLine{"Stream", "C:\\TAPE\\A.EXE:EVIL", nullptr},
        LoggedLine{"Wildcard", "C:\\TAPE\\*.*", nullptr}),
    [](const ::testing::TestParamInfo<LoggedLine>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace install
