#include "system/services.h"

#include "setup/unattended.h"
#include "system/registry.h"
#include "text/text.h"

namespace integration {
namespace {

using platform::ServiceHandle;
namespace err = platform::err;

constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services\\";

// A service control manager or service handle; closed when it goes out of
// scope.
class ScopedService {
 public:
  explicit ScopedService(platform::Services& services) : services_(services) {}
  ~ScopedService() { Close(); }
  ScopedService(const ScopedService&) = delete;
  ScopedService& operator=(const ScopedService&) = delete;

  std::uint32_t OpenManager() {
    Close();
    return services_.OpenSCManager(platform::kScManagerAllAccess, &handle_);
  }
  std::uint32_t OpenService(ServiceHandle manager, const std::string& name) {
    Close();
    return services_.OpenService(manager, name, platform::kServiceAllAccess, &handle_);
  }
  void Close() {
    if (handle_ != platform::kNoService) services_.CloseServiceHandle(handle_);
    handle_ = platform::kNoService;
  }
  ServiceHandle get() const { return handle_; }

 private:
  platform::Services& services_;
  ServiceHandle handle_ = platform::kNoService;
};

bool FileExists(platform::FileSystem& files, const std::string& path) {
  platform::FileStatus status;
  return files.GetFileStatus(path, &status) == err::kSuccess &&
         !(status.attributes & platform::attr::kDirectory);
}

// The two messages of this subsystem are shown as the catalog stores them.
int ShowStoredBox(setup::SetupState& state, setup::MsgId id, std::uint32_t flags) {
  std::string text = state.catalog.Text(id, state.language, setup::kText);
  std::string caption = state.catalog.Text(id, state.language, setup::kCaption);
  return state.machine.ui.MessageBox(state.backgroundWindow, text, caption, flags);
}

void SendStop(platform::Services& services, ServiceHandle service) {
  platform::ServiceStatus status;
  services.ControlService(service, platform::service::kControlStop, &status);
}

}  // namespace

bool StopAndDeleteService(platform::Services& services, ServiceHandle manager,
                          const std::string& name) {
  ScopedService service(services);
  if (service.OpenService(manager, name) != err::kSuccess) return false;
  SendStop(services, service.get());
  return services.DeleteService(service.get()) == err::kSuccess;
}

namespace {

using platform::RegKey;
constexpr RegKey kMachine = platform::hkey::kLocalMachine;

// A registry key opened below HKEY_LOCAL_MACHINE; closed when it goes out
// of scope.
class ScopedKey {
 public:
  explicit ScopedKey(platform::Registry& registry) : registry_(registry) {}
  ~ScopedKey() {
    if (key_ != 0) registry_.CloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  std::uint32_t Open(const std::string& path, std::uint32_t access) {
    return registry_.OpenKey(kMachine, path, access, &key_);
  }
  std::uint32_t Create(const std::string& path) {
    return registry_.CreateKey(kMachine, path, platform::kKeyAllAccess, &key_, nullptr);
  }
  RegKey get() const { return key_; }

 private:
  platform::Registry& registry_;
  RegKey key_ = 0;
};

std::vector<std::string> SubkeyNames(platform::Registry& registry, RegKey key) {
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t i = 0; names.size() < kMaxSavedKeys && registry.EnumKey(key, i, &name) == 0; ++i) {
    names.push_back(name);
  }
  return names;
}

std::vector<std::string> ValueNames(platform::Registry& registry, RegKey key) {
  std::vector<std::string> names;
  std::string name, data;
  std::uint32_t type = 0;
  for (std::uint32_t i = 0;
       names.size() < kMaxSavedValues && registry.EnumValue(key, i, &name, &type, &data) == 0; ++i) {
    names.push_back(name);
  }
  return names;
}

void ReadKeyTree(platform::Registry& registry, const std::string& path, int depth,
                 std::vector<SavedRegistryKey>* keys) {
  if (keys->size() >= kMaxSavedKeys) return;
  ScopedKey key(registry);
  if (key.Open(path, platform::kKeyRead) != 0) return;
  SavedRegistryKey saved;
  saved.path = path;
  SavedRegistryValue value;
  for (std::uint32_t i = 0; saved.values.size() < kMaxSavedValues &&
                            registry.EnumValue(key.get(), i, &value.name, &value.type, &value.data) == 0;
       ++i) {
    saved.values.push_back(value);
  }
  keys->push_back(saved);
  if (depth >= kMaxSavedDepth) return;
  for (const std::string& sub : SubkeyNames(registry, key.get())) {
    ReadKeyTree(registry, path + "\\" + sub, depth + 1, keys);
  }
}

bool SavedPath(const std::vector<SavedRegistryKey>& keys, const std::string& path) {
  for (const SavedRegistryKey& k : keys) {
    if (text::EqualsIgnoreCase(k.path, path)) return true;
  }
  return false;
}

bool SavedValue(const SavedRegistryKey& key, const std::string& name) {
  for (const SavedRegistryValue& v : key.values) {
    if (text::EqualsIgnoreCase(v.name, name)) return true;
  }
  return false;
}

// Makes the service's keys hold what was read, and nothing more: what the
// manager adds when it creates a service (and the deletion mark a pending
// deletion left) goes again. False when a key or value could not be
// written.
bool WriteKeyTree(platform::Registry& registry, const std::vector<SavedRegistryKey>& keys) {
  bool written = true;
  for (const SavedRegistryKey& saved : keys) {
    ScopedKey key(registry);
    if (key.Create(saved.path) != 0) {
      written = false;
      continue;
    }
    for (const SavedRegistryValue& v : saved.values) {
      if (registry.SetValue(key.get(), v.name, v.type, v.data) != 0) written = false;
    }
    for (const std::string& name : ValueNames(registry, key.get())) {
      if (!SavedValue(saved, name)) registry.DeleteValue(key.get(), name);
    }
    for (const std::string& sub : SubkeyNames(registry, key.get())) {
      const std::string path = saved.path + "\\" + sub;
      if (!SavedPath(keys, path)) DeleteRegistryTree(registry, kMachine, path);
    }
  }
  return written;
}

}  // namespace

bool ReadServiceKey(platform::Registry& registry, const std::string& name,
                    std::vector<SavedRegistryKey>* keys) {
  keys->clear();
  ReadKeyTree(registry, std::string(kServicesKey) + name, 0, keys);
  return !keys->empty();
}

Qic117Result AskToDisableQic117Service(setup::SetupState& state) {
  platform::Services& services = state.machine.services;
  if (!FileExists(state.machine.files, state.windowsDir + "\\SYSTEM32\\DRIVERS\\qic117.sys"))
    return Qic117Result::kNothingDone;
  ScopedService manager(services);
  ScopedService service(services);
  if (manager.OpenManager() != err::kSuccess ||
      service.OpenService(manager.get(), "qic117") != err::kSuccess) {
    return Qic117Result::kNothingDone;
  }
  setup::ExpectQuestion(state, setup::Question::kDisableQic117);
  int answer = ShowStoredBox(state, setup::MSG_DISABLE_QIC117,
                             platform::mb::kOkCancel | platform::mb::kIconInformation);
  if (answer != platform::answer::kOk) {  // Cancel, or no answer at all
    ShowStoredBox(state, setup::MSG_QIC117_STILL_ENABLED,
                  platform::mb::kOk | platform::mb::kIconInformation);
    return Qic117Result::kUserRefused;
  }
  return Qic117Result::kAgreed;
}

bool RemoveQic117Service(setup::SetupState& state, RemovedService* saved) {
  platform::Services& services = state.machine.services;
  *saved = RemovedService();
  ScopedService manager(services);
  ScopedService service(services);
  if (manager.OpenManager() != err::kSuccess ||
      service.OpenService(manager.get(), "qic117") != err::kSuccess) {
    return false;
  }
  // What it is, read before anything changes, so that it can come back.
  saved->name = "qic117";
  saved->configRead = services.QueryServiceConfig(service.get(), &saved->config) == err::kSuccess;
  ReadServiceKey(state.machine.registry, saved->name, &saved->keys);
  SendStop(services, service.get());
  services.DeleteService(service.get());
  // Both handles go before the key, so that the manager can let the
  // service go.
  service.Close();
  manager.Close();
  DeleteRegistryTree(state.machine.registry, platform::hkey::kLocalMachine,
                     std::string(kServicesKey) + "qic117");
  return true;
}

Qic117Result DisableQic117Service(setup::SetupState& state) {
  const Qic117Result asked = AskToDisableQic117Service(state);
  if (asked != Qic117Result::kAgreed) return asked;
  RemovedService saved;
  return RemoveQic117Service(state, &saved) ? Qic117Result::kRemoved : Qic117Result::kNothingDone;
}

ReRegistration RegisterServiceAgain(setup::SetupState& state, const RemovedService& saved) {
  if (!saved.Removed()) return ReRegistration::kNothingRemoved;
  platform::Services& services = state.machine.services;
  bool created = false;
  if (saved.configRead) {
    ScopedService manager(services);
    if (manager.OpenManager() == err::kSuccess) {
      platform::ServiceHandle made = platform::kNoService;
      created = services.CreateService(manager.get(), saved.name, saved.config,
                                       platform::kServiceAllAccess, &made) == err::kSuccess;
      if (made != platform::kNoService) services.CloseServiceHandle(made);
    }
  }
  // The key as it was, whatever the manager wrote into it (on Windows NT
  // the key is what the manager reads at the next start, so a key written
  // back brings the service back then even where the manager refused).
  const bool keyWritten = !saved.keys.empty() && WriteKeyTree(state.machine.registry, saved.keys);
  ReRegistration result = ReRegistration::kFailed;
  if (created && (keyWritten || saved.keys.empty())) {
    result = ReRegistration::kRegistered;
  } else if (keyWritten) {
    result = ReRegistration::kKeyWritten;
  }
  switch (result) {
    case ReRegistration::kRegistered:
      setup::LogStep(state, "the " + saved.name + " service was registered again as it was");
      break;
    case ReRegistration::kKeyWritten:
      setup::LogStep(state, "the " + saved.name +
                                " service's key was written back as it was; Windows registers it when it next starts");
      break;
    default:
      setup::LogStep(state, "the " + saved.name + " service could not be registered again");
      break;
  }
  return result;
}

void RemoveZemaqwntService(setup::SetupState& state) {
  std::string driver = state.windowsDir + "\\SYSTEM32\\DRIVERS\\ZEMAQWNT.SYS";
  if (!FileExists(state.machine.files, driver)) return;
  {
    ScopedService manager(state.machine.services);
    if (manager.OpenManager() == err::kSuccess) {
      StopAndDeleteService(state.machine.services, manager.get(), "Zemaqwnt");
    }
  }
  DeleteRegistryTree(state.machine.registry, platform::hkey::kLocalMachine,
                     std::string(kServicesKey) + "Zemaqwnt");
  state.machine.files.DeleteFile(driver);
}

}  // namespace integration
