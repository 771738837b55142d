#include "support/cinepak_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>

namespace zentrov::test {

namespace {

void putEntry(std::vector<uint8_t>& out, const CinepakEntry& e) {
  out.insert(out.end(), e.y, e.y + 4);
  out.push_back(uint8_t(e.u));
  out.push_back(uint8_t(e.v));
}

std::vector<uint8_t> encodeChunk(const CinepakChunk& c) {
  if (c.id == 0) return c.tail;
  std::vector<uint8_t> out{c.id, 0, 0, 0};  // the size is set last
  // Flag bits, most significant first, in 32-bit words placed in the byte
  // stream when their first bit is written: exactly where a decoder reading
  // "a word when a bit is needed and none is left" finds them.
  size_t word = 0;
  int used = 32;
  auto flag = [&](bool bit) {
    if (used == 32) word = out.size(), out.insert(out.end(), 4, 0), used = 0;
    if (bit) out[word + size_t(used / 8)] |= uint8_t(0x80 >> (used % 8));
    ++used;
  };
  switch (c.id) {
    case 0x10:
    case 0x11:  // top and left 0; the size is the header's own 12 bytes
      out.insert(out.end(), {0, 0, 0, 0, uint8_t(c.bottom >> 8), uint8_t(c.bottom),
                             uint8_t(c.right >> 8), uint8_t(c.right)});
      break;
    case 0x20:
    case 0x22:
      for (const CinepakEntry& e : c.entries) putEntry(out, e);
      break;
    case 0x21:
    case 0x23:  // each set bit followed by its entry, up to the last one
      for (size_t index = 0, next = 0; next < c.updates.size(); ++index) {
        const bool set = size_t(c.updates[next].first) == index;
        flag(set);
        if (set) putEntry(out, c.updates[next++].second);
      }
      break;
    case 0x32:
      for (const CinepakBlock& b : c.blocks) out.push_back(b.index[0]);
      break;
    default:  // 0x30, 0x31
      for (const CinepakBlock& b : c.blocks) {
        if (c.id == 0x31) flag(b.code != CinepakCode::kSkip);
        if (b.code != CinepakCode::kSkip) flag(b.code == CinepakCode::kV4);
        const int count = b.code == CinepakCode::kV4 ? 4 : b.code == CinepakCode::kV1 ? 1 : 0;
        out.insert(out.end(), b.index, b.index + count);
      }
  }
  out.insert(out.end(), c.tail.begin(), c.tail.end());
  out[2] = uint8_t(out.size() >> 8);
  out[3] = uint8_t(out.size());
  return out;
}

}  // namespace

std::vector<uint8_t> CinepakFrame::encode() const {
  std::vector<uint8_t> out(12, 0);
  uint16_t strips = 0;
  for (const CinepakChunk& c : chunks_) {
    if ((c.id & 0xFE) == 0x10 && strips++ == 0) out[0] = uint8_t(c.id & 1);  // inter frame
    const std::vector<uint8_t> bytes = encodeChunk(c);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  const uint32_t length = frameLength_.value_or(uint32_t(out.size()));
  const uint8_t header[] = {uint8_t(length >> 16), uint8_t(length >> 8), uint8_t(length),
                            uint8_t(width_ >> 8),  uint8_t(width_),      uint8_t(height_ >> 8),
                            uint8_t(height_),      uint8_t(strips >> 8), uint8_t(strips)};
  std::copy(std::begin(header), std::end(header), out.begin() + 1);
  return out;
}

CinepakFrame patternCinepakFrame(uint16_t width, uint16_t height, uint32_t seed) {
  constexpr int kStripRows = 64;
  CinepakFrame frame(width, height);
  std::vector<CinepakEntry> v4, v1;
  for (uint32_t i = 0; i < 256; ++i) {
    const uint32_t s = (i + seed) * 2654435761u;
    v4.push_back(cinepakEntry(uint8_t(s >> 24), uint8_t(s >> 16), uint8_t(s >> 8), uint8_t(s),
                              int8_t(uint8_t(s >> 5)), int8_t(uint8_t(s >> 13))));
    v1.push_back(cinepakEntry(uint8_t(i), uint8_t(255 - i), uint8_t(i ^ seed), uint8_t(i * 3),
                              int8_t(uint8_t(i + seed)), int8_t(uint8_t(i * 5))));
  }
  for (int top = 0; top < height; top += kStripRows) {
    const uint16_t rows = uint16_t(std::min(kStripRows, height - top));
    frame.strip(rows, width);
    if (top == 0) frame.fullCodebook(CinepakBook::kV4, v4).fullCodebook(CinepakBook::kV1, v1);
    std::vector<CinepakBlock> blocks;
    for (int by = 0; by < rows / 4; ++by) {
      for (int bx = 0; bx < width / 4; ++bx) {
        const uint32_t h = (uint32_t(bx) * 73856093u) ^ (uint32_t(by + top / 4) * 19349663u) ^ seed;
        blocks.push_back(
            (h & 0x100) ? v4Block(uint8_t(h), uint8_t(h >> 9), uint8_t(h >> 17), uint8_t(h >> 24))
                        : v1Block(uint8_t(h >> 3)));
      }
    }
    frame.add({0x30, 0, 0, {}, {}, std::move(blocks), {}});  // intra vectors
  }
  return frame;
}

CinepakEntry RandomCinepakFrames::entry() {
  return cinepakEntry(byte(), byte(), byte(), byte(), int8_t(byte()), int8_t(byte()));
}

void RandomCinepakFrames::codebook(CinepakFrame& frame, CinepakBook book) {
  if (chance(50)) {
    std::vector<CinepakEntry> entries(size_t(pick(1, 300)));  // past 256: ignored
    for (CinepakEntry& e : entries) e = entry();
    frame.fullCodebook(book, entries);
    return;
  }
  std::vector<std::pair<int, CinepakEntry>> updates;
  const int percent = pick(1, 60);
  for (int i = 0; i < 260; ++i)  // flags past index 255 are ignored
    if (chance(percent)) updates.push_back({i, entry()});
  // Padding of one or two bytes the loop must not read as a flag word.
  frame.selectiveCodebook(book, updates, std::vector<uint8_t>(size_t(pick(0, 2)), 0xFF));
}

void RandomCinepakFrames::vectors(CinepakFrame& frame, size_t blocks) {
  const int kind = pick(0, 2);  // intra, inter, V1 only
  const int v4Percent = pick(0, 100);
  // Inter: runs of unchanged blocks up to `longestSkip` long, between runs
  // of coded blocks up to `longestCoded`.
  const int longestSkip = kind == 1 ? (chance(50) ? pick(1, 80) : pick(0, 3)) : 0;
  const int longestCoded = pick(1, 6);
  std::vector<CinepakBlock> list;
  while (list.size() < blocks) {
    for (int n = pick(0, longestSkip); n > 0 && list.size() < blocks; --n)
      list.push_back(CinepakBlock{});  // unchanged
    for (int n = pick(1, longestCoded); n > 0 && list.size() < blocks; --n)
      list.push_back(kind != 2 && chance(v4Percent) ? v4Block(byte(), byte(), byte(), byte())
                                                    : v1Block(byte()));
  }
  // For 0x32 every block is V1 and only its index is written.
  frame.add({uint8_t(0x30 + kind), 0, 0, {}, {}, std::move(list), {}});
}

CinepakFrame RandomCinepakFrames::next(int width, int rows) {
  CinepakFrame f{uint16_t(width), uint16_t(rows)};
  for (int s = pick(1, 4); s > 0; --s) {
    const uint16_t bottom = uint16_t(pick(0, 40));
    const uint16_t right = uint16_t(chance(80) ? width : pick(0, width + 12));
    f.strip(bottom, right, chance(50));
    if (chance(60)) codebook(f, CinepakBook::kV4);
    if (chance(60)) codebook(f, CinepakBook::kV1);
    for (int c = chance(15) ? 2 : 1; c > 0; --c) vectors(f, size_t(bottom / 4) * (right / 4));
  }
  return f;
}

int32_t CinepakCanvas::decode(const std::vector<uint8_t>& sample, size_t length) {
#if defined(__SANITIZE_ADDRESS__)
  constexpr size_t kTail = 0;  // the sanitizer reports any read past the copy
#else
  constexpr size_t kTail = 64;  // index 255 and set flags: a read past the end draws wrong pixels
#endif
  length = std::min(length, sample.size());
  std::unique_ptr<uint8_t[]> copy(new uint8_t[length + kTail]);
  std::fill(copy.get(), copy.get() + length + kTail, 0xFF);
  std::copy(sample.begin(), sample.begin() + ptrdiff_t(length), copy.get());
  return decoder.decodeFrame(copy.get(), length, frame.data(), frame.size(), width);
}

CinepakModel::CinepakModel(int frameWidth, int frameRows)
    : width_(frameWidth),
      rows_(frameRows),
      pixels_(size_t(frameWidth) * size_t(frameRows), kUntouched) {}

uint32_t CinepakModel::colour(uint8_t y, int8_t u, int8_t v) {
  auto component = [y](double term) {
    const int value = int(y) + int(std::floor(term / 1024.0));
    return uint32_t(std::clamp(value, 0, 255));
  };
  const uint32_t red = component(1436.0 * v);
  const uint32_t green = component(-731.0 * v - 352.0 * u);
  const uint32_t blue = component(1815.0 * u);
  return (red << 16) | (green << 8) | blue;
}

void CinepakModel::apply(const CinepakFrame& frame) {
  int bank = 0;
  int top = 0;  // pixel row of the current strip's first block row
  bottom_ = 0;
  int blockRows = 0, blockColumns = 0;
  for (const CinepakChunk& c : frame.chunks()) {
    const int kind = (c.id >> 1) & 1;  // codebooks: 0 V4, 1 V1
    switch (c.id) {
      case 0x10:
      case 0x11:
        blockRows = c.bottom / 4;
        blockColumns = c.right / 4;
        break;
      case 0x20:
      case 0x22:
        for (size_t i = 0; i < c.entries.size() && i < 256; ++i) {
          for (int p = 0; p < 4; ++p) {
            const CinepakEntry& e = c.entries[i];
            books_[kind][bank][i][p] = books_[kind][1][i][p] = colour(e.y[p], e.u, e.v);
          }
        }
        break;
      case 0x21:
      case 0x23:
        for (const auto& [index, e] : c.updates) {
          for (int p = 0; p < 4 && index < 256; ++p)
            books_[kind][bank][index][p] = colour(e.y[p], e.u, e.v);
        }
        break;
      case 0x30:
      case 0x31:
      case 0x32:
        if (c.blocks.size() != size_t(blockRows) * size_t(blockColumns)) {
          throw std::invalid_argument("the model needs one block per block of the strip");
        }
        for (size_t n = 0; n < c.blocks.size(); ++n) {
          const CinepakBlock& b = c.blocks[n];
          // Pixel (dx, dy) of the block, in quadrant q. V1: each pixel of the
          // entry covers one quadrant; V4: each quadrant is one entry, drawn
          // as its own 2x2 group.
          for (int dy = 0; dy < 4 && b.code != CinepakCode::kSkip; ++dy) {
            for (int dx = 0; dx < 4; ++dx) {
              const int q = (dy / 2) * 2 + dx / 2;
              const int x = int(n) % blockColumns * 4 + dx,
                        y = top + int(n) / blockColumns * 4 + dy;
              if (x >= width_ || y >= rows_) continue;
              pixels_[size_t(y) * size_t(width_) + size_t(x)] =
                  b.code == CinepakCode::kV1 ? books_[1][bank][b.index[0]][q]
                                             : books_[0][bank][b.index[q]][(dy % 2) * 2 + dx % 2];
            }
          }
        }
        bottom_ = top += blockRows * 4;
        bank = 1;
        break;
      default:
        throw std::invalid_argument("the model reads only well-formed chunks");
    }
  }
}

}  // namespace zentrov::test
