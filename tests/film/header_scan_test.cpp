// The header scan over a file holding several movies.

#include <gtest/gtest.h>

#include "film/header_scan.h"
#include "support/film_writer.h"
#include "support/test_paths.h"

namespace zentrov {
namespace {

struct ScanResult {
  int found;
  std::vector<std::string> finalLines;
  std::vector<std::string> progressLines;
};

ScanResult scanBytes(const std::vector<uint8_t>& bytes) {
  const std::string path = test::scratchDir("scan") + "/multi.cpk";
  EXPECT_TRUE(test::writeFile(path, test::toString(bytes)));
  MovieFile file;
  EXPECT_TRUE(file.open(path));
  uint8_t sector[kSectorBufferBytes];
  HeaderOffsetTable table;
  table.offsets[0] = 99;  // the scan starts from an empty table
  ScanResult r;
  r.found = scanHeaders(file, sector, table, [&](int count, int64_t block) {
    r.progressLines.push_back(headerLine(count, block));
  });
  for (int i = 0; i < table.count(); ++i) r.finalLines.push_back(headerLine(i, table.offsets[i]));
  EXPECT_EQ(table.count(), r.found);
  return r;
}

std::vector<uint8_t> movie() {
  test::FilmSpec spec;
  spec.samples.push_back(test::videoSample(std::vector<uint8_t>(10, 1), 0));
  return test::buildFilm(spec);
}

TEST(HeaderScan, OneMovieAtTheStart) {
  std::vector<uint8_t> file = movie();
  file.resize(5000, 0);
  ScanResult r = scanBytes(file);
  EXPECT_EQ(r.finalLines, (std::vector<std::string>{"0 = 00000000"}));
}

TEST(HeaderScan, MoviesAt0And614400) {
  std::vector<uint8_t> file = movie();
  test::placeAt(file, 614400, movie());
  file.resize(614400 + 4096, 0);
  ScanResult r = scanBytes(file);
  EXPECT_EQ(r.finalLines, (std::vector<std::string>{"0 = 00000000", "1 = 00096000"}));
}

TEST(HeaderScan, ProgressShowsTheBlockAndTheFinalListTheExactOffset) {
  std::vector<uint8_t> file = movie();
  test::placeAt(file, 2048 + 16, movie());
  test::placeAt(file, 4096 + 251, movie());  // the last offset looked at
  test::placeAt(file, 6144 + 252, movie());  // one byte too far into its block
  file.resize(8192 + 300, 0);
  ScanResult r = scanBytes(file);
  EXPECT_EQ(r.progressLines,
            (std::vector<std::string>{"0 = 00000000", "1 = 00000800", "2 = 00001000"}));
  EXPECT_EQ(r.finalLines,
            (std::vector<std::string>{"0 = 00000000", "1 = 00000810", "2 = 000010fb"}));
}

TEST(HeaderScan, BlockWithLessThan256BytesLeftIsNotSearched) {
  std::vector<uint8_t> file = movie();
  file.resize(4096 + 255, 0);
  test::placeAt(file, 4096, {'F', 'I', 'L', 'M'});
  EXPECT_EQ(scanBytes(file).found, 1);
  file.push_back(0);  // now 256 bytes remain at 4096
  EXPECT_EQ(scanBytes(file).found, 2);
}

TEST(HeaderScan, StoresAtMost4096Offsets) {
  std::vector<uint8_t> file(size_t(kScanStep) * 4100, 0);
  for (size_t b = 0; b < file.size(); b += kScanStep)
    test::placeAt(file, b + 3, {'F', 'I', 'L', 'M'});
  ScanResult r = scanBytes(file);
  EXPECT_EQ(r.found, kHeaderOffsetCount);
  EXPECT_EQ(r.progressLines.size(), 4100u) << "the list still shows every find";
  EXPECT_EQ(r.finalLines.back(), headerLine(4095, 4095 * 2048 + 3));
}

TEST(HeaderLine, Format) {
  EXPECT_EQ(headerLine(0, 0), "0 = 00000000");
  EXPECT_EQ(headerLine(12, 0x7ffff800), "12 = 7ffff800");
  EXPECT_EQ(headerLine(3, 0xabc), "3 = 00000abc");
}

}  // namespace
}  // namespace zentrov
