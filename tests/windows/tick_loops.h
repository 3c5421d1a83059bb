// Host loops over the playback tick that read the screen back as they go.
// Wine decodes in real time, so each loop gives up after a while instead of
// waiting for ever.
#pragma once

#include <vector>

#include <vidsurf.h>

#include "desktop_host.h"
#include "screen_picture.h"

struct TickRun {
    bool ended = false;            // a tick returned 0
    bool resultsInRange = true;    // every tick returned 0, 1 or 2
    std::vector<int> framesShown;  // frame numbers as they changed on the screen
};

// Reads the frame at `where` and notes it when it differs from the last.
void NoteFrame(const DesktopHost &host, const RECT &where, TickRun *run);

// Ticks until the tick returns 0, noting the frame at `where` after every
// tick that reports playing.
TickRun TickToEnd(StreamSample *stream, const DesktopHost &host, const RECT &where);

// Ticks until the picture at `where` shows a frame number other than
// `before`; returns that number (-1 when none came) and the picture.
int TickUntilFrameChanges(StreamSample *stream, const DesktopHost &host, const RECT &where, int before,
                          ScreenPicture *picture);
