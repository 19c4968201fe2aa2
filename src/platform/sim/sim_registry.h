// The registry of the simulated machine.
//
// Keys are compared without regard to case and enumerated in name order;
// values keep the order they were created in. HKEY_CLASSES_ROOT is a view
// of HKLM\SOFTWARE\Classes, as on Windows 95 and NT 4. Error numbers are
// the Windows ones: 2 missing key or value, 259 end of an enumeration, 234
// buffer too small, 1018 key deleted while open, 5 access denied (Windows
// NT: handle without the right, RegDeleteKey of a key with subkeys), and a
// bad handle gives 6 on Windows NT, 1010 on Windows 95 and 98.
// Persisted as a REGEDIT4 text file.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "platform/sim/sim_faults.h"

namespace sim {

class SimRegistry : public platform::Registry {
 public:
  SimRegistry();
  // Windows NT rules (true) or Windows 95/98 rules.
  void SetNt(bool nt) { nt_ = nt; }
  // The machine's injected faults (value writes, deletions); null: none.
  void SetFaults(Faults* faults) { faults_ = faults; }
  Faults* faults() const { return faults_; }

  // REGEDIT4 text of the whole registry; Import replaces the contents.
  std::string Export() const;
  bool Import(const std::string& text, std::string* error);

  // Helpers on full paths such as "HKLM\SOFTWARE\X" (set-up and tests).
  std::uint32_t SetString(const std::string& keyPath, const std::string& name,
                          const std::string& text);
  std::uint32_t DeleteValueAt(const std::string& keyPath, const std::string& name);
  std::uint32_t DeleteTreeAt(const std::string& keyPath);
  std::uint32_t GetValueAt(const std::string& keyPath, const std::string& name,
                           std::uint32_t* type, std::string* data) const;
  bool KeyExists(const std::string& keyPath) const;
  // Appends to PendingFileRenameOperations (Windows NT).
  std::uint32_t AppendPendingRename(const std::string& entry);
  std::size_t OpenHandleCount() const { return handles_.size(); }
  // Set-up: the user may read the key (created as needed) and what lies
  // below it, but not write it: opening or creating it with any right
  // beyond KEY_READ fails with 5, as Windows NT answers a user without the
  // right. Lasts for the run; not kept with the machine.
  std::uint32_t Deny(const std::string& keyPath);

  // Registry.
  std::uint32_t CreateKey(platform::RegKey root, const std::string& subkey, std::uint32_t access,
                          platform::RegKey* out, std::uint32_t* disposition) override;
  std::uint32_t OpenKey(platform::RegKey root, const std::string& subkey, std::uint32_t access,
                        platform::RegKey* out) override;
  std::uint32_t QueryValue(platform::RegKey key, const std::string& name, std::uint32_t* type,
                           std::string* data, std::uint32_t maxSize) override;
  std::uint32_t SetValue(platform::RegKey key, const std::string& name, std::uint32_t type,
                         const std::string& data) override;
  std::uint32_t EnumKey(platform::RegKey key, std::uint32_t index, std::string* name) override;
  std::uint32_t EnumValue(platform::RegKey key, std::uint32_t index, std::string* name,
                          std::uint32_t* type, std::string* data) override;
  std::uint32_t DeleteKey(platform::RegKey key, const std::string& subkey) override;
  std::uint32_t DeleteValue(platform::RegKey key, const std::string& name) override;
  std::uint32_t CloseKey(platform::RegKey key) override;

  struct Value {
    std::string name;
    std::uint32_t type = 0;
    std::string data;  // strings without their terminator
  };
  struct Key {
    std::string name;
    Key* parent = nullptr;
    std::map<std::string, std::shared_ptr<Key>> subkeys;  // by folded name
    std::vector<Value> values;
    bool deleted = false;
  };

 private:
  struct Handle {
    std::shared_ptr<Key> key;
    std::uint32_t access = 0;
  };
  std::uint32_t BadHandle() const;
  // The key of a handle (predefined or opened); sets *error when none.
  std::shared_ptr<Key> KeyOf(platform::RegKey key, std::uint32_t* access, std::uint32_t* error);
  std::shared_ptr<Key> Root(platform::RegKey root);
  std::shared_ptr<Key> RootByName(const std::string& name, std::string* rest) const;
  std::shared_ptr<Key> Walk(std::shared_ptr<Key> from, const std::string& subkey, bool create,
                            bool* created);
  static void MarkDeleted(Key& key);
  platform::RegKey NewHandle(std::shared_ptr<Key> key, std::uint32_t access);

  // Whether opening `subkey` below `base` with `access` is refused.
  bool Refused(const std::shared_ptr<Key>& base, const std::string& subkey,
               std::uint32_t access);

  bool nt_ = false;
  Faults* faults_ = nullptr;
  std::vector<std::shared_ptr<Key>> denied_;
  std::shared_ptr<Key> localMachine_, currentUser_, users_;
  std::map<platform::RegKey, Handle> handles_;
  platform::RegKey nextHandle_ = 0x100;
};

}  // namespace sim
