#include "ImageIO.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/core/Allocations.h"
#include "app/core/Error.h"
#include "app/core/Files.h"
#include "app/image/ExrImage.h"
#include "app/image/JpegImage.h"
#include "app/image/PngImage.h"
#include "app/image/TiffImage.h"

namespace lensara {

namespace {

int pngCompression = kDefaultPngCompression;

constexpr const char* kOutputExtensions[] = {".png", ".jpg", ".jpeg", ".tif", ".tiff", ".exr"};

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string Lower(std::string text)
{
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

using namespace std::string_view_literals;

enum class Format { Png, Jpeg, Tiff, Exr };

// The formats read, known by their first bytes.
struct Signature {
  std::string_view magic;
  Format format;
};
constexpr Signature kSignatures[] = {{"\x89PNG\r\n\x1a\n"sv, Format::Png}, {"\xff\xd8\xff"sv, Format::Jpeg},
                                     {"II*\0"sv, Format::Tiff},             {"MM\0*"sv, Format::Tiff},
                                     {"II+\0"sv, Format::Tiff},             {"MM\0+"sv, Format::Tiff},
                                     {"v/1\x01"sv, Format::Exr}};

// The format of file's content; throws Error when it is none of the formats read.
Format FormatOf(const std::filesystem::path& file)
{
  char head[8] = {};
  std::ifstream in(file, std::ios::binary);
  in.read(head, sizeof head);
  std::string_view start(head, static_cast<std::size_t>(in.gcount()));
  for (const Signature& s : kSignatures)
    if (start.substr(0, s.magic.size()) == s.magic) return s.format;
  throw FileError(file, "is not a PNG, JPEG, TIFF or OpenEXR image");
}

// OpenEXR and libpng take the memory a header attribute or a chunk declares before reading
// it, so that a few damaged bytes can ask for gigabytes. These tell whether one of them (in
// an EXR's first header, anywhere in a PNG) declares more bytes than the file holds; in
// stands after the signature.
bool ExrAttributePastTheEnd(std::ifstream& in, std::streamoff end)
{
  in.seekg(8);  // the magic number and the version
  std::string name, type;
  while (std::getline(in, name, '\0') && !name.empty()) {
    int32_t size = -1;  // little-endian, as on every machine the host builds for
    std::getline(in, type, '\0');
    in.read(reinterpret_cast<char*>(&size), sizeof size);
    if (!in || size < 0 || size > end - in.tellg()) return true;
    in.seekg(size, std::ios::cur);
  }
  return false;
}

bool PngChunkPastTheEnd(std::ifstream& in, std::streamoff end)
{
  in.seekg(8);
  unsigned char head[8];  // a chunk's length (big-endian) and type
  while (in.read(reinterpret_cast<char*>(head), sizeof head)) {
    std::streamoff length = std::streamoff(head[0]) << 24 | head[1] << 16 | head[2] << 8 | head[3];
    if (length + 4 > end - in.tellg()) return true;  // the data and their checksum
    if (std::string_view(reinterpret_cast<char*>(head + 4), 4) == "IEND") return false;
    in.seekg(length + 4, std::ios::cur);
  }
  return false;
}

void CheckDeclaredSizes(const std::filesystem::path& file, Format format)
{
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  const std::streamoff end = in.tellg();
  if ((format == Format::Exr && ExrAttributePastTheEnd(in, end)) || (format == Format::Png && PngChunkPastTheEnd(in, end)))
    throw FileError(file, "cannot be read as an image: it declares more data than the file holds");
}

std::unique_ptr<ImageReader> OpenReader(const std::filesystem::path& file, Format format, const std::string& layer)
{
  switch (format) {
  case Format::Png: return std::make_unique<PngImage>(file);
  case Format::Jpeg: return std::make_unique<JpegImage>(file);
  case Format::Tiff: return std::make_unique<TiffImage>(file);
  case Format::Exr: break;
  }
  return std::make_unique<ExrImage>(file, layer);
}

// Runs a format's call; its Error becomes one naming file, after lead.
template <class Call>
auto Decoding(const std::filesystem::path& file, const char* lead, Call call)
{
  try {
    return call();
  } catch (const Error& e) {
    throw FileError(file, lead + FirstLine(e.what()));
  }
}

// An image file opened by the library of its format with its header's size checked. Pixels
// are read on demand, once the header is found to fit the file; an OpenEXR picture from
// layer when it is not empty.
class ImageFile {
public:
  explicit ImageFile(const std::filesystem::path& file, const std::string& layer = "") : file(file)
  {
    CheckReadable(file);
    Format format = FormatOf(file);
    if (!layer.empty() && format != Format::Exr)
      throw FileError(file, "is not an OpenEXR image, so it has no layer \"" + layer + "\"");
    CheckDeclaredSizes(file, format);
    CountAllocation();
    reader = Decoding(file, "cannot be read as an image: ", [&] { return OpenReader(file, format, layer); });
    CheckSize(reader->Header().size);
  }

  ImageSize Size() const { return reader->Header().size; }

  Bitmap Read()
  {
    CheckPixelsFitFile(reader->Header());
    Bitmap bitmap(Size().width, Size().height);
    Decoding(file, "cannot be read: ", [&] { reader->Read(bitmap); });
    return bitmap;
  }

  LayeredImage ReadLayered()
  {
    auto* exr = dynamic_cast<ExrImage*>(reader.get());
    if (!exr) return {Read(), {}, {}};
    std::vector<std::string> names = Decoding(file, "", [&] { return exr->PictureChannels(); });
    std::size_t dot = names[0].rfind('.');
    LayeredImage image{Read(), names.size() == 3 && dot != std::string::npos ? names[0].substr(0, dot) : "", {}};
    for (ExrChannel& channel : Decoding(file, "cannot be read: ", [&] { return exr->ReadChannels(); }))
      if (std::find(names.begin(), names.end(), channel.name) == names.end()) image.others.push_back(std::move(channel));
    return image;
  }

  ImageSamples ReadSamples()
  {
    CheckPixelsFitFile(reader->Header());
    ImageSamples samples{Size(), {}, false};
    CountAllocation();
    samples.values.resize(std::size_t(Size().width) * Size().height);
    samples.integer = Decoding(file, "cannot be read: ", [&] { return reader->ReadSamples(samples.values); });
    return samples;
  }

private:
  void CheckSize(const ImageSize& size) const
  {
    if (size.width <= 0 || size.height <= 0) throw FileError(file, "the image is empty");
    if (int64_t(size.width) * size.height > kMaxImagePixels)
      throw FileError(file, "the image is too large (" + SizeText(size) + "; at most " + std::to_string(kMaxImagePixels) +
                                " pixels are read)");
  }

  // Refuses a header whose pixels could not come from the file's bytes even at its
  // compression's best: the library would ask for their memory before finding out.
  void CheckPixelsFitFile(const ImageHeader& header) const
  {
    uint64_t bytes = std::filesystem::file_size(file);
    if (header.storedBytes / header.maxRatio > bytes)
      throw FileError(file, "cannot be read as an image: its header declares " + SizeText(header.size) +
                                " pixels, more than its " + std::to_string(bytes) +
                                " bytes can hold at its compression's best");
  }

  std::filesystem::path file;
  std::unique_ptr<ImageReader> reader;
};

}  // namespace

Bitmap ReadImage(const std::filesystem::path& file) { return ImageFile(file).Read(); }

ImageSize ReadImageSize(const std::filesystem::path& file) { return ImageFile(file).Size(); }

LayeredImage ReadLayeredImage(const std::filesystem::path& file, const std::string& layer)
{
  return ImageFile(file, layer).ReadLayered();
}

ImageSamples ReadSamples(const std::filesystem::path& file) { return ImageFile(file).ReadSamples(); }

bool IsOpenExr(const std::filesystem::path& file)
{
  try {
    return FormatOf(file) == Format::Exr;
  } catch (const Error&) {
    return false;
  }
}

void CheckImageOutput(const std::filesystem::path& file)
{
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) throw FileError(file, "is a directory");
  std::string extension = Lower(file.extension().string());
  if (std::find(std::begin(kOutputExtensions), std::end(kOutputExtensions), extension) == std::end(kOutputExtensions))
    throw UsageError(file.string() + ": " +
                     (extension.empty() ? "no extension" : "unknown image format \"" + extension + "\"") +
                     "; name it .png, .jpg, .tif or .exr");
  CheckWritable(file);
}

void SetPngCompression(int level) { pngCompression = level; }

namespace {

// Writes through a C stream on file, closed and checked after.
void WriteStream(const std::filesystem::path& file, const std::function<void(std::FILE*)>& write)
{
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::fopen(file.c_str(), "wb"), std::fclose);
  if (!stream) throw Error(std::strerror(errno));
  write(stream.get());
  if (std::fclose(stream.release()) != 0) throw Error(std::strerror(errno));
}

// Writes file through a temporary beside it, which write fills; short memory is thrown on,
// any other problem named.
void WriteFile(const std::filesystem::path& file, const std::function<void(const std::filesystem::path&)>& write)
{
  WriteThroughTemporary(file, [&](const std::filesystem::path& temporary, std::string& problem) {
    try {
      write(temporary);
      return true;
    } catch (const Error& e) {
      problem = FirstLine(e.what());
      return false;
    }
  });
}

void WriteExr(const std::filesystem::path& file, const std::vector<NamedBitmap>& layers, ExrImage::ByteScale scale,
              const std::vector<ExrChannel>& extra = {})
{
  if (layers.empty()) throw FileError(file, "cannot be written: no image to write");
  for (const NamedBitmap& layer : layers)
    if (layer.bitmap->Width() != layers[0].bitmap->Width() || layer.bitmap->Height() != layers[0].bitmap->Height())
      throw FileError(file, "cannot be written: layer \"" + layer.name + "\" differs in size from the first");
  CheckImageOutput(file);
  WriteFile(file, [&](const std::filesystem::path& temporary) { ExrImage::Write(temporary, layers, scale, extra); });
}

}  // namespace

void WriteImage(const std::filesystem::path& file, const Bitmap& bitmap)
{
  std::string extension = Lower(file.extension().string());
  // EXR holds no 8-bit channels: v / 255 in 32-bit floats keeps every value exactly.
  if (extension == ".exr") return WriteExr(file, {{"", &bitmap}}, ExrImage::ByteScale::ByInverse);
  CheckImageOutput(file);
  CountAllocation();
  WriteFile(file, [&](const std::filesystem::path& temporary) {
    if (extension == ".png")
      WriteStream(temporary, [&](std::FILE* stream) { PngImage::Write(stream, bitmap, pngCompression); });
    else if (extension == ".jpg" || extension == ".jpeg")
      WriteStream(temporary, [&](std::FILE* stream) { JpegImage::Write(stream, bitmap); });
    else
      TiffImage::Write(temporary, bitmap);
  });
}

std::string EncodePng(const Bitmap& bitmap)
{
  try {
    return PngImage::Encode(bitmap, pngCompression);
  } catch (const Error& e) {
    throw Error(std::string("cannot encode a PNG: ") + e.what());
  }
}

void WriteLayeredImage(const std::filesystem::path& file, const std::vector<NamedBitmap>& layers,
                       const std::vector<ExrChannel>& extra)
{
  WriteExr(file, layers, ExrImage::ByteScale::Divide, extra);
}

}  // namespace lensara
