#include "uRegistry.h"

#include <vector>

#include "uText.h"

// The Windows build defines the platform registry in uRegistry_win.cpp.
TRegBackend& PlatformRegistry();

namespace {

TRegBackend* Installed = nullptr;

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> parts;
  while (!path.empty()) {
    size_t end = path.find('\\');
    std::string_view part = path.substr(0, end);
    if (!part.empty()) parts.push_back(LowerAZ(part));
    if (end == std::string_view::npos) break;
    path.remove_prefix(end + 1);
  }
  return parts;
}

class TMemoryKey : public TRegKey {
 public:
  TMemoryKey(TMemoryRegistry::TNode& node, TRegAccess access) : Node(node), Access(access) {}

  long Open(std::string_view path, TRegAccess access, bool create,
            std::unique_ptr<TRegKey>& out) override {
    TMemoryRegistry::TNode* node = &Node;
    for (const std::string& part : SplitPath(path)) {
      auto it = node->Keys.find(part);
      if (it == node->Keys.end()) {
        if (!create) return kRegNotFound;
        // Creating a key needs a parent handle that may write, as in Windows.
        if (Access != TRegAccess::Full) return kRegAccessDenied;
        it = node->Keys.emplace(part, std::make_unique<TMemoryRegistry::TNode>()).first;
      }
      node = it->second.get();
    }
    out = std::make_unique<TMemoryKey>(*node, access);
    return kRegOk;
  }

  long Query(std::string_view name, TRegValue& out) override {
    auto it = Node.Values.find(LowerAZ(name));
    if (it == Node.Values.end()) return kRegNotFound;
    out = it->second;
    return kRegOk;
  }

  long Set(std::string_view name, const TRegValue& value) override {
    if (Access != TRegAccess::Full) return kRegAccessDenied;
    Node.Values[LowerAZ(name)] = value;
    return kRegOk;
  }

  long Delete(std::string_view name) override {
    if (Access != TRegAccess::Full) return kRegAccessDenied;
    return Node.Values.erase(LowerAZ(name)) ? kRegOk : kRegNotFound;
  }

 private:
  TMemoryRegistry::TNode& Node;
  TRegAccess Access;
};

class TDeniedKey : public TRegKey {
 public:
  explicit TDeniedKey(std::unique_ptr<TRegKey> inner) : Inner(std::move(inner)) {}

  long Open(std::string_view path, TRegAccess access, bool /*create*/,
            std::unique_ptr<TRegKey>& out) override {
    if (access == TRegAccess::Full) return kRegAccessDenied;
    std::unique_ptr<TRegKey> key;
    long rc = Inner->Open(path, TRegAccess::Read, false, key);
    // A key that would have to be created is as much a write as a value.
    if (rc == kRegNotFound) return kRegAccessDenied;
    if (rc == kRegOk) out = std::make_unique<TDeniedKey>(std::move(key));
    return rc;
  }
  long Query(std::string_view name, TRegValue& out) override { return Inner->Query(name, out); }
  long Set(std::string_view, const TRegValue&) override { return kRegAccessDenied; }
  long Delete(std::string_view) override { return kRegAccessDenied; }

 private:
  std::unique_ptr<TRegKey> Inner;
};

[[noreturn]] void Fail(const std::string& what, const std::string& section,
                       const std::string& ident, long code) {
  throw ERegistryError(
      what + " \"" + section + "\\" + ident + "\" (error " + std::to_string(code) + ")", code);
}

}  // namespace

#ifndef _WIN32
TRegBackend& PlatformRegistry() {
  static TMemoryRegistry registry;
  return registry;
}
#endif

TRegBackend& RegistryBackend() { return Installed ? *Installed : PlatformRegistry(); }
TRegBackend* SetRegistryBackend(TRegBackend* backend) {
  TRegBackend* previous = Installed;
  Installed = backend;
  return previous;
}

std::unique_ptr<TRegKey> TMemoryRegistry::Root(TRegRoot root) {
  return std::make_unique<TMemoryKey>(Roots[static_cast<int>(root)], TRegAccess::Full);
}

TMemoryRegistry::TNode* TMemoryRegistry::Find(TRegRoot root, std::string_view path) {
  TNode* node = &Roots[static_cast<int>(root)];
  for (const std::string& part : SplitPath(path)) {
    auto it = node->Keys.find(part);
    if (it == node->Keys.end()) return nullptr;
    node = it->second.get();
  }
  return node;
}

std::unique_ptr<TRegKey> TDenyWritesBackend::Root(TRegRoot root) {
  std::unique_ptr<TRegKey> key = Inner.Root(root);
  if (root != Denied) return key;
  return std::make_unique<TDeniedKey>(std::move(key));
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
