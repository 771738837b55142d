#pragma once
// The block-row loops shared by the kernel sets, written once over a drawing
// policy. Only the kernel sources include this. Everything here has internal
// linkage: each kernel source compiles it for its own instruction set, and
// the linker must not take one source's copy for another.

#include <cstddef>
#include <cstdint>

#include "codec/cinepak_kernels.h"

namespace zentrov {
namespace {

constexpr uint32_t kRowTopBit = 0x80000000u;

inline uint32_t rowLoadBE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// Leading and trailing zero bits of a value that is not 0.
inline int32_t leadingZeros64(uint64_t value) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_clzll(value);
#else
  int32_t n = 0;
  for (; (value >> 63) == 0; value <<= 1) ++n;
  return n;
#endif
}

inline int32_t trailingZeros64(uint64_t value) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_ctzll(value);
#else
  int32_t n = 0;
  for (; (value & 1) == 0; value >>= 1) ++n;
  return n;
#endif
}

// Draw provides:
//   static void v4(uint32_t* p, const CodebookEntry* codebook, const uint8_t* index, size_t width);
//   static void v1(uint32_t* p, const CodebookEntry& entry, size_t width);
// drawing one whole 4x4 block at p.
//
// The row loops take `count` blocks from `pixel` on and return how many they
// did. Unchecked, they do all of them: the caller has made sure the bytes the
// row could need at most are there. Checked, they stop at the first block
// that could read at or past `limit`, and the caller goes on from there.

// Most bytes one block can read: a flag word, then its index bytes; an inter
// code may take its second bit from one more word.
constexpr ptrdiff_t kIntraBlockBytes = 4 + 4;
constexpr ptrdiff_t kInterBlockBytes = 4 + 4 + 4;

// Every block V4 or V1 by one flag bit.
template <class Draw, bool Checked>
int32_t intraRowOf(CinepakRowState& state, const CinepakBooks& books, uint32_t* pixel,
                   int32_t count, size_t width, const uint8_t* limit) {
  const uint8_t* in = state.in;
  uint32_t word = state.word;
  int32_t left = state.left;
  const CodebookEntry* const v4 = books.v4;
  const CodebookEntry* const v1 = books.v1;
  int32_t done = 0;
  for (; done < count; ++done, pixel += 4) {
    if (Checked && limit - in < kIntraBlockBytes) break;
    if (left == 0) {
      word = rowLoadBE32(in);
      in += 4;
      left = 32;
    }
    if (word & kRowTopBit) {
      Draw::v4(pixel, v4, in, width);
      in += 4;
    } else {
      Draw::v1(pixel, v1[in[0]], width);
      in += 1;
    }
    word <<= 1;
    --left;
  }
  state.in = in;
  state.word = word;
  state.left = left;
  return done;
}

// Codes 0 (unchanged), 10 (V1) and 11 (V4); a code may straddle two words,
// and the second word then comes before the block's index bytes.
//
// The flag bits not used yet sit at the top of a 64-bit buffer with a marker
// bit right below them, so that counting the zeros before the next code also
// stops at the end of the word, with no branch on either.
template <class Draw, bool Checked>
int32_t interRowOf(CinepakRowState& state, const CinepakBooks& books, uint32_t* pixel,
                   int32_t count, size_t width, const uint8_t* limit) {
  constexpr uint64_t kEmpty = uint64_t{1} << 63;  // the marker alone
  const uint8_t* in = state.in;
  uint64_t bits = (uint64_t{state.word} << 32) | (kEmpty >> state.left);
  const CodebookEntry* const v4 = books.v4;
  const CodebookEntry* const v1 = books.v1;
  uint32_t* const start = pixel;
  uint32_t* const end = pixel + 4 * static_cast<size_t>(count);
  while (pixel < end) {
    if (Checked && limit - in < kInterBlockBytes) break;
    if (bits == kEmpty) {
      bits = (uint64_t{rowLoadBE32(in)} << 32) | (kEmpty >> 32);
      in += 4;
    }
    // Unchanged blocks up to the next code, often none: counted, not tested
    // one by one. A run past the row's end gives its extra zeros back.
    const int32_t run = leadingZeros64(bits);
    bits <<= run;
    pixel += 4 * static_cast<size_t>(run);
    if (pixel >= end) {
      bits >>= (pixel - end) / 4;
      pixel = end;
      break;
    }
    if (bits == kEmpty) continue;
    // A code: its first bit is 1.
    bool isV4;
    if ((bits << 1) != kEmpty) {
      isV4 = (bits & (kEmpty >> 1)) != 0;
      bits <<= 2;
    } else {
      const uint32_t word = rowLoadBE32(in);
      in += 4;
      isV4 = (word & kRowTopBit) != 0;
      bits = (uint64_t{word} << 33) | (kEmpty >> 31);
    }
    if (isV4) {
      Draw::v4(pixel, v4, in, width);
      in += 4;
    } else {
      Draw::v1(pixel, v1[in[0]], width);
      in += 1;
    }
    pixel += 4;
  }
  const int32_t left = 63 - trailingZeros64(bits);
  state.in = in;
  state.word = static_cast<uint32_t>((bits ^ (kEmpty >> left)) >> 32);
  state.left = left;
  return static_cast<int32_t>((pixel - start) / 4);
}

// One index byte per block; the caller checks the `count` bytes, so there
// is no checked form.
template <class Draw>
int32_t v1RowOf(CinepakRowState& state, const CinepakBooks& books, uint32_t* pixel, int32_t count,
                size_t width, const uint8_t* /*limit*/) {
  const uint8_t* in = state.in;
  const CodebookEntry* const v1 = books.v1;
  for (int32_t i = 0; i < count; ++i, pixel += 4) Draw::v1(pixel, v1[in[i]], width);
  state.in = in + count;
  return count;
}

// The kernel table of one drawing policy.
template <class Draw>
constexpr CinepakKernels kernelsOf(decltype(CinepakKernels::convertEntries) convert) {
  return {convert,
          intraRowOf<Draw, false>,
          interRowOf<Draw, false>,
          intraRowOf<Draw, true>,
          interRowOf<Draw, true>,
          v1RowOf<Draw>};
}

}  // namespace
}  // namespace zentrov
