#include "PngImage.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "app/core/Error.h"
#include "app/image/ImageReader.h"

namespace lensara {

// libpng reports errors by longjmp: the functions that call setjmp below hold no object with
// a destructor, and the callbacks keep what happened here.
struct PngImage::State {
  ~State()
  {
    if (reading)
      png_destroy_read_struct(&png, &info, nullptr);
    else
      png_destroy_write_struct(&png, &info);
    if (file && reading) std::fclose(file);
  }

  bool reading = false;
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::FILE* file = nullptr;
  std::string* bytes = nullptr;  // where Encode writes
  bool outOfMemory = false;
  char message[256] = "";
};

namespace {

using PngState = PngImage::State;

PngState& StateOf(png_structp png) { return *static_cast<PngState*>(png_get_error_ptr(png)); }

[[noreturn]] void OnError(png_structp png, png_const_charp text)
{
  CopyMessage(StateOf(png).message, text);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

png_voidp Allocate(png_structp png, png_alloc_size_t size)
{
  void* block = std::malloc(size);
  if (!block) StateOf(png).outOfMemory = true;
  return block;
}

void Free(png_structp, png_voidp block) { std::free(block); }

void WriteBytes(png_structp png, png_bytep data, png_size_t size)
{
  PngState& state = StateOf(png);
  if (state.file && std::fwrite(data, 1, size, state.file) != size) png_error(png, "cannot write the file");
  if (state.bytes) {
    try {
      state.bytes->append(reinterpret_cast<const char*>(data), size);
    } catch (const std::bad_alloc&) {
      state.outOfMemory = true;
      png_error(png, "out of memory");
    }
  }
}

void Flush(png_structp) {}

// Throws what the callbacks kept of a failed call.
[[noreturn]] void ThrowFailure(const PngState& state)
{
  if (state.outOfMemory) throw std::bad_alloc();
  throw Error(state.message);
}

bool ReadInfo(PngState& s)
{
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_init_io(s.png, s.file);
  png_read_info(s.png, s.info);
  return true;
}

// Asks libpng for 8-bit RGB rows whatever the file holds.
bool ChooseRgb(PngState& s)
{
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_byte type = png_get_color_type(s.png, s.info), depth = png_get_bit_depth(s.png, s.info);
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(s.png);
  if (!(type & PNG_COLOR_MASK_COLOR) && depth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
  if (!(type & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(s.png);
  if (depth == 16) png_set_scale_16(s.png);
  png_set_strip_alpha(s.png);
  png_set_interlace_handling(s.png);
  png_read_update_info(s.png, s.info);
  // The rows handed over hold 3 bytes a pixel: anything else would be written past them.
  if (png_get_rowbytes(s.png, s.info) != std::size_t(png_get_image_width(s.png, s.info)) * 3)
    png_error(s.png, "unexpected pixel layout after conversion to 8-bit RGB");
  return true;
}

// Asks libpng for 16-bit grey samples in the machine's byte order, as they are.
bool ChooseSamples(PngState& s)
{
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_set_swap(s.png);
  png_set_interlace_handling(s.png);
  png_read_update_info(s.png, s.info);
  if (png_get_rowbytes(s.png, s.info) != std::size_t(png_get_image_width(s.png, s.info)) * 2)
    png_error(s.png, "unexpected pixel layout of 16-bit grey samples");
  return true;
}

bool ReadRows(PngState& s, png_bytepp rows)
{
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_read_image(s.png, rows);
  png_read_end(s.png, nullptr);
  return true;
}

// The row filters libpng may choose from. Stored data take the same room filtered or not;
// for compressed data Sub and Up, the best of the two per row, come within a few per cent
// of all five filters' size on renders and photographs (often below it) in two thirds of the time.
int RowFilters(int level) { return level == 0 ? PNG_FILTER_NONE : PNG_FILTER_SUB | PNG_FILTER_UP; }

bool WriteRows(PngState& s, const Bitmap& bitmap, int level, png_bytepp rows)
{
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_set_write_fn(s.png, &s, WriteBytes, Flush);
  png_set_compression_level(s.png, level);
  png_set_filter(s.png, PNG_FILTER_TYPE_BASE, RowFilters(level));
  png_set_IHDR(s.png, s.info, bitmap.Width(), bitmap.Height(), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(s.png, s.info);
  png_write_image(s.png, rows);
  png_write_end(s.png, s.info);
  return true;
}

// Pointers to each of height rows of rowBytes from first, as libpng takes them.
std::vector<png_bytep> Rows(const void* first, std::size_t rowBytes, std::size_t height)
{
  std::vector<png_bytep> rows(height);
  for (std::size_t y = 0; y < height; ++y) rows[y] = const_cast<png_bytep>(static_cast<const png_byte*>(first) + y * rowBytes);
  return rows;
}

std::vector<png_bytep> Rows(const Bitmap& bitmap)
{
  return Rows(bitmap.Row(0), std::size_t(bitmap.Width()) * 3, std::size_t(bitmap.Height()));
}

void CreateStructs(PngState& s)
{
  s.png = s.reading ? png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning, &s, Allocate, Free)
                  : png_create_write_struct_2(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning, &s, Allocate, Free);
  if (s.png) s.info = png_create_info_struct(s.png);
  if (!s.info) throw std::bad_alloc();
}

// Writes bitmap through a state whose file or bytes are set.
void WriteWith(PngState& s, const Bitmap& bitmap, int level)
{
  std::vector<png_bytep> rows = Rows(bitmap);
  CreateStructs(s);
  if (!WriteRows(s, bitmap, level, rows.data())) ThrowFailure(s);
}

}  // namespace

PngImage::PngImage(const std::filesystem::path& file) : state(std::make_unique<PngState>())
{
  state->reading = true;
  state->file = OpenForReading(file);
  CreateStructs(*state);
  if (!ReadInfo(*state)) ThrowFailure(*state);
  png_uint_32 width = png_get_image_width(state->png, state->info), height = png_get_image_height(state->png, state->info);
  uint64_t samples = uint64_t(width) * png_get_channels(state->png, state->info) * png_get_bit_depth(state->png, state->info);
  header = {{int(width), int(height)}, ((samples + 7) / 8 + 1) * height, kDeflateRatio};
}

PngImage::~PngImage() = default;

void PngImage::Read(Bitmap& rgb)
{
  std::vector<png_bytep> rows = Rows(rgb);
  if (!ChooseRgb(*state) || !ReadRows(*state, rows.data())) ThrowFailure(*state);
}

bool PngImage::ReadSamples(std::vector<float>& values)
{
  if (png_get_color_type(state->png, state->info) != PNG_COLOR_TYPE_GRAY || png_get_bit_depth(state->png, state->info) != 16)
    ThrowNoDepthSamples();
  const std::size_t width = png_get_image_width(state->png, state->info);
  std::vector<uint16_t> samples(values.size());
  std::vector<png_bytep> rows = Rows(samples.data(), width * 2, samples.size() / width);
  if (!ChooseSamples(*state) || !ReadRows(*state, rows.data())) ThrowFailure(*state);
  std::copy(samples.begin(), samples.end(), values.begin());
  return true;
}

void PngImage::Write(std::FILE* file, const Bitmap& bitmap, int level)
{
  PngState s;
  s.file = file;
  WriteWith(s, bitmap, level);
}

std::string PngImage::Encode(const Bitmap& bitmap, int level)
{
  std::string bytes;
  PngState s;
  s.bytes = &bytes;
  WriteWith(s, bitmap, level);
  return bytes;
}

}  // namespace lensara
