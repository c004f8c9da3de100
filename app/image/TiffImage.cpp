#include "TiffImage.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <new>
#include <vector>

namespace lensara {

struct TiffImage::State {
  ~State()
  {
    if (tiff) TIFFClose(tiff);
    TIFFOpenOptionsFree(options);
  }

  TIFFOpenOptions* options = nullptr;
  TIFF* tiff = nullptr;
  char message[256] = "";
};

namespace {

using TiffState = TiffImage::State;

// A 12-bit LZW code stands for at most 4096 bytes.
constexpr uint64_t kLzwRatio = 4096 * 8 / 12;
// PackBits repeats a byte at most 128 times for 2 bytes.
constexpr uint64_t kPackBitsRatio = 64;

int KeepError(TIFF*, void* user, const char*, const char* format, va_list arguments)
{
  char* message = static_cast<TiffState*>(user)->message;
  if (!*message) std::vsnprintf(message, sizeof TiffState::message, format, arguments);
  return 1;  // handled: libtiff prints nothing
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

[[noreturn]] void ThrowFailure(const TiffState& state) { ThrowLibraryError(state.message); }

void Open(TiffState& s, const std::filesystem::path& file, const char* mode)
{
  s.options = TIFFOpenOptionsAlloc();
  if (!s.options) throw std::bad_alloc();
  TIFFOpenOptionsSetErrorHandlerExtR(s.options, KeepError, &s);
  TIFFOpenOptionsSetWarningHandlerExtR(s.options, IgnoreWarning, &s);
  s.tiff = TIFFOpenExt(file.c_str(), mode, s.options);
  if (!s.tiff) ThrowFailure(s);
}

uint64_t MaxRatio(uint16_t compression)
{
  switch (compression) {
  case COMPRESSION_NONE: return 1;
  case COMPRESSION_LZW: return kLzwRatio;
  case COMPRESSION_PACKBITS: return kPackBitsRatio;
  case COMPRESSION_DEFLATE:
  case COMPRESSION_ADOBE_DEFLATE: return kDeflateRatio;
  case COMPRESSION_JPEG:
  case COMPRESSION_OJPEG: return kJpegRatio;
  default: return kLooseRatio;
  }
}

template <class T>
T Field(TIFF* tiff, ttag_t tag)
{
  T value = 0;
  TIFFGetFieldDefaulted(tiff, tag, &value);
  return value;
}

// The x-th sample of a row of samples of type T.
template <class T>
float Sample(const std::vector<char>& row, std::size_t x)
{
  T value;
  std::memcpy(&value, row.data() + x * sizeof value, sizeof value);
  return float(value);
}

}  // namespace

TiffImage::TiffImage(const std::filesystem::path& file) : state(std::make_unique<TiffState>())
{
  Open(*state, file, "r");
  TIFF* tiff = state->tiff;
  auto width = Field<uint32_t>(tiff, TIFFTAG_IMAGEWIDTH), height = Field<uint32_t>(tiff, TIFFTAG_IMAGELENGTH);
  uint64_t bits = uint64_t(Field<uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL)) * Field<uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE);
  header = {{int(std::min<uint32_t>(width, INT32_MAX)), int(std::min<uint32_t>(height, INT32_MAX))},
            (uint64_t(width) * bits + 7) / 8 * height, MaxRatio(Field<uint16_t>(tiff, TIFFTAG_COMPRESSION))};
}

TiffImage::~TiffImage() = default;

void TiffImage::Read(Bitmap& rgb)
{
  std::size_t count = std::size_t(rgb.Width()) * rgb.Height();
  std::vector<uint32_t> raster(count);
  if (!TIFFReadRGBAImageOriented(state->tiff, uint32_t(rgb.Width()), uint32_t(rgb.Height()), raster.data(),
                                 ORIENTATION_TOPLEFT, 0))
    ThrowFailure(*state);
  uint8_t* out = rgb.Row(0);
  for (std::size_t i = 0; i < count; ++i) {
    out[i * 3] = uint8_t(TIFFGetR(raster[i]));
    out[i * 3 + 1] = uint8_t(TIFFGetG(raster[i]));
    out[i * 3 + 2] = uint8_t(TIFFGetB(raster[i]));
  }
}

bool TiffImage::ReadSamples(std::vector<float>& values)
{
  TIFF* tiff = state->tiff;
  auto format = Field<uint16_t>(tiff, TIFFTAG_SAMPLEFORMAT), bits = Field<uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE);
  bool floats = format == SAMPLEFORMAT_IEEEFP && bits == 32, integers = format == SAMPLEFORMAT_UINT && bits == 16;
  if (Field<uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL) != 1 || !(floats || integers)) ThrowNoDepthSamples();
  const std::size_t width = std::size_t(header.size.width), size = bits / 8;
  std::vector<char> row(std::max<std::size_t>(std::size_t(TIFFScanlineSize64(tiff)), width * size));
  for (std::size_t y = 0; y * width < values.size(); ++y) {
    if (TIFFReadScanline(tiff, row.data(), uint32_t(y), 0) < 0) ThrowFailure(*state);
    for (std::size_t x = 0; x < width; ++x) values[y * width + x] = floats ? Sample<float>(row, x) : Sample<uint16_t>(row, x);
  }
  return integers;
}

void TiffImage::Write(const std::filesystem::path& file, const Bitmap& bitmap)
{
  TiffState s;
  Open(s, file, "w");
  TIFF* tiff = s.tiff;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(bitmap.Width()));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(bitmap.Height()));
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
  for (int y = 0; y < bitmap.Height(); ++y)
    if (TIFFWriteScanline(tiff, const_cast<uint8_t*>(bitmap.Row(y)), uint32_t(y), 0) < 0) ThrowFailure(s);
  if (!TIFFWriteDirectory(tiff)) ThrowFailure(s);
}

}  // namespace lensara
