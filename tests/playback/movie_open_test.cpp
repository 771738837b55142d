// Opening movies: header location, both layouts, the chunk loop, the clamps,
// the derived values, the control choreography and every refusal.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "playback/movie_open.h"
#include "playback/window_layout.h"
#include "support/film_writer.h"
#include "support/recording_ports.h"
#include "support/test_paths.h"

namespace zentrov {
namespace {

using test::FilmSpec;

class MovieOpenTest : public ::testing::Test {
 protected:
  OpenResult openBytes(const std::vector<uint8_t>& bytes, const std::string& name = "movie.cpk") {
    const std::string path = dir_ + "/" + name;
    EXPECT_TRUE(test::writeFile(path, test::toString(bytes)));
    rig_.player.shell.currentFileName = path;
    return openMovie(rig_.player, OpenRequest::fromStart());
  }
  OpenResult openSpec(const FilmSpec& spec) { return openBytes(test::buildFilm(spec)); }

  std::string dir_ =
      test::scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  test::FakeRig rig_;
  Player& player_ = rig_.player;
};

FilmSpec soundMovie() {
  FilmSpec spec;
  spec.width = 320;
  spec.height = 224;
  spec.audioChannels = 2;
  spec.audioBits = 16;
  spec.sampleRate = 0x56220000u;  // 22,050 Hz
  spec.timeBase = 600;
  spec.samples.push_back(test::audioSample(std::vector<uint8_t>(400, 1)));
  spec.samples.push_back(test::videoSample(std::vector<uint8_t>(100, 2), 0, true, 7));
  spec.samples.push_back(test::videoSample(std::vector<uint8_t>(90, 3), 40, false, -3));
  return spec;
}

TEST_F(MovieOpenTest, ReadsDescriptionTableAndDerivedValues) {
  FilmSpec spec = soundMovie();
  ASSERT_EQ(openSpec(spec), OpenResult::Opened);
  const StreamDescription& s = player_.stream;
  EXPECT_EQ(s.width, 320);
  EXPECT_EQ(s.height, 224);
  EXPECT_EQ(s.audioChannels, 2);
  EXPECT_EQ(s.audioBits, 16);
  EXPECT_EQ(s.audioCompression, 0);
  EXPECT_EQ(s.rateHz(), 22050u);
  EXPECT_EQ(std::memcmp(s.tag, "FDSC", 4), 0);
  EXPECT_EQ(s.chunkLength, 32u);

  const SampleTable& t = player_.table();
  EXPECT_EQ(std::memcmp(t.tag, "STAB", 4), 0);
  EXPECT_EQ(t.chunkLength, 16u + 3 * 16);
  EXPECT_EQ(t.timeBase, 600);
  ASSERT_EQ(t.entryCount, 3);
  EXPECT_TRUE(t.entries[0].isAudio());
  EXPECT_EQ(t.entries[1].offset, 400u);
  EXPECT_EQ(t.entries[1].length, 100u);
  EXPECT_TRUE(t.entries[1].isKeyFrame());
  EXPECT_EQ(t.entries[1].info2, 7);
  EXPECT_EQ(t.entries[2].info1, 0x80000000u | 40);
  EXPECT_EQ(t.entries[2].info2, -3);

  EXPECT_EQ(player_.filmHeader.headerLength, test::firstSampleOffset(spec));
  EXPECT_EQ(player_.headerOffsets.offsets[0], 0);
  EXPECT_EQ(player_.headerOffsets.offsets[1], -1);
  const PlaybackState& p = player_.playback;
  EXPECT_TRUE(p.fileHandle.isOpen());
  EXPECT_EQ(p.position, 0);
  EXPECT_FALSE(p.paused);
  EXPECT_TRUE(p.audioRestart);
  EXPECT_DOUBLE_EQ(p.timeScale, 600.0 / (4.0 * 22050.0));
  EXPECT_EQ(sampleFilePosition(player_, t.entries[1].offset), test::firstSampleOffset(spec) + 400);

  // The sample bytes come from where the table says.
  uint8_t buffer[256];
  ASSERT_EQ(readSample(player_, t.entries[2], buffer, sizeof buffer), 90u);
  EXPECT_EQ(buffer[0], 3);
  EXPECT_EQ(buffer[89], 3);
  EXPECT_EQ(readSample(player_, t.entries[0], buffer, sizeof buffer), 0u)
      << "longer than the buffer";
}

struct SizeCase {
  int32_t width, height, frameWidth, frameHeight;
};

class FrameSizeTest : public MovieOpenTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(FrameSizeTest, ClampsAndRoundsTheHeight) {
  FilmSpec spec = soundMovie();
  spec.width = GetParam().width;
  spec.height = GetParam().height;
  ASSERT_EQ(openSpec(spec), OpenResult::Opened);
  EXPECT_EQ(player_.playback.frameWidth, GetParam().frameWidth);
  EXPECT_EQ(player_.playback.frameHeight, GetParam().frameHeight);
  EXPECT_EQ(player_.stream.width, GetParam().width) << "the description keeps the size as read";
  EXPECT_EQ(rig_.frames.layout.frameWidth, GetParam().frameWidth);
  EXPECT_EQ(rig_.frames.layout.frameHeight, GetParam().frameHeight);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FrameSizeTest,
                         ::testing::Values(SizeCase{1000, 1000, 768, 512}, SizeCase{50, 50, 64, 64},
                                           SizeCase{320, 221, 320, 224},
                                           SizeCase{322, 224, 322, 224},
                                           SizeCase{-5, -70000, 64, 64},
                                           SizeCase{768, 509, 768, 512}, SizeCase{65, 65, 65, 68}));

TEST_F(MovieOpenTest, MovieWithoutSoundRunsItsClockAt44100) {
  FilmSpec spec = soundMovie();
  spec.audioChannels = 0;
  spec.sampleRate = 0;  // whatever the description says
  spec.timeBase = 30;
  ASSERT_EQ(openSpec(spec), OpenResult::Opened);
  EXPECT_EQ(player_.stream.sampleRate, 0xAC440000u);
  EXPECT_DOUBLE_EQ(player_.playback.timeScale, 30.0 / 176400.0);
}

TEST_F(MovieOpenTest, LastOfSeveralDescriptionsCounts) {
  FilmSpec spec = soundMovie();
  spec.fdscCount = 3;
  std::vector<uint8_t> bytes = test::buildFilm(spec);
  // Give the first two descriptions another size; the third one wins.
  for (int i = 0; i < 2; ++i) bytes[test::fdscOffset(spec, i) + 19] = 0x10;
  ASSERT_EQ(openBytes(bytes), OpenResult::Opened);
  EXPECT_EQ(player_.stream.width, 320);
  EXPECT_EQ(player_.table().entryCount, 3);
}

TEST_F(MovieOpenTest, LongDescriptionChunkIsSkippedPastItsEnd) {
  // 5,000 bytes: more than the sector buffer; the table behind it is found.
  FilmSpec spec = soundMovie();
  spec.fdscLength = 5000;
  std::vector<uint8_t> bytes = test::buildFilm(spec);
  std::vector<uint8_t> padded(bytes.begin(), bytes.begin() + 48);
  padded.resize(16 + 5000, 0xEE);
  padded.insert(padded.end(), bytes.begin() + 48, bytes.end());
  // Sample offsets count from headerLength, which now lies 4,968 bytes later.
  const uint32_t headerLength = uint32_t(test::firstSampleOffset(spec) + 4968);
  padded[4] = uint8_t(headerLength >> 24);
  padded[5] = uint8_t(headerLength >> 16);
  padded[6] = uint8_t(headerLength >> 8);
  padded[7] = uint8_t(headerLength);
  ASSERT_EQ(openBytes(padded), OpenResult::Opened);
  EXPECT_EQ(player_.table().entryCount, 3);
  uint8_t buffer[128];
  ASSERT_EQ(readSample(player_, player_.table().entries[1], buffer, sizeof buffer), 100u);
  EXPECT_EQ(buffer[0], 2);
}

TEST_F(MovieOpenTest, SignatureIsFoundUpTo251AndTheBlockIsReadWhole) {
  std::vector<uint8_t> late(252, 0);
  const std::vector<uint8_t> movie = test::buildFilm(soundMovie());
  late.insert(late.end(), movie.begin(), movie.end());
  EXPECT_EQ(openBytes(late), OpenResult::UnknownHeader) << "252 is past the window";

  for (size_t at : {size_t{0}, size_t{7}, size_t{241}, size_t{251}}) {
    const FilmSpec spec = soundMovie();
    std::vector<uint8_t> file(at, 0x5A);
    file.insert(file.end(), movie.begin(), movie.end());
    ASSERT_EQ(openBytes(file), OpenResult::Opened) << at;
    EXPECT_EQ(player_.headerOffsets.offsets[0], int32_t(at));
    // headerLength lies in the bytes past the 256-byte window for at > 247.
    EXPECT_EQ(player_.filmHeader.headerLength, test::firstSampleOffset(spec)) << at;
    EXPECT_EQ(std::memcmp(player_.filmHeader.version, "1.09", 4), 0) << at;
    uint8_t buffer[128];
    ASSERT_EQ(readSample(player_, player_.table().entries[2], buffer, sizeof buffer), 90u) << at;
    EXPECT_EQ(buffer[0], 3) << at;
  }
}

TEST_F(MovieOpenTest, FallbackLayoutPlaysAt320x224WithoutSearch) {
  FilmSpec spec = soundMovie();
  spec.fallbackLayout = true;
  spec.samples[1].data[0] = 0x42;
  ASSERT_EQ(openSpec(spec), OpenResult::Opened);
  EXPECT_EQ(player_.stream.width, 320);
  EXPECT_EQ(player_.stream.height, 224);
  EXPECT_EQ(player_.playback.frameWidth, 320);
  EXPECT_EQ(player_.playback.frameHeight, 224);
  EXPECT_EQ(player_.headerOffsets.offsets[0], 0);
  EXPECT_EQ(player_.table().entryCount, 3);
  EXPECT_EQ(rig_.controls.menuState[40020], MenuState::Disabled);
  uint8_t buffer[128];
  ASSERT_EQ(readSample(player_, player_.table().entries[1], buffer, sizeof buffer), 100u);
  EXPECT_EQ(buffer[0], 0x42);
}

TEST_F(MovieOpenTest, FallbackNeedsVersionAndBothSizeFields) {
  struct Case {
    size_t offset;
    uint8_t value;
  };
  for (Case c : {Case{8, '2'}, Case{11, '8'}, Case{16 + 12, 0x01}, Case{16 + 19, 0xFE}}) {
    FilmSpec spec = soundMovie();
    spec.fallbackLayout = true;
    std::vector<uint8_t> bytes = test::buildFilm(spec);
    bytes[c.offset] = c.value;
    EXPECT_EQ(openBytes(bytes), OpenResult::UnknownHeader) << c.offset;
  }
}

TEST_F(MovieOpenTest, SuccessfulOpenChoreography) {
  ASSERT_EQ(openSpec(soundMovie()), OpenResult::Opened);
  const std::string path = player_.shell.currentFileName;
  // Up to the recent-file update, in order.
  const std::vector<std::string> before = {
      "frames.clear",
      "sound.clear",
      "controls.status 1 ",
      "controls.status 2 ",
      "controls.button 40013 0",
      "controls.menu 40014 disabled",
      "controls.button 40014 0",
      "controls.buttoncheck 40014 0",
      "controls.button 40015 0",
      "controls.menu 40020 disabled",
  };
  ASSERT_GE(rig_.log.size(), before.size());
  EXPECT_EQ(std::vector<std::string>(rig_.log.begin(), rig_.log.begin() + before.size()), before);
  // From the black picture to the end.
  auto present = std::find(rig_.log.begin(), rig_.log.end(), "frames.present 0");
  ASSERT_NE(present, rig_.log.end());
  std::vector<std::string> after(present, rig_.log.end());
  after.erase(std::remove_if(after.begin(), after.end(),
                             [](const std::string& s) { return s.rfind("settings.", 0) == 0; }),
              after.end());
  const std::vector<std::string> expected = {
      "frames.present 0",
      "controls.menu 40020 enabled",
      "controls.status 1 Play...",
      "frames.resize 320x224 x1",
      "controls.title movie.cpk - Zentrov",
      "controls.menucheck 40010 1",
      "controls.menucheck 40011 0",
      "controls.menucheck 40022 0",
      "controls.status 3 320x224",
      "controls.status 4 ----",
      "controls.menu 40017 enabled",
      "controls.button 40013 1",
      "controls.menu 40014 enabled",
      "controls.button 40014 1",
      "controls.buttoncheck 40014 0",
      "controls.button 40015 0",
  };
  EXPECT_EQ(after, expected);
  EXPECT_EQ(rig_.controls.recentItems.size(), 1u);
  EXPECT_EQ(player_.shell.recentFiles[0], path);
}

TEST_F(MovieOpenTest, MissingFileIsReportedAndForgotten) {
  player_.shell.currentFileName = dir_ + "/nowhere.cpk";
  EXPECT_EQ(openMovie(player_, OpenRequest::fromStart()), OpenResult::FileNotFound);
  ASSERT_EQ(rig_.controls.messages.size(), 1u);
  EXPECT_EQ(rig_.controls.messages[0].first, "File not found.");
  EXPECT_EQ(rig_.controls.messages[0].second, "Error");
  EXPECT_TRUE(player_.playback.paused);
  EXPECT_FALSE(player_.playback.fileHandle.isOpen());
  EXPECT_TRUE(player_.shell.currentFileName.empty());
  // Listed all the same: the list is updated before the file is opened.
  EXPECT_EQ(player_.shell.recentFiles[0], dir_ + "/nowhere.cpk");
  EXPECT_EQ(rig_.log.back(), "controls.message Error: File not found.");
  player_.shell.currentFileName = dir_;  // a folder is no movie file
  EXPECT_EQ(openMovie(player_, OpenRequest::fromStart()), OpenResult::FileNotFound);
}

TEST_F(MovieOpenTest, UnknownHeaderKeepsTheNameAndClosesTheFile) {
  FilmSpec spec = soundMovie();
  spec.stabTag = "STAX";
  EXPECT_EQ(openSpec(spec), OpenResult::UnknownHeader);
  ASSERT_EQ(rig_.controls.messages.size(), 1u);
  EXPECT_EQ(rig_.controls.messages[0].first, kUnknownHeaderText);
  EXPECT_EQ(rig_.controls.messages[0].second, "Error");
  EXPECT_TRUE(player_.playback.paused);
  EXPECT_FALSE(player_.playback.fileHandle.isOpen());
  EXPECT_FALSE(player_.shell.currentFileName.empty());
  EXPECT_TRUE(rig_.controls.title.empty()) << "the title is not changed";
  EXPECT_EQ(rig_.controls.status[1], "");
}

TEST_F(MovieOpenTest, CloseResetsControlsAndKeepsProperty) {
  ASSERT_EQ(openSpec(soundMovie()), OpenResult::Opened);
  rig_.log.clear();
  player_.shell.currentFileName.clear();
  EXPECT_EQ(openMovie(player_, OpenRequest::fromStart()), OpenResult::Closed);
  EXPECT_FALSE(player_.playback.fileHandle.isOpen());
  EXPECT_EQ(rig_.controls.status[1], "");
  EXPECT_EQ(rig_.controls.status[2], "");
  EXPECT_FALSE(rig_.controls.buttonEnabled[40013]);
  EXPECT_FALSE(rig_.controls.buttonEnabled[40014]);
  EXPECT_EQ(rig_.controls.menuState[40014], MenuState::Disabled);
  EXPECT_EQ(rig_.controls.menuState[40017], MenuState::Enabled);
  EXPECT_TRUE(rig_.controls.messages.empty());
}

// Malformed headers: each is refused with the unknown-header message or cut
// to what fits, never read past a buffer.
struct BadHeader {
  const char* name;
  void (*make)(FilmSpec&, std::vector<uint8_t>&);
  OpenResult result;
  int32_t entries;  // entries kept when the movie opens
};

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v >> 24);
  b[at + 1] = uint8_t(v >> 16);
  b[at + 2] = uint8_t(v >> 8);
  b[at + 3] = uint8_t(v);
}

const BadHeader kBadHeaders[] = {
    {"entry count negative",
     [](FilmSpec& s, std::vector<uint8_t>& b) { put32(b, test::stabOffset(s) + 12, 0x80000000u); },
     OpenResult::UnknownHeader, 0},
    {"entry count minus one",
     [](FilmSpec& s, std::vector<uint8_t>& b) { put32(b, test::stabOffset(s) + 12, 0xFFFFFFFFu); },
     OpenResult::UnknownHeader, 0},
    {"entry count beyond the chunk",
     [](FilmSpec& s, std::vector<uint8_t>& b) { put32(b, test::stabOffset(s) + 12, 1000); },
     OpenResult::Opened, 3},
    {"entry count huge",
     [](FilmSpec& s, std::vector<uint8_t>& b) { put32(b, test::stabOffset(s) + 12, 0x7FFFFFFF); },
     OpenResult::Opened, 3},
    {"entry count below the chunk",
     [](FilmSpec& s, std::vector<uint8_t>& b) { put32(b, test::stabOffset(s) + 12, 2); },
     OpenResult::Opened, 2},
    {"entry count zero",
     [](FilmSpec& s, std::vector<uint8_t>& b) { put32(b, test::stabOffset(s) + 12, 0); },
     OpenResult::Opened, 0},
    {"table chunk length 15",
     [](FilmSpec& s, std::vector<uint8_t>& b) { put32(b, test::stabOffset(s) + 4, 15); },
     OpenResult::UnknownHeader, 0},
    {"table chunk length 0",
     [](FilmSpec& s, std::vector<uint8_t>& b) { put32(b, test::stabOffset(s) + 4, 0); },
     OpenResult::UnknownHeader, 0},
    {"table chunk length 16 holds no entry",
     [](FilmSpec& s, std::vector<uint8_t>& b) { put32(b, test::stabOffset(s) + 4, 16); },
     OpenResult::Opened, 0},
    {"table chunk length all ones",
     [](FilmSpec& s, std::vector<uint8_t>& b) { put32(b, test::stabOffset(s) + 4, 0xFFFFFFFFu); },
     OpenResult::Opened, 3},
    {"description length 31", [](FilmSpec&, std::vector<uint8_t>& b) { put32(b, 20, 31); },
     OpenResult::UnknownHeader, 0},
    {"description length 7", [](FilmSpec&, std::vector<uint8_t>& b) { put32(b, 20, 7); },
     OpenResult::UnknownHeader, 0},
    {"description length 0", [](FilmSpec&, std::vector<uint8_t>& b) { put32(b, 20, 0); },
     OpenResult::UnknownHeader, 0},
    {"description length all ones",
     [](FilmSpec&, std::vector<uint8_t>& b) { put32(b, 20, 0xFFFFFFFFu); },
     OpenResult::UnknownHeader, 0},
    {"no description",
     [](FilmSpec& s, std::vector<uint8_t>& b) {
       b.erase(b.begin() + 16, b.begin() + long(test::stabOffset(s)));
     },
     OpenResult::UnknownHeader, 0},
    {"sound at 0 Hz", [](FilmSpec&, std::vector<uint8_t>& b) { put32(b, 16 + 24, 0x0000FFFFu); },
     OpenResult::UnknownHeader, 0},
    {"unknown chunk after the description",
     [](FilmSpec& s, std::vector<uint8_t>& b) { b[test::stabOffset(s)] = 'X'; },
     OpenResult::UnknownHeader, 0},
};

class BadHeaderTest : public MovieOpenTest, public ::testing::WithParamInterface<BadHeader> {};

TEST_P(BadHeaderTest, IsRefusedOrClipped) {
  FilmSpec spec = soundMovie();
  std::vector<uint8_t> bytes = test::buildFilm(spec);
  GetParam().make(spec, bytes);
  EXPECT_EQ(openBytes(bytes), GetParam().result);
  if (GetParam().result == OpenResult::Opened) {
    EXPECT_EQ(player_.table().entryCount, GetParam().entries);
  } else {
    EXPECT_FALSE(player_.playback.fileHandle.isOpen());
    EXPECT_TRUE(player_.playback.paused);
  }
}

INSTANTIATE_TEST_SUITE_P(Malformed, BadHeaderTest, ::testing::ValuesIn(kBadHeaders),
                         [](const auto& param) {
                           std::string n = param.param.name;
                           for (char& c : n)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

TEST_F(MovieOpenTest, TableLongerThanTheBufferKeepsTheFirst8191Entries) {
  FilmSpec spec;
  for (int i = 0; i < 9000; ++i)
    spec.samples.push_back(test::videoSample(std::vector<uint8_t>(1, uint8_t(i)), uint32_t(i)));
  ASSERT_EQ(openSpec(spec), OpenResult::Opened);
  const SampleTable& t = player_.table();
  EXPECT_EQ(t.entryCount, kMaxSampleEntries);
  EXPECT_EQ(t.entries[kMaxSampleEntries - 1].timeStamp(), kMaxSampleEntries - 1);
  uint8_t byte = 0;
  ASSERT_EQ(readSample(player_, t.entries[8000], &byte, 1), 1u);
  EXPECT_EQ(byte, uint8_t(8000));
}

TEST_F(MovieOpenTest, EveryTruncationIsRefusedOrCutToWholeEntries) {
  const FilmSpec spec = soundMovie();
  const std::vector<uint8_t> whole = test::buildFilm(spec);
  const size_t tableEnd = test::firstSampleOffset(spec);
  for (size_t n = 0; n < tableEnd; ++n) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(n));
    const OpenResult r = openBytes(cut, "cut.cpk");
    const size_t entriesStart = test::stabOffset(spec) + 16;
    if (n < entriesStart) {
      EXPECT_EQ(r, OpenResult::UnknownHeader) << n;
    } else {
      ASSERT_EQ(r, OpenResult::Opened) << n;
      EXPECT_EQ(size_t(player_.table().entryCount), (n - entriesStart) / 16) << n;
    }
  }
}

TEST_F(MovieOpenTest, ReopeningAtAHeaderReadsThatMovie) {
  // Two movies, at 0 and 614,400; the second is 64x64 with one frame.
  std::vector<uint8_t> file = test::buildFilm(soundMovie());
  FilmSpec second;
  second.samples.push_back(test::videoSample(std::vector<uint8_t>(20, 0x77), 0));
  test::placeAt(file, 614400, test::buildFilm(second));
  ASSERT_EQ(openBytes(file), OpenResult::Opened);
  player_.headerOffsets.offsets[1] = 614400;
  ASSERT_EQ(openMovie(player_, OpenRequest::header(1)), OpenResult::Opened);
  EXPECT_EQ(player_.playback.headerIndex, 1);
  EXPECT_EQ(player_.playback.frameWidth, 64);
  EXPECT_EQ(player_.table().entryCount, 1);
  EXPECT_EQ(player_.headerOffsets.offsets[1], 614400) << "the table is kept";
  EXPECT_EQ(sampleFilePosition(player_, 0), 614400 + test::firstSampleOffset(second));
  uint8_t buffer[32];
  ASSERT_EQ(readSample(player_, player_.table().entries[0], buffer, sizeof buffer), 20u);
  EXPECT_EQ(buffer[19], 0x77);
  EXPECT_NE(rig_.controls.title.find("movie.cpk:1 - Zentrov"), std::string::npos);
}

TEST_F(MovieOpenTest, ReopeningAtAnUnusedHeaderIsRefused) {
  ASSERT_EQ(openSpec(soundMovie()), OpenResult::Opened);
  EXPECT_EQ(openMovie(player_, OpenRequest::header(5)), OpenResult::UnknownHeader);
  EXPECT_FALSE(player_.playback.fileHandle.isOpen());
}

// The status parts keep their widths from the right edge, also in a window
// narrower than they are; a resized client area stretches the picture
// between the bars.
TEST(WindowLayout, StatusPartsAndResizedClientArea) {
  EXPECT_EQ(statusPartEdges(640), (std::array<int32_t, 5>{0, 464, 544, 608, 640}));
  EXPECT_EQ(statusPartEdges(100), (std::array<int32_t, 5>{0, -76, 4, 68, 100}));
  WindowLayout layout;
  layout.toolbarHeight = 26;
  layout.statusBarHeight = 20;
  const WindowLayout resized = clientResized(layout, 700, 546);
  EXPECT_EQ(resized.displayWidth, 700);
  EXPECT_EQ(resized.displayHeight, 500);
}

TEST(WindowTitle, NamesTheFilePartAndTheHeaderIndex) {
  test::FakeRig rig;
  Player& p = rig.player;
  EXPECT_EQ(windowTitle(p), "");
  p.shell.currentFileName = "D:\\movies\\intro.cpk";
  EXPECT_EQ(windowTitle(p), "intro.cpk - Zentrov");
  p.headerOffsets.offsets[0] = 0;
  p.headerOffsets.offsets[1] = 2048;
  p.playback.headerIndex = 3;
  EXPECT_EQ(windowTitle(p), "intro.cpk:3 - Zentrov");
  p.shell.currentFileName = "/home/a/" + std::string(300, 'x');
  EXPECT_LE(windowTitle(p).size(), kMaxFileName);
  EXPECT_NE(windowTitle(p).find(":3 - Zentrov"), std::string::npos);
}

}  // namespace
}  // namespace zentrov
