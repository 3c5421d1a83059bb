// Host sequences: each plays a movie file the way a program does, with every
// call bounded. Whatever the file holds, none may crash or hang.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace fuzzhost {

// What a run got to, for the replayer to show.
struct PlayOutcome {
    HRESULT opened = E_FAIL;  // S_OK when the movie opened
    int updates = 0;          // updates (or ticks) made
    int ends = 0;             // how often the end of the movie was reached (0 to 2)
};

// Through the multimedia stream (CLSID_AMMultiMediaStream): opens the movie
// with a video stream on a DirectDraw object and the default sound renderer,
// makes a sample on a surface of the stream's own, runs and updates until
// the end of the stream (at most a fixed number of updates), seeks once,
// updates again, then stops and releases everything.
PlayOutcome PlayThroughStream(const std::string &path);

// Through the vidsurf library, as its hosts do: a DirectDraw object and its
// primary surface, createStreamSample, updateStreamSample until it says the
// movie has ended (at most a fixed number of ticks), streamSeek to the
// middle, ticks again, streamPause at a third, a few ticks, and
// freeStreamSample.
PlayOutcome PlayThroughLibrary(const std::string &path);

struct Host {
    const char *name;
    PlayOutcome (*play)(const std::string &path);
};

// Every host sequence, for the replayer.
const std::vector<Host> &AllHosts();

}  // namespace fuzzhost
