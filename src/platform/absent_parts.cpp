// The parts a machine may lack: a version library that finds no version
// information, and the missing service control manager of Windows 95 and 98.
#include "platform/machine.h"

namespace platform {
namespace {

class AbsentVersions : public Versions {
 public:
  std::uint32_t GetFileVersionInfoSize(const std::string& /*path*/, std::uint32_t* error) override {
    if (error) *error = err::kResourceTypeNotFound;
    return 0;
  }
  std::uint32_t GetFixedFileVersion(const std::string& /*path*/, FileVersion* /*out*/) override {
    return err::kResourceTypeNotFound;
  }
};

class AbsentServices : public Services {
 public:
  std::uint32_t OpenSCManager(std::uint32_t /*access*/, ServiceHandle* out) override {
    if (out) *out = kNoService;
    return err::kCallNotImplemented;
  }
  std::uint32_t OpenService(ServiceHandle /*manager*/, const std::string& /*name*/,
                            std::uint32_t /*access*/, ServiceHandle* out) override {
    if (out) *out = kNoService;
    return err::kInvalidHandle;
  }
  std::uint32_t ControlService(ServiceHandle /*service*/, std::uint32_t /*control*/,
                               ServiceStatus* /*status*/) override {
    return err::kInvalidHandle;
  }
  std::uint32_t QueryServiceStatus(ServiceHandle /*service*/, ServiceStatus* /*status*/) override {
    return err::kInvalidHandle;
  }
  std::uint32_t QueryServiceConfig(ServiceHandle /*service*/, ServiceConfig* /*config*/) override {
    return err::kInvalidHandle;
  }
  std::uint32_t CreateService(ServiceHandle /*manager*/, const std::string& /*name*/,
                              const ServiceConfig& /*config*/, std::uint32_t /*access*/,
                              ServiceHandle* out) override {
    if (out) *out = kNoService;
    return err::kInvalidHandle;
  }
  std::uint32_t DeleteService(ServiceHandle /*service*/) override { return err::kInvalidHandle; }
  std::uint32_t CloseServiceHandle(ServiceHandle /*handle*/) override {
    return err::kInvalidHandle;
  }
};

}  // namespace

Versions& NoVersionLibrary() {
  static AbsentVersions versions;
  return versions;
}

Services& NoServiceManager() {
  static AbsentServices services;
  return services;
}

}  // namespace platform
