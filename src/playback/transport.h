#pragma once
// Starting, stopping and steering playback. These only change the playback
// record, the sound ring and the controls; the tick does the work.

#include "playback/playback_state.h"

namespace zentrov {

struct Player;

extern const char* const kStatusPlaying;  // "Play..."
extern const char* const kStatusPaused;   // "Pause."
extern const char* const kStatusEnded;    // "End."

// Pauses the current movie; does nothing when no file is named.
void pausePlayback(Player& player);
// Pauses whether or not a file is named (the end of a movie does this).
void pausePlaybackAlways(Player& player);
// Resumes playback; does nothing when no movie file is open.
void resumePlayback(Player& player);

void togglePlayPause(Player& player);
// Back to the first sample; a paused movie shows its first frame and stays paused.
void replayMovie(Player& player);
// Shows the next frame at once (after any sound before it).
void stepFrame(Player& player);
void toggleLoop(Player& player);
// Switches the sound between full volume and silence, at once.
void togglePcmOff(Player& player);
void selectFrameRate(Player& player, FrameRateMode mode);
// Pauses, forgets the file name and closes the movie.
void closeMovie(Player& player);

}  // namespace zentrov
