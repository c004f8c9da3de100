// MultipassBitmap and RenderDocument as the plug-in sees them through the function table.
#include "host/MultipassBitmap.h"

#include <gtest/gtest.h>

#include <vector>

#include "DepthSceneTest.h"
#include "app/core/Allocations.h"
#include "host/keys/RenderDataKeys.h"

namespace {

class MultipassBitmapTest : public DepthSceneTest {
protected:
  MultipassBitmapTest()
  {
    BaseContainer* data = rd->GetDataInstance();
    data->SetLong(kRenderWidth, 5);
    data->SetLong(kRenderHeight, 40);
    data->SetBool(5202, true);
    data->SetLong(5205, 1);
    BaseList2D* pass = BaseList2D::Alloc(kMultipassNode);
    pass->GetDataInstance()->SetLong(1000, 100);
    rd->InsertMultipass(pass);
    Add(kLight, "Key");
  }
  ~MultipassBitmapTest() override { lensara::SetAllocationBudget(-1); }

  Int32 Render(BaseBitmap* bitmap, ProgressHook* hook = nullptr, void* context = nullptr)
  {
    return RenderDocument(doc, *rd->GetDataInstance(), hook, context, bitmap, RENDERFLAGS_EXTERNAL, nullptr);
  }
};

TEST_F(MultipassBitmapTest, AllocationTakesColourModeFourOnly)
{
  EXPECT_EQ(MultipassBitmap::Alloc(4, 4, 3), nullptr);
  EXPECT_EQ(MultipassBitmap::Alloc(-1, 4, COLORMODE_RGB), nullptr);
  lensara::SetAllocationBudget(0);
  EXPECT_EQ(MultipassBitmap::Alloc(4, 4, COLORMODE_RGB), nullptr);
  lensara::SetAllocationBudget(-1);
  MultipassBitmap* mp = MultipassBitmap::Alloc(4, 3, COLORMODE_RGB);
  ASSERT_NE(mp, nullptr);
  EXPECT_EQ(mp->GetBw(), 4);
  EXPECT_EQ(mp->GetLayerCount(), 0);
  EXPECT_EQ(mp->GetLayerNum(0), nullptr);
  EXPECT_EQ(mp->FindUserLayer(1, 0), mp);
  EXPECT_EQ(mp->GetParameter(MPBTYPE_HEIGHT).GetLong(), 3);
  MultipassBitmap::Free(mp);
  EXPECT_EQ(mp, nullptr);
}

TEST_F(MultipassBitmapTest, LayersAreReadLikeBitmapsAndStayWithTheirOwner)
{
  MultipassBitmap* mp = MultipassBitmap::Alloc(1, 1, COLORMODE_RGB);
  ASSERT_EQ(Render(mp), RENDERRESULT_OK);
  EXPECT_EQ(mp->GetBw(), 5) << "the render's size";
  ASSERT_EQ(mp->GetLayerCount(), 1);
  MultipassBitmap* layer = mp->GetLayerNum(0);
  EXPECT_EQ(mp->FindUserLayer(100, 0), layer);
  EXPECT_EQ(layer->GetParameter(MPBTYPE_NAME).GetString(), String("Key"));
  EXPECT_EQ(layer->GetParameter(MPBTYPE_WIDTH).GetLong(), 5);
  EXPECT_TRUE(layer->SetParameter(MPBTYPE_NAME, GeData(String("Renamed"))));
  EXPECT_FALSE(layer->SetParameter(MPBTYPE_WIDTH, GeData(Int32(7))));
  EXPECT_EQ(layer->GetParameter(MPBTYPE_NAME).GetString(), String("Renamed"));
  EXPECT_FALSE(layer->Init(2, 2, 24));
  BaseBitmap* alias = layer;
  BaseBitmap::Free(alias); // a layer is its owner's: freeing it alone does nothing
  std::vector<UChar> row(15);
  EXPECT_TRUE(mp->GetLayerNum(0)->GetLine(39, row.data()));
  MultipassBitmap::Free(mp);
}

void RecordFraction(float fraction, void* context) { static_cast<std::vector<float>*>(context)->push_back(fraction); }

TEST_F(MultipassBitmapTest, RenderDocumentReportsProgressAndRefusesWhatItCannotRender)
{
  BaseBitmap* bitmap = BaseBitmap::Alloc();
  std::vector<float> fractions;
  ASSERT_EQ(Render(bitmap, RecordFraction, &fractions), RENDERRESULT_OK);
  EXPECT_EQ(bitmap->GetBh(), 40);
  ASSERT_GE(fractions.size(), 3u);
  EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
  EXPECT_EQ(fractions.back(), 1.0f);
  EXPECT_EQ(Render(nullptr), RENDERRESULT_SCENEERROR);
  EXPECT_EQ(RenderDocument(nullptr, *rd->GetDataInstance(), nullptr, nullptr, bitmap, 0, nullptr),
            RENDERRESULT_SCENEERROR);
  rd->GetDataInstance()->SetLong(kRenderWidth, 16385);
  EXPECT_EQ(Render(bitmap), RENDERRESULT_IMAGESIZE);
  BaseBitmap::Free(bitmap);
}

}  // namespace
