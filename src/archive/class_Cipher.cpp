#include "class_Cipher.h"

#include <string_view>

namespace {

using TAddTable = std::array<std::array<uint8_t, 256>, 256>;

// One table for every cipher: the engine opens a stream (and so a cipher) per member, and
// filling 64 KiB each time cost more than extracting a small file.
const TAddTable& SharedAddTable() {
  static const auto table = [] {
    auto t = std::make_unique<TAddTable>();
    for (int x = 0; x < 256; ++x)
      for (int y = 0; y < 256; ++y) (*t)[x][y] = static_cast<uint8_t>(x + y);
    return t;
  }();
  return *table;
}

}  // namespace

TCipher::TCipher() : FAddTable(SharedAddTable()) { SetKey(DefaultKey); }

void TCipher::SetKey(const std::string& key) {
  // Every stream sets its key once more after construction, mostly the default one again (as
  // the empty key): that needs no new schedule.
  const std::string_view wanted = key.empty() ? std::string_view(DefaultKey) : key;
  if (wanted == FKey) return;
  FKey = wanted;
  for (size_t i = 0; i < FKeySchedule.size(); ++i)
    FKeySchedule[i] = static_cast<uint8_t>(FKey[i % FKey.size()]);
}

void TCipher::AddKey(uint8_t* buffer, size_t n) const {
  for (size_t i = 0; i < n; ++i) buffer[i] = FAddTable[buffer[i]][FKeySchedule[i % 256]];
}

void TCipher::SubtractKey(uint8_t* buffer, size_t n) const {
  for (size_t i = 0; i < n; ++i)
    buffer[i] = static_cast<uint8_t>(buffer[i] - FKeySchedule[i % 256]);
}
