#pragma once
// One table entry of the current movie, read and decoded, the same for the
// playback tick and for every export: a video entry into the decoded frame,
// an audio entry into 16-bit stereo sound frames in the PCM buffer.

#include <cstddef>
#include <cstdint>

namespace zentrov {

struct Player;
struct SampleEntry;

// Reads video entry `entry` and decodes it into the decoded frame. True when
// a whole frame of the current frame size was decoded; false leaves a frame
// that must not be shown (a damaged or unreadable sample).
bool decodeVideoEntry(Player& player, const SampleEntry& entry);
// Decodes one video sample already in memory, as decodeVideoEntry does.
bool decodeVideoSample(Player& player, const uint8_t* sample, size_t length);

// Reads audio entry `entry` and produces its sound in the PCM buffer.
// Returns the bytes produced: whole sound frames, at most the PCM buffer,
// 0 when the sample cannot be read.
int32_t decodeAudioEntry(Player& player, const SampleEntry& entry);
// Produces the sound of one audio sample already in memory, as
// decodeAudioEntry does.
int32_t decodeAudioSample(Player& player, const uint8_t* sample, size_t length);

}  // namespace zentrov
