#include "ImageReader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <new>

#include "app/core/Error.h"

namespace lensara {

std::string SizeText(const ImageSize& size) { return std::to_string(size.width) + " x " + std::to_string(size.height); }

bool ImageReader::ReadSamples(std::vector<float>&) { ThrowNoDepthSamples(); }

void ThrowNoDepthSamples()
{
  throw Error("holds no depth: depth images are OpenEXR, a single-channel TIFF of 32-bit floats or 16-bit "
              "integers, or a 16-bit grey PNG");
}

std::FILE* OpenForReading(const std::filesystem::path& file)
{
  std::FILE* stream = std::fopen(file.c_str(), "rb");
  if (!stream) throw Error(std::strerror(errno));
  return stream;
}

void ThrowLibraryError(const std::string& text)
{
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  for (const char* words : {"memory", "bad_alloc", "no space"})
    if (lower.find(words) != std::string::npos) throw std::bad_alloc();
  throw Error(text.empty() ? "the library reported no reason" : text);
}

}  // namespace lensara
