#pragma once

namespace reelplay {

// Plays the movie to its end in a window on the primary surface. Prints
// what it plays and how it went; returns the process's exit status.
int PlayMovie(const char *path);

}  // namespace reelplay
