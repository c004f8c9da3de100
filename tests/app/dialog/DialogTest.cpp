// Plug-in windows in the host: the layout, calls outside it, closing and reopening, and
// how the window is drawn.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/Allocations.h"
#include "app/core/Host.h"
#include "app/dialog/Dialog.h"
#include "host/c4d.h"
#include "plugins/dof/preview/PreviewDialog.h"

namespace {

using lensara::Bitmap;
using lensara::Dialog;

// The preview dialog's layout: the user area inside a bordered group, the status below.
constexpr int32_t kAreaOrigin = 8;

class HostDialog : public ::testing::Test {
protected:
  HostDialog()
  {
    InitOS(const_cast<C4DOS*>(host.Table()));
    dialog = NewObj<PreviewDialog>();
  }
  ~HostDialog() override { DeleteObj(dialog); }

  bool OpenAt(Int32 width, Int32 height) { return dialog->Open(DLG_TYPE_ASYNC, 1, -1, -1, width, height, 0); }

  static Dialog* Window()
  {
    std::vector<Dialog*> open = Dialog::OpenDialogs();
    return open.size() == 1 ? open.front() : nullptr;
  }

  // A picture whose pixel (x, y) is (x, y, 7), truncated to bytes.
  static BaseBitmap* Pattern()
  {
    BaseBitmap* bm = BaseBitmap::Alloc();
    bm->Init(320, 240, 24);
    std::vector<UChar> row(320 * 3);
    for (Int32 y = 0; y < 240; ++y) {
      for (Int32 x = 0; x < 320; ++x) row[x * 3] = UChar(x), row[x * 3 + 1] = UChar(y), row[x * 3 + 2] = 7;
      bm->SetLine(y, row.data(), 24);
    }
    return bm;
  }

  static const uint8_t* Pixel(const Bitmap& image, int32_t x, int32_t y) { return image.Row(y) + x * 3; }
  static bool IsBackground(const uint8_t* p)
  {
    return p[0] == lensara::kBackground.r && p[1] == lensara::kBackground.g && p[2] == lensara::kBackground.b;
  }

  lensara::Host host;
  PreviewDialog* dialog = nullptr;
};

TEST_F(HostDialog, CallsWithoutALayoutDoNothing)
{
  EXPECT_FALSE(dialog->IsOpen());
  EXPECT_FALSE(dialog->SetTitle(String("x")));
  EXPECT_EQ(dialog->AddStaticText(1, 0, 10, 10, String("x"), 0), nullptr);
  dialog->SetStatus("Updating...");
  dialog->ShowPicture(Pattern());  // Redraw of an area attached to nothing
  EXPECT_FALSE(dialog->Close());
  EXPECT_FALSE(dialog->Open(10, 1, -1, -1, 336, 303, 0)) << "only non-modal windows";
  EXPECT_TRUE(Dialog::OpenDialogs().empty());
}

TEST_F(HostDialog, LayoutGivesTheUserAreaWhatTheStatusRowLeaves)
{
  ASSERT_TRUE(OpenAt(336, 303));
  ASSERT_NE(Window(), nullptr);
  EXPECT_EQ(Window()->Texts(), std::vector<std::string>{"."});
  Bitmap image = Window()->Draw();
  ASSERT_EQ(image.Width(), 336);
  ASSERT_EQ(image.Height(), 303);
  // The bordered group spans 4 .. 331 across and 4 .. 274 down: the 303 pixels less the
  // margins, the 20-pixel status row and the spacing above it. The area lies 4 pixels in.
  auto is = [&](int32_t x, int32_t y, lensara::Rgb c) {
    const uint8_t* p = Pixel(image, x, y);
    return p[0] == c.r && p[1] == c.g && p[2] == c.b;
  };
  EXPECT_TRUE(is(4, 100, lensara::kBorderDark) && is(5, 100, lensara::kBorderLight));
  EXPECT_TRUE(is(331, 100, lensara::kBorderDark) && is(330, 100, lensara::kBorderLight));
  EXPECT_TRUE(is(100, 274, lensara::kBorderDark) && is(100, 273, lensara::kBorderLight));
  // Before any picture the area shows the background only.
  for (int32_t y = kAreaOrigin; y < kAreaOrigin + 263; ++y)
    for (int32_t x = kAreaOrigin; x < kAreaOrigin + 320; ++x) ASSERT_TRUE(IsBackground(Pixel(image, x, y))) << x << ", " << y;
  // A smaller window still holds the layout's minimum.
  dialog->Close();
  ASSERT_TRUE(OpenAt(100, 100));
  EXPECT_EQ(Window()->WindowSize().width, 336);
  EXPECT_EQ(Window()->WindowSize().height, 140);
}

TEST_F(HostDialog, PictureSitsTopLeftOverBackgroundAndIsClippedByTheArea)
{
  dialog->ShowPicture(Pattern());
  ASSERT_TRUE(OpenAt(420, 300));
  Bitmap large = Window()->Draw();
  const uint8_t* corner = Pixel(large, kAreaOrigin + 319, kAreaOrigin + 239);
  EXPECT_EQ(corner[0], 319 % 256);
  EXPECT_EQ(corner[1], 239);
  EXPECT_EQ(corner[2], 7);
  EXPECT_TRUE(IsBackground(Pixel(large, kAreaOrigin + 320, kAreaOrigin)));
  EXPECT_TRUE(IsBackground(Pixel(large, kAreaOrigin, kAreaOrigin + 240)));

  dialog->Close();
  ASSERT_TRUE(OpenAt(336, 200));
  Bitmap small = Window()->Draw();
  // The area is 200 - 8 - 24 - 8 = 160 high: its last row shows picture row 159.
  EXPECT_EQ(Pixel(small, kAreaOrigin, kAreaOrigin + 159)[1], 159);
  EXPECT_FALSE(Pixel(small, kAreaOrigin, kAreaOrigin + 160)[2] == 7);
}

TEST_F(HostDialog, ReopeningBuildsANewLayoutAndOldGadgetsFindNothing)
{
  ASSERT_TRUE(OpenAt(336, 303));
  dialog->SetStatus("first");
  EXPECT_EQ(Window()->Texts(), std::vector<std::string>{"first"});
  EXPECT_TRUE(Window()->RequestClose());  // the preview does not keep its window open
  EXPECT_EQ(Window(), nullptr);
  ASSERT_TRUE(OpenAt(336, 303));
  EXPECT_EQ(Window()->Texts(), std::vector<std::string>{"."});
  EXPECT_TRUE(OpenAt(336, 303)) << "open stays open";
  EXPECT_EQ(Dialog::OpenDialogs().size(), 1u);
}

TEST_F(HostDialog, StatusTextIsDrawnWhenTheFontIsInstalled)
{
  if (!std::filesystem::exists(lensara::kDialogFont)) GTEST_SKIP() << lensara::kDialogFont << " is not installed";
  ASSERT_TRUE(OpenAt(336, 303));
  auto textPixels = [] {
    Bitmap image = Window()->Draw();
    int count = 0;
    for (int32_t y = 275; y < 299; ++y)
      for (int32_t x = 0; x < 336; ++x) count += !IsBackground(Pixel(image, x, y));
    return count;
  };
  int dot = textPixels();
  dialog->SetStatus("Updating...");
  EXPECT_GT(dot, 0);
  EXPECT_GT(textPixels(), dot);
}

}  // namespace
