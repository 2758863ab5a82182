#include "uPrivateFolder.h"

#include <cstdint>

#include "uFileSys.h"

std::optional<std::string> PrivateFolderName(const TRandomSource& random) {
  uint8_t bytes[16];
  if (!random || !random(bytes, sizeof bytes)) return std::nullopt;
  static const char kHex[] = "0123456789abcdef";
  std::string name = "kro";
  for (uint8_t b : bytes) {
    name += kHex[b >> 4];
    name += kHex[b & 15];
  }
  return name;
}

std::optional<std::string> CreatePrivateFolder(const std::string& parent,
                                               const TRandomSource& random) {
  if (parent.empty() || !fsys::IsPathDelim(parent.back())) return std::nullopt;
  // A clash with a 128-bit random name means a broken generator; give up after a few.
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::optional<std::string> name = PrivateFolderName(random);
    if (!name) return std::nullopt;
    const std::string path = parent + *name;
    if (CreateFolderExclusive(path)) return path + fsys::kPathDelim;
  }
  return std::nullopt;
}

TPrivateFolder& TPrivateFolder::operator=(TPrivateFolder&& other) noexcept {
  if (this != &other) {
    Remove();
    FPath = std::move(other.FPath);
    other.FPath.clear();
  }
  return *this;
}

void TPrivateFolder::Remove() {
  if (FPath.empty()) return;
  RemoveFolderTree(FPath);
  FPath.clear();
}
