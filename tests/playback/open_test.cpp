// Opening movies: headers found, clamped or refused; damaged movies played.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <regex>

#include "playback/playback_tick.h"
#include "playback/transport.h"
#include "playback/window_layout.h"
#include "support/fake_ports.h"

namespace zentrov::test {
namespace {

FilmSpec soundMovie() {
  FilmSpec spec{320, 224, 2};
  spec.samples = {audioSample(Bytes(400, 1)), videoSample(Bytes(100, 2), 0, true, 7),
                  videoSample(Bytes(90, 3), 40, false, -3)};
  return spec;
}

// The sound movie, edited before and patched after it is written.
Bytes make(const std::function<void(FilmSpec&)>& edit, const std::function<void(Bytes&)>& patch) {
  FilmSpec spec = soundMovie();
  if (edit) edit(spec);
  Bytes bytes = buildFilm(spec);
  if (patch) patch(bytes);
  return bytes;
}
Bytes withWord(size_t at, uint32_t value) {
  return make({}, [=](Bytes& b) { put32(b, at, value); });
}
Bytes fallback(size_t at = 0, uint8_t value = 0) {
  return make([](FilmSpec& s) { s.fallbackLayout = true; }, [=](Bytes& b) { b[at] |= value; });
}

// What an open leaves: the refusal, or the sizes as stored and as played, the
// entries kept, where the header was found, the Search header item and the
// length and first byte of the last sample as read from the file.
std::string opened(FakePorts& rig, OpenResult result) {
  if (result != OpenResult::Opened) return result == OpenResult::UnknownHeader ? "unknown" : "?";
  const Player& p = rig.player;
  const SampleTable& t = p.table();
  uint8_t buffer[128] = {};
  const size_t got =
      t.entryCount > 0 ? readSample(rig.player, t.entries[t.entryCount - 1], buffer, 128) : 0;
  char text[160];
  std::snprintf(text, sizeof text, "%dx%d as %dx%d, %d entries at %d, search %s, last %zu x %02x",
                p.stream.width, p.stream.height, p.playback.frameWidth, p.playback.frameHeight,
                t.entryCount, p.headerOffsets.offsets[0], rig.last["menu 40020"].c_str(), got,
                buffer[0]);
  return text;
}

TEST(Open, HeadersAreReadClampedRefusedOrCut) {
  const size_t stab = stabOffset(soundMovie());
  const std::string whole = "320x224 as 320x224, 3 entries at 0, search enabled, last 90 x 03";
  auto sized = [](int32_t w, int32_t h) {
    return make([=](FilmSpec& s) { s.width = w, s.height = h; }, {});
  };
  const std::pair<Bytes, std::string> cases[] = {
      {make({}, {}), whole},
      {sized(1000, 1000), "1000x1000 as 768x512, 3 entries at 0, search enabled, last 90 x 03"},
      {sized(-5, -70000), "-5x-70000 as 64x64, 3 entries at 0, search enabled, last 90 x 03"},
      {sized(65, 221), "65x221 as 65x224, 3 entries at 0, search enabled, last 90 x 03"},
      // No signature: version "1.09" and both size fields 0x0000FFFF, at 320x224.
      {fallback(), "320x224 as 320x224, 3 entries at 0, search disabled, last 90 x 03"},
      {fallback(8, 0x02), "unknown"},
      {fallback(16 + 12, 0x01), "unknown"},
      {fallback(16 + 16, 0x01), "unknown"},
      // The signature is looked for up to offset 251; the block is read whole.
      {make({}, [](Bytes& b) { b.insert(b.begin(), 251, 0x5A); }),
       "320x224 as 320x224, 3 entries at 251, search enabled, last 90 x 03"},
      {make({}, [](Bytes& b) { b.insert(b.begin(), 252, 0x5A); }), "unknown"},
      // The last of several descriptions counts; a long one is skipped to its end.
      {make([](FilmSpec& s) { s.fdscCount = 3; }, [](Bytes& b) { b[16 + 19] = b[48 + 19] = 9; }),
       whole},
      {make({},
            [](Bytes& b) {
              b.insert(b.begin() + 48, 5000 - 32, 0xEE);
              put32(b, 20, 5000);
              put32(b, 4, uint32_t(firstSampleOffset(soundMovie()) + 5000 - 32));
            }),
       whole},
      {withWord(stab + 12, 2), "320x224 as 320x224, 2 entries at 0, search enabled, last 100 x 02"},
      // A description short of its 32 bytes, with the table right after it.
      {make({}, [](Bytes& b) { put32(b, 20, 31), b.erase(b.begin() + 47); }), "unknown"},
      {make({}, [=](Bytes& b) { b.erase(b.begin() + 16, b.begin() + long(stab)); }), "unknown"},
      {withWord(16 + 24, 0x0000FFFFu), "unknown"},  // sound at 0 Hz
      {make(
           [](FilmSpec& s) {
             s.samples.clear();
             for (int i = 0; i < 9000; ++i) s.samples.push_back(videoSample({uint8_t(i)}, 0));
           },
           {}),
       "320x224 as 320x224, 8191 entries at 0, search enabled, last 1 x fe"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    FakePorts rig;
    const std::string path = writeScratch("case" + std::to_string(i) + ".cpk", cases[i].first);
    EXPECT_EQ(opened(rig, rig.open(path)), cases[i].second) << "case " << i;
    EXPECT_EQ(rig.player.playback.paused, cases[i].second == "unknown") << "case " << i;
  }
}

// The controls are off while the file is read and on again after it; the
// window, title and status bar follow the movie.
TEST(Open, ControlsAroundTheReading) {
  FakePorts rig;
  const std::string path = writeScratch("dir/choreography.cpk",
                                        make([](FilmSpec& s) { s.width = 80, s.height = 64; }, {}));
  ASSERT_EQ(rig.open(path), OpenResult::Opened);
  const std::string& log = rig.log;
  EXPECT_LT(log.find("menu 40014 disabled"), log.find("present"));
  EXPECT_LT(log.find("present"), log.find("menu 40014 enabled"));
  EXPECT_EQ(rig.last["resize"] + "|" + rig.last["title"] + "|" + rig.last["status 3"] + "|" +
                rig.last["status 4"] + "|" + rig.last["button 40013"] + rig.last["button 40014"],
            "80x64 x1|choreography.cpk - Zentrov| 80x 64|----|11");
}

// A missing file is forgotten but listed; an unknown header keeps the name
// and the title; an unused header entry is refused too. The title names the
// file part and the header.
TEST(Open, RefusalsLeaveNoMovieAndTheTitleNamesTheFileAndHeader) {
  FakePorts rig;
  Player& p = rig.player;
  const std::string missing = scratchPath("nowhere.cpk");
  EXPECT_EQ(rig.open(missing), OpenResult::FileNotFound);
  EXPECT_EQ(rig.last["message"] + p.shell.currentFileName + "|" + p.shell.recentFiles[0],
            "Error: File not found.|" + missing);
  EXPECT_EQ(rig.open(scratchPath("")), OpenResult::FileNotFound);  // a folder
  EXPECT_EQ(rig.open(writeScratch("bad.cpk", Bytes(300, 'x'))), OpenResult::UnknownHeader);
  EXPECT_EQ(rig.last["message"], std::string("Error: ") + kUnknownHeaderText);
  EXPECT_EQ(rig.last.count("title") + p.shell.currentFileName.empty(), 0u);
  EXPECT_TRUE(p.playback.paused && !p.playback.fileHandle.isOpen());
  ASSERT_EQ(rig.open("good.cpk", soundMovie()), OpenResult::Opened);
  EXPECT_EQ(openMovie(p, OpenRequest::header(5)), OpenResult::UnknownHeader);
  EXPECT_TRUE(p.playback.paused && !p.playback.fileHandle.isOpen());
  p.shell.currentFileName = "D:\\movies/intro.cpk";
  EXPECT_EQ(windowTitle(p), "intro.cpk - Zentrov");
  p.headerOffsets.offsets[0] = -1;  // the suffix shows when a second header exists
  p.headerOffsets.offsets[1] = 2048;
  p.playback.headerIndex = 3;
  EXPECT_EQ(windowTitle(p), "intro.cpk:3 - Zentrov");
  p.shell.currentFileName = std::string(300, 'x');
  EXPECT_EQ(windowTitle(p), std::string(kMaxFileName - 12, 'x') + ":3 - Zentrov");
}

// "entries N, pictures converted/presented, sound" and the bytes of each ring
// write; or the message of a refusal, after which not even a step plays.
std::string play(const std::string& name) {
  FakePorts rig;
  if (rig.open(dataPath("malformed/" + name)) != OpenResult::Opened) {
    stepFrame(rig.player);
    playbackTick(rig.player);
    return rig.last["message"] + (rig.presents == 1 ? "" : " and played");
  }
  selectFrameRate(rig.player, FrameRateMode::NoWait);
  const size_t mark = rig.log.size();
  const int converts = rig.converts, presents = rig.presents;
  for (int i = 0; i < 100 && !rig.player.playback.paused; ++i) playbackTick(rig.player);
  const std::string log = rig.since(mark);
  std::string sound;
  static const std::regex write("write \\d+ (\\d+)\n");
  for (std::sregex_iterator m(log.begin(), log.end(), write), end; m != end; ++m)
    sound += " " + (*m)[1].str();
  return "entries " + std::to_string(rig.player.table().entryCount) + ", pictures " +
         std::to_string(rig.converts - converts) + "/" + std::to_string(rig.presents - presents) +
         ", sound" + sound + (rig.last["status 1"] == "End." ? "" : ", not ended");
}

// Movies damaged from one of 4 pictures and 8 sound chunks: refused, or
// played to the end with the damaged part skipped.
TEST(Open, DamagedMoviesAreRefusedOrPlayedWithoutTheDamage) {
  const std::string refused = std::string("Error: ") + kUnknownHeaderText;
  const std::string all = " 4096 4096 4096 4096 4096 4096 4096 3328";
  const std::pair<const char*, std::string> groups[] = {
      {"entry_count_negative fdsc_length_0 fdsc_length_7 fdsc_length_ffffffff stab_length_0 "
       "stab_length_7",
       refused},
      {"entry_count_huge stab_length_ffffffff", "entries 12, pictures 4/4, sound" + all},
      // A picture that cannot be read or decoded shows the previous one again.
      {"video_sample_longer_than_buffer sample_offset_past_end cinepak_chunk_size_0 "
       "cinepak_chunk_size_1 cinepak_chunk_size_2 cinepak_chunk_size_3 "
       "cinepak_strip_taller_than_frame cinepak_strip_wider_than_frame",
       "entries 12, pictures 3/4, sound" + all},
      // Sound that cannot be read gives none; a cut-off picture is skipped.
      {"audio_sample_longer_than_buffer", "entries 12, pictures 4/4, sound" + all.substr(5)},
      {"truncated_mid_sample", "entries 12, pictures 3/4, sound" + all.substr(0, 30)},
  };
  for (const auto& [group, expected] : groups) {
    std::istringstream names(group);
    for (std::string name; names >> name;) EXPECT_EQ(play(name + ".cpk"), expected) << name;
  }
  // An ADX header offset past the first sample silences that sample only.
  const std::string whole = play("undamaged_adx_reference.cpk");
  const size_t first = whole.find(' ', whole.find("sound") + 6);
  ASSERT_NE(first, std::string::npos) << whole;
  EXPECT_EQ(play("adx_header_offset_larger_than_sample.cpk"),
            whole.substr(0, whole.find("sound") + 5) + whole.substr(first));
}

}  // namespace
}  // namespace zentrov::test
