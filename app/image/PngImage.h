// PNG through libpng: reading any PNG as 8-bit RGB or a 16-bit grey one's samples as they
// are, writing 8-bit RGB.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/image/ImageReader.h"

namespace lensara {

class PngImage final : public ImageReader {
public:
  explicit PngImage(const std::filesystem::path& file);
  ~PngImage() override;
  void Read(Bitmap& rgb) override;
  bool ReadSamples(std::vector<float>& values) override;  // a 16-bit grey PNG

  // bitmap as PNG bytes at zlib's compression level (0 .. 9), into file or into a string.
  static void Write(std::FILE* file, const Bitmap& bitmap, int level);
  static std::string Encode(const Bitmap& bitmap, int level);

  struct State;  // what libpng's callbacks share

private:
  std::unique_ptr<State> state;
};

}  // namespace lensara
