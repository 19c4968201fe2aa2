#include "platform/sim/sim_services.h"

#include <vector>

#include "platform/sim/sim_files.h"

namespace sim {
namespace {

namespace err = platform::err;
constexpr char kServicesKey[] = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\";
constexpr char kServicesSubkey[] = "SYSTEM\\CurrentControlSet\\Services\\";

std::string Dword(std::uint32_t v) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return bytes;
}

bool ValidName(const std::string& name) {
  return !name.empty() && name.size() <= 256 && name.find_first_of("\\/") == std::string::npos &&
         name.find('\0') == std::string::npos;
}

// Writes DWORD and string values into a key below HKLM, creating it.
std::uint32_t SetValues(SimRegistry& registry, const std::string& subkey,
                        const std::map<std::string, std::uint32_t>& dwords,
                        const std::string& imagePath) {
  platform::RegKey key = 0;
  std::uint32_t e = registry.CreateKey(platform::hkey::kLocalMachine, subkey,
                                       platform::kKeyAllAccess, &key, nullptr);
  if (e != 0) return e;
  for (const auto& [name, value] : dwords) {
    if (e == 0) e = registry.SetValue(key, name, platform::regtype::kDword, Dword(value));
  }
  if (e == 0 && !imagePath.empty()) {
    e = registry.SetValue(key, "ImagePath", platform::regtype::kExpandSz, imagePath);
  }
  registry.CloseKey(key);
  return e;
}

}  // namespace

std::string SimServices::KeyPath(const std::string& name) const { return kServicesKey + name; }

std::uint32_t SimServices::DwordOf(const std::string& name, const std::string& value,
                                   std::uint32_t fallback) const {
  std::uint32_t type = 0;
  std::string data;
  if (registry_.GetValueAt(KeyPath(name), value, &type, &data) != 0) return fallback;
  if (type != platform::regtype::kDword || data.size() != 4) return fallback;
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(data[i]);
  return v;
}

std::string SimServices::TextOf(const std::string& name, const std::string& value) const {
  std::uint32_t type = 0;
  std::string data;
  if (registry_.GetValueAt(KeyPath(name), value, &type, &data) != 0) return {};
  if (type != platform::regtype::kSz && type != platform::regtype::kExpandSz &&
      type != platform::regtype::kMultiSz) {
    return {};
  }
  if (type != platform::regtype::kMultiSz) {
    const std::size_t zero = data.find('\0');
    if (zero != std::string::npos) data.resize(zero);
    return data;
  }
  // A list: each name followed by its zero, the empty name that ends it
  // dropped.
  std::string list;
  std::size_t at = 0;
  while (at < data.size() && data[at] != '\0') {
    std::size_t zero = data.find('\0', at);
    if (zero == std::string::npos) zero = data.size();
    list += data.substr(at, zero - at) + std::string(1, '\0');
    at = zero + 1;
  }
  return list;
}

std::uint32_t SimServices::Register(const std::string& name, std::uint32_t type,
                                    std::uint32_t start, const std::string& imagePath) {
  if (!ValidName(name)) return err::kInvalidParameter;
  stopped_.erase(FoldCase(name));
  Faults::Pause pause(faults_);
  return SetValues(registry_, kServicesSubkey + name,
                   {{"ErrorControl", 1}, {"Start", start}, {"Type", type}}, imagePath);
}

bool SimServices::IsRegistered(const std::string& name) const {
  return ValidName(name) && DwordOf(name, "Type", 0) != 0;
}

bool SimServices::IsRunning(const std::string& name) const {
  return IsRegistered(name) && DwordOf(name, "Start", 4) <= 2 &&
         stopped_.count(FoldCase(name)) == 0;
}

bool SimServices::Marked(const std::string& name) const {
  return DwordOf(name, "DeleteFlag", 0) != 0;
}

void SimServices::Restart() {
  handles_.clear();
  stopped_.clear();
  std::vector<std::string> names;
  platform::RegKey key = 0;
  if (registry_.OpenKey(platform::hkey::kLocalMachine, "SYSTEM\\CurrentControlSet\\Services",
                        platform::kKeyRead, &key) == 0) {
    std::string name;
    for (std::uint32_t i = 0; registry_.EnumKey(key, i, &name) == 0; ++i) names.push_back(name);
    registry_.CloseKey(key);
  }
  for (const std::string& name : names) {
    if (Marked(name)) registry_.DeleteTreeAt(KeyPath(name));
  }
}

void SimServices::RemoveIfDone(const std::string& name) {
  if (!IsRegistered(name) || !Marked(name) || IsRunning(name)) return;
  for (const auto& [h, handle] : handles_) {
    if (!handle.manager && handle.service == FoldCase(name)) return;
  }
  registry_.DeleteTreeAt(KeyPath(name));
  stopped_.erase(FoldCase(name));
}

const SimServices::Handle* SimServices::ServiceOf(platform::ServiceHandle h) const {
  auto it = handles_.find(h);
  if (it == handles_.end() || it->second.manager) return nullptr;
  return &it->second;
}

std::uint32_t SimServices::OpenSCManager(std::uint32_t /*access*/, platform::ServiceHandle* out) {
  *out = platform::kNoService;
  if (!nt_) return err::kCallNotImplemented;
  if (Failing()) return fault_error::kAccessDenied;
  *out = next_++;
  handles_[*out] = Handle{true, ""};
  return 0;
}

std::uint32_t SimServices::OpenService(platform::ServiceHandle manager, const std::string& name,
                                       std::uint32_t /*access*/, platform::ServiceHandle* out) {
  *out = platform::kNoService;
  auto it = handles_.find(manager);
  if (it == handles_.end() || !it->second.manager) return err::kInvalidHandle;
  if (Failing()) return fault_error::kAccessDenied;
  if (!IsRegistered(name)) return err::kServiceDoesNotExist;
  *out = next_++;
  handles_[*out] = Handle{false, FoldCase(name)};
  return 0;
}

std::uint32_t SimServices::ControlService(platform::ServiceHandle service, std::uint32_t control,
                                          platform::ServiceStatus* status) {
  const Handle* h = ServiceOf(service);
  if (!h) return err::kInvalidHandle;
  if (Failing()) return fault_error::kAccessDenied;
  if (!IsRegistered(h->service)) return err::kServiceMarkedForDelete;
  if (control != platform::service::kControlStop) return err::kInvalidServiceControl;
  if (!IsRunning(h->service)) return err::kServiceNotActive;
  stopped_.insert(h->service);
  Faults::Pause pause(faults_);
  return QueryServiceStatus(service, status);
}

std::uint32_t SimServices::QueryServiceStatus(platform::ServiceHandle service,
                                              platform::ServiceStatus* status) {
  const Handle* h = ServiceOf(service);
  if (!h) return err::kInvalidHandle;
  if (Failing()) return fault_error::kAccessDenied;
  if (status) {
    status->serviceType = DwordOf(h->service, "Type", 0);
    status->currentState =
        IsRunning(h->service) ? platform::service::kRunning : platform::service::kStopped;
  }
  return 0;
}

std::uint32_t SimServices::QueryServiceConfig(platform::ServiceHandle service,
                                              platform::ServiceConfig* config) {
  const Handle* h = ServiceOf(service);
  if (!h) return err::kInvalidHandle;
  if (Failing()) return fault_error::kAccessDenied;
  if (!IsRegistered(h->service)) return err::kServiceMarkedForDelete;
  const std::string& name = h->service;
  config->serviceType = DwordOf(name, "Type", 0);
  config->startType = DwordOf(name, "Start", platform::service::kDemandStart);
  config->errorControl = DwordOf(name, "ErrorControl", 1);
  config->binaryPathName = TextOf(name, "ImagePath");
  config->loadOrderGroup = TextOf(name, "Group");
  config->tagId = DwordOf(name, "Tag", 0);
  config->dependencies = TextOf(name, "DependOnService");
  config->serviceStartName = TextOf(name, "ObjectName");
  config->displayName = TextOf(name, "DisplayName");
  return 0;
}

std::uint32_t SimServices::CreateService(platform::ServiceHandle manager, const std::string& name,
                                         const platform::ServiceConfig& config,
                                         std::uint32_t /*access*/, platform::ServiceHandle* out) {
  *out = platform::kNoService;
  auto it = handles_.find(manager);
  if (it == handles_.end() || !it->second.manager) return err::kInvalidHandle;
  if (Failing()) return fault_error::kAccessDenied;
  if (!ValidName(name) || config.serviceType == 0 || config.binaryPathName.empty()) {
    return err::kInvalidParameter;
  }
  if (IsRegistered(name)) return Marked(name) ? err::kServiceMarkedForDelete : err::kServiceExists;
  Faults::Pause pause(faults_);
  std::uint32_t e = SetValues(registry_, kServicesSubkey + name,
                              {{"ErrorControl", config.errorControl},
                               {"Start", config.startType},
                               {"Type", config.serviceType}},
                              config.binaryPathName);
  platform::RegKey key = 0;
  if (e == 0) {
    e = registry_.OpenKey(platform::hkey::kLocalMachine, kServicesSubkey + name,
                          platform::kKeyAllAccess, &key);
  }
  const std::pair<const char*, const std::string*> texts[] = {
      {"Group", &config.loadOrderGroup},
      {"ObjectName", &config.serviceStartName},
      {"DisplayName", &config.displayName}};
  for (const auto& [value, text] : texts) {
    if (e == 0 && !text->empty()) e = registry_.SetValue(key, value, platform::regtype::kSz, *text);
  }
  if (e == 0 && !config.dependencies.empty()) {
    e = registry_.SetValue(key, "DependOnService", platform::regtype::kMultiSz,
                           config.dependencies + std::string(1, '\0'));
  }
  if (key != 0) registry_.CloseKey(key);
  if (e != 0) return e;
  stopped_.insert(FoldCase(name));  // created, not started
  *out = next_++;
  handles_[*out] = Handle{false, FoldCase(name)};
  return 0;
}

std::uint32_t SimServices::DeleteService(platform::ServiceHandle service) {
  const Handle* h = ServiceOf(service);
  if (!h) return err::kInvalidHandle;
  if (Failing()) return fault_error::kAccessDenied;
  if (!IsRegistered(h->service) || Marked(h->service)) return err::kServiceMarkedForDelete;
  Faults::Pause pause(faults_);
  return SetValues(registry_, kServicesSubkey + h->service, {{"DeleteFlag", 1}}, "");
}

std::uint32_t SimServices::CloseServiceHandle(platform::ServiceHandle handle) {
  auto it = handles_.find(handle);
  if (it == handles_.end()) return err::kInvalidHandle;
  std::string service = it->second.service;
  bool manager = it->second.manager;
  handles_.erase(it);
  if (!manager) RemoveIfDone(service);
  return 0;
}

}  // namespace sim
