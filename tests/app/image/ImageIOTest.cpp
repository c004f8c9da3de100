#include "app/image/ImageIO.h"

#include <gtest/gtest.h>

#include <png.h>

#include <fstream>
#include <vector>

#include "app/core/Error.h"
#include "app/image/ExrImage.h"
#include "tests/support/PngHeader.h"
#include "tests/support/TempDir.h"

namespace {

// Writes a PNG of channels samples per pixel (grey or RGBA) directly through libpng.
void WriteRaw(const std::filesystem::path& file, int width, int height, int channels, const std::vector<uint8_t>& data)
{
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = channels == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGBA;
  ASSERT_TRUE(png_image_write_to_file(&image, file.c_str(), 0, data.data(), 0, nullptr)) << image.message;
}

// A well-formed 2 x 2 BMP of 24 bits per pixel: a format not read.
void WriteBmp(const std::filesystem::path& file)
{
  auto le = [](uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += char(v >> (8 * i));
    return out;
  };
  std::string header = "BM" + le(70, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(2, 4) + le(2, 4) + le(1, 2) +
                       le(24, 2) + le(0, 4) + le(16, 4) + le(2835, 4) + le(2835, 4) + le(0, 4) + le(0, 4);
  std::ofstream(file, std::ios::binary) << header << std::string(16, '\0');
}

TEST(ImageIO, GreyFillsAllChannelsAndAlphaIsDropped)
{
  test::TempDir dir;
  WriteRaw(dir / "grey.png", 2, 1, 1, {7, 200});
  WriteRaw(dir / "rgba.png", 1, 1, 4, {1, 2, 3, 4});
  lensara::Bitmap grey = lensara::ReadImage(dir / "grey.png");
  lensara::Bitmap rgba = lensara::ReadImage(dir / "rgba.png");
  EXPECT_EQ(grey.Pixels(), (lensara::Bitmap::Bytes{7, 7, 7, 200, 200, 200}));
  EXPECT_EQ(rgba.Pixels(), (lensara::Bitmap::Bytes{1, 2, 3}));
}

TEST(ImageIO, WrittenImagesReadBackByteForByte)
{
  test::TempDir dir;
  lensara::Bitmap bitmap(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int i = 0; i < 15; ++i) bitmap.Row(y)[i] = static_cast<uint8_t>(y * 50 + i * 13);
  lensara::WriteImage(dir / "out.png", bitmap);
  EXPECT_TRUE(lensara::ReadImage(dir / "out.png") == bitmap);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1); // no temporary left
}

// A multilayer file as Blender writes it: passes whose names sort before the picture's.
TEST(ImageIO, TheCombinedLayerIsAMultilayerFilesPicture)
{
  test::TempDir dir;
  lensara::Bitmap ao(2, 2), combined(2, 2);
  combined.Row(0)[0] = 200;
  lensara::WriteLayeredImage(dir / "shot.exr", {{"ViewLayer.AO", &ao}, {"ViewLayer.Combined", &combined}});
  EXPECT_EQ(lensara::ExrImage(dir / "shot.exr").PictureChannels(),
            (std::vector<std::string>{"ViewLayer.Combined.R", "ViewLayer.Combined.G", "ViewLayer.Combined.B"}));
  EXPECT_TRUE(lensara::ReadLayeredImage(dir / "shot.exr", "").picture == combined);
}

TEST(ImageIO, ErrorsNameTheFileAndLeaveNothingBehind)
{
  test::TempDir dir;
  std::ofstream(dir / "junk.png") << "not an image";
  for (const char* name : {"missing.png", "junk.png"}) {
    try {
      lensara::ReadImage(dir / name);
      ADD_FAILURE() << name;
    } catch (const lensara::Error& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(lensara::WriteImage(dir / "no" / "such.png", lensara::Bitmap(2, 2)), lensara::Error);
  EXPECT_THROW(lensara::WriteImage(dir / "out.unknownformat", lensara::Bitmap(2, 2)), lensara::Error);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
}

// The message of reading file, or "" when it reads.
std::string ReadError(const std::filesystem::path& file)
{
  try {
    lensara::ReadImage(file);
  } catch (const lensara::Error& e) {
    return e.what();
  }
  return "";
}

TEST(ImageIO, TheContentChoosesTheFormatAndOnlyFourAreRead)
{
  test::TempDir dir;
  lensara::Bitmap bitmap(2, 2);
  lensara::WriteImage(dir / "image.tif", bitmap);
  std::filesystem::rename(dir / "image.tif", dir / "tiff.png");
  EXPECT_TRUE(lensara::ReadImage(dir / "tiff.png") == bitmap);
  // A BMP is a well-formed image of a format not documented for reading.
  WriteBmp(dir / "image.bmp");
  std::filesystem::copy(dir / "image.bmp", dir / "bmp.png");
  for (const char* name : {"image.bmp", "bmp.png"})
    EXPECT_EQ(ReadError(dir / name), (dir / name).string() + ": is not a PNG, JPEG, TIFF or OpenEXR image");
}

TEST(ImageIO, SizesPastTheLimitAreRefusedFromTheHeader)
{
  test::TempDir dir;
  test::WritePngHeader(dir / "huge.png", 20000, 20000);  // 1.2 GB of pixels, 80 bytes of file
  EXPECT_EQ(ReadError(dir / "huge.png"),
            (dir / "huge.png").string() + ": the image is too large (20000 x 20000; at most 268435456 pixels are read)");
  EXPECT_THROW(lensara::ReadImageSize(dir / "huge.png"), lensara::Error);
  test::WritePngHeader(dir / "damaged.png", 7, 3);
  EXPECT_EQ(lensara::ReadImageSize(dir / "damaged.png"), (lensara::ImageSize{7, 3}));
  EXPECT_NE(ReadError(dir / "damaged.png").find("cannot be read"), std::string::npos);
}

// OpenEXR and libpng would take the memory declared before finding the file short.
TEST(ImageIO, SizesDeclaredPastTheFilesEndAreRefused)
{
  test::TempDir dir;
  lensara::WriteImage(dir / "image.exr", lensara::Bitmap(2, 2));
  lensara::WriteImage(dir / "image.png", lensara::Bitmap(2, 2));
  // The size of the EXR's first attribute, after its name and type, and the length of the
  // PNG's first chunk after its signature, made 1.9 GB.
  std::string exr = test::Contents(dir / "image.exr"), png = test::Contents(dir / "image.png");
  exr.replace(exr.find('\0', exr.find('\0', 8) + 1) + 1, 4, std::string("\0\0\0\x70", 4));
  png.replace(8, 4, "\x70\0\0\0");
  std::ofstream(dir / "damaged.exr", std::ios::binary) << exr;
  std::ofstream(dir / "damaged.png", std::ios::binary) << png;
  for (const char* name : {"image.exr", "image.png"}) EXPECT_EQ(ReadError(dir / name), "");
  for (const char* name : {"damaged.exr", "damaged.png"})
    EXPECT_EQ(ReadError(dir / name),
              (dir / name).string() + ": cannot be read as an image: it declares more data than the file holds");
}

}  // namespace

// A header within the pixel limit whose pixels no deflate stream of the file's size can
// hold is refused before decoding; a flat image, compressed about as well as deflate can,
// still reads.
TEST(ImageIO, PixelsThatCannotComeFromTheFilesBytesAreRefused)
{
  test::TempDir dir;
  test::WritePngHeader(dir / "tall.png", 16000, 16000);
  std::filesystem::path exr = std::filesystem::path(LENSARA_SOURCE_DIR) / "fuzz/regressions/image/exr-window-past-the-bytes.exr";
  EXPECT_EQ(lensara::ReadImageSize(dir / "tall.png"), (lensara::ImageSize{16000, 16000}));
  EXPECT_EQ(ReadError(dir / "tall.png"), (dir / "tall.png").string() +
                                             ": cannot be read as an image: its header declares 16000 x 16000 pixels, "
                                             "more than its 73 bytes can hold at its compression's best");
  EXPECT_NE(ReadError(exr).find("16711692 x 8 pixels, more than its 1153 bytes"), std::string::npos) << ReadError(exr);
  lensara::SetPngCompression(9);
  lensara::WriteImage(dir / "flat.png", lensara::Bitmap(3000, 1000));
  lensara::SetPngCompression(lensara::kDefaultPngCompression);
  EXPECT_EQ(ReadError(dir / "flat.png"), "");
}

TEST(ImageIO, ThePngLevelChangesTheSizeNotThePixels)
{
  test::TempDir dir;
  lensara::Bitmap bitmap(64, 64);
  for (std::size_t i = 0; i < bitmap.Pixels().size(); ++i) bitmap.Row(0)[i] = static_cast<uint8_t>(i * i / 7);
  for (int level : {0, 9}) {
    lensara::SetPngCompression(level);
    lensara::WriteImage(dir / (std::to_string(level) + ".png"), bitmap);
  }
  lensara::SetPngCompression(lensara::kDefaultPngCompression);
  EXPECT_GT(std::filesystem::file_size(dir / "0.png"), std::filesystem::file_size(dir / "9.png") * 2);
  for (const char* name : {"0.png", "9.png"}) EXPECT_TRUE(lensara::ReadImage(dir / name) == bitmap) << name;
}
