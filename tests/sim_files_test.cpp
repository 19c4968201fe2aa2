// The simulated machine's files and profile files: Windows path rules,
// attributes, sharing, free space, search, short names, pending renames.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/sim/sim_machine.h"
#include "support/windows_errors.h"

namespace sim {
namespace {

namespace fs = std::filesystem;
using platform::OpenMode;
namespace err = platform::err;
namespace moreerr = testsupport::err;

// Outputs are filled with these before a call, so that an output the call
// does not write shows.
constexpr std::uint32_t kPoison = 0xdeadbeef;
constexpr unsigned char kPoisonByte = 0xA5;

class SimFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("simfiles_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    std::string error;
    m_ = SimMachine::Open(dir_.string(), &error);
    ASSERT_TRUE(m_) << error;
  }
  void TearDown() override {
    m_.reset();
    fs::remove_all(dir_);
  }
  SimFiles& files() { return m_->files(); }
  std::uint32_t Put(const std::string& path, const std::string& data) {
    return platform::WriteWholeFile(files(), path, data);
  }
  std::string Get(const std::string& path) {
    std::string data;
    EXPECT_EQ(platform::ReadWholeFile(files(), path, &data), 0u) << path;
    return data;
  }
  std::uint32_t Status(const std::string& path) {
    platform::FileStatus st;
    return files().GetFileStatus(path, &st);
  }

  fs::path dir_;
  std::unique_ptr<SimMachine> m_;
};

TEST_F(SimFilesTest, FreshMachineHasWindowsAndProgramFiles) {
  EXPECT_TRUE(fs::is_directory(dir_ / "C" / "windows" / "system"));
  EXPECT_TRUE(fs::is_directory(dir_ / "C" / "Program Files"));
  EXPECT_EQ(m_->system().GetWindowsDirectory(), "C:\\windows");
}

TEST_F(SimFilesTest, PathRules) {
  ASSERT_EQ(Put("C:\\windows\\Foo.TXT", "x"), 0u);
  fs::create_directories(dir_ / "diskA");
  m_->MapDrive('A', (dir_ / "diskA").string());
  m_->MapDrive('B', (dir_ / "no-disk-here").string());
  ASSERT_EQ(files().SetCurrentDirectory("C:\\WINDOWS"), 0u);
  struct Case {
    const char* path;
    std::uint32_t error;
  } cases[] = {
      {"C:\\windows\\Foo.TXT", err::kSuccess},
      {"c:\\WINDOWS\\foo.txt", err::kSuccess},            // case does not matter
      {"C:/windows/./system/../foo.txt", err::kSuccess},  // forward slashes, . and ..
      {"C:\\..\\..\\..\\windows\\foo.txt", err::kSuccess},  // .. stops at the root
      {"C:\\windows\\foo.txt. . ", err::kSuccess},        // trailing dots and blanks dropped
      {"foo.txt", err::kSuccess},                         // relative to the current directory
      {"C:foo.txt", err::kSuccess},                       // relative to drive C:'s current directory
      {"\\windows\\foo.txt", err::kSuccess},              // root of the current drive
      {"C:\\windows\\none.txt", err::kFileNotFound},
      {"C:\\nodir\\foo.txt", err::kPathNotFound},
      {"C:\\windows\\foo.txt\\x", err::kPathNotFound},         // a file is no directory
      {"Q:\\x", err::kPathNotFound},                           // no such drive
      {"B:\\x", moreerr::kNotReady},                          // drive without its disk
      {"A:", err::kSuccess},                              // the root of a drive
      {"A:\\", err::kSuccess},
      {"C:\\win<dows\\x", moreerr::kInvalidName},
      {"C:\\windows\\a?b", moreerr::kInvalidName},
      {"C:\\windows\\a\"b", moreerr::kInvalidName},
      {"", err::kPathNotFound},
      {"\\\\server\\share\\x", err::kPathNotFound},
  };
  for (const Case& c : cases) EXPECT_EQ(Status(c.path), c.error) << c.path;
  EXPECT_EQ(Status(std::string("C:\\") + std::string(300, 'a')), moreerr::kFileNameTooLong);
}

TEST_F(SimFilesTest, DotDotNeverLeavesTheDriveFolder) {
  std::string host = files().HostPath("C:\\..\\..\\..\\etc\\passwd");
  EXPECT_EQ(host, (dir_ / "C" / "etc" / "passwd").string());
  EXPECT_EQ(Put("C:\\..\\..\\escape.txt", "x"), 0u);
  EXPECT_TRUE(fs::exists(dir_ / "C" / "escape.txt"));
  EXPECT_FALSE(fs::exists(dir_.parent_path() / "escape.txt"));
}

TEST_F(SimFilesTest, NewNamesKeepTheirCaseAndExistingNamesAreReused) {
  ASSERT_EQ(files().CreateDirectory("C:\\Tape Dir"), 0u);
  ASSERT_EQ(Put("C:\\TAPE DIR\\MixedCase.Dat", "one"), 0u);
  ASSERT_EQ(Put("c:\\tape dir\\MIXEDCASE.DAT", "two"), 0u);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_ / "C" / "Tape Dir"))
    names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"MixedCase.Dat"});
  EXPECT_EQ(Get("C:\\Tape Dir\\mixedcase.dat"), "two");
  // Windows-1252 names are kept as UTF-8 on the host and found by case.
  ASSERT_EQ(Put("C:\\Tape Dir\\\xC4rger.txt", "x"), 0u);
  EXPECT_TRUE(fs::exists(dir_ / "C" / "Tape Dir" / "\xC3\x84rger.txt"));
  EXPECT_EQ(Status("C:\\TAPE DIR\\\xE4RGER.TXT"), 0u);
}

TEST_F(SimFilesTest, DirectoryRules) {
  EXPECT_EQ(files().CreateDirectory("C:\\windows"), err::kAlreadyExists);
  EXPECT_EQ(files().CreateDirectory("C:\\a\\b"), err::kPathNotFound);  // one level only
  ASSERT_EQ(files().CreateDirectory("C:\\a"), 0u);
  ASSERT_EQ(Put("C:\\a\\f.txt", "x"), 0u);
  EXPECT_EQ(files().RemoveDirectory("C:\\a"), err::kDirNotEmpty);
  EXPECT_EQ(files().RemoveDirectory("C:\\a\\f.txt"), moreerr::kDirectoryInvalid);
  EXPECT_EQ(files().DeleteFile("C:\\a"), err::kAccessDenied);
  ASSERT_EQ(files().SetCurrentDirectory("C:\\a"), 0u);
  ASSERT_EQ(files().DeleteFile("C:\\a\\f.txt"), 0u);
  EXPECT_EQ(files().RemoveDirectory("C:\\a"), err::kSharingViolation);  // the current directory
  ASSERT_EQ(files().SetCurrentDirectory("C:\\"), 0u);
  EXPECT_EQ(files().RemoveDirectory("C:\\a"), 0u);
  EXPECT_EQ(files().RemoveDirectory("C:\\a"), err::kFileNotFound);
  EXPECT_EQ(files().RemoveDirectory("C:\\"), err::kAccessDenied);
}

TEST_F(SimFilesTest, ReadOnlyFilesRefuseWritingAndDeleting) {
  ASSERT_EQ(Put("C:\\ro.txt", "keep"), 0u);
  ASSERT_EQ(files().SetFileAttributes("C:\\ro.txt", platform::attr::kReadOnly), 0u);
  std::uint32_t error = kPoison;
  for (OpenMode mode : {OpenMode::kWriteCreate, OpenMode::kReadWriteCreate, OpenMode::kAppend}) {
    error = kPoison;
    EXPECT_EQ(files().Open("C:\\RO.TXT", mode, &error), platform::kInvalidFile);
    EXPECT_EQ(error, err::kAccessDenied);
  }
  EXPECT_EQ(files().DeleteFile("C:\\ro.txt"), err::kAccessDenied);
  EXPECT_EQ(files().SetFileTimes("C:\\ro.txt", 1000), err::kAccessDenied);
  EXPECT_EQ(Get("C:\\ro.txt"), "keep");
  std::uint32_t a = kPoison;
  ASSERT_EQ(files().GetFileAttributes("C:\\ro.txt", &a), 0u);
  EXPECT_EQ(a, platform::attr::kReadOnly);
  // Renaming keeps the attribute with the file.
  ASSERT_EQ(files().MoveFile("C:\\ro.txt", "C:\\windows\\ro2.txt"), 0u);
  a = kPoison;
  ASSERT_EQ(files().GetFileAttributes("C:\\windows\\RO2.TXT", &a), 0u);
  EXPECT_EQ(a, platform::attr::kReadOnly);
  ASSERT_EQ(files().SetFileAttributes("C:\\windows\\ro2.txt", platform::attr::kNormal), 0u);
  EXPECT_EQ(files().DeleteFile("C:\\windows\\ro2.txt"), 0u);
}

TEST_F(SimFilesTest, DiskFullFailsWritesWith112UntilSpaceIsFreed) {
  files().SetFreeSpace('C', 100);
  std::uint32_t error = 0, written = kPoison;
  platform::FileHandle h = files().Open("C:\\a.bin", OpenMode::kWriteCreate, &error);
  ASSERT_NE(h, platform::kInvalidFile);
  std::string block(60, 'x');
  EXPECT_EQ(files().Write(h, block.data(), 60, &written), 0u);
  EXPECT_EQ(written, 60u);
  written = kPoison;
  EXPECT_EQ(files().Write(h, block.data(), 60, &written), err::kDiskFull);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(files().Write(h, block.data(), 40, &written), 0u);  // exactly fits
  files().Close(h);
  EXPECT_EQ(files().FreeSpace('C'), 0u);
  EXPECT_EQ(Put("C:\\b.bin", "y"), err::kDiskFull);
  // Rewriting a file gives its old space back first.
  EXPECT_EQ(Put("C:\\a.bin", std::string(100, 'z')), 0u);
  ASSERT_EQ(files().DeleteFile("C:\\a.bin"), 0u);
  EXPECT_EQ(files().FreeSpace('C'), 100u);
  EXPECT_EQ(Put("C:\\b.bin", "y"), 0u);
  // Other drives are not limited.
  EXPECT_EQ(files().FreeSpace('A'), UINT64_MAX);
}

TEST_F(SimFilesTest, SharingRules) {
  ASSERT_EQ(Put("C:\\s.txt", "data"), 0u);
  std::uint32_t error = 0;
  platform::FileHandle reader = files().Open("C:\\s.txt", OpenMode::kRead, &error);
  ASSERT_NE(reader, platform::kInvalidFile);
  // A second reader is fine; deleting an open file is not.
  platform::FileHandle reader2 = files().Open("C:\\S.TXT", OpenMode::kRead, &error);
  EXPECT_NE(reader2, platform::kInvalidFile);
  files().Close(reader2);
  EXPECT_EQ(files().DeleteFile("C:\\s.txt"), err::kSharingViolation);
  EXPECT_EQ(files().MoveFile("C:\\s.txt", "C:\\t.txt"), err::kSharingViolation);
  // The writer shares only writing: a reader cannot open beside it.
  files().Close(reader);
  platform::FileHandle writer = files().Open("C:\\s.txt", OpenMode::kWriteCreate, &error);
  ASSERT_NE(writer, platform::kInvalidFile);
  error = kPoison;
  EXPECT_EQ(files().Open("C:\\s.txt", OpenMode::kRead, &error), platform::kInvalidFile);
  EXPECT_EQ(error, err::kSharingViolation);
  std::uint32_t got = 0;
  char c;
  EXPECT_EQ(files().Read(writer, &c, 1, &got), err::kAccessDenied);  // not opened for reading
  files().Close(writer);
  EXPECT_EQ(files().Read(writer, &c, 1, &got), err::kInvalidHandle);  // closed handle
  error = kPoison;
  EXPECT_EQ(files().Open("C:\\windows", OpenMode::kRead, &error), platform::kInvalidFile);
  EXPECT_EQ(error, err::kAccessDenied);
}

TEST_F(SimFilesTest, FindFilesListsLikeWindows) {
  ASSERT_EQ(Put("C:\\windows\\b.TXT", "12"), 0u);
  ASSERT_EQ(Put("C:\\windows\\A.txt", "1"), 0u);
  ASSERT_EQ(Put("C:\\windows\\noext", ""), 0u);
  // A list that already holds an entry: the call replaces it.
  std::vector<platform::FindData> found(1);
  found[0].name = "poison";
  ASSERT_EQ(files().FindFiles("C:\\windows\\*.*", &found), 0u);
  std::vector<std::string> names;
  for (const auto& f : found) names.push_back(f.name);
  // Beside what a fresh machine has in its Windows directory.
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "A.txt", "b.TXT", "noext", "NOTEPAD.EXE",
                                             "system", "SYSTEM.INI", "system32"}));
  EXPECT_EQ(found[2].size, 1u);
  EXPECT_EQ(found[6].attributes & platform::attr::kDirectory, platform::attr::kDirectory);

  ASSERT_EQ(files().FindFiles("c:\\WINDOWS\\*.txt", &found), 0u);
  EXPECT_EQ(found.size(), 2u);
  ASSERT_EQ(files().FindFiles("C:\\windows\\?.txt", &found), 0u);
  EXPECT_EQ(found.size(), 2u);
  ASSERT_EQ(files().FindFiles("C:\\*.*", &found), 0u);
  for (const auto& f : found) EXPECT_NE(f.name, ".");  // the root has no "." entry
  EXPECT_EQ(files().FindFiles("C:\\windows\\*.dll", &found), err::kFileNotFound);
  EXPECT_EQ(files().FindFiles("C:\\nodir\\*.*", &found), err::kPathNotFound);
}

TEST_F(SimFilesTest, ShortNames) {
  ASSERT_EQ(files().CreateDirectory("C:\\Program Data"), 0u);
  ASSERT_EQ(files().CreateDirectory("C:\\Program Files\\Halvorn+ for Windows 95"), 0u);
  ASSERT_EQ(Put("C:\\Program Files\\Halvorn+ for Windows 95\\README.TXT", ""), 0u);
  std::string s = "poison";
  ASSERT_EQ(files().GetShortPathName("c:\\program files\\halvorn+ for windows 95\\readme.txt", &s), 0u);
  EXPECT_EQ(s, "C:\\PROGRA~2\\HALVOR~1\\README.TXT");
  ASSERT_EQ(files().GetShortPathName("C:\\Program Data", &s), 0u);
  EXPECT_EQ(s, "C:\\PROGRA~1");
  ASSERT_EQ(files().GetShortPathName("C:\\windows", &s), 0u);
  EXPECT_EQ(s, "C:\\windows");
  EXPECT_EQ(files().GetShortPathName("C:\\missing", &s), err::kFileNotFound);
}

TEST_F(SimFilesTest, FileTimesRoundTrip) {
  ASSERT_EQ(Put("C:\\t.txt", "x"), 0u);
  ASSERT_EQ(files().SetFileTimes("C:\\T.TXT", 946684800), 0u);
  platform::FileStatus st;
  std::fill_n(reinterpret_cast<unsigned char*>(&st), sizeof st, kPoisonByte);
  ASSERT_EQ(files().GetFileStatus("C:\\t.txt", &st), 0u);
  EXPECT_EQ(st.lastWriteUnix, 946684800);
  EXPECT_EQ(st.size, 1u);
  EXPECT_EQ(files().SetFileTimes("C:\\none.txt", 1), err::kFileNotFound);
}

// Through a handle: the file written and stamped before it is closed keeps
// the stamp; a handle for reading only, or one closed, cannot stamp.
TEST_F(SimFilesTest, FileTimesThroughAnOpenHandle) {
  std::uint32_t error = kPoison;
  platform::FileHandle out = files().Open("C:\\h.txt", OpenMode::kWriteCreate, &error);
  ASSERT_NE(out, platform::kInvalidFile);
  std::uint32_t written = 0;
  ASSERT_EQ(files().Write(out, "data", 4, &written), 0u);
  EXPECT_EQ(files().SetOpenFileTimes(out, 883612800), 0u);
  files().Close(out);
  platform::FileStatus st;
  ASSERT_EQ(files().GetFileStatus("C:\\H.TXT", &st), 0u);
  EXPECT_EQ(st.lastWriteUnix, 883612800);
  EXPECT_EQ(st.size, 4u);
  EXPECT_EQ(files().SetOpenFileTimes(out, 1), err::kInvalidHandle);

  platform::FileHandle in = files().Open("C:\\h.txt", OpenMode::kRead, &error);
  ASSERT_NE(in, platform::kInvalidFile);
  EXPECT_EQ(files().SetOpenFileTimes(in, 1), err::kAccessDenied);
  files().Close(in);
  ASSERT_EQ(files().GetFileStatus("C:\\h.txt", &st), 0u);
  EXPECT_EQ(st.lastWriteUnix, 883612800);
}

TEST_F(SimFilesTest, MoveRules) {
  ASSERT_EQ(Put("C:\\a.txt", "a"), 0u);
  ASSERT_EQ(Put("C:\\b.txt", "b"), 0u);
  EXPECT_EQ(files().MoveFile("C:\\a.txt", "C:\\b.txt"), err::kAlreadyExists);
  EXPECT_EQ(files().MoveFile("C:\\none.txt", "C:\\c.txt"), err::kFileNotFound);
  EXPECT_EQ(files().MoveFile("C:\\a.txt", "C:\\nodir\\c.txt"), err::kPathNotFound);
  EXPECT_EQ(files().MoveFile("C:\\a.txt", "C:\\A.TXT"), 0u);  // a change of case
  EXPECT_TRUE(fs::exists(dir_ / "C" / "A.TXT"));
  ASSERT_EQ(files().CreateDirectory("C:\\d"), 0u);
  EXPECT_EQ(files().MoveFile("C:\\d", "C:\\d\\e"), err::kAccessDenied);  // into itself
}

TEST_F(SimFilesTest, PendingRenamesPerPlatform) {
  ASSERT_EQ(Put("C:\\windows\\new.dll", "new"), 0u);
  ASSERT_EQ(Put("C:\\windows\\system\\lib.dll", "old"), 0u);
  m_->SetPlatform(sim::Platform::kWin95);
  EXPECT_EQ(files().MoveFileAtReboot("C:\\windows\\new.dll", "C:\\windows\\system\\lib.dll"),
            moreerr::kCallNotImplemented);

  m_->SetPlatform(sim::Platform::kNt);
  ASSERT_EQ(files().MoveFileAtReboot("C:\\windows\\new.dll", "C:\\windows\\system\\lib.dll"), 0u);
  std::uint32_t type = kPoison;
  std::string data = "poison";
  ASSERT_EQ(m_->registry().GetValueAt("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                                      "PendingFileRenameOperations", &type, &data),
            0u);
  EXPECT_EQ(type, platform::regtype::kMultiSz);
  EXPECT_EQ(data, std::string("\\??\\C:\\windows\\new.dll\0!\\??\\C:\\windows\\system\\lib.dll\0\0", 55));
  m_->ApplyPendingRenames();
  EXPECT_EQ(Get("C:\\windows\\system\\lib.dll"), "new");
  EXPECT_EQ(Status("C:\\windows\\new.dll"), err::kFileNotFound);
}

TEST_F(SimFilesTest, WininitRenamesRunAtTheNextStart) {
  ASSERT_EQ(Put("C:\\windows\\new.dll", "new"), 0u);
  ASSERT_EQ(Put("C:\\windows\\system\\lib.dll", "old"), 0u);
  ASSERT_TRUE(m_->profile().WriteString("rename", "C:\\windows\\system\\lib.dll",
                                        "C:\\windows\\new.dll", "WININIT.INI"));
  m_->ApplyPendingRenames();
  EXPECT_EQ(Get("C:\\windows\\system\\lib.dll"), "new");
  EXPECT_EQ(Status("C:\\windows\\WININIT.INI"), err::kFileNotFound);
  EXPECT_EQ(Status("C:\\windows\\WININIT.BAK"), 0u);
}

// The source as setup writes it, by its 8.3 aliases, is found again at the
// next start; a line whose source is gone leaves the destination in place
// (it once deleted the system copy and then had nothing to move there).
TEST_F(SimFilesTest, WininitRenamesTakeShortSourcesAndKeepTheDestinationWithoutOne) {
  ASSERT_EQ(files().MakeDirectories("C:\\Program Files\\Halvorn+ for Windows 98"), 0u);
  ASSERT_EQ(Put("C:\\Program Files\\Halvorn+ for Windows 98\\LIB.DLL", "new"), 0u);
  ASSERT_EQ(Put("C:\\windows\\system\\lib.dll", "old"), 0u);
  ASSERT_EQ(Put("C:\\windows\\system\\other.dll", "kept"), 0u);
  std::string alias;
  ASSERT_EQ(files().GetShortPathName("C:\\Program Files\\Halvorn+ for Windows 98\\LIB.DLL", &alias), 0u);
  ASSERT_EQ(alias.find(' '), std::string::npos) << alias;
  ASSERT_TRUE(m_->profile().WriteString("rename", "C:\\windows\\system\\lib.dll", alias, "WININIT.INI"));
  ASSERT_TRUE(m_->profile().WriteString("rename", "C:\\windows\\system\\other.dll",
                                        "C:\\PROGRA~1\\GONE\\OTHER.DLL", "WININIT.INI"));
  m_->ApplyPendingRenames();
  EXPECT_EQ(Get("C:\\windows\\system\\lib.dll"), "new");
  EXPECT_EQ(Status("C:\\Program Files\\Halvorn+ for Windows 98\\LIB.DLL"), err::kFileNotFound);
  EXPECT_EQ(Get("C:\\windows\\system\\other.dll"), "kept");
}

// ---------------------------------------------------------------- profiles

TEST_F(SimFilesTest, ProfileReadsWithWindowsRules) {
  ASSERT_EQ(Put("C:\\windows\\TEST.INI",
                "; comment\r\n"
                "[Misc]\r\n"
                "  SeqID =  07  \r\n"
                "Quoted=\"  spaced  \"\r\n"
                "Single='x'\r\n"
                "Empty=\r\n"
                "[misc2]\n"
                "SeqID=99\n"),
            0u);
  SimProfile& p = m_->profile();
  struct Case {
    const char* section;
    const char* key;
    const char* def;
    std::uint32_t size;
    const char* file;
    const char* expected;
  } cases[] = {
      {"Misc", "SeqID", "00", 3, "test.ini", "07"},            // bare name: Windows directory
      {"MISC", "seqid", "00", 3, "C:\\windows\\TEST.INI", "07"},  // any case
      {"Misc", "SeqID", "00", 2, "test.ini", "0"},             // size-1 bytes at most
      {"Misc", "SeqID", "00", 0, "test.ini", ""},
      {"Misc", "Quoted", "", 80, "test.ini", "  spaced  "},    // one pair of quotes removed
      {"Misc", "Single", "", 80, "test.ini", "x"},
      {"Misc", "Empty", "dflt", 80, "test.ini", ""},           // present but empty
      {"Misc", "Missing", "dflt  ", 80, "test.ini", "dflt"},   // default's trailing blanks go
      {"Misc2", "SeqID", "", 80, "test.ini", "99"},
      {"None", "SeqID", "00", 80, "test.ini", "00"},
      {"Misc", "SeqID", "00", 80, "nofile.ini", "00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(p.GetString(c.section, c.key, c.def, c.size, c.file), c.expected)
        << c.section << "/" << c.key;
  }
}

TEST_F(SimFilesTest, ProfileWritesKeepTheRestOfTheFile) {
  ASSERT_EQ(Put("C:\\TAPE.INI", "[Misc]\r\nSeqID=00\r\nOther=1\r\n\r\n[Next]\r\nA=1\r\n"), 0u);
  SimProfile& p = m_->profile();
  ASSERT_TRUE(p.WriteString("misc", "SEQID", "07", "C:\\TAPE.INI"));
  ASSERT_TRUE(p.WriteString("Misc", "New", "v", "C:\\TAPE.INI"));
  ASSERT_TRUE(p.WriteString("Added", "K", "w", "C:\\TAPE.INI"));
  EXPECT_EQ(Get("C:\\TAPE.INI"),
            "[Misc]\r\nSeqID=07\r\nOther=1\r\nNew=v\r\n\r\n[Next]\r\nA=1\r\n\r\n[Added]\r\nK=w\r\n");
  // A new file in the Windows directory.
  ASSERT_TRUE(p.WriteString("rename", "C:\\X", "C:\\Y", "wininit.ini"));
  EXPECT_EQ(Get("C:\\windows\\WININIT.INI"), "[rename]\r\nC:\\X=C:\\Y\r\n");
  // No folder, or a read-only file: failure.
  EXPECT_FALSE(p.WriteString("a", "b", "c", "C:\\nodir\\x.ini"));
  ASSERT_EQ(files().SetFileAttributes("C:\\TAPE.INI", platform::attr::kReadOnly), 0u);
  EXPECT_FALSE(p.WriteString("Misc", "SeqID", "08", "C:\\TAPE.INI"));
  EXPECT_EQ(p.GetString("Misc", "SeqID", "", 80, "C:\\TAPE.INI"), "07");
}

// ---------------------------------------------------------------- machine

TEST_F(SimFilesTest, MachineStatePersistsAcrossRuns) {
  m_->SetPlatform(sim::Platform::kNt);
  fs::create_directories(dir_ / "disk1");
  m_->MapDrive('A', (dir_ / "disk1").string());
  ASSERT_EQ(m_->registry().SetString("HKLM\\SOFTWARE\\Brennick", "Dir", "C:\\TAPE"), 0u);
  ASSERT_EQ(Put("C:\\h.txt", "x"), 0u);
  ASSERT_EQ(files().SetFileAttributes("C:\\h.txt", platform::attr::kHidden), 0u);
  std::string error;
  ASSERT_TRUE(m_->Save(&error)) << error;
  m_.reset();

  m_ = SimMachine::Open(dir_.string(), &error);
  ASSERT_TRUE(m_) << error;
  EXPECT_EQ(m_->system().GetVersion().platformId, 2u);
  EXPECT_EQ(m_->files().drives().at('A'), (dir_ / "disk1").string());
  std::string data;
  std::uint32_t type = 0;
  ASSERT_EQ(m_->registry().GetValueAt("HKLM\\SOFTWARE\\Brennick", "Dir", &type, &data), 0u);
  EXPECT_EQ(data, "C:\\TAPE");
  std::uint32_t a = kPoison;
  ASSERT_EQ(files().GetFileAttributes("C:\\H.TXT", &a), 0u);
  EXPECT_EQ(a, platform::attr::kHidden);
}

TEST_F(SimFilesTest, SystemAnswersPerPlatform) {
  struct Case {
    sim::Platform p;
    platform::OsVersion v;
  } cases[] = {{sim::Platform::kWin95, {1, 4, 0, 0x040003B6}},
               {sim::Platform::kWin98, {1, 4, 10, 0x040A08AE}},
               {sim::Platform::kNt, {2, 4, 0, 1381}}};
  for (const Case& c : cases) {
    m_->SetPlatform(c.p);
    platform::OsVersion v = m_->system().GetVersion();
    EXPECT_EQ(v.platformId, c.v.platformId);
    EXPECT_EQ(v.major, c.v.major);
    EXPECT_EQ(v.minor, c.v.minor);
    EXPECT_EQ(v.build, c.v.build);
  }
  m_->system().SetCommandLine("\"C:\\windows\\UNINSTX$.EXE\" /restart \"C:\\TAPE\"");
  EXPECT_EQ(m_->system().GetCommandLine(), "\"C:\\windows\\UNINSTX$.EXE\" /restart \"C:\\TAPE\"");
  EXPECT_EQ(m_->system().GetModuleFileName(), "C:\\windows\\UNINSTX$.EXE");

  // Windows NT restarts only with the shutdown privilege enabled.
  m_->SetPlatform(sim::Platform::kNt);
  EXPECT_EQ(m_->system().ExitWindowsEx(2, 0), 0);
  m_->system().EnableShutdownPrivilege();
  EXPECT_EQ(m_->system().ExitWindowsEx(2, 0), 1);
  m_->system().SetRefuseRestart(true);
  EXPECT_EQ(m_->system().ExitWindowsEx(2, 0), 0);
  m_->system().WinExec("C:\\TAPE\\UPGRADE.EXE /install", 5);
  m_->system().SpawnNoWait("C:\\windows\\NOTEPAD.EXE", {"C:\\TAPE\\README.TXT"});
  std::ifstream log(dir_ / "programs.log");
  std::string all((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_EQ(all,
            "exitwindows 2 0 -> 0\n"
            "privilege SeShutdownPrivilege\n"
            "exitwindows 2 0 -> 1\n"
            "exitwindows 2 0 -> 0\n"
            "winexec 5 C:\\TAPE\\UPGRADE.EXE /install\n"
            "spawn \"C:\\windows\\NOTEPAD.EXE\" \"C:\\TAPE\\README.TXT\"\n");
}

}  // namespace
}  // namespace sim
