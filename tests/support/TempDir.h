// A fresh directory for a test's files, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace test {

class TempDir {
public:
  TempDir()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "lensara-test-XXXXXX").string();
#ifdef _WIN32
    // MinGW has no mkdtemp: a name no file has, then the directory.
    std::error_code ec;
    path = _mktemp(pattern.data()) && std::filesystem::create_directory(pattern, ec) ? pattern : "";
#else
    path = mkdtemp(pattern.data()) ? pattern : "";
#endif
  }
  ~TempDir()
  {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::filesystem::path operator/(const std::string& name) const { return path / name; }
  std::filesystem::path path;
};

// Everything in file, empty when it cannot be read.
inline std::string Contents(const std::filesystem::path& file)
{
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace test
