// A host playing a movie file through the stand-in's multimedia stream
// (CLSID_AMMultiMediaStream) the way a program does, with every call bounded.
#pragma once

#include <string>

#include <windows.h>

namespace fuzzhost {

// What a run got to, for the replayer to show.
struct PlayOutcome {
    HRESULT opened = E_FAIL;  // OpenFile's result
    int updates = 0;          // Update calls made
    int ends = 0;             // of them, how many said MS_S_ENDOFSTREAM (0 to 2)
};

// Opens the movie with a video stream on a DirectDraw object and the default
// sound renderer, makes a sample on a surface of the stream's own, runs and
// updates until the end of the stream (at most a fixed number of updates),
// seeks once, updates again, then stops and releases everything. Whatever
// the file holds, this must neither crash nor hang.
PlayOutcome PlayThroughStream(const std::string &path);

}  // namespace fuzzhost
