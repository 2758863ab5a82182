// INI-style access to one registry key: a section is a subkey of the opened key, an ident a
// value name inside it. Text is UTF-8 here; the Windows store is reached through its W calls.
//
// Everything goes through a replaceable backend: the Windows registry in the Windows build, a
// process-wide in-memory store natively. Tests install their own store, or wrap one in
// TDenyWritesBackend to play a user without the right to write under HKEY_LOCAL_MACHINE.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include "uExceptions.h"

// LocalMachine32 is HKEY_LOCAL_MACHINE as 32-bit programs see it (KEY_WOW64_32KEY): on 64-bit
// Windows their SOFTWARE keys live apart from ours, and the maker's other programs are 32-bit.
// Natively it is a store of its own, so tests can tell the two views apart.
enum class TRegRoot : uint8_t { CurrentUser, LocalMachine, LocalMachine32 };
enum class TRegAccess : uint8_t { Read, Full };
enum class TRegType : uint8_t { String, ExpandString, Other };

// Win32 error codes, so both backends speak the same language.
inline constexpr long kRegOk = 0;
inline constexpr long kRegNotFound = 2;  // ERROR_FILE_NOT_FOUND
inline constexpr long kRegAccessDenied = 5;

struct TRegValue {
  TRegType Type = TRegType::String;
  std::string Data;  // UTF-8 text; raw bytes for TRegType::Other (written as binary)
};

// An open key of a backend. Every call returns kRegOk or a Win32 error code.
class TRegKey {
 public:
  virtual ~TRegKey() = default;
  // An empty path opens the key itself again.
  virtual long Open(std::string_view path, TRegAccess access, bool create,
                    std::unique_ptr<TRegKey>& out) = 0;
  // kRegNotFound when the value does not exist.
  virtual long Query(std::string_view name, TRegValue& out) = 0;
  virtual long Set(std::string_view name, const TRegValue& value) = 0;
  virtual long Delete(std::string_view name) = 0;
};

class TRegBackend {
 public:
  virtual ~TRegBackend() = default;
  // The predefined root, with full access.
  virtual std::unique_ptr<TRegKey> Root(TRegRoot root) = 0;
};

// The backend TRegExt uses; nullptr restores the platform default. Returns the backend that
// was installed before (nullptr for the default).
TRegBackend& RegistryBackend();
TRegBackend* SetRegistryBackend(TRegBackend* backend);

// Installs a backend for the lifetime of the object (tests); overrides nest.
class TRegistryOverride {
 public:
  explicit TRegistryOverride(TRegBackend& backend) : Saved(SetRegistryBackend(&backend)) {}
  ~TRegistryOverride() { SetRegistryBackend(Saved); }
  TRegistryOverride(const TRegistryOverride&) = delete;
  TRegistryOverride& operator=(const TRegistryOverride&) = delete;

 private:
  TRegBackend* Saved;
};

// A registry in memory: key and value names match without regard to letter case, keys are
// created on demand, handles remember the access they were opened with.
class TMemoryRegistry : public TRegBackend {
 public:
  struct TNode {
    std::map<std::string, std::unique_ptr<TNode>> Keys;  // by lower-case name
    std::map<std::string, TRegValue> Values;             // by lower-case name
  };
  std::unique_ptr<TRegKey> Root(TRegRoot root) override;
  // Direct access for test set-up and inspection; nullptr when the key does not exist.
  TNode* Find(TRegRoot root, std::string_view path);

 private:
  TNode Roots[3];
};

// Wraps another backend; under the denied root (both views of it for LocalMachine) every write,
// every creation of a key and every opening with full access fails with kRegAccessDenied, as for a
// user without administrative rights. Reads pass through.
class TDenyWritesBackend : public TRegBackend {
 public:
  TDenyWritesBackend(TRegBackend& inner, TRegRoot denied) : Inner(inner), Denied(denied) {}
  std::unique_ptr<TRegKey> Root(TRegRoot root) override;

 private:
  TRegBackend& Inner;
  TRegRoot Denied;
};

// Raised by TRegExt for failures the caller must see.
class ERegistryError : public Exception {
 public:
  ERegistryError(const std::string& message, long code) : Exception(message), Code(code) {}
  long Code;
};

class TRegExt {
 public:
  // Opens keyPath under root (an empty path opens the root itself). HKEY_CURRENT_USER is always
  // opened with full access, whatever readOnly says; other roots with read access when readOnly
  // is set. A missing key is created unless createMissing is false. Failing to open raises
  // nothing: reads then give their defaults and writes raise (never falling back to the root,
  // where a value would land in the wrong key).
  TRegExt(const std::string& keyPath, bool readOnly, TRegRoot root, bool createMissing = true);
  ~TRegExt();
  TRegExt(const TRegExt&) = delete;
  TRegExt& operator=(const TRegExt&) = delete;

  bool IsOpen() const { return Current != nullptr; }
  long OpenResult() const { return OpenError; }
  TRegAccess Access() const { return FAccess; }

  // A plain or expandable string, unexpanded; fallback when the subkey or value is missing.
  // Raises ERegistryError for a value of another type or any failure other than "missing", so
  // an unreadable value is never taken for an absent one.
  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& fallback);
  // Create or open section with full access, open it again with this object's access and
  // write. Raise ERegistryError when any step fails (so a read-only object cannot write).
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  void WriteExpandString(const std::string& section, const std::string& ident,
                         const std::string& value);
  // Deletes the value ident of section (not a key); a missing subkey or value is no error.
  void DeleteKey(const std::string& section, const std::string& ident);

 private:
  void Write(const std::string& section, const std::string& ident, const TRegValue& value);

  TRegAccess FAccess = TRegAccess::Full;
  long OpenError = kRegNotFound;
  std::unique_ptr<TRegKey> RootKey;
  std::unique_ptr<TRegKey> Current;
};
