#include "support/cinepak_encoder.h"

#include <algorithm>

namespace zentrov::test {

namespace {

void putEntry(std::vector<uint8_t>& out, const CinepakEntry& e) {
  out.insert(out.end(), {e.y[0], e.y[1], e.y[2], e.y[3], uint8_t(e.u), uint8_t(e.v)});
}

void putChunk(std::vector<uint8_t>& out, const CinepakChunk& c) {
  const size_t start = out.size();
  if (c.id != 0) out.insert(out.end(), {c.id, 0, 0, 0});  // the size is set last
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
  if ((c.id & 0xFE) == 0x10)  // top and left 0; the size is the header's own 12 bytes
    out.insert(out.end(), {0, 0, 0, 0, uint8_t(c.bottom >> 8), uint8_t(c.bottom),
                           uint8_t(c.right >> 8), uint8_t(c.right)});
  for (const CinepakEntry& e : c.entries) putEntry(out, e);
  for (size_t index = 0, next = 0; next < c.updates.size(); ++index) {
    flag(size_t(c.updates[next].first) == index);  // each set bit followed by its entry
    if (size_t(c.updates[next].first) == index) putEntry(out, c.updates[next++].second);
  }
  for (const CinepakBlock& b : c.blocks) {  // 0x32: the index alone
    if (c.id == 0x31) flag(b.code != CinepakCode::kSkip);
    if (c.id != 0x32 && b.code != CinepakCode::kSkip) flag(b.code == CinepakCode::kV4);
    out.insert(out.end(), b.index, b.index + (b.code == CinepakCode::kV4 ? 4 : int(b.code)));
  }
  out.insert(out.end(), c.tail.begin(), c.tail.end());
  if (c.id != 0) out[start + 2] = uint8_t((out.size() - start) >> 8);
  if (c.id != 0) out[start + 3] = uint8_t(out.size() - start);
}

}  // namespace

std::vector<uint8_t> CinepakFrame::encode() const {
  std::vector<uint8_t> out(12, 0);
  uint16_t strips = 0;
  for (const CinepakChunk& c : chunks) {
    if ((c.id & 0xFE) == 0x10 && strips++ == 0) out[0] = uint8_t(c.id & 1);  // inter frame
    putChunk(out, c);
  }
  const uint32_t n = length.value_or(uint32_t(out.size()));
  const uint32_t header[] = {n >> 16, n >> 8,
                             n,       uint32_t(width) >> 8,
                             width,   uint32_t(height) >> 8,
                             height,  uint32_t(strips) >> 8,
                             strips};
  for (size_t i = 0; i < 9; ++i) out[1 + i] = uint8_t(header[i]);
  return out;
}

CinepakFrame patternCinepakFrame(uint16_t width, uint16_t height, uint32_t seed) {
  CinepakFrame frame{width, height};
  std::vector<CinepakEntry> v4, v1;
  for (uint32_t i = 0; i < 256; ++i) {
    const uint32_t s = (i + seed) * 2654435761u;
    v4.push_back({{uint8_t(s >> 24), uint8_t(s >> 16), uint8_t(s >> 8), uint8_t(s)},
                  int8_t(uint8_t(s >> 5)),
                  int8_t(uint8_t(s >> 13))});
    v1.push_back({{uint8_t(i), uint8_t(255 - i), uint8_t(i ^ seed), uint8_t(i * 3)},
                  int8_t(uint8_t(i + seed)),
                  int8_t(uint8_t(i * 5))});
  }
  for (int top = 0; top < height; top += 64) {
    const uint16_t rows = uint16_t(std::min(64, height - top));
    frame.strip(rows, width);
    if (top == 0) frame.add({0x20, v4}).add({0x22, v1});
    std::vector<CinepakBlock> blocks;
    for (int by = 0; by < rows / 4; ++by) {
      for (int bx = 0; bx < width / 4; ++bx) {
        const uint32_t h = (uint32_t(bx) * 73856093u) ^ (uint32_t(by + top / 4) * 19349663u) ^ seed;
        blocks.push_back((h & 0x100) ? CinepakBlock::v4(uint8_t(h), uint8_t(h >> 9),
                                                        uint8_t(h >> 17), uint8_t(h >> 24))
                                     : CinepakBlock::v1(uint8_t(h >> 3)));
      }
    }
    frame.add({0x30, {}, {}, blocks});  // intra vectors
  }
  return frame;
}

}  // namespace zentrov::test
