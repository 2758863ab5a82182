// The Windows registry behind TRegExt: wide-character calls, UTF-8 outside.
#include <windows.h>

#include <vector>

#include "uHandles.h"
#include "uRegistry.h"
#include "uText.h"

namespace {

REGSAM Sam(TRegAccess access) { return access == TRegAccess::Read ? KEY_READ : KEY_ALL_ACCESS; }

// View is 0 or KEY_WOW64_32KEY; it goes with every key opened below, since a handle does not
// carry it on to its subkeys.
class TWinKey : public TRegKey {
 public:
  // A predefined root is not ours to close.
  TWinKey(HKEY key, REGSAM view, bool owned) : Owned(owned ? key : nullptr), Key(key), View(view) {}

  long Open(std::string_view path, TRegAccess access, bool create,
            std::unique_ptr<TRegKey>& out) override {
    std::wstring wpath = Widen(path);
    HKEY key = nullptr;
    const REGSAM sam = Sam(access) | View;
    LSTATUS rc = create ? RegCreateKeyExW(Key, wpath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          sam, nullptr, &key, nullptr)
                        : RegOpenKeyExW(Key, wpath.c_str(), 0, sam, &key);
    if (rc != ERROR_SUCCESS) return rc;
    out = std::make_unique<TWinKey>(key, View, true);
    return kRegOk;
  }

  long Query(std::string_view name, TRegValue& out) override {
    std::wstring wname = Widen(name);
    std::vector<BYTE> data(512);
    DWORD type = 0;
    LSTATUS rc;
    // Values of any length are read whole: grow until the value fits.
    for (;;) {
      DWORD size = static_cast<DWORD>(data.size());
      rc = RegQueryValueExW(Key, wname.c_str(), nullptr, &type, data.data(), &size);
      if (rc == ERROR_MORE_DATA) {
        data.resize(std::max<size_t>(size, data.size() * 2) + sizeof(wchar_t));
        continue;
      }
      if (rc == ERROR_SUCCESS) data.resize(size);
      break;
    }
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      out = {TRegType::Other, {}};
      return kRegOk;
    }
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    out = {type == REG_SZ ? TRegType::String : TRegType::ExpandString, Narrow(text)};
    return kRegOk;
  }

  long Set(std::string_view name, const TRegValue& value) override {
    if (value.Type == TRegType::Other)
      return RegSetValueExW(Key, Widen(name).c_str(), 0, REG_BINARY,
                            reinterpret_cast<const BYTE*>(value.Data.data()),
                            static_cast<DWORD>(value.Data.size()));
    std::wstring data = Widen(value.Data);
    DWORD type = value.Type == TRegType::ExpandString ? REG_EXPAND_SZ : REG_SZ;
    return RegSetValueExW(Key, Widen(name).c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  }

  long Delete(std::string_view name) override { return RegDeleteValueW(Key, Widen(name).c_str()); }

 private:
  TKeyHandle Owned;
  HKEY Key;
  REGSAM View;
};

class TWinRegistry : public TRegBackend {
 public:
  std::unique_ptr<TRegKey> Root(TRegRoot root) override {
    return std::make_unique<TWinKey>(
        root == TRegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
        root == TRegRoot::LocalMachine32 ? KEY_WOW64_32KEY : REGSAM(0), false);
  }
};

}  // namespace

TRegBackend& PlatformRegistry() {
  static TWinRegistry registry;
  return registry;
}
