// The kernel set for x86 processors with SSE2: a codebook entry converted in
// one register, a block row stored as one 16-byte write.
//
// x86_64 always has SSE2. A 32-bit x86 build compiles this file for SSE2
// alone and runs it only when the processor reports SSE2, so the program
// still runs on processors without it.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codec/cinepak_kernels.h"

// A compiler that offers the SSE2 intrinsics on another target (WebAssembly
// SIMD maps them) builds them too: there they always run.
#if defined(__x86_64__) || defined(_M_X64) || defined(__i386__) || defined(_M_IX86) || \
    defined(__SSE2__)
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define ZENTROV_CINEPAK_SSE2 1
#elif defined(__GNUC__) && !defined(__clang__)
// Only the kernels below are compiled for SSE2; the check that decides
// whether to run them is not.
#define ZENTROV_CINEPAK_SSE2 1
#define ZENTROV_CINEPAK_SSE2_CHECK 1
#include <cpuid.h>
#pragma GCC push_options
#pragma GCC target("sse2")
#endif
#endif

#ifdef ZENTROV_CINEPAK_SSE2

#include <emmintrin.h>

#include "codec/cinepak_rows.h"

namespace zentrov {

namespace {

inline __m128i loadEntry(const CodebookEntry& entry) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(entry.pixels));
}

inline void storeRow(uint32_t* p, __m128i row) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), row);
}

struct Sse2Draw {
  // Rows 0 and 1 are the low and high halves of the top two entries, rows 2
  // and 3 those of the bottom two.
  static void v4(uint32_t* p, const CodebookEntry* codebook, const uint8_t* index, size_t width) {
    const __m128i e1 = loadEntry(codebook[index[0]]);
    const __m128i e2 = loadEntry(codebook[index[1]]);
    const __m128i e3 = loadEntry(codebook[index[2]]);
    const __m128i e4 = loadEntry(codebook[index[3]]);
    storeRow(p, _mm_unpacklo_epi64(e1, e2));
    storeRow(p + width, _mm_unpackhi_epi64(e1, e2));
    storeRow(p + 2 * width, _mm_unpacklo_epi64(e3, e4));
    storeRow(p + 3 * width, _mm_unpackhi_epi64(e3, e4));
  }

  static void v1(uint32_t* p, const CodebookEntry& entry, size_t width) {
    const __m128i e = loadEntry(entry);
    const __m128i top = _mm_unpacklo_epi32(e, e);
    const __m128i bottom = _mm_unpackhi_epi32(e, e);
    storeRow(p, top);
    storeRow(p + width, top);
    storeRow(p + 2 * width, bottom);
    storeRow(p + 3 * width, bottom);
  }
};

void convertEntriesSse2(const uint8_t* in, int32_t count, CodebookEntry* first,
                        CodebookEntry* second) {
  const __m128i zero = _mm_setzero_si128();
  // Pairs (U, V) weighted into blue, green and red terms; the fourth lane
  // pushes the unused pixel byte below 0 so the pack makes it 0.
  const __m128i weights = _mm_setr_epi16(1815, 0, -352, -731, 0, 1436, 0, 0);
  const __m128i noFourthByte = _mm_setr_epi16(0, 0, 0, -1024, 0, 0, 0, -1024);
  for (int32_t n = 0; n < count; ++n, in += 6) {
    uint32_t luma;
    uint16_t colour;
    std::memcpy(&luma, in, sizeof luma);
    std::memcpy(&colour, in + 4, sizeof colour);
    const __m128i bytes = _mm_insert_epi16(_mm_cvtsi32_si128(static_cast<int>(luma)), colour, 2);
    // U and V sign-extended, repeated in every 32-bit lane.
    const __m128i uv = _mm_shuffle_epi32(_mm_srai_epi16(_mm_unpacklo_epi8(bytes, bytes), 8),
                                         _MM_SHUFFLE(2, 2, 2, 2));
    // The arithmetic shift floors the terms, as the colour rule wants.
    __m128i offsets = _mm_srai_epi32(_mm_madd_epi16(uv, weights), 10);
    offsets = _mm_add_epi16(_mm_packs_epi32(offsets, offsets), noFourthByte);
    // Y0 Y0 Y1 Y1 Y2 Y2 Y3 Y3, then each repeated for the pixel's four bytes.
    const __m128i luma2 =
        _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), _mm_unpacklo_epi8(bytes, zero));
    const __m128i top = _mm_add_epi16(_mm_unpacklo_epi32(luma2, luma2), offsets);
    const __m128i bottom = _mm_add_epi16(_mm_unpackhi_epi32(luma2, luma2), offsets);
    // The saturating pack clamps each component to 0..255.
    const __m128i pixels = _mm_packus_epi16(top, bottom);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(first[n].pixels), pixels);
    if (second != nullptr) _mm_storeu_si128(reinterpret_cast<__m128i*>(second[n].pixels), pixels);
  }
}

constexpr CinepakKernels kSse2 = kernelsOf<Sse2Draw>(convertEntriesSse2);

}  // namespace

}  // namespace zentrov

#ifdef ZENTROV_CINEPAK_SSE2_CHECK
#pragma GCC pop_options
#endif

namespace zentrov {

const CinepakKernels* sse2CinepakKernels() {
#ifdef ZENTROV_CINEPAK_SSE2_CHECK
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d) || (d & bit_SSE2) == 0) return nullptr;
#endif
  return &kSse2;
}

}  // namespace zentrov

#else

namespace zentrov {

const CinepakKernels* sse2CinepakKernels() {
  return nullptr;
}

}  // namespace zentrov

#endif
