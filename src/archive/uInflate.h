// Inflation of one member's zlib stream. Two implementations share this interface and are
// chosen at link time: a compact one for setup.exe (uInflate.cpp), and one over zlib for
// kropack and everything else (uInflate_zlib.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

// Decodes one zlib stream (2-byte header, deflate data, Adler-32 trailer) piece by piece.
class TInflater {
 public:
  // Fills data with up to capacity more compressed bytes (tens of KiB); returns how many, 0
  // when there are none for now. May raise; the exception passes through Read unchanged.
  using TSource = std::function<size_t(uint8_t* data, size_t capacity)>;
  explicit TInflater(TSource source);
  ~TInflater();
  TInflater(const TInflater&) = delete;
  TInflater& operator=(const TInflater&) = delete;

  // Up to size bytes of output into out; returns how many. Fewer than size only at the
  // stream's end (Ended()) or when the source gave nothing: then everything its bytes held
  // has been handed out, and a later call asks the source again and goes on from there, so
  // input may pause at any byte. A corrupt stream (bad header, preset dictionary, invalid code or
  // distance, distance beyond the output so far, Adler-32 mismatch, stored length check failure)
  // raises Exception("error"), and so does every later call.
  size_t Read(uint8_t* out, size_t size);
  // The whole stream, trailer checked, has been read.
  bool Ended() const;
  // For the end of the input: raises Exception("error") unless Ended(), as a stream cut short
  // anywhere before its trailer is corrupt.
  void Finish() const;

 private:
  struct TState;
  std::unique_ptr<TState> State;
};
