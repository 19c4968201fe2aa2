#include "platform/sim/sim_registry.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/sim/sim_files.h"

namespace sim {
namespace {

using platform::RegKey;
namespace err = platform::err;

constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;

// The specific rights a requested access mask grants.
std::uint32_t Rights(std::uint32_t access) {
  std::uint32_t r = access;
  if (access & kGenericAll) r |= 0x3F;
  if (access & kGenericRead) r |= kKeyQueryValue | kKeyEnumerateSubKeys | 0x10;
  if (access & kGenericWrite) r |= kKeySetValue | kKeyCreateSubKey;
  return r;
}

std::vector<std::string> SplitKeyPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= path.size()) {
    std::size_t j = path.find('\\', i);
    if (j == std::string::npos) j = path.size();
    if (j > i) parts.push_back(path.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

std::string QuoteRegString(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

bool PrintableString(const std::string& s) {
  for (char c : s) {
    if (c == '\0' || c == '\r' || c == '\n') return false;
  }
  return true;
}

std::string Hex(const std::string& data) {
  std::string out;
  char buf[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned>(static_cast<unsigned char>(data[i])));
    if (i) out += ",";
    out += buf;
  }
  return out;
}

void ExportKey(const SimRegistry::Key& key, const std::string& path, std::string* out) {
  *out += "[" + path + "]\r\n";
  for (const SimRegistry::Value& v : key.values) {
    std::string name = v.name.empty() ? "@" : QuoteRegString(v.name);
    if (v.type == platform::regtype::kSz && PrintableString(v.data)) {
      *out += name + "=" + QuoteRegString(v.data) + "\r\n";
    } else if (v.type == platform::regtype::kDword && v.data.size() == 4) {
      std::uint32_t d = 0;
      for (int i = 3; i >= 0; --i) d = (d << 8) | static_cast<unsigned char>(v.data[i]);
      char buf[16];
      std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(d));
      *out += name + "=dword:" + buf + "\r\n";
    } else if (v.type == platform::regtype::kBinary) {
      *out += name + "=hex:" + Hex(v.data) + "\r\n";
    } else {
      std::string data = v.data;
      if (v.type == platform::regtype::kSz || v.type == platform::regtype::kExpandSz)
        data.push_back('\0');
      char type[16];
      std::snprintf(type, sizeof type, "%x", static_cast<unsigned>(v.type));
      *out += name + "=hex(" + type + "):" + Hex(data) + "\r\n";
    }
  }
  *out += "\r\n";
  for (const auto& [folded, sub] : key.subkeys) ExportKey(*sub, path + "\\" + sub->name, out);
}

// Reads a REGEDIT4 quoted string starting at s[*pos] == '"'.
bool ReadRegString(const std::string& s, std::size_t* pos, std::string* out) {
  if (*pos >= s.size() || s[*pos] != '"') return false;
  ++*pos;
  out->clear();
  while (*pos < s.size()) {
    char c = s[(*pos)++];
    if (c == '"') return true;
    if (c == '\\' && *pos < s.size()) c = s[(*pos)++];
    out->push_back(c);
  }
  return false;
}

bool ReadHex(const std::string& s, std::string* out) {
  out->clear();
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ',' || s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= s.size()) break;
    if (i + 1 >= s.size() || !std::isxdigit(static_cast<unsigned char>(s[i])) ||
        !std::isxdigit(static_cast<unsigned char>(s[i + 1])))
      return false;
    out->push_back(static_cast<char>(std::strtoul(s.substr(i, 2).c_str(), nullptr, 16)));
    i += 2;
  }
  return true;
}

}  // namespace

SimRegistry::SimRegistry()
    : localMachine_(std::make_shared<Key>()),
      currentUser_(std::make_shared<Key>()),
      users_(std::make_shared<Key>()) {
  localMachine_->name = "HKEY_LOCAL_MACHINE";
  currentUser_->name = "HKEY_CURRENT_USER";
  users_->name = "HKEY_USERS";
}

std::uint32_t SimRegistry::BadHandle() const { return nt_ ? err::kInvalidHandle : err::kBadKey; }

std::shared_ptr<SimRegistry::Key> SimRegistry::Root(RegKey root) {
  switch (root) {
    case platform::hkey::kLocalMachine: return localMachine_;
    case platform::hkey::kCurrentUser: return currentUser_;
    case platform::hkey::kUsers: return users_;
    case platform::hkey::kClassesRoot: {
      bool created = false;
      return Walk(localMachine_, "SOFTWARE\\Classes", true, &created);
    }
    default: return nullptr;
  }
}

std::shared_ptr<SimRegistry::Key> SimRegistry::RootByName(const std::string& name,
                                                          std::string* rest) const {
  std::size_t cut = name.find('\\');
  std::string root = FoldCase(name.substr(0, cut));
  *rest = cut == std::string::npos ? "" : name.substr(cut + 1);
  RegKey k = 0;
  if (root == "HKLM" || root == "HKEY_LOCAL_MACHINE") k = platform::hkey::kLocalMachine;
  else if (root == "HKCU" || root == "HKEY_CURRENT_USER") k = platform::hkey::kCurrentUser;
  else if (root == "HKU" || root == "HKEY_USERS") k = platform::hkey::kUsers;
  else if (root == "HKCR" || root == "HKEY_CLASSES_ROOT") k = platform::hkey::kClassesRoot;
  else return nullptr;
  return const_cast<SimRegistry*>(this)->Root(k);
}

std::shared_ptr<SimRegistry::Key> SimRegistry::Walk(std::shared_ptr<Key> from,
                                                    const std::string& subkey, bool create,
                                                    bool* created) {
  *created = false;
  std::shared_ptr<Key> k = from;
  for (const std::string& part : SplitKeyPath(subkey)) {
    std::string folded = FoldCase(part);
    auto it = k->subkeys.find(folded);
    if (it == k->subkeys.end()) {
      if (!create) return nullptr;
      auto child = std::make_shared<Key>();
      child->name = part;
      child->parent = k.get();
      k->subkeys[folded] = child;
      *created = true;
      k = child;
    } else {
      k = it->second;
    }
  }
  return k;
}

std::shared_ptr<SimRegistry::Key> SimRegistry::KeyOf(RegKey key, std::uint32_t* access,
                                                     std::uint32_t* error) {
  *error = 0;
  if (std::shared_ptr<Key> root = Root(key)) {
    *access = 0xFFFFFFFFu;
    return root;
  }
  auto it = handles_.find(key);
  if (it == handles_.end()) {
    *error = BadHandle();
    return nullptr;
  }
  if (it->second.key->deleted) {
    *error = err::kKeyDeleted;
    return nullptr;
  }
  *access = nt_ ? Rights(it->second.access) : 0xFFFFFFFFu;
  return it->second.key;
}

RegKey SimRegistry::NewHandle(std::shared_ptr<Key> key, std::uint32_t access) {
  RegKey h = nextHandle_;
  nextHandle_ += 4;
  handles_[h] = Handle{std::move(key), access};
  return h;
}

void SimRegistry::MarkDeleted(Key& key) {
  key.deleted = true;
  for (auto& [name, sub] : key.subkeys) MarkDeleted(*sub);
}

std::uint32_t SimRegistry::Deny(const std::string& keyPath) {
  std::string rest;
  std::shared_ptr<Key> root = RootByName(keyPath, &rest);
  if (!root) return err::kFileNotFound;
  bool created = false;
  std::shared_ptr<Key> k = Walk(root, rest, true, &created);
  if (!k) return err::kFileNotFound;
  denied_.push_back(k);
  return 0;
}

bool SimRegistry::Refused(const std::shared_ptr<Key>& base, const std::string& subkey,
                          std::uint32_t access) {
  constexpr std::uint32_t kKeyRead = 0x20019;
  if (denied_.empty() || (access & ~kKeyRead) == 0) return false;
  // The deepest existing key on the way, and its ancestors.
  std::shared_ptr<Key> deepest = base;
  std::size_t pos = 0;
  while (pos <= subkey.size()) {
    std::size_t next = subkey.find('\\', pos);
    std::string prefix = subkey.substr(0, next);
    bool created = false;
    std::shared_ptr<Key> k = prefix.empty() ? base : Walk(base, prefix, false, &created);
    if (!k) break;
    deepest = k;
    if (next == std::string::npos) break;
    pos = next + 1;
  }
  for (const Key* k = deepest.get(); k; k = k->parent) {
    for (const std::shared_ptr<Key>& d : denied_)
      if (d.get() == k) return true;
  }
  return false;
}

std::uint32_t SimRegistry::CreateKey(RegKey root, const std::string& subkey, std::uint32_t access,
                                     RegKey* out, std::uint32_t* disposition) {
  *out = 0;
  std::uint32_t rights = 0, error = 0;
  std::shared_ptr<Key> base = KeyOf(root, &rights, &error);
  if (!base) return error;
  if (Refused(base, subkey, access)) return err::kAccessDenied;
  bool created = false;
  std::shared_ptr<Key> existing = Walk(base, subkey, false, &created);
  if (!existing && !(rights & kKeyCreateSubKey)) return err::kAccessDenied;
  std::shared_ptr<Key> k = existing ? existing : Walk(base, subkey, true, &created);
  if (disposition) *disposition = created ? platform::kRegCreatedNewKey : platform::kRegOpenedExistingKey;
  *out = NewHandle(k, access);
  return 0;
}

std::uint32_t SimRegistry::OpenKey(RegKey root, const std::string& subkey, std::uint32_t access,
                                   RegKey* out) {
  *out = 0;
  std::uint32_t rights = 0, error = 0;
  std::shared_ptr<Key> base = KeyOf(root, &rights, &error);
  if (!base) return error;
  bool created = false;
  std::shared_ptr<Key> k = Walk(base, subkey, false, &created);
  if (!k) return err::kFileNotFound;
  if (Refused(base, subkey, access)) return err::kAccessDenied;
  *out = NewHandle(k, access);
  return 0;
}

std::uint32_t SimRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                      std::string* data, std::uint32_t maxSize) {
  data->clear();
  std::uint32_t rights = 0, error = 0;
  std::shared_ptr<Key> k = KeyOf(key, &rights, &error);
  if (!k) return error;
  if (!(rights & kKeyQueryValue)) return err::kAccessDenied;
  for (const Value& v : k->values) {
    if (FoldCase(v.name) != FoldCase(name)) continue;
    if (type) *type = v.type;
    std::size_t needed = v.data.size();
    if (v.type == platform::regtype::kSz || v.type == platform::regtype::kExpandSz) ++needed;
    if (needed > maxSize) return err::kMoreData;
    *data = v.data;
    return 0;
  }
  return err::kFileNotFound;
}

std::uint32_t SimRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                    const std::string& data) {
  std::uint32_t rights = 0, error = 0;
  std::shared_ptr<Key> k = KeyOf(key, &rights, &error);
  if (!k) return error;
  if (!(rights & kKeySetValue)) return err::kAccessDenied;
  if (faults_ != nullptr && faults_->Hit(FaultKind::kRegistry)) return fault_error::kCantWrite;
  for (Value& v : k->values) {
    if (FoldCase(v.name) == FoldCase(name)) {
      v.type = type;
      v.data = data;
      return 0;
    }
  }
  k->values.push_back(Value{name, type, data});
  return 0;
}

std::uint32_t SimRegistry::EnumKey(RegKey key, std::uint32_t index, std::string* name) {
  name->clear();
  std::uint32_t rights = 0, error = 0;
  std::shared_ptr<Key> k = KeyOf(key, &rights, &error);
  if (!k) return error;
  if (!(rights & kKeyEnumerateSubKeys)) return err::kAccessDenied;
  if (index >= k->subkeys.size()) return err::kNoMoreItems;
  auto it = k->subkeys.begin();
  std::advance(it, index);
  *name = it->second->name;
  return 0;
}

std::uint32_t SimRegistry::EnumValue(RegKey key, std::uint32_t index, std::string* name,
                                     std::uint32_t* type, std::string* data) {
  name->clear();
  data->clear();
  std::uint32_t rights = 0, error = 0;
  std::shared_ptr<Key> k = KeyOf(key, &rights, &error);
  if (!k) return error;
  if (!(rights & kKeyQueryValue)) return err::kAccessDenied;
  if (index >= k->values.size()) return err::kNoMoreItems;
  *name = k->values[index].name;
  if (type) *type = k->values[index].type;
  *data = k->values[index].data;
  return 0;
}

std::uint32_t SimRegistry::DeleteKey(RegKey key, const std::string& subkey) {
  std::uint32_t rights = 0, error = 0;
  std::shared_ptr<Key> base = KeyOf(key, &rights, &error);
  if (!base) return error;
  bool created = false;
  std::shared_ptr<Key> k = Walk(base, subkey, false, &created);
  if (!k) return err::kFileNotFound;
  if (k->parent == nullptr) return err::kAccessDenied;  // a root key
  if (faults_ != nullptr && faults_->Hit(FaultKind::kRegistry)) return fault_error::kAccessDenied;
  // Windows NT refuses a key that still has subkeys; 95 and 98 delete the tree.
  if (nt_ && !k->subkeys.empty()) return err::kAccessDenied;
  MarkDeleted(*k);
  k->parent->subkeys.erase(FoldCase(k->name));
  return 0;
}

std::uint32_t SimRegistry::DeleteValue(RegKey key, const std::string& name) {
  std::uint32_t rights = 0, error = 0;
  std::shared_ptr<Key> k = KeyOf(key, &rights, &error);
  if (!k) return error;
  if (!(rights & kKeySetValue)) return err::kAccessDenied;
  if (faults_ != nullptr && faults_->Hit(FaultKind::kRegistry)) return fault_error::kAccessDenied;
  for (auto it = k->values.begin(); it != k->values.end(); ++it) {
    if (FoldCase(it->name) == FoldCase(name)) {
      k->values.erase(it);
      return 0;
    }
  }
  return err::kFileNotFound;
}

std::uint32_t SimRegistry::CloseKey(RegKey key) {
  if (Root(key)) return 0;
  if (handles_.erase(key) == 0) return BadHandle();
  return 0;
}

// ---------------------------------------------------------------- paths

std::uint32_t SimRegistry::SetString(const std::string& keyPath, const std::string& name,
                                     const std::string& text) {
  std::string rest;
  std::shared_ptr<Key> root = RootByName(keyPath, &rest);
  if (!root) return err::kBadKey;
  bool created = false;
  std::shared_ptr<Key> k = Walk(root, rest, true, &created);
  for (Value& v : k->values) {
    if (FoldCase(v.name) == FoldCase(name)) {
      v.type = platform::regtype::kSz;
      v.data = text;
      return 0;
    }
  }
  k->values.push_back(Value{name, platform::regtype::kSz, text});
  return 0;
}

std::uint32_t SimRegistry::DeleteValueAt(const std::string& keyPath, const std::string& name) {
  std::string rest;
  std::shared_ptr<Key> root = RootByName(keyPath, &rest);
  if (!root) return err::kBadKey;
  bool created = false;
  std::shared_ptr<Key> k = Walk(root, rest, false, &created);
  if (!k) return err::kFileNotFound;
  for (auto it = k->values.begin(); it != k->values.end(); ++it) {
    if (FoldCase(it->name) == FoldCase(name)) {
      k->values.erase(it);
      return 0;
    }
  }
  return err::kFileNotFound;
}

std::uint32_t SimRegistry::DeleteTreeAt(const std::string& keyPath) {
  std::string rest;
  std::shared_ptr<Key> root = RootByName(keyPath, &rest);
  if (!root) return err::kBadKey;
  bool created = false;
  std::shared_ptr<Key> k = Walk(root, rest, false, &created);
  if (!k) return err::kFileNotFound;
  if (k->parent == nullptr) return err::kAccessDenied;
  MarkDeleted(*k);
  k->parent->subkeys.erase(FoldCase(k->name));
  return 0;
}

std::uint32_t SimRegistry::GetValueAt(const std::string& keyPath, const std::string& name,
                                      std::uint32_t* type, std::string* data) const {
  std::string rest;
  std::shared_ptr<Key> root = RootByName(keyPath, &rest);
  if (!root) return err::kBadKey;
  bool created = false;
  std::shared_ptr<Key> k = const_cast<SimRegistry*>(this)->Walk(root, rest, false, &created);
  if (!k) return err::kFileNotFound;
  for (const Value& v : k->values) {
    if (FoldCase(v.name) == FoldCase(name)) {
      if (type) *type = v.type;
      *data = v.data;
      return 0;
    }
  }
  return err::kFileNotFound;
}

bool SimRegistry::KeyExists(const std::string& keyPath) const {
  std::string rest;
  std::shared_ptr<Key> root = RootByName(keyPath, &rest);
  bool created = false;
  return root && const_cast<SimRegistry*>(this)->Walk(root, rest, false, &created) != nullptr;
}

std::uint32_t SimRegistry::AppendPendingRename(const std::string& entry) {
  const char* path = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  std::string data;
  std::uint32_t type = 0;
  if (GetValueAt(path, "PendingFileRenameOperations", &type, &data) != 0) data.clear();
  // A REG_MULTI_SZ ends with an empty string; insert before it.
  if (!data.empty() && data.back() == '\0' && data.size() >= 2 && data[data.size() - 2] == '\0')
    data.pop_back();
  data += entry;
  data.push_back('\0');
  std::string rest;
  std::shared_ptr<Key> root = RootByName(path, &rest);
  bool created = false;
  std::shared_ptr<Key> k = Walk(root, rest, true, &created);
  for (Value& v : k->values) {
    if (v.name == "PendingFileRenameOperations") {
      v.type = platform::regtype::kMultiSz;
      v.data = data;
      return 0;
    }
  }
  k->values.push_back(Value{"PendingFileRenameOperations", platform::regtype::kMultiSz, data});
  return 0;
}

// ---------------------------------------------------------------- REGEDIT4

std::string SimRegistry::Export() const {
  std::string out = "REGEDIT4\r\n\r\n";
  for (const auto* root : {&localMachine_, &currentUser_, &users_}) {
    for (const auto& [folded, sub] : (*root)->subkeys)
      ExportKey(*sub, (*root)->name + "\\" + sub->name, &out);
  }
  return out;
}

bool SimRegistry::Import(const std::string& text, std::string* error) {
  SimRegistry fresh;
  fresh.nt_ = nt_;
  std::shared_ptr<Key> current;
  std::size_t pos = 0;
  int lineNo = 0;
  bool header = false;
  auto fail = [&](const std::string& what) {
    *error = "registry.reg:" + std::to_string(lineNo) + ": " + what;
    return false;
  };
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    pos = nl == std::string::npos ? text.size() : nl + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Continuation lines of long hex values.
    while (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos &&
           pos < text.size()) {
      line.pop_back();
      nl = text.find('\n', pos);
      std::string more = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
      pos = nl == std::string::npos ? text.size() : nl + 1;
      ++lineNo;
      if (!more.empty() && more.back() == '\r') more.pop_back();
      std::size_t b = more.find_first_not_of(" \t");
      line += b == std::string::npos ? "" : more.substr(b);
    }
    if (line.empty() || line[0] == ';') continue;
    if (!header) {
      if (line != "REGEDIT4") return fail("not a REGEDIT4 file");
      header = true;
      continue;
    }
    if (line[0] == '[') {
      std::size_t close = line.rfind(']');
      if (close == std::string::npos) return fail("unterminated key name");
      std::string rest;
      std::shared_ptr<Key> root = fresh.RootByName(line.substr(1, close - 1), &rest);
      if (!root) return fail("unknown root key");
      bool created = false;
      current = fresh.Walk(root, rest, true, &created);
      continue;
    }
    if (!current) return fail("value outside a key");
    std::string name;
    std::size_t p = 0;
    if (line[0] == '@') {
      p = 1;
    } else if (!ReadRegString(line, &p, &name)) {
      return fail("bad value name");
    }
    if (p >= line.size() || line[p] != '=') return fail("expected '=' after the value name");
    ++p;
    Value v;
    v.name = name;
    std::string spec = line.substr(p);
    if (!spec.empty() && spec[0] == '"') {
      std::size_t q = 0;
      if (!ReadRegString(spec, &q, &v.data)) return fail("unterminated string value");
      v.type = platform::regtype::kSz;
    } else if (spec.rfind("dword:", 0) == 0) {
      std::string digits = spec.substr(6);
      if (digits.empty() || digits.size() > 8 ||
          digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return fail("bad dword value");
      std::uint32_t d = static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
      v.type = platform::regtype::kDword;
      for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<char>((d >> (8 * i)) & 0xFF));
    } else if (spec.rfind("hex:", 0) == 0) {
      v.type = platform::regtype::kBinary;
      if (!ReadHex(spec.substr(4), &v.data)) return fail("bad hex value");
    } else if (spec.rfind("hex(", 0) == 0) {
      std::size_t close = spec.find("):");
      if (close == std::string::npos) return fail("bad hex(type) value");
      v.type = static_cast<std::uint32_t>(std::strtoul(spec.substr(4, close - 4).c_str(), nullptr, 16));
      if (!ReadHex(spec.substr(close + 2), &v.data)) return fail("bad hex value");
      if ((v.type == platform::regtype::kSz || v.type == platform::regtype::kExpandSz) &&
          !v.data.empty() && v.data.back() == '\0')
        v.data.pop_back();
    } else {
      return fail("unknown value type");
    }
    bool replaced = false;
    for (Value& old : current->values) {
      if (FoldCase(old.name) == FoldCase(v.name)) {
        old = v;
        replaced = true;
      }
    }
    if (!replaced) current->values.push_back(v);
  }
  if (!header) {
    *error = "registry.reg: not a REGEDIT4 file";
    return false;
  }
  for (auto& [h, handle] : handles_) MarkDeleted(*handle.key);
  handles_.clear();
  localMachine_ = fresh.localMachine_;
  currentUser_ = fresh.currentUser_;
  users_ = fresh.users_;
  return true;
}

}  // namespace sim
