#include "JpegImage.h"

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <csetjmp>
#include <cstdio>
#include <new>

#include "app/core/Error.h"

namespace lensara {

// libjpeg reports errors by longjmp: the functions that call setjmp below hold no object
// with a destructor.
struct JpegErrors {
  jpeg_error_mgr manager{};
  std::jmp_buf jump;
  bool outOfMemory = false;
  char message[JMSG_LENGTH_MAX] = "";
};

namespace {

// The quality of JPEGs written: close to the source, as the host writes final pictures.
constexpr int kJpegQuality = 98;

[[noreturn]] void OnError(j_common_ptr info)
{
  JpegErrors& errors = *static_cast<JpegErrors*>(info->client_data);
  info->err->format_message(info, errors.message);
  errors.outOfMemory = info->err->msg_code == JERR_OUT_OF_MEMORY;
  std::longjmp(errors.jump, 1);
}

void Silent(j_common_ptr) {}

// Sets up errors to end in OnError and print nothing, for info.
template <class Info>
void Attach(Info& info, JpegErrors& errors)
{
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = OnError;
  errors.manager.output_message = Silent;
  info.client_data = &errors;
}

[[noreturn]] void ThrowFailure(const JpegErrors& errors)
{
  if (errors.outOfMemory) throw std::bad_alloc();
  throw Error(errors.message);
}

}  // namespace

struct JpegImage::State {
  ~State()
  {
    if (created) jpeg_destroy_decompress(&info);
    if (file) std::fclose(file);
  }

  jpeg_decompress_struct info{};
  JpegErrors errors;
  bool created = false;
  std::FILE* file = nullptr;
};

namespace {

bool ReadHeader(JpegImage::State& s)
{
  if (setjmp(s.errors.jump)) return false;
  jpeg_create_decompress(&s.info);
  s.created = true;
  jpeg_stdio_src(&s.info, s.file);
  jpeg_read_header(&s.info, TRUE);
  s.info.out_color_space = JCS_RGB;
  return true;
}

bool ReadRows(JpegImage::State& s, Bitmap& rgb)
{
  if (setjmp(s.errors.jump)) return false;
  jpeg_start_decompress(&s.info);
  // The rows handed over hold 3 bytes a pixel: anything else would be written past them.
  if (s.info.output_components != 3 || s.info.output_width != JDIMENSION(rgb.Width()) ||
      s.info.output_height != JDIMENSION(rgb.Height())) {
    std::snprintf(s.errors.message, sizeof s.errors.message, "unexpected pixel layout after conversion to RGB");
    return false;
  }
  while (s.info.output_scanline < s.info.output_height) {
    JSAMPROW row = rgb.Row(int(s.info.output_scanline));
    jpeg_read_scanlines(&s.info, &row, 1);
  }
  jpeg_finish_decompress(&s.info);
  return true;
}

struct Compressor {
  ~Compressor()
  {
    if (created) jpeg_destroy_compress(&info);
  }

  jpeg_compress_struct info{};
  JpegErrors errors;
  bool created = false;
};

bool WriteRows(Compressor& c, std::FILE* file, const Bitmap& bitmap)
{
  if (setjmp(c.errors.jump)) return false;
  jpeg_create_compress(&c.info);
  c.created = true;
  jpeg_stdio_dest(&c.info, file);
  c.info.image_width = JDIMENSION(bitmap.Width());
  c.info.image_height = JDIMENSION(bitmap.Height());
  c.info.input_components = 3;
  c.info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c.info);
  jpeg_set_quality(&c.info, kJpegQuality, TRUE);
  jpeg_start_compress(&c.info, TRUE);
  while (c.info.next_scanline < c.info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(bitmap.Row(int(c.info.next_scanline)));
    jpeg_write_scanlines(&c.info, &row, 1);
  }
  jpeg_finish_compress(&c.info);
  return true;
}

}  // namespace

JpegImage::JpegImage(const std::filesystem::path& file) : state(std::make_unique<State>())
{
  state->file = OpenForReading(file);
  Attach(state->info, state->errors);
  if (!ReadHeader(*state)) ThrowFailure(state->errors);
  const jpeg_decompress_struct& info = state->info;
  if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK)
    throw Error("CMYK JPEG images are not read");
  uint64_t samples = uint64_t(info.image_width) * info.image_height * info.num_components;
  header = {{int(info.image_width), int(info.image_height)}, samples, info.arith_code ? kLooseRatio : kJpegRatio};
}

JpegImage::~JpegImage() = default;

void JpegImage::Read(Bitmap& rgb)
{
  if (!ReadRows(*state, rgb)) ThrowFailure(state->errors);
}

void JpegImage::Write(std::FILE* file, const Bitmap& bitmap)
{
  Compressor c;
  Attach(c.info, c.errors);
  if (!WriteRows(c, file, bitmap)) ThrowFailure(c.errors);
}

}  // namespace lensara
