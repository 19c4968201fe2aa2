// The program group dialog on the simulated machine: its template, the
// simulated Program Manager's groups in its list, and a user playing
// scenario statements. Each case checks the dialog's result, the group
// name left in the setup state and the windows the user saw.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "groups/program_group_dialog.h"
#include "platform/sim/sim_progman.h"
#include "platform/sim/sim_ui.h"
#include "scenario/scenario.h"
#include "simrun/product_resources.h"
#include "simrun/scenario_user.h"
#include "support/null_machine.h"
#include "text/text.h"

namespace groups {
namespace {

constexpr int kEnglish = 0;
constexpr int kGerman = 1;

// What one run of the dialog gave.
struct Outcome {
  int result = 0;
  std::string groupName;
  std::string records;  // the transcript records, one per line
  std::string aborted;  // why the simulated user stopped the run, if it did
};

struct MachineSetup {
  int language = kEnglish;
  std::string product = "Halvorn";
  bool scsi = false;
  std::vector<std::string> groups;  // existing groups, in creation order
  bool progmanAbsent = false;
};

Outcome RunDialog(const MachineSetup& setup, const std::string& statements) {
  testsupport::NullParts parts;
  sim::SimUi ui;
  sim::SimProgman progman;
  for (const std::string& g : setup.groups) progman.AddGroup(text::Utf8ToCp1252(g));
  if (setup.progmanAbsent) progman.SetAnswer(sim::SimProgman::Answer::kAbsent);
  platform::Machine machine{parts, parts, parts, parts, parts, ui, progman};
  setup::SetupState state(machine);
  state.language = setup.language;
  state.productName = setup.product;
  state.values.prd = setup.product;
  state.scsi = setup.scsi;
  state.groupName = "(unchanged)";

  scenario::Scenario scn;
  std::string error;
  Outcome out;
  if (!scenario::ParseScenario("run A:\\SETUP.EXE\n" + statements, "case.scn", &scn, &error)) {
    out.aborted = error;
    return out;
  }
  simrun::ScenarioUser user(scn);
  ui.SetResources(&simrun::ProductResources());
  ui.SetUser(&user);
  try {
    ProgramGroupDialog dialog(state);
    out.result = dialog.Run();
    if (!user.Done()) out.aborted = user.UnusedError();
  } catch (const sim::RunAborted& e) {
    out.aborted = e.what();
  }
  for (const std::string& r : user.records()) out.records += r + "\n";
  out.groupName = text::Cp1252ToUtf8(state.groupName);
  EXPECT_EQ(ui.OpenWindowCount(), 0u) << "the dialog window is left open";
  return out;
}

struct Case {
  const char* what;
  MachineSetup setup;
  std::string statements;
  int result;
  std::string groupName;
  std::vector<const char*> recordsHold;  // substrings of the records, in order
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"default name of the main product, QIC", {}, "dialog 103 read 1034: press 1\n", 1,
       "Halvorn+ for Windows 95 - QIC",
       {"dialog 103 owner=none title=\"Select Program Group Name\" 1034=\"Halvorn+ for Windows 95 - QIC\""}},
      {"default name of the main product, SCSI", {kEnglish, "Halvorn", true, {}, false},
       "dialog 103: press 1\n", 1, "Halvorn+ for Windows 95 - SCSI", {}},
      {"another product proposes the folder name alone", {kEnglish, "Pellidor", false, {}, false},
       "dialog 103 read 1034: press 1\n", 1, "Pellidor+ for Windows 95", {"1034=\"Pellidor+ for Windows 95\""}},
      {"the main product's name is matched with case", {kEnglish, "HALVORN", false, {}, false},
       "dialog 103: press 1\n", 1, "HALVORN for Windows 95", {}},
      {"texts of the template replaced", {},
       "dialog 103 read 1001 1035 1 2 3: press 1\n", 1, "Halvorn+ for Windows 95 - QIC",
       {"1001=\"Group to Use\" 1035=\"Current Groups (double click to select)\" 1=\"&OK\" "
        "2=\"&Cancel\" 3=\"&Default\""}},
      {"German texts", {kGerman, "Halvorn", false, {}, false},
       "dialog 103 read 1001 1035 1 2 3 1034: press 1\n", 1, "Halvorn+ für Windows 95 - QIC",
       {"title=\"Namen der Programmgruppe auswählen\" 1001=\"Zu verwendende Gruppe\" "
        "1035=\"Vorhandene Gruppen (zum Auswählen doppelklicken)\" 1=\"&OK\" 2=\"&Abbrechen\" "
        "3=\"&Standard\" 1034=\"Halvorn+ für Windows 95 - QIC\""}},
      {"the list is sorted without regard to case", {kEnglish, "Halvorn", false, {"zeta", "Alpha", "beta"}, false},
       "dialog 103 read 1033: press 1\n", 1, "Halvorn+ for Windows 95 - QIC",
       {"1033=\"Alpha\\nbeta\\nzeta\\n\""}},
      {"Default restores the proposed name after editing", {},
       "dialog 103: set 1034 \"Mine\"; press 3\ndialog 103 read 1034: press 1\n", 1,
       "Halvorn+ for Windows 95 - QIC", {"1034=\"Halvorn+ for Windows 95 - QIC\""}},
      {"trailing white space trimmed, leading blanks kept", {},
       "dialog 103: set 1034 \"  Tape Tools \\t \"; press 1\n", 1, "  Tape Tools", {}},
      {"the proposed name followed by two blanks", {},
       "dialog 103: set 1034 \"Halvorn+ for Windows 95 - QIC  \"; press 1\n", 1,
       "Halvorn+ for Windows 95 - QIC", {}},
      {"a name of 100 characters is cut to 79", {},
       "dialog 103: set 1034 \"" + std::string(100, 'x') + "\"; press 1\n", 1,
       std::string(79, 'x').c_str(), {}},
      {"blanks after the 79th character do not count", {},
       "dialog 103: set 1034 \"" + std::string(77, 'x') + "  y\"; press 1\n", 1,
       std::string(77, 'x').c_str(), {}},
      {"an empty name is refused silently", {},
       "dialog 103: set 1034 \"\"; press 1\ndialog 103: set 1034 \"Tapes\"; press 1\n", 1, "Tapes",
       {"-> set 1034 \"\"; press 1\ndialog 103"}},
      {"a name of blanks only is refused like an empty one", {},
       "dialog 103: set 1034 \"   \"; press 1\ndialog 103: set 1034 \"\\t\"; press 1\n"
       "dialog 103: set 1034 \"Tapes\"; press 1\n",
       1, "Tapes", {"press 1\ndialog 103", "press 1\ndialog 103"}},
      {"an existing group in another case asks, Yes uses it",
       {kEnglish, "Halvorn", false, {"Accessories", "TAPE TOOLS"}, false},
       "dialog 103: set 1034 \"Tape Tools\"; press 1\nbox \"Warning\": yes\n", 1, "Tape Tools",
       {"box owner=dialog:103 icon=question buttons=yesno caption=\"Warning\" text=\"The group name "
        "you have selected already exists."}},
      {"an accented name in another case asks", {kGerman, "Halvorn", false, {"ZUBEHÖR"}, false},
       "dialog 103: set 1034 \"Zubehör\"; press 1\nbox \"Warnung\": yes\n", 1, "Zubehör",
       {"caption=\"Warnung\""}},
      {"No keeps the dialog open", {kEnglish, "Halvorn", false, {"Accessories"}, false},
       "dialog 103: set 1034 \"accessories\"; press 1\nbox \"Warning\": no\n"
       "dialog 103 read 1034: set 1034 \"Tapes\"; press 1\n",
       1, "Tapes", {"-> no\ndialog 103 owner=none title=\"Select Program Group Name\" 1034=\"accessories\""}},
      {"double click copies the group and keeps the dialog open",
       {kEnglish, "Halvorn", false, {"Accessories", "Games"}, false},
       "dialog 103: dblclick 1033 \"games\"\ndialog 103 read 1034: press 1\nbox \"Warning\": yes\n", 1,
       "Games", {"1034=\"Games\" -> press 1", "caption=\"Warning\""}},
      {"Cancel and No keep the dialog and its contents", {},
       "dialog 103: set 1034 \"Mine\"; press 2\nbox \"Confirm Cancel\": no\n"
       "dialog 103 read 1034: press 1\n",
       1, "Mine", {"caption=\"Confirm Cancel\" text=\"Are you sure you wish to cancel?\" -> no", "1034=\"Mine\""}},
      {"Cancel and Yes cancel", {},
       "dialog 103: press 2\nbox \"Confirm Cancel\": yes\n", 2, "(unchanged)", {"owner=dialog:103"}},
      {"no Program Manager: empty list, no warning", {kEnglish, "Halvorn", false, {"Tapes"}, true},
       "dialog 103 read 1033: set 1034 \"Tapes\"; press 1\n", 1, "Tapes", {"1033=\"\""}},
      {"a name holding brackets and commas is an ordinary name", {},
       "dialog 103: set 1034 \"x)][DeleteGroup(Accessories\"; press 1\n", 1,
       "x)][DeleteGroup(Accessories", {}},
  };
  return cases;
}

TEST(ProgramGroupDialog, Cases) {
  int row = 0;
  for (const Case& c : Cases()) {
    SCOPED_TRACE("row " + std::to_string(row++) + ": " + c.what);
    Outcome out = RunDialog(c.setup, c.statements);
    EXPECT_EQ(out.aborted, "");
    EXPECT_EQ(out.result, c.result);
    EXPECT_EQ(out.groupName, c.groupName);
    std::size_t from = 0;
    for (const char* hold : c.recordsHold) {
      std::size_t at = out.records.find(hold, from);
      EXPECT_NE(at, std::string::npos) << "expected in the records: " << hold << "\nrecords:\n"
                                       << out.records;
      if (at != std::string::npos) from = at + 1;
    }
  }
}

// Names no command can carry safely are refused with a message in the
// setup language, and the dialog stays open with the name in it.
TEST(ProgramGroupDialog, RefusesNamesNoCommandCanCarry) {
  struct Row {
    const char* name;  // as typed in the scenario
    int language;
    const char* caption;
  };
  const Row rows[] = {
      {"Tape \\\"Tools\\\"", kEnglish, "Invalid Group Name"},
      {"..\\\\..\\\\Startup", kEnglish, "Invalid Group Name"},
      {"a:b", kEnglish, "Invalid Group Name"},
      {"a|b", kEnglish, "Invalid Group Name"},
      {"Tape\\nTools", kEnglish, "Invalid Group Name"},
      {"...", kGerman, "Ungültiger Gruppenname"},
      {"x*y", kGerman, "Ungültiger Gruppenname"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    MachineSetup setup;
    setup.language = r.language;
    std::string statements = std::string("dialog 103: set 1034 \"") + r.name + "\"; press 1\n" +
                             "box \"" + r.caption + "\": ok\n" +
                             "dialog 103 read 1034: press 2\n" +
                             "box \"" + (r.language == kGerman ? "Abbrechen bestätigen" : "Confirm Cancel") +
                             "\": yes\n";
    Outcome out = RunDialog(setup, statements);
    EXPECT_EQ(out.aborted, "");
    EXPECT_EQ(out.result, 2);
    EXPECT_EQ(out.groupName, "(unchanged)") << "a refused name reached the state";
    EXPECT_NE(out.records.find("box owner=dialog:103 icon=warning buttons=ok caption=\"" +
                               std::string(r.caption) + "\""),
              std::string::npos)
        << out.records;
  }
}

TEST(ProgramGroupDialog, TrimmedNameAndCaseRules) {
  EXPECT_EQ(ProgramGroupDialog::TrimmedName("Tools \t\n\v\f\r"), "Tools");
  EXPECT_EQ(ProgramGroupDialog::TrimmedName("  "), " ");
  EXPECT_EQ(ProgramGroupDialog::TrimmedName(""), "");
  EXPECT_EQ(ProgramGroupDialog::TrimmedName(std::string(80, 'a') + "b").size(), 79u);
  EXPECT_TRUE(ProgramGroupDialog::SameGroupName("\xC4rger \x8A", "\xE4RGER \x9A"));
  EXPECT_FALSE(ProgramGroupDialog::SameGroupName("\xD7", "\xF7"));  // signs, not letters
  EXPECT_FALSE(ProgramGroupDialog::SameGroupName("Tools", "Tools "));
}

}  // namespace
}  // namespace groups
