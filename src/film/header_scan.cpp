#include "film/header_scan.h"

#include <cinttypes>
#include <cstdio>

namespace zentrov {

int scanHeaders(MovieFile& file, uint8_t* sectorBuffer, HeaderOffsetTable& table,
                const std::function<void(int count, int64_t blockOffset)>& onFound) {
  table.reset();
  int count = 0;
  int stored = 0;
  // Offsets are kept as signed 32-bit numbers: the scan stops where a FILM
  // block's offset would no longer fit one.
  constexpr int64_t kLastBlock = INT32_MAX - kLastSignatureOffset;
  for (int64_t b = 0; b <= kLastBlock; b += kScanStep) {
    if (file.readAt(uint64_t(b), sectorBuffer, kSignatureWindow) != size_t(kSignatureWindow)) break;
    const int d = findFilmSignature(sectorBuffer);
    if (d < 0) continue;
    if (onFound) onFound(count, b);
    ++count;
    if (stored < kHeaderOffsetCount) table.offsets[stored++] = static_cast<int32_t>(b + d);
  }
  return stored;
}

std::string headerLine(int index, int64_t offset) {
  char line[48];
  std::snprintf(line, sizeof line, "%d = %08" PRIx64, index, static_cast<uint64_t>(offset));
  return line;
}

}  // namespace zentrov
