#pragma once
// Decoded frames as 8-bit RGB PNG files, written by worker threads while the
// caller decodes the next frame. Only in builds with libpng.

#ifdef ZENTROV_HAVE_PNG

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zentrov::cli {

// Writes pictures as 8-bit RGB PNG files, one after another on one thread.
class PngFileWriter {
 public:
  PngFileWriter() = default;
  ~PngFileWriter();
  PngFileWriter(const PngFileWriter&) = delete;
  PngFileWriter& operator=(const PngFileWriter&) = delete;

  // Writes `height` rows of `width` pixels (0xXXRRGGBB, rows packed) to
  // `path`. False when the file cannot be written.
  bool write(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height);

  // For libpng's memory callbacks.
  void* allocate(size_t bytes);
  void release(void* block);

 private:
  std::vector<uint8_t> rgb_;        // one row
  std::vector<char> fileBuffer_;    // stdio's buffer
  std::vector<void*> spareBlocks_;  // libpng's and zlib's, kept for the next picture
};

// Worker threads for an export: one per processor, at least one, at most four.
int pngWorkerCount();

// Frames of one size queued to be written as PNG files on `workers` threads.
class PngExport {
 public:
  PngExport(int32_t width, int32_t height, int workers);
  // Waits for the frames still queued.
  ~PngExport();
  PngExport(const PngExport&) = delete;
  PngExport& operator=(const PngExport&) = delete;

  // Queues a copy of the frame at `pixels` for `path`, waiting while enough
  // frames are queued already. False, queuing nothing, once a write failed.
  bool add(const std::string& path, const uint32_t* pixels);
  // Waits until every queued frame is written. Returns the path of the frame
  // whose write failed first, or an empty string.
  std::string finish();

 private:
  struct Job {
    std::string path;
    std::vector<uint32_t> pixels;
  };
  void work();

  const int32_t width_;
  const int32_t height_;
  const size_t queueLimit_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> queue_;
  std::vector<std::vector<uint32_t>> spare_;  // pixel buffers of written frames, for reuse
  size_t busy_ = 0;                           // frames being copied in or written, out of the queue
  bool stopping_ = false;
  std::string failedPath_;
  std::vector<std::thread> threads_;
};

}  // namespace zentrov::cli

#endif
