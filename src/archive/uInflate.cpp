// The compact TInflater for setup.exe, where zlib's inflate cost some 26 KB. Output goes into
// a window of 64 KiB that keeps the last 32 KiB as history when it slides; a decode step
// stops only between whole symbols, so Read hands out the window in any piece size and
// nothing of a match is ever pending. Huffman codes are decoded by a table of the next 10 bits;
// the rare longer codes walk the canonical code.
#include <bit>
#include <cstring>

#include "uExceptions.h"
#include "uInflate.h"

static_assert(std::endian::native == std::endian::little, "the bit buffer loads 8 bytes at once");

namespace {

constexpr int kFastBits = 10;
constexpr size_t kHistory = 32'768;
constexpr size_t kWindowSize = 2 * kHistory;
// With the window, some 100 KiB in all: larger heap blocks are mapped afresh for each member
// by some heaps (Wine's from 127 KiB on), which costs more than inflating a small file.
constexpr size_t kInputSize = 32'768;
// A decode step starts only below this: the longest match plus the copy's 8-byte overrun fit.
constexpr size_t kLimit = kWindowSize - 258 - 8;
constexpr uint16_t kNone = 0xFFFF;  // no symbol: an unused code

struct THuffman {
  uint16_t Fast[1 << kFastBits];  // by the next bits: symbol << 4 | length; 0: longer or unused
  uint16_t Count[16];             // codes of each length
  uint16_t Symbol[288];           // symbols in canonical order
};

// The bit buffer, lowest bit first. Past the end of the input Count goes below 0: the stream
// was cut short, whatever the zero bits read there seemed to say.
struct TBits {
  uint64_t Bits;
  int Count;
  const uint8_t* Next;
  const uint8_t* End;
};

enum TMode : uint8_t { kHeader, kBlock, kStored, kCodes, kTrailer, kEnded, kFailed };

// The bytes a bit buffer holds came from the 8 bytes before its Next; they stay in the input
// buffer, so that a stored block can go back to them.
constexpr size_t kKeep = 8;
// Room for what a step may read before its input runs out: a dynamic block's header with its
// code lengths is below 300 bytes. A step that runs dry (returns false) starts again from its
// beginning.
constexpr size_t kRetain = 1'024;

// Canonical codes from code lengths. Refuses an over-subscribed set and an incomplete one,
// except (as zlib does) no codes at all or, for the literal and distance codes, a single code
// of one bit: a stream that uses a missing code fails when it does.
bool Build(THuffman& h, const uint8_t* lengths, int n, bool strict) {
  uint16_t offset[16];
  std::memset(h.Count, 0, sizeof h.Count);
  for (int i = 0; i < n; ++i) ++h.Count[lengths[i]];
  int left = 1, sum = 0;
  for (int len = 1; len < 16; ++len) {
    offset[len] = static_cast<uint16_t>(sum);
    sum += h.Count[len];
    left = 2 * left - h.Count[len];  // once below 0, over-subscribed for good
  }
  if (left && left != 1 << 15 && (strict || left != 1 << 14 || h.Count[1] != 1)) return false;
  for (int i = 0; i < n; ++i)
    if (lengths[i]) h.Symbol[offset[lengths[i]]++] = static_cast<uint16_t>(i);
  // The table is indexed by codes as they arrive, highest bit first: count in that order.
  std::memset(h.Fast, 0, sizeof h.Fast);
  for (unsigned k = 0, reversed = 0; k < static_cast<unsigned>(sum); ++k) {
    unsigned len = lengths[h.Symbol[k]];
    if (len > kFastBits) break;
    for (unsigned r = reversed; r < 1u << kFastBits; r += 1u << len)
      h.Fast[r] = static_cast<uint16_t>(h.Symbol[k] << 4 | len);
    unsigned bit = 1u << (len - 1);
    while (reversed & bit) bit >>= 1;
    reversed = (reversed & (bit - 1)) + bit;
  }
  return true;
}

// A code longer than the table's bits, or an unused one (kNone), by walking the canonical
// code bit by bit: symbol << 4 | length, as in the table.
[[gnu::noinline]] unsigned Walk(const THuffman& h, uint64_t bits) {
  for (int len = 1, code = 0, first = 0, index = 0; len < 16; ++len) {
    code |= static_cast<int>(bits & 1);
    bits >>= 1;
    int count = h.Count[len];
    if (code - first < count) return h.Symbol[index + code - first] << 4 | len;
    index += count;
    first = (first + count) << 1;
    code <<= 1;
  }
  return kNone << 4 | 15;
}

// The next symbol of code h; kNone for an unused code.
inline unsigned Decode(const THuffman& h, TBits& r) {
  unsigned entry = h.Fast[r.Bits & ((1u << kFastBits) - 1)];
  if (!entry) entry = Walk(h, r.Bits);
  r.Bits >>= entry & 15;
  r.Count -= static_cast<int>(entry & 15);
  return entry >> 4;
}

// x extra bits on top of base.
inline unsigned Extra(TBits& r, unsigned base, int x) {
  unsigned value = base + static_cast<unsigned>(r.Bits & ((1u << x) - 1));
  r.Bits >>= x;
  r.Count -= x;
  return value;
}

uint32_t Adler32(uint32_t adler, const uint8_t* p, size_t n) {
  uint32_t a = adler & 0xFFFF, b = adler >> 16;
  while (n) {
    size_t k = n < 5552 ? n : 5552;  // no overflow of b before the modulo
    n -= k;
    // Eight bytes a round: the loop's own test was a good part of the cost.
    for (; k >= 8; k -= 8, p += 8)
      for (int i = 0; i < 8; ++i) {
        a += p[i];
        b += a;
      }
    for (; k; --k) {
      a += *p++;
      b += a;
    }
    a %= 65521;
    b %= 65521;
  }
  return b << 16 | a;
}

[[noreturn]] void Corrupt() { throw Exception("error"); }

// The decoder's whole state. Kept in this file's own namespace so that its functions are not
// emitted as mergeable copies, each padded on its own.
struct TDecoder {
  TInflater::TSource Source;
  TBits R = {0, 0, In + kKeep, In + kKeep};
  // Where the step under way began (for literals and matches: the symbol), and its Last.
  TBits Mark = R;
  bool MarkLast = false;
  bool InputEnded = false;  // the source gave nothing since the last pause
  TMode Mode = kHeader;
  bool Last = false;  // the block being decoded is the stream's last
  uint32_t StoredLeft = 0;
  uint32_t Adler = 1;
  size_t Write = 0;    // end of the output in Window
  size_t Written = 0;  // end of what Read has handed out
  size_t Summed = 0;   // end of what Adler covers
  THuffman Lit, Dist;
  bool FixedBuilt = false;  // Lit and Dist hold the fixed codes
  uint8_t In[kKeep + kRetain + kInputSize];
  uint8_t Window[kWindowSize];

  // Tops the bit buffer up to at least 56 bits while the input lasts.
  void Refill(TBits& r) {
    if (r.End - r.Next >= 8) {
      uint64_t v;
      std::memcpy(&v, r.Next, 8);
      r.Bits |= v << r.Count;
      r.Next += (63 - r.Count) >> 3;
      r.Count |= 56;
      return;
    }
    while (r.Count <= 55) {
      if (r.Next == r.End && !Pull(r)) return;
      r.Bits |= static_cast<uint64_t>(*r.Next++) << r.Count;
      r.Count += 8;
    }
  }

  // Called with r.Next at r.End. Everything from the mark's bytes on stays.
  bool Pull(TBits& r) {
    if (InputEnded) return false;
    const uint8_t* from = Mark.Next - In < static_cast<ptrdiff_t>(kKeep) ? In : Mark.Next - kKeep;
    size_t keep = static_cast<size_t>(r.End - from), room = sizeof In - keep;
    std::memmove(In, from, keep);
    Mark.Next -= from - In;
    size_t n = Source(In + keep, room);
    InputEnded = n == 0;
    r.Next = In + keep;
    r.End = Mark.End = r.Next + (n < room ? n : room);
    return !InputEnded;
  }

  // After the input ran dry: back to where the step began, to go on with more input.
  void Resume() {
    R = Mark;
    Last = MarkLast;
    InputEnded = false;
  }

  void Sum() {
    Adler = Adler32(Adler, Window + Summed, Write - Summed);
    Summed = Write;
  }

  unsigned Take(int n) {
    if (R.Count < n) Refill(R);
    return Extra(R, 0, n);
  }

  // Once the input has ended inside a step, whatever its bits seemed to say, false: the step
  // waits for more input. Otherwise a failed check means a corrupt stream. Running dry is no
  // exception, since a source that pauses often makes it common.
  static bool Whole(const TBits& r, bool ok) {
    if (r.Count < 0) return false;
    if (!ok) Corrupt();
    return true;
  }
  bool Check(bool ok) const { return Whole(R, ok); }

  bool Header() {
    unsigned cmf = Take(8), flg = Take(8);
    // Deflate with a window of at most 32 KiB, and no preset dictionary.
    if (!Check((cmf << 8 | flg) % 31 == 0 && (cmf & 0x8F) == 8 && !(flg & 0x20))) return false;
    Mode = kBlock;
    return true;
  }

  bool Block() {
    if (Last) {
      Mode = kTrailer;
      return true;
    }
    Last = Take(1);
    unsigned type = Take(2);
    if (type == 0) {
      Take(R.Count & 7);
      unsigned len = Take(16), nlen = Take(16);
      if (!Check(len == (~nlen & 0xFFFF))) return false;
      // The block's bytes are copied straight from the input, from where the bit buffer got.
      R.Next -= R.Count >> 3;
      R.Count = 0;
      R.Bits = 0;
      StoredLeft = len;
      Mode = kStored;
      return true;
    }
    if (type == 1) {
      // Built once for a run of fixed blocks: an empty one takes ten bits, and building both
      // tables for each was most of the time such a stream took.
      if (!FixedBuilt) {
        uint8_t lengths[288];
        for (int i = 0; i < 288; ++i)
          lengths[i] = 8 + (i >= 144 && i < 256) - (i >= 256 && i < 280);
        Build(Lit, lengths, 288, false);
        std::memset(lengths, 5, 32);
        Build(Dist, lengths, 32, false);
        FixedBuilt = true;
      }
    } else if (!Check(type == 2) || (FixedBuilt = false, !Tables())) {
      return false;
    }
    if (!Check(true)) return false;  // the header was whole
    Mode = kCodes;
    return true;
  }

  bool Tables() {
    static const uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                       11, 4,  12, 3, 13, 2, 14, 1, 15};
    unsigned nlit = Take(5) + 257, ndist = Take(5) + 1, ncode = Take(4) + 4;
    if (!Check(nlit <= 286 && ndist <= 30)) return false;
    uint8_t lengths[286 + 30] = {};
    for (unsigned i = 0; i < ncode; ++i) lengths[kOrder[i]] = static_cast<uint8_t>(Take(3));
    // The code-length code, briefly in Lit's place.
    if (!Check(Build(Lit, lengths, 19, true))) return false;
    uint8_t code[286 + 30];
    for (unsigned n = 0; n < nlit + ndist;) {
      if (R.Count < 24) Refill(R);
      unsigned symbol = Decode(Lit, R), value = symbol, repeat = 1;
      if (symbol > 15) {
        // 16: the last length 3 to 6 times; 17, 18: zero 3 to 10, 11 to 138 times.
        if (!Check(symbol <= 18 && (symbol != 16 || n > 0))) return false;
        value = symbol == 16 ? code[n - 1] : 0;
        repeat = symbol == 18 ? Extra(R, 11, 7) : Extra(R, 3, static_cast<int>(symbol) - 14);
      }
      if (!Check(n + repeat <= nlit + ndist)) return false;
      std::memset(code + n, static_cast<int>(value), repeat);
      n += repeat;
    }
    return Check(code[256] != 0) &&  // a block without an end
           Check(Build(Lit, code, static_cast<int>(nlit), false)) &&
           Check(Build(Dist, code + nlit, static_cast<int>(ndist), false));
  }

  bool Stored() {
    while (StoredLeft && Write < kLimit) {
      // What was copied stays copied: a pause resumes from here.
      if (R.Next == R.End && (Mark = R, !Pull(R))) return false;
      size_t n = static_cast<size_t>(R.End - R.Next);
      if (n > StoredLeft) n = StoredLeft;
      if (n > kLimit - Write) n = kLimit - Write;
      std::memcpy(Window + Write, R.Next, n);
      R.Next += n;
      Write += n;
      StoredLeft -= static_cast<uint32_t>(n);
    }
    if (!StoredLeft) Mode = kBlock;
    return true;
  }

  // Literals and matches until the block ends or the window is full. Bit buffer and write
  // position live in locals here: stores into the window would otherwise reload them.
  bool Codes() {
    TBits r = R;
    size_t w = Write;
    uint8_t* const window = Window;
    auto stop = [&] {
      Write = w;
      return Whole(r, false);
    };
    while (w < kLimit) {
      // Only a refill that reaches the input's end can run dry, and only there may the input
      // move: the symbol then starts again from this mark.
      if (r.End - r.Next < 8) Mark = r;
      Refill(r);
      unsigned symbol = Decode(Lit, r);
      if (symbol < 256) {
        if (r.Count < 0) return stop();
        window[w++] = static_cast<uint8_t>(symbol);
        continue;
      }
      if (symbol == 256) {
        if (r.Count < 0) return stop();
        Mode = kBlock;
        break;
      }
      if (symbol > 285) return stop();
      unsigned i = symbol - 257, length;
      if (i < 8)
        length = i + 3;
      else if (i == 28)
        length = 258;
      else
        length = Extra(r, ((4 + (i & 3)) << ((i >> 2) - 1)) + 3, static_cast<int>(i >> 2) - 1);
      unsigned d = Decode(Dist, r), distance;
      if (d >= 30) return stop();
      if (d < 4)
        distance = d + 1;
      else
        distance = Extra(r, ((2 + (d & 1)) << ((d >> 1) - 1)) + 1, static_cast<int>(d >> 1) - 1);
      // Until the window first slides it holds all output so far; after, 32 KiB or more.
      if (r.Count < 0 || distance > w) return stop();
      uint8_t* to = window + w;
      const uint8_t* from = to - distance;
      if (distance >= 8)
        for (unsigned k = 0; k < length; k += 8) std::memcpy(to + k, from + k, 8);
      else
        for (unsigned k = 0; k < length; ++k) to[k] = from[k];
      w += length;
    }
    Write = w;
    R = r;
    return true;
  }

  bool Trailer() {
    Take(R.Count & 7);
    uint32_t check = Take(16);
    check |= Take(16) << 16;
    if (!Check(__builtin_bswap32(check) == Adler)) return false;  // stored highest byte first
    Mode = kEnded;
    return true;
  }

  // Decodes until the window is nearly full or the stream has ended; false when the input ran
  // dry in a step. Everything decoded before has been read.
  bool Produce() {
    if (Write >= kLimit) {
      Sum();
      std::memmove(Window, Window + Write - kHistory, kHistory);
      Write = Written = Summed = kHistory;
    }
    while (Write < kLimit && Mode < kTrailer) {
      Mark = R;
      MarkLast = Last;
      bool whole = Mode == kHeader   ? Header()
                   : Mode == kBlock  ? Block()
                   : Mode == kStored ? Stored()
                                     : Codes();
      if (!whole) return false;
    }
    if (Mode != kTrailer) return true;
    Sum();
    return Trailer();
  }
};

}  // namespace

struct TInflater::TState : TDecoder {};

TInflater::TInflater(TSource source) : State(new TState) { State->Source.swap(source); }

TInflater::~TInflater() = default;

bool TInflater::Ended() const { return State->Mode == kEnded && State->Written == State->Write; }

void TInflater::Finish() const {
  if (!Ended()) Corrupt();
}

size_t TInflater::Read(uint8_t* out, size_t size) {
  TState& s = *State;
  if (s.Mode == kFailed) Corrupt();
  size_t done = 0;
  for (bool dry = false;;) {
    size_t n = s.Write - s.Written;
    if (n > size - done) n = size - done;
    if (n) std::memcpy(out + done, s.Window + s.Written, n);
    s.Written += n;
    done += n;
    if (done == size || s.Mode == kEnded || dry) return done;
    try {
      dry = !s.Produce();
      if (dry) s.Resume();
    } catch (...) {
      s.Mode = kFailed;
      throw;
    }
  }
}
