// WriteMovie with a say before each frame, for movies that change on the way.
#pragma once

#include <functional>
#include <string>

#include "moviegen/moviegen.h"
#include "moviegen/output_file.h"
#include "moviegen/video_track.h"

namespace moviegen {

struct MovieTracks {
  OutputFile &file;
  VideoTrack &video;
  int audioStream;  // -1 without sound
};
// Called before frame `index` is written; false (with *error) stops.
using BeforeFrame = std::function<bool(MovieTracks &tracks, int index, std::string *error)>;

bool WriteMovieChanging(const std::string &path, const MovieRecipe &recipe, const BeforeFrame &beforeFrame,
                        std::string *error);

}  // namespace moviegen
