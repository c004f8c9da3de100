#include "app/session/FrameList.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using lensara::FrameChunk;
using lensara::FrameList;
using lensara::FrameRange;

std::vector<int32_t> Frames(const FrameList& list)
{
  std::vector<int32_t> frames;
  for (int64_t i = 0; i < list.Size(); ++i) frames.push_back(list[i]);
  return frames;
}

TEST(FrameChunks, SplitTheFramesIntoNearEqualContiguousParts)
{
  std::vector<std::vector<int32_t>> parts;
  for (int32_t k = 0; k < 4; ++k) parts.push_back(Frames(FrameList({{0, 9, 1}}, FrameChunk{k, 4})));
  EXPECT_EQ(parts, (std::vector<std::vector<int32_t>>{{0, 1}, {2, 3, 4}, {5, 6}, {7, 8, 9}}));

  const std::vector<std::vector<FrameRange>> lists = {
      {{0, 47, 8}}, {{1, 1, 1}, {5, 5, 1}, {10, 12, 1}, {5, 5, 1}}, {{3, 3, 1}}, {{0, 11, 1}}};
  for (const std::vector<FrameRange>& ranges : lists)
    for (int32_t n : {1, 2, 4, 5, 13}) {
      std::vector<int32_t> joined;
      int64_t smallest = INT64_MAX, largest = 0;
      for (int32_t k = 0; k < n; ++k) {
        std::vector<int32_t> part = Frames(FrameList(ranges, FrameChunk{k, n}));
        joined.insert(joined.end(), part.begin(), part.end());
        smallest = std::min<int64_t>(smallest, part.size());
        largest = std::max<int64_t>(largest, part.size());
      }
      EXPECT_EQ(joined, Frames(FrameList(ranges))) << n << " parts";
      EXPECT_LE(largest - smallest, 1) << n << " parts";
    }
}

TEST(FrameChunks, TheLongestRangesNeitherOverflowNorTakeMemory)
{
  FrameList last({{0, 999999999, 1}, {5, 5, 1}}, FrameChunk{999999998, 999999999});
  ASSERT_EQ(last.Size(), 2);
  EXPECT_EQ(last[0], 999999999);
  EXPECT_EQ(last[1], 5);
  EXPECT_EQ(FrameList({{0, 999999999, 2}}, FrameChunk{1, 2})[0], 500000000);
}

}  // namespace
