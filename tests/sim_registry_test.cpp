// The simulated registry: Windows error numbers, handles, the deletion
// rules of each platform, and the REGEDIT4 file it is kept in.
#include <gtest/gtest.h>

#include "platform/sim/sim_registry.h"

namespace sim {
namespace {

using platform::RegKey;
namespace err = platform::err;
namespace hkey = platform::hkey;

// Outputs are filled with these before a call, so that an output the call
// does not write shows.
constexpr std::uint32_t kPoison = 0xdeadbeef;
constexpr RegKey kPoisonKey = 0xA5A5A5A5;

class SimRegistryTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { reg_.SetNt(GetParam()); }
  bool Nt() const { return GetParam(); }
  RegKey Create(const std::string& path) {
    RegKey k = 0;
    std::uint32_t disposition = 0;
    EXPECT_EQ(reg_.CreateKey(hkey::kLocalMachine, path, platform::kKeyAllAccess, &k, &disposition), 0u);
    return k;
  }
  SimRegistry reg_;
};

TEST_P(SimRegistryTest, ErrorNumbers) {
  RegKey k = 0;
  EXPECT_EQ(reg_.OpenKey(hkey::kLocalMachine, "SOFTWARE\\Missing", platform::kKeyAllAccess, &k),
            err::kFileNotFound);
  RegKey a = Create("SOFTWARE\\A");
  std::uint32_t disposition = kPoison;
  RegKey again = kPoisonKey;
  ASSERT_EQ(reg_.CreateKey(hkey::kLocalMachine, "software\\a", platform::kKeyAllAccess, &again,
                           &disposition),
            0u);
  EXPECT_EQ(disposition, platform::kRegOpenedExistingKey);
  reg_.CloseKey(again);

  ASSERT_EQ(reg_.SetValue(a, "Name", platform::regtype::kSz, "abc"), 0u);
  std::uint32_t type = kPoison;
  std::string data;
  EXPECT_EQ(reg_.QueryValue(a, "Missing", &type, &data, 100), err::kFileNotFound);
  EXPECT_EQ(reg_.QueryValue(a, "NAME", &type, &data, 3), err::kMoreData);  // no room for the zero
  EXPECT_EQ(data, "");
  type = kPoison;
  data = "poison";
  ASSERT_EQ(reg_.QueryValue(a, "name", &type, &data, 4), 0u);
  EXPECT_EQ(data, "abc");
  EXPECT_EQ(type, platform::regtype::kSz);

  std::string name = "poison";
  EXPECT_EQ(reg_.EnumKey(a, 0, &name), err::kNoMoreItems);
  ASSERT_EQ(reg_.EnumValue(a, 0, &name, &type, &data), 0u);
  EXPECT_EQ(name, "Name");
  EXPECT_EQ(reg_.EnumValue(a, 1, &name, &type, &data), err::kNoMoreItems);
  EXPECT_EQ(reg_.DeleteValue(a, "Missing"), err::kFileNotFound);
  EXPECT_EQ(reg_.DeleteKey(a, "Missing"), err::kFileNotFound);

  // Bad handles: ERROR_INVALID_HANDLE on Windows NT, ERROR_BADKEY on
  // Windows 95 and 98.
  std::uint32_t bad = Nt() ? err::kInvalidHandle : err::kBadKey;
  EXPECT_EQ(reg_.CloseKey(a), 0u);
  EXPECT_EQ(reg_.CloseKey(a), bad);
  EXPECT_EQ(reg_.SetValue(a, "x", platform::regtype::kSz, "y"), bad);
  EXPECT_EQ(reg_.OpenKey(0x12345, "x", platform::kKeyRead, &k), bad);
  EXPECT_EQ(reg_.OpenHandleCount(), 0u);
}

TEST_P(SimRegistryTest, DeleteKeyFollowsThePlatform) {
  RegKey parent = Create("SOFTWARE\\Brennick");
  RegKey child = Create("SOFTWARE\\Brennick\\Sub\\Deeper");
  RegKey software = 0;
  ASSERT_EQ(reg_.OpenKey(hkey::kLocalMachine, "SOFTWARE", platform::kKeyAllAccess, &software), 0u);
  std::uint32_t result = reg_.DeleteKey(software, "Brennick");
  if (Nt()) {
    // Windows NT refuses a key that still has subkeys.
    EXPECT_EQ(result, err::kAccessDenied);
    EXPECT_TRUE(reg_.KeyExists("HKLM\\SOFTWARE\\Brennick\\Sub\\Deeper"));
    EXPECT_EQ(reg_.DeleteKey(software, "Brennick\\Sub\\Deeper"), 0u);
    EXPECT_EQ(reg_.DeleteKey(software, "Brennick\\Sub"), 0u);
    EXPECT_EQ(reg_.DeleteKey(software, "Brennick"), 0u);
  } else {
    // Windows 95 and 98 delete the whole tree.
    EXPECT_EQ(result, 0u);
  }
  EXPECT_FALSE(reg_.KeyExists("HKLM\\SOFTWARE\\Brennick"));
  // Handles to deleted keys report ERROR_KEY_DELETED until closed.
  EXPECT_EQ(reg_.SetValue(parent, "x", platform::regtype::kSz, "y"), err::kKeyDeleted);
  std::string name;
  EXPECT_EQ(reg_.EnumKey(child, 0, &name), err::kKeyDeleted);
  EXPECT_EQ(reg_.CloseKey(parent), 0u);
  EXPECT_EQ(reg_.CloseKey(child), 0u);
  // A key deletes itself through an empty subkey name; roots cannot go.
  RegKey self = Create("SOFTWARE\\Self");
  EXPECT_EQ(reg_.DeleteKey(self, ""), 0u);
  EXPECT_FALSE(reg_.KeyExists("HKLM\\SOFTWARE\\Self"));
  EXPECT_EQ(reg_.DeleteKey(hkey::kLocalMachine, ""), err::kAccessDenied);
  reg_.CloseKey(self);
  reg_.CloseKey(software);
}

TEST_P(SimRegistryTest, AccessRightsOnlyOnNt) {
  Create("SOFTWARE\\R");
  RegKey ro = 0;
  ASSERT_EQ(reg_.OpenKey(hkey::kLocalMachine, "SOFTWARE\\R", platform::kKeyRead, &ro), 0u);
  std::uint32_t expected = Nt() ? err::kAccessDenied : err::kSuccess;
  EXPECT_EQ(reg_.SetValue(ro, "x", platform::regtype::kSz, "y"), expected);
  RegKey sub = 0;
  std::uint32_t disposition = 0;
  EXPECT_EQ(reg_.CreateKey(ro, "Sub", platform::kKeyAllAccess, &sub, &disposition), expected);
  if (sub) reg_.CloseKey(sub);
  // Delete and enumerate (0x10008) may enumerate but not read values on NT.
  RegKey enumOnly = 0;
  ASSERT_EQ(reg_.OpenKey(hkey::kLocalMachine, "SOFTWARE", 0x10008, &enumOnly), 0u);
  std::string name;
  EXPECT_EQ(reg_.EnumKey(enumOnly, 0, &name), 0u);
  std::uint32_t type = 0;
  std::string data;
  EXPECT_EQ(reg_.QueryValue(enumOnly, "x", &type, &data, 10), Nt() ? err::kAccessDenied : err::kFileNotFound);
  reg_.CloseKey(ro);
  reg_.CloseKey(enumOnly);
}

TEST_P(SimRegistryTest, ClassesRootIsAViewOfMachineClasses) {
  RegKey k = 0;
  std::uint32_t disposition = 0;
  ASSERT_EQ(reg_.CreateKey(hkey::kClassesRoot, ".bup", platform::kKeyAllAccess, &k, &disposition), 0u);
  ASSERT_EQ(reg_.SetValue(k, "", platform::regtype::kSz, "bupfile"), 0u);
  reg_.CloseKey(k);
  std::uint32_t type = 0;
  std::string data;
  ASSERT_EQ(reg_.GetValueAt("HKLM\\SOFTWARE\\Classes\\.bup", "", &type, &data), 0u);
  EXPECT_EQ(data, "bupfile");
  ASSERT_EQ(reg_.DeleteKey(hkey::kClassesRoot, ".bup"), 0u);
  EXPECT_FALSE(reg_.KeyExists("HKLM\\SOFTWARE\\Classes\\.bup"));
}

TEST_P(SimRegistryTest, EnumeratesKeysByNameAndValuesInOrder) {
  Create("SOFTWARE\\E\\beta");
  Create("SOFTWARE\\E\\Alpha");
  Create("SOFTWARE\\E\\gamma");
  RegKey e = Create("SOFTWARE\\E");
  reg_.SetValue(e, "z", platform::regtype::kSz, "1");
  reg_.SetValue(e, "a", platform::regtype::kSz, "2");
  std::vector<std::string> keys, values;
  std::string name, data;
  std::uint32_t type = 0;
  for (std::uint32_t i = 0; reg_.EnumKey(e, i, &name) == 0; ++i) keys.push_back(name);
  for (std::uint32_t i = 0; reg_.EnumValue(e, i, &name, &type, &data) == 0; ++i) values.push_back(name);
  EXPECT_EQ(keys, (std::vector<std::string>{"Alpha", "beta", "gamma"}));
  EXPECT_EQ(values, (std::vector<std::string>{"z", "a"}));
  reg_.CloseKey(e);
}

INSTANTIATE_TEST_SUITE_P(Platforms, SimRegistryTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Nt" : "Win95";
                         });

TEST(SimRegistryFile, Regedit4RoundTrip) {
  SimRegistry reg;
  const std::string tricky = "C:\\Program Files\\\"quoted\" \\\\server";
  ASSERT_EQ(reg.SetString("HKLM\\SOFTWARE\\Odd \"Key\"\\Sub", "Na\"me\\x", tricky), 0u);
  ASSERT_EQ(reg.SetString("HKLM\\SOFTWARE\\Odd \"Key\"", "", "default"), 0u);
  ASSERT_EQ(reg.SetString("HKCU\\Software\\Lines", "Text", "two\r\nlines"), 0u);
  RegKey k = 0;
  std::uint32_t disposition = 0;
  ASSERT_EQ(reg.CreateKey(hkey::kLocalMachine, "SOFTWARE\\Types", platform::kKeyAllAccess, &k,
                          &disposition),
            0u);
  reg.SetValue(k, "dw", platform::regtype::kDword, std::string("\x78\x56\x34\x12", 4));
  reg.SetValue(k, "bin", platform::regtype::kBinary, std::string("\x00\xff\x10", 3));
  reg.SetValue(k, "multi", platform::regtype::kMultiSz, std::string("a\0b\0\0", 5));
  reg.SetValue(k, "exp", platform::regtype::kExpandSz, "%windir%\\x");
  reg.SetValue(k, "high", platform::regtype::kSz, "Gr\xFC\xDF");
  reg.CloseKey(k);
  ASSERT_EQ(reg.SetString("HKLM\\SOFTWARE\\Empty", "", ""), 0u);
  ASSERT_EQ(reg.DeleteValueAt("HKLM\\SOFTWARE\\Empty", ""), 0u);

  std::string text = reg.Export();
  EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n", 0), 0u);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Odd \"Key\"\\Sub]\r\n"
                      "\"Na\\\"me\\\\x\"=\"C:\\\\Program Files\\\\\\\"quoted\\\" \\\\\\\\server\"\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("@=\"default\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"dw\"=dword:12345678\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"bin\"=hex:00,ff,10\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"multi\"=hex(7):61,00,62,00,00\r\n"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Empty]\r\n"), std::string::npos);

  SimRegistry back;
  std::string error;
  ASSERT_TRUE(back.Import(text, &error)) << error;
  EXPECT_EQ(back.Export(), text);
  std::uint32_t type = 0;
  std::string data;
  ASSERT_EQ(back.GetValueAt("HKLM\\SOFTWARE\\Odd \"Key\"\\Sub", "na\"ME\\x", &type, &data), 0u);
  EXPECT_EQ(data, tricky);
  ASSERT_EQ(back.GetValueAt("HKCU\\Software\\Lines", "Text", &type, &data), 0u);
  EXPECT_EQ(data, "two\r\nlines");
  EXPECT_EQ(type, platform::regtype::kSz);
  ASSERT_EQ(back.GetValueAt("HKLM\\SOFTWARE\\Types", "exp", &type, &data), 0u);
  EXPECT_EQ(type, platform::regtype::kExpandSz);
  EXPECT_EQ(data, "%windir%\\x");
  ASSERT_EQ(back.GetValueAt("HKLM\\SOFTWARE\\Types", "multi", &type, &data), 0u);
  EXPECT_EQ(data, std::string("a\0b\0\0", 5));
  EXPECT_TRUE(back.KeyExists("HKLM\\SOFTWARE\\Empty"));
}

TEST(SimRegistryFile, ImportAcceptsRegeditFormsAndRejectsGarbage) {
  SimRegistry reg;
  std::string error;
  ASSERT_TRUE(reg.Import("REGEDIT4\n\n[HKEY_CLASSES_ROOT\\.bup]\n@=\"bupfile\"\n"
                         "\"long\"=hex:01,02,\\\n  03,04\n",
                         &error))
      << error;
  std::uint32_t type = 0;
  std::string data;
  ASSERT_EQ(reg.GetValueAt("HKLM\\SOFTWARE\\Classes\\.bup", "long", &type, &data), 0u);
  EXPECT_EQ(data, std::string("\x01\x02\x03\x04", 4));

  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"Windows Registry Editor Version 5.00\n", "registry.reg:1: not a REGEDIT4 file"},
      {"", "registry.reg: not a REGEDIT4 file"},
      {"REGEDIT4\n\"a\"=\"b\"\n", "registry.reg:2: value outside a key"},
      {"REGEDIT4\n[HKEY_NOWHERE\\x]\n", "registry.reg:2: unknown root key"},
      {"REGEDIT4\n[HKEY_USERS\\x\n", "registry.reg:2: unterminated key name"},
      {"REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=\"b\n", "registry.reg:3: unterminated string value"},
      {"REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=dword:123456789\n", "registry.reg:3: bad dword value"},
      {"REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=hex:1g\n", "registry.reg:3: bad hex value"},
      {"REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=hex:01,\\", "registry.reg:3: bad hex value"},
      {"REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=what\n", "registry.reg:3: unknown value type"},
  };
  for (const Case& c : cases) {
    SimRegistry r;
    r.SetString("HKLM\\SOFTWARE\\Keep", "v", "1");
    EXPECT_FALSE(r.Import(c.text, &error)) << c.text;
    EXPECT_EQ(error, c.error);
    EXPECT_TRUE(r.KeyExists("HKLM\\SOFTWARE\\Keep"));  // a failed import changes nothing
  }
}

}  // namespace
}  // namespace sim
