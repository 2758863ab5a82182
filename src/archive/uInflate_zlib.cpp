// TInflater over zlib's inflate: for the programs that link zlib anyway.
#include <zlib.h>

#include <algorithm>

#include "uExceptions.h"
#include "uInflate.h"

namespace {
constexpr size_t kInputSize = 65'536;
}  // namespace

struct TInflater::TState {
  TSource Source;
  z_stream Zs{};
  std::unique_ptr<uint8_t[]> In = std::make_unique<uint8_t[]>(kInputSize);
  bool InputDry = false;
  bool Ended = false;
  bool Failed = false;
  ~TState() { inflateEnd(&Zs); }
};

TInflater::TInflater(TSource source) : State(std::make_unique<TState>()) {
  State->Source = std::move(source);
  if (inflateInit(&State->Zs) != Z_OK) throw Exception("error");
}

TInflater::~TInflater() = default;

bool TInflater::Ended() const { return State->Ended; }

void TInflater::Finish() const {
  if (!State->Ended) throw Exception("error");
}

size_t TInflater::Read(uint8_t* out, size_t size) {
  TState& s = *State;
  if (s.Failed) throw Exception("error");
  z_stream& zs = s.Zs;
  // A source that gave nothing may have more now: input can pause at any byte.
  s.InputDry = false;
  size_t done = 0;
  while (done < size && !s.Ended) {
    // zlib counts in 32 bits.
    const uInt chunk = static_cast<uInt>(std::min<size_t>(size - done, 1u << 30));
    zs.next_out = out + done;
    zs.avail_out = chunk;
    int result = Z_OK;
    while (zs.avail_out > 0 && !s.Ended) {
      if (zs.avail_in == 0 && !s.InputDry) {
        size_t n = s.Source(s.In.get(), kInputSize);
        s.InputDry = n == 0;
        zs.next_in = s.In.get();
        zs.avail_in = static_cast<uInt>(n);
      }
      // Even without new input, inflate may still hold output of the last match.
      result = inflate(&zs, Z_NO_FLUSH);
      if (result == Z_BUF_ERROR) break;  // no progress without more input
      // A preset dictionary is never supplied; waiting for one would spin.
      if (result < 0 || result == Z_NEED_DICT) {
        s.Failed = true;
        throw Exception("error");
      }
      s.Ended = result == Z_STREAM_END;
    }
    done += chunk - zs.avail_out;
    if (result == Z_BUF_ERROR) break;
  }
  return done;
}
