// The machine parts of a logged run: each passes every call on to the
// machine's own part and writes a line to the run's log for what changes
// the machine (a file written with its size, deleted or moved; a registry
// value set or removed; a profile value written; a DDE command and its
// result; a service stopped or deleted). Reading is not logged.
//
// Each derives from the forwarding part of its interface
// (platform/forwarding.h) and overrides only the calls it logs or whose
// handles it follows; every other call reaches the machine's part as it is.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/forwarding.h"
#include "platform/machine.h"
#include "setup/run_log.h"

namespace setup {

class LoggedFiles : public platform::ForwardingFileSystem {
 public:
  LoggedFiles(platform::FileSystem& files, RunLog& log) : ForwardingFileSystem(files), log_(log) {}

  platform::FileHandle Open(const std::string& path, platform::OpenMode mode,
                            std::uint32_t* error) override;
  std::uint32_t Write(platform::FileHandle h, const void* data, std::uint32_t size,
                      std::uint32_t* written) override;
  void Close(platform::FileHandle h) override;
  std::uint32_t DeleteFile(const std::string& path) override;
  std::uint32_t CreateDirectory(const std::string& path) override;
  std::uint32_t RemoveDirectory(const std::string& path) override;
  std::uint32_t MoveFile(const std::string& from, const std::string& to) override;
  std::uint32_t MoveFileAtReboot(const std::string& from, const std::string& to) override;
  std::uint32_t MoveFileReplacing(const std::string& from, const std::string& to) override;

 private:
  struct Written {
    std::string path;
    std::uint64_t bytes = 0;
  };
  void Result(const std::string& what, std::uint32_t error);

  RunLog& log_;
  std::map<platform::FileHandle, Written> written_;
};

class LoggedProfile : public platform::ForwardingProfile {
 public:
  LoggedProfile(platform::Profile& profile, RunLog& log) : ForwardingProfile(profile), log_(log) {}
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override;

 private:
  RunLog& log_;
};

class LoggedRegistry : public platform::ForwardingRegistry {
 public:
  LoggedRegistry(platform::Registry& registry, RunLog& log)
      : ForwardingRegistry(registry), log_(log) {}
  std::uint32_t CreateKey(platform::RegKey root, const std::string& subkey, std::uint32_t access,
                          platform::RegKey* out, std::uint32_t* disposition) override;
  std::uint32_t OpenKey(platform::RegKey root, const std::string& subkey, std::uint32_t access,
                        platform::RegKey* out) override;
  std::uint32_t SetValue(platform::RegKey key, const std::string& name, std::uint32_t type,
                         const std::string& data) override;
  std::uint32_t DeleteKey(platform::RegKey key, const std::string& subkey) override;
  std::uint32_t DeleteValue(platform::RegKey key, const std::string& name) override;
  std::uint32_t CloseKey(platform::RegKey key) override;

 private:
  std::string PathOf(platform::RegKey key) const;

  RunLog& log_;
  std::map<platform::RegKey, std::string> paths_;
};

class LoggedDde : public platform::ForwardingDde {
 public:
  LoggedDde(platform::Dde& dde, RunLog& log) : ForwardingDde(dde), log_(log) {}
  bool Execute(platform::DdeInstance instance, platform::DdeConversation conversation,
               const std::string& command, std::uint32_t timeoutMs) override;

 private:
  RunLog& log_;
};

class LoggedServices : public platform::ForwardingServices {
 public:
  LoggedServices(platform::Services& services, RunLog& log)
      : ForwardingServices(services), log_(log) {}
  std::uint32_t OpenService(platform::ServiceHandle manager, const std::string& name,
                            std::uint32_t access, platform::ServiceHandle* out) override;
  std::uint32_t ControlService(platform::ServiceHandle service, std::uint32_t control,
                               platform::ServiceStatus* status) override;
  std::uint32_t CreateService(platform::ServiceHandle manager, const std::string& name,
                              const platform::ServiceConfig& config, std::uint32_t access,
                              platform::ServiceHandle* out) override;
  std::uint32_t DeleteService(platform::ServiceHandle service) override;
  std::uint32_t CloseServiceHandle(platform::ServiceHandle handle) override;

 private:
  RunLog& log_;
  std::map<platform::ServiceHandle, std::string> names_;
};

}  // namespace setup
