#pragma once
// A read-only movie file with 64-bit offsets.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zentrov {

class MovieFile {
 public:
  MovieFile() = default;
  ~MovieFile() { close(); }
  MovieFile(const MovieFile&) = delete;
  MovieFile& operator=(const MovieFile&) = delete;

  // Opens `path` for reading; false when it cannot be opened.
  bool open(const std::string& path);
  void close();
  bool isOpen() const { return file_ != nullptr; }

  // Moves to `offset` bytes from the start; false when the seek failed.
  bool seek(uint64_t offset);
  // Reads up to `count` bytes; returns how many were read (short at the end).
  size_t read(void* buffer, size_t count);
  // Seeks to `offset` and reads; returns the number of bytes read.
  size_t readAt(uint64_t offset, void* buffer, size_t count);
  // The file's size in bytes, or 0 when unknown.
  uint64_t size();

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace zentrov
