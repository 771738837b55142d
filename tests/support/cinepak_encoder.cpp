#include "support/cinepak_encoder.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace zentrov::test {

namespace {

void putBE16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}

void putEntry(std::vector<uint8_t>& out, const CinepakEntry& e) {
  out.insert(out.end(), e.y, e.y + 4);
  out.push_back(uint8_t(e.u));
  out.push_back(uint8_t(e.v));
}

// Flag bits, most significant first, in 32-bit words placed in the byte
// stream at the moment their first bit is written: exactly where a decoder
// reading "a word when a bit is needed and none is left" finds them.
class FlagWriter {
 public:
  explicit FlagWriter(std::vector<uint8_t>& out) : out_(out) {}
  void put(bool bit) {
    if (used_ == 32) {
      at_ = out_.size();
      out_.insert(out_.end(), 4, 0);
      used_ = 0;
    }
    if (bit) out_[at_ + size_t(used_ / 8)] |= uint8_t(0x80 >> (used_ % 8));
    ++used_;
  }

 private:
  std::vector<uint8_t>& out_;
  size_t at_ = 0;
  int used_ = 32;
};

void putIndices(std::vector<uint8_t>& out, const CinepakBlock& b) {
  if (b.code == CinepakCode::kV4) {
    out.insert(out.end(), b.index, b.index + 4);
  } else if (b.code == CinepakCode::kV1) {
    out.push_back(b.index[0]);
  }
}

uint8_t chunkId(const CinepakChunk& c) {
  const bool v1 = c.book == CinepakBook::kV1;
  switch (c.kind) {
    case CinepakChunk::Kind::kStrip:
      return c.keyStrip ? 0x10 : 0x11;
    case CinepakChunk::Kind::kFullCodebook:
      return v1 ? 0x22 : 0x20;
    case CinepakChunk::Kind::kSelectiveCodebook:
      return v1 ? 0x23 : 0x21;
    case CinepakChunk::Kind::kIntraVectors:
      return 0x30;
    case CinepakChunk::Kind::kInterVectors:
      return 0x31;
    case CinepakChunk::Kind::kV1Vectors:
      return 0x32;
    case CinepakChunk::Kind::kRaw:
      break;
  }
  return 0;
}

}  // namespace

CinepakEntry greyEntry(uint8_t y) {
  return cinepakEntry(y, y, y, y);
}

CinepakEntry cinepakEntry(uint8_t y0, uint8_t y1, uint8_t y2, uint8_t y3, int8_t u, int8_t v) {
  CinepakEntry e;
  e.y[0] = y0;
  e.y[1] = y1;
  e.y[2] = y2;
  e.y[3] = y3;
  e.u = u;
  e.v = v;
  return e;
}

CinepakBlock skipBlock() {
  return CinepakBlock{};
}

CinepakBlock v1Block(uint8_t index) {
  CinepakBlock b;
  b.code = CinepakCode::kV1;
  b.index[0] = index;
  return b;
}

CinepakBlock v4Block(uint8_t topLeft, uint8_t topRight, uint8_t bottomLeft, uint8_t bottomRight) {
  CinepakBlock b;
  b.code = CinepakCode::kV4;
  b.index[0] = topLeft;
  b.index[1] = topRight;
  b.index[2] = bottomLeft;
  b.index[3] = bottomRight;
  return b;
}

std::vector<uint8_t> encodeChunk(const CinepakChunk& c) {
  std::vector<uint8_t> out;
  if (c.kind == CinepakChunk::Kind::kRaw) return c.raw;
  out.push_back(chunkId(c));
  out.push_back(0);
  putBE16(out, 0);  // size, patched below
  switch (c.kind) {
    case CinepakChunk::Kind::kStrip:
      putBE16(out, c.top);
      putBE16(out, c.left);
      putBE16(out, c.bottom);
      putBE16(out, c.right);
      break;
    case CinepakChunk::Kind::kFullCodebook:
      for (const CinepakEntry& e : c.entries) putEntry(out, e);
      break;
    case CinepakChunk::Kind::kSelectiveCodebook: {
      if (c.updates.empty()) break;
      const int last = c.updates.back().first;
      size_t next = 0;
      for (int group = 0; group <= last / 32; ++group) {
        uint32_t flags = 0;
        for (const auto& [index, entry] : c.updates) {
          if (index < 0 || index > 255) throw std::invalid_argument("codebook index out of range");
          if (index / 32 == group) flags |= 0x80000000u >> (index % 32);
        }
        putBE16(out, flags >> 16);
        putBE16(out, flags & 0xFFFF);
        while (next < c.updates.size() && c.updates[next].first / 32 == group) {
          if (next > 0 && c.updates[next].first <= c.updates[next - 1].first) {
            throw std::invalid_argument("selective updates must have ascending indices");
          }
          putEntry(out, c.updates[next++].second);
        }
      }
      break;
    }
    case CinepakChunk::Kind::kIntraVectors: {
      FlagWriter flags(out);
      for (const CinepakBlock& b : c.blocks) {
        if (b.code == CinepakCode::kSkip) {
          throw std::invalid_argument("every block of an intra chunk is V1 or V4");
        }
        flags.put(b.code == CinepakCode::kV4);
        putIndices(out, b);
      }
      break;
    }
    case CinepakChunk::Kind::kInterVectors: {
      FlagWriter flags(out);
      for (const CinepakBlock& b : c.blocks) {
        flags.put(b.code != CinepakCode::kSkip);
        if (b.code != CinepakCode::kSkip) flags.put(b.code == CinepakCode::kV4);
        putIndices(out, b);
      }
      break;
    }
    case CinepakChunk::Kind::kV1Vectors:
      for (const CinepakBlock& b : c.blocks) out.push_back(b.index[0]);
      break;
    case CinepakChunk::Kind::kRaw:
      break;
  }
  out.insert(out.end(), c.tail.begin(), c.tail.end());
  if (out.size() > 0xFFFF) throw std::invalid_argument("chunk larger than 64 KiB");
  out[2] = uint8_t(out.size() >> 8);
  out[3] = uint8_t(out.size());
  return out;
}

CinepakFrame& CinepakFrame::add(CinepakChunk chunk) {
  chunks_.push_back(std::move(chunk));
  return *this;
}

CinepakFrame& CinepakFrame::strip(uint16_t bottom, uint16_t right, bool keyStrip) {
  CinepakChunk c;
  c.kind = CinepakChunk::Kind::kStrip;
  c.keyStrip = keyStrip;
  c.bottom = bottom;
  c.right = right;
  return add(std::move(c));
}

CinepakFrame& CinepakFrame::fullCodebook(CinepakBook book, std::vector<CinepakEntry> entries,
                                         std::vector<uint8_t> tail) {
  CinepakChunk c;
  c.kind = CinepakChunk::Kind::kFullCodebook;
  c.book = book;
  c.entries = std::move(entries);
  c.tail = std::move(tail);
  return add(std::move(c));
}

CinepakFrame& CinepakFrame::selectiveCodebook(CinepakBook book,
                                              std::vector<std::pair<int, CinepakEntry>> updates,
                                              std::vector<uint8_t> tail) {
  CinepakChunk c;
  c.kind = CinepakChunk::Kind::kSelectiveCodebook;
  c.book = book;
  c.updates = std::move(updates);
  c.tail = std::move(tail);
  return add(std::move(c));
}

CinepakFrame& CinepakFrame::intraVectors(std::vector<CinepakBlock> blocks,
                                         std::vector<uint8_t> tail) {
  CinepakChunk c;
  c.kind = CinepakChunk::Kind::kIntraVectors;
  c.blocks = std::move(blocks);
  c.tail = std::move(tail);
  return add(std::move(c));
}

CinepakFrame& CinepakFrame::interVectors(std::vector<CinepakBlock> blocks,
                                         std::vector<uint8_t> tail) {
  CinepakChunk c;
  c.kind = CinepakChunk::Kind::kInterVectors;
  c.blocks = std::move(blocks);
  c.tail = std::move(tail);
  return add(std::move(c));
}

CinepakFrame& CinepakFrame::v1Vectors(const std::vector<uint8_t>& indices,
                                      std::vector<uint8_t> tail) {
  CinepakChunk c;
  c.kind = CinepakChunk::Kind::kV1Vectors;
  for (uint8_t i : indices) c.blocks.push_back(v1Block(i));
  c.tail = std::move(tail);
  return add(std::move(c));
}

CinepakFrame& CinepakFrame::raw(std::vector<uint8_t> bytes) {
  CinepakChunk c;
  c.kind = CinepakChunk::Kind::kRaw;
  c.raw = std::move(bytes);
  return add(std::move(c));
}

CinepakFrame& CinepakFrame::frameLength(uint32_t length) {
  frameLength_ = length;
  return *this;
}

std::vector<uint8_t> CinepakFrame::encode() const {
  return encode(nullptr);
}

std::vector<size_t> CinepakFrame::chunkOffsets() const {
  std::vector<size_t> offsets;
  encode(&offsets);
  return offsets;
}

std::vector<uint8_t> CinepakFrame::encode(std::vector<size_t>* offsets) const {
  std::vector<uint8_t> out(12, 0);
  uint32_t strips = 0;
  bool key = true;
  size_t stripStart = 0;
  bool inStrip = false;
  // A strip header's size covers the strip's chunks up to the next strip.
  auto closeStrip = [&] {
    if (!inStrip) return;
    const size_t size = std::min<size_t>(out.size() - stripStart, 0xFFFF);
    out[stripStart + 2] = uint8_t(size >> 8);
    out[stripStart + 3] = uint8_t(size);
  };
  for (const CinepakChunk& c : chunks_) {
    if (offsets != nullptr) offsets->push_back(out.size());
    if (c.kind == CinepakChunk::Kind::kStrip) {
      closeStrip();
      if (strips == 0) key = c.keyStrip;
      ++strips;
      stripStart = out.size();
      inStrip = true;
    }
    const std::vector<uint8_t> bytes = encodeChunk(c);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  closeStrip();
  const uint32_t length = frameLength_.value_or(uint32_t(out.size()));
  out[0] = key ? 0x00 : 0x01;
  out[1] = uint8_t(length >> 16);
  out[2] = uint8_t(length >> 8);
  out[3] = uint8_t(length);
  out[4] = uint8_t(width_ >> 8);
  out[5] = uint8_t(width_);
  out[6] = uint8_t(height_ >> 8);
  out[7] = uint8_t(height_);
  out[8] = uint8_t(strips >> 8);
  out[9] = uint8_t(strips);
  return out;
}

std::vector<uint8_t> solidCinepakFrame(uint16_t width, uint16_t height, uint8_t y, int8_t u,
                                       int8_t v) {
  CinepakFrame frame(width, height);
  const size_t blocks = size_t(width / 4) * size_t(height / 4);
  frame.strip(height, width)
      .fullCodebook(CinepakBook::kV1, {cinepakEntry(y, y, y, y, u, v)})
      .v1Vectors(std::vector<uint8_t>(blocks, 0));
  return frame.encode();
}

CinepakFrame patternCinepakFrame(uint16_t width, uint16_t height, uint32_t seed) {
  CinepakFrame frame(width, height);
  std::vector<CinepakEntry> v4;
  std::vector<CinepakEntry> v1;
  for (uint32_t i = 0; i < 256; ++i) {
    const uint32_t s = (i + seed) * 2654435761u;
    v4.push_back(cinepakEntry(uint8_t(s >> 24), uint8_t(s >> 16), uint8_t(s >> 8), uint8_t(s),
                              int8_t(uint8_t(s >> 5)), int8_t(uint8_t(s >> 13))));
    v1.push_back(cinepakEntry(uint8_t(i), uint8_t(255 - i), uint8_t(i ^ seed), uint8_t(i * 3),
                              int8_t(uint8_t(i + seed)), int8_t(uint8_t(i * 5))));
  }
  for (int top = 0; top < height; top += 64) {
    const uint16_t rows = uint16_t(std::min(64, height - top));
    frame.strip(rows, width);
    if (top == 0) frame.fullCodebook(CinepakBook::kV4, v4).fullCodebook(CinepakBook::kV1, v1);
    std::vector<CinepakBlock> blocks;
    for (int by = 0; by < rows / 4; ++by) {
      for (int bx = 0; bx < width / 4; ++bx) {
        const uint32_t h = (uint32_t(bx) * 73856093u) ^ (uint32_t(by + top / 4) * 19349663u) ^ seed;
        if (h & 0x100) {
          blocks.push_back(
              v4Block(uint8_t(h), uint8_t(h >> 9), uint8_t(h >> 17), uint8_t(h >> 24)));
        } else {
          blocks.push_back(v1Block(uint8_t(h >> 3)));
        }
      }
    }
    frame.intraVectors(std::move(blocks));
  }
  return frame;
}

CinepakModel::CinepakModel(int frameWidth, int frameRows)
    : width_(frameWidth), rows_(frameRows), pixels_(size_t(frameWidth) * size_t(frameRows), 0) {}

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

void CinepakModel::put(int x, int y, uint32_t value) {
  if (x >= 0 && x < width_ && y >= 0 && y < rows_)
    pixels_[size_t(y) * size_t(width_) + size_t(x)] = value;
}

void CinepakModel::draw(const CinepakBlock& block, int blockX, int blockY) {
  // Pixel (dx, dy) of the block, dx and dy 0..3.
  for (int dy = 0; dy < 4; ++dy) {
    for (int dx = 0; dx < 4; ++dx) {
      uint32_t value = 0;
      if (block.code == CinepakCode::kV1) {
        // Each pixel of the entry covers one 2x2 quadrant.
        value = books_[1][bank_][block.index[0]][(dy / 2) * 2 + dx / 2];
      } else if (block.code == CinepakCode::kV4) {
        // Each quadrant is one entry, drawn as its own 2x2 group.
        const int entry = block.index[(dy / 2) * 2 + dx / 2];
        value = books_[0][bank_][entry][(dy % 2) * 2 + dx % 2];
      } else {
        return;
      }
      put(blockX * 4 + dx, blockY + dy, value);
    }
  }
}

void CinepakModel::apply(const CinepakFrame& frame) {
  bank_ = 0;
  int top = 0;  // pixel row of the current strip's first block row
  for (const CinepakChunk& c : frame.chunks()) {
    const int kind = c.book == CinepakBook::kV4 ? 0 : 1;
    switch (c.kind) {
      case CinepakChunk::Kind::kStrip:
        blockRows_ = c.bottom / 4;
        blockColumns_ = c.right / 4;
        break;
      case CinepakChunk::Kind::kFullCodebook:
        for (size_t i = 0; i < c.entries.size() && i < 256; ++i) {
          for (int p = 0; p < 4; ++p) {
            const uint32_t value = colour(c.entries[i].y[p], c.entries[i].u, c.entries[i].v);
            books_[kind][bank_][i][p] = value;
            books_[kind][1][i][p] = value;
          }
        }
        break;
      case CinepakChunk::Kind::kSelectiveCodebook:
        for (const auto& [index, e] : c.updates) {
          for (int p = 0; p < 4; ++p) books_[kind][bank_][index][p] = colour(e.y[p], e.u, e.v);
        }
        break;
      case CinepakChunk::Kind::kIntraVectors:
      case CinepakChunk::Kind::kInterVectors:
      case CinepakChunk::Kind::kV1Vectors: {
        if (c.blocks.size() != size_t(blockRows_) * size_t(blockColumns_)) {
          throw std::invalid_argument("the model needs one block per block of the strip");
        }
        size_t n = 0;
        for (int row = 0; row < blockRows_; ++row) {
          for (int column = 0; column < blockColumns_; ++column) {
            const CinepakBlock& b = c.blocks[n++];
            // A V1-only chunk has no codes: every block is V1.
            draw(c.kind == CinepakChunk::Kind::kV1Vectors ? v1Block(b.index[0]) : b, column,
                 top + row * 4);
          }
        }
        top += blockRows_ * 4;
        bank_ = 1;
        break;
      }
      case CinepakChunk::Kind::kRaw:
        throw std::invalid_argument("the model does not read raw chunks");
    }
  }
}

}  // namespace zentrov::test
