// TempDir: a private scratch directory for one test.
#include <stdlib.h>

#include <filesystem>
#include <system_error>

#include "moviegen/moviegen.h"

namespace moviegen {

TempDir::TempDir() {
  const char *base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/vidsurf-moviegen-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data())) path_ = name.data();
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string &name) const { return path_ + "/" + name; }

}  // namespace moviegen
