#pragma once
// Finding the FILM blocks of several movies stored one after another.

#include <cstdint>
#include <functional>
#include <string>

#include "film/film_format.h"
#include "film/movie_file.h"

namespace zentrov {

constexpr int kScanStep = 2048;

// Scans `file` in 2,048-byte steps for "FILM" in the first 256 bytes of each
// step and fills `table` (reset first) with the exact offsets b + d, at most
// 4,096 of them. `onFound` (optional) hears each find as (count, b) while the
// scan runs, as the dialog's progress lines show it. Returns how many were found.
int scanHeaders(MovieFile& file, uint8_t* sectorBuffer, HeaderOffsetTable& table,
                const std::function<void(int count, int64_t blockOffset)>& onFound = {});

// "%d = %08x"
std::string headerLine(int index, int64_t offset);

}  // namespace zentrov
