#pragma once
// The idle-time engine: one sample of the current movie per call. Sound goes
// into the ring at once; a picture waits until the ring's play cursor, the
// clock, reaches its time stamp.

namespace zentrov {

struct Player;

// Handles at most one sample at the current position. Returns at once while
// paused (unless a step is requested) and when no movie file is open.
void playbackTick(Player& player);

}  // namespace zentrov
