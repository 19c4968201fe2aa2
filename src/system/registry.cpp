#include "system/registry.h"

#include <cstdio>

#include "setup/unattended.h"

namespace integration {
namespace {

using platform::RegKey;
namespace err = platform::err;
constexpr RegKey kHklm = platform::hkey::kLocalMachine;
constexpr RegKey kHkcr = platform::hkey::kClassesRoot;
constexpr std::uint32_t kDelete = 0x00010000;            // DELETE
constexpr std::uint32_t kEnumerateSubKeys = 0x00000008;  // KEY_ENUMERATE_SUB_KEYS

// A key opened or created here; closed when it goes out of scope.
class ScopedKey {
 public:
  explicit ScopedKey(platform::Registry& registry) : registry_(registry) {}
  ~ScopedKey() { Close(); }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  std::uint32_t Open(RegKey root, const std::string& path, std::uint32_t access) {
    Close();
    return registry_.OpenKey(root, path, access, &key_);
  }
  std::uint32_t Create(RegKey root, const std::string& path, std::uint32_t* disposition = nullptr) {
    Close();
    return registry_.CreateKey(root, path, platform::kKeyAllAccess, &key_, disposition);
  }
  void Close() {
    if (key_ != 0) registry_.CloseKey(key_);
    key_ = 0;
  }
  RegKey get() const { return key_; }

 private:
  platform::Registry& registry_;
  RegKey key_ = 0;
};

int ShowBox(setup::SetupState& state, const std::string& text, setup::MsgId captionId,
            int captionMember, std::uint32_t flags) {
  std::string caption = setup::Msg(state, captionId, captionMember);
  return state.machine.ui.MessageBox(state.backgroundWindow, text, caption, flags);
}

std::string EntryKeyPath(const std::string& entryNumber) {
  return std::string(kUninstallKey) + "\\Dastrel" + entryNumber;
}

std::string TwoDigits(int n) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d", n);
  return buffer;
}

// The GroupName value of an entry: a string of at most 127 bytes, taken up
// to its first zero. Any other value counts as not read.
bool ReadGroupNameValue(platform::Registry& registry, RegKey key, std::string* out) {
  std::uint32_t type = platform::regtype::kNone;
  std::string data;
  if (registry.QueryValue(key, "GroupName", &type, &data, kGroupNameCapacity) != err::kSuccess)
    return false;
  if (type != platform::regtype::kSz) return false;
  data = data.substr(0, data.find('\0'));
  if (data.size() >= kGroupNameCapacity) return false;
  *out = data;
  return true;
}

// The command that removes the product without a window.
std::string QuietUninstallCommand(const std::string& installDir) {
  return UninstallCommand(installDir) + " /s";
}

// DisplayName, UninstallString, QuietUninstallString, GroupName, in this
// order; stops at the first write that fails.
bool WriteEntryValues(setup::SetupState& state, RegKey key) {
  platform::Registry& registry = state.machine.registry;
  const std::string command = UninstallCommand(state.installDir);
  return registry.SetValue(key, "DisplayName", platform::regtype::kSz, state.groupName) == 0 &&
         registry.SetValue(key, "UninstallString", platform::regtype::kSz, command) == 0 &&
         registry.SetValue(key, "QuietUninstallString", platform::regtype::kSz,
                           QuietUninstallCommand(state.installDir)) == 0 &&
         registry.SetValue(key, "GroupName", platform::regtype::kSz, state.groupName) == 0;
}

// The commands of an existing entry of the same group, as they are before
// this installation rewrites them.
void KeepEntryValues(setup::SetupState& state, RegKey key, const std::string& path) {
  setup::RollbackRecord& record = state.rollback;
  record.reusedEntryKey = path;
  record.reusedEntryValues.clear();
  for (const char* name : {"UninstallString", "QuietUninstallString"}) {
    setup::RollbackRecord::Value value;
    value.name = name;
    value.present = state.machine.registry.QueryValue(key, name, &value.type, &value.data,
                                                      kEntryValueCapacity) == err::kSuccess;
    if (value.present && (value.type == platform::regtype::kSz || value.type == platform::regtype::kExpandSz)) {
      value.data = value.data.substr(0, value.data.find('\0'));
    }
    record.reusedEntryValues.push_back(value);
  }
}

// What an existing entry key means for the group being registered.
enum class Candidate { kFree, kOurs, kOthers };

Candidate ExamineCandidate(setup::SetupState& state, const std::string& path) {
  ScopedKey key(state.machine.registry);
  if (key.Open(kHklm, path, platform::kKeyAllAccess) != err::kSuccess) return Candidate::kFree;
  std::string group;
  if (!ReadGroupNameValue(state.machine.registry, key.get(), &group) || group != state.groupName)
    return Candidate::kOthers;
  // The same group again: only the uninstall commands are brought up to date
  // (what they held is kept, should this installation stop).
  KeepEntryValues(state, key.get(), path);
  state.machine.registry.SetValue(key.get(), "UninstallString", platform::regtype::kSz,
                                  UninstallCommand(state.installDir));
  state.machine.registry.SetValue(key.get(), "QuietUninstallString", platform::regtype::kSz,
                                  QuietUninstallCommand(state.installDir));
  return Candidate::kOurs;
}

EntryResult CreateEntry(setup::SetupState& state, const std::string& path) {
  ScopedKey key(state.machine.registry);
  std::uint32_t disposition = 0;
  if (key.Create(kHklm, path, &disposition) != err::kSuccess) return EntryResult::kNotWritten;
  // Made now: it goes again should this installation stop. A key that was
  // there after all (it did not open a moment ago) is not this run's.
  if (disposition == platform::kRegCreatedNewKey) state.rollback.createdEntryKey = path;
  return WriteEntryValues(state, key.get()) ? EntryResult::kWritten : EntryResult::kNotWritten;
}

void ShowEntryOpenFailed(setup::SetupState& state) {
  std::string text = setup::Msg(state, setup::MSG_UNINSTALL_KEY_OPEN_FAILED, 0);
  if (state.windowsNt) text += setup::Msg(state, setup::MSG_UNINSTALL_KEY_OPEN_FAILED, 1);
  ShowBox(state, text, setup::MSG_UNINSTALL_KEY_OPEN_FAILED, 2,
          platform::mb::kOkCancel | platform::mb::kIconWarning);
}

// Opens the key with all access and deletes it; nothing when it does not
// open. Windows 95 and 98 take its subkeys along, Windows NT refuses a key
// that has any.
void SingleDelete(platform::Registry& registry, RegKey root, const std::string& path) {
  ScopedKey key(registry);
  if (key.Open(root, path, platform::kKeyAllAccess) != err::kSuccess) return;
  registry.DeleteKey(root, path);
}

// A key that may have subkeys: the whole tree on Windows NT.
void TreeDelete(setup::SetupState& state, RegKey root, const std::string& path) {
  if (state.windowsNt) {
    DeleteRegistryTree(state.machine.registry, root, path);
  } else {
    SingleDelete(state.machine.registry, root, path);
  }
}

void RemoveAssociations(setup::SetupState& state) {
  platform::Registry& registry = state.machine.registry;
  SingleDelete(registry, kHkcr, ".bup");
  SingleDelete(registry, kHklm, "SOFTWARE\\Classes\\.bup");
  TreeDelete(state, kHkcr, "bupfile");
  TreeDelete(state, kHklm, "SOFTWARE\\Classes\\bupfile");
  const std::string& product = state.values.prd;
  if (product.find("Trevanix") == std::string::npos && product.find("RQ-TAPE") == std::string::npos)
    return;
  SingleDelete(registry, kHkcr, ".tpu");
  SingleDelete(registry, kHklm, "SOFTWARE\\Classes\\.tpu");
  TreeDelete(state, kHkcr, "TpuScript");
  TreeDelete(state, kHklm, "SOFTWARE\\Classes\\TpuScript");
}

}  // namespace

std::string UninstallCommand(const std::string& installDir) {
  std::string path = installDir + "\\UNINSTAL.EXE";
  if (path.find(' ') == std::string::npos) return path;
  return "\"" + path + "\"";
}

AccessResult CheckRegistryAccess(setup::SetupState& state) {
  ScopedKey key(state.machine.registry);
  if (key.Create(kHklm, kUninstallKey) == err::kSuccess) return AccessResult::kAllowed;
  ShowBox(state, setup::Msg(state, setup::MSG_ADMIN_REQUIRED, setup::kText),
          setup::MSG_ADMIN_REQUIRED, setup::kCaption,
          platform::mb::kOk | platform::mb::kIconWarning);
  return AccessResult::kRefused;
}

EntryResult RegisterUninstallEntry(setup::SetupState& state) {
  state.entryNumber = "xx";
  {
    ScopedKey uninstall(state.machine.registry);
    if (uninstall.Create(kHklm, kUninstallKey) != err::kSuccess) {
      ShowBox(state, setup::Msg(state, setup::MSG_UNINSTALL_KEY_FAILED, setup::kText),
              setup::MSG_UNINSTALL_KEY_FAILED, setup::kCaption,
              platform::mb::kOk | platform::mb::kIconWarning);
      return EntryResult::kWritten;
    }
  }
  for (int number = 0; number < kEntryNumbers; ++number) {
    state.entryNumber = TwoDigits(number);
    std::string path = EntryKeyPath(state.entryNumber);
    switch (ExamineCandidate(state, path)) {
      case Candidate::kFree: return CreateEntry(state, path);
      case Candidate::kOurs: return EntryResult::kWritten;
      case Candidate::kOthers: break;
    }
  }
  state.entryNumber = TwoDigits(kEntryNumbers);
  return EntryResult::kNotWritten;
}

void ReadEntryGroupName(setup::SetupState& state) {
  ScopedKey key(state.machine.registry);
  if (key.Open(kHklm, EntryKeyPath(state.entryNumber), platform::kKeyAllAccess) != err::kSuccess) {
    ShowEntryOpenFailed(state);
    return;
  }
  std::string group;
  if (ReadGroupNameValue(state.machine.registry, key.get(), &group)) state.groupName = group;
}

void RemoveRegistryEntries(setup::SetupState& state) {
  platform::Registry& registry = state.machine.registry;
  {
    std::string path = EntryKeyPath(state.entryNumber);
    ScopedKey key(registry);
    if (key.Open(kHklm, path, platform::kKeyAllAccess) == err::kSuccess) {
      registry.DeleteKey(kHklm, path);
    } else {
      ShowEntryOpenFailed(state);
    }
  }
  RemoveAssociations(state);
  if (FamilyEntryExists(registry)) return;
  state.machine.files.DeleteFile(state.windowsDir + "\\SYSTEM\\ZEMAQICF.VXD");
  TreeDelete(state, kHklm, "SOFTWARE\\Brennick");
}

int UpdateRegistryEntries(setup::SetupState& state, RegistryOperation operation) {
  switch (operation) {
    case RegistryOperation::kRegisterEntry:
      return static_cast<int>(RegisterUninstallEntry(state));
    case RegistryOperation::kRemoveEntries:
      RemoveRegistryEntries(state);
      return 0;
    case RegistryOperation::kReadGroupName:
      ReadEntryGroupName(state);
      return 0;
    case RegistryOperation::kCheckAccess:
      return static_cast<int>(CheckRegistryAccess(state));
  }
  return 0;
}

std::uint32_t DeleteRegistryTree(platform::Registry& registry, RegKey root,
                                 const std::string& path) {
  if (path.empty()) return err::kBadKey;
  ScopedKey key(registry);
  if (std::uint32_t e = key.Open(root, path, kDelete | kEnumerateSubKeys)) return e;
  for (;;) {
    // Index 0 every time: the child deleted last is gone.
    std::string child;
    std::uint32_t e = registry.EnumKey(key.get(), 0, &child);
    if (e == err::kNoMoreItems) return registry.DeleteKey(root, path);
    if (e != err::kSuccess) return e;
    e = DeleteRegistryTree(registry, key.get(), child);
    if (e != err::kSuccess) return e;
  }
}

bool TakeBackUninstallEntry(setup::SetupState& state) {
  setup::RollbackRecord& record = state.rollback;
  platform::Registry& registry = state.machine.registry;
  bool done = true;
  if (!record.createdEntryKey.empty()) {
    done = DeleteRegistryTree(registry, kHklm, record.createdEntryKey) == err::kSuccess;
    setup::LogRollback(state, (done ? "removed the uninstall entry " : "could not remove the uninstall entry ") +
                                  record.createdEntryKey);
  }
  if (!record.reusedEntryKey.empty()) {
    ScopedKey key(registry);
    bool restored = key.Open(kHklm, record.reusedEntryKey, platform::kKeyAllAccess) == err::kSuccess;
    for (const setup::RollbackRecord::Value& value : record.reusedEntryValues) {
      if (!restored) break;
      const std::uint32_t e = value.present ? registry.SetValue(key.get(), value.name, value.type, value.data)
                                            : registry.DeleteValue(key.get(), value.name);
      restored = e == err::kSuccess || (!value.present && e == err::kFileNotFound);
    }
    setup::LogRollback(state, (restored ? "restored the commands of the uninstall entry "
                                        : "could not restore the commands of the uninstall entry ") +
                                  record.reusedEntryKey);
    done = done && restored;
  }
  record.createdEntryKey.clear();
  record.reusedEntryKey.clear();
  record.reusedEntryValues.clear();
  return done;
}

bool FamilyEntryExists(platform::Registry& registry) {
  ScopedKey key(registry);
  if (key.Open(kHklm, kUninstallKey, platform::kKeyAllAccess) != err::kSuccess) return false;
  std::string name;
  for (std::uint32_t index = 0; registry.EnumKey(key.get(), index, &name) == err::kSuccess;
       ++index) {
    if (name.find("Dastrel") != std::string::npos) return true;
  }
  return false;
}

}  // namespace integration
