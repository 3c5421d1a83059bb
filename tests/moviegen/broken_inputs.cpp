// Files a player must refuse or cope with: empty, cut short, random bytes,
// damaged in the middle, claiming huge frames, and sound without pictures.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
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

bool ReadAll(const std::string &path, std::vector<char> *bytes, std::string *error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail(error, "cannot read " + path);
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

void FillRandom(char *data, size_t bytes, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  for (size_t i = 0; i < bytes; ++i) data[i] = static_cast<char>(byte(random));
}

// Writes a little-endian 32-bit value `offset` bytes after the first
// occurrence of `tag` (whose 4-byte size field is skipped).
bool PatchAfterTag(std::vector<char> &bytes, const char *tag, size_t offset, int32_t value) {
  const auto found = std::search(bytes.begin(), bytes.end(), tag, tag + 4);
  const size_t at = static_cast<size_t>(found - bytes.begin()) + 8 + offset;
  if (found == bytes.end() || at + 4 > bytes.size()) return false;
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(static_cast<uint32_t>(value) >> (8 * i));
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
  std::vector<char> data(bytes);
  FillRandom(data.data(), bytes, seed);
  return WriteBytes(path, data, error);
}

bool WriteGarbageRun(const std::string &source, const std::string &path, double fraction, size_t bytes,
                     unsigned seed, std::string *error) {
  std::vector<char> data;
  if (!ReadAll(source, &data, error)) return false;
  const auto at = static_cast<size_t>(static_cast<double>(data.size()) * fraction);
  if (!(fraction > 0.0 && fraction < 1.0) || at + bytes > data.size())
    return Fail(error, source + " is too short for the run");
  FillRandom(data.data() + at, bytes, seed);
  return WriteBytes(path, data, error);
}

// The AVI main header (avih) holds the size at bytes 32 and 36, the video
// format (the first strf, a BITMAPINFOHEADER) at bytes 4 and 8.
bool WriteClaimedFrameSize(const std::string &source, const std::string &path, int width, int height,
                           std::string *error) {
  std::vector<char> data;
  if (!ReadAll(source, &data, error)) return false;
  if (!PatchAfterTag(data, "avih", 32, width) || !PatchAfterTag(data, "avih", 36, height) ||
      !PatchAfterTag(data, "strf", 4, width) || !PatchAfterTag(data, "strf", 8, height))
    return Fail(error, source + " has no AVI video headers");
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
