// The registry as its backend stores it, below the helper under test: values read and written
// directly, with their types as stored.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "uRegistry.h"

inline std::optional<TRegValue> RawValue(TRegRoot root, const std::string& key,
                                         const std::string& name) {
  std::unique_ptr<TRegKey> k;
  TRegValue v;
  if (RegistryBackend().Root(root)->Open(key, TRegAccess::Read, false, k) != kRegOk ||
      k->Query(name, v) != kRegOk)
    return std::nullopt;
  return v;
}

// Sets the value, making its key, or deletes it when there is none; false when the key cannot
// be opened or the value not set.
inline bool PutRawValue(TRegRoot root, const std::string& key, const std::string& name,
                        const std::optional<TRegValue>& value) {
  std::unique_ptr<TRegKey> k;
  if (RegistryBackend().Root(root)->Open(key, TRegAccess::Full, true, k) != kRegOk) return false;
  if (!value) {
    k->Delete(name);
    return true;
  }
  return k->Set(name, *value) == kRegOk;
}
