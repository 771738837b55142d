// Damaged movies from tests/data/malformed, each through the headless player
// (open, then every entry without waiting): refused with the unknown-header
// message, or played to the end with the bad part skipped.

#include <gtest/gtest.h>

#include <algorithm>

#include "playback/movie_open.h"
#include "playback/playback_tick.h"
#include "playback/transport.h"
#include "support/recording_ports.h"
#include "support/test_paths.h"

namespace zentrov {
namespace {

struct Outcome {
  OpenResult result = OpenResult::Closed;
  int entries = 0;
  int videoEntries = 0;
  int converted = 0;  // pictures put on a back surface
  int presented = 0;  // pictures shown (a skipped one shows the previous picture)
  uint32_t ringBytes = 0;
  std::vector<uint32_t> ringWrites;  // bytes of each write into the sound ring
  bool ended = false;
};

Outcome playFile(const std::string& name) {
  test::FakeRig rig;
  Player& player = rig.player;
  player.shell.currentFileName = test::dataPath("malformed/" + name);
  Outcome o;
  o.result = openMovie(player, OpenRequest::fromStart());
  if (o.result != OpenResult::Opened) return o;
  o.entries = player.table().entryCount;
  for (int i = 0; i < o.entries; ++i) o.videoEntries += !player.table().entries[i].isAudio();
  selectFrameRate(player, FrameRateMode::NoWait);
  const int presentsAtOpen = rig.frames.presents;
  for (int tick = 0; tick < 4 * o.entries + 8 && !player.playback.paused; ++tick)
    playbackTick(player);
  o.ended = player.playback.paused && rig.controls.status[1] == "End.";
  o.converted = int(std::count_if(rig.log.begin(), rig.log.end(), [](const std::string& line) {
    return line.rfind("frames.convert", 0) == 0;
  }));
  o.presented = rig.frames.presents - presentsAtOpen;
  for (const std::string& line : rig.log) {
    if (line.rfind("sound.write ", 0) != 0) continue;
    o.ringWrites.push_back(uint32_t(std::stoul(line.substr(line.rfind(' ') + 1))));
    o.ringBytes += o.ringWrites.back();
  }
  return o;
}

// The reference: the undamaged movie the malformed ones were made from has
// 12 entries, 4 pictures and 8 sound chunks of 4,096 bytes but the last.
TEST(MalformedMovies, RefusedWithTheUnknownHeaderMessage) {
  for (const char* name :
       {"truncated_in_film_block.cpk", "truncated_in_fdsc.cpk", "truncated_in_stab_header.cpk",
        "entry_count_negative.cpk", "fdsc_length_0.cpk", "fdsc_length_7.cpk",
        "fdsc_length_ffffffff.cpk", "stab_length_0.cpk", "stab_length_7.cpk"}) {
    test::FakeRig rig;
    rig.player.shell.currentFileName = test::dataPath(std::string("malformed/") + name);
    EXPECT_EQ(openMovie(rig.player, OpenRequest::fromStart()), OpenResult::UnknownHeader) << name;
    ASSERT_EQ(rig.controls.messages.size(), 1u) << name;
    EXPECT_EQ(rig.controls.messages[0].first, kUnknownHeaderText) << name;
    EXPECT_FALSE(rig.player.playback.fileHandle.isOpen()) << name;
    // Nothing plays afterwards, not even a step.
    stepFrame(rig.player);
    playbackTick(rig.player);
    EXPECT_EQ(rig.frames.presents, 1) << name << ": only the black picture of the open";
  }
}

TEST(MalformedMovies, TablesCutToWhatTheFileHolds) {
  struct Case {
    const char* name;
    int entries;
  };
  for (const Case& c : {Case{"truncated_in_stab_entries.cpk", 5}, Case{"entry_count_huge.cpk", 12},
                        Case{"stab_length_ffffffff.cpk", 12}}) {
    const Outcome o = playFile(c.name);
    ASSERT_EQ(o.result, OpenResult::Opened) << c.name;
    EXPECT_EQ(o.entries, c.entries) << c.name;
    EXPECT_TRUE(o.ended) << c.name;
    EXPECT_EQ(o.presented, o.videoEntries) << c.name;
  }
}

TEST(MalformedMovies, UnreadableSamplesAreSkipped) {
  const Outcome reference = playFile("stab_length_ffffffff.cpk");
  ASSERT_EQ(reference.videoEntries, 4);
  ASSERT_EQ(reference.converted, 4);

  struct Case {
    const char* name;
    int converted;
    uint32_t ringBytes;
  };
  const Case cases[] = {
      // The picture is skipped and the one before it shown again.
      {"video_sample_longer_than_buffer.cpk", 3, reference.ringBytes},
      {"sample_offset_past_end.cpk", 3, reference.ringBytes},
      // A sound chunk that cannot be read gives no sound.
      {"audio_sample_longer_than_buffer.cpk", 4, reference.ringBytes - 4096},
      // The last picture is cut short, and the sound after it is gone.
      {"truncated_mid_sample.cpk", 3, 6 * 4096},
      // The first picture's chunks are damaged: it is skipped, and the
      // pictures after it still decode.
      {"cinepak_chunk_size_0.cpk", 3, reference.ringBytes},
      {"cinepak_chunk_size_1.cpk", 3, reference.ringBytes},
      {"cinepak_chunk_size_2.cpk", 3, reference.ringBytes},
      {"cinepak_chunk_size_3.cpk", 3, reference.ringBytes},
      {"cinepak_strip_taller_than_frame.cpk", 3, reference.ringBytes},
      {"cinepak_strip_wider_than_frame.cpk", 3, reference.ringBytes},
  };
  for (const Case& c : cases) {
    const Outcome o = playFile(c.name);
    ASSERT_EQ(o.result, OpenResult::Opened) << c.name;
    EXPECT_TRUE(o.ended) << c.name;
    EXPECT_EQ(o.presented, 4) << c.name;
    EXPECT_EQ(o.converted, c.converted) << c.name;
    EXPECT_EQ(o.ringBytes, c.ringBytes) << c.name;
  }
}

TEST(MalformedMovies, AdxHeaderOffsetPastTheSampleSilencesOnlyThatSample) {
  const Outcome reference = playFile("undamaged_adx_reference.cpk");
  const Outcome damaged = playFile("adx_header_offset_larger_than_sample.cpk");
  ASSERT_EQ(damaged.result, OpenResult::Opened);
  EXPECT_TRUE(damaged.ended);
  EXPECT_EQ(damaged.converted, reference.converted);
  // The first sample yields nothing; every later one decodes as before.
  ASSERT_FALSE(reference.ringWrites.empty());
  EXPECT_GT(reference.ringWrites[0], 0u);
  EXPECT_EQ(damaged.ringWrites,
            std::vector<uint32_t>(reference.ringWrites.begin() + 1, reference.ringWrites.end()));
}

}  // namespace
}  // namespace zentrov
