// The sound device behind the default audio renderer, seen through SDL:
// the device a stream lets go of is kept, paused and empty, for the next.
#include "stream_fixture.h"

#include <SDL.h>

#include <chrono>
#include <thread>
#include <vector>

namespace mmtest {
namespace {

// The devices SDL has open, by id (SDL numbers them from 1 or 2 up).
std::vector<SDL_AudioDeviceID> OpenDevices() {
    std::vector<SDL_AudioDeviceID> open;
    for (SDL_AudioDeviceID id = 1; id <= 32; ++id)
        if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED) open.push_back(id);
    return open;
}

class AudioDeviceTest : public StreamTest {
protected:
    // A running stream with the default audio renderer, or null.
    IAMMultiMediaStream *PlayWithSound(const std::string &movie) {
        IAMMultiMediaStream *mm = nullptr;
        if (CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                             reinterpret_cast<void **>(&mm)) != S_OK)
            return nullptr;
        EXPECT_EQ(mm->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr), S_OK);
        EXPECT_EQ(mm->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, nullptr), S_OK);
        EXPECT_EQ(mm->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr), S_OK);
        EXPECT_EQ(mm->OpenFile(Widen(movie).c_str(), AMMSF_RUN), S_OK);
        return mm;
    }
};

// Waits, a bounded time, for the renderer to queue sound on the device.
bool SoundQueued(SDL_AudioDeviceID device) {
    for (int i = 0; i < 500 && SDL_GetQueuedAudioSize(device) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return SDL_GetQueuedAudioSize(device) > 0;
}

// SDL's dummy driver opens one device at a time, so a stream that found
// the kept device closed would find none.
TEST_F(AudioDeviceTest, TheDeviceAStreamLetsGoOfIsKeptPausedAndEmptyForTheNext) {
    moviegen::MovieRecipe recipe;
    recipe.kind = moviegen::Kind::Mpeg4PcmAvi;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = 50;  // two seconds of sound, more than is queued at once
    recipe.audio = true;
    const std::string movie = WriteMovie(recipe);
    ASSERT_TRUE(OpenDevices().empty());

    IAMMultiMediaStream *first = PlayWithSound(movie);
    ASSERT_TRUE(first);
    const std::vector<SDL_AudioDeviceID> playing = OpenDevices();
    ASSERT_EQ(playing.size(), 1u);
    EXPECT_TRUE(SoundQueued(playing[0]));
    EXPECT_EQ(first->Release(), 0u);

    // Kept, paused and with nothing of the old sound queued.
    EXPECT_EQ(OpenDevices(), playing);
    EXPECT_EQ(SDL_GetAudioDeviceStatus(playing[0]), SDL_AUDIO_PAUSED);
    EXPECT_EQ(SDL_GetQueuedAudioSize(playing[0]), 0u);

    // The next stream plays its sound on it, and so does the one after.
    for (int i = 0; i < 2; ++i) {
        IAMMultiMediaStream *next = PlayWithSound(movie);
        ASSERT_TRUE(next);
        EXPECT_EQ(OpenDevices(), playing);
        EXPECT_TRUE(SoundQueued(playing[0]));
        EXPECT_EQ(next->Release(), 0u);
    }
}

}  // namespace
}  // namespace mmtest
