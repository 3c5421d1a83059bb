// One movie as the library would find it on the platform, every piece a
// fake: stream object, video stream, sample, DirectDraw, frame surface and
// (optionally) palette, all writing to one call log. The class factory is
// registered for CLSID_AMMultiMediaStream while the object lives, so
// createStreamSample opens this movie whatever the file name.
#pragma once

#include <amstream.h>

#include "fakes/call_log.h"
#include "fakes/fake_class_factory.h"
#include "fakes/fake_direct_draw.h"
#include "fakes/fake_multimedia_stream.h"
#include "fakes/fake_video_stream.h"

namespace fakes {

class ScriptedMovie {
public:
    static constexpr DWORD kWidth = 320;
    static constexpr DWORD kHeight = 240;

    // `comInit` is how the test's thread enters COM before registering.
    explicit ScriptedMovie(DWORD comInit = COINIT_APARTMENTTHREADED);
    ~ScriptedMovie();
    ScriptedMovie(const ScriptedMovie &) = delete;
    ScriptedMovie &operator=(const ScriptedMovie &) = delete;

    // Makes GetFormat hand out `palette` with the 8-bit format.
    void withPalette();

    CallLog log;
    FakeMultiMediaStream mm{&log};
    FakeDirectDrawMediaStream ddStream{&log};
    FakeMediaStream video{&log, &ddStream};
    FakeStreamSample sample{&log};
    FakeSurface surface{&log, "surface", kWidth, kHeight, kWidth};
    FakeDirectDraw directDraw{&log};
    FakePalette palette{&log};
    FakeClassFactory factory{&log};

private:
    DWORD cookie_ = 0;
};

}  // namespace fakes
