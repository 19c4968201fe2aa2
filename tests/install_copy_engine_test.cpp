// The copy engine on the in-memory machine of tests/support/memory_machine.h:
// placement rules, disk changes, failures and their messages, cancelling,
// the progress dialog's files bar, and hostile disks.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "install/checksum.h"
#include "install/copy_engine.h"
#include "install/install_text.h"
#include "setup/logged_parts.h"
#include "setup/run_log.h"
#include "setup/unattended.h"
#include "support/memory_machine.h"

namespace install {
namespace {

using platform::WindowHandle;
using testsupport::Box;
using testsupport::Bytes;
using testsupport::Compressed;
using testsupport::MemoryFiles;
using testsupport::MemoryLz;
using testsupport::FakeUi;
using text::ToUpperAscii;

// ---------------------------------------------------------------- fixture

using Disk = std::map<std::string, std::string>;  // name on the disk -> bytes

class CopyEngineTest : public ::testing::Test {
 protected:
  static constexpr WindowHandle kBackground = 0x132;
  static constexpr const char* kLog = "C:\\TAPE\\UNINST.LST";

  CopyEngineTest() {
    state.sourceDir = "A:";
    state.windowsDir = "C:\\WINDOWS";
    state.installDir = "C:\\TAPE";
    state.values.prd = "Halvorn";
    state.values.mct = "1";
    state.backgroundWindow = kBackground;
    ui.modelessTemplate = ui::ids::copy_progress::kTemplate;
  }

  // Puts a disk into drive A:, taking out the one there.
  void Insert(const Disk& disk) {
    for (auto it = files.nodes.begin(); it != files.nodes.end();) {
      it = (it->first.compare(0, 3, "A:\\") == 0) ? files.nodes.erase(it) : std::next(it);
    }
    for (const auto& [name, bytes] : disk) files.PutFile("A:\\" + name, bytes);
  }
  void List(std::initializer_list<const char*> lines) {
    for (const char* l : lines) state.fileList.push_back(std::string(l) + "\n");
  }
  int Run() {
    int r = CopyProductFiles(state, "C:\\TAPE");
    // Whatever happened: nothing left open, the dialog gone, the
    // background window usable again.
    EXPECT_EQ(files.OpenHandles(), 0u);
    EXPECT_EQ(lz.OpenHandles(), 0u);
    EXPECT_FALSE(ui.dialogAlive);
    EXPECT_TRUE(ui.IsWindowEnabled(kBackground));
    return r;
  }
  std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::string data = files.Data(kLog);
    std::size_t pos = 0;
    while (pos < data.size()) {
      std::size_t end = data.find("\r\n", pos);
      EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
      if (end == std::string::npos) break;
      lines.push_back(data.substr(pos, end - pos));
      pos = end + 2;
    }
    return lines;
  }
  // The log names exactly the files whose creation was begun, and nothing
  // outside the install directory, the SYSTEM directory and the listed
  // files of the Windows directory was changed.
  void CheckLogAndTouchedPaths(std::set<std::string> windowsFiles = {}) {
    std::vector<std::string> begun;
    for (const std::string& p : files.created) {
      if (p != kLog) begun.push_back(p);
    }
    EXPECT_EQ(LogLines(), begun);
    for (const std::string& p : files.touched) {
      std::string u = ToUpperAscii(p);
      bool inside = u.rfind("C:\\TAPE\\", 0) == 0 || u.rfind("C:\\WINDOWS\\SYSTEM\\", 0) == 0 ||
                    windowsFiles.count(u) != 0;
      EXPECT_TRUE(inside) << p;
    }
  }
  // Every text the progress dialog's status line was given.
  std::vector<std::string>& StatusTexts() { return ui.itemTexts[progress_ctl::kStatusText]; }
  std::string LastStatus() { return StatusTexts().empty() ? std::string() : StatusTexts().back(); }
  bool CompletionShown() { return LastStatus() == "File Transfer Complete."; }

  testsupport::WindowsDirOnly unused;
  MemoryFiles files;
  MemoryLz lz{files};
  FakeUi ui;
  platform::Machine machine{unused, files, unused, unused, lz, ui, unused};
  setup::SetupState state{machine};
};

// ---------------------------------------------------------------- main path

TEST_F(CopyEngineTest, TwoDisksWithEveryPlacementRule) {
  const std::string readme = Bytes(12000, 1), tool = Bytes(300, 2), vxd = Bytes(7000, 3),
                    lfnbk = Bytes(100, 4), setupExe = Bytes(5120, 5), sched = Bytes(6000, 6),
                    ntOnly = Bytes(50, 7), dat = "[Misc]\r\n";
  const Disk disk1 = {{"DISK.001", ""},
                      {"SETUP.DAT", dat},
                      {"SETUP.EX_", Compressed(setupExe, 'E')},
                      {"README.TX_", Compressed(readme, 'T')},
                      {"TOOL.BIN", tool},
                      {"NTONLY.DL_", Compressed(ntOnly, 'L')},
                      {"WNASPI32.DLL", "scsi"}};
  const Disk disk2 = {{"DISK.002", ""},
                      {"ZEMA.VX_", Compressed(vxd, 'D')},
                      {"LFNBK.EX_", Compressed(lfnbk, 'E')},
                      {"SCD.EX_", Compressed(sched, 'E')}};
  List({"DISK.001,/D1", "SETUP.DAT,/D1 /T5", "SETUP.EX_,/D1 /T820454400",
        "README.TX_,/D1 /T820454401 /XDOCS", "TOOL.BIN,/D1 /RRENAMED.EXE /T3",
        "NTONLY.DL_,/D1 /PNT /XNTDIR", "WNASPI32.DLL,/D1", "DISK.002,/D2", "ZEMA.VX_,/D2 /T9",
        "LFNBK.EX_,/D2 /T10", "SCD.EX_,/D2 /T11"});
  state.values.mct = "2";
  state.fileCount = 10;  // WNASPI32.DLL takes one off
  files.PutFile("C:\\WINDOWS\\LFNBK.EXE", "old");
  files.nodes["C:\\WINDOWS\\LFNBK.EXE"].attributes = platform::attr::kReadOnly;
  Insert(disk1);
  // The first prompt meets the wrong disk still in the drive; after "Disk
  // Error" the user inserts disk 2.
  ui.answer = [&](const Box& b) {
    if (b.caption == "Disk Error") Insert(disk2);
    return 0;
  };

  EXPECT_EQ(Run(), kCopyDone);

  EXPECT_EQ(files.Data("C:\\TAPE\\SETUP.DAT"), dat);
  EXPECT_EQ(files.Data("C:\\TAPE\\UNINSTAL.EXE"), setupExe);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\SETUP.EXE"));
  EXPECT_EQ(files.Data("C:\\TAPE\\DOCS\\README.TXT"), readme);
  EXPECT_EQ(files.Data("C:\\TAPE\\RENAMED.EXE"), tool);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\NTDIR\\NTONLY.DLL"));
  EXPECT_TRUE(files.Find("C:\\TAPE\\NTDIR")->directory);  // made although passed over
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\WNASPI32.DLL"));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\DISK.001"));
  EXPECT_EQ(files.Data("C:\\WINDOWS\\SYSTEM\\ZEMA.VXD"), vxd);
  EXPECT_EQ(files.Data("C:\\WINDOWS\\LFNBK.EXE"), lfnbk);
  EXPECT_EQ(files.Find("C:\\WINDOWS\\LFNBK.EXE")->attributes & platform::attr::kReadOnly, 0u);
  EXPECT_EQ(files.Data("C:\\TAPE\\SCD.EXE"), sched);
  EXPECT_TRUE(state.schedulerInstalled);

  // Time stamps from "/T", except for SETUP.DAT.
  EXPECT_EQ(files.Find("C:\\TAPE\\SETUP.DAT")->time, -1);
  EXPECT_EQ(files.Find("C:\\TAPE\\UNINSTAL.EXE")->time, 820454400);
  EXPECT_EQ(files.Find("C:\\TAPE\\DOCS\\README.TXT")->time, 820454401);
  EXPECT_EQ(files.Find("C:\\WINDOWS\\SYSTEM\\ZEMA.VXD")->time, 9);

  EXPECT_EQ(LogLines(), (std::vector<std::string>{
                            "C:\\TAPE\\SETUP.DAT", "C:\\TAPE\\UNINSTAL.EXE", "C:\\TAPE\\DOCS\\README.TXT",
                            "C:\\TAPE\\RENAMED.EXE", "C:\\WINDOWS\\SYSTEM\\ZEMA.VXD",
                            "C:\\WINDOWS\\LFNBK.EXE", "C:\\TAPE\\SCD.EXE"}));
  CheckLogAndTouchedPaths({"C:\\WINDOWS\\LFNBK.EXE"});

  ASSERT_EQ(ui.boxes.size(), 3u);
  EXPECT_EQ(ui.boxes[0].text, "Please insert disk #2");
  EXPECT_EQ(ui.boxes[0].owner, FakeUi::kDialog);
  EXPECT_EQ(ui.boxes[1].caption, "Disk Error");
  EXPECT_EQ(ui.boxes[2].caption, "Next Diskette Needed");
  EXPECT_TRUE(ui.dialogShown);
  EXPECT_TRUE(CompletionShown());
  EXPECT_EQ(ui.timerMessages, 2);
  EXPECT_EQ(state.fileCount, 9);
}

TEST_F(CopyEngineTest, PlatformRestrictionOnWindowsNt) {
  state.windowsNt = true;
  Insert({{"A.TXT", "a"}, {"B.TXT", "b"}, {"C.TXT", "c"}});
  List({"A.TXT,/D1 /P95", "B.TXT,/D1 /PNT", "C.TXT,/D1"});
  state.fileCount = 3;
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.TXT"));
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\B.TXT"));
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\C.TXT"));
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"C:\\TAPE\\B.TXT", "C:\\TAPE\\C.TXT"}));
}

TEST_F(CopyEngineTest, PassedOverLastEntryStillEndsTheDisk) {
  state.values.mct = "2";
  Insert({{"A.TXT", "a"}, {"NT.TXT", "n"}});
  List({"A.TXT,/D1", "NT.TXT,/D1 /PNT", "B.TXT,/D2"});
  ui.answer = [&](const Box& b) {
    if (b.caption == "Next Diskette Needed") Insert({{"DISK.002", ""}, {"B.TXT", "b"}});
    return 0;
  };
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\B.TXT"));
}

TEST_F(CopyEngineTest, EmptyDiskTableEndsCopyingThere) {
  state.values.mct = "3";
  Insert({{"DISK.001", ""}});
  List({"DISK.001,/D1", "B.TXT,/D2"});
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_TRUE(ui.boxes.empty());  // disk 2 is never asked for
  EXPECT_TRUE(LogLines().empty());
  EXPECT_TRUE(files.IsFile(kLog));
  EXPECT_TRUE(CompletionShown());
}

// Every file but SETUP.DAT gets its "/T" time, through the handle it was
// written with where the machine can (no second open by name), else by
// name once closed.
class TimeStampTest : public CopyEngineTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TimeStampTest, EveryFileButSetupDatGetsItsTime) {
  files.timesThroughHandles = GetParam();
  Insert({{"SETUP.DAT", "[Misc]\r\n"}, {"A.TX_", Compressed(Bytes(6000, 1), 'T')}, {"EMPTY.TXT", ""}});
  List({"SETUP.DAT,/D1 /T5", "A.TX_,/D1 /T820454400", "EMPTY.TXT,/D1 /T7"});
  state.fileCount = 3;
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_EQ(files.Find("C:\\TAPE\\SETUP.DAT")->time, -1);
  EXPECT_EQ(files.Find("C:\\TAPE\\A.TXT")->time, 820454400);
  EXPECT_EQ(files.Find("C:\\TAPE\\EMPTY.TXT")->time, 7);
  const std::vector<std::string> byName =
      GetParam() ? std::vector<std::string>{} : std::vector<std::string>{"C:\\TAPE\\A.TXT", "C:\\TAPE\\EMPTY.TXT"};
  EXPECT_EQ(files.stampedByName, byName);
  CheckLogAndTouchedPaths();
}

// A run with /log, /s or /record sees the machine's files through the
// logged parts: the times still go through the handle where the machine
// can, and the log still names each file written with its size.
TEST_P(TimeStampTest, ALoggedRunStampsTheSameWay) {
  files.timesThroughHandles = GetParam();
  setup::RunLog log(files);
  ASSERT_TRUE(log.Open("C:\\SETUP.LOG"));
  setup::LoggedFiles logged(files, log);
  platform::Machine loggedMachine{unused, logged, unused, unused, lz, ui, unused};
  setup::SetupState loggedState{loggedMachine};
  loggedState.sourceDir = state.sourceDir;
  loggedState.windowsDir = state.windowsDir;
  loggedState.installDir = state.installDir;
  loggedState.values = state.values;
  loggedState.backgroundWindow = state.backgroundWindow;
  Insert({{"SETUP.DAT", "[Misc]\r\n"}, {"A.TX_", Compressed(Bytes(6000, 1), 'T')}, {"EMPTY.TXT", ""}});
  List({"SETUP.DAT,/D1 /T5", "A.TX_,/D1 /T820454400", "EMPTY.TXT,/D1 /T7"});
  loggedState.fileList = state.fileList;
  loggedState.fileCount = 3;

  EXPECT_EQ(CopyProductFiles(loggedState, "C:\\TAPE"), kCopyDone);
  log.Close();
  EXPECT_EQ(files.OpenHandles(), 0u);
  EXPECT_EQ(files.Find("C:\\TAPE\\A.TXT")->time, 820454400);
  EXPECT_EQ(files.Find("C:\\TAPE\\EMPTY.TXT")->time, 7);
  const std::vector<std::string> byName =
      GetParam() ? std::vector<std::string>{} : std::vector<std::string>{"C:\\TAPE\\A.TXT", "C:\\TAPE\\EMPTY.TXT"};
  EXPECT_EQ(files.stampedByName, byName);
  const std::string written = files.Data("C:\\SETUP.LOG");
  EXPECT_NE(written.find("file: C:\\TAPE\\A.TXT 6000 bytes written\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find("file: C:\\TAPE\\EMPTY.TXT 0 bytes written\r\n"), std::string::npos) << written;
}

INSTANTIATE_TEST_SUITE_P(ThroughHandleOrByName, TimeStampTest, ::testing::Bool());

// ---------------------------------------------------------------- failures

TEST_F(CopyEngineTest, MissingFileOnDiskOne) {
  Insert({{"A.TXT", "a"}});
  List({"A.TXT,/D1", "GONE.TXT,/D1"});
  EXPECT_EQ(Run(), kCopyFailed);
  ASSERT_GE(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Listed file GONE.TXT not found! Exiting.");
  EXPECT_EQ(ui.boxes[0].owner, kBackground);
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.TXT"));
  EXPECT_TRUE(CompletionShown());  // the completion display still runs
  CheckLogAndTouchedPaths();
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(CopyEngineTest, MissingFileOnDiskTwo) {
  state.values.mct = "2";
  Insert({{"A.TXT", "a"}});
  List({"A.TXT,/D1", "B.TXT,/D2", "GONE.TXT,/D2"});
  ui.answer = [&](const Box& b) {
    if (b.caption == "Next Diskette Needed") Insert({{"DISK.002", ""}, {"B.TXT", "b"}});
    return 0;
  };
  EXPECT_EQ(Run(), kCopyFailed);
  EXPECT_EQ(ui.BoxesWithCaption("Program Error").size(), 1u);
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\A.TXT"));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\B.TXT"));
  CheckLogAndTouchedPaths();
  EXPECT_EQ(LogLines(), std::vector<std::string>{"C:\\TAPE\\A.TXT"});
}

TEST_F(CopyEngineTest, CancelOnDiskErrorFails) {
  state.values.mct = "2";
  Insert({{"A.TXT", "a"}});
  List({"A.TXT,/D1", "B.TXT,/D2"});
  ui.answer = [](const Box& b) { return b.caption == "Disk Error" ? platform::answer::kCancel : 0; };
  EXPECT_EQ(Run(), kCopyFailed);
  EXPECT_EQ(ui.BoxesWithCaption("Continue Installing?").size(), 0u);
  EXPECT_TRUE(CompletionShown());
  CheckLogAndTouchedPaths();
}

struct TransferErrorCase {
  const char* what;
  int answer;  // to "Continue Installing?"
  int result;
  friend std::ostream& operator<<(std::ostream& os, const TransferErrorCase& c) { return os << c.what; }
};

class TransferErrorTest : public CopyEngineTest, public ::testing::WithParamInterface<TransferErrorCase> {
 protected:
  void AnswerContinue() {
    ui.answer = [](const Box& b) {
      return b.caption == "Continue Installing?" ? GetParam().answer : 0;
    };
  }
};

TEST_P(TransferErrorTest, TruncatedCompressedFileIsAReadError) {
  std::string whole = Compressed(Bytes(20000, 9), 'L');
  Insert({{"BAD.DL_", whole.substr(0, whole.size() / 2)}, {"NEXT.TXT", "n"}});
  List({"BAD.DL_,/D1", "NEXT.TXT,/D1"});
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  auto errors = ui.BoxesWithCaption("Program error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text, "There was an error reading a file.\nA:\\BAD.DL_");
  EXPECT_EQ(errors[0].owner, FakeUi::kDialog);
  EXPECT_EQ(errors[0].flags & platform::mb::kIconMask, platform::mb::kIconError);
  // Copying went on with the next entry.
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\NEXT.TXT"));
  auto ask = ui.BoxesWithCaption("Continue Installing?");
  ASSERT_EQ(ask.size(), 1u);
  EXPECT_EQ(ask[0].flags, platform::mb::kYesNo | platform::mb::kIconQuestion);
  CheckLogAndTouchedPaths();
}

TEST_P(TransferErrorTest, FailingReadIsAReadErrorWithTheUpperCaseSourcePath) {
  Insert({{"bad.txt", "x"}, {"NEXT.TXT", "n"}});
  List({"bad.txt,/D1", "NEXT.TXT,/D1"});
  lz.failReads.insert("A:\\BAD.TXT");
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  auto errors = ui.BoxesWithCaption("Program error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text, "There was an error reading a file.\nA:\\BAD.TXT");
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\NEXT.TXT"));
  CheckLogAndTouchedPaths();
}

TEST_P(TransferErrorTest, ReadOnlyTargetStopsCopying) {
  state.values.mct = "2";
  files.PutFile("C:\\TAPE\\B.TXT", "old");
  files.nodes["C:\\TAPE\\B.TXT"].attributes = platform::attr::kReadOnly;
  Insert({{"A.TXT", "a"}, {"B.TXT", "b"}, {"C.TXT", "c"}});
  List({"A.TXT,/D1", "B.TXT,/D1", "C.TXT,/D1", "D.TXT,/D2"});
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  auto errors = ui.BoxesWithCaption("Program error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text, "There was an error writing a file.\nC:\\TAPE\\B.TXT");
  EXPECT_EQ(files.Data("C:\\TAPE\\B.TXT"), "old");
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\C.TXT"));
  EXPECT_EQ(ui.BoxesWithCaption("Next Diskette Needed").size(), 0u);  // later disks not asked for
  EXPECT_FALSE(CompletionShown());  // stopped: no completion display
  EXPECT_EQ(ui.timerMessages, 0);
  // The file that could not be created is logged too.
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"C:\\TAPE\\A.TXT", "C:\\TAPE\\B.TXT"}));
  CheckLogAndTouchedPaths();
}

TEST_P(TransferErrorTest, DirectoryInTheWayStopsCopying) {
  files.nodes["C:\\TAPE\\A.TXT"].directory = true;
  Insert({{"A.TXT", "a"}, {"B.TXT", "b"}});
  List({"A.TXT,/D1", "B.TXT,/D1"});
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  EXPECT_EQ(ui.BoxesWithCaption("Program error").size(), 1u);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\B.TXT"));
  EXPECT_EQ(LogLines(), std::vector<std::string>{"C:\\TAPE\\A.TXT"});
  CheckLogAndTouchedPaths();
}

TEST_P(TransferErrorTest, DiskFullMidwayReportsEveryFailingBlock) {
  // 12000 bytes are three blocks; the disk holds the log line and a bit
  // more than one block, so the second and third block fail.
  const std::string big = Bytes(12000, 11);
  Insert({{"BIG.DA_", Compressed(big, 'T')}, {"SMALL.TXT", "s"}});
  List({"BIG.DA_,/D1", "SMALL.TXT,/D1"});
  files.freeOnC = 6000;
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  auto errors = ui.BoxesWithCaption("Program error");
  ASSERT_EQ(errors.size(), 2u);
  for (const Box& b : errors) EXPECT_EQ(b.text, "There was an error writing a file.\nC:\\TAPE\\BIG.DAT");
  EXPECT_EQ(files.Data("C:\\TAPE\\BIG.DAT"), big.substr(0, 5120));
  CheckLogAndTouchedPaths();
}

// The "/C" field of a line: the CRC-32 of the data as they are expanded.
std::string ChecksumOf(const std::string& expanded) {
  return ChecksumOptionText(Crc32Of(reinterpret_cast<const std::uint8_t*>(expanded.data()), expanded.size()));
}

TEST_P(TransferErrorTest, DataNotMatchingTheirChecksumAreAReadErrorOfThatFile) {
  // Three blocks and a bit, compressed, and a plain file, each with one
  // byte changed after the checksum was taken: both are named, copying
  // goes on, the file with the right checksum is copied without a word.
  std::string program = Bytes(15555, 21);
  const std::string programSum = ChecksumOf(program);
  program[11000] ^= 0x40;
  std::string notes = "release notes\r\n";
  const std::string notesSum = ChecksumOf(notes);
  notes[3] = 'E';
  const std::string good = Bytes(6000, 22);
  Insert({{"TAPE.EX_", Compressed(program, 'E')}, {"NOTES.TXT", notes}, {"GOOD.DL_", Compressed(good, 'L')}});
  const std::string lines[] = {"TAPE.EX_,/D1 /T0 " + programSum, "NOTES.TXT,/D1 " + notesSum,
                               "GOOD.DL_,/D1 " + ChecksumOf(good)};
  for (const std::string& l : lines) state.fileList.push_back(l + "\n");
  state.fileCount = 3;
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  auto errors = ui.BoxesWithCaption("Program error");
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].text, "There was an error reading a file.\nA:\\TAPE.EX_");
  EXPECT_EQ(errors[1].text, "There was an error reading a file.\nA:\\NOTES.TXT");
  EXPECT_EQ(errors[0].owner, FakeUi::kDialog);
  // What was read is what was written: the check changes no data.
  EXPECT_EQ(files.Data("C:\\TAPE\\TAPE.EXE"), program);
  EXPECT_EQ(files.Data("C:\\TAPE\\GOOD.DLL"), good);
  EXPECT_EQ(ui.BoxesWithCaption("Continue Installing?").size(), 1u);
  EXPECT_TRUE(CompletionShown());
  CheckLogAndTouchedPaths();
}

TEST_P(TransferErrorTest, PlainFileCutShortIsCaughtByItsChecksum) {
  // A plain file has no recorded length: only the checksum tells that it
  // ends early.
  const std::string whole = Bytes(10240, 23);
  Insert({{"DATA.BIN", whole.substr(0, 7000)}, {"NEXT.TXT", "n"}});
  state.fileList.push_back("DATA.BIN,/D1 " + ChecksumOf(whole) + "\n");
  List({"NEXT.TXT,/D1"});
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  auto errors = ui.BoxesWithCaption("Program error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text, "There was an error reading a file.\nA:\\DATA.BIN");
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\NEXT.TXT"));
  CheckLogAndTouchedPaths();
}

TEST_P(TransferErrorTest, CutCompressedFileWithAChecksumIsReportedOnce) {
  const std::string data = Bytes(20000, 24);
  const std::string whole = Compressed(data, 'L');
  Insert({{"BAD.DL_", whole.substr(0, whole.size() / 2)}});
  state.fileList.push_back("BAD.DL_,/D1 " + ChecksumOf(data) + "\n");
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  EXPECT_EQ(ui.BoxesWithCaption("Program error").size(), 1u);
}

TEST_P(TransferErrorTest, FailingReadWithAChecksumIsReportedOnce) {
  Insert({{"BAD.TXT", "x"}});
  state.fileList.push_back("BAD.TXT,/D1 " + ChecksumOf("x") + "\n");
  lz.failReads.insert("A:\\BAD.TXT");
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  EXPECT_EQ(ui.BoxesWithCaption("Program error").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(ContinueOrNot, TransferErrorTest,
                         ::testing::Values(TransferErrorCase{"yes", platform::answer::kYes, kCopyDone},
                                           TransferErrorCase{"no", platform::answer::kNo, kCopyCancelled}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(CopyEngineTest, CancelMidFileAnsweredNoThenYes) {
  const std::string big = Bytes(30000, 12);  // six blocks
  Insert({{"A.TXT", "a"}, {"BIG.BIN", big}, {"C.TXT", "c"}});
  List({"A.TXT,/D1", "BIG.BIN,/D1", "C.TXT,/D1"});
  // Cancel is pressed during the second block of BIG.BIN (answered No) and
  // during its fourth (answered Yes).
  int pumps = 0;
  ui.onPump = [&] {
    ++pumps;
    if (pumps == 3 || pumps == 5) ui.Press(progress_ctl::kCancel);
  };
  int confirmations = 0;
  ui.answer = [&](const Box& b) {
    if (b.caption != "Confirm Cancel") return 0;
    EXPECT_EQ(b.owner, FakeUi::kDialog);
    return ++confirmations == 1 ? platform::answer::kNo : platform::answer::kYes;
  };
  EXPECT_EQ(Run(), kCopyCancelled);
  EXPECT_EQ(confirmations, 2);
  // The file being copied keeps what was written and is logged.
  EXPECT_EQ(files.Data("C:\\TAPE\\BIG.BIN"), big.substr(0, 4 * 5120));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\C.TXT"));
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"C:\\TAPE\\A.TXT", "C:\\TAPE\\BIG.BIN"}));
  EXPECT_FALSE(CompletionShown());
  EXPECT_EQ(ui.timerMessages, 0);
  EXPECT_EQ(ui.BoxesWithCaption("Continue Installing?").size(), 0u);
  CheckLogAndTouchedPaths();
}

TEST_F(CopyEngineTest, FastDiskLetsMessagesThroughEvery50MsAndStillCancelsMidFile) {
  // Each block takes 10 ms: messages go through at the first block, then
  // every fifth. Cancel, pressed at the second time, stops BIG.BIN after
  // its fifth block.
  unused.tickStep = 10;
  const std::string big = Bytes(20 * 5120, 7);
  Insert({{"A.TXT", "a"}, {"BIG.BIN", big}, {"C.TXT", "c"}});
  List({"A.TXT,/D1", "BIG.BIN,/D1", "C.TXT,/D1"});
  int pumps = 0;
  ui.onPump = [&] {
    if (++pumps == 2) ui.Press(progress_ctl::kCancel);
  };
  ui.answer = [&](const Box& b) { return b.caption == "Confirm Cancel" ? platform::answer::kYes : 0; };
  EXPECT_EQ(Run(), kCopyCancelled);
  EXPECT_EQ(pumps, 2);
  EXPECT_EQ(files.Data("C:\\TAPE\\BIG.BIN"), big.substr(0, 5 * 5120));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\C.TXT"));
  // The window showed the file being copied when the user cancelled.
  EXPECT_EQ(LastStatus(), "Copying:\nC:\\TAPE\\BIG.BIN");
  CheckLogAndTouchedPaths();
}

TEST_F(CopyEngineTest, FileCountTooSmallFreezesTheFilesBar) {
  Insert({{"A.TXT", "a"}, {"B.TXT", "b"}, {"C.TXT", "c"}});
  List({"A.TXT,/D1", "B.TXT,/D1", "C.TXT,/D1"});
  state.fileCount = 1;
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_EQ(LastStatus(), "Copying:\nC:\\TAPE\\B.TXT");  // frozen after the first file
  EXPECT_FALSE(CompletionShown());
  EXPECT_EQ(ui.timerMessages, 2);  // the wait still happens
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\C.TXT"));
}

// A negative file count, from SETUP.DAT or from more SCSI access layer
// files than it counts, is a count never reached: the status text names
// every file and the completion text comes, as for a count that fits.
class NegativeFileCountTest : public CopyEngineTest, public ::testing::WithParamInterface<int> {};

TEST_P(NegativeFileCountTest, StillEndsWithFileTransferComplete) {
  Insert({{"A.TXT", "a"}, {"WNASPI32.DLL", "scsi"}, {"B.TXT", "b"}});
  List({"A.TXT,/D1", "WNASPI32.DLL,/D1", "B.TXT,/D1"});
  state.fileCount = GetParam();
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_EQ(state.fileCount, GetParam() - 1);  // WNASPI32.DLL takes one off
  // (The source name the dialog starts with is replaced by the first
  // target before the window is first brought up to date.)
  EXPECT_EQ(StatusTexts(),
            (std::vector<std::string>{"Copying:\nC:\\TAPE\\A.TXT", "Copying:\nC:\\TAPE\\B.TXT",
                                      "File Transfer Complete."}));
  EXPECT_EQ(ui.timerMessages, 2);
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\B.TXT"));
}

INSTANTIATE_TEST_SUITE_P(Counts, NegativeFileCountTest, ::testing::Values(0, -1, -5, INT_MIN + 1));

TEST_F(CopyEngineTest, SubDirectoryThatCannotBeCreatedFails) {
  Insert({{"A.TXT", "a"}, {"B.TXT", "b"}});
  List({"A.TXT,/D1", "B.TXT,/D1 /XNOPARENT\\SUB"});
  EXPECT_EQ(Run(), kCopyFailed);
  auto boxes = ui.BoxesWithCaption("Cannot create directory");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "C:\\TAPE\\NOPARENT\\SUB");
  EXPECT_EQ(boxes[0].owner, FakeUi::kDialog);
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\A.TXT"));  // the files copied so far stay
  EXPECT_TRUE(CompletionShown());
  CheckLogAndTouchedPaths();
}

TEST_F(CopyEngineTest, LogThatCannotBeCreatedFailsBeforeCopying) {
  files.nodes["C:\\TAPE\\UNINST.LST"].directory = true;
  Insert({{"A.TXT", "a"}});
  List({"A.TXT,/D1"});
  EXPECT_EQ(Run(), kCopyFailed);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "There was an error writing a file.\nC:\\TAPE\\UNINST.LST");
  EXPECT_EQ(ui.boxes[0].owner, kBackground);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.TXT"));
  EXPECT_FALSE(ui.dialogShown);
}

// ---------------------------------------------------------------- hostile disks

TEST_F(CopyEngineTest, HostileLinesStopTheirDiskBeforeAnythingIsCopied) {
  const char* hostile[] = {
      "EVIL.TXT,/D1 /R..\\..\\AUTOEXEC.BAT", "EVIL.TXT,/D1 /X..\\..\\WINDOWS", "EVIL.TXT,/D1 /XC:\\WINDOWS",
      "EVIL.TXT,/D1 /X\\WINDOWS",           "EVIL.TXT,/D1 /RC:EVIL.EXE",    "..\\EVIL.TXT,/D1",
      "EVIL.TXT,/D1 /RTOOLONGNAME.EXE",     "EVIL.TXT,/D1 /R\\EVIL.EXE",
      "EVIL.TXT,/D1 /RUninst.Lst",  // would replace the log
  };
  for (const char* line : hostile) {
    SCOPED_TRACE(line);
    files = MemoryFiles();
    ui.boxes.clear();
    StatusTexts().clear();
    state.fileList.clear();
    Insert({{"A.TXT", "a"}, {"EVIL.TXT", "e"}});
    List({"A.TXT,/D1", line});
    EXPECT_EQ(Run(), kCopyFailed);
    auto boxes = ui.BoxesWithCaption("Program Error");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("EVIL.TXT"), std::string::npos);
    EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.TXT"));  // checked before anything was copied
    EXPECT_TRUE(LogLines().empty());
    CheckLogAndTouchedPaths();
  }
}

TEST_F(CopyEngineTest, HostileLineOnDiskTwoStopsThatDisk) {
  state.values.mct = "2";
  Insert({{"A.TXT", "a"}});
  List({"A.TXT,/D1", "B.TXT,/D2", "C.TXT,/D2 /X..\\.."});
  ui.answer = [&](const Box& b) {
    if (b.caption == "Next Diskette Needed") Insert({{"DISK.002", ""}, {"B.TXT", "b"}, {"C.TXT", "c"}});
    return 0;
  };
  EXPECT_EQ(Run(), kCopyFailed);
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\A.TXT"));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\B.TXT"));
  EXPECT_EQ(LogLines(), std::vector<std::string>{"C:\\TAPE\\A.TXT"});
  CheckLogAndTouchedPaths();
}

TEST_F(CopyEngineTest, HostileNameInACompressedHeaderIsRefused) {
  for (char lastChar : {'\\', ':', '/'}) {
    SCOPED_TRACE(lastChar);
    files = MemoryFiles();
    ui.boxes.clear();
    state.fileList.clear();
    // "EVIL._" expands to "EVIL.\" and the like: not a plain name.
    Insert({{"A.TXT", "a"}, {"EVIL._", Compressed("evil", lastChar)}});
    List({"A.TXT,/D1", "EVIL._,/D1"});
    EXPECT_EQ(Run(), kCopyFailed);
    EXPECT_EQ(ui.BoxesWithCaption("Program Error").size(), 1u);
    EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.TXT"));
    CheckLogAndTouchedPaths();
  }
}

TEST_F(CopyEngineTest, InstallNameWinsOverTheCompressedHeader) {
  Insert({{"EVIL._", Compressed("data", '\\')}});
  List({"EVIL._,/D1 /RGOOD.DAT"});
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_EQ(files.Data("C:\\TAPE\\GOOD.DAT"), "data");
}

TEST_F(CopyEngineTest, RightChecksumsAndNoneCopyAlikeWithoutAMessage) {
  // Files of 0 bytes, exactly one block and more, compressed and plain,
  // each with its right checksum, beside a line without one (a set made
  // before checksums were recorded).
  const std::string one = Bytes(5120, 31), more = Bytes(12345, 32);
  Insert({{"EMPTY.TXT", ""}, {"ONE.DA_", Compressed(one, 'T')}, {"MORE.BIN", more}, {"OLD.TXT", "old"}});
  for (const std::string& l : {"EMPTY.TXT,/D1 " + ChecksumOf(""), "ONE.DA_,/D1 /T9 " + ChecksumOf(one),
                               "MORE.BIN,/D1 " + ChecksumOf(more), std::string("OLD.TXT,/D1 /T9")}) {
    state.fileList.push_back(l + "\n");
  }
  state.fileCount = 4;
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_TRUE(ui.BoxesWithCaption("Program error").empty());
  EXPECT_TRUE(ui.BoxesWithCaption("Continue Installing?").empty());
  EXPECT_EQ(files.Data("C:\\TAPE\\ONE.DAT"), one);
  EXPECT_EQ(files.Data("C:\\TAPE\\MORE.BIN"), more);
  EXPECT_EQ(files.Data("C:\\TAPE\\OLD.TXT"), "old");
  EXPECT_TRUE(CompletionShown());
}

TEST_F(CopyEngineTest, MalformedChecksumStopsItsDiskBeforeAnythingIsCopied) {
  Insert({{"A.TXT", "a"}, {"B.TXT", "b"}});
  List({"A.TXT,/D1", "B.TXT,/D1 /C12345"});
  EXPECT_EQ(Run(), kCopyFailed);
  auto refused = ui.BoxesWithCaption("Program Error");
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_NE(refused[0].text.find("/C checksum is not 8 hexadecimal digits"), std::string::npos) << refused[0].text;
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.TXT"));
}

TEST_F(CopyEngineTest, ChecksumMismatchIsNamedInTheRunLog) {
  setup::RunLog log(files);
  ASSERT_TRUE(log.Open("C:\\SETUP.LOG"));
  setup::Unattended unattended(log);
  state.unattended = &unattended;
  Insert({{"BAD.TXT", "bad"}});
  state.fileList.push_back("BAD.TXT,/D1 /C00000001\n");
  ui.answer = [](const Box& b) { return b.caption == "Continue Installing?" ? platform::answer::kYes : 0; };
  EXPECT_EQ(CopyProductFiles(state, "C:\\TAPE"), kCopyDone);
  state.unattended = nullptr;
  log.Close();
  const std::string written = files.Data("C:\\SETUP.LOG");
  const std::string expected = "step: checksum of A:\\BAD.TXT is " + ChecksumOf("bad").substr(2) +
                               ", the file list says 00000001\r\n";
  EXPECT_NE(written.find(expected), std::string::npos) << written;
}

}  // namespace
}  // namespace install
