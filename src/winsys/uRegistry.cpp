#include "uRegistry.h"

#include "uText.h"

// The platform registry: uRegistry_win.cpp on Windows, the in-memory store elsewhere.
TRegBackend& PlatformRegistry();

namespace {

TRegBackend* Installed = nullptr;

[[noreturn]] void Fail(const std::string& what, const std::string& section,
                       const std::string& ident, long code) {
  throw ERegistryError(
      what + " \"" + section + "\\" + ident + "\" (error " + std::to_string(code) + ")", code);
}

}  // namespace

TRegBackend& RegistryBackend() { return Installed ? *Installed : PlatformRegistry(); }
TRegBackend* SetRegistryBackend(TRegBackend* backend) {
  TRegBackend* previous = Installed;
  Installed = backend;
  return previous;
}

TRegExt::TRegExt(const std::string& keyPath, bool readOnly, TRegRoot root, bool createMissing)
    : RootKey(RegistryBackend().Root(root)) {
  if (root != TRegRoot::CurrentUser && readOnly) FAccess = TRegAccess::Read;
  if (RootKey) OpenError = RootKey->Open(keyPath, FAccess, createMissing, Current);
  if (OpenError != kRegOk) Current.reset();
}

TRegExt::~TRegExt() = default;

std::string TRegExt::ReadString(const std::string& section, const std::string& ident,
                                const std::string& fallback) {
  // A key that could not be opened holds nothing we may trust: its reads give their defaults.
  if (!Current) return fallback;
  std::unique_ptr<TRegKey> sub;
  long rc = Current->Open(section, TRegAccess::Read, false, sub);
  if (rc == kRegNotFound) return fallback;
  if (rc != kRegOk) Fail("Cannot open registry key", section, ident, rc);
  TRegValue value;
  rc = sub->Query(ident, value);
  if (rc == kRegNotFound) return fallback;
  if (rc != kRegOk) Fail("Cannot read registry value", section, ident, rc);
  if (value.Type == TRegType::Other) Fail("Registry value is not a string", section, ident, 0);
  return value.Data;
}

void TRegExt::Write(const std::string& section, const std::string& ident, const TRegValue& value) {
  // Writes never fall back to the root: a value meant for one key must not land in another.
  if (!Current) Fail("Cannot open registry key for", section, ident, OpenError);
  std::unique_ptr<TRegKey> created, sub;
  long rc = Current->Open(section, TRegAccess::Full, true, created);
  if (rc != kRegOk) Fail("Cannot create registry key", section, ident, rc);
  rc = Current->Open(section, FAccess, false, sub);
  if (rc != kRegOk) Fail("Cannot open registry key", section, ident, rc);
  rc = sub->Set(ident, value);
  if (rc != kRegOk) Fail("Cannot write registry value", section, ident, rc);
}

void TRegExt::WriteString(const std::string& section, const std::string& ident,
                          const std::string& value) {
  Write(section, ident, {TRegType::String, value});
}

void TRegExt::WriteExpandString(const std::string& section, const std::string& ident,
                                const std::string& value) {
  Write(section, ident, {TRegType::ExpandString, value});
}

void TRegExt::DeleteKey(const std::string& section, const std::string& ident) {
  if (!Current) return;
  std::unique_ptr<TRegKey> sub;
  if (Current->Open(section, TRegAccess::Full, false, sub) == kRegOk) sub->Delete(ident);
}
