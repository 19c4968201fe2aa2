// The simulated machine's Program Manager, reached through a simulated DDE
// management library: the "PROGMAN" service and topic, the execute commands
// it understands and the "Groups" request.
//
// It reads every execute text exactly as it arrives, with Program
// Manager's own syntax: one or more commands, each in square brackets, the
// arguments in parentheses separated by commas, an argument optionally in
// double quotes (then it runs to the next double quote and may hold blanks,
// commas, brackets and parentheses). A text it cannot read fails with
// DMLERR_NOTPROCESSED, so a malformed command is seen; commands before the
// malformed one have already run, as in Program Manager.
//
// Groups are kept in the order they were created; names are compared
// without regard to case, as Program Manager does. Items keep their order;
// "ReplaceItem" removes an item of the active group and the next "AddItem"
// takes its place.
//
// State kept with the machine (Export/Import, a readable text file):
//
//   answer normal            or "absent", or "failing 16393"
//   group Accessories
//   item Notepad<TAB>C:\WINDOWS\NOTEPAD.EXE
//
// Bytes below 0x20 and '%' are written as %XX, so any name survives.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "platform/sim/sim_faults.h"

namespace sim {

class SimProgman : public platform::Dde {
 public:
  struct Item {
    std::string caption;
    std::string commandLine;
  };
  struct Group {
    std::string name;
    std::vector<Item> items;
  };
  // How Program Manager answers: normally; not at all (connections fail
  // with DMLERR_NO_CONV_ESTABLISHED); or every execute fails with an error
  // number (requests are still answered).
  enum class Answer { kNormal, kAbsent, kFailing };
  // One transaction a client ran, as it arrived.
  struct Transaction {
    bool execute = true;  // false: a request
    std::string text;     // the command text, or the requested item
    std::uint32_t timeoutMs = 0;
    bool succeeded = false;
  };

  // ---- state of the machine
  const std::vector<Group>& groups() const { return groups_; }
  // The group of that name, compared without regard to case; null if none.
  const Group* FindGroup(const std::string& name) const;
  // A group that already exists before the run (no items).
  void AddGroup(const std::string& name);
  void SetAnswer(Answer answer, std::uint32_t error = platform::dmlerr::kNotProcessed);
  Answer answer() const { return answer_; }
  std::uint32_t failingError() const { return failingError_; }
  // Faults of the library itself, for tests of the client's error paths:
  // DdeInitializeA fails with DMLERR_SYS_ERROR; DdeCreateStringHandleA
  // fails. Not kept with the machine.
  void SetInitializeFails(bool fails) { initializeFails_ = fails; }
  void SetStringHandlesFail(bool fail) { stringHandlesFail_ = fail; }
  // Program Manager refuses (DMLERR_NOTPROCESSED) every execute text that
  // contains `text` (empty: none). Not kept with the machine.
  void SetRefusedText(const std::string& text) { refusedText_ = text; }
  // The machine's injected faults (transactions); null: none.
  void SetFaults(Faults* faults) { faults_ = faults; }

  // ---- what the clients did during this run
  const std::vector<Transaction>& transactions() const { return transactions_; }
  // Instances initialized and conversations connected that are still open.
  std::size_t OpenInstances() const { return instances_.size(); }
  std::size_t OpenConversations() const { return conversations_.size(); }

  // ---- kept with the machine
  std::string Export() const;
  bool Import(const std::string& text, std::string* error);

  // ---- the DDE management library
  std::uint32_t Initialize(platform::DdeInstance* instance) override;
  void Uninitialize(platform::DdeInstance instance) override;
  platform::DdeStringHandle CreateStringHandle(platform::DdeInstance instance,
                                               const std::string& text) override;
  void FreeStringHandle(platform::DdeInstance instance, platform::DdeStringHandle handle) override;
  platform::DdeConversation Connect(platform::DdeInstance instance, platform::DdeStringHandle service,
                                    platform::DdeStringHandle topic) override;
  void Disconnect(platform::DdeConversation conversation) override;
  bool Execute(platform::DdeInstance instance, platform::DdeConversation conversation,
               const std::string& command, std::uint32_t timeoutMs) override;
  bool Request(platform::DdeInstance instance, platform::DdeConversation conversation,
               platform::DdeStringHandle item, std::uint32_t timeoutMs, std::string* data) override;
  std::uint32_t GetLastError(platform::DdeInstance instance) override;

 private:
  struct Instance {
    std::uint32_t lastError = 0;
  };
  struct StringHandle {
    platform::DdeInstance instance = 0;
    std::string text;
  };

  bool SetError(platform::DdeInstance instance, std::uint32_t error);
  bool IsProgman(platform::DdeStringHandle handle) const;
  // Program Manager's command interpreter: runs the commands of one
  // execute text; false at the first one that fails or cannot be read.
  bool RunCommands(const std::string& text);
  bool RunCommand(const std::string& name, const std::vector<std::string>& args);
  bool CreateGroup(const std::vector<std::string>& args);
  bool DeleteGroup(const std::vector<std::string>& args);
  bool AddItem(const std::vector<std::string>& args);
  bool RemoveItem(const std::vector<std::string>& args, bool keepPlace);
  Group* Active();

  std::vector<Group> groups_;
  Answer answer_ = Answer::kNormal;
  Faults* faults_ = nullptr;
  std::uint32_t failingError_ = platform::dmlerr::kNotProcessed;
  bool initializeFails_ = false;
  bool stringHandlesFail_ = false;
  std::string refusedText_;

  // Program Manager's own state while it runs: the active group (by name)
  // and the place a "ReplaceItem" freed in it.
  std::string active_;
  long replacePlace_ = -1;

  std::map<platform::DdeInstance, Instance> instances_;
  std::map<platform::DdeStringHandle, StringHandle> strings_;
  std::map<platform::DdeConversation, platform::DdeInstance> conversations_;
  std::uint32_t nextHandle_ = 0x100;
  std::vector<Transaction> transactions_;
};

// Reads one execute text with Program Manager's syntax and hands each
// command (name, arguments) to `run` as soon as it is read; stops when
// `run` returns false. Returns false when `run` failed or the text is
// malformed (a command after a malformed part never runs).
using ProgmanCommandRunner =
    std::function<bool(const std::string& name, const std::vector<std::string>& args)>;
bool ParseProgmanCommands(const std::string& text, const ProgmanCommandRunner& run);

}  // namespace sim
