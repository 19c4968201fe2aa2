// The simulated Program Manager: how it reads command texts, and its state
// kept with the machine from one run to the next.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_progman.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

// The commands of a text as "Name(arg|arg)", and whether it was read.
std::string Read(const std::string& text) {
  std::string out;
  bool ok = ParseProgmanCommands(text, [&out](const std::string& name, const std::vector<std::string>& args) {
    out += name + "(";
    for (std::size_t i = 0; i < args.size(); ++i) out += (i ? "|" : "") + args[i];
    out += ")";
    return true;
  });
  return (ok ? "ok " : "bad ") + out;
}

TEST(SimProgmanTest, ReadsCommandTextsAsProgramManagerDoes) {
  struct Case {
    std::string text;
    const char* expected;
  } cases[] = {
      {"[CreateGroup(Tools)]", "ok CreateGroup(Tools)"},
      {std::string("[CreateGroup(Tools)]\0", 21), "ok CreateGroup(Tools)"},
      {std::string("[CreateGroup(A)]\0[DeleteGroup(B)]", 34), "ok CreateGroup(A)"},
      {" [ CreateGroup ( My Tools ) ] ", "ok CreateGroup(My Tools)"},
      {"[CreateGroup(\"a, (b) [c]\")]", "ok CreateGroup(a, (b) [c])"},
      {"[CreateGroup(\" lead \")]", "ok CreateGroup( lead )"},
      {"[AddItem(C:\\W\\NOTEPAD.EXE \"C:\\T\\README.TXT\",Read Me)]",
       "ok AddItem(C:\\W\\NOTEPAD.EXE \"C:\\T\\README.TXT\"|Read Me)"},
      {"[AddItem(\"C:\\T\\A.EXE\",A,,,-1,-1)]", "ok AddItem(C:\\T\\A.EXE|A|||-1|-1)"},
      {"[ExitProgman]", "ok ExitProgman()"},
      {"[Reload()]", "ok Reload()"},
      {"[CreateGroup(x)][DeleteGroup(y)]", "ok CreateGroup(x)DeleteGroup(y)"},
      // Malformed: each is seen; what came before it has run.
      {"", "bad "},
      {"CreateGroup(x)", "bad "},
      {"[CreateGroup(x)", "bad "},
      {"[CreateGroup(x]", "bad "},
      {"[CreateGroup(\"x)]", "bad "},
      {"[]", "bad "},
      {"[(x)]", "bad "},
      {"[CreateGroup(x)] junk", "bad CreateGroup(x)"},
      {"[CreateGroup(x)][DeleteGroup(y", "bad CreateGroup(x)"},
      {"[CreateGroup(\"x\"y)]", "bad "},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(Read(cases[i].text), cases[i].expected) << "row " << i << ": " << cases[i].text;
  }
}

// Runs one execute text on a conversation of its own.
bool Send(SimProgman& progman, const std::string& command, std::uint32_t* error) {
  platform::DdeInstance instance = 0;
  EXPECT_EQ(progman.Initialize(&instance), 0u);
  platform::DdeStringHandle h = progman.CreateStringHandle(instance, "progman");
  bool ok = progman.Execute(instance, progman.Connect(instance, h, h), command, 1000);
  *error = progman.GetLastError(instance);
  progman.Uninitialize(instance);
  return ok;
}

TEST(SimProgmanTest, CommandsThatFail) {
  SimProgman progman;
  std::uint32_t error = 0;
  EXPECT_FALSE(Send(progman, "[AddItem(C:\\A.EXE,A)]", &error)) << "no active group";
  EXPECT_EQ(error, platform::dmlerr::kNotProcessed);
  EXPECT_FALSE(Send(progman, "[DeleteGroup(Missing)]", &error));
  EXPECT_FALSE(Send(progman, "[CreateGroup(G)][ReplaceItem(Missing)][AddItem(C:\\A.EXE,A)]", &error));
  ASSERT_NE(progman.FindGroup("g"), nullptr) << "the group was created before the failing command";
  EXPECT_TRUE(progman.FindGroup("G")->items.empty()) << "nothing after the failing command ran";
  EXPECT_FALSE(Send(progman, "[Frobnicate(G)]", &error));
  EXPECT_FALSE(Send(progman, "[CreateGroup()]", &error));
  EXPECT_TRUE(Send(progman, "[AddItem(C:\\APPS\\EDIT.EXE)]", &error));
  EXPECT_EQ(progman.FindGroup("G")->items.at(0).caption, "EDIT");
  EXPECT_EQ(progman.OpenInstances(), 0u);
}

TEST(SimProgmanTest, OnlyThePROGMANServiceAnswers) {
  SimProgman progman;
  platform::DdeInstance instance = 0;
  ASSERT_EQ(progman.Initialize(&instance), 0u);
  platform::DdeStringHandle other = progman.CreateStringHandle(instance, "Excel");
  EXPECT_EQ(progman.Connect(instance, other, other), 0u);
  EXPECT_EQ(progman.GetLastError(instance), platform::dmlerr::kNoConvEstablished);
  EXPECT_EQ(progman.GetLastError(instance), platform::dmlerr::kNoError) << "reading resets it";
  progman.Uninitialize(instance);
  EXPECT_EQ(progman.CreateStringHandle(instance, "PROGMAN"), 0u) << "the instance is gone";
}

TEST(SimProgmanTest, StateIsKeptWithTheMachine) {
  fs::path dir = fs::path(::testing::TempDir()) / "sim_progman_state";
  fs::remove_all(dir);
  std::string error;
  const std::string odd = "50% \t tab\r\nline";
  {
    auto m = SimMachine::Open(dir.string(), &error);
    ASSERT_NE(m, nullptr) << error;
    m->progman().AddGroup("Zubeh\xF6r");
    m->progman().AddGroup(odd);
    std::uint32_t e = 0;
    ASSERT_TRUE(Send(m->progman(), "[CreateGroup(Tools)][AddItem(\"C:\\T\\A.EXE\",\"A, b\")]", &e));
    m->progman().SetAnswer(SimProgman::Answer::kFailing, 0x4005);
    ASSERT_TRUE(m->Save(&error)) << error;
  }
  auto m = SimMachine::Open(dir.string(), &error);
  ASSERT_NE(m, nullptr) << error;
  const auto& groups = m->progman().groups();
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0].name, "Zubeh\xF6r");
  EXPECT_EQ(groups[1].name, odd);
  ASSERT_EQ(groups[2].items.size(), 1u);
  EXPECT_EQ(groups[2].items[0].caption, "A, b");
  EXPECT_EQ(groups[2].items[0].commandLine, "C:\\T\\A.EXE");
  EXPECT_EQ(m->progman().answer(), SimProgman::Answer::kFailing);
  EXPECT_EQ(m->progman().failingError(), 0x4005u);
  fs::remove_all(dir);
}

TEST(SimProgmanTest, ABrokenStateFileIsReported) {
  SimProgman progman;
  std::string error;
  EXPECT_FALSE(progman.Import("item A\tB\n", &error)) << "an item before any group";
  EXPECT_NE(error.find("line 1"), std::string::npos) << error;
  EXPECT_FALSE(progman.Import("answer normal\nbogus\n", &error));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  EXPECT_TRUE(progman.Import("; comment\n\nanswer absent\ngroup G\nitem A\tC:\\A.EXE\n", &error));
  EXPECT_EQ(progman.answer(), SimProgman::Answer::kAbsent);
}

}  // namespace
}  // namespace sim
