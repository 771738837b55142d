// zentrov-cli frames: every picture of a movie as an image file, decoded as
// the playback tick decodes it.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/cli_command.h"
#include "cli/cli_open.h"
#include "cli/export_progress.h"
#include "film/byte_view.h"
#include "playback/sample_decode.h"
#include "video/frame_dib.h"

#include "cli/png_writer.h"

namespace zentrov::cli {

namespace {

constexpr size_t kBitmapFileHeaderBytes = 14;

enum class ImageFormat { Png, Bmp };

bool writeBmp(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height) {
  std::vector<uint8_t> dib = buildFrameDib(pixels, width, height);
  const size_t dibBytes = dib.size() - kDibTrailingBytes;  // the clipboard's spare bytes
  uint8_t header[kBitmapFileHeaderBytes] = {'B', 'M'};
  storeLE32(header + 2, static_cast<uint32_t>(kBitmapFileHeaderBytes + dibBytes));  // bfSize
  // bfReserved1 and bfReserved2 stay 0; the pixels follow the info header.
  storeLE32(header + 10, static_cast<uint32_t>(kBitmapFileHeaderBytes + kDibInfoHeaderBytes));
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(header, 1, sizeof header, f) == sizeof header &&
            std::fwrite(dib.data(), 1, dibBytes, f) == dibBytes;
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

int runFrames(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, {"header", "format"}, {}, parsed, error)) return usageError("frames", error);
  if (parsed.positional.size() != 2) return usageError("frames", "expected FILE and DIR");
  ImageFormat format = ImageFormat::Png;
  if (const std::string* f = parsed.value("format")) {
    if (*f == "bmp")
      format = ImageFormat::Bmp;
    else if (*f != "png")
      return usageError("frames", "--format takes png or bmp");
  }
#ifndef ZENTROV_HAVE_PNG
  if (format == ImageFormat::Png) {
    std::fprintf(stderr,
                 "zentrov-cli frames: this build has no PNG support (libpng was not found); "
                 "use --format bmp\n");
    return kExitUsage;
  }
#endif

  HeadlessHost host;
  if (int rc = openForCli(host, parsed.positional[0], parsed.value("header"))) return rc;
  Player& player = host.player;

  const std::string dir = parsed.positional[1];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir, ec)) {
    std::fprintf(stderr, "zentrov-cli frames: cannot create the folder %s\n", dir.c_str());
    return kExitFailure;
  }

  const int32_t width = player.playback.frameWidth;
  const int32_t height = player.playback.frameHeight;
  const size_t pixels = size_t(width) * size_t(height);
  // The picture on screen: black after the open, then each frame that decodes
  // whole; a frame that fails leaves the one before it.
  std::vector<uint32_t> shown(pixels, 0);
  const uint32_t* decoded = player.buffers.decodedFrame.get();
  const char* extension = format == ImageFormat::Png ? "png" : "bmp";

  const SampleTable& table = player.table();
  ExportProgress progress(table.entryCount);
  auto failed = [&](int32_t done, const std::string& path) {
    progress.finish(done);
    std::fprintf(stderr, "zentrov-cli frames: cannot write %s\n", path.c_str());
    return kExitFailure;
  };
#ifdef ZENTROV_HAVE_PNG
  // Frames are encoded on other threads while the next ones decode.
  std::optional<PngExport> pngs;
  if (format == ImageFormat::Png) pngs.emplace(width, height, pngWorkerCount());
#endif
  for (int32_t i = 0; i < table.entryCount; ++i) {
    progress.update(i);
    const SampleEntry& entry = table.entries[i];
    if (entry.isAudio()) continue;
    if (decodeVideoEntry(player, entry))
      std::memcpy(shown.data(), decoded, pixels * sizeof(uint32_t));

    char name[32];
    std::snprintf(name, sizeof name, "%06d.%s", i, extension);
    const std::string path = (std::filesystem::path(dir) / name).string();
    bool ok = false;
    if (format == ImageFormat::Bmp) {
      ok = writeBmp(path, shown.data(), width, height);
    } else {
#ifdef ZENTROV_HAVE_PNG
      ok = pngs->add(path, shown.data());
      if (!ok) return failed(i, pngs->finish());
#endif
    }
    if (!ok) return failed(i, path);
  }
#ifdef ZENTROV_HAVE_PNG
  if (pngs) {
    const std::string path = pngs->finish();
    if (!path.empty()) return failed(table.entryCount, path);
  }
#endif
  progress.finish(table.entryCount);
  return kExitOk;
}

}  // namespace

ZENTROV_CLI_COMMAND("frames", "frames FILE DIR [--header N] [--format png|bmp]",
                    "each picture as shown after its video entry, as DIR/NNNNNN.png or .bmp",
                    runFrames);

}  // namespace zentrov::cli
