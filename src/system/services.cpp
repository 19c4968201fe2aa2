#include "system/services.h"

#include "setup/unattended.h"
#include "system/registry.h"

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

Qic117Result DisableQic117Service(setup::SetupState& state) {
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
  SendStop(services, service.get());
  services.DeleteService(service.get());
  // Both handles go before the key, so that the manager can let the
  // service go.
  service.Close();
  manager.Close();
  DeleteRegistryTree(state.machine.registry, platform::hkey::kLocalMachine,
                     std::string(kServicesKey) + "qic117");
  return Qic117Result::kRemoved;
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
