// The header scan over a file of several movies, and the Property texts.

#include <gtest/gtest.h>

#include <algorithm>

#include "film/header_scan.h"
#include "film/property_text.h"
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

// Rows as a virtual list asks for them: only where entries stand, whatever
// the table claims.
TEST(Property, RowsOnlyWhereEntriesStand) {
  SampleTable t;
  t.entries[1] = SampleEntry{0, 0, 0xFFFFFFFFu, 5};
  for (int32_t claimed : {-3, 2, 9000}) {
    t.entryCount = claimed;
    const PropertyView view(StreamDescription{}, t);
    const int count = std::clamp(claimed, 0, kMaxSampleEntries);
    EXPECT_EQ(view.rowCount(), count);
    EXPECT_EQ(view.row(-1), (std::array<std::string, 4>{}));
    EXPECT_EQ(view.row(count), (std::array<std::string, 4>{}));
  }
  EXPECT_EQ(PropertyView(StreamDescription{}, t).row(1)[1], "AUDIO");
}

}  // namespace
}  // namespace zentrov::test
