// The machine parts of a logged run: each passes every call on to the
// machine's own part and writes a line to the run's log for what changes
// the machine (a file written with its size, deleted or moved; a registry
// value set or removed; a profile value written; a DDE command and its
// result; a service stopped or deleted). Reading is not logged.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/machine.h"
#include "setup/run_log.h"

namespace setup {

class LoggedFiles : public platform::FileSystem {
 public:
  LoggedFiles(platform::FileSystem& files, RunLog& log) : files_(files), log_(log) {}

  std::uint32_t GetFileStatus(const std::string& p, platform::FileStatus* o) override {
    return files_.GetFileStatus(p, o);
  }
  platform::FileHandle Open(const std::string& path, platform::OpenMode mode,
                            std::uint32_t* error) override;
  std::uint32_t Read(platform::FileHandle h, void* b, std::uint32_t s, std::uint32_t* r) override {
    return files_.Read(h, b, s, r);
  }
  std::uint32_t Write(platform::FileHandle h, const void* data, std::uint32_t size,
                      std::uint32_t* written) override;
  void Close(platform::FileHandle h) override;
  std::uint32_t DeleteFile(const std::string& path) override;
  std::uint32_t CreateDirectory(const std::string& path) override;
  std::uint32_t RemoveDirectory(const std::string& path) override;
  std::uint32_t MoveFile(const std::string& from, const std::string& to) override;
  std::uint32_t MoveFileAtReboot(const std::string& from, const std::string& to) override;
  std::uint32_t GetFileAttributes(const std::string& p, std::uint32_t* a) override {
    return files_.GetFileAttributes(p, a);
  }
  std::uint32_t SetFileAttributes(const std::string& p, std::uint32_t a) override {
    return files_.SetFileAttributes(p, a);
  }
  std::uint32_t SetFileTimes(const std::string& p, std::int64_t t) override {
    return files_.SetFileTimes(p, t);
  }
  std::uint32_t GetShortPathName(const std::string& p, std::string* o) override {
    return files_.GetShortPathName(p, o);
  }
  std::uint32_t FindFiles(const std::string& p, std::vector<platform::FindData>* o) override {
    return files_.FindFiles(p, o);
  }
  std::uint32_t SetCurrentDirectory(const std::string& p) override {
    return files_.SetCurrentDirectory(p);
  }
  std::uint32_t MoveFileReplacing(const std::string& from, const std::string& to) override;
  std::string GetCurrentDirectory() override { return files_.GetCurrentDirectory(); }

 private:
  struct Written {
    std::string path;
    std::uint64_t bytes = 0;
  };
  void Result(const std::string& what, std::uint32_t error);

  platform::FileSystem& files_;
  RunLog& log_;
  std::map<platform::FileHandle, Written> written_;
};

class LoggedProfile : public platform::Profile {
 public:
  LoggedProfile(platform::Profile& profile, RunLog& log) : profile_(profile), log_(log) {}
  std::string GetString(const std::string& s, const std::string& k, const std::string& d,
                        std::uint32_t n, const std::string& f) override {
    return profile_.GetString(s, k, d, n, f);
  }
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override;

 private:
  platform::Profile& profile_;
  RunLog& log_;
};

class LoggedRegistry : public platform::Registry {
 public:
  LoggedRegistry(platform::Registry& registry, RunLog& log) : registry_(registry), log_(log) {}
  std::uint32_t CreateKey(platform::RegKey root, const std::string& subkey, std::uint32_t access,
                          platform::RegKey* out, std::uint32_t* disposition) override;
  std::uint32_t OpenKey(platform::RegKey root, const std::string& subkey, std::uint32_t access,
                        platform::RegKey* out) override;
  std::uint32_t QueryValue(platform::RegKey k, const std::string& n, std::uint32_t* t,
                           std::string* d, std::uint32_t m) override {
    return registry_.QueryValue(k, n, t, d, m);
  }
  std::uint32_t SetValue(platform::RegKey key, const std::string& name, std::uint32_t type,
                         const std::string& data) override;
  std::uint32_t EnumKey(platform::RegKey k, std::uint32_t i, std::string* n) override {
    return registry_.EnumKey(k, i, n);
  }
  std::uint32_t EnumValue(platform::RegKey k, std::uint32_t i, std::string* n, std::uint32_t* t,
                          std::string* d) override {
    return registry_.EnumValue(k, i, n, t, d);
  }
  std::uint32_t DeleteKey(platform::RegKey key, const std::string& subkey) override;
  std::uint32_t DeleteValue(platform::RegKey key, const std::string& name) override;
  std::uint32_t CloseKey(platform::RegKey key) override;

 private:
  std::string PathOf(platform::RegKey key) const;

  platform::Registry& registry_;
  RunLog& log_;
  std::map<platform::RegKey, std::string> paths_;
};

class LoggedDde : public platform::Dde {
 public:
  LoggedDde(platform::Dde& dde, RunLog& log) : dde_(dde), log_(log) {}
  std::uint32_t Initialize(platform::DdeInstance* i) override { return dde_.Initialize(i); }
  void Uninitialize(platform::DdeInstance i) override { dde_.Uninitialize(i); }
  platform::DdeStringHandle CreateStringHandle(platform::DdeInstance i, const std::string& t) override {
    return dde_.CreateStringHandle(i, t);
  }
  void FreeStringHandle(platform::DdeInstance i, platform::DdeStringHandle h) override {
    dde_.FreeStringHandle(i, h);
  }
  platform::DdeConversation Connect(platform::DdeInstance i, platform::DdeStringHandle s,
                                    platform::DdeStringHandle t) override {
    return dde_.Connect(i, s, t);
  }
  void Disconnect(platform::DdeConversation c) override { dde_.Disconnect(c); }
  bool Execute(platform::DdeInstance instance, platform::DdeConversation conversation,
               const std::string& command, std::uint32_t timeoutMs) override;
  bool Request(platform::DdeInstance i, platform::DdeConversation c, platform::DdeStringHandle item,
               std::uint32_t t, std::string* d) override {
    return dde_.Request(i, c, item, t, d);
  }
  std::uint32_t GetLastError(platform::DdeInstance i) override { return dde_.GetLastError(i); }

 private:
  platform::Dde& dde_;
  RunLog& log_;
};

class LoggedServices : public platform::Services {
 public:
  LoggedServices(platform::Services& services, RunLog& log) : services_(services), log_(log) {}
  std::uint32_t OpenSCManager(std::uint32_t a, platform::ServiceHandle* o) override {
    return services_.OpenSCManager(a, o);
  }
  std::uint32_t OpenService(platform::ServiceHandle manager, const std::string& name,
                            std::uint32_t access, platform::ServiceHandle* out) override;
  std::uint32_t ControlService(platform::ServiceHandle service, std::uint32_t control,
                               platform::ServiceStatus* status) override;
  std::uint32_t QueryServiceStatus(platform::ServiceHandle s, platform::ServiceStatus* o) override {
    return services_.QueryServiceStatus(s, o);
  }
  std::uint32_t DeleteService(platform::ServiceHandle service) override;
  std::uint32_t CloseServiceHandle(platform::ServiceHandle handle) override;

 private:
  platform::Services& services_;
  RunLog& log_;
  std::map<platform::ServiceHandle, std::string> names_;
};

}  // namespace setup
