// The in-memory registry of the native build and of tests, and the wrapper that plays a user
// without administrative rights. Kept apart so that setup.exe does not carry them.
#include <vector>

#include "uRegistry.h"
#include "uText.h"

namespace {

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

}  // namespace

#ifndef _WIN32
// Natively the registry is this process-wide store.
TRegBackend& PlatformRegistry() {
  static TMemoryRegistry registry;
  return registry;
}
#endif

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
  const bool machine = root != TRegRoot::CurrentUser;
  if (root != Denied && !(machine && Denied == TRegRoot::LocalMachine)) return key;
  return std::make_unique<TDeniedKey>(std::move(key));
}
