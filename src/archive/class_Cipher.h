// A keyed byte cipher: the key, repeated to 256 bytes, is added to or subtracted from a
// buffer. The schedule restarts at 0 with every call, so enciphered data reads back only in
// calls whose boundaries fall where those of the writing calls fell (modulo 256).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TCipher {
 public:
  static constexpr const char* DefaultKey = "qd2vu";

  TCipher();
  void SetKey(const std::string& key);
  void AddKey(uint8_t* buffer, size_t n) const;
  void SubtractKey(uint8_t* buffer, size_t n) const;

  const std::string& Key() const { return FKey; }
  const std::array<uint8_t, 256>& KeySchedule() const { return FKeySchedule; }

 private:
  // (x + y) mod 256 for every pair, as a 64 KiB table shared by all ciphers.
  const std::array<std::array<uint8_t, 256>, 256>& FAddTable;
  std::string FKey;
  std::array<uint8_t, 256> FKeySchedule{};
};
