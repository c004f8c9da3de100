// The yardstick of the start-up benchmark: the straightforward Gaussian filter of the tests
// (tests/filters/ReferenceFilters) as a whole program, reading and writing files as
// lensara blur does. Usage: lensara_reference_blur IMAGE MAP OUT RADIUS
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/image/ImageIO.h"
#include "tests/filters/ReferenceFilters.h"

namespace {

reference::Image ToReference(const lensara::Bitmap& bitmap)
{
  reference::Image image(bitmap.Width(), bitmap.Height());
  image.bytes.assign(bitmap.Pixels().begin(), bitmap.Pixels().end());
  return image;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s IMAGE MAP OUT RADIUS\n", argv[0]);
    return 2;
  }
  try {
    reference::Image blurred = reference::Blur(reference::Filter::GaussImproved, ToReference(lensara::ReadImage(argv[1])),
                                               ToReference(lensara::ReadImage(argv[2])), std::atoi(argv[4]), false);
    lensara::Bitmap out(blurred.width, blurred.height);
    std::copy(blurred.bytes.begin(), blurred.bytes.end(), out.Row(0));
    lensara::WriteImage(argv[3], out);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
