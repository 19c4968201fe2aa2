#include "setup/logged_parts.h"

namespace setup {
namespace {

std::string ResultText(std::uint32_t error) {
  return error == 0 ? "done" : "error " + std::to_string(error);
}

const char* RootName(platform::RegKey root) {
  switch (root) {
    case platform::hkey::kClassesRoot: return "HKEY_CLASSES_ROOT";
    case platform::hkey::kCurrentUser: return "HKEY_CURRENT_USER";
    case platform::hkey::kLocalMachine: return "HKEY_LOCAL_MACHINE";
    case platform::hkey::kUsers: return "HKEY_USERS";
    default: return nullptr;
  }
}

std::string ValueText(std::uint32_t type, const std::string& data) {
  if (type == platform::regtype::kDword && data.size() == 4) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
    return "dword " + std::to_string(v);
  }
  if (type == platform::regtype::kSz || type == platform::regtype::kExpandSz) return LogText(data);
  return "type " + std::to_string(type) + ", " + std::to_string(data.size()) + " bytes";
}

}  // namespace

// ---------------------------------------------------------------- files

platform::FileHandle LoggedFiles::Open(const std::string& path, platform::OpenMode mode,
                                       std::uint32_t* error) {
  const platform::FileHandle h = Inner().Open(path, mode, error);
  if (h != platform::kInvalidFile && mode != platform::OpenMode::kRead) {
    written_[h] = Written{path, 0};
  }
  return h;
}

std::uint32_t LoggedFiles::Write(platform::FileHandle h, const void* data, std::uint32_t size,
                                 std::uint32_t* written) {
  const std::uint32_t error = Inner().Write(h, data, size, written);
  auto found = written_.find(h);
  if (found != written_.end()) found->second.bytes += *written;
  return error;
}

void LoggedFiles::Close(platform::FileHandle h) {
  Inner().Close(h);
  auto found = written_.find(h);
  if (found == written_.end()) return;
  log_.Line("file", found->second.path + " " + std::to_string(found->second.bytes) + " bytes written");
  written_.erase(found);
}

void LoggedFiles::Result(const std::string& what, std::uint32_t error) {
  log_.Line("file", what + ": " + ResultText(error));
}

std::uint32_t LoggedFiles::DeleteFile(const std::string& path) {
  const std::uint32_t error = Inner().DeleteFile(path);
  Result("delete " + path, error);
  return error;
}

std::uint32_t LoggedFiles::CreateDirectory(const std::string& path) {
  const std::uint32_t error = Inner().CreateDirectory(path);
  Result("create directory " + path, error);
  return error;
}

std::uint32_t LoggedFiles::RemoveDirectory(const std::string& path) {
  const std::uint32_t error = Inner().RemoveDirectory(path);
  Result("remove directory " + path, error);
  return error;
}

std::uint32_t LoggedFiles::MoveFile(const std::string& from, const std::string& to) {
  const std::uint32_t error = Inner().MoveFile(from, to);
  Result("move " + from + " to " + to, error);
  return error;
}

std::uint32_t LoggedFiles::MoveFileAtReboot(const std::string& from, const std::string& to) {
  const std::uint32_t error = Inner().MoveFileAtReboot(from, to);
  Result("at restart move " + from + " to " + (to.empty() ? std::string("nothing") : to), error);
  return error;
}

std::uint32_t LoggedFiles::MoveFileReplacing(const std::string& from, const std::string& to) {
  const std::uint32_t error = Inner().MoveFileReplacing(from, to);
  Result("replace " + to + " by " + from, error);
  return error;
}

// ---------------------------------------------------------------- profile

bool LoggedProfile::WriteString(const std::string& section, const std::string& key,
                                const std::string& value, const std::string& file) {
  const bool written = Inner().WriteString(section, key, value, file);
  log_.Line("profile", file + " [" + section + "] " + key + "=" + LogText(value) +
                           (written ? ": done" : ": failed"));
  return written;
}

// ---------------------------------------------------------------- registry

std::string LoggedRegistry::PathOf(platform::RegKey key) const {
  if (const char* root = RootName(key)) return root;
  auto found = paths_.find(key);
  return found == paths_.end() ? "(key " + std::to_string(key) + ")" : found->second;
}

std::uint32_t LoggedRegistry::CreateKey(platform::RegKey root, const std::string& subkey,
                                        std::uint32_t access, platform::RegKey* out,
                                        std::uint32_t* disposition) {
  const std::uint32_t error = Inner().CreateKey(root, subkey, access, out, disposition);
  if (error == 0) paths_[*out] = PathOf(root) + "\\" + subkey;
  return error;
}

std::uint32_t LoggedRegistry::OpenKey(platform::RegKey root, const std::string& subkey,
                                      std::uint32_t access, platform::RegKey* out) {
  const std::uint32_t error = Inner().OpenKey(root, subkey, access, out);
  if (error == 0) paths_[*out] = PathOf(root) + "\\" + subkey;
  return error;
}

std::uint32_t LoggedRegistry::SetValue(platform::RegKey key, const std::string& name,
                                       std::uint32_t type, const std::string& data) {
  const std::uint32_t error = Inner().SetValue(key, name, type, data);
  log_.Line("registry", "set " + PathOf(key) + " " + LogText(name) + " = " + ValueText(type, data) +
                            ": " + ResultText(error));
  return error;
}

std::uint32_t LoggedRegistry::DeleteKey(platform::RegKey key, const std::string& subkey) {
  const std::uint32_t error = Inner().DeleteKey(key, subkey);
  log_.Line("registry", "delete key " + PathOf(key) + "\\" + subkey + ": " + ResultText(error));
  return error;
}

std::uint32_t LoggedRegistry::DeleteValue(platform::RegKey key, const std::string& name) {
  const std::uint32_t error = Inner().DeleteValue(key, name);
  log_.Line("registry", "delete value " + PathOf(key) + " " + LogText(name) + ": " + ResultText(error));
  return error;
}

std::uint32_t LoggedRegistry::CloseKey(platform::RegKey key) {
  paths_.erase(key);
  return Inner().CloseKey(key);
}

// ---------------------------------------------------------------- DDE

bool LoggedDde::Execute(platform::DdeInstance instance, platform::DdeConversation conversation,
                        const std::string& command, std::uint32_t timeoutMs) {
  const bool done = Inner().Execute(instance, conversation, command, timeoutMs);
  log_.Line("dde", LogText(command) + (done ? ": carried out" : ": not carried out"));
  return done;
}

// ---------------------------------------------------------------- services

std::uint32_t LoggedServices::OpenService(platform::ServiceHandle manager, const std::string& name,
                                          std::uint32_t access, platform::ServiceHandle* out) {
  const std::uint32_t error = Inner().OpenService(manager, name, access, out);
  if (error == 0) names_[*out] = name;
  return error;
}

std::uint32_t LoggedServices::ControlService(platform::ServiceHandle service, std::uint32_t control,
                                             platform::ServiceStatus* status) {
  const std::uint32_t error = Inner().ControlService(service, control, status);
  log_.Line("service", "control " + std::to_string(control) + " to " + names_[service] + ": " +
                           ResultText(error));
  return error;
}

std::uint32_t LoggedServices::CreateService(platform::ServiceHandle manager, const std::string& name,
                                            const platform::ServiceConfig& config,
                                            std::uint32_t access, platform::ServiceHandle* out) {
  const std::uint32_t error = Inner().CreateService(manager, name, config, access, out);
  if (error == 0) names_[*out] = name;
  log_.Line("service", "create " + name + " (" + LogText(config.binaryPathName) + "): " +
                           ResultText(error));
  return error;
}

std::uint32_t LoggedServices::DeleteService(platform::ServiceHandle service) {
  const std::uint32_t error = Inner().DeleteService(service);
  log_.Line("service", "delete " + names_[service] + ": " + ResultText(error));
  return error;
}

std::uint32_t LoggedServices::CloseServiceHandle(platform::ServiceHandle handle) {
  names_.erase(handle);
  return Inner().CloseServiceHandle(handle);
}

}  // namespace setup
