// Movies that change on the way: frame size, palette, sound channels.
#include <cstdio>
#include <fstream>

#include "moviegen/movie_writer.h"
#include "moviegen/tone_track.h"
#include "moviegen/video_track.h"

namespace moviegen {
namespace {

bool Fail(std::string *error, const std::string &message) {
  if (error) *error = message;
  return false;
}

bool Append(const std::string &part, std::ofstream &out) {
  std::ifstream in(part, std::ios::binary);
  out << in.rdbuf();
  return in && out;
}

}  // namespace

bool WriteSizeChange(const std::string &path, const MovieRecipe &first, const MovieRecipe &second,
                     std::string *error) {
  if (first.kind != Kind::Mpeg1Ps || second.kind != Kind::Mpeg1Ps)
    return Fail(error, "both parts must be MPEG-1");
  // The ".m1v" names choose FFmpeg's elementary stream muxer.
  const std::string parts[2] = {path + ".1.m1v", path + ".2.m1v"};
  bool written = WriteMovie(parts[0], first, error) && WriteMovie(parts[1], second, error);
  if (written) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    written = Append(parts[0], out) && Append(parts[1], out);
    if (!written) Fail(error, "cannot write " + path);
  }
  for (const std::string &part : parts) std::remove(part.c_str());
  return written;
}

bool WritePaletteChange(const std::string &path, const MovieRecipe &recipe, int changeAt, std::string *error) {
  if (recipe.kind != Kind::Pal8Avi) return Fail(error, "the palette changes in Pal8Avi movies");
  return WriteMovieChanging(
      path, recipe,
      [changeAt](MovieTracks &tracks, int index, std::string *) {
        if (index == changeAt) tracks.video.ReversePaletteFrom(index);
        return true;
      },
      error);
}

bool WriteChannelChange(const std::string &path, const MovieRecipe &recipe, int changeAt, std::string *error) {
  if (recipe.kind != Kind::Mpeg1Ps || !recipe.audio) return Fail(error, "the sound changes in Mpeg1Ps with audio");
  return WriteMovieChanging(
      path, recipe,
      [changeAt](MovieTracks &tracks, int index, std::string *why) {
        if (index != changeAt) return true;
        return tracks.file.ReplaceEncoder(
            tracks.audioStream, [](AVCodecContext *c) { ConfigureToneEncoder(c, 1); }, why);
      },
      error);
}

bool WriteLateSound(const std::string &path, const MovieRecipe &recipe, int64_t delaySamples, std::string *error) {
  if (!recipe.audio || recipe.kind == Kind::Mpeg1Ps) return Fail(error, "the movie needs a PCM tone");
  const std::string refusal = CheckRecipe(recipe);
  if (!refusal.empty()) return Fail(error, refusal);
  OutputFile file;
  if (!file.Open(path, error)) return false;
  const int video = AddVideoStream(file, recipe, error);
  const int audio = video < 0 ? -1 : AddToneStream(file, AV_CODEC_ID_PCM_S16LE, error);
  if (audio < 0 || !file.WriteHeader(error)) return false;
  VideoTrack pictures(file, video, recipe);
  ToneTrack tone(file, audio, AudioSampleCount(recipe));
  tone.DelayBy(delaySamples);
  for (int i = 0; i < recipe.frames; ++i) {
    MovieRecipe upTo = recipe;
    upTo.frames = i + 1;
    if (!pictures.Write(i, error) || !tone.WriteUntil(AudioSampleCount(upTo), error)) return false;
  }
  return file.Finish(error);
}

}  // namespace moviegen
