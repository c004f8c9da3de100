// One image file opened by the library of its format, its header read and no pixel yet:
// what the host checks before it takes pixel memory, and the decoding after.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/Bitmap.h"

namespace lensara {

struct ImageSize {
  int width = 0;
  int height = 0;
  bool operator==(const ImageSize& o) const { return width == o.width && height == o.height; }
  bool operator!=(const ImageSize& o) const { return !(*this == o); }
};

// "width x height", as messages state sizes.
std::string SizeText(const ImageSize& size);

// What a header declares: the size, the bytes of samples the format stores before its
// compression, and the most bytes its compression can make of one byte of file.
struct ImageHeader {
  ImageSize size;
  uint64_t storedBytes = 0;
  uint64_t maxRatio = 1;
};

// Deflate's limit: a run is at most 258 bytes from about 2 bits. PNG, the zip
// compressions of OpenEXR and TIFF.
constexpr uint64_t kDeflateRatio = 1032;
// A Huffman-coded JPEG (baseline or progressive) spends at least a bit on each 8 x 8 block
// of a component, which up-sampling spreads over at most 16 blocks of output.
constexpr uint64_t kJpegRatio = 8 * 64 * 16;
// Coders whose runs or arithmetic coding have no bound as tight (progressive or arithmetic
// JPEG, PIZ and DWA in OpenEXR, fax or zstd in TIFF): a loose bound of their own.
constexpr uint64_t kLooseRatio = 65536;

// Decoders throw Error with the library's message (no file name: the caller adds it) and
// std::bad_alloc when memory runs out.
class ImageReader {
public:
  virtual ~ImageReader() = default;
  ImageReader() = default;
  ImageReader(const ImageReader&) = delete;
  ImageReader& operator=(const ImageReader&) = delete;

  const ImageHeader& Header() const { return header; }

  // Decodes into rgb, 8-bit RGB of the header's size: grey fills red, green and blue alike,
  // channels past the colour are dropped, other depths are scaled to 8 bits.
  virtual void Read(Bitmap& rgb) = 0;

  // Decodes the samples of a single-channel depth image at full precision into values, of
  // the header's width x height; answers whether they are whole numbers of an integer
  // format. Error for an image of any other layout (this one: every image).
  virtual bool ReadSamples(std::vector<float>& values);

protected:
  ImageHeader header;
};

// The error of a reader asked for depth samples from an image that holds none.
[[noreturn]] void ThrowNoDepthSamples();

// file opened for reading as a C stream, for the libraries that take one. Throws Error.
std::FILE* OpenForReading(const std::filesystem::path& file);

// Throws std::bad_alloc when a library's message says memory ran out, else Error(text):
// for the libraries without an error code for it.
[[noreturn]] void ThrowLibraryError(const std::string& text);

// Keeps the start of a library's message in a buffer that needs no allocation: the
// libraries report short memory through the same path.
template <std::size_t N>
void CopyMessage(char (&buffer)[N], const char* text)
{
  std::strncpy(buffer, text, N - 1);
  buffer[N - 1] = '\0';
}

}  // namespace lensara
