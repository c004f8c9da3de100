// JPEG through libjpeg-turbo: reading greyscale and colour JPEGs as 8-bit RGB, writing RGB.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/image/ImageReader.h"

namespace lensara {

class JpegImage final : public ImageReader {
public:
  explicit JpegImage(const std::filesystem::path& file);
  ~JpegImage() override;
  void Read(Bitmap& rgb) override;

  static void Write(std::FILE* file, const Bitmap& bitmap);

  struct State;  // the decompressor and what its error handler keeps

private:
  std::unique_ptr<State> state;
};

}  // namespace lensara
