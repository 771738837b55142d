#pragma once
// Cinepak frames as written for the Sega Saturn, decoded into 32-bit pixels
// (0xXXRRGGBB). One decoder lives for the whole run; its codebooks carry over
// from frame to frame and from movie to movie.

#include <cstddef>
#include <cstdint>

namespace zentrov {

// Four pixels of a 2x2 group: top-left, top-right, bottom-left, bottom-right.
struct CodebookEntry {
  uint32_t pixels[4];
};

struct CinepakKernels;
struct CinepakRowState;

class CinepakDecoder {
 public:
  static constexpr int kCodebookSize = 256;

  CinepakDecoder();
  // The current-codebook pointers point into the object itself.
  CinepakDecoder(const CinepakDecoder&) = delete;
  CinepakDecoder& operator=(const CinepakDecoder&) = delete;

  // Decodes one frame of `sampleLength` bytes into `frame`, whose rows are
  // `frameWidth` pixels and which holds `framePixels` pixels. Returns 0 when
  // the frame is complete, 1 when decoding stopped early.
  int32_t decodeFrame(const uint8_t* sample, size_t sampleLength, uint32_t* frame,
                      size_t framePixels, int32_t frameWidth);

  // The hot loops run as portable code or, on x86 processors that have it,
  // as SSE2 code; both draw the same pixels. A new decoder uses the fastest.
  enum class Kernels { kPortable, kSse2 };
  static bool kernelsAvailable(Kernels kernels);
  // Switches to `kernels`; false, changing nothing, when they are not available.
  bool useKernels(Kernels kernels);

 private:
  // What a chunk worker tells the frame loop.
  enum class Step { kNext, kFrameComplete, kStop };
  enum class VectorKind { kIntra, kInter, kV1Only };
  // Flag bits of one codebook chunk, most significant first.
  struct FlagBits {
    uint32_t word = 0;
    int32_t left = 0;
  };

  // Big-endian values at cursor + offset; the caller has checked they exist.
  uint32_t readBE16(int32_t offset) const;
  uint32_t readBE32(int32_t offset) const;
  // True when `count` bytes from cursor + offset lie inside the sample.
  bool available(int32_t offset, int32_t count) const;

  // Chunk workers, entered with the cursor just past the chunk's id.
  Step readStripHeader();
  Step loadCodebook(CodebookEntry* current, CodebookEntry* later);
  Step updateCodebook(CodebookEntry* current);
  Step decodeIntraVectors();
  Step decodeInterVectors();
  Step decodeV1Vectors();
  Step decodeVectors(VectorKind kind);
  // Reads the chunk's size; false when it is too small to move past the
  // chunk's own header or the header is cut off. Sets `end`.
  bool readChunkEnd(int32_t& end);

  // Converts the 6-byte entry at the cursor into four pixels and stores them
  // through each destination given, advancing it by one entry.
  void decodeEntry(CodebookEntry** first, CodebookEntry** second);

  // Draw one 4x4 block at *pixel (rows `width` pixels apart) from the index
  // bytes at *at, then move *pixel one block right and *at past the indices.
  static void drawV4Block(uint32_t** pixel, const uint8_t** at, const CodebookEntry* codebook,
                          size_t width);
  static void drawV1Block(uint32_t** pixel, const uint8_t** at, const CodebookEntry* codebook,
                          size_t width);

  // Block columns first..blockColumns-1 of a row, checking every read and
  // clipping to the frame. False when the sample ends first.
  bool carefulRow(VectorKind kind, CinepakRowState& state, uint32_t* row, int32_t visibleRows,
                  int32_t first) const;

  // Rows where every block fits and every byte the row could need is inside
  // the sample go to these.
  const CinepakKernels* activeKernels;

  // The frame being decoded (set by decodeFrame).
  const uint8_t* input = nullptr;
  int32_t inputLength = 0;
  int32_t cursor = 0;
  uint32_t* outputRow = nullptr;  // first pixel of the current block row
  uint32_t* frameEnd = nullptr;   // past the last whole row of the frame buffer
  int32_t rowPixels = 0;          // frameWidth of this call
  int32_t endMark = 0;

  // Two banks: the first strip of a frame draws from the first-strip bank,
  // every later strip from the later-strip bank.
  CodebookEntry firstStripV4[kCodebookSize] = {};
  CodebookEntry laterStripV4[kCodebookSize] = {};
  CodebookEntry firstStripV1[kCodebookSize] = {};
  CodebookEntry laterStripV1[kCodebookSize] = {};
  CodebookEntry* currentV4 = firstStripV4;
  CodebookEntry* currentV1 = firstStripV1;

  // From the latest strip header; kept from frame to frame.
  int32_t blockColumns = 0;
  int32_t blockRows = 0;
};

}  // namespace zentrov
