#pragma once
// The FILM container as the player holds it in memory: the FILM block, the
// stream description, the sample table and the table of header offsets.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zentrov {

// Working buffer sizes, fixed for the whole run.
constexpr size_t kSampleTableBytes = 131072;
constexpr size_t kSampleBufferBytes = 131072;
constexpr size_t kSectorBufferBytes = 4096;
constexpr size_t kPcmBufferBytes = 131072;
// Sized for the largest picture that opening accepts (768 x 512), so every
// movie decodes whole; the conversion clips to the 640 x 480 surfaces.
constexpr int kMaxFrameWidth = 768;
constexpr int kMaxFrameHeight = 512;
constexpr size_t kDecodedFramePixels = size_t{kMaxFrameWidth} * kMaxFrameHeight;

constexpr int kMaxSampleEntries = 8191;
constexpr int kHeaderOffsetCount = 4096;
constexpr uint32_t kAudioInfo1 = 0xFFFFFFFFu;
constexpr int kFilmBlockBytes = 16;
constexpr int kChunkHeaderBytes = 8;
constexpr int kStreamDescriptionBytes = 32;
constexpr int kStabHeaderBytes = 16;
// The signature is looked for at offsets 0 to 251 of the first 256 bytes.
constexpr int kSignatureWindow = 256;
constexpr int kLastSignatureOffset = 251;

// The 16-byte FILM block; headerLength in host order, the rest as bytes.
struct FilmHeader {
  uint8_t signature[4] = {};
  uint32_t headerLength = 0;
  uint8_t version[4] = {};
  uint8_t reserved[4] = {};
};

// The first 32 bytes of the last FDSC chunk read. Multi-byte fields are in
// host order once the movie is open.
struct StreamDescription {
  uint8_t tag[4] = {};
  uint32_t chunkLength = 0;
  uint8_t videoCodec[4] = {};
  int32_t height = 0;
  int32_t width = 0;
  uint8_t unused = 0;
  int8_t audioChannels = 0;
  int8_t audioBits = 0;
  int8_t audioCompression = 0;
  uint32_t sampleRate = 0;  // 16.16 fixed point; the rate in Hz is sampleRate >> 16
  uint32_t reserved = 0;

  uint32_t rateHz() const { return sampleRate >> 16; }
};

enum AudioCompression : int8_t { kAudioPcm = 0, kAudioAdx = 2 };

struct SampleEntry {
  uint32_t offset = 0;  // relative to the header offset + headerLength
  uint32_t length = 0;
  uint32_t info1 = 0;  // kAudioInfo1 for sound; else bit 31 set = not a key frame
  int32_t info2 = 0;

  bool isAudio() const { return info1 == kAudioInfo1; }
  bool isKeyFrame() const { return (info1 & 0x80000000u) == 0; }
  int32_t timeStamp() const { return static_cast<int32_t>(info1 & 0x7FFFFFFFu); }
};

// The STAB chunk as read, in one 131,072-byte block: room for 8,191 entries.
struct SampleTable {
  uint8_t tag[4] = {};
  uint32_t chunkLength = 0;
  int32_t timeBase = 0;
  int32_t entryCount = 0;
  SampleEntry entries[kMaxSampleEntries];
};
static_assert(sizeof(SampleTable) == kSampleTableBytes, "the sample table is one 128 KiB block");

// Absolute file offsets of FILM blocks; -1 marks an unused entry and the used
// entries come first.
struct HeaderOffsetTable {
  int32_t offsets[kHeaderOffsetCount];

  HeaderOffsetTable() { reset(); }
  void reset() {
    for (int32_t& o : offsets) o = -1;
  }
  int count() const {
    int n = 0;
    while (n < kHeaderOffsetCount && offsets[n] != -1) ++n;
    return n;
  }
};

// First offset 0..251 of the four bytes "FILM" in a 256-byte window, or -1.
int findFilmSignature(const uint8_t* window);

}  // namespace zentrov
