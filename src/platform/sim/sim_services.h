// The service control manager of the simulated Windows NT machine.
//
// As on Windows NT, the service table is the registry: a service is a key
// below HKLM\SYSTEM\CurrentControlSet\Services with a "Type" value, so it
// is saved with the machine's registry. A service whose "Start" value is
// 0, 1 or 2 (boot, system, automatic) runs after each start of the
// machine; what is stopped stays stopped until then. DeleteService marks
// the key ("DeleteFlag"); the key goes when the last handle is closed and
// the service has stopped, or at the next start of the machine.
// QueryServiceConfig reads the key's values as the manager of Windows NT
// names them (Type, Start, ErrorControl, ImagePath, Group, Tag,
// DependOnService, ObjectName, DisplayName); CreateService writes them.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "platform/machine.h"
#include "platform/sim/sim_faults.h"
#include "platform/sim/sim_registry.h"

namespace sim {

class SimServices : public platform::Services {
 public:
  explicit SimServices(SimRegistry& registry) : registry_(registry) {}
  // Windows 95 and 98 have no service control manager.
  void SetNt(bool nt) { nt_ = nt; }
  // The machine's injected faults (calls of the manager); null: none.
  void SetFaults(Faults* faults) { faults_ = faults; }

  // Set-up: registers a service (CreateService with the given type, start
  // type and image path).
  std::uint32_t Register(const std::string& name, std::uint32_t type, std::uint32_t start,
                         const std::string& imagePath);
  bool IsRegistered(const std::string& name) const;
  bool IsRunning(const std::string& name) const;
  std::size_t OpenHandleCount() const { return handles_.size(); }
  // What a start of the machine does: marked services go, the others run
  // again according to their start type.
  void Restart();

  std::uint32_t OpenSCManager(std::uint32_t access, platform::ServiceHandle* out) override;
  std::uint32_t OpenService(platform::ServiceHandle manager, const std::string& name,
                            std::uint32_t access, platform::ServiceHandle* out) override;
  std::uint32_t ControlService(platform::ServiceHandle service, std::uint32_t control,
                               platform::ServiceStatus* status) override;
  std::uint32_t QueryServiceStatus(platform::ServiceHandle service,
                                   platform::ServiceStatus* status) override;
  std::uint32_t QueryServiceConfig(platform::ServiceHandle service,
                                  platform::ServiceConfig* config) override;
  std::uint32_t CreateService(platform::ServiceHandle manager, const std::string& name,
                              const platform::ServiceConfig& config, std::uint32_t access,
                              platform::ServiceHandle* out) override;
  std::uint32_t DeleteService(platform::ServiceHandle service) override;
  std::uint32_t CloseServiceHandle(platform::ServiceHandle handle) override;

 private:
  struct Handle {
    bool manager = false;
    std::string service;  // folded name
  };
  std::string KeyPath(const std::string& name) const;
  std::uint32_t DwordOf(const std::string& name, const std::string& value,
                        std::uint32_t fallback) const;
  // A string value of the service's key ("" when missing or not a text).
  std::string TextOf(const std::string& name, const std::string& value) const;
  bool Marked(const std::string& name) const;
  // A call of the manager: true when the injected fault makes it fail.
  bool Failing() { return faults_ != nullptr && faults_->Hit(FaultKind::kService); }
  void RemoveIfDone(const std::string& name);
  const Handle* ServiceOf(platform::ServiceHandle h) const;

  SimRegistry& registry_;
  bool nt_ = false;
  Faults* faults_ = nullptr;
  std::set<std::string> stopped_;  // folded names stopped since the machine started
  std::map<platform::ServiceHandle, Handle> handles_;
  platform::ServiceHandle next_ = 0x5C0;
};

}  // namespace sim
