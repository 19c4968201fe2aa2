#include "groups/progman_client.h"

#include <cstdio>

#include "groups/item_lists.h"
#include "groups/progman_text.h"
#include "install/install_text.h"
#include "text/text.h"

namespace groups {
namespace {

// One conversation with Program Manager on a DDE instance of its own.
// Whatever is still open when it ends (string handles, the conversation,
// the instance) is freed then, in that order.
class ProgmanSession {
 public:
  explicit ProgmanSession(platform::Dde& dde) : dde_(dde) {}
  ~ProgmanSession() {
    FreeStrings();
    Disconnect();
    if (instance_ != 0) dde_.Uninitialize(instance_);
    instance_ = 0;
  }
  ProgmanSession(const ProgmanSession&) = delete;
  ProgmanSession& operator=(const ProgmanSession&) = delete;

  // Client only, with a callback that answers every transaction with 0.
  // Returns 0 or the DDE error number.
  std::uint32_t Initialize() {
    std::uint32_t error = dde_.Initialize(&instance_);
    if (error != platform::dmlerr::kNoError) instance_ = 0;
    return error;
  }
  platform::DdeStringHandle String(const std::string& text) {
    platform::DdeStringHandle h = dde_.CreateStringHandle(instance_, text);
    if (h != 0) strings_.push_back(h);
    return h;
  }
  void Connect(platform::DdeStringHandle progman) {
    conversation_ = dde_.Connect(instance_, progman, progman);
  }
  bool Execute(const std::string& command, std::uint32_t timeoutMs) {
    return dde_.Execute(instance_, conversation_, command, timeoutMs);
  }
  bool Request(platform::DdeStringHandle item, std::uint32_t timeoutMs, std::string* data) {
    return dde_.Request(instance_, conversation_, item, timeoutMs, data);
  }
  std::uint32_t LastError() { return dde_.GetLastError(instance_); }
  void FreeStrings() {
    for (platform::DdeStringHandle h : strings_) dde_.FreeStringHandle(instance_, h);
    strings_.clear();
  }
  void Disconnect() {
    if (conversation_ != 0) dde_.Disconnect(conversation_);
    conversation_ = 0;
  }

 private:
  platform::Dde& dde_;
  platform::DdeInstance instance_ = 0;
  platform::DdeConversation conversation_ = 0;
  std::vector<platform::DdeStringHandle> strings_;
};

void Box(setup::SetupState& state, platform::WindowHandle owner, const std::string& text,
         const char* caption) {
  state.machine.ui.MessageBox(owner, text, caption, platform::mb::kOk);
}

// How the two group commands differ.
struct GroupCommand {
  const char* name;  // "CreateGroup" or "DeleteGroup"
  bool initBoxOwned;  // the initialization failure box has the background window as owner
  std::string (*failureText)(std::uint32_t error);
  const char* failureCaption;
  const char* noStringText;  // null: nothing shown
};

std::string CreateFailure(std::uint32_t error) {
  char text[64];
  std::snprintf(text, sizeof text, kCreateFailedFormat, static_cast<int>(error));
  return text;
}

std::string DeleteFailure(std::uint32_t error) {
  char text[64];
  std::snprintf(text, sizeof text, kDeleteFailedFormat, static_cast<unsigned long>(error));
  return text;
}

constexpr GroupCommand kCreateGroup{"CreateGroup", true, CreateFailure, kErrorCaption, nullptr};
constexpr GroupCommand kDeleteGroup{"DeleteGroup", false, DeleteFailure, "", kDeleteNoStringText};

// One conversation that sends one group command with the state's group
// name and reports its failure as the command's form says.
GroupCommandResult RunGroupCommand(setup::SetupState& state, const GroupCommand& form) {
  GroupCommandResult result;
  DdeArgument name = QuoteDdeArgument(state.groupName);
  if (!GroupNameSendable(state.groupName)) {
    result.nameRefused = true;
    return result;
  }
  ProgmanSession session(state.machine.dde);
  if (session.Initialize() != platform::dmlerr::kNoError) {
    Box(state, form.initBoxOwned ? state.backgroundWindow : platform::kNoWindow, kInitFailureText,
        kErrorCaption);
    return result;
  }
  result.sent = true;
  platform::DdeStringHandle progman = session.String("PROGMAN");
  if (progman == 0) {
    if (form.noStringText != nullptr) Box(state, state.backgroundWindow, form.noStringText, "");
    return result;
  }
  session.Connect(progman);
  std::string command = std::string("[") + form.name + "(" + name.text + ")]";
  result.carriedOut = session.Execute(command, kGroupCommandTimeoutMs);
  if (!result.carriedOut)
    Box(state, state.backgroundWindow, form.failureText(session.LastError()), form.failureCaption);
  return result;
}

// The Notepad form with the 8.3 forms of the Windows and install
// directories; `usual` when either has none.
ItemCommandLine ShortNotepadCommandLine(setup::SetupState& state, const std::string& fileName,
                                        const ItemCommandLine& usual) {
  std::string shortWindows, shortInstall;
  if (state.machine.files.GetShortPathName(state.windowsDir, &shortWindows) != 0 ||
      state.machine.files.GetShortPathName(state.installDir, &shortInstall) != 0 ||
      shortWindows.empty() || shortInstall.empty()) {
    return usual;
  }
  return FormShortNotepadCommandLine(shortWindows, shortInstall, fileName);
}

// ReplaceItem (which fails when there is no such item, and is ignored) and
// AddItem for one item of the list.
ItemOutcome AddOneItem(setup::SetupState& state, ProgmanSession& session, const ProgramItem& item) {
  if (!state.schedulerInstalled && text::Contains(item.fileName, "SCD.EXE"))
    return ItemOutcome::kSchedulerSkipped;
  ItemCommandLine line = FormItemCommandLine(state.windowsDir, state.installDir, item.fileName);
  if (line.check == CommandLineCheck::kUnsendable && text::Contains(item.fileName, ".TXT")) {
    // The read-me's Notepad form cannot carry a comma, parenthesis or
    // bracket of a directory: the 8.3 forms of the directories can be sent
    // quoted as a whole.
    line = ShortNotepadCommandLine(state, item.fileName, line);
  }
  if (line.check == CommandLineCheck::kTooLong) return ItemOutcome::kCommandLineTooLong;
  DdeArgument caption = QuoteDdeArgument(item.caption);
  if (line.check != CommandLineCheck::kOk || !caption.sendable) return ItemOutcome::kUnsendable;
  session.Execute("[ReplaceItem(" + caption.text + ")]", kItemCommandTimeoutMs);
  bool added = session.Execute("[AddItem(" + line.text + "," + caption.text + ")]", kItemCommandTimeoutMs);
  return added ? ItemOutcome::kAdded : ItemOutcome::kRefused;
}

}  // namespace

GroupCommandResult CreateProgramGroup(setup::SetupState& state) {
  return RunGroupCommand(state, kCreateGroup);
}

GroupCommandResult DeleteProgramGroup(setup::SetupState& state) {
  return RunGroupCommand(state, kDeleteGroup);
}

AddItemsResult AddProgramItems(setup::SetupState& state) {
  AddItemsResult result;
  const ItemList* list = SelectItemList(state.productName, state.seEdition, state.yEdition);
  result.knownProduct = list != nullptr;
  if (list == nullptr) return result;
  if (CheckGroupName(state.groupName) != GroupNameCheck::kOk) {
    result.nameRefused = true;
    return result;
  }
  ProgmanSession session(state.machine.dde);
  if (session.Initialize() != platform::dmlerr::kNoError) return result;
  result.sent = true;
  session.Connect(session.String("PROGMAN"));
  session.FreeStrings();
  for (const ProgramItem& item : ItemsOf(*list, state.language)) {
    result.items.push_back(ItemResult{item.fileName, item.caption, AddOneItem(state, session, item)});
  }
  return result;
}

GroupList ListProgramGroups(setup::SetupState& state) {
  GroupList list;
  ProgmanSession session(state.machine.dde);
  if (session.Initialize() != platform::dmlerr::kNoError) return list;
  session.Connect(session.String("PROGMAN"));
  platform::DdeStringHandle groups = session.String("Groups");
  std::string reply;
  list.answered = session.Request(groups, kGroupListTimeoutMs, &reply);
  session.FreeStrings();
  session.Disconnect();
  if (list.answered) list.names = ParseGroupList(reply);
  return list;
}

bool GroupNameSendable(const std::string& name) {
  return CheckGroupName(name) == GroupNameCheck::kOk && QuoteDdeArgument(name).sendable;
}

bool ProgramGroupExists(setup::SetupState& state) {
  bool found = false;
  for (const std::string& name : ListProgramGroups(state).names) {
    if (name == state.groupName) found = true;
  }
  return found;
}

}  // namespace groups
