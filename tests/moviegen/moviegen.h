// moviegen: writes small real movies through FFmpeg's encoders whose pixels
// tell which frame they are, so that a player's output can be checked frame
// by frame; plus broken inputs that a player must refuse.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace moviegen {

enum class Kind {
  RawRgbAvi,    // AVI, rawvideo bgr24: lossless
  Pal8Avi,      // AVI, rawvideo pal8 with the palette in the stream: lossless
  Mpeg4PcmAvi,  // AVI, MPEG-4 Visual video (B-frames) and PCM audio
  MjpegAvi,     // AVI, Motion JPEG video, PCM audio when asked
  Mpeg1Ps,      // MPEG-1 program stream (.mpg), MP2 audio when asked
  Gif,          // animated GIF, pal8: lossless
  H264Mov,      // QuickTime, H.264 by libx264 (its default GOP of 250, B-frames), PCM audio
};

struct MovieRecipe {
  Kind kind = Kind::RawRgbAvi;
  int width = 320;
  int height = 240;
  int fpsNum = 25;  // frame rate fpsNum/fpsDen
  int fpsDen = 1;
  int frames = 25;
  bool audio = false;  // add the tone as a PCM (MP2 for Mpeg1Ps) track
  // For timing picture against sound: each frame that starts on a whole
  // second is white and the others black (under the frame-number blocks),
  // and the sound is BeepSamples instead of the tone.
  bool flashes = false;
};

// Every kind, for tests that loop over them.
const std::vector<Kind> &AllKinds();
// "raw-rgb", "pal8", "mpeg4-pcm", "mjpeg", "mpeg1", "gif", "h264".
const char *KindName(Kind kind);
bool ParseKind(const std::string &name, Kind *kind);
// ".avi", ".mpg", ".gif" or ".mov".
const char *KindExtension(Kind kind);
// Decoding gives back exactly FrameRgb24.
bool KindIsLossless(Kind kind);
// Frames are palette indices (FrameIndices, MoviePalette).
bool KindIsPaletted(Kind kind);
// Whether the kind can carry the tone (all but Gif).
bool KindHasAudio(Kind kind);

// Empty when the recipe can be written; otherwise why not. The frame must hold
// the code blocks (at least 64x48); Mpeg1Ps needs an MPEG-1 frame rate
// (24000/1001, 24, 25, 30000/1001, 30, 50, 60000/1001, 60); Gif needs a frame
// time that is a whole number of centiseconds (e.g. 10, 20, 25, 50 fps);
// H264Mov needs even sides.
std::string CheckRecipe(const MovieRecipe &recipe);

// Writes the movie. False (with *error set, when error is not null) if the
// recipe is refused or FFmpeg fails; a partly written file is removed.
bool WriteMovie(const std::string &path, const MovieRecipe &recipe, std::string *error);

// The picture given to the encoder for frame `index`: R,G,B bytes,
// width*height*3, rows packed. For paletted kinds it is FrameIndices looked
// up in MoviePalette.
std::vector<uint8_t> FrameRgb24(const MovieRecipe &recipe, int index);
// Paletted kinds: one palette index per pixel, width*height, rows packed.
std::vector<uint8_t> FrameIndices(const MovieRecipe &recipe, int index);
// 256 distinct colours, 0x00RRGGBB; entry 0 is black and 255 white.
std::array<uint32_t, 256> MoviePalette();

// Largest frame number the code blocks can carry.
constexpr int kMaxFrameIndex = 4095;
// The frame number shown in a picture of the given size (R,G,B bytes,
// rowBytes apart), or -1 if the code blocks cannot be read. Survives lossy
// coding, mapping to a 256-colour fixed palette and dithering.
int ReadFrameIndex(const uint8_t *rgb24, int width, int height, size_t rowBytes);

// Start of frame `index` in 100 ns units, rounded to nearest.
int64_t FrameStart100ns(const MovieRecipe &recipe, int index);
// The movie's length in 100 ns units (the start of the frame after the last).
int64_t MovieDuration100ns(const MovieRecipe &recipe);

// The tone: 16-bit signed PCM at kAudioSampleRate, kAudioChannels
// interleaved. A soft bell arpeggio that depends only on the sample number.
constexpr int kAudioSampleRate = 22050;
constexpr int kAudioChannels = 2;
// Samples per channel that cover the movie's duration.
int64_t AudioSampleCount(const MovieRecipe &recipe);
// `count` samples per channel starting at sample `first`, interleaved.
std::vector<int16_t> ToneSamples(int64_t first, int count);

// Flash movies (recipe.flashes): whether frame `index` starts on a whole
// second, and the sound: a 1 kHz beep of kBeepSamples (40 ms) from each
// whole second on, whose first sample is its peak, silence in between.
// The beeps come `delay` samples later than the whole seconds: the time
// at which a player shows the flash frames (BeepDelay).
bool FrameIsFlash(const MovieRecipe &recipe, int index);
constexpr int kBeepSamples = kAudioSampleRate / 25;
std::vector<int16_t> BeepSamples(int64_t first, int count, int64_t delay);
// Mpeg4PcmAvi: AVI gives B-frame video the decoder's delay of one frame,
// so frame i is shown at the time of frame i + 1 and the sound starts a
// frame before the picture; other kinds: 0.
int64_t BeepDelay(const MovieRecipe &recipe);

// Broken inputs. Each returns false (and sets *error) on an I/O failure.
// An empty file.
bool WriteZeroLength(const std::string &path, std::string *error = nullptr);
// The first `fraction` (0 < fraction < 1) of the bytes of `source`.
bool WriteTruncated(const std::string &source, const std::string &path, double fraction,
                    std::string *error = nullptr);
// `bytes` pseudo-random bytes from `seed`: the same seed gives the same file.
bool WriteGarbage(const std::string &path, size_t bytes, unsigned seed,
                  std::string *error = nullptr);
// The tone alone, `seconds` long, as PCM: a WAV file for a ".wav" path, an
// AVI with one audio stream for ".avi".
bool WriteAudioOnly(const std::string &path, double seconds, std::string *error = nullptr);

// A copy of `source` with `bytes` pseudo-random bytes from `seed` written
// over it from `fraction` (0 < fraction < 1) of its length on: an
// undecodable stretch in the middle of the packets.
bool WriteGarbageRun(const std::string &source, const std::string &path, double fraction, size_t bytes,
                     unsigned seed, std::string *error = nullptr);
// A copy of the AVI file `source` whose headers claim frames of
// width x height pixels (its packets are left as they are).
bool WriteClaimedFrameSize(const std::string &source, const std::string &path, int width, int height,
                           std::string *error = nullptr);

// Movies that change mid-stream.
// Two MPEG-1 video sequences of the recipes' sizes (both Mpeg1Ps with the
// same frame rate) one after the other in an elementary stream (".m1v").
bool WriteSizeChange(const std::string &path, const MovieRecipe &first, const MovieRecipe &second,
                     std::string *error = nullptr);
// A Pal8Avi movie whose palette comes in reverse order from frame
// `changeAt` on; its indices follow, so every frame shows FrameRgb24.
bool WritePaletteChange(const std::string &path, const MovieRecipe &recipe, int changeAt,
                        std::string *error = nullptr);
// A movie with sound (recipe.audio) whose tone turns from stereo to mono at
// frame `changeAt`: Mpeg1Ps with MP2 frames of either kind.
bool WriteChannelChange(const std::string &path, const MovieRecipe &recipe, int changeAt,
                        std::string *error = nullptr);

// A movie with sound (recipe.audio, PCM) whose tone starts `delaySamples`
// after the picture; a ".mkv" path, as Matroska keeps each track's times.
bool WriteLateSound(const std::string &path, const MovieRecipe &recipe, int64_t delaySamples,
                    std::string *error = nullptr);

// A fresh directory under $TMPDIR (or /tmp), removed with its contents when
// the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  // Empty if the directory could not be made.
  const std::string &path() const { return path_; }
  // path()/name.
  std::string File(const std::string &name) const;

 private:
  std::string path_;
};

}  // namespace moviegen
