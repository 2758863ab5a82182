#include "class_Cipher.h"

TCipher::TCipher() : FAddTable(std::make_unique<std::array<std::array<uint8_t, 256>, 256>>()) {
  for (int x = 0; x < 256; ++x)
    for (int y = 0; y < 256; ++y) (*FAddTable)[x][y] = static_cast<uint8_t>(x + y);
  SetKey(DefaultKey);
}

void TCipher::SetKey(const std::string& key) {
  if (key == FKey) return;
  FKey = key.empty() ? DefaultKey : key;
  for (size_t i = 0; i < FKeySchedule.size(); ++i)
    FKeySchedule[i] = static_cast<uint8_t>(FKey[i % FKey.size()]);
}

void TCipher::AddKey(uint8_t* buffer, size_t n) const {
  for (size_t i = 0; i < n; ++i) buffer[i] = (*FAddTable)[buffer[i]][FKeySchedule[i % 256]];
}

void TCipher::SubtractKey(uint8_t* buffer, size_t n) const {
  for (size_t i = 0; i < n; ++i)
    buffer[i] = static_cast<uint8_t>(buffer[i] - FKeySchedule[i % 256]);
}
