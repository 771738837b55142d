#include "cli/headless_host.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "film/header_scan.h"
#include "film/movie_open.h"

namespace zentrov::cli {

bool SilentRing::write(uint32_t offset, const uint8_t* data, uint32_t bytes) {
  for (uint32_t done = 0; done < bytes;) {
    const uint32_t at = (offset + done) & kRingMask;
    const uint32_t piece = std::min(bytes - done, kRingBytes - at);
    std::memcpy(ring.data() + at, data + done, piece);
    done += piece;
  }
  return true;
}

void SilentRing::clear() {
  std::fill(ring.begin(), ring.end(), 0);
}

void MemoryFrames::clearBackSurfaces() {
  std::fill(shown.begin(), shown.end(), 0);
}

bool MemoryFrames::convertToNextBackSurface(const uint32_t* frame, int32_t w, int32_t h) {
  shown.assign(frame, frame + size_t(w) * size_t(h));
  width = w;
  height = h;
  ++converted;
  return true;
}

bool MemorySettings::readDword(const std::string& key, const std::string& name, uint32_t& value) {
  auto it = dwords_.find(key + '\n' + name);
  if (it == dwords_.end()) return false;
  value = it->second;
  return true;
}

bool MemorySettings::readString(const std::string& key, const std::string& name,
                                std::string& value) {
  auto it = strings_.find(key + '\n' + name);
  if (it == strings_.end()) return false;
  value = it->second;
  return true;
}

bool MemorySettings::writeDword(const std::string& key, const std::string& name, uint32_t value) {
  dwords_[key + '\n' + name] = value;
  return true;
}

bool MemorySettings::writeString(const std::string& key, const std::string& name,
                                 const std::string& value) {
  strings_[key + '\n' + name] = value;
  return true;
}

HeadlessHost::HeadlessHost(SoundRing* soundOverride)
    : player(Ports{soundOverride ? *soundOverride : silentRing, frames, controls, settings,
                   dialogs}) {}

int openForCli(HeadlessHost& host, const std::string& file, const std::string* headerArg) {
  Player& player = host.player;
  long long header = 0;
  if (headerArg && !parseInt(*headerArg, 0, kHeaderOffsetCount - 1, header)) {
    std::fprintf(stderr, "zentrov-cli: --header takes a number from 0 to %d\n",
                 kHeaderOffsetCount - 1);
    return kExitUsage;
  }
  if (file.size() > kMaxFileName) {
    std::fprintf(stderr, "zentrov-cli: %s: the name is longer than %zu characters\n", file.c_str(),
                 kMaxFileName);
    return kExitFileNotFound;
  }
  player.shell.currentFileName = file;
  OpenResult result = openMovie(player, kOpenFromStart);
  if (result == OpenResult::FileNotFound) {
    std::fprintf(stderr, "%s\n", kFileNotFoundText);
    return kExitFileNotFound;
  }
  if (headerArg) {
    // As choosing a line of the Search header dialog: scan the open file, then
    // open the movie at that entry. A file whose first movie is unreadable is
    // still scanned.
    MovieFile& handle = player.playback.fileHandle;
    if (!handle.isOpen() && !handle.open(file)) {
      std::fprintf(stderr, "%s\n", kFileNotFoundText);
      return kExitFileNotFound;
    }
    const int found = scanHeaders(handle, player.buffers.sectorBuffer.get(), player.headerOffsets);
    if (header >= found) {
      std::fprintf(stderr, "zentrov-cli: %s: no header %lld (the scan found %d)\n", file.c_str(),
                   header, found);
      handle.close();
      return kExitUnknownHeader;
    }
    player.playback.headerIndex = static_cast<int32_t>(header);
    result = openMovie(player, player.headerOffsets.offsets[header]);
  }
  if (result != OpenResult::Opened) {
    std::fprintf(stderr, "zentrov-cli: %s: unknown header, cannot play\n", file.c_str());
    return kExitUnknownHeader;
  }
  return kExitOk;
}

}  // namespace zentrov::cli
