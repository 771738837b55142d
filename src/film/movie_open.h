#pragma once
// Making a FILM movie current.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zentrov {

struct Player;

enum class OpenResult {
  Closed,         // the name was empty: the movie is closed
  Opened,         // a movie is current and playing
  FileNotFound,   // "File not found."
  UnknownHeader,  // the unknown-header message
};

constexpr int32_t kOpenFromStart = -1;

// The caption and texts of the two messages an open can show.
extern const char* const kErrorCaption;
extern const char* const kFileNotFoundText;
extern const char* const kUnknownHeaderText;  // UTF-8

// Opens currentFileName from its start (selector -1), or re-reads the header
// at headerOffsets[headerIndex] in the open file (any other selector).
OpenResult openMovie(Player& player, int32_t selector);

// Absolute file position of a sample of the current movie.
uint64_t sampleFilePosition(const Player& player, uint32_t entryOffset);

struct SampleEntry;

// Reads the data of one sample of the current movie into `buffer` (at most
// `capacity` bytes). Returns the bytes read: fewer than the entry's length
// when the file ends early, 0 when no movie file is open or the sample is
// longer than `capacity` (such a sample is skipped rather than cut).
size_t readSample(Player& player, const SampleEntry& entry, uint8_t* buffer, size_t capacity);

// Core of the window title: "%s - Zentrov" or "%s:%d - Zentrov" with the
// file-name part of currentFileName; empty when no file is named.
std::string windowTitle(const Player& player);

// Status parts 1 (cleared when no file is named), 3 (the frame size) and 4.
void setStatusParts(Player& player);

// windowResize as the core sees it: size the window for the picture, set the
// title (when a file is named) and lay out the status parts.
void windowResize(Player& player);

}  // namespace zentrov
