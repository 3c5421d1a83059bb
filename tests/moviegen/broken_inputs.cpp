// Files a player must refuse or cope with: empty, cut short, random bytes,
// and sound without pictures.
#include <cmath>
#include <fstream>
#include <random>

#include "moviegen/moviegen.h"
#include "moviegen/output_file.h"
#include "moviegen/tone_track.h"

namespace moviegen {
namespace {

bool Fail(std::string *error, const std::string &message) {
  if (error) *error = message;
  return false;
}

bool WriteBytes(const std::string &path, const std::vector<char> &bytes, std::string *error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return Fail(error, "cannot create " + path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) return Fail(error, "cannot write " + path);
  return true;
}

}  // namespace

bool WriteZeroLength(const std::string &path, std::string *error) {
  return WriteBytes(path, {}, error);
}

bool WriteTruncated(const std::string &source, const std::string &path, double fraction,
                    std::string *error) {
  if (!(fraction > 0.0 && fraction < 1.0)) return Fail(error, "the fraction must be in (0, 1)");
  std::ifstream in(source, std::ios::binary | std::ios::ate);
  if (!in) return Fail(error, "cannot read " + source);
  std::streamoff size = in.tellg();
  auto keep = static_cast<std::streamoff>(std::floor(static_cast<double>(size) * fraction));
  if (keep <= 0 || keep >= size) return Fail(error, source + " is too short to cut");
  std::vector<char> bytes(static_cast<size_t>(keep));
  in.seekg(0);
  if (!in.read(bytes.data(), keep)) return Fail(error, "cannot read " + source);
  return WriteBytes(path, bytes, error);
}

bool WriteGarbage(const std::string &path, size_t bytes, unsigned seed, std::string *error) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<char> data(bytes);
  for (char &c : data) c = static_cast<char>(byte(random));
  return WriteBytes(path, data, error);
}

bool WriteAudioOnly(const std::string &path, double seconds, std::string *error) {
  if (!(seconds > 0.0)) return Fail(error, "the length must be positive");
  OutputFile file;
  if (!file.Open(path, error)) return false;
  int audio = AddToneStream(file, AV_CODEC_ID_PCM_S16LE, error);
  if (audio < 0 || !file.WriteHeader(error)) return false;
  int64_t total = std::llround(seconds * kAudioSampleRate);
  ToneTrack tone(file, audio, total);
  if (!tone.WriteUntil(total, error)) return false;
  return file.Finish(error);
}

}  // namespace moviegen
