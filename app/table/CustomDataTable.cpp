// The custom data section: in/exclude lists and gradients.
#include "Sections.h"
#include "TableHandles.h"

namespace lensara {

namespace {

bool InRange(int32_t index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size; }

int32_t InExCount(HstInExclude l) { return l ? static_cast<int32_t>(L(l)->entries.size()) : 0; }

HstNode InExObject(HstInExclude l, HstNode doc, int32_t index)
{
  if (!l || !InRange(index, L(l)->entries.size())) return nullptr;
  return Resolve(L(l)->entries[index].target, doc);
}

int32_t InExFlags(HstInExclude l, int32_t index)
{
  return l && InRange(index, L(l)->entries.size()) ? L(l)->entries[index].flags : 0;
}

HstBool InExInsert(HstInExclude l, HstNode n, int32_t flags)
{
  if (!l || !n) return false;
  Identity id = N(n)->GetIdentity();
  for (InExclude::Entry& e : L(l)->entries) {
    if (e.target == id) {
      e.flags = flags;
      return true;
    }
  }
  return Guarded([&] { return (L(l)->entries.push_back({id, flags}), HstBool{true}); }, HstBool{false});
}

HstBool InExDelete(HstInExclude l, int32_t index)
{
  if (!l || !InRange(index, L(l)->entries.size())) return false;
  L(l)->entries.erase(L(l)->entries.begin() + index);
  return true;
}

int32_t GradKnotCount(HstGradient g) { return g ? static_cast<int32_t>(G(g)->knots.size()) : 0; }

HstGradientKnot GradKnot(HstGradient g, int32_t index)
{
  if (!g || !InRange(index, G(g)->knots.size())) return HstGradientKnot{};
  const GradientKnot& k = G(g)->knots[index];
  return HstGradientKnot{ToHst(k.col), k.brightness, k.pos, k.bias, k.index};
}

int32_t GradInsertKnot(HstGradient g, HstGradientKnot k)
{
  if (!g) return -1;
  GradientKnot knot{FromHst(k.col), k.brightness, k.pos, k.bias, k.index};
  return Guarded([&] { return (G(g)->knots.push_back(knot), GradKnotCount(g) - 1); }, -1);
}

HstBool GradRemoveKnot(HstGradient g, int32_t index)
{
  if (!g || !InRange(index, G(g)->knots.size())) return false;
  G(g)->knots.erase(G(g)->knots.begin() + index);
  return true;
}

HstCustomDataTable MakeCustomDataSection()
{
  HstCustomDataTable t{};
  t.size = sizeof t;
  t.inexclude_count = InExCount;
  t.inexclude_object = InExObject;
  t.inexclude_flags = InExFlags;
  t.inexclude_insert = InExInsert;
  t.inexclude_delete = InExDelete;
  t.gradient_knot_count = GradKnotCount;
  t.gradient_knot = GradKnot;
  t.gradient_insert_knot = GradInsertKnot;
  t.gradient_remove_knot = GradRemoveKnot;
  return t;
}

}  // namespace

const HstCustomDataTable* CustomDataSection()
{
  static const HstCustomDataTable section = MakeCustomDataSection();
  return &section;
}

}  // namespace lensara
