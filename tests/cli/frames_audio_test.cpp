// End to end: zentrov-cli frames, audio and bench on movies that Debian's
// ffmpeg makes at test time, compared with ffmpeg's own decoding.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/film_writer.h"
#include "support/test_paths.h"

namespace zentrov {
namespace {

namespace fs = std::filesystem;
using test::cliPath;
using test::readFile;
using test::runCommand;

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
uint32_t le32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 |
         uint32_t(uint8_t(s[at + 2])) << 16 | uint32_t(uint8_t(s[at + 3])) << 24;
}
uint16_t le16(const std::string& s, size_t at) {
  return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8);
}

// The parts of a FILM file written by ffmpeg that the tests look at.
struct Movie {
  std::string path;
  std::string bytes;
  int32_t width = 0, height = 0;
  int channels = 0, bits = 0, compression = 0;
  uint32_t sampleRate = 0;
  int32_t timeBase = 0;
  std::vector<test::FilmSample> samples;  // table order, with their data

  std::vector<int> videoIndices() const {
    std::vector<int> v;
    for (size_t i = 0; i < samples.size(); ++i)
      if (samples[i].info1 != 0xFFFFFFFFu) v.push_back(int(i));
    return v;
  }
};

Movie readMovie(const std::string& path) {
  Movie m;
  m.path = path;
  m.bytes = readFile(path);
  const std::string& b = m.bytes;
  EXPECT_EQ(b.compare(0, 4, "FILM"), 0);
  EXPECT_EQ(b.compare(16, 4, "FDSC"), 0);
  const uint32_t headerLength = be32(b, 4);
  m.height = int32_t(be32(b, 28));
  m.width = int32_t(be32(b, 32));
  m.channels = int8_t(b[37]);
  m.bits = int8_t(b[38]);
  m.compression = int8_t(b[39]);
  m.sampleRate = be32(b, 40);
  const size_t stab = 16 + be32(b, 20);
  EXPECT_EQ(b.compare(stab, 4, "STAB"), 0);
  m.timeBase = int32_t(be32(b, stab + 8));
  const uint32_t count = be32(b, stab + 12);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t e = stab + 16 + 16 * i;
    const size_t at = headerLength + be32(b, e);
    const size_t length = be32(b, e + 4);
    test::FilmSample s;
    s.data.assign(b.begin() + long(at), b.begin() + long(at + length));
    s.info1 = be32(b, e + 8);
    s.info2 = int32_t(be32(b, e + 12));
    m.samples.push_back(std::move(s));
  }
  return m;
}

// The same movie written again by the test writer, so that single samples
// can be changed.
std::vector<uint8_t> rebuild(const Movie& m) {
  test::FilmSpec spec;
  spec.width = m.width;
  spec.height = m.height;
  spec.audioChannels = int8_t(m.channels);
  spec.audioBits = int8_t(m.bits);
  spec.audioCompression = int8_t(m.compression);
  spec.sampleRate = m.sampleRate;
  spec.timeBase = m.timeBase;
  spec.samples = m.samples;
  return test::buildFilm(spec);
}

struct Image {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// A 24-bit bottom-up BMP as `frames --format bmp` writes it; checks the headers.
Image readBmp(const std::string& path) {
  const std::string b = readFile(path);
  Image img;
  EXPECT_GE(b.size(), 54u) << path;
  if (b.size() < 54) return img;
  EXPECT_EQ(b.compare(0, 2, "BM"), 0);
  EXPECT_EQ(le32(b, 2), b.size()) << "bfSize of " << path;
  EXPECT_EQ(le32(b, 10), 54u);
  EXPECT_EQ(le32(b, 14), 40u);
  EXPECT_EQ(le16(b, 28), 24);
  img.width = int32_t(le32(b, 18));
  img.height = int32_t(le32(b, 22));
  const size_t stride = (3 * size_t(img.width) + 3) & ~size_t{3};
  EXPECT_EQ(b.size(), 54 + stride * size_t(img.height)) << path;
  if (b.size() < 54 + stride * size_t(img.height)) return img;
  img.pixels.resize(size_t(img.width) * img.height);
  for (int32_t y = 0; y < img.height; ++y) {
    const size_t row = 54 + size_t(img.height - 1 - y) * stride;
    for (int32_t x = 0; x < img.width; ++x) {
      const size_t p = row + 3 * size_t(x);
      img.pixels[size_t(y) * img.width + x] = uint32_t(uint8_t(b[p])) |
                                              uint32_t(uint8_t(b[p + 1])) << 8 |
                                              uint32_t(uint8_t(b[p + 2])) << 16;
    }
  }
  return img;
}

std::vector<int16_t> toSamples(const std::string& bytes, size_t from = 0) {
  std::vector<int16_t> s((bytes.size() - from) / 2);
  for (size_t i = 0; i < s.size(); ++i) s[i] = int16_t(le16(bytes, from + 2 * i));
  return s;
}

std::string quoted(const std::string& s) {
  return "'" + s + "'";
}

class CliExport : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string out;
    haveFfmpeg_ = runCommand("ffmpeg -hide_banner -version >/dev/null 2>&1", out) == 0;
    if (!haveFfmpeg_) return;
    dir_ = new std::string(test::scratchDir("cli-export"));
    movies_ = new std::map<std::string, std::string>();
    // Grey mandelbrot and colour test bars, with two different sine channels.
    const std::string grey = "-f lavfi -i mandelbrot=size=128x96:rate=10";
    const std::string colour = "-f lavfi -i testsrc2=size=96x64:rate=10";
    const std::string sound =
        " -f lavfi -i 'aevalsrc=0.6*sin(440*2*PI*t)|0.3*sin(1000*2*PI*t)+0.1:s=22050'";
    const std::string greyOut = " -vf hue=s=0,format=rgb24";
    const std::string colourOut = " -vf format=rgb24";
    make("grey_s16_stereo", grey + sound + greyOut + " -t 1.5 -c:a pcm_s16be_planar");
    make("colour_s8_stereo", colour + sound + colourOut + " -t 1 -c:a pcm_s8_planar");
    make("colour_s16_mono", colour + sound + colourOut + " -t 1 -ac 1 -c:a pcm_s16be_planar");
    make("colour_s8_mono", colour + sound + colourOut + " -t 1 -ac 1 -c:a pcm_s8_planar");
    make("colour_adx_stereo", colour + sound + colourOut + " -t 1 -c:a adpcm_adx");
    make("colour_adx_mono", colour + sound + colourOut + " -t 1 -ac 1 -c:a adpcm_adx");
    make("grey_silent", grey + greyOut + " -t 0.8 -an");
  }
  static void TearDownTestSuite() {
    if (dir_) fs::remove_all(*dir_);
    delete dir_;
    delete movies_;
    dir_ = nullptr;
    movies_ = nullptr;
  }
  // `options`: ffmpeg's inputs and output options, before the codecs and file.
  static void make(const std::string& name, const std::string& options) {
    const std::string path = *dir_ + "/" + name + ".cpk";
    std::string out;
    const int rc = runCommand("ffmpeg -hide_banner -loglevel error -y " + options +
                                  " -c:v cinepak -f film_cpk " + quoted(path) + " 2>&1",
                              out);
    if (rc == 0) {
      (*movies_)[name] = path;
    } else {
      ADD_FAILURE() << "ffmpeg could not make " << name << ": " << out;
    }
  }
  void SetUp() override {
    if (!haveFfmpeg_) GTEST_SKIP() << "ffmpeg is not installed";
  }
  static std::string movie(const std::string& name) { return (*movies_)[name]; }
  static std::string scratch(const std::string& name) { return *dir_ + "/" + name; }

  static int cli(const std::string& args, std::string& out) {
    return runCommand(quoted(cliPath()) + " " + args + " 2>/dev/null", out);
  }

  // ffmpeg's pictures of a movie as 0x00RRGGBB, one vector per frame.
  static std::vector<std::vector<uint32_t>> ffmpegFrames(const std::string& path, size_t pixels) {
    std::string raw;
    runCommand("ffmpeg -hide_banner -loglevel error -i " + quoted(path) +
                   " -fps_mode passthrough -f rawvideo -pix_fmt bgr0 -",
               raw);
    std::vector<std::vector<uint32_t>> frames;
    for (size_t at = 0; at + pixels * 4 <= raw.size(); at += pixels * 4) {
      std::vector<uint32_t> f(pixels);
      for (size_t i = 0; i < pixels; ++i) f[i] = le32(raw, at + 4 * i) & 0xFFFFFFu;
      frames.push_back(std::move(f));
    }
    return frames;
  }

  static std::vector<int16_t> ffmpegSound(const std::string& path) {
    std::string raw;
    runCommand("ffmpeg -hide_banner -loglevel error -i " + quoted(path) + " -vn -f s16le -", raw);
    return toSamples(raw);
  }

  // Runs `audio` and returns the WAV's samples, checking its header.
  static std::vector<int16_t> exportSound(const std::string& path, const std::string& wav,
                                          uint32_t rate) {
    std::string out;
    EXPECT_EQ(cli("audio " + quoted(path) + " " + quoted(wav), out), 0);
    const std::string w = readFile(wav);
    EXPECT_GE(w.size(), 44u);
    if (w.size() < 44) return {};
    EXPECT_EQ(w.compare(0, 4, "RIFF"), 0);
    EXPECT_EQ(le32(w, 4), w.size() - 8);
    EXPECT_EQ(w.compare(8, 8, "WAVEfmt "), 0);
    EXPECT_EQ(le16(w, 20), 1);  // PCM
    EXPECT_EQ(le16(w, 22), 2);  // stereo
    EXPECT_EQ(le32(w, 24), rate);
    EXPECT_EQ(le32(w, 28), rate * 4);
    EXPECT_EQ(le16(w, 32), 4);
    EXPECT_EQ(le16(w, 34), 16);
    EXPECT_EQ(w.compare(36, 4, "data"), 0);
    EXPECT_EQ(le32(w, 40), w.size() - 44);
    return toSamples(w, 44);
  }

  static bool haveFfmpeg_;
  static std::string* dir_;
  static std::map<std::string, std::string>* movies_;
};

bool CliExport::haveFfmpeg_ = false;
std::string* CliExport::dir_ = nullptr;
std::map<std::string, std::string>* CliExport::movies_ = nullptr;

double luma(uint32_t p) {
  return 0.299 * ((p >> 16) & 0xFF) + 0.587 * ((p >> 8) & 0xFF) + 0.114 * (p & 0xFF);
}

TEST_F(CliExport, FramesMatchFfmpegOnGreyAndOnLumaOfColour) {
  for (const char* name : {"grey_s16_stereo", "colour_s8_stereo"}) {
    SCOPED_TRACE(name);
    const bool grey = std::string(name).rfind("grey", 0) == 0;
    const Movie m = readMovie(movie(name));
    const std::string out = scratch(std::string("frames-") + name);
    std::string text;
    ASSERT_EQ(cli("frames " + quoted(m.path) + " " + quoted(out) + " --format bmp", text), 0);

    const std::vector<int> video = m.videoIndices();
    const auto reference = ffmpegFrames(m.path, size_t(m.width) * m.height);
    ASSERT_EQ(reference.size(), video.size());
    // One file per video entry, named after its index in the table.
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(out)) files += e.is_regular_file();
    ASSERT_EQ(files, video.size());

    int worst = 0;
    double worstLuma = 0;
    for (size_t f = 0; f < video.size(); ++f) {
      char file[16];
      std::snprintf(file, sizeof file, "%06d.bmp", video[f]);
      const Image img = readBmp(out + "/" + file);
      ASSERT_EQ(img.width, m.width) << file;
      ASSERT_EQ(img.height, m.height) << file;
      for (size_t i = 0; i < img.pixels.size(); ++i) {
        const uint32_t a = img.pixels[i], b = reference[f][i];
        worstLuma = std::max(worstLuma, std::fabs(luma(a) - luma(b)));
        for (int shift = 0; shift < 24; shift += 8)
          worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
      }
    }
    if (grey) {
      EXPECT_LE(worst, kGreyTolerance);
    }
    EXPECT_LE(worstLuma, kLumaTolerance);
    std::printf("[ measured ] %s: largest component difference %d, luma %.2f\n", name, worst,
                worstLuma);
  }
}

TEST_F(CliExport, PngFramesHoldTheSamePicturesAsBmp) {
  const Movie m = readMovie(movie("colour_s16_mono"));
  const std::string png = scratch("png/nested"), bmp = scratch("bmp");
  std::string text;
  ASSERT_EQ(cli("frames " + quoted(m.path) + " " + quoted(png), text), 0);  // png by default
  ASSERT_EQ(cli("frames " + quoted(m.path) + " " + quoted(bmp) + " --format bmp", text), 0);
  // ffmpeg reads the PNG files back in name order.
  std::string raw;
  ASSERT_EQ(runCommand("ffmpeg -hide_banner -loglevel error -pattern_type glob -i " +
                           quoted(png + "/*.png") + " -f rawvideo -pix_fmt bgr0 -",
                       raw),
            0);
  const std::vector<int> video = m.videoIndices();
  const size_t pixels = size_t(m.width) * m.height;
  ASSERT_EQ(raw.size(), video.size() * pixels * 4);
  for (size_t f = 0; f < video.size(); ++f) {
    char name[16];
    std::snprintf(name, sizeof name, "%06d.bmp", video[f]);
    const Image img = readBmp(bmp + "/" + name);
    ASSERT_EQ(img.pixels.size(), pixels) << name;
    for (size_t i = 0; i < pixels; ++i)
      ASSERT_EQ(le32(raw, 4 * (f * pixels + i)) & 0xFFFFFF, img.pixels[i])
          << name << " pixel " << i;
  }
}

TEST_F(CliExport, FrameThatFailsToDecodeLeavesThePreviousPicture) {
  const Movie good = readMovie(movie("grey_s16_stereo"));
  const std::vector<int> video = good.videoIndices();
  ASSERT_GE(video.size(), 4u);

  // Exports `m` with the video entries `broken` given an unknown chunk id
  // where the first strip header belongs; returns the pictures by table index.
  auto exportBroken = [&](const std::string& name, std::vector<int> broken) {
    Movie m = good;
    for (int index : broken) m.samples[size_t(index)].data[12] = 0x40;
    const std::string path = scratch(name + ".cpk"), out = scratch(name);
    EXPECT_TRUE(test::writeFile(path, test::toString(rebuild(m))));
    std::string text;
    EXPECT_EQ(cli("frames " + quoted(path) + " " + quoted(out) + " --format bmp", text), 0);
    std::map<int, std::vector<uint32_t>> pictures;
    for (int index : video) {
      char file[16];
      std::snprintf(file, sizeof file, "/%06d.bmp", index);
      pictures[index] = readBmp(out + file).pixels;
    }
    return pictures;
  };
  auto intact = exportBroken("intact", {});
  // A frame that changes the picture, to break.
  size_t f = 1;
  while (f < video.size() && intact[video[f]] == intact[video[f - 1]]) ++f;
  ASSERT_LT(f, video.size()) << "the movie never changes";
  auto middle = exportBroken("middle", {video[f]});
  auto first = exportBroken("first", {video[0]});
  const std::vector<uint32_t> black(size_t(good.width) * good.height, 0);

  ASSERT_NE(intact[video[0]], black);
  EXPECT_EQ(middle[video[f - 1]], intact[video[f - 1]]);
  EXPECT_EQ(middle[video[f]], intact[video[f - 1]]);  // shown again in place of the broken one
  EXPECT_EQ(first[video[0]], black);                  // the picture the open cleared
}

TEST_F(CliExport, PcmSoundMatchesFfmpeg) {
  struct Case {
    const char* name;
    bool eightBit;
  };
  for (const Case& c : {Case{"grey_s16_stereo", false}, Case{"colour_s16_mono", false},
                        Case{"colour_s8_stereo", true}, Case{"colour_s8_mono", true}}) {
    SCOPED_TRACE(c.name);
    const Movie m = readMovie(movie(c.name));
    const std::vector<int16_t> ours =
        exportSound(m.path, scratch(std::string(c.name) + ".wav"), m.sampleRate >> 16);
    // ffmpeg decodes in the stream's own channel count, left before right.
    const std::vector<int16_t> theirs = ffmpegSound(m.path);
    ASSERT_EQ(ours.size(), theirs.size() * size_t(3 - m.channels));
    ASSERT_FALSE(theirs.empty());
    size_t differing = 0;
    for (size_t frame = 0; frame < ours.size() / 2; ++frame) {
      for (int ch = 0; ch < 2; ++ch) {
        const uint16_t a = uint16_t(ours[2 * frame + size_t(ch)]);
        const uint16_t b = uint16_t(theirs[m.channels == 2 ? 2 * frame + size_t(ch) : frame]);
        if (c.eightBit) {
          // ffmpeg widens by byte << 8, the player by byte x 257.
          ASSERT_EQ(a, uint16_t(b | (b >> 8))) << "frame " << frame << " channel " << ch;
          differing += a != b;
        } else {
          ASSERT_EQ(a, b) << "frame " << frame << " channel " << ch;
        }
      }
    }
    if (c.eightBit) {
      EXPECT_GT(differing, 0u);
    }
  }
}

double correlation(const std::vector<double>& x, const std::vector<double>& y) {
  const size_t n = std::min(x.size(), y.size());
  double mx = 0, my = 0;
  for (size_t i = 0; i < n; ++i) mx += x[i], my += y[i];
  mx /= double(n), my /= double(n);
  double sxy = 0, sxx = 0, syy = 0;
  for (size_t i = 0; i < n; ++i) {
    sxy += (x[i] - mx) * (y[i] - my);
    sxx += (x[i] - mx) * (x[i] - mx);
    syy += (y[i] - my) * (y[i] - my);
  }
  return sxy / std::sqrt(sxx * syy);
}

TEST_F(CliExport, AdxSoundHasTheBlocksLengthAndIsNotSilence) {
  for (const char* name : {"colour_adx_stereo", "colour_adx_mono"}) {
    SCOPED_TRACE(name);
    const Movie m = readMovie(movie(name));
    ASSERT_EQ(m.compression, 2);
    // 32 frames per whole block (pair) in each audio entry; the first entry
    // begins with the stream header, which ends 4 bytes after its offset field.
    const size_t blockBytes = m.channels == 2 ? 36 : 18;
    size_t frames = 0;
    bool first = true;
    for (const test::FilmSample& s : m.samples) {
      if (s.info1 != 0xFFFFFFFFu) continue;
      size_t length = s.data.size();
      if (first) {
        ASSERT_EQ(s.data[0], 0x80);
        ASSERT_EQ(s.data[1], 0x00);
        const size_t skip = (size_t(s.data[2]) << 8 | s.data[3]) + 4;
        length = length > skip ? length - skip : 0;
        first = false;
      }
      frames += length / blockBytes * 32;
    }
    const std::vector<int16_t> ours =
        exportSound(m.path, scratch(std::string(name) + ".wav"), m.sampleRate >> 16);
    ASSERT_EQ(ours.size(), frames * 2);
    ASSERT_GT(frames, 20000u);  // about a second at 22,050 Hz

    // The player's fixed predictor differs from ffmpeg's, so the samples do
    // not match; the waveform must still follow ffmpeg's closely, channel by
    // channel, which a wrong nibble order, block order or channel split would
    // not.
    const std::vector<int16_t> theirs = ffmpegSound(m.path);
    for (int ch = 0; ch < m.channels; ++ch) {
      std::vector<double> a, b;
      for (size_t i = 0; i < ours.size() / 2; ++i) a.push_back(ours[2 * i + size_t(ch)]);
      for (size_t i = size_t(ch); i < theirs.size(); i += size_t(m.channels))
        b.push_back(theirs[i]);
      double energy = 0;
      for (double v : a) energy += v * v;
      EXPECT_GT(std::sqrt(energy / double(a.size())), 1000.0) << "channel " << ch;
      EXPECT_GT(correlation(a, b), 0.8) << "channel " << ch;
    }
    if (m.channels == 1) {
      for (size_t i = 0; i < ours.size(); i += 2) ASSERT_EQ(ours[i], ours[i + 1]);
    }
  }
}

TEST_F(CliExport, MovieWithoutSoundWritesNoWav) {
  const std::string wav = scratch("silent.wav");
  std::string out;
  EXPECT_EQ(cli("audio " + quoted(movie("grey_silent")) + " " + quoted(wav), out), 0);
  EXPECT_NE(out.find("no sound"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(wav));
}

TEST_F(CliExport, BenchPrintsItsRates) {
  struct Case {
    const char* name;
    bool sound;
  };
  for (const Case& c : {Case{"grey_s16_stereo", true}, Case{"colour_adx_stereo", true},
                        Case{"grey_silent", false}}) {
    SCOPED_TRACE(c.name);
    std::string out;
    ASSERT_EQ(cli("bench " + quoted(movie(c.name)) + " --seconds 0.2", out), 0);
    double video = 0, both = 0, sound = 0;
    EXPECT_EQ(
        std::sscanf(out.c_str(), "video decode: %lf frames/s\nvideo decode+convert: %lf frames/s",
                    &video, &both),
        2)
        << out;
    EXPECT_GT(video, 0.0);
    EXPECT_GT(both, 0.0);
    const size_t at = out.find("audio decode: ");
    if (c.sound) {
      ASSERT_NE(at, std::string::npos) << out;
      EXPECT_EQ(std::sscanf(out.c_str() + at, "audio decode: %lf sound frames/s", &sound), 1);
      EXPECT_GT(sound, 0.0);
    } else {
      EXPECT_EQ(at, std::string::npos) << out;
    }
  }
}

TEST_F(CliExport, RefusesBadArguments) {
  struct Case {
    const char* args;
    int rc;
  };
  const std::string grey = quoted(movie("grey_silent"));
  const Case cases[] = {
      {"frames", 1},
      {"audio", 1},
      {"bench", 1},
      {"bench FILE --seconds 0", 1},
      {"bench FILE --seconds x", 1},
      {"frames FILE DIR --format gif", 1},
      {"frames /nonexistent/movie.cpk DIR", 2},
      {"audio /nonexistent/movie.cpk out.wav", 2},
  };
  for (const Case& c : cases) {
    std::string args = c.args;
    for (auto [from, to] :
         {std::pair<std::string, std::string>{"FILE", grey}, {"DIR", quoted(scratch("unused"))}}) {
      const size_t at = args.find(from);
      if (at != std::string::npos) args.replace(at, from.size(), to);
    }
    std::string out;
    EXPECT_EQ(cli(args, out), c.rc) << args;
  }
}

}  // namespace
}  // namespace zentrov
