#include "ExrImage.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <ImfOutputFile.h>
#include <openexr.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <set>
#include <string>

#include "app/core/Allocations.h"
#include "app/core/Error.h"
#include "app/image/ImageIO.h"

namespace lensara {

namespace {

// Rows decoded at a time: the floats of a band, not of the whole image, are held.
constexpr int kBandRows = 64;

// The core library's last message on this thread: its error callback has no user data of
// its own (the file reader keeps it).
thread_local char coreMessage[256];

void KeepCoreMessage(exr_const_context_t, exr_result_t, const char* message) { CopyMessage(coreMessage, message); }

// The core library's context on one file, finished when it ends.
class CoreHeader {
public:
  explicit CoreHeader(const std::filesystem::path& file)
  {
    exr_context_initializer_t init = EXR_DEFAULT_CONTEXT_INITIALIZER;
    init.error_handler_fn = KeepCoreMessage;
    coreMessage[0] = '\0';
    Check(exr_start_read(&context, file.c_str(), &init));
  }
  ~CoreHeader() { exr_finish(&context); }
  CoreHeader(const CoreHeader&) = delete;
  CoreHeader& operator=(const CoreHeader&) = delete;

  static void Check(exr_result_t result)
  {
    if (result == EXR_ERR_OUT_OF_MEMORY) throw std::bad_alloc();
    if (result != EXR_ERR_SUCCESS) throw Error(*coreMessage ? coreMessage : exr_get_default_error_message(result));
  }

  exr_context_t context = nullptr;
};

uint64_t MaxRatio(exr_compression_t compression)
{
  switch (compression) {
  case EXR_COMPRESSION_NONE: return 1;
  case EXR_COMPRESSION_RLE: return 64;  // a run of 128 bytes from 2
  case EXR_COMPRESSION_ZIPS:
  case EXR_COMPRESSION_ZIP: return kDeflateRatio;
  case EXR_COMPRESSION_PXR24: return kDeflateRatio * 4 / 3;  // floats deflated as 24 bits
  case EXR_COMPRESSION_B44:
  case EXR_COMPRESSION_B44A: return 11;  // 32 bytes of a flat 4 x 4 block from 3
  default: return kLooseRatio;
  }
}

// The bytes the channels of a window of width x height hold.
uint64_t StoredBytes(const exr_attr_chlist_t& channels, int64_t width, int64_t height)
{
  uint64_t bytes = 0;
  for (int i = 0; i < channels.num_channels; ++i) {
    const exr_attr_chlist_entry_t& c = channels.entries[i];
    uint64_t size = c.pixel_type == EXR_PIXEL_HALF ? 2 : 4;
    bytes += size * uint64_t(width / std::max(1, c.x_sampling)) * uint64_t(height / std::max(1, c.y_sampling));
  }
  return bytes;
}

int Clamped(int64_t v) { return int(std::clamp<int64_t>(v, 0, INT_MAX)); }

uint8_t ToByte(float v) { return uint8_t((v > 0 ? (v < 1 ? v : 1) : 0) * 255.0f + 0.5f); }

// Runs a call of the C++ library, whose errors are exceptions of its own.
template <class Call>
void Library(Call call)
{
  try {
    call();
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    ThrowLibraryError(e.what());
  }
}

bool HasRgb(const Imf::ChannelList& channels, const std::string& prefix)
{
  for (const char* c : {"R", "G", "B"})
    if (!channels.findChannel(prefix + c)) return false;
  return true;
}

std::vector<std::string> RgbChannels(const std::string& prefix) { return {prefix + "R", prefix + "G", prefix + "B"}; }

// "diffuse, specular": the layers (channel name prefixes) of channels, "none" without any.
std::string LayerList(const Imf::ChannelList& channels)
{
  std::set<std::string> layers;
  channels.layers(layers);
  std::string list;
  for (const std::string& layer : layers) list += (list.empty() ? "" : ", ") + layer;
  return list.empty() ? "none" : list;
}

// The channels read as red, green and blue (see PictureChannels).
std::vector<std::string> ColourChannels(const Imf::ChannelList& channels, const std::string& layer)
{
  if (!layer.empty()) {
    if (HasRgb(channels, layer + ".")) return RgbChannels(layer + ".");
    throw Error("has no layer \"" + layer + "\" with R, G and B (its layers: " + LayerList(channels) + ")");
  }
  if (channels.findChannel("R") || channels.findChannel("G") || channels.findChannel("B")) return RgbChannels("");
  std::set<std::string> layers;
  channels.layers(layers);
  std::vector<std::string> pictures;  // the layers with R, G and B, in name order
  for (const std::string& name : layers)
    if (HasRgb(channels, name + ".")) pictures.push_back(name);
  // Blender's multilayer files keep the picture in "<view layer>.Combined", beside passes
  // such as "<view layer>.AO" whose names sort before it.
  auto combined = std::find_if(pictures.begin(), pictures.end(), [](const std::string& name) {
    std::size_t dot = name.rfind('.');
    return name.compare(dot == std::string::npos ? 0 : dot + 1, std::string::npos, "Combined") == 0;
  });
  if (combined != pictures.end()) return RgbChannels(*combined + ".");
  if (!pictures.empty()) return RgbChannels(pictures.front() + ".");
  if (channels.findChannel("Y")) return {"Y"};
  return {channels.begin() == channels.end() ? "R" : channels.begin().name()};
}

// The size came from the core library's reading of the header; a damaged header may read
// otherwise in the C++ library, whose buffers are only as large as that size.
void CheckWindow(const Imath::Box2i& window, const ImageSize& size)
{
  if (int64_t(window.max.x) - window.min.x + 1 != size.width || int64_t(window.max.y) - window.min.y + 1 != size.height)
    throw Error("its header is damaged (two readings of its data window differ)");
}

// OpenEXR's pixel types are in ExrChannel::Type's order.
Imf::PixelType PixelType(ExrChannel::Type type) { return Imf::PixelType(int(type)); }

std::size_t SampleSize(ExrChannel::Type type) { return type == ExrChannel::Type::Half ? 2 : 4; }

// The bytes of one row of channel's samples in an image width pixels wide.
std::size_t RowBytes(const ExrChannel& channel, int width)
{
  return std::size_t(width / channel.xSampling) * SampleSize(channel.type);
}

// One of the R, G, B channels the writer makes of an 8-bit layer.
struct ByteSource {
  std::string name;
  const Bitmap* bitmap;
  int component;  // 0 red .. 2 blue
};

// Rows top .. top + rows - 1 of source's component as 32-bit floats v / 255, into out.
void ConvertRows(const ByteSource& source, int top, int rows, ExrImage::ByteScale scale, float* out)
{
  const std::size_t count = std::size_t(source.bitmap->Width()) * std::size_t(rows);
  const uint8_t* bytes = source.bitmap->Row(top) + source.component;
  for (std::size_t i = 0; i < count; ++i) {
    uint8_t v = bytes[i * 3];
    out[i] = scale == ExrImage::ByteScale::Divide ? v / 255.0f : v * (1.0f / 255);
  }
}

}  // namespace

ExrImage::ExrImage(const std::filesystem::path& file, const std::string& layer) : file(file), layer(layer)
{
  CoreHeader core(file);
  exr_attr_box2i_t window{};
  const exr_attr_chlist_t* channels = nullptr;
  exr_compression_t compression = EXR_COMPRESSION_NONE;
  CoreHeader::Check(exr_get_data_window(core.context, 0, &window));
  CoreHeader::Check(exr_get_channels(core.context, 0, &channels));
  CoreHeader::Check(exr_get_compression(core.context, 0, &compression));
  int64_t width = int64_t(window.max.x) - window.min.x + 1, height = int64_t(window.max.y) - window.min.y + 1;
  header = {{Clamped(width), Clamped(height)}, StoredBytes(*channels, width, height), MaxRatio(compression)};
}

void ExrImage::Read(Bitmap& rgb)
{
  Library([&] {
    Imf::InputFile input(file.c_str());
    Imath::Box2i window = input.header().dataWindow();
    CheckWindow(window, {rgb.Width(), rgb.Height()});
    std::vector<std::string> names = ColourChannels(input.header().channels(), layer);
    const std::size_t width = std::size_t(rgb.Width()), stride = 3 * sizeof(float);
    std::vector<float> band(width * kBandRows * 3);
    for (int top = window.min.y; top <= window.max.y; top += kBandRows) {
      int bottom = std::min(top + kBandRows - 1, window.max.y);
      Imath::Box2i rows({window.min.x, top}, {window.max.x, bottom});
      Imf::FrameBuffer buffer;
      for (std::size_t c = 0; c < names.size(); ++c)
        buffer.insert(names[c], Imf::Slice::Make(Imf::FLOAT, band.data() + c, rows, stride, stride * width));
      input.setFrameBuffer(buffer);
      input.readPixels(top, bottom);
      uint8_t* out = rgb.Row(top - window.min.y);
      for (std::size_t i = 0; i < width * (bottom - top + 1) * 3; ++i)
        out[i] = ToByte(band[names.size() == 1 ? i / 3 * 3 : i]);
    }
  });
}

std::vector<std::string> ExrImage::PictureChannels() const
{
  std::vector<std::string> names;
  Library([&] { names = ColourChannels(Imf::InputFile(file.c_str()).header().channels(), layer); });
  return names;
}

std::vector<ExrChannel> ExrImage::ReadChannels() const
{
  std::vector<ExrChannel> channels;
  Library([&] {
    Imf::InputFile input(file.c_str());
    Imath::Box2i window = input.header().dataWindow();
    CheckWindow(window, header.size);
    Imf::FrameBuffer buffer;
    for (auto c = input.header().channels().begin(); c != input.header().channels().end(); ++c) {
      const Imf::Channel& stored = c.channel();
      ExrChannel& channel = channels.emplace_back();
      channel = {c.name(), ExrChannel::Type(int(stored.type)), stored.xSampling, stored.ySampling, {}};
      std::size_t row = RowBytes(channel, header.size.width);
      CountAllocation();
      channel.samples.resize(row * std::size_t(header.size.height / stored.ySampling));
      // The samples' block stays where it is when channels grows and moves its entries.
      buffer.insert(c.name(), Imf::Slice::Make(stored.type, channel.samples.data(), window, SampleSize(channel.type),
                                               row, stored.xSampling, stored.ySampling));
    }
    input.setFrameBuffer(buffer);
    input.readPixels(window.min.y, window.max.y);
  });
  return channels;
}

std::vector<std::string> ExrImage::Channels() const
{
  std::vector<std::string> names;
  Library([&] {
    Imf::InputFile input(file.c_str());
    for (auto c = input.header().channels().begin(); c != input.header().channels().end(); ++c)
      names.push_back(c.name());
  });
  return names;
}

std::vector<float> ExrImage::ReadChannel(const std::string& name) const
{
  std::vector<std::string> names = Channels();
  if (std::find(names.begin(), names.end(), name) == names.end()) {
    std::string list;
    for (const std::string& n : names) list += (list.empty() ? "" : ", ") + n;
    throw Error("has no channel \"" + name + "\" (its channels: " + list + ")");
  }
  const std::size_t width = std::size_t(header.size.width), height = std::size_t(header.size.height);
  CountAllocation();
  std::vector<float> values(width * height);
  Library([&] {
    Imf::InputFile input(file.c_str());
    Imath::Box2i window = input.header().dataWindow();
    CheckWindow(window, header.size);
    Imf::FrameBuffer buffer;
    buffer.insert(name, Imf::Slice::Make(Imf::FLOAT, values.data(), window, sizeof(float), sizeof(float) * width));
    input.setFrameBuffer(buffer);
    input.readPixels(window.min.y, window.max.y);
  });
  return values;
}

void ExrImage::Write(const std::filesystem::path& file, const std::vector<NamedBitmap>& layers, ByteScale scale,
                     const std::vector<ExrChannel>& extra)
{
  const int width = layers[0].bitmap->Width(), height = layers[0].bitmap->Height();
  std::vector<ByteSource> own;
  for (const NamedBitmap& layer : layers)
    for (int c = 0; c < 3; ++c) {
      const char* colour[] = {"R", "G", "B"};
      own.push_back({layer.name.empty() ? colour[c] : layer.name + "." + colour[c], layer.bitmap, c});
    }
  std::vector<const ExrChannel*> added;
  for (const ExrChannel& channel : extra) {
    if (std::any_of(own.begin(), own.end(), [&](const ByteSource& o) { return o.name == channel.name; })) continue;
    if (channel.samples.size() != RowBytes(channel, width) * std::size_t(height / channel.ySampling))
      throw Error("its channel \"" + channel.name + "\" differs in size from the image");
    added.push_back(&channel);
  }
  // The layers are converted a band of rows at a time (ZIP's blocks of 16 rows): a float copy
  // of whole layers would take four times their memory.
  constexpr int kWriteRows = 16;
  CountAllocation();
  std::vector<float> band(std::size_t(width) * kWriteRows * own.size());
  Library([&] {
    Imf::Header header(width, height);
    header.compression() = Imf::ZIP_COMPRESSION;
    for (const ByteSource& source : own) header.channels().insert(source.name, Imf::Channel(Imf::FLOAT));
    for (const ExrChannel* c : added)
      header.channels().insert(c->name, Imf::Channel(PixelType(c->type), c->xSampling, c->ySampling));
    Imf::OutputFile output(file.c_str(), header);
    for (int top = 0; top < height; top += kWriteRows) {
      const int rows = std::min(kWriteRows, height - top);
      const Imath::Box2i window({0, top}, {width - 1, top + rows - 1});
      Imf::FrameBuffer buffer;
      for (std::size_t i = 0; i < own.size(); ++i) {
        float* samples = band.data() + i * std::size_t(width) * kWriteRows;
        ConvertRows(own[i], top, rows, scale, samples);
        buffer.insert(own[i].name, Imf::Slice::Make(Imf::FLOAT, samples, window, sizeof(float), sizeof(float) * width));
      }
      for (const ExrChannel* c : added)
        buffer.insert(c->name, Imf::Slice(PixelType(c->type), const_cast<char*>(c->samples.data()), SampleSize(c->type),
                                          RowBytes(*c, width), c->xSampling, c->ySampling));
      output.setFrameBuffer(buffer);
      output.writePixels(rows);
    }
  });
}

}  // namespace lensara
