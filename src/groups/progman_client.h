// The Program Manager client: the product's program group and its items
// are created, listed and removed by DDE with the shell's Program Manager
// (service and topic "PROGMAN").
//
// Every operation works on its own: it initializes a DDE instance of its
// own, connects, runs its transactions, disconnects and uninitializes
// again. Nothing stays open between operations. No failure here stops an
// installation or uninstallation; the callers go on regardless.
//
//   CreateProgramGroup(state);   // after copying: the group becomes active
//   AddProgramItems(state);      // right after: the items go to the active group
//   GroupList list = ListProgramGroups(state);   // the group dialog's list
//   bool exists = ProgramGroupExists(state);     // the uninstaller's test
//   DeleteProgramGroup(state);   // uninstallation
//
// Group names are sent through QuoteDdeArgument, after CheckGroupName (see
// progman_text.h): a name that no command can carry safely is never sent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/state.h"

namespace groups {

// Time-outs of the transactions, in milliseconds.
constexpr std::uint32_t kGroupCommandTimeoutMs = 10000;  // CreateGroup, DeleteGroup
constexpr std::uint32_t kItemCommandTimeoutMs = 1000;    // ReplaceItem, AddItem
constexpr std::uint32_t kGroupListTimeoutMs = 1000;      // the "Groups" request

// The fixed English texts of the error boxes (OK button, no icon). There
// is no "Memory Allocation failure" box: the command texts are built in
// strings that grow as needed, never in fixed buffers that could be
// missing.
inline constexpr char kInitFailureText[] = "DDEML Initialization Failure";
inline constexpr char kErrorCaption[] = "Error";
inline constexpr char kCreateFailedFormat[] = "DdeClientTransaction Failed, err# %d";
inline constexpr char kDeleteFailedFormat[] = "var 0 : rslt 1 = %lx";
inline constexpr char kDeleteNoStringText[] = "6. Into error decode";

// What CreateProgramGroup or DeleteProgramGroup did.
struct GroupCommandResult {
  // A DDE instance was had and the command was formed: the operation's
  // result 1, also when the command then failed. False when the DDE
  // library could not be initialized or the name was refused.
  bool sent = false;
  bool carriedOut = false;   // Program Manager carried the command out
  bool nameRefused = false;  // CheckGroupName refused the group name: nothing sent or shown
};

// Sends "[CreateGroup(name)]" with the group name of the state (time-out
// 10 s). Shows "DDEML Initialization Failure" / "Error" when the library
// cannot be initialized, "DdeClientTransaction Failed, err# N" / "Error"
// (N the DDE error number, decimal) when the command fails; nothing when
// the "PROGMAN" string handle cannot be made. Boxes are owned by the
// background window.
GroupCommandResult CreateProgramGroup(setup::SetupState& state);

// Sends "[DeleteGroup(name)]" (time-out 10 s). Boxes: "DDEML
// Initialization Failure" / "Error" without owner; "var 0 : rslt 1 = N"
// (N in lower-case hexadecimal) / empty caption when the command fails;
// "6. Into error decode" / empty caption when the "PROGMAN" string handle
// cannot be made.
GroupCommandResult DeleteProgramGroup(setup::SetupState& state);

// Why an item of the list was not added.
enum class ItemOutcome {
  kAdded,
  kRefused,             // Program Manager refused the AddItem
  kSchedulerSkipped,    // SCD.EXE, and the scheduler was not installed
  kCommandLineTooLong,  // over 259 characters: not cut, not sent
  kUnsendable,          // the command line or caption cannot be sent safely
};

struct ItemResult {
  std::string fileName;
  std::string caption;  // Windows-1252, as sent
  ItemOutcome outcome = ItemOutcome::kAdded;
};

// What AddProgramItems did.
struct AddItemsResult {
  bool knownProduct = false;  // the product name selected an item list
  bool sent = false;          // a DDE instance was had: the operation's result 1
  bool nameRefused = false;   // the group name was refused: nothing sent
  std::vector<ItemResult> items;  // every item of the list, in list order
};

// Adds the items of the product's item list, captioned in the setup
// language, to the group Program Manager holds active (the one
// CreateProgramGroup just created). For each item "[ReplaceItem(caption)]"
// (its failure ignored: there was no such item) and then "[AddItem(command
// line,caption)]", each with a time-out of 1 s; a refused item does not
// stop the next. Reports nothing. A product that matches no item list gets
// no items and no conversation is opened. When the group name is refused,
// no item is sent either: the group was not created, and the items would
// land in whatever group is active.
AddItemsResult AddProgramItems(setup::SetupState& state);

// The group list, read with the "Groups" request (time-out 1 s).
struct GroupList {
  bool answered = false;           // Program Manager answered the request
  std::vector<std::string> names;  // in the order sent (see ParseGroupList)
};

// Every group name Program Manager lists. Empty when it does not answer or
// the DDE library cannot be initialized. Reports nothing.
GroupList ListProgramGroups(setup::SetupState& state);

// The existence test: whether one of the listed names equals the group
// name of the state, compared with case.
bool ProgramGroupExists(setup::SetupState& state);

// Whether DeleteProgramGroup would send `name` at all (CheckGroupName and
// QuoteDdeArgument agree). A name it refuses, such as one recorded by an
// older installation ("Tape: Backup"), can never be removed, so it counts
// as a group that cannot be verified.
bool GroupNameSendable(const std::string& name);

}  // namespace groups
