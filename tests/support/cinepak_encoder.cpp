#include "support/cinepak_encoder.h"

#include <algorithm>
#include <cstdint>

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

}  // namespace zentrov::test
