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
#include "playback/ports.h"
#include "playback/window_layout.h"

namespace zentrov {

constexpr size_t kMaxFileName = 259;  // characters, without the terminator
constexpr int kRecentFileCount = 10;
constexpr uint32_t kDefaultTlStBar = 9;  // button-style toolbar, no labels, status bar shown

// The shell's record: the command line, the current file name, the settings
// and the window's layout. The shell's commands keep it; opening and the
// window layout read it.
struct ShellState {
  uint32_t debugFlags = 0;      // bit 0: a box names each start-up step
  uint32_t setupFailed = 0;     // the code under a start-up error text: 0 or 1
  std::string currentFileName;  // empty: no movie; at most kMaxFileName characters
  uint32_t tlStBar = kDefaultTlStBar;
  std::array<std::string, kRecentFileCount> recentFiles;  // entry 0 is the most recent
  int32_t toolbarHeight = 0;
  int32_t statusBarHeight = 0;
  std::string programPath;  // the running program's file, filled by the host
  Zoom zoom = Zoom::Normal;
};

// The working buffers: none until start-up allocates them, then fixed for
// the run.
struct WorkBuffers {
  std::unique_ptr<SampleTable> sampleTable;
  std::unique_ptr<uint8_t[]> sampleBuffer;   // kSampleBufferBytes
  std::unique_ptr<uint8_t[]> sectorBuffer;   // kSectorBufferBytes
  std::unique_ptr<uint32_t[]> decodedFrame;  // kDecodedFramePixels
  std::unique_ptr<uint8_t[]> pcmBuffer;      // kPcmBufferBytes
};

struct Player;

// Work that opening a movie asks of the shell above it.
using OpenHook = void (*)(Player& player);

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

  // Called by every open before the file is opened: the shell puts the
  // current file at the top of the recent-file list. None: nothing is kept.
  OpenHook updateRecentFiles = nullptr;
};

}  // namespace zentrov
