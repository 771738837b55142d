#pragma once
// The idle-time engine: one sample of the current movie per call. Sound goes
// into the ring at once; a picture waits until the ring's play cursor, the
// clock, reaches its time stamp. While a picture waits, the sound stored
// after it is written ahead, so that the ring always holds a lead of sound
// in front of the play cursor.

#include <cstdint>

namespace zentrov {

struct Player;

// Handles at most one sample at the current position, or, while the picture
// there is not due, writes the next sound entry after it when the lead is
// short. Returns at once while paused (unless a step is requested) and when
// no movie file is open.
void playbackTick(Player& player);

// nextTickDelayMs: the tick has nothing to do until the user acts (paused,
// ended, no movie, a picture that can never be due).
constexpr int32_t kWaitForInput = -1;
// The longest wait while the sound clock runs: the play cursor must be read
// well within one turn of the ring (about 6 s at 44,100 Hz).
constexpr int32_t kMaxTickDelayMs = 500;

// How long a host may rest before the next playbackTick has work: 0 (now),
// 1..kMaxTickDelayMs milliseconds (the waiting picture's stamp, or the lead
// of sound running low), or kWaitForInput. Reads the play cursor but changes
// nothing. A host waits for that time or for input, whichever comes first.
int32_t nextTickDelayMs(Player& player);

}  // namespace zentrov
