#include "BaseTag.h"

#include "BaseMaterial.h"
#include "TypeIds.h"

namespace {
constexpr Int32 kMaterialLink = 1010;
}  // namespace

BaseTag* BaseTag::Alloc(Int32 type) { return NodeCast<BaseTag>(gC4DOS->node->alloc(type)); }

TextureTag* TextureTag::Alloc() { return NodeCast<TextureTag>(gC4DOS->node->alloc(kTextureTag)); }

void TextureTag::SetMaterial(BaseMaterial* mat) { GetDataInstance()->SetLink(kMaterialLink, mat); }

BaseMaterial* TextureTag::GetMaterial() const
{
  return static_cast<BaseMaterial*>(GetDataInstance()->GetLink(kMaterialLink, GetDocument()));
}
