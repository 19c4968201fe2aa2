// Faults of the simulated machine: a `fail <kind> <n>` statement makes the
// nth operation of that kind fail with the error Windows gives, and only
// that one; nothing counts before the machine is armed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/sim/sim_machine.h"
#include "scenario/scenario.h"
#include "simrun/apply_statement.h"

namespace {

namespace fs = std::filesystem;

class SimFaultsTest : public ::testing::Test {
 protected:
  SimFaultsTest() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::path(::testing::TempDir()) / ("sim_faults_" + std::string(info->name()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "disk");
    std::ofstream(root_ / "disk" / "A.TXT", std::ios::binary) << "disk file";
  }
  ~SimFaultsTest() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  // A fresh machine set up by the scenario's statements, armed.
  std::unique_ptr<sim::SimMachine> SetUp(const std::string& text) {
    std::string error;
    EXPECT_TRUE(scenario::ParseScenario(text + "run A:\\SETUP.EXE\n", "t.scn", &scn_, &error))
        << error;
    scn_.baseDir = root_.string();
    auto m = sim::SimMachine::Open((root_ / "machine").string(), &error);
    EXPECT_NE(m, nullptr) << error;
    for (const scenario::Statement& st : scn_.setup)
      EXPECT_TRUE(simrun::ApplySetupStatement(*m, st, scn_, "", &error)) << error;
    m->faults().Arm();
    return m;
  }

  fs::path root_;
  scenario::Scenario scn_;
};

std::uint32_t WriteOnce(sim::SimMachine& m, const std::string& path) {
  std::uint32_t e = 0, written = 0;
  platform::FileHandle h = m.files().Open(path, platform::OpenMode::kWriteCreate, &e);
  if (h == platform::kInvalidFile) return e;
  e = m.files().Write(h, "data", 4, &written);
  m.files().Close(h);
  return e;
}

std::uint32_t ReadOnce(sim::SimMachine& m, const std::string& path) {
  std::uint32_t e = 0, got = 0;
  platform::FileHandle h = m.files().Open(path, platform::OpenMode::kRead, &e);
  if (h == platform::kInvalidFile) return e;
  char buffer[16];
  e = m.files().Read(h, buffer, sizeof buffer, &got);
  m.files().Close(h);
  return e;
}

std::uint32_t SetOnce(sim::SimMachine& m) {
  platform::RegKey key = 0;
  std::uint32_t e = m.registry().CreateKey(platform::hkey::kLocalMachine, "SOFTWARE\\T",
                                           platform::kKeyAllAccess, &key, nullptr);
  if (e != 0) return e;
  e = m.registry().SetValue(key, "V", platform::regtype::kSz, "x");
  m.registry().CloseKey(key);
  return e;
}

std::uint32_t OpenManager(sim::SimMachine& m) {
  platform::ServiceHandle h = platform::kNoService;
  std::uint32_t e = m.services().OpenSCManager(platform::kScManagerAllAccess, &h);
  if (e == 0) m.services().CloseServiceHandle(h);
  return e;
}

// Each kind: the operation, run three times; the second fails with the
// kind's error, the first and third succeed.
TEST_F(SimFaultsTest, TheNthOperationOfAKindFailsWithItsError) {
  struct Case {
    const char* statement;
    sim::FaultKind kind;
    std::function<std::uint32_t(sim::SimMachine&)> operation;
    std::uint32_t error;
  };
  const Case cases[] = {
      {"fail read 2", sim::FaultKind::kRead, [](sim::SimMachine& m) { return ReadOnce(m, "A:\\A.TXT"); }, 23},
      {"fail registry 2", sim::FaultKind::kRegistry, SetOnce, 1013},
      {"fail service 2", sim::FaultKind::kService, OpenManager, 5},
      {"fail disk 2", sim::FaultKind::kDisk,
       [this](sim::SimMachine& m) {
         m.InsertDisk('A', (root_ / "disk").string());
         platform::FileStatus status;
         return m.files().GetFileStatus("A:\\A.TXT", &status);
       },
       21},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    auto m = SetUp(std::string("platform nt\ndrive A: disk\n") + c.statement + "\n");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(c.operation(*m), 0u);
    EXPECT_FALSE(m->faults().Fired(c.kind));
    EXPECT_EQ(c.operation(*m), c.error);
    EXPECT_TRUE(m->faults().Fired(c.kind));
    EXPECT_EQ(c.operation(*m), 0u);
    EXPECT_EQ(m->faults().Count(c.kind), 3u);
    m.reset();
    fs::remove_all(root_ / "machine");
  }
}

// A full disk stays full: later writes that grow a file fail too, until
// a deletion frees space. Reads of C: are no disk reads.
TEST_F(SimFaultsTest, TheDiskStaysFullFromTheFailingWriteOn) {
  auto m = SetUp("fail write 2\nfail read 1\n");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(WriteOnce(*m, "C:\\A.DAT"), 0u);
  EXPECT_EQ(WriteOnce(*m, "C:\\B.DAT"), 112u);
  EXPECT_EQ(WriteOnce(*m, "C:\\C.DAT"), 112u);
  EXPECT_EQ(m->files().FreeSpace('C'), 0u);
  EXPECT_EQ(ReadOnce(*m, "C:\\A.DAT"), 0u);
  EXPECT_EQ(m->faults().Count(sim::FaultKind::kRead), 0u);
  EXPECT_EQ(m->files().DeleteFile("C:\\A.DAT"), 0u);
  EXPECT_EQ(WriteOnce(*m, "C:\\D.DAT"), 0u);
}

// Set-up work before the machine is armed counts nothing.
TEST_F(SimFaultsTest, NothingCountsBeforeArming) {
  std::string error;
  auto m = sim::SimMachine::Open((root_ / "machine").string(), &error);
  ASSERT_NE(m, nullptr) << error;
  m->faults().Fail(sim::FaultKind::kWrite, 1);
  EXPECT_EQ(WriteOnce(*m, "C:\\A.DAT"), 0u);
  EXPECT_EQ(m->faults().Count(sim::FaultKind::kWrite), 0u);
  m->faults().Arm();
  EXPECT_EQ(WriteOnce(*m, "C:\\A.DAT"), 112u);
}

TEST(SimFaultsParser, RefusesWrongFailStatements) {
  const char* wrong[] = {"fail write 0\n", "fail nothing 1\n", "fail write\n", "fail write x\n",
                         "fail write 1 2\n", "fail write 4294967296\n"};
  for (const char* text : wrong) {
    scenario::Scenario s;
    std::string error;
    EXPECT_FALSE(scenario::ParseScenario(std::string(text) + "run x\n", "t.scn", &s, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  scenario::Scenario s;
  std::string error;
  ASSERT_TRUE(scenario::ParseScenario("FAIL Registry 7\nrun x\n", "t.scn", &s, &error)) << error;
  ASSERT_EQ(s.setup.size(), 1u);
  EXPECT_EQ(s.setup[0].kind, scenario::Kind::kFail);
  EXPECT_EQ(s.setup[0].As<scenario::FailSetup>().operation, "registry");
  EXPECT_EQ(s.setup[0].As<scenario::FailSetup>().nth, 7u);
}

}  // namespace
