#pragma once
// One player object owns all the state of a run: settings, the current movie's
// header data, the playback record, the decoders and the working buffers,
// allocated once at their largest sizes. A host owns exactly one.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "codec/adx_decoder.h"
#include "codec/cinepak_decoder.h"
#include "film/film_format.h"
#include "playback/playback_state.h"
#include "shell/ports.h"

namespace zentrov {

constexpr size_t kMaxFileName = 259;  // characters, without the terminator
constexpr int kRecentFileCount = 10;
constexpr uint32_t kDefaultTlStBar = 9;  // button-style toolbar, no labels, status bar shown

struct ShellState {
  uint32_t debugFlags = 0;
  std::string currentFileName;  // empty: no movie; at most kMaxFileName characters
  uint32_t tlStBar = kDefaultTlStBar;
  std::array<std::string, kRecentFileCount> recentFiles;  // entry 0 is the most recent
  int32_t toolbarHeight = 0;
  int32_t statusBarHeight = 0;
  std::string programPath;  // the running program's file, filled by the host
  int32_t zoom = 1;         // 0 full screen, 1 normal size, 2 double size
};

// The working buffers, allocated once for the run.
struct WorkBuffers {
  std::unique_ptr<SampleTable> sampleTable{new SampleTable()};
  std::unique_ptr<uint8_t[]> sampleBuffer{new uint8_t[kSampleBufferBytes]()};
  std::unique_ptr<uint8_t[]> sectorBuffer{new uint8_t[kSectorBufferBytes]()};
  std::unique_ptr<uint32_t[]> decodedFrame{new uint32_t[kDecodedFramePixels]()};
  std::unique_ptr<uint8_t[]> pcmBuffer{new uint8_t[kPcmBufferBytes]()};
};

struct Player {
  explicit Player(const Ports& p) : ports(p) {}
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  Ports ports;
  ShellState shell;
  PlaybackState playback;

  FilmHeader filmHeader;
  StreamDescription stream;
  HeaderOffsetTable headerOffsets;
  WorkBuffers buffers;
  SampleTable& table() { return *buffers.sampleTable; }
  const SampleTable& table() const { return *buffers.sampleTable; }

  std::unique_ptr<CinepakDecoder> cinepak{new CinepakDecoder()};
  AdxDecoder adx;
};

}  // namespace zentrov
