// OpenEXR through its reference library: reading a picture's R, G and B (or one grey
// channel) as 8-bit RGB and every channel as stored, writing channels of any pixel type.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/image/ImageIO.h"
#include "app/image/ImageReader.h"

namespace lensara {

class ExrImage final : public ImageReader {
public:
  // Reads the header alone (OpenEXR's core library, which takes no memory for pixels); the
  // pixels are read by Read, the picture from layer's R, G and B when it is not empty.
  explicit ExrImage(const std::filesystem::path& file, const std::string& layer = "");
  void Read(Bitmap& rgb) override;

  // The channels Read takes: layer's R, G and B, else the composite R, G and B when there
  // is one of them, else a "Combined" layer's (Blender's picture, "<view layer>.Combined"),
  // else the first layer's (in the file's order) that has all three, else
  // one grey channel (Y, or the first). Error when layer names no layer with R, G and B,
  // listing the layers the file has.
  std::vector<std::string> PictureChannels() const;

  // Every channel with its samples as stored.
  std::vector<ExrChannel> ReadChannels() const;

  // How 8-bit values v become floats: both give v / 255 to within a rounding, and each keeps
  // what the host has always written (single images were scaled by 1 / 255, layered files
  // divided by 255).
  enum class ByteScale { Divide, ByInverse };

  // layers, all of the first one's size, as channels "<name>.R", ".G", ".B" (R, G, B for
  // an empty name) holding v / 255 as 32-bit floats, then extra's channels (a layer's
  // replaces one of extra of the same name), zip-compressed.
  static void Write(const std::filesystem::path& file, const std::vector<NamedBitmap>& layers, ByteScale scale,
                    const std::vector<ExrChannel>& extra);

  // The names of the file's channels, in the file's (alphabetical) order.
  std::vector<std::string> Channels() const;

  // One channel as 32-bit floats, row by row from the top; Error when the file has no such
  // channel, listing those it has.
  std::vector<float> ReadChannel(const std::string& name) const;

private:
  std::filesystem::path file;
  std::string layer;
};

}  // namespace lensara
