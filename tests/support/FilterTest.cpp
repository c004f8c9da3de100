#include "FilterTest.h"

#include <cstring>

namespace test {

FilterTest::FilterTest() { InitOS(const_cast<C4DOS*>(host.Table())); }

FilterTest::~FilterTest() { lensara::SetAllocationBudget(-1); }

lensara::Bitmap ToBitmap(const reference::Image& image)
{
  lensara::Bitmap bitmap(image.width, image.height);
  if (!image.bytes.empty()) std::memcpy(bitmap.Row(0), image.bytes.data(), image.bytes.size());
  return bitmap;
}

}  // namespace test
