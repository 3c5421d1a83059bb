#pragma once

namespace reelplay {

// Plays the movie in a window on the primary surface until its end (or
// Escape), taking the keys of the screen's window: space pauses and
// resumes, the left and right arrows seek. Prints what it plays and how it
// went; returns the process's exit status.
int PlayMovie(const char *path);

}  // namespace reelplay
