#include "cli/png_writer.h"

#ifdef ZENTROV_HAVE_PNG

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zentrov::cli {

namespace {

// Decoded Cinepak pictures are 4x4 blocks whose second and fourth rows often
// repeat the row above (V1 blocks draw 2x2 squares). Odd rows are therefore
// stored as their difference from the row above, mostly zeros, and even rows
// as they are, with deflate's default strategy at level 5. On full-motion
// movies this made smaller files than ffmpeg's PNG export in less processor
// time; libpng's own filter choice, any single filter, and levels 4 or 6
// lost on size or on time (scripts/bench_vs_ffmpeg.sh measures it).
constexpr int kCompressionLevel = 5;

// One row as packed RGB bytes.
void toRgb(const uint32_t* row, int32_t width, uint8_t* out) {
  for (int32_t x = 0; x < width; ++x, out += 3) {
    // One load: byte stores could otherwise alias the row and reload it.
    const uint32_t pixel = row[x];
    out[0] = static_cast<uint8_t>(pixel >> 16);
    out[1] = static_cast<uint8_t>(pixel >> 8);
    out[2] = static_cast<uint8_t>(pixel);
  }
}

[[noreturn]] void onError(png_structp png, png_const_charp /*message*/) {
  png_longjmp(png, 1);
}
void onWarning(png_structp /*png*/, png_const_charp /*message*/) {}

png_voidp onAllocate(png_structp png, png_alloc_size_t bytes) {
  return static_cast<PngFileWriter*>(png_get_mem_ptr(png))->allocate(bytes);
}
void onRelease(png_structp png, png_voidp block) {
  static_cast<PngFileWriter*>(png_get_mem_ptr(png))->release(block);
}

// No object with a destructor lives here: an error leaves by longjmp.
bool encode(std::FILE* file, const uint32_t* pixels, int32_t width, int32_t height, uint8_t* rgb,
            PngFileWriter* memory) {
  png_structp png = png_create_write_struct_2(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning,
                                              memory, onAllocate, onRelease);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, kCompressionLevel);
  // libpng's choice for filtered images, Z_FILTERED, loses the long repeats.
  png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
  // Fewer, larger IDAT chunks: a little less overhead in the file.
  png_set_compression_buffer_size(png, 1 << 16);
  // Every filter used on any row is named before the first row is written.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE | PNG_FILTER_UP);
  png_write_info(png, info);
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
    toRgb(row, width, rgb);
    if (y > 0) png_set_filter(png, PNG_FILTER_TYPE_BASE, y % 2 ? PNG_FILTER_UP : PNG_FILTER_NONE);
    png_write_row(png, rgb);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

// Each block starts with its size; the header keeps the block's alignment.
constexpr size_t kBlockHeader = alignof(std::max_align_t);

PngFileWriter::~PngFileWriter() {
  for (void* block : spareBlocks_) std::free(block);
}

void* PngFileWriter::allocate(size_t bytes) {
  // libpng and zlib ask for the same few blocks for every picture; reusing
  // them spares the allocator giving the memory back and faulting it in
  // again each time.
  for (size_t i = 0; i < spareBlocks_.size(); ++i) {
    size_t size;
    std::memcpy(&size, spareBlocks_[i], sizeof size);
    if (size == bytes) {
      char* block = static_cast<char*>(spareBlocks_[i]);
      spareBlocks_[i] = spareBlocks_.back();
      spareBlocks_.pop_back();
      return block + kBlockHeader;
    }
  }
  char* block = static_cast<char*>(std::malloc(kBlockHeader + bytes));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &bytes, sizeof bytes);
  return block + kBlockHeader;
}

void PngFileWriter::release(void* block) {
  if (block == nullptr) return;
  void* start = static_cast<char*>(block) - kBlockHeader;
  // A picture needs a handful of blocks; more than that are not kept.
  if (spareBlocks_.size() < 32) {
    spareBlocks_.push_back(start);
  } else {
    std::free(start);
  }
}

bool PngFileWriter::write(const std::string& path, const uint32_t* pixels, int32_t width,
                          int32_t height) {
  if (width <= 0 || height <= 0) return false;
  rgb_.resize(static_cast<size_t>(width) * 3);
  fileBuffer_.resize(1 << 16);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  // Whole files in few writes.
  std::setvbuf(file, fileBuffer_.data(), _IOFBF, fileBuffer_.size());
  bool ok = encode(file, pixels, width, height, rgb_.data(), this);
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

int pngWorkerCount() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : n > 4 ? 4 : static_cast<int>(n);
}

PngExport::PngExport(int32_t width, int32_t height, int workers)
    : width_(width), height_(height), queueLimit_(2 * static_cast<size_t>(workers)) {
  for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { work(); });
}

PngExport::~PngExport() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& t : threads_) t.join();
}

bool PngExport::add(const std::string& path, const uint32_t* pixels) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock,
                [this] { return queue_.size() + busy_ < queueLimit_ || !failedPath_.empty(); });
  if (!failedPath_.empty()) return false;
  Job job{path, {}};
  if (!spare_.empty()) {
    job.pixels = std::move(spare_.back());
    spare_.pop_back();
  }
  ++busy_;  // counted while it is copied, so the queue stays within its limit
  lock.unlock();
  job.pixels.assign(pixels, pixels + static_cast<size_t>(width_) * static_cast<size_t>(height_));
  lock.lock();
  --busy_;
  queue_.push_back(std::move(job));
  lock.unlock();
  changed_.notify_all();
  return true;
}

std::string PngExport::finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return queue_.empty() && busy_ == 0; });
  return failedPath_;
}

void PngExport::work() {
  PngFileWriter writer;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !queue_.empty() || stopping_; });
    if (queue_.empty()) return;
    Job job = std::move(queue_.front());
    queue_.pop_front();
    ++busy_;
    // After a failure the rest is dropped: the export stops there.
    const bool skip = !failedPath_.empty();
    lock.unlock();
    const bool ok = skip || writer.write(job.path, job.pixels.data(), width_, height_);
    lock.lock();
    --busy_;
    if (!ok && failedPath_.empty()) failedPath_ = job.path;
    spare_.push_back(std::move(job.pixels));
    changed_.notify_all();
  }
}

}  // namespace zentrov::cli

#endif
