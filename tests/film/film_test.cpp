// The header scan over a file of several movies.

#include <gtest/gtest.h>

#include <algorithm>

#include "film/header_scan.h"
#include "support/movies.h"

namespace zentrov::test {
namespace {

// "found: the progress lines; the final lines".
std::string scan(const Bytes& bytes) {
  MovieFile file;
  EXPECT_TRUE(file.open(writeScratch("scan.cpk", bytes)));
  uint8_t sector[kSectorBufferBytes];
  HeaderOffsetTable table;
  table.offsets[0] = 99;  // the scan starts from an empty table
  std::string lines;
  const int found = scanHeaders(file, sector, table, [&](int count, int64_t block) {
    lines += headerLine(count, block) + "|";
  });
  lines += ";";
  for (int i = 0; i < table.count(); ++i) lines += " " + headerLine(i, table.offsets[i]);
  return std::to_string(found) + ": " + lines;
}

TEST(HeaderScan, ProgressShowsTheBlockAndTheTableTheExactOffset) {
  const Bytes movie = buildFilm(FilmSpec{});
  Bytes file = movie;
  placeAt(file, 2048 + 16, movie);
  placeAt(file, 4096 + 251, movie);  // the last offset looked at
  placeAt(file, 6144 + 252, movie);  // one byte too far into its block
  placeAt(file, 8192 + 3, {'F', 'I', 'L', 'M'});
  file.resize(8192 + 255);  // a block with less than 256 bytes left is not searched
  EXPECT_EQ(scan(file),
            "3: 0 = 00000000|1 = 00000800|2 = 00001000|; 0 = 00000000 1 = 00000810 2 = 000010fb");
  file.push_back(0);
  EXPECT_EQ(scan(file),
            "4: 0 = 00000000|1 = 00000800|2 = 00001000|3 = 00002000|; 0 = 00000000 "
            "1 = 00000810 2 = 000010fb 3 = 00002003");
  // At most 4,096 offsets are kept; the progress lists every find.
  file.assign(size_t(kScanStep) * 4100, 0);
  for (size_t b = 0; b < file.size(); b += kScanStep) placeAt(file, b + 3, {'F', 'I', 'L', 'M'});
  const std::string result = scan(file);
  EXPECT_EQ(result.substr(0, 6), "4096: ");
  EXPECT_NE(result.find("|4099 = 00801800|;"), std::string::npos);
  EXPECT_EQ(result.substr(result.size() - 15), "4095 = 007ff803");
}

}  // namespace
}  // namespace zentrov::test
