#pragma once
// Reading a FILM movie's header: the FILM block, the stream description and
// the sample table, from the start of a file or at a header the scan found.
// Reading only: nothing is shown and no control changes.

#include <cstdint>

#include "film/film_format.h"
#include "film/movie_file.h"

namespace zentrov {

// Which movie of a file to open.
struct OpenRequest {
  // The movie at the start of the file (or its fallback layout).
  static OpenRequest fromStart() { return OpenRequest{}; }
  // The movie at entry `index` of the header table, in the file already open.
  static OpenRequest header(int32_t index) { return OpenRequest{true, index}; }

  bool atHeader = false;
  int32_t headerIndex = 0;
};

// The records a read fills. They are written as the header is read, so after
// a refusal they hold what was read up to it.
struct MovieRecords {
  FilmHeader& filmHeader;
  StreamDescription& stream;         // width and height as stored, before any clamping
  HeaderOffsetTable& headerOffsets;  // from the start: entry 0 becomes the header's offset
  SampleTable& table;
};

enum class ReadOutcome { Read, UnknownHeader };

struct MovieRead {
  ReadOutcome outcome = ReadOutcome::UnknownHeader;
  // The header was a FILM block whose descriptions led to an STAB chunk, so
  // the header scan can find it; set even when the table is then refused.
  bool reachedTable = false;
};

// Reads the header that `request` names from `file` into `into`, using
// `sectorBuffer` (kSectorBufferBytes) for the file's start and the chunks.
// An unknown, malformed or cut-off header, or sound at 0 Hz, is refused.
MovieRead readMovie(MovieFile& file, const OpenRequest& request, uint8_t* sectorBuffer,
                    MovieRecords& into);

}  // namespace zentrov
