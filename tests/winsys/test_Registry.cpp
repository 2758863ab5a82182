// The registry helper's contract, against the in-memory store and, in the Windows build, the
// real registry of the test's private Wine prefix.
#include <gtest/gtest.h>

#include <functional>

#include "RawRegistry.h"
#include "uRegistry.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const std::string kBase = "Software\\KroTest\\Registry";

struct TBackendCase {
  const char* Name;
  std::function<std::unique_ptr<TRegBackend>()> Make;  // nullptr: the platform registry
};

class RegistryContract : public testing::TestWithParam<TBackendCase> {
 protected:
  void SetUp() override {
    if (auto made = GetParam().Make ? GetParam().Make() : nullptr) {
      Owned = std::move(made);
      Override.emplace(*Owned);
    }
  }
  void TearDown() override {
    Override.reset();
#ifdef _WIN32
    if (!GetParam().Make) {
      RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KroTest");
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\KroTest");
    }
#endif
  }
  std::unique_ptr<TRegBackend> Owned;
  std::optional<TRegistryOverride> Override;
};

const TRegRoot kRoots[] = {TRegRoot::CurrentUser, TRegRoot::LocalMachine};

}  // namespace

// Plain and expandable strings round-trip under both roots, unexpanded, with their types, in
// any length and with text beyond ASCII.
TEST_P(RegistryContract, StringsRoundTrip) {
  const std::string longText(10'000, 'x');
  struct {
    const char* ident;
    std::string value;
    bool expand;
  } cases[] = {
      {"Plain", "C:\\KRO\\ZEB", false},
      {"Path", "%SystemRoot%\\system32;C:\\KRO\\ZEB", true},
      {"Long", longText, true},
      {"Umlaut",
       "Gr\xC3\xB6\xC3\x9F"
       "e \xCE\xB1",
       false},
      {"Empty", "", false},
  };
  for (TRegRoot root : kRoots) {
    TRegExt reg(kBase, false, root);
    ASSERT_TRUE(reg.IsOpen());
    for (const auto& c : cases) {
      if (c.expand)
        reg.WriteExpandString("Environment", c.ident, c.value);
      else
        reg.WriteString("Environment", c.ident, c.value);
      EXPECT_EQ(reg.ReadString("Environment", c.ident, "-"), c.value) << c.ident;
      auto raw = RawValue(root, kBase + "\\Environment", c.ident);
      ASSERT_TRUE(raw);
      EXPECT_EQ(raw->Type, c.expand ? TRegType::ExpandString : TRegType::String) << c.ident;
      EXPECT_EQ(raw->Data, c.value);
    }
    // Another object sees what this one wrote.
    EXPECT_EQ(TRegExt(kBase, true, root).ReadString("environment", "PATH", ""),
              "%SystemRoot%\\system32;C:\\KRO\\ZEB");
  }
}

// Missing keys and values read as defaults; a key opened without creating is not there.
TEST_P(RegistryContract, MissingReadsAsDefault) {
  for (TRegRoot root : kRoots) {
    TRegExt absent(kBase + "\\Nowhere", true, root, false);
    EXPECT_FALSE(absent.IsOpen());
    EXPECT_EQ(absent.ReadString("Shared", "ZEB", "dflt"), "dflt");
    EXPECT_THROW(absent.WriteString("Shared", "ZEB", "x"), ERegistryError);
    EXPECT_FALSE(RawValue(root, kBase + "\\Nowhere", "ZEB"));

    TRegExt reg(kBase, false, root);
    EXPECT_EQ(reg.ReadString("NoSection", "ZEB", "dflt"), "dflt");
    reg.WriteString("Shared", "Other", "1");
    EXPECT_EQ(reg.ReadString("Shared", "ZEB", "dflt"), "dflt");
  }
}

// The read-only flag: ignored for HKEY_CURRENT_USER, binding elsewhere.
TEST_P(RegistryContract, ReadOnlyFlag) {
  TRegExt user(kBase, true, TRegRoot::CurrentUser);
  EXPECT_EQ(user.Access(), TRegAccess::Full);
  user.WriteString("S", "V", "written");
  EXPECT_EQ(user.ReadString("S", "V", ""), "written");

  TRegExt(kBase, false, TRegRoot::LocalMachine).WriteString("S", "V", "before");
  TRegExt machine(kBase, true, TRegRoot::LocalMachine);
  EXPECT_EQ(machine.Access(), TRegAccess::Read);
  EXPECT_THROW(machine.WriteString("S", "V", "after"), ERegistryError);
  EXPECT_THROW(machine.WriteExpandString("S", "V", "after"), ERegistryError);
  EXPECT_EQ(machine.ReadString("S", "V", ""), "before");
}

// DeleteKey removes a value, and a missing value or section is no error.
TEST_P(RegistryContract, DeleteValue) {
  TRegExt reg("", false, TRegRoot::CurrentUser);  // the root itself
  reg.WriteString(kBase + "\\Env", "ZEB", "C:\\KRO\\ZEB");
  reg.WriteString(kBase + "\\Env", "Keep", "1");
  reg.DeleteKey(kBase + "\\Env", "ZEB");
  EXPECT_NO_THROW(reg.DeleteKey(kBase + "\\Env", "ZEB"));
  EXPECT_NO_THROW(reg.DeleteKey(kBase + "\\Gone", "ZEB"));
  EXPECT_EQ(reg.ReadString(kBase + "\\Env", "ZEB", "none"), "none");
  EXPECT_EQ(reg.ReadString(kBase + "\\Env", "Keep", ""), "1");
}

// A value of another type is an error, never a string.
TEST_P(RegistryContract, OtherTypesRaise) {
  ASSERT_TRUE(PutRawValue(TRegRoot::CurrentUser, kBase + "\\Env", "PATH",
                          TRegValue{TRegType::Other, std::string("\x01\x00", 2)}));
  TRegExt reg(kBase, false, TRegRoot::CurrentUser);
  EXPECT_THROW(reg.ReadString("Env", "PATH", ""), ERegistryError);
}

// A user without administrative rights: HKEY_LOCAL_MACHINE reads, cannot create or write;
// HKEY_CURRENT_USER is untouched by the restriction.
TEST_P(RegistryContract, DeniedMachineWrites) {
  TRegExt(kBase, false, TRegRoot::LocalMachine).WriteString("S", "V", "machine");
  TDenyWritesBackend deny(RegistryBackend(), TRegRoot::LocalMachine);
  TRegistryOverride denied(deny);

  TRegExt reader(kBase, true, TRegRoot::LocalMachine);
  EXPECT_TRUE(reader.IsOpen());
  EXPECT_EQ(reader.ReadString("S", "V", ""), "machine");
  TRegExt writer(kBase, false, TRegRoot::LocalMachine);
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(writer.OpenResult(), kRegAccessDenied);
  EXPECT_THROW(writer.WriteString("S", "V", "x"), ERegistryError);
  TRegExt missing(kBase + "\\New", true, TRegRoot::LocalMachine);  // would have to be created
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.ReadString("S", "V", "dflt"), "dflt");

  TRegExt user(kBase, false, TRegRoot::CurrentUser);
  user.WriteExpandString("S", "V", "%TEMP%");
  EXPECT_EQ(user.ReadString("S", "V", ""), "%TEMP%");
}

INSTANTIATE_TEST_SUITE_P(
    Backends, RegistryContract,
    testing::Values(TBackendCase{"Memory", [] { return std::make_unique<TMemoryRegistry>(); }}
#ifdef _WIN32
                    ,
                    TBackendCase{"Windows", nullptr}
#endif
                    ),
    [](const auto& info) { return std::string(info.param.Name); });
