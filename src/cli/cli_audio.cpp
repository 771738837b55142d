// zentrov-cli audio: a movie's whole sound as a 16-bit stereo WAV file, made
// as the playback tick makes the sound it writes into the ring.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/cli_open.h"
#include "cli/export_progress.h"
#include "codec/sound_frame.h"
#include "film/byte_view.h"
#include "playback/sample_decode.h"

namespace zentrov::cli {

namespace {

constexpr uint32_t kWavHeaderBytes = 44;
constexpr uint16_t kChannels = 2;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint16_t kFrameBytes = kSoundFrameBytes;
static_assert(kFrameBytes == kChannels * kBitsPerSample / 8, "WAV frames are the player's own");
// The RIFF sizes are 32-bit: stop before the file would outgrow them.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - kWavHeaderBytes;

void wavHeader(uint8_t (&h)[kWavHeaderBytes], uint32_t rate, uint32_t dataBytes) {
  std::memcpy(h, "RIFF", 4);
  storeLE32(h + 4, 36 + dataBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  storeLE32(h + 16, 16);  // fmt chunk length
  storeLE16(h + 20, 1);   // PCM
  storeLE16(h + 22, kChannels);
  storeLE32(h + 24, rate);
  storeLE32(h + 28, rate * kFrameBytes);
  storeLE16(h + 32, kFrameBytes);
  storeLE16(h + 34, kBitsPerSample);
  std::memcpy(h + 36, "data", 4);
  storeLE32(h + 40, dataBytes);
}

int runAudio(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, {"header"}, {}, parsed, error)) return usageError("audio", error);
  if (parsed.positional.size() != 2) return usageError("audio", "expected FILE and OUT.wav");

  HeadlessHost host;
  if (int rc = openForCli(host, parsed.positional[0], parsed.value("header"))) return rc;
  Player& player = host.player;
  if (player.stream.audioChannels == 0) {
    std::printf("%s: the movie has no sound; no file written\n", parsed.positional[0].c_str());
    return kExitOk;
  }

  const std::string& outPath = parsed.positional[1];
  std::FILE* out = std::fopen(outPath.c_str(), "wb");
  if (!out) {
    std::fprintf(stderr, "zentrov-cli audio: cannot create %s\n", outPath.c_str());
    return kExitFailure;
  }
  const uint32_t rate = player.stream.rateHz();
  uint8_t header[kWavHeaderBytes];
  wavHeader(header, rate, 0);
  bool ok = std::fwrite(header, 1, sizeof header, out) == sizeof header;

  // The open has reset the ADX decoder, so the first audio entry skips the
  // stream header just as in playback.
  const uint8_t* pcm = player.buffers.pcmBuffer.get();
  const SampleTable& table = player.table();
  uint64_t dataBytes = 0;
  bool truncated = false;
  ExportProgress progress(table.entryCount);
  for (int32_t i = 0; i < table.entryCount && ok; ++i) {
    progress.update(i);
    const SampleEntry& entry = table.entries[i];
    if (!entry.isAudio()) continue;
    const int32_t bytes = decodeAudioEntry(player, entry);
    if (bytes <= 0) continue;
    if (dataBytes + uint64_t(bytes) > kMaxDataBytes) {
      truncated = true;
      break;
    }
    ok = std::fwrite(pcm, 1, size_t(bytes), out) == size_t(bytes);
    dataBytes += uint64_t(bytes);
  }
  progress.finish(table.entryCount);

  wavHeader(header, rate, static_cast<uint32_t>(dataBytes));
  ok = ok && std::fseek(out, 0, SEEK_SET) == 0 &&
       std::fwrite(header, 1, sizeof header, out) == sizeof header;
  ok = std::fclose(out) == 0 && ok;
  if (!ok) {
    std::fprintf(stderr, "zentrov-cli audio: cannot write %s\n", outPath.c_str());
    return kExitFailure;
  }
  if (truncated)
    std::fprintf(stderr,
                 "zentrov-cli audio: the sound is longer than a WAV file holds; cut at "
                 "4 GiB\n");
  return kExitOk;
}

}  // namespace

ZENTROV_CLI_COMMAND("audio", "audio FILE OUT.wav [--header N]",
                    "write the movie's sound, as played, to a 16-bit stereo WAV file", runAudio);

}  // namespace zentrov::cli
