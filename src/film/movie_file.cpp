#include "film/movie_file.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

namespace zentrov {

namespace {
// 64-bit seeks: large-file aware on both C runtimes.
int seek64(std::FILE* f, uint64_t offset, int whence) {
#if defined(_WIN32)
  return _fseeki64(f, static_cast<__int64>(offset), whence);
#else
  return fseeko(f, static_cast<off_t>(offset), whence);
#endif
}
int64_t tell64(std::FILE* f) {
#if defined(_WIN32)
  return _ftelli64(f);
#else
  return ftello(f);
#endif
}
}  // namespace

bool MovieFile::open(const std::string& path) {
  close();
  // A folder opens as a stream on some systems but is not a readable file.
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  file_ = std::fopen(path.c_str(), "rb");
  return file_ != nullptr;
}

void MovieFile::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

bool MovieFile::seek(uint64_t offset) {
  // Offsets beyond what the C library can address are treated as unreadable.
  if (!file_ || offset > static_cast<uint64_t>(INT64_MAX)) return false;
  return seek64(file_, offset, SEEK_SET) == 0;
}

size_t MovieFile::read(void* buffer, size_t count) {
  if (!file_ || count == 0) return 0;
  return std::fread(buffer, 1, count, file_);
}

size_t MovieFile::readAt(uint64_t offset, void* buffer, size_t count) {
  if (!seek(offset)) return 0;
  return read(buffer, count);
}

uint64_t MovieFile::size() {
  if (!file_) return 0;
  const int64_t here = tell64(file_);
  if (seek64(file_, 0, SEEK_END) != 0) return 0;
  const int64_t end = tell64(file_);
  if (here >= 0) seek64(file_, static_cast<uint64_t>(here), SEEK_SET);
  return end < 0 ? 0 : static_cast<uint64_t>(end);
}

}  // namespace zentrov
