#include "codec/cinepak_decoder.h"

#include <algorithm>

#include "codec/cinepak_kernels.h"

namespace zentrov {

namespace {

constexpr int32_t kFrameHeaderBytes = 12;
constexpr int32_t kStripHeaderBytes = 12;
constexpr int32_t kChunkHeaderBytes = 4;
constexpr int32_t kEntryBytes = 6;
constexpr uint32_t kTopBit = 0x80000000u;
// Cursor arithmetic is 32-bit; a chunk may reach 64 KiB past the last id, so
// longer samples are treated as this long (far beyond any real frame).
constexpr size_t kLongestSample = 0x7FFF0000u;

inline uint32_t loadBE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

const CinepakKernels* fastestKernels() {
  const CinepakKernels* sse2 = sse2CinepakKernels();
  return sse2 != nullptr ? sse2 : &portableCinepakKernels();
}

}  // namespace

CinepakDecoder::CinepakDecoder() : activeKernels(fastestKernels()) {}

bool CinepakDecoder::kernelsAvailable(Kernels kernels) {
  return kernels == Kernels::kPortable || sse2CinepakKernels() != nullptr;
}

bool CinepakDecoder::useKernels(Kernels kernels) {
  const CinepakKernels* chosen =
      kernels == Kernels::kPortable ? &portableCinepakKernels() : sse2CinepakKernels();
  if (chosen == nullptr) return false;
  activeKernels = chosen;
  return true;
}

int32_t CinepakDecoder::decodeFrame(const uint8_t* sample, size_t sampleLength, uint32_t* frame,
                                    size_t framePixels, int32_t frameWidth) {
  if (sample == nullptr || frame == nullptr || frameWidth <= 0) return 1;
  input = sample;
  inputLength = static_cast<int32_t>(std::min(sampleLength, kLongestSample));
  cursor = 0;
  rowPixels = frameWidth;
  // Only whole rows of the buffer are drawn into.
  const size_t width = static_cast<size_t>(frameWidth);
  outputRow = frame;
  frameEnd = frame + framePixels / width * width;

  if (!available(0, kFrameHeaderBytes)) return 1;
  // The length's top byte is not part of the mark.
  endMark = static_cast<int32_t>(readBE16(2));
  cursor = kFrameHeaderBytes;
  currentV4 = firstStripV4;
  currentV1 = firstStripV1;

  // Every chunk moves the cursor forward by at least 4 bytes, and the loop
  // ends when it reaches the end of the sample, so it always ends.
  for (;;) {
    // A frame that runs out of sample before its last vector chunk is cut
    // short: what it drew stays, but it is not shown as complete.
    if (!available(0, 2)) return 1;
    const uint8_t id = input[cursor];
    const uint8_t idLow = input[cursor + 1];
    cursor += 2;
    if (idLow != 0) return 1;
    Step step = Step::kStop;
    switch (id) {
      case 0x10:
      case 0x11:
        step = readStripHeader();
        break;
      case 0x20:
        step = loadCodebook(currentV4, laterStripV4);
        break;
      case 0x21:
        step = updateCodebook(currentV4);
        break;
      case 0x22:
        step = loadCodebook(currentV1, laterStripV1);
        break;
      case 0x23:
        step = updateCodebook(currentV1);
        break;
      case 0x30:
        step = decodeIntraVectors();
        break;
      case 0x31:
        step = decodeInterVectors();
        break;
      case 0x32:
        step = decodeV1Vectors();
        break;
      default:
        return 1;
    }
    if (step == Step::kFrameComplete) return 0;
    if (step == Step::kStop) return 1;
  }
}

uint32_t CinepakDecoder::readBE16(int32_t offset) const {
  const uint8_t* p = input + cursor + offset;
  return (uint32_t{p[0]} << 8) | uint32_t{p[1]};
}

uint32_t CinepakDecoder::readBE32(int32_t offset) const {
  return loadBE32(input + cursor + offset);
}

bool CinepakDecoder::available(int32_t offset, int32_t count) const {
  const int64_t start = int64_t{cursor} + offset;
  return start >= 0 && count >= 0 && start + count <= inputLength;
}

CinepakDecoder::Step CinepakDecoder::readStripHeader() {
  if (!available(-2, kStripHeaderBytes)) return Step::kStop;
  blockRows = static_cast<int32_t>(readBE16(6) >> 2);
  blockColumns = static_cast<int32_t>(readBE16(8) >> 2);
  cursor += kStripHeaderBytes - 2;
  return Step::kNext;
}

bool CinepakDecoder::readChunkEnd(int32_t& end) {
  if (!available(0, 2)) return false;
  const int32_t size = static_cast<int32_t>(readBE16(0));
  // Sizes below 4 would send the cursor back into this chunk's header and
  // read it again for ever.
  if (size < kChunkHeaderBytes) return false;
  end = cursor - 2 + size;
  cursor += 2;
  return true;
}

CinepakDecoder::Step CinepakDecoder::loadCodebook(CodebookEntry* current, CodebookEntry* later) {
  int32_t end = 0;
  if (!readChunkEnd(end)) return Step::kStop;
  // A last entry cut by the chunk's end still takes its 6 bytes from behind
  // it; entries past the table's 256 are ignored.
  int32_t count = std::min((end - cursor + kEntryBytes - 1) / kEntryBytes, kCodebookSize);
  bool cut = false;
  if (!available(0, count * kEntryBytes)) {
    count = (inputLength - cursor) / kEntryBytes;
    cut = true;
  }
  activeKernels->convertEntries(input + cursor, count, current, later);
  cursor += count * kEntryBytes;
  if (cut) return Step::kStop;
  cursor = end;
  return Step::kNext;
}

CinepakDecoder::Step CinepakDecoder::updateCodebook(CodebookEntry* current) {
  int32_t end = 0;
  if (!readChunkEnd(end)) return Step::kStop;
  FlagBits flags;
  // One or two bytes left after an entry are padding, not a flag word; flag
  // bits past the last entry of the table are ignored.
  for (int32_t index = 0; cursor < end - 2 && index < kCodebookSize; ++index) {
    if (flags.left == 0) {
      if (!available(0, 4)) return Step::kStop;
      flags.word = readBE32(0);
      cursor += 4;
      flags.left = 32;
    }
    if (flags.word & kTopBit) {
      if (!available(0, kEntryBytes)) return Step::kStop;
      CodebookEntry* entry = current + index;
      decodeEntry(&entry, nullptr);
    }
    flags.word <<= 1;
    --flags.left;
  }
  cursor = end;
  return Step::kNext;
}

void CinepakDecoder::decodeEntry(CodebookEntry** first, CodebookEntry** second) {
  activeKernels->convertEntries(input + cursor, 1, *first, second != nullptr ? *second : nullptr);
  ++*first;
  if (second != nullptr) ++*second;
  cursor += kEntryBytes;
}

inline void CinepakDecoder::drawV4Block(uint32_t** pixel, const uint8_t** at,
                                        const CodebookEntry* codebook, size_t width) {
  const uint8_t* index = *at;
  // Copies of the entries: stores into the frame could otherwise force reloads.
  const CodebookEntry q1 = codebook[index[0]];
  const CodebookEntry q2 = codebook[index[1]];
  const CodebookEntry q3 = codebook[index[2]];
  const CodebookEntry q4 = codebook[index[3]];
  const uint32_t* e1 = q1.pixels;
  const uint32_t* e2 = q2.pixels;
  const uint32_t* e3 = q3.pixels;
  const uint32_t* e4 = q4.pixels;
  *at = index + 4;
  uint32_t* p = *pixel;
  *pixel = p + 4;
  p[0] = e1[0];
  p[1] = e1[1];
  p[2] = e2[0];
  p[3] = e2[1];
  p += width;
  p[0] = e1[2];
  p[1] = e1[3];
  p[2] = e2[2];
  p[3] = e2[3];
  p += width;
  p[0] = e3[0];
  p[1] = e3[1];
  p[2] = e4[0];
  p[3] = e4[1];
  p += width;
  p[0] = e3[2];
  p[1] = e3[3];
  p[2] = e4[2];
  p[3] = e4[3];
}

inline void CinepakDecoder::drawV1Block(uint32_t** pixel, const uint8_t** at,
                                        const CodebookEntry* codebook, size_t width) {
  const uint32_t* e = codebook[**at].pixels;
  *at += 1;
  // Read the entry once: stores into the frame could otherwise force reloads.
  const uint32_t topLeft = e[0];
  const uint32_t topRight = e[1];
  const uint32_t bottomLeft = e[2];
  const uint32_t bottomRight = e[3];
  uint32_t* p = *pixel;
  *pixel = p + 4;
  p[0] = topLeft;
  p[1] = topLeft;
  p[2] = topRight;
  p[3] = topRight;
  p += width;
  p[0] = topLeft;
  p[1] = topLeft;
  p[2] = topRight;
  p[3] = topRight;
  p += width;
  p[0] = bottomLeft;
  p[1] = bottomLeft;
  p[2] = bottomRight;
  p[3] = bottomRight;
  p += width;
  p[0] = bottomLeft;
  p[1] = bottomLeft;
  p[2] = bottomRight;
  p[3] = bottomRight;
}

CinepakDecoder::Step CinepakDecoder::decodeIntraVectors() {
  return decodeVectors(VectorKind::kIntra);
}

CinepakDecoder::Step CinepakDecoder::decodeInterVectors() {
  return decodeVectors(VectorKind::kInter);
}

CinepakDecoder::Step CinepakDecoder::decodeV1Vectors() {
  return decodeVectors(VectorKind::kV1Only);
}

CinepakDecoder::Step CinepakDecoder::decodeVectors(VectorKind kind) {
  int32_t end = 0;
  if (!readChunkEnd(end)) return Step::kStop;
  // Blocks may read past the chunk's end (the cursor is set to the end
  // afterwards); only the end of the sample is a hard limit.
  const uint8_t* const limit = input + inputLength;
  CinepakRowState state{input + cursor, 0, 0};
  const ptrdiff_t width = rowPixels;
  const CinepakBooks books{currentV4, currentV1};
  // Block columns past the right edge of the buffer are decoded but only the
  // part inside it is drawn.
  const int32_t fittingColumns = std::min(blockColumns, rowPixels / 4);
  const ptrdiff_t fastRowBytes =
      kind == VectorKind::kV1Only ? ptrdiff_t{fittingColumns} : cinepakRowBytes(fittingColumns);
  const CinepakKernels& k = *activeKernels;
  const CinepakRowKernel fastRow = kind == VectorKind::kIntra   ? k.intraRow
                                   : kind == VectorKind::kInter ? k.interRow
                                                                : k.v1Row;
  // Near the end of the sample: rows that stop before a block that might
  // read past it, leaving the rest to the careful row.
  const CinepakRowKernel checkedRow = kind == VectorKind::kIntra   ? k.intraRowChecked
                                      : kind == VectorKind::kInter ? k.interRowChecked
                                                                   : nullptr;
  for (int32_t row = 0; row < blockRows; ++row) {
    const ptrdiff_t rowsLeft = (frameEnd - outputRow) / width;
    // A strip reaching below the buffer: the rest of it cannot be shown.
    if (rowsLeft == 0) break;
    int32_t first = 0;
    if (rowsLeft >= 4) {
      if (limit - state.in >= fastRowBytes) {
        first = fastRow(state, books, outputRow, fittingColumns, static_cast<size_t>(width), limit);
      } else if (checkedRow != nullptr) {
        first =
            checkedRow(state, books, outputRow, fittingColumns, static_cast<size_t>(width), limit);
      }
    }
    if (first < blockColumns &&
        !carefulRow(kind, state, outputRow, static_cast<int32_t>(std::min<ptrdiff_t>(rowsLeft, 4)),
                    first)) {
      return Step::kStop;
    }
    outputRow += std::min(4 * width, frameEnd - outputRow);
  }
  currentV4 = laterStripV4;
  currentV1 = laterStripV1;
  cursor = end;
  return end >= endMark ? Step::kFrameComplete : Step::kNext;
}

bool CinepakDecoder::carefulRow(VectorKind kind, CinepakRowState& state, uint32_t* row,
                                int32_t visibleRows, int32_t first) const {
  const uint8_t* const limit = input + inputLength;
  const size_t width = static_cast<size_t>(rowPixels);
  const uint8_t*& at = state.in;
  auto nextBit = [&](bool& bit) {
    if (state.left == 0) {
      if (limit - at < 4) return false;
      state.word = loadBE32(at);
      at += 4;
      state.left = 32;
    }
    bit = (state.word & kTopBit) != 0;
    state.word <<= 1;
    --state.left;
    return true;
  };
  for (int32_t column = first; column < blockColumns; ++column) {
    bool isV4 = false;
    if (kind == VectorKind::kIntra) {
      if (!nextBit(isV4)) return false;
    } else if (kind == VectorKind::kInter) {
      bool coded = false;
      if (!nextBit(coded)) return false;
      if (!coded) continue;
      if (!nextBit(isV4)) return false;
    }
    const int32_t indexBytes = isV4 ? 4 : 1;
    if (limit - at < indexBytes) return false;
    const int64_t x = int64_t{column} * 4;
    if (x >= rowPixels) {
      at += indexBytes;  // right of the buffer: nothing to draw
      continue;
    }
    if (visibleRows == 4 && x + 4 <= rowPixels) {
      uint32_t* pixel = row + static_cast<size_t>(x);
      if (isV4) {
        drawV4Block(&pixel, &at, currentV4, width);
      } else {
        drawV1Block(&pixel, &at, currentV1, width);
      }
      continue;
    }
    // Cut by the buffer's edge: drawn aside, then the part inside copied.
    uint32_t block[16];
    uint32_t* p = block;
    if (isV4) {
      drawV4Block(&p, &at, currentV4, 4);
    } else {
      drawV1Block(&p, &at, currentV1, 4);
    }
    const int32_t visibleColumns = static_cast<int32_t>(std::min<int64_t>(rowPixels - x, 4));
    for (int32_t r = 0; r < visibleRows; ++r) {
      uint32_t* out = row + static_cast<size_t>(r) * width + static_cast<size_t>(x);
      for (int32_t i = 0; i < visibleColumns; ++i) out[i] = block[r * 4 + i];
    }
  }
  return true;
}

}  // namespace zentrov
