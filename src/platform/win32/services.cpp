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

std::uint32_t Win32Services::DeleteService(ServiceHandle service) {
  return ::DeleteService(ToSc(service)) ? err::kSuccess : LastErrorOr(err::kInvalidHandle);
}

std::uint32_t Win32Services::CloseServiceHandle(ServiceHandle handle) {
  return ::CloseServiceHandle(ToSc(handle)) ? err::kSuccess : LastErrorOr(err::kInvalidHandle);
}

}  // namespace platform::win32
