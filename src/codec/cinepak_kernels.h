#pragma once
// The hot loops of the Cinepak decoder: codebook entry conversion and the
// drawing of whole block rows. They come as a portable set and, on x86, an
// SSE2 set; both produce the same bytes. The decoder checks every size
// before it calls them: they trust their arguments.

#include <cstddef>
#include <cstdint>

#include "codec/cinepak_decoder.h"

namespace zentrov {

// A vector chunk's reading position and flag bits, carried from one block
// row to the next.
struct CinepakRowState {
  const uint8_t* in = nullptr;
  uint32_t word = 0;  // flag bits not used yet, most significant first
  int32_t left = 0;   // how many of them
};

// The codebooks a block row draws from.
struct CinepakBooks {
  const CodebookEntry* v4 = nullptr;
  const CodebookEntry* v1 = nullptr;
};

// Draws `count` blocks of one block row, left to right from `pixel` on,
// rows `width` pixels apart; every block must fit in the frame. Returns how
// many blocks it did: all of them when unchecked, which needs the most bytes
// the row could read to be there (cinepakRowBytes); when checked, up to the
// first block that might read at or past `limit`.
using CinepakRowKernel = int32_t (*)(CinepakRowState& state, const CinepakBooks& books,
                                     uint32_t* pixel, int32_t count, size_t width,
                                     const uint8_t* limit);

struct CinepakKernels {
  // Converts `count` 6-byte entries at `in` into `first` and, when it is not
  // null, `second`. The `count` * 6 bytes must be readable.
  void (*convertEntries)(const uint8_t* in, int32_t count, CodebookEntry* first,
                         CodebookEntry* second);
  CinepakRowKernel intraRow;
  CinepakRowKernel interRow;
  CinepakRowKernel intraRowChecked;
  CinepakRowKernel interRowChecked;
  // One index byte per block and no flags: the caller checks `count` bytes.
  CinepakRowKernel v1Row;
};

// Bytes a row of `count` blocks may read at most: every block V4 (4 index
// bytes) plus the flag words read along the way (2 bits per block at most).
inline ptrdiff_t cinepakRowBytes(int32_t count) {
  return ptrdiff_t{count} * 4 + (ptrdiff_t{count} / 16 + 1) * 4;
}

const CinepakKernels& portableCinepakKernels();
// Null when this build or this processor has no SSE2.
const CinepakKernels* sse2CinepakKernels();

}  // namespace zentrov
