#include "ImageBuffer.h"

#include <cstring>

namespace filters {

std::int64_t ByteCount(ImageView image) { return std::int64_t(image.width) * image.height * 3; }

bool SameSize(ImageView a, ImageView b) { return a.width == b.width && a.height == b.height; }

ImageBuffer::ImageBuffer(ImageView image)
    : width(image.width), height(image.height), present(image.data != nullptr), bytes(present ? ByteCount(image) : 0)
{
  if (present && bytes.Get()) std::memcpy(bytes.Get(), image.data, static_cast<std::size_t>(ByteCount(image)));
}

void ImageBuffer::CopyTo(ImageView image) const
{
  if (View().data) std::memcpy(image.data, bytes.Get(), static_cast<std::size_t>(ByteCount(View())));
}

}  // namespace filters
