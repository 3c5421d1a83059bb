// WriteMovie: the video and, when asked, the tone, interleaved frame by frame.
#include "moviegen/movie_writer.h"

#include "moviegen/tone_track.h"

namespace moviegen {

bool WriteMovie(const std::string &path, const MovieRecipe &recipe, std::string *error) {
  return WriteMovieChanging(path, recipe, nullptr, error);
}

bool WriteMovieChanging(const std::string &path, const MovieRecipe &recipe, const BeforeFrame &beforeFrame,
                        std::string *error) {
  std::string refusal = CheckRecipe(recipe);
  if (!refusal.empty()) {
    if (error) *error = refusal;
    return false;
  }
  OutputFile file;
  if (!file.Open(path, error)) return false;
  int video = AddVideoStream(file, recipe, error);
  if (video < 0) return false;
  int audio = -1;
  if (recipe.audio) {
    audio = AddToneStream(file, recipe.kind == Kind::Mpeg1Ps ? AV_CODEC_ID_MP2 : AV_CODEC_ID_PCM_S16LE,
                          error);
    if (audio < 0) return false;
  }
  if (!file.WriteHeader(error)) return false;

  VideoTrack pictures(file, video, recipe);
  ToneTrack tone(file, audio, audio >= 0 ? AudioSampleCount(recipe) : 0, recipe.flashes,
                 BeepDelay(recipe));
  MovieTracks tracks{file, pictures, audio};
  for (int i = 0; i < recipe.frames; ++i) {
    if (beforeFrame && !beforeFrame(tracks, i, error)) return false;
    if (!pictures.Write(i, error)) return false;
    if (audio >= 0) {
      // The sound that plays while this frame is shown.
      MovieRecipe upTo = recipe;
      upTo.frames = i + 1;
      if (!tone.WriteUntil(AudioSampleCount(upTo), error)) return false;
    }
  }
  return file.Finish(error);
}

}  // namespace moviegen
