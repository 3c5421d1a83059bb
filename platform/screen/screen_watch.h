// Telling the host's screen watcher (StandinWatchScreen) that the screen
// has changed.
#pragma once

namespace standin {

// Calls the watcher, if one is set; the caller must hold no surface lock
// or screen mutex, since the watcher may read or blit the screen.
void NotifyScreenChanged();

}  // namespace standin
