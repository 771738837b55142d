#include "film/movie_reader.h"

#include <algorithm>
#include <cstring>

#include "film/byte_view.h"

namespace zentrov {

namespace {

constexpr uint8_t kFallbackSizeField[4] = {0x00, 0x00, 0xFF, 0xFF};
constexpr int32_t kFallbackWidth = 320;
constexpr int32_t kFallbackHeight = 224;
constexpr uint64_t kFallbackDescriptionOffset = 16;
constexpr uint64_t kFallbackTableOffset = 48;
// Real movies carry one description; a header of endless FDSC chunks is
// refused instead of being walked chunk by chunk through a large file.
constexpr int kMaxDescriptionChunks = 256;

// The 32 bytes of a stream description; false when the view is shorter.
bool parseDescription(const ByteView& v, StreamDescription& d) {
  if (!v.has(0, kStreamDescriptionBytes)) return false;
  const uint8_t* p = v.data();
  std::memcpy(d.tag, p, 4);
  v.be32(4, d.chunkLength);
  std::memcpy(d.videoCodec, p + 8, 4);
  uint32_t height = 0, width = 0;
  v.be32(12, height);
  v.be32(16, width);
  d.height = static_cast<int32_t>(height);
  d.width = static_cast<int32_t>(width);
  d.unused = p[20];
  d.audioChannels = static_cast<int8_t>(p[21]);
  d.audioBits = static_cast<int8_t>(p[22]);
  d.audioCompression = static_cast<int8_t>(p[23]);
  v.be32(24, d.sampleRate);
  v.be32(28, d.reserved);
  return true;
}

// The 16-byte FILM block; false when the view is shorter.
bool parseFilmBlock(const ByteView& v, FilmHeader& h) {
  if (!v.has(0, kFilmBlockBytes)) return false;
  std::memcpy(h.signature, v.data(), 4);
  v.be32(4, h.headerLength);
  std::memcpy(h.version, v.data() + 8, 4);
  std::memcpy(h.reserved, v.data() + 12, 4);
  return true;
}

bool readFilmBlock(MovieFile& file, uint64_t offset, FilmHeader& header) {
  uint8_t block[kFilmBlockBytes];
  const size_t got = file.readAt(offset, block, sizeof block);
  return parseFilmBlock(ByteView(block, got), header);
}

struct ChunkReader {
  MovieFile& file;
  uint8_t* sector;
  MovieRecords& into;
  MovieRead& result;

  // Reads the chunk loop that follows a FILM block at `pos`: FDSC chunks, then
  // the STAB chunk header, left in `stabHeader`. Leaves `pos` just past that
  // header. False when the header is unknown, malformed or cut short.
  bool readChunks(uint64_t& pos, uint8_t (&stabHeader)[kChunkHeaderBytes]) {
    int described = 0;
    for (;;) {
      const ByteView chunk(sector, file.readAt(pos, sector, kChunkHeaderBytes));
      uint32_t length = 0;
      if (!chunk.be32(4, length)) return false;
      if (chunk.tagAt(0, "STAB")) {
        // A movie needs its description; a table without one is refused rather
        // than played with another movie's sizes and sound format.
        if (described == 0) return false;
        std::memcpy(stabHeader, sector, kChunkHeaderBytes);
        pos += kChunkHeaderBytes;
        result.reachedTable = true;
        return true;
      }
      if (!chunk.tagAt(0, "FDSC") || described == kMaxDescriptionChunks) return false;
      // A description shorter than its 32 bytes of fields is refused; a longer
      // one is read up to the sector buffer and the rest skipped.
      if (length < kStreamDescriptionBytes) return false;
      const size_t body = std::min<size_t>(length, kSectorBufferBytes) - kChunkHeaderBytes;
      if (file.readAt(pos + kChunkHeaderBytes, sector + kChunkHeaderBytes, body) != body)
        return false;
      parseDescription(ByteView(sector, kChunkHeaderBytes + body), into.stream);
      ++described;
      pos += length;
    }
  }

  // Reads the sample table whose 8-byte chunk header is `stabHeader` and whose
  // body starts at `pos`. The table buffer holds 8,191 entries: a longer table,
  // or an entryCount beyond the entries the chunk holds, is cut to what fits.
  bool readSampleTable(uint64_t pos, const uint8_t (&stabHeader)[kChunkHeaderBytes]) {
    SampleTable& table = into.table;
    const uint32_t length = loadBE32(stabHeader + 4);
    if (length < kStabHeaderBytes) return false;
    uint8_t headBytes[8];
    const ByteView head(headBytes, file.readAt(pos, headBytes, sizeof headBytes));
    uint32_t timeBase = 0, declared = 0;
    if (!head.be32(0, timeBase) || !head.be32(4, declared)) return false;
    if (static_cast<int32_t>(declared) < 0) return false;

    const uint64_t inChunk = (uint64_t{length} - kStabHeaderBytes) / sizeof(SampleEntry);
    const size_t wanted = static_cast<size_t>(
        std::min<uint64_t>({uint64_t(declared), inChunk, uint64_t(kMaxSampleEntries)}));
    uint8_t* raw = reinterpret_cast<uint8_t*>(table.entries);
    // A table cut short keeps its whole entries.
    const size_t count = file.read(raw, wanted * sizeof(SampleEntry)) / sizeof(SampleEntry);

    std::memcpy(table.tag, stabHeader, 4);
    table.chunkLength = length;
    table.timeBase = static_cast<int32_t>(timeBase);
    table.entryCount = static_cast<int32_t>(count);
    // In place, front to back: each entry is read whole before it is rewritten.
    for (size_t i = 0; i < count; ++i) {
      const ByteView raw16(raw + i * sizeof(SampleEntry), sizeof(SampleEntry));
      SampleEntry e;
      uint32_t info2 = 0;
      raw16.be32(0, e.offset);
      raw16.be32(4, e.length);
      raw16.be32(8, e.info1);
      raw16.be32(12, info2);
      e.info2 = static_cast<int32_t>(info2);
      table.entries[i] = e;
    }
    return true;
  }

  // Fallback layout: no signature, version "1.09" at 8, both size fields
  // 0x0000FFFF, the table header at 48.
  bool readFallback(uint8_t (&stabHeader)[kChunkHeaderBytes]) {
    FilmHeader header;
    parseFilmBlock(ByteView(sector, kFilmBlockBytes), header);
    uint8_t description[kStreamDescriptionBytes];
    if (file.readAt(kFallbackDescriptionOffset, description, sizeof description) !=
        sizeof description)
      return false;
    if (std::memcmp(header.version, "1.09", 4) != 0 ||
        std::memcmp(description + 12, kFallbackSizeField, 4) != 0 ||
        std::memcmp(description + 16, kFallbackSizeField, 4) != 0)
      return false;
    if (file.readAt(kFallbackTableOffset, stabHeader, kChunkHeaderBytes) != kChunkHeaderBytes)
      return false;
    into.filmHeader = header;
    parseDescription(ByteView(description, sizeof description), into.stream);
    into.stream.width = kFallbackWidth;
    into.stream.height = kFallbackHeight;
    into.headerOffsets.offsets[0] = 0;
    return true;
  }

  // Locates and reads the header; false when it is unknown.
  bool read(const OpenRequest& request) {
    uint8_t stabHeader[kChunkHeaderBytes];
    uint64_t pos = 0;
    if (!request.atHeader) {
      // A file shorter than the window leaves no stale bytes to match.
      const size_t got = file.readAt(0, sector, kSignatureWindow);
      std::memset(sector + got, 0, kSignatureWindow - got);
      const int d = findFilmSignature(sector);
      if (d >= 0) {
        // The block is read from the file: one found near the end of the window
        // runs past the bytes already in the sector buffer.
        if (!readFilmBlock(file, uint64_t(d), into.filmHeader)) return false;
        into.headerOffsets.offsets[0] = d;
        pos = uint64_t(d) + kFilmBlockBytes;
        if (!readChunks(pos, stabHeader)) return false;
      } else {
        if (got < kFilmBlockBytes) return false;
        if (!readFallback(stabHeader)) return false;
        pos = kFallbackTableOffset + kChunkHeaderBytes;
      }
    } else {
      const int32_t index = request.headerIndex;
      if (!file.isOpen() || index < 0 || index >= kHeaderOffsetCount) return false;
      const int32_t offset = into.headerOffsets.offsets[index];
      if (offset < 0) return false;
      if (!readFilmBlock(file, uint64_t(offset), into.filmHeader)) return false;
      pos = uint64_t(offset) + kFilmBlockBytes;
      if (!readChunks(pos, stabHeader)) return false;
    }
    if (!readSampleTable(pos, stabHeader)) return false;
    // A movie with sound at 0 Hz has no clock to pace its pictures by.
    if (into.stream.audioChannels != 0 && into.stream.rateHz() == 0) return false;
    return true;
  }
};

}  // namespace

MovieRead readMovie(MovieFile& file, const OpenRequest& request, uint8_t* sectorBuffer,
                    MovieRecords& into) {
  MovieRead result;
  ChunkReader reader{file, sectorBuffer, into, result};
  result.outcome = reader.read(request) ? ReadOutcome::Read : ReadOutcome::UnknownHeader;
  return result;
}

}  // namespace zentrov
