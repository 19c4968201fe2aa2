// The uninstall log: the writer of the copy engine and the reader of the
// uninstaller, on an in-memory file system of this file.
#include <gtest/gtest.h>
#include "support/null_machine.h"

#include <map>

#include "install/uninstall_log.h"
#include "text/text.h"

namespace install {
namespace {

// Files held in memory, paths compared without regard to case.
class MemoryFiles : public platform::FileSystem {
 public:
  std::map<std::string, std::string> data;  // upper-case path -> content
  std::vector<std::string> deleteCalls;
  bool failWrites = false;
  bool failCreate = false;

  void Put(const std::string& path, const std::string& content) { data[text::ToUpperAscii(path)] = content; }
  bool Has(const std::string& path) const { return data.count(text::ToUpperAscii(path)) != 0; }
  std::string Get(const std::string& path) const {
    auto it = data.find(text::ToUpperAscii(path));
    return it == data.end() ? std::string("<missing>") : it->second;
  }

  std::uint32_t GetFileStatus(const std::string& path, platform::FileStatus* out) override {
    if (!Has(path)) return platform::err::kFileNotFound;
    out->size = Get(path).size();
    return 0;
  }
  platform::FileHandle Open(const std::string& path, platform::OpenMode mode, std::uint32_t* e) override {
    const std::string key = text::ToUpperAscii(path);
    if (mode == platform::OpenMode::kRead) {
      if (!data.count(key)) {
        *e = platform::err::kFileNotFound;
        return platform::kInvalidFile;
      }
    } else {
      if (failCreate) {
        *e = platform::err::kAccessDenied;
        return platform::kInvalidFile;
      }
      data[key].clear();
    }
    handles_[++next_] = {key, 0};
    return next_;
  }
  std::uint32_t Read(platform::FileHandle h, void* buffer, std::uint32_t size, std::uint32_t* read) override {
    auto& [key, pos] = handles_.at(h);
    const std::string& content = data[key];
    std::size_t n = std::min<std::size_t>(size, content.size() - pos);
    std::copy_n(content.data() + pos, n, static_cast<char*>(buffer));
    pos += n;
    *read = static_cast<std::uint32_t>(n);
    return 0;
  }
  std::uint32_t Write(platform::FileHandle h, const void* bytes, std::uint32_t size,
                      std::uint32_t* written) override {
    if (failWrites) {
      *written = 0;
      return platform::err::kDiskFull;
    }
    data[handles_.at(h).first].append(static_cast<const char*>(bytes), size);
    *written = size;
    return 0;
  }
  void Close(platform::FileHandle h) override { EXPECT_EQ(handles_.erase(h), 1u); }
  std::uint32_t DeleteFile(const std::string& path) override {
    deleteCalls.push_back(path);
    return data.erase(text::ToUpperAscii(path)) ? 0 : platform::err::kFileNotFound;
  }
  std::uint32_t CreateDirectory(const std::string&) override { return 5; }
  std::uint32_t RemoveDirectory(const std::string&) override { return 5; }
  std::uint32_t MoveFile(const std::string&, const std::string&) override { return 5; }
  std::uint32_t MoveFileAtReboot(const std::string&, const std::string&) override { return 5; }
  std::uint32_t GetFileAttributes(const std::string&, std::uint32_t*) override { return 2; }
  std::uint32_t SetFileAttributes(const std::string&, std::uint32_t) override { return 5; }
  std::uint32_t SetFileTimes(const std::string&, std::int64_t) override { return 5; }
  std::uint32_t GetShortPathName(const std::string&, std::string*) override { return 2; }
  std::uint32_t FindFiles(const std::string&, std::vector<platform::FindData>*) override { return 2; }
  std::uint32_t SetCurrentDirectory(const std::string&) override { return 0; }

  std::size_t OpenHandles() const { return handles_.size(); }

 private:
  std::map<platform::FileHandle, std::pair<std::string, std::size_t>> handles_;
  platform::FileHandle next_ = 0;
};

struct Box {
  platform::WindowHandle owner;
  std::string text, caption;
  std::uint32_t flags;
};

class BoxUi : public testsupport::NullUi {
 public:
  std::vector<Box> boxes;
  int MessageBox(platform::WindowHandle o, const std::string& t, const std::string& c, std::uint32_t f) override {
    boxes.push_back({o, t, c, f});
    return 1;
  }
};


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
  MemoryFiles files;
  BoxUi ui;
  platform::Machine machine{unused, files, unused, unused, unused, ui, unused};
  setup::SetupState state{machine};
};

// ---------------------------------------------------------------- writer

TEST_F(UninstallLogTest, WriterReplacesAnEarlierLogAndEndsEveryLineWithCrLf) {
  files.Put("C:\\TAPE\\UNINST.LST", "C:\\OLD\\FILE.EXE\r\n");
  UninstallLog log;
  ASSERT_EQ(OpenUninstallLog(files, "C:\\TAPE", &log), 0u);
  EXPECT_EQ(log.path, "C:\\TAPE\\UNINST.LST");
  EXPECT_EQ(files.Get("C:\\TAPE\\UNINST.LST"), "");
  EXPECT_EQ(LogInstalledFile(log, "C:\\TAPE\\A.EXE"), 0u);
  EXPECT_EQ(LogInstalledFile(log, "C:\\WINDOWS\\SYSTEM\\B.VXD"), 0u);
  CloseUninstallLog(log);
  EXPECT_EQ(files.Get("C:\\TAPE\\UNINST.LST"), "C:\\TAPE\\A.EXE\r\nC:\\WINDOWS\\SYSTEM\\B.VXD\r\n");
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
  files.Put("C:\\TAPE\\A.EXE", "a");
  files.Put("C:\\TAPE\\SUB\\B.DLL", "b");
  files.Put("C:\\WINDOWS\\LFNBK.EXE", "c");
  files.Put("C:\\TAPE\\USER.DOC", "mine");
  // LF alone is accepted; the last line has no line end.
  files.Put("C:\\TAPE\\UNINST.LST", "C:\\TAPE\\A.EXE\r\nC:\\TAPE\\SUB\\B.DLL\nC:\\WINDOWS\\LFNBK.EXE");
  RemoveLoggedFiles(state);
  EXPECT_FALSE(files.Has("C:\\TAPE\\A.EXE"));
  EXPECT_FALSE(files.Has("C:\\TAPE\\SUB\\B.DLL"));
  EXPECT_FALSE(files.Has("C:\\WINDOWS\\LFNBK.EXE"));
  EXPECT_FALSE(files.Has("C:\\TAPE\\UNINST.LST"));
  EXPECT_TRUE(files.Has("C:\\TAPE\\USER.DOC"));
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(files.OpenHandles(), 0u);
}

TEST_F(UninstallLogTest, EmptyLogDeletesOnlyItself) {
  files.Put("C:\\TAPE\\A.EXE", "a");
  files.Put("C:\\TAPE\\UNINST.LST", "");
  RemoveLoggedFiles(state);
  EXPECT_EQ(files.deleteCalls, std::vector<std::string>{"C:\\TAPE\\UNINST.LST"});
  EXPECT_TRUE(files.Has("C:\\TAPE\\A.EXE"));
}

TEST_F(UninstallLogTest, DuplicateLineSecondDeletionFailsSilently) {
  files.Put("C:\\TAPE\\A.EXE", "a");
  files.Put("C:\\TAPE\\UNINST.LST", "C:\\TAPE\\A.EXE\r\nC:\\TAPE\\A.EXE\r\n");
  RemoveLoggedFiles(state);
  EXPECT_EQ(files.deleteCalls,
            (std::vector<std::string>{"C:\\TAPE\\A.EXE", "C:\\TAPE\\A.EXE", "C:\\TAPE\\UNINST.LST"}));
  EXPECT_FALSE(files.Has("C:\\TAPE\\A.EXE"));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(UninstallLogTest, LongLineIsOnePathNeverPieces) {
  // A reader taking 79 characters at a time would take the first piece of
  // this line for the path of another file and delete it.
  const std::string first = "C:\\TAPE\\" + std::string(71, 'A');
  ASSERT_EQ(first.size(), 79u);
  const std::string longPath = first + "\\KEEP.TXT";
  const std::string veryLong = "C:\\TAPE\\" + std::string(2000, 'B');
  files.Put(first, "keep");
  files.Put(longPath, "x");
  files.Put(veryLong, "y");
  files.Put("C:\\TAPE\\UNINST.LST", longPath + "\r\n" + veryLong + "\r\nC:\\TAPE\\LAST.EXE\r\n");
  files.Put("C:\\TAPE\\LAST.EXE", "z");
  RemoveLoggedFiles(state);
  EXPECT_TRUE(files.Has(first));
  EXPECT_FALSE(files.Has(longPath));
  EXPECT_FALSE(files.Has(veryLong));
  EXPECT_FALSE(files.Has("C:\\TAPE\\LAST.EXE"));
  EXPECT_EQ(files.deleteCalls.size(), 4u);
}

TEST_F(UninstallLogTest, MissingLogIsReportedAndNothingDeleted) {
  files.Put("C:\\TAPE\\A.EXE", "a");
  RemoveLoggedFiles(state);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].owner, platform::kNoWindow);
  EXPECT_EQ(ui.boxes[0].text, "C:\\TAPE\\UNINST.LST");
  EXPECT_EQ(ui.boxes[0].caption, "Can't find file...");
  EXPECT_EQ(ui.boxes[0].flags & platform::mb::kIconMask, platform::mb::kIconError);
  EXPECT_TRUE(files.deleteCalls.empty());
}

TEST_F(UninstallLogTest, LinesThatAreNotFullPathsArePassedOver) {
  // The line with a zero byte ends there, as a C string would.
  const char raw[] =
      "A.EXE\r\n..\\B.EXE\r\nC:\\TAPE\\..\\..\\AUTOEXEC.BAT\r\nC:REL.EXE\r\n\r\n"
      "C:\\TAPE\\OK.EXE\0C:\\OTHER.EXE\r\n";
  files.Put("C:\\TAPE\\UNINST.LST", std::string(raw, sizeof raw - 1));
  files.Put("C:\\TAPE\\OK.EXE", "ok");
  RemoveLoggedFiles(state);
  EXPECT_EQ(files.deleteCalls, (std::vector<std::string>{"C:\\TAPE\\OK.EXE", "C:\\TAPE\\UNINST.LST"}));
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
  files.Put("C:\\TAPE\\UNINST.LST", std::string(c.line) + "\r\n");
  RemoveLoggedFiles(state);
  std::vector<std::string> expected;
  if (c.deleted != nullptr) expected.push_back(c.deleted);
  expected.push_back("C:\\TAPE\\UNINST.LST");
  EXPECT_EQ(files.deleteCalls, expected);
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
