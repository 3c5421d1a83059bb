// The video stream of a movie: the encoder settings of each kind, and the
// frames given to it.
#pragma once

#include <string>

#include "moviegen/moviegen.h"
#include "moviegen/output_file.h"

struct SwsContext;

namespace moviegen {

// Adds the video stream for recipe.kind. Returns the stream number or -1.
int AddVideoStream(OutputFile &file, const MovieRecipe &recipe, std::string *error);

class VideoTrack {
 public:
  VideoTrack(OutputFile &file, int stream, const MovieRecipe &recipe);
  ~VideoTrack();
  VideoTrack(const VideoTrack &) = delete;
  VideoTrack &operator=(const VideoTrack &) = delete;

  // Encodes frame `index` (FrameRgb24 or FrameIndices) with pts = index.
  bool Write(int index, std::string *error);
  // Paletted kinds: from frame `index` on, the palette's entries come in
  // reverse order (and the indices with them), so the pictures look the
  // same through another palette.
  void ReversePaletteFrom(int index) { reversedFrom_ = index; }

 private:
  bool FillPaletted(int index);
  bool FillConverted(int index);

  OutputFile &file_;
  int stream_;
  MovieRecipe recipe_;
  AVFrame *frame_ = nullptr;
  SwsContext *scaler_ = nullptr;
  int reversedFrom_ = -1;
};

}  // namespace moviegen
