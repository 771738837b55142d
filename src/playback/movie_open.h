#pragma once
// Making a FILM movie current, as the player does it: the picture, the sound
// ring and the controls reset around the reading of the header, then
// playback starts.

#include <cstddef>
#include <cstdint>
#include <string>

#include "film/movie_reader.h"

namespace zentrov {

struct Player;
struct SampleEntry;

enum class OpenResult {
  Closed,         // the name was empty: the movie is closed
  Opened,         // a movie is current and playing
  FileNotFound,   // "File not found."
  UnknownHeader,  // the unknown-header message
};

// The caption and texts of the two messages an open can show.
extern const char* const kErrorCaption;
extern const char* const kFileNotFoundText;
extern const char* const kUnknownHeaderText;  // UTF-8

// From the start: closes any open file and opens currentFileName (an empty
// name only closes). Header N: sets headerIndex to N and reads the header at
// that entry of the header table in the file already open.
OpenResult openMovie(Player& player, const OpenRequest& request);

// Absolute file position of a sample of the current movie.
uint64_t sampleFilePosition(const Player& player, uint32_t entryOffset);

// Reads the data of one sample of the current movie into `buffer` (at most
// `capacity` bytes). Returns the bytes read: fewer than the entry's length
// when the file ends early, 0 when no movie file is open or the sample is
// longer than `capacity` (such a sample is skipped rather than cut).
size_t readSample(Player& player, const SampleEntry& entry, uint8_t* buffer, size_t capacity);

}  // namespace zentrov
