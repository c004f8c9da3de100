// Reading and writing 8-bit RGB images: PNG, JPEG, TIFF and OpenEXR, read as the file's
// content shows and written as its extension names; also OpenEXR's other channels as
// stored and depth images' samples at full precision.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/Bitmap.h"
#include "app/image/ImageReader.h"

namespace lensara {

// Images of more pixels are refused from their header, before any pixel memory is taken.
constexpr int64_t kMaxImagePixels = int64_t(1) << 28;

// Reads an image as 8-bit RGB: one channel (grey) fills red, green and blue alike; a
// channel beyond the colour (alpha) is dropped; other depths are scaled to 8 bits. Only
// PNG, JPEG, TIFF and OpenEXR files are read, told apart by their first bytes whatever
// the extension. Throws Error naming the file and the problem: not one of those formats,
// more than kMaxImagePixels pixels, more pixels than the file's bytes can hold at its
// compression's best, a damaged file; std::bad_alloc when memory runs out.
Bitmap ReadImage(const std::filesystem::path& file);

// The size an image's header declares, checked against kMaxImagePixels as ReadImage checks
// it; no pixels are read (nor is the header checked against the file's size).
ImageSize ReadImageSize(const std::filesystem::path& file);

// Checks, before any work, that file can be written as an image: UsageError when its
// extension names no format written here (.png, .jpg, .jpeg, .tif, .tiff, .exr), Error when
// its folder is missing or not writable or it is a directory.
void CheckImageOutput(const std::filesystem::path& file);

// Writes bitmap as 8-bit RGB (EXR: 32-bit float v / 255), in the format of file's extension, through a temporary file
// beside it that is renamed into place, so that no half-written file is left. Throws Error
// naming the file and the problem.
void WriteImage(const std::filesystem::path& file, const Bitmap& bitmap);

// zlib's level for the PNGs written (0 none .. 9 smallest), kDefaultPngCompression unless
// set; for the whole process.
constexpr int kDefaultPngCompression = 4;
void SetPngCompression(int level);

// bitmap as the bytes of an 8-bit RGB PNG file, made in memory. Throws Error.
std::string EncodePng(const Bitmap& bitmap);

// One image of a layered file: its channels are named "<name>.R", ".G" and ".B", or R, G
// and B for an empty name.
struct NamedBitmap {
  std::string name;
  const Bitmap* bitmap = nullptr;
};

// One channel of an OpenEXR file with its samples as the file stores them (OpenEXR's pixel
// types: 4-byte unsigned integers, 2-byte halves, 4-byte floats), row by row, one sample per
// xSampling x ySampling pixels.
struct ExrChannel {
  enum class Type { Uint, Half, Float };
  std::string name;
  Type type = Type::Float;
  int xSampling = 1, ySampling = 1;
  std::vector<char> samples;
};

// An image's picture, and for an OpenEXR file the layer it came from ("" for the composite
// or a grey channel) and every other channel the file holds.
struct LayeredImage {
  Bitmap picture;
  std::string layer;
  std::vector<ExrChannel> others;
};

// Reads file as ReadImage does, an OpenEXR picture from layer when it is not empty (else
// the composite R, G, B, else the first layer with R, G and B); for an OpenEXR file also
// every other channel as stored. Throws Error as ReadImage does, and naming the file when layer
// is given for another format or names no layer of the file with R, G and B (its layers
// are listed).
LayeredImage ReadLayeredImage(const std::filesystem::path& file, const std::string& layer);

// Samples of one channel at full precision, row by row from the top: a depth image.
struct ImageSamples {
  ImageSize size;
  std::vector<float> values;
  bool integer = false;  // whole numbers of an integer format, else floats
};

// Reads a single-channel TIFF of 32-bit floats or 16-bit integers, or a 16-bit grey PNG,
// with ReadImage's checks. Throws Error naming the file for any other image and as
// ReadImage does.
ImageSamples ReadSamples(const std::filesystem::path& file);

// Whether file's content is an OpenEXR image (false for any other or none).
bool IsOpenExr(const std::filesystem::path& file);

// Writes bitmaps, all of the first one's size, into one file of a format that keeps named
// channels (OpenEXR): 32-bit float channels holding v / 255, so that 8-bit values come
// back exactly, and after them the channels of extra (of the layers' size; a layer's
// channel of the same name replaces one of extra). Written through a temporary file like
// WriteImage; throws Error naming the file and the problem.
void WriteLayeredImage(const std::filesystem::path& file, const std::vector<NamedBitmap>& layers,
                       const std::vector<ExrChannel>& extra = {});

}  // namespace lensara
