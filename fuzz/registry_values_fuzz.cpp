// Fuzz target: registry values and key names read back, on the simulated
// machine's registry (in memory). The uninstall entries under the Uninstall
// key, their GroupName values (any type, any bytes, any length), other
// subkeys of any name, and ProgramFilesDir come from the input; then the
// three readers run on that registry:
//
// - ReadEntryGroupName: the group name is either left as it was or is the
//   REG_SZ value up to its first zero byte, shorter than 128 bytes; a
//   plain string of up to 126 bytes is always taken;
// - RegisterUninstallEntry: the entry it settles on holds our group name
//   and uninstall command afterwards; every other key and value is as it
//   was, and an entry before it was taken by someone else's group;
// - RemoveRegistryEntries: the entry is gone, the maker's key is removed
//   only when no family entry is left;
// - SetDefaultInstallDir: the proposed directory fits a path field and
//   holds no zero byte.
// Every key opened is closed again.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "failing_machine.h"
#include "null_machine.h"
#include "platform/sim/sim_registry.h"
#include "setup/start.h"
#include "setup/state.h"
#include "system/registry.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

// The machine's registry, made afresh for each input.
class FreshRegistry : public platform::Registry {
 public:
  std::unique_ptr<sim::SimRegistry> sim = std::make_unique<sim::SimRegistry>();

  std::uint32_t CreateKey(platform::RegKey root, const std::string& subkey, std::uint32_t access,
                          platform::RegKey* out, std::uint32_t* disposition) override {
    return sim->CreateKey(root, subkey, access, out, disposition);
  }
  std::uint32_t OpenKey(platform::RegKey root, const std::string& subkey, std::uint32_t access,
                        platform::RegKey* out) override {
    return sim->OpenKey(root, subkey, access, out);
  }
  std::uint32_t QueryValue(platform::RegKey key, const std::string& name, std::uint32_t* type,
                           std::string* data, std::uint32_t maxSize) override {
    return sim->QueryValue(key, name, type, data, maxSize);
  }
  std::uint32_t SetValue(platform::RegKey key, const std::string& name, std::uint32_t type,
                         const std::string& data) override {
    return sim->SetValue(key, name, type, data);
  }
  std::uint32_t EnumKey(platform::RegKey key, std::uint32_t index, std::string* name) override {
    return sim->EnumKey(key, index, name);
  }
  std::uint32_t EnumValue(platform::RegKey key, std::uint32_t index, std::string* name,
                          std::uint32_t* type, std::string* data) override {
    return sim->EnumValue(key, index, name, type, data);
  }
  std::uint32_t DeleteKey(platform::RegKey key, const std::string& subkey) override {
    return sim->DeleteKey(key, subkey);
  }
  std::uint32_t DeleteValue(platform::RegKey key, const std::string& name) override {
    return sim->DeleteValue(key, name);
  }
  std::uint32_t CloseKey(platform::RegKey key) override { return sim->CloseKey(key); }
};

constexpr char kUninstall[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kMaker[] = "HKLM\\SOFTWARE\\Brennick";
constexpr char kOurGroup[] = "Halvorn+";

std::string EntryPath(int number) {
  std::string path = std::string(kUninstall) + "\\Dastrel";
  path += static_cast<char>('0' + number / 10);
  path += static_cast<char>('0' + number % 10);
  return path;
}

// Writes a value of any type and bytes at a full HKLM path.
void PutValue(sim::SimRegistry& registry, const std::string& keyPath, const std::string& name,
              std::uint32_t type, const std::string& data) {
  platform::RegKey key = 0;
  const std::string sub = keyPath.substr(5);  // without "HKLM\"
  if (registry.CreateKey(platform::hkey::kLocalMachine, sub, platform::kKeyAllAccess, &key,
                         nullptr) != 0)
    return;
  registry.SetValue(key, name, type, data);
  registry.CloseKey(key);
}

// A value type: mostly REG_SZ, else any number.
std::uint32_t PickType(FuzzedDataProvider& in) {
  const std::uint8_t t = in.ConsumeIntegral<std::uint8_t>();
  return t < 160 ? platform::regtype::kSz : t % 12;
}

// Up to ten entries from "Dastrel00" on (some numbers left free), with or
// without a GroupName, and other subkeys of the Uninstall key.
void FillRegistry(FuzzedDataProvider& in, sim::SimRegistry& registry) {
  const int entries = in.ConsumeIntegralInRange(0, 10);
  for (int i = 0; i < entries; ++i) {
    const int number = in.ConsumeIntegralInRange(0, 12);
    const std::uint8_t how = in.ConsumeIntegral<std::uint8_t>();
    if (how % 4 == 0) {
      PutValue(registry, EntryPath(number), "DisplayName", platform::regtype::kSz, "other");
      continue;
    }
    const std::uint32_t type = PickType(in);
    std::string data = how % 4 == 1 ? std::string(kOurGroup) : in.ConsumeRandomLengthString(300);
    PutValue(registry, EntryPath(number), "GroupName", type, data);
  }
  const int others = in.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < others; ++i) {
    // Any name the registry file of the simulated machine can hold.
    std::string name = in.ConsumeRandomLengthString(40);
    if (name.empty() || name.find_first_of("\\[]") != std::string::npos) continue;
    bool printable = true;
    for (unsigned char c : name) printable = printable && c >= 0x20 && c != 0x7F;
    if (!printable) continue;
    PutValue(registry, std::string(kUninstall) + "\\" + name, "DisplayName", platform::regtype::kSz,
             "x");
  }
  PutValue(registry, kMaker, "Seen", platform::regtype::kSz, "1");
  if (in.ConsumeBool()) {
    const std::uint32_t type = PickType(in);
    PutValue(registry, "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", type,
             in.ConsumeRandomLengthString(300));
  }
}

// The group name a REG_SZ GroupName of these bytes gives, if any.
bool ExpectedGroupName(std::uint32_t type, const std::string& data, std::string* out) {
  if (type != platform::regtype::kSz || data.size() + 1 > integration::kGroupNameCapacity) return false;
  *out = data.substr(0, data.find('\0'));
  return true;
}

// Whether a subkey of the Uninstall key has "Dastrel" in its name.
bool FamilyEntryLeft(sim::SimRegistry& registry) {
  platform::RegKey key = 0;
  if (registry.OpenKey(platform::hkey::kLocalMachine, std::string(kUninstall).substr(5),
                       platform::kKeyAllAccess, &key) != 0)
    return false;
  bool found = false;
  std::string name;
  for (std::uint32_t i = 0; !found && registry.EnumKey(key, i, &name) == 0; ++i) {
    found = name.find("Dastrel") != std::string::npos;
  }
  registry.CloseKey(key);
  return found;
}

void CheckReadGroupName(setup::SetupState& state, FreshRegistry& registry, testsupport::FailingUi& ui,
                        int number) {
  const std::string path = EntryPath(number);
  state.entryNumber = path.substr(path.size() - 2);
  state.groupName = "unchanged";
  std::uint32_t type = 0;
  std::string data;
  const bool keyThere = registry.sim->KeyExists(path);
  const bool valueThere = registry.sim->GetValueAt(path, "GroupName", &type, &data) == 0;
  ui.boxes = 0;
  integration::ReadEntryGroupName(state);
  if (!keyThere) {
    if (ui.boxes != 1 || state.groupName != "unchanged") Fail();
    return;
  }
  if (ui.boxes != 0) Fail();
  std::string expected;
  if (valueThere && ExpectedGroupName(type, data, &expected)) {
    if (state.groupName != expected) Fail();
  } else if (state.groupName != "unchanged") {
    Fail();
  }
  if (state.groupName.size() >= integration::kGroupNameCapacity ||
      state.groupName.find('\0') != std::string::npos)
    Fail();
}

// `same` is a second registry made from the same input.
void CheckRegister(setup::SetupState& state, FreshRegistry& registry, sim::SimRegistry& same) {
  state.groupName = kOurGroup;
  if (integration::RegisterUninstallEntry(state) != integration::EntryResult::kWritten) Fail();
  const int number = std::stoi(state.entryNumber);
  const std::string path = EntryPath(number);
  std::uint32_t type = 0;
  std::string data;
  if (registry.sim->GetValueAt(path, "GroupName", &type, &data) != 0 ||
      type != platform::regtype::kSz || data != kOurGroup)
    Fail();
  if (registry.sim->GetValueAt(path, "UninstallString", &type, &data) != 0 ||
      data != integration::UninstallCommand(state.installDir))
    Fail();
  // Every entry before it belongs to another group (or is no string).
  for (int n = 0; n < number; ++n) {
    if (!registry.sim->KeyExists(EntryPath(n))) Fail();
    std::string group;
    if (registry.sim->GetValueAt(EntryPath(n), "GroupName", &type, &data) == 0 &&
        ExpectedGroupName(type, data, &group) && group == kOurGroup)
      Fail();
  }
  // Nothing else changed: without the entry both registries are the same
  // (the Uninstall key is created when missing).
  platform::RegKey uninstall = 0;
  if (same.CreateKey(platform::hkey::kLocalMachine, std::string(kUninstall).substr(5),
                     platform::kKeyAllAccess, &uninstall, nullptr) != 0)
    Fail();
  same.CloseKey(uninstall);
  sim::SimRegistry after;
  std::string error;
  if (!after.Import(registry.sim->Export(), &error)) Fail();
  after.DeleteTreeAt(path);
  same.DeleteTreeAt(path);
  if (after.Export() != same.Export()) Fail();
}

void CheckRemove(setup::SetupState& state, FreshRegistry& registry) {
  integration::RemoveRegistryEntries(state);
  if (registry.sim->KeyExists(EntryPath(std::stoi(state.entryNumber)))) Fail();
  if (registry.sim->KeyExists(kMaker) == !FamilyEntryLeft(*registry.sim)) Fail();
}

struct Input {
  bool nt = false;
  std::string installDir;
  int readNumber = 0;
};

// The run's settings and the registry, from the input.
Input Setup(const std::uint8_t* data, std::size_t size, sim::SimRegistry& registry) {
  FuzzedDataProvider in(data, size);
  Input input;
  input.nt = in.ConsumeBool();
  registry.SetNt(input.nt);
  input.installDir = in.ConsumeBool() ? "C:\\TAPE" : "C:\\Program Files\\Halvorn+";
  input.readNumber = in.ConsumeIntegralInRange(0, 12);
  FillRegistry(in, registry);
  return input;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One machine and state for all runs: building the message catalog of a
  // state costs more than a run. The registry is made afresh each time.
  static testsupport::NullParts& parts = *new testsupport::NullParts;
  static FreshRegistry& registry = *new FreshRegistry;
  static testsupport::FailingUi& ui = *new testsupport::FailingUi;
  static platform::Machine machine{parts, parts, parts, registry, parts, ui, parts, parts, parts};
  static setup::SetupState& state = *new setup::SetupState(machine);

  registry.sim = std::make_unique<sim::SimRegistry>();
  const Input input = Setup(data, size, *registry.sim);
  sim::SimRegistry same;
  Setup(data, size, same);
  state.windowsNt = input.nt;
  state.windowsDir = "C:\\WINDOWS";
  state.installDir = input.installDir;
  state.values.prd = "Halvorn";

  CheckReadGroupName(state, registry, ui, input.readNumber);
  state.defaultInstallDir.clear();
  setup::SetDefaultInstallDir(state);
  if (state.defaultInstallDir.empty() || state.defaultInstallDir.size() > setup::kPathCapacity ||
      state.defaultInstallDir.find('\0') != std::string::npos)
    Fail();
  CheckRegister(state, registry, same);
  CheckRemove(state, registry);
  if (registry.sim->OpenHandleCount() != 0) Fail();
  return 0;
}
