#pragma once
// Byte order helpers and a bounded big-endian view over a byte range. Every
// read of the view either succeeds in full or answers "not enough data";
// nothing is ever read past the end.

#include <cstddef>
#include <cstdint>

namespace zentrov {

inline uint32_t loadBE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

inline void storeLE16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void storeLE32(uint8_t* p, uint32_t v) {
  storeLE16(p, v);
  storeLE16(p + 2, v >> 16);
}

class ByteView {
 public:
  ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t size() const { return size_; }
  const uint8_t* data() const { return data_; }
  // True when `count` bytes starting at `offset` lie inside the view.
  bool has(size_t offset, size_t count) const { return offset <= size_ && count <= size_ - offset; }

  // The big-endian word at `offset`; false (and `out` untouched) past the end.
  bool be32(size_t offset, uint32_t& out) const {
    if (!has(offset, 4)) return false;
    out = loadBE32(data_ + offset);
    return true;
  }
  // The four bytes at `offset` equal `tag`; false past the end.
  bool tagAt(size_t offset, const char (&tag)[5]) const {
    if (!has(offset, 4)) return false;
    for (size_t i = 0; i < 4; ++i)
      if (data_[offset + i] != static_cast<uint8_t>(tag[i])) return false;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

}  // namespace zentrov
