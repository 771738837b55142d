#include "film/movie_open.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "film/byte_view.h"
#include "shell/command_ids.h"
#include "shell/player.h"
#include "shell/recent_files.h"

namespace zentrov {

const char* const kErrorCaption = "Error";
const char* const kFileNotFoundText = "File not found.";
// "Unknown header; cannot play." The gap is an ideographic space.
const char* const kUnknownHeaderText =
    "\xE6\x9C\xAA\xE7\x9F\xA5\xE3\x81\xAE\xE3\x83\x98\xE3\x83\x83\xE3\x83\x80\xE3\x81\xA7\xE3\x81"
    "\x99\xE3\x80\x82\xE3\x80\x80\xE5\x86\x8D\xE7\x94\x9F\xE3\x81\xA7\xE3\x81\x8D\xE3\x81\xBE\xE3"
    "\x81\x9B\xE3\x82\x93\xE3\x80\x82";

namespace {

constexpr int32_t kMinFrameWidth = 64;
constexpr int32_t kMinFrameHeight = 64;
constexpr uint32_t kSilentClockRate = 0xAC440000u;  // 44,100 Hz, for movies without sound
constexpr uint8_t kFallbackSizeField[4] = {0x00, 0x00, 0xFF, 0xFF};
constexpr int32_t kFallbackWidth = 320;
constexpr int32_t kFallbackHeight = 224;
constexpr uint64_t kFallbackDescriptionOffset = 16;
constexpr uint64_t kFallbackTableOffset = 48;
// Real movies carry one description; a header of endless FDSC chunks is
// refused instead of being walked chunk by chunk through a large file.
constexpr int kMaxDescriptionChunks = 256;

bool tagIs(const uint8_t* p, const char* tag) {
  return std::memcmp(p, tag, 4) == 0;
}

StreamDescription parseDescription(const uint8_t* p) {
  StreamDescription d;
  std::memcpy(d.tag, p, 4);
  d.chunkLength = loadBE32(p + 4);
  std::memcpy(d.videoCodec, p + 8, 4);
  d.height = static_cast<int32_t>(loadBE32(p + 12));
  d.width = static_cast<int32_t>(loadBE32(p + 16));
  d.unused = p[20];
  d.audioChannels = static_cast<int8_t>(p[21]);
  d.audioBits = static_cast<int8_t>(p[22]);
  d.audioCompression = static_cast<int8_t>(p[23]);
  d.sampleRate = loadBE32(p + 24);
  d.reserved = loadBE32(p + 28);
  return d;
}

void setDisabledControls(Controls& c) {
  c.enableButton(kCmdReplay, false);
  c.setMenuItemState(kCmdPlayPause, MenuState::Disabled);
  c.enableButton(kCmdPlayPause, false);
  c.checkButton(kCmdPlayPause, false);
  c.enableButton(kCmdNextFrame, false);
  c.setMenuItemState(kCmdSearchHeader, MenuState::Disabled);
}

// Reads the chunk loop that follows a FILM block at `pos`: FDSC chunks, then
// the STAB chunk header. Leaves `pos` just past that header. False when the
// header is unknown, malformed or cut short.
bool readChunks(Player& player, uint64_t& pos, uint8_t stabHeader[8]) {
  MovieFile& file = player.playback.fileHandle;
  uint8_t* sector = player.buffers.sectorBuffer.get();
  int described = 0;
  for (;;) {
    if (file.readAt(pos, sector, kChunkHeaderBytes) != kChunkHeaderBytes) return false;
    const uint32_t length = loadBE32(sector + 4);
    if (tagIs(sector, "STAB")) {
      // A movie needs its description; a table without one is refused rather
      // than played with another movie's sizes and sound format.
      if (described == 0) return false;
      std::memcpy(stabHeader, sector, kChunkHeaderBytes);
      pos += kChunkHeaderBytes;
      player.ports.controls.setMenuItemState(kCmdSearchHeader, MenuState::Enabled);
      return true;
    }
    if (!tagIs(sector, "FDSC") || described == kMaxDescriptionChunks) return false;
    // A description shorter than its 32 bytes of fields is refused; a longer
    // one is read up to the sector buffer and the rest skipped.
    if (length < kStreamDescriptionBytes) return false;
    const size_t body = std::min<size_t>(length, kSectorBufferBytes) - kChunkHeaderBytes;
    if (file.readAt(pos + kChunkHeaderBytes, sector + kChunkHeaderBytes, body) != body)
      return false;
    player.stream = parseDescription(sector);
    ++described;
    pos += length;
  }
}

// Reads the sample table whose 8-byte chunk header is `stabHeader` and whose
// body starts at `pos`. The table buffer holds 8,191 entries: a longer table,
// or an entryCount beyond the entries the chunk holds, is cut to what fits.
bool readSampleTable(Player& player, uint64_t pos, const uint8_t stabHeader[8]) {
  SampleTable& table = player.table();
  MovieFile& file = player.playback.fileHandle;
  const uint32_t length = loadBE32(stabHeader + 4);
  if (length < kStabHeaderBytes) return false;
  uint8_t head[8];
  if (file.readAt(pos, head, sizeof head) != sizeof head) return false;
  const int32_t declared = static_cast<int32_t>(loadBE32(head + 4));
  if (declared < 0) return false;

  const uint64_t inChunk = (uint64_t{length} - kStabHeaderBytes) / sizeof(SampleEntry);
  const size_t wanted = static_cast<size_t>(
      std::min<uint64_t>({uint64_t(declared), inChunk, uint64_t(kMaxSampleEntries)}));
  uint8_t* raw = reinterpret_cast<uint8_t*>(table.entries);
  const size_t got = file.read(raw, wanted * sizeof(SampleEntry));
  const size_t count = got / sizeof(SampleEntry);  // a table cut short keeps its whole entries

  std::memcpy(table.tag, stabHeader, 4);
  table.chunkLength = length;
  table.timeBase = static_cast<int32_t>(loadBE32(head));
  table.entryCount = static_cast<int32_t>(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = raw + i * sizeof(SampleEntry);
    SampleEntry e;
    e.offset = loadBE32(p);
    e.length = loadBE32(p + 4);
    e.info1 = loadBE32(p + 8);
    e.info2 = static_cast<int32_t>(loadBE32(p + 12));
    table.entries[i] = e;
  }
  return true;
}

// Fallback layout: no signature, version "1.09" at 8, both size fields
// 0x0000FFFF, the table header at 48.
bool readFallback(Player& player, uint8_t stabHeader[8]) {
  MovieFile& file = player.playback.fileHandle;
  const uint8_t* sector = player.buffers.sectorBuffer.get();
  FilmHeader header;
  std::memcpy(header.signature, sector, 4);
  header.headerLength = loadBE32(sector + 4);
  std::memcpy(header.version, sector + 8, 4);
  std::memcpy(header.reserved, sector + 12, 4);

  uint8_t description[kStreamDescriptionBytes];
  if (file.readAt(kFallbackDescriptionOffset, description, sizeof description) !=
      sizeof description)
    return false;
  if (!tagIs(header.version, "1.09") || std::memcmp(description + 12, kFallbackSizeField, 4) != 0 ||
      std::memcmp(description + 16, kFallbackSizeField, 4) != 0)
    return false;
  if (file.readAt(kFallbackTableOffset, stabHeader, kChunkHeaderBytes) != kChunkHeaderBytes)
    return false;
  player.filmHeader = header;
  player.stream = parseDescription(description);
  player.stream.width = kFallbackWidth;
  player.stream.height = kFallbackHeight;
  player.headerOffsets.offsets[0] = 0;
  return true;
}

bool readFilmBlock(Player& player, uint64_t offset) {
  uint8_t block[kFilmBlockBytes];
  if (player.playback.fileHandle.readAt(offset, block, sizeof block) != sizeof block) return false;
  FilmHeader& h = player.filmHeader;
  std::memcpy(h.signature, block, 4);
  h.headerLength = loadBE32(block + 4);
  std::memcpy(h.version, block + 8, 4);
  std::memcpy(h.reserved, block + 12, 4);
  return true;
}

// Locates and reads the header; false when it is unknown.
bool readHeader(Player& player, int32_t selector) {
  MovieFile& file = player.playback.fileHandle;
  uint8_t* sector = player.buffers.sectorBuffer.get();
  uint8_t stabHeader[kChunkHeaderBytes];
  uint64_t pos = 0;
  if (selector == kOpenFromStart) {
    // A file shorter than the window leaves no stale bytes to match.
    const size_t got = file.readAt(0, sector, kSignatureWindow);
    std::memset(sector + got, 0, kSignatureWindow - got);
    const int d = findFilmSignature(sector);
    if (d >= 0) {
      // The block is read from the file: one found near the end of the window
      // runs past the bytes already in the sector buffer.
      if (!readFilmBlock(player, uint64_t(d))) return false;
      player.headerOffsets.offsets[0] = d;
      pos = uint64_t(d) + kFilmBlockBytes;
      if (!readChunks(player, pos, stabHeader)) return false;
    } else {
      if (got < kFilmBlockBytes) return false;
      if (!readFallback(player, stabHeader)) return false;
      pos = kFallbackTableOffset + kChunkHeaderBytes;
    }
  } else {
    const int32_t index = player.playback.headerIndex;
    if (!file.isOpen() || index < 0 || index >= kHeaderOffsetCount) return false;
    const int32_t offset = player.headerOffsets.offsets[index];
    if (offset < 0) return false;
    if (!readFilmBlock(player, uint64_t(offset))) return false;
    pos = uint64_t(offset) + kFilmBlockBytes;
    if (!readChunks(player, pos, stabHeader)) return false;
  }
  if (!readSampleTable(player, pos, stabHeader)) return false;
  // A movie with sound at 0 Hz has no clock to pace its pictures by.
  if (player.stream.audioChannels != 0 && player.stream.rateHz() == 0) return false;
  return true;
}

OpenResult refuseUnknownHeader(Player& player) {
  player.ports.controls.showMessage(kUnknownHeaderText, kErrorCaption);
  player.playback.paused = true;
  player.playback.fileHandle.close();
  return OpenResult::UnknownHeader;
}

}  // namespace

OpenResult openMovie(Player& player, int32_t selector) {
  PlaybackState& state = player.playback;
  Ports& ports = player.ports;
  if (selector == kOpenFromStart) {
    player.headerOffsets.reset();
    state.headerIndex = 0;
  }
  player.adx.reset();
  ports.frames.clearBackSurfaces();
  ports.sound.clear();
  ports.controls.setStatusText(kStatusState, "");
  ports.controls.setStatusText(kStatusPosition, "");
  setDisabledControls(ports.controls);
  UpdateMRUFile(player);
  ports.frames.present();

  if (selector == kOpenFromStart) {
    state.fileHandle.close();
    if (player.shell.currentFileName.empty()) return OpenResult::Closed;
    if (!state.fileHandle.open(player.shell.currentFileName)) {
      ports.controls.showMessage(kFileNotFoundText, kErrorCaption);
      state.paused = true;
      player.shell.currentFileName.clear();
      return OpenResult::FileNotFound;
    }
  }

  if (!readHeader(player, selector)) return refuseUnknownHeader(player);

  state.frameWidth = std::clamp<int32_t>(player.stream.width, kMinFrameWidth, kMaxFrameWidth);
  state.frameHeight = std::clamp<int32_t>(player.stream.height, kMinFrameHeight, kMaxFrameHeight);
  if (player.stream.audioChannels == 0) player.stream.sampleRate = kSilentClockRate;
  state.position = 0;
  state.paused = false;
  state.stepRequest = false;
  state.audioRestart = true;
  // Bytes of 16-bit stereo ring progress to time-stamp units.
  state.timeScale = static_cast<double>(player.table().timeBase) /
                    (4.0 * static_cast<double>(player.stream.rateHz()));
  ports.controls.setStatusText(kStatusState, "Play...");
  state.frameHeight = (state.frameHeight + 3) & ~3;
  windowResize(player);
  ports.controls.setMenuItemState(kCmdProperty, MenuState::Enabled);
  ports.controls.enableButton(kCmdReplay, true);
  ports.controls.setMenuItemState(kCmdPlayPause, MenuState::Enabled);
  ports.controls.enableButton(kCmdPlayPause, true);
  ports.controls.checkButton(kCmdPlayPause, false);
  ports.controls.enableButton(kCmdNextFrame, false);
  return OpenResult::Opened;
}

uint64_t sampleFilePosition(const Player& player, uint32_t entryOffset) {
  const int32_t index = player.playback.headerIndex;
  const int32_t header =
      (index >= 0 && index < kHeaderOffsetCount) ? player.headerOffsets.offsets[index] : 0;
  return uint64_t(uint32_t(std::max(header, 0))) + player.filmHeader.headerLength + entryOffset;
}

size_t readSample(Player& player, const SampleEntry& entry, uint8_t* buffer, size_t capacity) {
  MovieFile& file = player.playback.fileHandle;
  if (!file.isOpen() || entry.length > capacity) return 0;
  return file.readAt(sampleFilePosition(player, entry.offset), buffer, entry.length);
}

std::string windowTitle(const Player& player) {
  const std::string& name = player.shell.currentFileName;
  if (name.empty()) return std::string();
  const size_t slash = name.find_last_of("\\/");
  std::string part = slash == std::string::npos ? name : name.substr(slash + 1);
  char suffix[32];
  if (player.headerOffsets.offsets[1] == -1)
    std::snprintf(suffix, sizeof suffix, " - Zentrov");
  else
    std::snprintf(suffix, sizeof suffix, ":%d - Zentrov", player.playback.headerIndex);
  // The title buffer holds 260 characters with its terminator: a long name
  // is cut, the suffix kept.
  const size_t room = kMaxFileName - std::strlen(suffix);
  if (part.size() > room) part.resize(room);
  return part + suffix;
}

void setStatusParts(Player& player) {
  Controls& c = player.ports.controls;
  if (player.shell.currentFileName.empty()) c.setStatusText(kStatusState, "");
  char size[32];
  std::snprintf(size, sizeof size, "%3dx%3d", player.playback.frameWidth,
                player.playback.frameHeight);
  c.setStatusText(kStatusSize, size);
  c.setStatusText(kStatusSpare, "----");
}

void windowResize(Player& player) {
  player.ports.frames.resizeWindow(player.playback.frameWidth, player.playback.frameHeight);
  if (!player.shell.currentFileName.empty())
    player.ports.controls.setWindowTitle(windowTitle(player));
  setStatusParts(player);
}

}  // namespace zentrov
