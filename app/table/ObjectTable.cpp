// The object section: placement of a BaseObject (matrices, position, rotation, scale).
#include "Sections.h"
#include "TableHandles.h"

namespace lensara {

namespace {

HstMatrix ObjGetMatrix(HstNode op, int32_t which)
{
  if (!op) return ToHst(Matrix{});
  return ToHst(which == HST_MATRIX_GLOBAL ? N(op)->GlobalMatrix() : N(op)->LocalMatrix());
}

void ObjSetMatrix(HstNode op, int32_t which, HstMatrix m)
{
  if (!op) return;
  if (which == HST_MATRIX_GLOBAL)
    N(op)->SetGlobalMatrix(FromHst(m));
  else
    N(op)->SetLocalMatrix(FromHst(m));
}

HstVector ObjGetPlacement(HstNode op, int32_t which)
{
  if (!op) return ToHst(Vector{});
  switch (which) {
    case HST_PLACEMENT_POSITION: return ToHst(N(op)->Position());
    case HST_PLACEMENT_ROTATION: return ToHst(N(op)->Rotation());
    case HST_PLACEMENT_SCALE: return ToHst(N(op)->Scale());
    default: return ToHst(Vector{});
  }
}

void ObjSetPlacement(HstNode op, int32_t which, HstVector v)
{
  if (!op) return;
  switch (which) {
    case HST_PLACEMENT_POSITION: N(op)->SetPosition(FromHst(v)); break;
    case HST_PLACEMENT_ROTATION: N(op)->SetRotation(FromHst(v)); break;
    case HST_PLACEMENT_SCALE: N(op)->SetScale(FromHst(v)); break;
    default: break;
  }
}

HstObjectTable MakeObjectSection()
{
  HstObjectTable t{};
  t.size = sizeof t;
  t.get_matrix = ObjGetMatrix;
  t.set_matrix = ObjSetMatrix;
  t.get_placement = ObjGetPlacement;
  t.set_placement = ObjSetPlacement;
  return t;
}

}  // namespace

const HstObjectTable* ObjectSection()
{
  static const HstObjectTable section = MakeObjectSection();
  return &section;
}

}  // namespace lensara
