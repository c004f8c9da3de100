// TIFF and BigTIFF through libtiff: reading what its RGBA interface reads as 8-bit RGB, or a
// single channel of 32-bit floats or 16-bit integers as it is; writing 8-bit RGB.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "app/image/ImageReader.h"

namespace lensara {

class TiffImage final : public ImageReader {
public:
  explicit TiffImage(const std::filesystem::path& file);
  ~TiffImage() override;
  void Read(Bitmap& rgb) override;
  bool ReadSamples(std::vector<float>& values) override;

  static void Write(const std::filesystem::path& file, const Bitmap& bitmap);

  struct State;  // the open file and what its error handler keeps

private:
  std::unique_ptr<State> state;
};

}  // namespace lensara
