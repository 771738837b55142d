// End to end: zentrov-cli frames, audio and bench on movies that Debian's
// ffmpeg makes at test time, compared with ffmpeg's own decoding.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "support/test_paths.h"

namespace zentrov {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::runCommand;

const std::string kFfmpeg = "ffmpeg -hide_banner -loglevel error ";

// Largest difference of one colour component between our pictures of grey
// content and ffmpeg's. Measured: 0 on these movies (no colour difference, so
// the colour weights do not matter); 1 leaves room for rounding.
constexpr int kGreyTolerance = 1;
// Largest difference of luma (0.299 R + 0.587 G + 0.114 B) on colour content:
// the player's colour weights differ from ffmpeg's, which moves luma by up to
// about 0.07 x |U| (7.84 measured on these saturated test bars).
constexpr double kLumaTolerance = 10.0;

uint32_t be32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
         uint32_t(uint8_t(s[at + 2])) << 8 | uint32_t(uint8_t(s[at + 3]));
}
uint32_t le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | uint8_t(s[at + size_t(i)]);
  return v;
}
std::string leBytes(size_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += char(v >> (8 * i));
  return s;
}
std::vector<int16_t> samples(const std::string& bytes, size_t from) {
  std::vector<int16_t> s(bytes.size() > from ? (bytes.size() - from) / 2 : 0);
  for (size_t i = 0; i < s.size(); ++i) s[i] = int16_t(le(bytes, from + 2 * i, 2));
  return s;
}
std::string quoted(const std::string& s) {
  return "'" + s + "'";
}
double luma(uint32_t p) {
  return 0.299 * ((p >> 16) & 0xFF) + 0.587 * ((p >> 8) & 0xFF) + 0.114 * (p & 0xFF);
}

// The parts of a FILM file written by ffmpeg that the tests look at.
struct Movie {
  struct Entry {
    size_t row, at, length;  // the entry's place in the table; its data's place and length
    bool video;
  };
  std::string path, bytes;
  int32_t width = 0, height = 0;
  int channels = 0;
  uint32_t rate = 0;
  std::vector<Entry> entries;  // table order
  std::vector<int> video;      // table indices of the video entries
};

Movie readMovie(const std::string& path) {
  Movie m;
  m.path = path;
  m.bytes = readFile(path);
  const std::string& b = m.bytes;
  if (b.compare(0, 4, "FILM") != 0) {
    ADD_FAILURE() << path << " is not a FILM file";
    return m;
  }
  m.height = int32_t(be32(b, 28));
  m.width = int32_t(be32(b, 32));
  m.channels = b[37];
  m.rate = be32(b, 40) >> 16;
  const size_t stab = 16 + be32(b, 20);
  for (uint32_t i = 0; i < be32(b, stab + 12); ++i) {
    const size_t e = stab + 16 + 16 * size_t(i);
    const bool video = be32(b, e + 8) != 0xFFFFFFFFu;
    if (video) m.video.push_back(int(i));
    m.entries.push_back({e, be32(b, 4) + be32(b, e), be32(b, e + 4), video});
  }
  return m;
}

// Picture `index` of `frames --format bmp` in `dir`, a 24-bit bottom-up BMP,
// as 0x00RRGGBB, top row first.
std::vector<uint32_t> readBmp(const std::string& dir, int index, int32_t width, int32_t height) {
  char path[512];
  std::snprintf(path, sizeof path, "%s/%06d.bmp", dir.c_str(), index);
  const std::string b = readFile(path);
  const size_t stride = (3 * size_t(width) + 3) & ~size_t{3};
  if (b.size() != 54 + stride * size_t(height)) {
    ADD_FAILURE() << path << " is " << b.size() << " bytes";
    return {};
  }
  // The file header, then the info header up to the height.
  EXPECT_EQ(b.substr(0, 26), "BM" + leBytes(b.size(), 4) + leBytes(0, 4) + leBytes(54, 4) +
                                 leBytes(40, 4) + leBytes(width, 4) + leBytes(height, 4))
      << path;
  std::vector<uint32_t> pixels;
  for (int32_t y = height - 1; y >= 0; --y)
    for (int32_t x = 0; x < width; ++x) pixels.push_back(le(b, 54 + size_t(y) * stride + 3 * x, 3));
  return pixels;
}

// What ffmpeg decodes from `input` (its -i arguments): pictures as
// 0x00RRGGBB, one vector per frame.
std::vector<std::vector<uint32_t>> ffmpegPictures(const std::string& input, size_t pixels) {
  std::string raw;
  runCommand(kFfmpeg + input + " -fps_mode passthrough -f rawvideo -pix_fmt bgr0 -", raw);
  std::vector<std::vector<uint32_t>> frames;
  for (size_t at = 0; at + pixels * 4 <= raw.size(); at += pixels * 4) {
    frames.emplace_back(pixels);
    for (size_t i = 0; i < pixels; ++i) frames.back()[i] = le(raw, at + 4 * i, 3);
  }
  return frames;
}

// ffmpeg's sound in the stream's own channel count, left before right.
std::vector<int16_t> ffmpegSound(const std::string& path) {
  std::string raw;
  runCommand(kFfmpeg + "-i " + quoted(path) + " -vn -f s16le -", raw);
  return samples(raw, 0);
}

class CliExport : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = test::scratchDir("cli-export");
    // Grey mandelbrot and colour test bars, with two different sine channels.
    const std::string grey = "-f lavfi -i mandelbrot=size=128x96:rate=10";
    const std::string colour = "-f lavfi -i testsrc2=size=96x64:rate=10";
    const std::string sound =
        " -f lavfi -i 'aevalsrc=0.6*sin(440*2*PI*t)|0.3*sin(1000*2*PI*t)+0.1:s=22050'";
    const std::string greyOut = " -vf hue=s=0,format=rgb24", colourOut = " -vf format=rgb24";
    make("grey_s16_stereo", grey + sound + greyOut + " -t 1.5 -c:a pcm_s16be_planar");
    make("colour_s8_stereo", colour + sound + colourOut + " -t 1 -c:a pcm_s8_planar");
    make("colour_s16_mono", colour + sound + colourOut + " -t 1 -ac 1 -c:a pcm_s16be_planar");
    make("colour_s8_mono", colour + sound + colourOut + " -t 1 -ac 1 -c:a pcm_s8_planar");
    make("colour_adx_stereo", colour + sound + colourOut + " -t 1 -c:a adpcm_adx");
    make("colour_adx_mono", colour + sound + colourOut + " -t 1 -ac 1 -c:a adpcm_adx");
    make("grey_silent", grey + greyOut + " -t 0.8 -an");
  }
  // `options`: ffmpeg's inputs and output options, before the codecs and file.
  static void make(const std::string& name, const std::string& options) {
    std::string out;
    if (runCommand(kFfmpeg + "-y " + options + " -c:v cinepak -f film_cpk " +
                       quoted(moviePath(name)) + " 2>&1",
                   out) != 0)
      ADD_FAILURE() << "ffmpeg could not make " << name << ": " << out;
  }
  static std::string scratch(const std::string& name) { return dir_ + "/" + name; }
  static std::string moviePath(const std::string& name) { return scratch(name + ".cpk"); }
  struct Run {
    int status;
    std::string out;
  };
  static Run cli(const std::string& args) {
    Run run;
    run.status = runCommand(quoted(test::cliPath()) + " " + args + " 2>/dev/null", run.out);
    return run;
  }
  static void exportFrames(const std::string& movie, const std::string& dir, const char* format) {
    EXPECT_EQ(cli("frames " + quoted(movie) + " " + quoted(dir) + format).status, 0) << dir;
  }

  // Runs `audio` and returns the WAV's samples, checking its header: 16-bit
  // stereo PCM at the movie's rate.
  static std::vector<int16_t> exportSound(const Movie& m, const std::string& wav) {
    EXPECT_EQ(cli("audio " + quoted(m.path) + " " + quoted(wav)).status, 0);
    const std::string w = readFile(wav);
    EXPECT_EQ(w.substr(0, 44), "RIFF" + leBytes(w.size() - 8, 4) + "WAVEfmt " + leBytes(16, 4) +
                                   leBytes(1, 2) + leBytes(2, 2) + leBytes(m.rate, 4) +
                                   leBytes(m.rate * 4, 4) + leBytes(4, 2) + leBytes(16, 2) +
                                   "data" + leBytes(w.size() - 44, 4));
    return samples(w, 44);
  }

  inline static std::string dir_;
};

TEST_F(CliExport, FramesMatchFfmpegOnGreyAndOnLumaOfColourInPngAndBmp) {
  for (const char* name : {"grey_s16_stereo", "colour_s8_stereo"}) {
    SCOPED_TRACE(name);
    const Movie m = readMovie(moviePath(name));
    const std::string bmp = scratch(std::string("bmp-") + name);
    const std::string png = scratch(std::string("png-") + name + "/nested");
    exportFrames(m.path, bmp, " --format bmp");
    exportFrames(m.path, png, "");  // png by default
    const size_t pixels = size_t(m.width) * m.height;
    const auto reference = ffmpegPictures("-i " + quoted(m.path), pixels);
    // ffmpeg reads the PNG files back in name order.
    const auto pngs = ffmpegPictures("-pattern_type glob -i " + quoted(png + "/*.png"), pixels);
    ASSERT_EQ(reference.size(), m.video.size());
    ASSERT_EQ(pngs.size(), m.video.size());
    // One file per video entry, named after its index in the table.
    EXPECT_EQ(std::distance(fs::directory_iterator(bmp), fs::directory_iterator()),
              std::ptrdiff_t(m.video.size()));

    int worst = 0;
    double worstLuma = 0;
    for (size_t f = 0; f < m.video.size(); ++f) {
      const std::vector<uint32_t> picture = readBmp(bmp, m.video[f], m.width, m.height);
      ASSERT_TRUE(picture == pngs[f]) << "png and bmp differ at frame " << f;
      for (size_t i = 0; i < pixels; ++i) {
        const uint32_t a = picture[i], b = reference[f][i];
        worstLuma = std::max(worstLuma, std::fabs(luma(a) - luma(b)));
        for (int shift = 0; shift < 24; shift += 8)
          worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
      }
    }
    if (std::strncmp(name, "grey", 4) == 0) {
      EXPECT_LE(worst, kGreyTolerance);
    }
    EXPECT_LE(worstLuma, kLumaTolerance);
    std::printf("[ measured ] %s: largest component difference %d, luma %.2f\n", name, worst,
                worstLuma);
  }
}

TEST_F(CliExport, FrameThatFailsToDecodeLeavesThePreviousPicture) {
  const Movie m = readMovie(moviePath("grey_s16_stereo"));
  // Exports the movie with the video entries `broken` cut to half their
  // length, so that they fail part way through; returns the pictures in table
  // order.
  auto exportBroken = [&](const std::string& name, std::vector<int> broken) {
    std::string bytes = m.bytes;
    for (int index : broken) {
      const Movie::Entry& e = m.entries[size_t(index)];
      for (int k = 0; k < 4; ++k) bytes[e.row + 4 + size_t(k)] = char(e.length / 2 >> (24 - 8 * k));
    }
    const std::string path = scratch(name + ".cpk"), out = scratch(name);
    EXPECT_TRUE(test::writeFile(path, bytes));
    exportFrames(path, out, " --format bmp");
    std::vector<std::vector<uint32_t>> pictures;
    for (int index : m.video) pictures.push_back(readBmp(out, index, m.width, m.height));
    return pictures;
  };
  const auto intact = exportBroken("intact", {});
  // A frame that changes the picture, to break.
  size_t f = 1;
  while (f < intact.size() && intact[f] == intact[f - 1]) ++f;
  ASSERT_LT(f, intact.size()) << "the movie never changes";
  const auto middle = exportBroken("middle", {m.video[f]});
  const auto first = exportBroken("first", {m.video[0]});
  const std::vector<uint32_t> black(size_t(m.width) * m.height, 0);
  ASSERT_NE(intact[0], black);
  EXPECT_EQ(middle[f], intact[f - 1]);  // shown again in place of the broken one
  EXPECT_EQ(first[0], black);           // the picture the open cleared
}

TEST_F(CliExport, PcmSoundMatchesFfmpeg) {
  for (const char* name :
       {"grey_s16_stereo", "colour_s16_mono", "colour_s8_stereo", "colour_s8_mono"}) {
    SCOPED_TRACE(name);
    const bool eightBit = std::strstr(name, "_s8_") != nullptr;
    const Movie m = readMovie(moviePath(name));
    const std::vector<int16_t> ours = exportSound(m, scratch(std::string(name) + ".wav"));
    const std::vector<int16_t> theirs = ffmpegSound(m.path);
    ASSERT_FALSE(theirs.empty());
    ASSERT_EQ(ours.size(), theirs.size() * size_t(3 - m.channels));
    size_t differing = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
      const uint16_t a = uint16_t(ours[i]), b = uint16_t(theirs[m.channels == 2 ? i : i / 2]);
      // ffmpeg widens 8-bit sound by byte << 8, the player by byte x 257.
      ASSERT_EQ(a, eightBit ? uint16_t(b | b >> 8) : b) << "sample " << i;
      differing += a != b;
    }
    EXPECT_EQ(differing > 0, eightBit);
  }
}

TEST_F(CliExport, AdxSoundHasTheBlocksLengthAndFollowsFfmpeg) {
  for (const char* name : {"colour_adx_stereo", "colour_adx_mono"}) {
    SCOPED_TRACE(name);
    const Movie m = readMovie(moviePath(name));
    // 32 frames per whole block (pair) in each audio entry; the first entry
    // begins with the stream header, which ends 4 bytes after its offset field.
    size_t frames = 0;
    bool first = true;
    for (const Movie::Entry& e : m.entries) {
      if (e.video) continue;
      size_t length = e.length;
      if (std::exchange(first, false)) {
        ASSERT_EQ(be32(m.bytes, e.at) >> 16, 0x8000u);
        length -= std::min(length, size_t(be32(m.bytes, e.at) & 0xFFFF) + 4);
      }
      frames += length / (18 * size_t(m.channels)) * 32;
    }
    const std::vector<int16_t> ours = exportSound(m, scratch(std::string(name) + ".wav"));
    ASSERT_EQ(ours.size(), frames * 2);
    ASSERT_GT(frames, 20000u);  // about a second at 22,050 Hz

    // The player's fixed predictor differs from ffmpeg's, so the samples do
    // not match; each channel must still follow ffmpeg's (about 0.95 measured),
    // which swapped channels would not.
    const std::vector<int16_t> theirs = ffmpegSound(m.path);
    for (size_t ch = 0; ch < size_t(m.channels); ++ch) {
      double n = 0, sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
      for (size_t i = 0; 2 * i + ch < ours.size() && m.channels * i + ch < theirs.size(); ++i) {
        const double a = ours[2 * i + ch], b = theirs[m.channels * i + ch];
        n += 1, sa += a, sb += b, saa += a * a, sbb += b * b, sab += a * b;
      }
      EXPECT_GT(std::sqrt(saa / n), 1000.0) << "rms of channel " << ch;
      EXPECT_GT((n * sab - sa * sb) / std::sqrt((n * saa - sa * sa) * (n * sbb - sb * sb)), 0.8)
          << "correlation of channel " << ch;
    }
    // Mono sound goes out alike on both sides.
    for (size_t i = 0; m.channels == 1 && i < ours.size(); i += 2) ASSERT_EQ(ours[i], ours[i + 1]);
  }
}

TEST_F(CliExport, BenchPrintsItsRates) {
  const std::string rate = R"((\d+\.\d))";
  const std::string video =
      "video decode: " + rate + " frames/s\nvideo decode\\+convert: " + rate + " frames/s\n";
  const std::regex withSound(video + "audio decode: " + rate + " sound frames/s\n"), silent(video);
  for (const char* name : {"grey_s16_stereo", "colour_adx_stereo", "grey_silent"}) {
    const Run run = cli("bench " + quoted(moviePath(name)) + " --seconds 0.2");
    EXPECT_EQ(run.status, 0) << name;
    std::smatch m;
    const bool sound = std::strcmp(name, "grey_silent") != 0;
    ASSERT_TRUE(std::regex_match(run.out, m, sound ? withSound : silent)) << name << ":\n"
                                                                          << run.out;
    for (size_t i = 1; i < m.size(); ++i)
      EXPECT_GT(std::stod(m[i]), 0.0) << name << ":\n" << run.out;
  }
}

TEST_F(CliExport, ExitCodesAndNoWavForAMovieWithoutSound) {
  const std::string grey = quoted(moviePath("grey_silent")), dir = quoted(scratch("unused"));
  const std::string wav = scratch("silent.wav");
  const std::pair<std::string, int> cases[] = {{"frames", 1},
                                               {"audio", 1},
                                               {"bench", 1},
                                               {"bench " + grey + " --seconds 0", 1},
                                               {"bench " + grey + " --seconds x", 1},
                                               {"frames " + grey + " " + dir + " --format gif", 1},
                                               {"frames /nonexistent/movie.cpk " + dir, 2},
                                               {"audio /nonexistent/movie.cpk " + dir + ".wav", 2},
                                               {"audio " + grey + " " + quoted(wav), 0}};
  for (const auto& [args, status] : cases) EXPECT_EQ(cli(args).status, status) << args;
  // A picture that cannot be written fails the export, whether it is found
  // while frames are still queued or only at the end; PNGs are written on
  // other threads.
  for (const char* format : {"png", "bmp"}) {
    for (const char* blocked : {"000002", "000007"}) {
      const std::string out = scratch(std::string("blocked-") + format + blocked);
      fs::create_directories(out + "/" + blocked + "." + format);
      EXPECT_EQ(cli("frames " + grey + " " + quoted(out) + " --format " + format).status, 4)
          << format << " " << blocked;
      EXPECT_TRUE(fs::exists(out + "/000000." + format)) << format << " " << blocked;
    }
  }
  const std::string out = cli("audio " + grey + " " + quoted(wav)).out;
  EXPECT_NE(out.find("no sound"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(wav));
}

}  // namespace
}  // namespace zentrov
