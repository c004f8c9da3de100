#include "ImageIO.h"

#include <fcntl.h>
#include <unistd.h>

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "app/core/Allocations.h"
#include "app/core/Error.h"
#include "app/core/Files.h"

namespace lensara {

namespace {

// zlib's fastest level: most of the size of the default for a fraction of its time.
constexpr int kPngCompression = 1;

Error FileError(const std::filesystem::path& file, const std::string& problem)
{
  return Error(file.string() + ": " + problem);
}

constexpr const char* kOutputExtensions[] = {".png", ".jpg", ".jpeg", ".tif", ".tiff", ".exr"};

// The first line of a library's message: OpenImageIO adds its reader's own lines.
std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// While it lives, what the process writes to stderr goes nowhere: libpng prints its errors
// there before OpenImageIO reports them, and the caller reports the problem itself.
class QuietStderr {
public:
  QuietStderr()
  {
    std::fflush(stderr);
    saved = dup(STDERR_FILENO);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
      dup2(null, STDERR_FILENO);
      close(null);
    }
  }
  ~QuietStderr()
  {
    if (saved < 0) return;
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

private:
  int saved = -1;
};

std::string Lower(std::string text)
{
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// Copies the grey read into the red of every pixel to its green and blue.
void SpreadGrey(Bitmap& bitmap)
{
  uint8_t* p = bitmap.Row(0);
  std::size_t count = static_cast<std::size_t>(bitmap.Width()) * bitmap.Height();
  for (std::size_t i = 0; i < count; ++i) p[i * 3 + 1] = p[i * 3 + 2] = p[i * 3];
}

using namespace std::string_view_literals;

// The formats read, known by their first bytes, and OpenImageIO's name for each reader.
struct Signature {
  std::string_view magic;
  const char* format;
};
constexpr Signature kSignatures[] = {{"\x89PNG\r\n\x1a\n"sv, "png"}, {"\xff\xd8\xff"sv, "jpeg"},
                                     {"II*\0"sv, "tiff"},             {"MM\0*"sv, "tiff"},
                                     {"II+\0"sv, "tiff"},             {"MM\0+"sv, "tiff"},
                                     {"v/1\x01"sv, "openexr"}};

// The reader for file's content; throws Error when it is none of the formats read.
const char* FormatOf(const std::filesystem::path& file)
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

void CheckDeclaredSizes(const std::filesystem::path& file, std::string_view format)
{
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  const std::streamoff end = in.tellg();
  if ((format == "openexr" && ExrAttributePastTheEnd(in, end)) || (format == "png" && PngChunkPastTheEnd(in, end)))
    throw FileError(file, "cannot be read as an image: it declares more data than the file holds");
}

// An image file opened by the reader of its format with its header checked; pixels are
// read on demand. stderr is quiet while it lives.
class ImageFile {
public:
  explicit ImageFile(const std::filesystem::path& file) : file(file)
  {
    CheckReadable(file);
    const char* reader = FormatOf(file);
    CheckDeclaredSizes(file, reader);
    CountAllocation();
    input = OIIO::ImageInput::create(reader);
    if (!input) throw FileError(file, "cannot be read as an image: " + FirstLine(OIIO::geterror()));
    // Colours as stored, not multiplied by an alpha that is dropped anyway.
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    if (!input->open(file.string(), format, config))
      throw FileError(file, "cannot be read as an image: " + FirstLine(input->geterror()));
    if (format.width <= 0 || format.height <= 0 || format.nchannels <= 0) throw FileError(file, "the image is empty");
    if (static_cast<int64_t>(format.width) * format.height > kMaxImagePixels)
      throw FileError(file, "the image is too large (" + std::to_string(format.width) + " x " +
                                std::to_string(format.height) + "; at most " + std::to_string(kMaxImagePixels) +
                                " pixels are read)");
  }

  ImageSize Size() const { return {format.width, format.height}; }

  // Red, green and blue, or the grey alone, straight into the bitmap's pixels of 3 bytes;
  // the channels past them are not read.
  Bitmap Read()
  {
    bool grey = format.nchannels < 3;
    Bitmap bitmap(format.width, format.height);
    if (!input->read_image(0, 0, 0, grey ? 1 : 3, OIIO::TypeDesc::UINT8, bitmap.Row(0), 3))
      throw FileError(file, "cannot be read: " + FirstLine(input->geterror()));
    if (grey) SpreadGrey(bitmap);
    return bitmap;
  }

private:
  std::filesystem::path file;
  QuietStderr quiet;
  std::unique_ptr<OIIO::ImageInput> input;
  OIIO::ImageSpec format;
};

}  // namespace

Bitmap ReadImage(const std::filesystem::path& file) { return ImageFile(file).Read(); }

ImageSize ReadImageSize(const std::filesystem::path& file) { return ImageFile(file).Size(); }

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

namespace {

// Writes pixels of type in format to file through a temporary file beside it.
void WritePixels(const std::filesystem::path& file, const OIIO::ImageSpec& format, OIIO::TypeDesc type,
                 const void* pixels)
{
  CheckImageOutput(file);
  CountAllocation();
  auto output = OIIO::ImageOutput::create(file.string());
  if (!output) throw FileError(file, "cannot be written: no image format for this file name");
  WriteThroughTemporary(file, [&](const std::filesystem::path& temporary, std::string& problem) {
    bool written = output->open(temporary.string(), format) && output->write_image(type, pixels) && output->close();
    if (!written) problem = FirstLine(output->geterror());
    return written;
  });
}

}  // namespace

void WriteImage(const std::filesystem::path& file, const Bitmap& bitmap)
{
  // EXR holds no 8-bit channels: v / 255 in 32-bit floats keeps every value exactly.
  bool exr = Lower(file.extension().string()) == ".exr";
  OIIO::ImageSpec format(bitmap.Width(), bitmap.Height(), 3, exr ? OIIO::TypeDesc::FLOAT : OIIO::TypeDesc::UINT8);
  format.attribute("png:compressionLevel", kPngCompression);
  WritePixels(file, format, OIIO::TypeDesc::UINT8, bitmap.Pixels().data());
}

std::string EncodePng(const Bitmap& bitmap)
{
  std::vector<unsigned char> bytes;
  OIIO::Filesystem::IOVecOutput memory(bytes);
  auto output = OIIO::ImageOutput::create("png");
  OIIO::ImageSpec format(bitmap.Width(), bitmap.Height(), 3, OIIO::TypeDesc::UINT8);
  format.attribute("png:compressionLevel", kPngCompression);
  bool encoded = output && output->set_ioproxy(&memory) && output->open("memory.png", format) &&
                 output->write_image(OIIO::TypeDesc::UINT8, bitmap.Pixels().data()) && output->close();
  if (!encoded) throw Error("cannot encode a PNG: " + (output ? FirstLine(output->geterror()) : std::string("no writer")));
  return std::string(bytes.begin(), bytes.end());
}

void WriteLayeredImage(const std::filesystem::path& file, const std::vector<NamedBitmap>& layers)
{
  if (layers.empty()) throw FileError(file, "cannot be written: no image to write");
  int width = layers[0].bitmap->Width(), height = layers[0].bitmap->Height();
  for (const NamedBitmap& layer : layers)
    if (layer.bitmap->Width() != width || layer.bitmap->Height() != height)
      throw FileError(file, "cannot be written: layer \"" + layer.name + "\" differs in size from the first");
  auto channels = static_cast<int>(layers.size() * 3);
  OIIO::ImageSpec format(width, height, channels, OIIO::TypeDesc::FLOAT);
  format.channelnames.clear();
  for (const NamedBitmap& layer : layers)
    for (const char* channel : {"R", "G", "B"})
      format.channelnames.push_back(layer.name.empty() ? channel : layer.name + "." + channel);
  std::size_t count = static_cast<std::size_t>(width) * height, stride = layers.size() * 3;
  CountAllocation();
  std::vector<float> pixels(count * stride);
  for (std::size_t layer = 0; layer < layers.size(); ++layer) {
    const std::vector<uint8_t>& bytes = layers[layer].bitmap->Pixels();
    for (std::size_t i = 0; i < count * 3; ++i) pixels[i / 3 * stride + layer * 3 + i % 3] = bytes[i] / 255.0f;
  }
  WritePixels(file, format, OIIO::TypeDesc::FLOAT, pixels.data());
}

}  // namespace lensara
