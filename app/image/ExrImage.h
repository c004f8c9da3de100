// OpenEXR through its reference library: reading R, G and B (or one grey channel) as 8-bit
// RGB, writing named layers of 32-bit float channels.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/image/ImageReader.h"

namespace lensara {

struct NamedBitmap;

class ExrImage final : public ImageReader {
public:
  // Reads the header alone (OpenEXR's core library, which takes no memory for pixels); the
  // pixels are read by Read.
  explicit ExrImage(const std::filesystem::path& file);
  void Read(Bitmap& rgb) override;

  // How 8-bit values v become floats: both give v / 255 to within a rounding, and each keeps
  // what the host has always written (single images were scaled by 1 / 255, layered files
  // divided by 255).
  enum class ByteScale { Divide, ByInverse };

  // layers, all of the first one's size, as channels "<name>.R", ".G", ".B" (R, G, B for
  // an empty name) holding v / 255 as 32-bit floats, zip-compressed.
  static void Write(const std::filesystem::path& file, const std::vector<NamedBitmap>& layers, ByteScale scale);

  // The names of the file's channels, in the file's (alphabetical) order.
  std::vector<std::string> Channels() const;

  // One channel as 32-bit floats, row by row from the top; Error when the file has no such
  // channel, listing those it has.
  std::vector<float> ReadChannel(const std::string& name) const;

private:
  std::filesystem::path file;
};

}  // namespace lensara
