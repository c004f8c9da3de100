#include "Layout.h"

#include <algorithm>
#include <numeric>

#include "UserArea.h"

namespace lensara {

namespace {

int32_t Inset(const Gadget& g) { return g.border ? kBorderInset : 0; }

int32_t ColumnCount(const Gadget& g) { return std::max(1, g.columns); }

int32_t RowCount(const Gadget& g)
{
  int32_t columns = ColumnCount(g);
  return (static_cast<int32_t>(g.children.size()) + columns - 1) / columns;
}

// The cells' minimum widths and heights of group g.
void CellMinimums(const Gadget& g, std::vector<int32_t>& widths, std::vector<int32_t>& heights)
{
  widths.assign(ColumnCount(g), 0);
  heights.assign(RowCount(g), 0);
  for (std::size_t i = 0; i < g.children.size(); ++i) {
    Size s = MinimumSize(*g.children[i]);
    int32_t& w = widths[i % widths.size()];
    int32_t& h = heights[i / widths.size()];
    w = std::max(w, s.width);
    h = std::max(h, s.height);
  }
}

int32_t Span(const std::vector<int32_t>& sizes)
{
  if (sizes.empty()) return 0;
  return std::accumulate(sizes.begin(), sizes.end(), 0) + kCellSpacing * (static_cast<int32_t>(sizes.size()) - 1);
}

// Shares spare among the cells whose flag says they scale, equally, the first taking the rest.
void Spread(std::vector<int32_t>& sizes, const std::vector<bool>& scales, int32_t spare)
{
  int32_t count = static_cast<int32_t>(std::count(scales.begin(), scales.end(), true));
  if (spare <= 0 || count == 0) return;
  bool first = true;
  for (std::size_t i = 0; i < sizes.size(); ++i)
    if (scales[i]) {
      sizes[i] += spare / count + (first ? spare % count : 0);
      first = false;
    }
}

// Where a gadget of minimum size lies in a cell along one axis: fit fills it, else start,
// end or centre.
void Align(int32_t cellStart, int32_t cellSize, int32_t minimum, int32_t mode, int32_t startMode, int32_t endMode,
           int32_t fitMode, int32_t& start, int32_t& size)
{
  size = mode == fitMode ? cellSize : std::min(minimum, cellSize);
  start = mode == startMode ? cellStart : mode == endMode ? cellStart + cellSize - size : cellStart + (cellSize - size) / 2;
}

void Place(Gadget& g, const Rect& cell)
{
  Size minimum = MinimumSize(g);
  Align(cell.x, cell.width, minimum.width, g.flags & HST_LAYOUT_FIT_H, HST_LAYOUT_LEFT, HST_LAYOUT_RIGHT,
        HST_LAYOUT_FIT_H, g.frame.x, g.frame.width);
  Align(cell.y, cell.height, minimum.height, g.flags & HST_LAYOUT_FIT_V, HST_LAYOUT_TOP, HST_LAYOUT_BOTTOM,
        HST_LAYOUT_FIT_V, g.frame.y, g.frame.height);
  if (g.kind != Gadget::Kind::Group || g.children.empty()) return;

  std::vector<int32_t> widths, heights;
  CellMinimums(g, widths, heights);
  std::vector<bool> scaleColumn(widths.size()), scaleRow(heights.size());
  for (std::size_t i = 0; i < g.children.size(); ++i) {
    int32_t flags = g.children[i]->flags;
    if (flags & HST_LAYOUT_SCALE_H) scaleColumn[i % widths.size()] = true;
    if (flags & HST_LAYOUT_SCALE_V) scaleRow[i / widths.size()] = true;
  }
  int32_t inset = Inset(g);
  Spread(widths, scaleColumn, g.frame.width - 2 * inset - Span(widths));
  Spread(heights, scaleRow, g.frame.height - 2 * inset - Span(heights));
  int32_t y = g.frame.y + inset;
  for (std::size_t row = 0; row < heights.size(); ++row) {
    int32_t x = g.frame.x + inset;
    for (std::size_t column = 0; column < widths.size(); ++column) {
      std::size_t i = row * widths.size() + column;
      if (i < g.children.size()) Place(*g.children[i], {x, y, widths[column], heights[row]});
      x += widths[column] + kCellSpacing;
    }
    y += heights[row] + kCellSpacing;
  }
}

}  // namespace

Size MinimumSize(const Gadget& g)
{
  if (g.kind == Gadget::Kind::UserArea && g.area) {
    Size asked = g.area->MinimumSize();
    return {std::max(g.minimum.width, asked.width), std::max(g.minimum.height, asked.height)};
  }
  if (g.kind != Gadget::Kind::Group) return g.minimum;
  std::vector<int32_t> widths, heights;
  CellMinimums(g, widths, heights);
  int32_t inset = 2 * Inset(g);
  return {std::max(g.minimum.width, Span(widths) + inset), std::max(g.minimum.height, Span(heights) + inset)};
}

void PlaceGadgets(Gadget& root, Size window)
{
  Place(root, {kDialogMargin, kDialogMargin, window.width - 2 * kDialogMargin, window.height - 2 * kDialogMargin});
}

}  // namespace lensara
