// The version library and the service control manager of the real machine.
#include "platform/win32/win32_machine.h"
#include "platform/win32/system_library.h"

#include <vector>

namespace platform::win32 {
namespace {

std::uint32_t LastErrorOr(std::uint32_t fallback) {
  DWORD e = ::GetLastError();
  return e != 0 ? e : fallback;
}

bool Usable(const std::string& s) { return s.find('\0') == std::string::npos; }

SC_HANDLE ToSc(ServiceHandle h) { return reinterpret_cast<SC_HANDLE>(h); }
ServiceHandle FromSc(SC_HANDLE h) { return reinterpret_cast<ServiceHandle>(h); }

void CopyStatus(const SERVICE_STATUS& from, ServiceStatus* to) {
  if (!to) return;
  to->serviceType = from.dwServiceType;
  to->currentState = from.dwCurrentState;
}

// The text of a configuration field; "" for none.
std::string TextOf(const char* text) { return text ? std::string(text) : std::string(); }
const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// A list of names each ended by a zero, the list by an empty one, kept
// within `block`: the names with their zeros, without the empty one.
std::string ListOf(const char* list, const std::vector<char>& block) {
  std::string out;
  if (list == nullptr) return out;
  const char* end = block.data() + block.size();
  if (list < block.data() || list >= end) return out;
  while (list < end && *list != '\0') {
    const char* zero = list;
    while (zero < end && *zero != '\0') ++zero;
    if (zero == end) break;  // not ended within the block: dropped
    out.append(list, zero + 1);
    list = zero + 1;
  }
  return out;
}

// A service configuration larger than this is not a driver's.
constexpr DWORD kMaxServiceConfig = 64 * 1024;

// Version information larger than this is not a library's.
constexpr DWORD kMaxVersionInfo = 1u << 20;

}  // namespace

// ---------------------------------------------------------------- versions

std::uint32_t Win32Versions::GetFileVersionInfoSize(const std::string& path,
                                                    std::uint32_t* error) {
  if (error) *error = err::kSuccess;
  if (!Usable(path)) {
    if (error) *error = err::kInvalidParameter;
    return 0;
  }
  DWORD handle = 0;
  ::SetLastError(0);
  DWORD size = syslib::GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0 && error) *error = LastErrorOr(err::kResourceTypeNotFound);
  return size;
}

std::uint32_t Win32Versions::GetFixedFileVersion(const std::string& path, FileVersion* out) {
  std::uint32_t error = 0;
  DWORD size = GetFileVersionInfoSize(path, &error);
  if (size == 0) return error;
  if (size > kMaxVersionInfo) return err::kResourceTypeNotFound;
  std::vector<char> block(size, 0);
  if (!syslib::GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
    return LastErrorOr(err::kResourceTypeNotFound);
  }
  void* value = nullptr;
  UINT length = 0;
  char root[] = "\\";
  if (!syslib::VerQueryValueA(block.data(), root, &value, &length) || value == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return err::kResourceTypeNotFound;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  if (fixed->dwSignature != 0xFEEF04BD) return err::kResourceTypeNotFound;
  out->ms = fixed->dwFileVersionMS;
  out->ls = fixed->dwFileVersionLS;
  return err::kSuccess;
}

// ---------------------------------------------------------------- services

std::uint32_t Win32Services::OpenSCManager(std::uint32_t access, ServiceHandle* out) {
  SC_HANDLE h = ::OpenSCManagerA(nullptr, nullptr, access);
  *out = FromSc(h);
  return h ? err::kSuccess : LastErrorOr(err::kCallNotImplemented);
}

std::uint32_t Win32Services::OpenService(ServiceHandle manager, const std::string& name,
                                         std::uint32_t access, ServiceHandle* out) {
  *out = kNoService;
  if (!Usable(name)) return err::kInvalidParameter;
  SC_HANDLE h = ::OpenServiceA(ToSc(manager), name.c_str(), access);
  *out = FromSc(h);
  return h ? err::kSuccess : LastErrorOr(err::kServiceDoesNotExist);
}

std::uint32_t Win32Services::ControlService(ServiceHandle service, std::uint32_t control,
                                            ServiceStatus* status) {
  SERVICE_STATUS s{};
  if (!::ControlService(ToSc(service), control, &s)) return LastErrorOr(err::kInvalidHandle);
  CopyStatus(s, status);
  return err::kSuccess;
}

std::uint32_t Win32Services::QueryServiceStatus(ServiceHandle service, ServiceStatus* status) {
  SERVICE_STATUS s{};
  if (!::QueryServiceStatus(ToSc(service), &s)) return LastErrorOr(err::kInvalidHandle);
  CopyStatus(s, status);
  return err::kSuccess;
}

std::uint32_t Win32Services::QueryServiceConfig(ServiceHandle service, ServiceConfig* config) {
  // A first try with room for an ordinary service; the manager says how
  // much a larger one needs.
  std::vector<char> block(4096);
  DWORD needed = 0;
  auto* q = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(block.data());
  if (!::QueryServiceConfigA(ToSc(service), q, static_cast<DWORD>(block.size()), &needed)) {
    const DWORD e = ::GetLastError();
    if (e != ERROR_INSUFFICIENT_BUFFER || needed == 0 || needed > kMaxServiceConfig) {
      return e != 0 ? e : err::kInvalidHandle;
    }
    block.assign(needed, 0);
    q = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(block.data());
    if (!::QueryServiceConfigA(ToSc(service), q, needed, &needed)) return LastErrorOr(err::kInvalidHandle);
  }
  config->serviceType = q->dwServiceType;
  config->startType = q->dwStartType;
  config->errorControl = q->dwErrorControl;
  config->binaryPathName = TextOf(q->lpBinaryPathName);
  config->loadOrderGroup = TextOf(q->lpLoadOrderGroup);
  config->tagId = q->dwTagId;
  config->dependencies = ListOf(q->lpDependencies, block);
  config->serviceStartName = TextOf(q->lpServiceStartName);
  config->displayName = TextOf(q->lpDisplayName);
  return err::kSuccess;
}

std::uint32_t Win32Services::CreateService(ServiceHandle manager, const std::string& name,
                                           const ServiceConfig& config, std::uint32_t access,
                                           ServiceHandle* out) {
  *out = kNoService;
  if (!Usable(name) || !Usable(config.binaryPathName) || !Usable(config.loadOrderGroup) ||
      !Usable(config.serviceStartName) || !Usable(config.displayName)) {
    return err::kInvalidParameter;
  }
  // The dependency list ends with an empty name.
  const std::string dependencies = config.dependencies + std::string(1, '\0');
  SC_HANDLE h = ::CreateServiceA(
      ToSc(manager), name.c_str(), OrNull(config.displayName), access, config.serviceType,
      config.startType, config.errorControl, config.binaryPathName.c_str(),
      OrNull(config.loadOrderGroup), nullptr,
      config.dependencies.empty() ? nullptr : dependencies.c_str(),
      OrNull(config.serviceStartName), nullptr);
  *out = FromSc(h);
  return h ? err::kSuccess : LastErrorOr(err::kInvalidHandle);
}

std::uint32_t Win32Services::DeleteService(ServiceHandle service) {
  return ::DeleteService(ToSc(service)) ? err::kSuccess : LastErrorOr(err::kInvalidHandle);
}

std::uint32_t Win32Services::CloseServiceHandle(ServiceHandle handle) {
  return ::CloseServiceHandle(ToSc(handle)) ? err::kSuccess : LastErrorOr(err::kInvalidHandle);
}

}  // namespace platform::win32
