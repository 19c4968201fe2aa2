// The Program Manager client against the simulated Program Manager: the
// groups and items it holds afterwards, the commands as they arrived, and
// the error boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "groups/progman_client.h"
#include "support/progman_machine.h"

namespace groups {
namespace {

using sim::SimProgman;

// Items as "caption|command line", for readable comparisons.
std::vector<std::string> ItemsOfGroup(const SimProgman& progman, const std::string& group) {
  std::vector<std::string> out;
  const SimProgman::Group* g = progman.FindGroup(group);
  if (g == nullptr) return {"<no group " + group + ">"};
  for (const SimProgman::Item& item : g->items) out.push_back(item.caption + "|" + item.commandLine);
  return out;
}

// An item as Program Manager keeps it: the quoted path was read as one
// argument, without its quotes.
std::string Exe(const char* caption, const char* file) {
  return std::string(caption) + "|C:\\TAPE\\" + file;
}
const std::string kReadMeLine = "|C:\\WINDOWS\\NOTEPAD.EXE \"C:\\TAPE\\README.TXT\"";

class GroupClientTest : public ::testing::Test, protected testsupport::ProgmanMachine {
 protected:
  // Creates the group and adds the items, as the end of an installation.
  void Install() {
    CreateProgramGroup(state);
    AddProgramItems(state);
  }
  // Sends an execute text of the test's own on a conversation of its own.
  bool Send(const std::string& command) {
    platform::DdeInstance instance = 0;
    if (progman.Initialize(&instance) != 0) return false;
    platform::DdeStringHandle h = progman.CreateStringHandle(instance, "PROGMAN");
    bool ok = progman.Execute(instance, progman.Connect(instance, h, h), command, 1000);
    progman.Uninitialize(instance);
    return ok;
  }
  void ExpectAllClosed() {
    EXPECT_EQ(progman.OpenInstances(), 0u);
    EXPECT_EQ(progman.OpenConversations(), 0u);
  }
};

// ---------------------------------------------------------------- item lists

struct ListCase {
  const char* product;
  bool se, y;
  int language;
  std::vector<std::string> items;
};

TEST_F(GroupClientTest, EveryProductAndEditionInEnglishAndGerman) {
  const std::string readMe = "Read Me" + kReadMeLine;
  const ListCase cases[] = {
      {"Halvorn", false, false, 0,
       {Exe("Halvorn+", "HALVORN.EXE"), Exe("Quivvel", "QUIVVEL.EXE"), Exe("Reelwise", "REELWISE.EXE"),
        Exe("Tape Setup", "TSETUP.EXE"), Exe("Scheduler", "SCD.EXE"), Exe("UnInstaller", "UNINSTAL.EXE"),
        readMe}},
      {"Halvorn", false, false, 1,
       {Exe("Halvorn+", "HALVORN.EXE"), Exe("Quivvel", "QUIVVEL.EXE"), Exe("Reelwise", "REELWISE.EXE"),
        Exe("Band Setup", "TSETUP.EXE"), Exe("Planer", "SCD.EXE"), Exe("Deinstallierer", "UNINSTAL.EXE"),
        readMe}},
      {"Halvorn", true, false, 0,
       {Exe("Halvorn SE", "HALVORN.EXE"), Exe("Reelwise", "REELWISE.EXE"), Exe("Tape Setup", "TSETUP.EXE"),
        Exe("Halvorn+ Upgrade Offer", "UPGRADE.EXE"), Exe("UnInstaller", "UNINSTAL.EXE"), readMe}},
      {"Halvorn", true, false, 1,
       {Exe("Halvorn SE", "HALVORN.EXE"), Exe("Reelwise", "REELWISE.EXE"), Exe("Band Setup", "TSETUP.EXE"),
        Exe("Halvorn+ Upgrade-Angebot", "UPGRADE.EXE"), Exe("Deinstallierer", "UNINSTAL.EXE"), readMe}},
      {"Halvorn", true, true, 0,
       {Exe("Halvorn SE", "HALVORN.EXE"), Exe("Quivvel", "QUIVVEL.EXE"), Exe("Reelwise", "REELWISE.EXE"),
        Exe("Tape Setup", "TSETUP.EXE"), Exe("Halvorn+ Upgrade Offer", "UPGRADE.EXE"),
        Exe("UnInstaller", "UNINSTAL.EXE"), readMe}},
      {"Halvorn", true, true, 1,
       {Exe("Halvorn SE", "HALVORN.EXE"), Exe("Quivvel", "QUIVVEL.EXE"), Exe("Reelwise", "REELWISE.EXE"),
        Exe("Band Setup", "TSETUP.EXE"), Exe("Halvorn+ Upgrade-Angebot", "UPGRADE.EXE"),
        Exe("Deinstallierer", "UNINSTAL.EXE"), readMe}},
      {"Ostrilk", false, false, 0,
       {Exe("Ostrilk", "OSTRILK.EXE"), Exe("Reelwise", "REELWISE.EXE"), Exe("Tape Setup", "TSETUP.EXE"),
        Exe("Scheduler", "SCD.EXE"), Exe("UnInstaller", "UNINSTAL.EXE"), readMe}},
      {"Ostrilk", true, false, 1,
       {Exe("Ostrilk", "OSTRILK.EXE"), Exe("Reelwise", "REELWISE.EXE"), Exe("Band Setup", "TSETUP.EXE"),
        Exe("Planer", "SCD.EXE"), Exe("Deinstallierer", "UNINSTAL.EXE"), readMe}},
      {"Pellidor", false, false, 0,
       {Exe("Pellidor+", "PELLIDOR.EXE"), Exe("Quivvel", "QUIVVEL.EXE"), Exe("Scheduler", "SCD.EXE"),
        Exe("UnInstaller", "UNINSTAL.EXE"), readMe}},
      {"Pellidor", false, false, 1,
       {Exe("Pellidor+", "PELLIDOR.EXE"), Exe("Quivvel", "QUIVVEL.EXE"), Exe("Planer", "SCD.EXE"),
        Exe("Deinstallierer", "UNINSTAL.EXE"), readMe}},
      {"Pellidor", true, false, 0,
       {Exe("Pellidor SE", "PELLIDOR.EXE"), Exe("Pellidor+ Upgrade Offer", "UPGRADE.EXE"),
        Exe("UnInstaller", "UNINSTAL.EXE"), readMe}},
      {"Pellidor", true, false, 1,
       {Exe("Pellidor SE", "PELLIDOR.EXE"), Exe("Pellidor+ Upgrade-Angebot", "UPGRADE.EXE"),
        Exe("Deinstallierer", "UNINSTAL.EXE"), readMe}},
      {"Pellidor", true, true, 0,
       {Exe("Pellidor SE", "PELLIDOR.EXE"), Exe("Quivvel", "QUIVVEL.EXE"),
        Exe("Pellidor+ Upgrade Offer", "UPGRADE.EXE"), Exe("UnInstaller", "UNINSTAL.EXE"), readMe}},
      {"Pellidor", true, true, 1,
       {Exe("Pellidor SE", "PELLIDOR.EXE"), Exe("Quivvel", "QUIVVEL.EXE"),
        Exe("Pellidor+ Upgrade-Angebot", "UPGRADE.EXE"), Exe("Deinstallierer", "UNINSTAL.EXE"), readMe}},
      {"Trevanix", false, false, 0,
       {Exe("Trevanix", "TREVANIX.EXE"), Exe("Tape Inspector", "TINSPECT.EXE"),
        Exe("Conversion Table Editor", "ZEMATBL.EXE"), Exe("SCSI Tape Setup", "STSETUP.EXE"),
        Exe("UnInstaller", "UNINSTAL.EXE"), readMe}},
      {"Trevanix", false, false, 1,
       {Exe("Trevanix", "TREVANIX.EXE"), Exe("Tape Inspector", "TINSPECT.EXE"),
        Exe("Conversion Table Editor", "ZEMATBL.EXE"), Exe("Band Setup", "STSETUP.EXE"),
        Exe("Deinstallierer", "UNINSTAL.EXE"), readMe}},
      {"Quivvel", false, false, 0, {Exe("Quivvel", "QUIVVEL.EXE"), Exe("UnInstaller", "UNINSTAL.EXE"), readMe}},
      {"Quivvel", false, false, 1,
       {Exe("Quivvel", "QUIVVEL.EXE"), Exe("Deinstallierer", "UNINSTAL.EXE"), readMe}},
      {"RQ-TAPE", false, false, 0,
       {Exe("RQ-TAPE", "RQTAPE.EXE"), Exe("Tape Inspector", "RQINSP.EXE"),
        Exe("Conversion Table Editor", "RQTBL.EXE"), Exe("SCSI Tape Setup", "RQSETUP.EXE"),
        Exe("UnInstaller", "UNINSTAL.EXE"), readMe}},
      {"RQ-TAPE", false, false, 1,
       {Exe("Trevanix", "RQTAPE.EXE"), Exe("Tape Inspector", "RQINSP.EXE"),
        Exe("Conversion Table Editor", "RQTBL.EXE"), Exe("Band Setup", "RQSETUP.EXE"),
        Exe("Deinstallierer", "UNINSTAL.EXE"), readMe}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    testsupport::ProgmanMachine m;
    m.state.productName = cases[i].product;
    m.state.seEdition = cases[i].se;
    m.state.yEdition = cases[i].y;
    m.state.language = cases[i].language;
    m.state.groupName = "Group " + std::to_string(i);
    CreateProgramGroup(m.state);
    AddItemsResult result = AddProgramItems(m.state);
    EXPECT_TRUE(result.sent) << "row " << i;
    EXPECT_EQ(ItemsOfGroup(m.progman, m.state.groupName), cases[i].items) << "row " << i;
    EXPECT_TRUE(m.ui.boxes.empty()) << "row " << i;
  }
}

TEST_F(GroupClientTest, SchedulerOnlyWhenItWasInstalled) {
  state.schedulerInstalled = false;
  Install();
  EXPECT_EQ(ItemsOfGroup(progman, state.groupName),
            (std::vector<std::string>{Exe("Halvorn+", "HALVORN.EXE"), Exe("Quivvel", "QUIVVEL.EXE"),
                                      Exe("Reelwise", "REELWISE.EXE"), Exe("Tape Setup", "TSETUP.EXE"),
                                      Exe("UnInstaller", "UNINSTAL.EXE"), "Read Me" + kReadMeLine}));
}

TEST_F(GroupClientTest, CommandsAndTimeOutsAsSent) {
  state.productName = "Quivvel";
  Install();
  std::vector<std::string> sent;
  for (const SimProgman::Transaction& t : progman.transactions())
    sent.push_back(std::to_string(t.timeoutMs) + " " + t.text);
  EXPECT_EQ(sent, (std::vector<std::string>{
                      "10000 [CreateGroup(Halvorn+ for Windows 95 - QIC)]",
                      "1000 [ReplaceItem(Quivvel)]",
                      "1000 [AddItem(\"C:\\TAPE\\QUIVVEL.EXE\",Quivvel)]",
                      "1000 [ReplaceItem(UnInstaller)]",
                      "1000 [AddItem(\"C:\\TAPE\\UNINSTAL.EXE\",UnInstaller)]",
                      "1000 [ReplaceItem(Read Me)]",
                      "1000 [AddItem(C:\\WINDOWS\\NOTEPAD.EXE \"C:\\TAPE\\README.TXT\",Read Me)]",
                  }));
  ExpectAllClosed();
  ListProgramGroups(state);
  DeleteProgramGroup(state);
  ASSERT_EQ(progman.transactions().size(), 9u);
  EXPECT_EQ(progman.transactions()[7].text, "Groups");
  EXPECT_EQ(progman.transactions()[7].timeoutMs, kGroupListTimeoutMs);
  EXPECT_EQ(progman.transactions()[8].text, "[DeleteGroup(Halvorn+ for Windows 95 - QIC)]");
  EXPECT_EQ(progman.transactions()[8].timeoutMs, kGroupCommandTimeoutMs);
  EXPECT_TRUE(progman.groups().empty());
  ExpectAllClosed();
}

TEST_F(GroupClientTest, InstallingAgainReplacesTheItemsInPlace) {
  // A group of that name already holds items of the user's and an older
  // "Quivvel" item.
  ASSERT_TRUE(Send("[CreateGroup(" + state.groupName + ")][AddItem(C:\\NOTES.EXE,Notes)]"
                   "[AddItem(C:\\OLD\\QUIVVEL.EXE,Quivvel)][AddItem(C:\\GAMES.EXE,Games)]"));
  state.productName = "Quivvel";
  const std::vector<std::string> expected = {"Notes|C:\\NOTES.EXE", Exe("Quivvel", "QUIVVEL.EXE"),
                                             "Games|C:\\GAMES.EXE", Exe("UnInstaller", "UNINSTAL.EXE"),
                                             "Read Me" + kReadMeLine};
  Install();
  EXPECT_EQ(ItemsOfGroup(progman, state.groupName), expected);
  Install();
  EXPECT_EQ(ItemsOfGroup(progman, state.groupName), expected);
  EXPECT_EQ(progman.groups().size(), 1u);
}

TEST_F(GroupClientTest, AProductWithoutItemListGetsAnEmptyGroup) {
  state.productName = "Pellidor Pro";
  Install();
  EXPECT_EQ(ItemsOfGroup(progman, state.groupName), std::vector<std::string>{});
  EXPECT_EQ(progman.transactions().size(), 1u);  // the CreateGroup only
}

TEST_F(GroupClientTest, ARefusedItemDoesNotStopTheNext) {
  progman.SetRefusedText("[AddItem(\"C:\\TAPE\\REELWISE.EXE\"");
  Install();
  std::vector<std::string> items = ItemsOfGroup(progman, state.groupName);
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[2], Exe("Tape Setup", "TSETUP.EXE"));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(GroupClientTest, ACommandLineOver259CharactersLeavesOnlyThatItemOut) {
  // The read-me item's Notepad form is the longest command line.
  state.windowsDir = "C:\\" + std::string(150, 'W');
  state.installDir = "C:\\" + std::string(100, 'I');
  state.productName = "Quivvel";
  Install();
  AddItemsResult again = AddProgramItems(state);
  ASSERT_EQ(again.items.size(), 3u);
  EXPECT_EQ(again.items[0].outcome, ItemOutcome::kAdded);
  EXPECT_EQ(again.items[2].outcome, ItemOutcome::kCommandLineTooLong);
  const SimProgman::Group* g = progman.FindGroup(state.groupName);
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->items.size(), 2u);
  EXPECT_EQ(g->items[1].caption, "UnInstaller");
}

// ---------------------------------------------------------------- the group list

TEST_F(GroupClientTest, ListsTheGroupsAndTestsExistenceWithCase) {
  progman.AddGroup("Accessories");
  progman.AddGroup("Zubeh\xF6r");
  progman.AddGroup(std::string(300, 'G'));
  GroupList list = ListProgramGroups(state);
  EXPECT_TRUE(list.answered);
  EXPECT_EQ(list.names, (std::vector<std::string>{"Accessories", "Zubeh\xF6r", std::string(300, 'G')}));
  state.groupName = "Zubeh\xF6r";
  EXPECT_TRUE(ProgramGroupExists(state));
  state.groupName = "accessories";
  EXPECT_FALSE(ProgramGroupExists(state));
  ExpectAllClosed();
}

// ---------------------------------------------------------------- failures

TEST_F(GroupClientTest, AbsentProgramManager) {
  progman.SetAnswer(SimProgman::Answer::kAbsent);
  progman.AddGroup("Accessories");
  GroupCommandResult created = CreateProgramGroup(state);
  EXPECT_TRUE(created.sent);
  EXPECT_FALSE(created.carriedOut);
  AddItemsResult added = AddProgramItems(state);
  EXPECT_TRUE(added.sent);
  for (const ItemResult& item : added.items) EXPECT_NE(item.outcome, ItemOutcome::kAdded) << item.fileName;
  GroupList list = ListProgramGroups(state);
  EXPECT_FALSE(list.answered);
  EXPECT_TRUE(list.names.empty());
  EXPECT_FALSE(ProgramGroupExists(state));
  DeleteProgramGroup(state);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, "DdeClientTransaction Failed, err# 16394");
  EXPECT_EQ(ui.boxes[0].caption, "Error");
  EXPECT_EQ(ui.boxes[0].owner, kBackground);
  EXPECT_EQ(ui.boxes[0].flags, 0u);
  EXPECT_EQ(ui.boxes[1].text, "var 0 : rslt 1 = 400a");
  EXPECT_EQ(ui.boxes[1].caption, "");
  EXPECT_EQ(ui.boxes[1].owner, kBackground);
  EXPECT_TRUE(progman.transactions().empty());
  EXPECT_EQ(progman.groups().size(), 1u);
  ExpectAllClosed();
}

TEST_F(GroupClientTest, FailingExecuteShowsTheDdeErrorNumber) {
  struct Case {
    std::uint32_t error;
    const char* createText;
    const char* deleteText;
  } cases[] = {
      {platform::dmlerr::kNotProcessed, "DdeClientTransaction Failed, err# 16393", "var 0 : rslt 1 = 4009"},
      {platform::dmlerr::kExecAckTimeout, "DdeClientTransaction Failed, err# 16389", "var 0 : rslt 1 = 4005"},
      {platform::dmlerr::kBusy, "DdeClientTransaction Failed, err# 16385", "var 0 : rslt 1 = 4001"},
  };
  for (const Case& c : cases) {
    testsupport::ProgmanMachine m;
    m.progman.SetAnswer(SimProgman::Answer::kFailing, c.error);
    m.progman.AddGroup(m.state.groupName);
    EXPECT_TRUE(CreateProgramGroup(m.state).sent);
    EXPECT_TRUE(ListProgramGroups(m.state).answered) << "requests are still answered";
    EXPECT_TRUE(DeleteProgramGroup(m.state).sent);
    ASSERT_EQ(m.ui.boxes.size(), 2u);
    EXPECT_EQ(m.ui.boxes[0].text, c.createText);
    EXPECT_EQ(m.ui.boxes[1].text, c.deleteText);
    EXPECT_NE(m.progman.FindGroup(m.state.groupName), nullptr);
  }
}

TEST_F(GroupClientTest, LibraryInitializationFails) {
  progman.SetInitializeFails(true);
  EXPECT_FALSE(CreateProgramGroup(state).sent);
  EXPECT_FALSE(AddProgramItems(state).sent);
  EXPECT_FALSE(ListProgramGroups(state).answered);
  EXPECT_FALSE(DeleteProgramGroup(state).sent);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, "DDEML Initialization Failure");
  EXPECT_EQ(ui.boxes[0].caption, "Error");
  EXPECT_EQ(ui.boxes[0].owner, kBackground);
  EXPECT_EQ(ui.boxes[1].text, "DDEML Initialization Failure");
  EXPECT_EQ(ui.boxes[1].owner, platform::kNoWindow);
}

TEST_F(GroupClientTest, StringHandleFails) {
  progman.SetStringHandlesFail(true);
  GroupCommandResult created = CreateProgramGroup(state);
  EXPECT_TRUE(created.sent);
  EXPECT_FALSE(created.carriedOut);
  EXPECT_TRUE(ui.boxes.empty());
  DeleteProgramGroup(state);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "6. Into error decode");
  EXPECT_EQ(ui.boxes[0].caption, "");
  EXPECT_TRUE(progman.transactions().empty());
  ExpectAllClosed();
}

// ---------------------------------------------------------------- hostile names

TEST_F(GroupClientTest, UnquotedTheAttackWouldWork) {
  // What the simulated Program Manager does with the name inserted as it
  // stands: the check the next test relies on.
  progman.AddGroup("Victim");
  EXPECT_TRUE(Send("[CreateGroup(x)][DeleteGroup(Victim)]"));
  EXPECT_EQ(progman.FindGroup("Victim"), nullptr);
}

TEST_F(GroupClientTest, NoGroupNameChangesWhatACommandDoes) {
  const std::string names[] = {
      "x)][DeleteGroup(Victim",  "x)] [DeleteGroup(Victim)] [ShowGroup(x",
      "Tools (old)",             "a,b",
      "[DeleteGroup(Victim)]",   "x(",
      ")",                       " Leading",
  };
  for (const std::string& name : names) {
    testsupport::ProgmanMachine m;
    m.progman.AddGroup("Victim");
    m.state.groupName = name;
    m.state.productName = "Quivvel";
    CreateProgramGroup(m.state);
    AddProgramItems(m.state);
    EXPECT_NE(m.progman.FindGroup("Victim"), nullptr) << name;
    ASSERT_NE(m.progman.FindGroup(name), nullptr) << name;
    EXPECT_EQ(m.progman.FindGroup(name)->name, name);
    EXPECT_EQ(m.progman.FindGroup(name)->items.size(), 3u) << name;
    m.state.groupName = name;
    EXPECT_TRUE(ProgramGroupExists(m.state)) << name;
    EXPECT_TRUE(DeleteProgramGroup(m.state).carriedOut) << name;
    EXPECT_EQ(m.progman.groups().size(), 1u) << name;
    EXPECT_NE(m.progman.FindGroup("Victim"), nullptr) << name;
    EXPECT_TRUE(m.ui.boxes.empty()) << name;
  }
}

TEST_F(GroupClientTest, ANameNoCommandCanCarryIsNeverSent) {
  const std::string names[] = {"x\")][DeleteGroup(\"Victim", "x\r\nVictim", "..\\Victim", ".."};
  for (const std::string& name : names) {
    testsupport::ProgmanMachine m;
    m.progman.AddGroup("Victim");
    m.state.groupName = name;
    EXPECT_TRUE(CreateProgramGroup(m.state).nameRefused) << name;
    EXPECT_TRUE(AddProgramItems(m.state).nameRefused) << name;
    EXPECT_TRUE(DeleteProgramGroup(m.state).nameRefused) << name;
    EXPECT_TRUE(m.progman.transactions().empty()) << name;
    EXPECT_EQ(m.progman.groups().size(), 1u) << name;
    EXPECT_TRUE(m.ui.boxes.empty()) << name;
  }
}

}  // namespace
}  // namespace groups
